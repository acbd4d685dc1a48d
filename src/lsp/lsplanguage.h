// The pieces of the language server's answers about Tarn's functions (their pages as Markdown)
// and the script's own functions as the protocol's document symbols.
#pragma once

#include "lsp/lspconfiguration.h"
#include "lsp/lsptext.h"
#include "model/scriptmodel.h"

struct CallScan;

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <string_view>

namespace LspLanguage {

// At most this many functions are offered at once; the list says it is incomplete then, so the
// client asks again as the name grows.
constexpr int kMostCompletions = 200;

// Markdown content as the protocol wants it, and the pieces of a Tarn function's page.
QJsonObject Markdown(const QString &value);
QString FromUtf8(std::string_view text);
QString Description(const FunctionDoc &page);
QString ParameterText(const ParamDoc &param);
// The function's whole page: its signature, what it does, its parameters and what it returns.
QString Page(const LspConfiguration &tarn, int row);

// The script's own functions as the protocol's symbols, from a model of the text built already.
QJsonValue DocumentSymbols(const luamodel::Model &model, std::string_view text);
// The named functions of a scan as the protocol's symbols, nested as they are in the text.
QJsonValue SymbolsOf(const CallScan &scan, std::string_view text);

} // namespace LspLanguage
