#include "luacheckconfig.h"

#include "check/warningcodes.h"

#include <lua.hpp>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// ----- The sandbox ---------------------------------------------------------------------------

struct Sandbox {
    std::size_t used = 0;
    std::size_t limit = 0;
    long hookCalls = 0;
    long hookLimit = 0;
};

constexpr int kHookEvery = 1000; // instructions between two counts

void *LimitedAlloc(void *ud, void *ptr, std::size_t oldSize, std::size_t newSize)
{
    auto *sandbox = static_cast<Sandbox *>(ud);
    if (newSize == 0) {
        std::free(ptr);
        sandbox->used -= oldSize;
        return nullptr;
    }
    if (newSize > oldSize && sandbox->used - oldSize + newSize > sandbox->limit)
        return nullptr;
    void *grown = std::realloc(ptr, newSize);
    if (grown)
        sandbox->used = sandbox->used - oldSize + newSize;
    return grown;
}

Sandbox *SandboxOf(lua_State *L)
{
    void *ud = nullptr;
    lua_getallocf(L, &ud);
    return static_cast<Sandbox *>(ud);
}

void CountSteps(lua_State *L, lua_Debug *)
{
    Sandbox *sandbox = SandboxOf(L);
    if (++sandbox->hookCalls > sandbox->hookLimit)
        luaL_error(L, "it runs too long (more than %d million steps); is there an endless loop?",
                   int(sandbox->hookLimit * kHookEvery / 1000000));
}

// What the file may use: Lua's base functions without those that reach files or load code,
// and the string, table and math libraries without pattern matching, whose backtracking no
// step count can stop.
void OpenSafeLibraries(lua_State *L)
{
    const lua_CFunction libraries[] = {luaopen_base, luaopen_table, luaopen_string, luaopen_math};
    for (lua_CFunction open : libraries) {
        lua_pushcfunction(L, open);
        lua_call(L, 0, 0);
    }
    for (const char *name : {"dofile", "loadfile", "load", "loadstring", "require", "module", "print", "getfenv",
                             "setfenv", "collectgarbage", "newproxy", "gcinfo", "coroutine"}) {
        lua_pushnil(L);
        lua_setglobal(L, name);
    }
    lua_getglobal(L, "string");
    for (const char *name : {"find", "match", "gmatch", "gsub", "gfind", "dump"}) {
        lua_pushnil(L);
        lua_setfield(L, -2, name);
    }
    lua_pop(L, 1);
}

// ----- Reading the options -------------------------------------------------------------------

struct RunContext {
    std::string_view text;
    const std::string *path = nullptr;
    long hookLimit = 0;
    LuacheckConfig *config = nullptr;
};

bool IsKnownOption(std::string_view name)
{
    static constexpr std::string_view kOptions[] = {
        "std", "globals", "read_globals", "new_globals", "new_read_globals", "not_globals", "ignore", "enable",
        "only", "unused_args", "unused", "redefined", "allow_defined", "allow_defined_top", "max_line_length",
        "max_code_line_length", "max_string_line_length", "max_comment_line_length", "max_cyclomatic_complexity",
        "unused_secondaries", "self", "compat", "module", "inline", "files", "stds", "codes", "ranges", "quiet",
        "color", "formatter", "cache", "jobs", "exclude_files", "include_files", "global", "operators"};
    for (std::string_view known : kOptions)
        if (known == name)
            return true;
    return false;
}

class OptionReader {
public:
    OptionReader(lua_State *L, LuacheckConfig &config) : L(L), m_config(config) {}

    // The environment table is at the top of the stack.
    void Read()
    {
        const int env = lua_gettop(L);
        ReadNames(env, "globals", m_config.globals);
        ReadNames(env, "read_globals", m_config.globals);
        ReadNames(env, "new_globals", m_config.globals);
        ReadNames(env, "new_read_globals", m_config.globals);
        ReadNames(env, "ignore", m_config.ignore, true);
        ReadNames(env, "enable", m_config.enable, true);
        ReadSwitch(env, "unused_args", m_config.unusedArgs);
        ReadSwitch(env, "unused", m_config.unused);
        ReadSwitch(env, "redefined", m_config.redefined);
        std::optional<bool> allowDefined, allowDefinedTop;
        ReadSwitch(env, "allow_defined", allowDefined);
        ReadSwitch(env, "allow_defined_top", allowDefinedTop);
        if (allowDefined || allowDefinedTop)
            m_config.allowDefined = allowDefined.value_or(false) || allowDefinedTop.value_or(false);
        ReadLineLength(env);
        ReadStd(env);
        ReportUnknown(env);
    }

private:
    void Problem(std::string message) { m_config.problems.push_back(m_config.path + ": " + std::move(message)); }

    // Pushes env[name] without metamethods.
    int RawField(int table, const char *name)
    {
        lua_pushstring(L, name);
        lua_rawget(L, table);
        return lua_type(L, -1);
    }

