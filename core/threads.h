// Threads for the kernels. A kernel cuts its independent outputs into many
// pieces, and the threads of a team claim the pieces one at a time as they
// go: every output is formed by the same operations in the same order
// whichever thread claims its piece and whenever, so the bits are the same at
// any number of threads and in any claiming order. Ordered sums keep one
// chain on one thread at a time (inOrder below).
//
// A team never waits for a thread that has not started: the calling thread
// starts claiming at once, helpers join when they get a processor, and a
// helper that wakes after the last piece is claimed takes no part. So a
// helper that loses its processor to other work delays a call by the piece
// it holds at most. Waiting gives the processor back: idle helpers sleep
// (they never spin between calls), and a wait inside a call spins for a few
// microseconds only, then sleeps until it is woken.
//
// Where the team comes from: on Linux, a team of the toolbox's own (threads
// started on the first call that wants them, asleep between calls, stopped
// and joined when the plug-in is unloaded), since OpenMP's runtime (GCC's
// libgomp, which the hosts load) cannot be told its wait policy once loaded:
// its threads spin some milliseconds after every parallel region, and its
// region's end waits for every thread of the team, started or not.
// Elsewhere the team is an OpenMP parallel region (MSVC's OpenMP 2.0 is
// enough: one `parallel` construct with `num_threads`,
// omp_get_thread_num and omp_get_num_procs, no `omp for`), where every
// helper takes part and unloading a DLL cannot join threads of its own (on
// Windows the runtime is linked into each plug-in, which therefore pins
// itself before its first team and stays loaded: threads.cpp); and
// without OpenMP (Apple's clang) every kernel runs on the calling thread.
// Threads run only inside a call: none of them ever calls the host.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
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

// The processors that no thread runs on at this moment, the calling
// thread's own among them (at least 1): on Linux, the processors online less
// the threads running (the kernel's count in /proc/loadavg, read at most
// once every 4 ms); elsewhere as many as asked for.
int freeProcessors();

// The same from the text of /proc/loadavg and the processors online
// (INT_MAX where the text says nothing).
int freeProcessorsOf(const char* loadavg, long online);

// The threads worth asking for `work` units when each thread should get at
// least `minPerThread` of them: between 1 and ex.threads, and no more than
// the processors free now, so that a busy machine runs the call on the
// calling thread, where a team would only queue behind other work. With
// ex.anySize (the tests' way to split any work) neither limit applies.
inline int threadsFor(const Exec& ex, int64_t work, int64_t minPerThread)
{
    if (ex.anySize) {
        const int64_t useful = work < 1 ? 1 : work;
        return useful < ex.threads ? static_cast<int>(useful) : ex.threads;
    }
    const int64_t useful = work / (minPerThread < 1 ? 1 : minPerThread);
    if (useful < 2 || ex.threads < 2)
        return 1;
    int threads = useful < ex.threads ? static_cast<int>(useful) : ex.threads;
    const int free = freeProcessors();
    return threads < free ? threads : free;
}

// Pieces of `size` units covering `count` units: ceil(count / size).
inline int64_t piecesOf(int64_t count, int64_t size) { return (count + size - 1) / size; }

// Runs body(context, h) on the calling thread (h = 0) and on up to
// threads - 1 helpers (h = 1, 2, ...) that take part if they start before
// body has returned on the calling thread; returns once body has returned on
// the calling thread and on every helper that took part. A body must give
// the same result whichever helpers take part: the calling thread alone
// must be able to do all the work. At most kMaxHelpers helpers are started;
// one call at a time uses them (a second calling thread meanwhile runs
// alone).
constexpr int kMaxHelpers = 255;
void team(int threads, void (*body)(void* context, int h), void* context);

template <class Body>
void team(int threads, Body&& body)
{
    if (threads <= 1) {
        body(0);
        return;
    }
    team(threads, [](void* c, int h) { (*static_cast<Body*>(c))(h); }, &body);
}

// For tests: helper h (1 and up; 0 turns it off) sleeps `micros`
// microseconds before each piece it claims, so that the order in which
// pieces are claimed and finished differs from run to run.
void slowHelperForTesting(int h, int micros);
// Called by a thread of a team before the piece it has just claimed.
void beforePiece(int h);

// piece(k) for k = 0 .. count-1, each once, claimed one at a time by the
// calling thread and up to threads - 1 helpers.
template <class Piece>
void pieces(int threads, int64_t count, Piece&& piece)
{
    if (threads <= 1 || count <= 1) {
        for (int64_t k = 0; k < count; ++k)
            piece(k);
        return;
    }
    std::atomic<int64_t> next{0};
    team(count < threads ? static_cast<int>(count) : threads, [&](int h) {
        for (int64_t k; (k = next.fetch_add(1, std::memory_order_relaxed)) < count;) {
            beforePiece(h);
            piece(k);
        }
    });
}

// range(begin, end) over 0 .. n-1: the whole of it on one thread, else in
// pieces claimed by a team, each a multiple of `align` (but the last) and at
// most about `piece` long, at least four a thread where n allows, so that a
// helper that starts late or loses its processor holds back little.
template <class Range>
void ranges(int threads, int64_t n, int64_t align, int64_t piece, Range&& range)
{
    if (threads <= 1 || n <= align) {
        range(int64_t(0), n);
        return;
    }
    int64_t size = n / (4 * int64_t(threads));
    if (size > piece)
        size = piece;
    size = size < align ? align : (size + align - 1) / align * align;
    pieces(threads, piecesOf(n, size), [&](int64_t k) {
        const int64_t begin = k * size;
        range(begin, begin + size < n ? begin + size : n);
    });
}

