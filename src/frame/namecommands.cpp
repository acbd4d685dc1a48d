#include "namecommands.h"

#include "editor/nameaids.h"
#include "editor/namecompletion.h"
#include "editor/scribaview.h"
#include "frame/mainframe.h"
#include "panes/panecommands.h"
#include "panes/referencepane.h"
#include "panes/resultspane.h"

#include <QAction>
#include <QPointer>

CNameCommands::CNameCommands(CMainFrame &frame, Prompter &prompter)
    : QObject(&frame), m_frame(frame), m_prompter(prompter)
{
    connect(frame.Action(ID_EDIT_COMPLETE_NAME), &QAction::triggered, this, [this] {
        if (CScribaView *view = m_frame.ActiveView())
            view->NameAids().CompleteName();
    });
    connect(frame.Action(ID_EDIT_GOTO_DEFINITION), &QAction::triggered, this, &CNameCommands::GoToDefinition);
    connect(frame.Action(ID_EDIT_FIND_REFERENCES), &QAction::triggered, this, &CNameCommands::FindReferences);
    connect(frame.Action(ID_EDIT_RENAME_SYMBOL), &QAction::triggered, this, [this] {
        if (CScribaView *view = m_frame.ActiveView())
            view->NameAids().RenameSymbol(m_prompter, &m_frame);
        m_frame.RequestUpdate();
    });
}

void CNameCommands::GoToDefinition()
{
    CScribaView *view = m_frame.ActiveView();
    if (!view)
        return;
    // Tarn's functions are declared in Tarn: their page in the reference pane stands for it.
    QPointer<CScribaView> guarded(view);
    view->NameAids().GoToDefinition([this, guarded](const std::string &tarnFunction) {
        if (!guarded)
            return;
        CReferencePane *pane = m_frame.ReferencePane();
        pane->Open(guarded);
        pane->ShowFunction(tarnFunction);
    });
}

void CNameCommands::FindReferences()
{
    CScribaView *view = m_frame.ActiveView();
    if (!view)
        return;
    CResultsPane *results = m_frame.Panes()->Results();
    QPointer<CResultsPane> guarded(results);
    view->NameAids().FindReferences([guarded](const QString &summary, std::unique_ptr<const ResultRows> rows) {
        if (!guarded)
            return;
        guarded->Model(CResultsPane::SearchTab)->ShowRows(std::move(rows));
        guarded->SetStatus(CResultsPane::SearchTab, summary);
        guarded->SetStoppable(CResultsPane::SearchTab, false);
        guarded->ShowTab(CResultsPane::SearchTab);
    });
}
