// The requests about the script's names, served from each document's model, which is built once
// per version by whichever request needs it first. The answers about one place come on the
// reading thread; those that walk a whole script, or every open one, come from the worker, so
// no request waits behind them.
#include "lspserver.h"

#include "lsp/lspanalysis.h"
#include "lsp/lspjsonwriter.h"
#include "lsp/lsplanguage.h"
#include "lsp/lspnames.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <exception>

namespace {

constexpr int kRequestFailed = -32803;
// A workspace search lists at most this many symbols.
constexpr int kMostSymbols = 1000;

bool ReadPlace(const QJsonObject &params, LspPosition &position)
{
    const QJsonObject object = params.value(QStringLiteral("position")).toObject();
    const QJsonValue line = object.value(QStringLiteral("line"));
    const QJsonValue character = object.value(QStringLiteral("character"));
    if (!line.isDouble() || !character.isDouble())
        return false;
    position = {int(std::clamp(line.toDouble(), -1.0, 2e9)), int(std::clamp(character.toDouble(), -1.0, 2e9))};
    return true;
}

// A JSON value as text: null for an undefined one.
std::string JsonText(const QJsonValue &value)
{
    if (value.isObject())
        return QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact).toStdString();
    if (value.isArray())
        return QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact).toStdString();
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return value.isUndefined() ? "null" : wrapped.mid(1, wrapped.size() - 2).toStdString();
}

QString DocumentUri(const QJsonObject &params)
{
    return params.value(QStringLiteral("textDocument")).toObject().value(QStringLiteral("uri")).toString();
}

} // namespace

std::shared_ptr<const LspAnalysis> LspServer::AnalysisOf(const std::string &uri)
{
    std::shared_ptr<AnalysisSlot> slot;
    {
        std::lock_guard lock(m_documentsMutex);
        const auto found = m_documents.find(uri);
        if (found == m_documents.end())
            return nullptr;
        Document &document = found->second;
        if (!document.analysis || document.analysis->generation != document.generation) {
            document.analysis = std::make_shared<AnalysisSlot>();
            document.analysis->generation = document.generation;
            document.analysis->text = document.text.Text();
        }
        slot = document.analysis;
    }
    // Built outside the lock; a second asker waits for the first one's model.
    std::call_once(slot->once,
                   [&slot] { slot->built = std::make_shared<const LspAnalysis>(std::move(slot->text)); });
    return slot->built;
}

bool LspServer::ServeNameRequest(const QJsonValue &id, const QString &method, const QJsonObject &params)
{
    static const std::set<QString> wholeScript{QStringLiteral("textDocument/documentSymbol"),
                                               QStringLiteral("textDocument/foldingRange"),
                                               QStringLiteral("workspace/symbol")};
    static const std::set<QString> atPlace{
        QStringLiteral("textDocument/completion"),    QStringLiteral("textDocument/hover"),
        QStringLiteral("textDocument/signatureHelp"), QStringLiteral("textDocument/definition"),
        QStringLiteral("textDocument/references"),    QStringLiteral("textDocument/documentHighlight"),
        QStringLiteral("textDocument/prepareRename"), QStringLiteral("textDocument/rename")};
    if (wholeScript.count(method)) {
        PostWholeScriptRequest(id, method, params);
        return true;
    }
    if (!atPlace.count(method))
        return false;
    LspPosition position;
    if (!ReadPlace(params, position)) {
        RespondError(id, InvalidParams, QStringLiteral("a position {line, character} is needed"));
        return true;
    }
    const QString uri = DocumentUri(params);
    const std::shared_ptr<const LspAnalysis> script = AnalysisOf(uri.toStdString());
    if (!script) {
        RespondError(id, InvalidParams, QStringLiteral("the document \"%1\" is not open").arg(uri));
        return true;
    }
    QString refusal;
    const std::string answer = AnswerAtPlace(method, params, *script, position, uri, refusal);
    if (!refusal.isEmpty())
        RespondError(id, kRequestFailed, refusal);
    else
        RespondText(id, answer);
    return true;
}

