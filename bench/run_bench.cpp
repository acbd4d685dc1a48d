// A run that prints 1,000,000 lines into the results pane's Output tab, shown on screen: its time
// against the same command with its output into a terminal that only reads it (the run's output
// is a terminal, so the program sends each line as it prints it; that costs the program itself
// more than writing into a file does, which the row against /dev/null shows), and the longest
// time the event loop went without turning meanwhile (what a user typing in the window would
// wait).
#include "benchsupport.h"

#include "panes/resultlist.h"
#include "panes/resultmodel.h"
#include "run/scriptrunner.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <fstream>

#include <fcntl.h>
#include <termios.h>
#include <poll.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr int kStallTargetMs = 20;

QTemporaryDir *g_folder = nullptr;
QString g_script;
double g_longestStallMs = -1; // not measured
double g_longestEventCpuMs = 0;
bool g_timingEvents = false;

double ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The processor time the window's thread spends on each event: on a busy machine the stalls
// measured by the clock include the time other programs had the processor, this does not.
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *e) override
    {
        if (!g_timingEvents)
            return QApplication::notify(receiver, e);
        const double start = ThreadCpuMs();
        const bool handled = QApplication::notify(receiver, e);
        g_longestEventCpuMs = std::max(g_longestEventCpuMs, ThreadCpuMs() - start);
        return handled;
    }
};

QStringList Command()
{
    return {QStringLiteral("lua5.1"), g_script};
}

// The longest gap between the turns of the event loop while work runs in it.
class StallWatch {
public:
    StallWatch()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, m_sinceLast.nsecsElapsed() / 1e6);
            m_sinceLast.restart();
        });
        m_sinceLast.start();
        m_timer.start();
    }
    double LongestMs() const { return m_longest; }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceLast;
    double m_longest = 0;
};

void BM_RunIntoPane(benchmark::State &state)
{
    ResultModel model;
    CResultList list(&model);
    list.resize(900, 300);
    list.show();
    CScriptRunner runner(&model);
    for (auto _ : state) {
        model.Clear();
        QEventLoop loop;
        QObject::connect(&runner, &CScriptRunner::finished, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        runner.Start(Command(), g_folder->path(), g_script);
        StallWatch watch;
        g_timingEvents = true;
        loop.exec();
        g_timingEvents = false;
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        g_longestStallMs = std::max(g_longestStallMs, watch.LongestMs());
        if (model.rowCount() != model.Limit())
            state.SkipWithError("the output is not all there");
        else if (!model.At(model.rowCount() - 1).text.startsWith(QStringLiteral("Finished with exit code 0")))
            state.SkipWithError(qPrintable(QStringLiteral("the script failed: ") + model.At(model.rowCount() - 1).text));
    }
}

// The window's processor time for a run printing 20 MB into the shown pane, in lines of
// lineBytes: a long line must cost no more to show than short ones.
void RunTwentyMegabytes(benchmark::State &state, int lineBytes)
{
    const QString script = g_folder->filePath(QStringLiteral("lines%1.lua").arg(lineBytes));
    std::ofstream(script.toStdString()) << "local line = string.rep('x', " << lineBytes - 1 << ")\n"
                                        << "for i = 1, " << (20 << 20) / lineBytes << " do print(line) end\n";
    ResultModel model;
    CResultList list(&model);
    list.resize(900, 300);
    list.show();
    CScriptRunner runner(&model);
    for (auto _ : state) {
        model.Clear();
        QEventLoop loop;
        QObject::connect(&runner, &CScriptRunner::finished, &loop, &QEventLoop::quit);
        const double start = ProcessSeconds();
        runner.Start({QStringLiteral("lua5.1"), script}, g_folder->path(), script);
        loop.exec();
        state.SetIterationTime(ProcessSeconds() - start);
        if (!model.At(model.rowCount() - 1).text.startsWith(QStringLiteral("Finished with exit code 0"))) {
            state.SkipWithError(qPrintable(QStringLiteral("the script failed: ") + model.At(model.rowCount() - 1).text));
            return;
        }
    }
}

void BM_LongLinesIntoPane(benchmark::State &state)
{
    RunTwentyMegabytes(state, 64 * 1024);
}

void BM_ShortLinesIntoPane(benchmark::State &state)
{
    RunTwentyMegabytes(state, 64);
}

void BM_RunIntoDevNull(benchmark::State &state)
{
    for (auto _ : state) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setWorkingDirectory(g_folder->path());
        QElapsedTimer clock;
        clock.start();
        process.start(Command().first(), Command().mid(1));
        process.waitForFinished(-1);
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
            state.SkipWithError("the script failed");
            return;
        }
    }
}

// The program's output into a pseudo-terminal that is read as fast as it comes and thrown away.
void BM_RunIntoTerminal(benchmark::State &state)
{
    for (auto _ : state) {
        const int terminal = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[256];
        int side = -1;
        if (terminal >= 0 && grantpt(terminal) == 0 && unlockpt(terminal) == 0 && ptsname_r(terminal, name, sizeof name) == 0)
            side = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (side < 0) {
            state.SkipWithError("no pseudo-terminal");
            return;
        }
        termios modes{};
        tcgetattr(side, &modes);
        cfmakeraw(&modes);
        tcsetattr(side, TCSANOW, &modes);
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setWorkingDirectory(g_folder->path());
        process.setChildProcessModifier([side] { dup2(side, STDOUT_FILENO); });
        QElapsedTimer clock;
        clock.start();
        process.start(Command().first(), Command().mid(1));
        process.waitForStarted(-1);
        close(side);
        char buffer[65536];
        pollfd ready{terminal, POLLIN, 0};
        while (poll(&ready, 1, -1) > 0 && read(terminal, buffer, sizeof buffer) > 0) {
        }
        process.waitForFinished(-1);
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        close(terminal);
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
            state.SkipWithError("the script failed");
            return;
        }
    }
}

} // namespace

BENCHMARK(BM_ShortLinesIntoPane)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongLinesIntoPane)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunIntoTerminal)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunIntoDevNull)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunIntoPane)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TimedApplication application(argc, argv);
    QTemporaryDir folder;
    g_folder = &folder;
    g_script = folder.filePath(QStringLiteral("flood.lua"));
    std::ofstream(g_script.toStdString()) << "for i = 1, 1000000 do print(string.format(\"step %d: head %.3f m\", i, i * 0.001)) end\n";
    const int status = RunBenchmarksWithRatios(
        argc, argv,
        {{"run printing 1,000,000 lines into the pane / into a terminal", "BM_RunIntoPane/iterations:3/manual_time",
          "BM_RunIntoTerminal/iterations:3/manual_time", 2},
         {"window CPU, 20 MB printed in 64 KB lines / in 64-byte lines", "BM_LongLinesIntoPane/iterations:1/manual_time",
          "BM_ShortLinesIntoPane/iterations:1/manual_time", 2},
         {"run printing 1,000,000 lines into the pane / into /dev/null", "BM_RunIntoPane/iterations:3/manual_time",
          "BM_RunIntoDevNull/iterations:3/manual_time", 0}});
    if (g_longestStallMs >= 0) { // not when the run into the pane was left out
        PrintRatio("longest event-loop stall of that run / 20 ms", g_longestStallMs / kStallTargetMs, 1.0);
        std::printf("longest event-loop stall: %.1f ms; longest processor time on one event: %.1f ms\n",
                    g_longestStallMs, g_longestEventCpuMs);
        PrintRatio("longest processor time on one event of that run / 20 ms", g_longestEventCpuMs / kStallTargetMs, 0);
    }
    return status;
}
