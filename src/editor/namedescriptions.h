// What the tip, the completion panel and the hover say of a name that is not one of Tarn's:
// Lua's library functions from the library's list, the script's own functions from their
// parameters and the "---@param" lines above them.
#pragma once

#include "editor/intellitip.h"

#include <QString>

#include <optional>
#include <string_view>

class ScriptModel;

// "print", "string.format", "io.open": the library function as the tip shows it.
std::optional<TipSignature> LibrarySignature(std::string_view word);
// The library's global or field ("string", "string.format") as Markdown; "" for none.
QString LibraryMarkdown(std::string_view qualifiedName);
