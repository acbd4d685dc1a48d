#include "lsplongstring.h"

#include "lsp/lsptext.h"

#include <QRandomGenerator>

namespace {

// Where the string that starts with the quote at start ends (just past its closing quote), or
// npos when it does not end.
std::size_t StringEnd(std::string_view body, std::size_t start)
{
    for (std::size_t i = start + 1; i < body.size(); ++i) {
        if (body[i] == '\\')
            ++i;
        else if (body[i] == '"')
            return i + 1;
    }
    return std::string_view::npos;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The four hex digits at text[i], or -1.
long Hex4(std::string_view text, std::size_t i)
{
    if (i + 4 > text.size())
        return -1;
    long value = 0;
    for (std::size_t k = i; k < i + 4; ++k) {
        const int digit = HexValue(text[k]);
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

void AppendUtf8(std::string &text, unsigned long code)
{
    if (code < 0x80) {
        text += char(code);
    } else if (code < 0x800) {
        text += char(0xC0 | (code >> 6));
        text += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += char(0xE0 | (code >> 12));
        text += char(0x80 | ((code >> 6) & 0x3F));
        text += char(0x80 | (code & 0x3F));
    } else {
        text += char(0xF0 | (code >> 18));
        text += char(0x80 | ((code >> 12) & 0x3F));
        text += char(0x80 | ((code >> 6) & 0x3F));
        text += char(0x80 | (code & 0x3F));
    }
}

} // namespace

LspLongString::LspLongString(std::size_t minimum)
    : m_minimum(minimum),
      m_standIn(QStringLiteral("scriba-long-string-%1%2")
                    .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'))
                    .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0')))
{
}

bool LspLongString::Decode(std::string_view quoted, std::string &text)
{
    text.clear();
    text.reserve(quoted.size());
    for (std::size_t i = 0; i < quoted.size();) {
        const auto c = static_cast<unsigned char>(quoted[i]);
        if (c < 0x20 || c == '"')
            return false; // not valid JSON: the parser says so
        if (c < 0x80 && c != '\\') {
            // Runs of plain characters go across in one piece.
            std::size_t end = i + 1;
            while (end < quoted.size() && static_cast<unsigned char>(quoted[end]) >= 0x20 &&
                   static_cast<unsigned char>(quoted[end]) < 0x80 && quoted[end] != '\\' && quoted[end] != '"')
                ++end;
            text.append(quoted, i, end - i);
            i = end;
            continue;
        }
        if (c >= 0x80) {
            const std::size_t length = Utf8SequenceAt(quoted, i);
            if (length == 0)
                return false;
            text.append(quoted, i, length);
            i += length;
            continue;
        }
        if (i + 1 >= quoted.size())
            return false;
        const char escaped = quoted[i + 1];
        i += 2;
        switch (escaped) {
        case '"': text += '"'; break;
        case '\\': text += '\\'; break;
        case '/': text += '/'; break;
        case 'b': text += '\b'; break;
        case 'f': text += '\f'; break;
        case 'n': text += '\n'; break;
        case 'r': text += '\r'; break;
        case 't': text += '\t'; break;
        case 'u': {
            long code = Hex4(quoted, i);
            i += 4;
            if (code < 0 || (code >= 0xDC00 && code <= 0xDFFF))
                return false;
            if (code >= 0xD800 && code <= 0xDBFF) {
                // Only a high surrogate followed by a low one makes a character.
                const long low = i + 1 < quoted.size() && quoted[i] == '\\' && quoted[i + 1] == 'u' ? Hex4(quoted, i + 2) : -1;
                if (low < 0xDC00 || low > 0xDFFF)
                    return false;
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 6;
            }
            if (code == 0)
                return false; // the parser's own rules for NUL
            AppendUtf8(text, static_cast<unsigned long>(code));
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

bool LspLongString::Take(std::string &body)
{
    m_held = false;
    if (body.size() < m_minimum)
        return false;
    std::size_t bestStart = 0, bestEnd = 0;
    for (std::size_t i = body.find('"'); i != std::string::npos; i = body.find('"', i)) {
        const std::size_t end = StringEnd(body, i);
        if (end == std::string::npos)
            return false;
        if (end - i > bestEnd - bestStart) {
            bestStart = i;
            bestEnd = end;
        }
        i = end;
    }
    if (bestEnd - bestStart < m_minimum + 2 ||
        !Decode(std::string_view(body).substr(bestStart + 1, bestEnd - bestStart - 2), m_taken))
        return false;
    body.replace(bestStart, bestEnd - bestStart, '"' + m_standIn.toStdString() + '"');
    m_held = true;
    return true;
}

bool LspLongString::Claim(const QString &value, std::string &text)
{
    if (!m_held || value != m_standIn)
        return false;
    text = std::move(m_taken);
    m_taken.clear();
    m_held = false;
    return true;
}

std::string LspLongString::Resolved(const QString &value) const
{
    return m_held && value == m_standIn ? m_taken : value.toStdString();
}
