#include "lsppositions.h"

#include <algorithm>

QJsonObject LspPositionWalker::PositionAt(std::size_t offset)
{
    offset = std::min(offset, m_text.size());
    while (m_at < offset) {
        const unsigned char c = static_cast<unsigned char>(m_text[m_at]);
        if (c == '\n' || (c == '\r' && (m_at + 1 >= m_text.size() || m_text[m_at + 1] != '\n'))) {
            ++m_line;
            m_character = 0;
        } else if (c >= 0xF0 && c <= 0xF4) {
            m_character += 2; // a character beyond the basic plane: a surrogate pair
        } else if ((c & 0xC0) != 0x80 && c != '\r') {
            ++m_character;
        }
        ++m_at;
    }
    return QJsonObject{{QStringLiteral("line"), m_line}, {QStringLiteral("character"), m_character}};
}

std::unordered_map<std::size_t, QJsonObject> JsonPositions(std::string_view text, std::vector<std::size_t> offsets)
{
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    LspPositionWalker walker(text);
    std::unordered_map<std::size_t, QJsonObject> positions;
    for (std::size_t offset : offsets)
        positions.emplace(offset, walker.PositionAt(offset));
    return positions;
}

QJsonObject JsonRange(const QJsonObject &start, const QJsonObject &end)
{
    return QJsonObject{{QStringLiteral("start"), start}, {QStringLiteral("end"), end}};
}
