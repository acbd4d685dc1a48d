#include "foldlevels.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// A long bracket with more "=" than this is taken as having this many: none is that long in a
// real script, and the count must fit its bits of the level word.
constexpr int kMaxLongBracket = 254;

enum ByteKind : std::uint8_t { kPlain, kWord, kDigit, kQuote, kMinus, kSquare, kOpen, kClose, kLf, kCr };

constexpr bool IsWordByte(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

constexpr ByteKind KindOf(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return kDigit;
    if (IsWordByte(c))
        return kWord;
    switch (c) {
    case '"':
    case '\'':
        return kQuote;
    case '-':
        return kMinus;
    case '[':
        return kSquare;
    case '(':
    case '{':
        return kOpen;
    case ')':
    case '}':
        return kClose;
    case '\n':
        return kLf;
    case '\r':
        return kCr;
    default:
        return kPlain;
    }
}

constexpr auto kKinds = [] {
    std::array<ByteKind, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[std::size_t(c)] = KindOf(static_cast<unsigned char>(c));
    return table;
}();

constexpr auto kWordBytes = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[std::size_t(c)] = IsWordByte(static_cast<unsigned char>(c));
    return table;
}();

// Bytes where the scan has something to do: a quote, "-", a bracket or a line break, or a
// word that starts with the first letter of a block keyword. All others are passed over.
constexpr bool IsKeywordInitial(unsigned char c)
{
    return c == 'f' || c == 'i' || c == 'd' || c == 'r' || c == 'e' || c == 'u';
}

constexpr bool IsSpecial(unsigned char c)
{
    const ByteKind kind = KindOf(c);
    return kind != kPlain && kind != kWord && kind != kDigit;
}

constexpr auto kSpecials = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[std::size_t(c)] = IsSpecial(static_cast<unsigned char>(c));
    return table;
}();

#if defined(__SSE2__)
constexpr std::size_t kLanes = 16;

__m128i Equal(__m128i v, char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); }
__m128i Or(__m128i a, __m128i b) { return _mm_or_si128(a, b); }

// 0xFF in each lane of v whose byte lies in [low, high].
__m128i InRange(__m128i v, unsigned char low, unsigned char high)
{
    const __m128i shifted = _mm_sub_epi8(v, _mm_set1_epi8(char(low)));
    return _mm_cmpeq_epi8(_mm_min_epu8(shifted, _mm_set1_epi8(char(high - low))), shifted);
}

// The lanes of v whose byte and the next one (the same lane of next) start a block keyword:
// "if", "do", "en(d)", "un(til)", "re(peat)" or "fu(nction)".
__m128i KeywordStarts(__m128i v, __m128i next)
{
    auto pair = [&](char first, char second) { return _mm_and_si128(Equal(v, first), Equal(next, second)); };
    return Or(Or(Or(pair('i', 'f'), pair('d', 'o')), Or(pair('e', 'n'), pair('u', 'n'))), Or(pair('r', 'e'), pair('f', 'u')));
}

// The lanes of 16 bytes where the scan stops, given whether the byte before them is a word
// byte; also whether their last byte is one. With pairs (the byte after the 16 may be read),
// a word stops the scan only where its first two letters start a block keyword.
template <bool pairs = false>
unsigned StopLanes(const unsigned char *p, bool afterWordByte, bool &endsInWord)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    const __m128i special = Or(Or(Or(Equal(v, '"'), Equal(v, '\'')), Or(Equal(v, '-'), Equal(v, '\n'))),
                               Or(Or(InRange(v, '(', ')'), Equal(v, '\r')),
                                  Or(Or(Equal(v, '['), Equal(v, ']')), Or(Equal(v, '{'), Equal(v, '}')))));
    __m128i initials;
    if constexpr (pairs)
        initials = KeywordStarts(v, _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 1)));
    else
        initials = Or(Or(Equal(v, 'f'), Equal(v, 'i')), Or(Or(Equal(v, 'd'), Equal(v, 'r')), Or(Equal(v, 'e'), Equal(v, 'u'))));
    const __m128i letters = InRange(Or(v, _mm_set1_epi8(0x20)), 'a', 'z');
    const __m128i wordBytes = Or(Or(letters, InRange(v, '0', '9')), Equal(v, '_'));
    const auto words = unsigned(_mm_movemask_epi8(wordBytes));
    endsInWord = (words >> (kLanes - 1)) != 0;
    const unsigned afterWord = (words << 1) | (afterWordByte ? 1u : 0u);
    return unsigned(_mm_movemask_epi8(special)) | (unsigned(_mm_movemask_epi8(initials)) & ~afterWord);
}

