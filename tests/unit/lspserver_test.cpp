// The language server through its own protocol, driven by a small client in the same process.
#include "lsptestclient.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

const QString kUri = QStringLiteral("file:///work/script.lua");

int ErrorCode(const QJsonObject &answer)
{
    return answer.value("error").toObject().value("code").toInt();
}

QStringList Labels(const QJsonObject &completion)
{
    QStringList labels;
    for (const QJsonValue &item : completion.value("result").toObject().value("items").toArray())
        labels.append(item.toObject().value("label").toString());
    return labels;
}

// "line:character-line:character message" per diagnostic, joined by " | ".
std::string Described(const QJsonArray &diagnostics)
{
    QStringList out;
    for (const QJsonValue &value : diagnostics) {
        const QJsonObject range = value.toObject().value("range").toObject();
        const QJsonObject start = range.value("start").toObject(), end = range.value("end").toObject();
        out.append(QStringLiteral("%1:%2-%3:%4 %5")
                       .arg(start.value("line").toInt())
                       .arg(start.value("character").toInt())
                       .arg(end.value("line").toInt())
                       .arg(end.value("character").toInt())
                       .arg(value.toObject().value("message").toString()));
    }
    return out.join(" | ").toStdString();
}

TEST(LspServer, LifecycleAndExitStatus)
{
    LspTestClient client;
    EXPECT_EQ(ErrorCode(client.Request("textDocument/hover", LspTestClient::At(kUri, 0, 0))),
              LspServer::ServerNotInitialized);
    const QJsonObject capabilities = client.Initialize().value("result").toObject().value("capabilities").toObject();
    EXPECT_EQ(capabilities.value("positionEncoding").toString(), "utf-16");
    EXPECT_EQ(capabilities.value("textDocumentSync").toObject().value("change").toInt(), 2);
    EXPECT_EQ(ErrorCode(client.Request("initialize")), LspServer::InvalidRequest);
    EXPECT_TRUE(client.Request("shutdown").contains("result"));
    EXPECT_EQ(ErrorCode(client.Request("textDocument/hover", LspTestClient::At(kUri, 0, 0))),
              LspServer::InvalidRequest);
    EXPECT_FALSE(client.Server().Finished());
    client.Notify("exit");
    EXPECT_TRUE(client.Server().Finished());
    EXPECT_EQ(client.Server().ExitCode(), 0);

    LspTestClient early;
    early.Initialize();
    early.Notify("exit");
    EXPECT_TRUE(early.Server().Finished());
    EXPECT_EQ(early.Server().ExitCode(), 1);
}

