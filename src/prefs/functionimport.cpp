#include "functionimport.h"

#include "app/initext.h"
#include "entryrules.h"

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

} // namespace

FunctionImport ImportFunctions(FunctionTable &table, std::string_view text)
{
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    std::unordered_set<std::string> names;
    for (const TableRow &row : table.Rows())
        names.insert(row[0]);

    FunctionImport result;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        TableRow entries = SplitRowEntries(line);
        if (entries.empty())
            continue; // a blank line
        TableRow row = AcceptableRow(std::move(entries));
        if (row.empty()) {
            result.refusedLines.push_back(lineNumber);
        } else if (!names.insert(row[0]).second) {
            ++result.skipped;
        } else {
            if (result.added++ == 0)
                result.firstAdded = row[0];
            table.Add(std::move(row));
        }
    }
    if (result.added > 0)
        table.SortByName();
    return result;
}
