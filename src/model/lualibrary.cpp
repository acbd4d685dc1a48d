#include "lualibrary.h"

#include <algorithm>
#include <array>

namespace {

using K = LuaLibraryEntry::Kind;

constexpr LuaLibraryEntry Fn(std::string_view name, std::string_view parameters, std::string_view description)
{
    return {name, K::Function, parameters, description, false, false};
}
constexpr LuaLibraryEntry Old(std::string_view name, std::string_view parameters, std::string_view description)
{
    return {name, K::Function, parameters, description, true, false};
}
constexpr LuaLibraryEntry Tbl(std::string_view name, std::string_view description, bool open = false)
{
    return {name, K::Table, {}, description, false, open};
}
constexpr LuaLibraryEntry Val(std::string_view name, std::string_view description)
{
    return {name, K::Value, {}, description, false, false};
}

// Each list is sorted by name, byte by byte, so lookups can halve it.
constexpr std::array kGlobals{
    Tbl("_G", "The table of all global variables; the globals are its fields.", true),
    Val("_VERSION", "The running interpreter's version as text, \"Lua 5.1\"."),
    Tbl("arg", "The command-line arguments of a script run by the stand-alone interpreter.", true),
    Fn("assert", "v, (message), (...)", "Raises an error with message when v is nil or false; else returns all its arguments."),
    Fn("collectgarbage", "(opt), (arg)", "Controls the garbage collector: \"collect\", \"stop\", \"restart\", \"count\", \"step\", \"setpause\", \"setstepmul\"."),
    Tbl("coroutine", "Functions that create, resume and inspect coroutines."),
    Tbl("debug", "Functions that look inside running code: hooks, locals, upvalues, tracebacks."),
    Fn("dofile", "(filename)", "Runs a Lua file (standard input without a name) and returns what it returns."),
    Fn("error", "message, (level)", "Raises an error with message; level 1 blames the caller of the function that raised it."),
    Old("gcinfo", "", "The memory in use, in kilobytes; collectgarbage(\"count\") replaces it."),
    Fn("getfenv", "(f)", "The environment table of function f, or of the function at stack level f."),
    Fn("getmetatable", "object", "The metatable of object (its __metatable field when set), or nil."),
    Tbl("io", "Files: opening, reading, writing, and the standard input, output and error."),
    Fn("ipairs", "t", "Iterator over t[1], t[2], ... up to the first nil: for i, v in ipairs(t)."),
    Fn("load", "func, (chunkname)", "Compiles a chunk whose pieces func returns; gives the function, or nil and a message."),
    Fn("loadfile", "(filename)", "Compiles a Lua file without running it; gives the function, or nil and a message."),
    Fn("loadstring", "string, (chunkname)", "Compiles a chunk held in a string; gives the function, or nil and a message."),
    Tbl("math", "Mathematical functions and the constants pi and huge."),
    Fn("module", "name, (...)", "Makes a module table named name the environment of the calling chunk."),
    Fn("newproxy", "(arg)", "A new empty userdata, with a metatable when arg is true or another proxy's."),
    Fn("next", "table, (index)", "The key after index in table and its value; nil after the last."),
    Tbl("os", "Operating-system facilities: time and date, environment, files, running commands."),
    Tbl("package", "How require finds and loads modules: paths, loaders, loaded modules."),
    Fn("pairs", "t", "Iterator over every key and value of t: for k, v in pairs(t)."),
    Fn("pcall", "f, (...)", "Calls f in protected mode: true and its results, or false and the error."),
    Fn("print", "...", "Writes its arguments to standard output, through tostring, separated by tabs."),
    Fn("rawequal", "v1, v2", "Whether v1 and v2 are equal, without the __eq metamethod."),
    Fn("rawget", "table, index", "table[index] without the __index metamethod."),
    Fn("rawset", "table, index, value", "Sets table[index] to value without the __newindex metamethod."),
    Fn("require", "modname", "Loads the module modname once and returns what it gave; later calls reuse it."),
    Fn("select", "index, ...", "The arguments after the index-th one; select(\"#\", ...) counts them."),
    Fn("setfenv", "f, table", "Sets the environment of function f, or of the function at stack level f."),
    Fn("setmetatable", "table, metatable", "Sets (or with nil removes) the metatable of table; returns table."),
    Tbl("string", "Text functions: search, patterns, formatting, bytes. Strings take them as methods too."),
    Tbl("table", "Functions on tables used as lists: insert, remove, concat, sort."),
    Fn("tonumber", "e, (base)", "e as a number (read in base 2 to 36 when given), or nil when it is not one."),
    Fn("tostring", "e", "e as readable text, through its __tostring metamethod when it has one."),
    Fn("type", "v", "The type of v as text: \"nil\", \"number\", \"string\", \"boolean\", \"table\", \"function\", \"thread\", \"userdata\"."),
    Fn("unpack", "list, (i), (j)", "Returns list[i] to list[j] as separate values (from 1 to #list by default)."),
    Fn("xpcall", "f, err", "Calls f in protected mode, passing an error to the handler err first."),
};

constexpr std::array kCoroutine{
    Fn("create", "f", "A new coroutine that will run f; resume starts it."),
    Fn("resume", "co, (...)", "Starts or continues co; true and what it yields or returns, or false and the error."),
    Fn("running", "", "The running coroutine, or nil in the main thread."),
    Fn("status", "co", "\"running\", \"suspended\", \"normal\" or \"dead\"."),
    Fn("wrap", "f", "A function that resumes a new coroutine running f and raises its errors."),
    Fn("yield", "...", "Suspends the running coroutine; its arguments become resume's results."),
};

constexpr std::array kDebug{
    Fn("debug", "", "Reads and runs lines from standard input until one says cont."),
    Fn("getfenv", "o", "The environment of object o."),
    Fn("gethook", "(thread)", "The current hook function, mask and count."),
    Fn("getinfo", "(thread), function, (what)", "A table about a function or stack level: source, line, name and more."),
    Fn("getlocal", "(thread), level, local", "The name and value of a local variable at a stack level."),
    Fn("getmetatable", "object", "The metatable of object, ignoring __metatable."),
    Fn("getregistry", "", "The registry table shared by C code."),
    Fn("getupvalue", "func, up", "The name and value of upvalue number up of func."),
    Fn("setfenv", "object, table", "Sets the environment of object; returns object."),
    Fn("sethook", "(thread), hook, mask, (count)", "Sets a function called on calls (\"c\"), returns (\"r\"), lines (\"l\") or every count instructions."),
    Fn("setlocal", "(thread), level, local, value", "Sets a local variable at a stack level."),
    Fn("setmetatable", "object, table", "Sets the metatable of any value, ignoring __metatable."),
    Fn("setupvalue", "func, up, value", "Sets upvalue number up of func."),
    Fn("traceback", "(thread), (message), (level)", "The call stack as text, after message."),
};

constexpr std::array kIo{
    Fn("close", "(file)", "Closes file, or the default output file."),
    Fn("flush", "", "Writes out what is buffered for the default output file."),
    Fn("input", "(file)", "Sets the default input file by name or handle; returns it."),
    Fn("lines", "(filename)", "Iterator over the lines of a file (closed at the end), or of the default input."),
    Fn("open", "filename, (mode)", "Opens a file in mode \"r\", \"w\", \"a\", \"r+\", \"w+\" or \"a+\" (\"b\" for binary); nil and a message on failure."),
    Fn("output", "(file)", "Sets the default output file by name or handle; returns it."),
    Fn("popen", "prog, (mode)", "Runs prog and gives a file to read its output or write its input."),
    Fn("read", "...", "Reads from the default input: \"*l\" a line, \"*n\" a number, \"*a\" all, or a count of bytes."),
    Val("stderr", "The standard error file."),
    Val("stdin", "The standard input file."),
    Val("stdout", "The standard output file."),
    Fn("tmpfile", "", "A new temporary file, opened for update and removed at exit."),
    Fn("type", "obj", "\"file\", \"closed file\", or nil when obj is no file."),
    Fn("write", "...", "Writes strings and numbers to the default output file."),
};

constexpr std::array kMath{
    Fn("abs", "x", "The absolute value of x."),
    Fn("acos", "x", "The arc cosine of x, in radians."),
    Fn("asin", "x", "The arc sine of x, in radians."),
    Fn("atan", "x", "The arc tangent of x, in radians."),
    Fn("atan2", "y, x", "The arc tangent of y/x, in radians, using both signs for the quadrant."),
    Fn("ceil", "x", "The smallest integer not below x."),
    Fn("cos", "x", "The cosine of x (in radians)."),
    Fn("cosh", "x", "The hyperbolic cosine of x."),
    Fn("deg", "x", "The angle x converted from radians to degrees."),
    Fn("exp", "x", "e raised to the power x."),
    Fn("floor", "x", "The largest integer not above x."),
    Fn("fmod", "x, y", "The remainder of x / y, rounding the quotient towards zero."),
    Fn("frexp", "x", "m and e such that x = m * 2^e, with 0.5 <= |m| < 1."),
    Val("huge", "A value larger than any other number (infinity)."),
    Fn("ldexp", "m, e", "m * 2^e."),
    Fn("log", "x", "The natural logarithm of x."),
    Fn("log10", "x", "The base-10 logarithm of x."),
    Fn("max", "x, ...", "The largest of its arguments."),
    Fn("min", "x, ...", "The smallest of its arguments."),
    Old("mod", "x, y", "The remainder of x / y; math.fmod replaces it."),
    Fn("modf", "x", "The integral and fractional parts of x."),
    Val("pi", "The number pi."),
    Fn("pow", "x, y", "x raised to the power y (the same as x^y)."),
    Fn("rad", "x", "The angle x converted from degrees to radians."),
    Fn("random", "(m), (n)", "A pseudo-random number: in [0, 1) without arguments, else an integer in [1, m] or [m, n]."),
    Fn("randomseed", "x", "Starts the pseudo-random sequence from seed x."),
    Fn("sin", "x", "The sine of x (in radians)."),
    Fn("sinh", "x", "The hyperbolic sine of x."),
    Fn("sqrt", "x", "The square root of x."),
    Fn("tan", "x", "The tangent of x (in radians)."),
    Fn("tanh", "x", "The hyperbolic tangent of x."),
};

constexpr std::array kOs{
    Fn("clock", "", "Processor time used by the program, in seconds."),
    Fn("date", "(format), (time)", "The date and time as text formatted like strftime, or as a table with \"*t\"."),
    Fn("difftime", "t2, t1", "The seconds from time t1 to time t2."),
    Fn("execute", "(command)", "Runs a shell command and returns its status."),
    Fn("exit", "(code)", "Ends the program with the given status."),
    Fn("getenv", "varname", "The value of an environment variable, or nil."),
    Fn("remove", "filename", "Deletes a file or empty folder; nil and a message on failure."),
    Fn("rename", "oldname, newname", "Renames a file; nil and a message on failure."),
    Fn("setlocale", "locale, (category)", "Sets the program's locale; returns its name, or nil."),
    Fn("time", "(table)", "The current time as a number, or the time a date table describes."),
    Fn("tmpname", "", "A file name free for a temporary file."),
};

constexpr std::array kPackage{
    Val("config", "How package paths are written: separators and wildcards, one per line."),
    Val("cpath", "Where require looks for C libraries: templates separated by \";\"."),
    Tbl("loaded", "The modules loaded so far, by name; require looks here first.", true),
    Tbl("loaders", "The functions require tries in turn to find a module.", true),
    Fn("loadlib", "libname, funcname", "Links a C library and returns its function funcname."),
    Val("path", "Where require looks for Lua modules: templates separated by \";\"."),
    Tbl("preload", "Loader functions for modules by name, tried before any path.", true),
    Fn("seeall", "module", "Lets a module see the global variables (for use with module)."),
};

constexpr std::array kString{
    Fn("byte", "s, (i), (j)", "The numeric codes of the characters s[i] to s[j]."),
    Fn("char", "...", "A string made of the characters with the given numeric codes."),
    Fn("dump", "function", "The binary chunk of a Lua function, for loadstring."),
    Fn("find", "s, pattern, (init), (plain)", "Where pattern first matches in s: start, end and captures; nil when it does not."),
    Fn("format", "formatstring, ...", "Text formatted like printf: %d, %s, %q, %f, %x and the rest."),
    Old("gfind", "s, pattern", "The old name of string.gmatch."),
    Fn("gmatch", "s, pattern", "Iterator over the matches of pattern in s."),
    Fn("gsub", "s, pattern, repl, (n)", "s with matches of pattern replaced by a string, table or function; also the count."),
    Fn("len", "s", "The length of s in bytes."),
    Fn("lower", "s", "s with upper-case letters made lower case."),
    Fn("match", "s, pattern, (init)", "The captures of the first match of pattern in s, or nil."),
    Fn("rep", "s, n", "s repeated n times."),
    Fn("reverse", "s", "s with its bytes in reverse order."),
    Fn("sub", "s, i, (j)", "The part of s from byte i to byte j; negative positions count from the end."),
    Fn("upper", "s", "s with lower-case letters made upper case."),
};

constexpr std::array kTable{
    Fn("concat", "table, (sep), (i), (j)", "The strings table[i] to table[j] joined, with sep between them."),
    Old("foreach", "table, f", "Calls f with each key and value of table; pairs replaces it."),
    Old("foreachi", "table, f", "Calls f with each index and value of a list; ipairs replaces it."),
    Old("getn", "table", "The length of a list; the # operator replaces it."),
    Fn("insert", "table, (pos), value", "Inserts value at pos (at the end by default), moving later items up."),
    Fn("maxn", "table", "The largest positive numeric key of table, or 0."),
    Fn("remove", "table, (pos)", "Removes and returns the item at pos (the last by default), moving later items down."),
    Old("setn", "table, n", "Raises an error in Lua 5.1; kept only so old scripts name it."),
    Fn("sort", "table, (comp)", "Sorts a list in place, with < or with comp(a, b)."),
};

constexpr std::array kFile{
    Fn("close", "", "Closes the file."),
    Fn("flush", "", "Writes out what is buffered for the file."),
    Fn("lines", "", "Iterator over the file's lines; the file stays open."),
    Fn("read", "...", "Reads by formats: \"*l\" a line, \"*n\" a number, \"*a\" all, or a count of bytes."),
    Fn("seek", "(whence), (offset)", "Moves to offset from \"set\", \"cur\" or \"end\"; returns the position."),
    Fn("setvbuf", "mode, (size)", "Sets buffering: \"no\", \"full\" or \"line\"."),
    Fn("write", "...", "Writes strings and numbers to the file."),
};

struct LibraryTable {
    std::string_view name;
    std::span<const LuaLibraryEntry> fields;
};

// Sorted by name.
constexpr std::array<LibraryTable, 8> kTables{{
    {"coroutine", kCoroutine},
    {"debug", kDebug},
    {"io", kIo},
    {"math", kMath},
    {"os", kOs},
    {"package", kPackage},
    {"string", kString},
    {"table", kTable},
}};

template <typename Range>
auto FindByName(const Range &range, std::string_view name)
{
    const auto found = std::lower_bound(std::begin(range), std::end(range), name,
                                        [](const auto &each, std::string_view key) { return each.name < key; });
    return found != std::end(range) && found->name == name ? &*found : nullptr;
}

int Count(std::string_view text, char c) { return int(std::count(text.begin(), text.end(), c)); }

} // namespace

