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
//
// Where the processor has AVX2 it computes eight rows side by side and
// writes each 8-by-4 tile together with its mirrored 4-by-8 tile; large
// results go to memory with streaming stores. Every path gives the plain
// loop's bits. No allocation, no threads.
void pairsqKernel(const double* X, int64_t d, int64_t n, double* Q);

// The path pairsqKernel takes on this processor: "avx2" or "plain".
const char* kernelPath();

// The plain loop alone, whatever the processor: the tests and the benchmark
// compare the paths.
namespace plain {
void pairsqKernel(const double* X, int64_t d, int64_t n, double* Q);
}  // namespace plain

// The AVX2 path with the choice of stores made by the caller (the tests run
// both on small sizes): streaming stores bypass the caches, and pairsqKernel
// uses them once Q is larger than kStreamingBytes. Call only when available()
// is true.
namespace lanes {
constexpr int64_t kStreamingBytes = int64_t(8) << 20;
bool available();
void pairsqKernel(const double* X, int64_t d, int64_t n, double* Q, bool streaming);
}  // namespace lanes

}  // namespace distmatrix
