#include "runcontroller.h"

#include "app/prompter.h"
#include "doc/documenthost.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "panes/resultspane.h"
#include "run/runcommand.h"
#include "run/runcommanddialog.h"
#include "run/runmarks.h"
#include "run/scriptrunner.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const QString kCommandKey = QStringLiteral("Run/Command");

} // namespace

CRunController::CRunController(DocumentHost &host, CResultsPane &pane, QWidget *owner)
    : QObject(owner), m_host(host), m_pane(pane), m_owner(owner),
      m_runner(new CScriptRunner(pane.Model(CResultsPane::OutputTab), this))
{
    connect(m_runner, &CScriptRunner::finished, this, &CRunController::OnFinished);
    connect(&pane, &CResultsPane::stopRequested, this, [this](CResultsPane::Tab tab) {
        if (tab == CResultsPane::OutputTab)
            Stop();
    });
}

CRunController::~CRunController() = default;

QString CRunController::Command() const
{
    return m_host.OpenProfile()->value(kCommandKey).toString();
}

void CRunController::SetCommand(const QString &command)
{
    m_host.OpenProfile()->setValue(kCommandKey, command);
}

bool CRunController::IsRunning() const
{
    return m_runner->IsRunning();
}

bool CRunController::SetRunCommand()
{
    CRunCommandDialog dialog(Command(), m_owner);
    if (m_host.GetPrompter().RunDialog(dialog) != QDialog::Accepted)
        return false;
    SetCommand(dialog.Command());
    return true;
}

void CRunController::RunScript(CScribaDoc *document)
{
    if (!document)
        return;
    if (m_runner->IsRunning()) {
        const auto answer = m_host.GetPrompter().Ask(
            m_owner, {tr("Scriba"), tr("A script is still running.\n\nStop it and run %1?").arg(document->GetTitle()),
                      QMessageBox::Question, QMessageBox::Yes | QMessageBox::No});
        if (answer != QMessageBox::Yes)
            return;
        // The new run starts once the old one has ended and said so.
        m_next = document;
        m_runner->Stop();
        return;
    }
    Start(document);
}

void CRunController::Start(CScribaDoc *document)
{
    if (Command().isEmpty() && (!SetRunCommand() || Command().isEmpty()))
        return;
    // The program reads the file, so the file must be what the user sees.
    if ((document->IsModified() || !document->HasFileOnDisk()) && !document->DoFileSave())
        return;
    const QString path = QFileInfo(document->GetPathName()).absoluteFilePath();
    ClearMarks();
    ResultModel *output = m_pane.Model(CResultsPane::OutputTab);
    output->Clear();
    m_pane.ShowTab(CResultsPane::OutputTab);
    QString error;
    const QStringList words = SplitRunCommand(Command(), path, &error);
    if (words.isEmpty()) {
        ResultEntry entry;
        entry.text = tr("The run command \"%1\" cannot be run: %2. Change it with Run > Set Run Command.")
                         .arg(Command(), error);
        entry.kind = ResultKind::Error;
        output->Append({entry});
        return;
    }
    ResultEntry heading;
    heading.text = tr("Running %1 in %2").arg(words.join(QLatin1Char(' ')), QFileInfo(path).absolutePath());
    heading.kind = ResultKind::Note;
    output->Append({heading});
    m_pane.SetStatus(CResultsPane::OutputTab, tr("Running %1").arg(document->GetTitle()));
    m_pane.SetStoppable(CResultsPane::OutputTab, true);
    m_runner->Start(words, QFileInfo(path).absolutePath(), path);
    emit runningChanged();
}

void CRunController::Stop()
{
    m_next.clear();
    m_runner->Stop();
}

void CRunController::OnFinished()
{
    m_pane.SetStoppable(CResultsPane::OutputTab, false);
    const ResultModel *output = m_pane.Model(CResultsPane::OutputTab);
    m_pane.SetStatus(CResultsPane::OutputTab, output->rowCount() ? output->At(output->rowCount() - 1).text : QString());
    MarkErrors();
    emit runningChanged();
    if (CScribaDoc *next = m_next.data()) {
        m_next.clear();
        if (m_host.Documents().contains(next))
            Start(next);
    }
}

void CRunController::MarkErrors()
{
    for (const RunError &error : m_runner->Errors())
        if (CScribaDoc *document = m_host.FindDocumentOfFile(error.path))
            CRunMarks::Of(document->GetView())->Mark(error.line, error.message);
}

void CRunController::ClearMarks()
{
    for (CScribaDoc *document : m_host.Documents())
        CRunMarks::Of(document->GetView())->Clear();
}
