// How a kernel runs: on which path (the plain loops, or the AVX2 lanes) and
// on how many threads. Every path gives the same bits; the choice is only
// one of speed.
//
// The path is chosen once per process (once per load of a plug-in): the
// processor's best, unless the environment variable MEXTOOLBOX_KERNELS says
// "plain" or "avx2", which lets the real plug-ins run on either path.
#pragma once

#include <string>

namespace tbx {

enum class Path { plain, avx2 };

const char* pathName(Path p);

// True when the processor (and the operating system) run AVX2 code.
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

// The choice itself, from the value of MEXTOOLBOX_KERNELS (null when unset)
// and what the processor offers.
PathChoice choosePath(const char* requested, bool haveAvx2);

}  // namespace tbx
