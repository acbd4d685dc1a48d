#include "lspserver.h"

#include "app/commandline.h"
#include "lsp/lsplanguage.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

#include <cmath>
#include <vector>
#include <exception>

namespace {

const QString kConfigurationSection = QStringLiteral("scriba");
// A cancellation is a short message; longer ones are not searched for one.
constexpr std::size_t kLongestCancel = 1024;

QString IdKey(const QJsonValue &id)
{
    return id.isString() ? QStringLiteral("s:") + id.toString() : QStringLiteral("n:") + QString::number(id.toDouble());
}

bool ReadPosition(const QJsonValue &value, LspPosition &position)
{
    const QJsonObject object = value.toObject();
    const QJsonValue line = object.value(QStringLiteral("line"));
    const QJsonValue character = object.value(QStringLiteral("character"));
    if (!line.isDouble() || !character.isDouble())
        return false;
    // Far past any text: clamped later like any other position past the end.
    position = {int(std::clamp(line.toDouble(), -1.0, 2e9)), int(std::clamp(character.toDouble(), -1.0, 2e9))};
    return true;
}

// A number, string, true, false or null alone: valid JSON, which Qt's parser refuses outside an
// array or object.
bool IsJsonScalar(std::string_view body)
{
    const std::size_t first = body.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || body[first] == '{' || body[first] == '[')
        return false;
    QJsonParseError error;
    const QByteArray wrapped = '[' + QByteArray(body.data(), qsizetype(body.size())) + ']';
    return QJsonDocument::fromJson(wrapped, &error).array().size() == 1 && error.error == QJsonParseError::NoError;
}

// A position in a text: whole numbers from 0, as a position inside a document must be.
bool ReadTextPosition(const QJsonValue &value, LspPosition &position)
{
    const QJsonObject object = value.toObject();
    for (const QString &field : {QStringLiteral("line"), QStringLiteral("character")}) {
        const double number = object.value(field).toDouble(-1);
        if (number < 0 || number != std::floor(number))
            return false;
    }
    return ReadPosition(value, position);
}

QString ServerVersion()
{
    return VersionText().section(QLatin1Char(' '), 1).trimmed();
}

} // namespace

LspServer::LspServer(Options options, Output output, Log log)
    : m_options(std::move(options)), m_output(std::move(output)), m_log(std::move(log)),
      m_reader(m_options.messageLimit), m_configuration(std::make_unique<LspConfiguration>())
{
    m_paths.iniPath = m_options.iniPath;
    m_diagnostics = std::make_unique<LspDiagnostics>(
        m_options.diagnosticDelay,
        [this](const std::string &uri, std::uint64_t &generation, std::string &text) {
            return Snapshot(uri, generation, text);
        },
        [this](const std::string &uri, std::uint64_t generation, const QJsonArray &diagnostics) {
            PublishChecked(uri, generation, diagnostics);
        });
}

LspServer::~LspServer()
{
    // Stops the check's and the worker's threads before the documents go.
    m_diagnostics.reset();
    m_worker.reset();
}

// ---------------------------------------------------------------- messages in

void LspServer::Feed(std::string_view bytes)
{
    if (m_finished)
        return;
    std::vector<LspFrame> frames;
    m_reader.Feed(bytes, frames);
    // A request cancelled in the same read is answered as cancelled instead of being served.
    std::set<QString> cancelled;
    for (const LspFrame &frame : frames) {
        if (frame.kind != LspFrame::Kind::Message || frame.body.size() > kLongestCancel ||
            frame.body.find("$/cancelRequest") == std::string::npos)
            continue;
        const QJsonObject message = QJsonDocument::fromJson(QByteArray::fromStdString(frame.body)).object();
        if (message.value(QStringLiteral("method")).toString() == QStringLiteral("$/cancelRequest"))
            cancelled.insert(IdKey(message.value(QStringLiteral("params")).toObject().value(QStringLiteral("id"))));
    }
    for (LspFrame &frame : frames) {
        if (m_finished)
            break;
        HandleFrame(frame, cancelled);
    }
}

void LspServer::EndOfInput()
{
    if (m_reader.Pending() > 0)
        Warn(QStringLiteral("the input ended inside a message"));
    m_finished = true;
}

