#include "scribacobarray.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

bool IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '%';
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

} // namespace

TableRow SplitRowEntries(std::string_view line)
{
    TableRow row;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsSeparator(line[i]))
            ++i;
        std::size_t start = i;
        while (i < line.size() && !IsSeparator(line[i]))
            ++i;
        if (i > start)
            row.emplace_back(line.substr(start, i - start));
    }
    return row;
}

std::size_t FindAttribute(const TableRow &row, std::string_view attribute)
{
    for (std::size_t i = 1; i < row.size(); ++i)
        if (EqualIgnoringAsciiCase(row[i], attribute))
            return i;
    return row.size();
}

bool HasAttribute(const TableRow &row, std::string_view attribute)
{
    return FindAttribute(row, attribute) < row.size();
}

NameIndex::Key NameIndex::KeyOf(std::string_view name)
{
    char bytes[kKeyBytes] = {};
    std::memcpy(bytes, name.data(), std::min(name.size(), kKeyBytes));
    Key key;
    std::memcpy(&key.low, bytes, 8);
    std::memcpy(&key.high, bytes + 8, 8);
    key.size = name.size();
    return key;
}

bool NameIndex::SameTail(const std::vector<TableRow> &rows, std::int32_t row, std::string_view name)
{
    return std::string_view(rows[std::size_t(row)][0]).substr(kKeyBytes) == name.substr(kKeyBytes);
}

std::uint64_t NameIndex::TailHash(std::string_view name)
{
    return std::hash<std::string_view>{}(name.substr(kKeyBytes));
}

void NameIndex::Build(const std::vector<TableRow> &rows, std::uint64_t generation)
{
    std::size_t size = 8;
    while (size < 2 * rows.size())
        size *= 2;
    m_slots.assign(size, Slot{});
    m_lengthsByFirstByte.fill(0);
    m_longest = 0;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].empty())
            continue;
        const std::string &name = rows[row][0];
        if (Find(rows, name) >= 0)
            continue; // an earlier row has this name and wins
        const Key key = KeyOf(name);
        std::size_t i = SlotOf(HashOf(key, name));
        while (m_slots[i].row >= 0)
            i = (i + 1) & (size - 1);
        m_slots[i] = Slot{key, std::int32_t(row)};
        m_lengthsByFirstByte[FirstByte(name)] |= LengthBit(name.size());
        m_longest = std::max(m_longest, name.size());
    }
    m_builtFor = generation;
    m_valid = true;
}

void CScribaCObArray::ParseText(std::string_view text)
{
    std::size_t lineStart = 0;
    for (;;) {
        std::size_t crlf = text.find("\r\n", lineStart);
        if (crlf == std::string_view::npos)
            break; // a last line without CR LF is not read
        TableRow row = SplitRowEntries(text.substr(lineStart, crlf - lineStart));
        if (!row.empty())
            m_rows.push_back(std::move(row));
        lineStart = crlf + 2;
    }
    Touch();
}

void CScribaCObArray::SortByName()
{
    // Byte-wise: compare as unsigned chars, which std::string's comparison does.
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [](const TableRow &a, const TableRow &b) { return a[0] < b[0]; });
    Touch();
}

std::int32_t CScribaCObArray::MaxParameterCount() const
{
    std::int32_t most = 0;
    for (const TableRow &row : m_rows)
        most = std::max(most, std::int32_t(row.size()) - 1);
    return most;
}

void CScribaCObArray::SetAt(int index, TableRow row)
{
    m_rows[std::size_t(index)] = std::move(row);
    Touch();
}

void CScribaCObArray::Add(TableRow row)
{
    m_rows.push_back(std::move(row));
    Touch();
}

int CScribaCObArray::AddSorted(TableRow row)
{
    const std::string name = row.at(0);
    Add(std::move(row));
    SortByName();
    auto after = std::upper_bound(m_rows.begin(), m_rows.end(), name,
                                  [](const std::string &n, const TableRow &r) { return n < r[0]; });
    return int(after - m_rows.begin()) - 1;
}

void CScribaCObArray::RemoveAt(int index)
{
    m_rows.erase(m_rows.begin() + index);
    Touch();
}

void CScribaCObArray::RemoveAll()
{
    m_rows.clear();
    Touch();
}
