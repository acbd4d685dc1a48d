// A script as one HTML5 page: the colouring scan's runs become spans inside a single <pre>.
#include "htmlexport.h"

#include "luascanner.h"

#include <array>
#include <cstdio>
#include <vector>

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

// Length of the well-formed UTF-8 sequence at the start of [p, p + n), or 0 if there is none.
std::size_t Utf8SequenceLength(const unsigned char *p, std::size_t n)
{
    const unsigned lead = p[0];
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;   // no overlong forms
        high = lead == 0xED ? 0x9F : high; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high; // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (n < length || p[1] < low || p[1] > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (p[i] < 0x80 || p[i] > 0xBF)
            return 0;
    }
    return length;
}

// U+0080 to U+009F: controls that a page must not contain, like the ASCII ones.
bool IsC1Control(const unsigned char *p, std::size_t length)
{
    return length == 2 && p[0] == 0xC2 && p[1] <= 0x9F;
}

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

void AppendColouredScript(std::string &out, std::string_view script, const Settings &settings)
{
    HtmlTextWriter writer(out);
    if (!settings.options.syntaxhighlighting) {
        writer.Write(script);
        return;
    }
    std::vector<StyleRun> runs;
    ScanLua(script, settings.keywords, settings.functions, runs);
    for (const StyleRun &run : runs) {
        const std::string_view text = script.substr(run.start, run.length);
        if (run.style == kPlainStyle) {
            writer.Write(text);
            continue;
        }
        out += "<span class=\"";
        out += kClassNames[std::size_t(run.style - 1)];
        out += "\">";
        writer.Write(text);
        out += "</span>";
    }
}

} // namespace

std::string ExportHtml(std::string_view script, std::string_view title, const Settings &settings)
{
    std::string out;
    out.reserve(script.size() * 2 + 1024);
    out += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
    HtmlTextWriter(out).Write(title);
    out += "</title>\n";
    AppendStyleBlock(out, settings);
    // A parser drops one line break right after <pre>; this one goes, a blank first line stays.
    out += "</head>\n<body>\n<pre>\n";
    AppendColouredScript(out, script, settings);
    out += "</pre>\n</body>\n</html>\n";
    return out;
}
