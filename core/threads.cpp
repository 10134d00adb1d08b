#include "threads.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#if defined(__linux__)
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>
#define TBX_OWN_TEAM 1
#else
#define TBX_OWN_TEAM 0
#endif
#if defined(_OPENMP)
#include <omp.h>
#endif
#if defined(_WIN32) && defined(_OPENMP)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace tbx {

int availableProcessors()
{
#if defined(__linux__)
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        const int n = CPU_COUNT(&set);
        if (n > 0)
            return n;
    }
#endif
#if defined(_OPENMP)
    return omp_get_num_procs() > 0 ? omp_get_num_procs() : 1;
#else
    return static_cast<int>(std::thread::hardware_concurrency() > 0
                                ? std::thread::hardware_concurrency()
                                : 1);
#endif
}

ThreadChoice chooseThreads(const char* requested, int available)
{
    ThreadChoice c;
    c.threads = available > 0 ? available : 1;
    if (requested == nullptr || *requested == '\0')
        return c;
    char* end = nullptr;
    errno = 0;
    // Blanks around the number are allowed on both sides (strtol skips
    // those before it).
    const long n = std::strtol(requested, &end, 10);
    while (end != nullptr && std::isspace(static_cast<unsigned char>(*end)))
        ++end;
    if (errno != 0 || end == requested || *end != '\0' || n < 1 || n > 4096) {
        c.threads = 1;
        c.problem = std::string("MEXTOOLBOX_THREADS=") + requested +
                    " is not a number of threads; use a whole number from 1 to 4096, "
                    "or leave it unset for every processor this process may use";
        return c;
    }
    c.threads = static_cast<int>(n);
    return c;
}

ThreadChoice threadCount()
{
    return chooseThreads(std::getenv("MEXTOOLBOX_THREADS"), availableProcessors());
}

int freeProcessorsOf(const char* loadavg, long online)
{
    // Past three averages: "0.52 0.58 0.59 3/512 12345".
    const char* p = loadavg;
    for (int field = 0; field < 3 && p; ++field) {
        p = std::strchr(p, ' ');
        if (p)
            ++p;
    }
    char* end = nullptr;
    const long running = p ? std::strtol(p, &end, 10) : 0;
    if (!p || end == p || *end != '/' || running < 1 || online < 1)
        return INT_MAX;
    return static_cast<int>(online - running + 1 > 1 ? online - running + 1 : 1);
}

int freeProcessors()
{
#if defined(__linux__)
    // The fourth field of /proc/loadavg, "running/total": the threads
    // running or ready to run right now, this one included. Reading it
    // costs some microseconds (a file opened, read and closed), so it is
    // read at most once every 4 ms (a scheduler tick at 250 Hz), and the
    // processors online once (glibc's count opens a file of its own).
    static std::atomic<int64_t> readAt{-1};  // microseconds; -1: never
    static std::atomic<int> lastFree{1};
    static const long online = sysconf(_SC_NPROCESSORS_ONLN);
    const int64_t now = std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
    const int64_t last = readAt.load(std::memory_order_relaxed);
    if (last >= 0 && now >= last && now - last < 4000)
        return lastFree.load(std::memory_order_relaxed);
    int free = INT_MAX;
    const int fd = open("/proc/loadavg", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        char text[128];
        const ssize_t got = read(fd, text, sizeof text - 1);
        close(fd);
        if (got > 0) {
            text[got] = '\0';
            free = freeProcessorsOf(text, online);
        }
    }
    lastFree.store(free, std::memory_order_relaxed);
    readAt.store(now, std::memory_order_relaxed);
    return free;
#else
    return INT_MAX;
#endif
}

namespace {

std::atomic<int> g_slowHelper{0};
std::atomic<int> g_slowMicros{0};

}  // namespace

void slowHelperForTesting(int h, int micros)
{
    g_slowMicros.store(micros, std::memory_order_relaxed);
    g_slowHelper.store(h, std::memory_order_relaxed);
}

void beforePiece(int h)
{
    if (h != 0 && h == g_slowHelper.load(std::memory_order_relaxed))
        std::this_thread::sleep_for(
            std::chrono::microseconds(g_slowMicros.load(std::memory_order_relaxed)));
}

#if TBX_OWN_TEAM
namespace {

// The helpers of this plug-in. Between calls they sleep on `wake`. A call
// posts its body under a new generation number and wakes as many helpers as
// it wants; each helper that wakes enters the call through `state` only
// while the call is open, and the calling thread, once its own body has
// returned, closes the call and waits for the helpers that entered, and for
// no other.
class Pool {
public:
    ~Pool()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (owner_ != getpid()) {
            // A forked child holds copies of the parent's thread handles,
            // not threads: nothing to join, and nothing may be destroyed
            // joinable.
            new std::vector<std::thread>(std::move(helpers_));
            return;
        }
        for (std::thread& t : helpers_)
            t.join();
    }

