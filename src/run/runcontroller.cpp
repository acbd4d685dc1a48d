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
#include <QLineEdit>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>

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
    connect(pane.Model(CResultsPane::OutputTab), &ResultModel::droppedChanged, this, [this] { ShowStatus(m_status); });
    connect(&host, &DocumentHost::documentsChanged, this, &CRunController::StopWhenClosed);
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

QString CRunController::DefaultCommand()
{
    return QStandardPaths::findExecutable(QStringLiteral("lua5.1")).isEmpty() ? QStringLiteral("lua %f")
                                                                               : QStringLiteral("lua5.1 %f");
}

bool CRunController::MayClose()
{
    if (!m_runner->IsRunning())
        return true;
    const auto answer = m_host.GetPrompter().Ask(
        m_owner, {tr("Scriba"), tr("A script is still running.\n\nStop it and exit?"), QMessageBox::Question,
                  QMessageBox::Yes | QMessageBox::No});
    // The run ends with the window: the runner ends it and what it started as it goes.
    return answer == QMessageBox::Yes;
}

void CRunController::StopWhenClosed()
{
    // The run's script was closed: what runs on it ends with it.
    if (m_script && !m_host.Documents().contains(m_script.data())) {
        m_script.clear();
        Stop();
    }
}

bool CRunController::SetRunCommand()
{
    // A first command that works here, selected so that typing replaces it.
    const QString command = Command().isEmpty() ? DefaultCommand() : Command();
    CRunCommandDialog dialog(command, m_owner);
    dialog.CommandField()->selectAll();
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
    ShowStatus(QString());
    m_pane.ShowTab(CResultsPane::OutputTab);
    QString error;
    const QStringList words = SplitRunCommand(Command(), path, &error);
    if (words.isEmpty()) {
        ResultEntry entry;
        entry.text = tr("The run command \"%1\" cannot be run: %2. Change it with Run > Set Run Command.")
                         .arg(Command(), error);
        entry.kind = ResultKind::Error;
        output->Append({entry});
        ShowStatus(entry.text);
        return;
    }
    ResultEntry heading;
    heading.text = tr("Running %1 in %2").arg(words.join(QLatin1Char(' ')), QFileInfo(path).absolutePath());
    heading.kind = ResultKind::Note;
    output->Append({heading});
    ShowStatus(tr("Running %1").arg(document->GetTitle()));
    m_pane.SetStoppable(CResultsPane::OutputTab, true);
    m_script = document;
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
    m_script.clear();
    const ResultModel *output = m_pane.Model(CResultsPane::OutputTab);
    ShowStatus(output->rowCount() ? output->At(output->rowCount() - 1).text : QString());
    MarkErrors();
    emit runningChanged();
    if (CScribaDoc *next = m_next.data()) {
        m_next.clear();
        if (m_host.Documents().contains(next))
            Start(next);
    }
}

void CRunController::ShowStatus(const QString &text)
{
    m_status = text;
    const qint64 dropped = m_pane.Model(CResultsPane::OutputTab)->Dropped();
    if (dropped == 0 || text.isEmpty())
        m_pane.SetStatus(CResultsPane::OutputTab, text);
    else
        m_pane.SetStatus(CResultsPane::OutputTab, tr("%1 (the first %2 lines of output were dropped)")
                                                      .arg(text, QLocale().toString(dropped)));
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
