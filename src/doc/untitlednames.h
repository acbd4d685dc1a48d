// How documents without a proper script name are titled: "untitled.lua", "untitled[1].lua", ...
#pragma once

#include <string>
#include <string_view>

// True when the title is shown as it is: its last four bytes are exactly ".lua".
bool KeepsScriptTitle(std::string_view title);

// The next untitled name for counter, which is then incremented (names are never reused).
std::string NextUntitledTitle(int &counter);

// The title a document shows for the proposed one: kept, or the next untitled name.
std::string ScriptTitle(std::string_view proposed, int &counter);
