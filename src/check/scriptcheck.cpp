#include "scriptcheck.h"

#include "check/luasyntax.h"
#include "check/referencecheck.h"
#include "check/tarncallchecker.h"
#include "check/warningcodes.h"
#include "reference/tarnreference.h"

#include <algorithm>
#include <iterator>

namespace {

bool IsBreak(char c) { return c == '\n' || c == '\r'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// Walks the text forwards once, counting lines as the editor does (CR LF, CR and LF each end
// one) and characters within the line (UTF-8 continuation bytes do not count).
class LineCounter {
public:
    explicit LineCounter(std::string_view text) : m_text(text) {}

    // Moves to offset, which must not lie before the last one asked for.
    void MoveTo(std::size_t offset)
    {
        offset = std::min(offset, m_text.size());
        for (; m_at < offset; ++m_at) {
            const char c = m_text[m_at];
            if (c == '\n' || (c == '\r' && (m_at + 1 >= m_text.size() || m_text[m_at + 1] != '\n'))) {
                ++m_line;
                m_lineStart = m_at + 1;
                m_column = 1;
            } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 && c != '\r') {
                ++m_column;
            }
        }
    }
    // Moves to the start of line, or to the end of the text when there are fewer lines.
    void MoveToLine(int line)
    {
        while (m_line < line && m_at < m_text.size())
            MoveTo(m_at + 1);
    }
    int Line() const { return m_line; }
    std::size_t LineStart() const { return m_lineStart; }
    int Column() const { return m_column; }

private:
    std::string_view m_text;
    std::size_t m_at = 0;
    std::size_t m_lineStart = 0;
    int m_line = 1;
    int m_column = 1;
};

// The visible text of the line that starts at start, without its blanks at either end.
void TrimmedLine(std::string_view text, std::size_t start, std::size_t &from, std::size_t &to)
{
    to = start;
    while (to < text.size() && !IsBreak(text[to]))
        ++to;
    from = start;
    while (from < to && IsBlank(text[from]))
        ++from;
    while (to > from && IsBlank(text[to - 1]))
        --to;
}

// Lua names the line where it stopped reading, which after a missing "end" is often the blank
// end of the file: the mark goes on the last line with something on it instead. An error
// without a line is marked on the first.
ScriptProblem SyntaxProblem(std::string_view text, const LuaSyntaxError &error)
{
    LineCounter counter(text);
    counter.MoveToLine(std::max(error.line, 1));
    std::size_t from = 0, to = 0;
    TrimmedLine(text, counter.LineStart(), from, to);
    if (from == to) {
        std::size_t last = counter.LineStart();
        while (last > 0 && (IsBreak(text[last - 1]) || IsBlank(text[last - 1])))
            --last;
        std::size_t start = last;
        while (start > 0 && !IsBreak(text[start - 1]))
            --start;
        TrimmedLine(text, start, from, to);
    }
    return {ProblemSeverity::Error, from, to, error.line, 0, error.message};
}

// The call checker's warnings and the reference's, in text order, no more than limit.
std::vector<CallWarning> CallWarnings(std::string_view text, const FunctionTable &functions,
                                      const TarnReference *reference, std::size_t limit)
{
    const CallScan scan = ScanCalls(text);
    std::vector<CallWarning> warnings = TarnCallChecker(functions).Check(text, scan, limit);
    if (!reference)
        return warnings;
    const std::vector<CallWarning> documented = CheckReferenceCalls(text, scan, functions, *reference, limit);
    std::vector<CallWarning> merged;
    merged.reserve(warnings.size() + documented.size());
    std::merge(std::make_move_iterator(warnings.begin()), std::make_move_iterator(warnings.end()),
               documented.begin(), documented.end(), std::back_inserter(merged),
               [](const CallWarning &a, const CallWarning &b) { return a.start < b.start; });
    if (merged.size() > limit)
        merged.resize(limit);
    return merged;
}

std::vector<ScriptProblem> Check(std::string_view text, const FunctionTable &functions,
                                 const TarnReference *reference, std::size_t warningLimit)
{
    std::vector<ScriptProblem> problems;
    if (const std::optional<LuaSyntaxError> error = CheckLuaSyntax(text))
        problems.push_back(SyntaxProblem(text, *error));
    const std::vector<CallWarning> warnings = CallWarnings(text, functions, reference, warningLimit);
    problems.reserve(problems.size() + warnings.size());
    LineCounter counter(text);
    for (const CallWarning &warning : warnings) {
        counter.MoveTo(warning.start);
        problems.push_back({ProblemSeverity::Warning, warning.start, warning.end, counter.Line(), counter.Column(),
                            warning.message, warning.code});
    }
    // In line order, as Lua and the warnings count lines; the error has no column and leads
    // its line.
    std::stable_sort(problems.begin(), problems.end(), [](const ScriptProblem &a, const ScriptProblem &b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    return problems;
}

} // namespace

std::vector<ScriptProblem> CheckScript(std::string_view text, const FunctionTable &functions, std::size_t warningLimit)
{
    return Check(text, functions, nullptr, warningLimit);
}

std::vector<ScriptProblem> CheckScript(std::string_view text, const FunctionTable &functions,
                                       const TarnReference &reference, std::size_t warningLimit)
{
    return Check(text, functions, &reference, warningLimit);
}

std::string ProblemLine(std::string_view file, const ScriptProblem &problem)
{
    std::string line(file);
    if (problem.line > 0)
        line += ':' + std::to_string(problem.line);
    if (problem.severity == ProblemSeverity::Error)
        return line + ": error: " + problem.message;
    line += ':' + std::to_string(problem.column) + ": warning: " + problem.message;
    if (problem.code != 0)
        line += " [" + CodeText(problem.code) + ']';
    return line;
}
