// The argument checks of every plug-in, host-free: each takes the call as
// the host adaptor describes it (args.h) and either fills in what the kernel
// needs or says why the call is refused. Every host raises the same errors,
// in the same order, from these.
#pragma once

#include <cstdint>

#include "args.h"
#include "dispatch.h"
#include "distgeom/kernels.h"
#include "lowrank/kernels.h"

namespace chk {

// The checks that read point or column numbers read them on the kernel path
// of the call (ex.path).

// f = penval (X, D, Lb, Ub, w, t) and G = penslope (...): the point matrix,
// the three tables (3, 4 and 4 columns when they have rows) and the weights.
Outcome penalty(const Args& a, const char* usage, distgeom::Penalty& p, const tbx::Exec& ex);

// e = linkdev (X, D), ceilgap (X, Ub), floorgap (X, Lb): the point matrix and
// a table of at least 3 columns, named `table` in messages.
Outcome report(const Args& a, const char* usage, const char* table, distgeom::Points& X,
               distgeom::Table& T, const tbx::Exec& ex);

// Q = pairsq (X).
Outcome pairsq(const Args& a, distgeom::Points& X);

// v = obsprod (Xt, Y, I, J, L), and obsprod_blas.
Outcome obsprod(const Args& a, lowrank::Factors& f, lowrank::Samples& s, const tbx::Exec& ex);

// nzfill (S, v, L), and nzfill_blas: v's values and the count; S is written
// in place through the host's own pointer.
struct Copy {
    const double* v = nullptr;
    int64_t n = 0;
};
Outcome nzfill(const Args& a, Copy& c);

// The passes over samples grouped by row: the fit, the samples and what
// each plug-in adds (resprod's Vt, q-by-n; resstep's direction At, Bt).
struct Pass {
    lowrank::Fit fit;
    lowrank::RowSamples samples;
    const double* Vt = nullptr;
    int64_t q = 0;
    const double* At = nullptr;
    const double* Bt = nullptr;
};

// W = resprod (Gt, Ht, count, col, b, Vt).
Outcome resprod(const Args& a, Pass& p);
// s = resstep (Gt, Ht, count, col, b, At, Bt).
Outcome resstep(const Args& a, Pass& p);
// N = rowgram (Ht, count, col): p.fit.Ht and p.fit.k, the samples without b.
Outcome rowgram(const Args& a, Pass& p);

// First s in 0 .. count-1 whose col[s] is not a column number 1 .. n, or -1
// when all of them are.
int64_t firstColumnOutside(const uint32_t* col, int64_t count, int64_t n);

// First k in 0 .. count-1 whose x[k] does not name a whole column of an
// array of `columns` columns of `height` doubles, or -1 when all of them do.
// The offset is formed as the kernels form it (tbx::columnOffset), so a
// fractional index passes while the column it reads stays inside. With
// height 0 nothing is ever read and every index passes. On the AVX2 path
// four indices are checked at a time.
int64_t firstOutside(const double* x, int64_t count, int64_t height, int64_t columns,
                     tbx::Path path);

}  // namespace chk
