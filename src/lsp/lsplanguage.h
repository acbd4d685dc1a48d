// The answers the language server gives about a script: completion, the signature of the call
// being typed, hover text, the script's own functions and where they are defined. Each reads
// the position's line, or the whole text where the answer is about the whole script.
#pragma once

#include "lsp/lspconfiguration.h"
#include "lsp/lsptext.h"

#include <QJsonValue>
#include <QString>

namespace LspLanguage {

// At most this many functions are offered at once; the list says it is incomplete then, so the
// client asks again as the name grows.
constexpr int kMostCompletions = 200;

QJsonValue Completion(const LspConfiguration &tarn, const LspText &text, LspPosition position, const QString &uri);
QJsonValue SignatureHelp(const LspConfiguration &tarn, const LspText &text, LspPosition position, const QString &uri);
QJsonValue Hover(const LspConfiguration &tarn, const LspText &text, LspPosition position, const QString &uri);
QJsonValue Definition(const LspConfiguration &tarn, const LspText &text, LspPosition position, const QString &uri);
QJsonValue DocumentSymbols(const LspText &text);

} // namespace LspLanguage
