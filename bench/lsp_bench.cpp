// The language server's costs that must not grow with the script or the table: one typed
// character in a script of 1 MB against one of 1 KB, completion from a table of 10,000
// functions against one of 200; and its check of a 10 MB script as a program, against
// "scriba --check" of the same file.
#include "benchscripts.h"
#include "benchprocess.h"
#include "benchsupport.h"

#include "app/defaulttexts.h"
#include "lsp/lspserver.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <set>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace benchscripts;

const QString kUri = QStringLiteral("file:///bench/script.lua");

std::string Framed(const QJsonObject &message)
{
    const QByteArray body = QJsonDocument(message).toJson(QJsonDocument::Compact);
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body.toStdString();
}

QJsonObject Message(const QString &method, const QJsonObject &params, int id = 0)
{
    QJsonObject message{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}};
    if (id)
        message["id"] = id;
    return message;
}

QJsonObject Position(int line, int character)
{
    return {{"line", line}, {"character", character}};
}

// A server with one open script; the check waits an hour, so only the message's own handling
// is measured.
std::unique_ptr<LspServer> ServerWith(const std::string &script, const QString &iniPath)
{
    auto server =
        std::make_unique<LspServer>(LspServer::Options{iniPath, std::chrono::hours(1)}, [](std::string_view) {});
    server->Feed(Framed(Message("initialize", {}, 1)));
    server->Feed(Framed(Message("initialized", {})));
    server->Feed(Framed(Message(
        "textDocument/didOpen",
        {{"textDocument",
          QJsonObject{
              {"uri", kUri}, {"languageId", "lua"}, {"version", 1}, {"text", QString::fromStdString(script)}}}})));
    return server;
}

std::string Change(int line, int character, int endCharacter, const QString &text)
{
    const QJsonObject range{{"start", Position(line, character)}, {"end", Position(line, endCharacter)}};
    return Framed(Message("textDocument/didChange",
                          {{"textDocument", QJsonObject{{"uri", kUri}, {"version", 2}}},
                           {"contentChanges", QJsonArray{QJsonObject{{"range", range}, {"text", text}}}}}));
}

// Types a character in the middle line and takes it out again, so the text keeps its size.
void BM_DidChange(benchmark::State &state)
{
    const std::string script =
        ScriptGenerator(ParsedTable(DefaultFunctionsText())).Realistic(std::size_t(state.range(0)));
    const int middle = int(std::count(script.begin(), script.end(), '\n') / 2);
    const std::unique_ptr<LspServer> server = ServerWith(script, QStringLiteral("/nonexistent/Scriba.ini"));
    const std::string insert = Change(middle, 1, 1, "x");
    const std::string remove = Change(middle, 1, 2, "");
    for (auto _ : state) {
        server->Feed(insert);
        server->Feed(remove);
    }
}

// A table of count functions "tn_f00000", ...; the word "tn_f0001" matches ten of them whatever
// the count.
void BM_Completion(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString iniPath = QDir(folder.path()).filePath("Scriba.ini");
    {
        std::ofstream ini(iniPath.toStdString(), std::ios::binary);
        ini << "[tarn_lua_functions]\r\n";
        char name[32];
        for (int i = 0; i < state.range(0); ++i) {
            std::snprintf(name, sizeof name, "tn_f%05d", i);
            ini << name << " x y z\r\n";
        }
        ini << "[/tarn_lua_functions]\r\n";
    }
    const std::unique_ptr<LspServer> server = ServerWith("local a = 1\ntn_f0001", iniPath);
    const std::string request = Framed(Message(
        "textDocument/completion", {{"textDocument", QJsonObject{{"uri", kUri}}}, {"position", Position(1, 8)}}, 2));
    for (auto _ : state)
        server->Feed(request);
}

// ---------------------------------------------------------------- requests about names

// A script of 10 MB with a small function in its middle whose names the requests ask about:
// line + 3 of the text reads "    probe_total = probe_total + probe_step * probe_i".
struct NamedScript {
    std::string text;
    int line = 0;
};

const NamedScript &ScriptWithProbe()
{
    static const NamedScript script = [] {
        NamedScript made;
        std::string text = ScriptGenerator(ParsedTable(DefaultFunctionsText())).Compilable(10u << 20);
        const std::size_t middle = text.find("\nfunction part", text.size() / 2) + 1;
        made.line = int(std::count(text.begin(), text.begin() + std::ptrdiff_t(middle), '\n'));
        text.insert(middle, "local function probe_helper(probe_count, probe_step)\n"
                            "  local probe_total = 0\n"
                            "  for probe_i = 1, probe_count do\n"
                            "    probe_total = probe_total + probe_step * probe_i\n"
                            "  end\n"
                            "  return probe_total\n"
                            "end\n");
        made.text = std::move(text);
        return made;
    }();
    return script;
}

