// "scriba --check" of a 10 MB script against Lua 5.1's own "luac5.1 -p" on the same file: both
// run as programs, each measured by the CPU time it used (the machine may be shared). The
// check does all luac does (it compiles through the same library) and then the Tarn calls.
#include "benchscripts.h"
#include "benchprocess.h"
#include "benchsupport.h"

#include "app/defaulttexts.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace benchscripts;

constexpr std::size_t kScriptBytes = 10u << 20;

struct Script {
    QTemporaryDir folder;
    std::string path;
    std::size_t lines = 0;
};

const Script &TheScript()
{
    static const Script script = [] {
        Script made;
        made.path = made.folder.filePath(QStringLiteral("script.lua")).toStdString();
        const std::string text = ScriptGenerator(ParsedTable(DefaultFunctionsText())).Compilable(kScriptBytes);
        std::ofstream(made.path, std::ios::binary) << text;
        made.lines = std::size_t(std::count(text.begin(), text.end(), '\n'));
        return made;
    }();
    return script;
}

// finished: the exit statuses of a run that did all its work.
void RunAndTime(benchmark::State &state, const std::vector<std::string> &arguments, std::vector<int> finished = {0})
{
    for (auto _ : state) {
        double seconds = 0;
        const int status = RunProgram(arguments, seconds);
        if (std::find(finished.begin(), finished.end(), status) == finished.end()) {
            state.SkipWithError(("exit status " + std::to_string(status) + " from " + arguments[0]).c_str());
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kScriptBytes));
}

void BM_LuacParse(benchmark::State &state)
{
    RunAndTime(state, {SCRIBA_LUAC, "-p", TheScript().path});
}

void BM_ScribaCheck(benchmark::State &state)
{
    // 0 for a clean script, 1 when the check found problems: either way the whole script was
    // checked. 2 (a file not read) or a signal is a failure.
    RunAndTime(state, {SCRIBA_EXECUTABLE, "--check", TheScript().path}, {0, 1});
}

} // namespace

// A few runs each: every run is a whole program over 10 MB.
BENCHMARK(BM_LuacParse)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ScribaCheck)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char **argv)
{
    std::printf("script: %zu bytes, %zu lines\n", kScriptBytes, TheScript().lines);
    return RunBenchmarksWithRatios(
        argc, argv,
        {{"scriba --check / luac5.1 -p, 10 MB script (CPU time)", "BM_ScribaCheck/iterations:5/manual_time",
          "BM_LuacParse/iterations:5/manual_time", 1.5}});
}
