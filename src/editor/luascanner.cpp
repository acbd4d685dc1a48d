// The Lua colouring scan. Text is classified 64 bytes at a time into bit masks: punctuation and
// plain bytes are styled at once, the scan stops only where a word, number, string or comment
// may start, finds the next such stop and a word's end by bit arithmetic, and looks words up by
// hash. The last bytes, and builds without SSE2, take the same path 16 bytes or one at a time.
#include "luascanner.h"

#include "editor/foldtracker.h"

#include <array>
#include <bit>
#include <cstring>
#include <string>

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

// A table's index and rows, fetched once per scan rather than once per word.
class NameLookup {
public:
    explicit NameLookup(const CScribaCObArray &table) : m_index(table.Index()), m_rows(table.Rows()) {}
    int Find(std::string_view name) const { return m_index.Find(m_rows, name); }
    // Find for a word whose key is made and whose MayHold test passed.
    int Probe(const NameIndex::Key &key, std::string_view name) const { return m_index.Probe(m_rows, key, name); }
    bool MayHold(std::uint8_t firstByte, std::size_t size) const { return m_index.MayHold(firstByte, size); }
    std::size_t LongestName() const { return m_index.LongestName(); }

private:
    const NameIndex &m_index;
    const std::vector<TableRow> &m_rows;
};

int ReducedFunctionRow(const NameLookup &functions, std::string_view word)
{
    const std::size_t reducedLength = ReducedSize(word);
    if (reducedLength > functions.LongestName())
        return -1;
    auto reduceInto = [word](char *out) {
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (i < kFirstDroppedUnderscore || word[i] != '_')
                *out++ = word[i];
        }
    };
    if (reducedLength > kReducedWordBuffer) {
        std::string reduced(reducedLength, '\0');
        reduceInto(reduced.data());
        return functions.Find(reduced);
    }
    char buffer[kReducedWordBuffer];
    reduceInto(buffer);
    return functions.Find(std::string_view(buffer, reducedLength));
}

int FunctionRow(const NameLookup &functions, std::string_view word, bool lateUnderscore)
{
    return lateUnderscore ? ReducedFunctionRow(functions, word) : functions.Find(word);
}

// Made only for words that pass the bit tests, most words being neither keyword nor function.
NameIndex::Key WordKey(std::string_view word, [[maybe_unused]] const WordSpan &span)
{
#if defined(__SSE2__)
    if (span.loadable)
        return KeyOfLanes(Load(reinterpret_cast<const unsigned char *>(word.data())), word.size());
#endif
    return NameIndex::KeyOf(word);
}

// The function test of a scanned word: most words with late underscores fail MayHold on their
// reduced size, so few are ever copied without their underscores.
int ScannedFunctionRow(const NameLookup &functions, std::string_view word, const WordSpan &span)
{
    if (span.reducedSize != word.size())
        return ReducedFunctionRow(functions, word);
    return functions.Probe(WordKey(word, span), word);
}

std::uint8_t WordStyleInBoth(std::string_view word, const WordSpan &span, const NameLookup &keywords,
                             const NameLookup &functions)
{
    if (keywords.Probe(WordKey(word, span), word) >= 0)
        return StyleNumber(StyleKind::Keyword);
    return ScannedFunctionRow(functions, word, span) >= 0 ? StyleNumber(StyleKind::Function) : kPlainStyle;
}

// Whether a word is plain, a keyword or a function is as random as the words of a script, and
// each branch on it is mispredicted often. The bit tests leave one such branch, plain or not;
// then the one table a word may be in is chosen and probed rather than each table in turn.
std::uint8_t NamedWordStyle(std::string_view word, const WordSpan &span, const NameLookup &keywords,
                            const NameLookup &functions, bool mayBeKeyword, bool mayBeFunction)
{
    // Rare: a word that may be in both tables, or must lose underscores for the function lookup.
    if ((mayBeKeyword && mayBeFunction) || span.reducedSize != word.size())
        return WordStyleInBoth(word, span, keywords, functions);
    const NameLookup &table = mayBeKeyword ? keywords : functions;
    const std::uint8_t found = mayBeKeyword ? StyleNumber(StyleKind::Keyword) : StyleNumber(StyleKind::Function);
    return table.Probe(WordKey(word, span), word) >= 0 ? found : kPlainStyle;
}

