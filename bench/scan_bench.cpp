// Colouring scan speed on generated ~10 MB Tarn scripts, against counting their lines with
// memchr: the ratio tells whether colouring costs much more than merely walking the text once.
// "Script" is laid out like real scripts (comment blocks, functions, loops, calls, blank lines);
// "Dense" is one short random statement per line, a stress case with a token every 3-4 bytes.
#include "app/defaulttexts.h"
#include "app/scribacobarray.h"
#include "editor/luascanner.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kScriptBytes = 10u << 20;

CScribaCObArray ParsedTable(std::string_view text)
{
    CScribaCObArray table;
    table.ParseText(text);
    return table;
}

// The real function table, or some two hundred Tarn-like names while it is still empty.
FunctionTable BenchFunctionTable()
{
    FunctionTable table = ParsedTable(DefaultFunctionsText());
    if (!table.IsEmpty())
        return table;
    const char *prefixes[] = {"tg_", "tm_", "tr_", "tv_", "tb_"};
    const char *verbs[] = {"add", "get", "set", "del", "find", "move", "copy", "list"};
    const char *nouns[] = {"point", "knot", "node", "well", "layer"};
    for (const char *prefix : prefixes)
        for (const char *verb : verbs)
            for (const char *noun : nouns)
                table.Add({std::string(prefix) + verb + noun, "a", "b"});
    return table;
}

template <std::size_t N>
const char *PickFrom(std::mt19937 &random, const std::array<const char *, N> &items)
{
    return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(random)];
}

constexpr std::array<const char *, 20> kNames = {
    "head",  "depth",          "conductivity", "porosity", "well_rate", "river_stage", "t_end",
    "dt",    "max_iterations", "layer",        "node_count", "x",       "y",           "i",
    "k",     "temperature",    "heat_flux",    "boundary", "result",    "mesh_size"};
constexpr std::array<const char *, 12> kNumbers = {"0",      "1",      "2",    "10",   "250",  "1000",
                                                   "0.5",    "12.75",  "1e-4", "2.5e-6", "86400", "3.0E+2"};
constexpr std::array<const char *, 24> kCommentWords = {
    "the",  "head", "at",   "each",   "node", "of",    "mesh",  "is",
    "set",  "from", "well", "rate",   "in",   "m3/day", "layer", "boundary",
    "then", "solve", "for", "steady", "state", "check", "river", "stage"};

class ScriptGenerator {
public:
    explicit ScriptGenerator(const FunctionTable &functions) : m_functions(functions) {}

    std::string Realistic(std::size_t bytes)
    {
        std::string script;
        script.reserve(bytes + 4096);
        while (script.size() < bytes) {
            AppendBlock(script);
            script += '\n';
        }
        return script;
    }

