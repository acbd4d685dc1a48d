// The editor view's find and replace: the dialog it owns, Find Next with its end-of-file
// question, Replace, and Replace All as one undoable change.
#include "scribaview.h"

#include "app/prompter.h"
#include "doc/documenthost.h"
#include "editor/findreplacedialog.h"
#include "editor/textsearch.h"

#include <algorithm>

QString g_findText;
QString g_replaceText;
bool g_matchCase = false;
bool g_wholeWord = false;

namespace {

TextSearch CurrentSearch()
{
    return TextSearch(g_findText.toStdString(), {g_matchCase, g_wholeWord});
}

// The occurrences within [from, to), read with one byte on either side for the whole-word test.
std::vector<std::size_t> FindAllIn(const CScribaView &view, const TextSearch &search, qint64 from, qint64 to)
{
    const qint64 lo = std::max<qint64>(0, from - 1);
    const qint64 hi = std::min(view.TextLength(), to + 1);
    std::vector<std::size_t> found = search.FindAll(view.TextRange(lo, hi), std::size_t(from - lo), std::size_t(to - lo));
    for (std::size_t &at : found)
        at += std::size_t(lo);
    return found;
}

qint64 FindIn(const CScribaView &view, const TextSearch &search, qint64 from, qint64 to)
{
    const qint64 lo = std::max<qint64>(0, from - 1);
    const qint64 hi = std::min(view.TextLength(), to + 1);
    const std::size_t at = search.Find(view.TextRange(lo, hi), std::size_t(from - lo), std::size_t(to - lo));
    return at == TextSearch::npos ? -1 : lo + qint64(at);
}

// The wrapped search covers the occurrences that start before where the first one began, so
// one that straddles that point is found too.
qint64 WrappedEnd(const CScribaView &view, const TextSearch &search, qint64 start)
{
    return std::min(view.TextLength(), start + qint64(search.Length()) - 1);
}

void Select(CScribaView &view, qint64 from, qint64 to)
{
    // The caret jumps, as with a click in the text.
    view.LeaveAidsBehind();
    view.SendScintilla(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(from), static_cast<long>(to));
}

// The selected text, read into room for all of it: a rectangular selection's text holds a line
// end for every row, which can be more than the stretch between its ends, the room that
// QsciScintilla::selectedText gives it.
QString SelectedText(const CScribaView &view)
{
    const long size = view.SendScintilla(QsciScintillaBase::SCI_GETSELTEXT, 0UL, static_cast<void *>(nullptr));
    QByteArray text(qsizetype(size) + 1, '\0');
    view.SendScintilla(QsciScintillaBase::SCI_GETSELTEXT, 0UL, static_cast<void *>(text.data()));
    return QString::fromUtf8(text.constData());
}

bool AskContinueFromStart(CScribaView *view)
{
    const Prompt prompt{CScribaView::tr("Scriba - Find"),
                        CScribaView::tr("Reached the end of file.\nContinue from start?"), QMessageBox::Warning,
                        QMessageBox::Yes | QMessageBox::No};
    return view->Host().GetPrompter().Ask(view, prompt) == QMessageBox::Yes;
}

void Tell(CScribaView *view, const QString &text, QMessageBox::Icon icon)
{
    view->Host().GetPrompter().Ask(view, {CScribaView::tr("Scriba"), text, icon, QMessageBox::Ok});
}

} // namespace

void CScribaView::OnEditFind()
{
    OpenFindDialog(true);
}

void CScribaView::OnEditReplace()
{
    OpenFindDialog(false);
}

void CScribaView::OnEditRepeat()
{
    // Find Next only ever finds, with the dialog's texts and options when one is open, whichever
    // of its buttons was pressed last: a repeated Replace All would change the text at each F3.
    OnFindReplace(FR_FINDNEXT);
}

bool CScribaView::CanFindNext() const
{
    // With a dialog open, Find Next searches for what its field holds.
    const QString &search = m_findDialog ? m_findDialog->GetFindString() : g_findText;
    return !search.isEmpty() && HasText();
}

CFindReplaceDialog *CScribaView::FindDialog() const
{
    return m_findDialog;
}

