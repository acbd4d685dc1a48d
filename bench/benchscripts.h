// Generated Tarn scripts for the benchmarks: realistic ones (comment blocks, functions, loops,
// calls, blank lines) and dense ones (a token every few bytes), always the same for a seed.
#pragma once

#include "app/defaulttexts.h"
#include "app/scribacobarray.h"

#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <random>
#include <string>

namespace benchscripts {

inline CScribaCObArray ParsedTable(std::string_view text)
{
    CScribaCObArray table;
    table.ParseText(text);
    table.SortByName();
    return table;
}

template <std::size_t N>
inline const char *PickFrom(std::mt19937 &random, const std::array<const char *, N> &items)
{
    return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(random)];
}

inline constexpr std::array<const char *, 20> kNames = {
    "head",  "depth",          "conductivity", "porosity", "well_rate", "river_stage", "t_end",
    "dt",    "max_iterations", "layer",        "node_count", "x",       "y",           "i",
    "k",     "temperature",    "heat_flux",    "boundary", "result",    "mesh_size"};
inline constexpr std::array<const char *, 12> kNumbers = {"0",      "1",      "2",    "10",   "250",  "1000",
                                                   "0.5",    "12.75",  "1e-4", "2.5e-6", "86400", "3.0E+2"};
inline constexpr std::array<const char *, 24> kCommentWords = {
    "the",  "head", "at",   "each",   "node", "of",    "mesh",  "is",
    "set",  "from", "well", "rate",   "in",   "m3/day", "layer", "boundary",
    "then", "solve", "for", "steady", "state", "check", "river", "stage"};

class ScriptGenerator {
public:
    explicit ScriptGenerator(const FunctionTable &functions) : m_functions(functions) {}

    std::string Realistic(std::size_t bytes)
    {
        std::string script;
        script.reserve(bytes + 4096);
        while (script.size() < bytes) {
            AppendBlock(script);
            script += '\n';
        }
        return script;
    }

    // One line of statements without comments: the case of a script whose line breaks were lost.
    std::string OneLine(std::size_t bytes)
    {
        std::string script;
        script.reserve(bytes + 256);
        while (script.size() < bytes)
            script += Statement() + ' ';
        return script;
    }

    // One line of tokens of every style, as a minified script has: keywords, calls, numbers,
    // strings, signs, and a comment at its end. Not a block comment on the way: the colouring
    // takes any comment to the line's end, and the line would be one comment after a few tokens.
    std::string MixedLine(std::size_t bytes)
    {
        std::string script;
        script.reserve(bytes + 256);
        while (script.size() < bytes) {
            switch (Pick(8)) {
            case 0: script += "if " + Name() + " > " + Number() + " then " + Statement() + " else " + Call() + " end"; break;
            case 1: script += "for i = 1, " + Number() + " do " + Statement() + " end"; break;
            case 2: script += "local function f(a, b) return a and b or nil end"; break;
            case 3: script += "showmessage(\"" + Sentence() + "\")"; break;
            default: script += Statement(); break;
            }
            script += ' ';
        }
        return script + "-- " + Sentence();
    }

    // A script that Lua 5.1 compiles whole, as big scripts that Tarn runs are: each block in a
    // function of its own (Lua limits the locals of one function), and every call with one
    // argument for each parameter its row names (or, without rightCounts, any number of them,
    // which the check warns about).
    std::string Compilable(std::size_t bytes, bool rightCounts = true)
    {
        m_rightCounts = rightCounts;
        std::string script;
        script.reserve(bytes + 4096);
        for (int part = 0; script.size() < bytes; ++part) {
            script += "function part" + std::to_string(part) + "()\n";
            AppendBlock(script);
            script += "end\n\n";
        }
        m_rightCounts = false;
        return script;
    }

