// Writes the fuzzer's seed corpus: the worked examples of the plug-ins and
// one call for each kind of bad input, encoded in the case format of
// fuzzcase.h. Usage:
//   make_corpus DIR             the committed seeds, DIR/seed-<plug-in>-<what>
//   make_corpus --examples DIR  each plug-in's example in the registry,
//                               DIR/example-<plug-in> (the smoke run adds them)
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "fuzzcase.h"

using fuzzcase::Case;
using fuzzcase::Input;
using fuzzcase::Kind;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

Input of(Kind kind, uint64_t rows, uint64_t cols, std::vector<double> values)
{
    Input a;
    a.kind = kind;
    a.rowsIndex = fuzzcase::dimIndex(rows);
    a.colsIndex = fuzzcase::dimIndex(cols);
    a.values = std::move(values);
    return a;
}

Input dbl(uint64_t rows, uint64_t cols, std::vector<double> values)
{
    return of(Kind::Double, rows, cols, std::move(values));
}

Input row(std::vector<double> values)
{
    const uint64_t n = values.size();
    return dbl(n ? 1 : 0, n, std::move(values));
}

Input sparse(uint64_t rows, uint64_t cols, std::vector<double> dense, uint8_t slack = 0)
{
    Input a = of(Kind::SparseDouble, rows, cols, std::move(dense));
    a.slack = slack;
    return a;
}

Input alias(uint8_t of)
{
    Input a;
    a.kind = Kind::Alias;
    a.aliasOf = of;
    return a;
}

Input empty() { return dbl(0, 0, {}); }

// A part of the case's shared pool, from `offset` on (see fuzzcase.h).
Input part(uint8_t offset, uint64_t rows, uint64_t cols, std::vector<double> values)
{
    Input a = of(Kind::Part, rows, cols, std::move(values));
    a.offset = offset;
    return a;
}

struct Seeds {
    std::vector<std::pair<std::string, Case>> list;

    void add(const std::string& plugin, const std::string& what, int nlhs,
             std::vector<Input> inputs)
    {
        Case c;
        for (size_t i = 0; i < fuzzcase::kPlugins.size(); ++i)
            if (plugin == fuzzcase::kPlugins[i])
                c.plugin = uint8_t(i);
        c.nlhs = nlhs;
        c.inputs = std::move(inputs);
        list.emplace_back("seed-" + plugin + "-" + what, c);
    }
};

// Points (0, 0) and (3, 4), pair distance 5.
Input points() { return dbl(2, 2, {0, 0, 3, 4}); }

