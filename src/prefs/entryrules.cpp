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