// The bit tests are inline, as they settle most words; the probing is not.
inline std::uint8_t WordStyle(std::string_view word, const WordSpan &span, const NameLookup &keywords,
                              const NameLookup &functions)
{
    const auto firstByte = std::uint8_t(word[0]);
    const bool mayBeKeyword = keywords.MayHold(firstByte, word.size());
    const bool mayBeFunction = functions.MayHold(firstByte, span.reducedSize);
    if (!(mayBeKeyword | mayBeFunction))
        return kPlainStyle;
    return NamedWordStyle(word, span, keywords, functions, mayBeKeyword, mayBeFunction);
}

bool Found(int index, int &row)
{
    if (index < 0)
        return false;
    row = index;
    return true;
}

// Ends the token that starts at the stop start and gives its style: plain for a word that is
// neither keyword nor function, punctuation for a lone "-".
// Always inline: without the hint GCC at -O2 leaves this, the scan's dispatch, out of the block
// loop, and with two kinds of scan (with and without fold levels) a plain inline is not enough.
[[gnu::always_inline]] inline std::size_t TokenEnd(const unsigned char *b, std::size_t start, std::size_t n,
                                                   const NameLookup &keywords, const NameLookup &functions,
                                                   std::uint8_t &style)
{
    switch (kClassTable[b[start]]) {
    case kWordStart: {
        const WordSpan word = ScanWord(b, start, n);
        const std::string_view text(reinterpret_cast<const char *>(b + start), word.end - start);
        style = WordStyle(text, word, keywords, functions);
        return word.end;
    }
    case kDigit:
        style = StyleNumber(StyleKind::Number);
        return NumberEnd(b, start, n);
    case kQuote:
        style = StyleNumber(StyleKind::String);
        return StringEnd(b, start, n);
    default: // kMinus, the last kind of stop
        if (start + 1 < n && b[start + 1] == '-') {
            style = StyleNumber(StyleKind::Comment);
            return LineEnd(b, start + 2, n);
        }
        style = StyleNumber(StyleKind::Punctuation);
        return start + 1;
    }
}

// The colouring's scan without fold levels.
struct NoFolds {
    static constexpr bool kActive = false;
    void EndBlock() {}
    void Between(std::size_t, std::size_t) {}
    void Finish() {}
};

// Tells the folding what kind of token the colouring found: a word of any style, a string or
// a comment (numbers and a lone "-" hide nothing from it and open no block).
template <class Folds>
[[gnu::always_inline]] inline void HandOver(Folds &folds, std::size_t start, std::size_t end, std::uint8_t style)
{
    if constexpr (Folds::kActive) {
        if (style == kPlainStyle || style == StyleNumber(StyleKind::Keyword) || style == StyleNumber(StyleKind::Function))
            folds.Word(start, end);
        else if (style == StyleNumber(StyleKind::String) || style == StyleNumber(StyleKind::Comment))
            folds.Quoted(start, end, style == StyleNumber(StyleKind::Comment));
    }
}

template <class Folds>
void ScanText(std::string_view text, const KeywordTable &keywords, const FunctionTable &functions,
              std::uint8_t *styles, Folds &folds);

#if defined(__SSE2__)
// The word at offset at of the block at start, measured on the block's masks rather than by
// another load and compare; false if the word may go on past the block.
[[gnu::always_inline]] inline bool BlockWord(std::size_t start, const BlockMasks &masks, std::size_t at, WordSpan &word)
{
    const auto size = std::size_t(std::countr_one(masks.wordChars >> at));
    if (at + size >= kBlock)
        return false;
    // Most words have no late underscore, and counting none costs as much as counting some.
    const std::uint64_t late = (masks.underscores >> at) & LateLanes(size);
    word = {start + at + size, size - (late == 0 ? 0 : CountBits(late)), true};
    return true;
}

[[gnu::always_inline]] inline std::size_t BlockTokenEnd(const unsigned char *b, std::size_t start,
                                                        const BlockMasks &masks, std::size_t p, std::size_t n,
                                                        const NameLookup &keywords, const NameLookup &functions,
                                                        std::uint8_t &style)
{
    // Testing the mask rather than the byte's class settles this branch sooner when mispredicted.
    WordSpan word;
    if (((masks.wordStarts >> (p - start)) & 1) != 0 && BlockWord(start, masks, p - start, word)) {
        const std::string_view text(reinterpret_cast<const char *>(b + p), word.end - p);
        style = WordStyle(text, word, keywords, functions);
        return word.end;
    }
    return TokenEnd(b, p, n, keywords, functions, style);
}

