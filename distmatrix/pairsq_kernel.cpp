#include "kernels.h"

namespace distmatrix {

void pairsqKernel(const double* X, int64_t d, int64_t n, double* Q)
{
    for (int64_t i = 0; i < n; ++i) {
        const double* xi = X + i * d;
        for (int64_t j = i; j < n; ++j) {
            const double* xj = X + j * d;
            // The running sum is the output element itself, starting from the
            // host's zero fill; the diagonal (j == i) is summed like the rest.
            double* q = Q + i + j * n;
            for (int64_t k = 0; k < d; ++k) {
                const double e = xi[k] - xj[k];
                *q = *q + e * e;
            }
            Q[j + i * n] = *q;
        }
    }
}

}  // namespace distmatrix