// The answer to a request about a place, as JSON text.
std::string LspServer::AnswerAtPlace(const QString &method, const QJsonObject &params, const LspAnalysis &script,
                                    LspPosition position, const QString &uri, QString &refusal)
{
    const LspConfiguration &tarn = *m_configuration;
    if (method == QStringLiteral("textDocument/completion"))
        return LspNames::Completion(tarn, script, position);
    if (method == QStringLiteral("textDocument/hover"))
        return JsonText(LspNames::Hover(tarn, script, position));
    if (method == QStringLiteral("textDocument/signatureHelp"))
        return JsonText(LspNames::SignatureHelp(tarn, script, position));
    if (method == QStringLiteral("textDocument/definition"))
        return JsonText(LspNames::Definition(tarn, script, position, uri));
    if (method == QStringLiteral("textDocument/references")) {
        const bool withDeclaration = params.value(QStringLiteral("context"))
                                         .toObject()
                                         .value(QStringLiteral("includeDeclaration"))
                                         .toBool(true);
        return LspNames::References(tarn, script, position, uri, withDeclaration);
    }
    if (method == QStringLiteral("textDocument/documentHighlight"))
        return LspNames::Highlights(tarn, script, position);
    if (method == QStringLiteral("textDocument/prepareRename"))
        return JsonText(LspNames::PrepareRename(tarn, script, position, refusal));
    const QJsonValue newName = params.value(QStringLiteral("newName"));
    if (!newName.isString()) {
        refusal = QStringLiteral("a rename needs a newName");
        return {};
    }
    return LspNames::Rename(tarn, script, position, newName.toString(), uri, refusal);
}

void LspServer::PostWholeScriptRequest(const QJsonValue &id, const QString &method, const QJsonObject &params)
{
    std::vector<std::string> uris;
    if (method == QStringLiteral("workspace/symbol")) {
        std::lock_guard lock(m_documentsMutex);
        for (const auto &document : m_documents)
            uris.push_back(document.first);
    } else {
        const std::string uri = DocumentUri(params).toStdString();
        std::lock_guard lock(m_documentsMutex);
        if (!m_documents.count(uri)) {
            RespondError(id, InvalidParams,
                         QStringLiteral("the document \"%1\" is not open").arg(QString::fromStdString(uri)));
            return;
        }
        uris.push_back(uri);
    }
    const QString query = params.value(QStringLiteral("query")).toString();
    m_worker->Post([this, id, method, uris, query] {
        try {
            QJsonArray answer;
            for (const std::string &uri : uris) {
                const std::shared_ptr<const LspAnalysis> script = AnalysisOf(uri);
                if (!script)
                    continue; // closed since
                if (method == QStringLiteral("textDocument/documentSymbol")) {
                    Respond(id, LspLanguage::DocumentSymbols(script->Model(), script->Text()));
                    return;
                }
                if (method == QStringLiteral("textDocument/foldingRange")) {
                    RespondText(id, LspNames::FoldingRanges(*script));
                    return;
                }
                for (const QJsonValue &symbol : LspNames::WorkspaceSymbols(
                         *script, QString::fromStdString(uri), query, kMostSymbols - int(answer.size())))
                    answer.append(symbol);
            }
            Respond(id, method == QStringLiteral("workspace/symbol") ? QJsonValue(answer) : QJsonValue::Null);
        } catch (const std::exception &failure) {
            RespondError(id, InternalError, QString::fromUtf8(failure.what()));
        }
    });
}

void LspServer::RespondText(const QJsonValue &id, const std::string &result)
{
    LspJsonWriter message;
    message.BeginObject();
    message.Key("jsonrpc");
    message.String("2.0");
    message.Key("id");
    message.Raw(JsonText(id));
    message.Key("result");
    message.Raw(result);
    message.EndObject();
    const std::string framed =
        "Content-Length: " + std::to_string(message.Text().size()) + "\r\n\r\n" + message.Text();
    std::lock_guard lock(m_outputMutex);
    m_output(framed);
}