void LspServer::HandleFrame(LspFrame &frame, const std::set<QString> &cancelled)
{
    switch (frame.kind) {
    case LspFrame::Kind::BadHeader:
        Warn(QString::fromStdString(frame.error));
        RespondError(QJsonValue::Null, ParseError, QString::fromStdString(frame.error));
        return;
    case LspFrame::Kind::TooLarge:
        Warn(QStringLiteral("refused %1").arg(QString::fromStdString(frame.error)));
        RespondError(QJsonValue::Null, InvalidRequest,
                     QStringLiteral("refused %1").arg(QString::fromStdString(frame.error)));
        return;
    case LspFrame::Kind::Message:
        break;
    }
    m_longString.Take(frame.body);
    QJsonParseError error;
    // Read where it lies: a document's text may be megabytes.
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromRawData(frame.body.data(), qsizetype(frame.body.size())), &error);
    if (error.error != QJsonParseError::NoError && IsJsonScalar(frame.body)) {
        RespondError(QJsonValue::Null, InvalidRequest, QStringLiteral("a message must be a JSON object"));
        return;
    }
    if (error.error != QJsonParseError::NoError) {
        RespondError(QJsonValue::Null, ParseError,
                     QStringLiteral("invalid JSON at byte %1: %2").arg(error.offset).arg(error.errorString()));
        return;
    }
    if (!document.isObject()) {
        RespondError(QJsonValue::Null, InvalidRequest, QStringLiteral("a message must be a JSON object"));
        return;
    }
    try {
        HandleMessage(document.object(), cancelled);
    } catch (const std::exception &failure) {
        const QJsonValue id = document.object().value(QStringLiteral("id"));
        Warn(QStringLiteral("could not handle a message: %1").arg(QString::fromUtf8(failure.what())));
        if (!id.isUndefined())
            RespondError(id, InternalError, QString::fromUtf8(failure.what()));
    }
}

void LspServer::HandleMessage(const QJsonObject &message, const std::set<QString> &cancelled)
{
    const QJsonValue id = message.value(QStringLiteral("id"));
    const QJsonValue method = message.value(QStringLiteral("method"));
    const bool hasId = !id.isUndefined();
    if (hasId && !id.isString() && !id.isDouble()) {
        RespondError(QJsonValue::Null, InvalidRequest, QStringLiteral("a request's id must be a number or a string"));
        return;
    }
    if (method.isUndefined() && hasId &&
        (message.contains(QStringLiteral("result")) || message.contains(QStringLiteral("error")))) {
        HandleResponse(message);
        return;
    }
    if (!method.isString()) {
        RespondError(hasId ? id : QJsonValue(QJsonValue::Null), InvalidRequest,
                     QStringLiteral("a message without a method"));
        return;
    }
    const QJsonValue params = message.value(QStringLiteral("params"));
    // Requests without parameters ("shutdown", "exit") come with none, or with null.
    if (!params.isUndefined() && !params.isNull() && !params.isObject() && !params.isArray()) {
        if (hasId)
            RespondError(id, InvalidParams, QStringLiteral("params must be an object"));
        return;
    }
    if (!hasId)
        HandleNotification(method.toString(), params.toObject());
    else if (cancelled.count(IdKey(id)))
        RespondError(id, RequestCancelled, QStringLiteral("cancelled"));
    else
        HandleRequest(id, method.toString(), params.toObject());
}

void LspServer::HandleRequest(const QJsonValue &id, const QString &method, const QJsonObject &params)
{
    if (method == QStringLiteral("initialize")) {
        if (m_initialized)
            RespondError(id, InvalidRequest, QStringLiteral("the server is initialized already"));
        else
            Respond(id, Initialize(params));
        return;
    }
    if (!m_initialized) {
        RespondError(id, ServerNotInitialized, QStringLiteral("the first request must be \"initialize\""));
        return;
    }
    if (m_shutdown) {
        RespondError(id, InvalidRequest, QStringLiteral("the server is shutting down; only \"exit\" is taken"));
        return;
    }
    if (method == QStringLiteral("shutdown")) {
        m_shutdown = true;
        Respond(id, QJsonValue::Null);
        return;
    }
    if (!ServeNameRequest(id, method, params))
        RespondError(id, MethodNotFound, QStringLiteral("\"%1\" is not served").arg(method));
}

