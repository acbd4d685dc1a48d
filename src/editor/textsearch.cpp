#include "textsearch.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Lower case for the ASCII letters, every other byte unchanged: the locale's tables would fold
// bytes of multibyte characters into each other.
constexpr std::array<unsigned char, 256> MakeFoldTable()
{
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[std::size_t(c)] = (c >= 'A' && c <= 'Z') ? (unsigned char)(c - 'A' + 'a') : (unsigned char)c;
    return table;
}

constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

unsigned char Fold(unsigned char c)
{
    return kFold[c];
}

bool EqualFolded(const unsigned char *text, const unsigned char *folded, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i)
        if (Fold(text[i]) != folded[i])
            return false;
    return true;
}

const unsigned char *Bytes(std::string_view text)
{
    return reinterpret_cast<const unsigned char *>(text.data());
}

} // namespace

bool IsWordByte(unsigned char c)
{
    return c >= 0x80 || c == '_' || (c >= '0' && c <= '9') || (Fold(c) >= 'a' && Fold(c) <= 'z');
}

bool SameSearchText(std::string_view a, std::string_view b, bool matchCase)
{
    if (a.size() != b.size())
        return false;
    if (matchCase)
        return a == b;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Fold(Bytes(a)[i]) != Fold(Bytes(b)[i]))
            return false;
    return true;
}

TextSearch::TextSearch(std::string_view needle, SearchOptions options) : m_needle(needle), m_options(options)
{
    if (!m_options.matchCase)
        for (char &c : m_needle)
            c = char(Fold((unsigned char)c));
}

bool TextSearch::MatchesAt(const unsigned char *at) const
{
    return m_options.matchCase ? std::memcmp(at, m_needle.data(), m_needle.size()) == 0
                               : EqualFolded(at, Bytes(m_needle), m_needle.size());
}

std::size_t TextSearch::FindBytes(const unsigned char *text, std::size_t from, std::size_t to) const
{
    const std::size_t length = m_needle.size();
    std::size_t at = from;
#if defined(__SSE2__)
    // Sixteen windows at a time: a window is a candidate when its first and last bytes are the
    // needle's (letters in either case when case is ignored); only candidates are compared in full.
    const std::size_t last = length - 1;
    auto caseBit = [this](unsigned char c) { return char(!m_options.matchCase && c >= 'a' && c <= 'z' ? 0x20 : 0); };
    const unsigned char first = Bytes(m_needle)[0];
    const unsigned char lastByte = Bytes(m_needle)[last];
    const __m128i firstBytes = _mm_set1_epi8(char(first));
    const __m128i lastBytes = _mm_set1_epi8(char(lastByte));
    const __m128i firstCase = _mm_set1_epi8(caseBit(first));
    const __m128i lastCase = _mm_set1_epi8(caseBit(lastByte));
    for (; at + last + 16 <= to; at += 16) {
        const __m128i starts = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + at));
        const __m128i ends = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + at + last));
        const __m128i both = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(starts, firstCase), firstBytes),
                                           _mm_cmpeq_epi8(_mm_or_si128(ends, lastCase), lastBytes));
        for (unsigned bits = unsigned(_mm_movemask_epi8(both)); bits; bits &= bits - 1) {
            const std::size_t candidate = at + std::size_t(__builtin_ctz(bits));
            if (MatchesAt(text + candidate))
                return candidate;
        }
    }
#endif
    // The last windows, or all of them where the processor has no vector instructions we use.
    for (; at + length <= to; ++at)
        if (MatchesAt(text + at))
            return at;
    return npos;
}

bool TextSearch::StandsAlone(std::string_view text, std::size_t at) const
{
    const std::size_t end = at + m_needle.size();
    return (at == 0 || !IsWordByte(Bytes(text)[at - 1])) && (end >= text.size() || !IsWordByte(Bytes(text)[end]));
}

std::size_t TextSearch::Find(std::string_view text, std::size_t from, std::size_t to) const
{
    to = std::min(to, text.size());
    const std::size_t length = m_needle.size();
    while (length > 0 && from < to && to - from >= length) {
        const std::size_t at = FindBytes(Bytes(text), from, to);
        if (at == npos || !m_options.wholeWord || StandsAlone(text, at))
            return at;
        from = at + 1;
    }
    return npos;
}

std::vector<std::size_t> TextSearch::FindAll(std::string_view text, std::size_t from, std::size_t to) const
{
    std::vector<std::size_t> found;
    for (std::size_t at = Find(text, from, to); at != npos; at = Find(text, at + m_needle.size(), to))
        found.push_back(at);
    return found;
}

std::string BuildReplaced(std::string_view range, std::size_t base, const std::vector<std::size_t> &positions,
                          std::size_t length, std::string_view replacement)
{
    std::string result;
    const std::size_t count = positions.size();
    result.reserve(range.size() - count * length + count * replacement.size());
    std::size_t done = 0;
    for (std::size_t at : positions) {
        result.append(range.data() + done, at - base - done);
        result.append(replacement);
        done = at - base + length;
    }
    result.append(range.data() + done, range.size() - done);
    return result;
}
