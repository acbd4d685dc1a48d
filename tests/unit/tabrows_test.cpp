#include "frame/tabrows.h"

#include <gtest/gtest.h>

namespace {

struct WrapCase {
    const char *name;
    std::vector<int> widths;
    int rowWidth;
    std::vector<int> rows;
};

class WrapTabsTest : public testing::TestWithParam<WrapCase> {};

TEST_P(WrapTabsTest, FillsRowsInOrder)
{
    EXPECT_EQ(WrapTabsIntoRows(GetParam().widths, GetParam().rowWidth), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Strips, WrapTabsTest,
    testing::Values(WrapCase{"NoTabs", {}, 300, {}},
                    WrapCase{"AllFit", {100, 100, 100}, 300, {0, 0, 0}},
                    WrapCase{"ThirdWraps", {100, 100, 101}, 300, {0, 0, 1}},
                    WrapCase{"ManyRows", {120, 120, 120, 120, 120}, 250, {0, 0, 1, 1, 2}},
                    WrapCase{"WideTabAloneInItsRow", {50, 400, 50}, 300, {0, 1, 2}},
                    WrapCase{"WideFirstTab", {400, 50}, 300, {0, 1}},
                    WrapCase{"NoWidthAtAll", {10, 10}, 0, {0, 1}}),
    [](const testing::TestParamInfo<WrapCase> &info) { return std::string(info.param.name); });

struct RowCase {
    const char *name;
    int frontRow;
    int rowCount;
    std::vector<int> positions; // of rows 0, 1, ...
};

class VisualRowTest : public testing::TestWithParam<RowCase> {};

TEST_P(VisualRowTest, FrontRowIsAtTheBottom)
{
    const RowCase &c = GetParam();
    std::vector<int> positions;
    for (int row = 0; row < c.rowCount; ++row)
        positions.push_back(VisualRowPosition(row, c.frontRow, c.rowCount));
    EXPECT_EQ(positions, c.positions);
}

INSTANTIATE_TEST_SUITE_P(
    Strips, VisualRowTest,
    testing::Values(RowCase{"OneRow", 0, 1, {0}},
                    RowCase{"LastRowInFront", 2, 3, {0, 1, 2}},
                    RowCase{"FirstRowInFront", 0, 3, {2, 0, 1}},
                    RowCase{"MiddleRowInFront", 1, 3, {1, 2, 0}}),
    [](const testing::TestParamInfo<RowCase> &info) { return std::string(info.param.name); });

} // namespace
