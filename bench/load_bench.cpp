// Opening a generated 50 MB script (laid out like real ones) into the editor view, against reading the same file with
// QFile::readAll, and the growth of peak memory while opening it against the file's size.
#include "benchhost.h"
#include "benchscripts.h"
#include "benchsupport.h"

#include "app/defaulttexts.h"

#include "doc/scribadoc.h"
#include "editor/scribaview.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QFile>

#include <fstream>
#include <string>

namespace {

constexpr qint64 kFileBytes = 50ll << 20;

const QString &ScriptPath()
{
    static const QString path = benchscripts::TemporaryFile(
        "big.lua", benchscripts::ScriptGenerator(benchscripts::ParsedTable(DefaultFunctionsText()))
                       .Realistic(std::size_t(kFileBytes)));
    return path;
}

void BM_ReadAll(benchmark::State &state)
{
    for (auto _ : state) {
        QFile file(ScriptPath());
        file.open(QIODevice::ReadOnly);
        QByteArray bytes = file.readAll();
        benchmark::DoNotOptimize(bytes.data());
    }
}

// The plain way, for reference: the bytes, already in memory, handed to a bare control in one go.
void BM_ScintillaAppendOnly(benchmark::State &state)
{
    QFile file(ScriptPath());
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    for (auto _ : state) {
        QsciScintilla editor;
        editor.SendScintilla(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0UL);
        editor.SendScintilla(QsciScintillaBase::SCI_ALLOCATE, static_cast<unsigned long>(bytes.size() + 1));
        editor.SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<unsigned long>(bytes.size()),
                             bytes.constData());
    }
}

// A script opened as the program opens it; colouring: none, the lines in view, or all of it.
enum class Colouring { None, InView, All };

struct OpenedScript {
    CScribaDoc document{BenchHost::Get()};
    CScribaView view{&document, BenchHost::Get(), Settings::Global()};

    explicit OpenedScript(Colouring colouring)
    {
        document.SetView(&view);
        QString error;
        document.OnOpenDocument(ScriptPath(), &error);
        if (colouring != Colouring::None)
            view.OnInitialUpdate();
        if (colouring == Colouring::All)
            while (view.ContinueBackgroundColouring())
                ;
    }
};

// Loading only: the bytes into the control, as the document does it.
void BM_LoadIntoView(benchmark::State &state)
{
    for (auto _ : state) {
        OpenedScript opened(Colouring::None);
        benchmark::DoNotOptimize(opened.view.TextLength());
    }
}

// What the user waits for: loading, and colouring the lines in view (the rest is coloured while
// the program is idle).
void BM_OpenAndColour(benchmark::State &state)
{
    for (auto _ : state) {
        OpenedScript opened(Colouring::InView);
        benchmark::DoNotOptimize(opened.view.TextLength());
    }
}

long StatusKilobytes(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    return -1;
}

// Peak resident memory added by opening the file, as a multiple of its size.
void ReportMemoryGrowth(bool colour)
{
    ScriptPath();
    {
        std::ofstream("/proc/self/clear_refs") << "5"; // resets the peak to the current size
    }
    const long before = StatusKilobytes("VmRSS:");
    {
        OpenedScript opened(colour ? Colouring::All : Colouring::None);
    }
    const long peak = StatusKilobytes("VmHWM:");
    const double growth = double(peak - before) * 1024.0 / double(kFileBytes);
    PrintRatio(colour ? "peak memory growth / file size (open, colour all)" : "peak memory growth / file size (load)",
               growth, 3.5);
}

} // namespace

BENCHMARK(BM_ReadAll)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ScintillaAppendOnly)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LoadIntoView)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenAndColour)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ReportMemoryGrowth(false);
    ReportMemoryGrowth(true);
    return RunBenchmarksWithRatios(argc, argv,
                                   {{"load 50 MB into the view / QFile::readAll", "BM_LoadIntoView/iterations:5",
                                     "BM_ReadAll/iterations:5", 5.0},
                                    {"plain QScintilla append of the bytes read / QFile::readAll",
                                     "BM_ScintillaAppendOnly/iterations:5", "BM_ReadAll/iterations:5", 0},
                                    {"open 50 MB, lines in view coloured / QFile::readAll", "BM_OpenAndColour/iterations:3",
                                     "BM_ReadAll/iterations:5", 5.0}});
}
