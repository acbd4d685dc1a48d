#include "outlineitems.h"

#include "check/callscanner.h"
#include "editor/textsearch.h"

#include <algorithm>

std::vector<OutlineItem> OutlineItems(std::string_view text)
{
    const CallScan scan = ScanCalls(text);
    std::vector<OutlineItem> items;
    items.reserve(scan.definitions.size());
    int line = 1;
    std::size_t counted = 0;
    for (const DefinedFunction &function : scan.definitions) {
        // Definitions come in text order: the lines are counted once over the whole text.
        if (function.nameStart >= counted) {
            line += int(std::count(text.begin() + std::ptrdiff_t(counted), text.begin() + std::ptrdiff_t(function.nameStart), '\n'));
            counted = function.nameStart;
        }
        items.push_back({std::string(function.name), function.depth, line, function.nameStart, function.isLocal});
    }
    return items;
}

bool OutlineNameFits(std::string_view name, std::string_view filter)
{
    std::size_t start = 0;
    while (start < filter.size()) {
        if (filter[start] == ' ') {
            ++start;
            continue;
        }
        std::size_t end = filter.find(' ', start);
        if (end == std::string_view::npos)
            end = filter.size();
        if (TextSearch(filter.substr(start, end - start), {}).Find(name, 0, name.size()) == TextSearch::npos)
            return false;
        start = end;
    }
    return true;
}
