// toolbox_bench --thresholds: for each kernel, work of growing size timed on
// one thread, on the team with the work split whatever its size, and on the
// team by the kernel's own rule (small work stays on the calling thread,
// and a busy machine's calls too), quiet and beside one busy process. Where
// the split first pays is where the rule should start the team; and by the
// rule no size may be slower than on one thread, quiet or not.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "distgeom/kernels.h"
#include "distmatrix/kernels.h"
#include "harness.h"
#include "lowrank/blas.h"
#include "lowrank/kernels.h"

namespace bench {
namespace {

struct Sweep {
    const char* kernel;
    const char* unit;
    std::vector<int64_t> sizes;
    // Makes the data of one size and returns the work to time at it.
    std::function<std::function<void(const tbx::Exec&)>(int64_t)> make;
};

// Microseconds a call, the fastest of `rounds` batches of calls lasting a
// few milliseconds each.
double timeCall(const std::function<void(const tbx::Exec&)>& run, const tbx::Exec& ex, int rounds)
{
    using clock = std::chrono::steady_clock;
    auto t0 = clock::now();
    run(ex);
    const double once = std::chrono::duration<double, std::micro>(clock::now() - t0).count();
    const int batch = std::max(1, static_cast<int>(3000.0 / std::max(once, 0.1)));
    double best = std::numeric_limits<double>::infinity();
    for (int r = 0; r < rounds; ++r) {
        t0 = clock::now();
        for (int b = 0; b < batch; ++b)
            run(ex);
        best = std::min(best, std::chrono::duration<double, std::micro>(clock::now() - t0).count() /
                                  batch);
    }
    return best;
}

struct Geometry {
    std::vector<double> X, D, Lb, Ub, out, G;
    distgeom::Penalty p;
};

std::shared_ptr<Geometry> geometry(int64_t m)
{
    auto g = std::make_shared<Geometry>();
    std::mt19937_64 rng(7);
    const int64_t n = 2000;
    g->X = uniform(rng, 3 * n, 0.0, 10.0);
    g->D = randomTable(rng, m, n, 3);
    g->Lb = randomTable(rng, m, n, 4);
    g->Ub = randomTable(rng, m, n, 4);
    g->out.resize(static_cast<size_t>(m));
    g->G.resize(g->X.size());
    g->p.X = {g->X.data(), 3, n};
    g->p.D = {g->D.data(), m};
    g->p.Lb = {g->Lb.data(), m};
    g->p.Ub = {g->Ub.data(), m};
    g->p.w = {1, 2, 3, 0.5, 1.5, 2.5, 3.5, 4.5};
    return g;
}

void ignore(void*, const char*, int64_t) {}

std::vector<Sweep> sweeps()
{
    const std::vector<int64_t> rows = {1024, 4096, 8192, 16384, 32768, 65536, 262144};
    std::vector<Sweep> s;
    s.push_back({"linkdev", "rows", rows, [](int64_t m) {
                     auto g = geometry(m);
                     return std::function<void(const tbx::Exec&)>([g](const tbx::Exec& ex) {
                         distgeom::linkdevKernel(g->p.X, g->p.D, g->out.data(), ex);
                     });
                 }});
    s.push_back({"penval", "rows a table", rows, [](int64_t m) {
                     auto g = geometry(m);
                     return std::function<void(const tbx::Exec&)>([g](const tbx::Exec& ex) {
                         double acc = 0;
                         distgeom::penvalKernel(g->p, &acc, ex);
                         keep(acc);
                     });
                 }});
    s.push_back({"penslope", "rows a table", rows, [](int64_t m) {
                     auto g = geometry(m);
                     return std::function<void(const tbx::Exec&)>([g](const tbx::Exec& ex) {
                         distgeom::penslopeKernel(g->p, g->G.data(), {ignore, nullptr}, ex);
                     });
                 }});
    s.push_back({"pairsq", "points", {64, 128, 256, 362, 512, 1024, 2048}, [](int64_t n) {
                     std::mt19937_64 rng(8);
                     auto X = std::make_shared<std::vector<double>>(uniform(rng, 3 * n, 0, 10));
                     auto Q = std::make_shared<std::vector<double>>(n * n);
                     return std::function<void(const tbx::Exec&)>([X, Q, n](const tbx::Exec& ex) {
                         distmatrix::pairsqKernel(X->data(), 3, n, Q->data(), ex);
                     });
                 }});
    struct Factors {
        std::vector<double> Xt, Y, I, J, v;
    };
    auto factors = [](int64_t L) {
        std::mt19937_64 rng(9);
        auto f = std::make_shared<Factors>();
        const int64_t r = 10, m = 10000;
        f->Xt = uniform(rng, r * m, -1, 1);
        f->Y = uniform(rng, r * m, -1, 1);
        std::uniform_int_distribution<int64_t> col(1, m);
        for (int64_t k = 0; k < L; ++k) {
            f->I.push_back(static_cast<double>(col(rng)));
            f->J.push_back(static_cast<double>(col(rng)));
        }
        f->v.resize(static_cast<size_t>(L));
        return f;
    };
    const std::vector<int64_t> products = {1024, 4096, 8192, 16384, 32768, 65536, 262144};
    s.push_back({"obsprod", "products (r=10)", products, [factors](int64_t L) {
                     auto f = factors(L);
                     return std::function<void(const tbx::Exec&)>([f, L](const tbx::Exec& ex) {
                         lowrank::obsprodKernel({f->Xt.data(), f->Y.data(), 10},
                                                {f->I.data(), f->J.data(), L}, f->v.data(), ex);
                     });
                 }});
    s.push_back({"obsprod_blas", "products (r=10)", products, [factors](int64_t L) {
                     auto f = factors(L);
                     return std::function<void(const tbx::Exec&)>([f, L](const tbx::Exec& ex) {
                         lowrank::obsprodBlasKernel(TOOLBOX_DDOT, {f->Xt.data(), f->Y.data(), 10},
                                                    {f->I.data(), f->J.data(), L}, f->v.data(), ex);
                     });
                 }});
    const std::vector<int64_t> values = {16384, 65536, 262144, 524288, 1048576, 4194304};
    for (int blas = 0; blas < 2; ++blas)
        s.push_back({blas ? "nzfill_blas" : "nzfill", "values", values, [blas](int64_t n) {
                         std::mt19937_64 rng(10);
                         auto src = std::make_shared<std::vector<double>>(uniform(rng, n, 0, 1));
                         auto dst = std::make_shared<std::vector<double>>(n);
                         return std::function<void(const tbx::Exec&)>(
                             [src, dst, n, blas](const tbx::Exec& ex) {
                                 if (blas)
                                     lowrank::nzfillBlasKernel(TOOLBOX_DCOPY, dst->data(), src->data(), n, ex);
                                 else
                                     lowrank::nzfillKernel(dst->data(), src->data(), n, ex);
                             });
                     }});
    return s;
}

}  // namespace

void thresholds(int threads, int rounds)
{
    const tbx::Path path = tbx::kernelPath().path;
    std::printf("each time: microseconds a call, the fastest of %d batches; path %s; team of %d\n\n",
                rounds, tbx::pathName(path), threads);
    std::printf("%-12s %-16s %9s %11s %11s %9s %11s %9s %11s %11s %9s\n", "kernel", "unit",
                "size", "1 thread", "team, split", "split/1", "team, rule", "rule/1",
                "1 busy: 1", "rule", "rule/1");
    for (const Sweep& sw : sweeps()) {
        for (int64_t size : sw.sizes) {
            const auto run = sw.make(size);
            const double one = timeCall(run, tbx::Exec{path, 1, false}, rounds);
            const double split = timeCall(run, tbx::Exec{path, threads, true}, rounds);
            const double rule = timeCall(run, tbx::Exec{path, threads, false}, rounds);
            double busyOne, busyRule;
            {
                const Busy busy(1);
                busyOne = timeCall(run, tbx::Exec{path, 1, false}, rounds);
                busyRule = timeCall(run, tbx::Exec{path, threads, false}, rounds);
            }
            std::printf("%-12s %-16s %9lld %11.1f %11.1f %9.2f %11.1f %9.2f %11.1f %11.1f %9.2f\n",
                        sw.kernel, sw.unit, static_cast<long long>(size), one, split, split / one,
                        rule, rule / one, busyOne, busyRule, busyRule / busyOne);
            std::fflush(stdout);
        }
        std::printf("\n");
    }
}

}  // namespace bench
