// The real program's window left alone: the processor share it takes while an unchanged 10 MB
// script is shown, and the memory it holds with twenty 1 MB scripts open. The program runs as a
// child with a settings file of the defaults beside a copy of it (so no first-start message
// waits), on a private X server when Xvfb is installed (the lock-key panes then listen to a real
// keyboard), else offscreen.
#include "benchscripts.h"
#include "benchsupport.h"

#include "app/defaulttexts.h"
#include "app/initext.h"
#include "app/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <fstream>
#include <map>
#include <sstream>

#ifndef SCRIBA_EXECUTABLE
#define SCRIBA_EXECUTABLE ""
#endif

namespace {

using namespace benchscripts;

double g_idleShare = -1;   // percent of a core
double g_memory = -1;      // megabytes

struct Child {
    QTemporaryDir folder;
    QProcess xserver;
    QProcess program;
    QString display;

    Child()
    {
        const QString executable = folder.filePath(QStringLiteral("scriba"));
        // Another build of the program may be measured in its place, for a comparison.
        const QString other = qEnvironmentVariable("SCRIBA_BENCH_EXECUTABLE");
        QFile::copy(other.isEmpty() ? QStringLiteral(SCRIBA_EXECUTABLE) : other, executable);
        Settings settings;
        settings.SetDefaultStyles();
        settings.keywords = ParsedTable(DefaultKeywordsText());
        settings.functions = ParsedTable(DefaultFunctionsText());
        std::ofstream(folder.filePath(QStringLiteral("Scriba.ini")).toStdString(), std::ios::binary)
            << WriteIniText(settings, std::string());
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (!xvfb.isEmpty()) {
            // Xvfb writes the number of a free display to the descriptor it is given.
            xserver.setProcessChannelMode(QProcess::SeparateChannels);
            xserver.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                 QStringLiteral("0"), QStringLiteral("1280x1024x24")});
            if (xserver.waitForReadyRead(10000))
                display = QStringLiteral(":") + QString::fromLatin1(xserver.readLine()).trimmed();
        }
    }
    ~Child()
    {
        program.kill();
        program.waitForFinished();
        xserver.kill();
        xserver.waitForFinished();
    }

    // False when the program did not start.
    bool Start(const QStringList &scripts)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), folder.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_STATE_HOME"), folder.filePath(QStringLiteral("state")));
        if (display.isEmpty()) {
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        } else {
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
            environment.insert(QStringLiteral("DISPLAY"), display);
        }
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(folder.filePath(QStringLiteral("scriba")), QStringList{QStringLiteral("--")} + scripts);
        return program.waitForStarted();
    }

    bool Running() const { return program.state() == QProcess::Running; }

    QString Script(const char *name, const std::string &text)
    {
        const QString path = folder.filePath(QString::fromLatin1(name));
        std::ofstream(path.toStdString(), std::ios::binary) << text;
        return path;
    }

    // Processor time of each of the program's threads, in seconds, from the scheduler's count.
    std::map<QString, double> ProcessorSeconds() const
    {
        std::map<QString, double> seconds;
        const QDir tasks(QStringLiteral("/proc/%1/task").arg(program.processId()));
        for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            std::ifstream in(tasks.filePath(task + QStringLiteral("/schedstat")).toStdString());
            double nanoseconds = 0;
            if (in >> nanoseconds)
                seconds[task] = nanoseconds / 1e9;
        }
        return seconds;
    }

    double ResidentMegabytes() const
    {
        std::ifstream in(QStringLiteral("/proc/%1/status").arg(program.processId()).toStdString());
        std::string line;
        while (std::getline(in, line))
            if (line.rfind("VmRSS:", 0) == 0)
                return std::stod(line.substr(6)) / 1024.0;
        return -1;
    }
};

void Sleep(int seconds)
{
    QThread::sleep(static_cast<unsigned long>(seconds));
}

// The share of a core over half a minute, once the window has shown the script, checked it and
// the caret has come to rest, over the threads alive at its end (workers end after half a
// minute without work, taking their count with them).
void BM_IdleWindow(benchmark::State &state)
{
    for (auto _ : state) {
        Child child;
        const QString script = child.Script("ten.lua", ScriptGenerator(Settings::Global().functions).Realistic(10u << 20));
        if (!child.Start({script})) {
            state.SkipWithError("the program did not start");
            return;
        }
        Sleep(15);
        const std::map<QString, double> before = child.ProcessorSeconds();
        Sleep(30);
        // A program that ended has used nothing since: no figure at all.
        if (!child.Running() || before.empty()) {
            state.SkipWithError("the program ended before it was measured");
            return;
        }
        double used = 0;
        for (const auto &[task, seconds] : child.ProcessorSeconds())
            used += seconds - (before.count(task) ? before.at(task) : 0.0);
        g_idleShare = used / 30 * 100;
        state.SetIterationTime(30);
    }
    state.counters["percent_of_a_core"] = g_idleShare;
}

void BM_TwentyScripts(benchmark::State &state)
{
    for (auto _ : state) {
        Child child;
        QStringList scripts;
        ScriptGenerator generator(Settings::Global().functions);
        for (int i = 0; i < 20; ++i)
            scripts.append(child.Script(qPrintable(QStringLiteral("s%1.lua").arg(i)), generator.Realistic(1u << 20)));
        if (!child.Start(scripts)) {
            state.SkipWithError("the program did not start");
            return;
        }
        Sleep(15);
        g_memory = child.ResidentMegabytes();
        if (!child.Running() || g_memory < 0) {
            state.SkipWithError("the program ended before it was measured");
            return;
        }
        state.SetIterationTime(15);
    }
    state.counters["MB"] = g_memory;
}

} // namespace

BENCHMARK(BM_IdleWindow)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();
BENCHMARK(BM_TwentyScripts)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    Settings &settings = Settings::Global();
    settings.SetDefaultStyles();
    settings.keywords = ParsedTable(DefaultKeywordsText());
    settings.functions = ParsedTable(DefaultFunctionsText());
    const int result = RunBenchmarksWithRatios(argc, argv, {});
    if (g_idleShare >= 0)
        PrintRatio("idle window, 10 MB script shown, percent of a core", g_idleShare, 0.016, 4);
    if (g_memory >= 0)
        PrintRatio("memory of 20 open 1 MB scripts, MB", g_memory, 92.0, 1);
    return result;
}
