// Reads and writes the text of "Scriba.ini": tagged blocks of key = value lines and table rows,
// with every "--" comment gathered into one header that the writer puts back on top.
#include "initext.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

struct BlockTags {
    std::string_view open;
    std::string_view close;
};

// The reader tests the tags in this order and the writer writes the blocks in it.
constexpr std::array<BlockTags, 9> kBlocks = {{
    {"[options]", "[/options]"},
    {"[comment_style]", "[/comment_style]"},
    {"[function_style]", "[/function_style]"},
    {"[keyword_style]", "[/keyword_style]"},
    {"[number_style]", "[/number_style]"},
    {"[punctuation_style]", "[/punctuation_style]"},
    {"[string_style]", "[/string_style]"},
    {"[lua_keywords]", "[/lua_keywords]"},
    {"[tarn_lua_functions]", "[/tarn_lua_functions]"},
}};
constexpr std::size_t kOptionsBlock = 0;
constexpr std::size_t kFirstStyleBlock = 1;
constexpr std::size_t kKeywordsBlock = 7;
constexpr std::size_t kFunctionsBlock = 8;
constexpr std::size_t kNoBlock = kBlocks.size();

std::size_t StyleBlock(int kind)
{
    return kFirstStyleBlock + std::size_t(kind);
}

// ---- Reading -------------------------------------------------------------------------------

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

std::string LowerCased(std::string_view line)
{
    std::string lower(line);
    std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower);
    return lower;
}

// The first block, in table order, whose tag (open or close) occurs anywhere in line.
std::size_t FirstTagIn(std::string_view line, std::string_view BlockTags::*tag)
{
    for (std::size_t block = 0; block < kBlocks.size(); ++block)
        if (line.find(kBlocks[block].*tag) != std::string_view::npos)
            return block;
    return kNoBlock;
}

// Sorts the lines of a file into the blocks that are open when each line is met.
class BlockCollector {
public:
    void Take(const std::string &line)
    {
        std::size_t closing = FirstTagIn(line, &BlockTags::close);
        if (closing != kNoBlock)
            m_open[closing] = false;
        // A tag line is collected after closing and before opening, so it never joins its own block.
        std::size_t collecting = FirstOpenBlock();
        if (collecting != kNoBlock)
            m_text[collecting].append(line).append("\r\n");
        std::size_t opening = FirstTagIn(line, &BlockTags::open);
        if (opening != kNoBlock)
            m_open[opening] = true;
    }
    const std::string &Text(std::size_t block) const { return m_text[block]; }

private:
    std::size_t FirstOpenBlock() const
    {
        return std::size_t(std::find(m_open.begin(), m_open.end(), true) - m_open.begin());
    }

    std::array<bool, kBlocks.size()> m_open{};
    std::array<std::string, kBlocks.size()> m_text;
};

// Calls takeLine for every line as text mode reads it: a line ends at LF, and one CR just
// before that LF goes with it. A last line without LF is read too.
template <typename TakeLine>
void ForEachLine(std::string_view bytes, TakeLine takeLine)
{
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t lf = bytes.find('\n', start);
        if (lf == std::string_view::npos) {
            takeLine(bytes.substr(start));
            return;
        }
        std::string_view line = bytes.substr(start, lf - start);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        takeLine(line);
        start = lf + 1;
    }
}

// Moves the line's comment, if any, to the header, and hands what is left to the collector.
void ReadLine(std::string_view line, BlockCollector &blocks, std::string &header)
{
    std::size_t dashes = line.find("--");
    if (dashes != std::string_view::npos) {
        header.append(line.substr(dashes)).append("\n");
        line = line.substr(0, dashes);
    }
    if (!line.empty())
        blocks.Take(LowerCased(line));
}

void ReadOptions(const std::string &text, EditorOptions &options)
{
    options.autocompletion = ParseBool(text, "autocompletion");
    // Found inside "autoindentation" as well as on its own.
    options.autoindentation = ParseBool(text, "indentation");
    options.indent = ParseIndent(text, "indent");
    options.intellitip = ParseBool(text, "intellitip");
    options.syntaxhighlighting = ParseBool(text, "syntaxhighlighting");
}

void BuildTable(const std::string &text, CScribaCObArray &table)
{
    table.ParseText(text);
    table.SortByName();
}

// Blanks and tabs mean nothing in option and style values, not even inside a key.
void RemoveBlanks(std::string &text)
{
    std::erase_if(text, [](char c) { return c == ' ' || c == '\t'; });
}

// The value after the first "key=" up to the end of its line, or nothing when the key is missing.
std::optional<std::string_view> FindValue(std::string_view compactText, std::string_view key)
{
    std::string pattern = std::string(key) + '=';
    std::size_t at = compactText.find(pattern);
    if (at == std::string_view::npos)
        return std::nullopt;
    std::string_view value = compactText.substr(at + pattern.size());
    return value.substr(0, value.find("\r\n"));
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// An optional sign and decimal digits at the start of text; no digits read as 0. The number is
// taken modulo 2^32 (unsigned, wrapping), so any run of digits is safe and its low eight bits,
// the only ones a colour keeps, are exactly those of the number as written.
std::uint32_t LeadingInteger(std::string_view text)
{
    std::size_t i = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        i = 1;
    }
    std::uint32_t value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        value = value * 10u + std::uint32_t(text[i] - '0');
    return negative ? 0u - value : value;
}

// What follows the first comma; nothing when there is no comma, so missing components read 0.
std::string_view AfterComma(std::string_view text)
{
    std::size_t comma = text.find(',');
    return comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
}