// Asks the same request about the probe again and again; the model is built before timing.
void AskAboutTheProbe(benchmark::State &state, const QString &method, int character)
{
    const NamedScript &script = ScriptWithProbe();
    const std::unique_ptr<LspServer> server = ServerWith(script.text, QStringLiteral("/nonexistent/Scriba.ini"));
    QJsonObject params{{"textDocument", QJsonObject{{"uri", kUri}}}, {"position", Position(script.line + 3, character)}};
    if (method == "textDocument/references")
        params["context"] = QJsonObject{{"includeDeclaration", true}};
    const std::string request = Framed(Message(method, params, 2));
    server->Feed(request);
    for (auto _ : state)
        server->Feed(request);
}

// "    probe_total = probe_total + probe_s|tep": the second probe_total starts at character 18.
void BM_NameHover(benchmark::State &state) { AskAboutTheProbe(state, "textDocument/hover", 22); }
void BM_NameCompletion(benchmark::State &state) { AskAboutTheProbe(state, "textDocument/completion", 39); }
// Nothing typed yet at the start of the line's first name: the most names the list holds.
void BM_NameCompletionEverything(benchmark::State &state) { AskAboutTheProbe(state, "textDocument/completion", 4); }
void BM_NameDefinition(benchmark::State &state) { AskAboutTheProbe(state, "textDocument/definition", 22); }
void BM_NameReferences(benchmark::State &state) { AskAboutTheProbe(state, "textDocument/references", 22); }

// What is waited for, from when the requests are sent: a completion alone, a completion sent right
// behind a request for the outline of a script of 1 MB, or that outline alone. Wall time, as a
// wait is what is measured.
enum class Wait { Completion, CompletionBehindSymbols, Symbols };

void WaitFor(benchmark::State &state, Wait wait)
{
    std::mutex mutex;
    std::condition_variable arrived;
    std::set<int> answered;
    const std::string script = ScriptGenerator(ParsedTable(DefaultFunctionsText())).Compilable(1u << 20) +
                               "local myhelper = 1\nprint(myh";
    const int last = int(std::count(script.begin(), script.end(), '\n'));
    auto server = std::make_unique<LspServer>(
        LspServer::Options{QStringLiteral("/nonexistent/Scriba.ini"), std::chrono::hours(1)},
        [&](std::string_view bytes) {
            // The id stands near the start of every answer; an outline of megabytes is not searched.
            const std::string_view head = bytes.substr(0, 96);
            for (int id : {2, 3})
                if (head.find("\"id\":" + std::to_string(id) + ",") != std::string_view::npos) {
                    std::lock_guard lock(mutex);
                    answered.insert(id);
                    arrived.notify_all();
                }
        });
    server->Feed(Framed(Message("initialize", {}, 1)));
    server->Feed(Framed(Message(
        "textDocument/didOpen",
        {{"textDocument", QJsonObject{{"uri", kUri}, {"languageId", "lua"}, {"version", 1},
                                      {"text", QString::fromStdString(script)}}}})));
    const std::string symbols =
        Framed(Message("textDocument/documentSymbol", {{"textDocument", QJsonObject{{"uri", kUri}}}}, 3));
    const std::string completion = Framed(Message(
        "textDocument/completion", {{"textDocument", QJsonObject{{"uri", kUri}}}, {"position", Position(last, 9)}}, 2));
    const auto waitFor = [&](int id) {
        std::unique_lock lock(mutex);
        arrived.wait(lock, [&] { return answered.count(id) > 0; });
        answered.erase(id);
    };
    server->Feed(completion); // builds the model
    waitFor(2);
    const std::string sent = wait == Wait::Completion ? completion
                             : wait == Wait::Symbols  ? symbols
                                                      : symbols + completion;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        server->Feed(sent);
        waitFor(wait == Wait::Symbols ? 3 : 2);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (wait == Wait::CompletionBehindSymbols)
            waitFor(3);
    }
}
void BM_CompletionAlone(benchmark::State &state) { WaitFor(state, Wait::Completion); }
void BM_CompletionBehindSymbols(benchmark::State &state) { WaitFor(state, Wait::CompletionBehindSymbols); }
void BM_SymbolsAlone(benchmark::State &state) { WaitFor(state, Wait::Symbols); }

// ---------------------------------------------------------------- the check, as programs

constexpr std::size_t kCheckedBytes = 10u << 20;

struct Script {
    QTemporaryDir folder;
    std::string path;
    std::string text;
};

