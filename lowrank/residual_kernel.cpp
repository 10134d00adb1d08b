// resprod, resstep and rowgram: passes over samples grouped by row, each
// row's outputs formed by one thread, sums over rows by blocks in block order.
#include <vector>

#include "kernels.h"
#include "threads.h"

namespace lowrank {
namespace {

constexpr int64_t kMaxBlocks = 1024;
constexpr int64_t kMinBlockRows = 64;

// Samples between a column's prefetch and its use: the samples of a row
// name columns at random, which rarely sit in the nearest caches.
constexpr int64_t kAhead = 8;


#if defined(__GNUC__) || defined(__clang__)
inline void prefetch(const double* p) { __builtin_prefetch(p); }
#else
inline void prefetch(const double*) {}
#endif

// The dot product of x and y, k terms, summed from 0.0 in order.
inline double dot(const double* x, const double* y, int64_t k)
{
    double d = 0.0;
    for (int64_t t = 0; t < k; ++t)
        d = d + x[t] * y[t];
    return d;
}

// What one thread takes: rows row0 .. row1-1, whole blocks, whose samples
// start at sample0.
struct Part {
    int64_t row0 = 0, row1 = 0, sample0 = 0;
};

// The first row, at a block's start, whose samples start at or past
// `target`, walking from (row, offset); offset becomes that row's first
// sample.
int64_t walk(const RowSamples& s, int64_t rows, int64_t target, int64_t row, int64_t& offset)
{
    while (row < s.m && offset < target) {
        const int64_t end = row + rows < s.m ? row + rows : s.m;
        for (; row < end; ++row)
            offset += s.count[row];
    }
    return row;
}

// Runs body(Part) over every row. On one thread one part holds them all;
// on a team the rows are cut, at block starts, into eight parts a thread of
// about equal sample counts (rows of unequal counts balanced), which the
// threads claim as they come free, so that one that loses its processor
// holds back a part at most. Any cut gives the same results.
template <class Body>
void byParts(const RowSamples& s, int64_t workPerSample, const tbx::Exec& ex, Body&& body)
{
    // Fewer multiply-adds than this a thread are not worth starting one for.
    // (At 2^16, rowgram of a 100-by-100 pattern, 0.1 ms on one thread, took
    // 0.122 ms on a team of two in one run and 0.081 in another: waking a
    // helper costs some tens of microseconds, which such calls cannot pay
    // back for sure.)
    constexpr int64_t kMinWorkPerThread = 1 << 18;
    const int64_t work = s.L * (workPerSample > 0 ? workPerSample : 1) + s.m;
    const int threads = tbx::threadsFor(ex, work, kMinWorkPerThread);
    if (threads <= 1) {
        Part all;
        all.row1 = s.m;
        body(all);
        return;
    }
    const int T = 8 * threads;
    const int64_t rows = rowsPerBlock(s.m);
    // L * u / T without overflow: L is below 2^62, u and T below 2^13.
    auto target = [&](int u) { return s.L / T * u + s.L % T * u / T; };
    std::vector<Part> parts(static_cast<size_t>(T));
    int64_t row = 0, offset = 0;
    for (int t = 0; t < T; ++t) {
        parts[t].row0 = row;
        parts[t].sample0 = offset;
        row = t + 1 == T ? s.m : walk(s, rows, target(t + 1), row, offset);
        parts[t].row1 = row;
    }
    tbx::pieces(threads, T, [&](int64_t k) { body(parts[static_cast<size_t>(k)]); });
}

void resprodRows(const Fit& f, const RowSamples& s, const double* Vt, int64_t q, double* W,
                 const Part& p)
{
    const int64_t k = f.k;
    int64_t at = p.sample0;
    int64_t end = p.sample0;
    for (int64_t i = p.row0; i < p.row1; ++i)
        end += s.count[i];
    for (int64_t i = p.row0; i < p.row1; ++i) {
        double* w = W + i * q;
        for (int64_t u = 0; u < q; ++u)
            w[u] = 0.0;
        const double* g = f.Gt + i * k;
        for (int64_t c = s.count[i]; c > 0; --c, ++at) {
            if (at + kAhead < end) {
                const int64_t ahead = static_cast<int64_t>(s.col[at + kAhead]) - 1;
                prefetch(f.Ht + ahead * k);
                prefetch(Vt + ahead * q);
            }
            const int64_t j = static_cast<int64_t>(s.col[at]) - 1;
            const double e = dot(g, f.Ht + j * k, k) - s.b[at];
            const double* v = Vt + j * q;
            for (int64_t u = 0; u < q; ++u)
                w[u] = w[u] + e * v[u];
        }
    }
}

// The six sums of each block of rows in p, into sums[6 * block].
void resstepRows(const Fit& f, const RowSamples& s, const double* At, const double* Bt,
                 int64_t rows, double* sums, const Part& p)
{
    const int64_t k = f.k;
    int64_t at = p.sample0;
    for (int64_t row = p.row0; row < p.row1; row += rows) {
        const int64_t last = row + rows < p.row1 ? row + rows : p.row1;
        double ee = 0.0, e1 = 0.0, p11 = 0.0, e2 = 0.0, p12 = 0.0, p22 = 0.0;
        for (int64_t i = row; i < last; ++i) {
            const double* g = f.Gt + i * k;
            const double* a = At + i * k;
            for (int64_t c = s.count[i]; c > 0; --c, ++at) {
                const int64_t j = static_cast<int64_t>(s.col[at]) - 1;
                const double* h = f.Ht + j * k;
                const double* bt = Bt + j * k;
                // Four dot products, each summed from 0.0 in row order.
                double gh = 0.0, ah = 0.0, gb = 0.0, ab = 0.0;
                for (int64_t t = 0; t < k; ++t) {
                    gh = gh + g[t] * h[t];
                    ah = ah + a[t] * h[t];
                    gb = gb + g[t] * bt[t];
                    ab = ab + a[t] * bt[t];
                }
                const double e = gh - s.b[at];
                const double p1 = ah + gb;
                const double p2 = ab;
                ee = ee + e * e;
                e1 = e1 + e * p1;
                p11 = p11 + p1 * p1;
                e2 = e2 + e * p2;
                p12 = p12 + p1 * p2;
                p22 = p22 + p2 * p2;
            }
        }
        double* out = sums + 6 * (row / rows);
        out[0] = ee;
        out[1] = e1;
        out[2] = p11;
        out[3] = e2;
        out[4] = p12;
        out[5] = p22;
    }
}

void rowgramRows(const double* Ht, int64_t k, const RowSamples& s, double* N, const Part& p)
{
    const int64_t pairs = k * (k + 1) / 2;
    int64_t at = p.sample0;
    int64_t end = p.sample0;
    for (int64_t i = p.row0; i < p.row1; ++i)
        end += s.count[i];
    for (int64_t i = p.row0; i < p.row1; ++i) {
        double* out = N + i * pairs;
        for (int64_t u = 0; u < pairs; ++u)
            out[u] = 0.0;
        for (int64_t c = s.count[i]; c > 0; --c, ++at) {
            if (at + kAhead < end)
                prefetch(Ht + (static_cast<int64_t>(s.col[at + kAhead]) - 1) * k);
            const double* h = Ht + (static_cast<int64_t>(s.col[at]) - 1) * k;
            // Column b of the lower triangle: h(b .. k-1) times h(b).
            double* column = out;
            for (int64_t b = 0; b < k; ++b) {
                const double hb = h[b];
                double* __restrict into = column;
                const double* __restrict tail = h + b;
                for (int64_t a = 0; a < k - b; ++a)
                    into[a] = into[a] + tail[a] * hb;
                column += k - b;
            }
        }
    }
}

}  // namespace

int64_t rowsPerBlock(int64_t m)
{
    const int64_t rows = (m + kMaxBlocks - 1) / kMaxBlocks;
    return rows > kMinBlockRows ? rows : kMinBlockRows;
}

void resprodKernel(const Fit& f, const RowSamples& s, const double* Vt, int64_t q, double* W,
                   const tbx::Exec& ex)
{
    byParts(s, f.k + q, ex, [&](const Part& p) { resprodRows(f, s, Vt, q, W, p); });
}

void resstepKernel(const Fit& f, const RowSamples& s, const double* At, const double* Bt,
                   double sums[6], const tbx::Exec& ex)
{
    const int64_t rows = rowsPerBlock(s.m);
    const int64_t blocks = (s.m + rows - 1) / rows;  // at most kMaxBlocks
    double blockSums[6 * kMaxBlocks];
    byParts(s, 4 * f.k + 6, ex,
            [&](const Part& p) { resstepRows(f, s, At, Bt, rows, blockSums, p); });
    for (int u = 0; u < 6; ++u)
        sums[u] = 0.0;
    for (int64_t b = 0; b < blocks; ++b)
        for (int u = 0; u < 6; ++u)
            sums[u] = sums[u] + blockSums[6 * b + u];
}

void rowgramKernel(const double* Ht, int64_t k, const RowSamples& s, double* N,
                   const tbx::Exec& ex)
{
    byParts(s, k * (k + 1) / 2, ex, [&](const Part& p) { rowgramRows(Ht, k, s, N, p); });
}

}  // namespace lowrank
