#include "problemrows.h"

#include <algorithm>

ProblemRows::ProblemRows(std::vector<Script> scripts)
{
    int rows = 0;
    for (Script &script : scripts) {
        if (!script.problems || script.problems->Size() == 0)
            continue;
        rows += int(script.problems->Size());
        m_ends.push_back(rows);
        m_scripts.push_back(std::move(script));
    }
}

ResultEntry ProblemRows::Entry(int row) const
{
    const auto found = std::upper_bound(m_ends.begin(), m_ends.end(), row);
    if (row < 0 || found == m_ends.end())
        return ResultEntry();
    const std::size_t index = std::size_t(found - m_ends.begin());
    const Script &script = m_scripts[index];
    const int first = index == 0 ? 0 : m_ends[index - 1];
    const ScriptProblem problem = script.problems->At(std::size_t(row - first));
    ResultEntry entry;
    entry.text = QString::fromStdString(ProblemLine(script.name, problem));
    entry.document = script.document;
    entry.path = script.path;
    entry.line = std::max(problem.line, 1);
    entry.column = problem.column;
    entry.message = QString::fromStdString(problem.message);
    entry.kind = problem.severity == ProblemSeverity::Error ? ResultKind::Error : ResultKind::Warning;
    return entry;
}
