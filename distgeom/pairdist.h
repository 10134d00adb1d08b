// Point matrices, constraint tables and the pair distance of a table row.
//
// X holds n points of d coordinates column by column. A table of m rows keeps
// its columns one after another: point i of row r at T[r], point j at T[r + m],
// the target or bound at T[r + 2m] and, in bound tables, the type code at
// T[r + 3m]. Point numbers are 1-based doubles.
#pragma once

#include <cmath>
#include <cstdint>

#include "convert.h"

namespace distgeom {

// Element offset of the first coordinate of the point named by x.
inline int64_t pointOffset(double x, int64_t d)
{
    return tbx::columnOffset(x, d);
}

// Distance between the points at offsets oi and oj: the coordinate
// differences (point i minus point j) squared and summed in coordinate order,
// then the square root.
inline double pairDistance(const double* X, int64_t d, int64_t oi, int64_t oj)
{
    double s = 0.0;
    for (int64_t k = 0; k < d; ++k) {
        const double e = X[oi + k] - X[oj + k];
        s = s + e * e;
    }
    return std::sqrt(s);
}

// Distance of row r of a table with m rows.
inline double rowDistance(const double* X, int64_t d, const double* T, int64_t m, int64_t r)
{
    return pairDistance(X, d, pointOffset(T[r], d), pointOffset(T[r + m], d));
}

// First row (0-based) of a table whose point i or point j does not address a
// whole point of X, or -1 when every row does. With d = 0 no coordinate is
// ever read, so every row is accepted.
inline int64_t firstRowOutside(const double* T, int64_t m, int64_t d, int64_t n)
{
    if (d == 0)
        return -1;
    for (int64_t r = 0; r < m; ++r) {
        if (!tbx::columnInside(pointOffset(T[r], d), d, n) ||
            !tbx::columnInside(pointOffset(T[r + m], d), d, n))
            return r;
    }
    return -1;
}

}  // namespace distgeom
