#include "lspdiagnostics.h"

#include "check/scriptcheck.h"
#include "check/warningcodes.h"
#include "lsp/lsppositions.h"

#include <QJsonObject>

#include <algorithm>
#include <memory>

namespace {

// Enough for any script a person reads; a generated file with more gets the first ones.
constexpr std::size_t kMostWarnings = 5000;

// The warning's number, and the tags that let an editor grey out what does nothing (1) and
// strike through what should no longer be used (2).
void AddCode(QJsonObject &diagnostic, const ScriptProblem &problem)
{
    if (problem.code == 0)
        return;
    diagnostic.insert(QStringLiteral("code"),
                      QString::fromStdString(CodeText(problem.code, problem.severity == ProblemSeverity::Error)));
    if (IsUnusedCode(problem.code))
        diagnostic.insert(QStringLiteral("tags"), QJsonArray{1});
    else if (IsDeprecatedCode(problem.code))
        diagnostic.insert(QStringLiteral("tags"), QJsonArray{2});
}

} // namespace

LspDiagnostics::LspDiagnostics(std::chrono::milliseconds delay, Snapshot snapshot, Publish publish)
    : m_delay(delay), m_snapshot(std::move(snapshot)), m_publish(std::move(publish)),
      m_functions(std::make_shared<FunctionTable>()), m_reference(std::make_shared<TarnReference>()),
      m_thread([this] { Run(); })
{}

LspDiagnostics::~LspDiagnostics()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void LspDiagnostics::Schedule(const std::string &uri)
{
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        // Every time due is now plus the same delay, so a later one never needs the thread
        // awake before the time it already waits for; only a thread that waits for nothing does.
        wake = m_due.empty();
        m_due[uri] = Clock::now() + m_delay;
    }
    if (wake)
        m_wake.notify_all();
}

void LspDiagnostics::Forget(const std::string &uri)
{
    std::lock_guard lock(m_mutex);
    m_due.erase(uri);
}

void LspDiagnostics::SetTables(FunctionTable functions, std::shared_ptr<const TarnReference> reference)
{
    auto table = std::make_shared<FunctionTable>(std::move(functions));
    std::lock_guard lock(m_mutex);
    m_functions = std::move(table);
    m_reference = std::move(reference);
}

void LspDiagnostics::Run()
{
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (m_due.empty()) {
            m_wake.wait(lock);
            continue;
        }
        const auto next = std::min_element(m_due.begin(), m_due.end(),
                                           [](const auto &a, const auto &b) { return a.second < b.second; });
        if (Clock::now() < next->second) {
            m_wake.wait_until(lock, next->second);
            continue;
        }
        const std::string uri = next->first;
        m_due.erase(next);
        // The table is this thread's own: its lookups build an index as they go.
        const std::shared_ptr<FunctionTable> functions = m_functions;
        const std::shared_ptr<const TarnReference> reference = m_reference;
        lock.unlock();
        std::uint64_t generation = 0;
        std::string text;
        if (m_snapshot(uri, generation, text))
            m_publish(uri, generation, Check(text, *functions, *reference));
        lock.lock();
    }
}

QJsonArray LspDiagnostics::Check(const std::string &text, const FunctionTable &functions,
                                 const TarnReference &reference)
{
    const std::vector<ScriptProblem> problems = CheckScript(text, functions, reference, kMostWarnings);
    std::vector<std::size_t> offsets;
    offsets.reserve(problems.size() * 2);
    for (const ScriptProblem &problem : problems) {
        offsets.push_back(problem.start);
        offsets.push_back(std::max(problem.start, problem.end));
    }
    std::unordered_map<std::size_t, QJsonObject> positions = JsonPositions(text, std::move(offsets));

    QJsonArray diagnostics;
    for (const ScriptProblem &problem : problems) {
        const QJsonObject range = JsonRange(positions[problem.start], positions[std::max(problem.start, problem.end)]);
        QJsonObject diagnostic{
            {QStringLiteral("range"), range},
            {QStringLiteral("severity"), problem.severity == ProblemSeverity::Error ? 1 : 2},
            {QStringLiteral("source"), QStringLiteral("scriba")},
            {QStringLiteral("message"), QString::fromStdString(problem.message)},
        };
        AddCode(diagnostic, problem);
        diagnostics.append(diagnostic);
    }
    return diagnostics;
}
