// Colouring scan speed on generated ~10 MB Tarn scripts, against counting their lines with
// memchr: the ratio tells whether colouring costs much more than merely walking the text once.
// "Script" is laid out like real scripts (comment blocks, functions, loops, calls, blank lines);
// "Dense" is one short random statement per line, a stress case with a token every 3-4 bytes.
#include "benchscripts.h"
#include "benchsupport.h"

#include "app/defaulttexts.h"
#include "editor/foldlevels.h"
#include "editor/luascanner.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace benchscripts;

constexpr std::size_t kScriptBytes = 10u << 20;

struct BenchData {
    KeywordTable keywords = ParsedTable(DefaultKeywordsText());
    FunctionTable functions = ParsedTable(DefaultFunctionsText());
    std::array<std::string, 2> scripts{ScriptGenerator(functions).Realistic(kScriptBytes),
                                       ScriptGenerator(functions).Dense(kScriptBytes)};
};

const BenchData &Data()
{
    static const BenchData data;
    return data;
}

const std::string &ScriptOf(const benchmark::State &state) { return Data().scripts[std::size_t(state.range(0))]; }

void BM_MemchrLines(benchmark::State &state)
{
    const std::string &script = ScriptOf(state);
    for (auto _ : state) {
        std::size_t lines = 0;
        const char *p = script.data();
        const char *end = p + script.size();
        while (const void *lf = std::memchr(p, '\n', std::size_t(end - p))) {
            ++lines;
            p = static_cast<const char *>(lf) + 1;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * script.size()));
}

void BM_ScanLuaStyles(benchmark::State &state)
{
    const std::string &script = ScriptOf(state);
    std::vector<std::uint8_t> styles(script.size());
    for (auto _ : state) {
        ScanLuaStyles(script, Data().keywords, Data().functions, styles.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * script.size()));
}

// The fold levels of the same text: computed in the colouring's passes, they must cost no
// more than the colouring itself.
void BM_ScanFoldLevels(benchmark::State &state)
{
    const std::string &script = ScriptOf(state);
    std::vector<std::uint32_t> levels;
    for (auto _ : state) {
        levels.clear();
        FoldState fold;
        ScanFoldLevels(script, fold, levels);
        benchmark::DoNotOptimize(levels.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * script.size()));
}

// Both in one pass, as the editor colours and folds a big text.
void BM_ScanLuaStylesAndFolds(benchmark::State &state)
{
    const std::string &script = ScriptOf(state);
    std::vector<std::uint8_t> styles(script.size());
    std::vector<std::uint32_t> levels;
    for (auto _ : state) {
        levels.clear();
        FoldState fold;
        ScanLuaStylesAndFolds(script, Data().keywords, Data().functions, styles.data(), fold, levels);
        benchmark::DoNotOptimize(levels.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * script.size()));
}

void BM_ScanLuaRuns(benchmark::State &state)
{
    const std::string &script = ScriptOf(state);
    std::vector<StyleRun> runs;
    for (auto _ : state) {
        runs.clear();
        ScanLua(script, Data().keywords, Data().functions, runs);
        benchmark::DoNotOptimize(runs.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * script.size()));
}

// 40,000 names of 22 bytes: all sharing their first 16 bytes, or each differing in its first six.
std::vector<TableRow> IndexRows(bool sharedStart)
{
    std::vector<TableRow> rows;
    for (int i = 0; i < 40000; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%06d", i);
        rows.push_back({sharedStart ? "tn_boundary_cond" + std::string(number) : number + std::string("tn_boundary_cond")});
    }
    return rows;
}

void BM_IndexBuild(benchmark::State &state)
{
    const std::vector<TableRow> rows = IndexRows(state.range(0) != 0);
    std::uint64_t generation = 0;
    NameIndex index;
    for (auto _ : state) {
        index.Build(rows, ++generation);
        benchmark::DoNotOptimize(index.Find(rows, rows.back()[0]));
    }
}
BENCHMARK(BM_IndexBuild)->ArgName("shared")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void ScriptArgs(benchmark::internal::Benchmark *bench)
{
    bench->ArgName("dense")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_MemchrLines)->Apply(ScriptArgs);
BENCHMARK(BM_ScanLuaStyles)->Apply(ScriptArgs);
BENCHMARK(BM_ScanLuaRuns)->Apply(ScriptArgs);
BENCHMARK(BM_ScanFoldLevels)->Apply(ScriptArgs);
BENCHMARK(BM_ScanLuaStylesAndFolds)->Apply(ScriptArgs);

} // namespace

int main(int argc, char **argv)
{
    std::printf("scripts: %zu and %zu bytes, %d function names\n", Data().scripts[0].size(),
                Data().scripts[1].size(), Data().functions.GetSize());
    return RunBenchmarksWithRatios(
        argc, argv,
        {{"scan / memchr line scan, realistic 10 MB script", "BM_ScanLuaStyles/dense:0", "BM_MemchrLines/dense:0", 6.0},
         {"scan / memchr line scan, dense 10 MB script", "BM_ScanLuaStyles/dense:1", "BM_MemchrLines/dense:1", 6.0},
         {"fold level scan / colouring scan, realistic 10 MB script", "BM_ScanFoldLevels/dense:0",
          "BM_ScanLuaStyles/dense:0", 1.0},
         {"fold level scan / colouring scan, dense 10 MB script", "BM_ScanFoldLevels/dense:1",
          "BM_ScanLuaStyles/dense:1", 1.0},
         {"colouring and fold scan in one / colouring scan, realistic 10 MB", "BM_ScanLuaStylesAndFolds/dense:0",
          "BM_ScanLuaStyles/dense:0", 0},
         {"colouring and fold scan in one / colouring scan, dense 10 MB", "BM_ScanLuaStylesAndFolds/dense:1",
          "BM_ScanLuaStyles/dense:1", 0},
         {"index 40,000 names sharing 16 bytes / differing early", "BM_IndexBuild/shared:1", "BM_IndexBuild/shared:0",
          1.5}});
}
