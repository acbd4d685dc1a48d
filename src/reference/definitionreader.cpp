// Reads Lua definition files: "---" description lines, then "---@param", "---@return",
// "---@deprecated" and "---@see", then the "function name(params) end" they document. Any other
// line is passed over; an annotation that cannot be read is reported with its line number.
#include "tarnreference.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// What each byte may be in a Lua name or a type's name; looked up, since names are most of what
// a definition file holds.
enum CharClass : unsigned char { kOther = 0, kNameStart = 1, kDigit = 2, kTypeMark = 4 };

constexpr std::array<unsigned char, 256> kCharClasses = [] {
    std::array<unsigned char, 256> classes{};
    for (int c = 'a'; c <= 'z'; ++c)
        classes[std::size_t(c)] = kNameStart;
    for (int c = 'A'; c <= 'Z'; ++c)
        classes[std::size_t(c)] = kNameStart;
    classes['_'] = kNameStart;
    for (int c = '0'; c <= '9'; ++c)
        classes[std::size_t(c)] = kDigit;
    classes['.'] = kTypeMark;
    classes['-'] = kTypeMark;
    return classes;
}();

bool HasClass(char c, unsigned char mask)
{
    return (kCharClasses[static_cast<unsigned char>(c)] & mask) != 0;
}

bool IsNameStart(char c)
{
    return HasClass(c, kNameStart);
}

bool IsNameChar(char c)
{
    return HasClass(c, kNameStart | kDigit);
}

// A character of a type's name: "integer", "Tarn.Model", "x-y".
bool IsTypeNameChar(char c)
{
    return HasClass(c, kNameStart | kDigit | kTypeMark);
}

// "------": a comment drawn across as a separator, not an empty description line.
bool IsRule(std::string_view line)
{
    return line.size() >= 4 && line.find_first_not_of('-') == std::string_view::npos;
}

std::string_view TrimLeft(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view Trim(std::string_view s)
{
    s = TrimLeft(s);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The length of the Lua name at the start of s; 0 when there is none.
std::size_t NameLength(std::string_view s)
{
    if (s.empty() || !IsNameStart(s.front()))
        return 0;
    std::size_t n = 1;
    while (n < s.size() && IsNameChar(s[n]))
        ++n;
    return n;
}

// The length of the quoted string at the start of s, quotes included; 0 when it is not closed.
std::size_t QuotedLength(std::string_view s)
{
    const char quote = s.front();
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i] == '\\')
            ++i;
        else if (s[i] == quote)
            return i + 1;
    }
    return 0;
}

// The length of the bracketed group at the start of s; 0 when its brackets do not close.
std::size_t GroupLength(std::string_view s)
{
    std::string open;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"' || c == '\'') {
            const std::size_t n = QuotedLength(s.substr(i));
            if (n == 0)
                return 0;
            i += n - 1;
        } else if (c == '(' || c == '{' || c == '<' || c == '[') {
            open += c == '(' ? ')' : c == '{' ? '}' : c == '<' ? '>' : ']';
        } else if (c == ')' || c == '}' || c == '>' || c == ']') {
            if (open.empty() || open.back() != c)
                return 0;
            open.pop_back();
            if (open.empty())
                return i + 1;
        }
    }
    return 0;
}

// How many function types a type may chain through their results ("fun(): fun(): number" is
// two): more is no hand-written type, and the count keeps the reading of a hostile file flat.
constexpr int kDeepestType = 100;

// What the type at the start of a text is, read as far as it goes.
struct TypeRead {
    std::size_t length = 0; // 0 when the text does not start with a type
    bool tooDeep = false;   // more than kDeepestType function results within each other
};

