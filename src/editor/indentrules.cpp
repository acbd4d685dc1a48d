#include "indentrules.h"

#include "editor/luascanner.h"

#include <algorithm>

namespace {

bool Contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

// The keyword stands inside the line rather than at its start: " K ", "K " after the first
// position, or " K" at the line's end. The test does not know comments or longer words, so
// "if append then" closes a block too.
bool ClosedBy(std::string_view s, const std::string &keyword)
{
    const std::string spaced = ' ' + keyword + ' ';
    const std::string_view after = std::string_view(spaced).substr(1);
    const std::size_t first = s.find(after);
    return Contains(s, spaced) || (first != std::string_view::npos && first > 0) || Contains(s, ' ' + keyword + '\r');
}

} // namespace

std::string IndentUnitOf(IndentMode mode, const std::string &previous)
{
    switch (mode) {
    case TWOSPACES:
        return "  ";
    case FOURSPACES:
        return "    ";
    case TAB:
        return "\t";
    }
    return previous;
}

bool ClosesBlock(std::string_view trimmedWithCr, const KeywordTable &keywords)
{
    for (const TableRow &row : keywords.Rows())
        if (HasAttribute(row, "outdent") && ClosedBy(trimmedWithCr, row[0]))
            return true;
    return false;
}

int MeasureEnterIndent(std::string_view beforeCaret, std::string_view unit, const KeywordTable &keywords)
{
    if (unit.empty())
        return 0;
    std::string s(beforeCaret);
    s += '\r';
    const std::size_t removed = std::min(s.find_first_not_of(unit), s.size());
    int level = int(removed / unit.size());
    const std::string_view trimmed = std::string_view(s).substr(removed);
    if (ClosesBlock(trimmed, keywords))
        return level;
    const std::string_view first = trimmed.substr(0, trimmed.find_first_of(" \r"));
    int row = -1;
    if (FindKeyword(keywords, first, row) && HasAttribute(keywords.GetAt(row), "indent"))
        ++level;
    return level;
}

bool IsOutdentKeyword(std::string_view word, const KeywordTable &keywords)
{
    int row = -1;
    return FindKeyword(keywords, word, row) && HasAttribute(keywords.GetAt(row), "outdent");
}
