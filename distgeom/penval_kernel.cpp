#include "kernels.h"
#include "pairdist.h"

namespace distgeom {

void penvalKernel(const double* X, int64_t d, int64_t n,
                  const double* D, int64_t mD,
                  const double* Lb, int64_t mL,
                  const double* Ub, int64_t mU,
                  double w1, double w2, double w3, double w4,
                  double t1, double t2, double t3, double t4,
                  double* acc)
{
    // Distance rows: every row adds (w1*g)*g, whichever side of the target.
    for (int64_t r = 0; r < mD; ++r) {
        const double g = D[r + 2 * mD] - rowDistance(X, d, D, mD, r);
        *acc = *acc + (w1 * g) * g;
    }

    // Lower bounds: only a shortfall (g > 0) counts; code 1 weighs with t4,
    // code -2 with t3, any other code adds nothing.
    for (int64_t r = 0; r < mL; ++r) {
        const double g = Lb[r + 2 * mL] - rowDistance(X, d, Lb, mL, r);
        const int32_t tc = tbx::truncToInt32(Lb[r + 3 * mL]);
        if (g > 0.0) {
            if (tc == 1)
                *acc = *acc + ((w2 * t4) * g) * g;
            else if (tc == -2)
                *acc = *acc + ((w2 * t3) * g) * g;
        }
    }

    // Upper bounds: only an excess (g < 0) counts; codes 0 and up weigh with
    // w3 alone, -1 with t1, -2 with t2, lower codes add nothing.
    for (int64_t r = 0; r < mU; ++r) {
        const double g = Ub[r + 2 * mU] - rowDistance(X, d, Ub, mU, r);
        const int32_t tc = tbx::truncToInt32(Ub[r + 3 * mU]);
        if (g < 0.0) {
            if (tc >= 0)
                *acc = *acc + (w3 * g) * g;
            else if (tc == -1)
                *acc = *acc + ((w3 * t1) * g) * g;
            else if (tc == -2)
                *acc = *acc + ((w3 * t2) * g) * g;
        }
    }

    // Regularisation: w4 times each column's sum of squares, column by column.
    for (int64_t k = 0; k < n; ++k) {
        double s = 0.0;
        for (int64_t e = 0; e < d; ++e) {
            const double x = X[k * d + e];
            s = s + x * x;
        }
        *acc = *acc + w4 * s;
    }
}

}  // namespace distgeom
