// A script as one HTML5 page: the colouring scan's runs become spans inside a single <pre>.
#include "htmlexport.h"

#include "luascanner.h"

#include "app/utf8.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

constexpr std::array<const char *, kStyleKindCount> kClassNames = {
    "comment", "function", "keyword", "number", "punctuation", "string"};

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

std::string HexColour(ColorRef colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", RedOf(colour), GreenOf(colour), BlueOf(colour));
    return text;
}

void AppendStyleRule(std::string &out, const char *className, const TextStyle &style)
{
    out += '.';
    out += className;
    out += " { color: " + HexColour(style.color) + "; font-weight: ";
    out += style.bold ? "bold" : "normal";
    out += "; font-style: ";
    out += style.italic ? "italic" : "normal";
    out += "; text-decoration: ";
    out += style.underline ? "underline" : "none";
    out += "; }\n";
}

void AppendStyleBlock(std::string &out, const Settings &settings)
{
    out += "<style>\n";
    out += "pre { font-family: monospace; color: #000000; }\n";
    for (int kind = 0; kind < kStyleKindCount; ++kind)
        AppendStyleRule(out, kClassNames[std::size_t(kind)], settings.style(StyleKind(kind)));
    out += "</style>\n";
}

bool IsWordByte(unsigned char c)
{
    return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') || c == '_';
}

// The bytes at the end of text that begin a UTF-8 sequence without its end.
std::size_t IncompleteUtf8Tail(std::string_view text)
{
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, text.size()); ++back) {
        const auto c = static_cast<unsigned char>(text[text.size() - back]);
        if ((c & 0xC0) == 0x80)
            continue; // a continuation byte: look further back for its lead
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

// U+0080 to U+009F: controls that a page must not contain, like the ASCII ones.
bool IsC1Control(const unsigned char *p, std::size_t length)
{
    return length == 2 && p[0] == 0xC2 && p[1] <= 0x9F;
}

} // namespace

// Writes script bytes as page text. Every byte that is not part of well-formed UTF-8 becomes
// one U+FFFD, as do control characters other than tab and line breaks; CR LF and a lone CR
// become LF. A CR at the end of one piece and an LF at the start of the next are one break.
class HtmlTextWriter {
public:
    explicit HtmlTextWriter(std::string &out) : m_out(out) {}

    void Write(std::string_view text)
    {
        const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
        std::size_t i = 0;
        while (i < text.size()) {
            const bool lfAfterCr = m_afterCr && bytes[i] == '\n';
            m_afterCr = false;
            if (lfAfterCr) {
                ++i;
            } else if (bytes[i] < 0x80) {
                WriteAscii(bytes[i]);
                ++i;
            } else {
                i += WriteNonAscii(bytes + i, text.size() - i);
            }
        }
    }

private:
    void WriteAscii(unsigned char c)
    {
        switch (c) {
        case '&': m_out += "&amp;"; break;
        case '<': m_out += "&lt;"; break;
        case '>': m_out += "&gt;"; break;
        case '"': m_out += "&quot;"; break;
        case '\'': m_out += "&#39;"; break;
        case '\r':
            m_out += '\n';
            m_afterCr = true;
            break;
        case '\n':
        case '\t': m_out += char(c); break;
        default:
            if (c < 0x20 || c == 0x7F)
                m_out += kReplacement;
            else
                m_out += char(c);
        }
    }

    std::size_t WriteNonAscii(const unsigned char *p, std::size_t n)
    {
        const std::size_t length = Utf8SequenceLength(p, n);
        if (length == 0) {
            m_out += kReplacement;
            return 1;
        }
        if (IsC1Control(p, length))
            m_out += kReplacement;
        else
            m_out.append(reinterpret_cast<const char *>(p), length);
        return length;
    }

    std::string &m_out;
    bool m_afterCr = false;
};

HtmlPageWriter::HtmlPageWriter(std::string_view title, const Settings &settings, Sink sink)
    : m_settings(settings), m_sink(std::move(sink)), m_text(std::make_unique<HtmlTextWriter>(m_out))
{
    m_out += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
    HtmlTextWriter(m_out).Write(title);
    m_out += "</title>\n";
    AppendStyleBlock(m_out, settings);
    // A parser drops one line break right after <pre>; this one goes, a blank first line stays.
    m_out += "</head>\n<body>\n<pre>\n";
}

HtmlPageWriter::~HtmlPageWriter() = default;

bool HtmlPageWriter::Add(std::string_view script)
{
    m_pending.append(script);
    Process(false);
    return m_ok;
}

bool HtmlPageWriter::Finish()
{
    Process(true);
    m_pending.clear();
    m_out += "</pre>\n</body>\n</html>\n";
    Flush();
    return m_ok;
}

void HtmlPageWriter::Process(bool final)
{
    const std::string_view text = m_pending;
    std::size_t done = 0;
    while (done < text.size() && m_ok) {
        if (m_state != LineState::Code) {
            done += ContinueToken(text.substr(done), final);
            if (m_state != LineState::Code)
                break;
            continue;
        }
        const std::size_t lastEnd = text.find_last_of("\r\n");
        if (lastEnd != std::string_view::npos && lastEnd >= done) {
            AddLines(text.substr(done, lastEnd + 1 - done));
            done = lastEnd + 1;
            m_heldLine = 0;
        } else if (final) {
            AddLines(text.substr(done));
            done = text.size();
        } else {
            done += WriteLongLineStart(text.substr(done));
            break;
        }
    }
    m_pending.erase(0, done);
}

