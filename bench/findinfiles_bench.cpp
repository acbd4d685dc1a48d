// Find in Files over a folder of 20,000 generated scripts (about 500 MB), against grep -rnwF for
// the same word on the same folder. The folder is made in a temporary folder at the start and
// removed at the end; both searches read it from the page cache.
#include "benchscripts.h"
#include "benchsupport.h"

#include "search/foldersearch.h"

#include <QDir>
#include <QTemporaryDir>

#include <chrono>
#include <cstdlib>
#include <fstream>

namespace {

constexpr int kFiles = 20000;
constexpr std::size_t kScriptBytes = 25 * 1024;
constexpr int kVariants = 64;
const char *const kWord = "tg_addwell";

class ScriptFolder {
public:
    ScriptFolder()
    {
        const CScribaCObArray functions = benchscripts::ParsedTable(DefaultFunctionsText());
        benchscripts::ScriptGenerator generator(functions);
        std::vector<std::string> variants;
        for (int i = 0; i < kVariants; ++i)
            variants.push_back(generator.Realistic(kScriptBytes));
        for (int i = 0; i < kFiles; ++i) {
            // A folder of a hundred scripts per model, as users keep them.
            const QString folder = m_root.filePath(QStringLiteral("model%1").arg(i / 100, 3, 10, QLatin1Char('0')));
            QDir().mkpath(folder);
            std::ofstream file(QDir(folder).filePath(QStringLiteral("run%1.lua").arg(i)).toStdString(), std::ios::binary);
            file << "-- run " << i << '\n';
            if (i % 40 == 0) // one script in forty sets a well
                file << kWord << "(" << i << ", 10.5, 2.25)\n";
            file << variants[std::size_t(i % kVariants)];
            m_bytes += kScriptBytes;
        }
    }

    std::string Path() const { return m_root.path().toStdString(); }
    std::size_t Bytes() const { return m_bytes; }

private:
    QTemporaryDir m_root;
    std::size_t m_bytes = 0;
};

ScriptFolder *g_folder = nullptr;

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BM_FindInFiles(benchmark::State &state)
{
    FolderSearchRequest request;
    request.folder = g_folder->Path();
    request.patterns = {"*.lua"};
    request.needle = kWord;
    request.options = {true, true}; // as grep -wF: case kept, whole words
    const std::atomic<bool> stop{false};
    std::size_t matches = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        matches = SearchFolder(request, [](FileMatches &&) {}, stop).matches;
        state.SetIterationTime(Seconds(start));
    }
    state.counters["matches"] = double(matches);
}

void BM_Grep(benchmark::State &state)
{
    const std::string command = std::string("grep -rnwF --include='*.lua' ") + kWord + " '" + g_folder->Path() + "' > /dev/null";
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("grep failed");
        state.SetIterationTime(Seconds(start));
    }
}

} // namespace

BENCHMARK(BM_Grep)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindInFiles)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    ScriptFolder folder;
    g_folder = &folder;
    std::printf("%d scripts, %zu MB\n", kFiles, folder.Bytes() >> 20);
    // Both read from the page cache: the folder is read once before either is measured.
    if (std::system(("find '" + folder.Path() + "' -name '*.lua' -exec cat {} + > /dev/null").c_str()) != 0)
        std::printf("the folder could not be read ahead\n");
    return RunBenchmarksWithRatios(argc, argv,
                                   {{"Find in Files, 20,000 scripts (500 MB) / grep -rnwF", "BM_FindInFiles/iterations:3/manual_time",
                                     "BM_Grep/iterations:3/manual_time", 1.5}});
}
