// Building the model of a 10 MB script in this process, against Lua 5.1's own "luac5.1 -p" of
// the same file as a program, each by the CPU time it used (the machine may be shared). The
// command-line check runs the compiler and then the model, so the model's share of the check's
// budget is what this ratio shows; the old call scan is shown beside it for reference.
#include "benchscripts.h"
#include "benchprocess.h"
#include "benchsupport.h"

#include "app/defaulttexts.h"
#include "check/callscanner.h"
#include "model/scriptmodel.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <fstream>
#include <string>

namespace {

using namespace benchscripts;

constexpr std::size_t kScriptBytes = 10u << 20;

struct Script {
    QTemporaryDir folder;
    std::string path;
    std::string text;
};

const Script &TheScript()
{
    static const Script script = [] {
        Script made;
        made.path = made.folder.filePath(QStringLiteral("script.lua")).toStdString();
        made.text = ScriptGenerator(ParsedTable(DefaultFunctionsText())).Compilable(kScriptBytes);
        std::ofstream(made.path, std::ios::binary) << made.text;
        return made;
    }();
    return script;
}

void BM_LuacParse(benchmark::State &state)
{
    for (auto _ : state) {
        double seconds = 0;
        const int status = RunProgram({SCRIBA_LUAC, "-p", TheScript().path}, seconds);
        if (status != 0) {
            state.SkipWithError("luac5.1 -p failed on the generated script");
            return;
        }
        state.SetIterationTime(seconds);
    }
}

void BM_BuildModel(benchmark::State &state)
{
    const std::string &text = TheScript().text;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        const luamodel::Model model = luamodel::BuildModel(text);
        state.SetIterationTime(ThreadSeconds() - start);
        if (!model.status.complete)
            state.SkipWithError("the model stopped before the end of the generated script");
        benchmark::DoNotOptimize(model.uses.data());
    }
}

void BM_ScanCalls(benchmark::State &state)
{
    const std::string &text = TheScript().text;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        const CallScan scan = ScanCalls(text);
        state.SetIterationTime(ThreadSeconds() - start);
        benchmark::DoNotOptimize(scan.calls.data());
    }
}

} // namespace

BENCHMARK(BM_LuacParse)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_BuildModel)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ScanCalls)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char **argv)
{
    std::printf("script: %zu bytes\n", TheScript().text.size());
    return RunBenchmarksWithRatios(
        argc, argv,
        {{"model of a 10 MB script / luac5.1 -p of it (CPU time)", "BM_BuildModel/iterations:5/manual_time",
          "BM_LuacParse/iterations:5/manual_time", 0.4},
         {"call scan of a 10 MB script / luac5.1 -p of it (CPU time)", "BM_ScanCalls/iterations:5/manual_time",
          "BM_LuacParse/iterations:5/manual_time", 0}});
}
