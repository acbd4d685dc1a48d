#include "scribadoc.h"

#include "app/fileio.h"
#include "app/prompter.h"
#include "app/scribaapp.h"
#include "doc/untitlednames.h"
#include "editor/scribaview.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

int g_untitledCount = 0;

namespace {

constexpr qint64 kReadChunk = 1 << 20;

} // namespace

CScribaDoc::CScribaDoc(QObject *parent) : QObject(parent) {}

CScribaDoc::~CScribaDoc() = default;

void CScribaDoc::SetTitle(const QString &title)
{
    m_title = QString::fromStdString(ScriptTitle(title.toStdString(), g_untitledCount));
    emit titleChanged(m_title);
}

bool CScribaDoc::OnNewDocument()
{
    m_view->ClearText();
    m_pathName = m_title;
    m_onDisk = false;
    return true;
}

bool CScribaDoc::OnOpenDocument(const QString &path, QString *error)
{
    QFile file(path);
    if (QFileInfo(path).isDir()) {
        *error = tr("%1 is a folder, not a file.").arg(QuotedPath(path));
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = tr("Could not open %1.\n\n%2.").arg(QuotedPath(path), file.errorString());
        return false;
    }
    // Read in pieces straight into the control's buffer, allocated once: no second copy.
    m_view->BeginLoad(file.size());
    QByteArray chunk(kReadChunk, Qt::Uninitialized);
    bool failed = false;
    for (;;) {
        const qint64 got = file.read(chunk.data(), kReadChunk);
        if (got < 0) {
            failed = true;
            break;
        }
        if (got == 0)
            break;
        m_view->AppendBytes(chunk.constData(), got);
    }
    m_view->EndLoad();
    if (failed) {
        *error = tr("Could not read %1.\n\n%2.").arg(QuotedPath(path), file.errorString());
        m_view->ClearText();
        return false;
    }
    m_pathName = QFileInfo(path).absoluteFilePath();
    m_onDisk = true;
    SetTitle(QFileInfo(path).fileName());
    return true;
}

bool CScribaDoc::OnSaveDocument(const QString &path, QString *error)
{
    QString cause;
    if (!WriteWholeFile(path, m_view->TextPointer(), m_view->TextLength(), &cause)) {
        *error = tr("Could not save %1.\n\n%2.").arg(QuotedPath(path), cause);
        return false;
    }
    m_view->SetSavePoint();
    return true;
}

bool CScribaDoc::IsModified() const
{
    return m_view && m_view->IsModified();
}

void CScribaDoc::SetModifiedFlag(bool modified)
{
    // Scintilla knows the save point; only clearing the flag is ever needed.
    if (!modified)
        m_view->SetSavePoint();
}

bool CScribaDoc::DoFileSave()
{
    return DoSave(m_onDisk ? m_pathName : QString());
}

bool CScribaDoc::DoSave(const QString &path)
{
    CScribaApp *app = CScribaApp::Instance();
    QString target = path;
    if (target.isEmpty()) {
        target = app->GetPrompter().SaveFileName(m_view->window(), ProposedSavePath(), ScriptFileFilter(),
                                                 QStringLiteral("lua"));
        if (target.isEmpty())
            return false;
        app->RememberFolder(target);
    }
    QString error;
    if (!OnSaveDocument(target, &error)) {
        app->GetPrompter().Ask(m_view->window(), {tr("Scriba - Error!"), error, QMessageBox::Warning,
                                                  QMessageBox::Ok});
        return false;
    }
    const bool renamed = QFileInfo(target).absoluteFilePath() != m_pathName || !m_onDisk;
    m_pathName = QFileInfo(target).absoluteFilePath();
    m_onDisk = true;
    if (renamed) {
        SetTitle(QFileInfo(target).fileName());
        app->AddToRecentFileList(m_pathName);
    }
    return true;
}

QString CScribaDoc::ProposedSavePath() const
{
    // A file of its own is proposed as it is; a new document's name in the folder the dialogs use.
    if (m_onDisk)
        return m_pathName;
    return QDir(CScribaApp::Instance()->DialogFolder()).filePath(m_title);
}

QString CScribaDoc::FileNameForPrompt() const
{
    const QString name = QFileInfo(m_pathName).fileName();
    return name.isEmpty() ? m_title : name;
}

bool CScribaDoc::SaveModified()
{
    if (!IsModified())
        return true;
    const auto answer = CScribaApp::Instance()->GetPrompter().Ask(
        m_view->window(), {tr("Scriba"), tr("Save changes to %1?").arg(FileNameForPrompt()),
                           QMessageBox::Warning,
                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel});
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::Yes)
        return DoFileSave();
    return true;
}

void CScribaDoc::EmptyAsUntitled()
{
    // The emptied document is a new untitled one: its path follows the new title, so a later
    // Save asks for a name instead of overwriting the file it showed before.
    m_view->ClearText();
    SetTitle(QString());
    m_pathName = m_title;
    m_onDisk = false;
}

void CScribaDoc::OnFileClose()
{
    CScribaApp *app = CScribaApp::Instance();
    if (app->Documents().size() != 1) {
        if (SaveModified())
            app->CloseDocument(this);
        return;
    }
    if (IsModified()) {
        const auto answer = app->GetPrompter().Ask(
            m_view, {tr("Scriba"), tr("Save changes to %1?").arg(m_title), QMessageBox::Warning,
                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel});
        if (answer == QMessageBox::Cancel)
            return;
        if (answer == QMessageBox::Yes && !DoFileSave())
            return;
        EmptyAsUntitled();
        return;
    }
    if (m_view->HasText())
        EmptyAsUntitled();
}

void CScribaDoc::OnFileSaveAll()
{
    CScribaApp::Instance()->SaveAllModified();
}
