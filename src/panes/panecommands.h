// The panes beside the documents and the commands that work them: the results pane (Problems,
// Search, Output) with Next and Previous Result, Run, Find in Files and the outline. The main
// window makes the actions and menus; this connects them and keeps the panes' state.
#pragma once

#include <QObject>

#include <functional>

class CFindInFiles;
class CMainFrame;
class COutlinePane;
class CProblemList;
class CResultsPane;
class CRunController;
class DocumentHost;
struct Settings;
class CScribaView;
class QDockWidget;
class QMenu;
class PlaceNavigator;

class CPaneCommands : public QObject {
    Q_OBJECT

public:
    // The frame's actions for the panes' commands must exist already.
    CPaneCommands(DocumentHost &host, const Settings &settings, CMainFrame &frame);
    ~CPaneCommands() override;

    CResultsPane *Results() const { return m_results; }
    CRunController *Run() const { return m_run; }
    CFindInFiles *FindInFiles() const { return m_find; }
    CProblemList *Problems() const { return m_problems; }
    COutlinePane *Outline() const { return m_outline; }
    // The Run menu.
    QMenu *BuildRunMenu(QWidget *parent) const;
    // Enables the commands for the active view (null without one).
    void UpdateCommands(CScribaView *view);
    // The next (1) or previous (-1) place of the results pane's tab in front.
    void StepResult(int step);
    // Keeps which panes show for the next start; called as the window closes, before the
    // panes hide with it.
    void KeepShownPanes();

private:
    void ConnectResults();
    void ConnectRun();
    void ConnectFindInFiles();
    void ConnectOutline();
    void KeepShown(QDockWidget *dock, const QString &key, int command);
    void GiveKeyTo(int command, const std::function<void()> &bringForward);

    DocumentHost &m_host;
    CMainFrame &m_frame;
    CResultsPane *m_results;
    CRunController *m_run;
    CFindInFiles *m_find;
    CProblemList *m_problems;
    COutlinePane *m_outline;
    PlaceNavigator *m_navigator;
    bool m_shownKept = false;
};
