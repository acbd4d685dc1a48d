#include "referencetext.h"

#include "editor/luascanner.h"
#include "reference/tarnreference.h"

#include <QTextDocument>
#include <QUrl>

namespace {

QString Text(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// A code span that holds text as it is, backticks included.
QString Code(const QString &text)
{
    const QString fence = text.contains(QLatin1Char('`')) ? QStringLiteral("``") : QStringLiteral("`");
    return fence + u' ' + text + u' ' + fence;
}

// A type as a page shows it: the alternatives of a union ("a"|"b"|nil) with blanks between
// them, so a narrow page wraps between alternatives rather than inside one.
QString TypeText(std::string_view type)
{
    QStringList alternatives = Text(type).split(u'|');
    for (QString &alternative : alternatives)
        alternative = alternative.trimmed();
    return alternatives.join(QStringLiteral(" | "));
}

QString Description(DocList<std::string_view> lines)
{
    QString text;
    for (const std::string_view line : lines)
        text += Text(line) + u'\n';
    return text;
}

void AddParameters(QString &md, const FunctionDoc &doc)
{
    if (doc.params.empty())
        return;
    md += QStringLiteral("\n**Parameters**\n\n");
    for (const ParamDoc &param : doc.params) {
        md += QStringLiteral("- ") + Code(Text(param.name)) + (param.optional ? QStringLiteral(" (optional)") : QString());
        if (!param.type.empty())
            md += u' ' + Code(TypeText(param.type));
        if (!param.description.empty())
            md += QStringLiteral(": ") + Text(param.description);
        md += u'\n';
    }
}

void AddReturns(QString &md, const FunctionDoc &doc)
{
    if (doc.returns.empty())
        return;
    md += QStringLiteral("\n**Returns**\n\n");
    for (const ReturnDoc &value : doc.returns) {
        md += QStringLiteral("- ") + Code(TypeText(value.type.empty() ? std::string_view("any") : value.type));
        if (!value.description.empty())
            md += QStringLiteral(": ") + Text(value.description);
        md += u'\n';
    }
}

void AddSeeAlso(QString &md, const FunctionDoc &doc)
{
    if (doc.see.empty())
        return;
    md += QStringLiteral("\n**See also:** ");
    for (std::size_t i = 0; i < doc.see.size(); ++i) {
        // "---@see name text": the name is the link, the text stays beside it.
        const QString see = Text(doc.see[i]);
        const QString name = see.section(u' ', 0, 0);
        const QString rest = see.section(u' ', 1);
        md += (i ? QStringLiteral(", ") : QString()) + u'[' + Code(name) + QStringLiteral("](tarn:") +
              QString::fromLatin1(QUrl::toPercentEncoding(name)) + u')' + (rest.isEmpty() ? QString() : u' ' + rest);
    }
    md += u'\n';
}

} // namespace

DocumentedFunction LookUpFunction(const FunctionTable &functions, const TarnReference &reference, std::string_view word)
{
    int row = -1;
    if (word.empty() || !(FindFunction(functions, word, row) || (row = functions.IndexOfName(word)) >= 0))
        return {};
    const TableRow &entries = functions.GetAt(row);
    return {&entries, reference.Find(entries[0])};
}

QString FunctionMarkdown(const DocumentedFunction &function, PageParts parts)
{
    QString md = QStringLiteral("**") + Code(Text(SignatureOf(*function.row))) + QStringLiteral("**\n\n");
    const FunctionDoc *doc = function.doc;
    if (!doc)
        return md;
    if (doc->deprecated)
        md += QStringLiteral("*Deprecated*") + (doc->deprecation.empty() ? QString() : QStringLiteral(": ") + Text(doc->deprecation)) +
              QStringLiteral("\n\n");
    md += Description(doc->description);
    if (parts == PageParts::Summary)
        return md;
    AddParameters(md, *doc);
    AddReturns(md, *doc);
    if (parts == PageParts::Page)
        AddSeeAlso(md, *doc);
    return md;
}

QString MarkdownToHtml(const QString &markdown)
{
    QTextDocument document;
    document.setMarkdown(markdown, QTextDocument::MarkdownFeatures(QTextDocument::MarkdownDialectGitHub |
                                                                   QTextDocument::MarkdownNoHTML));
    return document.toHtml();
}

QString ParameterLine(const ParamDoc &param)
{
    QString line = Text(param.name) + (param.optional ? QStringLiteral(" (optional)") : QString()) + QStringLiteral(": ");
    if (!param.allowedStrings.empty()) {
        line += QStringLiteral("one of ");
        for (std::size_t i = 0; i < param.allowedStrings.size(); ++i)
            line += (i ? QStringLiteral(", \"") : QStringLiteral("\"")) + Text(param.allowedStrings[i]) + u'"';
    } else {
        line += Text(param.type);
    }
    if (!param.description.empty())
        line += QStringLiteral(" \u2013 ") + Text(param.description);
    return line;
}

QString FirstDescriptionLine(const FunctionDoc &doc)
{
    for (const std::string_view line : doc.description) {
        QString text = Text(line).trimmed();
        while (text.startsWith(u'#'))
            text.remove(0, 1);
        text.remove(QStringLiteral("**")).remove(u'`');
        text = text.trimmed();
        if (!text.isEmpty())
            return text;
    }
    return QString();
}
