// Big scripts in the shown view. A caret move (Left and Right, a click) and a typed key at the end
// of a 50 MB script against the same at its top; the background colouring after opening it
// against one whole-text colouring, and the longest wait a key could meet meanwhile; opening the
// same bytes as one single line against opening them in lines; and the processor time an idle
// view with a long line takes.
#include "benchhost.h"
#include "benchscripts.h"
#include "benchsupport.h"
#include "benchview.h"

#include "app/defaulttexts.h"
#include "app/settings.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "editor/viewaccessible.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include <memory>

namespace {

using namespace benchscripts;

constexpr std::size_t kScriptBytes = 50u << 20;

const QString &LinesPath()
{
    static const QString path =
        TemporaryFile("lines.lua", ScriptGenerator(Settings::Global().functions).Realistic(kScriptBytes));
    return path;
}

const QString &OneLinePath()
{
    static const QString path =
        TemporaryFile("oneline.lua", ScriptGenerator(Settings::Global().functions).OneLine(kScriptBytes));
    return path;
}

const QString &MixedLinePath()
{
    static const QString path =
        TemporaryFile("mixed.lua", ScriptGenerator(Settings::Global().functions).MixedLine(kScriptBytes));
    return path;
}

const QString &CommentLinePath()
{
    static const QString path = TemporaryFile("comment.lua", "-- " + std::string(5u << 20, 'c'));
    return path;
}

// A script opened as the program opens it, in a shown window.
struct OpenedView {
    CScribaDoc document{BenchHost::Get()};
    CScribaView view{&document, BenchHost::Get(), Settings::Global()};

    explicit OpenedView(const QString &path, bool initialUpdate = true)
    {
        document.SetView(&view);
        view.resize(800, 600);
        view.show();
        QString error;
        document.OnOpenDocument(path, &error);
        if (initialUpdate)
            view.OnInitialUpdate();
    }
    void Colour()
    {
        while (view.ContinueBackgroundColouring())
            ;
        QCoreApplication::processEvents();
    }
};

// One 50 MB script in lines, opened and coloured once for all the caret and key benchmarks.
// Opened once, closed before the application ends.
std::unique_ptr<OpenedView> g_lines, g_oneLine;

OpenedView &Opened(std::unique_ptr<OpenedView> &opened, const QString &path)
{
    if (!opened) {
        opened = std::make_unique<OpenedView>(path);
        opened->Colour();
    }
    return *opened;
}

OpenedView &Lines()
{
    return Opened(g_lines, LinesPath());
}

void Send(QWidget *target, QEvent::Type type, int key, const QString &text = {})
{
    QKeyEvent event(type, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &event);
}

void Key(QWidget *target, int key, const QString &text = {})
{
    Send(target, QEvent::KeyPress, key, text);
    Send(target, QEvent::KeyRelease, key, text);
}

void Click(QWidget *viewport, QPoint at)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &release);
}

// The same bytes as one single line.
OpenedView &OneLine()
{
    return Opened(g_oneLine, OneLinePath());
}

// Puts the caret in the middle of the text's top or end screen, with everything painted.
void PlaceCaret(QsciScintilla &view, bool end)
{
    const long length = view.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    view.SendScintilla(QsciScintillaBase::SCI_GOTOPOS, static_cast<unsigned long>(end ? length : 0));
    const long firstLine = view.SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    const long line = firstLine + view.SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN) / 2;
    view.SendScintilla(QsciScintillaBase::SCI_GOTOPOS,
                       std::max(view.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line) + 2,
                                view.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS) - 2));
    view.setFocus();
    QCoreApplication::processEvents();
}

CScribaView &Placed(const benchmark::State &state, OpenedView &opened)
{
    PlaceCaret(opened.view, state.range(0) != 0);
    return opened.view;
}

void LeftAndRight(benchmark::State &state, OpenedView &opened)
{
    CScribaView &view = Placed(state, opened);
    for (auto _ : state) {
        Key(&view, Qt::Key_Left);
        QCoreApplication::processEvents();
        Key(&view, Qt::Key_Right);
        QCoreApplication::processEvents();
    }
}

