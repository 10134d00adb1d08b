// How a kernel runs: on which path (the plain loops, or the AVX2 lanes) and
// on how many threads. Every path gives the same bits; the choice is only
// one of speed.
//
// The path is chosen once per process (once per load of a plug-in): the
// processor's best, unless the environment variable MEXTOOLBOX_KERNELS says
// "plain" or "avx2", which lets the real plug-ins run on either path.
#pragma once

#include <cstdint>
#include <string>

namespace tbx {

enum class Path { plain, avx2 };

const char* pathName(Path p);

// What the processor says of itself: the highest cpuid leaf, ecx of leaf 1,
// ebx of leaf 7 (subleaf 0) and the operating system's XCR0 (read only where
// leaf 1 says the OS enabled xgetbv). All zero where there is no cpuid.
struct CpuFacts {
    uint32_t maxLeaf = 0;
    uint32_t leaf1Ecx = 0;
    uint32_t leaf7Ebx = 0;
    uint64_t xcr0 = 0;
};
CpuFacts readCpuFacts();

// AVX2 code runs: the processor has AVX (leaf 1 ecx bit 28) and AVX2 (leaf
// 7 ebx bit 5), and the operating system enabled xgetbv (leaf 1 ecx bit 27,
// OSXSAVE) and saves the YMM registers on a switch (XCR0 bits 1 and 2).
bool avx2Usable(const CpuFacts& f);

// True when this process can run the AVX2 paths: the processor and the
// operating system run AVX2 code, and the build carries the paths (simd.h).
bool processorHasAvx2();

// What a kernel is told: the path to take and the threads it may use.
// Work too small to gain from threads stays on the calling thread, unless
// anySize is set (the tests' way to split small inputs too).
struct Exec {
    Path path = Path::plain;
    int threads = 1;
    bool anySize = false;
};

// The path of this process. `problem` is empty, or says why the value of
// MEXTOOLBOX_KERNELS cannot be followed (the path is then the processor's
// best, but a gateway refuses to run on it).
struct PathChoice {
    Path path = Path::plain;
    std::string problem;
};
const PathChoice& kernelPath();

// The choice itself, from the value of MEXTOOLBOX_KERNELS (null when unset),
// what the processor offers and whether the build has the AVX2 paths at all.
PathChoice choosePath(const char* requested, bool haveAvx2, bool builtAvx2 = true);

}  // namespace tbx