    static std::string Text(lua_State *L, int index)
    {
        std::size_t size = 0;
        const char *text = lua_tolstring(L, index, &size);
        return std::string(text, size);
    }

    // A list of strings ({"a", "b"}), or a table whose string keys are names ({a = {...}}).
    void ReadNames(int env, const char *option, std::vector<std::string> &names, bool patterns = false)
    {
        const int type = RawField(env, option);
        if (type == LUA_TTABLE)
            ReadNameTable(lua_gettop(L), option, names, patterns);
        else if (type != LUA_TNIL)
            Problem(std::string(option) + " must be a table of strings, not a " + lua_typename(L, type));
        lua_pop(L, 1);
    }

    void ReadNameTable(int table, const char *option, std::vector<std::string> &names, bool patterns)
    {
        lua_pushnil(L);
        while (lua_next(L, table)) {
            if (lua_type(L, -1) == LUA_TSTRING)
                names.push_back(Text(L, -1));
            else if (!patterns && lua_type(L, -2) == LUA_TSTRING)
                names.push_back(Text(L, -2));
            else if (lua_type(L, -1) != LUA_TTABLE && lua_type(L, -1) != LUA_TBOOLEAN)
                Problem(std::string(option) + " holds a " + lua_typename(L, lua_type(L, -1)) + " where a name belongs");
            lua_pop(L, 1);
        }
    }

    void ReadSwitch(int env, const char *option, std::optional<bool> &value)
    {
        const int type = RawField(env, option);
        if (type == LUA_TBOOLEAN)
            value = lua_toboolean(L, -1) != 0;
        else if (type != LUA_TNIL)
            Problem(std::string(option) + " must be true or false, not a " + lua_typename(L, type));
        lua_pop(L, 1);
    }

    void ReadLineLength(int env)
    {
        const int type = RawField(env, "max_line_length");
        if (type == LUA_TNUMBER && lua_tonumber(L, -1) >= 1 && lua_tonumber(L, -1) < 1e9)
            m_config.maxLineLength = std::size_t(lua_tonumber(L, -1));
        else if (type == LUA_TBOOLEAN && !lua_toboolean(L, -1))
            m_config.maxLineLength = 0;
        else if (type != LUA_TNIL)
            Problem("max_line_length must be a positive number or false");
        lua_pop(L, 1);
    }

    void ReadStd(int env)
    {
        const int type = RawField(env, "std");
        if (type == LUA_TSTRING)
            ReadStdNames(env, Text(L, -1));
        else if (type == LUA_TTABLE)
            ReadStdTable(lua_gettop(L));
        else if (type != LUA_TNIL)
            Problem(std::string("std must be a name such as \"lua51\" or a table, not a ") + lua_typename(L, type));
        lua_pop(L, 1);
    }

    // "lua51", "lua51+busted", "+mystd"; a name defined under stds is read from there.
    void ReadStdNames(int env, const std::string &stds)
    {
        bool anyLua = false;
        bool none = true;
        std::size_t start = stds.empty() || stds[0] != '+' ? 0 : 1;
        if (start == 1)
            anyLua = true; // added to the default, which is Lua's own
        while (start <= stds.size()) {
            std::size_t plus = stds.find('+', start);
            if (plus == std::string::npos)
                plus = stds.size();
            const std::string name = stds.substr(start, plus - start);
            start = plus + 1;
            if (name.empty())
                continue;
            none = false;
            if (name == "none")
                continue;
            if (name.starts_with("lua5") || name == "luajit" || name == "max" || name == "min" || name == "ngx_lua")
                anyLua = true;
            else if (!ReadNamedStd(env, name))
                Problem("std \"" + name + "\" is not known here; its globals count as undefined");
        }
        m_config.luaNames = anyLua || none;
    }

    // A std the file defines itself under stds; false when there is none of that name.
    bool ReadNamedStd(int env, const std::string &name)
    {
        const int top = lua_gettop(L);
        bool found = false;
        if (RawField(env, "stds") == LUA_TTABLE) {
            lua_pushstring(L, name.c_str());
            lua_rawget(L, -2);
            if (lua_type(L, -1) == LUA_TTABLE) {
                ReadStdTable(lua_gettop(L));
                found = true;
            }
        }
        lua_settop(L, top);
        return found;
    }

    void ReadStdTable(int table)
    {
        ReadNames(table, "globals", m_config.globals);
        ReadNames(table, "read_globals", m_config.globals);
    }

    void ReportUnknown(int env)
    {
        lua_pushnil(L);
        while (lua_next(L, env)) {
            lua_pop(L, 1);
            if (lua_type(L, -1) == LUA_TSTRING && !IsKnownOption(lua_tostring(L, -1)))
                Problem("unknown option \"" + Text(L, -1) + "\" is left alone");
        }
    }

    lua_State *L;
    LuacheckConfig &m_config;
};

