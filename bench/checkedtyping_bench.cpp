// Typing at the end of a big script with the script check on: the wait of each key, from the
// moment it is due to its handling painted, counted in the typing thread's processor time (the
// machine may be shared), while checks start after pauses and their marks are set; and the
// processor time the check after one typed key costs in a 50 MB script against a 1 MB one.
#include "benchscripts.h"
#include "benchview.h"

#include "check/checkmarks.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <map>
#include <memory>
#include <vector>

namespace {

using namespace benchscripts;
using namespace benchview;


// A script that compiles whole, as the check then reads all of it, with calls of any argument
// count, so the check has thousands of warnings to mark.
const std::string &Script(std::size_t megabytes)
{
    static std::map<std::size_t, std::string> scripts;
    std::string &script = scripts[megabytes];
    if (script.empty())
        script = ScriptGenerator(Settings::Global().functions).Compilable(megabytes << 20, false);
    return script;
}

void RunLoopFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// A view of the script, coloured, with the check on and its first marks set; the caret at the end.
std::unique_ptr<LoadedView> CheckedView(std::size_t megabytes)
{
    auto loaded = std::make_unique<LoadedView>(Script(megabytes));
    while (loaded->view.ContinueBackgroundColouring())
        ;
    loaded->view.Checks()->SetEnabled(true);
    while (loaded->view.Checks()->IsPending())
        RunLoopFor(20);
    loaded->view.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    loaded->view.setFocus();
    QCoreApplication::processEvents();
    return loaded;
}

double Percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(fraction * double(values.size())))];
}

double g_median = 0, g_p90 = 0, g_longestTurn = 0;

// Notes the typing thread's processor time on every turn of the event loop, so that a key that
// waits for other work on the thread is charged with what it waited for.
class LoopProbe {
public:
    LoopProbe()
    {
        m_wall.start();
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_turns.emplace_back(Now(), ThreadSeconds()); });
        m_timer.start(0);
    }
    double Now() const { return double(m_wall.nsecsElapsed()) / 1e9; }
    // The thread's processor time at the last turn before the wall-clock moment at.
    double CpuAt(double at) const
    {
        auto after = std::upper_bound(m_turns.begin(), m_turns.end(), std::pair(at, 1e300));
        return after == m_turns.begin() ? ThreadSeconds() : std::prev(after)->second;
    }
    // The most processor time between two turns.
    double LongestTurn() const
    {
        double longest = 0;
        for (std::size_t i = 1; i < m_turns.size(); ++i)
            longest = std::max(longest, m_turns[i].second - m_turns[i - 1].second);
        return longest;
    }

private:
    QElapsedTimer m_wall;
    QTimer m_timer;
    std::vector<std::pair<double, double>> m_turns; // (wall, thread CPU)
};

// 50 letters, 150 ms apart, where every fourth key comes just as a pause of typing ends and the
// check starts; then one whole check with its marks, the longest turn of the event loop
// meanwhile being the longest a key could wait for it.
void BM_TypeWithChecks(benchmark::State &state)
{
    auto loaded = CheckedView(50);
    CScribaView &view = loaded->view;
    std::vector<double> latencies;
    for (auto _ : state) {
        LoopProbe probe;
        double due = 0.2;
        for (int key = 0; key < 50; ++key) {
            double cpuAtDue = 0;
            if (key % 4 == 3) {
                // The check after the last pause is done; this key arrives as the next one starts.
                while (view.Checks()->IsPending())
                    RunLoopFor(5);
                cpuAtDue = ThreadSeconds();
                QTimer::singleShot(0, view.Checks(), &CheckMarks::CheckNow);
                QCoreApplication::processEvents();
                due = probe.Now();
            } else {
                RunLoopFor(std::max(0, int((due - probe.Now()) * 1000)));
                cpuAtDue = probe.CpuAt(due);
            }
            SendKey(&view, Qt::Key_A, QStringLiteral("a"));
            QCoreApplication::processEvents();
            view.repaint();
            latencies.push_back(ThreadSeconds() - cpuAtDue);
            due += 0.15;
        }
        state.SetIterationTime(probe.Now());
        while (view.Checks()->IsPending())
            RunLoopFor(5);
        LoopProbe checkProbe;
        RunLoopFor(10);
        QTimer::singleShot(0, view.Checks(), &CheckMarks::CheckNow); // as after a pause
        RunLoopFor(5);
        while (view.Checks()->IsPending())
            RunLoopFor(5);
        g_longestTurn = checkProbe.LongestTurn() * 1e3;
    }
    g_median = Percentile(latencies, 0.5) * 1e3;
    g_p90 = Percentile(latencies, 0.9) * 1e3;
    state.counters["median_ms"] = g_median;
    state.counters["p90_ms"] = g_p90;
    state.counters["check_turn_ms"] = g_longestTurn;
}

// From a key typed at the end to the check it causes having set its marks, in processor time
// of every thread.
void CheckAfterOneKey(benchmark::State &state)
{
    auto loaded = CheckedView(std::size_t(state.range(0)));
    CScribaView &view = loaded->view;
    for (auto _ : state) {
        const double start = ProcessSeconds();
        SendKey(&view, Qt::Key_A, QStringLiteral("a"));
        QCoreApplication::processEvents();
        RunLoopFor(CheckMarks::kPauseMs + 50);
        while (view.Checks()->IsPending())
            RunLoopFor(5);
        state.SetIterationTime(ProcessSeconds() - start);
    }
}

} // namespace

BENCHMARK(BM_TypeWithChecks)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();
BENCHMARK(CheckAfterOneKey)->Name("BM_CheckAfterOneKey")->ArgName("MB")->Arg(1)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

int main(int argc, char **argv)
{
    const int result = RunViewBenchmarks(
        argc, argv,
        {{"check after one key at the end of 50 MB / of 1 MB", "BM_CheckAfterOneKey/MB:50/iterations:3/manual_time",
          "BM_CheckAfterOneKey/MB:1/iterations:3/manual_time", 0}});
    std::printf("key wait typing at the end of 50 MB with the check on: median %.2f ms, 90th percentile %.2f ms; "
                "longest turn of the event loop during a check %.2f ms\n",
                g_median, g_p90, g_longestTurn);
    if (g_median > 0) {
        PrintRatio("typing with the check on, 90th percentile / median key", g_p90 / g_median, 1.5);
        PrintRatio("a key meeting the check's longest turn / median key", (g_median + g_longestTurn) / g_median, 0);
    }
    return result;
}
