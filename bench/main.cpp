// toolbox_bench: times every registered kernel against its reference loop and
// its physical limit, in one run on the same data, and prints the table.
//
//   toolbox_bench [--quick] [--rounds N] [--only NAME] [--times FILE] [--thresholds]
//   toolbox_bench --load [--large] [--quick] [--rounds N]
//
// --quick uses small sizes (the smoke test: bits are checked, times mean
// little). Each time is the fastest of N rounds; in every round each piece of
// work of a case runs once, so a change in the machine's load touches all of
// them alike. Each kernel runs on 1 thread and on the team (the threads a
// plug-in takes by default: MEXTOOLBOX_THREADS, else the processors this
// process may use), in the same rounds. --times writes each case's fast time
// on 1 thread ("name ms" lines), which the Octave side of bench/run.sh sets
// beside the plug-ins' times. --thresholds prints, instead, where threads
// begin to pay for each kernel. --load prints, instead, the default threads
// against one thread on a quiet machine and beside busy processes it starts
// itself (load.cpp); --large adds obsprod and nzfill at 10^8 samples. The
// exit status is 1 when any fast result
// differs from its reference.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "harness.h"
#include "threads.h"

namespace {

double timeOnce(const bench::Work& w)
{
    if (w.prepare)
        w.prepare();
    const auto t0 = std::chrono::steady_clock::now();
    w.run();
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

std::string cpuModel()
{
    std::ifstream in("/proc/cpuinfo");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("model name", 0) == 0)
            return line.substr(line.find(':') + 2);
    return "unknown";
}

std::string loadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

std::string verdict(double value, double target, bool atMost)
{
    if (target <= 0)
        return "";
    char text[32];
    std::snprintf(text, sizeof text, "%s%.1f %s", atMost ? "<=" : ">=", target,
                  (atMost ? value <= target : value >= target) ? "met" : "MISSED");
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    bench::Sizes sizes;
    int rounds = 9;
    std::string only, timesFile;
    bool sweep = false, load = false, large = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--quick")) {
            sizes.quick = true;
            sizes.points = 300;
            sizes.rows = 5003;  // not a multiple of the vector width
            rounds = 2;
        } else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (!std::strcmp(argv[i], "--only") && i + 1 < argc) {
            only = argv[++i];
        } else if (!std::strcmp(argv[i], "--times") && i + 1 < argc) {
            timesFile = argv[++i];
        } else if (!std::strcmp(argv[i], "--thresholds")) {
            sweep = true;
        } else if (!std::strcmp(argv[i], "--load")) {
            load = true;
        } else if (!std::strcmp(argv[i], "--large")) {
            large = true;
        } else {
            std::fprintf(stderr,
                         "usage: %s [--quick] [--rounds N] [--only NAME] [--times FILE] "
                         "[--thresholds] [--load [--large]]\n",
                         argv[0]);
            return 2;
        }
    }

    const int team = tbx::threadCount().threads;
    std::printf("machine: %s; %d processor(s) for this process; load average before: %s\n",
                cpuModel().c_str(), tbx::availableProcessors(), loadAverage().c_str());
    if (sweep) {
        bench::thresholds(team, rounds);
        return 0;
    }
    if (load) {
        return bench::loaded(sizes.quick ? 3 : rounds, sizes.quick, large);
    }
    std::printf("each time: fastest of %d rounds, in ms; fast on 1 thread, team on %d\n\n",
                rounds, team);
    std::printf("%-9s %-28s %8s %8s %6s %-9s %9s %8s %6s %-10s %7s %-10s %-6s %s\n", "kernel",
                "size", "fast", "team", "scale", "target", "reference", "limit", "f/lim",
                "target", "ref/f", "target", "path", "bits");

    int mismatches = 0;
    std::vector<std::string> notes;
    std::ofstream times;
    if (!timesFile.empty())
        times.open(timesFile);
    for (const bench::Registered& reg : bench::registry()) {
        std::vector<bench::Case> cases;
        reg.make(sizes, cases);
        for (const bench::Case& c : cases) {
            if (!only.empty() && c.name != only)
                continue;
            // The reference's bits, on 1 thread and on the team.
            std::string diff = c.check();
            bench::g_threads = team;
            if (diff.empty() && !(diff = c.check()).empty())
                diff = "on " + std::to_string(team) + " threads: " + diff;
            bench::g_threads = 1;
            if (!diff.empty()) {
                std::printf("%-9s %-28s MISMATCH with the reference: %s\n", c.name.c_str(),
                            c.size.c_str(), diff.c_str());
                ++mismatches;
                continue;
            }
            std::vector<const bench::Work*> all{&c.fast, &c.reference};
            for (const bench::Work& w : c.limit)
                all.push_back(&w);
            for (const bench::Work& w : c.others)
                all.push_back(&w);
            std::vector<double> best(all.size(), std::numeric_limits<double>::infinity());
            double teamBest = std::numeric_limits<double>::infinity();
            for (int r = 0; r < rounds; ++r) {
                for (size_t k = 0; k < all.size(); ++k)
                    best[k] = std::min(best[k], timeOnce(*all[k]));
                bench::g_threads = team;
                teamBest = std::min(teamBest, timeOnce(c.fast));
                bench::g_threads = 1;
            }
            double limit = 0;
            std::string parts;
            const size_t limitEnd = 2 + c.limit.size();
            for (size_t k = 2; k < limitEnd; ++k) {
                limit = std::max(limit, best[k]);
                char part[96];
                std::snprintf(part, sizeof part, "%s%s %.2f ms", parts.empty() ? "" : "; ",
                              all[k]->name.c_str(), best[k]);
                parts += part;
            }
            const double toLimit = best[0] / limit, speedup = best[1] / best[0];
            const double scale = best[0] / teamBest;
            std::printf("%-9s %-28s %8.2f %8.2f %6.2f %-9s %9.2f %8.2f %6.2f %-10s %7.1f %-10s %-6s "
                        "same\n",
                        c.name.c_str(), c.size.c_str(), best[0], teamBest, scale,
                        verdict(scale, c.targetScaling, false).c_str(), best[1], limit, toLimit,
                        verdict(toLimit, c.targetToLimit, true).c_str(), speedup,
                        verdict(speedup, c.targetSpeedup, false).c_str(), c.path.c_str());
            std::fflush(stdout);
            if (times.is_open())
                times << c.name << " " << best[0] << "\n";
            notes.push_back(c.name + " limit (" + c.limitText + "): " + parts);
            for (size_t k = limitEnd; k < all.size(); ++k) {
                char other[160];
                std::snprintf(other, sizeof other, "%s beside it: %s %.2f ms (%.2fx the fast time)",
                              c.name.c_str(), all[k]->name.c_str(), best[k], best[k] / best[0]);
                notes.push_back(other);
            }
        }
    }
    std::printf("\n");
    for (const std::string& n : notes)
        std::printf("%s\n", n.c_str());
    std::printf("load average after: %s\n", loadAverage().c_str());
    if (mismatches) {
        std::printf("%d kernel(s) differ from their reference\n", mismatches);
        return 1;
    }
    return 0;
}
