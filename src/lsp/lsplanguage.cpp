#include "lsplanguage.h"

#include "check/callscanner.h"
#include "editor/completionorder.h"
#include "editor/lineword.h"
#include "editor/luascanner.h"
#include "lsp/lsppositions.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <string>

namespace LspLanguage {

namespace {

// The protocol's numbers for the kinds of items and symbols.
constexpr int kFunctionItem = 3;
constexpr int kKeywordItem = 14;
constexpr int kMethodSymbol = 6;
constexpr int kFunctionSymbol = 12;
constexpr int kDeprecatedTag = 1;

// The position's line and the byte in it the position stands at.
struct LineAt {
    std::string line;
    std::size_t caret = 0;
};

LineAt LineOf(const LspText &text, LspPosition position)
{
    LineAt at{text.Line(position.line), 0};
    at.caret = Utf8IndexOf(at.line, position.character);
    return at;
}

QJsonObject Position(int line, std::string_view lineText, std::size_t byte)
{
    return QJsonObject{{QStringLiteral("line"), line},
                       {QStringLiteral("character"), Utf16Length(lineText.substr(0, byte))}};
}

QJsonObject LineRange(int line, std::string_view lineText, std::size_t from, std::size_t to)
{
    return JsonRange(Position(line, lineText, from), Position(line, lineText, to));
}

// The name around byte (letters, digits, underscores), with dotted prefixes when dotted is set.
void WordAround(std::string_view line, std::size_t byte, bool dotted, std::size_t &start, std::size_t &end)
{
    start = byte;
    end = byte;
    while (end < line.size() && IsNameCharacter(line[end]))
        ++end;
    while (start > 0 &&
           (IsNameCharacter(line[start - 1]) || (dotted && (line[start - 1] == '.' || line[start - 1] == ':') &&
                                                 start > 1 && IsNameCharacter(line[start - 2]))))
        --start;
}

bool StartsWithFolded(std::string_view name, std::string_view prefix)
{
    return name.size() >= prefix.size() && !CompletionLess(name.substr(0, prefix.size()), prefix) &&
           !CompletionLess(prefix, name.substr(0, prefix.size()));
}

QJsonObject Item(const QString &label, int kind, const QJsonObject &range)
{
    return QJsonObject{{QStringLiteral("label"), label},
                       {QStringLiteral("kind"), kind},
                       {QStringLiteral("textEdit"),
                        QJsonObject{{QStringLiteral("range"), range}, {QStringLiteral("newText"), label}}}};
}

// A function of the table with its signature and, where the reference has a page, what it does.
QJsonObject FunctionItem(const LspConfiguration &tarn, const std::string &name, const QJsonObject &range)
{
    const int row = tarn.Functions().IndexOfName(name);
    QJsonObject item = Item(FromUtf8(name), kFunctionItem, range);
    item[QStringLiteral("detail")] = FromUtf8(tarn.Signature(row));
    if (const FunctionDoc *page = tarn.Page(row)) {
        if (!page->description.empty())
            item[QStringLiteral("documentation")] = Markdown(Description(*page));
        if (page->deprecated)
            item[QStringLiteral("tags")] = QJsonArray{kDeprecatedTag};
    }
    return item;
}

} // namespace

QJsonObject Markdown(const QString &value)
{
    return QJsonObject{{QStringLiteral("kind"), QStringLiteral("markdown")}, {QStringLiteral("value"), value}};
}

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString Description(const FunctionDoc &page)
{
    QStringList lines;
    for (const std::string_view line : page.description)
        lines.append(FromUtf8(line));
    return lines.join(QLatin1Char('\n'));
}

// "`number` Distance in metres", for a parameter's line.
QString ParameterText(const ParamDoc &param)
{
    const QString type = param.type.empty() ? QString() : QStringLiteral("`%1`").arg(FromUtf8(param.type));
    return (type + QLatin1Char(' ') + FromUtf8(param.description)).trimmed();
}

// The function's whole page: its signature, what it does, its parameters and what it returns.
QString Page(const LspConfiguration &tarn, int row)
{
    QString text = QStringLiteral("```lua\n%1\n```").arg(FromUtf8(tarn.Signature(row)));
    const FunctionDoc *page = tarn.Page(row);
    if (!page)
        return text;
    if (page->deprecated)
        text += QStringLiteral("\n\n**Deprecated**%1")
                    .arg(page->deprecation.empty() ? QString() : QStringLiteral(": ") + FromUtf8(page->deprecation));
    if (!page->description.empty())
        text += QStringLiteral("\n\n") + Description(*page);
    if (!page->params.empty())
        text += QStringLiteral("\n\n**Parameters**\n");
    for (const ParamDoc &param : page->params)
        text += QStringLiteral("\n- `%1%2` %3")
                    .arg(FromUtf8(param.name), param.optional ? QStringLiteral("?") : QString(), ParameterText(param));
    for (const ReturnDoc &result : page->returns)
        text += QStringLiteral("\n\n**Returns** `%1` %2").arg(FromUtf8(result.type), FromUtf8(result.description));
    if (!page->see.empty()) {
        QStringList see;
        for (const std::string_view name : page->see)
            see.append(QStringLiteral("`%1`").arg(FromUtf8(name)));
        text += QStringLiteral("\n\nSee also %1").arg(see.join(QStringLiteral(", ")));
    }
    return text;
}

QJsonValue Completion(const LspConfiguration &tarn, const LspText &text, LspPosition position, const QString &)
{
    const LineAt at = LineOf(text, position);
    std::size_t start = at.caret;
    while (start > 0 && IsNameCharacter(at.line[start - 1]))
        --start;
    QJsonArray items;
    bool incomplete = false;
    // A field or method ("t.name", "t:name") is not one of Tarn's functions; a number is no name.
    const bool field = start > 0 && (at.line[start - 1] == '.' || at.line[start - 1] == ':');
    const std::string_view word = std::string_view(at.line).substr(start, at.caret - start);
    if (!field && (word.empty() || !(word[0] >= '0' && word[0] <= '9'))) {
        const QJsonObject range = LineRange(position.line, at.line, start, at.caret);
        const std::vector<std::string> &names = tarn.SortedNames();
        for (std::size_t i = FirstNotLess(names, word); i < names.size() && StartsWithFolded(names[i], word); ++i) {
            if (items.size() == kMostCompletions) {
                incomplete = true;
                break;
            }
            items.append(FunctionItem(tarn, names[i], range));
        }
        for (std::string_view keyword : kLuaKeywords)
            if (keyword.starts_with(word))
                items.append(Item(QLatin1String(keyword.data(), qsizetype(keyword.size())), kKeywordItem, range));
    }
    return QJsonObject{{QStringLiteral("isIncomplete"), incomplete}, {QStringLiteral("items"), items}};
}

QJsonValue SignatureHelp(const LspConfiguration &tarn, const LspText &text, LspPosition position, const QString &)
{
    const LineAt at = LineOf(text, position);
    OpenCall call;
    int row = -1;
    if (!FindOpenCall(at.line, int(at.caret), call) ||
        !FindFunction(tarn.Functions(), std::string_view(at.line).substr(call.nameStart, call.nameEnd - call.nameStart),
                      row))
        return QJsonValue::Null;
    // The parameters as [start, end) of the label, in UTF-16 code units.
    const TableRow &entries = tarn.Functions().GetAt(row);
    const FunctionDoc *page = tarn.Page(row);
    QString label = QString::fromStdString(entries[0]) + QLatin1Char('(');
    QJsonArray parameters;
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (i > 1)
            label += QStringLiteral(", ");
        const qsizetype from = label.size();
        label += QString::fromStdString(entries[i]);
        QJsonObject parameter{{QStringLiteral("label"), QJsonArray{int(from), int(label.size())}}};
        if (const ParamDoc *param = page ? FindParam(*page, BareParameterName(entries[i])) : nullptr)
            parameter[QStringLiteral("documentation")] = Markdown(ParameterText(*param));
        parameters.append(parameter);
    }
    label += QLatin1Char(')');
    // Past the last parameter nothing is marked, as in the window's tip.
    const int active = call.parameter - 1;
    QJsonObject signature{{QStringLiteral("label"), label},
                          {QStringLiteral("parameters"), parameters},
                          {QStringLiteral("activeParameter"), active}};
    if (page && !page->description.empty())
        signature[QStringLiteral("documentation")] = Markdown(Description(*page));
    return QJsonObject{{QStringLiteral("signatures"), QJsonArray{signature}},
                       {QStringLiteral("activeSignature"), 0},
                       {QStringLiteral("activeParameter"), active}};
}

