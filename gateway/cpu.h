// Which vector instructions the running processor offers. Kernels with an
// AVX2 path ask once per process and fall back to their plain loops
// elsewhere, so one binary runs on any x86-64.
#pragma once

namespace tbx {

// True when the processor (and the operating system) run AVX2 code.
inline bool hasAvx2()
{
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
    static const bool yes = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return yes;
#else
    return false;
#endif
}

}  // namespace tbx