void CScribaView::OpenFindDialog(bool findOnly)
{
    // One dialog per view, of whichever kind was opened first.
    if (m_findDialog) {
        m_findDialog->TakeFocus();
        return;
    }
    if (HasSelection())
        g_findText = SelectedText(*this);
    const std::uint32_t flags =
        FR_HIDEUPDOWN | FR_NOUPDOWN | (g_matchCase ? FR_MATCHCASE : 0u) | (g_wholeWord ? FR_WHOLEWORD : 0u);
    m_findDialog = new CFindReplaceDialog(findOnly, g_findText, g_replaceText, flags, this);
    connect(m_findDialog, &CFindReplaceDialog::reported, this, [this] { OnFindReplace(0); });
    // Beside the text's top-right corner, clear of the scroll bar.
    m_findDialog->ShowAt(viewport()->mapToGlobal(viewport()->rect().topRight()) + QPoint(-16, 16));
}

void CScribaView::CloseFindDialog()
{
    if (!m_findDialog)
        return;
    // What was typed stays for the next dialog and for Find Next, as when the user closes it.
    AdoptDialogState();
    m_findDialog->hide();
    m_findDialog->deleteLater();
    m_findDialog = nullptr;
}

CScribaView::CharRange CScribaView::Selection() const
{
    return {SendScintilla(SCI_GETSELECTIONSTART), SendScintilla(SCI_GETSELECTIONEND)};
}

int CScribaView::OnFindReplace(std::uint32_t flags)
{
    const CharRange r = Selection();
    if (!m_findDialog) {
        CharRange found = r;
        if (flags == FR_FINDNEXT && FindNext(found) == FindOutcome::Found)
            Select(*this, found.cpMin, found.cpMax);
        return 0;
    }
    AdoptDialogState();
    const std::uint32_t dialogFlags = m_findDialog->Flags();
    if (dialogFlags & FR_DIALOGTERM)
        m_findDialog = nullptr;
    else if (g_findText.isEmpty())
        return 0; // nothing to search for
    else if (flags == FR_FINDNEXT)
        FindNextFromDialog(r); // the Find Next command
    else if (dialogFlags & FR_REPLACEALL)
        ReplaceAll(r);
    else if (dialogFlags & FR_REPLACE)
        ReplaceSelection(r);
    else
        FindNextFromDialog(r); // Find Next, also before any button was pressed
    return 0;
}

void CScribaView::AdoptDialogState()
{
    g_findText = m_findDialog->GetFindString();
    g_replaceText = m_findDialog->GetReplaceString();
    g_matchCase = m_findDialog->Flags() & FR_MATCHCASE;
    g_wholeWord = m_findDialog->Flags() & FR_WHOLEWORD;
}

CScribaView::FindOutcome CScribaView::FindNext(CharRange &r)
{
    const TextSearch search = CurrentSearch();
    if (search.Length() == 0)
        return FindOutcome::Declined;
    qint64 found = FindIn(*this, search, r.cpMax, TextLength());
    if (found < 0) {
        const bool fromStart = AskContinueFromStart(this);
        if (fromStart)
            found = FindIn(*this, search, 0, WrappedEnd(*this, search, r.cpMax));
        if (m_findDialog)
            m_findDialog->TakeFocus();
        if (found < 0)
            return fromStart ? FindOutcome::NotFound : FindOutcome::Declined;
    }
    r = {found, found + qint64(search.Length())};
    SendScintilla(SCI_SCROLLRANGE, static_cast<unsigned long>(r.cpMax), static_cast<long>(r.cpMin));
    KeepFindDialogOff(r);
    return FindOutcome::Found;
}

void CScribaView::FindNextFromDialog(CharRange r)
{
    switch (FindNext(r)) {
    case FindOutcome::Found:
        Select(*this, r.cpMin, r.cpMax);
        break;
    case FindOutcome::NotFound:
        // Only when the whole text was searched: after No, the text may well be before the caret.
        Tell(this, tr("Scriba cannot find \"%1\".").arg(g_findText), QMessageBox::Warning);
        if (m_findDialog)
            m_findDialog->TakeFocus();
        break;
    case FindOutcome::Declined:
        break;
    }
}

void CScribaView::ReplaceSelection(const CharRange &r)
{
    const std::string replacement = g_replaceText.toStdString();
    if (!SameSearchText(TextRange(r.cpMin, r.cpMax), g_findText.toStdString(), g_matchCase))
        return;
    RunAsCause(EditOther, [&] {
        SendScintilla(SCI_TARGETFROMSELECTION);
        SendScintilla(SCI_REPLACETARGET, static_cast<unsigned long>(replacement.size()), replacement.data());
    });
    Select(*this, r.cpMin, r.cpMin + qint64(replacement.size()));
}