void penaltySeeds(Seeds& s)
{
    const Input w = row({1, 1, 1, 0}), t = row({3, 5, 7, 2});
    auto penval = [&](const std::string& what, double lbCode, double ubCode, double w4) {
        s.add("penval", what, 1,
              {points(), row({1, 2, 4}), row({1, 2, 6, lbCode}), row({1, 2, 4, ubCode}),
               row({1, 1, 1, w4}), t});
    };
    penval("example", 1, 0, 0);
    penval("ub-code-minus1", 1, -1, 0);
    penval("ub-code-minus2", 1, -2, 0);
    penval("ub-code-minus3", 1, -3, 0);
    penval("lb-code-minus2", -2, 0, 0);
    penval("regularisation", 1, 0, 1);
    penval("codes-truncated", 1.9, -2.5, 0);
    penval("code-nan", kNaN, kNaN, 0);
    penval("code-huge", 1e300, -1e300, 0);
    s.add("penval", "empty-tables", 0, {points(), empty(), empty(), empty(), row({1, 1, 1, 1}), t});
    s.add("penval", "no-points", 1, {dbl(2, 0, {}), empty(), empty(), empty(), w, t});
    s.add("penval", "coincident", 1,
          {points(), row({1, 1, 4}), row({2, 2, 6, 1}), row({1, 1, -1, 0}), w, t});
    // d = 3: point number 2.5 starts at offset 4, inside point 2.
    s.add("penval", "fractional-index", 1,
          {dbl(3, 3, {0, 1, 2, 3, 4, 5, 6, 7, 8}), row({2.5, 1, 1}), empty(), empty(), w, t});
    s.add("penval", "d-zero", 1,
          {dbl(0, 3, {}), row({kNaN, 7, 1}), row({0, -1, 2, 1}), empty(), w, t});

    auto penslope = [&](const std::string& what, double lbCode, double ubCode, double w4) {
        s.add("penslope", what, 1,
              {points(), row({1, 2, 2.5}), row({1, 2, 10, lbCode}), row({1, 2, 2.5, ubCode}),
               row({1, 1, 1, w4}), t});
    };
    penslope("example", 1, 0, 0);
    penslope("ub-code-minus1", 1, -1, 0);
    penslope("ub-code-minus3", 1, -3, 0);
    penslope("lb-code-minus2", -2, 0, 0);
    penslope("lb-code-unknown", 0, 0, 0);
    penslope("regularisation", 1, 0, 1);
    s.add("penslope", "coincident", 1,
          {points(), row({1, 1, 2}), empty(), empty(), w, t});
    s.add("penslope", "no-output-requested", 0,
          {points(), row({1, 2, 2.5}), empty(), empty(), w, t});

    // Bad inputs, the same for both.
    const Input X = points(), D = row({1, 2, 4}), L = row({1, 2, 6, 1});
    for (const char* p : {"penval", "penslope"}) {
        const std::string n = p;
        s.add(n, "five-inputs", 1, {X, D, L, L, w});
        s.add(n, "two-outputs", 2, {X, D, L, L, w, t});
        s.add(n, "no-inputs", 1, {});
        s.add(n, "single-X", 1, {of(Kind::Single, 2, 2, {0, 0, 3, 4}), D, L, L, w, t});
        s.add(n, "int32-D", 1, {X, of(Kind::Int32, 1, 3, {1, 2, 4}), L, L, w, t});
        s.add(n, "sparse-Lb", 1, {X, D, sparse(1, 4, {1, 2, 6, 1}), L, w, t});
        s.add(n, "complex-Ub", 1, {X, D, L, of(Kind::ComplexDouble, 1, 4, {1, 2, 6, 1}), w, t});
        s.add(n, "char-w", 1, {X, D, L, L, of(Kind::Char, 1, 4, {97, 98, 99, 100}), t});
        s.add(n, "logical-t", 1, {X, D, L, L, w, of(Kind::Logical, 1, 4, {1, 1, 1, 1})});
        s.add(n, "D-two-columns", 1, {X, row({1, 2}), L, L, w, t});
        s.add(n, "Lb-three-columns", 1, {X, D, row({1, 2, 6}), L, w, t});
        s.add(n, "Ub-three-columns", 1, {X, D, L, row({1, 2, 6}), w, t});
        s.add(n, "w-three-elements", 1, {X, D, L, L, row({1, 1, 1}), t});
        s.add(n, "t-empty", 1, {X, D, L, L, w, empty()});
        s.add(n, "Lb-index-nan", 1, {X, D, row({1, kNaN, 6, 1}), L, w, t});
        const std::vector<std::pair<const char*, double>> badIndex = {
            {"nan", kNaN}, {"inf", kInf}, {"minus-inf", -kInf}, {"zero", 0},
            {"negative", -1}, {"half", 0.5}, {"too-large", 3}, {"fraction-past-end", 2.5},
            {"huge", 1e300}};
        for (const auto& [what, bad] : badIndex) {
            s.add(n, std::string("D-index-") + what, 1, {X, row({bad, 1, 1}), L, L, w, t});
            s.add(n, std::string("Ub-index-") + what, 1,
                  {X, D, L, dbl(2, 4, {1, 2, 2, bad, 4, 4, 0, 0}), w, t});
        }
    }
}

