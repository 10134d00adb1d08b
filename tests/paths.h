// The kernel paths a test runs its kernels on.
#pragma once

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