void BM_CaretLeftRight(benchmark::State &state)
{
    LeftAndRight(state, Lines());
}

void BM_Click(benchmark::State &state)
{
    CScribaView &view = Placed(state, Lines());
    const QPoint first(40, 100), second(120, 140);
    for (auto _ : state) {
        Click(view.viewport(), first);
        QCoreApplication::processEvents();
        Click(view.viewport(), second);
        QCoreApplication::processEvents();
    }
}

void BM_TypeKey(benchmark::State &state)
{
    CScribaView &view = Placed(state, Lines());
    for (auto _ : state) {
        Key(&view, Qt::Key_X, QStringLiteral("x"));
        QCoreApplication::processEvents();
        Key(&view, Qt::Key_Backspace);
        QCoreApplication::processEvents();
    }
}

// Fifty keys typed at the end of 50 MB just opened and coloured, as a user opens a script and
// types: what the first keys cost counts, not only the keys after many others.
constexpr int kTypedKeys = 50;

void TypeFiftyKeys(QWidget *target)
{
    for (int i = 0; i < kTypedKeys; ++i) {
        Key(target, Qt::Key_X, QStringLiteral("x"));
        QCoreApplication::processEvents();
    }
}

void BM_FiftyKeys(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto opened = std::make_unique<OpenedView>(LinesPath());
        opened->Colour();
        PlaceCaret(opened->view, true);
        state.ResumeTiming();
        TypeFiftyKeys(&opened->view);
        state.PauseTiming();
        opened.reset();
        state.ResumeTiming();
    }
}

// A bare editor holding the same text, without a lexer: its styles are set to the default as
// Scintilla asks for them, which is all a text without colours needs.
struct BareEditor {
    QsciScintilla editor;

    BareEditor()
    {
        QObject::connect(&editor, &QsciScintillaBase::SCN_STYLENEEDED, &editor, [this](int end) {
            const long start = editor.SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED);
            editor.SendScintilla(QsciScintillaBase::SCI_STARTSTYLING, static_cast<unsigned long>(start));
            editor.SendScintilla(QsciScintillaBase::SCI_SETSTYLING, static_cast<unsigned long>(end - start), 0L);
        });
        // QScintilla's own accessible interface counts the characters up to the caret on every
        // change and caret move, a cost of the text's size that no real editor keeps; the bare
        // editor gets the view's cheap one, so what is compared is Scintilla's own work.
        CViewAccessible::InstallFor("QsciScintilla");
        editor.resize(800, 600);
        editor.show();
        QFile file(LinesPath());
        file.open(QIODevice::ReadOnly);
        const QByteArray text = file.readAll();
        editor.SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<unsigned long>(text.size()),
                             text.constData());
        editor.SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
        // Styled whole before the keys, as the view is coloured whole before its keys: only what
        // a key itself costs is compared.
        editor.SendScintilla(QsciScintillaBase::SCI_STARTSTYLING, 0UL);
        editor.SendScintilla(QsciScintillaBase::SCI_SETSTYLING, static_cast<unsigned long>(text.size()), 0L);
        QCoreApplication::processEvents();
    }
};

void BM_FiftyKeysBare(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto bare = std::make_unique<BareEditor>();
        PlaceCaret(bare->editor, true);
        state.ResumeTiming();
        TypeFiftyKeys(&bare->editor);
        state.PauseTiming();
        bare.reset();
        state.ResumeTiming();
    }
}

void BM_CaretLeftRightOneLine(benchmark::State &state)
{
    LeftAndRight(state, OneLine());
}

void TopAndEnd(benchmark::internal::Benchmark *bench)
{
    bench->ArgName("end")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
}

