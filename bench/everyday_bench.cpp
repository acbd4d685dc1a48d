// The everyday display in the live view, with line numbers, folding and bracket highlighting
// on: a typed key in the middle of a 200,000-line script against a 100-line one; Left and
// Right and a typed key at the end of 50 MB against its top, unfolded and after Fold All;
// opening 50 MB to its last line coloured and folded against one whole colouring of the text
// as it is opened (and, for reference, against colouring it again once coloured); the idle
// work that "if x then" typed at the top of 50 MB causes, and the longest stall meanwhile; and
// Go to Line 1,000,000 of a 1,000,000-line script against Go to Line 1; and Word Wrap switched
// on over 50 MB.
#include "benchhost.h"
#include "benchview.h"

#include "editor/viewdisplay.h"

#include <QElapsedTimer>

#include <memory>

namespace {

using namespace benchview;
using Sci = QsciScintillaBase;

constexpr std::size_t kBigBytes = 50u << 20;
constexpr int kManyLines = 1000000;

const std::string &BigScript()
{
    static const std::string script = benchscripts::ScriptGenerator(Settings::Global().functions).Realistic(kBigBytes);
    return script;
}

// Runs the idle-time colouring and folding to its end, as the event loop would, and gives the
// longest wait between two turns of the loop in milliseconds of processor time.
double RunIdleWork(CScribaView &view)
{
    LongestTurnProbe probe;
    while (view.IsBackgroundColouring() || view.IsFolding())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    return probe.Longest();
}

// One view of the 50 MB script, coloured and folded, kept for the benchmarks that share it.
std::unique_ptr<LoadedView> g_big;

CScribaView &Big()
{
    if (!g_big) {
        g_big = std::make_unique<LoadedView>(BigScript());
        RunIdleWork(g_big->view);
    }
    return g_big->view;
}

void Key(CScribaView &view, int key, const QString &text = {})
{
    SendKey(&view, key, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&view, &release);
}

void TypeAndTakeBack(benchmark::State &state, CScribaView &view)
{
    for (auto _ : state) {
        Key(view, Qt::Key_X, QStringLiteral("x"));
        QCoreApplication::processEvents();
        Key(view, Qt::Key_Backspace);
        QCoreApplication::processEvents();
    }
}

void BM_TypedKey(benchmark::State &state)
{
    LoadedView loaded(FirstLines(BigScript(), int(state.range(0))));
    RunIdleWork(loaded.view);
    loaded.GoToMiddleLineEnd();
    TypeAndTakeBack(state, loaded.view);
}

// The first or the last comment line that is shown: the same kind of line at both ends, so that
// the rows compare the places in the script and not what the caret's line holds (a line of many
// tokens costs more to paint than a comment, and a caret at a line's end more than one inside).
long ShownCommentLine(CScribaView &view, bool last)
{
    const long lines = view.SendScintilla(Sci::SCI_GETLINECOUNT);
    for (long i = 0; i < lines; ++i) {
        const long line = last ? lines - 1 - i : i;
        const long start = view.SendScintilla(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
        if (view.SendScintilla(Sci::SCI_GETLINEVISIBLE, static_cast<unsigned long>(line)) &&
            view.TextRange(start, start + 2) == "--")
            return line;
    }
    return last ? lines - 1 : 0;
}

// The caret two characters into the first or last shown comment line, unfolded or after Fold All.
CScribaView &PlacedInBig(const benchmark::State &state)
{
    CScribaView &view = Big();
    if (state.range(1) != 0)
        view.OnViewFoldAll();
    else
        view.OnViewUnfoldAll();
    const long line = ShownCommentLine(view, state.range(0) != 0);
    view.SendScintilla(Sci::SCI_GOTOPOS,
                       static_cast<unsigned long>(view.SendScintilla(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)) + 2));
    view.setFocus();
    QCoreApplication::processEvents();
    return view;
}

void BM_BigLeftRight(benchmark::State &state)
{
    CScribaView &view = PlacedInBig(state);
    for (auto _ : state) {
        Key(view, Qt::Key_Left);
        QCoreApplication::processEvents();
        Key(view, Qt::Key_Right);
        QCoreApplication::processEvents();
    }
}

void BM_BigTypedKey(benchmark::State &state)
{
    TypeAndTakeBack(state, PlacedInBig(state));
}

void BM_ColourWhole(benchmark::State &state)
{
    CScribaView &view = Big();
    for (auto _ : state)
        view.ColourRange(0, view.TextLength());
}

// One whole colouring of the text as it is opened: every byte's style set for the first time.
void BM_ColourFreshText(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto document = std::make_unique<CScribaDoc>(BenchHost::Get());
        auto view = std::make_unique<CScribaView>(document.get(), BenchHost::Get(), Settings::Global());
        document->SetView(view.get());
        view->BeginLoad(qint64(BigScript().size()));
        view->AppendBytes(BigScript().data(), qint64(BigScript().size()));
        view->EndLoad();
        view->OnInitialUpdate();
        state.ResumeTiming();
        view->ColourRange(0, view->TextLength());
        state.PauseTiming();
        view.reset();
        document.reset();
        state.ResumeTiming();
    }
}

double g_openStall = 0;

void BM_OpenToLastLine(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto loaded = std::make_unique<LoadedView>(std::string());
        CScribaView &view = loaded->view;
        view.BeginLoad(qint64(BigScript().size()));
        view.AppendBytes(BigScript().data(), qint64(BigScript().size()));
        view.EndLoad();
        state.ResumeTiming();
        view.OnInitialUpdate();
        view.SendScintilla(Sci::SCI_DOCUMENTEND);
        g_openStall = std::max(g_openStall, RunIdleWork(view));
        state.PauseTiming();
        loaded.reset();
        state.ResumeTiming();
    }
}

