// Byte-level steps of the Lua colouring scan: byte classes, 16-byte lane masks, and where a
// word, number, string or line ends. Kept in an unnamed namespace and included by the scanner
// alone, so that every step stays a local function the compiler inlines into the scan's loops.
#pragma once

#include "editor/luascanner.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

enum ByteClass : std::uint8_t { kOther, kDigit, kWordStart, kPunctuation, kQuote, kMinus };

constexpr bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
constexpr bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
constexpr bool IsWordChar(unsigned char c) { return IsLetter(c) || IsDigit(c) || c == '_'; }
constexpr bool IsPunctuation(unsigned char c)
{
    const bool graphic = (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) ||
                         (c >= 0x5B && c <= 0x60) || (c >= 0x7B && c <= 0x7E);
    return graphic && c != '"' && c != '\'' && c != '_';
}

constexpr ByteClass ClassOf(unsigned char c)
{
    if (IsDigit(c))
        return kDigit;
    if (IsLetter(c) || c == '_')
        return kWordStart;
    if (c == '"' || c == '\'')
        return kQuote;
    if (c == '-')
        return kMinus;
    if (IsPunctuation(c))
        return kPunctuation;
    return kOther; // blank, tab, CR, LF, controls, NUL and every byte from 0x80 on
}

// Where the scan stops: a word, number, string or comment may start here.
constexpr bool IsStop(unsigned char c)
{
    const ByteClass kind = ClassOf(c);
    return kind != kOther && kind != kPunctuation;
}

// A byte's style when no longer token covers it.
constexpr std::uint8_t SimpleStyle(unsigned char c)
{
    return IsPunctuation(c) ? StyleNumber(StyleKind::Punctuation) : kPlainStyle;
}

template <class T, class F>
constexpr std::array<T, 256> ByteTable(F f)
{
    std::array<T, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[std::size_t(c)] = f(static_cast<unsigned char>(c));
    return table;
}

constexpr auto kClassTable = ByteTable<ByteClass>(ClassOf);
constexpr auto kSimpleStyleTable = ByteTable<std::uint8_t>(SimpleStyle);
constexpr auto kStopTable = ByteTable<bool>(IsStop);
constexpr auto kWordCharTable = ByteTable<bool>(IsWordChar);

// Underscores from this index on are dropped from a word before the function lookup.
constexpr std::size_t kFirstDroppedUnderscore = 3;
// Room for reducing a word on the stack; only a table with a longer name needs the heap.
constexpr std::size_t kReducedWordBuffer = 256;

bool HasLateUnderscore(std::string_view word)
{
    return word.size() > kFirstDroppedUnderscore &&
           word.find('_', kFirstDroppedUnderscore) != std::string_view::npos;
}

// The word's size once the function lookup has dropped its underscores.
std::size_t ReducedSize(std::string_view word)
{
    std::size_t size = std::min(word.size(), kFirstDroppedUnderscore);
    for (std::size_t i = kFirstDroppedUnderscore; i < word.size(); ++i)
        size += word[i] != '_';
    return size;
}

#if defined(__SSE2__)
constexpr std::size_t kLanes = 16;

__m128i Load(const unsigned char *p) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)); }

// 0xFF in each lane of v whose byte lies in [low, high].
__m128i InRange(__m128i v, unsigned char low, unsigned char high)
{
    const __m128i shifted = _mm_sub_epi8(v, _mm_set1_epi8(char(low)));
    return _mm_cmpeq_epi8(_mm_min_epu8(shifted, _mm_set1_epi8(char(high - low))), shifted);
}

__m128i Equal(__m128i v, char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); }
__m128i Or(__m128i a, __m128i b) { return _mm_or_si128(a, b); }
unsigned Mask(__m128i lanes) { return unsigned(_mm_movemask_epi8(lanes)); }
__m128i Letters(__m128i v) { return InRange(Or(v, _mm_set1_epi8(0x20)), 'a', 'z'); }
__m128i Digits(__m128i v) { return InRange(v, '0', '9'); }

// Where a word, number, string or comment may start, and each byte's style when no such token
// covers it, for 16 bytes; the word bytes and underscores for measuring words.
struct LaneClasses {
    unsigned stops;
    __m128i simpleStyles;
    unsigned wordChars;
    unsigned underscores;
    unsigned digits;
};

// inline: without the hint GCC at -O2 makes this a call per 16 bytes of text.
inline LaneClasses ClassifyLanes(const unsigned char *p)
{
    const __m128i v = Load(p);
    const __m128i underscores = Equal(v, '_');
    const __m128i digits = Digits(v);
    const __m128i wordChars = Or(Or(Letters(v), digits), underscores);
    const __m128i notPunctuation = Or(wordChars, Or(Equal(v, '"'), Equal(v, '\'')));
    const __m128i punctuation = _mm_andnot_si128(notPunctuation, InRange(v, 0x21, 0x7E));
    const __m128i punctuationStyle = _mm_set1_epi8(char(StyleNumber(StyleKind::Punctuation)));
    return {Mask(Or(notPunctuation, Equal(v, '-'))), _mm_and_si128(punctuation, punctuationStyle),
            Mask(wordChars), Mask(underscores), Mask(digits)};
}

