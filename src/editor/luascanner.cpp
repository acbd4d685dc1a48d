// The Lua colouring scan. Text is classified 64 bytes at a time into bit masks: punctuation and
// plain bytes are styled at once, the scan stops only where a word, number, string or comment
// may start, finds the next such stop and a word's end by bit arithmetic, and looks words up by
// hash. The last bytes, and builds without SSE2, take the same path 16 bytes or one at a time.
#include "luascanner.h"

#include "editor/foldtracker.h"
#include "editor/luascanbytes.h"

#include <string>

namespace {

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
