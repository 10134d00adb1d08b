// Plain loops for the distance-bound kernels, written straight from the
// arithmetic they must reproduce: 32-bit sizes and offsets, one row at a
// time, every operation in the stated order. The kernel tests compare the
// toolbox's kernels with these bit for bit.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

namespace ref {

inline int32_t toInt32(double x)
{
    if (std::isnan(x) || std::trunc(x) < -2147483648.0 || std::trunc(x) > 2147483647.0)
        return INT32_MIN;
    return static_cast<int32_t>(std::trunc(x));
}

inline int32_t offset(double x, int32_t d) { return toInt32((x - 1) * (double)d); }

inline double dist(const double* X, int32_t d, int32_t oi, int32_t oj)
{
    double s = 0;
    for (int32_t k = 0; k < d; k++) {
        double e = X[oi + k] - X[oj + k];
        s = s + e * e;
    }
    return std::sqrt(s);
}

inline void penval(const double* X, int32_t d, int32_t n, const double* D, int32_t mD,
                   const double* Lb, int32_t mL, const double* Ub, int32_t mU,
                   const double* w, const double* t, double* acc)
{
    for (int32_t r = 0; r < mD; r++) {
        double g = D[r + 2 * mD] - dist(X, d, offset(D[r], d), offset(D[r + mD], d));
        *acc += (w[0] * g) * g;
    }
    for (int32_t r = 0; r < mL; r++) {
        double g = Lb[r + 2 * mL] - dist(X, d, offset(Lb[r], d), offset(Lb[r + mL], d));
        int32_t tc = toInt32(Lb[r + 3 * mL]);
        if (g > 0) {
            if (tc == 1) *acc += ((w[1] * t[3]) * g) * g;
            if (tc == -2) *acc += ((w[1] * t[2]) * g) * g;
        }
    }
    for (int32_t r = 0; r < mU; r++) {
        double g = Ub[r + 2 * mU] - dist(X, d, offset(Ub[r], d), offset(Ub[r + mU], d));
        int32_t tc = toInt32(Ub[r + 3 * mU]);
        if (g < 0) {
            if (tc >= 0) *acc += (w[2] * g) * g;
            else if (tc == -1) *acc += ((w[2] * t[0]) * g) * g;
            else if (tc == -2) *acc += ((w[2] * t[1]) * g) * g;
        }
    }
    for (int32_t k = 0; k < n; k++) {
        double s = 0;
        for (int32_t e = 0; e < d; e++) s += X[k * d + e] * X[k * d + e];
        *acc += w[3] * s;
    }
}

inline void penslope(const double* X, int32_t d, int32_t n, const double* D, int32_t mD,
                     const double* Lb, int32_t mL, const double* Ub, int32_t mU,
                     const double* w, const double* t, double* G, std::string& printed)
{
    double W1 = 2.0 * w[0], W2 = 2.0 * w[1], W3 = 2.0 * w[2], W4 = 2.0 * w[3];
    auto update = [&](int32_t oi, int32_t oj, double s, double F) {
        for (int32_t k = 0; k < d; k++) {
            double v = (s * (X[oi + k] - X[oj + k])) * F;
            G[oi + k] += v;
            G[oj + k] -= v;
        }
    };
    for (int32_t r = 0; r < mD; r++) {
        int32_t oi = offset(D[r], d), oj = offset(D[r + mD], d);
        double F = 1 - D[r + 2 * mD] / dist(X, d, oi, oj);
        update(oi, oj, W1, F);
    }
    for (int32_t r = 0; r < mL; r++) {
        int32_t oi = offset(Lb[r], d), oj = offset(Lb[r + mL], d);
        int32_t tc = toInt32(Lb[r + 3 * mL]);
        double b = Lb[r + 2 * mL], ds = dist(X, d, oi, oj), F = 1 - b / ds;
        if (!(b > ds)) continue;
        for (int32_t k = 0; k < d; k++) {
            double s;
            if (tc == 1) s = t[3] * W2;
            else if (tc == -2) s = t[2] * W2;
            else { printed += "Error! Unkonw Lower bound!\n"; continue; }
            double v = (s * (X[oi + k] - X[oj + k])) * F;
            G[oi + k] += v;
            G[oj + k] -= v;
        }
    }
    for (int32_t r = 0; r < mU; r++) {
        int32_t oi = offset(Ub[r], d), oj = offset(Ub[r + mU], d);
        int32_t tc = toInt32(Ub[r + 3 * mU]);
        double b = Ub[r + 2 * mU], ds = dist(X, d, oi, oj), F = 1 - b / ds;
        if (!(b < ds)) continue;
        for (int32_t k = 0; k < d; k++) {
            double s;
            if (tc >= 0) s = W3;
            else if (tc == -1) s = t[0] * W3;
            else if (tc == -2) s = t[1] * W3;
            else { printed += "Error! Unkonw Upper bound!\n"; continue; }
            double v = (s * (X[oi + k] - X[oj + k])) * F;
            G[oi + k] += v;
            G[oj + k] -= v;
        }
    }
    for (int32_t p = 0; p < n; p++)
        for (int32_t k = 0; k < d; k++) G[p * d + k] += W4 * X[p * d + k];
}

// kind 0: linkdev, 1: ceilgap, 2: floorgap
inline void report(int kind, const double* X, int32_t d, const double* T, int32_t m, double* out)
{
    for (int32_t r = 0; r < m; r++) {
        double g = T[r + 2 * m] - dist(X, d, offset(T[r], d), offset(T[r + m], d));
        if (kind == 0) {
            double a = g < 0 ? -g : g;
            if (0.01 < a) out[r] = a;
        } else if (kind == 1) {
            if (g < 0) out[r] = -g;
        } else if (g > 0) {
            out[r] = g;
        }
    }
}

}  // namespace ref

namespace ref {

// What penslope prints of the diagnostics `text`: its first 100 lines, then
// one line with how many more there were.
inline std::string boundedDiagnostics(const std::string& text)
{
    size_t at = 0, lines = 0;
    while (lines < 100 && (at = text.find('\n', at)) != std::string::npos) {
        ++at;
        ++lines;
    }
    if (lines < 100 || at == text.size())
        return text;
    size_t more = 0;
    for (size_t i = at; i < text.size(); ++i)
        more += text[i] == '\n';
    return text.substr(0, at) + "penslope: " + std::to_string(more) +
           " more lines like these not printed\n";
}

}  // namespace ref