void reportSeeds(Seeds& s)
{
    for (const char* p : {"linkdev", "ceilgap", "floorgap"}) {
        const std::string n = p;
        const std::vector<std::pair<const char*, double>> values = {
            {"4", 4}, {"5", 5}, {"5.005", 5.005}, {"5.02", 5.02}, {"6", 6}};
        for (const auto& [what, value] : values)
            s.add(n, std::string("value-") + what, 1, {points(), row({1, 2, value})});
        s.add(n, "four-columns", 1, {points(), row({1, 2, 4, -2})});
        s.add(n, "coincident", 1, {points(), dbl(2, 3, {1, 2, 1, 2, 0.02, -1})});
        s.add(n, "empty-table", 0, {points(), empty()});
        s.add(n, "d-zero", 1, {dbl(0, 2, {}), row({kNaN, -4, 1})});
        // Bad inputs.
        s.add(n, "one-input", 1, {points()});
        s.add(n, "two-outputs", 2, {points(), row({1, 2, 4})});
        s.add(n, "no-inputs", 1, {});
        s.add(n, "single-T", 1, {points(), of(Kind::Single, 1, 3, {1, 2, 4})});
        s.add(n, "sparse-X", 1, {sparse(2, 2, {0, 0, 3, 4}), row({1, 2, 4})});
        s.add(n, "complex-X", 1, {of(Kind::ComplexDouble, 2, 2, {0, 0, 3, 4}), row({1, 2, 4})});
        s.add(n, "T-two-columns", 1, {points(), row({1, 2})});
        s.add(n, "T-no-columns", 1, {points(), dbl(2, 0, {})});
        s.add(n, "index-nan", 1, {points(), dbl(2, 3, {1, 1, 2, kNaN, 4, 4})});
        s.add(n, "index-too-large", 1, {points(), row({1, 3, 4})});
        s.add(n, "index-inf", 1, {points(), row({kInf, 1, 4})});
        s.add(n, "index-zero", 1, {points(), row({1, 0, 4})});
        s.add(n, "index-negative", 1, {points(), row({-2, 1, 4})});
        s.add(n, "no-points", 1, {dbl(2, 0, {}), row({1, 2, 4})});
    }
}

void pairsqSeeds(Seeds& s)
{
    const std::string n = "pairsq";
    s.add(n, "example", 1, {points()});
    s.add(n, "no-points", 1, {dbl(2, 0, {})});
    s.add(n, "d-zero", 1, {dbl(0, 3, {})});
    s.add(n, "one-point", 1, {dbl(3, 1, {1, 2, 3})});
    s.add(n, "infinite-coordinate", 1, {dbl(2, 3, {kInf, 0, 1, 2, kNaN, 1})});
    s.add(n, "extra-input", 1, {points(), row({1, 2, 3})});
    s.add(n, "two-outputs", 2, {points()});
    s.add(n, "no-output-requested", 0, {dbl(3, 5, {1, -2, 0.5, 7, kInf, 3, -0.0, 9})});
    s.add(n, "many-points-no-rows", 1, {dbl(0, 46341, {})});
    // Bad inputs.
    s.add(n, "no-inputs", 1, {});
    s.add(n, "single-X", 1, {of(Kind::Single, 2, 2, {0, 0, 3, 4})});
    s.add(n, "int32-X", 1, {of(Kind::Int32, 2, 2, {0, 0, 3, 4})});
    s.add(n, "logical-X", 1, {of(Kind::Logical, 2, 2, {0, 0, 1, 1})});
    s.add(n, "char-X", 1, {of(Kind::Char, 1, 3, {97, 98, 99})});
    s.add(n, "sparse-X", 1, {sparse(2, 2, {0, 0, 3, 4})});
    s.add(n, "complex-X", 1, {of(Kind::ComplexDouble, 2, 2, {0, 0, 3, 4})});
}

