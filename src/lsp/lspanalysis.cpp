#include "lspanalysis.h"

#include "lsp/lspjsonwriter.h"

#include <algorithm>
#include <cstring>

LspAnalysis::LspAnalysis(std::string text) : m_text(std::move(text))
{
    m_starts.push_back(0);
    const char *bytes = m_text.data();
    const std::size_t size = m_text.size();
    for (std::size_t i = 0; i < size; ++i) {
        if (bytes[i] == '\n')
            m_starts.push_back(i + 1);
        else if (bytes[i] == '\r' && (i + 1 >= size || bytes[i + 1] != '\n'))
            m_starts.push_back(i + 1);
    }
    m_model = luamodel::BuildModel(m_text);
}

std::size_t LspAnalysis::OffsetOf(LspPosition position) const
{
    if (position.line < 0)
        return 0;
    if (position.line >= LineCount())
        return m_text.size();
    const std::size_t start = m_starts[std::size_t(position.line)];
    std::size_t end = position.line + 1 < LineCount() ? m_starts[std::size_t(position.line) + 1] : m_text.size();
    while (end > start && (m_text[end - 1] == '\n' || m_text[end - 1] == '\r'))
        --end;
    return start + Utf8IndexOf(std::string_view(m_text).substr(start, end - start), std::max(position.character, 0));
}

LspPosition LspAnalysis::PositionOf(std::size_t offset) const
{
    offset = std::min(offset, m_text.size());
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), offset);
    const std::size_t line = std::size_t(after - m_starts.begin()) - 1;
    const std::size_t start = m_starts[line];
    return {int(line), Utf16Length(std::string_view(m_text).substr(start, offset - start))};
}

QJsonObject LspAnalysis::JsonPosition(std::size_t offset) const
{
    const LspPosition position = PositionOf(offset);
    return QJsonObject{{QStringLiteral("line"), position.line}, {QStringLiteral("character"), position.character}};
}

QJsonObject LspAnalysis::JsonRange(std::size_t start, std::size_t end) const
{
    return QJsonObject{{QStringLiteral("start"), JsonPosition(start)}, {QStringLiteral("end"), JsonPosition(end)}};
}

void LspAnalysis::WriteRange(LspJsonWriter &out, std::size_t start, std::size_t end) const
{
    const LspPosition from = PositionOf(start), to = PositionOf(end);
    out.BeginObject();
    out.Key("start");
    out.BeginObject();
    out.Key("line");
    out.Number(from.line);
    out.Key("character");
    out.Number(from.character);
    out.EndObject();
    out.Key("end");
    out.BeginObject();
    out.Key("line");
    out.Number(to.line);
    out.Key("character");
    out.Number(to.character);
    out.EndObject();
    out.EndObject();
}
