#include "scribadoc.h"

#include "app/fileio.h"
#include "app/prompter.h"
#include "app/regularfilereader.h"
#include "doc/documenthost.h"
#include "doc/untitlednames.h"
#include "editor/scribaview.h"

#include <QDir>

#include <limits>
#include <new>

int g_untitledCount = 0;

namespace {

constexpr qint64 kReadChunk = 1 << 20;

QString TooLargeMessage(const QString &path)
{
    return CScribaDoc::tr("%1 is too large to open.\n\nScripts of up to 2 GB can be opened.").arg(QuotedPath(path));
}

QString OpenFailureMessage(const QString &path, const QString &cause)
{
    QString text = CScribaDoc::tr("Could not open %1.\n\n%2.").arg(QuotedPath(path), cause);
    // The toolkit's file dialog turns bytes that are not UTF-8 into U+FFFD, and the name it
    // returns then names no file.
    if (path.contains(QChar::ReplacementCharacter) && !StampOf(path).exists)
        text += CScribaDoc::tr("\n\nIf the file's name holds characters that are not valid UTF-8, the file "
                               "dialog cannot open it: give its name on the command line instead.");
    return text;
}

} // namespace

CScribaDoc::CScribaDoc(DocumentHost &host, QObject *parent) : QObject(parent), m_host(host) {}

CScribaDoc::~CScribaDoc() = default;

void CScribaDoc::SetView(CScribaView *view)
{
    m_view = view;
    connect(view, &CScribaView::modifiedChanged, this, [this] { emit modifiedChanged(IsModified()); });
}

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
    m_diskStamp = FileStamp();
    SetMarkedModified(false);
    return true;
}

bool CScribaDoc::LoadFile(const QString &path, QString *error)
{
    RegularFileReader file(path);
    if (!file.Open()) {
        *error = OpenFailureMessage(path, file.ErrorString());
        return false;
    }
    if (file.Size() > kLargestScriptSize) {
        *error = TooLargeMessage(path);
        return false;
    }
    bool failed = false;
    bool tooLarge = false;
    try {
        // Read in pieces straight into the control's buffer, allocated once: no second copy.
        m_view->BeginLoad(file.Size());
        QByteArray chunk(kReadChunk, Qt::Uninitialized);
        for (qint64 total = 0;;) {
            const qint64 got = file.Read(chunk.data(), kReadChunk);
            failed = got < 0;
            total += std::max<qint64>(got, 0);
            tooLarge = total > kLargestScriptSize;
            if (got <= 0 || tooLarge)
                break;
            m_view->AppendBytes(chunk.constData(), got);
        }
        m_view->EndLoad();
        tooLarge = tooLarge || m_view->TakeAllocationFailure();
    } catch (const std::bad_alloc &) {
        tooLarge = true;
    }
    if (failed || tooLarge) {
        *error = tooLarge ? TooLargeMessage(path)
                          : tr("Could not read %1.\n\n%2.").arg(QuotedPath(path), file.ErrorString());
        m_view->EndLoad();
        m_view->ClearText();
        return false;
    }
    m_diskStamp = file.Stamp();
    return true;
}

bool CScribaDoc::OnOpenDocument(const QString &path, QString *error)
{
    if (!LoadFile(path, error))
        return false;
    m_pathName = AbsoluteFilePath(path);
    m_onDisk = true;
    SetMarkedModified(false);
    SetTitle(FileNameOf(path));
    return true;
}

void CScribaDoc::OnRecoverDocument(const QString &path, const QString &title, const QByteArray &text)
{
    QString error;
    if (path.isEmpty()) {
        SetTitle(title);
        OnNewDocument();
    } else if (!OnOpenDocument(path, &error)) {
        // The file is gone or unreadable: saving writes it again.
        m_view->ClearText();
        m_pathName = AbsoluteFilePath(path);
        m_onDisk = true;
        m_diskStamp = StampOf(path);
        SetTitle(FileNameOf(path));
    }
    m_view->ReplaceAllText(text);
}

