#include "viewdisplay.h"

#include "editor/scribaview.h"

#include <QColor>

#include <algorithm>
#include <string>

namespace {

using Sci = QsciScintillaBase;

constexpr int kLineNumberMargin = 0;
constexpr int kFoldMargin = 1;
// Room beside the widest number, in pixels.
constexpr int kLineNumberPadding = 8;
const QColor kCurrentLineColour(0xF2, 0xF5, 0xFA);
// Finding the caret's column in pixels lays out its whole line; on a line longer than this it
// waits for the next key, by which time the first paint has laid the line out (and coloured it:
// a line of megabytes laid out uncoloured, as one style, is measured a hundred bytes at a time,
// all of them different).
constexpr qint64 kColumnAtOnceLine = 64 << 10;

int DigitsOf(qint64 number)
{
    int digits = 1;
    for (; number >= 10; number /= 10)
        ++digits;
    return digits;
}

} // namespace

CViewDisplay::CViewDisplay(CScribaView &view) : m_view(view)
{
    SetUpMargins();
    m_view.setCaretLineBackgroundColor(kCurrentLineColour);
}

long CViewDisplay::Send(unsigned int message, unsigned long wParam, long lParam) const
{
    return m_view.SendScintilla(message, wParam, lParam);
}

void CViewDisplay::SetUpMargins()
{
    Send(Sci::SCI_SETMARGINTYPEN, kLineNumberMargin, Sci::SC_MARGIN_NUMBER);
    // The fold margin with the usual boxed markers; a click folds or unfolds (QScintilla's own
    // handling), and Scintilla shows the lines a changed fold structure would hide.
    m_view.setFolding(QsciScintilla::BoxedTreeFoldStyle, kFoldMargin);
    Send(Sci::SCI_SETAUTOMATICFOLD, Sci::SC_AUTOMATICFOLD_SHOW | Sci::SC_AUTOMATICFOLD_CHANGE);
    Send(Sci::SCI_SETFOLDFLAGS, Sci::SC_FOLDFLAG_LINEAFTER_CONTRACTED);
}

void CViewDisplay::Apply(const ViewSwitches &switches)
{
    const bool zoomChanged = switches.zoom != int(Send(Sci::SCI_GETZOOM));
    m_switches = switches;
    Send(Sci::SCI_SETCARETLINEVISIBLE, switches.currentLine ? 1 : 0);
    Send(Sci::SCI_SETVIEWWS, switches.whitespace ? Sci::SCWS_VISIBLEALWAYS : Sci::SCWS_INVISIBLE);
    Send(Sci::SCI_SETVIEWEOL, switches.lineEndings ? 1 : 0);
    // Scintilla wraps the lines in view at once and the others while the program is idle.
    Send(Sci::SCI_SETWRAPMODE, switches.wordWrap ? Sci::SC_WRAP_WORD : Sci::SC_WRAP_NONE);
    if (zoomChanged)
        Send(Sci::SCI_SETZOOM, static_cast<unsigned long>(switches.zoom));
    Refresh();
}

void CViewDisplay::UpdateLineNumberWidth()
{
    if (!m_switches.lineNumbers) {
        Send(Sci::SCI_SETMARGINWIDTHN, kLineNumberMargin, 0);
        return;
    }
    const int digits = DigitsOf(Send(Sci::SCI_GETLINECOUNT));
    if (digits == m_lineDigits)
        return;
    m_lineDigits = digits;
    // Measured in the margin's own style, so the zoom counts in.
    const std::string widest(std::size_t(digits), '9');
    const long width = m_view.SendScintilla(Sci::SCI_TEXTWIDTH, Sci::STYLE_LINENUMBER, widest.c_str());
    Send(Sci::SCI_SETMARGINWIDTHN, kLineNumberMargin, width + kLineNumberPadding);
    // Up and Down keep the column Scintilla remembers in window pixels, margins included: keep it
    // on the caret's column when a zoom or other fonts change the characters' width (Scintilla
    // moves it with a margin that grows by itself).
    const qint64 caretLine = Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(Send(Sci::SCI_GETCURRENTPOS)));
    m_caretColumnDue = true;
    if (Send(Sci::SCI_LINELENGTH, static_cast<unsigned long>(caretLine)) <= kColumnAtOnceLine)
        BeforeKey();
}

void CViewDisplay::BeforeKey()
{
    // Choosing the column anew where the caret is loses nothing: whatever moved the caret since
    // the margin or the zoom changed chose it there already.
    if (!m_caretColumnDue)
        return;
    m_caretColumnDue = false;
    Send(Sci::SCI_CHOOSECARETX);
}

void CViewDisplay::OnTextChanged()
{
    UpdateLineNumberWidth();
    // Typing in a folded header (Enter at its end included) unfolds it.
    const qint64 line = Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(Send(Sci::SCI_GETCURRENTPOS)));
    const bool header = (Send(Sci::SCI_GETFOLDLEVEL, static_cast<unsigned long>(line)) & Sci::SC_FOLDLEVELHEADERFLAG) != 0;
    if (header && !Send(Sci::SCI_GETFOLDEXPANDED, static_cast<unsigned long>(line)))
        Send(Sci::SCI_FOLDLINE, static_cast<unsigned long>(line), Sci::SC_FOLDACTION_EXPAND);
    // An edit at the end of a folded block's last line may leave the caret among hidden lines.
    const qint64 caretLine = Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(Send(Sci::SCI_GETCURRENTPOS)));
    if (!Send(Sci::SCI_GETLINEVISIBLE, static_cast<unsigned long>(caretLine)))
        Send(Sci::SCI_ENSUREVISIBLE, static_cast<unsigned long>(caretLine));
}

void CViewDisplay::OnZoomed()
{
    m_switches.zoom = int(Send(Sci::SCI_GETZOOM));
    Refresh();
}

void CViewDisplay::Refresh()
{
    m_lineDigits = 0;
    UpdateLineNumberWidth();
}

void CViewDisplay::GoToLine(qint64 line)
{
    Send(Sci::SCI_ENSUREVISIBLE, static_cast<unsigned long>(line));
    Send(Sci::SCI_GOTOLINE, static_cast<unsigned long>(line));
    const qint64 shown = Send(Sci::SCI_VISIBLEFROMDOCLINE, static_cast<unsigned long>(line));
    const qint64 top = std::max<qint64>(0, shown - Send(Sci::SCI_LINESONSCREEN) / 2);
    Send(Sci::SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(top));
}

void CViewDisplay::FoldAll()
{
    m_view.FinishFolding();
    Send(Sci::SCI_FOLDALL, Sci::SC_FOLDACTION_CONTRACT);
    // The blocks around the caret stay open, so the caret stays where the user works.
    const qint64 caretLine = Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(Send(Sci::SCI_GETCURRENTPOS)));
    Send(Sci::SCI_ENSUREVISIBLE, static_cast<unsigned long>(caretLine));
    Send(Sci::SCI_SCROLLCARET);
}

void CViewDisplay::UnfoldAll()
{
    Send(Sci::SCI_FOLDALL, Sci::SC_FOLDACTION_EXPAND);
    Send(Sci::SCI_SCROLLCARET);
}

void CViewDisplay::KeepCaretInSight(qint64 headerLine)
{
    const qint64 caretLine = Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(Send(Sci::SCI_GETCURRENTPOS)));
    if (Send(Sci::SCI_GETLINEVISIBLE, static_cast<unsigned long>(caretLine)))
        return;
    Send(Sci::SCI_GOTOPOS, static_cast<unsigned long>(Send(Sci::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(headerLine))));
}
