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

inline int RunBenchmarksWithRatios(int argc, char **argv, const std::vector<BenchRatio> &ratios)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const BenchRatio &ratio : ratios) {
        if (!reporter.times.count(ratio.measured) || !reporter.times.count(ratio.baseline))
            continue;
        const double value = reporter.times[ratio.measured] / reporter.times[ratio.baseline];
        if (ratio.target <= 0)
            std::printf("RATIO %-60s %7.2f  (reference)\n", ratio.label.c_str(), value);
        else
            std::printf("RATIO %-60s %7.2f  (target <= %.2f) %s\n", ratio.label.c_str(), value, ratio.target,
                        value <= ratio.target ? "ok" : "OVER");
    }
    benchmark::Shutdown();
    return 0;
}
