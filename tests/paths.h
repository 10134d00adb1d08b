// The kernel paths a test runs its kernels on.
#pragma once

#include <string>
#include <vector>

#include "dispatch.h"

namespace testing_util {

// Every path this processor runs, on one thread: the plain loops, and the
// AVX2 lanes where it has them.
inline std::vector<tbx::Exec> paths()
{
    std::vector<tbx::Exec> all{tbx::Exec{tbx::Path::plain, 1}};
    if (tbx::processorHasAvx2())
        all.push_back(tbx::Exec{tbx::Path::avx2, 1});
    return all;
}

}  // namespace testing_util

namespace testing_util {

// Every path at 1, 2, 3 and 8 threads (more threads than this machine's
// cores among them), small work split too: every one must give the bits of
// the first.
inline std::vector<tbx::Exec> teams()
{
    std::vector<tbx::Exec> all;
    for (const tbx::Exec& path : paths())
        for (int threads : {1, 2, 3, 8})
            all.push_back(tbx::Exec{path.path, threads, true});
    return all;
}

inline std::string nameOf(const tbx::Exec& ex)
{
    return std::string(tbx::pathName(ex.path)) + " x" + std::to_string(ex.threads);
}

}  // namespace testing_util
