// A script as one HTML5 page: the colouring scan's runs become spans inside a single <pre>.
#include "htmlexport.h"

#include "luascanner.h"

#include "app/utf8.h"

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
    // Lines are coloured once whole; only the unfinished last line waits for the next piece.
    if (!m_pending.empty()) {
        const std::size_t lineEnd = script.find_first_of("\r\n");
        if (lineEnd == std::string_view::npos) {
            m_pending.append(script);
            return m_ok;
        }
        m_pending.append(script.substr(0, lineEnd + 1));
        script.remove_prefix(lineEnd + 1);
        AddLines(m_pending);
        m_pending.clear();
    }
    const std::size_t lastEnd = script.find_last_of("\r\n");
    const std::size_t whole = lastEnd == std::string_view::npos ? 0 : lastEnd + 1;
    AddLines(script.substr(0, whole));
    m_pending.assign(script.substr(whole));
    return m_ok;
}

bool HtmlPageWriter::Finish()
{
    AddLines(m_pending);
    m_pending.clear();
    m_out += "</pre>\n</body>\n</html>\n";
    Flush();
    return m_ok;
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
    for (std::size_t start = 0; start < lines.size();) {
        const std::uint8_t style = m_styles[start];
        std::size_t end = start + 1;
        while (end < lines.size() && m_styles[end] == style)
            ++end;
        const std::string_view run = lines.substr(start, end - start);
        if (style == kPlainStyle) {
            m_text->Write(run);
        } else {
            m_out += "<span class=\"";
            m_out += kClassNames[std::size_t(style - 1)];
            m_out += "\">";
            m_text->Write(run);
            m_out += "</span>";
        }
        FlushIfFull();
        start = end;
    }
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
