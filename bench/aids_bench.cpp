// The language aids in the live view: one typed key with auto-indentation, the completion list
// and the parameter tip all on, in the middle of a 200,000-line script against the same key in
// a 100-line one: a letter typed and taken back while the list is open and the tip shown, and
// an Enter that indents. (Keys only: nothing is painted, as in the colouring's keystroke.)
#include "benchview.h"

#include "editor/completionlist.h"
#include "editor/intellitip.h"

#include <cstring>

namespace {

using namespace benchview;

const std::string &Script()
{
    static const std::string script =
        benchscripts::ScriptGenerator(Settings::Global().functions).Realistic(std::size_t(10) << 20);
    return script;
}

// Types text key by key.
void Type(CScribaView &view, const QString &text)
{
    for (QChar c : text)
        SendKey(&view, c == u' ' ? Qt::Key_Space : Qt::Key_unknown, QString(c));
}

// A view with a new line after the middle one, holding line with the caret at its end: the
// same line in both scripts, whatever the scripts hold around it.
struct ViewAtNewLine : LoadedView {
    ViewAtNewLine(int lines, const char *line) : LoadedView(FirstLines(Script(), lines))
    {
        GoToMiddleLineEnd();
        view.SendScintilla(QsciScintillaBase::SCI_ADDTEXT, 1UL, "\n");
        view.SendScintilla(QsciScintillaBase::SCI_ADDTEXT, std::strlen(line), line);
        view.OnTextChanged();
    }
};

void BM_LetterWithListAndTip(benchmark::State &state)
{
    ViewAtNewLine loaded(int(state.range(0)), "  y = tg_addpoint");
    CScribaView &view = loaded.view;
    Type(view, QStringLiteral("(x, tg_a"));
    SendKey(&view, Qt::Key_Space, QStringLiteral(" "), Qt::ControlModifier);
    const qint64 length = view.TextLength();
    for (auto _ : state) {
        SendKey(&view, Qt::Key_D, QStringLiteral("d"));
        SendKey(&view, Qt::Key_Backspace, QStringLiteral("\b"));
    }
    if (!view.CompletionList() || !view.Tip()->IsShown() || view.TextLength() != length)
        state.SkipWithError("the list and the tip should stay open over the same text");
}

// Enter after a line that opens a block, and the new line taken away again.
void BM_EnterThatIndents(benchmark::State &state)
{
    ViewAtNewLine loaded(int(state.range(0)), "  for i = 1, 10 do");
    CScribaView &view = loaded.view;
    const long caret = view.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
    const qint64 length = view.TextLength();
    long inserted = 0;
    for (auto _ : state) {
        SendKey(&view, Qt::Key_Return, QStringLiteral("\r"));
        inserted = view.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS) - caret;
        view.SendScintilla(QsciScintillaBase::SCI_DELETERANGE, caret, inserted);
        view.OnTextChanged();
    }
    if (inserted != 5 || view.TextLength() != length)
        state.SkipWithError("Enter should have inserted a line break and four blanks");
}

} // namespace

BENCHMARK(BM_LetterWithListAndTip)->Arg(100)->Arg(200000)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_EnterThatIndents)->Arg(100)->Arg(200000)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

int main(int argc, char **argv)
{
    return benchview::RunViewBenchmarks(
        argc, argv,
        {{"letter, list and tip open: 200,000-line script / 100-line script",
          "BM_LetterWithListAndTip/200000/min_time:1.000", "BM_LetterWithListAndTip/100/min_time:1.000", 1.5},
         {"Enter that indents: 200,000-line script / 100-line script", "BM_EnterThatIndents/200000/min_time:1.000",
          "BM_EnterThatIndents/100/min_time:1.000", 1.5}});
}
