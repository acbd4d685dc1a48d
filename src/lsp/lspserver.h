// Scriba's language server: the protocol's lifecycle, the open documents and the dispatch of
// requests, over bytes in and bytes out, so the same object serves standard input and output
// and the tests' own client.
#pragma once

#include "lsp/lspconfiguration.h"
#include "lsp/lspdiagnostics.h"
#include "lsp/lsplongstring.h"
#include "lsp/lspmessagereader.h"
#include "lsp/lsptext.h"
#include "lsp/lspworker.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

class LspAnalysis;

class LspServer {
public:
    // Error codes of JSON-RPC and of the protocol.
    enum ErrorCode {
        ParseError = -32700,
        InvalidRequest = -32600,
        MethodNotFound = -32601,
        InvalidParams = -32602,
        InternalError = -32603,
        ServerNotInitialized = -32002,
        RequestCancelled = -32800,
    };

    struct Options {
        QString iniPath; // where the window reads Scriba.ini; "Tarn.d.lua" is looked for beside it
        std::chrono::milliseconds diagnosticDelay{500};
        std::size_t messageLimit = LspMessageReader::kDefaultLimit;
    };
    // Receives every message the server sends, framed, from the reading thread and from the
    // check's; calls never overlap.
    using Output = std::function<void(std::string_view bytes)>;
    // Receives what is written to standard error: framing faults, refused messages.
    using Log = std::function<void(const std::string &line)>;

    LspServer(Options options, Output output, Log log = {});
    ~LspServer();

    // Handles every message the bytes complete.
    void Feed(std::string_view bytes);
    // The input has ended; the server is finished as if "exit" had come.
    void EndOfInput();
    bool Finished() const { return m_finished; }
    // 0 after "shutdown" then "exit", 1 for an exit without shutdown.
    int ExitCode() const { return m_shutdown ? 0 : 1; }

private:
    // A version's model, built by the first request that needs it.
    struct AnalysisSlot {
        std::uint64_t generation = 0;
        std::string text; // moved into the analysis once built
        std::once_flag once;
        std::shared_ptr<const LspAnalysis> built;
    };
    struct Document {
        LspText text;
        std::uint64_t generation = 0;
        std::shared_ptr<AnalysisSlot> analysis;
    };

    void HandleFrame(LspFrame &frame, const std::set<QString> &cancelled);
    void HandleMessage(const QJsonObject &message, const std::set<QString> &cancelled);
    void HandleRequest(const QJsonValue &id, const QString &method, const QJsonObject &params);
    void HandleNotification(const QString &method, const QJsonObject &params);
    void HandleResponse(const QJsonObject &message);
    // The requests about names (lspnamerequests.cpp); false for any other method.
    bool ServeNameRequest(const QJsonValue &id, const QString &method, const QJsonObject &params);
    std::string AnswerAtPlace(const QString &method, const QJsonObject &params, const LspAnalysis &script,
                              LspPosition position, const QString &uri, QString &refusal);
    // Answers with a result that is JSON text already.
    void RespondText(const QJsonValue &id, const std::string &result);
    void PostWholeScriptRequest(const QJsonValue &id, const QString &method, const QJsonObject &params);
    // The model of the document's current version; nullptr when it is not open.
    std::shared_ptr<const LspAnalysis> AnalysisOf(const std::string &uri);

    QJsonObject Initialize(const QJsonObject &params);
    void Initialized();
    void ChangeConfiguration(const QJsonObject &params);
    void ApplySettings(const QJsonValue &settings);
    void Configure(const LspConfiguration::Paths &paths);

    void DidOpen(const QJsonObject &params);
    void DidChange(const QJsonObject &params);
    void DidClose(const QJsonObject &params);
    struct Change {
        bool whole = true; // the whole text, without a range
        LspPosition start, end;
        std::string text;
    };
    QString ReadChange(const QJsonValue &change, Change &read);
    bool ApplyChange(LspText &text, Change &change);
    std::string TextOf(const QJsonValue &value);
    // params' "textDocument" "uri".
    std::string UriOf(const QJsonObject &params) const;

    bool Snapshot(const std::string &uri, std::uint64_t &generation, std::string &text);
    void PublishChecked(const std::string &uri, std::uint64_t generation, const QJsonArray &diagnostics);
    void Publish(const std::string &uri, const QJsonArray &diagnostics);

    void Respond(const QJsonValue &id, const QJsonValue &result);
    void RespondError(const QJsonValue &id, int code, const QString &message);
    void Notify(const QString &method, const QJsonObject &params);
    void Warn(const QString &message);
    void Send(const QJsonObject &message);

    Options m_options;
    Output m_output;
    Log m_log;
    std::mutex m_outputMutex;
    LspMessageReader m_reader;
    LspLongString m_longString;
    bool m_initialized = false;
    bool m_shutdown = false;
    bool m_finished = false;
    bool m_clientHasConfiguration = false;
    bool m_configured = false;
    QString m_rootPath;
    LspConfiguration::Paths m_paths;
    std::unique_ptr<LspConfiguration> m_configuration;
    int m_requestsSent = 0;

    std::mutex m_documentsMutex;
    std::map<std::string, Document> m_documents;
    // These threads call back into the documents, so they must stop before the documents go.
    std::unique_ptr<LspWorker> m_worker = std::make_unique<LspWorker>();
    std::unique_ptr<LspDiagnostics> m_diagnostics;
};
