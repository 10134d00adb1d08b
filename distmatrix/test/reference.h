// Plain loop for the squared distance matrix, written straight from the
// arithmetic it must reproduce. The kernel tests compare pairsqKernel with it
// bit for bit.
#pragma once

#include <cstdint>
#include <vector>

namespace ref {

// Q(i,j) for i <= j summed in place from the 0.0 Q holds, coordinate by
// coordinate, point i minus point j; Q(j,i) copied from it right after.
inline void pairsq(const double* X, int64_t d, int64_t n, double* Q)
{
    for (int64_t i = 0; i < n; i++) {
        for (int64_t j = i; j < n; j++) {
            for (int64_t k = 0; k < d; k++) {
                double e = X[i * d + k] - X[j * d + k];
                Q[i + j * n] = Q[i + j * n] + e * e;
            }
            Q[j + i * n] = Q[i + j * n];
        }
    }
}

inline std::vector<double> pairsq(const std::vector<double>& X, int64_t d, int64_t n)
{
    std::vector<double> Q(static_cast<size_t>(n * n), 0.0);
    pairsq(X.data(), d, n, Q.data());
    return Q;
}

}  // namespace ref
