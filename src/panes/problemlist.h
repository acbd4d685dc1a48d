// The Problems tab: every mark of the script check in every open script, in file and line
// order, rebuilt shortly after a check has run, with the count in the tab's title.
#pragma once

#include <QObject>

class CResultsPane;
class DocumentHost;
struct Settings;
class QTimer;

class CProblemList : public QObject {
    Q_OBJECT

public:
    // How long after a check's marks change the list follows: checks of several scripts that
    // end together, and marks set a slice at a time, make one rebuild.
    static constexpr int kSettleMs = 100;

    // settings: the store whose function table the problems' hover explains.
    CProblemList(DocumentHost &host, const Settings &settings, CResultsPane &pane, QObject *parent = nullptr);

    // Builds the list now.
    void Rebuild();

private slots:
    void Schedule();

private:
    void WatchDocuments();

    DocumentHost &m_host;
    CResultsPane &m_pane;
    QTimer *m_settle;
};