bool CScribaDoc::OnSaveDocument(const QString &path, QString *error, bool overwriteReadOnly)
{
    QString cause;
    if (!WriteWholeFile(path, m_view->TextPointer(), m_view->TextLength(), &cause, {overwriteReadOnly})) {
        *error = tr("Could not save %1.\n\n%2.").arg(QuotedPath(path), cause);
        return false;
    }
    m_view->SetSavePoint();
    m_diskStamp = StampOf(path);
    SetMarkedModified(false);
    return true;
}

bool CScribaDoc::IsModified() const
{
    return m_view && (m_view->IsModified() || m_markedModified);
}

void CScribaDoc::SetModifiedFlag(bool modified)
{
    // Scintilla knows when the text differs from the save point; a document whose text is
    // unchanged is marked modified on top of that.
    if (!modified)
        m_view->SetSavePoint();
    SetMarkedModified(modified);
}

void CScribaDoc::SetMarkedModified(bool marked)
{
    if (marked == m_markedModified)
        return;
    m_markedModified = marked;
    emit modifiedChanged(IsModified());
}

bool CScribaDoc::FileChangedOnDisk() const
{
    if (!m_onDisk)
        return false;
    const FileStamp now = StampOf(m_pathName);
    // Each version another program wrote is asked about once.
    return now != m_diskStamp && (!now.exists || now != m_askedStamp);
}

void CScribaDoc::CheckFileOnDisk()
{
    if (!FileChangedOnDisk())
        return;
    const FileStamp now = StampOf(m_pathName);
    Prompter &prompter = m_host.GetPrompter();
    if (!now.exists) {
        m_diskStamp = now; // said once
        SetMarkedModified(true);
        prompter.Ask(m_view->window(),
                     {tr("Scriba"),
                      tr("%1 was deleted by another program.\n\nThe script stays open and is marked as "
                         "modified: save it to write the file again.")
                          .arg(QuotedPath(m_pathName)),
                      QMessageBox::Warning, QMessageBox::Ok});
        return;
    }
    // The stored state of the file changes only with a reload that succeeded: until then the
    // next Save asks before it replaces the other program's version.
    m_askedStamp = now;
    const QString question =
        IsModified() ? tr("%1 was changed by another program, and this script has changes that are not saved.\n\n"
                          "Reload it? Your changes are replaced by the file's text (Undo brings them back). "
                          "No keeps your text; the next Save asks before it replaces the other program's version.")
                     : tr("%1 was changed by another program. Reload it?");
    const auto answer = prompter.Ask(m_view->window(), {tr("Scriba"), question.arg(QuotedPath(m_pathName)),
                                                        QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No});
    if (answer != QMessageBox::Yes)
        return;
    QString error;
    if (!Reload(&error))
        prompter.Ask(m_view->window(), {tr("Scriba - Could not load file."), error, QMessageBox::Warning, QMessageBox::Ok});
}

bool CScribaDoc::Reload(QString *error)
{
    // Read whole before anything is replaced: a reload that fails leaves the text as it was.
    RegularFileReader file(m_pathName);
    QByteArray bytes;
    try {
        if (!file.Open()) {
            *error = OpenFailureMessage(m_pathName, file.ErrorString());
            return false;
        }
        if (file.Size() > kLargestScriptSize) {
            *error = TooLargeMessage(m_pathName);
            return false;
        }
        if (!file.ReadAll(bytes)) {
            *error = tr("Could not read %1.\n\n%2.").arg(QuotedPath(m_pathName), file.ErrorString());
            return false;
        }
    } catch (const std::bad_alloc &) {
        *error = TooLargeMessage(m_pathName);
        return false;
    }
    // One change that Undo takes back, whether the text held unsaved changes or not.
    m_view->ReplaceAllText(bytes);
    m_view->SetSavePoint();
    m_diskStamp = file.Stamp();
    SetMarkedModified(false);
    m_view->OnInitialUpdate();
    return true;
}

