// Runs the run command as a process without a shell and streams what it prints into a results
// list: the output is read a slice at a time and shown in batches, so the window never waits
// on it however much comes, and only the last lines the list keeps are ever converted.
// The program's standard output is a pseudo-terminal, as in a terminal window, so the C library
// sends each line as it is printed and the lines arrive in the order they were printed; its
// standard error stays apart, so error lines can be told. The program runs in a process group
// of its own, and stopping it ends the whole group: the programs it started end with it.
#pragma once

#include "panes/resultmodel.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QProcess>

#include <deque>
#include <vector>

class QSocketNotifier;
class QTimer;

// A place that an error message of the run names, for marking it in the script.
struct RunError {
    QString path;
    int line = 0;
    QString message;
};

class CScriptRunner : public QObject {
    Q_OBJECT

public:
    // How long a stopped program has to end before it is killed.
    static constexpr int kStopGraceMs = 3000;

    explicit CScriptRunner(ResultModel *output, QObject *parent = nullptr);
    ~CScriptRunner() override;

    // Starts words[0] with the other words as its arguments in folder; scriptPath is the script
    // run, which a shortened path in a message may stand for. False (after saying why in the
    // output) when it could not start.
    bool Start(const QStringList &words, const QString &folder, const QString &scriptPath);
    // Asks the program and every program it started to end, and kills those that have not after
    // kStopGraceMs.
    void Stop();
    bool IsRunning() const;
    qint64 ProcessId() const { return m_process.processId(); }
    // Whether the program's standard output is a terminal (false where none could be opened).
    bool OutputIsTerminal() const { return m_terminal >= 0; }
    // The places the error messages of the last run named.
    const std::vector<RunError> &Errors() const { return m_errors; }

signals:
    // The program ended and everything it printed is in the output; summary says how.
    void finished(const QString &summary);

private:
    struct Channel {
        QProcess::ProcessChannel channel;
        QByteArray partial; // the start of a line whose end has not come yet
    };

    void Pump();
    bool ReadSome(Channel &channel, qint64 budget);
    bool OpenTerminal();
    void CloseTerminal();
    bool ReadTerminal(qint64 budget);
    void TakeBytes(Channel &channel, const QByteArray &bytes);
    void SignalGroup(int signal) const;
    void KeepPending();
    void KillStopped();
    void AddLine(const QByteArray &bytes, bool error);
    QString ResolvePath(const QString &printed);
    void Flush();
    void OnFinished(int exitCode, QProcess::ExitStatus status);
    void OnError(QProcess::ProcessError error);
    void Finish(const QString &summary);
    QString Seconds() const;

    ResultModel *m_output;
    QProcess m_process;
    Channel m_stdout{QProcess::StandardOutput, {}};
    Channel m_stderr{QProcess::StandardError, {}};
    QTimer *m_pump;
    QTimer *m_flush;
    QTimer *m_kill;
    int m_terminal = -1;      // the program's standard output, read here
    int m_terminalSide = -1;  // the program's end of it, until the program has it
    QSocketNotifier *m_terminalReady = nullptr;
    qint64 m_group = 0;       // the process group of the run
    qint64 m_stopping = 0;    // the group asked to end, to be killed when its time is up
    qint64 m_pendingChars = 0;
    qint64 m_pendingDropped = 0; // lines dropped from m_pending, not counted by the list yet
    qint64 m_readAfterEnd = 0;
    std::deque<ResultEntry> m_pending; // read, not shown yet; at most what the list keeps
    std::vector<RunError> m_errors;
    QHash<QString, QString> m_resolved; // printed path to the file, or "" when there is none
    QString m_folder;
    QString m_scriptPath;
    QElapsedTimer m_clock;
    QString m_ending;  // set when the program has ended and its output is being read
    QString m_summary; // set when all is read and the last lines are being shown
    bool m_running = false;
    bool m_stopped = false;
};
