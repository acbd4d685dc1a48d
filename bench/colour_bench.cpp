// Colouring in the live view: a whole generated 10 MB script against QScintilla's own Lua lexer
// on the same text, and one keystroke in the middle of a 200,000-line script against the same
// keystroke in a 100-line one.
#include "benchview.h"

#include <Qsci/qscilexerlua.h>
#include <Qsci/qsciscintilla.h>

#include <memory>

namespace {

using namespace benchscripts;
using namespace benchview;

constexpr std::size_t kScriptBytes = 10u << 20;

const std::string &Script()
{
    static const std::string script = ScriptGenerator(Settings::Global().functions).Realistic(kScriptBytes);
    return script;
}

void BM_OursWhole(benchmark::State &state)
{
    LoadedView loaded(Script());
    // The whole text in one go: what idle-time colouring adds up to for a big file.
    for (auto _ : state)
        loaded.view.ColourRange(0, loaded.view.TextLength());
}

void BM_LexerLuaWhole(benchmark::State &state)
{
    QsciScintilla editor;
    auto *lexer = new QsciLexerLua(&editor);
    editor.setLexer(lexer);
    editor.SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, Script().size(), Script().data());
    for (auto _ : state)
        editor.SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0, -1);
}

// Type a character in the middle line and take it back: two edits, each recoloured.
void BM_Keystroke(benchmark::State &state)
{
    LoadedView loaded(FirstLines(Script(), int(state.range(0))));
    CScribaView &view = loaded.view;
    loaded.GoToMiddleLineEnd();
    for (auto _ : state) {
        SendKey(&view, Qt::Key_X, QStringLiteral("x"));
        SendKey(&view, Qt::Key_Backspace, QString());
    }
}

} // namespace

BENCHMARK(BM_OursWhole)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LexerLuaWhole)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Keystroke)->Arg(100)->Arg(200000)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

int main(int argc, char **argv)
{
    return benchview::RunViewBenchmarks(
        argc, argv,
        {{"colour 10 MB whole: ours / QsciLexerLua", "BM_OursWhole/iterations:5", "BM_LexerLuaWhole/iterations:5", 0.5},
         {"keystroke: 200,000-line script / 100-line script", "BM_Keystroke/200000/min_time:1.000",
          "BM_Keystroke/100/min_time:1.000", 1.5}});
}
