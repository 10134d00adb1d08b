// Benchmark cases of the distance-bound kernels: penval and penslope over
// three tables, and the three reports over one table each.
#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "distgeom/kernels.h"
#include "harness.h"
#include "distgeom/test/reference.h"

namespace {

struct Problem {
    int64_t d = 3, n = 0, m = 0;
    std::vector<double> X, D, Lb, Ub;
    double w[4] = {1.0, 2.0, 3.0, 0.5};
    double t[4] = {1.5, 2.5, 3.5, 4.5};
    // Outputs, reused by every run.
    double acc = 0;
    std::vector<double> G, out;
    std::string printed;
    // Every row's two offsets, the three tables one after another, and
    // positive values to take square roots of, one per row.
    std::vector<int64_t> oi, oj;
    std::vector<double> squares;
    // The same tables with every point number folded into the first
    // kNear points, whose coordinates fit the first-level cache.
    std::vector<double> nearD, nearLb, nearUb;
};

constexpr int64_t kNear = 1000;

std::vector<double> foldPoints(const std::vector<double>& T, int64_t m)
{
    std::vector<double> folded = T;
    for (int64_t r = 0; r < 2 * m; ++r)
        folded[r] = 1.0 + std::fmod(T[r] - 1.0, static_cast<double>(kNear));
    return folded;
}

// A table of m rows naming random pairs of distinct points, with targets or
// bounds between half and one and a half times the pair's distance (so about
// half the bound rows are violated) and type codes drawn from `codes`.
std::vector<double> makeTable(std::mt19937_64& rng, const Problem& p, int cols,
                              const std::vector<double>& codes)
{
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::uniform_int_distribution<int64_t> point(1, p.n);
    const int64_t m = p.m;
    std::vector<double> T(static_cast<size_t>(m * cols));
    for (int64_t r = 0; r < m; ++r) {
        const int64_t i = point(rng);
        int64_t j = point(rng);
        while (j == i)
            j = point(rng);
        T[r] = static_cast<double>(i);
        T[r + m] = static_cast<double>(j);
        const double dij = ref::dist(p.X.data(), static_cast<int32_t>(p.d),
                                     static_cast<int32_t>((i - 1) * p.d),
                                     static_cast<int32_t>((j - 1) * p.d));
        T[r + 2 * m] = dij * (0.5 + u(rng));
        if (cols == 4)
            T[r + 3 * m] = codes[static_cast<size_t>(u(rng) * static_cast<double>(codes.size()))];
    }
    return T;
}

std::shared_ptr<Problem> makeProblem(const bench::Sizes& sizes)
{
    auto p = std::make_shared<Problem>();
    p->n = sizes.points;
    p->m = sizes.rows;
    std::mt19937_64 rng(20240611);
    std::uniform_real_distribution<double> coordinate(0.0, 10.0);
    p->X.resize(static_cast<size_t>(p->d * p->n));
    for (double& x : p->X)
        x = coordinate(rng);
    p->D = makeTable(rng, *p, 3, {});
    p->Lb = makeTable(rng, *p, 4, {1, -2});
    p->Ub = makeTable(rng, *p, 4, {0, -1, -2, 3});
    p->G.resize(p->X.size());
    p->out.resize(static_cast<size_t>(p->m));
    for (const std::vector<double>* T : {&p->D, &p->Lb, &p->Ub})
        for (int64_t r = 0; r < p->m; ++r) {
            p->oi.push_back(ref::offset((*T)[r], static_cast<int32_t>(p->d)));
            p->oj.push_back(ref::offset((*T)[r + p->m], static_cast<int32_t>(p->d)));
            p->squares.push_back(1.0 + coordinate(rng));
        }
    if (p->n > kNear) {
        p->nearD = foldPoints(p->D, p->m);
        p->nearLb = foldPoints(p->Lb, p->m);
        p->nearUb = foldPoints(p->Ub, p->m);
    }
    return p;
}

// A row that updates G: its two points' offsets and a value.
struct Update {
    int64_t oi, oj;
    double v;
};

// The rows penslope takes into G, in its order: every distance row, the
// violated bound rows with a recognised type code.
std::vector<Update> contributingRows(const Problem& p)
{
    std::vector<Update> rows;
    const int32_t d = static_cast<int32_t>(p.d);
    const int64_t m = p.m;
    for (int table = 0; table < 3; ++table) {
        const std::vector<double>& T = table == 0 ? p.D : table == 1 ? p.Lb : p.Ub;
        for (int64_t r = 0; r < m; ++r) {
            const int32_t oi = ref::offset(T[r], d), oj = ref::offset(T[r + m], d);
            const double q = T[r + 2 * m], dist = ref::dist(p.X.data(), d, oi, oj);
            const bool on = table == 0 || (table == 1 ? q > dist : q < dist);
            if (on)
                rows.push_back({oi, oj, 1.0 - q / dist});
        }
    }
    return rows;
}

int64_t g_printed = 0;
void countPrint(void*, const char*, int64_t times) { g_printed += times; }

distgeom::Penalty penaltyOf(const Problem& p, const double* D, const double* Lb, const double* Ub)
{
    distgeom::Penalty q;
    q.X = {p.X.data(), p.d, p.n};
    q.D = {D, p.m};
    q.Lb = {Lb, p.m};
    q.Ub = {Ub, p.m};
    q.w = {p.w[0], p.w[1], p.w[2], p.w[3], p.t[0], p.t[1], p.t[2], p.t[3]};
    return q;
}

std::string sizeText(const Problem& p, int tables)
{
    std::string s = "d=" + std::to_string(p.d);
    if (tables > 1)
        s += " n=" + std::to_string(p.n) + " " + std::to_string(tables) + "x";
    else
        s += " ";
    return s + std::to_string(p.m) + " rows";
}

// Two pieces of every row's work, timed alone over the rows of `tables`
// tables: reading the coordinates of the row's two points (scattered over
// X, which lives in the second-level cache, not the first), and the square
// root of its sum.
std::vector<bench::Work> pieces(const std::shared_ptr<Problem>& p, int tables)
{
    const int64_t rows = tables * p->m;
    const std::string count = std::to_string(rows);
    return {{"the rows' points alone (" + count + " rows)",
             [p, rows] {
                 bench::keep(bench::gatherRead(p->X.data(), p->d, p->oi.data(), p->oj.data(),
                                               rows));
             },
             nullptr},
            {count + " square roots alone",
             [p, rows] { bench::keep(bench::squareRoots(p->squares.data(), rows)); }, nullptr}};
}

void penaltyCases(const bench::Sizes& sizes, std::vector<bench::Case>& cases)
{
    const std::shared_ptr<Problem> p = makeProblem(sizes);
    const int32_t d = static_cast<int32_t>(p->d), n = static_cast<int32_t>(p->n),
                  m = static_cast<int32_t>(p->m);
    const double* w = p->w;
    const double* t = p->t;

    const distgeom::Penalty all = penaltyOf(*p, p->D.data(), p->Lb.data(), p->Ub.data());
    auto fastValue = [p, all] { distgeom::penvalKernel(all, &p->acc, bench::fastExec()); };
    auto referenceValue = [p, d, n, m, w, t] {
        ref::penval(p->X.data(), d, n, p->D.data(), m, p->Lb.data(), m, p->Ub.data(), m, w, t,
                    &p->acc);
    };
    auto fastSlope = [p, all] {
        distgeom::penslopeKernel(all, p->G.data(), distgeom::PrintSink{countPrint, nullptr},
                                 bench::fastExec());
    };
    auto referenceSlope = [p, d, n, m, w, t] {
        ref::penslope(p->X.data(), d, n, p->D.data(), m, p->Lb.data(), m, p->Ub.data(), m, w, t,
                      p->G.data(), p->printed);
    };
    auto zeroValue = [p] { p->acc = 0.0; };
    auto zeroSlope = [p] {
        std::fill(p->G.begin(), p->G.end(), 0.0);
        p->printed.clear();
        g_printed = 0;
    };

    // The limit: reading the three tables once, or the 3m additions of the
    // one running sum, one after another, whichever takes longer.
    const double tableMB = static_cast<double>((p->D.size() + p->Lb.size() + p->Ub.size()) * 8) / 1e6;
    const std::vector<bench::Work> limit{
        {"read the tables once (" + std::to_string(static_cast<int>(tableMB + 0.5)) + " MB)",
         [p] {
             bench::keep(bench::streamRead(p->D.data(), p->D.size()) ^
                         bench::streamRead(p->Lb.data(), p->Lb.size()) ^
                         bench::streamRead(p->Ub.data(), p->Ub.size()));
         },
         nullptr},
        {"chain of " + std::to_string(3 * p->m) + " additions",
         [p] { bench::keep(bench::serialAdds(3 * p->m)); }, nullptr}};

    bench::Case value;
    value.name = "penval";
    value.size = sizeText(*p, 3);
    value.fast = {"penvalKernel", fastValue, zeroValue};
    value.reference = {"reference loop", referenceValue, zeroValue};
    value.limit = limit;
    value.limitText = "the slower of reading the tables once and the serial chain";
    value.targetToLimit = 1.5;
    value.targetScaling = 1.4;
    value.others = pieces(p, 3);
    if (!p->nearD.empty())
        value.others.push_back(
            {"penvalKernel on rows naming only " + std::to_string(kNear) + " points", [p] {
                 double acc = 0;
                 distgeom::penvalKernel(
                     penaltyOf(*p, p->nearD.data(), p->nearLb.data(), p->nearUb.data()), &acc,
                     bench::fastExec());
                 bench::keep(acc);
             }, nullptr});
    value.check = [=] {
        zeroValue();
        fastValue();
        const double fast = p->acc;
        zeroValue();
        referenceValue();
        return bench::compareBits({p->acc}, {fast});
    };
    cases.push_back(value);

    // What bounds penslope beyond the limit: its updates of G, two points per
    // contributing row, each coordinate read, changed and written back in
    // row order. Timed alone here, from the rows' offsets and values worked
    // out beforehand.
    auto updates = std::make_shared<std::vector<Update>>(contributingRows(*p));
    auto updateG = [p, updates] {
        double* G = p->G.data();
        const int64_t d = p->d;
        for (const Update& u : *updates)
            for (int64_t k = 0; k < d; ++k) {
                G[u.oi + k] = G[u.oi + k] + u.v;
                G[u.oj + k] = G[u.oj + k] - u.v;
            }
    };

    bench::Case slope;
    slope.name = "penslope";
    slope.size = sizeText(*p, 3);
    slope.fast = {"penslopeKernel", fastSlope, zeroSlope};
    slope.reference = {"reference loop", referenceSlope, zeroSlope};
    slope.limit = limit;
    slope.limitText = value.limitText;
    slope.targetToLimit = 2.0;
    slope.targetSpeedup = 1.5;
    slope.targetScaling = 1.7;
    slope.others = pieces(p, 3);
    slope.others.push_back(
        {"the updates of G alone (" + std::to_string(updates->size()) + " rows)", updateG,
         zeroSlope});
    slope.check = [=] {
        zeroSlope();
        fastSlope();
        const std::vector<double> fast = p->G;
        const int64_t fastPrinted = g_printed;
        zeroSlope();
        referenceSlope();
        const int64_t refPrinted = static_cast<int64_t>(p->printed.size() / 27);
        if (fastPrinted != refPrinted)
            return std::string("printed ") + std::to_string(fastPrinted) + " messages, not " +
                   std::to_string(refPrinted);
        return bench::compareBits(p->G, fast);
    };
    cases.push_back(slope);
}

void reportCases(const bench::Sizes& sizes, std::vector<bench::Case>& cases)
{
    const std::shared_ptr<Problem> p = makeProblem(sizes);
    using Kernel = void (*)(const distgeom::Points&, const distgeom::Table&, double*,
                            const tbx::Exec&);
    struct Report {
        const char* name;
        Kernel kernel;
        int kind;  // as ref::report numbers them
        const std::vector<double>* table;
    };
    const Report reports[] = {{"linkdev", distgeom::linkdevKernel, 0, &p->D},
                              {"ceilgap", distgeom::ceilgapKernel, 1, &p->Ub},
                              {"floorgap", distgeom::floorgapKernel, 2, &p->Lb}};
    for (const Report& rep : reports) {
        const double* T = rep.table->data();
        auto fast = [p, rep, T] {
            rep.kernel({p->X.data(), p->d, p->n}, {T, p->m}, p->out.data(), bench::fastExec());
        };
        auto reference = [p, rep, T] {
            ref::report(rep.kind, p->X.data(), static_cast<int32_t>(p->d), T,
                        static_cast<int32_t>(p->m), p->out.data());
        };
        auto zero = [p] { std::fill(p->out.begin(), p->out.end(), 0.0); };
        bench::Case c;
        c.name = rep.name;
        c.size = sizeText(*p, 1);
        c.fast = {rep.name, fast, zero};
        c.reference = {"reference loop", reference, zero};
        // The three columns the report reads.
        c.limit = {{"read the table once (" + std::to_string(p->m * 24 / 1000000) + " MB)",
                    [p, T] { bench::keep(bench::streamRead(T, static_cast<size_t>(3 * p->m))); },
                    nullptr}};
        c.limitText = "reading the table once";
        c.others = pieces(p, 1);
        if (!p->nearD.empty()) {
            const double* near = rep.kind == 0 ? p->nearD.data()
                                 : rep.kind == 1 ? p->nearUb.data() : p->nearLb.data();
            c.others.push_back({std::string(rep.name) + " on rows naming only " +
                                    std::to_string(kNear) + " points",
                                [p, rep, near] {
                                    rep.kernel({p->X.data(), p->d, p->n}, {near, p->m},
                                               p->out.data(), bench::fastExec());
                                },
                                zero});
        }
        c.targetToLimit = 1.5;
        c.targetScaling = 1.7;
        c.check = [=] {
            zero();
            fast();
            const std::vector<double> got = p->out;
            zero();
            reference();
            return bench::compareBits(p->out, got);
        };
        cases.push_back(c);
    }
}

void distgeomCases(const bench::Sizes& sizes, std::vector<bench::Case>& cases)
{
    penaltyCases(sizes, cases);
    reportCases(sizes, cases);
}

}  // namespace

BENCH_CASES("distgeom", distgeomCases);
