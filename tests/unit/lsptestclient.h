// A small client for the language server's tests: it frames messages, feeds them to a server
// in the same process and reads back what the server sends, from its reading thread and from
// its check's thread alike.
#pragma once

#include "lsp/lspmessagereader.h"
#include "lsp/lspserver.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class LspTestClient {
public:
    explicit LspTestClient(QString iniPath = QStringLiteral("/nonexistent/Scriba.ini"),
                           std::chrono::milliseconds delay = std::chrono::milliseconds(20))
        : m_server(
              LspServer::Options{iniPath, delay}, [this](std::string_view bytes) { Receive(bytes); },
              [this](const std::string &line) { m_log.push_back(line); })
    {}

    static std::string Framed(const QJsonObject &message)
    {
        const QByteArray body = QJsonDocument(message).toJson(QJsonDocument::Compact);
        return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body.toStdString();
    }
    static QJsonObject RequestMessage(int id, const QString &method, const QJsonObject &params = {})
    {
        return {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}};
    }

    void SendRaw(std::string_view bytes) { m_server.Feed(bytes); }
    void Notify(const QString &method, const QJsonObject &params = {})
    {
        SendRaw(Framed({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}}));
    }
    // Requests are answered before Feed returns; the answer with the request's id.
    QJsonObject Request(const QString &method, const QJsonObject &params = {})
    {
        const int id = ++m_lastId;
        SendRaw(Framed(RequestMessage(id, method, params)));
        return Take([id](const QJsonObject &m) { return m.value("id").toInt(-1) == id; });
    }
    QJsonObject Initialize(const QJsonObject &params = {})
    {
        const QJsonObject answer = Request("initialize", params);
        Notify("initialized");
        return answer;
    }

    static QJsonObject Document(const QString &uri) { return {{"uri", uri}}; }
    static QJsonObject Position(int line, int character) { return {{"line", line}, {"character", character}}; }
    static QJsonObject At(const QString &uri, int line, int character)
    {
        return {{"textDocument", Document(uri)}, {"position", Position(line, character)}};
    }
    void Open(const QString &uri, const QString &text)
    {
        Notify("textDocument/didOpen",
               {{"textDocument", QJsonObject{{"uri", uri}, {"languageId", "lua"}, {"version", 1}, {"text", text}}}});
    }
    void Change(const QString &uri, int line, int character, int endLine, int endCharacter, const QString &text)
    {
        const QJsonObject range{{"start", Position(line, character)}, {"end", Position(endLine, endCharacter)}};
        Notify("textDocument/didChange",
               {{"textDocument", QJsonObject{{"uri", uri}, {"version", ++m_version}}},
                {"contentChanges", QJsonArray{QJsonObject{{"range", range}, {"text", text}}}}});
    }

    // The next diagnostics published for uri. A publication that never comes fails the test, so
    // an empty list always means the server said there is nothing.
    QJsonArray Diagnostics(const QString &uri)
    {
        const QJsonObject message = Take(IsDiagnosticsOf(uri), kPublicationWait);
        if (message.isEmpty())
            ADD_FAILURE() << "no diagnostics were published for " << uri.toStdString();
        return message.value("params").toObject().value("diagnostics").toArray();
    }
    // True when diagnostics for uri arrive within wait: to show that nothing more came.
    bool MoreDiagnostics(const QString &uri, std::chrono::milliseconds wait = std::chrono::seconds(2))
    {
        return !Take(IsDiagnosticsOf(uri), wait).isEmpty();
    }
    // Every message received so far that no Take has taken.
    std::vector<QJsonObject> Unread()
    {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_messages, {});
    }
    // Waits up to wait for a message that matches; an empty object when none came.
    template <typename Match> QJsonObject Take(Match match, std::chrono::milliseconds wait = std::chrono::seconds(2))
    {
        std::unique_lock lock(m_mutex);
        QJsonObject found;
        m_arrived.wait_for(lock, wait, [&] {
            for (auto it = m_messages.begin(); it != m_messages.end(); ++it) {
                if (match(*it)) {
                    found = *it;
                    m_messages.erase(it);
                    return true;
                }
            }
            return false;
        });
        return found;
    }

    LspServer &Server() { return m_server; }
    const std::vector<std::string> &Log() const { return m_log; }

private:
    // Long enough for a check under the sanitizers on a loaded machine; only a failing test waits.
    static constexpr std::chrono::seconds kPublicationWait{20};

    static std::function<bool(const QJsonObject &)> IsDiagnosticsOf(const QString &uri)
    {
        return [uri](const QJsonObject &m) {
            return m.value("method").toString() == "textDocument/publishDiagnostics" &&
                   m.value("params").toObject().value("uri").toString() == uri;
        };
    }

    void Receive(std::string_view bytes)
    {
        std::vector<LspFrame> frames;
        m_reader.Feed(bytes, frames);
        std::lock_guard lock(m_mutex);
        for (const LspFrame &frame : frames)
            m_messages.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(frame.body)).object());
        m_arrived.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<QJsonObject> m_messages;
    LspMessageReader m_reader;
    std::vector<std::string> m_log;
    int m_lastId = 0;
    int m_version = 1;
    LspServer m_server; // last: it sends from its thread until it is gone
};
