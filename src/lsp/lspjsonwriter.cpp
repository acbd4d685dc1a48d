#include "lspjsonwriter.h"

void LspJsonWriter::BeforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_first.empty()) {
        if (!m_first.back())
            m_out += ',';
        m_first.back() = false;
    }
}

void LspJsonWriter::Open(char bracket)
{
    BeforeValue();
    m_out += bracket;
    m_first.push_back(true);
}

void LspJsonWriter::Close(char bracket)
{
    m_out += bracket;
    if (!m_first.empty())
        m_first.pop_back();
}

void LspJsonWriter::Key(std::string_view name)
{
    BeforeValue();
    Quote(name);
    m_out += ':';
    m_afterKey = true;
}

void LspJsonWriter::String(std::string_view utf8)
{
    BeforeValue();
    Quote(utf8);
}

void LspJsonWriter::Quote(std::string_view utf8)
{
    static const char hex[] = "0123456789abcdef";
    m_out += '"';
    for (const char c : utf8) {
        switch (c) {
        case '"': m_out += "\\\""; break;
        case '\\': m_out += "\\\\"; break;
        case '\n': m_out += "\\n"; break;
        case '\r': m_out += "\\r"; break;
        case '\t': m_out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                m_out += "\\u00";
                m_out += hex[(c >> 4) & 0xF];
                m_out += hex[c & 0xF];
            } else {
                m_out += c;
            }
        }
    }
    m_out += '"';
}

void LspJsonWriter::Number(std::int64_t number)
{
    BeforeValue();
    m_out += std::to_string(number);
}

void LspJsonWriter::Bool(bool value)
{
    BeforeValue();
    m_out += value ? "true" : "false";
}

void LspJsonWriter::Null()
{
    BeforeValue();
    m_out += "null";
}

void LspJsonWriter::Raw(std::string_view json)
{
    BeforeValue();
    m_out += json;
}
