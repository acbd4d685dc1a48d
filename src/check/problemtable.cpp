#include "problemtable.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace {

// Places past 4 GB cannot occur: a script is smaller than the 2 GB the editor holds.
std::uint32_t Narrow(std::size_t position)
{
    return std::uint32_t(std::min<std::size_t>(position, std::numeric_limits<std::uint32_t>::max()));
}

} // namespace

ProblemTable::ProblemTable(const std::vector<ScriptProblem> &problems)
{
    std::unordered_map<std::string_view, std::uint32_t> indices;
    m_rows.reserve(problems.size());
    for (const ScriptProblem &problem : problems) {
        const auto [found, added] = indices.try_emplace(problem.message, std::uint32_t(m_messageEnds.size()));
        if (added) {
            m_messages += problem.message;
            m_messageEnds.push_back(std::uint32_t(m_messages.size()));
        }
        const std::uint32_t error = problem.severity == ProblemSeverity::Error ? kErrorBit : 0;
        m_rows.push_back({problem.line, problem.column, found->second | error, problem.code});
    }
    m_messages.shrink_to_fit();
    m_messageEnds.shrink_to_fit();
}

std::vector<ProblemSpan> ProblemTable::Spans(const std::vector<ScriptProblem> &problems)
{
    std::vector<ProblemSpan> spans;
    spans.reserve(problems.size());
    for (const ScriptProblem &problem : problems)
        spans.push_back({Narrow(problem.start), Narrow(problem.end)});
    return spans;
}

std::string_view ProblemTable::Message(std::size_t messageIndex) const
{
    const std::uint32_t start = messageIndex == 0 ? 0 : m_messageEnds[messageIndex - 1];
    return std::string_view(m_messages).substr(start, m_messageEnds[messageIndex] - start);
}

ScriptProblem ProblemTable::At(std::size_t index) const
{
    const Row &row = m_rows[index];
    ScriptProblem problem;
    problem.severity = row.Severity();
    problem.line = row.line;
    problem.column = row.column;
    problem.message = Message(row.MessageIndex());
    problem.code = row.code;
    return problem;
}