void obsprodSeeds(Seeds& s)
{
    for (const char* p : {"obsprod", "obsprod_blas"}) {
        const std::string n = p;
        const Input Xt = dbl(2, 2, {1, 3, 2, 4}), Y = dbl(2, 3, {5, 8, 6, 9, 7, 10}),
                    I = row({1, 2}), J = row({3, 1});
        s.add(n, "example", 1, {Xt, Y, I, J, row({2})});
        s.add(n, "no-output-requested", 0, {Xt, Y, I, J, row({2})});
        s.add(n, "count-fraction", 1, {Xt, Y, row({1, 2, 2}), row({3, 1, 2}), row({2.9})});
        s.add(n, "count-zero", 1, {Xt, Y, I, J, row({0})});
        s.add(n, "count-minus-half", 1, {Xt, Y, I, J, row({-0.5})});
        s.add(n, "count-nan", 1, {Xt, Y, I, J, row({kNaN})});
        s.add(n, "count-negative", 1, {Xt, Y, I, J, row({-3})});
        s.add(n, "rank-zero", 1, {dbl(0, 2, {}), dbl(0, 3, {}), I, J, row({2})});
        s.add(n, "first-columns", 1, {Xt, Y, row({1}), row({1}), row({1})});
        s.add(n, "longer-indices", 1, {Xt, Y, row({2, 2, 9}), row({3, 3, 9}), row({2})});
        // r = 2: column number 2.5 starts at offset 3, inside Xt.
        s.add(n, "fractional-index", 1,
              {dbl(2, 3, {1, 2, 3, 4, 5, 6}), Y, row({2.5}), row({1}), row({1})});
        s.add(n, "indices-as-matrix", 1, {Xt, Y, dbl(2, 2, {1, 2, 2, 1}), dbl(4, 1, {3, 1, 2, 2}),
                                          row({4})});
        // Bad inputs.
        s.add(n, "four-inputs", 1, {Xt, Y, I, J});
        s.add(n, "six-inputs", 1, {Xt, Y, I, J, row({2}), row({2})});
        s.add(n, "two-outputs", 2, {Xt, Y, I, J, row({2})});
        s.add(n, "rows-differ", 1, {Xt, dbl(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}), I, J, row({2})});
        s.add(n, "rows-differ-rank-too", 1, {dbl(2, 1, {1, 2}), dbl(3, 3, {1}), I, J, row({1})});
        s.add(n, "rank-too-large", 1,
              {dbl(3, 2, {1, 2, 3, 4, 5, 6}), dbl(3, 5, {1, 2, 3}), I, J, row({2})});
        s.add(n, "I-shorter-than-count", 1, {Xt, Y, row({1}), J, row({2})});
        s.add(n, "J-shorter-than-count", 1, {Xt, Y, I, row({3}), row({2})});
        s.add(n, "I-zero", 1, {Xt, Y, row({0, 1}), J, row({2})});
        s.add(n, "I-nan", 1, {Xt, Y, row({1, kNaN}), J, row({2})});
        s.add(n, "I-too-large", 1, {Xt, Y, row({3, 1}), J, row({2})});
        s.add(n, "J-too-large", 1, {Xt, Y, I, row({4, 1}), row({2})});
        s.add(n, "J-fraction-past-end", 1, {Xt, Y, I, row({3.5, 1}), row({2})});
        s.add(n, "J-minus-inf", 1, {Xt, Y, I, row({-kInf, 1}), row({2})});
        s.add(n, "single-Xt", 1, {of(Kind::Single, 2, 2, {1, 3, 2, 4}), Y, I, J, row({2})});
        s.add(n, "sparse-Y", 1, {Xt, sparse(2, 3, {5, 8, 6, 9, 7, 10}), I, J, row({2})});
        s.add(n, "complex-I", 1, {Xt, Y, of(Kind::ComplexDouble, 1, 2, {1, 2}), J, row({2})});
        s.add(n, "char-J", 1, {Xt, Y, I, of(Kind::Char, 1, 2, {3, 1}), row({2})});
        s.add(n, "count-inf", 1, {Xt, Y, I, J, row({kInf})});
        s.add(n, "count-empty", 1, {Xt, Y, I, J, empty()});
        s.add(n, "single-count", 1, {Xt, Y, I, J, of(Kind::Single, 1, 1, {2})});
        s.add(n, "count-huge", 1, {Xt, Y, I, J, row({1e300})});
        s.add(n, "count-2-to-32-plus-1", 1, {Xt, Y, I, J, row({4294967297.0})});
    }
}

