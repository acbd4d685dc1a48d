// Starting with a 50 MB script of one line: named on the command line, and restored from the
// last session with the caret where it was left. The window is shown and painted once in both;
// a restored script must cost no more than a named one.
#include "benchscripts.h"
#include "benchsupport.h"

#include "app/defaulttexts.h"
#include "app/prompter.h"
#include "app/scribaapp.h"
#include "app/session.h"
#include "app/settings.h"
#include "frame/mainframe.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

namespace {

constexpr std::size_t kScriptBytes = 50u << 20;

// Answers every message with OK, unseen: nothing may wait for a click.
class SilentPrompter : public Prompter {
public:
    QMessageBox::StandardButton Ask(QWidget *, const Prompt &) override { return QMessageBox::Ok; }
};

QTemporaryDir &Folder()
{
    static QTemporaryDir folder;
    return folder;
}

const QString &ScriptPath()
{
    static const QString path = [] {
        std::string text = benchscripts::ScriptGenerator(benchscripts::ParsedTable(DefaultFunctionsText()))
                               .Realistic(kScriptBytes);
        std::replace(text.begin(), text.end(), '\n', ' ');
        return benchscripts::TemporaryFile("oneline.lua", text);
    }();
    return path;
}

// A profile whose session holds the script, its caret at the end of its one line.
QString SessionProfile()
{
    const QString path = Folder().filePath(QStringLiteral("session.ini"));
    QSettings store(path, QSettings::IniFormat);
    Session session;
    session.scripts.append({ScriptPath(), 0, qint64(kScriptBytes), 0});
    session.active = 0;
    StoreSession(store, session);
    return path;
}

// The processor time of one start, from the application's making to the window's first paint.
double StartSeconds(const QString &profile, const QStringList &files)
{
    const double start = ThreadSeconds();
    auto app = std::make_unique<CScribaApp>(Folder().filePath(QStringLiteral("Scriba.ini")));
    app->SetProfilePath(profile);
    app->SetRecoveryFolder(Folder().filePath(QStringLiteral("recovery")));
    app->SetPrompter(std::make_unique<SilentPrompter>());
    app->InitInstance(files);
    app->MainFrame()->repaint();
    QCoreApplication::processEvents();
    const double seconds = ThreadSeconds() - start;
    app->CloseAllDocuments();
    app.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return seconds;
}

void BM_StartNamed(benchmark::State &state)
{
    const QString profile = Folder().filePath(QStringLiteral("named.ini"));
    for (auto _ : state)
        state.SetIterationTime(StartSeconds(profile, {ScriptPath()}));
}

void BM_StartRestored(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(StartSeconds(SessionProfile(), {}));
}

} // namespace

BENCHMARK(BM_StartNamed)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_StartRestored)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true); // the user's own profile and copies are left alone
    Settings::Global().SetDefaultStyles();
    ScriptPath();
    return RunBenchmarksWithRatios(argc, argv,
                                   {{"start, 50 MB one-line script restored from the session / named",
                                     "BM_StartRestored/iterations:3/manual_time",
                                     "BM_StartNamed/iterations:3/manual_time", 1.5}});
}
