#include "foldtracker.h"

FoldTracker::FoldTracker(std::string_view text, FoldState &state, std::vector<std::uint32_t> &levels)
    : m_b(reinterpret_cast<const unsigned char *>(text.data())), m_n(text.size()), m_result(state),
      m_levels(levels), m_depths(state)
{
    if (state.longBracket >= 0 && m_n > 0)
        Refold(0);
}

void FoldTracker::Event(std::size_t p)
{
    switch (m_b[p]) {
    case '(':
    case '{':
        m_depths.Open();
        return;
    case ')':
    case '}':
        m_depths.Close();
        return;
    case '\r':
        if (p + 1 < m_n && m_b[p + 1] == '\n')
            return; // the LF ends the line
        [[fallthrough]];
    case '\n':
        m_depths.EndLine(m_levels);
        m_lineStart = p + 1;
        return;
    default: { // "["
        std::size_t end = 0;
        if (IsLongBracketOpen(m_b, p, m_n, end))
            Refold(p);
        return;
    }
    }
}

bool FoldTracker::EscapedClose(std::size_t start, std::size_t end) const
{
    // The colouring ends a string at the next quote like its first, where Lua skips a quote
    // after a backslash; before any other byte, a backslash changes nothing here.
    return end >= start + 3 && m_b[end - 1] == m_b[start] && m_b[end - 2] == '\\';
}

bool FoldTracker::OpensLongComment(std::size_t start) const
{
    std::size_t end = 0;
    return IsLongBracketOpen(m_b, start + 2, m_n, end);
}

void FoldTracker::Refold(std::size_t p)
{
    // What comes before p in the block, on earlier lines, is taken first.
    Flush(p);
    if (p < m_resume)
        return; // an event before p folded the line again already
    m_depths.RestartLine();
    FoldState &state = m_depths.State();
    std::size_t line = m_lineStart;
    do {
        std::size_t end = line;
        while (end < m_n && m_b[end] != '\n' && m_b[end] != '\r')
            ++end;
        if (end < m_n)
            end += m_b[end] == '\r' && end + 1 < m_n && m_b[end + 1] == '\n' ? 2 : 1;
        ScanFoldLevels(std::string_view(reinterpret_cast<const char *>(m_b + line), end - line), state, m_levels);
        line = end;
    } while (state.longBracket >= 0 && line < m_n);
    m_depths = FoldDepths(state);
    m_lineStart = m_resume = line;
    m_events &= AtOrAfter(line);
}

void FoldTracker::Finish()
{
    Flush(m_n);
    if (m_lineStart < m_n)
        m_depths.EndLine(m_levels);
    m_result = m_depths.State();
}
