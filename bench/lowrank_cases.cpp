// Benchmark cases of the low-rank kernels: obsprod at r = 10, m = n = 1e4,
// L = 1e6 random samples against streaming I, J and v once; nzfill of 1e7
// values against memcpy of the same bytes.
#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "harness.h"
#include "lowrank/kernels.h"
#include "lowrank/test/reference.h"
#if BENCH_BLAS
#include "lowrank/blas.h"
#endif

namespace {

std::string count(int64_t x)
{
    for (int e = 1; e < 19; ++e) {
        int64_t p = 1;
        for (int i = 0; i < e; ++i)
            p *= 10;
        if (x == p)
            return "1e" + std::to_string(e);
    }
    return std::to_string(x);
}

struct Products {
    int64_t r = 10, m = 0, n = 0, L = 0;
    std::vector<double> Xt, Y, I, J, v;
};

void obsprodCase(const bench::Sizes& sizes, std::vector<bench::Case>& cases)
{
    auto p = std::make_shared<Products>();
    p->m = p->n = sizes.quick ? 200 : 10000;
    p->L = sizes.quick ? 5003 : 1000000;  // the quick count is odd: a tail
    std::mt19937_64 rng(20240612);
    std::normal_distribution<double> normal(0.0, 1.0);
    for (int64_t i = 0; i < p->r * p->m; ++i)
        p->Xt.push_back(normal(rng));
    for (int64_t i = 0; i < p->r * p->n; ++i)
        p->Y.push_back(normal(rng));
    std::uniform_int_distribution<int64_t> row(1, p->m), col(1, p->n);
    for (int64_t k = 0; k < p->L; ++k) {
        p->I.push_back(static_cast<double>(row(rng)));
        p->J.push_back(static_cast<double>(col(rng)));
    }
    p->v.assign(static_cast<size_t>(p->L), 0.0);

    const lowrank::Factors f{p->Xt.data(), p->Y.data(), p->r};
    const lowrank::Samples s{p->I.data(), p->J.data(), p->L};
    auto fast = [p, f, s] { lowrank::obsprodKernel(f, s, p->v.data(), bench::fastExec()); };
    auto reference = [p] {
        ref::obsprod(p->r, p->L, p->Xt.data(), p->Y.data(), p->I.data(), p->J.data(),
                     p->v.data());
    };

    bench::Case c;
    c.name = "obsprod";
    c.size = "r=" + std::to_string(p->r) + " m=n=" + count(p->m) + " L=" + count(p->L);
    c.fast = {"obsprodKernel", fast, nullptr};
    c.reference = {"reference loop", reference, nullptr};
    const int64_t mb = (p->L * 24 + 500000) / 1000000;
    c.limit = {{"read I and J, write v (" + std::to_string(mb) + " MB)",
                [p] {
                    bench::keep(bench::streamRead(p->I.data(), p->I.size()) ^
                                bench::streamRead(p->J.data(), p->J.size()));
                    std::memset(p->v.data(), 0, p->v.size() * sizeof(double));
                    bench::keep(p->v[0]);
                },
                nullptr}};
    c.limitText = "streaming I, J and v once";
#if BENCH_BLAS
    // obsprod_blas's kernel: one ddot_ of the host's BLAS per product (its
    // own order of summation, so not compared bit for bit).
    c.others = {{"obsprod_blas kernel (ddot_ per product)",
                 [p, f, s] {
                     lowrank::obsprodBlasKernel(TOOLBOX_DDOT, f, s, p->v.data(), bench::fastExec());
                 },
                 nullptr}};
#endif
    c.targetSpeedup = 2.0;
    c.targetScaling = 1.7;
    c.check = [p, fast, reference] {
        fast();
        const std::vector<double> got = p->v;
        std::fill(p->v.begin(), p->v.end(), -1.0);
        reference();
        return bench::compareBits(p->v, got);
    };
    cases.push_back(c);
}

struct Copy {
    std::vector<double> src, dst;
};

void nzfillCase(const bench::Sizes& sizes, std::vector<bench::Case>& cases)
{
    auto p = std::make_shared<Copy>();
    const int64_t n = sizes.quick ? 5003 : 10000000;
    std::mt19937_64 rng(20240613);
    std::normal_distribution<double> normal(0.0, 1.0);
    p->src.resize(static_cast<size_t>(n));
    for (double& x : p->src)
        x = normal(rng);
    // Values a copy through arithmetic would change.
    const uint64_t payloadNaN = 0x7ff4000000000123ULL;
    std::memcpy(&p->src[1], &payloadNaN, sizeof(double));
    p->src[2] = -0.0;
    p->dst.assign(static_cast<size_t>(n), 0.0);

    auto fast = [p] {
        lowrank::nzfillKernel(p->dst.data(), p->src.data(), static_cast<int64_t>(p->src.size()),
                              bench::fastExec());
    };
    auto reference = [p] {
        ref::nzfill(p->dst.data(), p->src.data(), static_cast<int64_t>(p->src.size()));
    };

    bench::Case c;
    c.name = "nzfill";
    c.size = count(n) + " values";
    c.fast = {"nzfillKernel", fast, nullptr};
    c.reference = {"reference loop", reference, nullptr};
    c.limit = {{"memcpy (" + std::to_string((n * 8 + 500000) / 1000000) + " MB)",
                [p] {
                    std::memcpy(p->dst.data(), p->src.data(), p->src.size() * sizeof(double));
                    bench::keep(p->dst[0]);
                },
                nullptr}};
    c.limitText = "memcpy of the same bytes";
    c.targetToLimit = 1.1;
    c.targetScaling = 1.0;  // bound by memory: no slower on the team
    c.check = [p, fast, reference] {
        std::fill(p->dst.begin(), p->dst.end(), 0.5);
        fast();
        const std::vector<double> got = p->dst;
        std::fill(p->dst.begin(), p->dst.end(), 0.5);
        reference();
        // Every bit, NaN payloads included (compareBits lets NaNs match).
        if (std::memcmp(got.data(), p->dst.data(), got.size() * sizeof(double)) != 0)
            return std::string("the copies differ in some bit");
        return bench::compareBits(p->dst, got);
    };
    cases.push_back(c);
}

void lowrankCases(const bench::Sizes& sizes, std::vector<bench::Case>& cases)
{
    obsprodCase(sizes, cases);
    nzfillCase(sizes, cases);
}

}  // namespace

BENCH_CASES("lowrank", lowrankCases);
