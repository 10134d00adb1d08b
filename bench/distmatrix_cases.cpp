// Benchmark case of the squared distance matrix: pairsq over d = 3, n = 4000,
// against writing the n*n doubles once (memset of the same buffer).
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "harness.h"
#include "distmatrix/kernels.h"
#include "distmatrix/test/reference.h"

namespace {

struct Problem {
    int64_t d = 3, n = 0;
    std::vector<double> X, Q;
};

// The points pairsq_scipy.py builds too, value for value: coordinate k of
// point i is ((7919 i + 104729 k + 13) mod 10007) / 1000, spread over
// [0, 10) without a pattern that matters here.
std::vector<double> points(int64_t d, int64_t n)
{
    std::vector<double> X(static_cast<size_t>(d * n));
    for (int64_t i = 0; i < n; ++i)
        for (int64_t k = 0; k < d; ++k)
            X[static_cast<size_t>(i * d + k)] =
                static_cast<double>((7919 * i + 104729 * k + 13) % 10007) * 0.001;
    return X;
}

void distmatrixCases(const bench::Sizes& sizes, std::vector<bench::Case>& cases)
{
    auto p = std::make_shared<Problem>();
    // 203 points in the quick run: not a multiple of the tile sizes.
    p->n = sizes.quick ? 203 : 4000;
    p->X = points(p->d, p->n);
    p->Q.assign(static_cast<size_t>(p->n * p->n), 0.0);
    const size_t bytes = p->Q.size() * sizeof(double);

    // The host hands the kernel a zero-filled Q; so does every run here.
    auto zero = [p] { std::fill(p->Q.begin(), p->Q.end(), 0.0); };
    auto fast = [p] {
        distmatrix::pairsqKernel(p->X.data(), p->d, p->n, p->Q.data(), bench::fastExec());
    };
    auto reference = [p] { ref::pairsq(p->X.data(), p->d, p->n, p->Q.data()); };

    bench::Case c;
    c.name = "pairsq";
    c.size = "d=" + std::to_string(p->d) + " n=" + std::to_string(p->n);
    c.fast = {"pairsqKernel", fast, zero};
    c.reference = {"reference loop", reference, zero};
    c.limit = {{"memset of Q (" + std::to_string((bytes + 500000) / 1000000) + " MB)",
                [p, bytes] {
                    std::memset(p->Q.data(), 0, bytes);
                    bench::keep(p->Q[p->Q.size() / 2]);
                },
                nullptr}};
    c.limitText = "writing the n*n doubles once";
    // memset writes zeros, which this kind of machine may store faster than
    // any other data; the same fill with a non-zero byte shows what writing
    // values costs.
    c.others = {{"memset of Q with a non-zero byte",
                 [p, bytes] {
                     std::memset(p->Q.data(), 0x3f, bytes);
                     bench::keep(p->Q[p->Q.size() / 2]);
                 },
                 nullptr}};
    c.targetToLimit = 1.5;
    c.targetSpeedup = 3.0;
    c.targetScaling = 1.0;  // bound by memory: no slower on the team
    c.check = [p, zero, fast, reference] {
        zero();
        fast();
        const std::vector<double> got = p->Q;
        zero();
        reference();
        return bench::compareBits(p->Q, got);
    };
    cases.push_back(c);
}

}  // namespace

BENCH_CASES("distmatrix", distmatrixCases);