QJsonValue Hover(const LspConfiguration &tarn, const LspText &text, LspPosition position, const QString &)
{
    const LineAt at = LineOf(text, position);
    std::size_t start = 0, end = 0;
    WordAround(at.line, at.caret, false, start, end);
    int row = -1;
    if (start == end || !FindFunction(tarn.Functions(), std::string_view(at.line).substr(start, end - start), row))
        return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("contents"), Markdown(Page(tarn, row))},
                       {QStringLiteral("range"), LineRange(position.line, at.line, start, end)}};
}

QJsonValue Definition(const LspConfiguration &, const LspText &text, LspPosition position, const QString &uri)
{
    const LineAt at = LineOf(text, position);
    std::size_t start = 0, end = 0;
    WordAround(at.line, at.caret, true, start, end);
    if (start == end)
        return QJsonValue::Null;
    const std::string name = at.line.substr(start, end - start);
    const std::string whole = text.Text();
    const CallScan scan = ScanCalls(whole);
    std::vector<std::size_t> offsets;
    for (const DefinedFunction &definition : scan.definitions) {
        if (definition.name == name) {
            offsets.push_back(definition.nameStart);
            offsets.push_back(definition.nameEnd);
        }
    }
    if (offsets.empty())
        return QJsonValue::Null;
    auto positions = JsonPositions(whole, offsets);
    QJsonArray locations;
    for (std::size_t i = 0; i < offsets.size(); i += 2)
        locations.append(
            QJsonObject{{QStringLiteral("uri"), uri},
                        {QStringLiteral("range"), JsonRange(positions[offsets[i]], positions[offsets[i + 1]])}});
    return locations;
}