void nzfillSeeds(Seeds& s)
{
    for (const char* p : {"nzfill", "nzfill_blas"}) {
        const std::string n = p;
        // 3-by-3 sparse S with 4 stored values, one spare slot.
        const Input S = sparse(3, 3, {1, 0, 2, 0, 0, 0, 0, 3, 4}, 1);
        const Input v = row({7, 8, 9, 10});
        s.add(n, "example", 0, {S, v, row({2.9})});
        s.add(n, "count-zero", 0, {S, v, row({0})});
        s.add(n, "count-minus-half", 0, {S, v, row({-0.5})});
        s.add(n, "every-stored-value", 0, {S, row({0, -0.0, kNaN, kInf}), row({4})});
        s.add(n, "full-S", 0, {dbl(2, 3, {1, 2, 3, 4, 5, 6}), v, row({3})});
        s.add(n, "v-longer", 0, {S, row({7, 8, 9, 10, 11, 12}), row({1})});
        s.add(n, "v-is-S", 0, {S, alias(0), row({4})});
        s.add(n, "v-is-full-S", 0, {dbl(2, 2, {1, kNaN, -0.0, 4}), alias(0), row({4})});
        s.add(n, "count-is-S", 0, {dbl(1, 3, {2, 5, 6}), row({7, 8}), alias(0)});
        s.add(n, "v-as-matrix", 0, {S, dbl(2, 2, {7, 8, 9, 10}), row({4})});
        // S and v parts of one storage that overlap, S after v and before
        // it: the values are copied as if v were read first.
        s.add(n, "S-overlaps-v-after", 0,
              {part(3, 1, 8, {1, 2, 3, 4, 5, 6, 7, 8}), part(1, 1, 8, {9, 8, 7}), row({8})});
        s.add(n, "S-overlaps-v-before", 0,
              {part(1, 1, 8, {1, 2, 3, 4, 5, 6, 7, 8}), part(4, 1, 8, {9, 8, 7}), row({8})});
        // Bad inputs.
        s.add(n, "one-output", 1, {S, v, row({2})});
        s.add(n, "two-inputs", 0, {S, v});
        s.add(n, "four-inputs", 0, {S, v, row({2}), row({2})});
        s.add(n, "count-above-stored", 0, {S, v, row({5})});
        s.add(n, "count-above-v", 0, {dbl(2, 3, {1, 2, 3, 4, 5, 6}), v, row({5})});
        s.add(n, "count-minus-one", 0, {S, v, row({-1})});
        s.add(n, "count-nan", 0, {S, v, row({kNaN})});
        s.add(n, "count-inf", 0, {S, v, row({kInf})});
        s.add(n, "count-empty", 0, {S, v, empty()});
        s.add(n, "char-count", 0, {S, v, of(Kind::Char, 1, 1, {2})});
        s.add(n, "count-2-to-32-plus-1", 0, {S, v, row({4294967297.0})});
        s.add(n, "count-2-to-31", 0, {S, v, row({2147483648.0})});
        s.add(n, "single-S", 0, {of(Kind::Single, 2, 2, {1, 2, 3, 4}), v, row({2})});
        s.add(n, "int32-v", 0, {S, of(Kind::Int32, 1, 4, {7, 8, 9, 10}), row({2})});
        s.add(n, "complex-S", 0, {of(Kind::ComplexDouble, 2, 2, {1, 2, 3, 4}), v, row({2})});
        s.add(n, "logical-v", 0, {S, of(Kind::Logical, 1, 4, {1, 0, 1, 1}), row({2})});
        s.add(n, "sparse-v", 0, {S, sparse(1, 4, {7, 0, 9, 10}), row({2})});
    }
}

