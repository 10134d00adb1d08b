// A small benchmark harness: each case times a toolbox kernel against the
// plain reference loop and against the physical limit of its work (measured
// in the same run, on the same data), after checking that the kernel's result
// has the reference's bits.
//
// A subsystem adds its cases with BENCH_CASES(function): the function receives
// the sizes to use and appends its cases (see distgeom_cases.cpp).
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "dispatch.h"

namespace bench {

// How the toolbox's kernels run here: the process's path, on the threads
// the run sets (1, then the team's size).
extern int g_threads;
inline tbx::Exec fastExec() { return tbx::Exec{tbx::kernelPath().path, g_threads}; }

// One timed piece of work. `prepare`, when set, runs untimed before every
// timed run (to zero an output the kernel accumulates into, say).
struct Work {
    std::string name;
    std::function<void()> run;
    std::function<void()> prepare;
};

struct Case {
    std::string name;       // what the table shows, e.g. "penval"
    std::string size;       // e.g. "d=3 n=1e4 3x1e6 rows"
    Work fast;              // the toolbox kernel
    Work reference;         // the plain loop it must match bit for bit
    std::vector<Work> limit;  // the limit is the slowest of these
    std::string limitText;  // what the limit measures
    // Other ways of doing the same work (a library routine, say), timed in
    // the same rounds and reported under the table; not part of the limit.
    std::vector<Work> others;
    // Runs fast and reference once each on fresh outputs and compares them;
    // returns an empty string when every bit agrees, else what differs.
    std::function<std::string()> check;
    double targetToLimit = 0;     // fast/limit must stay within this (0: none)
    double targetSpeedup = 0;     // reference/fast must reach this (0: none)
    double targetScaling = 0;     // fast on 1 thread / fast on the team must reach this
    std::string path = tbx::pathName(fastExec().path);  // the fast kernel's path here
};

// Problem sizes: the sizes by default, small ones for the smoke test.
struct Sizes {
    bool quick = false;
    int64_t points = 10000;        // n of the distance-bound cases
    int64_t rows = 1000000;        // rows per table
};

using CaseMaker = void (*)(const Sizes&, std::vector<Case>&);

// Prints, kernel by kernel, the time on 1 thread and on `threads` for work
// of growing size, split whatever its size and by the kernels' own rule:
// where threads begin to pay, and that the rule keeps small work on one
// thread (thresholds.cpp).
void thresholds(int threads, int rounds);

// Prints, for every kernel at the benchmark's sizes and at tiny ones, for
// the kernel calls of one iteration of each solver, and (with `large`) for
// obsprod and nzfill at 10^8 samples, the default threads against one
// thread on a quiet machine and beside 1, P and P+1 busy processes (P the
// processors), with the targets (load.cpp). Returns 1, having timed
// nothing, when a plug-in of the registry has no row.
int loaded(int rounds, bool quick, bool large);

// Registers a subsystem's cases; used through BENCH_CASES.
struct Registrar {
    Registrar(const char* subsystem, CaseMaker make);
};

struct Registered {
    const char* subsystem;
    CaseMaker make;
};
std::vector<Registered>& registry();

#define BENCH_CASES(subsystem, fn) \
    static const ::bench::Registrar bench_registrar_##fn(subsystem, fn)

// ---- Physical limits, measured -------------------------------------------

// Reads every byte of the arrays once (64-bit words combined so that no load
// can be dropped); returns the combination so the caller can keep it alive.
uint64_t streamRead(const double* p, size_t count);

// `count` floating-point additions, each waiting for the one before: the
// serial chain an exact running sum imposes.
double serialAdds(int64_t count);

// Reads, for each of `count` rows, the `d` doubles at base + oi[r] and at
// base + oj[r] (the coordinates of a row's two points), in row order, the
// offsets themselves streamed from their arrays.
uint64_t gatherRead(const double* base, int64_t d, const int64_t* oi, const int64_t* oj,
                    int64_t count);

// The square roots of `count` doubles, as many at once as the processor
// takes (AVX2 where it has it); returns a combination of them.
double squareRoots(const double* p, int64_t count);

// Keeps a value alive so the compiler cannot drop the work that made it.
template <class T>
inline void keep(const T& value)
{
    asm volatile("" : : "g"(&value) : "memory");
}

// ---- Load --------------------------------------------------------------------

// `count` busy processes, spinning on arithmetic from construction to
// destruction (killed then; they die with the benchmark too). Linux only;
// elsewhere none.
class Busy {
public:
    explicit Busy(int count);
    ~Busy();
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    std::vector<int> pids_;
};

// ---- Data ------------------------------------------------------------------

// `count` doubles drawn uniformly from [lo, hi).
std::vector<double> uniform(std::mt19937_64& rng, size_t count, double lo, double hi);

// A table of m rows naming random pairs of n points, with values drawn from
// [0, 1.2 side) (points spread over a cube of side `side` lie about that far
// apart) and, with 4 columns, type codes that select each weight and none.
std::vector<double> randomTable(std::mt19937_64& rng, int64_t m, int64_t n, int cols,
                                double side = 10.0);

// ---- Comparing bits -------------------------------------------------------

// Empty when a and b hold the same bits (any NaN matching any NaN), else the
// first element that differs.
std::string compareBits(const std::vector<double>& a, const std::vector<double>& b);

}  // namespace bench
