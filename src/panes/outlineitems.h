// The entries of the outline: the functions a script defines, in text order, each with its
// nesting and line, read by the check's call scanner.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct OutlineItem {
    std::string name;         // as written: "f", "a.b:c", "M.new"
    int depth = 0;            // how many listed functions enclose it
    int line = 0;             // of the name, from 1
    std::size_t position = 0; // of the name, in bytes
    bool isLocal = false;
};

std::vector<OutlineItem> OutlineItems(std::string_view text);

// Whether an item's name fits what is typed in the filter field: every blank-separated word of
// the filter occurs in the name, ASCII letters compared without case.
bool OutlineNameFits(std::string_view name, std::string_view filter);
