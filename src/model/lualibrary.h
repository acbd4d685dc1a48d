// What Lua 5.1 itself provides: its global functions and values, and the fields of its library
// tables (string, table, math, io, os, coroutine, debug, package), each with its parameters
// and a line saying what it does. The check, the completion and the hover read it; it is
// plain constant data, safe to read from any thread.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

struct LuaLibraryEntry {
    enum class Kind { Function, Table, Value };

    std::string_view name;
    Kind kind = Kind::Function;
    // As Tarn's function table writes them: one name per parameter, separated by ", ",
    // optional ones in parentheses, "..." for any number; empty for no parameters and for
    // tables and values.
    std::string_view parameters;
    std::string_view description;
    // Kept by Lua 5.1 for older scripts only (table.getn, math.mod and the like): it works,
    // but newer code has a replacement.
    bool compatibility = false;
    // A table whose fields are anyone's to add (_G, package.loaded, arg): reading or setting
    // an unlisted field is no mistake.
    bool openFields = false;

    bool IsFunction() const { return kind == Kind::Function; }
    // The parameters one by one, as written in `parameters`.
    std::vector<std::string_view> ParameterList() const;
    // The least and most number of arguments; most is -1 when any number is taken.
    int LeastArguments() const;
    int MostArguments() const;
};

namespace LuaLibrary {

// Every global Lua 5.1 defines, sorted by name; the library tables among them have Kind::Table.
std::span<const LuaLibraryEntry> Globals();
// The global of that name, or nullptr.
const LuaLibraryEntry *Global(std::string_view name);
// The fields of a library table ("string", "math", ...; "package.loaded" and the like for the
// nested ones), sorted by name; empty for a name that is not a library table.
std::span<const LuaLibraryEntry> Fields(std::string_view table);
// One field of a library table, or nullptr.
const LuaLibraryEntry *Field(std::string_view table, std::string_view field);
// True when the name is one of the library tables that Fields lists, so that any field not
// listed there is a mistake (unless the table's entry has open fields).
bool IsLibraryTable(std::string_view table);
// The methods of an open file (`f:read`, `io.stdout:write`), sorted by name.
std::span<const LuaLibraryEntry> FileMethods();
const LuaLibraryEntry *FileMethod(std::string_view name);
// "string.format (s, ...)" style signature text for a hover: qualified name and parameters.
std::string Signature(std::string_view table, const LuaLibraryEntry &entry);

} // namespace LuaLibrary
