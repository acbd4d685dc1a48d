#include "editor/changerange.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

TEST(ChangeRange, FollowsInsertionsAndDeletions)
{
    ChangeRange range;
    EXPECT_TRUE(range.IsEmpty());
    range.Insert(10, 3); // [10, 13)
    range.Insert(2, 4);  // before it: [2, 17)
    EXPECT_EQ(range.Start(), 2);
    EXPECT_EQ(range.End(), 17);
    range.Delete(0, 5); // eats the start: [0, 12)
    EXPECT_EQ(range.Start(), 0);
    EXPECT_EQ(range.End(), 12);
    range.Delete(20, 5); // after it: a point at 20
    EXPECT_EQ(range.End(), 20);
}

// Random edits on a text of dots: every inserted byte still there lies inside the range.
TEST(ChangeRange, CoversEveryTouchedByteAfterRandomEdits)
{
    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round) {
        std::string text(50, '.');
        ChangeRange range;
        for (int edit = 0; edit < 4; ++edit) {
            const int position = int(random() % (text.size() + 1));
            const int length = int(random() % 6);
            if (random() % 2) {
                range.Insert(position, length);
                text.insert(std::size_t(position), std::size_t(length), '+');
            } else {
                const int removed = std::min<int>(length, int(text.size()) - position);
                range.Delete(position, removed);
                text.erase(std::size_t(position), std::size_t(removed));
            }
        }
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '+') {
                ASSERT_TRUE(int64_t(i) >= range.Start() && int64_t(i) < range.End()) << round << ": " << text;
            }
        }
        ASSERT_LE(range.End(), int64_t(text.size())) << round;
    }
}

} // namespace
