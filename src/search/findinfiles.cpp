#include "findinfiles.h"

#include "app/prompter.h"
#include "doc/documenthost.h"
#include "doc/recoverystore.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "panes/resultspane.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStatusBar>
#include <QTimer>

#include <sys/stat.h>

namespace {

// How often the window takes what the search found.
constexpr int kPollMs = 50;

QString Plural(std::size_t count, const QString &one, const QString &many)
{
    return (count == 1 ? one : many).arg(count);
}

QString Shown(const std::string &bytes, std::size_t from, std::size_t length)
{
    return ResultModel::LineText(QString::fromUtf8(bytes.data() + from, qsizetype(length)));
}

} // namespace

CFindInFiles::CFindInFiles(DocumentHost &host, CResultsPane &pane, QStatusBar *statusBar, QWidget *owner)
    : QObject(owner), m_host(host), m_pane(pane), m_statusBar(statusBar), m_owner(owner), m_poll(new QTimer(this))
{
    m_ownFolder = RecoveryStore::DefaultFolder();
    m_poll->setInterval(kPollMs);
    connect(m_poll, &QTimer::timeout, this, &CFindInFiles::Poll);
    connect(&pane, &CResultsPane::stopRequested, this, [this](CResultsPane::Tab tab) {
        if (tab == CResultsPane::SearchTab)
            Stop();
    });
}

CFindInFiles::~CFindInFiles() = default;

FindInFilesQuery CFindInFiles::DefaultQuery(CScribaView *active) const
{
    FindInFilesQuery query = m_last;
    if (!m_searched) {
        query.text = g_findText;
        query.wholeWord = g_wholeWord;
        query.matchCase = g_matchCase;
    }
    if (active && active->HasSelection()) {
        const QString selected = active->selectedText();
        if (!selected.contains(QLatin1Char('\n')) && !selected.contains(QLatin1Char('\r')))
            query.text = selected;
    }
    CScribaDoc *document = active ? active->GetDocument() : nullptr;
    if (document && document->HasFileOnDisk())
        query.folder = QFileInfo(document->GetPathName()).absolutePath();
    else if (query.folder.isEmpty())
        query.folder = QDir::currentPath();
    return query;
}

void CFindInFiles::Open(CScribaView *active)
{
    CFindInFilesDialog dialog(DefaultQuery(active), [this](const QString &start) {
        return m_host.GetPrompter().FolderName(m_owner, start);
    }, m_owner);
    if (m_host.GetPrompter().RunDialog(dialog) != QDialog::Accepted)
        return;
    Start(dialog.Query());
}

std::map<FileIdentity, std::string> CFindInFiles::OpenTexts() const
{
    std::map<FileIdentity, std::string> texts;
    for (CScribaDoc *document : m_host.Documents()) {
        struct stat info {};
        if (!document->HasFileOnDisk() || stat(QFile::encodeName(document->GetPathName()).constData(), &info) != 0)
            continue;
        const QByteArray text = document->GetView()->CopyText();
        texts[FileIdentity{info.st_dev, info.st_ino}] = std::string(text.constData(), std::size_t(text.size()));
    }
    return texts;
}

void CFindInFiles::Start(const FindInFilesQuery &query)
{
    m_last = query;
    m_searched = true;
    m_listFull = false;
    ResultModel *model = m_pane.Model(CResultsPane::SearchTab);
    model->Clear();
    model->SetLimit(kMostListed + 1);
    m_pane.ShowTab(CResultsPane::SearchTab);
    FolderSearchRequest request;
    request.folder = QFile::encodeName(QDir(query.folder).absolutePath()).toStdString();
    request.patterns = FileWalker::SplitPatterns(query.patterns.toStdString());
    request.needle = query.text.toStdString();
    request.options = {query.matchCase, query.wholeWord};
    request.openTexts = OpenTexts();
    request.mostMatchesPerFile = kMostListed;
    request.hiddenFolders = query.hiddenFolders;
    request.excludedFolders = {QFile::encodeName(m_ownFolder).toStdString()};
    m_worker.Start(std::move(request));
    m_pane.SetStoppable(CResultsPane::SearchTab, true);
    m_poll->start();
    Poll();
}

void CFindInFiles::SetOwnFolder(const QString &folder)
{
    m_ownFolder = folder;
}

