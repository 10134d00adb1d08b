#include "threads.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

#if defined(__linux__)
#include <sched.h>
#endif
#if defined(_OPENMP)
#include <omp.h>
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
    return 1;
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

void parallel(int threads, void (*body)(void* context, int t, int T), void* context)
{
#if defined(_OPENMP)
    if (threads > 1) {
#pragma omp parallel num_threads(threads)
        body(context, omp_get_thread_num(), omp_get_num_threads());
        return;
    }
#endif
    (void)threads;
    body(context, 0, 1);
}

}  // namespace tbx