Input u32(std::vector<double> values)
{
    const uint64_t n = values.size();
    return of(Kind::UInt32, n ? 1 : 0, n, std::move(values));
}

// resprod, resstep and rowgram: a 2-by-3 fit of rank 1 and its samples
// (1,1), (1,3), (2,2) grouped by row, and what goes wrong with them.
void passSeeds(Seeds& s)
{
    const Input Gt = row({1, 2}), Ht = row({3, 4, 5}), count = u32({2, 1}),
                col = u32({1, 3, 2}), b = row({1, 2, 3}), At = row({1, 1}), Bt = row({0, 1, 0});
    s.add("resprod", "example", 1, {Gt, Ht, count, col, b, Ht});
    s.add("resprod", "empty-row-rank-zero", 1,
          {dbl(0, 3, {}), dbl(0, 2, {}), u32({0, 2, 0}), u32({2, 1}), row({1, 2}), row({1, 2})});
    s.add("resprod", "q-zero", 1, {Gt, Ht, count, col, b, dbl(0, 3, {})});
    s.add("resprod", "nan-inf-values", 1,
          {row({kNaN, 1e300}), row({kInf, -0.0, 1}), count, col, row({kInf, 0, kNaN}), Ht});
    s.add("resprod", "no-samples", 1, {Gt, Ht, u32({0, 0}), u32({}), empty(), Ht});
    s.add("resprod", "col-zero", 1, {Gt, Ht, count, u32({1, 0, 2}), b, Ht});
    s.add("resprod", "col-past-n", 1, {Gt, Ht, count, u32({1, 4, 2}), b, Ht});
    s.add("resprod", "col-2-to-32-minus-1", 1, {Gt, Ht, count, u32({4294967295.0, 1, 2}), b, Ht});
    s.add("resprod", "counts-too-many", 1, {Gt, Ht, u32({2, 2}), col, b, Ht});
    s.add("resprod", "counts-huge", 1, {Gt, Ht, u32({4294967295.0, 4294967295.0}), col, b, Ht});
    s.add("resprod", "counts-too-few", 1, {Gt, Ht, u32({1, 1}), col, b, Ht});
    s.add("resprod", "count-per-row-missing", 1, {Gt, Ht, u32({3}), col, b, Ht});
    s.add("resprod", "b-short", 1, {Gt, Ht, count, col, row({1, 2}), Ht});
    s.add("resprod", "ranks-differ", 1, {Gt, dbl(2, 3, {3, 1, 4, 1, 5, 1}), count, col, b, Ht});
    s.add("resprod", "V-columns", 1, {Gt, Ht, count, col, b, row({1, 2})});
    s.add("resprod", "double-col", 1, {Gt, Ht, count, row({1, 3, 2}), b, Ht});
    s.add("resprod", "int32-count", 1, {Gt, Ht, of(Kind::Int32, 1, 2, {2, 1}), col, b, Ht});
    s.add("resprod", "b-is-col", 1, {Gt, Ht, count, col, alias(3), Ht});
    s.add("resprod", "five-inputs", 1, {Gt, Ht, count, col, b});
    s.add("resprod", "seven-inputs", 1, {Gt, Ht, count, col, b, Ht, Ht});
    s.add("resstep", "example", 1, {Gt, Ht, count, col, b, At, Bt});
    s.add("resstep", "direction-is-fit", 1, {Gt, Ht, count, col, b, alias(0), alias(1)});
    s.add("resstep", "At-size", 1, {Gt, Ht, count, col, b, row({1, 1, 1}), Bt});
    s.add("resstep", "Bt-sparse", 1, {Gt, Ht, count, col, b, At, sparse(1, 3, {0, 1, 0})});
    s.add("resstep", "col-past-n", 1, {Gt, Ht, count, u32({1, 3, 9}), b, At, Bt});
    s.add("resstep", "rank-zero", 1,
          {dbl(0, 2, {}), dbl(0, 3, {}), count, col, b, dbl(0, 2, {}), dbl(0, 3, {})});
    s.add("resstep", "no-samples", 1, {Gt, Ht, u32({0, 0}), u32({}), empty(), At, Bt});
    s.add("resstep", "nan-inf-values", 1,
          {Gt, row({kInf, 4, -0.0}), count, col, row({kNaN, 1e300, 3}), row({-kInf, 1}), Bt});
    s.add("resstep", "no-output-requested", 0, {Gt, Ht, count, col, b, At, Bt});
    s.add("resstep", "counts-too-many", 1, {Gt, Ht, u32({3, 1}), col, b, At, Bt});
    s.add("resstep", "int32-col", 1, {Gt, Ht, count, of(Kind::Int32, 1, 3, {1, 3, 2}), b, At, Bt});
    s.add("resstep", "six-inputs", 1, {Gt, Ht, count, col, b, At});
    s.add("rowgram", "example", 1, {dbl(2, 3, {1, 0, 2, 1, 3, 1}), count, col});
    s.add("rowgram", "rank-zero", 1, {dbl(0, 3, {}), count, col});
    s.add("rowgram", "col-zero", 1, {Ht, count, u32({0, 1, 1})});
    s.add("rowgram", "col-zero-wide", 1, {dbl(0, uint64_t(1) << 40, {}), count, u32({0, 1, 1})});
    s.add("rowgram", "counts-too-few", 1, {Ht, u32({1}), col});
    s.add("rowgram", "count-is-col", 1, {Ht, u32({1, 1, 1}), alias(1)});
    s.add("rowgram", "empty-rows", 1, {dbl(3, 2, {1, 2, 3, 4, 5, 6}), u32({0, 3, 0, 0}), u32({2, 1, 2})});
    s.add("rowgram", "no-output-requested", 0, {Ht, count, col});
    s.add("rowgram", "col-past-n", 1, {Ht, count, u32({1, 2, 4})});
    s.add("rowgram", "double-count", 1, {Ht, row({2, 1}), col});
    s.add("rowgram", "two-outputs", 2, {Ht, count, col});
}

