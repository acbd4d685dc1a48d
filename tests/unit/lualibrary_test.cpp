// The library list is checked against a real Lua 5.1 state: whatever the interpreter defines
// is listed, and whatever is listed exists there.
#include "model/lualibrary.h"

#include <gtest/gtest.h>
#include <lua.hpp>

#include <set>
#include <string>

namespace {

// The names of the string-keyed fields of the table at the top of the stack.
std::set<std::string> KeysOfTop(lua_State *L)
{
    std::set<std::string> keys;
    lua_pushnil(L);
    while (lua_next(L, -2)) {
        lua_pop(L, 1);
        if (lua_type(L, -1) == LUA_TSTRING)
            keys.insert(lua_tostring(L, -1));
    }
    return keys;
}

template <typename Entries>
std::set<std::string> Names(const Entries &entries)
{
    std::set<std::string> names;
    for (const LuaLibraryEntry &entry : entries)
        names.insert(std::string(entry.name));
    return names;
}

class LuaState : public ::testing::Test {
protected:
    void SetUp() override
    {
        L = luaL_newstate();
        luaL_openlibs(L);
    }
    void TearDown() override { lua_close(L); }
    lua_State *L = nullptr;
};

} // namespace

TEST_F(LuaState, GlobalsAreWhatLuaDefines)
{
    lua_pushvalue(L, LUA_GLOBALSINDEX);
    std::set<std::string> expected = KeysOfTop(L);
    expected.insert("arg"); // set by the stand-alone interpreter, not by the libraries
    EXPECT_EQ(Names(LuaLibrary::Globals()), expected);
}

TEST_F(LuaState, LibraryTablesHaveWhatLuaDefines)
{
    for (const char *table : {"coroutine", "debug", "io", "math", "os", "package", "string", "table"}) {
        SCOPED_TRACE(table);
        ASSERT_TRUE(LuaLibrary::IsLibraryTable(table));
        lua_getglobal(L, table);
        std::set<std::string> expected = KeysOfTop(L);
        lua_pop(L, 1);
        if (std::string(table) == "math")
            expected.insert("mod"); // present when Lua is built with its compatibility switches
        if (std::string(table) == "string")
            expected.insert("gfind");
        EXPECT_EQ(Names(LuaLibrary::Fields(table)), expected);
    }
}

TEST(LuaLibrary, LookupsFindEntriesAndRefuseOthers)
{
    ASSERT_NE(LuaLibrary::Global("print"), nullptr);
    EXPECT_EQ(LuaLibrary::Global("string")->kind, LuaLibraryEntry::Kind::Table);
    EXPECT_EQ(LuaLibrary::Global("prnt"), nullptr);
    ASSERT_NE(LuaLibrary::Field("math", "floor"), nullptr);
    EXPECT_EQ(LuaLibrary::Field("math", "flor"), nullptr);
    EXPECT_EQ(LuaLibrary::Field("print", "x"), nullptr);
    EXPECT_FALSE(LuaLibrary::IsLibraryTable("_G"));
    EXPECT_TRUE(LuaLibrary::Global("_G")->openFields);
    EXPECT_TRUE(LuaLibrary::Field("table", "getn")->compatibility);
    EXPECT_NE(LuaLibrary::FileMethod("seek"), nullptr);
    EXPECT_EQ(LuaLibrary::Signature("string", *LuaLibrary::Field("string", "sub")), "string.sub (s, i, (j))");
    EXPECT_EQ(LuaLibrary::Signature("", *LuaLibrary::Global("_VERSION")), "_VERSION");
}

TEST(LuaLibrary, ArgumentCountsFollowTheParameters)
{
    struct Case {
        const char *table, *name;
        int least, most;
    };
    for (const Case &c : {Case{"", "print", 0, -1}, Case{"", "assert", 1, -1}, Case{"", "setmetatable", 2, 2},
                          Case{"table", "insert", 2, 3}, Case{"math", "random", 0, 2}, Case{"os", "clock", 0, 0},
                          Case{"string", "format", 1, -1}}) {
        const LuaLibraryEntry *entry = *c.table ? LuaLibrary::Field(c.table, c.name) : LuaLibrary::Global(c.name);
        ASSERT_NE(entry, nullptr) << c.name;
        EXPECT_EQ(entry->LeastArguments(), c.least) << c.name;
        EXPECT_EQ(entry->MostArguments(), c.most) << c.name;
    }
    EXPECT_EQ(LuaLibrary::Field("string", "gsub")->ParameterList(),
              (std::vector<std::string_view>{"s", "pattern", "repl", "(n)"}));
}
