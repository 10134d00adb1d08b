// Host-independent kernels of the distance-bound plug-ins. They work on raw
// column-major arrays (layouts in geometry.h), trust their input (the
// argument checks have seen every point number) and accumulate into, or
// write, the output they are given. Every path and thread count gives the
// same bits (tbx::Exec).
#pragma once

#include <cstdint>

#include "dispatch.h"

namespace distgeom {

// d-by-n point matrix: point k (1-based) is column k.
struct Points {
    const double* X = nullptr;
    int64_t d = 0;
    int64_t n = 0;
};

// A constraint table of m rows, its columns one after another: point i of
// row r at T[r], point j at T[r + m], the target or bound at T[r + 2m] and,
// in bound tables, the type code at T[r + 3m]. Point numbers are 1-based.
struct Table {
    const double* T = nullptr;
    int64_t m = 0;
    const double* column(int c) const { return T + c * m; }
};

// Term weights w1 .. w4 (distance, lower-bound, upper-bound and
// regularisation terms) and type weights t1 .. t4.
struct Weights {
    double w1 = 0, w2 = 0, w3 = 0, w4 = 0;
    double t1 = 0, t2 = 0, t3 = 0, t4 = 0;
};

// Everything penval and penslope read.
struct Penalty {
    Points X;
    Table D, Lb, Ub;
    Weights w;
};

// Where penslope's diagnostics go: `print` gets one fixed text and how many
// times in a row it is printed.
struct PrintSink {
    void (*print)(void* context, const char* text, int64_t times) = nullptr;
    void* context = nullptr;
};

// The texts penslope prints for a violated bound row whose type code selects
// no weight, once per coordinate.
inline constexpr char kUnknownLower[] = "Error! Unkonw Lower bound!\n";
inline constexpr char kUnknownUpper[] = "Error! Unkonw Upper bound!\n";

// Adds the penalty of p into *acc (never reset): distance rows, lower-bound
// rows, upper-bound rows, then one term per column of X, one addition at a
// time in that order.
void penvalKernel(const Penalty& p, double* acc, const tbx::Exec& ex);

// Adds the gradient of that penalty into G (d-by-n, zero on entry), row by
// row in the same order; unknown type codes of violated bound rows are
// reported through `sink`.
void penslopeKernel(const Penalty& p, double* G, const PrintSink& sink, const tbx::Exec& ex);

// Per-row violation reports into out (m entries, zero on entry): the entries
// of rows that are not violated are left untouched.
void linkdevKernel(const Points& X, const Table& T, double* out, const tbx::Exec& ex);
void ceilgapKernel(const Points& X, const Table& T, double* out, const tbx::Exec& ex);
void floorgapKernel(const Points& X, const Table& T, double* out, const tbx::Exec& ex);

// Deviation tolerance of linkdev: smaller deviations are not reported.
constexpr double kLinkTolerance = 0.01;

}  // namespace distgeom
