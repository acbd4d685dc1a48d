// Importing a shared list of 10,000 functions: the merge alone against reading the same rows as
// the function block of Scriba.ini, and the whole Import of the open Preferences dialog (file,
// merge, grid, selection) against the merge alone. The Import must stay well under a second.
#include "benchsupport.h"

#include "app/defaulttexts.h"
#include "app/prompter.h"
#include "app/scribacobarray.h"
#include "prefs/functiongroup.h"
#include "prefs/functionimport.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>
#include <random>
#include <string>

namespace {

constexpr int kRows = 10000;

// Rows in shuffled order, shaped like the built-in table: a module prefix, a name, up to six
// parameters of which some are strings and some optional.
const std::string &ImportText()
{
    static const std::string text = [] {
        std::mt19937 random(12);
        std::vector<std::string> lines;
        for (int i = 0; i < kRows; ++i) {
            std::string line = "tm_function_" + std::to_string(i);
            const int parameters = std::uniform_int_distribution<int>(0, 6)(random);
            for (int p = 0; p < parameters; ++p)
                line += p % 3 == 1 ? " \"name\"" : p % 3 == 2 ? " (count)" : " value";
            lines.push_back(line + "\r\n");
        }
        std::shuffle(lines.begin(), lines.end(), random);
        std::string joined;
        for (const std::string &line : lines)
            joined += line;
        return joined;
    }();
    return text;
}

FunctionTable DefaultTable()
{
    FunctionTable table;
    table.ParseText(DefaultFunctionsText());
    table.SortByName();
    return table;
}

void BM_ReadAsIniBlock(benchmark::State &state)
{
    for (auto _ : state) {
        FunctionTable table;
        table.ParseText(ImportText());
        table.SortByName();
        benchmark::DoNotOptimize(table.GetSize());
    }
}

void BM_ImportIntoTable(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        FunctionTable table = DefaultTable();
        state.ResumeTiming();
        benchmark::DoNotOptimize(ImportFunctions(table, ImportText()).added);
    }
}

// Answers the file dialog with the list and takes the report without showing it.
class ImportPrompter : public Prompter {
public:
    explicit ImportPrompter(QString path) : m_path(std::move(path)) {}
    QString OpenFileName(QWidget *, const QString &, const QString &) override { return m_path; }
    QMessageBox::StandardButton Ask(QWidget *, const Prompt &) override { return QMessageBox::Ok; }

private:
    QString m_path;
};

void BM_ImportIntoOpenGrid(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("functions.txt"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(ImportText().data(), qint64(ImportText().size()));
    file.close();
    ImportPrompter prompter(path);
    for (auto _ : state) {
        state.PauseTiming();
        FunctionTable table = DefaultTable();
        auto group = std::make_unique<CFunctionGroup>(table, prompter);
        group->resize(700, 300);
        group->show();
        QApplication::processEvents();
        QPushButton *import = nullptr;
        for (QPushButton *button : group->findChildren<QPushButton *>())
            if (button->text() == QStringLiteral("Import..."))
                import = button;
        state.ResumeTiming();
        import->click();
        QApplication::processEvents(); // the grid lays out and paints the rows in view
        state.PauseTiming();
        group.reset();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_ReadAsIniBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportIntoTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportIntoOpenGrid)->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    return RunBenchmarksWithRatios(
        argc, argv,
        {{"import 10,000 functions / read them as Scriba.ini's block", "BM_ImportIntoTable", "BM_ReadAsIniBlock", 3.0},
         {"Import in the open dialog (file, grid) / import into the table", "BM_ImportIntoOpenGrid/iterations:10",
          "BM_ImportIntoTable", 3.0}});
}
