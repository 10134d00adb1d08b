#include "kernels.h"
#include "pairdist.h"

namespace distgeom {
namespace {

const char kUnknownLower[] = "Error! Unkonw Lower bound!\n";
const char kUnknownUpper[] = "Error! Unkonw Upper bound!\n";

// Pair factor of a row: 1 - q/dist, the quotient rounded first.
inline double pairFactor(double q, double dist) { return 1.0 - (q / dist); }

// Adds row weight s times the row's coordinate difference, times F, to point
// i and subtracts the same value from point j, coordinate by coordinate.
inline void updateRow(const double* X, double* G, int64_t d, int64_t oi, int64_t oj,
                      double s, double F)
{
    for (int64_t k = 0; k < d; ++k) {
        const double v = (s * (X[oi + k] - X[oj + k])) * F;
        G[oi + k] = G[oi + k] + v;
        G[oj + k] = G[oj + k] - v;
    }
}

// A violated bound row whose code selects no weight: one line per coordinate.
inline void reportUnknown(PrintSink print, const char* text, int64_t d)
{
    for (int64_t k = 0; k < d; ++k)
        if (print)
            print(text);
}

}  // namespace

void penslopeKernel(const double* X, int64_t d, int64_t n,
                    const double* D, int64_t mD,
                    const double* Lb, int64_t mL,
                    const double* Ub, int64_t mU,
                    double w1, double w2, double w3, double w4,
                    double t1, double t2, double t3, double t4,
                    double* G, PrintSink print)
{
    const double W1 = 2.0 * w1, W2 = 2.0 * w2, W3 = 2.0 * w3, W4 = 2.0 * w4;

    for (int64_t r = 0; r < mD; ++r) {
        const int64_t oi = pointOffset(D[r], d), oj = pointOffset(D[r + mD], d);
        const double F = pairFactor(D[r + 2 * mD], pairDistance(X, d, oi, oj));
        updateRow(X, G, d, oi, oj, W1, F);
    }

    for (int64_t r = 0; r < mL; ++r) {
        const int64_t oi = pointOffset(Lb[r], d), oj = pointOffset(Lb[r + mL], d);
        const int32_t tc = tbx::truncToInt32(Lb[r + 3 * mL]);
        const double bound = Lb[r + 2 * mL];
        const double dist = pairDistance(X, d, oi, oj);
        const double F = pairFactor(bound, dist);
        if (!(bound > dist))
            continue;
        if (tc == 1)
            updateRow(X, G, d, oi, oj, t4 * W2, F);
        else if (tc == -2)
            updateRow(X, G, d, oi, oj, t3 * W2, F);
        else
            reportUnknown(print, kUnknownLower, d);
    }

    for (int64_t r = 0; r < mU; ++r) {
        const int64_t oi = pointOffset(Ub[r], d), oj = pointOffset(Ub[r + mU], d);
        const int32_t tc = tbx::truncToInt32(Ub[r + 3 * mU]);
        const double bound = Ub[r + 2 * mU];
        const double dist = pairDistance(X, d, oi, oj);
        const double F = pairFactor(bound, dist);
        if (!(bound < dist))
            continue;
        if (tc >= 0)
            updateRow(X, G, d, oi, oj, W3, F);
        else if (tc == -1)
            updateRow(X, G, d, oi, oj, t1 * W3, F);
        else if (tc == -2)
            updateRow(X, G, d, oi, oj, t2 * W3, F);
        else
            reportUnknown(print, kUnknownUpper, d);
    }

    for (int64_t p = 0; p < n; ++p)
        for (int64_t k = 0; k < d; ++k)
            G[p * d + k] = G[p * d + k] + W4 * X[p * d + k];
}

}  // namespace distgeom