// One colouring of the whole text at once, every byte's style set for the first time as after
// opening it: the least the background pass can cost.
void BM_ColourOpenedText(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto opened = std::make_unique<OpenedView>(LinesPath());
        state.ResumeTiming();
        opened->view.ColourRange(0, opened->view.TextLength());
        state.PauseTiming();
        opened.reset();
        state.ResumeTiming();
    }
}

// The same once the text is coloured: Scintilla then passes over the styles that stay.
void BM_ColourWhole(benchmark::State &state)
{
    OpenedView opened(LinesPath());
    opened.Colour();
    for (auto _ : state)
        opened.view.ColourRange(0, opened.view.TextLength());
}

double g_longestStall = -1; // milliseconds; not measured
int g_paints = 0;

// From the initial update of an opened script to its last line coloured, the event loop running
// with the end of the text shown, as after Ctrl+End. A timer that fires on every turn of the loop
// measures the longest wait between two turns, in processor time: what a key pressed meanwhile
// could wait on a machine of its own.
void BM_BackgroundPass(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto opened = std::make_unique<OpenedView>(LinesPath(), false);
        CScribaView &view = opened->view;
        state.ResumeTiming();
        view.OnInitialUpdate();
        view.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        g_longestStall = std::max(g_longestStall, 0.0); // measured, if only to be none
        double lastTurn = ThreadSeconds();
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const double now = ThreadSeconds();
            g_longestStall = std::max(g_longestStall, (now - lastTurn) * 1e3);
            lastTurn = now;
        });
        probe.start(0);
        QObject::connect(&view, &QsciScintillaBase::SCN_PAINTED, [&] { ++g_paints; });
        while (view.IsBackgroundColouring())
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        state.PauseTiming();
        opened.reset();
        state.ResumeTiming();
    }
    state.counters["longest_stall_ms"] = g_longestStall;
    state.counters["paints"] = double(g_paints) / double(state.iterations());
}

// Opening until the window has painted the text once; closing is not timed.
void OpenAndShow(benchmark::State &state, const QString &path)
{
    for (auto _ : state) {
        auto opened = std::make_unique<OpenedView>(path);
        QCoreApplication::processEvents();
        opened->view.repaint();
        state.PauseTiming();
        opened.reset();
        state.ResumeTiming();
    }
}

void BM_OpenLines(benchmark::State &state)
{
    OpenAndShow(state, LinesPath());
}

void BM_OpenOneLine(benchmark::State &state)
{
    OpenAndShow(state, OneLinePath());
}

void BM_OpenMixedLine(benchmark::State &state)
{
    OpenAndShow(state, MixedLinePath());
}

// The processor time from the opened script's view being shown to a Right pressed at once being
// handled and painted: how long a user waits for the first key.
void ReportFirstKey(const char *label, const QString &path)
{
    OpenedView opened(path);
    const double start = ThreadSeconds();
    opened.view.setFocus();
    QCoreApplication::processEvents();
    Key(&opened.view, Qt::Key_Right);
    QCoreApplication::processEvents();
    opened.view.repaint();
    const double seconds = ThreadSeconds() - start;
    PrintRatio(label, seconds, 0.1, 3);
}

// What the first paint of a script that is one long line cannot do without, with the system's
// Scintilla, which lays out a whole line to show any part of it: one colouring of the line, and
// one layout of it with every piece of text already measured (the layout kept is set aside for
// it). The least seconds to a Right after opening such a script.
void ReportLongLineFloor(const char *label, const QString &path)
{
    OpenedView opened(path);
    opened.Colour();
    CScribaView &view = opened.view;
    view.repaint();
    double colouring = 1e9, layout = 1e9;
    for (int i = 0; i < 3; ++i) {
        double start = ThreadSeconds();
        view.ColourRange(0, view.TextLength());
        colouring = std::min(colouring, ThreadSeconds() - start);
        const long kept = view.SendScintilla(QsciScintillaBase::SCI_GETLAYOUTCACHE);
        view.SendScintilla(QsciScintillaBase::SCI_SETLAYOUTCACHE, QsciScintillaBase::SC_CACHE_NONE);
        start = ThreadSeconds();
        view.SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, 1L);
        layout = std::min(layout, ThreadSeconds() - start);
        view.SendScintilla(QsciScintillaBase::SCI_SETLAYOUTCACHE, static_cast<unsigned long>(kept));
    }
    std::printf("%s: one colouring %.3f s + one layout %.3f s = %.3f s\n", label, colouring, layout,
                colouring + layout);
}