// Runs inside lua_cpcall, so that running out of memory anywhere is an error Lua reports and
// never a panic.
int RunConfig(lua_State *L)
{
    auto *context = static_cast<RunContext *>(lua_touserdata(L, 1));
    lua_settop(L, 0);
    OpenSafeLibraries(L);
    lua_settop(L, 0);
    const std::string chunkName = "@" + *context->path;
    if (luaL_loadbuffer(L, context->text.data(), context->text.size(), chunkName.c_str()) != 0)
        return lua_error(L);
    // The file's globals land in a table of their own, which reads Lua's through __index.
    lua_newtable(L);
    lua_newtable(L);
    lua_pushvalue(L, LUA_GLOBALSINDEX);
    lua_setfield(L, -2, "__index");
    lua_setmetatable(L, -2);
    lua_pushvalue(L, -1);
    lua_setfenv(L, 1);
    lua_insert(L, 1); // env, chunk
    SandboxOf(L)->hookLimit = context->hookLimit;
    lua_sethook(L, CountSteps, LUA_MASKCOUNT, kHookEvery);
    lua_call(L, 0, 0);
    lua_sethook(L, nullptr, 0, 0);
    OptionReader(L, *context->config).Read();
    return 0;
}

std::string ErrnoText(int error) { return std::strerror(error); }

// The file's bytes, without following a link and no more than maxSize; nullopt after a problem.
std::optional<std::string> ReadConfigFile(const std::string &path, std::size_t maxSize, std::vector<std::string> &problems)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        problems.push_back(path + ": cannot be read: " + ErrnoText(errno));
        return std::nullopt;
    }
    struct stat info {};
    std::optional<std::string> text;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        problems.push_back(path + ": is not a regular file and is left alone");
    } else if (std::size_t(info.st_size) > maxSize) {
        problems.push_back(path + ": is larger than " + std::to_string(maxSize / 1024) + " KB and is left alone");
    } else {
        std::string bytes(std::size_t(info.st_size), '\0');
        std::size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += std::size_t(n);
        }
        bytes.resize(got);
        text = std::move(bytes);
    }
    ::close(fd);
    return text;
}

} // namespace

bool LuacheckConfig::Switch(int code, bool on) const
{
    if (unusedArgs && (code == WarningCode::kUnusedArgument || code == WarningCode::kUnusedLoopVariable))
        on = *unusedArgs;
    if (unused && (code / 10 == 21 || code == WarningCode::kNeverRead || code == WarningCode::kOverwritten))
        on = *unused && (!unusedArgs || on);
    if (redefined && code / 100 == 4)
        on = *redefined;
    if (code == WarningCode::kLineTooLong)
        on = maxLineLength > 0;
    return on;
}

LuacheckConfig ReadLuacheckConfig(std::string_view text, const std::string &path, const SandboxLimits &limits)
{
    LuacheckConfig config;
    config.path = path;
    Sandbox sandbox;
    sandbox.limit = limits.memory;
    lua_State *L = lua_newstate(LimitedAlloc, &sandbox);
    if (!L) {
        config.problems.push_back(path + ": not enough memory to read it");
        return config;
    }
    RunContext context{text, &path, std::max(1L, limits.instructions / kHookEvery), &config};
    if (lua_cpcall(L, RunConfig, &context) != 0) {
        const char *message = lua_tostring(L, -1);
        config.problems.push_back(message ? std::string(message) : path + ": it raised an error without a message");
        // What it set before the error is not trusted.
        LuacheckConfig failed;
        failed.path = path;
        failed.problems = std::move(config.problems);
        config = std::move(failed);
    }
    lua_close(L);
    return config;
}

std::optional<LuacheckConfig> LoadLuacheckConfigFor(const std::string &scriptPath, std::size_t maxSize)
{
    if (scriptPath.empty())
        return std::nullopt;
    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(scriptPath, error).parent_path();
    if (error)
        return std::nullopt;
    for (;;) {
        const std::filesystem::path candidate = folder / ".luacheckrc";
        struct stat info {};
        if (::lstat(candidate.c_str(), &info) == 0) {
            LuacheckConfig config;
            config.path = candidate.string();
            if (S_ISLNK(info.st_mode)) {
                config.problems.push_back(config.path + ": is a symbolic link and is left alone");
                return config;
            }
            std::optional<std::string> text = ReadConfigFile(config.path, maxSize, config.problems);
            return text ? ReadLuacheckConfig(*text, config.path) : config;
        }
        if (!folder.has_parent_path() || folder.parent_path() == folder)
            return std::nullopt;
        folder = folder.parent_path();
    }
}

const LuacheckConfig *LuacheckConfigCache::For(const std::string &scriptPath)
{
    std::error_code error;
    const std::string folder = std::filesystem::absolute(scriptPath, error).parent_path().string();
    auto found = m_byFolder.find(folder);
    if (found == m_byFolder.end())
        found = m_byFolder.emplace(folder, LoadLuacheckConfigFor(scriptPath)).first;
    return found->second ? &*found->second : nullptr;
}
