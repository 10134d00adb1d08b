// obsprod: each product summed from 0.0 in row order, four side by side.
#include "kernels.h"

#include <algorithm>
#include <cmath>
#include <vector>

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

// ---- Samples in a sparse matrix's order -----------------------------------
// Samples listed column by column with the rows of each column ascending (as
// find gives a sparse matrix's entries) read the whole of Xt once per column
// of samples: where Xt is larger than the caches, every read misses. Taken in
// chunks of many columns, a chunk's products are formed stripe by stripe of
// Xt: first those of every column whose row falls in the first stripe of
// rows, then the second stripe, ..., so that a stripe is read from memory
// once per chunk and then from the cache. Which products are formed when
// changes; how each is formed does not, and each is formed once and written
// to its own place: the bits are those of any other order.
struct Striping {
    int64_t cacheBytes;   // the part of Xt the stripes of all threads cover
    int64_t chunk;        // samples a chunk (a piece of the team's work)
    int64_t minRun;       // the average run of ascending rows worth it
};
// Chunks hold several times more samples than a factor of 480189 columns
// has columns (the scale of a large rating matrix), so that each column of
// Xt read from memory serves several products. The cache share: at 10^8
// such samples of rank 10 one thread took 815-980 ms in order, 572 ms with
// stripes of 4 MB, 500-519 with 8, 490-504 with 16 and 705 with 32 (two
// stripes of 19 MB: more than the cache keeps). The tests' striping
// (Exec::anySize) cuts even a few samples into stripes and chunks.
constexpr Striping kStriping{16 << 20, 1 << 22, 256};
constexpr Striping kTestStriping{64, 64, 1};

// Forms products k0 .. k1-1 stripe by stripe, if they come in runs of
// ascending rows long enough on average and Xt is large enough for that to
// pay; returns false (having formed nothing) otherwise.
bool stripedProducts(const Factors& f, const Samples& s, int64_t k0, int64_t k1, double* v,
                     const tbx::Exec& ex, const Striping& st, int threads)
{
    // The runs of rows that never fall: run g is starts[g] .. starts[g+1]-1.
    const int64_t most = (k1 - k0) / st.minRun + 1;
    std::vector<int64_t> starts, next;
    try {  // (no memory for the runs: the products in their order then)
        starts.reserve(static_cast<size_t>(most + 1));
        next.reserve(static_cast<size_t>(most));
    } catch (...) {
        return false;
    }
    starts.push_back(k0);
    double top = s.I[k0];
    for (int64_t k = k0 + 1; k < k1; ++k)
        if (s.I[k] < s.I[k - 1]) {
            if (static_cast<int64_t>(starts.size()) >= most)
                return false;
            top = s.I[k - 1] > top ? s.I[k - 1] : top;
            starts.push_back(k);
        }
    top = s.I[k1 - 1] > top ? s.I[k1 - 1] : top;
    starts.push_back(k1);
    // Rows 1 .. top of Xt, in stripes of rows with about cacheBytes /
    // threads each: the threads' stripes share the last cache.
    const double bytes = top * static_cast<double>(f.r) * sizeof(double);
    const double stripeBytes = static_cast<double>(st.cacheBytes) / threads;
    const int64_t stripes = static_cast<int64_t>(bytes / stripeBytes) + 1;
    if (stripes < 2)
        return false;
    next.assign(starts.begin(), starts.end() - 1);
    for (int64_t t = 1; t <= stripes; ++t) {
        // The rows of this stripe: those below `bound` not taken yet.
        const double bound = t == stripes ? HUGE_VAL : 1.0 + top * static_cast<double>(t) /
                                                                 static_cast<double>(stripes);
        for (size_t g = 0; g < next.size(); ++g) {
            const int64_t b = next[g];
            const int64_t e = std::lower_bound(s.I + b, s.I + starts[g + 1], bound) - s.I;
            if (e > b)
                products(f, s, b, e, v, ex);
            next[g] = e;
        }
    }
    return true;
}

}  // namespace

void obsprodKernel(const Factors& f, const Samples& s, double* v, const tbx::Exec& ex)
{
    const int64_t work = s.L * (f.r > 0 ? f.r : 1);
    const int threads = tbx::threadsFor(ex, work, kMinWorkPerThread);
    const Striping& st = ex.anySize ? kTestStriping : kStriping;
    // Striping pays only where Xt is larger than some stripes and on
    // samples mostly in ascending runs; a look at the first few tells
    // random samples at once.
    bool striped = f.r > 0 && s.L >= 2 * st.chunk &&
                   (f.m == 0 || static_cast<double>(f.m) * static_cast<double>(f.r) * sizeof(double) >
                                    2.0 * static_cast<double>(st.cacheBytes) / threads);
    for (int64_t k = 1, falls = 0; striped && k < s.L && k < 1024; ++k)
        striped = (falls += s.I[k] < s.I[k - 1]) <= k / st.minRun + 1;
    if (!striped) {
        tbx::ranges(threads, s.L, 4, kPiece,
                    [&](int64_t k0, int64_t k1) { products(f, s, k0, k1, v, ex); });
        return;
    }
    tbx::pieces(threads, tbx::piecesOf(s.L, st.chunk), [&](int64_t c) {
        const int64_t k0 = c * st.chunk, k1 = k0 + st.chunk < s.L ? k0 + st.chunk : s.L;
        if (!stripedProducts(f, s, k0, k1, v, ex, st, threads))
            products(f, s, k0, k1, v, ex);
    });
}

}  // namespace lowrank
