// Cutting the server's input into messages, whatever arrives.
#include "lsp/lspmessagereader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Framed(const std::string &body)
{
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// "M:body" for a message, "E" for a broken header, "L" for one over the limit.
std::string Frames(const std::string &input, std::size_t limit = 1000, bool byteByByte = false)
{
    LspMessageReader reader(limit);
    std::vector<LspFrame> frames;
    if (byteByByte)
        for (char c : input)
            reader.Feed(std::string_view(&c, 1), frames);
    else
        reader.Feed(input, frames);
    std::string out;
    for (const LspFrame &frame : frames) {
        out += out.empty() ? "" : " ";
        out += frame.kind == LspFrame::Kind::Message     ? "M:" + frame.body
               : frame.kind == LspFrame::Kind::BadHeader ? "E"
                                                         : "L";
    }
    return out;
}

struct ReaderCase {
    const char *name;
    std::string input;
    const char *frames;
};

class LspMessageReaderTest : public testing::TestWithParam<ReaderCase> {};

// Each case ends with a good message, which must be read whatever came before it, in one piece
// and byte by byte.
TEST_P(LspMessageReaderTest, ReportsAndRecovers)
{
    const ReaderCase &c = GetParam();
    const std::string input = c.input + Framed("{}");
    EXPECT_EQ(Frames(input), c.frames);
    EXPECT_EQ(Frames(input, 1000, true), c.frames);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, LspMessageReaderTest,
    testing::Values(ReaderCase{"Plain", Framed("[1]"), "M:[1] M:{}"},
                    ReaderCase{"OtherHeaders",
                               "Content-Type: application/vscode-jsonrpc; charset=utf-8\r\ncontent-length: 2\r\n\r\nab",
                               "M:ab M:{}"},
                    ReaderCase{"EmptyBody", "Content-Length: 0\r\n\r\n", "M: M:{}"},
                    ReaderCase{"NoLength", "Content-Type: x\r\n\r\n{\"a\":1}", "E M:{}"},
                    ReaderCase{"LengthNotANumber", "Content-Length: ten\r\n\r\n{}", "E M:{}"},
                    ReaderCase{"NegativeLength", "Content-Length: -5\r\n\r\n{}", "E M:{}"},
                    ReaderCase{"HugeNumber", "Content-Length: 99999999999999999999999\r\n\r\n{}", "E M:{}"},
                    ReaderCase{"NoBlankLine", "Content-Length: 2\r\n{}", "E M:{}"},
                    ReaderCase{"GarbageFirst", "hello world\r\n", "E M:{}"},
                    ReaderCase{"ShortLength", "Content-Length: 1\r\n\r\n{}", "M:{ E M:{}"},
                    ReaderCase{"OverLimit", "Content-Length: 2000\r\n\r\n" + std::string(2000, 'x'), "L M:{}"},
                    ReaderCase{"LongHeader", std::string(9000, 'a'), "E M:{}"},
                    // A length never to be read is refused; the next header is read.
                    ReaderCase{"LengthBeyondReach", "Content-Length: 1000000000000\r\n\r\n{\"id\":1}", "L M:{}"},
                    ReaderCase{"OverLimitCutShort", "Content-Length: 2000\r\n\r\n" + std::string(100, 'x'),
                               "L M:{}"}),
    [](const testing::TestParamInfo<ReaderCase> &info) { return std::string(info.param.name); });

TEST(LspMessageReader, SkipsAMessageOverTheLimitWithoutKeepingIt)
{
    LspMessageReader reader(100);
    std::vector<LspFrame> frames;
    reader.Feed("Content-Length: 100000\r\n\r\n", frames);
    for (int i = 0; i < 100; ++i)
        reader.Feed(std::string(1000, 'x'), frames);
    EXPECT_EQ(reader.Pending(), 0u);
    reader.Feed(Framed("{}"), frames);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].kind, LspFrame::Kind::TooLarge);
    EXPECT_EQ(frames[1].body, "{}");
}

// Header lines without the blank line are refused a block of 8 KB at a time, not line by line.
TEST(LspMessageReader, RefusesAFloodOfHeaderLinesInBlocks)
{
    std::string flood;
    while (flood.size() < (64u << 10))
        flood += "Content-Length: 1\r\n";
    for (std::size_t piece : {flood.size(), std::size_t(4096)}) {
        LspMessageReader reader;
        std::vector<LspFrame> frames;
        for (std::size_t at = 0; at < flood.size(); at += piece)
            reader.Feed(std::string_view(flood).substr(at, piece), frames);
        EXPECT_GE(frames.size(), flood.size() / 8192 - 1) << piece;
        EXPECT_LE(frames.size(), flood.size() / 8192 + 1) << piece;
        for (const LspFrame &frame : frames)
            EXPECT_EQ(frame.kind, LspFrame::Kind::BadHeader);
    }
}

} // namespace