// A block of 64 bytes is classified at once; bit i of each mask stands for byte i.
constexpr std::size_t kBlock = 4 * kLanes;

struct BlockMasks {
    std::uint64_t stops;
    std::uint64_t wordChars;
    std::uint64_t underscores;
    std::uint64_t wordStarts; // letters and underscores
};

// The block's simple styles, and room for a 16-byte load from any offset in the block.
using SimpleStyles = std::array<std::uint8_t, kBlock + kLanes>;

// Also stores the block's simple styles, for the tokens in it to overwrite, and keeps a copy.
// Always inline, as the scan's other steps in the block loop (see TokenEnd).
[[gnu::always_inline]] inline BlockMasks ClassifyBlock(const unsigned char *b, std::size_t start, std::uint8_t *styles,
                                                       SimpleStyles &simple)
{
    BlockMasks masks{};
    _mm_storeu_si128(reinterpret_cast<__m128i *>(simple.data() + kBlock), _mm_setzero_si128());
    for (std::size_t lane = 0; lane < kBlock; lane += kLanes) {
        const LaneClasses lanes = ClassifyLanes(b + start + lane);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(styles + start + lane), lanes.simpleStyles);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(simple.data() + lane), lanes.simpleStyles);
        masks.stops |= std::uint64_t(lanes.stops) << lane;
        masks.wordChars |= std::uint64_t(lanes.wordChars) << lane;
        masks.underscores |= std::uint64_t(lanes.underscores) << lane;
        masks.wordStarts |= std::uint64_t(lanes.wordChars & ~lanes.digits) << lane;
    }
    return masks;
}
#endif

// Styles the bytes from p up to the next stop, each a punctuation token or plain, and returns
// the stop or n. Whole 16-byte stores may spill past the stop; the token there overwrites them.
std::size_t StyleUpToStop(const unsigned char *b, std::size_t p, std::size_t n, std::uint8_t *styles)
{
#if defined(__SSE2__)
    for (; p + kLanes <= n; p += kLanes) {
        const LaneClasses lanes = ClassifyLanes(b + p);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(styles + p), lanes.simpleStyles);
        if (lanes.stops != 0)
            return p + std::size_t(std::countr_zero(lanes.stops));
    }
#endif
    for (; p < n && !kStopTable[b[p]]; ++p)
        styles[p] = kSimpleStyleTable[b[p]];
    return p;
}

// Bytes that a word's key is loaded from at once, where the text has them.
constexpr std::size_t kKeyLoad = 16;

struct WordSpan {
    std::size_t end;
    std::size_t reducedSize; // the size less the underscores the function lookup drops
    bool loadable;           // 16 bytes from the word's start may be loaded, for its key
};

#if defined(__SSE2__)
// std::popcount compiles to a library call without -mpopcnt, which baseline x86-64 lacks.
std::size_t CountBits(std::uint64_t x)
{
    x = x - ((x >> 1) & 0x5555555555555555ull);
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return std::size_t((x * 0x0101010101010101ull) >> 56);
}

// The mask of the late underscores of a word of size bytes: those the function lookup drops.
std::uint64_t LateLanes(std::size_t size)
{
    return ((std::uint64_t(1) << size) - 1) & ~((std::uint64_t(1) << kFirstDroppedUnderscore) - 1);
}

// The key of a word of size bytes whose first bytes are in v, by masking instead of copying.
NameIndex::Key KeyOfLanes(__m128i v, std::size_t size)
{
    static constexpr std::array<unsigned char, 2 * kLanes> kKeepFirst = {
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    static_assert(NameIndex::kKeyBytes == kLanes);
    unsigned char bytes[kLanes];
    const std::size_t kept = std::min(size, kLanes);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(bytes),
                     _mm_and_si128(v, Load(kKeepFirst.data() + kLanes - kept)));
    NameIndex::Key key;
    std::memcpy(&key.low, bytes, 8);
    std::memcpy(&key.high, bytes + 8, 8);
    key.size = size;
    return key;
}
#endif

// Words are short and their lengths vary at random: a loop that stops at the first byte past
// the word mispredicts once per word, counting the leading ones of a lane mask does not.
WordSpan ScanWord(const unsigned char *b, std::size_t start, std::size_t n)
{
#if defined(__SSE2__)
    if (start + kLanes <= n) {
        const __m128i v = Load(b + start);
        const __m128i underscores = Equal(v, '_');
        const unsigned wordChars = Mask(Or(Or(Letters(v), Digits(v)), underscores));
        const auto length = std::size_t(std::countr_one(wordChars));
        if (length < kLanes) {
            const std::size_t dropped = CountBits(Mask(underscores) & LateLanes(length));
            return {start + length, length - dropped, true};
        }
    }
#endif
    std::size_t end = start + 1;
    while (end < n && kWordCharTable[b[end]])
        ++end;
    const std::string_view word(reinterpret_cast<const char *>(b + start), end - start);
    return {end, ReducedSize(word), start + kKeyLoad <= n};
}