void CFindInFiles::Stop()
{
    m_worker.Stop();
}

void CFindInFiles::Poll()
{
    const bool finished = m_worker.Finished(); // before the take: nothing comes after it then
    for (const FileMatches &file : m_worker.TakeFound())
        List(file);
    if (finished) {
        Finish();
        return;
    }
    const QString progress = tr("Searching for \"%1\": %2").arg(m_last.text,
        Plural(m_worker.FilesSearched(), tr("%1 file searched"), tr("%1 files searched")));
    m_pane.SetStatus(CResultsPane::SearchTab, progress);
    if (m_statusBar)
        m_statusBar->showMessage(progress);
}

void CFindInFiles::List(const FileMatches &file)
{
    ResultModel *model = m_pane.Model(CResultsPane::SearchTab);
    if (m_listFull)
        return;
    const QString path = QFile::decodeName(QByteArray::fromStdString(file.path));
    const QString shownPath = QDir(m_last.folder).relativeFilePath(path);
    std::vector<ResultEntry> entries;
    entries.reserve(file.matches.size());
    for (const LineMatch &match : file.matches) {
        if (model->rowCount() + int(entries.size()) >= kMostListed) {
            m_listFull = true;
            break;
        }
        ResultEntry entry;
        entry.path = path;
        entry.line = match.line;
        entry.column = match.column;
        const QString before = QStringLiteral("%1:%2: ").arg(shownPath).arg(match.line) + Shown(match.text, 0, match.start);
        const QString matched = Shown(match.text, match.start, match.length);
        const std::size_t afterStart = std::min(match.text.size(), match.start + match.length);
        entry.text = before + matched + Shown(match.text, afterStart, match.text.size() - afterStart);
        entry.boldStart = int(before.size());
        entry.boldLength = int(matched.size());
        entry.message = QString::fromStdString(match.text);
        entries.push_back(std::move(entry));
    }
    model->Append(std::move(entries));
}

void CFindInFiles::Finish()
{
    m_poll->stop();
    const FolderSearchSummary summary = m_worker.Summary();
    ResultEntry entry;
    entry.text = SummaryText(summary);
    entry.kind = summary.folderUnreadable ? ResultKind::Error : ResultKind::Note;
    m_pane.Model(CResultsPane::SearchTab)->Append({entry});
    m_pane.SetStatus(CResultsPane::SearchTab, entry.text);
    m_pane.SetStoppable(CResultsPane::SearchTab, false);
    if (m_statusBar)
        m_statusBar->clearMessage();
}

QString CFindInFiles::SummaryText(const FolderSearchSummary &summary) const
{
    if (summary.folderUnreadable)
        return tr("The folder %1 cannot be read.").arg(QDir::toNativeSeparators(m_last.folder));
    QString text = Plural(summary.matches, tr("%1 match"), tr("%1 matches")) + QLatin1Char(' ')
                   + Plural(summary.filesWithMatches, tr("in %1 file"), tr("in %1 files"));
    if (summary.filesCut > 0)
        text = tr("More than ") + text
               + Plural(summary.filesCut, tr(" (%1 file has more than %2 matches: only its first %2 are listed)"),
                        tr(" (%1 files have more than %2 matches: only the first %2 of each are listed)"))
                     .arg(kMostListed);
    else if (m_listFull)
        text += tr(" (the first %1 listed)").arg(kMostListed);
    QStringList skipped;
    if (summary.binary)
        skipped.append(tr("%1 binary").arg(summary.binary));
    if (summary.tooLarge)
        skipped.append(tr("%1 over 2 GB").arg(summary.tooLarge));
    if (summary.unreadable)
        skipped.append(tr("%1 unreadable").arg(summary.unreadable));
    if (summary.hiddenFolders)
        skipped.append(Plural(summary.hiddenFolders, tr("%1 hidden folder"), tr("%1 hidden folders")));
    if (summary.loops)
        skipped.append(Plural(summary.loops, tr("%1 link back into the search"), tr("%1 links back into the search")));
    if (!skipped.isEmpty())
        text += tr("; skipped %1").arg(skipped.join(QStringLiteral(", ")));
    if (summary.stopped)
        text += tr("; stopped after %1").arg(Plural(summary.filesSearched, tr("%1 file"), tr("%1 files")));
    return text;
}
