#include "editor/editshift.h"

#include <gtest/gtest.h>

namespace {

// "local x = 1\nprint(x)\n" read; then edits; each case maps one old range.
struct ShiftCase {
    const char *name;
    std::vector<std::pair<std::int64_t, std::int64_t>> edits; // (position, +inserted or -deleted)
    std::int64_t start;
    std::int64_t length;
    std::int64_t expected; // RangeToNew
};

class EditShiftTest : public testing::TestWithParam<ShiftCase> {};

EditShift Shift(const ShiftCase &c)
{
    EditShift shift;
    for (const auto &[position, length] : c.edits) {
        if (length > 0)
            shift.Insert(position, length);
        else
            shift.Delete(position, -length);
    }
    return shift;
}

TEST_P(EditShiftTest, MapsTheRange)
{
    const ShiftCase &c = GetParam();
    const EditShift shift = Shift(c);
    EXPECT_EQ(shift.RangeToNew(c.start, c.length), c.expected);
    if (c.expected >= 0) {
        // Where the range went comes back to where it was.
        EXPECT_EQ(shift.ToOld(c.expected), c.start);
        EXPECT_EQ(shift.ToNew(c.start), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edits, EditShiftTest,
    testing::Values(ShiftCase{"NoEdit", {}, 18, 1, 18},
                    ShiftCase{"InsertBefore", {{0, 3}}, 18, 1, 21},
                    ShiftCase{"InsertAfter", {{19, 5}}, 18, 1, 18},
                    ShiftCase{"InsertAtTheStartMovesIt", {{18, 2}}, 18, 1, 20},
                    ShiftCase{"InsertInside", {{7, 1}}, 6, 2, -1},
                    ShiftCase{"DeleteBefore", {{0, -6}}, 18, 1, 12},
                    ShiftCase{"DeleteOverlapping", {{5, -3}}, 6, 1, -1},
                    ShiftCase{"DeleteRightAfter", {{19, -1}}, 18, 1, 18},
                    ShiftCase{"TypedAndTakenBack", {{0, 1}, {0, -1}}, 18, 1, 18},
                    ShiftCase{"ManyEdits", {{0, 4}, {30, 2}, {2, -1}, {10, 1}}, 18, 1, 22}),
    [](const testing::TestParamInfo<ShiftCase> &info) { return std::string(info.param.name); });

TEST(EditShift, PositionInsideInsertedTextGoesToTheInsertion)
{
    EditShift shift;
    shift.Insert(10, 5);
    EXPECT_EQ(shift.ToOld(12), 10);
    EXPECT_EQ(shift.ToOld(15), 10);
    EXPECT_EQ(shift.ToOld(16), 11);
}

TEST(EditShift, DeletedByteHasNoNewPlace)
{
    EditShift shift;
    shift.Delete(10, 5);
    EXPECT_EQ(shift.ToNew(12), -1);
    EXPECT_EQ(shift.ToNew(15), 10);
    EXPECT_EQ(shift.ToOld(10), 15);
}

} // namespace
