// The language server's answers about the script's names, read off one version's model through
// the name queries the window uses too: completion, hover, signature help, definition,
// references, highlights and renaming; and the answers about a whole script: folding ranges and
// its symbols for a workspace search.
#pragma once

#include "lsp/lspanalysis.h"
#include "lsp/lspconfiguration.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <string>

namespace LspNames {

// At most this many names are offered at once; the list says it is incomplete then.
constexpr std::size_t kMostCompletions = 200;

// The answers that list many places come as JSON text; the others as JSON values.
std::string Completion(const LspConfiguration &tarn, const LspAnalysis &script, LspPosition position);
QJsonValue Hover(const LspConfiguration &tarn, const LspAnalysis &script, LspPosition position);
QJsonValue SignatureHelp(const LspConfiguration &tarn, const LspAnalysis &script, LspPosition position);
QJsonValue Definition(const LspConfiguration &tarn, const LspAnalysis &script, LspPosition position,
                      const QString &uri);
std::string References(const LspConfiguration &tarn, const LspAnalysis &script, LspPosition position,
                       const QString &uri, bool withDeclaration);
std::string Highlights(const LspConfiguration &tarn, const LspAnalysis &script, LspPosition position);
// refusal says why the name cannot be renamed; the answer is then undefined.
QJsonValue PrepareRename(const LspConfiguration &tarn, const LspAnalysis &script, LspPosition position,
                         QString &refusal);
std::string Rename(const LspConfiguration &tarn, const LspAnalysis &script, LspPosition position,
                   const QString &newName, const QString &uri, QString &refusal);

std::string FoldingRanges(const LspAnalysis &script);
// The script's named functions and the globals it sets whose names hold query (ASCII case
// ignored), as SymbolInformation; at most most of them.
QJsonArray WorkspaceSymbols(const LspAnalysis &script, const QString &uri, const QString &query, int most);

} // namespace LspNames
