// What keeping a recovery copy costs the thread the user types on: copying a 50 MB script out
// of the control while typing goes on in its middle (the writing itself happens on a worker
// thread), against a plain copy of as many bytes; and the longest a key can wait for the copy
// that the recovery timers take a slice at a time.
#include "benchhost.h"
#include "benchscripts.h"
#include "benchsupport.h"
#include "benchview.h"

#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "editor/slicedtextcopy.h"


#include <cstring>

namespace {

constexpr std::size_t kScriptBytes = 50u << 20;

const std::string &Script()
{
    static const std::string script = benchscripts::ScriptGenerator(
        benchscripts::ParsedTable(DefaultFunctionsText())).Realistic(kScriptBytes);
    return script;
}

void BM_PlainCopy(benchmark::State &state)
{
    for (auto _ : state) {
        QByteArray copy(qsizetype(Script().size()), Qt::Uninitialized);
        std::memcpy(copy.data(), Script().data(), Script().size());
        benchmark::DoNotOptimize(copy.data());
    }
}

// A key typed in the middle of the script, then the copy taken as the recovery timer takes it.
// The script loaded into view, as opening it does.
void Load(CScribaView &view)
{
    view.BeginLoad(qint64(Script().size()));
    view.AppendBytes(Script().data(), qint64(Script().size()));
    view.EndLoad();
}

void BM_KeyThenRecoverySnapshot(benchmark::State &state)
{
    CScribaDoc document{BenchHost::Get()};
    CScribaView view(&document, BenchHost::Get(), Settings::Global());
    document.SetView(&view);
    Load(view);
    const unsigned long middle = static_cast<unsigned long>(Script().size() / 2);
    for (auto _ : state) {
        view.SendScintilla(QsciScintillaBase::SCI_GOTOPOS, middle);
        view.SendScintilla(QsciScintillaBase::SCI_ADDTEXT, 1UL, "x");
        const QByteArray copy = view.CopyText();
        benchmark::DoNotOptimize(copy.data());
    }
}

// The longest turn of the event loop, in milliseconds, while the text is copied in slices after
// a key in its middle.
void ReportLongestSlicedTurn()
{
    CScribaDoc document{BenchHost::Get()};
    CScribaView view(&document, BenchHost::Get(), Settings::Global());
    document.SetView(&view);
    Load(view);
    view.SendScintilla(QsciScintillaBase::SCI_GOTOPOS, static_cast<unsigned long>(Script().size() / 2));
    view.SendScintilla(QsciScintillaBase::SCI_ADDTEXT, 1UL, "x");
    CSlicedTextCopy copy(&view);
    bool done = false;
    QObject::connect(&copy, &CSlicedTextCopy::copied, [&] { done = true; });
    benchview::LongestTurnProbe probe;
    copy.Start();
    while (!done)
        QCoreApplication::processEvents();
    const double longest = probe.Longest();
    PrintRatio("longest turn of the sliced recovery copy of 50 MB, ms", longest, 5.0);
}

} // namespace

BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_KeyThenRecoverySnapshot)->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char **argv)
{
    Script(); // made before the timing starts
    return benchview::RunViewBenchmarks(
        argc, argv,
        {{"key + recovery snapshot of 50 MB (typing thread) / plain copy", "BM_KeyThenRecoverySnapshot/iterations:10",
          "BM_PlainCopy/iterations:10", 1.5}},
        ReportLongestSlicedTurn);
}
