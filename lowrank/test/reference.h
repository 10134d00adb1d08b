// Plain loops for the low-rank kernels, written straight from the arithmetic
// they must reproduce. The kernel tests compare the toolbox's kernels with
// these bit for bit.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace ref {

// Column offset of a 1-based index stored as a double: (x - 1) * r in
// floating point, truncated toward zero (inputs here stay in range).
inline int64_t offset(double x, int64_t r) { return (int64_t)std::trunc((x - 1) * (double)r); }

// v[k] = 0, then v[k] = v[k] + Xt[oX + t] * Y[oY + t] for t = 0 .. r-1.
inline void obsprod(int64_t r, int64_t L, const double* Xt, const double* Y, const double* I,
                    const double* J, double* v)
{
    for (int64_t k = 0; k < L; k++) {
        int64_t oX = offset(I[k], r), oY = offset(J[k], r);
        v[k] = 0;
        for (int64_t t = 0; t < r; t++)
            v[k] = v[k] + Xt[oX + t] * Y[oY + t];
    }
}

inline std::vector<double> obsprod(int64_t r, int64_t L, const double* Xt, const double* Y,
                                   const double* I, const double* J)
{
    std::vector<double> v(static_cast<size_t>(L));
    obsprod(r, L, Xt, Y, I, J, v.data());
    return v;
}

// destination[i] = source[i], 8 bytes at a time.
inline void nzfill(double* destination, const double* source, int64_t n)
{
    for (int64_t i = 0; i < n; i++)
        std::memcpy(&destination[i], &source[i], 8);
}

// ---- Passes over samples grouped by row -----------------------------------
// Row i has count[i] samples after those of the rows before it; sample s
// names column col[s] (1-based) of Ht. The fit there is the dot product of
// column i of Gt with that column, summed from 0 in row order.
inline double dot(const double* x, const double* y, int64_t k)
{
    double d = 0;
    for (int64_t t = 0; t < k; t++)
        d = d + x[t] * y[t];
    return d;
}

// Column i of W: from 0, + e * Vt(:, col[s]) for the samples of row i in order.
inline std::vector<double> resprod(int64_t k, int64_t m, const double* Gt, const double* Ht,
                                   const uint32_t* count, const uint32_t* col, const double* b,
                                   const double* Vt, int64_t q)
{
    std::vector<double> W(static_cast<size_t>(q * m), 0.0);
    int64_t s = 0;
    for (int64_t i = 0; i < m; i++)
        for (uint32_t c = 0; c < count[i]; c++, s++) {
            const int64_t j = col[s] - 1;
            const double e = dot(Gt + i * k, Ht + j * k, k) - b[s];
            for (int64_t u = 0; u < q; u++)
                W[i * q + u] = W[i * q + u] + e * Vt[j * q + u];
        }
    return W;
}

// The six sums, each from 0 over the samples of each block of `rows` rows,
// the blocks' sums then added from 0 in block order.
inline std::vector<double> resstep(int64_t k, int64_t m, const double* Gt, const double* Ht,
                                   const uint32_t* count, const uint32_t* col, const double* b,
                                   const double* At, const double* Bt, int64_t rows)
{
    std::vector<double> total(6, 0.0);
    int64_t s = 0;
    for (int64_t first = 0; first < m; first += rows) {
        double block[6] = {0, 0, 0, 0, 0, 0};
        for (int64_t i = first; i < m && i < first + rows; i++)
            for (uint32_t c = 0; c < count[i]; c++, s++) {
                const int64_t j = col[s] - 1;
                const double e = dot(Gt + i * k, Ht + j * k, k) - b[s];
                const double p1 = dot(At + i * k, Ht + j * k, k) + dot(Gt + i * k, Bt + j * k, k);
                const double p2 = dot(At + i * k, Bt + j * k, k);
                const double terms[6] = {e * e, e * p1, p1 * p1, e * p2, p1 * p2, p2 * p2};
                for (int u = 0; u < 6; u++)
                    block[u] = block[u] + terms[u];
            }
        for (int u = 0; u < 6; u++)
            total[u] = total[u] + block[u];
    }
    return total;
}

// Column i of N: the packed lower triangle (a >= c, column by column) of the
// sum from 0 of h(a) * h(c), h = Ht(:, col[s]), over the samples of row i.
inline std::vector<double> rowgram(int64_t k, int64_t m, const double* Ht, const uint32_t* count,
                                   const uint32_t* col)
{
    const int64_t pairs = k * (k + 1) / 2;
    std::vector<double> N(static_cast<size_t>(pairs * m), 0.0);
    int64_t s = 0;
    for (int64_t i = 0; i < m; i++)
        for (uint32_t c = 0; c < count[i]; c++, s++) {
            const double* h = Ht + (col[s] - 1) * k;
            int64_t at = i * pairs;
            for (int64_t cc = 0; cc < k; cc++)
                for (int64_t a = cc; a < k; a++, at++)
                    N[at] = N[at] + h[a] * h[cc];
        }
    return N;
}

}  // namespace ref