std::vector<std::string_view> LuaLibraryEntry::ParameterList() const
{
    std::vector<std::string_view> list;
    std::string_view rest = parameters;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(", ");
        list.push_back(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 2);
    }
    return list;
}

int LuaLibraryEntry::LeastArguments() const
{
    int least = 0;
    for (std::string_view parameter : ParameterList())
        least += parameter.front() == '(' || parameter == "..." ? 0 : 1;
    return least;
}

int LuaLibraryEntry::MostArguments() const
{
    if (parameters.find("...") != std::string_view::npos)
        return -1;
    return parameters.empty() ? 0 : Count(parameters, ',') + 1;
}

namespace LuaLibrary {

std::span<const LuaLibraryEntry> Globals() { return kGlobals; }

const LuaLibraryEntry *Global(std::string_view name) { return FindByName(kGlobals, name); }

std::span<const LuaLibraryEntry> Fields(std::string_view table)
{
    const LibraryTable *found = FindByName(kTables, table);
    return found ? found->fields : std::span<const LuaLibraryEntry>();
}

const LuaLibraryEntry *Field(std::string_view table, std::string_view field)
{
    return FindByName(Fields(table), field);
}

bool IsLibraryTable(std::string_view table) { return FindByName(kTables, table) != nullptr; }

std::span<const LuaLibraryEntry> FileMethods() { return kFile; }

const LuaLibraryEntry *FileMethod(std::string_view name) { return FindByName(kFile, name); }

std::string Signature(std::string_view table, const LuaLibraryEntry &entry)
{
    std::string text = table.empty() ? std::string(entry.name) : std::string(table) + '.' + std::string(entry.name);
    if (entry.IsFunction())
        text += " (" + std::string(entry.parameters) + ')';
    return text;
}

} // namespace LuaLibrary
