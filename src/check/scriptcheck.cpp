#include "scriptcheck.h"

#include "check/luacheckconfig.h"
#include "check/callscanner.h"
#include "check/luasyntax.h"
#include "check/modelwarnings.h"
#include "check/warningfilter.h"
#include "check/referencecheck.h"
#include "check/tarncallchecker.h"
#include "check/warningcodes.h"
#include "model/scriptmodel.h"
#include "reference/tarnreference.h"

#include <algorithm>
#include <iterator>

namespace {

bool IsBreak(char c) { return c == '\n' || c == '\r'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// Walks the text forwards once, counting lines as the editor does (CR LF, CR and LF each end
// one) and characters within the line (UTF-8 continuation bytes do not count).
class LineCounter {
public:
    explicit LineCounter(std::string_view text) : m_text(text) {}

    // Moves to offset, which must not lie before the last one asked for.
    void MoveTo(std::size_t offset)
    {
        offset = std::min(offset, m_text.size());
        for (; m_at < offset; ++m_at) {
            const char c = m_text[m_at];
            if (c == '\n' || (c == '\r' && (m_at + 1 >= m_text.size() || m_text[m_at + 1] != '\n'))) {
                ++m_line;
                m_lineStart = m_at + 1;
                m_column = 1;
            } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 && c != '\r') {
                ++m_column;
            }
        }
    }
    // Moves to the start of line, or to the end of the text when there are fewer lines.
    void MoveToLine(int line)
    {
        while (m_line < line && m_at < m_text.size())
            MoveTo(m_at + 1);
    }
    int Line() const { return m_line; }
    std::size_t LineStart() const { return m_lineStart; }
    int Column() const { return m_column; }

private:
    std::string_view m_text;
    std::size_t m_at = 0;
    std::size_t m_lineStart = 0;
    int m_line = 1;
    int m_column = 1;
};

// The visible text of the line that starts at start, without its blanks at either end.
void TrimmedLine(std::string_view text, std::size_t start, std::size_t &from, std::size_t &to)
{
    to = start;
    while (to < text.size() && !IsBreak(text[to]))
        ++to;
    from = start;
    while (from < to && IsBlank(text[from]))
        ++from;
    while (to > from && IsBlank(text[to - 1]))
        --to;
}

// Lua names the line where it stopped reading, which after a missing "end" is often the blank
// end of the file: the mark goes on the last line with something on it instead. An error
// without a line is marked on the first.
ScriptProblem SyntaxProblem(std::string_view text, const LuaSyntaxError &error)
{
    LineCounter counter(text);
    counter.MoveToLine(std::max(error.line, 1));
    std::size_t from = 0, to = 0;
    TrimmedLine(text, counter.LineStart(), from, to);
    if (from == to) {
        std::size_t last = counter.LineStart();
        while (last > 0 && (IsBreak(text[last - 1]) || IsBlank(text[last - 1])))
            --last;
        std::size_t start = last;
        while (start > 0 && !IsBreak(text[start - 1]))
            --start;
        TrimmedLine(text, start, from, to);
    }
    return {ProblemSeverity::Error, from, to, error.line, 0, error.message};
}

// The Tarn call checks' warnings, read off the model's calls.
void CallWarnings(std::string_view text, const luamodel::Model &model, const FunctionTable &functions,
                  const TarnReference *reference, std::vector<ModelWarning> &out)
{
    const CallScan scan = ScanCalls(model, text);
    auto add = [&out](const std::vector<CallWarning> &warnings) {
        for (const CallWarning &warning : warnings)
            out.push_back({warning.start, warning.end, warning.code, warning.message, {}});
    };
    add(TarnCallChecker(functions).Check(text, scan));
    if (reference)
        add(CheckReferenceCalls(text, scan, functions, *reference));
}

KnownGlobals KnownNames(const FunctionTable &functions, const LuacheckConfig *config)
{
    KnownGlobals known(functions, !config || config->luaNames);
    if (config)
        for (const std::string &name : config->globals)
            known.Add(name);
    return known;
}

ModelWarningOptions WarningOptions(const LuacheckConfig *config, const luamodel::Model &model)
{
    ModelWarningOptions options;
    options.partial = !model.status.complete;
    if (config) {
        options.allowDefined = config->allowDefined;
        options.maxLineLength = config->maxLineLength;
    }
    return options;
}

// Problems the configuration file had, shown on the script's first line.
void ConfigProblems(const LuacheckConfig *config, std::vector<ScriptProblem> &problems)
{
    if (!config)
        return;
    for (const std::string &message : config->problems)
        problems.push_back({ProblemSeverity::Warning, 0, 0, 1, 1, message, 0});
}

std::vector<ScriptProblem> Check(std::string_view text, const FunctionTable &functions, const CheckOptions &options)
{
    std::vector<ScriptProblem> problems;
    if (const std::optional<LuaSyntaxError> error = CheckLuaSyntax(text))
        problems.push_back(SyntaxProblem(text, *error));
    ConfigProblems(options.config, problems);
    // A byte-order mark is no part of the script: the model reads what follows, and its
    // places are moved back by the mark's length.
    const std::size_t mark = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    const std::string_view script = text.substr(mark);
    const luamodel::Model model = luamodel::BuildModel(script);
    const InlineOptions inlineOptions = ReadInlineOptions(script, model);
    LuacheckConfig withInline = options.config ? *options.config : LuacheckConfig();
    for (const std::string &name : inlineOptions.globals)
        withInline.globals.push_back(name);
    KnownGlobals known = KnownNames(functions, &withInline);
    std::vector<ModelWarning> warnings = ModelWarnings(script, model, known, WarningOptions(options.config, model));
    // Past a syntax error the model holds guesses; what it found there is not reported.
    if (!model.status.complete)
        std::erase_if(warnings, [&model](const ModelWarning &w) { return w.start >= model.status.stoppedAt.offset; });
    CallWarnings(script, model, functions, options.reference, warnings);
    const WarningFilter filter(options.disabledCodes, options.config, inlineOptions);
    std::erase_if(warnings, [&filter](const ModelWarning &warning) { return !filter.Keeps(warning); });
    std::sort(warnings.begin(), warnings.end(),
              [](const ModelWarning &a, const ModelWarning &b) { return a.start != b.start ? a.start < b.start : a.code < b.code; });
    if (warnings.size() > options.warningLimit)
        warnings.resize(options.warningLimit);
    for (const InlineOptions::Problem &problem : inlineOptions.problems)
        warnings.push_back({problem.start, problem.end, 0, problem.message, {}});
    std::stable_sort(warnings.begin(), warnings.end(),
                     [](const ModelWarning &a, const ModelWarning &b) { return a.start < b.start; });
    problems.reserve(problems.size() + warnings.size());
    LineCounter counter(text);
    for (ModelWarning &warning : warnings) {
        warning.start += mark;
        warning.end += mark;
        counter.MoveTo(warning.start);
        problems.push_back({ProblemSeverity::Warning, warning.start, warning.end, counter.Line(), counter.Column(),
                            std::move(warning.message), warning.code});
    }
    // In line order, as Lua and the warnings count lines; the error has no column and leads
    // its line.
    std::stable_sort(problems.begin(), problems.end(), [](const ScriptProblem &a, const ScriptProblem &b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    return problems;
}

} // namespace

std::vector<int> CheckOptions::DefaultDisabledCodes()
{
    std::vector<int> codes;
    for (const WarningClass &warning : WarningClasses())
        if (!warning.onByDefault)
            codes.push_back(warning.code);
    return codes;
}

std::vector<ScriptProblem> CheckScript(std::string_view text, const FunctionTable &functions, const CheckOptions &options)
{
    return Check(text, functions, options);
}

std::vector<ScriptProblem> CheckScript(std::string_view text, const FunctionTable &functions, std::size_t warningLimit)
{
    CheckOptions options;
    options.warningLimit = warningLimit;
    return Check(text, functions, options);
}

std::vector<ScriptProblem> CheckScript(std::string_view text, const FunctionTable &functions,
                                       const TarnReference &reference, std::size_t warningLimit)
{
    CheckOptions options;
    options.reference = &reference;
    options.warningLimit = warningLimit;
    return Check(text, functions, options);
}

std::string ProblemLine(std::string_view file, const ScriptProblem &problem)
{
    std::string line(file);
    if (problem.line > 0)
        line += ':' + std::to_string(problem.line);
    if (problem.severity == ProblemSeverity::Error)
        return line + ": error: " + problem.message;
    line += ':' + std::to_string(problem.column) + ": warning: " + problem.message;
    if (problem.code != 0)
        line += " [" + CodeText(problem.code) + ']';
    return line;
}