    void run(int threads, void (*body)(void*, int), void* context)
    {
        std::unique_lock<std::mutex> calling(busy_, std::try_to_lock);
        if (!calling.owns_lock() || owner_ != getpid()) {
            body(context, 0);
            return;
        }
        const int wanted = start(threads - 1 < kMaxHelpers ? threads - 1 : kMaxHelpers);
        if (wanted == 0) {
            body(context, 0);
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++generation_;
            body_ = body;
            context_ = context;
            wanted_ = wanted;
            takers_ = 0;
            state_.store(uint64_t(uint32_t(generation_)) << 32, std::memory_order_relaxed);
        }
        if (wanted == static_cast<int>(helpers_.size()))
            wake_.notify_all();
        else
            for (int h = 0; h < wanted; ++h)
                wake_.notify_one();
        body(context, 0);
        // Closed: a helper that has not entered yet will not. Then wait for
        // those inside to leave.
        const uint64_t s = state_.fetch_or(kClosed, std::memory_order_acq_rel);
        if ((s & kInside) != 0)
            left_.wait([&] { return (state_.load(std::memory_order_acquire) & kInside) == 0; });
    }

private:
    static constexpr uint64_t kClosed = uint64_t(1) << 31;
    static constexpr uint64_t kInside = kClosed - 1;

    // Starts helpers up to `wanted`; returns how many there are (fewer
    // where the system refuses a thread).
    int start(int wanted)
    {
        while (static_cast<int>(helpers_.size()) < wanted) {
            try {
                helpers_.emplace_back([this] { serve(); });
            } catch (...) {
                break;
            }
        }
        return static_cast<int>(helpers_.size()) < wanted ? static_cast<int>(helpers_.size())
                                                          : wanted;
    }

    void serve()
    {
        uint64_t seen = 0;
        for (;;) {
            void (*body)(void*, int);
            void* context;
            int h;
            uint64_t generation;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] {
                    return stopping_ || (generation_ != seen && takers_ < wanted_);
                });
                if (stopping_)
                    return;
                seen = generation = generation_;
                body = body_;
                context = context_;
                h = ++takers_;
            }
            // Enter, if the call is still open.
            const uint64_t open = uint64_t(uint32_t(generation)) << 32;
            uint64_t s = state_.load(std::memory_order_relaxed);
            bool entered = false;
            while ((s & ~kInside) == open) {
                if (state_.compare_exchange_weak(s, s + 1, std::memory_order_acquire,
                                                 std::memory_order_relaxed)) {
                    entered = true;
                    break;
                }
            }
            if (!entered)
                continue;
            body(context, h);
            if (state_.fetch_sub(1, std::memory_order_acq_rel) == (open | kClosed | 1))
                left_.notify();
        }
    }

    std::mutex busy_;  // held by the calling thread of the call in progress
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::thread> helpers_;
    const pid_t owner_ = getpid();
    // Under mutex_: the call posted last and who took part in it.
    uint64_t generation_ = 0;
    void (*body_)(void*, int) = nullptr;
    void* context_ = nullptr;
    int wanted_ = 0, takers_ = 0;
    bool stopping_ = false;
    // The low 32 bits of the call's generation, its closed bit and the
    // helpers inside it.
    std::atomic<uint64_t> state_{kClosed};
    Parking left_;
};

Pool& pool()
{
    static Pool p;
    return p;
}

}  // namespace

void team(int threads, void (*body)(void* context, int h), void* context)
{
    if (threads <= 1) {
        body(context, 0);
        return;
    }
    pool().run(threads, body, context);
}

#else  // not TBX_OWN_TEAM

#if defined(_WIN32) && defined(_OPENMP)
namespace {

// The OpenMP runtime keeps its threads after a team is done, idle in its own
// code, for the next team. On Windows that code is inside the plug-in (the
// runtime is linked in statically), so a host that unloads the plug-in
// (MATLAB's clear mex) would take it from under them. Before its first team
// the plug-in pins itself: from then on it stays loaded until the process
// ends. A plug-in that never started a team unloads as any DLL.
void stayLoaded()
{
    static const bool pinned = [] {
        HMODULE self = nullptr;
        return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                                  reinterpret_cast<LPCWSTR>(&stayLoaded), &self) != 0;
    }();
    (void)pinned;
}

}  // namespace
#endif

void team(int threads, void (*body)(void* context, int h), void* context)
{
#if defined(_OPENMP)
    if (threads > 1) {
        const int n = threads - 1 < kMaxHelpers ? threads : kMaxHelpers + 1;
#if defined(_WIN32)
        stayLoaded();
#endif
#pragma omp parallel num_threads(n)
        body(context, omp_get_thread_num());
        return;
    }
#endif
    (void)threads;
    body(context, 0);
}

#endif

}  // namespace tbx
