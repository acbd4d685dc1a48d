#include "completionorder.h"

#include <algorithm>

namespace {

unsigned char Folded(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

} // namespace

bool CompletionLess(std::string_view a, std::string_view b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Folded(x) < Folded(y); });
}

std::vector<std::string> CompletionNames(const FunctionTable &functions)
{
    std::vector<std::string> names;
    names.reserve(std::size_t(functions.GetSize()));
    for (const TableRow &row : functions.Rows())
        if (!row.empty())
            names.push_back(row[0]);
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string &a, const std::string &b) { return CompletionLess(a, b); });
    return names;
}

std::size_t FirstNotLess(const std::vector<std::string> &names, std::string_view word)
{
    const auto found = std::lower_bound(names.begin(), names.end(), word,
                                        [](const std::string &name, std::string_view w) { return CompletionLess(name, w); });
    return std::size_t(found - names.begin());
}
