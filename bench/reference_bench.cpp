// Tarn's reference at the size of a big in-house library, 10,000 documented functions: reading
// its definition file against reading the same functions as Scriba.ini's table, and opening the
// completion list (names, the panel beside it, what it paints) with that reference against the
// same list without one.
#include "benchview.h"

#include "app/initext.h"
#include "editor/completionlist.h"
#include "reference/tarnreference.h"

#include <memory>
#include <random>

namespace {

using namespace benchview;

constexpr int kFunctions = 10000;

// Rows shaped like the built-in table: a module prefix, up to six parameters, some strings,
// some optional.
const FunctionTable &Table()
{
    static const FunctionTable table = [] {
        std::mt19937 random(21);
        std::string text;
        for (int i = 0; i < kFunctions; ++i) {
            text += "tm_function" + std::to_string(i);
            const int parameters = std::uniform_int_distribution<int>(0, 6)(random);
            for (int p = 0; p < parameters; ++p)
                text += p % 3 == 1 ? " \"mode" + std::to_string(p) + '"' : p % 3 == 2 ? " (count" + std::to_string(p) + ')'
                                                                                      : " value" + std::to_string(p);
            text += "\r\n";
        }
        return benchscripts::ParsedTable(text);
    }();
    return table;
}

// Every function documented as the built-in ones are: a description, each parameter's type
// and unit, fixed strings for the string parameters, a return value, every hundredth deprecated.
const TarnReference &Reference()
{
    static const TarnReference reference = [] {
        TarnReference documented;
        int n = 0;
        for (const TableRow &row : Table().Rows()) {
            OwnedFunctionDoc doc{row[0], {"Does the work of " + row[0] + " on the current model."}, {}, {}, false, {}, {}};
            for (std::size_t i = 1; i < row.size(); ++i) {
                const bool text = IsStringParameter(row[i]);
                doc.params.push_back({BareParameterName(row[i]), text ? "\"head\"|\"flux\"|\"none\"" : "number",
                                      "Value of the setting, in the model's length unit", IsOptionalParameter(row[i]),
                                      text ? std::vector<std::string>{"head", "flux", "none"} : std::vector<std::string>{}});
            }
            doc.returns.push_back({"boolean", "true when it worked"});
            if (++n % 100 == 0) {
                doc.deprecated = true;
                doc.deprecation = "use tm_function0";
            }
            documented.Add(doc);
        }
        return documented;
    }();
    return reference;
}

const std::string &DefinitionText()
{
    static const std::string text = WriteDefinitionFile(Table(), Reference());
    return text;
}

const std::string &IniText()
{
    static const std::string text = [] {
        Settings settings;
        settings.SetDefaultStyles();
        settings.keywords = benchscripts::ParsedTable(DefaultKeywordsText());
        settings.functions = Table();
        return WriteIniText(settings, "");
    }();
    return text;
}

void BM_ReadDefinitionFile(benchmark::State &state)
{
    for (auto _ : state) {
        const ReferenceRead read = ReadDefinitionFile(DefinitionText());
        if (read.reference.Functions().size() != std::size_t(kFunctions) || !read.problems.empty())
            state.SkipWithError("the definition file should read back whole");
    }
}

void BM_ReadIniTable(benchmark::State &state)
{
    for (auto _ : state) {
        Settings settings;
        std::string header;
        ReadIniText(IniText(), settings, header);
        if (settings.functions.GetSize() != kFunctions)
            state.SkipWithError("the table should read back whole");
    }
}

// Opens the list at "tm_function5", lets it paint, and closes it; state.range(0) says whether
// the view has the big reference or none.
void BM_OpenCompletionList(benchmark::State &state)
{
    Settings::Global().functions = Table();
    LoadedView loaded("x = 1\ntm_function5");
    CScribaView &view = loaded.view;
    view.SetReference(state.range(0) ? std::shared_ptr<const TarnReference>(&Reference(), [](const TarnReference *) {})
                                     : std::make_shared<const TarnReference>());
    view.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    for (auto _ : state) {
        SendKey(&view, Qt::Key_Space, QStringLiteral(" "), Qt::ControlModifier);
        QCoreApplication::processEvents();
        if (!view.CompletionList())
            state.SkipWithError("the list should open");
        SendKey(&view, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    InstallDefaultSettings();
}

} // namespace

BENCHMARK(BM_ReadDefinitionFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadIniTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenCompletionList)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char **argv)
{
    return benchview::RunViewBenchmarks(
        argc, argv,
        {{"read a reference of 10,000 functions / read them as Scriba.ini's table", "BM_ReadDefinitionFile",
          "BM_ReadIniTable", 3.0},
         {"open the completion list: 10,000 documented / undocumented", "BM_OpenCompletionList/1/min_time:2.000",
          "BM_OpenCompletionList/0/min_time:2.000", 1.2}});
}
