// Host-independent kernel of the squared distance matrix plug-in. It works on
// raw column-major arrays and trusts its input (the gateway checks it).
#pragma once

#include <cstdint>

namespace distmatrix {

// Fills Q (n-by-n, column-major, 0.0 on entry) with the squared distances of
// the n points of X (d-by-n, point i in column i). Each element on or above
// the diagonal is summed in place, coordinate by coordinate from k = 0, as
// point i minus point j; each element below the diagonal is then a copy of
// its mirror, so Q is symmetric to the last bit.
void pairsqKernel(const double* X, int64_t d, int64_t n, double* Q);

}  // namespace distmatrix
