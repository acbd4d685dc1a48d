// The Run menu's commands: Run Script saves the active script and runs the run command on it
// with its output in the results pane, Stop ends the run, Set Run Command edits the command,
// kept with the recent files.
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

    DocumentHost &m_host;
    CResultsPane &m_pane;
    QWidget *m_owner;
    CScriptRunner *m_runner;
    QPointer<CScribaDoc> m_next; // to run once the stopped run has ended
};