    std::string Dense(std::size_t bytes)
    {
        std::string script;
        script.reserve(bytes + 256);
        while (script.size() < bytes) {
            script.append(std::size_t(Pick(5)) * 2, ' ');
            AppendDenseLine(script);
            script += '\n';
        }
        return script;
    }

private:
    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }
    std::string Name() { return PickFrom(m_random, kNames); }
    std::string Number() { return PickFrom(m_random, kNumbers); }
    std::string Argument() { return Pick(2) ? Number() : Name(); }
    std::string Call()
    {
        const TableRow &row = m_functions.GetAt(Pick(m_functions.GetSize()));
        std::string call = row[0] + "(";
        const int count = m_rightCounts ? int(row.size()) - 1 : Pick(5);
        for (int i = 0; i < count; ++i)
            call += (i ? ", " : "") + Argument();
        return call + ")";
    }

    std::string Sentence()
    {
        std::string text;
        const int words = 4 + Pick(9);
        for (int i = 0; i < words; ++i)
            text += (i ? " " : "") + std::string(PickFrom(m_random, kCommentWords));
        return text;
    }

    void Line(std::string &out, int depth, const std::string &text)
    {
        out.append(std::size_t(depth) * 2, ' ');
        out += text;
        if (Pick(6) == 0)
            out += "  -- " + Sentence();
        out += '\n';
    }

    std::string Statement()
    {
        switch (Pick(6)) {
        case 0: return "local " + Name() + " = " + Call();
        case 1: return Name() + " = " + Argument() + " * " + Argument() + " + " + Argument();
        case 2: return "showmessage(\"Layer \" .. " + Name() + " .. \" done, residual \" .. " + Name() + ")";
        case 3: return Name() + "[" + Argument() + "] = { " + Number() + ", " + Number() + ", '" + Name() + "' }";
        default: return Call();
        }
    }

    void AppendStatements(std::string &out, int depth, int count)
    {
        for (int i = 0; i < count; ++i) {
            if (depth < 3 && Pick(8) == 0)
                AppendNested(out, depth);
            else
                Line(out, depth, Statement());
        }
    }

    void AppendNested(std::string &out, int depth)
    {
        if (Pick(2)) {
            Line(out, depth, "for " + Name() + " = " + Argument() + ", " + Argument() + " do");
        } else {
            Line(out, depth, "if " + Name() + " > " + Number() + " then");
            AppendStatements(out, depth + 1, 1 + Pick(3));
            Line(out, depth, "else");
        }
        AppendStatements(out, depth + 1, 1 + Pick(4));
        Line(out, depth, "end");
    }

    void AppendBlock(std::string &out)
    {
        for (int i = 1 + Pick(4); i > 0; --i)
            out += "-- " + Sentence() + "\n";
        if (Pick(3) == 0) {
            Line(out, 0, "function update_" + Name() + "(" + Name() + ", " + Name() + ")");
            AppendStatements(out, 1, 2 + Pick(6));
            Line(out, 1, "return " + Name());
            Line(out, 0, "end");
        } else {
            AppendStatements(out, 0, 2 + Pick(8));
        }
    }

    void AppendDenseLine(std::string &out)
    {
        switch (Pick(10)) {
        case 0: out += "-- compute the head at each node of the " + Name() + " mesh"; break;
        case 1: out += "local " + Name() + " = " + Call(); break;
        case 2: out += "if " + Name() + " > " + Number() + " then"; break;
        case 3: out += "end"; break;
        case 4: out += "for i = 1, " + Number() + " do " + Call() + " end"; break;
        case 5: out += "print(\"well \" .. " + Name() + " .. ' at depth')"; break;
        case 6: out += Name() + " = " + Name() + " * " + Number() + " + " + Name(); break;
        case 7: out += Call() + " -- done"; break;
        case 8: out += "function update_" + Name() + "(a, b)"; break;
        default: out += "return " + Name() + "[" + Number() + "]"; break;
        }
    }

    const FunctionTable &m_functions;
    std::mt19937 m_random{20240611};
    bool m_rightCounts = false;
};

// Writes text to a file that lives until the program ends, and gives its path.
inline QString TemporaryFile(const char *name, const std::string &text)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QString::fromLatin1(name));
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    out.write(text.data(), qint64(text.size()));
    return path;
}

} // namespace benchscripts
