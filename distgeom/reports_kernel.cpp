#include "kernels.h"
#include "pairdist.h"

namespace distgeom {

// Each report computes the gap of every row (its target or bound minus its
// pair distance) and writes an entry only for a violated row. The tests are
// strict, so a NaN gap is never reported.

void linkdevKernel(const double* X, int64_t d, const double* T, int64_t m, double* out)
{
    for (int64_t r = 0; r < m; ++r) {
        const double g = T[r + 2 * m] - rowDistance(X, d, T, m, r);
        const double a = g < 0.0 ? -g : g;
        if (kLinkTolerance < a)
            out[r] = a;
    }
}

void ceilgapKernel(const double* X, int64_t d, const double* T, int64_t m, double* out)
{
    for (int64_t r = 0; r < m; ++r) {
        const double g = T[r + 2 * m] - rowDistance(X, d, T, m, r);
        if (g < 0.0)
            out[r] = -g;
    }
}

void floorgapKernel(const double* X, int64_t d, const double* T, int64_t m, double* out)
{
    for (int64_t r = 0; r < m; ++r) {
        const double g = T[r + 2 * m] - rowDistance(X, d, T, m, r);
        if (g > 0.0)
            out[r] = g;
    }
}

}  // namespace distgeom
