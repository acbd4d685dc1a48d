#include "lsptext.h"

#include <algorithm>
#include <cstring>

namespace {

// The length of the sequence at text[i], or 1 for a byte that is not part of a valid one.
std::size_t CharacterAt(std::string_view text, std::size_t i)
{
    return std::max<std::size_t>(Utf8SequenceAt(text, i), 1);
}

} // namespace

std::size_t Utf8SequenceAt(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return 1;
    const std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                                                              : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    for (std::size_t k = i + 1; k < i + length; ++k)
        if ((byte(k) & 0xC0) != 0x80)
            return 0;
    // No overlong forms, no surrogates, nothing past U+10FFFF.
    const unsigned char second = byte(i + 1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) || (lead == 0xF0 && second < 0x90) ||
        (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

int Utf16Length(std::string_view text)
{
    int units = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = CharacterAt(text, i);
        units += length == 4 ? 2 : 1;
        i += length;
    }
    return units;
}

std::size_t Utf8IndexOf(std::string_view line, int character, bool *clamped)
{
    int units = 0;
    std::size_t i = 0;
    while (i < line.size() && units < character) {
        const std::size_t length = CharacterAt(line, i);
        const int width = length == 4 ? 2 : 1;
        if (units + width > character) { // inside a surrogate pair
            if (clamped)
                *clamped = true;
            return i;
        }
        units += width;
        i += length;
    }
    if (units < character && clamped)
        *clamped = true;
    return i;
}

LspText::LspText(std::string text) : m_buffer(std::move(text)), m_gapStart(m_buffer.size()), m_gapEnd(m_buffer.size())
{
    // The text is in one piece still, so it is read directly rather than through At().
    m_starts.push_back(0);
    const char *bytes = m_buffer.data();
    const std::size_t size = m_buffer.size();
    for (std::size_t i = 0; i < size; ++i) {
        if (bytes[i] == '\n' || bytes[i] == '\r') {
            if (bytes[i] == '\r' && i + 1 < size && bytes[i + 1] == '\n')
                ++i;
            m_starts.push_back(i + 1);
        }
    }
    m_stepFrom = m_starts.size();
}

std::size_t LspText::LineStart(int line) const
{
    if (line <= 0)
        return 0;
    return StartAt(std::min(std::size_t(line), m_starts.size() - 1));
}

std::string LspText::Line(int line) const
{
    if (line < 0 || line >= LineCount())
        return {};
    const std::size_t from = LineStart(line);
    std::size_t to = line + 1 < LineCount() ? LineStart(line + 1) : Size();
    while (to > from && (At(to - 1) == '\n' || At(to - 1) == '\r'))
        --to;
    std::string bytes;
    bytes.reserve(to - from);
    for (std::size_t i = from; i < to; ++i)
        bytes += At(i);
    return bytes;
}

std::string LspText::Text() const
{
    std::string text;
    text.reserve(Size());
    text.append(m_buffer, 0, m_gapStart);
    text.append(m_buffer, m_gapEnd, std::string::npos);
    return text;
}

std::size_t LspText::OffsetOf(LspPosition position, bool *clamped) const
{
    if (position.line < 0 || position.character < 0) {
        if (clamped)
            *clamped = true;
        return position.line < 0 ? 0 : LineStart(position.line);
    }
    if (position.line >= LineCount()) {
        if (clamped)
            *clamped = true;
        return Size();
    }
    return LineStart(position.line) + Utf8IndexOf(Line(position.line), position.character, clamped);
}

int LspText::LineOf(std::size_t offset) const
{
    // The last line whose start is at or before offset.
    std::size_t low = 0, high = m_starts.size();
    while (high - low > 1) {
        const std::size_t middle = (low + high) / 2;
        if (StartAt(middle) <= offset)
            low = middle;
        else
            high = middle;
    }
    return int(low);
}

LspPosition LspText::PositionOf(std::size_t offset) const
{
    offset = std::min(offset, Size());
    const int line = LineOf(offset);
    const std::size_t start = LineStart(line);
    const std::string bytes = Line(line);
    return {line, Utf16Length(std::string_view(bytes).substr(0, std::min(offset - start, bytes.size())))};
}

void LspText::MoveGapTo(std::size_t offset)
{
    if (offset < m_gapStart) {
        const std::size_t count = m_gapStart - offset;
        std::memmove(&m_buffer[m_gapEnd - count], &m_buffer[offset], count);
        m_gapStart -= count;
        m_gapEnd -= count;
    } else if (offset > m_gapStart) {
        const std::size_t count = offset - m_gapStart;
        std::memmove(&m_buffer[m_gapStart], &m_buffer[m_gapEnd], count);
        m_gapStart += count;
        m_gapEnd += count;
    }
}

void LspText::MakeRoom(std::size_t bytes)
{
    if (GapSize() >= bytes)
        return;
    // Grow by half the text at least, so a run of insertions costs the text's size only now and
    // then.
    const std::size_t grow = std::max(bytes - GapSize(), std::max<std::size_t>(m_buffer.size() / 2, 256));
    const std::size_t tail = m_buffer.size() - m_gapEnd;
    m_buffer.resize(m_buffer.size() + grow);
    std::memmove(&m_buffer[m_gapEnd + grow], &m_buffer[m_gapEnd], tail);
    m_gapEnd += grow;
}

void LspText::MoveStepTo(std::size_t index)
{
    index = std::min(index, m_starts.size());
    if (m_step == 0) {
        m_stepFrom = index;
        return;
    }
    for (; m_stepFrom < index; ++m_stepFrom)
        m_starts[m_stepFrom] += std::size_t(m_step);
    for (; m_stepFrom > index; --m_stepFrom)
        m_starts[m_stepFrom - 1] -= std::size_t(m_step);
}

void LspText::AddShift(std::size_t fromIndex, std::ptrdiff_t delta)
{
    MoveStepTo(fromIndex);
    m_step += delta;
    if (m_stepFrom >= m_starts.size())
        m_step = 0; // nothing is pending
}

void LspText::ScanLineStarts(std::size_t from, std::size_t to, std::vector<std::size_t> &starts) const
{
    const std::size_t size = Size();
    for (std::size_t i = from; i < to; ++i) {
        const char c = At(i);
        if (c == '\n') {
            starts.push_back(i + 1);
        } else if (c == '\r') {
            if (i + 1 < size && At(i + 1) == '\n')
                ++i;
            starts.push_back(i + 1);
        }
    }
}

void LspText::Replace(std::size_t from, std::size_t to, std::string_view text)
{
    to = std::min(to, Size());
    from = std::min(from, to);
    const int firstLine = LineOf(from);
    const int lastLine = LineOf(to);

    MoveGapTo(from);
    m_gapEnd += to - from;
    MakeRoom(text.size());
    std::memcpy(&m_buffer[m_gapStart], text.data(), text.size());
    m_gapStart += text.size();

    // The lines from the one before the change (a CR there may now pair with an inserted LF)
    // to the last the change touched are found again; the lines after only move.
    const std::size_t keep = std::size_t(std::max(firstLine - 1, 0));
    const std::size_t scanFrom = StartAt(keep);
    const std::size_t next = std::size_t(lastLine) + 1; // the first line after the change
    MoveStepTo(next);
    AddShift(next, std::ptrdiff_t(text.size()) - std::ptrdiff_t(to - from));

    std::vector<std::size_t> found;
    ScanLineStarts(scanFrom, from + text.size(), found);
    // A CR LF that the scan read past the change's end already has its line.
    while (!found.empty() && next < m_starts.size() && found.back() >= StartAt(next))
        found.pop_back();
    // The entries between keep and next are replaced by those found; only a difference in
    // their number moves the entries after them.
    const std::size_t replaced = next - (keep + 1);
    const std::size_t common = std::min(replaced, found.size());
    std::copy(found.begin(), found.begin() + std::ptrdiff_t(common), m_starts.begin() + std::ptrdiff_t(keep + 1));
    const auto at = m_starts.begin() + std::ptrdiff_t(keep + 1 + common);
    if (replaced > common)
        m_starts.erase(at, at + std::ptrdiff_t(replaced - common));
    else
        m_starts.insert(at, found.begin() + std::ptrdiff_t(common), found.end());
    m_stepFrom = keep + 1 + found.size();
    if (m_stepFrom >= m_starts.size())
        m_step = 0;
}
