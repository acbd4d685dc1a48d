#include "namedescriptions.h"

#include "model/lualibrary.h"

namespace {

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The entry that a dotted name ("string.format", "print") names, with its table ("" for a global).
const LuaLibraryEntry *LibraryEntry(std::string_view name, std::string_view &table)
{
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos) {
        table = {};
        return LuaLibrary::Global(name);
    }
    table = name.substr(0, dot);
    return LuaLibrary::Field(table, name.substr(dot + 1));
}

} // namespace

std::optional<TipSignature> LibrarySignature(std::string_view word)
{
    std::string_view table;
    const LuaLibraryEntry *entry = LibraryEntry(word, table);
    if (!entry || !entry->IsFunction())
        return std::nullopt;
    TipSignature signature;
    signature.name = Text(word);
    for (std::string_view parameter : entry->ParameterList())
        signature.parameters.append(Text(parameter));
    signature.description = Text(entry->description);
    return signature;
}

QString LibraryMarkdown(std::string_view qualifiedName)
{
    std::string_view table;
    const LuaLibraryEntry *entry = LibraryEntry(qualifiedName, table);
    if (!entry)
        return QString();
    const QString heading = entry->IsFunction() ? Text(LuaLibrary::Signature(table, *entry)) : Text(qualifiedName);
    QString markdown = QStringLiteral("**%1**\n\n%2").arg(heading.toHtmlEscaped(), Text(entry->description));
    if (entry->compatibility)
        markdown += QStringLiteral("\n\n*Kept for older scripts.*");
    return markdown;
}