// The registry's example of every plug-in, as a case.
void exampleSeeds(Seeds& s)
{
    for (size_t p = 0; p < fuzzcase::kPlugins.size(); ++p)
        s.list.emplace_back(std::string("example-") + fuzzcase::kPlugins[p],
                            fuzzcase::exampleCase(p));
}

}  // namespace

int main(int argc, char** argv)
{
    const bool examples = argc == 3 && std::string(argv[1]) == "--examples";
    if (argc != 2 && !examples) {
        std::fprintf(stderr, "usage: %s [--examples] DIR\n", argv[0]);
        return 2;
    }
    const char* dir = argv[argc - 1];
    Seeds s;
    if (examples) {
        exampleSeeds(s);
    } else {
        penaltySeeds(s);
        reportSeeds(s);
        pairsqSeeds(s);
        obsprodSeeds(s);
        nzfillSeeds(s);
        passSeeds(s);
    }
    for (const auto& [name, c] : s.list) {
        const std::vector<uint8_t> bytes = fuzzcase::encode(c);
        if (!(fuzzcase::decode(bytes.data(), bytes.size()) == c)) {
            std::fprintf(stderr, "%s does not survive encoding\n", name.c_str());
            return 1;
        }
        std::ofstream out(std::string(dir) + "/" + name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s/%s\n", dir, name.c_str());
            return 1;
        }
    }
    std::printf("%zu seeds written to %s\n", s.list.size(), dir);
    return 0;
}