bool CScribaDoc::ConfirmOverwrite(const QString &path, bool *overwriteReadOnly)
{
    Prompter &prompter = m_host.GetPrompter();
    auto agreed = [&](const QString &text) {
        return prompter.Ask(m_view->window(), {tr("Scriba"), text, QMessageBox::Warning,
                                               QMessageBox::Yes | QMessageBox::No}) == QMessageBox::Yes;
    };
    const FileStamp now = StampOf(path);
    const bool ownFile = m_onDisk && AbsoluteFilePath(path) == m_pathName;
    if (ownFile && now.exists && now != m_diskStamp &&
        !agreed(tr("%1 was changed by another program since Scriba last loaded or saved it.\n\n"
                   "Save anyway, replacing the other program's version?")
                    .arg(QuotedPath(path))))
        return false;
    *overwriteReadOnly = IsReadOnlyFile(path);
    return !*overwriteReadOnly || agreed(tr("%1 is read-only. Save anyway?").arg(QuotedPath(path)));
}

bool CScribaDoc::DoFileSave()
{
    return DoSave(m_onDisk ? m_pathName : QString());
}

bool CScribaDoc::DoSave(const QString &path)
{
    QString target = path;
    if (target.isEmpty()) {
        target = m_host.GetPrompter().SaveFileName(m_view->window(), ProposedSavePath(), ScriptFileFilter(),
                                                 QStringLiteral("lua"));
        if (target.isEmpty())
            return false;
        m_host.RememberFolder(target);
    }
    // Two tabs on one file would each hold a version of it, and the one not saved last would
    // show text that is no longer on disk.
    if (m_host.FindDocumentOfFile(target, this)) {
        m_host.GetPrompter().Ask(m_view->window(),
                               {tr("Scriba - Error!"),
                                tr("%1 is open in another tab.\n\nClose it there first, or save under another name.")
                                    .arg(QuotedPath(AbsoluteFilePath(target))),
                                QMessageBox::Warning, QMessageBox::Ok});
        return false;
    }
    bool overwriteReadOnly = false;
    if (!ConfirmOverwrite(target, &overwriteReadOnly))
        return false;
    QString error;
    if (!OnSaveDocument(target, &error, overwriteReadOnly)) {
        m_host.GetPrompter().Ask(m_view->window(), {tr("Scriba - Error!"), error, QMessageBox::Warning,
                                                  QMessageBox::Ok});
        return false;
    }
    const bool renamed = AbsoluteFilePath(target) != m_pathName || !m_onDisk;
    m_pathName = AbsoluteFilePath(target);
    m_onDisk = true;
    if (renamed) {
        SetTitle(FileNameOf(target));
        m_host.AddToRecentFileList(m_pathName);
    }
    return true;
}

QString CScribaDoc::ProposedSavePath() const
{
    // A file of its own is proposed as it is; a new document's name in the folder the dialogs use.
    if (m_onDisk)
        return m_pathName;
    return QDir(m_host.DialogFolder()).filePath(m_title);
}

QString CScribaDoc::FileNameForPrompt() const
{
    const QString name = FileNameOf(m_pathName);
    return name.isEmpty() ? m_title : name;
}

bool CScribaDoc::SaveModified()
{
    if (!IsModified())
        return true;
    const auto answer = m_host.GetPrompter().Ask(
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
    m_diskStamp = FileStamp();
    SetMarkedModified(false);
}

void CScribaDoc::OnFileClose()
{
    if (m_host.Documents().size() != 1) {
        if (SaveModified())
            m_host.CloseDocument(this);
        return;
    }
    if (IsModified()) {
        const auto answer = m_host.GetPrompter().Ask(
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
    m_host.SaveAllModified();
}