// Waiting for something another thread of the team makes true: spin a few
// microseconds, then sleep until notify() (from the thread that made it
// true, after making it so). `ready` is read again after every wake-up.
class Parking {
public:
    template <class Ready>
    void wait(Ready&& ready)
    {
        for (int spin = 0; spin < kSpins; ++spin) {
            if (ready())
                return;
            relax();
        }
        std::unique_lock<std::mutex> lock(mutex_);
        sleepers_.fetch_add(1, std::memory_order_seq_cst);
        std::atomic_thread_fence(std::memory_order_seq_cst);
        while (!ready())
            wake_.wait(lock);
        sleepers_.fetch_sub(1, std::memory_order_relaxed);
    }

    // After the change that a waiter waits for: wakes the sleepers, if any
    // (a futex call only when someone sleeps).
    void notify()
    {
        std::atomic_thread_fence(std::memory_order_seq_cst);
        if (sleepers_.load(std::memory_order_seq_cst) != 0) {
            std::lock_guard<std::mutex> lock(mutex_);
            wake_.notify_all();
        }
    }

private:
    static constexpr int kSpins = 256;  // some microseconds of pause
    static void relax()
    {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
    std::mutex mutex_;
    std::condition_variable wake_;
    std::atomic<int> sleepers_{0};
};

// Chunks 0 .. count-1 formed on a team and used in order by `chains`
// chains. form(k, slot) fills slot number `slot` (of `slots`) with chunk k;
// use(c, k, slot) is chain c's use of chunk k, in the order k = 0, 1, 2, ...,
// each chain used by one thread at a time: so what a chain accumulates is
// formed by the same operations in the same order at any number of
// threads. Chain c is used by thread c of the team (chain 0 by the calling
// thread, always), or by another chain's thread where it lags behind. A slot
// is filled again only once every chain has used its chunk. Every thread
// takes whatever can be done next: a use of its chain first (the chains are
// what the call waits for), else a chunk to form; a thread waits only when
// neither is there, and the calling thread can do everything alone. With one thread: form, use by each chain, form, ...
template <class Form, class Use>
void inOrder(int threads, int64_t count, int slots, int chains, Form&& form, Use&& use)
{
    if (threads <= 1 || slots < 1 || count <= 1) {
        for (int64_t k = 0; k < count; ++k) {
            form(k, 0);
            for (int c = 0; c < chains; ++c)
                use(c, k, 0);
        }
        return;
    }
    // ready[s]: the chunk slot s holds (-1: none yet).
    std::unique_ptr<std::atomic<int64_t>[]> ready(new std::atomic<int64_t>[slots]);
    for (int s = 0; s < slots; ++s)
        ready[s].store(-1, std::memory_order_relaxed);
    // Chain c's next chunk, and whether a thread holds the chain.
    struct Chain {
        std::atomic<int64_t> next{0};
        std::atomic<bool> held{false};
    };
    std::unique_ptr<Chain[]> chain(new Chain[chains]);
    std::atomic<int64_t> claimed{0};  // chunks handed out to be formed
    std::atomic<int64_t> progress{0};  // counts every chunk formed and used
    Parking parking;
    auto done = [&] {
        progress.fetch_add(1, std::memory_order_release);
        parking.notify();
    };
    // The first chunk some chain has not used: slots of earlier ones are free.
    auto firstUnused = [&] {
        int64_t m = count;
        for (int c = 0; c < chains; ++c) {
            const int64_t k = chain[c].next.load(std::memory_order_acquire);
            m = k < m ? k : m;
        }
        return m;
    };
    team(threads, [&](int h) {
        for (;;) {
            const int64_t seen = progress.load(std::memory_order_acquire);
            bool worked = false;
            // Thread h holds chain h, whose data then stays in its caches,
            // and takes another chain's use only where that chain lags
            // behind its own (its thread late, or not there); a thread
            // beyond the chains forms chunks only.
            const int64_t mine = h < chains ? chain[h].next.load(std::memory_order_acquire) : -1;
            for (int i = 0; i < chains && !worked && mine >= 0; ++i) {
                const int c = (i + h) % chains;
                Chain& ch = chain[c];
                const int64_t k = ch.next.load(std::memory_order_acquire);
                if (k >= count || (i > 0 && k >= mine) ||
                    ready[k % slots].load(std::memory_order_acquire) != k)
                    continue;
                bool free = false;
                if (!ch.held.compare_exchange_strong(free, true, std::memory_order_acquire))
                    continue;
                if (ch.next.load(std::memory_order_relaxed) == k) {
                    use(c, k, static_cast<int>(k % slots));
                    ch.next.store(k + 1, std::memory_order_release);
                    worked = true;
                }
                ch.held.store(false, std::memory_order_release);
            }
            if (worked) {
                done();
                continue;
            }
            int64_t k = claimed.load(std::memory_order_relaxed);
            if (k < count && k < firstUnused() + slots &&
                claimed.compare_exchange_strong(k, k + 1, std::memory_order_relaxed)) {
                beforePiece(h);
                form(k, static_cast<int>(k % slots));
                ready[k % slots].store(k, std::memory_order_release);
                done();
                continue;
            }
            if (firstUnused() >= count)
                return;
            parking.wait([&] { return progress.load(std::memory_order_acquire) != seen; });
        }
    });
}

}  // namespace tbx
