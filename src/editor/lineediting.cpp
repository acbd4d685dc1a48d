#include "lineediting.h"

#include "editor/scribaview.h"

#include <algorithm>

namespace {

using Sci = QsciScintillaBase;

// Blanks per tab, as the view shows them.
constexpr std::size_t kTabWidth = 8;

} // namespace

CLineEditing::CLineEditing(CScribaView &view) : m_view(view)
{
}

long CLineEditing::Send(unsigned int message, unsigned long wParam, long lParam) const
{
    return m_view.SendScintilla(message, wParam, lParam);
}

qint64 CLineEditing::LineStart(qint64 line) const
{
    return Send(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
}

void CLineEditing::ToggleComment()
{
    EditTouchedLines(ToggleCommentEdits);
}

void CLineEditing::Indent(const std::string &unit)
{
    EditTouchedLines([&unit](const std::vector<std::string_view> &lines) { return IndentEdits(lines, unit); });
}

void CLineEditing::Unindent(const std::string &unit)
{
    EditTouchedLines([&unit](const std::vector<std::string_view> &lines) {
        return UnindentEdits(lines, unit, kTabWidth);
    });
}

qint64 CLineEditing::ColumnAfter(const std::vector<LineEdit> &edits, std::size_t line, qint64 column,
                                 bool keepAtInsertion)
{
    for (const LineEdit &edit : edits) {
        if (edit.line != line)
            continue;
        const auto at = qint64(edit.column);
        if (column > at + qint64(edit.removed))
            column -= qint64(edit.removed);
        else if (column > at)
            column = at;
        if (column > at || (column == at && !keepAtInsertion))
            column += qint64(edit.inserted.size());
    }
    return column;
}

void CLineEditing::EditTouchedLines(const Rules &rules)
{
    const qint64 anchor = Send(Sci::SCI_GETANCHOR);
    const qint64 caret = Send(Sci::SCI_GETCURRENTPOS);
    const qint64 start = std::min(anchor, caret);
    const qint64 end = std::max(anchor, caret);
    const auto lineOf = [this](qint64 position) {
        return Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
    };
    const TouchedLines touched = LinesTouched(std::size_t(lineOf(start)), std::size_t(lineOf(end)),
                                              end == LineStart(lineOf(end)));
    std::vector<std::string> texts;
    for (std::size_t line = touched.first; line <= touched.last; ++line) {
        const qint64 from = LineStart(qint64(line));
        const qint64 to = Send(Sci::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
        texts.emplace_back(m_view.TextRange(from, to));
    }
    const std::vector<std::string_view> lines(texts.begin(), texts.end());
    const std::vector<LineEdit> edits = rules(lines);
    if (edits.empty())
        return;
    // Where the selection's ends go, as line and column: an end at an insertion point stays
    // before it when it is the start of a selection, so the selection keeps whole lines.
    auto moved = [&](qint64 position, bool isStart) {
        const qint64 line = lineOf(position);
        const qint64 column = position - LineStart(line);
        const bool inside = line >= qint64(touched.first) && line <= qint64(touched.last);
        return std::pair(line, inside ? ColumnAfter(edits, std::size_t(line) - touched.first, column, isStart && anchor != caret)
                                      : column);
    };
    const auto [anchorLine, anchorColumn] = moved(anchor, anchor <= caret);
    const auto [caretLine, caretColumn] = moved(caret, caret < anchor);

    Send(Sci::SCI_BEGINUNDOACTION);
    for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit) {
        const qint64 at = LineStart(qint64(touched.first + edit->line)) + qint64(edit->column);
        Send(Sci::SCI_SETTARGETRANGE, static_cast<unsigned long>(at), static_cast<long>(at + qint64(edit->removed)));
        m_view.SendScintilla(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(edit->inserted.size()), edit->inserted.c_str());
    }
    Send(Sci::SCI_ENDUNDOACTION);

    // The edits change no line count, so each end is found again by its line.
    Send(Sci::SCI_SETSEL, static_cast<unsigned long>(LineStart(anchorLine) + anchorColumn),
         static_cast<long>(LineStart(caretLine) + caretColumn));
}
