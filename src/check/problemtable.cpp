#include "problemtable.h"

#include <algorithm>
#include <limits>
#include <string_view>
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
        const auto [found, added] = indices.try_emplace(problem.message, std::uint32_t(m_messages.size()));
        if (added)
            m_messages.push_back(problem.message);
        const std::uint32_t error = problem.severity == ProblemSeverity::Error ? kErrorBit : 0;
        m_rows.push_back({Narrow(problem.start), Narrow(problem.end), problem.line, problem.column, found->second | error});
    }
    m_messages.shrink_to_fit();
}

ScriptProblem ProblemTable::At(std::size_t index) const
{
    const Row &row = m_rows[index];
    ScriptProblem problem;
    problem.severity = row.Severity();
    problem.start = row.start;
    problem.end = row.end;
    problem.line = row.line;
    problem.column = row.column;
    problem.message = m_messages[row.MessageIndex()];
    return problem;
}
