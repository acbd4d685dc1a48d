// Checks the shape of the built-in Tarn function table: its line format, its order and the
// counts per module and per kind of parameter that the completion and tooltips rely on.
#include "app/defaulttexts.h"
#include "app/scribacobarray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

using Entries = std::vector<std::string>; // name, then parameter names

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string_view::npos;
         start = end + 2)
        lines.emplace_back(text.substr(start, end - start));
    return lines;
}

Entries SplitBlanks(const std::string &line)
{
    Entries entries;
    for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
        end = line.find(' ', start);
        entries.push_back(line.substr(start, end - start));
    }
    return entries;
}

std::vector<Entries> DefaultEntries()
{
    std::vector<Entries> all;
    for (const std::string &line : SplitLines(DefaultFunctionsText()))
        all.push_back(SplitBlanks(line));
    return all;
}

bool HasParameter(const Entries &entries, char opening)
{
    return std::any_of(entries.begin() + 1, entries.end(),
                       [opening](const std::string &p) { return p.front() == opening; });
}

bool HasPrefix(const Entries &entries, std::string_view prefix)
{
    return entries[0].starts_with(prefix);
}

TEST(DefaultFunctions, EveryLineEndsWithCrLf)
{
    std::string_view text = DefaultFunctionsText();
    ASSERT_TRUE(text.ends_with("\r\n"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 209);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 209);
    EXPECT_EQ(SplitLines(text).size(), 209u);
}

TEST(DefaultFunctions, LinesAreLowerCaseSingleBlankSeparated)
{
    const std::regex name("[a-z0-9_]+");
    const std::regex parameter("[a-z0-9_]+|\"[a-z0-9_]+\"|\\([a-z0-9_]+\\)");
    for (const std::string &line : SplitLines(DefaultFunctionsText())) {
        SCOPED_TRACE(line);
        EXPECT_EQ(line.find('\t'), std::string::npos);
        EXPECT_EQ(line.find("  "), std::string::npos);
        ASSERT_FALSE(line.empty());
        EXPECT_NE(line.front(), ' ');
        EXPECT_NE(line.back(), ' ');
        EXPECT_TRUE(std::none_of(line.begin(), line.end(), [](char c) { return c >= 'A' && c <= 'Z'; }));
        Entries entries = SplitBlanks(line);
        EXPECT_TRUE(std::regex_match(entries[0], name));
        for (std::size_t i = 1; i < entries.size(); ++i)
            EXPECT_TRUE(std::regex_match(entries[i], parameter)) << entries[i];
    }
}

TEST(DefaultFunctions, NamesHaveOnlyAPrefixUnderscore)
{
    // Typed words lose underscores from index 3 on before lookup, so a later one could never match;
    // a name without a module prefix must not look like one either.
    const std::set<std::string> prefixes{"tg_", "tm_", "tr_", "tv_"};
    for (const Entries &entries : DefaultEntries()) {
        const std::string &name = entries[0];
        EXPECT_EQ(name.find('_', 3), std::string::npos) << name;
        if (name.find('_') != std::string::npos) {
            EXPECT_TRUE(prefixes.contains(name.substr(0, 3))) << name;
        }
    }
}

TEST(DefaultFunctions, NamesStrictlyAscendingAndUnique)
{
    std::vector<Entries> all = DefaultEntries();
    std::set<std::string> names;
    for (std::size_t i = 0; i < all.size(); ++i) {
        names.insert(all[i][0]);
        if (i > 0) {
            EXPECT_LT(all[i - 1][0], all[i][0]);
        }
    }
    EXPECT_EQ(names.size(), all.size());
}

struct CountCase {
    const char *name;
    std::function<bool(const Entries &)> matches;
    long expected;
};

class DefaultFunctionCount : public testing::TestWithParam<CountCase> {};

TEST_P(DefaultFunctionCount, MatchesTable)
{
    std::vector<Entries> all = DefaultEntries();
    EXPECT_EQ(std::count_if(all.begin(), all.end(), GetParam().matches), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DefaultFunctionCount,
    testing::Values(
        CountCase{"GeometryModule", [](const Entries &e) { return HasPrefix(e, "tg_"); }, 61},
        CountCase{"SolvingModule", [](const Entries &e) { return HasPrefix(e, "tm_"); }, 60},
        CountCase{"ResultsModule", [](const Entries &e) { return HasPrefix(e, "tr_"); }, 39},
        CountCase{"ViewModule", [](const Entries &e) { return HasPrefix(e, "tv_"); }, 37},
        CountCase{"General",
                  [](const Entries &e) { return e[0].find('_') == std::string::npos; }, 12},
        CountCase{"NoParameter", [](const Entries &e) { return e.size() == 1; }, 76},
        CountCase{"ThirteenParameters", [](const Entries &e) { return e.size() == 14; }, 1},
        CountCase{"MoreThanThirteen", [](const Entries &e) { return e.size() > 14; }, 0},
        CountCase{"StringParameter", [](const Entries &e) { return HasParameter(e, '"'); }, 63},
        CountCase{"OptionalParameter", [](const Entries &e) { return HasParameter(e, '('); }, 14}),
    [](const testing::TestParamInfo<CountCase> &info) { return std::string(info.param.name); });

TEST(DefaultFunctions, ParsesIntoSortedTable)
{
    FunctionTable table;
    table.ParseText(DefaultFunctionsText());
    ASSERT_EQ(table.GetSize(), 209);
    EXPECT_EQ(table.Rows(), DefaultEntries());
    EXPECT_EQ(table.MaxParameterCount(), 13);

    FunctionTable sorted = table;
    sorted.SortByName();
    EXPECT_EQ(sorted, table);
}

} // namespace
