// HTML export: page structure, the style block, spans per token, escaping, UTF-8 repair and
// line breaks.
#include "app/defaulttexts.h"
#include "editor/htmlexport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

Settings ExportSettings()
{
    Settings settings;
    settings.SetDefaultStyles();
    settings.keywords.ParseText(DefaultKeywordsText());
    settings.functions.ParseText("tg_addpoint x y\r\n");
    return settings;
}

std::size_t Count(const std::string &text, const std::string &part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::string Between(const std::string &text, const std::string &open, const std::string &close)
{
    const std::size_t start = text.find(open);
    const std::size_t end = text.find(close, start);
    if (start == std::string::npos || end == std::string::npos)
        return "<missing>";
    return text.substr(start + open.size(), end - start - open.size());
}

// What the page shows inside <pre>, after the one line break that a parser drops.
std::string PreContent(const std::string &page) { return Between(page, "<pre>\n", "</pre>"); }

std::string Exported(std::string_view script) { return PreContent(ExportHtml(script, "t", ExportSettings())); }

TEST(HtmlExportTest, IsOneCompletePageWithOnePre)
{
    const std::string page = ExportHtml("if x then end\n", "script.lua", ExportSettings());
    EXPECT_EQ(page.rfind("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n", 0), 0u);
    EXPECT_EQ(Between(page, "<title>", "</title>"), "script.lua");
    EXPECT_EQ(Count(page, "<pre>"), 1u);
    const std::string body = Between(page, "<body>", "</body>");
    EXPECT_EQ(body.find("\n<pre>"), 0u) << "the <pre> is the body's only element";
    EXPECT_EQ(body.size() - body.rfind("</pre>\n"), 7u);
    EXPECT_EQ(page.substr(page.size() - 8), "</html>\n");
}

TEST(HtmlExportTest, StyleBlockFollowsTheSettings)
{
    Settings settings = ExportSettings();
    settings.style(StyleKind::Comment).Set(MakeColor(0x12, 0x34, 0xAB), 1, 0, 1);
    settings.style(StyleKind::String).Set(MakeColor(255, 0, 0), 0, 1, 0);
    const std::string css = Between(ExportHtml("", "t", settings), "<style>\n", "</style>");
    EXPECT_NE(css.find("pre { font-family: monospace;"), std::string::npos);
    EXPECT_NE(css.find(".comment { color: #1234ab; font-weight: bold; font-style: normal; "
                       "text-decoration: underline; }"),
              std::string::npos);
    EXPECT_NE(css.find(".string { color: #ff0000; font-weight: normal; font-style: italic; "
                       "text-decoration: none; }"),
              std::string::npos);
    for (const char *name : {".function {", ".keyword {", ".number {", ".punctuation {"})
        EXPECT_NE(css.find(name), std::string::npos) << name;
}

struct ContentCase {
    const char *name;
    std::string script;
    std::string pre;
};

void PrintTo(const ContentCase &c, std::ostream *os) { *os << c.name; }

class HtmlContentTest : public testing::TestWithParam<ContentCase> {};

TEST_P(HtmlContentTest, WritesThePreContent)
{
    EXPECT_EQ(Exported(GetParam().script), GetParam().pre);
}

// The page is written as the script arrives: cut anywhere, even inside a CR LF or a UTF-8
// sequence, the script gives the same page.
TEST_P(HtmlContentTest, PiecesOfAnySizeGiveTheSamePage)
{
    const std::string script = GetParam().script + "\nlocal s = 'x' -- end\r\n" + GetParam().script;
    const Settings settings = ExportSettings();
    const std::string whole = ExportHtml(script, "t", settings);
    for (std::size_t piece : {1, 2, 3, 7}) {
        std::string page;
        HtmlPageWriter writer("t", settings, [&page](const char *data, std::size_t size) {
            page.append(data, size);
            return true;
        });
        for (std::size_t at = 0; at < script.size(); at += piece)
            writer.Add(std::string_view(script).substr(at, piece));
        ASSERT_TRUE(writer.Finish());
        EXPECT_EQ(page, whole) << "pieces of " << piece;
    }
}

const std::string kFffd = "\xEF\xBF\xBD";

// The text a page's <pre> shows, and the class of the span around each of its bytes ("" for
// plain text): what a reader sees, whatever spans it is cut into.
std::vector<std::pair<char, std::string>> ShownText(const std::string &page)
{
    const std::string pre = PreContent(page);
    std::vector<std::pair<char, std::string>> shown;
    std::string current;
    for (std::size_t at = 0; at < pre.size();) {
        if (pre.compare(at, 13, "<span class=\"") == 0) {
            const std::size_t end = pre.find('"', at + 13);
            current = pre.substr(at + 13, end - at - 13);
            at = end + 2;
        } else if (pre.compare(at, 7, "</span>") == 0) {
            current.clear();
            at += 7;
        } else {
            shown.emplace_back(pre[at++], current);
        }
    }
    return shown;
}

// A script that is one long line: tokens of every kind, a string and a comment of their own
// hundreds of kilobytes long, UTF-8 in them, and numbers whose end is decided bytes later.
std::string OneLongLine()
{
    std::string line;
    for (int i = 0; line.size() < 300000; ++i)
        line += "local v" + std::to_string(i) + "=tg_addpoint(1e+5, 2.5, 'caf\xC3\xA9', x.y)+1e-3; if v then end ";
    line += "s = \"" + std::string(200000, 'a') + "\xE2\x82\xAC\" ..x " + std::string(150000, 'w') + " .. 'open";
    line += std::string(200000, '\xC3') + " -- " + std::string(200000, 'c') + "\xF0\x9F\x98\x80 end\n";
    return line + "next()\n";
}

TEST(HtmlExportTest, LongLineIsWrittenAsItComesWithTheSameColours)
{
    const std::string script = OneLongLine();
    const Settings settings = ExportSettings();
    const auto whole = ShownText(ExportHtml(script, "t", settings));
    for (std::size_t piece : {4093, 65536, 1 << 20}) {
        std::string page;
        std::size_t beforeLineEnd = 0;
        HtmlPageWriter writer("t", settings, [&page](const char *data, std::size_t size) {
            page.append(data, size);
            return true;
        });
        const std::size_t lineEnd = script.find('\n');
        for (std::size_t at = 0; at < script.size(); at += piece) {
            if (at <= lineEnd)
                beforeLineEnd = page.size();
            writer.Add(std::string_view(script).substr(at, piece));
        }
        ASSERT_TRUE(writer.Finish());
        const auto shown = ShownText(page);
        const auto differs = std::mismatch(shown.begin(), shown.end(), whole.begin(), whole.end());
        EXPECT_EQ(differs.first - shown.begin(), std::ptrdiff_t(whole.size())) << "pieces of " << piece;
        if (piece < 100000) {
            EXPECT_GT(beforeLineEnd, script.size() / 2) << "pieces of " << piece << ": the line is not held whole";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Export, HtmlContentTest,
    testing::Values(
        ContentCase{"TokensAreSpansPlainTextIsNot", "if x then tg_addpoint(1) end -- c\n",
                    "<span class=\"keyword\">if</span> x <span class=\"keyword\">then</span> "
                    "<span class=\"function\">tg_addpoint</span><span class=\"punctuation\">(</span>"
                    "<span class=\"number\">1</span><span class=\"punctuation\">)</span> "
                    "<span class=\"keyword\">end</span> <span class=\"comment\">-- c</span>\n"},
        ContentCase{"EscapesMarkupCharacters", "a<b>c&d",
                    "a<span class=\"punctuation\">&lt;</span>b<span class=\"punctuation\">&gt;</span>"
                    "c<span class=\"punctuation\">&amp;</span>d"},
        ContentCase{"EscapesQuotesInStrings", "\"it's\" 'say \"hi\"'",
                    "<span class=\"string\">&quot;it&#39;s&quot;</span> "
                    "<span class=\"string\">&#39;say &quot;hi&quot;&#39;</span>"},
        ContentCase{"KeepsValidUtf8", "x = \"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\"",
                    "x <span class=\"punctuation\">=</span> "
                    "<span class=\"string\">&quot;caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80&quot;</span>"},
        ContentCase{"LoneContinuationByte", "\x80", kFffd},
        ContentCase{"TruncatedSequenceAtEnd", "a\xC3", "a" + kFffd},
        ContentCase{"TruncatedSequenceBeforeAscii", "\xE2\x82x", kFffd + kFffd + "x"},
        ContentCase{"OverlongFormIsOneReplacementPerByte", "\xC0\xAF", kFffd + kFffd},
        ContentCase{"SurrogateIsOneReplacementPerByte", "\xED\xA0\x80", kFffd + kFffd + kFffd},
        ContentCase{"AboveLastCodePoint", "\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd},
        ContentCase{"Latin1Byte", "caf\xE9", "caf" + kFffd},
        ContentCase{"NulAndControlsAreReplaced", "a\0b\x01\x1B\x7F"s, "a" + kFffd + "b" + kFffd + kFffd + kFffd},
        ContentCase{"C1ControlIsReplaced", "\xC2\x85", kFffd},
        ContentCase{"TabAndLfStay", "\ta\n", "\ta\n"},
        ContentCase{"CrLfAndLoneCrBecomeLf", "a\r\nb\rc\n\rd", "a\nb\nc\n\nd"},
        ContentCase{"CrLfEndsACommentAsOneBreak", "-- c\r\nx", "<span class=\"comment\">-- c</span>\nx"},
        ContentCase{"LeadingBlankLineSurvives", "\nx", "\nx"}),
    [](const testing::TestParamInfo<ContentCase> &info) { return std::string(info.param.name); });

TEST(HtmlExportTest, TitleIsEscapedAndRepaired)
{
    const std::string page = ExportHtml("", "a<b> & \"c\" \xFF", ExportSettings());
    EXPECT_EQ(Between(page, "<title>", "</title>"), "a&lt;b&gt; &amp; &quot;c&quot; " + kFffd);
}

TEST(HtmlExportTest, PageGoesOutInPiecesAndStopsWhenRefused)
{
    std::string script;
    for (int i = 0; i < 40000; ++i)
        script += "tg_addpoint(1, 2) -- a point\n";
    std::vector<std::size_t> pieces;
    const Settings settings = ExportSettings();
    HtmlPageWriter writer("t", settings, [&pieces](const char *, std::size_t size) {
        pieces.push_back(size);
        return pieces.size() < 3;
    });
    writer.Add(script);
    EXPECT_FALSE(writer.Finish());
    ASSERT_EQ(pieces.size(), 3u) << "nothing is handed on after a refusal";
    EXPECT_LT(pieces[0], script.size()) << "the page is not held whole";
}

TEST(HtmlExportTest, HighlightingOffWritesPlainText)
{
    Settings settings = ExportSettings();
    settings.options.syntaxhighlighting = 0;
    const std::string page = ExportHtml("if x < 1 then -- c\r\n", "t", settings);
    EXPECT_EQ(PreContent(page), "if x &lt; 1 then -- c\n");
    EXPECT_EQ(Count(page, "<span"), 0u);
}

} // namespace
