// Threads for the kernels. A kernel splits its work so that every output is
// formed by the same operations in the same order whatever the number of
// threads: independent outputs are divided among them, ordered sums keep one
// chain on one thread. Threads run only inside parallel(), which returns
// when all of them are done: no thread outlives a call, and none of them
// ever calls the host.
//
// The pool is OpenMP's, through the compiler's own runtime (the one the
// hosts load for their own code).
#pragma once

#include <cstdint>
#include <string>

#include "dispatch.h"

namespace tbx {

// The threads a call may use: the value of MEXTOOLBOX_THREADS when it is
// set (read at every call, so that setenv takes effect at once), else the
// processors this process may run on (its affinity mask). `problem` says why
// the variable cannot be followed; `threads` is then 1.
struct ThreadChoice {
    int threads = 1;
    std::string problem;
};
ThreadChoice threadCount();

// The choice itself, from the variable's value (null when unset) and the
// processors available.
ThreadChoice chooseThreads(const char* requested, int available);

// The processors in this process's affinity mask (at least 1).
int availableProcessors();

// The threads worth starting for `work` units when each thread should get
// at least `minPerThread` of them (1 with ex.anySize): between 1 and
// ex.threads.
inline int threadsFor(const Exec& ex, int64_t work, int64_t minPerThread)
{
    const int64_t per = ex.anySize || minPerThread < 1 ? 1 : minPerThread;
    const int64_t useful = work / per;
    if (useful < 2 || ex.threads < 2)
        return 1;
    return useful < ex.threads ? static_cast<int>(useful) : ex.threads;
}

// The part t of T of the range 0 .. n-1, in `align`-sized steps: begin and
// end of the t-th of T nearly equal consecutive pieces.
inline void split(int64_t n, int t, int T, int64_t align, int64_t& begin, int64_t& end)
{
    const int64_t steps = (n + align - 1) / align;
    const int64_t b = steps * t / T, e = steps * (t + 1) / T;
    begin = b * align < n ? b * align : n;
    end = e * align < n ? e * align : n;
}

// Runs body(t, T) on a team of up to `threads` threads, t = 0 on the calling
// thread, and returns when every one has finished. T is the team's size,
// which the runtime may make smaller than asked for; a body must give the
// same result for any T. With threads <= 1 the body runs here, alone.
void parallel(int threads, void (*body)(void* context, int t, int T), void* context);

template <class Body>
void parallel(int threads, Body&& body)
{
    if (threads <= 1) {
        body(0, 1);
        return;
    }
    parallel(threads, [](void* c, int t, int T) { (*static_cast<Body*>(c))(t, T); }, &body);
}

// A barrier for the team of a parallel() call (every thread of the team
// waits until all have reached it).
void barrier();

}  // namespace tbx
