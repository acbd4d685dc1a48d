#include "functionimport.h"

#include "app/initext.h"
#include "entryrules.h"
#include "reference/tarnreference.h"

#include <algorithm>
#include <unordered_set>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool HasControlCharacter(std::string_view entry)
{
    return std::any_of(entry.begin(), entry.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

// A parameter the function block can hold and give back as it was.
bool IsAcceptableParameter(const std::string &parameter)
{
    return !HasControlCharacter(parameter) && IsStorableTableEntry(parameter);
}

// The entries of a line cut as the editors cut them; empty when the line must be refused.
TableRow AcceptableRow(TableRow row)
{
    for (std::string &entry : row)
        entry = TruncatedEntry(entry);
    if (CheckEntryName(row[0]) != NameProblem::None ||
        !std::all_of(row.begin() + 1, row.end(), IsAcceptableParameter))
        return {};
    return row;
}

// Adds the row when it is acceptable and its name new; refused rows are counted by their line.
class RowMerger {
public:
    RowMerger(FunctionTable &table, FunctionImport &result) : m_table(table), m_result(result)
    {
        for (const TableRow &row : table.Rows())
            m_names.insert(row[0]);
    }

    void Merge(TableRow entries, int lineNumber)
    {
        TableRow row = AcceptableRow(std::move(entries));
        if (row.empty()) {
            m_result.refusedLines.push_back(lineNumber);
        } else if (!m_names.insert(row[0]).second) {
            ++m_result.skipped;
        } else {
            if (m_result.added++ == 0)
                m_result.firstAdded = row[0];
            m_table.Add(std::move(row));
        }
    }

private:
    FunctionTable &m_table;
    FunctionImport &m_result;
    std::unordered_set<std::string> m_names;
};

// A definition file starts with a comment ("---@meta", "--- description") or a function line;
// no row of a function list does, since names start with a letter or "_".
bool IsDefinitionFile(std::string_view text)
{
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos)
        return false;
    text.remove_prefix(start);
    return text.starts_with("--") || text.starts_with("function ") || text.starts_with("function\t");
}

// The table's row for a documented function: a parameter that takes a string is written in
// double quotes, one that may be left out in parentheses.
TableRow RowOf(const FunctionDoc &doc)
{
    TableRow row{std::string(doc.name)};
    for (const ParamDoc &param : doc.params) {
        std::string entry(param.name);
        if (param.type == "string" || !param.allowedStrings.empty())
            entry = '"' + entry + '"';
        if (param.optional)
            entry = '(' + entry + ')';
        row.push_back(std::move(entry));
    }
    return row;
}

// Annotations that could not be read are refused lines; the functions are added in file order.
void ImportDefinitions(RowMerger &merger, FunctionImport &result, std::string_view text)
{
    const ReferenceRead read = ReadDefinitionFile(text);
    for (const ReferenceProblem &problem : read.problems)
        result.refusedLines.push_back(problem.line);
    for (const auto &[name, line] : read.functionLines) {
        const FunctionDoc *doc = read.reference.Find(name);
        merger.Merge(RowOf(*doc), line);
    }
    std::sort(result.refusedLines.begin(), result.refusedLines.end());
}

} // namespace

FunctionImport ImportFunctions(FunctionTable &table, std::string_view text)
{
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    FunctionImport result;
    RowMerger merger(table, result);
    if (IsDefinitionFile(text)) {
        ImportDefinitions(merger, result, text);
        if (result.added > 0)
            table.SortByName();
        return result;
    }
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        TableRow entries = SplitRowEntries(line);
        if (!entries.empty()) // else a blank line
            merger.Merge(std::move(entries), lineNumber);
    }
    if (result.added > 0)
        table.SortByName();
    return result;
}
