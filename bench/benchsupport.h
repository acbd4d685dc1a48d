// Runs the registered benchmarks and prints each named ratio of two of them, measured in this run.
// A benchmark that fails makes its ratios, and every figure printed after the runs, an ERROR
// row, and the program's exit status non-zero: a failure never shows as a figure within target.
#pragma once

#include <benchmark/benchmark.h>

#include <cmath>
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

// The benchmarks of this program that failed, with what each said.
inline std::map<std::string, std::string> &FailedBenchmarks()
{
    static std::map<std::string, std::string> failed;
    return failed;
}

// Prints as usual and remembers each benchmark's CPU time (the machine may be shared); for a
// benchmark that measures its own time (UseManualTime), that time. A failed benchmark has no time.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.error_occurred)
                FailedBenchmarks()[run.benchmark_name()] = run.error_message;
            else if (run.run_type == Run::RT_Iteration)
                times[run.benchmark_name()] = run.benchmark_name().ends_with("/manual_time")
                                                  ? run.GetAdjustedRealTime()
                                                  : run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

// A row that stands for a figure which could not be measured.
inline void PrintError(const std::string &label, const std::string &why)
{
    std::printf("RATIO %-60s   ERROR  (%s)\n", label.c_str(), why.c_str());
}

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

// Prints one measured figure against the most it may be, or as a reference when target is 0.
// decimals: those of the figure; the target is shown with one fewer, two at the least.
inline void PrintMeasured(const std::string &label, double value, double target, int decimals = 2)
{
    if (!std::isfinite(value) || value < 0)
        PrintError(label, "not measured");
    else if (target <= 0)
        std::printf("RATIO %-60s %7.*f  (reference)\n", label.c_str(), decimals, value);
    else
        std::printf("RATIO %-60s %7.*f  (target <= %.*f) %s\n", label.c_str(), decimals, value,
                    decimals > 3 ? decimals - 1 : 2, target, value <= target ? "ok" : "OVER");
}

// Prints a figure a benchmark of this program found, as the ratios are printed: an ERROR row
// once any benchmark of the program has failed, since the figure may be what the failed one left.
inline void PrintRatio(const std::string &label, double value, double target, int decimals = 2)
{
    if (!FailedBenchmarks().empty())
        PrintError(label, "a benchmark of this program failed: " + FailedBenchmarks().begin()->first);
    else
        PrintMeasured(label, value, target, decimals);
}

inline int RunBenchmarksWithRatios(int argc, char **argv, const std::vector<BenchRatio> &ratios)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const BenchRatio &ratio : ratios) {
        bool failed = false;
        for (const std::string &name : {ratio.measured, ratio.baseline})
            if (const auto failure = FailedBenchmarks().find(name); failure != FailedBenchmarks().end() && !failed) {
                PrintError(ratio.label, name + " failed: " + failure->second);
                failed = true;
            }
        if (failed || !reporter.times.count(ratio.measured) || !reporter.times.count(ratio.baseline))
            continue; // a benchmark left out by a filter has no ratio
        PrintMeasured(ratio.label, reporter.times[ratio.measured] / reporter.times[ratio.baseline], ratio.target);
    }
    benchmark::Shutdown();
    return FailedBenchmarks().empty() ? 0 : 1;
}
