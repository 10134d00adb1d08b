#include "dispatch.h"

#include <cstdlib>
#include <cstring>

namespace tbx {

const char* pathName(Path p) { return p == Path::avx2 ? "avx2" : "plain"; }

bool processorHasAvx2()
{
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
    static const bool yes = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return yes;
#else
    return false;
#endif
}

PathChoice choosePath(const char* requested, bool haveAvx2)
{
    PathChoice c;
    c.path = haveAvx2 ? Path::avx2 : Path::plain;
    if (requested == nullptr || *requested == '\0')
        return c;
    if (std::strcmp(requested, "plain") == 0) {
        c.path = Path::plain;
    } else if (std::strcmp(requested, "avx2") == 0) {
        if (!haveAvx2)
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
                                                processorHasAvx2());
    return choice;
}

}  // namespace tbx
