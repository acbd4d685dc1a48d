// The Problems tab: every mark of the script check in every open script, in file and line
// order, rebuilt shortly after a check has run, with the count in the tab's title.
#pragma once

#include <QObject>

class CResultsPane;
class CScribaApp;
class QTimer;

class CProblemList : public QObject {
    Q_OBJECT

public:
    // How long after a check's marks change the list follows: checks of several scripts that
    // end together, and marks set a slice at a time, make one rebuild.
    static constexpr int kSettleMs = 100;

    CProblemList(CScribaApp &app, CResultsPane &pane, QObject *parent = nullptr);

    // Builds the list now.
    void Rebuild();

private slots:
    void Schedule();

private:
    void WatchDocuments();

    CScribaApp &m_app;
    CResultsPane &m_pane;
    QTimer *m_settle;
};
