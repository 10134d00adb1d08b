// toolbox_bench --load: every kernel with its default threads against one
// thread, on a quiet machine and beside busy processes that the benchmark
// starts and stops itself (one; one per processor; one more than the
// processors), at the benchmark's sizes, at tiny sizes, for the kernel
// calls of one iteration of each solver at its benchmark size, and for
// obsprod and nzfill at 10^8 samples of a 480189-by-17770 pattern.
//
// Each figure is the mean of `rounds` calls or more (the tenth slowest and
// the tenth fastest left out: timePair), the two settings taking turns call
// by call, so that a change in the machine touches both alike.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>


#include "distgeom/kernels.h"
#include "distmatrix/kernels.h"
#include "harness.h"
#include "lowrank/blas.h"
#include "lowrank/kernels.h"
#include "registry.h"
#include "threads.h"

namespace bench {
namespace {

using Run = std::function<void(const tbx::Exec&)>;

struct Row {
    std::string name, size;
    Run run;
    double scaleTarget = 0;  // quiet: one thread / default must reach this (0: none)
    int rounds = 0;          // 0: the run's rounds
};

double msOf(const Run& run, const tbx::Exec& ex)
{
    const auto t0 = std::chrono::steady_clock::now();
    run(ex);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// The mean of the middle 80% of v. Beside busy processes a call's time
// has two values or more (its thread alone on a processor, or sharing one
// with a busy process, for a time slice or two), and which one the median
// falls on turns on small changes in how often each came: the same code
// gave medians of 18.9 and 23.9 ms in one run. The trimmed mean weighs each
// as often as it came, and leaves out the rare call that lost its
// processor for many slices.
double trimmedMean(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t cut = v.size() / 10, n = v.size() - 2 * cut;
    double sum = 0;
    for (size_t i = cut; i < cut + n; ++i)
        sum += v[i];
    return n ? sum / static_cast<double>(n) : 0.0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// Times of one thread and the default (trimmed means), calls taking turns
// one by one. On a loaded machine a call that loses its processor for one of the
// scheduler's time slices (some milliseconds) takes many times its usual
// time whatever the setting, and a batch of calls timed together would
// carry that slice into its own time; each call is timed alone, the
// setting that goes first is drawn at random for each pair of calls (a
// fixed alternation can fall into step with the slices), and short calls are
// repeated (to 1.2 s, at most 151 calls; calls of under 2 ms to `rounds`
// times 2 ms), so that the figures are those of the calls and not of where
// the slices happened to fall.
void timePair(const Row& row, int rounds, double& one, double& all)
{
    const tbx::Exec single{tbx::kernelPath().path, 1, false};
    const tbx::Exec team{tbx::kernelPath().path, tbx::threadCount().threads, false};
    row.run(single);
    row.run(team);
    const double once = msOf(row.run, single);
    int calls = std::max(rounds, static_cast<int>(std::min(151.0, std::ceil(1200.0 / std::max(once, 1e-4)))));
    if (once < 2.0 && rounds >= 2)
        calls = std::max(calls, static_cast<int>(std::min(20000.0, rounds * 2.0 / std::max(once, 1e-4))));
    std::vector<double> a, b;
    std::mt19937 coin(17);
    for (int c = 0; c < calls; ++c) {
        if (coin() & 1) {
            a.push_back(msOf(row.run, single));
            b.push_back(msOf(row.run, team));
        } else {
            b.push_back(msOf(row.run, team));
            a.push_back(msOf(row.run, single));
        }
    }
    one = trimmedMean(a);
    all = trimmedMean(b);
}

// ---- The data --------------------------------------------------------------

struct Geometry {
    std::vector<double> X, D, Lb, Ub, out, G;
    distgeom::Penalty p;
};

// n random points in a cube of side `side`; tables of m rows naming random
// pairs, values spread around the distances, codes selecting each weight
// and none.
std::shared_ptr<Geometry> geometry(int64_t n, int64_t m, double side)
{
    auto g = std::make_shared<Geometry>();
    std::mt19937_64 rng(11);
    g->X = uniform(rng, static_cast<size_t>(3 * n), 0.0, side);
    g->D = randomTable(rng, m, n, 3, side);
    g->Lb = randomTable(rng, m, n, 4, side);
    g->Ub = randomTable(rng, m, n, 4, side);
    g->out.resize(static_cast<size_t>(m));
    g->G.resize(g->X.size());
    g->p.X = {g->X.data(), 3, n};
    g->p.D = {g->D.data(), m};
    g->p.Lb = {g->Lb.data(), m};
    g->p.Ub = {g->Ub.data(), m};
    g->p.w = {1, 2, 3, 0.5, 1.5, 2.5, 3.5, 4.5};
    return g;
}

// The tables of dgsolve's benchmark on a structure of n atoms (1001 for the
// lysozyme of examples/data): every pair bounded below, the pairs closer
// than 6 at their distance less up to 0.15 and the others at 6; the close
// pairs bounded above at their distance plus up to 0.15. Atoms spread as in
// a protein, about one per 11 cubic angstroms.
std::shared_ptr<Geometry> proteinTables(int64_t n)
{
    auto g = std::make_shared<Geometry>();
    std::mt19937_64 rng(12);
    const double side = std::cbrt(11.0 * static_cast<double>(n));
    g->X = uniform(rng, static_cast<size_t>(3 * n), 0.0, side);
    std::uniform_real_distribution<double> jitter(0.0, 0.15);
    std::vector<double> li, lj, lb, ui, uj, ub;
    for (int64_t i = 0; i < n; ++i)
        for (int64_t j = i + 1; j < n; ++j) {
            double s = 0;
            for (int k = 0; k < 3; ++k) {
                const double e = g->X[3 * i + k] - g->X[3 * j + k];
                s += e * e;
            }
            const double dij = std::sqrt(s);
            li.push_back(double(i + 1));
            lj.push_back(double(j + 1));
            lb.push_back(dij < 6 ? dij - jitter(rng) : 6.0);
            if (dij < 6) {
                ui.push_back(double(i + 1));
                uj.push_back(double(j + 1));
                ub.push_back(dij + jitter(rng));
            }
        }
    auto join = [](const std::vector<double>& a, const std::vector<double>& b,
                   const std::vector<double>& c, double code) {
        std::vector<double> T(a);
        T.insert(T.end(), b.begin(), b.end());
        T.insert(T.end(), c.begin(), c.end());
        T.insert(T.end(), a.size(), code);
        return T;
    };
    g->Lb = join(li, lj, lb, 1);
    g->Ub = join(ui, uj, ub, 0);
    g->G.resize(g->X.size());
    g->p.X = {g->X.data(), 3, n};
    g->p.D = {g->D.data(), 0};
    g->p.Lb = {g->Lb.data(), static_cast<int64_t>(li.size())};
    g->p.Ub = {g->Ub.data(), static_cast<int64_t>(ui.size())};
    g->p.w = {1, 1, 1, 0, 1, 1, 1, 1};
    return g;
}

struct Samples {
    int64_t r = 10, m = 0, n = 0, L = 0;
    std::vector<double> Xt, Y, I, J, v, S;
    std::vector<int64_t> colStart;  // CSC column starts of the pattern (sorted samples)
};

// L samples of an m-by-n pattern, column by column with the rows of each
// column in order (as find returns a sparse matrix's entries) when
// `sorted`, else drawn at random; factors of rank r.
std::shared_ptr<Samples> samples(int64_t r, int64_t m, int64_t n, int64_t L, bool sorted)
{
    auto s = std::make_shared<Samples>();
    s->r = r;
    s->m = m;
    s->n = n;
    std::mt19937_64 rng(13);
    s->Xt = uniform(rng, static_cast<size_t>(r * m), -1, 1);
    s->Y = uniform(rng, static_cast<size_t>(r * n), -1, 1);
    s->I.reserve(static_cast<size_t>(L));
    s->J.reserve(static_cast<size_t>(L));
    if (sorted) {
        // Each entry stored with probability L / (m n): the gaps between
        // stored entries, in column-major order, are geometric.
        std::geometric_distribution<int64_t> gap(static_cast<double>(L) / double(m) / double(n));
        s->colStart.assign(static_cast<size_t>(n + 1), 0);
        int64_t e = gap(rng);
        for (; e < m * n && static_cast<int64_t>(s->I.size()) < L; e += 1 + gap(rng)) {
            s->I.push_back(static_cast<double>(e % m + 1));
            s->J.push_back(static_cast<double>(e / m + 1));
            ++s->colStart[static_cast<size_t>(e / m + 1)];
        }
        for (int64_t j = 0; j < n; ++j)
            s->colStart[static_cast<size_t>(j + 1)] += s->colStart[static_cast<size_t>(j)];
    } else {
        std::uniform_int_distribution<int64_t> row(1, m), col(1, n);
        for (int64_t k = 0; k < L; ++k) {
            s->I.push_back(static_cast<double>(row(rng)));
            s->J.push_back(static_cast<double>(col(rng)));
        }
    }
    s->L = static_cast<int64_t>(s->I.size());
    s->v.assign(static_cast<size_t>(s->L), 0.0);
    s->S.assign(static_cast<size_t>(s->L), 0.0);
    return s;
}

Run obsprodRun(const std::shared_ptr<Samples>& s)
{
    return [s](const tbx::Exec& ex) {
        lowrank::obsprodKernel({s->Xt.data(), s->Y.data(), s->r, s->m}, {s->I.data(), s->J.data(), s->L},
                               s->v.data(), ex);
    };
}

Run nzfillRun(const std::shared_ptr<Samples>& s)
{
    return [s](const tbx::Exec& ex) { lowrank::nzfillKernel(s->S.data(), s->v.data(), s->L, ex); };
}

// The samples of a sorted pattern grouped by row and by column, as
// lrcomplete hands them to resprod, resstep and rowgram, with a fit of
// rank r and a direction of the same shape.
struct Grouped {
    std::vector<uint32_t> cnt, col, cntT, colT;
    std::vector<double> b, bT, Gt, Ht, A, B, W, WT, N;
    lowrank::RowSamples byRow, byCol;
    int64_t r = 0;
};

std::shared_ptr<Grouped> grouped(const Samples& s)
{
    auto g = std::make_shared<Grouped>();
    std::mt19937_64 rng(16);
    g->r = s.r;
    // By column: the pattern's own order (row numbers within each column).
    g->cntT.resize(static_cast<size_t>(s.n));
    for (int64_t j = 0; j < s.n; ++j)
        g->cntT[static_cast<size_t>(j)] = static_cast<uint32_t>(s.colStart[static_cast<size_t>(j + 1)] -
                                                                s.colStart[static_cast<size_t>(j)]);
    g->colT.resize(static_cast<size_t>(s.L));
    for (int64_t e = 0; e < s.L; ++e)
        g->colT[static_cast<size_t>(e)] = static_cast<uint32_t>(s.I[static_cast<size_t>(e)]);
    g->bT = uniform(rng, static_cast<size_t>(s.L), -1, 1);
    // By row: a counting sort, keeping column order within each row.
    g->cnt.assign(static_cast<size_t>(s.m), 0);
    for (int64_t e = 0; e < s.L; ++e)
        ++g->cnt[static_cast<size_t>(s.I[static_cast<size_t>(e)]) - 1];
    std::vector<int64_t> at(static_cast<size_t>(s.m) + 1, 0);
    for (int64_t i = 0; i < s.m; ++i)
        at[static_cast<size_t>(i + 1)] = at[static_cast<size_t>(i)] + g->cnt[static_cast<size_t>(i)];
    g->col.resize(static_cast<size_t>(s.L));
    g->b.resize(static_cast<size_t>(s.L));
    for (int64_t e = 0; e < s.L; ++e) {
        const size_t i = static_cast<size_t>(s.I[static_cast<size_t>(e)]) - 1;
        g->col[static_cast<size_t>(at[i])] = static_cast<uint32_t>(s.J[static_cast<size_t>(e)]);
        g->b[static_cast<size_t>(at[i]++)] = g->bT[static_cast<size_t>(e)];
    }
    g->Gt = uniform(rng, static_cast<size_t>(s.r * s.m), -1, 1);
    g->Ht = uniform(rng, static_cast<size_t>(s.r * s.n), -1, 1);
    g->A = uniform(rng, g->Gt.size(), -1, 1);
    g->B = uniform(rng, g->Ht.size(), -1, 1);
    g->W.resize(g->Gt.size());
    g->WT.resize(g->Ht.size());
    g->N.resize(static_cast<size_t>(s.r * (s.r + 1) / 2 * std::max(s.m, s.n)));
    g->byRow = {g->cnt.data(), g->col.data(), g->b.data(), s.m, s.n, s.L};
    g->byCol = {g->cntT.data(), g->colT.data(), g->bT.data(), s.n, s.m, s.L};
    return g;
}

void resprodRows(const Grouped& g, const tbx::Exec& ex)
{
    lowrank::resprodKernel({g.Gt.data(), g.Ht.data(), g.r}, g.byRow, g.Ht.data(), g.r,
                           const_cast<double*>(g.W.data()), ex);
}

void resprodCols(const Grouped& g, const tbx::Exec& ex)
{
    lowrank::resprodKernel({g.Ht.data(), g.Gt.data(), g.r}, g.byCol, g.Gt.data(), g.r,
                           const_cast<double*>(g.WT.data()), ex);
}

void resstepRows(const Grouped& g, const tbx::Exec& ex)
{
    double sums[6];
    lowrank::resstepKernel({g.Gt.data(), g.Ht.data(), g.r}, g.byRow, g.A.data(), g.B.data(), sums,
                           ex);
    keep(sums[0]);
}

std::string count(int64_t x)
{
    char text[32];
    const double e = std::log10(static_cast<double>(x));
    if (x >= 1000 && std::fabs(e - std::round(e)) < 1e-12)
        std::snprintf(text, sizeof text, "1e%d", static_cast<int>(std::round(e)));
    else
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(x));
    return text;
}

void ignore(void*, const char*, int64_t) {}

std::vector<Row> rows(bool quick, bool large, double& streamMs, int64_t& largeL)
{
    std::vector<Row> all;
    const int64_t bigRows = quick ? 20000 : 1000000, points = quick ? 2000 : 10000;
    for (int64_t m : {bigRows, int64_t(2000)}) {
        auto g = geometry(points, m, 10.0);
        const std::string size = "d=3 n=" + count(points) + " 3x" + count(m) + " rows";
        all.push_back({"penval", size, [g](const tbx::Exec& ex) {
                           double acc = 0;
                           distgeom::penvalKernel(g->p, &acc, ex);
                           keep(acc);
                       }, m == bigRows ? 1.4 : 0});
        all.push_back({"penslope", size, [g](const tbx::Exec& ex) {
                           distgeom::penslopeKernel(g->p, g->G.data(), {ignore, nullptr}, ex);
                       }, m == bigRows ? 1.5 : 0});
        const std::string one = "d=3 n=" + count(points) + " " + count(m) + " rows";
        all.push_back({"linkdev", one, [g](const tbx::Exec& ex) {
                           distgeom::linkdevKernel(g->p.X, g->p.D, g->out.data(), ex);
                       }, m == bigRows ? 1.5 : 0});
        all.push_back({"ceilgap", one, [g](const tbx::Exec& ex) {
                           distgeom::ceilgapKernel(g->p.X, g->p.Ub, g->out.data(), ex);
                       }});
        all.push_back({"floorgap", one, [g](const tbx::Exec& ex) {
                           distgeom::floorgapKernel(g->p.X, g->p.Lb, g->out.data(), ex);
                       }});
    }
    for (int64_t n : {int64_t(quick ? 500 : 3000), int64_t(64)}) {
        std::mt19937_64 rng(14);
        auto X = std::make_shared<std::vector<double>>(uniform(rng, static_cast<size_t>(3 * n), 0, 10));
        auto Q = std::make_shared<std::vector<double>>(static_cast<size_t>(n * n));
        all.push_back({"pairsq", "d=3 n=" + count(n), [X, Q, n](const tbx::Exec& ex) {
                           distmatrix::pairsqKernel(X->data(), 3, n, Q->data(), ex);
                       }});
    }
    for (int64_t L : {int64_t(quick ? 20000 : 1000000), int64_t(1000)}) {
        auto s = samples(10, 10000, 10000, L, false);
        const std::string size = "r=10 m=n=1e4 L=" + count(L);
        all.push_back({"obsprod", size, obsprodRun(s), L >= 20000 ? 1.5 : 0});
        all.push_back({"obsprod_blas", size, [s](const tbx::Exec& ex) {
                           lowrank::obsprodBlasKernel(TOOLBOX_DDOT, {s->Xt.data(), s->Y.data(), s->r},
                                                      {s->I.data(), s->J.data(), s->L}, s->v.data(), ex);
                       }});
    }
    for (int64_t n : {int64_t(quick ? 20000 : 270000), int64_t(quick ? 50000 : 10000000), int64_t(1000)}) {
        std::mt19937_64 rng(15);
        auto src = std::make_shared<std::vector<double>>(uniform(rng, static_cast<size_t>(n), 0, 1));
        auto dst = std::make_shared<std::vector<double>>(static_cast<size_t>(n));
        const std::string size = count(n) + " values";
        all.push_back({"nzfill", size, [src, dst, n](const tbx::Exec& ex) {
                           lowrank::nzfillKernel(dst->data(), src->data(), n, ex);
                       }});
        all.push_back({"nzfill_blas", size, [src, dst, n](const tbx::Exec& ex) {
                           lowrank::nzfillBlasKernel(TOOLBOX_DCOPY, dst->data(), src->data(), n, ex);
                       }});
    }

    // One evaluation of dgsolve: penval and penslope on its tables.
    {
        auto g = proteinTables(quick ? 300 : 1001);
        all.push_back({"dgsolve step", "penval+penslope, " + count(g->p.X.n) + " atoms, " +
                                           count(g->p.Lb.m) + "+" + count(g->p.Ub.m) + " rows",
                       [g](const tbx::Exec& ex) {
                           double acc = 0;
                           distgeom::penvalKernel(g->p, &acc, ex);
                           keep(acc);
                           distgeom::penslopeKernel(g->p, g->G.data(), {ignore, nullptr}, ex);
                       }});
    }
    // The passes over the samples grouped by row (resprod, resstep,
    // rowgram) at 10,000-by-10,000, rank 10, oversampling 3, and one
    // iteration of lrcomplete there: the gradient (resprod on the samples
    // by row and by column) and the exact step (resstep); the rows' normal
    // matrices (rowgram) are formed again only every few iterations.
    for (int64_t m : {int64_t(quick ? 1000 : 10000), int64_t(100)}) {
        const int64_t r = 10;
        auto s = samples(r, m, m, 3 * r * (2 * m - r), true);
        auto g = grouped(*s);
        const std::string size = "r=10 m=n=" + count(m) + " L=" + std::to_string(s->L);
        all.push_back({"resprod", size, [g](const tbx::Exec& ex) { resprodRows(*g, ex); }});
        all.push_back({"resstep", size, [g](const tbx::Exec& ex) { resstepRows(*g, ex); }});
        all.push_back({"rowgram", size, [g](const tbx::Exec& ex) {
                           lowrank::rowgramKernel(g->Ht.data(), g->r, g->byRow,
                                                  const_cast<double*>(g->N.data()), ex);
                       }});
        if (m > 100)
            all.push_back({"lrcomplete step", "resprod x2, resstep; " + size,
                           [g](const tbx::Exec& ex) {
                               resprodRows(*g, ex);
                               resprodCols(*g, ex);
                               resstepRows(*g, ex);
                           }});
    }
    // The scale of a large rating matrix.
    if (large) {
        auto s = samples(10, 480189, 17770, quick ? 100000 : 100000000, true);
        largeL = s->L;
        const std::string size = "480189x17770 r=10 L=" + count(s->L);
        all.push_back({"obsprod", size, obsprodRun(s), 0, 7});
        all.push_back({"nzfill", size, nzfillRun(s), 0, 7});
        std::vector<double> t;
        for (int k = 0; k < 3; ++k) {
            const auto t0 = std::chrono::steady_clock::now();
            keep(streamRead(s->I.data(), s->I.size()) ^ streamRead(s->J.data(), s->J.size()));
            std::memset(s->v.data(), 0, s->v.size() * sizeof(double));
            keep(s->v[0]);
            t.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        }
        streamMs = median(t);
    }
    return all;
}

const char* verdict(bool met) { return met ? "met" : "MISSED"; }

}  // namespace

int loaded(int rounds, bool quick, bool large)
{
    const int cores = tbx::availableProcessors();
    const int loads[] = {0, 1, cores, cores + 1};
    double streamMs = 0;
    int64_t largeL = 0;
    const std::vector<Row> all = rows(quick, large, streamMs, largeL);
    // Every plug-in of the registry has its rows here.
    int unlisted = 0;
    for (const registry::Plugin& p : registry::plugins())
        if (std::none_of(all.begin(), all.end(), [&](const Row& r) { return r.name == p.name; })) {
            std::fprintf(stderr, "no row for the plug-in %s: add its kernel to bench/load.cpp\n",
                         p.name.c_str());
            ++unlisted;
        }
    if (unlisted)
        return 1;
    std::vector<std::vector<double>> one(all.size(), std::vector<double>(4)), team = one;
    for (int level = 0; level < 4; ++level) {
        std::fprintf(stderr, "  timing with %d busy process(es)\n", loads[level]);
        const Busy busy(loads[level]);
        for (size_t i = 0; i < all.size(); ++i)
            timePair(all[i], all[i].rounds ? std::min(all[i].rounds, rounds) : rounds,
                     one[i][level], team[i][level]);
    }

    std::printf("default threads (%d here) against one thread, each the mean of %d calls or more (the "
                "slowest and fastest tenth left out) taking turns;\nbusy processes started and stopped by the benchmark: 1, %d (one per "
                "processor), %d (one more)\n\n",
                tbx::threadCount().threads, rounds, cores, cores + 1);
    std::printf("%-16s %-44s %9s %9s %6s %-11s | default/1 with busy processes\n", "", "",
                "quiet:", "quiet:", "", "");
    std::printf("%-16s %-44s %9s %9s %6s %-11s | %-22s %-22s %-22s\n", "kernel", "size",
                "1 thread", "default", "scale", "target", "1 busy",
                (std::to_string(cores) + " busy").c_str(),
                (std::to_string(cores + 1) + " busy").c_str());
    int missed = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        const Row& r = all[i];
        const double scale = one[i][0] / team[i][0];
        char target[24] = "";
        if (r.scaleTarget > 0) {
            std::snprintf(target, sizeof target, ">=%.1f %s", r.scaleTarget,
                          verdict(scale >= r.scaleTarget));
            missed += scale < r.scaleTarget;
        }
        std::printf("%-16s %-44s %9.3f %9.3f %6.2f %-11s |", r.name.c_str(), r.size.c_str(),
                    one[i][0], team[i][0], scale, target);
        for (int level = 1; level < 4; ++level) {
            const double ratio = team[i][level] / one[i][level];
            char cell[64];
            std::snprintf(cell, sizeof cell, " %5.2f (%.3g/%.3g) %s", ratio, team[i][level],
                          one[i][level], ratio <= 1.15 ? "" : "MISSED");
            missed += ratio > 1.15;
            std::printf(" %-22s", cell);
        }
        std::printf("\n");
    }
    std::printf("\ntarget under every load: default/1 <= 1.15 for every row (the cells: ratio "
                "(default ms/1 thread ms), MISSED where above)\n");
    for (size_t i = 0; largeL > 0 && i < all.size(); ++i) {
        if (all[i].name != "obsprod" || all[i].size.find("480189") == std::string::npos)
            continue;
        const bool within = one[i][0] <= 6 * streamMs, faster = team[i][0] < one[i][0];
        std::printf("target: obsprod at L=%s on one thread within 6x of streaming I, J and v "
                    "once (%.1f ms): %.2fx, %s; on the default threads faster again: %.2fx, %s\n",
                    count(largeL).c_str(), streamMs, one[i][0] / streamMs, verdict(within),
                    one[i][0] / team[i][0], verdict(faster));
        missed += !within + !faster;
    }
    std::printf("%s\n", missed ? "some targets MISSED (above)" : "every target met");
    return 0;
}

}  // namespace bench
