// Runs the registered benchmarks and prints each named ratio of two of them, measured in this run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct BenchRatio {
    std::string label;
    std::string measured;
    std::string baseline;
    double target; // the ratio aimed at or below; 0 for a reference figure with no aim
};

// Prints as usual and remembers each benchmark's CPU time (the machine may be shared); for a
// benchmark that measures its own time (UseManualTime), that time.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration)
                times[run.benchmark_name()] = run.benchmark_name().ends_with("/manual_time")
                                                  ? run.GetAdjustedRealTime()
                                                  : run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

inline double ClockSeconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}
inline double ProcessSeconds() { return ClockSeconds(CLOCK_PROCESS_CPUTIME_ID); }
// Processor time of the calling thread, so that the other programs sharing the machine do not
// count as waits.
inline double ThreadSeconds() { return ClockSeconds(CLOCK_THREAD_CPUTIME_ID); }

// Prints one figure as the ratios are printed: against the most it may be, or as a reference
// when target is 0. decimals: those of the figure; the target is shown with one fewer, two at
// the least.
inline void PrintRatio(const std::string &label, double value, double target, int decimals = 2)
{
    if (target <= 0)
        std::printf("RATIO %-60s %7.*f  (reference)\n", label.c_str(), decimals, value);
    else
        std::printf("RATIO %-60s %7.*f  (target <= %.*f) %s\n", label.c_str(), decimals, value,
                    decimals > 3 ? decimals - 1 : 2, target, value <= target ? "ok" : "OVER");
}

inline int RunBenchmarksWithRatios(int argc, char **argv, const std::vector<BenchRatio> &ratios)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const BenchRatio &ratio : ratios) {
        if (!reporter.times.count(ratio.measured) || !reporter.times.count(ratio.baseline))
            continue;
        PrintRatio(ratio.label, reporter.times[ratio.measured] / reporter.times[ratio.baseline], ratio.target);
    }
    benchmark::Shutdown();
    return 0;
}
