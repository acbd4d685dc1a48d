// Find Next for a word that a generated 50 MB script does not hold, with and without match case,
// against memmem of the same word over the same bytes; and Replace All of 100,000 occurrences in
// a 10 MB script against the same replacement done on a std::string in one pass.
#include "benchsupport.h"
#include "benchview.h"

#include "app/scribaapp.h"
#include "editor/findreplacedialog.h"

#include <QApplication>
#include <QPushButton>

#include <cstring>

namespace {

using namespace benchscripts;
using namespace benchview;

constexpr std::size_t kFindScriptBytes = 50u << 20;
constexpr std::size_t kReplaceScriptBytes = 10u << 20;
constexpr int kOccurrences = 100000;
const char kAbsent[] = "recharge_zone";
const char kMarker[] = "mark_step";
const char kReplacement[] = "record_step";

// Answers No to the end-of-file question, so each search goes over the text once.
class NoPrompter : public Prompter {
public:
    QMessageBox::StandardButton Ask(QWidget *, const Prompt &) override { return QMessageBox::No; }
};

const std::string &FindScript()
{
    static const std::string script = ScriptGenerator(Settings::Global().functions).Realistic(kFindScriptBytes);
    return script;
}

// A realistic script with a call of mark_step() spread evenly over its lines, 100,000 times.
const std::string &ReplaceScript()
{
    static const std::string script = [] {
        const std::string line = std::string("  ") + kMarker + "()\n";
        const std::string body = ScriptGenerator(Settings::Global().functions)
                                     .Realistic(kReplaceScriptBytes - kOccurrences * line.size());
        const auto lines = std::count(body.begin(), body.end(), '\n');
        std::string out;
        out.reserve(kReplaceScriptBytes + line.size());
        long long index = 0;
        int inserted = 0;
        for (std::size_t start = 0; start < body.size(); ++index) {
            const std::size_t end = body.find('\n', start) + 1;
            out.append(body, start, end - start);
            start = end;
            if ((index + 1) * kOccurrences / lines > inserted) {
                out += line;
                ++inserted;
            }
        }
        return out;
    }();
    return script;
}

void BM_FindNextAbsent(benchmark::State &state)
{
    LoadedView loaded(FindScript());
    g_findText = QString::fromLatin1(kAbsent);
    g_matchCase = state.range(0) != 0;
    loaded.view.SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 0UL);
    for (auto _ : state)
        loaded.view.OnEditRepeat();
}

void BM_MemmemAbsent(benchmark::State &state)
{
    const std::string &script = FindScript();
    for (auto _ : state)
        benchmark::DoNotOptimize(memmem(script.data(), script.size(), kAbsent, std::strlen(kAbsent)));
}

void BM_ReplaceAll(benchmark::State &state)
{
    LoadedView loaded(ReplaceScript());
    CScribaView &view = loaded.view;
    g_findText = QString::fromLatin1(kMarker);
    g_replaceText = QString::fromLatin1(kReplacement);
    g_matchCase = true;
    view.OnEditReplace();
    QPushButton *replaceAll = view.FindDialog()->ReplaceAllButton();
    // Once untimed, as the baseline's many runs are warm too: the first change in a freshly
    // loaded text also grows Scintilla's buffer.
    replaceAll->click();
    view.OnEditUndo();
    for (auto _ : state) {
        view.SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 0UL);
        replaceAll->click();
        state.PauseTiming();
        view.OnEditUndo();
        state.ResumeTiming();
    }
    state.counters["bytes"] = double(view.TextLength());
}

void BM_StringReplace(benchmark::State &state)
{
    const std::string_view script = ReplaceScript();
    const std::string_view marker = kMarker;
    for (auto _ : state) {
        std::string out;
        out.reserve(script.size() + kOccurrences * 2);
        std::size_t done = 0;
        for (std::size_t at = script.find(marker); at != std::string_view::npos; at = script.find(marker, done)) {
            out.append(script.substr(done, at - done));
            out += kReplacement;
            done = at + marker.size();
        }
        out.append(script.substr(done));
        benchmark::DoNotOptimize(out.data());
    }
}

} // namespace

BENCHMARK(BM_FindNextAbsent)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_MemmemAbsent)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ReplaceAll)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_StringReplace)->Unit(benchmark::kMillisecond)->MinTime(1.0);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    CScribaApp app;
    app.SetPrompter(std::make_unique<NoPrompter>());
    InstallDefaultSettings();
    return RunBenchmarksWithRatios(
        argc, argv,
        {{"Find Next, absent word, 50 MB, match case / memmem", "BM_FindNextAbsent/1/min_time:1.000",
          "BM_MemmemAbsent/min_time:1.000", 5},
         {"Find Next, absent word, 50 MB, any case / memmem", "BM_FindNextAbsent/0/min_time:1.000",
          "BM_MemmemAbsent/min_time:1.000", 8},
         {"Replace All, 100,000 in 10 MB / std::string one pass", "BM_ReplaceAll/iterations:10",
          "BM_StringReplace/min_time:1.000", 10}});
}