void LspServer::HandleNotification(const QString &method, const QJsonObject &params)
{
    if (method == QStringLiteral("exit")) {
        m_finished = true;
        return;
    }
    if (!m_initialized || m_shutdown)
        return; // dropped, as the protocol asks
    if (method == QStringLiteral("initialized"))
        Initialized();
    else if (method == QStringLiteral("textDocument/didOpen"))
        DidOpen(params);
    else if (method == QStringLiteral("textDocument/didChange"))
        DidChange(params);
    else if (method == QStringLiteral("textDocument/didClose"))
        DidClose(params);
    else if (method == QStringLiteral("workspace/didChangeConfiguration"))
        ChangeConfiguration(params);
    // Anything else, "textDocument/didSave" and "$/cancelRequest" among them, needs nothing.
}

// ---------------------------------------------------------------- lifecycle and settings

QJsonObject LspServer::Initialize(const QJsonObject &params)
{
    m_initialized = true;
    const QJsonObject capabilities = params.value(QStringLiteral("capabilities")).toObject();
    m_clientHasConfiguration =
        capabilities.value(QStringLiteral("workspace")).toObject().value(QStringLiteral("configuration")).toBool();
    const QString root = params.value(QStringLiteral("rootUri")).toString();
    m_rootPath = root.isEmpty() ? params.value(QStringLiteral("rootPath")).toString() : QUrl(root).toLocalFile();
    // Without options these are the window's files.
    ApplySettings(params.value(QStringLiteral("initializationOptions")));

    const QJsonObject sync{{QStringLiteral("openClose"), true},
                           {QStringLiteral("change"), 2}, // incremental
                           {QStringLiteral("save"), QJsonObject{{QStringLiteral("includeText"), false}}}};
    const QJsonObject serverCapabilities{
        {QStringLiteral("positionEncoding"), QStringLiteral("utf-16")},
        {QStringLiteral("textDocumentSync"), sync},
        {QStringLiteral("completionProvider"),
         QJsonObject{{QStringLiteral("resolveProvider"), false},
                     {QStringLiteral("triggerCharacters"), QJsonArray{QStringLiteral("."), QStringLiteral(":")}}}},
        {QStringLiteral("signatureHelpProvider"),
         QJsonObject{{QStringLiteral("triggerCharacters"), QJsonArray{QStringLiteral("("), QStringLiteral(",")}}}},
        {QStringLiteral("hoverProvider"), true},
        {QStringLiteral("documentSymbolProvider"), true},
        {QStringLiteral("definitionProvider"), true},
        {QStringLiteral("referencesProvider"), true},
        {QStringLiteral("documentHighlightProvider"), true},
        {QStringLiteral("renameProvider"), QJsonObject{{QStringLiteral("prepareProvider"), true}}},
        {QStringLiteral("foldingRangeProvider"), true},
        {QStringLiteral("workspaceSymbolProvider"), true},
    };
    return QJsonObject{
        {QStringLiteral("capabilities"), serverCapabilities},
        {QStringLiteral("serverInfo"),
         QJsonObject{{QStringLiteral("name"), QStringLiteral("scriba")}, {QStringLiteral("version"), ServerVersion()}}},
    };
}

void LspServer::Initialized()
{
    if (!m_clientHasConfiguration)
        return;
    const QJsonObject item{{QStringLiteral("section"), kConfigurationSection}};
    Send(QJsonObject{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                     {QStringLiteral("id"), QStringLiteral("scriba-configuration-%1").arg(++m_requestsSent)},
                     {QStringLiteral("method"), QStringLiteral("workspace/configuration")},
                     {QStringLiteral("params"), QJsonObject{{QStringLiteral("items"), QJsonArray{item}}}}});
}

void LspServer::HandleResponse(const QJsonObject &message)
{
    // The only requests the server sends ask for its settings.
    if (!message.value(QStringLiteral("id")).toString().startsWith(QStringLiteral("scriba-configuration-")))
        return;
    ApplySettings(message.value(QStringLiteral("result")).toArray().at(0));
}

