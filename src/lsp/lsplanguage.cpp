#include "lsplanguage.h"

#include "check/callscanner.h"
#include "lsp/lsppositions.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <string>
#include <vector>

namespace LspLanguage {

namespace {

// The protocol's numbers for the kinds of symbols.
constexpr int kMethodSymbol = 6;
constexpr int kFunctionSymbol = 12;

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
