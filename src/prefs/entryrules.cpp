#include "entryrules.h"

#include <algorithm>

namespace {

bool IsAsciiLetterOrDigit(char32_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsUtf8Continuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// The index of the first entry from 1 on that names the attribute, or the row's size.
std::size_t FindAttribute(const TableRow &row, std::string_view attribute)
{
    for (std::size_t i = 1; i < row.size(); ++i)
        if (EqualIgnoringAsciiCase(row[i], attribute))
            return i;
    return row.size();
}

} // namespace

bool AcceptsEntryChar(char32_t c, EntryKind kind)
{
    return IsAsciiLetterOrDigit(c) || c == '_' || (kind == EntryKind::Parameter && c == '"');
}

std::string TruncatedEntry(std::string_view text)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsUtf8Continuation(text[i]))
            continue;
        if (characters == kMaxEntryLength)
            return std::string(text.substr(0, i));
        ++characters;
    }
    return std::string(text);
}

NameProblem CheckEntryName(std::string_view name)
{
    if (name.empty())
        return NameProblem::Empty;
    if (name[0] >= '0' && name[0] <= '9')
        return NameProblem::LeadingDigit;
    const bool allAccepted = std::all_of(name.begin(), name.end(), [](char c) {
        return AcceptsEntryChar(static_cast<unsigned char>(c), EntryKind::Name);
    });
    return allAccepted ? NameProblem::None : NameProblem::BadCharacter;
}

bool HasAttribute(const TableRow &row, std::string_view attribute)
{
    return FindAttribute(row, attribute) < row.size();
}

bool SetAttribute(TableRow &row, std::string_view attribute, bool on)
{
    const std::size_t found = FindAttribute(row, attribute);
    if (on && found == row.size()) {
        std::string word(attribute);
        std::transform(word.begin(), word.end(), word.begin(), AsciiLower);
        row.push_back(std::move(word));
        return true;
    }
    if (!on && found < row.size()) {
        row.erase(row.begin() + std::ptrdiff_t(found));
        return true;
    }
    return false;
}
