// The language server's answers about names, through its own protocol: scope-correct
// definitions, completion, hover, signature help, references, highlights, renaming, folding
// ranges and workspace symbols.
#include "lsptestclient.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

namespace {

const QString kUri = QStringLiteral("file:///work/names.lua");

// A script with "|" at the place asked about and "^" at the answer (the last "^" when several);
// the marks are taken out.
struct Marked {
    QString text;
    QJsonObject place;
    QJsonObject expected;

    explicit Marked(const QString &marked)
    {
        int line = 0, character = 0;
        for (const QChar c : marked) {
            const QJsonObject here = LspTestClient::Position(line, character);
            if (c == '|') {
                place = here;
            } else if (c == '^') {
                expected = here;
            } else {
                text += c;
                if (c == '\n') {
                    ++line;
                    character = 0;
                } else {
                    ++character;
                }
            }
        }
    }
    QJsonObject At() const { return {{"textDocument", LspTestClient::Document(kUri)}, {"position", place}}; }
};

struct Session {
    LspTestClient client;
    Marked script;

    explicit Session(const QString &marked, const QJsonObject &initialize = {}) : script(marked)
    {
        client.Initialize(initialize);
        client.Open(kUri, script.text);
    }
    QJsonValue Ask(const QString &method, QJsonObject params = {})
    {
        QJsonObject at = script.At();
        for (auto it = params.begin(); it != params.end(); ++it)
            at[it.key()] = it.value();
        return client.Request(method, at).value("result");
    }
    QJsonObject AskForError(const QString &method, const QJsonObject &params = {})
    {
        QJsonObject at = script.At();
        for (auto it = params.begin(); it != params.end(); ++it)
            at[it.key()] = it.value();
        return client.Request(method, at).value("error").toObject();
    }
};

QStringList Labels(const QJsonValue &completion)
{
    QStringList labels;
    for (const QJsonValue &item : completion.toObject().value("items").toArray())
        labels.append(item.toObject().value("label").toString());
    return labels;
}

QString Start(const QJsonValue &located)
{
    const QJsonObject start = located.toObject().value("range").toObject().value("start").toObject();
    return QStringLiteral("%1:%2").arg(start.value("line").toInt()).arg(start.value("character").toInt());
}

QString Where(const QJsonObject &position)
{
    return QStringLiteral("%1:%2").arg(position.value("line").toInt()).arg(position.value("character").toInt());
}

TEST(LspNames, AdvertisesEveryRequest)
{
    LspTestClient client;
    const QJsonObject capabilities = client.Initialize().value("result").toObject().value("capabilities").toObject();
    for (const char *provider : {"referencesProvider", "documentHighlightProvider", "foldingRangeProvider",
                                 "workspaceSymbolProvider", "definitionProvider", "hoverProvider"})
        EXPECT_TRUE(capabilities.value(provider).toBool()) << provider;
    EXPECT_TRUE(capabilities.value("renameProvider").toObject().value("prepareProvider").toBool());
    EXPECT_EQ(capabilities.value("completionProvider").toObject().value("triggerCharacters").toArray(),
              QJsonArray({".", ":"}));
}

// Go to definition lands where Lua's scoping says; no "^": nothing in the script.
TEST(LspNames, DefinitionFollowsLuasScoping)
{
    const char *const scripts[] = {
        "local ^x = 1\nlocal x = |x + 1",
        "local function ^f(n)\n  return |f(n - 1)\nend",
        "^f = nil\nlocal f = function(n) return |f(n) end",
        "for ^i = 1, 3 do\n  print(|i)\nend",
        "repeat\n  local ^y = 1\nuntil |y",
        "local M = {}\nfunction M^:m()\n  return |self\nend",
        "local function f(^...)\n  return |...\nend",
        "local ^a = 1\nlocal function g() local a = 2 end\nprint(|a)",
        "g = 1\nlocal function h()\n  local ^g = 2\n  return |g\nend",
        "^g = 1\nlocal function h() local g = 2 end\nprint(|g)",
        "print(|undefined_name)",
    };
    for (const char *script : scripts) {
        SCOPED_TRACE(script);
        Session session(QString::fromUtf8(script));
        const QJsonValue answer = session.Ask("textDocument/definition");
        if (session.script.expected.isEmpty()) {
            EXPECT_TRUE(answer.isNull());
        } else {
            ASSERT_EQ(answer.toArray().size(), 1);
            EXPECT_EQ(answer.toArray()[0].toObject().value("uri").toString(), kUri);
            EXPECT_EQ(Start(answer.toArray()[0]), Where(session.script.expected));
        }
    }
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A Tarn function goes to its page in the definition file on disk.
TEST(LspNames, DefinitionOfATarnFunctionOpensItsPage)
{
    QTemporaryDir folder;
    WriteFile(QDir(folder.path()).filePath("custom.d.lua"),
              "---@meta\n\n--- Does the custom thing.\n---@param a number First\nfunction tg_addcircle(a) end\n");
    Session session("tg_add|circle(1, 2, 3)",
                    {{"rootUri", QUrl::fromLocalFile(folder.path()).toString()},
                     {"initializationOptions", QJsonObject{{"referencePath", "custom.d.lua"}}}});
    const QJsonArray locations = session.Ask("textDocument/definition").toArray();
    ASSERT_EQ(locations.size(), 1);
    EXPECT_EQ(QUrl(locations[0].toObject().value("uri").toString()).toLocalFile(),
              QDir(folder.path()).filePath("custom.d.lua"));
    EXPECT_EQ(Start(locations[0]), "4:0");
}

TEST(LspNames, CompletionOffersNamesInScopeAndNothingInComments)
{
    Session session("local myhelper = 1\nlocal function f(mya)\n  return my|\nend\n-- my\ns = \"my\"");
    const QJsonValue completion = session.Ask("textDocument/completion");
    const QStringList labels = Labels(completion);
    ASSERT_GE(labels.size(), 2);
    EXPECT_EQ(labels.mid(0, 2), QStringList({"mya", "myhelper"}));
    const QJsonObject first = completion.toObject().value("items").toArray().at(0).toObject();
    EXPECT_EQ(first.value("kind").toInt(), 6); // a variable
    EXPECT_EQ(Labels(session.Ask("textDocument/completion", {{"position", LspTestClient::Position(4, 5)}})),
              QStringList());
    EXPECT_EQ(Labels(session.Ask("textDocument/completion", {{"position", LspTestClient::Position(5, 7)}})),
              QStringList());

    Session fields("local M = {}\nfunction M.run() end\nlocal s = string.for|\nM.");
    EXPECT_EQ(Labels(fields.Ask("textDocument/completion")), QStringList({"format"}));
    const QJsonValue own = fields.Ask("textDocument/completion", {{"position", LspTestClient::Position(3, 2)}});
    EXPECT_EQ(Labels(own), QStringList({"run"}));
    EXPECT_EQ(own.toObject().value("items").toArray().at(0).toObject().value("kind").toInt(), 2); // a method
}

TEST(LspNames, HoverDescribesLuasAndTheScriptsFunctions)
{
    Session session("---@param width number Across\nlocal function box(width) end\nbox(1)\nstring.format('%d', 1)");
    const QString own = session.Ask("textDocument/hover", {{"position", LspTestClient::Position(2, 1)}})
                            .toObject()
                            .value("contents")
                            .toObject()
                            .value("value")
                            .toString();
    EXPECT_TRUE(own.contains("box(width)")) << own.toStdString();
    EXPECT_TRUE(own.contains("`width` `number`")) << own.toStdString();
    const QString library = session.Ask("textDocument/hover", {{"position", LspTestClient::Position(3, 9)}})
                                .toObject()
                                .value("contents")
                                .toObject()
                                .value("value")
                                .toString();
    EXPECT_TRUE(library.contains("string.format(")) << library.toStdString();
}

// On every line of a call split over lines, and never past the last parameter.
TEST(LspNames, SignatureHelpOnEveryLineOfASplitCall)
{
    Session session("local function helper(a, b) end\nhelper(1,\n  2,\n  3)\ntg_addcircle(1,\n  2,\n  ");
    struct {
        int line, character;
        const char *label;
        int active;
    } const cases[] = {
        {1, 7, "helper(a, b)", 0},
        {2, 3, "helper(a, b)", 1},
        {3, 3, "helper(a, b)", 1}, // a third argument: the last parameter stays marked
        {6, 2, "tg_addcircle(cx, cy, radius, (maxsegdeg))", 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        const QJsonObject help =
            session.Ask("textDocument/signatureHelp", {{"position", LspTestClient::Position(c.line, c.character)}})
                .toObject();
        EXPECT_EQ(help.value("signatures").toArray().at(0).toObject().value("label").toString(), c.label);
        EXPECT_EQ(help.value("activeParameter").toInt(), c.active);
    }
}

TEST(LspNames, ReferencesAndHighlightsAreTheSymbolsOwn)
{
    Session session("local a = 1\ndo\n  local a = 2\n  print(a)\nend\na = |a + 1");
    QStringList starts;
    for (const QJsonValue &location : session.Ask("textDocument/references").toArray())
        starts.append(Start(location));
    EXPECT_EQ(starts, QStringList({"0:6", "5:0", "5:4"}));
    starts.clear();
    for (const QJsonValue &location :
         session.Ask("textDocument/references", {{"context", QJsonObject{{"includeDeclaration", false}}}}).toArray())
        starts.append(Start(location));
    EXPECT_EQ(starts, QStringList({"5:0", "5:4"}));
    QStringList kinds;
    for (const QJsonValue &highlight : session.Ask("textDocument/documentHighlight").toArray())
        kinds.append(Start(highlight) + "/" + QString::number(highlight.toObject().value("kind").toInt()));
    EXPECT_EQ(kinds, QStringList({"0:6/3", "5:0/3", "5:4/2"}));
}

TEST(LspNames, RenameChangesEveryUseOrSaysWhyNot)
{
    Session session("local a = 1\nlocal b = 2\nprint(|a, b)");
    const QJsonObject prepared = session.Ask("textDocument/prepareRename").toObject();
    EXPECT_EQ(prepared.value("placeholder").toString(), "a");
    EXPECT_EQ(Start(QJsonValue(prepared)), "2:6");
    const QJsonArray edits =
        session.Ask("textDocument/rename", {{"newName", "c"}}).toObject().value("changes").toObject().value(kUri).toArray();
    ASSERT_EQ(edits.size(), 2);
    EXPECT_EQ(Start(edits[0]), "0:6");
    EXPECT_EQ(edits[1].toObject().value("newText").toString(), "c");

    const QJsonObject captured = session.AskForError("textDocument/rename", {{"newName", "b"}});
    EXPECT_EQ(captured.value("code").toInt(), -32803);
    EXPECT_TRUE(captured.value("message").toString().contains("\"b\"")) << captured.value("message").toString().toStdString();
    EXPECT_TRUE(session.AskForError("textDocument/rename", {{"newName", "end"}})
                    .value("message")
                    .toString()
                    .contains("keyword"));
    EXPECT_TRUE(session.AskForError("textDocument/prepareRename", {{"position", LspTestClient::Position(2, 1)}})
                    .value("message")
                    .toString()
                    .contains("Lua's own"));
}

TEST(LspNames, FoldingRangesAndWorkspaceSymbols)
{
    Session session("function outer()\n  local t = {\n    1,\n  }\nend\nsetting = 1\n");
    QStringList folds;
    for (const QJsonValue &range : session.Ask("textDocument/foldingRange").toArray())
        folds.append(QStringLiteral("%1-%2")
                         .arg(range.toObject().value("startLine").toInt())
                         .arg(range.toObject().value("endLine").toInt()));
    folds.sort();
    EXPECT_EQ(folds, QStringList({"0-4", "1-3"}));

    session.client.Open("file:///work/other.lua", "local function helper() end\n");
    QStringList names;
    for (const QJsonValue &symbol : session.client.Request("workspace/symbol", {{"query", "E"}}).value("result").toArray())
        names.append(symbol.toObject().value("name").toString() + "@" +
                     symbol.toObject().value("location").toObject().value("uri").toString().section('/', -1));
    names.sort();
    EXPECT_EQ(names, QStringList({"helper@other.lua", "outer@names.lua", "setting@names.lua"}));
}

} // namespace