// Each bad message gets its error answer and the server goes on serving.
TEST(LspServer, AnswersBadInputAndGoesOn)
{
    LspTestClient client;
    client.Initialize();
    client.Open(kUri, "x = 1\n");
    struct {
        const char *name;
        std::string bytes;
        int code; // 0: no answer
    } const cases[] = {
        {"invalid JSON", LspTestClient::Framed({}).substr(0, 20) + "{\"id\": 1,", LspServer::ParseError},
        {"not an object", "Content-Length: 7\r\n\r\n[1,2,3]", LspServer::InvalidRequest},
        {"no method", "Content-Length: 8\r\n\r\n{\"id\":5}", LspServer::InvalidRequest},
        {"id of a wrong type", "Content-Length: 30\r\n\r\n{\"id\":[1],\"method\":\"shutdown\"}",
         LspServer::InvalidRequest},
        {"header without a blank line", "Content-Length: 2\r\n{}", LspServer::ParseError},
        {"no Content-Length", "X: 1\r\n\r\n", LspServer::ParseError},
        {"unknown method", LspTestClient::Framed(LspTestClient::RequestMessage(7, "scriba/unknown")),
         LspServer::MethodNotFound},
        {"no position",
         LspTestClient::Framed(
             LspTestClient::RequestMessage(8, "textDocument/hover", {{"textDocument", LspTestClient::Document(kUri)}})),
         LspServer::InvalidParams},
        {"document not open",
         LspTestClient::Framed(
             LspTestClient::RequestMessage(9, "textDocument/completion", LspTestClient::At("file:///other.lua", 0, 0))),
         LspServer::InvalidParams},
        {"unknown notification", LspTestClient::Framed({{"jsonrpc", "2.0"}, {"method", "$/setTrace"}}), 0},
        {"change to a document never opened",
         LspTestClient::Framed({{"jsonrpc", "2.0"},
                                {"method", "textDocument/didChange"},
                                {"params", QJsonObject{{"textDocument", LspTestClient::Document("file:///nope.lua")},
                                                       {"contentChanges", QJsonArray{QJsonObject{{"text", "x"}}}}}}}),
         0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        client.Unread();
        client.SendRaw(c.bytes);
        std::vector<QJsonObject> answers;
        for (const QJsonObject &message : client.Unread())
            if (!message.contains("method"))
                answers.push_back(message);
        if (c.code == 0) {
            EXPECT_TRUE(answers.empty());
        } else {
            ASSERT_EQ(answers.size(), 1u);
            EXPECT_EQ(ErrorCode(answers[0]), c.code);
        }
        // Still serving.
        EXPECT_TRUE(client.Request("textDocument/hover", LspTestClient::At(kUri, 0, 0)).contains("result"));
    }
}

TEST(LspServer, RefusesAMessageOverTheLimitAndReadsTheNext)
{
    LspTestClient client;
    client.Initialize();
    client.SendRaw("Content-Length: 70000000\r\n\r\n");
    for (int i = 0; i < 70; ++i)
        client.SendRaw(std::string(1000000, ' '));
    const QJsonObject refused = client.Take([](const QJsonObject &m) { return m.contains("error"); });
    EXPECT_EQ(ErrorCode(refused), LspServer::InvalidRequest);
    EXPECT_TRUE(refused.value("error").toObject().value("message").toString().contains("64 MB"));
    EXPECT_TRUE(client.Request("shutdown").contains("result"));
}

TEST(LspServer, CancelledRequestIsAnsweredAsCancelled)
{
    LspTestClient client;
    client.Initialize();
    client.Open(kUri, "tg_add");
    client.SendRaw(LspTestClient::Framed(
                       LspTestClient::RequestMessage(41, "textDocument/completion", LspTestClient::At(kUri, 0, 6))) +
                   LspTestClient::Framed(
                       {{"jsonrpc", "2.0"}, {"method", "$/cancelRequest"}, {"params", QJsonObject{{"id", 41}}}}));
    const QJsonObject answer = client.Take([](const QJsonObject &m) { return m.value("id").toInt() == 41; });
    EXPECT_EQ(ErrorCode(answer), LspServer::RequestCancelled);
}

TEST(LspServer, DiagnosticsFollowTheText)
{
    LspTestClient client;
    client.Initialize();
    client.Open(kUri, "x = 1\ntg_addcirle(1, 2, 3)\ntg_addcircle(1, 2)\n");
    EXPECT_EQ(Described(client.Diagnostics(kUri)),
              "1:0-1:11 unknown Tarn function tg_addcirle (did you mean tg_addcircle?) | "
              "2:0-2:12 tg_addcircle expects 3 or 4 arguments, got 2");
    // Fix the name: "tg_addcirle" becomes "tg_addcircle".
    client.Change(kUri, 1, 9, 1, 9, "c");
    EXPECT_EQ(Described(client.Diagnostics(kUri)), "2:0-2:12 tg_addcircle expects 3 or 4 arguments, got 2");
    client.Change(kUri, 2, 17, 2, 17, ", 3");
    EXPECT_EQ(client.Diagnostics(kUri), QJsonArray());
    client.Change(kUri, 0, 0, 0, 0, "if then\n");
    const QJsonArray error = client.Diagnostics(kUri);
    ASSERT_EQ(error.size(), 1);
    EXPECT_EQ(error[0].toObject().value("severity").toInt(), 1);
    client.Notify("textDocument/didClose", {{"textDocument", LspTestClient::Document(kUri)}});
    EXPECT_EQ(client.Diagnostics(kUri), QJsonArray());
}

// The reference's warnings come as the window's do: deprecated functions, strings a parameter
// does not take.
TEST(LspServer, DiagnosticsWarnOfDeprecatedFunctionsAndBadStrings)
{
    LspTestClient client;
    client.Initialize();
    client.Open(kUri, "tg_exportdxf(\"a.dxf\")\ntg_editmode(\"pointz\")\n");
    const std::string described = Described(client.Diagnostics(kUri));
    EXPECT_NE(described.find("0:0-0:12 tg_exportdxf is deprecated: use tg_exportgeometry"), std::string::npos) << described;
    EXPECT_NE(described.find("1:12-1:20 tg_editmode: mode must be one of"), std::string::npos) << described;
}

// Each warning names its kind, and an editor learns which ones to strike through or grey out.
TEST(LspServer, DiagnosticsCarryCodesAndTags)
{
    LspTestClient client;
    client.Initialize();
    client.Open(kUri, "tg_exportdxf(\"a.dxf\")\ntg_addcircle(1, 2)\n");
    const QJsonArray diagnostics = client.Diagnostics(kUri);
    ASSERT_EQ(diagnostics.size(), 2);
    EXPECT_EQ(diagnostics[0].toObject().value("code").toString(), "W705");
    EXPECT_EQ(diagnostics[0].toObject().value("tags").toArray(), QJsonArray{2});
    EXPECT_EQ(diagnostics[1].toObject().value("code").toString(), "W701");
    EXPECT_FALSE(diagnostics[1].toObject().contains("tags"));
}

// Positions count UTF-16 code units: "é" is one, "𝄞" two, though they take two and four bytes.
TEST(LspServer, MultiByteTextUsesUtf16Positions)
{
    LspTestClient client;
    client.Initialize();
    client.Open(kUri, QStringLiteral("s = \"é𝄞\"; tg_addcirle(1, 2, 3)\n"));
    EXPECT_EQ(Described(client.Diagnostics(kUri)).substr(0, 9), "0:11-0:22");
    // Replace the "𝄞" (characters 6 and 7) with "ab": the call stays at character 11.
    client.Change(kUri, 0, 6, 0, 8, "ab");
    EXPECT_EQ(Described(client.Diagnostics(kUri)).substr(0, 9), "0:11-0:22");
    // Delete "é": one code unit.
    client.Change(kUri, 0, 5, 0, 6, "");
    EXPECT_EQ(Described(client.Diagnostics(kUri)).substr(0, 9), "0:10-0:21");
}

// A document of megabytes with line breaks and characters of every width opens as the client
// sent it: its last line's problem is found where the client sees it.
TEST(LspServer, BigDocumentOpensAsSent)
{
    LspTestClient client;
    client.Initialize();
    QString text;
    for (int line = 0; line < 40000; ++line)
        text += QStringLiteral("s = \"é𝄞\\\"\t\" -- %1\r\n").arg(line);
    text += QStringLiteral("x = \"𝄞\" tg_addcirle(1, 2, 3)");
    client.Open(kUri, text);
    EXPECT_EQ(Described(client.Diagnostics(kUri)).substr(0, 19), "40000:9-40000:20 un");
}

// Only the check of the latest text is published when changes come faster than the pause.
TEST(LspServer, StaleDiagnosticsAreDropped)
{
    LspTestClient client(QStringLiteral("/nonexistent/Scriba.ini"), std::chrono::milliseconds(200));
    client.Initialize();
    client.Open(kUri, "x(");
    for (int i = 0; i < 5; ++i)
        client.Change(kUri, 0, 1 + i, 0, 1 + i, ")");
    client.Change(kUri, 0, 0, 0, 7, "y = 1");
    EXPECT_EQ(client.Diagnostics(kUri), QJsonArray());
    EXPECT_FALSE(client.MoreDiagnostics(kUri)); // nothing else came
    EXPECT_TRUE(client.Unread().empty());
}

TEST(LspServer, CompletionAndSignatureHelp)
{
    LspTestClient client;
    client.Initialize();
    client.Open(kUri, "tg_add\nfu\ntg_addcircle(f(1, 2), \"a,b\", -- c, d\nt.tg_a");
    const QStringList names = Labels(client.Request("textDocument/completion", LspTestClient::At(kUri, 0, 6)));
    EXPECT_TRUE(names.contains("tg_addcircle"));
    EXPECT_TRUE(names.contains("tg_addarc"));
    EXPECT_FALSE(names.contains("tn_addknot"));
    const QJsonObject item = client.Request("textDocument/completion", LspTestClient::At(kUri, 0, 6))
                                 .value("result")
                                 .toObject()
                                 .value("items")
                                 .toArray()
                                 .at(0)
                                 .toObject();
    EXPECT_TRUE(item.value("detail").toString().startsWith(item.value("label").toString() + "("));
    EXPECT_FALSE(item.value("documentation").toObject().value("value").toString().isEmpty());
    EXPECT_EQ(Labels(client.Request("textDocument/completion", LspTestClient::At(kUri, 1, 2))),
              QStringList({"function"}));
    EXPECT_TRUE(Labels(client.Request("textDocument/completion", LspTestClient::At(kUri, 3, 6))).isEmpty());

    const QJsonObject help =
        client.Request("textDocument/signatureHelp", LspTestClient::At(kUri, 2, 29)).value("result").toObject();
    EXPECT_EQ(help.value("activeParameter").toInt(), 2);
    const QJsonObject signature = help.value("signatures").toArray().at(0).toObject();
    EXPECT_EQ(signature.value("label").toString(), "tg_addcircle(cx, cy, radius, (maxsegdeg))");
    const QJsonObject radius = signature.value("parameters").toArray().at(2).toObject();
    EXPECT_EQ(radius.value("label").toArray(), QJsonArray({21, 27}));
    EXPECT_TRUE(radius.value("documentation").toObject().value("value").toString().contains("Radius"));
    // Inside the nested call there is no Tarn function to help with.
    EXPECT_TRUE(client.Request("textDocument/signatureHelp", LspTestClient::At(kUri, 2, 17)).value("result").isNull());
}

TEST(LspServer, HoverSymbolsAndDefinitions)
{
    LspTestClient client;
    client.Initialize();
    client.Open(kUri, "function outer(a)\n  local function inner() end\nend\nlocal t = {}\nfunction t:m() "
                      "end\nouter(tg_addcircle)\n");
    const QJsonObject hover =
        client.Request("textDocument/hover", LspTestClient::At(kUri, 5, 10)).value("result").toObject();
    const QString page = hover.value("contents").toObject().value("value").toString();
    EXPECT_TRUE(page.contains("tg_addcircle(cx, cy, radius"));
    EXPECT_TRUE(page.contains("Adds a circle as two arcs."));
    EXPECT_TRUE(page.contains("- `radius` `number` Radius, in the model's length unit"));
    EXPECT_EQ(hover.value("contents").toObject().value("kind").toString(), "markdown");

    const QJsonArray symbols =
        client.Request("textDocument/documentSymbol", {{"textDocument", LspTestClient::Document(kUri)}})
            .value("result")
            .toArray();
    ASSERT_EQ(symbols.size(), 2);
    EXPECT_EQ(symbols[0].toObject().value("name").toString(), "outer");
    EXPECT_EQ(symbols[0].toObject().value("children").toArray().at(0).toObject().value("name").toString(), "inner");
    EXPECT_EQ(symbols[1].toObject().value("name").toString(), "t:m");

    const QJsonArray locations =
        client.Request("textDocument/definition", LspTestClient::At(kUri, 5, 2)).value("result").toArray();
    ASSERT_EQ(locations.size(), 1);
    EXPECT_EQ(locations[0].toObject().value("uri").toString(), kUri);
    EXPECT_EQ(locations[0].toObject().value("range").toObject().value("start").toObject(),
              LspTestClient::Position(0, 9));
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A range past the end of the text is taken as the end, said in the log, and the text stays
// what the client sees.
TEST(LspServer, ChangePastTheEndLandsAtTheEnd)
{
    LspTestClient client;
    client.Initialize();
    client.Open(kUri, "x = 1\n");
    EXPECT_EQ(client.Diagnostics(kUri), QJsonArray());
    client.Change(kUri, 99, 0, 99, 5, "tg_addcirle(1, 2, 3)");
    EXPECT_EQ(Described(client.Diagnostics(kUri)).substr(0, 9), "1:0-1:11 ");
    ASSERT_FALSE(client.Log().empty());
    EXPECT_NE(client.Log().back().find("past the end"), std::string::npos);
}

// Settings the server asks the client for replace the window's files.
TEST(LspServer, AsksTheClientForItsSettings)
{
    QTemporaryDir folder;
    const QString iniPath = QDir(folder.path()).filePath("Scriba.ini");
    WriteFile(iniPath, "[tarn_lua_functions]\r\nzz_asked a\r\n[/tarn_lua_functions]\r\n");
    LspTestClient client;
    client.Initialize({{"capabilities", QJsonObject{{"workspace", QJsonObject{{"configuration", true}}}}}});
    const QJsonObject asked =
        client.Take([](const QJsonObject &m) { return m.value("method") == "workspace/configuration"; });
    ASSERT_FALSE(asked.isEmpty());
    EXPECT_EQ(asked.value("params").toObject().value("items").toArray().at(0).toObject().value("section"), "scriba");
    client.SendRaw(LspTestClient::Framed(
        {{"jsonrpc", "2.0"}, {"id", asked.value("id")}, {"result", QJsonArray{QJsonObject{{"iniPath", iniPath}}}}}));
    client.Open(kUri, "zz_a");
    EXPECT_EQ(Labels(client.Request("textDocument/completion", LspTestClient::At(kUri, 0, 4))),
              QStringList({"zz_asked"}));
}

// A configuration file named by the client replaces the window's.
TEST(LspServer, ReadsTheFunctionTableTheClientNames)
{
    QTemporaryDir folder;
    WriteFile(QDir(folder.path()).filePath("Scriba.ini"),
              "[tarn_lua_functions]\r\nzz_custom a b\r\n[/tarn_lua_functions]\r\n");
    WriteFile(QDir(folder.path()).filePath("custom.d.lua"),
              "---@meta\n--- Does the custom thing.\n---@param a number First\nfunction zz_custom(a, b) end\n");
    LspTestClient client;
    client.Initialize(
        {{"rootUri", QUrl::fromLocalFile(folder.path()).toString()},
         {"initializationOptions", QJsonObject{{"iniPath", "Scriba.ini"}, {"referencePath", "custom.d.lua"}}}});
    client.Open(kUri, "zz_custom(1, 2)");
    EXPECT_EQ(Labels(client.Request("textDocument/completion", LspTestClient::At(kUri, 0, 4))),
              QStringList({"zz_custom"}));
    const QJsonObject hover =
        client.Request("textDocument/hover", LspTestClient::At(kUri, 0, 1)).value("result").toObject();
    EXPECT_TRUE(hover.value("contents").toObject().value("value").toString().contains("Does the custom thing."))
        << QJsonDocument(hover).toJson().toStdString();
}

} // namespace
