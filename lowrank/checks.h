// Gateway-side checks shared by the loop and BLAS variants of obsprod and
// nzfill. The usage and size messages come first, in their fixed words and
// without identifier; the checks the toolbox adds follow, with identifiers
// "<plugin>:<reason>". All of them run before anything is created or written.
#pragma once

#include <cstdlib>
#include <limits>

#include "kernels.h"
#include "mexargs.h"

namespace lowrank {

// Ends the call with one of the fixed messages (no identifier).
[[noreturn]] inline void fixedError(const char* message)
{
    mexErrMsgTxt(message);
    std::abort();  // the host's error operation does not return
}

// The inputs of v = obsprod (Xt, Y, I, J, L), checked.
struct ObsprodInputs {
    const double* Xt;
    const double* Y;
    const double* I;
    const double* J;
    int64_t r;  // rows of Xt and Y
    int64_t L;  // number of products, 0 when L is 0, negative or NaN
};

inline ObsprodInputs obsprodInputs(const char* plugin, int nlhs, int nrhs,
                                   const mxArray* prhs[])
{
    if (nrhs != 5 || nlhs > 1)
        fixedError("Usage: v = obsprod (Xt, Y, I, J, L)");
    const int64_t m = static_cast<int64_t>(mxGetN(prhs[0]));
    const int64_t n = static_cast<int64_t>(mxGetN(prhs[1]));
    const int64_t r = static_cast<int64_t>(mxGetM(prhs[0]));
    if (static_cast<int64_t>(mxGetM(prhs[1])) != r)
        fixedError("rows of Xt must be equal to rows of Y");
    if (r > m || r > n)
        fixedError("rank must be r <= min(m,n)");

    const gw::Dense Xt = gw::realFullDouble(plugin, prhs[0], "Xt");
    const gw::Dense Y = gw::realFullDouble(plugin, prhs[1], "Y");
    const gw::Dense I = gw::realFullDouble(plugin, prhs[2], "I");
    const gw::Dense J = gw::realFullDouble(plugin, prhs[3], "J");
    const gw::Dense Lin = gw::realFullDouble(plugin, prhs[4], "L");
    if (Lin.rows * Lin.cols == 0)
        gw::fail(plugin, "badCount", "L is empty; it must hold the number of products");

    // L truncated toward zero; none for a NaN or negative L. A positive L
    // beyond 64 bits asks for more products than any I can hold.
    const double value = mxGetScalar(prhs[4]);
    int64_t L = tbx::truncToInt64(value);
    if (L == std::numeric_limits<int64_t>::min() && value > 0)
        L = std::numeric_limits<int64_t>::max();
    if (L < 0)
        L = 0;

    if (L > I.rows * I.cols)
        gw::fail(plugin, "indexTooShort", "I has %lld elements, fewer than L = %g",
                 static_cast<long long>(I.rows * I.cols), value);
    if (L > J.rows * J.cols)
        gw::fail(plugin, "indexTooShort", "J has %lld elements, fewer than L = %g",
                 static_cast<long long>(J.rows * J.cols), value);
    const int64_t badI = firstColumnOutside(I.data, L, r, m);
    if (badI >= 0)
        gw::fail(plugin, "columnOutside",
                 "I(%lld) = %g names no whole column of Xt (columns 1 to %lld)",
                 static_cast<long long>(badI + 1), I.data[badI], static_cast<long long>(m));
    const int64_t badJ = firstColumnOutside(J.data, L, r, n);
    if (badJ >= 0)
        gw::fail(plugin, "columnOutside",
                 "J(%lld) = %g names no whole column of Y (columns 1 to %lld)",
                 static_cast<long long>(badJ + 1), J.data[badJ], static_cast<long long>(n));

    return ObsprodInputs{Xt.data, Y.data, I.data, J.data, r, L};
}

// The inputs of nzfill (S, v, L), checked: where to write, what, how many.
// S may be sparse (its stored values are written) or full; v is full.
struct NzfillInputs {
    double* S;
    const double* v;
    int64_t n;
};

inline NzfillInputs nzfillInputs(const char* plugin, int nlhs, int nrhs, const mxArray* prhs[])
{
    if (nrhs != 3 || nlhs > 0)
        fixedError("Usage:  SetSpv ( S, v, L )");
    if (!gw::isRealDouble(prhs[0]))
        gw::fail(plugin, "notRealDouble", "S must be a real double array (sparse or full)");
    // A sparse v would hand over its stored values, not its elements.
    const gw::Dense v = gw::realFullDouble(plugin, prhs[1], "v");
    const gw::Dense Lin = gw::realFullDouble(plugin, prhs[2], "L");
    if (Lin.rows * Lin.cols == 0)
        gw::fail(plugin, "badCount", "L is empty; it must hold the number of values to copy");

    const double value = mxGetScalar(prhs[2]);
    if (!(value > -1.0))  // NaN included
        gw::fail(plugin, "badCount", "L = %g is not a count of values to copy", value);
    // value > -1, so the truncation is 0 or more, or the most negative
    // integer for a value beyond 64 bits.
    const int64_t n = tbx::truncToInt64(value);
    const int64_t stored = gw::storedCount(prhs[0]);
    if (n < 0 || n > stored)
        gw::fail(plugin, "countTooLarge", "L = %g is more than the %lld values S stores", value,
                 static_cast<long long>(stored));
    if (n > v.rows * v.cols)
        gw::fail(plugin, "countTooLarge", "L = %g is more than the %lld values v holds", value,
                 static_cast<long long>(v.rows * v.cols));

    return NzfillInputs{mxGetPr(prhs[0]), v.data, n};
}

}  // namespace lowrank