// The length of a name ("integer", "fun", "table"), a string literal or a table shape at the
// start of s, without what may follow it; 0 when there is none.
std::size_t AtomStartLength(std::string_view s)
{
    if (s.empty())
        return 0;
    if (s.front() == '"' || s.front() == '\'' || s.front() == '`')
        return QuotedLength(s);
    if (s.front() == '{' || s.front() == '(')
        return GroupLength(s);
    std::size_t n = 0;
    while (n < s.size() && IsTypeNameChar(s[n]))
        ++n;
    return n;
}

// One alternative of a type: an atom with its bracketed arguments, "[]" and "?" after it, and
// a function type's results ("fun(x: number): boolean"), which are read on in the same loop.
TypeRead AtomLength(std::string_view s)
{
    std::size_t start = 0;
    for (int depth = 0; depth <= kDeepestType; ++depth) {
        const std::size_t atom = AtomStartLength(s.substr(start));
        if (atom == 0)
            return {};
        std::size_t n = start + atom;
        for (;;) {
            if (n < s.size() && (s[n] == '<' || s[n] == '(' || s[n] == '[')) {
                const std::size_t group = GroupLength(s.substr(n));
                if (group == 0)
                    return {};
                n += group;
            } else if (n < s.size() && s[n] == '?') {
                ++n;
            } else if (n + 1 < s.size() && s[n] == ':' && s[n - 1] == ')') {
                break;
            } else {
                return {n, false};
            }
        }
        start = n + 1;
        while (start < s.size() && IsBlank(s[start]))
            ++start;
    }
    return {0, true};
}

// The type at the start of s: alternatives joined by "|", blanks allowed around it.
TypeRead TypeLength(std::string_view s)
{
    TypeRead read = AtomLength(s);
    if (read.length == 0)
        return read;
    for (;;) {
        std::size_t bar = read.length;
        while (bar < s.size() && IsBlank(s[bar]))
            ++bar;
        if (bar >= s.size() || s[bar] != '|')
            return read;
        std::size_t next = bar + 1;
        while (next < s.size() && IsBlank(s[next]))
            ++next;
        const TypeRead atom = AtomLength(s.substr(next));
        if (atom.length == 0)
            return atom;
        read.length = next + atom.length;
    }
}

// Appends to values the strings of a type made of string literals ("head"|"flux"), and nothing
// for any other type; returns how many it appended.
std::size_t AddAllowedStrings(std::string_view type, std::vector<std::string_view> &values)
{
    // Most types ("number", "integer|string") hold no string literal at all.
    if (std::none_of(type.begin(), type.end(), [](char c) { return c == '"' || c == '\''; }))
        return 0;
    const std::size_t before = values.size();
    while (!type.empty()) {
        const std::size_t bar = type.find('|');
        const std::string_view alternative = Trim(type.substr(0, bar));
        type.remove_prefix(bar == std::string_view::npos ? type.size() : bar + 1);
        if (alternative == "nil")
            continue;
        const bool quoted = alternative.size() >= 2 && (alternative.front() == '"' || alternative.front() == '\'') &&
                            QuotedLength(alternative) == alternative.size();
        if (!quoted) {
            values.resize(before);
            return 0;
        }
        values.push_back(alternative.substr(1, alternative.size() - 2));
    }
    return values.size() - before;
}

// A description after a type: "# " in front of it is LuaLS's way of marking it as a comment.
std::string_view DescriptionAfter(std::string_view rest)
{
    rest = Trim(rest);
    if (rest.starts_with('#'))
        rest = TrimLeft(rest.substr(1));
    return rest;
}

// Where a parameter's fixed strings are in Block::allowed.
struct AllowedRange {
    std::size_t first = 0;
    std::size_t count = 0;
};

// The annotations and description lines read since the last function, as views into the text
// being read; the reference copies what it keeps of them.
struct Block {
    std::vector<std::string_view> description;
    std::vector<ParamDoc> params; // their allowedStrings are set when the function is read
    std::vector<AllowedRange> paramAllowed;
    std::vector<int> paramLines;
    std::vector<std::string_view> allowed;
    std::vector<ReturnDoc> returns;
    std::optional<std::string_view> deprecation;
    std::vector<std::string_view> see;
    int firstAnnotation = 0; // the line of the first annotation read, 0 when there is none

