// The kernel paths a test runs its kernels on.
#pragma once

#include <string>
#include <vector>

#include "dispatch.h"
#include "threads.h"

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

// A way to run a kernel: its path and threads, and how long helper 1 of
// the team sleeps before each piece it claims (0: not at all).
struct Team {
    tbx::Exec ex;
    int slowMicros = 0;
};

// Every path at 1, 2, 3 and 8 threads (more threads than this machine's
// cores among them), small work split too, and at 3 threads with one
// helper made slow, so that pieces are claimed and finished in an order
// that differs from run to run: every one must give the bits of the first.
inline std::vector<Team> teams()
{
    std::vector<Team> all;
    for (const tbx::Exec& path : paths()) {
        for (int threads : {1, 2, 3, 8})
            all.push_back({tbx::Exec{path.path, threads, true}, 0});
        all.push_back({tbx::Exec{path.path, 3, true}, 200});
    }
    return all;
}

// Makes helper 1 slow while in scope, as the team says.
class Slowed {
public:
    explicit Slowed(const Team& t) { tbx::slowHelperForTesting(t.slowMicros ? 1 : 0, t.slowMicros); }
    ~Slowed() { tbx::slowHelperForTesting(0, 0); }
    Slowed(const Slowed&) = delete;
    Slowed& operator=(const Slowed&) = delete;
};

inline std::string nameOf(const tbx::Exec& ex)
{
    return std::string(tbx::pathName(ex.path)) + " x" + std::to_string(ex.threads);
}

inline std::string nameOf(const Team& t)
{
    return nameOf(t.ex) + (t.slowMicros ? " (helper 1 slow)" : "");
}

}  // namespace testing_util
