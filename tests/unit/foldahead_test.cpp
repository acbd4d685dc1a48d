// The fold levels worked out on a second thread: the same as one scan of the whole text, across
// the pieces it scans in, and none left once stopped.
#include "editor/foldahead.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::uint32_t> WholeScan(const std::string &text)
{
    FoldState state;
    std::vector<std::uint32_t> levels;
    ScanFoldLevels(text, state, levels);
    return levels;
}

void WaitFor(const CFoldAhead &ahead, std::size_t lines)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ahead.Ready().size() < lines && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Several megabytes, so the scan takes several pieces, with every kind of line break, and long
// strings and comments and tables open across the places where a piece may end.
std::string MixedScript()
{
    const std::string blocks[] = {"function f(a)\r\n  local t = { a,\r\n",     "    [==[x\r  ]] ]==] }\n",
                                  "  if a then return t end\rend\n",            "--[[ a comment\n\n",
                                  "that goes on ]] do local s = 'do' end\r\n", "repeat x = (1 +\n2) until x\n"};
    std::string text;
    for (std::size_t i = 0; text.size() < (5u << 20); i = (i * 7 + 3) % 6)
        text += blocks[i];
    return text + "if open then"; // no line break at the end
}

} // namespace

TEST(FoldAheadTest, LevelsEqualOneScanOfTheWholeText)
{
    const std::string text = MixedScript();
    const std::vector<std::uint32_t> expected = WholeScan(text);
    CFoldAhead ahead;
    ahead.Start(text, expected.size() + 1);
    WaitFor(ahead, expected.size());
    const auto ready = ahead.Ready();
    ASSERT_EQ(ready.size(), expected.size());
    EXPECT_TRUE(std::equal(ready.begin(), ready.end(), expected.begin()));
}

TEST(FoldAheadTest, StopDropsTheLevelsAndAStartBeginsAgain)
{
    const std::string text = MixedScript();
    const std::vector<std::uint32_t> expected = WholeScan(text);
    CFoldAhead ahead;
    ahead.Start(text, expected.size());
    ahead.Stop();
    EXPECT_TRUE(ahead.Ready().empty());
    ahead.Start(text, expected.size());
    ahead.Start(text, expected.size()); // a second start stops the first
    WaitFor(ahead, expected.size());
    EXPECT_EQ(ahead.Ready().size(), expected.size());
    EXPECT_EQ(ahead.Ready().back(), expected.back());
    ahead.Stop();
    EXPECT_TRUE(ahead.Ready().empty());
}

TEST(FoldAheadTest, MoreLinesThanSaidAreNotTrusted)
{
    const std::string text = MixedScript();
    CFoldAhead ahead;
    ahead.Start(text, 1000);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_LE(ahead.Ready().size(), 1000u);
}