    bool HasAnnotations() const { return firstAnnotation != 0; }
    // Empties the block, keeping what its lists hold room for: the next function needs it.
    void Clear()
    {
        description.clear();
        params.clear();
        paramAllowed.clear();
        paramLines.clear();
        allowed.clear();
        returns.clear();
        deprecation.reset();
        see.clear();
        firstAnnotation = 0;
    }
};

class DefinitionReader {
public:
    explicit DefinitionReader(ReferenceRead &result) : m_result(result) {}

    void ReadLine(std::string_view line, int number)
    {
        m_line = number;
        line = Trim(line);
        if (line.starts_with("---@"))
            ReadAnnotation(line.substr(4));
        else if (line.starts_with("---|") || IsRule(line))
            ; // an alias value, or a line of dashes drawn across
        else if (line.starts_with("---"))
            ReadDescription(line.substr(3));
        else if (line.starts_with("--"))
            ; // an ordinary comment
        else if (line.empty())
            EndBlock();
        else if (line.starts_with("function") && line.size() > 8 && IsBlank(line[8]))
            ReadFunction(TrimLeft(line.substr(8)));
        else
            EndBlock();
    }

    void Finish() { EndBlock(); }

private:
    void Report(int line, std::string message) { m_result.problems.push_back({line, std::move(message)}); }
    void Report(std::string message) { Report(m_line, std::move(message)); }

    static std::string TooDeep()
    {
        return " holds more than " + std::to_string(kDeepestType) + " function types within each other";
    }

    void Annotated()
    {
        if (!m_block.HasAnnotations())
            m_block.firstAnnotation = m_line;
    }

    void ReadDescription(std::string_view text)
    {
        if (text.starts_with(' '))
            text.remove_prefix(1);
        m_block.description.push_back(text);
    }

    void ReadAnnotation(std::string_view text)
    {
        const std::size_t tagLength = NameLength(text);
        if (tagLength == 0) {
            Report("an annotation without a name after \"---@\"");
            return;
        }
        const std::string_view tag = text.substr(0, tagLength);
        const std::string_view rest = text.substr(tagLength);
        if (!rest.empty() && !IsBlank(rest.front())) {
            Report("\"---@" + std::string(tag) + "\" must be followed by a blank");
            return;
        }
        if (tag == "param")
            ReadParam(TrimLeft(rest));
        else if (tag == "return")
            ReadReturn(TrimLeft(rest));
        else if (tag == "deprecated")
            ReadDeprecated(Trim(rest));
        else if (tag == "see")
            ReadSee(Trim(rest));
        // Other annotations ("---@meta", "---@class", ...) document nothing Scriba shows.
    }

    void ReadParam(std::string_view text)
    {
        ParamDoc param;
        std::size_t nameLength = text.starts_with("...") ? 3 : NameLength(text);
        if (nameLength == 0) {
            Report("\"---@param\" needs a parameter name");
            return;
        }
        param.name = text.substr(0, nameLength);
        if (nameLength < text.size() && text[nameLength] == '?') {
            param.optional = true;
            ++nameLength;
        }
        if (nameLength < text.size() && !IsBlank(text[nameLength])) {
            Report("the parameter name \"" + std::string(text.substr(0, nameLength + 1)) + "\" is not a Lua name");
            return;
        }
        const std::string_view typed = TrimLeft(text.substr(nameLength));
        const TypeRead type = TypeLength(typed);
        const std::size_t typeLength = type.length;
        if (typeLength == 0) {
            const std::string name(param.name);
            Report(typed.empty()   ? "parameter " + name + " has no type"
                   : type.tooDeep ? "the type of parameter " + name + TooDeep()
                                  : "the type of parameter " + name + " cannot be read");
            return;
        }
        param.type = typed.substr(0, typeLength);
        param.description = DescriptionAfter(typed.substr(typeLength));
        for (const ParamDoc &earlier : m_block.params)
            if (earlier.name == param.name) {
                Report("parameter " + std::string(param.name) + " is documented twice");
                return;
            }
        Annotated();
        const std::size_t first = m_block.allowed.size();
        m_block.paramAllowed.push_back({first, AddAllowedStrings(param.type, m_block.allowed)});
        m_block.params.push_back(param);
        m_block.paramLines.push_back(m_line);
    }

