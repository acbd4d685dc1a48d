// The table of named rows behind the keyword and function tables.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A row: entry 0 is the name, the rest are attributes (keywords) or parameter names (functions).
using TableRow = std::vector<std::string>;

// Hash index from entry 0 to the first row of that name. It is cheap to rebuild (a few hundred
// rows) and stale after any edit, so the table rebuilds it lazily on the first lookup after one.
class NameIndex {
public:
    NameIndex() = default;
    // A copy or move starts stale: the new owner rebuilds for its own rows, and a moved-from
    // owner, whose rows are gone, must not keep an index into them.
    NameIndex(const NameIndex &) {}
    NameIndex(NameIndex &&other) noexcept { other.m_valid = false; }
    NameIndex &operator=(const NameIndex &)
    {
        m_valid = false;
        return *this;
    }
    NameIndex &operator=(NameIndex &&other) noexcept
    {
        m_valid = false;
        other.m_valid = false;
        return *this;
    }

    bool IsFor(std::uint64_t generation) const { return m_valid && m_builtFor == generation; }
    void Build(const std::vector<TableRow> &rows, std::uint64_t generation);
    // Row of the first row named name, or -1. rows must be those the index was built from.
    // The cheap rejection is inline; it settles most words of a script.
    int Find(const std::vector<TableRow> &rows, std::string_view name) const
    {
        return MayHold(name) ? Probe(rows, name) : -1;
    }
    std::size_t LongestName() const { return m_longest; }
    // False if no name can equal name: a bit test that settles most words of a script unhashed.
    bool MayHold(std::string_view name) const
    {
        return (m_lengthsByFirstByte[FirstByte(name)] & LengthBit(name)) != 0;
    }

private:
    struct Slot {
        std::uint32_t tag; // high half of the name's hash, to skip most string compares
        std::int32_t row;  // -1: empty slot
    };
    int Probe(const std::vector<TableRow> &rows, std::string_view name) const;
    std::size_t SlotOf(std::uint64_t hash) const { return std::size_t(hash) & (m_slots.size() - 1); }
    static std::uint8_t FirstByte(std::string_view name) { return name.empty() ? 0 : std::uint8_t(name[0]); }
    static std::uint64_t LengthBit(std::string_view name)
    {
        return std::uint64_t(1) << std::min<std::size_t>(name.size(), 63);
    }

    std::vector<Slot> m_slots; // open addressing, linear probing, at most half full
    // Bit k (k < 63) of entry c: some name of length k starts with byte c; bit 63: length >= 63.
    std::array<std::uint64_t, 256> m_lengthsByFirstByte{};
    std::size_t m_longest = 0;
    std::uint64_t m_builtFor = 0;
    bool m_valid = false;
};

class CScribaCObArray {
public:
    // Appends one row per non-empty CR LF-terminated line; blanks, tabs and '%' separate entries.
    // A line made only of separators makes no row, so every row has a name.
    void ParseText(std::string_view text);
    // Stable byte-wise sort by entry 0 (capitals before small letters).
    void SortByName();
    std::int32_t MaxParameterCount() const;

    int GetSize() const { return int(m_rows.size()); }
    bool IsEmpty() const { return m_rows.empty(); }
    const TableRow &GetAt(int index) const { return m_rows[std::size_t(index)]; }
    void SetAt(int index, TableRow row);
    void Add(TableRow row);
    void RemoveAt(int index);
    void RemoveAll();

    const std::vector<TableRow> &Rows() const { return m_rows; }

    // Index of the first row whose entry 0 equals name byte for byte, or -1; the same answer as
    // a scan in table order, through a hash index. Rows without entries have no name.
    int IndexOfName(std::string_view name) const { return CurrentIndex().Find(m_rows, name); }
    // Length of the longest name: no longer word can be found.
    std::size_t LongestName() const { return CurrentIndex().LongestName(); }
    // The index itself, for many lookups in a row (NameIndex::Find with Rows()); it stays valid
    // until the next edit of the table.
    const NameIndex &Index() const { return CurrentIndex(); }
    // Changes with every edit, so lookup indexes know when to rebuild.
    std::uint64_t Generation() const { return m_generation; }

    bool operator==(const CScribaCObArray &other) const { return m_rows == other.m_rows; }

private:
    void Touch() { ++m_generation; }
    const NameIndex &CurrentIndex() const
    {
        if (!m_index.IsFor(m_generation))
            m_index.Build(m_rows, m_generation);
        return m_index;
    }

    std::vector<TableRow> m_rows;
    std::uint64_t m_generation = 0;
    // A cache of m_rows, rebuilt by const lookups; the tables live on the UI thread only.
    mutable NameIndex m_index;
};

using KeywordTable = CScribaCObArray;
using FunctionTable = CScribaCObArray;
