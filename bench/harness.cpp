#include "harness.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

#if defined(__linux__)
#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#include <immintrin.h>
#define BENCH_AVX2 1
#endif

namespace bench {

int g_threads = 1;

std::vector<Registered>& registry()
{
    static std::vector<Registered> r;
    return r;
}

Registrar::Registrar(const char* subsystem, CaseMaker make)
{
    registry().push_back({subsystem, make});
}

namespace {

uint64_t streamReadPlain(const uint64_t* q, size_t count)
{
    uint64_t a = 0, b = 0, c = 0, d = 0;
    size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        a ^= q[i];
        b ^= q[i + 1];
        c ^= q[i + 2];
        d ^= q[i + 3];
    }
    for (; i < count; ++i)
        a ^= q[i];
    return a ^ b ^ c ^ d;
}

#ifdef BENCH_AVX2
// The same with 256-bit loads, as the kernels read, four independent lanes.
__attribute__((target("avx2"))) uint64_t streamReadAvx2(const uint64_t* q, size_t count)
{
    __m256i a = _mm256_setzero_si256(), b = a, c = a, d = a;
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        a = _mm256_xor_si256(a, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + i)));
        b = _mm256_xor_si256(b, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + i + 4)));
        c = _mm256_xor_si256(c, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + i + 8)));
        d = _mm256_xor_si256(d, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + i + 12)));
    }
    alignas(32) uint64_t lanes[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes),
                       _mm256_xor_si256(_mm256_xor_si256(a, b), _mm256_xor_si256(c, d)));
    return lanes[0] ^ lanes[1] ^ lanes[2] ^ lanes[3] ^ streamReadPlain(q + i, count - i);
}
#endif

}  // namespace

uint64_t streamRead(const double* p, size_t count)
{
    const uint64_t* q = reinterpret_cast<const uint64_t*>(p);
#ifdef BENCH_AVX2
    if (__builtin_cpu_supports("avx2"))
        return streamReadAvx2(q, count);
#endif
    return streamReadPlain(q, count);
}

#ifdef BENCH_AVX2
// Each point of up to four coordinates in one masked 256-bit load, as the
// kernels read them.
__attribute__((target("avx2"))) static uint64_t gatherReadAvx2(const double* base, int64_t d,
                                                               const int64_t* oi,
                                                               const int64_t* oj, int64_t count)
{
    const __m256i mask = _mm256_set_epi64x(d > 3 ? -1 : 0, d > 2 ? -1 : 0, d > 1 ? -1 : 0, -1);
    __m256i a = _mm256_setzero_si256(), b = a;
    for (int64_t r = 0; r < count; ++r) {
        a = _mm256_xor_si256(a, _mm256_castpd_si256(_mm256_maskload_pd(base + oi[r], mask)));
        b = _mm256_xor_si256(b, _mm256_castpd_si256(_mm256_maskload_pd(base + oj[r], mask)));
    }
    alignas(32) uint64_t lanes[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), _mm256_xor_si256(a, b));
    return lanes[0] ^ lanes[1] ^ lanes[2] ^ lanes[3];
}
#endif

uint64_t gatherRead(const double* base, int64_t d, const int64_t* oi, const int64_t* oj,
                    int64_t count)
{
#ifdef BENCH_AVX2
    if (d >= 1 && d <= 4 && __builtin_cpu_supports("avx2"))
        return gatherReadAvx2(base, d, oi, oj, count);
#endif
    const uint64_t* q = reinterpret_cast<const uint64_t*>(base);
    uint64_t a = 0, b = 0;
    for (int64_t r = 0; r < count; ++r)
        for (int64_t k = 0; k < d; ++k) {
            a ^= q[oi[r] + k];
            b ^= q[oj[r] + k];
        }
    return a ^ b;
}