    // "---@return number x, number y # text" is two values; a name after a type is part of its
    // description.
    void ReadReturn(std::string_view text)
    {
        // Straight into the block, taken back if a later value of the line cannot be read.
        const std::size_t before = m_block.returns.size();
        for (;;) {
            const TypeRead type = TypeLength(text);
            const std::size_t typeLength = type.length;
            if (typeLength == 0) {
                m_block.returns.resize(before);
                Report(text.empty()   ? "\"---@return\" needs a type"
                       : type.tooDeep ? "the type of a return value" + TooDeep()
                                      : "the type of a return value cannot be read");
                return;
            }
            ReturnDoc &value = m_block.returns.emplace_back(ReturnDoc{text.substr(0, typeLength), {}});
            std::string_view rest = TrimLeft(text.substr(typeLength));
            const std::size_t nameLength = NameLength(rest);
            const std::string_view afterName = TrimLeft(rest.substr(nameLength));
            if (!afterName.starts_with(',')) {
                value.description = DescriptionAfter(rest);
                break;
            }
            value.description = rest.substr(0, nameLength);
            text = TrimLeft(afterName.substr(1));
        }
        Annotated();
    }

    void ReadDeprecated(std::string_view text)
    {
        Annotated();
        m_block.deprecation = text;
    }

    void ReadSee(std::string_view text)
    {
        if (text.empty()) {
            Report("\"---@see\" names nothing");
            return;
        }
        Annotated();
        m_block.see.push_back(text);
    }

    // "name(a, b) end": what follows the parameters is not read, so a body on further lines
    // is passed over as ordinary code.
    void ReadFunction(std::string_view text)
    {
        std::size_t nameLength = NameLength(text);
        while (nameLength > 0 && nameLength + 1 < text.size() && (text[nameLength] == '.' || text[nameLength] == ':')) {
            const std::size_t part = NameLength(text.substr(nameLength + 1));
            if (part == 0)
                break;
            nameLength += 1 + part;
        }
        const std::string_view name = text.substr(0, nameLength);
        const std::string_view rest = TrimLeft(text.substr(nameLength));
        std::vector<std::string_view> &names = m_names;
        names.clear();
        if (nameLength == 0 || !rest.starts_with('(') || !ReadParameterNames(rest.substr(1), names)) {
            Report(nameLength == 0 ? "a function line without a function name"
                                   : "the parameters of " + std::string(name) + " cannot be read");
            m_block.Clear();
            return;
        }
        SetAllowedStrings();
        FunctionDoc doc;
        doc.name = name;
        doc.description = {m_block.description.data(), m_block.description.size()};
        if (DocumentsInOrder(names))
            doc.params = {m_block.params.data(), m_block.params.size()};
        else
            doc.params = TakeParams(name, names);
        doc.returns = {m_block.returns.data(), m_block.returns.size()};
        doc.deprecated = m_block.deprecation.has_value();
        doc.deprecation = m_block.deprecation.value_or(std::string_view());
        doc.see = {m_block.see.data(), m_block.see.size()};
        m_result.functionLines.emplace_back(name, m_line);
        m_result.reference.AddPage(doc);
        m_block.Clear();
    }