std::size_t HtmlPageWriter::ContinueToken(std::string_view text, bool final)
{
    const bool comment = m_state == LineState::Comment;
    const std::size_t end = comment ? text.find_first_of("\r\n") : text.find_first_of(std::string{m_quote, '\r', '\n'});
    std::size_t written = end;
    if (end == std::string_view::npos) {
        // The token runs on past these bytes: a UTF-8 sequence cut at their end waits for the rest.
        written = final ? text.size() : text.size() - IncompleteUtf8Tail(text);
    } else {
        written += !comment && text[end] == m_quote;
        m_state = LineState::Code;
    }
    WriteSpan(text.substr(0, written), StyleNumber(comment ? StyleKind::Comment : StyleKind::String));
    return written;
}

std::size_t HtmlPageWriter::WriteLongLineStart(std::string_view line)
{
    // A line is held until it is long, and a line that could not be cut until it has doubled:
    // each byte is coloured a bounded number of times.
    constexpr std::size_t kShortLine = 1 << 16;
    if (line.size() < std::max(kShortLine, 2 * m_heldLine))
        return 0;
    if (!m_settings.options.syntaxhighlighting) {
        const std::size_t whole = line.size() - IncompleteUtf8Tail(line);
        m_text->Write(line.substr(0, whole));
        FlushIfFull();
        return whole;
    }
    const std::size_t written = WriteUpToRunningToken(line);
    m_heldLine = written == 0 ? line.size() : 0;
    return written;
}

// Colours line, the start of a line whose end is still to come, and writes what the rest cannot
// change: up to a comment or string that runs to its end (which then goes on being written as
// it comes), else up to the last ASCII byte between tokens (a blank or a punctuation token) with
// a few bytes after it, as far as any token looks ahead. Returns the bytes written.
std::size_t HtmlPageWriter::WriteUpToRunningToken(std::string_view line)
{
    m_styles.resize(line.size());
    ScanLuaStyles(line, m_settings.keywords, m_settings.functions, m_styles.data());
    m_quote = 0;
    const std::uint8_t last = m_styles.back();
    std::size_t start = line.size();
    while (start > 0 && m_styles[start - 1] == last)
        --start;
    if (last == StyleNumber(StyleKind::String)) {
        // Strings side by side share a run: find the one the line ends in, closed or not.
        std::size_t at = start;
        while (at < line.size()) {
            const std::size_t close = line.find(line[at], at + 1);
            if (close == std::string_view::npos)
                break;
            at = close + 1;
        }
        start = at;
        m_quote = at < line.size() ? line[at] : 0;
    }
    if (start < line.size() && (last == StyleNumber(StyleKind::Comment) || m_quote != 0)) {
        m_state = last == StyleNumber(StyleKind::Comment) ? LineState::Comment : LineState::String;
        const std::size_t opened = start + (m_state == LineState::String ? 1 : 0); // past the quote
        WriteRuns(line.substr(0, opened), m_styles.data());
        return opened + ContinueToken(line.substr(opened), false);
    }
    constexpr std::size_t kLookAhead = 4; // "1e+5": a number is decided three bytes on
    for (std::size_t cut = line.size() - std::min(line.size(), kLookAhead); cut-- > 0;) {
        const auto c = static_cast<unsigned char>(line[cut]);
        const std::uint8_t style = m_styles[cut];
        if (c < 0x80 && !IsWordByte(c) && c != '"' && c != '\'' &&
            (style == kPlainStyle || style == StyleNumber(StyleKind::Punctuation))) {
            WriteRuns(line.substr(0, cut + 1), m_styles.data());
            return cut + 1;
        }
    }
    return 0; // one word or number all along: held until its line ends
}

void HtmlPageWriter::AddLines(std::string_view lines)
{
    if (lines.empty())
        return;
    if (!m_settings.options.syntaxhighlighting) {
        m_text->Write(lines);
        FlushIfFull();
        return;
    }
    m_styles.resize(lines.size());
    ScanLuaStyles(lines, m_settings.keywords, m_settings.functions, m_styles.data());
    WriteRuns(lines, m_styles.data());
}

void HtmlPageWriter::WriteRuns(std::string_view text, const std::uint8_t *styles)
{
    for (std::size_t start = 0; start < text.size();) {
        const std::uint8_t style = styles[start];
        std::size_t end = start + 1;
        while (end < text.size() && styles[end] == style)
            ++end;
        WriteSpan(text.substr(start, end - start), style);
        start = end;
    }
}

void HtmlPageWriter::WriteSpan(std::string_view text, std::uint8_t style)
{
    if (text.empty())
        return;
    if (style == kPlainStyle) {
        m_text->Write(text);
    } else {
        m_out += "<span class=\"";
        m_out += kClassNames[std::size_t(style - 1)];
        m_out += "\">";
        m_text->Write(text);
        m_out += "</span>";
    }
    FlushIfFull();
}

void HtmlPageWriter::FlushIfFull()
{
    constexpr std::size_t kFlushSize = 1 << 18;
    if (m_out.size() >= kFlushSize)
        Flush();
}

void HtmlPageWriter::Flush()
{
    if (m_ok && !m_out.empty())
        m_ok = m_sink(m_out.data(), m_out.size());
    m_out.clear();
}

std::string ExportHtml(std::string_view script, std::string_view title, const Settings &settings)
{
    std::string page;
    HtmlPageWriter writer(title, settings, [&page](const char *data, std::size_t size) {
        page.append(data, size);
        return true;
    });
    writer.Add(script);
    writer.Finish();
    return page;
}
