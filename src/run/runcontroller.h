// The Run menu's commands: Run Script saves the active script and runs the run command on it
// with its output in the results pane, Stop ends the run, Set Run Command edits the command,
// kept with the recent files. A run ends with the window and with the script it runs.
#pragma once

#include <QObject>
#include <QPointer>

class CResultsPane;
class DocumentHost;
class CScribaDoc;
class CScriptRunner;
class QWidget;

class CRunController : public QObject {
    Q_OBJECT

public:
    CRunController(DocumentHost &host, CResultsPane &pane, QWidget *owner);
    ~CRunController() override;

    // Runs document (the active one); asks first when a run is under way.
    void RunScript(CScribaDoc *document);
    void Stop();
    // False when the user cancelled.
    bool SetRunCommand();
    // The command offered when none is set: the Lua 5.1 interpreter this machine has.
    static QString DefaultCommand();
    // Whether the window may close: asks first when a run is under way, which ends with it.
    bool MayClose();
    bool IsRunning() const;
    QString Command() const;
    void SetCommand(const QString &command);
    CScriptRunner *Runner() const { return m_runner; }

signals:
    void runningChanged();

private:
    void Start(CScribaDoc *document);
    void OnFinished();
    void MarkErrors();
    void ClearMarks();
    // The status line of the Output tab: text, and how many earlier lines were dropped.
    void ShowStatus(const QString &text);
    void StopWhenClosed();

    DocumentHost &m_host;
    CResultsPane &m_pane;
    QWidget *m_owner;
    CScriptRunner *m_runner;
    QPointer<CScribaDoc> m_next; // to run once the stopped run has ended
    QPointer<CScribaDoc> m_script; // the script of the run under way
    QString m_status;
};