    // The block's lists are complete: the parameters may point into its fixed strings now.
    void SetAllowedStrings()
    {
        for (std::size_t i = 0; i < m_block.params.size(); ++i) {
            const AllowedRange range = m_block.paramAllowed[i];
            m_block.params[i].allowedStrings = {m_block.allowed.data() + range.first, range.count};
        }
    }

    bool DocumentsInOrder(const std::vector<std::string_view> &names) const
    {
        const std::vector<ParamDoc> &params = m_block.params;
        return params.size() == names.size() &&
               std::equal(params.begin(), params.end(), names.begin(),
                          [](const ParamDoc &param, std::string_view name) { return param.name == name; });
    }

    // The block's pages for the function's parameters in the function's order, an empty page
    // for one the block leaves out; a page for a name the function does not have is reported.
    DocList<ParamDoc> TakeParams(std::string_view function, const std::vector<std::string_view> &names)
    {
        std::vector<ParamDoc> &ordered = m_ordered;
        ordered.clear();
        for (const std::string_view parameter : names) {
            const auto it = std::find_if(m_block.params.begin(), m_block.params.end(),
                                         [&](const ParamDoc &p) { return p.name == parameter; });
            if (it == m_block.params.end()) {
                ordered.push_back(ParamDoc{parameter, {}, {}, false, {}});
            } else {
                ordered.push_back(*it);
                it->name = {}; // taken
            }
        }
        for (std::size_t i = 0; i < m_block.params.size(); ++i)
            if (!m_block.params[i].name.empty())
                Report(m_block.paramLines[i],
                       std::string(m_block.params[i].name) + " is not a parameter of " + std::string(function));
        return {ordered.data(), ordered.size()};
    }

    // The names up to ")", separated by commas; "..." may come last.
    static bool ReadParameterNames(std::string_view text, std::vector<std::string_view> &names)
    {
        text = TrimLeft(text);
        if (text.starts_with(')'))
            return true;
        for (;;) {
            const std::size_t length = text.starts_with("...") ? 3 : NameLength(text);
            if (length == 0)
                return false;
            names.emplace_back(text.substr(0, length));
            text = TrimLeft(text.substr(length));
            if (text.starts_with(')'))
                return true;
            if (!text.starts_with(',') || names.back() == "...")
                return false;
            text = TrimLeft(text.substr(1));
        }
    }

    // A blank line or a line of code: annotations waiting for a function document nothing.
    void EndBlock()
    {
        if (m_block.HasAnnotations())
            Report(m_block.firstAnnotation, "annotations that no function line follows");
        m_block.Clear();
    }

    ReferenceRead &m_result;
    Block m_block;
    std::vector<std::string_view> m_names; // of the function line being read, into its text
    std::vector<ParamDoc> m_ordered;       // its parameters' pages in the order the line names them
    int m_line = 0;
};

// What reading a text will keep: how many pages, and about how many bytes of their text and
// lists. Measured first, so that the pages are not moved again and again as they grow and the
// reference keeps them in one block.
struct ReadSize {
    std::size_t functions = 0;
    std::size_t storeBytes = 0;
};

ReadSize MeasureRead(std::string_view text)
{
    ReadSize size;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        const std::string_view line = TrimLeft(text.substr(0, lf));
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        // A line of annotation or description is at most one item of a list (a parameter's
        // page the biggest), with its text.
        if (line.starts_with("---")) {
            size.storeBytes += line.size() + sizeof(ParamDoc) + sizeof(std::string_view);
        } else if (line.starts_with("function")) {
            ++size.functions;
            size.storeBytes += line.size();
        }
    }
    return size;
}

} // namespace

ReferenceRead ReadDefinitionFile(std::string_view text)
{
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    ReferenceRead result;
    const ReadSize size = MeasureRead(text);
    result.reference.Reserve(size.functions, size.storeBytes);
    result.functionLines.reserve(size.functions);
    DefinitionReader reader(result);
    int number = 0;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        const std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        reader.ReadLine(line, ++number);
    }
    reader.Finish();
    return result;
}
