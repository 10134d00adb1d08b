#include "checks.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>

namespace chk {

Failure fail(const char* reason, const char* format, ...)
{
    char message[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    return Failure{reason, message};
}

namespace {

// A plug-in returns one value: a call asking for more would leave Octave
// with outputs that were never made.
Outcome oneOutput(const Args& a)
{
    if (a.nargout > 1)
        return fail("tooManyOutputs", "%d outputs requested; %s returns one", a.nargout,
                    a.plugin);
    return {};
}

// Every input a plug-in reads must have been passed.
Outcome enoughInputs(const Args& a, int needed, const char* usage)
{
    if (a.nargin < needed)
        return fail("notEnoughInputs", "%d inputs needed, %d given. %s", needed,
                    a.nargin < 0 ? 0 : a.nargin, usage);
    return {};
}

// The argument counts of a plug-in whose usage is a fixed message: exactly
// `inputs` inputs, at most `outputs` outputs; the identifier says which
// count is wrong (the inputs first), the message is the usage.
Outcome usage(const Args& a, int inputs, int outputs, const char* message)
{
    if (a.nargin < inputs)
        return fail("notEnoughInputs", "%s", message);
    if (a.nargin > inputs)
        return fail("tooManyInputs", "%s", message);
    if (a.nargout > outputs)
        return fail("tooManyOutputs", "%s", message);
    return {};
}

// The first `count` values of input i, which the host may have to form (a
// range, a diagonal matrix): refused when it cannot, for want of memory.
Outcome valuesOf(const Args& a, int i, const char* name, int64_t count, const double*& out)
{
    out = a.values(i, count);
    if (out == nullptr && count > 0)
        return fail("tooLarge", "%s: its %lld values cannot be formed as an array of doubles "
                    "(not enough memory)", name, static_cast<long long>(count));
    return {};
}

Outcome realFullDouble(const Args& a, int i, const char* name)
{
    if (!a[i].realFullDouble())
        return fail("notRealDouble", "%s must be a real, full (non-sparse) double array", name);
    return {};
}

Outcome uint32Array(const Args& a, int i, const char* name)
{
    if (!a[i].isUint32)
        return fail("notUint32", "%s must be a uint32 array", name);
    return {};
}

// Exactly `needed` inputs: fewer leave one unread, more would be ignored
// without a word.
Outcome exactInputs(const Args& a, int needed, const char* usage)
{
    if (Outcome o = enoughInputs(a, needed, usage))
        return o;
    if (a.nargin > needed)
        return fail("tooManyInputs", "%d inputs given; %s takes %d. %s", a.nargin,
                    a.plugin, needed, usage);
    return {};
}

// An output of rows-by-cols doubles the host can address.
Outcome addressable(int64_t rows, int64_t cols)
{
    if (rows > 0 && cols > std::numeric_limits<int64_t>::max() / 8 / rows)
        return fail("tooLarge", "the %lld-by-%lld result cannot exist",
                    static_cast<long long>(rows), static_cast<long long>(cols));
    return {};
}

// The samples grouped by row, of an m-by-n matrix: count (one per row) and
// col (uint32), and b (doubles, one per sample) where iB >= 0. The counts
// must add up to the samples col holds, and every column number must lie
// in 1 .. n, so that no pass reads past an array.
Outcome rowSamples(const Args& a, int iCount, int iCol, int iB, int64_t m, int64_t n,
                   const char* columnsOf, lowrank::RowSamples& s)
{
    if (a[iCount].numel() != m)
        return fail("sizeMismatch", "count has %lld elements; it needs one per row (%lld)",
                    static_cast<long long>(a[iCount].numel()), static_cast<long long>(m));
    const int64_t L = a[iCol].numel();
    const uint32_t* count = a.uint32s(iCount);
    uint64_t total = 0;
    for (int64_t i = 0; i < m && total <= static_cast<uint64_t>(L); ++i)
        total += count[i];
    if (total != static_cast<uint64_t>(L))
        return fail("countMismatch", "the counts add up to %s%llu samples, but col holds %lld",
                    total > static_cast<uint64_t>(L) ? "more than " : "",
                    static_cast<unsigned long long>(total > static_cast<uint64_t>(L) ? L : total),
                    static_cast<long long>(L));
    if (iB >= 0 && a[iB].numel() != L)
        return fail("sizeMismatch", "b has %lld elements; it needs one per sample (%lld)",
                    static_cast<long long>(a[iB].numel()), static_cast<long long>(L));
    const uint32_t* col = a.uint32s(iCol);
    const int64_t bad = firstColumnOutside(col, L, n);
    if (bad >= 0)
        return fail("columnOutside", "col(%lld) = %lu names no column of %s (columns 1 to %lld)",
                    static_cast<long long>(bad + 1), static_cast<unsigned long>(col[bad]),
                    columnsOf, static_cast<long long>(n));
    s.b = nullptr;
    if (iB >= 0)
        if (Outcome o = valuesOf(a, iB, "b", L, s.b))
            return o;
    s.count = count;
    s.col = col;
    s.m = m;
    s.n = n;
    s.L = L;
    return {};
}

// Gt (k-by-m) and Ht (k-by-n), inputs 0 and 1, and the samples after them
// (count, col, b): what resprod and resstep share.
Outcome fitAndSamples(const Args& a, Pass& p)
{
    if (a[1].rows != a[0].rows)
        return fail("rankMismatch", "Gt has %lld rows and Ht %lld; the factors must have the same number of rows",
                    static_cast<long long>(a[0].rows), static_cast<long long>(a[1].rows));
    p.fit.k = a[0].rows;
    if (Outcome o = valuesOf(a, 0, "Gt", a[0].numel(), p.fit.Gt))
        return o;
    if (Outcome o = valuesOf(a, 1, "Ht", a[1].numel(), p.fit.Ht))
        return o;
    return rowSamples(a, 2, 3, 4, a[0].cols, a[1].cols, "Ht", p.samples);
}

// A constraint table: a real full double array with at least `columns`
// columns whenever it has rows, of which only those are read. An empty
// table, [] included, has no rows and is accepted.
Outcome table(const Args& a, int i, const char* name, int64_t columns, distgeom::Table& T)
{
    if (Outcome o = realFullDouble(a, i, name))
        return o;
    if (a[i].rows > 0 && a[i].cols < columns)
        return fail("tooFewColumns", "%s has %lld columns; it needs at least %lld", name,
                    static_cast<long long>(a[i].cols), static_cast<long long>(columns));
    T.m = a[i].rows;
    return valuesOf(a, i, name, T.m * columns, T.T);
}

// A matrix: two-dimensional, as the shape of an output made from it and
// the columns read from it need.
Outcome matrix(const Args& a, int i, const char* name, const char* shape)
{
    if (a[i].ndims > 2)
        return fail("notMatrix", "%s has %d dimensions; it must be %s matrix", name, a[i].ndims,
                    shape);
    return {};
}

// The point matrix: d-by-n, and two-dimensional, as the result of penslope
// (the shape of X) and the tables are read.
Outcome points(const Args& a, int i, distgeom::Points& X)
{
    if (Outcome o = realFullDouble(a, i, "X"))
        return o;
    if (Outcome o = matrix(a, i, "X", "a d-by-n"))
        return o;
    X.d = a[i].rows;
    X.n = a[i].cols;
    return valuesOf(a, i, "X", a[i].numel(), X.X);
}

// The first four elements of a real full double array.
Outcome fourWeights(const Args& a, int i, const char* name, double out[4])
{
    if (Outcome o = realFullDouble(a, i, name))
        return o;
    if (a[i].numel() < 4)
        return fail("tooFewElements", "%s must have at least 4 elements", name);
    const double* w = nullptr;
    if (Outcome o = valuesOf(a, i, name, 4, w))
        return o;
    for (int k = 0; k < 4; ++k)
        out[k] = w[k];
    return {};
}

// Every row of T names two whole points of X. With d = 0 no coordinate is
// ever read, so every row is accepted.
Outcome rowsInside(const distgeom::Table& T, const char* name, const distgeom::Points& X,
                   tbx::Path path)
{
    if (X.d == 0)
        return {};
    int64_t r = firstOutside(T.T, T.m, X.d, X.n, path);
    const int64_t rj = firstOutside(T.T + T.m, r < 0 ? T.m : r, X.d, X.n, path);
    if (rj >= 0)
        r = rj;
    if (r >= 0)
        return fail("pointOutside",
                    "row %lld of %s names a point outside X (point numbers run from 1 to %lld)",
                    static_cast<long long>(r + 1), name, static_cast<long long>(X.n));
    return {};
}

// A number as a message shows it: as C's %g does, but NaN, Inf and -Inf as
// the hosts write them (whatever the sign of a NaN, which is the host's).
struct Shown {
    char text[32];
};
Shown shown(double x)
{
    Shown s;
    if (std::isnan(x))
        std::snprintf(s.text, sizeof s.text, "NaN");
    else if (std::isinf(x))
        std::snprintf(s.text, sizeof s.text, x < 0 ? "-Inf" : "Inf");
    else
        std::snprintf(s.text, sizeof s.text, "%g", x);
    return s;
}

// A count given as a double, L: its first element (L is not empty).
Outcome firstValue(const Args& a, int i, double& value)
{
    const double* L = nullptr;
    if (Outcome o = valuesOf(a, i, "L", 1, L))
        return o;
    value = L[0];
    return {};
}

}  // namespace

Outcome penalty(const Args& a, const char* usage, distgeom::Penalty& p, const tbx::Exec& ex)
{
    if (Outcome o = oneOutput(a))
        return o;
    if (Outcome o = enoughInputs(a, 6, usage))
        return o;
    if (Outcome o = points(a, 0, p.X))
        return o;
    if (Outcome o = table(a, 1, "D", 3, p.D))
        return o;
    if (Outcome o = table(a, 2, "Lb", 4, p.Lb))
        return o;
    if (Outcome o = table(a, 3, "Ub", 4, p.Ub))
        return o;
    double w[4], t[4];
    if (Outcome o = fourWeights(a, 4, "w", w))
        return o;
    if (Outcome o = fourWeights(a, 5, "t", t))
        return o;
    p.w = distgeom::Weights{w[0], w[1], w[2], w[3], t[0], t[1], t[2], t[3]};
    if (Outcome o = rowsInside(p.D, "D", p.X, ex.path))
        return o;
    if (Outcome o = rowsInside(p.Lb, "Lb", p.X, ex.path))
        return o;
    return rowsInside(p.Ub, "Ub", p.X, ex.path);
}

Outcome report(const Args& a, const char* usage, const char* name, distgeom::Points& X,
               distgeom::Table& T, const tbx::Exec& ex)
{
    if (Outcome o = oneOutput(a))
        return o;
    if (Outcome o = enoughInputs(a, 2, usage))
        return o;
    if (Outcome o = points(a, 0, X))
        return o;
    if (Outcome o = table(a, 1, name, 3, T))
        return o;
    return rowsInside(T, name, X, ex.path);
}

Outcome pairsq(const Args& a, distgeom::Points& X)
{
    if (Outcome o = oneOutput(a))
        return o;
    if (a.nargin < 1)
        return fail("noInput", "one input needed: Q = pairsq (X)");
    if (!a[0].isDouble)
        return fail("notDouble", "Input of inproper type");
    if (a[0].sparse || a[0].complex)
        return fail("notRealFull", "X must be a real, full (non-sparse) double array");
    if (Outcome o = matrix(a, 0, "X", "a d-by-n"))
        return o;
    const int64_t n = a[0].cols;
    // The n*n doubles of Q must have a size the host can form: past this a
    // host that multiplies n by n without a check would wrap around and hand
    // back too small an array.
    if (n > 0 && n > std::numeric_limits<int64_t>::max() / static_cast<int64_t>(sizeof(double)) / n)
        return fail("tooLarge", "X has %lld points; their %lld-by-%lld result cannot exist",
                    static_cast<long long>(n), static_cast<long long>(n),
                    static_cast<long long>(n));
    X.d = a[0].rows;
    X.n = n;
    return valuesOf(a, 0, "X", a[0].numel(), X.X);
}

Outcome obsprod(const Args& a, lowrank::Factors& f, lowrank::Samples& s, const tbx::Exec& ex)
{
    // The fixed messages come first, in their order, from the sizes alone.
    if (Outcome o = usage(a, 5, 1, "Usage: v = obsprod (Xt, Y, I, J, L)"))
        return o;
    const int64_t m = a[0].cols, n = a[1].cols, r = a[0].rows;
    if (a[1].rows != r)
        return fail("rowsDiffer", "rows of Xt must be equal to rows of Y");
    if (r > m || r > n)
        return fail("rankTooLarge", "rank must be r <= min(m,n)");

    const char* names[] = {"Xt", "Y", "I", "J", "L"};
    for (int i = 0; i < 5; ++i)
        if (Outcome o = realFullDouble(a, i, names[i]))
            return o;
    if (Outcome o = matrix(a, 0, "Xt", "an r-by-m"))
        return o;
    if (Outcome o = matrix(a, 1, "Y", "an r-by-n"))
        return o;
    if (a[4].numel() == 0)
        return fail("badCount", "L is empty; it must hold the number of products");

    // L truncated toward zero; none for a NaN or negative L. A positive L
    // beyond 64 bits asks for more products than any I can hold.
    double value = 0;
    if (Outcome o = firstValue(a, 4, value))
        return o;
    int64_t L = tbx::truncToInt64(value);
    if (L == std::numeric_limits<int64_t>::min() && value > 0)
        L = std::numeric_limits<int64_t>::max();
    if (L < 0)
        L = 0;

    if (L > a[2].numel())
        return fail("indexTooShort", "I has %lld elements, fewer than L = %s",
                    static_cast<long long>(a[2].numel()), shown(value).text);
    if (L > a[3].numel())
        return fail("indexTooShort", "J has %lld elements, fewer than L = %s",
                    static_cast<long long>(a[3].numel()), shown(value).text);
    // The factors whole; of I and J the first L values alone.
    f = lowrank::Factors{nullptr, nullptr, r, m};
    s = lowrank::Samples{nullptr, nullptr, L};
    if (Outcome o = valuesOf(a, 0, "Xt", a[0].numel(), f.Xt))
        return o;
    if (Outcome o = valuesOf(a, 1, "Y", a[1].numel(), f.Y))
        return o;
    if (Outcome o = valuesOf(a, 2, "I", L, s.I))
        return o;
    if (Outcome o = valuesOf(a, 3, "J", L, s.J))
        return o;
    const int64_t badI = firstOutside(s.I, L, r, m, ex.path);
    if (badI >= 0)
        return fail("columnOutside", "I(%lld) = %s names no whole column of Xt (columns 1 to %lld)",
                    static_cast<long long>(badI + 1), shown(s.I[badI]).text,
                    static_cast<long long>(m));
    const int64_t badJ = firstOutside(s.J, L, r, n, ex.path);
    if (badJ >= 0)
        return fail("columnOutside", "J(%lld) = %s names no whole column of Y (columns 1 to %lld)",
                    static_cast<long long>(badJ + 1), shown(s.J[badJ]).text,
                    static_cast<long long>(n));
    return {};
}

Outcome nzfill(const Args& a, Copy& c)
{
    if (Outcome o = usage(a, 3, 0, "Usage:  SetSpv ( S, v, L )"))
        return o;
    if (!a[0].realDouble())
        return fail("notRealDouble", "S must be a real double array (sparse or full)");
    // Where the host shows that the write would not land in S's own values
    // alone (Octave's native form sees this; through MEX it cannot be seen).
    if (const char* why = a.notWritable(0))
        return fail("notWritable", "S cannot be written in place: %s. Make it a matrix of its "
                    "own first (S = S + 0 for a full S, S = S * 1 for a sparse one)", why);
    // A sparse v would hand over its stored values, not its elements.
    if (Outcome o = realFullDouble(a, 1, "v"))
        return o;
    if (Outcome o = realFullDouble(a, 2, "L"))
        return o;
    if (a[2].numel() == 0)
        return fail("badCount", "L is empty; it must hold the number of values to copy");

    double value = 0;
    if (Outcome o = firstValue(a, 2, value))
        return o;
    if (!(value > -1.0))  // NaN included
        return fail("badCount", "L = %s is not a count of values to copy", shown(value).text);
    // value > -1, so the truncation is 0 or more, or the most negative
    // integer for a value beyond 64 bits.
    const int64_t n = tbx::truncToInt64(value);
    const int64_t stored = a[0].stored;
    if (n < 0 || n > stored)
        return fail("countTooLarge", "L = %s is more than the %lld values S stores", shown(value).text,
                    static_cast<long long>(stored));
    if (n > a[1].numel())
        return fail("countTooLarge", "L = %s is more than the %lld values v holds", shown(value).text,
                    static_cast<long long>(a[1].numel()));
    c.n = n;
    return valuesOf(a, 1, "v", n, c.v);
}

Outcome resprod(const Args& a, Pass& p)
{
    const char* usage = "Usage: W = resprod (Gt, Ht, count, col, b, Vt)";
    if (Outcome o = oneOutput(a))
        return o;
    if (Outcome o = exactInputs(a, 6, usage))
        return o;
    const char* names[] = {"Gt", "Ht", "count", "col", "b", "Vt"};
    for (int i = 0; i < 6; ++i)
        if (Outcome o = i == 2 || i == 3 ? uint32Array(a, i, names[i]) : realFullDouble(a, i, names[i]))
            return o;
    if (Outcome o = matrix(a, 0, "Gt", "a k-by-m"))
        return o;
    if (Outcome o = matrix(a, 1, "Ht", "a k-by-n"))
        return o;
    if (Outcome o = matrix(a, 5, "Vt", "a q-by-n"))
        return o;
    if (a[5].cols != a[1].cols)
        return fail("sizeMismatch", "Vt has %lld columns; it needs one per column of Ht (%lld)",
                    static_cast<long long>(a[5].cols), static_cast<long long>(a[1].cols));
    if (Outcome o = addressable(a[5].rows, a[0].cols))
        return o;
    if (Outcome o = fitAndSamples(a, p))
        return o;
    p.q = a[5].rows;
    return valuesOf(a, 5, "Vt", a[5].numel(), p.Vt);
}

Outcome resstep(const Args& a, Pass& p)
{
    const char* usage = "Usage: s = resstep (Gt, Ht, count, col, b, At, Bt)";
    if (Outcome o = oneOutput(a))
        return o;
    if (Outcome o = exactInputs(a, 7, usage))
        return o;
    const char* names[] = {"Gt", "Ht", "count", "col", "b", "At", "Bt"};
    for (int i = 0; i < 7; ++i)
        if (Outcome o = i == 2 || i == 3 ? uint32Array(a, i, names[i]) : realFullDouble(a, i, names[i]))
            return o;
    const char* shapes[] = {"a k-by-m", "a k-by-n", "", "", "", "a k-by-m", "a k-by-n"};
    for (int i : {0, 1, 5, 6})
        if (Outcome o = matrix(a, i, names[i], shapes[i]))
            return o;
    for (int i : {5, 6}) {
        const Arg& like = a[i - 5];
        if (a[i].rows != like.rows || a[i].cols != like.cols)
            return fail("sizeMismatch", "%s is %lld-by-%lld; it must be the size of %s (%lld-by-%lld)",
                        names[i], static_cast<long long>(a[i].rows), static_cast<long long>(a[i].cols),
                        names[i - 5], static_cast<long long>(like.rows),
                        static_cast<long long>(like.cols));
    }
    if (Outcome o = fitAndSamples(a, p))
        return o;
    if (Outcome o = valuesOf(a, 5, "At", a[5].numel(), p.At))
        return o;
    return valuesOf(a, 6, "Bt", a[6].numel(), p.Bt);
}

Outcome rowgram(const Args& a, Pass& p)
{
    const char* usage = "Usage: N = rowgram (Ht, count, col)";
    if (Outcome o = oneOutput(a))
        return o;
    if (Outcome o = exactInputs(a, 3, usage))
        return o;
    if (Outcome o = realFullDouble(a, 0, "Ht"))
        return o;
    if (Outcome o = uint32Array(a, 1, "count"))
        return o;
    if (Outcome o = uint32Array(a, 2, "col"))
        return o;
    if (Outcome o = matrix(a, 0, "Ht", "a k-by-n"))
        return o;
    // k(k+1)/2 entries a row, formed without overflow.
    const int64_t k = a[0].rows, m = a[1].numel();
    if (k > (int64_t(1) << 31))
        return fail("tooLarge", "Ht has %lld rows; their %lld-by-%lld normal matrices cannot exist",
                    static_cast<long long>(k), static_cast<long long>(k), static_cast<long long>(k));
    if (Outcome o = addressable(k * (k + 1) / 2, m))
        return o;
    p.fit.k = k;
    if (Outcome o = valuesOf(a, 0, "Ht", a[0].numel(), p.fit.Ht))
        return o;
    return rowSamples(a, 1, 2, -1, m, a[0].cols, "Ht", p.samples);
}

int64_t firstColumnOutside(const uint32_t* col, int64_t count, int64_t n)
{
    // col - 1, wrapping 0 around to 2^32 - 1, must be below n, and below
    // 2^32 - 1 where n is larger (so that a 0 stays outside however many
    // columns there are); each chunk's largest is found first (a loop the
    // compiler runs in vector lanes).
    constexpr uint64_t kWrapped = std::numeric_limits<uint32_t>::max();
    const uint64_t width = n > 0 ? static_cast<uint64_t>(n) : 0;
    const uint64_t limit = width < kWrapped ? width : kWrapped;
    constexpr int64_t kChunk = 1024;
    for (int64_t s0 = 0; s0 < count; s0 += kChunk) {
        const int64_t s1 = s0 + kChunk < count ? s0 + kChunk : count;
        uint32_t largest = 0;
        for (int64_t s = s0; s < s1; ++s) {
            const uint32_t x = col[s] - 1u;
            largest = x > largest ? x : largest;
        }
        if (largest < limit)
            continue;
        for (int64_t s = s0; s < s1; ++s)
            if (static_cast<uint32_t>(col[s] - 1u) >= limit)
                return s;
    }
    return -1;
}

}  // namespace chk