void LspServer::ChangeConfiguration(const QJsonObject &params)
{
    const QJsonValue settings = params.value(QStringLiteral("settings")).toObject().value(kConfigurationSection);
    if (settings.isObject())
        ApplySettings(settings);
    else
        Initialized(); // asks again, when the client can be asked
}

// {"iniPath": ..., "referencePath": ...}; a relative path is taken from the workspace's root.
void LspServer::ApplySettings(const QJsonValue &settings)
{
    const QJsonObject object = settings.toObject();
    const QDir root(m_rootPath.isEmpty() ? QDir::currentPath() : m_rootPath);
    LspConfiguration::Paths paths = m_paths;
    if (object.value(QStringLiteral("iniPath")).isString()) {
        paths.iniPath = root.absoluteFilePath(object.value(QStringLiteral("iniPath")).toString());
        paths.iniPathNamed = true;
    }
    if (object.value(QStringLiteral("referencePath")).isString())
        paths.referencePath = root.absoluteFilePath(object.value(QStringLiteral("referencePath")).toString());
    if (!m_configured || !(paths == m_paths))
        Configure(paths);
}

void LspServer::Configure(const LspConfiguration::Paths &paths)
{
    m_paths = paths;
    m_configured = true;
    QStringList messages;
    m_configuration = std::make_unique<LspConfiguration>(LspConfiguration::Load(paths, messages));
    for (const QString &message : messages)
        Warn(message);
    m_diagnostics->SetTables(m_configuration->Functions(), m_configuration->Reference());
    std::lock_guard lock(m_documentsMutex);
    for (const auto &document : m_documents)
        m_diagnostics->Schedule(document.first);
}

// ---------------------------------------------------------------- documents

void LspServer::DidOpen(const QJsonObject &params)
{
    const QJsonObject item = params.value(QStringLiteral("textDocument")).toObject();
    const std::string uri = m_longString.Resolved(item.value(QStringLiteral("uri")).toString());
    if (uri.empty() || !item.value(QStringLiteral("text")).isString()) {
        Warn(QStringLiteral("textDocument/didOpen without a uri or a text"));
        return;
    }
    {
        std::lock_guard lock(m_documentsMutex);
        Document &document = m_documents[uri];
        document.text = LspText(TextOf(item.value(QStringLiteral("text"))));
        ++document.generation;
    }
    m_diagnostics->Schedule(uri);
}

void LspServer::DidChange(const QJsonObject &params)
{
    const std::string uri = UriOf(params);
    const QJsonArray changes = params.value(QStringLiteral("contentChanges")).toArray();
    const QString name = QString::fromStdString(uri);
    {
        std::lock_guard lock(m_documentsMutex);
        const auto found = m_documents.find(uri);
        if (found == m_documents.end()) {
            Warn(QStringLiteral("a change for \"%1\", which is not open, was ignored").arg(name));
            return;
        }
        // Each change is read against the text the ones before it made, so one that cannot be
        // read leaves all of them unapplied rather than the text half changed.
        std::vector<Change> read(std::size_t(changes.size()));
        for (qsizetype i = 0; i < changes.size(); ++i) {
            const QString problem = ReadChange(changes[i], read[std::size_t(i)]);
            if (!problem.isEmpty()) {
                Warn(QStringLiteral("the changes to \"%1\" were refused and the document kept as it was: %2")
                         .arg(name, problem));
                return;
            }
        }
        for (Change &change : read)
            if (!ApplyChange(found->second.text, change))
                Warn(QStringLiteral("a change to \"%1\" reached past the end of a line or of the text; it was "
                                    "applied at that end")
                         .arg(name));
        ++found->second.generation;
    }
    m_diagnostics->Schedule(uri);
}

