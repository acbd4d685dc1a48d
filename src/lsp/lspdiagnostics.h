// The language server's script check: a worker thread that checks a document once it has
// rested for a moment after its last change, so the thread reading messages never waits for a
// check, and a result for text that has changed since is dropped.
#pragma once

#include "app/scribacobarray.h"
#include "reference/tarnreference.h"

#include <QJsonArray>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class LspDiagnostics {
public:
    // Copies the document's text and its generation (which changes with every edit); false when
    // the document is no longer open.
    using Snapshot = std::function<bool(const std::string &uri, std::uint64_t &generation, std::string &text)>;
    // Publishes the diagnostics unless the document has changed or closed since generation.
    using Publish =
        std::function<void(const std::string &uri, std::uint64_t generation, const QJsonArray &diagnostics)>;

    LspDiagnostics(std::chrono::milliseconds delay, Snapshot snapshot, Publish publish);
    ~LspDiagnostics();
    LspDiagnostics(const LspDiagnostics &) = delete;
    LspDiagnostics &operator=(const LspDiagnostics &) = delete;

    // Checks the document after the delay, counted from the latest call for it.
    void Schedule(const std::string &uri);
    void Forget(const std::string &uri);
    // The table and reference later checks use; the caller schedules the open documents again.
    void SetTables(FunctionTable functions, std::shared_ptr<const TarnReference> reference);

    // The diagnostics of text: positions in UTF-16 code units, severities as the protocol
    // numbers them. A document at a file: URI follows the `.luacheckrc` of its folder.
    static QJsonArray Check(const std::string &text, const FunctionTable &functions, const TarnReference &reference,
                            const std::string &uri = {});

private:
    using Clock = std::chrono::steady_clock;
    void Run();

    const std::chrono::milliseconds m_delay;
    const Snapshot m_snapshot;
    const Publish m_publish;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::map<std::string, Clock::time_point> m_due;
    std::shared_ptr<FunctionTable> m_functions;
    std::shared_ptr<const TarnReference> m_reference;
    bool m_stopping = false;
    std::thread m_thread; // last, so it starts after everything it uses
};
