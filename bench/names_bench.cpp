// The script's names in the live view, against the same work in a small script or against one
// colouring: Complete Name opened in a 1 MB script and in a 100-line one; Find References and
// Rename of a local used 10,000 times in a 1 MB script until the view shows the change; the
// uses marked once the caret rests in the middle of a 200,000-line script and of a 100-line one.
#include "benchview.h"

#include "editor/documenthighlight.h"
#include "editor/nameaids.h"
#include "editor/namecompletion.h"
#include "editor/symbolnavigation.h"
#include "editor/viewmodel.h"
#include "model/namequeries.h"


namespace {

using namespace benchview;

// Blocks of an everyday script, each in a do ... end of its own so its locals are its own.
std::string Blocks(std::size_t lines)
{
    static const char *const kBlock =
        "do\n"
        "  local function spacing(count, width)\n"
        "    local total = 0\n"
        "    for i = 1, count do\n"
        "      total = total + width * i\n"
        "    end\n"
        "    return total\n"
        "  end\n"
        "  local span = spacing(10, 2.5)\n"
        "  print(string.format(\"%g\", span))\n"
        "end\n";
    constexpr std::size_t kBlockLines = 11;
    std::string script;
    for (std::size_t line = 0; line < lines; line += kBlockLines)
        script += kBlock;
    return script;
}

void WaitForModel(CScribaView &view)
{
    CViewModel &model = view.NameAids().Model();
    model.BuildNow();
    while (!model.IsCurrent())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// The caret at the start of "total" in "total = total + width * i" of the middle block, or
// `into` bytes into it.
void CaretInMiddleBlock(CScribaView &view, long into = 2)
{
    const long middle = view.SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT) / 2;
    long line = middle - middle % 11 + 4;
    const long start = view.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    view.SendScintilla(QsciScintillaBase::SCI_GOTOPOS, start + 6 + into);
    view.SendScintilla(QsciScintillaBase::SCI_SCROLLCARET);
}

void BM_CompleteName(benchmark::State &state)
{
    LoadedView loaded(Blocks(std::size_t(state.range(0))));
    CScribaView &view = loaded.view;
    WaitForModel(view);
    CaretInMiddleBlock(view, 0);
    // A name typed since the model was built: the list reads the last model where the word starts.
    view.SendScintilla(QsciScintillaBase::SCI_ADDTEXT, 2UL, "to");
    view.OnTextChanged();
    CNameCompletion &completion = view.NameAids().Completion();
    int shown = 0;
    for (auto _ : state) {
        view.NameAids().CompleteName();
        shown = int(completion.ShownNames().size());
        completion.Close();
        // The closed list goes as the event loop's next turn would take it.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    if (shown < 2)
        state.SkipWithError("the list should offer total and tostring at least");
}

// 5,000 lines, each using `count` twice and padded to 200 bytes: 1 MB, 10,000 uses.
std::string CountedScript()
{
    std::string script = "local count = 0\n";
    for (int line = 0; line < 5000; ++line) {
        std::string text = "count = count + 1 -- ";
        text.append(200 - text.size() - 1, 'x');
        script += text + "\n";
    }
    return script;
}

// This thread's processor time: the machine may be shared.
double Seconds(const std::function<void()> &work)
{
    const double start = ThreadSeconds();
    work();
    return ThreadSeconds() - start;
}

void BM_FindReferencesOfLocal(benchmark::State &state)
{
    LoadedView loaded(CountedScript());
    CScribaView &view = loaded.view;
    WaitForModel(view);
    view.SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 7UL);
    std::size_t found = 0;
    for (auto _ : state) {
        state.SetIterationTime(Seconds([&] {
            view.NameAids().FindReferences([&](const QString &, std::unique_ptr<const ResultRows> rows) {
                found = std::size_t(rows->Count());
                rows->Entry(0); // the row in sight
            });
        }));
    }
    if (found != 10002) // the uses, the declaration and the summary
        state.SkipWithError("every use should be listed");
}

void BM_RenameLocal(benchmark::State &state)
{
    LoadedView loaded(CountedScript());
    CScribaView &view = loaded.view;
    bool renamed = true;
    for (auto _ : state) {
        WaitForModel(view);
        const CViewModel::Model model = view.NameAids().Model().Last();
        state.SetIterationTime(Seconds([&] {
            renamed = view.NameAids().Navigation().RenameAt(*model, 7, "total") && renamed;
            view.OnTextChanged(); // the colouring of what changed, as the next turn of the event loop does
        }));
        view.OnEditUndo();
        view.OnTextChanged();
    }
    if (!renamed)
        state.SkipWithError("the rename should have been made");
}

void BM_ColourCountedScript(benchmark::State &state)
{
    LoadedView loaded(CountedScript());
    for (auto _ : state)
        state.SetIterationTime(Seconds([&] { loaded.view.ColourRange(0, loaded.view.TextLength()); }));
}

void BM_HighlightAfterRest(benchmark::State &state)
{
    LoadedView loaded(Blocks(std::size_t(state.range(0))));
    CScribaView &view = loaded.view;
    WaitForModel(view);
    CaretInMiddleBlock(view);
    CDocumentHighlight &highlight = view.NameAids().Highlight();
    std::size_t marked = 0;
    for (auto _ : state) {
        highlight.Update();
        marked = highlight.Marked().size();
    }
    if (marked != 4)
        state.SkipWithError("the four uses of total should be marked");
}

} // namespace

BENCHMARK(BM_CompleteName)->Arg(100)->Arg(52426)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_FindReferencesOfLocal)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_RenameLocal)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ColourCountedScript)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_HighlightAfterRest)->Arg(100)->Arg(200000)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

int main(int argc, char **argv)
{
    return benchview::RunViewBenchmarks(
        argc, argv,
        {{"Complete Name: 1 MB script / 100-line script", "BM_CompleteName/52426/min_time:1.000",
          "BM_CompleteName/100/min_time:1.000", 1.2},
         {"Find References, local used 10,000 times in 1 MB / one colouring",
          "BM_FindReferencesOfLocal/min_time:1.000/manual_time", "BM_ColourCountedScript/min_time:1.000/manual_time", 1.0},
         {"Rename, local used 10,000 times in 1 MB / one colouring", "BM_RenameLocal/min_time:1.000/manual_time",
          "BM_ColourCountedScript/min_time:1.000/manual_time", 1.0},
         {"uses marked at rest: line 100,000 of 200,000 / 100-line script", "BM_HighlightAfterRest/200000/min_time:1.000",
          "BM_HighlightAfterRest/100/min_time:1.000", 1.2}});
}
