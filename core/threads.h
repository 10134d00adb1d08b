// Threads for the kernels. A kernel splits its work so that every output is
// formed by the same operations in the same order whatever the number of
// threads: independent outputs are divided among them, ordered sums keep one
// chain on one thread. Threads run only inside parallel(), which returns
// when all of them are done: no thread outlives a call, and none of them
// ever calls the host.
//
// The pool is OpenMP's, through the compiler's own runtime (the one the
// hosts load for their own code; on Windows the one linked into each
// plug-in, which then stays loaded once it has started a team: threads.cpp).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

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

// Waiting in a loop: a pause at first, then, if the wait goes on (the thread
// waited for may have lost its processor to other work), the processor is
// handed over to whoever needs it.
class Waiting {
public:
    void relax()
    {
        if (++spins_ < 4096) {
#if defined(__x86_64__) || defined(__i386__)
            __builtin_ia32_pause();
#endif
        } else {
            std::this_thread::yield();
        }
    }
    void reset() { spins_ = 0; }

private:
    int spins_ = 0;
};

// Chunks 0 .. count-1 formed on a team and used in order on the calling
// thread. form(k, slot) fills slot number `slot` (of `slots`) with chunk k,
// on any thread of the team; use(k, slot) takes chunk k from it on the
// calling thread alone, k = 0, 1, 2, ... in turn. A slot is filled again only
// once its chunk has been used. While the next chunk is not ready, the
// calling thread forms one itself. With one thread: form, use, form, use.
template <class Form, class Use>
void inOrder(int threads, int64_t count, int slots, Form&& form, Use&& use)
{
    if (threads <= 1 || slots < 1) {
        for (int64_t k = 0; k < count; ++k) {
            form(k, 0);
            use(k, 0);
        }
        return;
    }
    // ready[s]: the chunk slot s holds (-1: none yet). Chunk k's slot,
    // k % slots, is free once chunk k - slots has been used.
    std::unique_ptr<std::atomic<int64_t>[]> ready(new std::atomic<int64_t>[slots]);
    for (int s = 0; s < slots; ++s)
        ready[s].store(-1, std::memory_order_relaxed);
    std::atomic<int64_t> claimed{0};  // chunks handed out to be formed
    std::atomic<int64_t> used{0};     // chunks used
    auto formOne = [&](int64_t k) {
        const int slot = static_cast<int>(k % slots);
        form(k, slot);
        ready[slot].store(k, std::memory_order_release);
    };
    parallel(threads, [&](int t, int) {
        Waiting waiting;
        if (t != 0) {
            for (int64_t k; (k = claimed.fetch_add(1, std::memory_order_relaxed)) < count;) {
                while (used.load(std::memory_order_acquire) <= k - slots)
                    waiting.relax();
                waiting.reset();
                formOne(k);
            }
            return;
        }
        for (int64_t next = 0; next < count;) {
            const int slot = static_cast<int>(next % slots);
            if (ready[slot].load(std::memory_order_acquire) == next) {
                use(next, slot);
                used.store(++next, std::memory_order_release);
                waiting.reset();
                continue;
            }
            int64_t k = claimed.load(std::memory_order_relaxed);
            if (k < count && k < next + slots &&
                claimed.compare_exchange_weak(k, k + 1, std::memory_order_relaxed)) {
                formOne(k);
                waiting.reset();
            } else {
                waiting.relax();
            }
        }
    });
}

}  // namespace tbx
