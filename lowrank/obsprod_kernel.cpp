#include "kernels.h"

namespace lowrank {

void obsprodKernel(int64_t r, int64_t L, const double* Xt, const double* Y, const double* I,
                   const double* J, double* v)
{
    for (int64_t k = 0; k < L; ++k) {
        double s = 0.0;
        if (r > 0) {
            const double* x = Xt + tbx::columnOffset(I[k], r);
            const double* y = Y + tbx::columnOffset(J[k], r);
            for (int64_t t = 0; t < r; ++t)
                s = s + x[t] * y[t];
        }
        v[k] = s;
    }
}

}  // namespace lowrank
