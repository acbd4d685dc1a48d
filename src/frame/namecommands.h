// The commands on the script's names (Complete Name, Go to Definition, Find References, Rename
// Symbol): the frame's side of them. The active view works out the answer; this shows it in
// the reference pane or the results pane's Search tab.
#pragma once

#include <QObject>

class CMainFrame;
class Prompter;

class CNameCommands : public QObject {
    Q_OBJECT

public:
    // The frame's actions for the commands must exist already.
    CNameCommands(CMainFrame &frame, Prompter &prompter);

private:
    void GoToDefinition();
    void FindReferences();

    CMainFrame &m_frame;
    Prompter &m_prompter;
};
