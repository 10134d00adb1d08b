// Host-independent kernels of the low-rank plug-ins. They work on raw arrays
// and trust their input: the argument checks have seen every size, count and
// index first. Every path and thread count gives the same bits (tbx::Exec).
#pragma once

#include <cstdint>

#include "convert.h"
#include "dispatch.h"

namespace lowrank {

// Two factors of r rows: Xt (r-by-m, the left factor transposed) and Y
// (r-by-n); column p (1-based) of each holds r doubles from (p - 1) * r.
struct Factors {
    const double* Xt = nullptr;
    const double* Y = nullptr;
    int64_t r = 0;
    int64_t m = 0;  // the columns of Xt, where known (0: not known)
};

// L sampled positions: row I[k] and column J[k] of Xt' * Y, 1-based column
// numbers stored as doubles, turned into offsets by tbx::columnOffset.
struct Samples {
    const double* I = nullptr;
    const double* J = nullptr;
    int64_t L = 0;
};

// v[k] = dot product of column I[k] of Xt with column J[k] of Y, for
// k = 0 .. L-1, each summed from 0.0 term by term in row order; every v[k]
// is written (0.0 when r = 0). On the AVX2 path four products run side by
// side, one per lane, each in its own row order.
void obsprodKernel(const Factors& f, const Samples& s, double* v, const tbx::Exec& ex);

// dst[i] = src[i] for i = 0 .. n-1, each value moved as its 8 bytes. On the
// AVX2 path large disjoint arrays are moved with streaming stores.
void nzfillKernel(double* dst, const double* src, int64_t n, const tbx::Exec& ex);

// ---- Passes over samples grouped by row (resprod, resstep, rowgram) ------
//
// L samples of an m-by-n matrix, grouped by row: row i (0-based) holds
// count[i] samples, stored after those of rows 0 .. i-1; sample s lies in
// column col[s] (1-based, 1 .. n) and has the value b[s]. The same samples
// grouped by column are the same structure for the transposed matrix.
struct RowSamples {
    const uint32_t* count = nullptr;  // m
    const uint32_t* col = nullptr;    // L
    const double* b = nullptr;        // L (unused by rowgram)
    int64_t m = 0, n = 0, L = 0;
};

// A fit of rank k: Gt (k-by-m) and Ht (k-by-n), column i of Gt the factor of
// row i, column j of Ht that of column j. The fit at sample s of row i is
// the dot product of column i of Gt with column col[s] of Ht, summed from
// 0.0 term by term in row order (as obsprod sums it), and the residual there
// is e[s] = fit - b[s].
struct Fit {
    const double* Gt = nullptr;
    const double* Ht = nullptr;
    int64_t k = 0;
};

// The rows are taken in blocks of consecutive rows, rowsPerBlock(m) each
// (the last one shorter): sums that run over more than one row add the
// blocks' sums in block order, so that no sum depends on the number of
// threads, which take whole blocks.
int64_t rowsPerBlock(int64_t m);

// W (q-by-m): column i is the sum, over the samples s of row i in their
// order, of e[s] times column col[s] of Vt (q-by-n), each of the q sums
// from 0.0; a row without samples gives a column of zeros. With Vt = Ht it
// is the transpose of the gradient of 1/2 ||e||^2 with respect to the rows'
// factors; on the samples grouped by column, with Vt = Gt, that of the
// columns'.
void resprodKernel(const Fit& f, const RowSamples& s, const double* Vt, int64_t q, double* W,
                   const tbx::Exec& ex);

// The six sums of the exact step along a direction (At, Bt, shaped as Gt
// and Ht): with, at each sample, p1 = (At_i . Ht_j) + (Gt_i . Bt_j) and
// p2 = At_i . Bt_j (each dot product as the fit's), the residual of the fit
// (Gt + t At)' (Ht + t Bt) is e + t p1 + t^2 p2, and
//   sums = [e.e, e.p1, p1.p1, e.p2, p1.p2, p2.p2].
// Each block's six sums run from 0.0 over its samples in order; sums[c] adds
// the blocks' in block order, from 0.0.
void resstepKernel(const Fit& f, const RowSamples& s, const double* At, const double* Bt,
                   double sums[6], const tbx::Exec& ex);

// N (k(k+1)/2-by-m): column i holds the lower triangle of the sum, over the
// samples s of row i in their order, of h h' with h column col[s] of Ht
// (k-by-n), packed column by column ((1,1), (2,1), .., (k,1), (2,2), ..),
// each entry h(a) * h(c) (a >= c) summed from 0.0. These are the normal
// matrices of the rows' least-squares problems.
void rowgramKernel(const double* Ht, int64_t k, const RowSamples& s, double* N,
                   const tbx::Exec& ex);

}  // namespace lowrank