double g_editStall = 0;

// Only the idle work is timed: the keys themselves are the keystroke benchmarks' business.
void BM_IdleAfterBlockTypedAtTop(benchmark::State &state)
{
    CScribaView &view = Big();
    view.OnViewUnfoldAll();
    for (auto _ : state) {
        state.PauseTiming();
        view.SendScintilla(Sci::SCI_GOTOPOS, 0UL);
        for (const QChar c : QStringLiteral("if x then"))
            Key(view, c == u' ' ? Qt::Key_Space : Qt::Key_unknown, QString(c));
        state.ResumeTiming();
        g_editStall = std::max(g_editStall, RunIdleWork(view));
        state.PauseTiming();
        view.OnEditUndo();
        RunIdleWork(view);
        state.ResumeTiming();
    }
}

double g_wrapStall = 0;
double g_wrapMilliseconds = 0;

// Word Wrap switched on over 50 MB: the window keeps answering while Scintilla wraps what is
// out of sight in the idle time. Reports the longest stall over two seconds after the switch.
void ReportWordWrapStall()
{
    CScribaView &view = Big();
    view.OnViewUnfoldAll();
    view.SendScintilla(Sci::SCI_GOTOPOS, 0UL);
    QCoreApplication::processEvents();
    ViewSwitches wrapped = view.Display().Switches();
    wrapped.wordWrap = true;
    QElapsedTimer wall;
    wall.start();
    const double before = ThreadSeconds();
    view.Display().Apply(wrapped);
    view.repaint();
    g_wrapMilliseconds = (ThreadSeconds() - before) * 1e3;
    LongestTurnProbe probe;
    while (wall.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    g_wrapStall = std::max(g_wrapStall, probe.Longest());
    wrapped.wordWrap = false;
    view.Display().Apply(wrapped);
}

std::unique_ptr<LoadedView> g_many;

void BM_GoToLine(benchmark::State &state)
{
    if (!g_many) {
        g_many = std::make_unique<LoadedView>(FirstLines(BigScript(), kManyLines));
        RunIdleWork(g_many->view);
    }
    CScribaView &view = g_many->view;
    const auto target = qint64(state.range(0)) - 1;
    for (auto _ : state) {
        state.PauseTiming();
        view.Display().GoToLine(kManyLines / 2);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        view.Display().GoToLine(target);
        view.repaint();
        QCoreApplication::processEvents();
    }
    if (view.CaretLine() != target)
        state.SkipWithError("the caret should be on the line gone to");
}

// The figures measured outside the ratios; then the shared views go, before the application does.
void ReportTheRest()
{
    ReportWordWrapStall();
    for (const auto &[label, stall] : {std::pair("longest stall opening 50 MB to its last line, ms", g_openStall),
                                       std::pair("longest stall in the idle work after \"if x then\", ms", g_editStall),
                                       std::pair("longest stall while 50 MB is wrapped, ms", g_wrapStall)})
        PrintRatio(label, stall, 20.0);
    // One step, not a freeze: the rest is wrapped while idle.
    PrintRatio("Word Wrap on over 50 MB until painted, ms", g_wrapMilliseconds, 500.0);
    g_big.reset();
    g_many.reset();
}

} // namespace

BENCHMARK(BM_TypedKey)->Arg(100)->Arg(200000)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_BigLeftRight)->ArgNames({"end", "folded"})->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_BigTypedKey)->ArgNames({"end", "folded"})->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_ColourWhole)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ColourFreshText)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenToLastLine)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_IdleAfterBlockTypedAtTop)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_GoToLine)->Arg(1)->Arg(kManyLines)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

int main(int argc, char **argv)
{
    return RunViewBenchmarks(
        argc, argv,
        {{"typed key, line 100,000 of 200,000 / 100-line script", "BM_TypedKey/200000/min_time:1.000",
          "BM_TypedKey/100/min_time:1.000", 1.2},
         {"Left and Right at the end of 50 MB / at its top", "BM_BigLeftRight/end:1/folded:0/min_time:1.000",
          "BM_BigLeftRight/end:0/folded:0/min_time:1.000", 1.5},
         {"Left and Right at the end of 50 MB / at its top, folded", "BM_BigLeftRight/end:1/folded:1/min_time:1.000",
          "BM_BigLeftRight/end:0/folded:1/min_time:1.000", 1.5},
         {"typed key at the end of 50 MB / at its top", "BM_BigTypedKey/end:1/folded:0/min_time:1.000",
          "BM_BigTypedKey/end:0/folded:0/min_time:1.000", 1.5},
         {"typed key at the end of 50 MB / at its top, folded", "BM_BigTypedKey/end:1/folded:1/min_time:1.000",
          "BM_BigTypedKey/end:0/folded:1/min_time:1.000", 1.5},
         {"open 50 MB to last line coloured and folded / one colouring of it", "BM_OpenToLastLine/iterations:2",
          "BM_ColourFreshText/iterations:3", 1.5},
         {"the same / one colouring of text coloured already", "BM_OpenToLastLine/iterations:2",
          "BM_ColourWhole/iterations:3", 0},
         {"idle work after \"if x then\" at the top of 50 MB / one colouring",
          "BM_IdleAfterBlockTypedAtTop/iterations:3", "BM_ColourWhole/iterations:3", 1.0},
         {"Go to Line 1,000,000 of 1,000,000 lines / Go to Line 1", "BM_GoToLine/1000000/min_time:1.000",
          "BM_GoToLine/1/min_time:1.000", 1.5}},
        ReportTheRest);
}
