// JSON written as text reads back as the values written, whatever the strings hold.
#include "lsp/lspjsonwriter.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

TEST(LspJsonWriter, ReadsBackAsWritten)
{
    const std::string tricky = "quote \" backslash \\ newline \n tab \t bell \x07 é 𝄞";
    LspJsonWriter out;
    out.BeginObject();
    out.Key("text");
    out.String(tricky);
    out.Key("list");
    out.BeginArray();
    out.Number(-3);
    out.Bool(true);
    out.Null();
    out.BeginObject();
    out.EndObject();
    out.Raw("[1,2]");
    out.EndArray();
    out.Key("empty");
    out.BeginArray();
    out.EndArray();
    out.EndObject();
    QJsonParseError error;
    const QJsonObject read = QJsonDocument::fromJson(QByteArray::fromStdString(out.Text()), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << out.Text();
    EXPECT_EQ(read.value("text").toString().toStdString(), tricky);
    EXPECT_EQ(read.value("list").toArray(),
              QJsonArray({-3, true, QJsonValue::Null, QJsonObject(), QJsonArray({1, 2})}));
    EXPECT_EQ(read.value("empty").toArray(), QJsonArray());
}
