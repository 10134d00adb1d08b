#include "dispatch.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "simd.h"

// The processor is asked directly, with the cpuid and xgetbv instructions,
// on every x86 compiler: GCC's and clang's <cpuid.h>, MSVC's <intrin.h>.
// (__builtin_cpu_supports would need a symbol of the compiler's runtime that
// Apple's clang does not ship.) Elsewhere (Apple silicon, ARM Linux) there is
// no AVX2 and the plain loops run.
#if defined(_MSC_VER) && !defined(__clang__) && (defined(_M_X64) || defined(_M_IX86))
#include <intrin.h>
#define TBX_X86 1
#elif (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#include <cpuid.h>
#define TBX_X86 1
#else
#define TBX_X86 0
#endif

namespace tbx {

const char* pathName(Path p) { return p == Path::avx2 ? "avx2" : "plain"; }

bool avx2Usable(const CpuFacts& f)
{
    const uint32_t osxsave = 1u << 27, avx = 1u << 28;  // leaf 1, ecx
    const uint32_t avx2 = 1u << 5;                      // leaf 7, ebx
    const uint64_t ymmState = 0x6;                      // XCR0: SSE and AVX state
    return f.maxLeaf >= 7 && (f.leaf1Ecx & (osxsave | avx)) == (osxsave | avx) &&
           (f.xcr0 & ymmState) == ymmState && (f.leaf7Ebx & avx2) != 0;
}

#if TBX_X86
namespace {

// eax, ebx, ecx, edx of cpuid(leaf, subleaf).
void cpuid(uint32_t leaf, uint32_t subleaf, uint32_t r[4])
{
#if defined(_MSC_VER) && !defined(__clang__)
    int v[4];
    __cpuidex(v, static_cast<int>(leaf), static_cast<int>(subleaf));
    for (int i = 0; i < 4; ++i)
        r[i] = static_cast<uint32_t>(v[i]);
#else
    __cpuid_count(leaf, subleaf, r[0], r[1], r[2], r[3]);
#endif
}

// XCR0: which register state the operating system saves on a switch.
uint64_t xcr0()
{
#if defined(_MSC_VER) && !defined(__clang__)
    return _xgetbv(0);
#else
    // The instruction by name, not _xgetbv, which GCC offers only to code
    // compiled for XSAVE.
    uint32_t lo, hi;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return (uint64_t(hi) << 32) | lo;
#endif
}

}  // namespace

CpuFacts readCpuFacts()
{
    CpuFacts f;
    uint32_t r[4];
    cpuid(0, 0, r);
    f.maxLeaf = r[0];
    if (f.maxLeaf >= 1) {
        cpuid(1, 0, r);
        f.leaf1Ecx = r[2];
    }
    // xgetbv faults where the operating system has not enabled it (OSXSAVE
    // clear): asked only when it has.
    if (f.leaf1Ecx & (1u << 27))
        f.xcr0 = xcr0();
    if (f.maxLeaf >= 7) {
        cpuid(7, 0, r);
        f.leaf7Ebx = r[1];
    }
    return f;
}
#else
CpuFacts readCpuFacts() { return CpuFacts{}; }
#endif

bool processorHasAvx2()
{
    static const bool yes = TBX_SIMD && avx2Usable(readCpuFacts());
    return yes;
}

PathChoice choosePath(const char* requested, bool haveAvx2, bool builtAvx2)
{
    PathChoice c;
    c.path = haveAvx2 ? Path::avx2 : Path::plain;
    if (requested == nullptr || *requested == '\0')
        return c;
    if (std::strcmp(requested, "plain") == 0) {
        c.path = Path::plain;
    } else if (std::strcmp(requested, "avx2") == 0) {
        if (!builtAvx2)
            c.problem = "MEXTOOLBOX_KERNELS=avx2, but this build has no AVX2 path";
        else if (!haveAvx2)
            c.problem = "MEXTOOLBOX_KERNELS=avx2, but this processor has no AVX2";
    } else {
        c.problem = std::string("MEXTOOLBOX_KERNELS=") + requested +
                    " is not a kernel path; use plain or avx2, or leave it unset";
    }
    return c;
}

const PathChoice& kernelPath()
{
    static const PathChoice choice = choosePath(std::getenv("MEXTOOLBOX_KERNELS"),
                                                processorHasAvx2(), TBX_SIMD != 0);
    return choice;
}

}  // namespace tbx
