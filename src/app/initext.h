// The text of "Scriba.ini": bytes in, settings and header out, and back again.
// File input and output live elsewhere; this is the whole format.
#pragma once

#include "settings.h"

#include <cstdint>
#include <string>
#include <string_view>

// Reads a whole configuration file. Comments ("--" to the end of a line) are appended to
// header, each followed by LF. Options are always overwritten; a style only when its block is
// present and non-empty; the tables are built (ParseText then SortByName) from their blocks and
// must be empty on entry. Any byte sequence is accepted.
void ReadIniText(std::string_view bytes, Settings &settings, std::string &header);

// The canonical file for these settings and header, with every LF stored as CR LF.
std::string WriteIniText(const Settings &settings, const std::string &header);

// The rows of a table block as the writer puts them: one row per line, its entries separated
// by one blank, each line ended by LF (before the CR LF of the stored file). A row without
// entries writes nothing.
std::string TableRowsText(const CScribaCObArray &table);

// True when an entry written into a table block is read back as one entry of that block: it
// holds no "--" (the rest of its line would become a comment) and no block tag in any case (it
// would open or close a block). Letter case is not kept either way.
bool IsStorableTableEntry(std::string_view entry);

// Reader helpers, each on one collected (lower-case) block text whose lines end in CR LF.
// Blanks and tabs are removed first, so "auto completion = true" finds "autocompletion".
// A key that is missing from a non-empty block reads as off (switches), TWOSPACES (indent)
// or the colour passed in (colours). A colour component is an optional sign and decimal
// digits (none read 0), of which only the low eight bits count, exactly even for absurdly long
// numbers; a component missing after the last comma reads 0.
std::int32_t ParseBool(std::string text, std::string_view key);
IndentMode ParseIndent(std::string text, std::string_view key);
ColorRef ParseColor(std::string text, ColorRef current);
void ParseStyle(std::string text, TextStyle &style);