const Script &CheckedScript()
{
    static const Script script = [] {
        Script made;
        made.path = made.folder.filePath(QStringLiteral("script.lua")).toStdString();
        made.text = ScriptGenerator(ParsedTable(DefaultFunctionsText())).Compilable(kCheckedBytes);
        std::ofstream(made.path, std::ios::binary) << made.text;
        return made;
    }();
    return script;
}

void WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written <= 0)
            return;
        bytes.remove_prefix(std::size_t(written));
    }
}

// Runs "scriba --lsp", opens the script, waits for its diagnostics and ends the server; the
// server's CPU time, or a negative number when it failed.
double ServerCheck()
{
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char *argv[] = {const_cast<char *>(SCRIBA_EXECUTABLE), const_cast<char *>("--lsp"), nullptr};
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    if (failed)
        return -1;
    WriteAll(in[1],
             Framed(Message("initialize",
                            {{"initializationOptions", QJsonObject{{"iniPath", "/nonexistent/Scriba.ini"}}}}, 1)) +
                 Framed(Message("initialized", {})));
    WriteAll(in[1],
             Framed(Message("textDocument/didOpen",
                            {{"textDocument", QJsonObject{{"uri", kUri},
                                                          {"languageId", "lua"},
                                                          {"version", 1},
                                                          {"text", QString::fromStdString(CheckedScript().text)}}}})));
    std::string received;
    char buffer[4096];
    while (received.find("publishDiagnostics") == std::string::npos) {
        const ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        received.append(buffer, std::size_t(got));
    }
    WriteAll(in[1], Framed(Message("shutdown", {}, 2)) + Framed(Message("exit", {})));
    close(in[1]);
    while (read(out[0], buffer, sizeof buffer) > 0) {
    }
    close(out[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const bool published = received.find("publishDiagnostics") != std::string::npos;
    return published && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? CpuSecondsOf(usage) : -1;
}

double CommandCheck()
{
    // 0 for a clean script, 1 when it found problems: either way the whole script was checked.
    double seconds = 0;
    const int status = RunProgram({SCRIBA_EXECUTABLE, "--check", CheckedScript().path}, seconds);
    return status == 0 || status == 1 ? seconds : -1;
}

void RunTimed(benchmark::State &state, double (*run)())
{
    CheckedScript();
    for (auto _ : state) {
        const double seconds = run();
        if (seconds < 0) {
            state.SkipWithError("the program failed");
            return;
        }
        state.SetIterationTime(seconds);
    }
}

void BM_ServerCheck(benchmark::State &state)
{
    RunTimed(state, &ServerCheck);
}
void BM_CommandCheck(benchmark::State &state)
{
    RunTimed(state, &CommandCheck);
}

} // namespace

BENCHMARK(BM_DidChange)->Arg(1 << 10)->Arg(1 << 20);
BENCHMARK(BM_Completion)->Arg(200)->Arg(10000);
BENCHMARK(BM_NameHover);
BENCHMARK(BM_NameCompletion);
BENCHMARK(BM_NameCompletionEverything);
BENCHMARK(BM_NameDefinition);
BENCHMARK(BM_NameReferences);
BENCHMARK(BM_CompletionAlone)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CompletionBehindSymbols)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SymbolsAlone)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ServerCheck)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CommandCheck)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    return RunBenchmarksWithRatios(
        argc, argv,
        {{"language server: one typed character, 1 MB / 1 KB script", "BM_DidChange/1048576", "BM_DidChange/1024", 1.5},
         {"language server: completion, 10,000 / 200 functions", "BM_Completion/10000", "BM_Completion/200", 2.0},
         {"language server: completion / hover, 10 MB script", "BM_NameCompletion", "BM_NameHover", 1.2},
         {"language server: completion of all 200 names shown / hover, 10 MB script", "BM_NameCompletionEverything",
          "BM_NameHover", 0},
         {"language server: definition / hover, 10 MB script", "BM_NameDefinition", "BM_NameHover", 1.2},
         {"language server: references / hover, 10 MB script", "BM_NameReferences", "BM_NameHover", 1.2},
         {"language server: completion behind documentSymbol / documentSymbol, 1 MB",
          "BM_CompletionBehindSymbols/manual_time", "BM_SymbolsAlone/manual_time", 0.1},
         {"language server: completion behind documentSymbol / alone, 1 MB", "BM_CompletionBehindSymbols/manual_time",
          "BM_CompletionAlone/manual_time", 0},
         {"language server check / scriba --check, 10 MB script (CPU time)", "BM_ServerCheck/iterations:3/manual_time",
          "BM_CommandCheck/iterations:3/manual_time", 1.2}});
}