// Why change cannot be applied, or an empty string with change read into read.
QString LspServer::ReadChange(const QJsonValue &change, Change &read)
{
    const QJsonObject object = change.toObject();
    if (!object.value(QStringLiteral("text")).isString())
        return QStringLiteral("a change without a text");
    const QJsonValue range = object.value(QStringLiteral("range"));
    read.whole = range.isUndefined();
    if (!read.whole) {
        const QJsonObject ends = range.toObject();
        if (!ReadTextPosition(ends.value(QStringLiteral("start")), read.start) ||
            !ReadTextPosition(ends.value(QStringLiteral("end")), read.end))
            return QStringLiteral("a range that is not {start, end} of lines and characters counted from 0");
    }
    read.text = TextOf(object.value(QStringLiteral("text")));
    return QString();
}

// One change: the whole text without a range, else the range's text replaced. False when the
// range had to be clamped to the text.
bool LspServer::ApplyChange(LspText &text, Change &change)
{
    if (change.whole) {
        text = LspText(std::move(change.text));
        return true;
    }
    bool clamped = false;
    std::size_t from = text.OffsetOf(change.start, &clamped);
    std::size_t to = text.OffsetOf(change.end, &clamped);
    if (to < from)
        std::swap(from, to);
    text.Replace(from, to, change.text);
    return !clamped;
}

std::string LspServer::UriOf(const QJsonObject &params) const
{
    return m_longString.Resolved(
        params.value(QStringLiteral("textDocument")).toObject().value(QStringLiteral("uri")).toString());
}

// A text field's UTF-8: the long string taken out before parsing when it stands there.
std::string LspServer::TextOf(const QJsonValue &value)
{
    std::string text;
    if (!m_longString.Claim(value.toString(), text))
        text = value.toString().toStdString();
    return text;
}

void LspServer::DidClose(const QJsonObject &params)
{
    const std::string uri = UriOf(params);
    m_diagnostics->Forget(uri);
    std::lock_guard lock(m_documentsMutex);
    if (m_documents.erase(uri))
        Publish(uri, {});
}

bool LspServer::Snapshot(const std::string &uri, std::uint64_t &generation, std::string &text)
{
    std::lock_guard lock(m_documentsMutex);
    const auto found = m_documents.find(uri);
    if (found == m_documents.end())
        return false;
    generation = found->second.generation;
    text = found->second.text.Text();
    return true;
}

void LspServer::PublishChecked(const std::string &uri, std::uint64_t generation, const QJsonArray &diagnostics)
{
    std::lock_guard lock(m_documentsMutex);
    const auto found = m_documents.find(uri);
    if (found != m_documents.end() && found->second.generation == generation)
        Publish(uri, diagnostics);
}

void LspServer::Publish(const std::string &uri, const QJsonArray &diagnostics)
{
    Notify(QStringLiteral("textDocument/publishDiagnostics"),
           QJsonObject{{QStringLiteral("uri"), QString::fromStdString(uri)},
                       {QStringLiteral("diagnostics"), diagnostics}});
}

// ---------------------------------------------------------------- messages out

void LspServer::Respond(const QJsonValue &id, const QJsonValue &result)
{
    Send(QJsonObject{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                     {QStringLiteral("id"), id},
                     {QStringLiteral("result"), result}});
}

void LspServer::RespondError(const QJsonValue &id, int code, const QString &message)
{
    const QJsonObject error{{QStringLiteral("code"), code}, {QStringLiteral("message"), message}};
    Send(QJsonObject{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                     {QStringLiteral("id"), id},
                     {QStringLiteral("error"), error}});
}

void LspServer::Notify(const QString &method, const QJsonObject &params)
{
    Send(QJsonObject{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                     {QStringLiteral("method"), method},
                     {QStringLiteral("params"), params}});
}

// Said on standard error and, once the client listens, in its log.
void LspServer::Warn(const QString &message)
{
    if (m_log)
        m_log("scriba --lsp: " + message.toStdString());
    if (m_initialized)
        Notify(QStringLiteral("window/logMessage"),
               QJsonObject{{QStringLiteral("type"), 2}, {QStringLiteral("message"), message}});
}

void LspServer::Send(const QJsonObject &message)
{
    const QByteArray body = QJsonDocument(message).toJson(QJsonDocument::Compact);
    const std::string framed = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body.toStdString();
    std::lock_guard lock(m_outputMutex);
    m_output(framed);
}