// ---- Writing -------------------------------------------------------------------------------

void WriteLine(std::string &out, std::string_view line)
{
    out.append(line).append("\n");
}

void WriteBool(std::string &out, std::string_view key, std::int32_t value)
{
    out.append(key).append(value ? " = TRUE\n" : " = FALSE\n");
}

std::string_view IndentName(IndentMode indent)
{
    switch (indent) {
    case FOURSPACES:
        return "FOURSPACES";
    case TAB:
        return "TAB";
    default:
        return "TWOSPACES";
    }
}

void WriteOptions(std::string &out, const EditorOptions &options)
{
    WriteLine(out, kBlocks[kOptionsBlock].open);
    WriteBool(out, "autocompletion", options.autocompletion);
    WriteBool(out, "autoindentation", options.autoindentation);
    out.append("indent = ").append(IndentName(options.indent)).append("\n");
    WriteBool(out, "intellitip", options.intellitip);
    WriteBool(out, "syntaxhighlighting", options.syntaxhighlighting);
    WriteLine(out, kBlocks[kOptionsBlock].close);
}

void WriteColor(std::string &out, ColorRef color)
{
    out.append("color = ").append(std::to_string(RedOf(color)));
    out.append(", ").append(std::to_string(GreenOf(color)));
    out.append(", ").append(std::to_string(BlueOf(color))).append("\n");
}

void WriteStyle(std::string &out, std::size_t block, const TextStyle &style)
{
    WriteLine(out, kBlocks[block].open);
    WriteColor(out, style.color);
    WriteBool(out, "bold", style.bold);
    WriteBool(out, "italic", style.italic);
    WriteBool(out, "underline", style.underline);
    WriteLine(out, kBlocks[block].close);
}

void WriteTable(std::string &out, std::size_t block, const CScribaCObArray &table)
{
    WriteLine(out, kBlocks[block].open);
    out += TableRowsText(table);
    WriteLine(out, kBlocks[block].close);
}

// Text mode on disk: every LF is stored as CR LF, even one that already follows a CR.
std::string WithCrLf(std::string_view text)
{
    std::string stored;
    stored.reserve(text.size() + std::size_t(std::count(text.begin(), text.end(), '\n')));
    for (char c : text) {
        if (c == '\n')
            stored += '\r';
        stored += c;
    }
    return stored;
}

} // namespace

void ReadIniText(std::string_view bytes, Settings &settings, std::string &header)
{
    BlockCollector blocks;
    ForEachLine(bytes, [&](std::string_view line) { ReadLine(line, blocks, header); });

    ReadOptions(blocks.Text(kOptionsBlock), settings.options);
    for (int kind = 0; kind < kStyleKindCount; ++kind)
        ParseStyle(blocks.Text(StyleBlock(kind)), settings.style(StyleKind(kind)));
    BuildTable(blocks.Text(kFunctionsBlock), settings.functions);
    BuildTable(blocks.Text(kKeywordsBlock), settings.keywords);
}

std::string WriteIniText(const Settings &settings, const std::string &header)
{
    std::string text = header;
    text += '\n';
    WriteOptions(text, settings.options);
    text += '\n';
    for (int kind = 0; kind < kStyleKindCount; ++kind) {
        WriteStyle(text, StyleBlock(kind), settings.style(StyleKind(kind)));
        text += '\n';
    }
    WriteTable(text, kKeywordsBlock, settings.keywords);
    text += '\n';
    WriteTable(text, kFunctionsBlock, settings.functions);
    return WithCrLf(text);
}

std::string TableRowsText(const CScribaCObArray &table)
{
    std::string out;
    for (const TableRow &row : table.Rows()) {
        for (std::size_t i = 0; i < row.size(); ++i)
            out.append(row[i]).append(i + 1 < row.size() ? " " : "\n");
    }
    return out;
}

bool IsStorableTableEntry(std::string_view entry)
{
    const std::string lower = LowerCased(entry);
    if (lower.find("--") != std::string::npos)
        return false;
    return FirstTagIn(lower, &BlockTags::open) == kNoBlock && FirstTagIn(lower, &BlockTags::close) == kNoBlock;
}

std::int32_t ParseBool(std::string text, std::string_view key)
{
    RemoveBlanks(text);
    std::optional<std::string_view> value = FindValue(text, key);
    return value && value->find("true") != std::string_view::npos ? 1 : 0;
}

IndentMode ParseIndent(std::string text, std::string_view key)
{
    RemoveBlanks(text);
    std::optional<std::string_view> value = FindValue(text, key);
    if (value == "tab")
        return TAB;
    if (value == "fourspaces")
        return FOURSPACES;
    return TWOSPACES;
}

ColorRef ParseColor(std::string text, ColorRef current)
{
    RemoveBlanks(text);
    std::optional<std::string_view> value = FindValue(text, "color");
    if (!value)
        return current;
    std::string_view rest = *value;
    std::uint32_t red = LeadingInteger(rest);
    rest = AfterComma(rest);
    std::uint32_t green = LeadingInteger(rest);
    rest = AfterComma(rest);
    std::uint32_t blue = LeadingInteger(rest);
    return MakeColor(int(red & 255), int(green & 255), int(blue & 255));
}

void ParseStyle(std::string text, TextStyle &style)
{
    if (text.empty())
        return;
    style.Set(ParseColor(text, style.color), ParseBool(text, "bold"), ParseBool(text, "italic"),
              ParseBool(text, "underline"));
}