    std::string Dense(std::size_t bytes)
    {
        std::string script;
        script.reserve(bytes + 256);
        while (script.size() < bytes) {
            script.append(std::size_t(Pick(5)) * 2, ' ');
            AppendDenseLine(script);
            script += '\n';
        }
        return script;
    }

private:
    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }
    std::string Name() { return PickFrom(m_random, kNames); }
    std::string Number() { return PickFrom(m_random, kNumbers); }
    std::string Argument() { return Pick(2) ? Number() : Name(); }
    std::string Function() { return m_functions.GetAt(Pick(m_functions.GetSize()))[0]; }

    std::string Call()
    {
        std::string call = Function() + "(";
        const int count = Pick(5);
        for (int i = 0; i < count; ++i)
            call += (i ? ", " : "") + Argument();
        return call + ")";
    }

    std::string Sentence()
    {
        std::string text;
        const int words = 4 + Pick(9);
        for (int i = 0; i < words; ++i)
            text += (i ? " " : "") + std::string(PickFrom(m_random, kCommentWords));
        return text;
    }

    void Line(std::string &out, int depth, const std::string &text)
    {
        out.append(std::size_t(depth) * 2, ' ');
        out += text;
        if (Pick(6) == 0)
            out += "  -- " + Sentence();
        out += '\n';
    }

    std::string Statement()
    {
        switch (Pick(6)) {
        case 0: return "local " + Name() + " = " + Call();
        case 1: return Name() + " = " + Argument() + " * " + Argument() + " + " + Argument();
        case 2: return "showmessage(\"Layer \" .. " + Name() + " .. \" done, residual \" .. " + Name() + ")";
        case 3: return Name() + "[" + Argument() + "] = { " + Number() + ", " + Number() + ", '" + Name() + "' }";
        default: return Call();
        }
    }

    void AppendStatements(std::string &out, int depth, int count)
    {
        for (int i = 0; i < count; ++i) {
            if (depth < 3 && Pick(8) == 0)
                AppendNested(out, depth);
            else
                Line(out, depth, Statement());
        }
    }

    void AppendNested(std::string &out, int depth)
    {
        if (Pick(2)) {
            Line(out, depth, "for " + Name() + " = " + Argument() + ", " + Argument() + " do");
        } else {
            Line(out, depth, "if " + Name() + " > " + Number() + " then");
            AppendStatements(out, depth + 1, 1 + Pick(3));
            Line(out, depth, "else");
        }
        AppendStatements(out, depth + 1, 1 + Pick(4));
        Line(out, depth, "end");
    }

    void AppendBlock(std::string &out)
    {
        for (int i = 1 + Pick(4); i > 0; --i)
            out += "-- " + Sentence() + "\n";
        if (Pick(3) == 0) {
            Line(out, 0, "function update_" + Name() + "(" + Name() + ", " + Name() + ")");
            AppendStatements(out, 1, 2 + Pick(6));
            Line(out, 1, "return " + Name());
            Line(out, 0, "end");
        } else {
            AppendStatements(out, 0, 2 + Pick(8));
        }
    }

    void AppendDenseLine(std::string &out)
    {
        switch (Pick(10)) {
        case 0: out += "-- compute the head at each node of the " + Name() + " mesh"; break;
        case 1: out += "local " + Name() + " = " + Call(); break;
        case 2: out += "if " + Name() + " > " + Number() + " then"; break;
        case 3: out += "end"; break;
        case 4: out += "for i = 1, " + Number() + " do " + Call() + " end"; break;
        case 5: out += "print(\"well \" .. " + Name() + " .. ' at depth')"; break;
        case 6: out += Name() + " = " + Name() + " * " + Number() + " + " + Name(); break;
        case 7: out += Call() + " -- done"; break;
        case 8: out += "function update_" + Name() + "(a, b)"; break;
        default: out += "return " + Name() + "[" + Number() + "]"; break;
        }
    }

    const FunctionTable &m_functions;
    std::mt19937 m_random{20240611};
};

struct BenchData {
    KeywordTable keywords = ParsedTable(DefaultKeywordsText());
    FunctionTable functions = BenchFunctionTable();
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

void ScriptArgs(benchmark::internal::Benchmark *bench)
{
    bench->ArgName("dense")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_MemchrLines)->Apply(ScriptArgs);
BENCHMARK(BM_ScanLuaStyles)->Apply(ScriptArgs);
BENCHMARK(BM_ScanLuaRuns)->Apply(ScriptArgs);

// Prints as usual and remembers each benchmark's CPU time (the machine may be shared), for the
// ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            m_times[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
    void PrintRatio(const char *script, const std::string &arg) const
    {
        const double memchrTime = Time("BM_MemchrLines/" + arg);
        const double scanTime = Time("BM_ScanLuaStyles/" + arg);
        if (memchrTime > 0 && scanTime > 0)
            std::printf("%s: ScanLuaStyles %.2f ms / memchr line scan %.2f ms = ratio %.2f\n", script,
                        scanTime, memchrTime, scanTime / memchrTime);
    }

private:
    double Time(const std::string &name) const
    {
        auto it = m_times.find(name);
        return it == m_times.end() ? 0 : it->second;
    }

    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    std::printf("scripts: %zu and %zu bytes, %d function names\n", Data().scripts[0].size(),
                Data().scripts[1].size(), Data().functions.GetSize());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("Script (realistic)", "dense:0");
    reporter.PrintRatio("Dense (stress)", "dense:1");
    benchmark::Shutdown();
    return 0;
}
