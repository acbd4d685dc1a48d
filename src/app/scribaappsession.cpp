// The application's session: the scripts open at a normal exit, opened again at the next start
// without script names.
#include "scribaapp.h"

#include "app/fileio.h"
#include "app/session.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "frame/mainframe.h"

#include <QFileInfo>
#include <QSet>
#include <QSettings>

namespace {

const QString kReopenSessionKey = QStringLiteral("Settings/ReopenSession");
// The most missing scripts a message names one by one.
constexpr int kMissingNamesShown = 10;
// A caret on a longer line is put back without scrolling to it: that would lay out the whole
// line, which costs seconds on a line of megabytes.
constexpr qint64 kScrolledCaretLine = 64 << 10;

} // namespace

void CScribaApp::SaveSession()
{
    Session session;
    const CScribaDoc *active = m_mainFrame->ActiveDocument();
    for (CScribaDoc *document : m_mainFrame->DocumentsInTabOrder()) {
        // Untitled scripts are the recovery's business, not the session's.
        if (!document->HasFileOnDisk() || document->GetPathName().isEmpty())
            continue;
        const CScribaView *view = document->GetView();
        const qint64 firstVisible = view->SendScintilla(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE,
                                                        view->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE));
        const qint64 caret = view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
        const qint64 lineStart = view->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE,
                                                     static_cast<unsigned long>(view->CaretLine()));
        if (document == active)
            session.active = int(session.scripts.size());
        session.scripts.append({document->GetPathName(), view->CaretLine(), caret - lineStart, firstVisible});
    }
    StoreSession(*OpenProfile(), session);
}

QStringList CScribaApp::RestoreSession()
{
    const Session session = ReadSession(*OpenProfile());
    QStringList missing;
    CScribaDoc *active = nullptr;
    // Each script is opened once, however the session names it; a set keeps that linear.
    QSet<QString> opened;
    for (int i = 0; i < session.scripts.size(); ++i) {
        const SessionScript &script = session.scripts[i];
        const QString absolute = AbsoluteFilePath(script.path);
        const FileStamp stamp = StampOf(absolute);
        if (!stamp.exists || !QFileInfo(absolute).isFile()) {
            missing.append(script.path);
            continue;
        }
        const QString identity = QStringLiteral("%1:%2").arg(stamp.device).arg(stamp.inode);
        if (opened.contains(identity))
            continue;
        opened.insert(identity);
        CScribaDoc *document = OpenSessionScript(absolute);
        if (!document)
            continue;
        PlaceSessionCaret(document->GetView(), script);
        if (i == session.active || !active)
            active = document;
    }
    if (active)
        m_mainFrame->ActivateDocument(active);
    emit documentsChanged();
    return missing;
}

CScribaDoc *CScribaApp::OpenSessionScript(const QString &absolutePath)
{
    CScribaDoc *document = CreateDocument();
    QString error;
    if (!document->OnOpenDocument(absolutePath, &error)) {
        CloseDocument(document);
        m_prompter->Ask(m_mainFrame, {tr("Scriba - Could not load file."), error, QMessageBox::Warning,
                                      QMessageBox::Ok});
        return nullptr;
    }
    document->GetView()->OnInitialUpdate();
    return document;
}

void CScribaApp::PlaceSessionCaret(CScribaView *view, const SessionScript &script)
{
    using Sci = QsciScintillaBase;
    const qint64 line = std::min(script.caretLine, view->LineCount() - 1);
    const qint64 start = view->SendScintilla(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const qint64 end = view->SendScintilla(Sci::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
    // The column in bytes, on a character's start should the line have changed meanwhile.
    qint64 caret = std::min(start + script.caretColumn, end);
    if (caret > start)
        caret = view->SendScintilla(Sci::SCI_POSITIONAFTER,
                                    view->SendScintilla(Sci::SCI_POSITIONBEFORE, static_cast<unsigned long>(caret)));
    view->SendScintilla(Sci::SCI_SETEMPTYSELECTION, static_cast<unsigned long>(std::min(caret, end)));
    if (end - start <= kScrolledCaretLine)
        view->SendScintilla(Sci::SCI_SCROLLCARET);
    const qint64 firstLine = std::min(script.firstVisibleLine, view->LineCount() - 1);
    view->SendScintilla(Sci::SCI_SETFIRSTVISIBLELINE,
                        view->SendScintilla(Sci::SCI_VISIBLEFROMDOCLINE, static_cast<unsigned long>(firstLine)));
}

void CScribaApp::ReportMissingScripts(const QStringList &missing)
{
    if (missing.isEmpty())
        return;
    QStringList names;
    for (const QString &path : missing.mid(0, kMissingNamesShown))
        names.append(QuotedPath(path));
    if (missing.size() > kMissingNamesShown)
        names.append(tr("and %n more", nullptr, int(missing.size() - kMissingNamesShown)));
    m_prompter->Ask(m_mainFrame, {tr("Scriba"),
                                  tr("These scripts of the last session no longer exist and were not opened:\n\n%1")
                                      .arg(names.join(QLatin1Char('\n'))),
                                  QMessageBox::Information, QMessageBox::Ok});
}

bool CScribaApp::ReopenSession() const
{
    return OpenProfile()->value(kReopenSessionKey, true).toBool();
}

void CScribaApp::SetReopenSession(bool on)
{
    OpenProfile()->setValue(kReopenSessionKey, on);
}