namespace {

double squareRootsPlain(const double* p, int64_t count)
{
    double a = 0, b = 0;
    int64_t i = 0;
    for (; i + 2 <= count; i += 2) {
        a += std::sqrt(p[i]);
        b += std::sqrt(p[i + 1]);
    }
    for (; i < count; ++i)
        a += std::sqrt(p[i]);
    return a + b;
}

#ifdef BENCH_AVX2
__attribute__((target("avx2"))) double squareRootsAvx2(const double* p, int64_t count)
{
    __m256d a = _mm256_setzero_pd(), b = a;
    int64_t i = 0;
    for (; i + 8 <= count; i += 8) {
        a = _mm256_add_pd(a, _mm256_sqrt_pd(_mm256_loadu_pd(p + i)));
        b = _mm256_add_pd(b, _mm256_sqrt_pd(_mm256_loadu_pd(p + i + 4)));
    }
    alignas(32) double lanes[4];
    _mm256_store_pd(lanes, _mm256_add_pd(a, b));
    return lanes[0] + lanes[1] + lanes[2] + lanes[3] + squareRootsPlain(p + i, count - i);
}
#endif

}  // namespace

double squareRoots(const double* p, int64_t count)
{
#ifdef BENCH_AVX2
    if (__builtin_cpu_supports("avx2"))
        return squareRootsAvx2(p, count);
#endif
    return squareRootsPlain(p, count);
}

double serialAdds(int64_t count)
{
    volatile double one = 1.0;  // opaque to the compiler: no folding
    const double x = one;
    double acc = 0.0;
    for (int64_t i = 0; i < count; ++i)
        acc = acc + x;
    return acc;
}

Busy::Busy(int count)
{
#if defined(__linux__)
    const pid_t parent = getpid();
    for (int i = 0; i < count; ++i) {
        const pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent)
                _exit(0);
            volatile double x = 1.0;
            for (;;)
                x = x * 1.0000001 + 1e-9;
        }
        if (pid > 0)
            pids_.push_back(pid);
    }
    // Let the scheduler spread them before anything is timed.
    if (count > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
#else
    (void)count;
#endif
}

Busy::~Busy()
{
#if defined(__linux__)
    for (int pid : pids_)
        kill(pid, SIGKILL);
    for (int pid : pids_)
        waitpid(pid, nullptr, 0);
#endif
}

std::vector<double> uniform(std::mt19937_64& rng, size_t count, double lo, double hi)
{
    std::uniform_real_distribution<double> u(lo, hi);
    std::vector<double> v(count);
    for (double& x : v)
        x = u(rng);
    return v;
}

std::vector<double> randomTable(std::mt19937_64& rng, int64_t m, int64_t n, int cols, double side)
{
    std::vector<double> T(static_cast<size_t>(m * cols));
    std::uniform_int_distribution<int64_t> point(1, n);
    std::uniform_real_distribution<double> u(0.0, 1.2 * side);
    const double codes[] = {1, -2, 0, -1, -3};
    for (int64_t r = 0; r < m; ++r) {
        T[r] = static_cast<double>(point(rng));
        T[r + m] = static_cast<double>(point(rng));
        T[r + 2 * m] = u(rng);
        if (cols == 4)
            T[r + 3 * m] = codes[r % 5];
    }
    return T;
}

std::string compareBits(const std::vector<double>& a, const std::vector<double>& b)
{
    if (a.size() != b.size())
        return "sizes differ: " + std::to_string(a.size()) + " vs " + std::to_string(b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        uint64_t x, y;
        std::memcpy(&x, &a[i], 8);
        std::memcpy(&y, &b[i], 8);
        if (x != y && !(std::isnan(a[i]) && std::isnan(b[i]))) {
            char text[160];
            std::snprintf(text, sizeof text, "element %zu: %.17g (0x%016llx) vs %.17g (0x%016llx)",
                          i, a[i], static_cast<unsigned long long>(x), b[i],
                          static_cast<unsigned long long>(y));
            return text;
        }
    }
    return "";
}

}  // namespace bench
