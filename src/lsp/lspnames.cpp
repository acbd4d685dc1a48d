#include "lspnames.h"

#include "editor/foldlevels.h"
#include "lsp/lspjsonwriter.h"
#include "lsp/lsplanguage.h"
#include "model/lualibrary.h"
#include "model/namequeries.h"

#include <QUrl>

#include <algorithm>
#include <unordered_set>

namespace LspNames {

namespace {

// The protocol's numbers for the kinds of completion items, symbols and highlights.
enum ItemKind { kMethodItem = 2, kFunctionItem = 3, kFieldItem = 5, kVariableItem = 6, kModuleItem = 9,
                kKeywordItem = 14, kConstantItem = 21 };
constexpr int kFunctionSymbol = 12;
constexpr int kVariableSymbol = 13;
constexpr int kMethodSymbol = 6;
constexpr int kReadHighlight = 2;
constexpr int kWriteHighlight = 3;
constexpr int kDeprecatedTag = 1;

int ItemKindOf(NameKind kind)
{
    switch (kind) {
    case NameKind::LocalFunction:
    case NameKind::GlobalFunction:
    case NameKind::LibraryFunction:
    case NameKind::TarnFunction:
        return kFunctionItem;
    case NameKind::Method:
        return kMethodItem;
    case NameKind::Field:
        return kFieldItem;
    case NameKind::LibraryTable:
        return kModuleItem;
    case NameKind::LibraryValue:
        return kConstantItem;
    case NameKind::Keyword:
        return kKeywordItem;
    default:
        return kVariableItem;
    }
}

NameQueries QueriesOf(const LspConfiguration &tarn, const LspAnalysis &script)
{
    return NameQueries(script.Text(), script.Model(),
                       TarnNames{&tarn.Functions(), &tarn.SortedNames(), tarn.Reference().get()});
}

QString Utf8(const std::string &text)
{
    return QString::fromStdString(text);
}

// What a description says beyond a Tarn page: Lua's line, the script's `---@param` types.
QString DescriptionText(const NameDescription &description)
{
    QString text;
    if (!description.signature.empty())
        text = QStringLiteral("```lua\n%1\n```").arg(Utf8(description.signature));
    else
        text = QStringLiteral("```lua\n%1\n```").arg(Utf8(description.name));
    if (!description.description.empty())
        text += QStringLiteral("\n\n") + Utf8(description.description);
    QStringList parameters;
    for (const NameParameter &parameter : description.parameters)
        if (!parameter.type.empty() || !parameter.description.empty())
            parameters.append(QStringLiteral("- `%1%2` %3")
                                  .arg(Utf8(parameter.name), parameter.optional && !parameter.name.starts_with('(')
                                                                 ? QStringLiteral("?")
                                                                 : QString(),
                                       (parameter.type.empty() ? QString() : QStringLiteral("`%1` ").arg(Utf8(parameter.type))) +
                                           Utf8(parameter.description))
                                  .trimmed());
    if (!parameters.isEmpty())
        text += QStringLiteral("\n\n**Parameters**\n\n") + parameters.join(QLatin1Char('\n'));
    for (const std::string &type : description.returns)
        text += QStringLiteral("\n\n**Returns** `%1`").arg(Utf8(type));
    return text;
}

QString DocumentationOf(const NameDescription &description)
{
    if (description.tarnRow >= 0)
        return description.tarnPage ? LspLanguage::Description(*description.tarnPage) : QString();
    return DescriptionText(description);
}

QJsonObject Location(const QString &uri, const QJsonObject &range)
{
    return QJsonObject{{QStringLiteral("uri"), uri}, {QStringLiteral("range"), range}};
}

} // namespace

std::string Completion(const LspConfiguration &tarn, const LspAnalysis &script, LspPosition position)
{
    const NameQueries queries = QueriesOf(tarn, script);
    const std::size_t offset = script.OffsetOf(position);
    const NameCompletion completion = queries.Complete(offset, kMostCompletions);
    LspJsonWriter range;
    script.WriteRange(range, completion.wordStart, offset);
    LspJsonWriter out;
    out.BeginObject();
    out.Key("isIncomplete");
    out.Bool(completion.incomplete);
    out.Key("items");
    out.BeginArray();
    int order = 0;
    for (const NameCandidate &candidate : completion.candidates) {
        out.BeginObject();
        out.Key("label");
        out.String(candidate.name);
        out.Key("kind");
        out.Number(ItemKindOf(candidate.kind));
        out.Key("sortText"); // the order given: nearest scope first
        out.String(QStringLiteral("%1").arg(order++, 4, 10, QLatin1Char('0')));
        out.Key("textEdit");
        out.BeginObject();
        out.Key("range");
        out.Raw(range.Text());
        out.Key("newText");
        out.String(candidate.name);
        out.EndObject();
        if (!candidate.detail.empty()) {
            out.Key("detail");
            out.String(candidate.detail);
        }
        if (candidate.deprecated) {
            out.Key("tags");
            out.Raw("[1]");
        }
        if (candidate.kind != NameKind::Keyword) {
            const QString documentation = DocumentationOf(queries.DescribeCandidate(candidate));
            if (!documentation.isEmpty()) {
                out.Key("documentation");
                out.BeginObject();
                out.Key("kind");
                out.String("markdown");
                out.Key("value");
                out.String(documentation);
                out.EndObject();
            }
        }
        out.EndObject();
    }
    out.EndArray();
    out.EndObject();
    return out.Take();
}

QJsonValue Hover(const LspConfiguration &tarn, const LspAnalysis &script, LspPosition position)
{
    const NameQueries queries = QueriesOf(tarn, script);
    const NameDescription description = queries.Describe(script.OffsetOf(position));
    if (!description.found)
        return QJsonValue::Null;
    const QString text = description.tarnRow >= 0 ? LspLanguage::Page(tarn, description.tarnRow)
                                                  : DescriptionText(description);
    return QJsonObject{{QStringLiteral("contents"), LspLanguage::Markdown(text)},
                       {QStringLiteral("range"), script.JsonRange(description.start, description.end)}};
}

QJsonValue SignatureHelp(const LspConfiguration &tarn, const LspAnalysis &script, LspPosition position)
{
    const NameQueries queries = QueriesOf(tarn, script);
    const CallSignature call = queries.CallAt(script.OffsetOf(position));
    if (!call.found)
        return QJsonValue::Null;
    const NameDescription &callee = call.callee;
    // Tarn's table names the function as its rows do, whatever the spelling called.
    const std::string name =
        callee.tarnRow >= 0 ? tarn.Functions().GetAt(callee.tarnRow)[0] : callee.signature.substr(0, callee.signature.find('('));
    // The parameters as [start, end) of the label, in UTF-16 code units.
    QString label = Utf8(name) + QLatin1Char('(');
    QJsonArray parameters;
    for (std::size_t i = 0; i < callee.parameters.size(); ++i) {
        const NameParameter &parameter = callee.parameters[i];
        if (i > 0)
            label += QStringLiteral(", ");
        const qsizetype from = label.size();
        label += Utf8(parameter.name);
        QJsonObject entry{{QStringLiteral("label"), QJsonArray{int(from), int(label.size())}}};
        const QString type = parameter.type.empty() ? QString() : QStringLiteral("`%1`").arg(Utf8(parameter.type));
        const QString documentation = (type + QLatin1Char(' ') + Utf8(parameter.description)).trimmed();
        if (!documentation.isEmpty())
            entry[QStringLiteral("documentation")] = LspLanguage::Markdown(documentation);
        parameters.append(entry);
    }
    label += QLatin1Char(')');
    // Never past the last parameter: a client takes an index out of range as the first.
    const int active = std::max(call.activeParameter, 0);
    QJsonObject signature{{QStringLiteral("label"), label},
                          {QStringLiteral("parameters"), parameters},
                          {QStringLiteral("activeParameter"), active}};
    if (!callee.description.empty())
        signature[QStringLiteral("documentation")] = LspLanguage::Markdown(Utf8(callee.description));
    return QJsonObject{{QStringLiteral("signatures"), QJsonArray{signature}},
                       {QStringLiteral("activeSignature"), 0},
                       {QStringLiteral("activeParameter"), active}};
}

QJsonValue Definition(const LspConfiguration &tarn, const LspAnalysis &script, LspPosition position,
                      const QString &uri)
{
    const NameQueries queries = QueriesOf(tarn, script);
    const NameDefinition definition = queries.Definition(script.OffsetOf(position));
    switch (definition.where) {
    case NameDefinition::Where::Script:
        return QJsonArray{Location(uri, script.JsonRange(definition.start, definition.end))};
    case NameDefinition::Where::Tarn: {
        const int line = tarn.PageLine(definition.name);
        if (line < 0 || tarn.PagesFile().isEmpty())
            return QJsonValue::Null;
        const QJsonObject at{{QStringLiteral("line"), line}, {QStringLiteral("character"), 0}};
        return QJsonArray{Location(QUrl::fromLocalFile(tarn.PagesFile()).toString(),
                                   QJsonObject{{QStringLiteral("start"), at}, {QStringLiteral("end"), at}})};
    }
    case NameDefinition::Where::Library:
    case NameDefinition::Where::None:
        break;
    }
    return QJsonValue::Null;
}

std::string References(const LspConfiguration &tarn, const LspAnalysis &script, LspPosition position,
                       const QString &uri, bool withDeclaration)
{
    const NameQueries queries = QueriesOf(tarn, script);
    const std::string where = uri.toStdString();
    LspJsonWriter out;
    out.BeginArray();
    for (const NameOccurrence &occurrence : queries.Occurrences(script.OffsetOf(position))) {
        if (!withDeclaration && occurrence.declaration)
            continue;
        out.BeginObject();
        out.Key("uri");
        out.String(where);
        out.Key("range");
        script.WriteRange(out, occurrence.start, occurrence.end);
        out.EndObject();
    }
    out.EndArray();
    return out.Take();
}

std::string Highlights(const LspConfiguration &tarn, const LspAnalysis &script, LspPosition position)
{
    const NameQueries queries = QueriesOf(tarn, script);
    LspJsonWriter out;
    out.BeginArray();
    for (const NameOccurrence &occurrence : queries.Occurrences(script.OffsetOf(position))) {
        out.BeginObject();
        out.Key("range");
        script.WriteRange(out, occurrence.start, occurrence.end);
        out.Key("kind");
        out.Number(occurrence.write ? kWriteHighlight : kReadHighlight);
        out.EndObject();
    }
    out.EndArray();
    return out.Take();
}

QJsonValue PrepareRename(const LspConfiguration &tarn, const LspAnalysis &script, LspPosition position,
                         QString &refusal)
{
    const NameQueries queries = QueriesOf(tarn, script);
    const RenameCheck check = queries.PrepareRename(script.OffsetOf(position));
    if (!check.ok) {
        refusal = Utf8(check.why);
        return QJsonValue::Undefined;
    }
    return QJsonObject{{QStringLiteral("range"), script.JsonRange(check.start, check.end)},
                       {QStringLiteral("placeholder"), Utf8(check.oldName)}};
}

std::string Rename(const LspConfiguration &tarn, const LspAnalysis &script, LspPosition position,
                   const QString &newName, const QString &uri, QString &refusal)
{
    const NameQueries queries = QueriesOf(tarn, script);
    const RenameEdits result = queries.Rename(script.OffsetOf(position), newName.toStdString());
    if (!result.ok) {
        refusal = Utf8(result.why);
        return {};
    }
    const std::string name = newName.toStdString();
    LspJsonWriter out;
    out.BeginObject();
    out.Key("changes");
    out.BeginObject();
    out.Key(uri.toStdString());
    out.BeginArray();
    for (const NameOccurrence &edit : result.edits) {
        out.BeginObject();
        out.Key("range");
        script.WriteRange(out, edit.start, edit.end);
        out.Key("newText");
        out.String(name);
        out.EndObject();
    }
    out.EndArray();
    out.EndObject();
    out.EndObject();
    return out.Take();
}

// A fold from each header line to the last line before the depth falls back to the header's.
std::string FoldingRanges(const LspAnalysis &script)
{
    std::vector<std::uint32_t> levels;
    FoldState state;
    ScanFoldLevels(script.Text(), state, levels);
    LspJsonWriter out;
    out.BeginArray();
    std::vector<std::pair<int, int>> open; // header line and level, innermost last
    const auto closeAbove = [&](int line, int level) {
        while (!open.empty() && open.back().second >= level) {
            if (line - 1 > open.back().first) {
                out.BeginObject();
                out.Key("startLine");
                out.Number(open.back().first);
                out.Key("endLine");
                out.Number(line - 1);
                out.EndObject();
            }
            open.pop_back();
        }
    };
    for (std::size_t line = 0; line < levels.size(); ++line) {
        const int level = FoldLevelOf(levels[line]);
        closeAbove(int(line), level);
        if (IsFoldHeader(levels[line]))
            open.emplace_back(int(line), level);
    }
    closeAbove(int(levels.size()), 0);
    out.EndArray();
    return out.Take();
}

QJsonArray WorkspaceSymbols(const LspAnalysis &script, const QString &uri, const QString &query, int most)
{
    const luamodel::Model &model = script.Model();
    const std::string wanted = query.toLower().toStdString();
    const auto matches = [&wanted](std::string_view name) {
        if (wanted.empty())
            return true;
        const auto found = std::search(name.begin(), name.end(), wanted.begin(), wanted.end(),
                                       [](char a, char b) { return (a >= 'A' && a <= 'Z' ? char(a + 32) : a) == b; });
        return found != name.end();
    };
    QJsonArray symbols;
    const auto add = [&](std::string_view name, int kind, std::size_t start, std::size_t end) {
        symbols.append(QJsonObject{
            {QStringLiteral("name"), QString::fromUtf8(name.data(), qsizetype(name.size()))},
            {QStringLiteral("kind"), kind},
            {QStringLiteral("location"), Location(uri, script.JsonRange(start, end))}});
    };
    std::unordered_set<std::size_t> functionNames;
    for (const std::uint32_t index : model.NamedFunctions()) {
        if (symbols.size() >= most)
            return symbols;
        const luamodel::Function &function = model.functions[index];
        functionNames.insert(function.nameRange.start.offset);
        if (matches(function.name))
            add(function.name, function.method ? kMethodSymbol : kFunctionSymbol, function.nameRange.start.offset,
                function.nameRange.end);
    }
    for (const luamodel::Global &global : model.globals) {
        if (symbols.size() >= most)
            return symbols;
        if (global.firstSet == luamodel::kNone || !matches(global.name))
            continue;
        const luamodel::NameUse &use = model.uses[global.firstSet];
        // A global function is listed among the functions already.
        if (functionNames.count(use.range.start.offset))
            continue;
        add(global.name, kVariableSymbol, use.range.start.offset, use.range.end);
    }
    return symbols;
}

} // namespace LspNames
