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

// The entries of one line of table text: blanks, tabs and '%' separate them, and runs of
// separators make no empty entries.
TableRow SplitRowEntries(std::string_view line);

// Keyword attributes ("indent", "outdent") are entries from 1 on, compared without ASCII case.
// FindAttribute gives the index of the first that names the attribute, or the row's size.
std::size_t FindAttribute(const TableRow &row, std::string_view attribute);
bool HasAttribute(const TableRow &row, std::string_view attribute);

// Hash index from entry 0 to the first row of that name. It is cheap to rebuild (linear in the
// rows, whatever their names) and stale after any edit, so the table rebuilds it lazily on the
// first lookup after one.
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
    // A name's first kKeyBytes bytes, zero past its end, and its length. Slots hold the key of
    // their name, so a probe settles almost every name without reaching into the rows.
    static constexpr std::size_t kKeyBytes = 16;
    struct Key {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        std::size_t size = 0;
    };
    static Key KeyOf(std::string_view name);

    // Row of the first row named name, or -1. rows must be those the index was built from.
    // The cheap rejection is inline; it settles most words of a script.
    int Find(const std::vector<TableRow> &rows, std::string_view name) const
    {
        return MayHold(name) ? Probe(rows, KeyOf(name), name) : -1;
    }
    // As Find for a caller that has key == KeyOf(name) already and MayHold(name) true. Inline,
    // for the colouring scan calls it for most keywords and function names of a script.
    int Probe(const std::vector<TableRow> &rows, const Key &key, std::string_view name) const
    {
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = SlotOf(HashOf(key, name));; i = (i + 1) & mask) {
            const Slot &slot = m_slots[i];
            if (slot.row < 0)
                return -1;
            if (SameKey(slot.key, key) && (key.size <= kKeyBytes || SameTail(rows, slot.row, name)))
                return slot.row;
        }
    }
    std::size_t LongestName() const { return m_longest; }
    // False if no name can equal name: a bit test that settles most words of a script unhashed.
    bool MayHold(std::string_view name) const { return MayHold(FirstByte(name), name.size()); }
    // The same test for a name of size bytes that starts with firstByte (0 if size is 0).
    bool MayHold(std::uint8_t firstByte, std::size_t size) const
    {
        return (m_lengthsByFirstByte[firstByte] & LengthBit(size)) != 0;
    }

private:
    struct Slot {
        Key key;
        std::int32_t row = -1; // -1: empty slot
    };
    // Hashes the key: two multiplies in all for the names of up to kKeyBytes bytes that make
    // nearly every lookup. The shifts fold high bits down, since the slot number is taken from
    // the low bits and a product's low bits depend on its factors' low bits only. A longer name
    // adds the hash of its tail, so names that share their key and length (a table of
    // "tn_boundary_condition_1" ... "_40000") still spread over the slots.
    static std::uint64_t HashOf(const Key &key, std::string_view name)
    {
        std::uint64_t h = (key.low + key.size) * 0x9E3779B97F4A7C15ull;
        h ^= (h >> 31) ^ key.high ^ (key.high >> 35);
        if (key.size > kKeyBytes) [[unlikely]]
            h ^= TailHash(name);
        h *= 0xBF58476D1CE4E5B9ull;
        return h ^ (h >> 29);
    }
    static std::uint64_t TailHash(std::string_view name);
    static bool SameKey(const Key &a, const Key &b)
    {
        return ((a.low ^ b.low) | (a.high ^ b.high) | (a.size ^ b.size)) == 0;
    }
    // The bytes past the key, compared only once a slot's key matched.
    static bool SameTail(const std::vector<TableRow> &rows, std::int32_t row, std::string_view name);
    std::size_t SlotOf(std::uint64_t hash) const { return std::size_t(hash) & (m_slots.size() - 1); }
    static std::uint8_t FirstByte(std::string_view name) { return name.empty() ? 0 : std::uint8_t(name[0]); }
    static std::uint64_t LengthBit(std::size_t size) { return std::uint64_t(1) << std::min<std::size_t>(size, 63); }

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
    // Appends the row, sorts the table again and returns where the row landed: after every row
    // of the same name, since the sort is stable.
    int AddSorted(TableRow row);
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
