// Gateway-side checks shared by the distance-bound plug-ins.
#pragma once

#include "mexargs.h"
#include "pairdist.h"

namespace distgeom {

// Ends the call when a row of table T names a point outside X, naming the
// table and the row (1-based).
inline void requireRowsInside(const char* plugin, const gw::Dense& T, const char* name,
                              const gw::Dense& X)
{
    const int64_t r = firstRowOutside(T.data, T.rows, X.rows, X.cols);
    if (r >= 0)
        gw::fail(plugin, "pointOutside",
                 "row %lld of %s names a point outside X (point numbers run from 1 to %lld)",
                 static_cast<long long>(r + 1), name, static_cast<long long>(X.cols));
}

// The six inputs of penval and penslope, checked.
struct PenaltyInputs {
    gw::Dense X, D, Lb, Ub;
    double w[4];
    double t[4];
};

inline PenaltyInputs penaltyInputs(const char* plugin, const char* usage, int nrhs,
                                   const mxArray* prhs[])
{
    gw::requireInputs(plugin, nrhs, 6, usage);
    PenaltyInputs in;
    in.X = gw::realFullDouble(plugin, prhs[0], "X");
    in.D = gw::table(plugin, prhs[1], "D", 3);
    in.Lb = gw::table(plugin, prhs[2], "Lb", 4);
    in.Ub = gw::table(plugin, prhs[3], "Ub", 4);
    gw::fourWeights(plugin, prhs[4], "w", in.w);
    gw::fourWeights(plugin, prhs[5], "t", in.t);
    requireRowsInside(plugin, in.D, "D", in.X);
    requireRowsInside(plugin, in.Lb, "Lb", in.X);
    requireRowsInside(plugin, in.Ub, "Ub", in.X);
    return in;
}

// The two inputs of a report, checked: X and a table of `name` rows.
inline void reportInputs(const char* plugin, const char* usage, const char* name, int nrhs,
                         const mxArray* prhs[], gw::Dense& X, gw::Dense& T)
{
    gw::requireInputs(plugin, nrhs, 2, usage);
    X = gw::realFullDouble(plugin, prhs[0], "X");
    T = gw::table(plugin, prhs[1], name, 3);
    requireRowsInside(plugin, T, name, X);
}

}  // namespace distgeom
