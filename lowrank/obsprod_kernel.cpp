// obsprod: each product summed from 0.0 in row order, four side by side.
#include "kernels.h"
#include "simd.h"
#include "threads.h"

namespace lowrank {
namespace {

// ---- The plain loop -------------------------------------------------------
// Products k0 .. k1-1, each summed from 0.0 term by term in row order.
void plainProducts(const Factors& f, const Samples& s, int64_t k0, int64_t k1, double* v)
{
    const int64_t r = f.r;
    for (int64_t k = k0; k < k1; ++k) {
        double sum = 0.0;
        if (r > 0) {
            const double* x = f.Xt + tbx::columnOffset(s.I[k], r);
            const double* y = f.Y + tbx::columnOffset(s.J[k], r);
            for (int64_t t = 0; t < r; ++t)
                sum = sum + x[t] * y[t];
        }
        v[k] = sum;
    }
}

// ---- Four products side by side -------------------------------------------
// Products k .. k+3 take one lane each: lane l adds Xt[oX_l + t] * Y[oY_l + t]
// to its own sum for t = 0 .. r-1 in order, from 0.0, the plain loop's
// operations on that product. The columns are read four rows at a time,
// multiplied pairwise and the products transposed in registers, so that the
// lanes' terms for row t sit in one vector; rows left over (r not a multiple
// of 4) are read two or one at a time, never past a column's end. The
// columns of products a few groups ahead are prefetched: the samples are
// random, and the factors rarely sit in the nearest caches: at the scale of a
// large rating matrix (a factor of tens of megabytes) every column read
// misses every cache and its page's translation too, so enough of them have
// to be in flight at once to hide the memory's latency.
}  // namespace

// (Outside the unnamed namespace: builds without the AVX2 paths declare it
// and never define it.)
TBX_AVX2 void laneProducts(int64_t r, int64_t L4, const double* Xt, const double* Y,
                           const double* I, const double* J, double* v);

#if TBX_SIMD

// Products between a prefetch and its use. At 10^7 random samples of a
// 480189-column factor, a loop that only reads the columns took 33 ns a
// sample asking 8 ahead, 25 at 16, 18 at 32, 15 at 64, 19 at 128: some
// twenty misses in flight is what the memory system keeps.
constexpr int64_t kAhead = 64;

// The products of rows t .. t+3 of the four column pairs (x[l], y[l]):
// r[u] holds row t+u, lane l the product x[l][t+u] * y[l][t+u]. Each product
// is formed within its column pair, then the four are transposed into the
// lanes: the same products as the plain loop's, one shuffle pass instead of
// one per factor.
TBX_AVX2 inline void products4(const double* const* x, const double* const* y, int64_t t,
                                   __m256d* r)
{
    tbx::simd::transpose4(_mm256_mul_pd(_mm256_loadu_pd(x[0] + t), _mm256_loadu_pd(y[0] + t)),
               _mm256_mul_pd(_mm256_loadu_pd(x[1] + t), _mm256_loadu_pd(y[1] + t)),
               _mm256_mul_pd(_mm256_loadu_pd(x[2] + t), _mm256_loadu_pd(y[2] + t)),
               _mm256_mul_pd(_mm256_loadu_pd(x[3] + t), _mm256_loadu_pd(y[3] + t)), r);
}

// The same for rows t and t+1.
TBX_AVX2 inline void products2(const double* const* x, const double* const* y, int64_t t,
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

// Asks for the cache lines of a column of r doubles.
inline void prefetchColumn(const double* p, int64_t r)
{
    _mm_prefetch(reinterpret_cast<const char*>(p), _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(p + r - 1), _MM_HINT_T0);
}

constexpr int64_t kRing = 2 * kAhead;  // a multiple of 4 above kAhead
static_assert(kRing % 4 == 0 && kRing >= kAhead + 4 && kAhead % 4 == 0, "ring size");

// The offsets of the group of products a .. a+3 into the rings, and their
// columns asked for.
TBX_AVX2 inline void ask(int64_t a, int64_t r, __m256d rd, const double* Xt, const double* Y,
                         const double* I, const double* J, int64_t* ox, int64_t* oy)
{
    int64_t* px = ox + a % kRing;
    int64_t* py = oy + a % kRing;
    _mm256_store_si256(reinterpret_cast<__m256i*>(px), tbx::simd::columnOffsets4(I + a, rd));
    _mm256_store_si256(reinterpret_cast<__m256i*>(py), tbx::simd::columnOffsets4(J + a, rd));
    for (int l = 0; l < 4; ++l) {
        prefetchColumn(Xt + px[l], r);
        prefetchColumn(Y + py[l], r);
    }
}

// Products 0 .. L4-1, L4 a multiple of 4; r > 0. The column offsets of a
// group of four products are formed kAhead products before its turn, kept
// in a ring, and their columns prefetched there.
TBX_AVX2 void laneProducts(int64_t r, int64_t L4, const double* Xt, const double* Y,
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
            s = _mm256_add_pd(s, _mm256_mul_pd(tbx::simd::gather4(x, t),
                                               tbx::simd::gather4(y, t)));
        _mm256_storeu_pd(v + k, s);
    }
}

#endif  // TBX_SIMD

namespace {

// Products k0 .. k1-1 on the path of `ex`. With r = 0 nothing is read and
// every product is the 0.0 it starts from: the plain loop then.
void products(const Factors& f, const Samples& s, int64_t k0, int64_t k1, double* v,
              const tbx::Exec& ex)
{
    const int64_t k4 = k0 + (k1 - k0) / 4 * 4;
    tbx::onPath(
        f.r > 0 ? ex.path : tbx::Path::plain,
        [&] {
            laneProducts(f.r, k4 - k0, f.Xt, f.Y, s.I + k0, s.J + k0, v + k0);
            plainProducts(f, s, k4, k1, v);
        },
        [&] { plainProducts(f, s, k0, k1, v); });
}

// Products are independent: a team claims them in pieces, each piece's
// products formed by the thread that claimed it. Fewer multiply-adds than
// this a thread are not worth asking for one; pieces are at most kPiece
// products.
constexpr int64_t kMinWorkPerThread = 16384;
constexpr int64_t kPiece = 8192;

}  // namespace

void obsprodKernel(const Factors& f, const Samples& s, double* v, const tbx::Exec& ex)
{
    const int64_t work = s.L * (f.r > 0 ? f.r : 1);
    tbx::ranges(tbx::threadsFor(ex, work, kMinWorkPerThread), s.L, 4, kPiece,
                [&](int64_t k0, int64_t k1) { products(f, s, k0, k1, v, ex); });
}

}  // namespace lowrank
