// Host-independent kernel of the squared distance matrix plug-in. It works on
// raw column-major arrays and trusts its input (the argument checks have
// seen it).
#pragma once

#include <cstdint>

#include "dispatch.h"

namespace distmatrix {

// Writes every element of Q (n-by-n, column-major; what it held on entry
// does not matter) with the squared distances of the n points of X (d-by-n,
// point i in column i). Each element on or above the diagonal is summed from
// 0.0, coordinate by coordinate from k = 0, as point i minus point j; each
// element below the diagonal is a copy of its mirror, so Q is symmetric to
// the last bit.
//
// On the AVX2 path it computes eight rows side by side and writes each
// 8-by-4 tile together with its mirrored 4-by-8 tile; large results go to
// memory with streaming stores. Every path and thread count gives the plain
// loop's bits: elements are summed independently, each by one thread.
void pairsqKernel(const double* X, int64_t d, int64_t n, double* Q, const tbx::Exec& ex);

namespace detail {
// The AVX2 path with the choice of stores and threads made by the caller
// (the tests run both kinds of stores on small sizes). Only where the
// processor has AVX2.
void pairsqLanes(const double* X, int64_t d, int64_t n, double* Q, bool streaming,
                 int threads = 1);
}  // namespace detail

}  // namespace distmatrix