QJsonValue DocumentSymbols(const LspText &text)
{
    const std::string whole = text.Text();
    return SymbolsOf(ScanCalls(whole), whole);
}

QJsonValue DocumentSymbols(const luamodel::Model &model, std::string_view whole)
{
    return SymbolsOf(ScanCalls(model, whole), whole);
}

QJsonValue SymbolsOf(const CallScan &scan, std::string_view whole)
{
    std::vector<std::size_t> offsets;
    for (const DefinedFunction &definition : scan.definitions)
        offsets.insert(offsets.end(), {definition.start, definition.end, definition.nameStart, definition.nameEnd});
    auto positions = JsonPositions(whole, offsets);
    // Nested definitions become children: a stack of the symbols still open, innermost last.
    std::vector<QJsonObject> open;
    std::vector<QJsonArray> children{QJsonArray()};
    const auto closeTo = [&](std::size_t depth) {
        while (open.size() > depth) {
            QJsonObject symbol = open.back();
            open.pop_back();
            if (!children.back().isEmpty())
                symbol[QStringLiteral("children")] = children.back();
            children.pop_back();
            children.back().append(symbol);
        }
    };
    for (const DefinedFunction &definition : scan.definitions) {
        closeTo(std::min<std::size_t>(std::size_t(std::max(definition.depth, 0)), open.size()));
        const bool method = definition.name.find(':') != std::string_view::npos;
        open.push_back(QJsonObject{
            {QStringLiteral("name"), QString::fromUtf8(definition.name.data(), qsizetype(definition.name.size()))},
            {QStringLiteral("kind"), method ? kMethodSymbol : kFunctionSymbol},
            {QStringLiteral("range"), JsonRange(positions[definition.start], positions[definition.end])},
            {QStringLiteral("selectionRange"),
             JsonRange(positions[definition.nameStart], positions[definition.nameEnd])},
        });
        children.emplace_back();
    }
    closeTo(0);
    return children.front();
}

} // namespace LspLanguage