// Most tokens are short: two 8-byte stores fill them and may spill past the token. Fills come
// in text order and the next one starts at the token's end, so no spill stays.
void FillStyle(std::uint8_t *styles, std::size_t start, std::size_t end, std::size_t size,
               std::uint8_t style)
{
    if (end - start <= 16 && start + 16 <= size) {
        const std::uint64_t pattern = 0x0101010101010101ull * style;
        std::memcpy(styles + start, &pattern, 8);
        std::memcpy(styles + start + 8, &pattern, 8);
    } else {
        std::memset(styles + start, style, end - start);
    }
}

// Offset of the first byte in [p, n) equal to x, y or z, or n.
std::size_t FindAnyOf(const unsigned char *b, std::size_t p, std::size_t n, char x, char y, char z)
{
#if defined(__SSE2__)
    auto hits = [&](std::size_t at) {
        const __m128i v = Load(b + at);
        return Mask(Or(Or(Equal(v, x), Equal(v, y)), Equal(v, z)));
    };
    // Comments are a good part of a script and often longer than 16 bytes: 32 bytes a step
    // halve the loop's steps and branches.
    for (; p + 2 * kLanes <= n; p += 2 * kLanes) {
        const std::uint64_t both = hits(p) | (std::uint64_t(hits(p + kLanes)) << kLanes);
        if (both != 0)
            return p + std::size_t(std::countr_zero(both));
    }
    for (; p + kLanes <= n; p += kLanes) {
        if (const unsigned found = hits(p); found != 0)
            return p + std::size_t(std::countr_zero(found));
    }
#endif
    for (; p < n; ++p) {
        const char c = char(b[p]);
        if (c == x || c == y || c == z)
            return p;
    }
    return n;
}

std::size_t DigitsEnd(const unsigned char *b, std::size_t p, std::size_t n)
{
    while (p < n && IsDigit(b[p]))
        ++p;
    return p;
}

// The decimal form a strtod-like conversion accepts: digits, optionally "." and digits ("1." is
// a number), optionally e/E/d/D, a sign and at least one digit.
std::size_t NumberEndScalar(const unsigned char *b, std::size_t p, std::size_t n)
{
    p = DigitsEnd(b, p, n);
    if (p < n && b[p] == '.')
        p = DigitsEnd(b, p + 1, n);
    if (p < n && (b[p] == 'e' || b[p] == 'E' || b[p] == 'd' || b[p] == 'D')) {
        std::size_t q = p + 1;
        if (q < n && (b[q] == '+' || b[q] == '-'))
            ++q;
        if (q < n && IsDigit(b[q]))
            p = DigitsEnd(b, q, n);
    }
    return p;
}

std::size_t NumberEnd(const unsigned char *b, std::size_t start, std::size_t n)
{
#if defined(__SSE2__)
    // Whether a number has a fraction or an exponent is as random as its length, so the parts
    // are added up from lane masks of one block rather than branched on.
    if (start + kLanes <= n) {
        const __m128i v = Load(b + start);
        const __m128i lower = Or(v, _mm_set1_epi8(0x20));
        const unsigned digits = Mask(Digits(v));
        const unsigned dots = Mask(Equal(v, '.'));
        const unsigned exponents = Mask(Or(Equal(lower, 'e'), Equal(lower, 'd')));
        const unsigned signs = Mask(Or(Equal(v, '+'), Equal(v, '-')));
        unsigned end = unsigned(std::countr_one(digits));
        end += (dots >> end) & 1;
        end += unsigned(std::countr_one(digits >> end));
        const unsigned hasExponent = (exponents >> end) & 1;
        unsigned afterSign = end + hasExponent;
        afterSign += hasExponent & (signs >> afterSign);
        const auto exponentDigits = unsigned(std::countr_one(digits >> afterSign));
        end = hasExponent && exponentDigits != 0 ? afterSign + exponentDigits : end;
        if (end < kLanes - 2) // else the number may go on past the block
            return start + end;
    }
#endif
    return NumberEndScalar(b, start, n);
}

// A string closes at the next byte equal to its opening quote; a line break ends it unclosed.
std::size_t StringEnd(const unsigned char *b, std::size_t p, std::size_t n)
{
    const std::size_t end = FindAnyOf(b, p + 1, n, char(b[p]), '\r', '\n');
    return end < n && b[end] == b[p] ? end + 1 : end;
}

std::size_t LineEnd(const unsigned char *b, std::size_t p, std::size_t n)
{
    return FindAnyOf(b, p, n, '\r', '\n', '\n');
}

} // namespace
