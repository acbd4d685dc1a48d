// The Find in Files command: its dialog, the search on a worker thread, and its results
// streamed into the Search tab of the results pane with the progress on the status bar.
#pragma once

#include "search/findinfilesdialog.h"
#include "search/searchworker.h"

#include <QObject>
#include <QString>

class CResultsPane;
class DocumentHost;
class CScribaView;
class QStatusBar;
class QTimer;

class CFindInFiles : public QObject {
    Q_OBJECT

public:
    // The most lines listed; matches beyond them are counted.
    static constexpr int kMostListed = 100000;

    CFindInFiles(DocumentHost &host, CResultsPane &pane, QStatusBar *statusBar, QWidget *owner);
    ~CFindInFiles() override;

    // Asks what to find (starting from the active view's selection and folder) and starts.
    void Open(CScribaView *active);
    void Start(const FindInFilesQuery &query);
    void Stop();
    // The folder this program keeps its own files in (the recovery copies of unsaved scripts):
    // never searched, as it holds nothing the user looks for.
    void SetOwnFolder(const QString &folder);
    bool IsRunning() const { return m_worker.IsRunning(); }
    // Takes what the worker found so far; done by a timer while the search runs.
    void Poll();

private:
    FindInFilesQuery DefaultQuery(CScribaView *active) const;
    std::map<FileIdentity, std::string> OpenTexts() const;
    void List(const FileMatches &file);
    void Finish();
    QString SummaryText(const FolderSearchSummary &summary) const;

    DocumentHost &m_host;
    CResultsPane &m_pane;
    QStatusBar *m_statusBar;
    QWidget *m_owner;
    QTimer *m_poll;
    SearchWorker m_worker;
    FindInFilesQuery m_last;
    bool m_searched = false;
    bool m_listFull = false;
    QString m_ownFolder;
};
