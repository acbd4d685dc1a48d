// The long-string decoder reads a JSON string exactly as Qt's parser does, or leaves it to it.
#include "lsp/lsplongstring.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

namespace {

// What Qt's parser makes of the string, or "<invalid>".
std::string ParsedByQt(const std::string &quoted)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString("{\"a\":\"" + quoted + "\"}"), &error);
    return error.error == QJsonParseError::NoError ? document.object().value("a").toString().toStdString() : "<invalid>";
}

TEST(LspLongString, DecodesAsTheParserDoesOrDeclines)
{
    const std::string cases[] = {
        "plain text",
        "line\\nbreak\\r\\n\\ttab \\\"quoted\\\" back\\\\slash \\/ \\b\\f",
        "\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E",    // é € 𝄞 as UTF-8
        "\\u00e9\\u20AC\\uD834\\uDD1E",             // the same escaped
        "\\uD834 lone high", "\\uDD1E lone low",   // declined: the parser decides
        "\xC3 cut", "\xED\xA0\x80 surrogate bytes", "\xC0\xAF overlong", "\xFF\xBF\xBF not a lead byte",
        "\\u0000nul", "\\x", "\\u12", "raw\ttab",
    };
    for (const std::string &quoted : cases) {
        std::string text;
        if (LspLongString::Decode(quoted, text)) {
            EXPECT_EQ(text, ParsedByQt(quoted)) << quoted;
        }
    }
    std::string text;
    EXPECT_TRUE(LspLongString::Decode("a\\nb\\uD834\\uDD1E", text));
    EXPECT_FALSE(LspLongString::Decode("\\uD834 lone", text));
    EXPECT_FALSE(LspLongString::Decode("\xC3 cut", text));
}

TEST(LspLongString, TakesTheLongestStringAndGivesItBack)
{
    LspLongString strings(8);
    std::string body = "{\"uri\":\"file:///a\",\"text\":\"line one\\nline \\u00e9\"}";
    ASSERT_TRUE(strings.Take(body));
    const QJsonObject parsed = QJsonDocument::fromJson(QByteArray::fromStdString(body)).object();
    EXPECT_EQ(parsed.value("uri").toString(), "file:///a");
    std::string text;
    EXPECT_FALSE(strings.Claim(parsed.value("uri").toString(), text));
    ASSERT_TRUE(strings.Claim(parsed.value("text").toString(), text));
    EXPECT_EQ(text, "line one\nline \xC3\xA9");
    EXPECT_FALSE(strings.Claim(parsed.value("text").toString(), text)); // once only

    std::string shortBody = "{\"text\":\"abc\"}";
    EXPECT_FALSE(strings.Take(shortBody));
    EXPECT_EQ(shortBody, "{\"text\":\"abc\"}");
}

} // namespace