// The processor's share that a shown, idle view takes over three seconds of waiting.
void ReportIdleShare(const char *label, const QString &path)
{
    OpenedView opened(path);
    opened.Colour();
    opened.view.activateWindow();
    opened.view.setFocus(); // the caret blinks
    auto wait = [](int milliseconds) {
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    };
    wait(500);
    const double cpuBefore = ProcessSeconds();
    QElapsedTimer wall;
    wall.start();
    wait(3000);
    const double share = (ProcessSeconds() - cpuBefore) / (double(wall.elapsed()) / 1000.0);
    PrintRatio(label, share, 0.01, 3);
}

// The figures measured outside the ratios; then the shared views go, before the application does.
void ReportTheRest()
{
    PrintRatio("longest event-loop stall in the background pass, ms", g_longestStall, 20.0);
    ReportIdleShare("idle processor share, 5 MB one-line comment shown", CommentLinePath());
    ReportFirstKey("seconds to a Right after opening 50 MB in lines", LinesPath());
    ReportFirstKey("seconds to a Right after opening 50 MB as one line of mixed tokens", MixedLinePath());
    ReportLongLineFloor("least seconds to a Right after opening 50 MB as one line of mixed tokens", MixedLinePath());
    g_lines.reset();
    g_oneLine.reset();
}

} // namespace

BENCHMARK(BM_CaretLeftRight)->Apply(TopAndEnd);
BENCHMARK(BM_Click)->Apply(TopAndEnd);
BENCHMARK(BM_TypeKey)->Apply(TopAndEnd);
BENCHMARK(BM_FiftyKeys)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FiftyKeysBare)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CaretLeftRightOneLine)->Apply(TopAndEnd);
BENCHMARK(BM_ColourOpenedText)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ColourWhole)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BackgroundPass)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenLines)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_OpenOneLine)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_OpenMixedLine)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char **argv)
{
    return benchview::RunViewBenchmarks(
        argc, argv,
        {{"Left and Right at the end of 50 MB / at its top", "BM_CaretLeftRight/end:1/min_time:1.000",
          "BM_CaretLeftRight/end:0/min_time:1.000", 1.5},
         {"click at the end of 50 MB / at its top", "BM_Click/end:1/min_time:1.000", "BM_Click/end:0/min_time:1.000",
          1.5},
         {"typed key at the end of 50 MB / at its top", "BM_TypeKey/end:1/min_time:1.000",
          "BM_TypeKey/end:0/min_time:1.000", 1.5},
         {"50 keys typed at the end of 50 MB just opened / the same in a bare editor without a lexer",
          "BM_FiftyKeys/iterations:3", "BM_FiftyKeysBare/iterations:3", 0},
         {"Left and Right at the end of a 50 MB line / at its start", "BM_CaretLeftRightOneLine/end:1/min_time:1.000",
          "BM_CaretLeftRightOneLine/end:0/min_time:1.000", 1.5},
         {"open 50 MB to last line coloured / one whole colouring", "BM_BackgroundPass/iterations:3",
          "BM_ColourOpenedText/iterations:3", 1.5},
         {"the same / colouring the coloured text again", "BM_BackgroundPass/iterations:3",
          "BM_ColourWhole/iterations:3", 0},
         {"open 50 MB as one line / in lines", "BM_OpenOneLine/iterations:2", "BM_OpenLines/iterations:2", 3.0},
         {"open 50 MB as one line of mixed tokens / in lines", "BM_OpenMixedLine/iterations:2",
          "BM_OpenLines/iterations:2", 3.0}},
        ReportTheRest);
}
