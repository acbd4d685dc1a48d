// A live editor view holding a generated script, as after opening a file, and keys sent to it:
// the ground of the keystroke benchmarks.
#pragma once

#include "benchhost.h"
#include "benchscripts.h"
#include "benchsupport.h"

#include "app/defaulttexts.h"
#include "app/settings.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <algorithm>
#include <functional>

#include <string>

namespace benchview {

// The program's own styles and tables, as on a first start.
inline void InstallDefaultSettings()
{
    Settings &settings = Settings::Global();
    settings.SetDefaultStyles();
    settings.keywords = benchscripts::ParsedTable(DefaultKeywordsText());
    settings.functions = benchscripts::ParsedTable(DefaultFunctionsText());
}

// The longest wait between two turns of the event loop while it lives, in milliseconds of this
// thread's processor time: what a key pressed meanwhile could have waited for.
class LongestTurnProbe {
public:
    LongestTurnProbe()
    {
        QObject::connect(&m_probe, &QTimer::timeout, [this] {
            const double now = ThreadSeconds();
            m_longest = std::max(m_longest, (now - m_lastTurn) * 1e3);
            m_lastTurn = now;
        });
        m_probe.start(0);
    }
    double Longest() const { return m_longest; }

private:
    QTimer m_probe;
    double m_lastTurn = ThreadSeconds();
    double m_longest = 0;
};

// The first lines of script (all of it when it is shorter).
inline std::string FirstLines(const std::string &script, int lines)
{
    std::size_t end = 0;
    for (int i = 0; i < lines && end < script.size(); ++i)
        end = script.find('\n', end) + 1;
    return script.substr(0, end);
}

// A view holding text, coloured and shown.
struct LoadedView {
    CScribaDoc document{BenchHost::Get()};
    CScribaView view{&document, BenchHost::Get(), Settings::Global()};

    explicit LoadedView(const std::string &text)
    {
        document.SetView(&view);
        view.BeginLoad(qint64(text.size()));
        view.AppendBytes(text.data(), qint64(text.size()));
        view.EndLoad();
        view.OnInitialUpdate();
        view.resize(800, 600);
        view.show();
        QCoreApplication::processEvents();
    }

    // Puts the caret at the end of the middle line.
    void GoToMiddleLineEnd()
    {
        const long middle = view.SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT) / 2;
        view.SendScintilla(QsciScintillaBase::SCI_GOTOPOS,
                           view.SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, middle));
    }
};

inline void SendKey(QWidget *target, int key, const QString &text = QString(),
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(target, &press);
}

// The main function of a benchmark program over live views: no display, the default settings,
// and the ratios printed after the runs; then afterRuns, while the application still lives.
inline int RunViewBenchmarks(int argc, char **argv, const std::vector<BenchRatio> &ratios,
                             const std::function<void()> &afterRuns = {})
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    InstallDefaultSettings();
    const int result = RunBenchmarksWithRatios(argc, argv, ratios);
    if (afterRuns)
        afterRuns();
    return result;
}

} // namespace benchview
