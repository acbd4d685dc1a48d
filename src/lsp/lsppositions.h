// Byte offsets into UTF-8 text as the protocol's positions: lines broken at CR LF, CR or LF, and
// characters counted in UTF-16 code units.
#pragma once

#include <QJsonObject>

#include <cstddef>
#include <string_view>
#include <unordered_map>
#include <vector>

// Walks the text forwards once, so any number of positions cost one pass over the text.
class LspPositionWalker {
public:
    explicit LspPositionWalker(std::string_view text) : m_text(text) {}

    // offset must not lie before the previous one asked for; it is clamped to the text.
    QJsonObject PositionAt(std::size_t offset);

private:
    std::string_view m_text;
    std::size_t m_at = 0;
    int m_line = 0;
    int m_character = 0;
};

// {"line", "character"} of every offset, in any order, from one walk.
std::unordered_map<std::size_t, QJsonObject> JsonPositions(std::string_view text, std::vector<std::size_t> offsets);

QJsonObject JsonRange(const QJsonObject &start, const QJsonObject &end);
