#include "panecommands.h"

#include "app/prompter.h"
#include "doc/documenthost.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "editor/viewdisplay.h"
#include "frame/mainframe.h"
#include "panes/outlinepane.h"
#include "panes/placenavigator.h"
#include "panes/problemlist.h"
#include "panes/resultlist.h"
#include "panes/resultspane.h"
#include "run/runcontroller.h"
#include "search/findinfiles.h"

#include <QAction>
#include <QDockWidget>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>

CPaneCommands::CPaneCommands(DocumentHost &host, const Settings &settings, CMainFrame &frame)
    : QObject(&frame), m_host(host), m_frame(frame), m_results(new CResultsPane(&frame)),
      m_run(new CRunController(host, *m_results, &frame)),
      m_find(new CFindInFiles(host, *m_results, frame.statusBar(), &frame)),
      m_problems(new CProblemList(host, settings, *m_results, this)), m_outline(new COutlinePane(&frame)),
      m_navigator(new PlaceNavigator(host, frame))
{
    frame.addDockWidget(Qt::BottomDockWidgetArea, m_results);
    ConnectResults();
    ConnectRun();
    ConnectFindInFiles();
    frame.addDockWidget(Qt::LeftDockWidgetArea, m_outline);
    ConnectOutline();
}

CPaneCommands::~CPaneCommands()
{
    delete m_navigator;
}

void CPaneCommands::ConnectResults()
{
    KeepShown(m_results, QStringLiteral("View/ResultsPane"), ID_VIEW_RESULTS_PANE);
    GiveKeyTo(ID_VIEW_RESULTS_PANE, [this] {
        m_results->ShowTab(CResultsPane::ProblemsTab);
        m_results->List(CResultsPane::ProblemsTab)->setFocus();
    });
    connect(m_results, &CResultsPane::placeChosen, this, [this](const ResultEntry &entry) { m_navigator->Go(entry); });
    connect(m_frame.Action(ID_EDIT_NEXT_RESULT), &QAction::triggered, this, [this] { StepResult(1); });
    connect(m_frame.Action(ID_EDIT_PREV_RESULT), &QAction::triggered, this, [this] { StepResult(-1); });
}

// The pane shows as it did when the program last ended; its View command and its close box
// show and hide it.
void CPaneCommands::KeepShown(QDockWidget *dock, const QString &key, int command)
{
    QAction *action = m_frame.Action(CommandId(command));
    action->setCheckable(true);
    const bool shown = m_host.OpenProfile()->value(key, false).toBool();
    dock->setVisible(shown);
    action->setChecked(shown);
    connect(action, &QAction::toggled, dock, [dock](bool on) {
        dock->setVisible(on);
        if (on)
            dock->raise();
    });
    connect(dock->toggleViewAction(), &QAction::toggled, this, [this, action, key](bool on) {
        action->setChecked(on);
        // The panes hide with the window as it closes: what showed before stays kept.
        if (!m_shownKept)
            m_host.OpenProfile()->setValue(key, on);
    });
}

// The command's key brings its pane forward with the keyboard in it, whatever showed before;
// the View menu's entry, which names the key, still shows and hides the pane.
void CPaneCommands::GiveKeyTo(int command, const std::function<void()> &bringForward)
{
    QAction *action = m_frame.Action(CommandId(command));
    auto *key = new QAction(&m_frame);
    key->setShortcuts(action->shortcuts());
    key->setShortcutContext(Qt::WindowShortcut);
    action->setShortcuts({});
    m_frame.addAction(key);
    connect(key, &QAction::triggered, this, bringForward);
}

void CPaneCommands::KeepShownPanes()
{
    auto store = m_host.OpenProfile();
    store->setValue(QStringLiteral("View/ResultsPane"), m_frame.Action(ID_VIEW_RESULTS_PANE)->isChecked());
    store->setValue(QStringLiteral("View/Outline"), m_frame.Action(ID_VIEW_OUTLINE)->isChecked());
    m_shownKept = true;
}

void CPaneCommands::ConnectRun()
{
    connect(m_frame.Action(ID_RUN_SCRIPT), &QAction::triggered, this, [this] { m_run->RunScript(m_frame.ActiveDocument()); });
    connect(m_frame.Action(ID_RUN_STOP), &QAction::triggered, m_run, &CRunController::Stop);
    connect(m_frame.Action(ID_RUN_SET_COMMAND), &QAction::triggered, m_run, &CRunController::SetRunCommand);
    connect(m_run, &CRunController::runningChanged, &m_frame, &CMainFrame::RequestUpdate);
}

void CPaneCommands::ConnectFindInFiles()
{
    connect(m_frame.Action(ID_EDIT_FIND_IN_FILES), &QAction::triggered, this, [this] { m_find->Open(m_frame.ActiveView()); });
}

void CPaneCommands::ConnectOutline()
{
    KeepShown(m_outline, QStringLiteral("View/Outline"), ID_VIEW_OUTLINE);
    GiveKeyTo(ID_VIEW_OUTLINE, [this] {
        m_outline->show();
        m_outline->raise();
        m_outline->FilterField()->setFocus();
        m_outline->FilterField()->selectAll();
    });
    connect(m_outline, &COutlinePane::leaveRequested, this, [this] {
        if (CScribaView *view = m_frame.ActiveView())
            view->setFocus();
    });
    // Queued: the frame takes the window as the active one after it has announced it.
    connect(m_frame.MdiArea(), &QMdiArea::subWindowActivated, this,
            [this] { m_outline->SetView(m_frame.ActiveView()); }, Qt::QueuedConnection);
    connect(m_outline, &COutlinePane::definitionChosen, this, [this](CScribaView *view, qint64 position) {
        m_frame.ActivateDocument(view->GetDocument());
        // In the middle of the window, as Go to Line puts a line, so the body shows below.
        view->Display().GoToLine(view->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                                     static_cast<unsigned long>(position)));
        view->SendScintilla(QsciScintillaBase::SCI_SETEMPTYSELECTION, static_cast<unsigned long>(position));
        view->SendScintilla(QsciScintillaBase::SCI_CHOOSECARETX);
        view->setFocus();
    });
}

QMenu *CPaneCommands::BuildRunMenu(QWidget *parent) const
{
    auto *menu = new QMenu(tr("&Run"), parent);
    menu->addAction(m_frame.Action(ID_RUN_SCRIPT));
    menu->addAction(m_frame.Action(ID_RUN_STOP));
    menu->addSeparator();
    menu->addAction(m_frame.Action(ID_RUN_SET_COMMAND));
    return menu;
}

void CPaneCommands::UpdateCommands(CScribaView *view)
{
    m_frame.Action(ID_RUN_SCRIPT)->setEnabled(view != nullptr);
    m_frame.Action(ID_RUN_STOP)->setEnabled(m_run->IsRunning());
}

void CPaneCommands::StepResult(int step)
{
    if (m_results->StepPlace(step) && !m_results->isVisible())
        m_results->show();
}
