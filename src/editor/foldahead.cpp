#include "foldahead.h"

#include <algorithm>
#include <vector>

namespace {

// The text is scanned in pieces of about this size, cut after a line break, so a Stop waits
// for one piece at most and the levels come in steadily.
constexpr std::size_t kPiece = 1 << 20;

// The end of the piece from start: after the last line break within kPiece bytes (a CR LF is
// never split), or the end of the text when there is none.
std::size_t PieceEnd(std::string_view text, std::size_t start)
{
    const std::size_t limit = start + kPiece;
    if (limit >= text.size())
        return text.size();
    for (std::size_t at = limit; at > start; --at) {
        const char c = text[at - 1];
        if (c == '\n' || (c == '\r' && text[at] != '\n'))
            return at;
    }
    return text.size();
}

} // namespace

void CFoldAhead::Start(std::string_view text, std::size_t lineCount)
{
    Stop();
    m_levels = std::make_unique_for_overwrite<std::uint32_t[]>(lineCount);
    m_lineCount = lineCount;
    m_thread = std::thread([this, text] { Run(text); });
}

void CFoldAhead::Stop()
{
    if (m_thread.joinable()) {
        m_stopping.store(true, std::memory_order_relaxed);
        m_thread.join();
        m_stopping.store(false, std::memory_order_relaxed);
    }
    m_ready.store(0, std::memory_order_relaxed);
    m_levels.reset();
    m_lineCount = 0;
}

void CFoldAhead::Run(std::string_view text)
{
    FoldState state;
    std::vector<std::uint32_t> piece;
    std::size_t ready = 0;
    for (std::size_t start = 0; start < text.size() && !m_stopping.load(std::memory_order_relaxed);) {
        const std::size_t end = PieceEnd(text, start);
        piece.clear();
        ScanFoldLevels(text.substr(start, end - start), state, piece);
        if (piece.size() > m_lineCount - ready)
            return; // more lines than the text was said to hold: nothing more is trusted
        std::copy(piece.begin(), piece.end(), m_levels.get() + ready);
        ready += piece.size();
        m_ready.store(ready, std::memory_order_release);
        start = end;
    }
}
