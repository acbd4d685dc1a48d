// The compact table a check's problems are kept in: every problem comes back as the check
// found it, with the bytes it marks beside it, and a message many problems share is held once.
#include "check/problemtable.h"

#include <gtest/gtest.h>

namespace {

ScriptProblem Problem(ProblemSeverity severity, std::size_t start, std::size_t end, int line, int column,
                      std::string message)
{
    return {severity, start, end, line, column, std::move(message)};
}

struct TableCase {
    const char *name;
    std::vector<ScriptProblem> problems;
    std::size_t distinctMessages;
};

class ProblemTableTest : public testing::TestWithParam<TableCase> {};

TEST_P(ProblemTableTest, GivesBackEveryProblemAndEachMessageOnce)
{
    const TableCase &c = GetParam();
    const ProblemTable table(c.problems);
    ASSERT_EQ(table.Size(), c.problems.size());
    EXPECT_EQ(table.MessageCount(), c.distinctMessages);
    const std::vector<ProblemSpan> spans = ProblemTable::Spans(c.problems);
    ASSERT_EQ(spans.size(), c.problems.size());
    for (std::size_t i = 0; i < c.problems.size(); ++i) {
        ScriptProblem placeless = c.problems[i];
        placeless.start = placeless.end = 0;
        EXPECT_EQ(table.At(i), placeless) << "problem " << i;
        EXPECT_EQ(spans[i], (ProblemSpan{std::uint32_t(c.problems[i].start), std::uint32_t(c.problems[i].end)}))
            << "problem " << i;
        EXPECT_EQ(table[i].Severity(), c.problems[i].severity) << "problem " << i;
        EXPECT_EQ(table.Message(table[i].MessageIndex()), c.problems[i].message) << "problem " << i;
    }
}

const std::string kLong = "tg_addpoint expects 2 arguments, got 3 (a message longer than a short string)";

INSTANTIATE_TEST_SUITE_P(
    Tables, ProblemTableTest,
    testing::Values(
        TableCase{"Empty", {}, 0},
        TableCase{"SyntaxErrorWithoutLine", {Problem(ProblemSeverity::Error, 0, 0, 0, 0, "unexpected symbol near '<eof>'")}, 1},
        TableCase{"SharedMessagesAmongOthers",
                  {Problem(ProblemSeverity::Warning, 0, 11, 1, 1, kLong),
                   Problem(ProblemSeverity::Error, 20, 4000, 2, 0, "'=' expected near 'x'"),
                   Problem(ProblemSeverity::Warning, 4100, 4111, 90, 7, kLong),
                   Problem(ProblemSeverity::Warning, 5000, 5001, 91, 1, ""),
                   Problem(ProblemSeverity::Warning, 6000, 6011, 92, 300000, kLong)},
                  3},
        // The same message as an error and as a warning: the severity belongs to the problem.
        TableCase{"OneMessageTwoSeverities",
                  {Problem(ProblemSeverity::Error, 1, 2, 1, 1, "x"), Problem(ProblemSeverity::Warning, 3, 4, 1, 3, "x")},
                  1},
        // Places near the largest script the editor holds.
        TableCase{"FarPlaces",
                  {Problem(ProblemSeverity::Warning, 2147483000u, 2147483646u, 2000000000, 65, "far")},
                  1}),
    [](const testing::TestParamInfo<TableCase> &info) { return std::string(info.param.name); });

} // namespace