// Stops are looked for 64 bytes at a time, the byte after them included in the text: bit i
// of the mask stands for byte i.
constexpr std::size_t kBlock = 4 * kLanes;

std::uint64_t BlockStops(const unsigned char *p, bool afterWordByte)
{
    std::uint64_t stops = 0;
    for (std::size_t lane = 0; lane < kBlock; lane += kLanes)
        stops |= std::uint64_t(StopLanes<true>(p + lane, afterWordByte, afterWordByte)) << lane;
    return stops;
}
#endif

class FoldScanner {
public:
    FoldScanner(std::string_view text, FoldState &state, std::vector<std::uint32_t> &levels)
        : m_b(reinterpret_cast<const unsigned char *>(text.data())), m_n(text.size()), m_result(state),
          m_levels(levels), m_depths(state), m_state(m_depths.State())
    {
    }

    void Run()
    {
        while (m_p < m_n) {
            if (m_state.longBracket >= 0) {
                SkipLongBracketBody();
                continue;
            }
#if defined(__SSE2__)
            if (m_p + kBlock < m_n) {
                ScanBlock();
                continue;
            }
#endif
            SkipToStop();
            if (m_p < m_n)
                Token();
        }
        if (m_lineHasBytes)
            EndLine();
        m_result = m_state;
    }

private:
    void Token()
    {
        const unsigned char c = m_b[m_p];
        switch (kKinds[c]) {
        case kPlain:
            ++m_p;
            break;
        case kWord: {
            const std::size_t start = m_p;
            SkipWordBytes();
            const int change = FoldBlockChange(m_b + start, m_p - start);
            if (change > 0)
                Open();
            else if (change < 0)
                Close();
            break;
        }
        case kDigit:
            SkipWordBytes(); // a number and whatever letters stick to it
            break;
        case kQuote:
            SkipShortString();
            break;
        case kMinus:
            if (m_p + 1 < m_n && m_b[m_p + 1] == '-') {
                m_p += 2;
                if (!OpenLongBracket())
                    SkipToLineEnd();
            } else {
                ++m_p;
            }
            break;
        case kSquare:
            if (!OpenLongBracket())
                ++m_p;
            break;
        case kOpen:
            ++m_p;
            Open();
            break;
        case kClose:
            ++m_p;
            Close();
            break;
        case kLf:
            ++m_p;
            EndLine();
            return;
        case kCr:
            ++m_p;
            if (m_p < m_n && m_b[m_p] == '\n')
                ++m_p;
            EndLine();
            return;
        }
        m_lineHasBytes = true;
    }

#if defined(__SSE2__)
    // The tokens at the stops of the 64 bytes from m_p, up to the block's end or the end of a
    // token that runs past it (or into a long string or comment).
    void ScanBlock()
    {
        const std::size_t block = m_p;
        std::uint64_t stops = BlockStops(m_b + block, block > 0 && kWordBytes[m_b[block - 1]]);
        while (stops != 0) {
            const std::size_t at = block + std::size_t(std::countr_zero(stops));
            if (at > m_p)
                m_lineHasBytes = true;
            m_p = at;
            BlockToken();
            if (m_p >= block + kBlock || m_state.longBracket >= 0)
                return;
            stops &= ~std::uint64_t(0) << (m_p - block);
        }
        if (m_p < block + kBlock) {
            m_p = block + kBlock;
            m_lineHasBytes = true;
        }
    }

    // Token, with the commonest stops (brackets and LF) taken here, not through its switch.
    void BlockToken()
    {
        switch (m_b[m_p]) {
        case '(':
        case '{':
            ++m_p;
            Open();
            m_lineHasBytes = true;
            return;
        case ')':
        case '}':
            ++m_p;
            Close();
            m_lineHasBytes = true;
            return;
        case '\n':
            ++m_p;
            EndLine();
            return;
        default:
            Token();
        }
    }
#endif

    // On to the next byte where the scan has something to do.
    void SkipToStop()
    {
        const std::size_t start = m_p;
        m_p = FindStop(m_p);
        if (m_p > start)
            m_lineHasBytes = true;
    }

    std::size_t FindStop(std::size_t p) const
    {
        bool afterWordByte = p > 0 && kWordBytes[m_b[p - 1]];
#if defined(__SSE2__)
        for (; p + kLanes <= m_n; p += kLanes) {
            bool endsInWord = false;
            if (const unsigned stops = StopLanes(m_b + p, afterWordByte, endsInWord))
                return p + std::size_t(std::countr_zero(stops));
            afterWordByte = endsInWord;
        }
#endif
        for (; p < m_n; ++p) {
            const unsigned char c = m_b[p];
            if (kSpecials[c] || (IsKeywordInitial(c) && !afterWordByte))
                return p;
            afterWordByte = kWordBytes[c];
        }
        return p;
    }

