// The `-- luacheck: ...` comments of a script: what each says, and the stretch of text it
// applies to.
#include "check/warningfilter.h"

#include <algorithm>

using namespace luamodel;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> Words(std::string_view text)
{
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
        std::size_t end = i;
        while (end < text.size() && !IsBlank(text[end]))
            ++end;
        if (end > i)
            words.push_back(text.substr(i, end - i));
        i = end;
    }
    return words;
}

std::string Joined(const std::vector<std::string_view> &words, std::size_t from, std::size_t to)
{
    std::string text;
    for (std::size_t i = from; i < to && i < words.size(); ++i)
        text += (i > from ? " " : "") + std::string(words[i]);
    return text;
}

class InlineReader {
public:
    InlineReader(std::string_view text, const Model &model, InlineOptions &options)
        : m_text(text), m_model(model), m_options(options)
    {}

    void Run()
    {
        static constexpr std::string_view kMark = "luacheck:";
        for (std::size_t at = m_text.find(kMark); at != std::string_view::npos; at = m_text.find(kMark, at + 1)) {
            std::size_t dash = at;
            while (dash > 0 && IsBlank(m_text[dash - 1]))
                --dash;
            if (dash < 2 || m_text.substr(dash - 2, 2) != "--")
                continue;
            Directive(dash - 2, at + kMark.size());
        }
    }

private:
    std::size_t LineStart(std::size_t at) const
    {
        while (at > 0 && m_text[at - 1] != '\n' && m_text[at - 1] != '\r')
            --at;
        return at;
    }
    std::size_t LineEnd(std::size_t at) const
    {
        const std::size_t end = m_text.find_first_of("\r\n", at);
        return end == std::string_view::npos ? m_text.size() : end;
    }

    // The comment at comment, its options starting at body.
    void Directive(std::size_t comment, std::size_t body)
    {
        const std::size_t lineStart = LineStart(comment);
        const bool alone = std::all_of(m_text.begin() + std::ptrdiff_t(lineStart), m_text.begin() + std::ptrdiff_t(comment), IsBlank);
        std::size_t from = alone ? comment : lineStart;
        std::size_t to = LineEnd(body);
        if (alone) {
            const Function &function = m_model.functions[m_model.FunctionAt(comment)];
            to = m_model.FunctionAt(comment) == 0 ? m_text.size() : function.range.end;
        }
        std::string_view options = m_text.substr(body, LineEnd(body) - body);
        // A long comment's options end with it.
        if (const std::size_t close = options.find("]]"); close != std::string_view::npos)
            options = options.substr(0, close);
        std::size_t start = 0;
        while (start <= options.size()) {
            std::size_t comma = options.find(',', start);
            if (comma == std::string_view::npos)
                comma = options.size();
            Option(Trim(options.substr(start, comma - start)), from, to, body + start);
            start = comma + 1;
        }
    }

    // Options after a push end at its pop (see Pop).
    void Option(std::string_view option, std::size_t from, std::size_t to, std::size_t at)
    {
        const std::vector<std::string_view> words = Words(option);
        if (words.empty())
            return;
        const std::string_view first = words[0];
        if (first == "push" || first == "pop") {
            if (first == "push")
                m_pushes.push_back(from);
            else
                Pop(from);
            if (words.size() > 1)
                Option(Trim(option.substr(option.find(first) + first.size())), from, to, at);
            return;
        }
        if (first == "ignore" || first == "enable") {
            std::vector<std::string> patterns;
            for (std::size_t i = 1; i < words.size(); ++i)
                patterns.emplace_back(words[i]);
            Add(from, to, first == "enable", std::move(patterns));
        } else if (first == "globals" || first == "new" || (first == "read" && words.size() > 1 && words[1] == "globals")) {
            const std::size_t names = first == "globals" ? 1 : words.size() > 1 && words[1] == "globals" ? 2 : 3;
            for (std::size_t i = names; i < words.size(); ++i)
                m_options.globals.emplace_back(words[i]);
        } else if (Joined(words, 0, 3) == "no unused args") {
            Add(from, to, false, {"212", "213"});
        } else if (Joined(words, 0, 2) == "unused args") {
            Add(from, to, true, {"212", "213"});
        } else if (Joined(words, 0, 2) == "no unused") {
            Add(from, to, false, {"21", "23", "311"});
        } else if (Joined(words, 0, 2) == "no redefined") {
            Add(from, to, false, {"4"});
        } else if (Joined(words, 0, 4) == "no max line length") {
            Add(from, to, false, {"631"});
        } else if (first == "compat") {
            // Names of every Lua version are allowed: the undefined-name warnings stay quiet.
            Add(from, to, false, {"113", "143"});
        } else if (first == "std" || Joined(words, 0, 3) == "max line length" || first == "allow" || first == "unused" ||
                   first == "redefined" || first == "module") {
            // Understood, but only a configuration file's setting of these changes the check.
        } else {
            m_options.problems.push_back({at, at + option.size(), "unknown luacheck option \"" + std::string(option) + '"'});
        }
    }

    void Add(std::size_t from, std::size_t to, bool enable, std::vector<std::string> patterns)
    {
        m_options.directives.push_back({from, to, enable, std::move(patterns)});
    }

    void Pop(std::size_t at)
    {
        if (m_pushes.empty())
            return;
        const std::size_t pushed = m_pushes.back();
        m_pushes.pop_back();
        for (InlineOptions::Directive &directive : m_options.directives)
            if (directive.from >= pushed && directive.to > at)
                directive.to = at;
    }

    std::string_view m_text;
    const Model &m_model;
    InlineOptions &m_options;
    std::vector<std::size_t> m_pushes;
};

} // namespace

InlineOptions ReadInlineOptions(std::string_view text, const Model &model)
{
    InlineOptions options;
    if (text.find("luacheck:") != std::string_view::npos)
        InlineReader(text, model, options).Run();
    return options;
}
