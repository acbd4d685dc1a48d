#include "autoindent.h"

#include "app/settings.h"
#include "editor/indentrules.h"
#include "editor/lineword.h"
#include "editor/scribaview.h"

#include <QKeyEvent>

namespace {

bool IsAsciiLetter(int ch)
{
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

} // namespace

CAutoIndent::CAutoIndent(CScribaView &view, const Settings &settings) : m_view(view), m_settings(settings) {}

bool CAutoIndent::Enabled() const
{
    return m_settings.options.autoindentation != 0;
}

bool CAutoIndent::ConvertTab(int ch)
{
    if (ch != '\t')
        return false;
    const IndentMode mode = m_settings.options.indent;
    if (!Enabled() || (mode != TWOSPACES && mode != FOURSPACES))
        return TypeTab();
    m_view.FreezeDisplay();
    m_view.SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
    // Each blank goes through the whole handling of a character, so an open list closes.
    QKeyEvent blank(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    for (int i = mode == TWOSPACES ? 2 : 4; i > 0; --i)
        m_view.HandleCharacter(&blank, ' ');
    m_view.SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
    m_view.UnfreezeDisplay();
    m_view.OnTextChanged();
    return true;
}

// A tab goes in as the character itself, as any typed character does. Scintilla's own Tab would
// rewrite the indentation when the caret is in it, and indent every line of a selection.
bool CAutoIndent::TypeTab()
{
    // Each caret of a column selection types its own tab through Scintilla's Tab, whose
    // re-indenting the view switches off.
    if (m_view.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONS) > 1)
        return false;
    m_view.RunAsCause(EditTyping, [this] { m_view.SendScintilla(QsciScintillaBase::SCI_REPLACESEL, 0UL, "\t"); });
    return true;
}

void CAutoIndent::MeasureEnter(const QKeyEvent *e)
{
    if (!Enabled() || (e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter))
        return;
    m_indentUnit = IndentUnitOf(m_settings.options.indent, m_indentUnit);
    // Only the part of the line before the caret counts; the rest moves to the new line.
    const long start = m_view.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const long line = m_view.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, start);
    const long lineStart = m_view.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
    m_indentLevel = MeasureEnterIndent(m_view.TextRange(lineStart, start), m_indentUnit, m_settings.keywords);
    if (!m_enterFrozen) {
        m_view.FreezeDisplay();
        m_enterFrozen = true;
    }
}

void CAutoIndent::EndKey()
{
    if (m_enterFrozen) {
        m_enterFrozen = false;
        m_view.UnfreezeDisplay();
    }
}

void CAutoIndent::AfterCharacter(int ch, bool listOpen)
{
    if (!Enabled() || listOpen)
        return;
    if (ch == '\r') {
        std::string indentation;
        for (int i = 0; i < m_indentLevel; ++i)
            indentation += m_indentUnit;
        if (!indentation.empty())
            m_view.RunAsCause(EditTyping, [&] {
                m_view.SendScintilla(QsciScintillaBase::SCI_REPLACESEL, 0UL, indentation.c_str());
            });
        m_justIndented = true;
        EndKey();
    }
    if (IsAsciiLetter(ch) && m_justIndented)
        Outdent();
}

void CAutoIndent::Outdent()
{
    const long start = m_view.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const long line = m_view.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, start);
    const long lineStart = m_view.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
    const long lineEnd = m_view.SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, line);
    const long unit = long(m_indentUnit.size());
    if (lineEnd - lineStart < unit)
        return;
    // Only white space before the word, and the caret at the line's end or before white space.
    WordBeforeCaret before;
    if (!m_view.GetWordBeforeCaret(' ', before) || !before.atWordEnd || !before.onlyBlanksBefore ||
        !IsOutdentKeyword(before.word, m_settings.keywords))
        return;
    // A line that does not begin with one whole step stays as it is.
    if (m_view.TextRange(lineStart, lineStart + unit) != m_indentUnit)
        return;
    m_view.FreezeDisplay();
    const long anchor = m_view.SendScintilla(QsciScintillaBase::SCI_GETANCHOR);
    const long caret = m_view.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
    m_view.SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
    m_view.RunAsCause(EditOther, [&] {
        m_view.SendScintilla(QsciScintillaBase::SCI_DELETERANGE, lineStart, unit);
    });
    m_view.SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
    m_view.SendScintilla(QsciScintillaBase::SCI_SETSEL, anchor - unit, caret - unit);
    m_justIndented = false;
    m_view.UnfreezeDisplay();
}
