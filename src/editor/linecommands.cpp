#include "linecommands.h"

#include <algorithm>

namespace {

std::size_t IndentationOf(std::string_view line)
{
    const std::size_t end = line.find_first_not_of(" \t");
    return end == std::string_view::npos ? line.size() : end;
}

bool IsBlank(std::string_view line)
{
    return IndentationOf(line) == line.size();
}

bool IsCommented(std::string_view line)
{
    return line.substr(IndentationOf(line)).starts_with("--");
}

} // namespace

TouchedLines LinesTouched(std::size_t startLine, std::size_t endLine, bool endsAtLineStart)
{
    if (endLine > startLine && endsAtLineStart)
        --endLine;
    return {startLine, endLine};
}

std::vector<LineEdit> ToggleCommentEdits(const std::vector<std::string_view> &lines)
{
    std::vector<LineEdit> edits;
    bool allCommented = true;
    bool anyText = false;
    std::size_t column = std::string_view::npos;
    for (std::string_view line : lines) {
        if (IsBlank(line))
            continue;
        anyText = true;
        allCommented = allCommented && IsCommented(line);
        column = std::min(column, IndentationOf(line));
    }
    if (!anyText)
        return edits;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (IsBlank(line))
            continue;
        if (allCommented) {
            const std::size_t at = IndentationOf(line);
            const bool blankAfter = line.substr(at + 2).starts_with(' ');
            edits.push_back({i, at, blankAfter ? std::size_t(3) : std::size_t(2), {}});
        } else {
            edits.push_back({i, column, 0, "-- "});
        }
    }
    return edits;
}

std::vector<LineEdit> IndentEdits(const std::vector<std::string_view> &lines, std::string_view unit)
{
    std::vector<LineEdit> edits;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!lines[i].empty())
            edits.push_back({i, 0, 0, std::string(unit)});
    return edits;
}

std::vector<LineEdit> UnindentEdits(const std::vector<std::string_view> &lines, std::string_view unit,
                                    std::size_t tabWidth)
{
    const std::size_t width = unit == "\t" ? tabWidth : unit.size();
    std::vector<LineEdit> edits;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        std::size_t removed = 0;
        if (line.starts_with('\t'))
            removed = 1;
        else
            while (removed < width && removed < line.size() && line[removed] == ' ')
                ++removed;
        if (removed > 0)
            edits.push_back({i, 0, removed, {}});
    }
    return edits;
}