    void SkipWordBytes()
    {
        while (m_p < m_n && kWordBytes[m_b[m_p]])
            ++m_p;
    }

    // A quoted string ends at its closing quote; a backslash escapes the byte after it. An
    // unclosed one ends with its line.
    void SkipShortString()
    {
        const unsigned char quote = m_b[m_p++];
        while (m_p < m_n) {
            const unsigned char c = m_b[m_p];
            if (c == '\r' || c == '\n')
                return;
            ++m_p;
            if (c == quote)
                return;
            if (c == '\\' && m_p < m_n && m_b[m_p] != '\r' && m_b[m_p] != '\n')
                ++m_p;
        }
    }

    void SkipToLineEnd()
    {
        const auto *from = m_b + m_p;
        const auto *lf = static_cast<const unsigned char *>(std::memchr(from, '\n', m_n - m_p));
        const std::size_t limit = lf ? std::size_t(lf - from) : m_n - m_p;
        const auto *cr = static_cast<const unsigned char *>(std::memchr(from, '\r', limit));
        m_p += cr ? std::size_t(cr - from) : limit;
    }

    // At "[", "[=", "[==" ... followed by "[": opens a long string or comment and steps past it.
    bool OpenLongBracket()
    {
        std::size_t end = 0;
        if (!IsLongBracketOpen(m_b, m_p, m_n, end))
            return false;
        m_state.longBracket = int(std::min<std::size_t>(end - m_p - 2, kMaxLongBracket));
        m_p = end;
        m_lineHasBytes = true;
        Open();
        return true;
    }

    // Inside a long string or comment: on to its closing bracket, ending the lines on the way.
    void SkipLongBracketBody()
    {
        while (m_p < m_n) {
            const unsigned char c = m_b[m_p];
            if (c == '\r' || c == '\n') {
                Token(); // the line break
                continue;
            }
            m_lineHasBytes = true;
            if (c == ']' && ClosesLongBracket()) {
                m_state.longBracket = -1;
                Close();
                return;
            }
            ++m_p;
        }
    }

    bool ClosesLongBracket()
    {
        std::size_t q = m_p + 1;
        while (q < m_n && m_b[q] == '=')
            ++q;
        const auto equals = std::min<std::size_t>(q - m_p - 1, kMaxLongBracket);
        if (q >= m_n || m_b[q] != ']' || int(equals) != m_state.longBracket)
            return false;
        m_p = q + 1;
        return true;
    }

    void Open() { m_depths.Open(); }
    void Close() { m_depths.Close(); }

    void EndLine()
    {
        m_depths.EndLine(m_levels);
        m_lineHasBytes = false;
    }

    const unsigned char *m_b;
    std::size_t m_n;
    std::size_t m_p = 0;
    FoldState &m_result;
    std::vector<std::uint32_t> &m_levels;
    FoldDepths m_depths;
    FoldState &m_state; // the depths' current state
    bool m_lineHasBytes = false;
};

} // namespace

int FoldBlockChange(const unsigned char *word, std::size_t size)
{
    auto is = [&](const char *keyword) { return std::memcmp(word, keyword, size) == 0; };
    switch (size) {
    case 2:
        return is("if") || is("do") ? 1 : 0;
    case 3:
        return is("end") ? -1 : 0;
    case 5:
        return is("until") ? -1 : 0;
    case 6:
        return is("repeat") ? 1 : 0;
    case 8:
        return is("function") ? 1 : 0;
    default:
        return 0;
    }
}

bool IsLongBracketOpen(const unsigned char *text, std::size_t p, std::size_t n, std::size_t &end)
{
    if (p >= n || text[p] != '[')
        return false;
    std::size_t q = p + 1;
    while (q < n && text[q] == '=')
        ++q;
    if (q >= n || text[q] != '[')
        return false;
    end = q + 1;
    return true;
}

FoldState FoldStateOf(std::uint32_t levelWord)
{
    const int shown = std::max(0, int(levelWord & kFoldLevelNumberMask) - int(kFoldLevelBase));
    const int drop = int((levelWord >> kDropShift) & 0x7F);
    const int longBracket = int((levelWord >> kLongBracketShift) & 0xFF) - 1;
    return {shown + drop, longBracket};
}

void ScanFoldLevels(std::string_view text, FoldState &state, std::vector<std::uint32_t> &levels)
{
    FoldScanner(text, state, levels).Run();
}
