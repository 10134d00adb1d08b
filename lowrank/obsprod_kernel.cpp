#include "kernels.h"
#include "cpu.h"

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#define LOWRANK_LANES 1
#include <immintrin.h>
// AVX2 alone, no FMA: a fused multiply-add would round once where the plain
// loop rounds the product and the sum separately.
#define LOWRANK_AVX2 __attribute__((target("avx2")))
#else
#define LOWRANK_LANES 0
#endif

namespace lowrank {
namespace {

// ---- The plain loop -------------------------------------------------------
// Products k0 .. k1-1, each summed from 0.0 term by term in row order.
void plainProducts(int64_t r, int64_t k0, int64_t k1, const double* Xt, const double* Y,
                   const double* I, const double* J, double* v)
{
    for (int64_t k = k0; k < k1; ++k) {
        double s = 0.0;
        if (r > 0) {
            const double* x = Xt + tbx::columnOffset(I[k], r);
            const double* y = Y + tbx::columnOffset(J[k], r);
            for (int64_t t = 0; t < r; ++t)
                s = s + x[t] * y[t];
        }
        v[k] = s;
    }
}

// ---- Four products side by side -------------------------------------------
// Products k .. k+3 take one lane each: lane l adds Xt[oX_l + t] * Y[oY_l + t]
// to its own sum for t = 0 .. r-1 in order, from 0.0, the plain loop's
// operations on that product. The columns are read four rows at a time,
// multiplied pairwise and the products transposed in registers, so that the
// lanes' terms for row t sit in one vector; rows left over (r not a multiple
// of 4) are read two or one at a time, never past a column's end. The columns of products a few groups
// ahead are prefetched: the samples are random, and the factors rarely sit in
// the nearest caches.
#if LOWRANK_LANES

constexpr int64_t kAhead = 16;  // products between a prefetch and its use

LOWRANK_AVX2 inline void transpose4(__m256d a0, __m256d a1, __m256d a2, __m256d a3, __m256d* r)
{
    const __m256d t0 = _mm256_unpacklo_pd(a0, a1);
    const __m256d t1 = _mm256_unpackhi_pd(a0, a1);
    const __m256d t2 = _mm256_unpacklo_pd(a2, a3);
    const __m256d t3 = _mm256_unpackhi_pd(a2, a3);
    r[0] = _mm256_permute2f128_pd(t0, t2, 0x20);
    r[1] = _mm256_permute2f128_pd(t1, t3, 0x20);
    r[2] = _mm256_permute2f128_pd(t0, t2, 0x31);
    r[3] = _mm256_permute2f128_pd(t1, t3, 0x31);
}

// The products of rows t .. t+3 of the four column pairs (x[l], y[l]):
// r[u] holds row t+u, lane l the product x[l][t+u] * y[l][t+u]. Each product
// is formed within its column pair, then the four are transposed into the
// lanes: the same products as the plain loop's, one shuffle pass instead of
// one per factor.
LOWRANK_AVX2 inline void products4(const double* const* x, const double* const* y, int64_t t,
                                   __m256d* r)
{
    transpose4(_mm256_mul_pd(_mm256_loadu_pd(x[0] + t), _mm256_loadu_pd(y[0] + t)),
               _mm256_mul_pd(_mm256_loadu_pd(x[1] + t), _mm256_loadu_pd(y[1] + t)),
               _mm256_mul_pd(_mm256_loadu_pd(x[2] + t), _mm256_loadu_pd(y[2] + t)),
               _mm256_mul_pd(_mm256_loadu_pd(x[3] + t), _mm256_loadu_pd(y[3] + t)), r);
}

// The same for rows t and t+1.
LOWRANK_AVX2 inline void products2(const double* const* x, const double* const* y, int64_t t,
                                   __m256d* r)
{
    __m128d q[4];
    for (int l = 0; l < 4; ++l)
        q[l] = _mm_mul_pd(_mm_loadu_pd(x[l] + t), _mm_loadu_pd(y[l] + t));
    const __m256d a = _mm256_insertf128_pd(_mm256_castpd128_pd256(q[0]), q[2], 1);
    const __m256d b = _mm256_insertf128_pd(_mm256_castpd128_pd256(q[1]), q[3], 1);
    r[0] = _mm256_unpacklo_pd(a, b);
    r[1] = _mm256_unpackhi_pd(a, b);
}

// Row t of the four columns.
LOWRANK_AVX2 inline __m256d row1(const double* const* p, int64_t t)
{
    const __m128d a = _mm_loadh_pd(_mm_load_sd(p[0] + t), p[1] + t);
    const __m128d b = _mm_loadh_pd(_mm_load_sd(p[2] + t), p[3] + t);
    return _mm256_insertf128_pd(_mm256_castpd128_pd256(a), b, 1);
}

// Asks for the cache lines of a column of r doubles.
inline void prefetchColumn(const double* p, int64_t r)
{
    _mm_prefetch(reinterpret_cast<const char*>(p), _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(p + r - 1), _MM_HINT_T0);
}

// Column offsets of the four indices x[0..3], as tbx::columnOffset forms
// them: (x - 1) * r, each step rounded to double, truncated toward zero. The
// gateways have checked that every offset lies in 0 .. r*(columns-1), far
// below 2^51, where adding 2^52 to the truncated double leaves the integer
// in the low bits of its pattern.
LOWRANK_AVX2 inline __m256i offsets4(const double* x, __m256d r)
{
    const __m256d two52 = _mm256_set1_pd(4503599627370496.0);
    __m256d o = _mm256_mul_pd(_mm256_sub_pd(_mm256_loadu_pd(x), _mm256_set1_pd(1.0)), r);
    o = _mm256_round_pd(o, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
    return _mm256_sub_epi64(_mm256_castpd_si256(_mm256_add_pd(o, two52)),
                            _mm256_castpd_si256(two52));
}

constexpr int64_t kRing = 2 * kAhead;  // a multiple of 4 above kAhead
static_assert(kRing % 4 == 0 && kRing >= kAhead + 4 && kAhead % 4 == 0, "ring size");

// The offsets of the group of products a .. a+3 into the rings, and their
// columns asked for.
LOWRANK_AVX2 inline void ask(int64_t a, int64_t r, __m256d rd, const double* Xt, const double* Y,
                             const double* I, const double* J, int64_t* ox, int64_t* oy)
{
    int64_t* px = ox + a % kRing;
    int64_t* py = oy + a % kRing;
    _mm256_store_si256(reinterpret_cast<__m256i*>(px), offsets4(I + a, rd));
    _mm256_store_si256(reinterpret_cast<__m256i*>(py), offsets4(J + a, rd));
    for (int l = 0; l < 4; ++l) {
        prefetchColumn(Xt + px[l], r);
        prefetchColumn(Y + py[l], r);
    }
}

// Products 0 .. L4-1, L4 a multiple of 4; r > 0. The column offsets of a
// group of four products are formed kAhead products before its turn, kept
// in a ring, and their columns prefetched there.
LOWRANK_AVX2 void laneProducts(int64_t r, int64_t L4, const double* Xt, const double* Y,
                               const double* I, const double* J, double* v)
{
    alignas(32) int64_t ox[kRing], oy[kRing];
    const __m256d rd = _mm256_set1_pd(static_cast<double>(r));
    for (int64_t a = 0; a < kAhead && a < L4; a += 4)
        ask(a, r, rd, Xt, Y, I, J, ox, oy);

    for (int64_t k = 0; k < L4; k += 4) {
        if (k + kAhead < L4)
            ask(k + kAhead, r, rd, Xt, Y, I, J, ox, oy);
        const double* x[4];
        const double* y[4];
        for (int64_t l = 0; l < 4; ++l) {
            x[l] = Xt + ox[(k + l) % kRing];
            y[l] = Y + oy[(k + l) % kRing];
        }
        __m256d s = _mm256_setzero_pd();
        int64_t t = 0;
        for (; t + 4 <= r; t += 4) {
            __m256d p[4];
            products4(x, y, t, p);
            s = _mm256_add_pd(s, p[0]);
            s = _mm256_add_pd(s, p[1]);
            s = _mm256_add_pd(s, p[2]);
            s = _mm256_add_pd(s, p[3]);
        }
        if (t + 2 <= r) {
            __m256d p[2];
            products2(x, y, t, p);
            s = _mm256_add_pd(s, p[0]);
            s = _mm256_add_pd(s, p[1]);
            t += 2;
        }
        if (t < r)
            s = _mm256_add_pd(s, _mm256_mul_pd(row1(x, t), row1(y, t)));
        _mm256_storeu_pd(v + k, s);
    }
}

#endif  // LOWRANK_LANES

}  // namespace

namespace lanes {

bool available()
{
#if LOWRANK_LANES
    return tbx::hasAvx2();
#else
    return false;
#endif
}

}  // namespace lanes

void obsprodKernel(int64_t r, int64_t L, const double* Xt, const double* Y, const double* I,
                   const double* J, double* v)
{
#if LOWRANK_LANES
    // With r = 0 nothing is read and every product is the 0.0 it starts from.
    if (r > 0 && L >= 4 && lanes::available()) {
        const int64_t L4 = L / 4 * 4;
        laneProducts(r, L4, Xt, Y, I, J, v);
        plainProducts(r, L4, L, Xt, Y, I, J, v);
        return;
    }
#endif
    plainProducts(r, 0, L, Xt, Y, I, J, v);
}

const char* kernelPath() { return lanes::available() ? "avx2" : "plain"; }

namespace plain {

void obsprodKernel(int64_t r, int64_t L, const double* Xt, const double* Y, const double* I,
                   const double* J, double* v)
{
    plainProducts(r, 0, L, Xt, Y, I, J, v);
}

}  // namespace plain
}  // namespace lowrank
