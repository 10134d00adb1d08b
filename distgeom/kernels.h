// Host-independent kernels of the distance-bound plug-ins. They work on raw
// column-major arrays (layouts in pairdist.h), trust their input (the
// gateways check it) and accumulate into, or write, the output they are given.
#pragma once

#include <cstdint>

namespace distgeom {

// Receives each diagnostic line penslopeKernel reports.
using PrintSink = void (*)(const char* text);

// Adds the penalty of X against the distance table D, the lower-bound table
// Lb and the upper-bound table Ub into *acc (never reset).
void penvalKernel(const double* X, int64_t d, int64_t n,
                  const double* D, int64_t mD,
                  const double* Lb, int64_t mL,
                  const double* Ub, int64_t mU,
                  double w1, double w2, double w3, double w4,
                  double t1, double t2, double t3, double t4,
                  double* acc);

// Adds the gradient of that penalty into G (d-by-n, zero on entry). Bound rows
// that are violated but carry an unknown type code are reported through
// `print`, once per coordinate (nothing is printed when `print` is null).
void penslopeKernel(const double* X, int64_t d, int64_t n,
                    const double* D, int64_t mD,
                    const double* Lb, int64_t mL,
                    const double* Ub, int64_t mU,
                    double w1, double w2, double w3, double w4,
                    double t1, double t2, double t3, double t4,
                    double* G, PrintSink print);

// Per-row violation reports into out (m entries, zero on entry); entries of
// rows that are not violated are left untouched.
void linkdevKernel(const double* X, int64_t d, const double* T, int64_t m, double* out);
void ceilgapKernel(const double* X, int64_t d, const double* T, int64_t m, double* out);
void floorgapKernel(const double* X, int64_t d, const double* T, int64_t m, double* out);

// Deviation tolerance of linkdev: smaller deviations are not reported.
constexpr double kLinkTolerance = 0.01;

// The kernels above run four rows side by side where the processor has AVX2
// and the plain row-by-row loops elsewhere; both give the same bits. This
// names the path they take here: "avx2" or "plain".
const char* kernelPath();

// The plain loops alone, whatever the processor: the tests and the benchmark
// compare the two paths.
namespace plain {
void penvalKernel(const double* X, int64_t d, int64_t n,
                  const double* D, int64_t mD,
                  const double* Lb, int64_t mL,
                  const double* Ub, int64_t mU,
                  double w1, double w2, double w3, double w4,
                  double t1, double t2, double t3, double t4,
                  double* acc);
void penslopeKernel(const double* X, int64_t d, int64_t n,
                    const double* D, int64_t mD,
                    const double* Lb, int64_t mL,
                    const double* Ub, int64_t mU,
                    double w1, double w2, double w3, double w4,
                    double t1, double t2, double t3, double t4,
                    double* G, PrintSink print);
void linkdevKernel(const double* X, int64_t d, const double* T, int64_t m, double* out);
void ceilgapKernel(const double* X, int64_t d, const double* T, int64_t m, double* out);
void floorgapKernel(const double* X, int64_t d, const double* T, int64_t m, double* out);
}  // namespace plain

}  // namespace distgeom
