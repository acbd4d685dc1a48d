// The outline's entries: names as written, nesting, lines, and the filter.
#include "panes/outlineitems.h"

#include <gtest/gtest.h>

namespace {

TEST(OutlineItems, NamesNestingAndLines)
{
    const std::string text = "#!/usr/bin/lua\n"
                             "local function helper(a)\n"
                             "  local function inner() end\n"
                             "end\n"
                             "-- function commented()\n"
                             "function wells.add:well(x)\n"
                             "  setup = function()\n"
                             "  end\n"
                             "end\n"
                             "local s = \"function inString()\"\n"
                             "M.new = function() end\n";
    const std::vector<OutlineItem> items = OutlineItems(text);
    ASSERT_EQ(items.size(), 5u);
    const std::vector<std::tuple<std::string, int, int, bool>> expected = {
        {"helper", 0, 2, true}, {"inner", 1, 3, true}, {"wells.add:well", 0, 6, false},
        {"setup", 1, 7, false}, {"M.new", 0, 11, false}};
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].name, std::get<0>(expected[i]));
        EXPECT_EQ(items[i].depth, std::get<1>(expected[i])) << items[i].name;
        EXPECT_EQ(items[i].line, std::get<2>(expected[i])) << items[i].name;
        EXPECT_EQ(items[i].isLocal, std::get<3>(expected[i])) << items[i].name;
        EXPECT_EQ(text.substr(items[i].position, items[i].name.size()), items[i].name);
    }
}

TEST(OutlineItems, FilterWordsAllOccurWithoutCase)
{
    EXPECT_TRUE(OutlineNameFits("wells.add:well", ""));
    EXPECT_TRUE(OutlineNameFits("wells.add:well", "ADD"));
    EXPECT_TRUE(OutlineNameFits("wells.add:well", " add  wells "));
    EXPECT_FALSE(OutlineNameFits("wells.add:well", "add pump"));
    EXPECT_FALSE(OutlineNameFits("helper", "helpers"));
}

} // namespace
