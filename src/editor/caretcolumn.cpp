#include "caretcolumn.h"

#include <Qsci/qsciscintillabase.h>

#include <cstdlib>
#include <cstring>

using Sci = QsciScintillaBase;

qint64 CCaretColumn::Send(unsigned int message, unsigned long wParam, long lParam) const
{
    return m_editor.SendScintilla(message, wParam, lParam);
}

QString CCaretColumn::PositionText(std::uint64_t textVersion) const
{
    const qint64 line = Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(Send(Sci::SCI_GETSELECTIONSTART)));
    const qint64 start = Send(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const qint64 end = Send(Sci::SCI_GETSELECTIONEND);
    // Counting takes time in proportion to the stretch counted: while the text and the
    // stretch's start stay, a moved end is counted from the last one.
    Count &count = m_count;
    if (start != count.start || end != count.end || textVersion != count.version) {
        const bool fromLastEnd = start == count.start && textVersion == count.version &&
                                 std::abs(end - count.end) < end - start;
        const qint64 characters = fromLastEnd ? count.characters + SignedCharactersBetween(count.end, end)
                                              : CharactersBetween(start, end);
        count = {start, end, textVersion, characters};
    }
    return QStringLiteral("Ln %1, Col %2").arg(line + 1).arg(end > start ? count.characters + 1 : 1);
}

void CCaretColumn::KeepThrough(qint64 position, qint64 length, bool inserting, std::uint64_t textVersion)
{
    // The count of [start, end) holds through an edit after it, and follows one that takes off
    // its own tail (a Backspace at the caret); any other edit counts afresh.
    Count &count = m_count;
    if (count.version + 1 != textVersion)
        return;
    if (!inserting && position >= count.start && position < count.end && position + length == count.end) {
        count.characters -= CharactersBetween(position, count.end);
        count.end = position;
    } else if (position < count.end) {
        return;
    }
    count.version = textVersion;
}

qint64 CCaretColumn::SignedCharactersBetween(qint64 from, qint64 to) const
{
    return from <= to ? CharactersBetween(from, to) : -CharactersBetween(to, from);
}

qint64 CCaretColumn::CharactersBetween(qint64 start, qint64 end) const
{
    // A line break is one character, CR LF included.
    if (end <= start)
        return 0; // an empty document has no text to point at
    const qint64 characters = Send(Sci::SCI_COUNTCHARACTERS, static_cast<unsigned long>(start), static_cast<long>(end));
    const auto *text = reinterpret_cast<const char *>(
        Send(Sci::SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), static_cast<long>(end - start)));
    const char *const stop = text + (end - start);
    qint64 crlf = 0;
    for (const char *p = text; (p = static_cast<const char *>(std::memchr(p, '\r', std::size_t(stop - p))));) {
        if (++p < stop && *p == '\n')
            ++crlf;
    }
    return characters - crlf;
}