// Scans the tokens that start in the block at start and returns where the next block starts:
// the block's end, or the end of a token that runs past it. The next token's start comes from
// the block's stop mask, so it need not wait for a load and compare after every token.
// Needs start + kBlock + kLanes <= n.
template <class Folds>
std::size_t ScanBlock(const unsigned char *b, std::size_t start, std::size_t n, const NameLookup &keywords,
                      const NameLookup &functions, std::uint8_t *styles, Folds &folds)
{
    SimpleStyles simple;
    const BlockMasks masks = ClassifyBlock(b, start, styles, simple);
    if constexpr (Folds::kActive)
        folds.BeginBlock(start, FoldTracker::BlockEvents(b + start));
    std::uint64_t pending = masks.stops;
    while (pending != 0) {
        const std::size_t p = start + std::size_t(std::countr_zero(pending));
        std::uint8_t style = kPlainStyle;
        const std::size_t end = BlockTokenEnd(b, start, masks, p, n, keywords, functions, style);
        FillStyle(styles, p, end, n, style);
        HandOver(folds, p, end, style);
        if (end - start >= kBlock) {
            folds.EndBlock();
            return end;
        }
        // Puts back the simple styles that the fill may have spilled over. Past the block they
        // are zero, and the next block's styles replace them.
        _mm_storeu_si128(reinterpret_cast<__m128i *>(styles + end), Load(simple.data() + (end - start)));
        pending = masks.stops & (~std::uint64_t(0) << (end - start));
    }
    folds.EndBlock();
    return start + kBlock;
}
#endif

void AppendRuns(const std::uint8_t *styles, std::size_t size, std::vector<StyleRun> &runs)
{
    std::size_t start = 0;
    while (start < size) {
        std::size_t end = start + 1;
        while (end < size && styles[end] == styles[start])
            ++end;
        runs.push_back(StyleRun{start, end - start, styles[start]});
        start = end;
    }
}

} // namespace

bool FindKeyword(const KeywordTable &table, std::string_view word, int &row)
{
    return Found(NameLookup(table).Find(word), row);
}

bool FindFunction(const FunctionTable &table, std::string_view word, int &row)
{
    return Found(FunctionRow(NameLookup(table), word, HasLateUnderscore(word)), row);
}

void ScanLua(std::string_view text, const KeywordTable &keywords, const FunctionTable &functions,
             std::vector<StyleRun> &runs)
{
    std::vector<std::uint8_t> styles(text.size());
    ScanLuaStyles(text, keywords, functions, styles.data());
    AppendRuns(styles.data(), styles.size(), runs);
}

void ScanLuaStyles(std::string_view text, const KeywordTable &keywords,
                   const FunctionTable &functions, std::uint8_t *styles)
{
    NoFolds none;
    ScanText(text, keywords, functions, styles, none);
}

void ScanLuaStylesAndFolds(std::string_view text, const KeywordTable &keywords, const FunctionTable &functions,
                           std::uint8_t *styles, FoldState &state, std::vector<std::uint32_t> &levels)
{
    FoldTracker folds(text, state, levels);
    ScanText(text, keywords, functions, styles, folds);
}

namespace {

template <class Folds>
void ScanText(std::string_view text, const KeywordTable &keywords, const FunctionTable &functions,
              std::uint8_t *styles, Folds &folds)
{
    const NameLookup keywordLookup(keywords);
    const NameLookup functionLookup(functions);
    const auto *b = reinterpret_cast<const unsigned char *>(text.data());
    const std::size_t n = text.size();
    std::size_t p = 0;
#if defined(__SSE2__)
    while (p + kBlock + kLanes <= n)
        p = ScanBlock(b, p, n, keywordLookup, functionLookup, styles, folds);
#endif
    for (;;) {
        const std::size_t stop = StyleUpToStop(b, p, n, styles);
        folds.Between(p, stop);
        if (stop >= n)
            break;
        std::uint8_t style = kPlainStyle;
        const std::size_t end = TokenEnd(b, stop, n, keywordLookup, functionLookup, style);
        FillStyle(styles, stop, end, n, style);
        HandOver(folds, stop, end, style);
        p = end;
    }
    folds.Finish();
}

} // namespace