// Replaces the occurrences from the selection's end to the end of the text, then asks whether to
// go on from the start and, if the user wants, replaces those before it too, the way Find Next
// would meet them. Text that was put in is never searched again, so a replacement that holds the
// search text cannot make the loop go on forever. Both stretches are one undo step.
void CScribaView::ReplaceAll(const CharRange &r)
{
    const TextSearch search = CurrentSearch();
    const std::string replacement = g_replaceText.toStdString();
    const std::vector<std::size_t> after = FindAllIn(*this, search, r.cpMax, TextLength());
    SendScintilla(SCI_BEGINUNDOACTION);
    // The caret ends after the last occurrence replaced, in the order they were met.
    if (!after.empty())
        ReplaceOccurrences(after, search.Length(), replacement, after.size() - 1);
    std::size_t replaced = after.size();
    if (AskContinueFromStart(this)) {
        // Before the caret, up to the first occurrence already replaced, which did not move.
        const qint64 limit = std::min(after.empty() ? TextLength() : qint64(after.front()), TextLength());
        const std::vector<std::size_t> before =
            FindAllIn(*this, search, 0, std::min(limit, WrappedEnd(*this, search, r.cpMax)));
        if (!before.empty())
            ReplaceOccurrences(before, search.Length(), replacement, before.size() - 1);
        replaced += before.size();
    }
    SendScintilla(SCI_ENDUNDOACTION);
    Tell(this, tr("Replaced %1 occurrence(s) of '%2' with '%3'.").arg(replaced).arg(g_findText, g_replaceText),
         QMessageBox::Information);
    if (m_findDialog)
        m_findDialog->TakeFocus();
}

// One change for all occurrences: the stretch from the first to the end of the last is rebuilt
// once and handed to Scintilla as one undo step, with the display frozen, and its lines are
// recoloured from the change's announcement.
void CScribaView::ReplaceOccurrences(const std::vector<std::size_t> &positions, std::size_t length,
                                     const std::string &replacement, std::size_t lastReplaced)
{
    const qint64 start = qint64(positions.front());
    const qint64 end = qint64(positions.back() + length);
    const std::string rebuilt = BuildReplaced(TextRange(start, end), std::size_t(start), positions, length, replacement);
    const qint64 growth = qint64(replacement.size()) - qint64(length);
    const qint64 caret = qint64(positions[lastReplaced]) + qint64(lastReplaced) * growth + qint64(replacement.size());
    LeaveAidsBehind();
    FreezeDisplay();
    RunAsCause(EditOther, [&] {
        SendScintilla(SCI_BEGINUNDOACTION);
        SendScintilla(SCI_SETTARGETRANGE, static_cast<unsigned long>(start), static_cast<long>(end));
        SendScintilla(SCI_REPLACETARGET, static_cast<unsigned long>(rebuilt.size()), rebuilt.data());
        SendScintilla(SCI_ENDUNDOACTION);
        // Scrolled there before the colouring, which colours the lines in view first.
        SendScintilla(SCI_GOTOPOS, static_cast<unsigned long>(caret));
    });
    UnfreezeDisplay();
}

// Moves the dialog just below the occurrence, or just above it near the bottom of the view,
// when it would cover it.
void CScribaView::KeepFindDialogOff(const CharRange &r)
{
    if (!m_findDialog)
        return;
    auto pointOf = [this](qint64 position) {
        return QPoint(int(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, static_cast<long>(position))),
                      int(SendScintilla(SCI_POINTYFROMPOSITION, 0UL, static_cast<long>(position))));
    };
    const QPoint first = pointOf(r.cpMin);
    const QPoint last = pointOf(r.cpMax);
    const int lineHeight = int(SendScintilla(SCI_TEXTHEIGHT, static_cast<unsigned long>(LineOf(r.cpMin))));
    // An occurrence over several lines takes their whole width.
    const bool oneLine = first.y() == last.y();
    QRect occurrence(QPoint(oneLine ? first.x() : 0, first.y() - lineHeight / 4),
                     QPoint(oneLine ? last.x() : viewport()->width(), last.y() + lineHeight + lineHeight / 4));
    occurrence.moveTopLeft(viewport()->mapToGlobal(occurrence.topLeft()));
    QRect frame = m_findDialog->frameGeometry();
    if (!frame.intersects(occurrence))
        return;
    const int viewBottom = viewport()->mapToGlobal(viewport()->rect().bottomLeft()).y();
    if (occurrence.bottom() + frame.height() <= viewBottom)
        frame.moveTop(occurrence.bottom() + 1);
    else
        frame.moveBottom(occurrence.top() - 1);
    m_findDialog->move(frame.topLeft());
}
