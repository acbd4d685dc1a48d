#include "scribacobarray.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '%';
}

TableRow SplitEntries(std::string_view line)
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

std::uint64_t HashName(std::string_view name)
{
    // Whole-word loads instead of a byte loop: names and words are short, and a lookup per word
    // of the text is on the colouring's hot path. Loads never reach outside name.
    auto load8 = [](const char *p) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        return v;
    };
    auto load4 = [](const char *p) {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        return std::uint64_t(v);
    };
    auto mix = [](std::uint64_t a, std::uint64_t b) {
        std::uint64_t h = (a ^ 0x9E3779B97F4A7C15ull) * 0xBF58476D1CE4E5B9ull;
        h ^= (h >> 31) ^ b;
        h *= 0x94D049BB133111EBull;
        return h ^ (h >> 29);
    };
    const char *p = name.data();
    const std::size_t n = name.size();
    std::uint64_t a = 0, b = 0;
    if (n >= 8) {
        a = load8(p);
        for (std::size_t i = 8; i + 8 < n; i += 8)
            a = mix(a, load8(p + i));
        b = load8(p + n - 8);
    } else if (n >= 4) {
        a = load4(p);
        b = load4(p + n - 4);
    } else if (n > 0) {
        a = (std::uint64_t(std::uint8_t(p[0])) << 16) | (std::uint64_t(std::uint8_t(p[n / 2])) << 8) |
            std::uint8_t(p[n - 1]);
    }
    return mix(a + n, b);
}

} // namespace

int NameIndex::Probe(const std::vector<TableRow> &rows, std::string_view name) const
{
    const std::uint64_t hash = HashName(name);
    const auto tag = std::uint32_t(hash >> 32);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = SlotOf(hash);; i = (i + 1) & mask) {
        const Slot &slot = m_slots[i];
        if (slot.row < 0)
            return -1;
        if (slot.tag == tag && rows[std::size_t(slot.row)][0] == name)
            return slot.row;
    }
}

void NameIndex::Build(const std::vector<TableRow> &rows, std::uint64_t generation)
{
    std::size_t size = 8;
    while (size < 2 * rows.size())
        size *= 2;
    m_slots.assign(size, Slot{0, -1});
    m_lengthsByFirstByte.fill(0);
    m_longest = 0;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].empty())
            continue;
        const std::string &name = rows[row][0];
        if (Find(rows, name) >= 0)
            continue; // an earlier row has this name and wins
        const std::uint64_t hash = HashName(name);
        std::size_t i = SlotOf(hash);
        while (m_slots[i].row >= 0)
            i = (i + 1) & (size - 1);
        m_slots[i] = Slot{std::uint32_t(hash >> 32), std::int32_t(row)};
        m_lengthsByFirstByte[FirstByte(name)] |= LengthBit(name);
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
        TableRow row = SplitEntries(text.substr(lineStart, crlf - lineStart));
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
