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

}  // namespace ref
