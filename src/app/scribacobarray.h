// The table of named rows behind the keyword and function tables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A row: entry 0 is the name, the rest are attributes (keywords) or parameter names (functions).
using TableRow = std::vector<std::string>;

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
    // Changes with every edit, so lookup indexes know when to rebuild.
    std::uint64_t Generation() const { return m_generation; }

    bool operator==(const CScribaCObArray &other) const { return m_rows == other.m_rows; }

private:
    void Touch() { ++m_generation; }

    std::vector<TableRow> m_rows;
    std::uint64_t m_generation = 0;
};

using KeywordTable = CScribaCObArray;
using FunctionTable = CScribaCObArray;
