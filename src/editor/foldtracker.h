// Fold levels followed along the colouring scan, so that one pass over the text gives both.
//
// The colouring scan hands over its tokens: strings and comments hide the brackets in them,
// words may open or close blocks, and the brackets and line breaks between tokens come as a
// mask per block of 64 bytes, or byte by byte at the text's end. Where Lua's grammar reads a
// line otherwise than the colouring's tokens do (a long string or comment, a quote escaped at
// a string's end), that line, and those after it up to the end of the long string or comment,
// are folded by ScanFoldLevels itself from the line's start.
#pragma once

#include "editor/foldlevels.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

class FoldTracker {
public:
    // text starts at a line start in state; levels receive one level word per line.
    FoldTracker(std::string_view text, FoldState &state, std::vector<std::uint32_t> &levels);

    static constexpr bool kActive = true;
    // Whether a byte may matter between tokens: a bracket, "[" or a line break.
    static bool IsEventByte(unsigned char c)
    {
        return c == '(' || c == ')' || c == '{' || c == '}' || c == '[' || c == '\n' || c == '\r';
    }

#if defined(__SSE2__)
    // The event bytes of the 64 bytes from p: bit i for byte p + i.
    static std::uint64_t BlockEvents(const unsigned char *p)
    {
        std::uint64_t events = 0;
        for (int lane = 0; lane < 64; lane += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + lane));
            auto is = [v](char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
            const __m128i brackets = _mm_or_si128(_mm_or_si128(is('('), is(')')), _mm_or_si128(is('{'), is('}')));
            const __m128i others = _mm_or_si128(is('['), _mm_or_si128(is('\n'), is('\r')));
            events |= std::uint64_t(unsigned(_mm_movemask_epi8(_mm_or_si128(brackets, others)))) << lane;
        }
        return events;
    }
#endif

    // The block of 64 bytes at start begins; bit i of events is set where byte start + i is an
    // event byte.
    void BeginBlock(std::size_t start, std::uint64_t events)
    {
        m_blockStart = start;
        m_events = events & AtOrAfter(m_resume);
    }
    // The block ends: its events not taken yet are taken.
    void EndBlock()
    {
        Flush(m_blockStart + 64);
        m_events = 0;
    }
    // Event bytes in [from, to), outside blocks.
    void Between(std::size_t from, std::size_t to)
    {
        for (std::size_t p = std::max(from, m_resume); p < to; p = std::max(p + 1, m_resume)) {
            if (IsEventByte(m_b[p]))
                Event(p);
        }
    }
    // A word the colouring found at [start, end).
    void Word(std::size_t start, std::size_t end)
    {
        const std::size_t size = end - start;
        if (size > 8 || ((kBlockWordSizes >> size) & 1) == 0 || !kBlockWordInitials[m_b[start]] || start < m_resume)
            return;
        if (start > 0 && IsWordByte(m_b[start - 1]))
            return; // glued to a number before it, the word is part of that number for Lua
        const int change = FoldBlockChange(m_b + start, size);
        if (change == 0)
            return;
        Flush(start);
        if (start < m_resume)
            return; // the line was folded again meanwhile
        m_depths.Step(change);
    }
    // A string or comment the colouring found at [start, end): the brackets in it do not count.
    void Quoted(std::size_t start, std::size_t end, bool comment)
    {
        if (start < m_resume)
            return;
        if (comment ? OpensLongComment(start) : EscapedClose(start, end))
            Refold(start);
        else
            m_events &= ~Between64(start, end);
    }
    // The text ends.
    void Finish();

private:
    // Takes the block's events before p, in order. Always inline: it is the loop over most
    // events, and GCC otherwise leaves it out of the colouring's block loop.
    [[gnu::always_inline]] void Flush(std::size_t p)
    {
        while (m_events != 0) {
            const std::size_t at = m_blockStart + std::size_t(std::countr_zero(m_events));
            if (at >= p)
                return;
            m_events &= m_events - 1;
            // Brackets are most events, and whether one opens or closes is as random as the text.
            if (const int change = kBracketChange[m_b[at]]; change != 0) {
                m_depths.Step(change);
            } else if (m_b[at] == '\n') {
                m_depths.EndLine(m_levels);
                m_lineStart = at + 1;
            } else {
                Event(at);
            }
        }
    }

    void Event(std::size_t p);
    bool EscapedClose(std::size_t start, std::size_t end) const;
    bool OpensLongComment(std::size_t start) const;
    // Folds the line that holds p, and those after it while they are in a long string or
    // comment, with ScanFoldLevels; the scan here goes on after them.
    void Refold(std::size_t p);

    static constexpr auto kBracketChange = [] {
        std::array<std::int8_t, 256> table{};
        table['('] = table['{'] = 1;
        table[')'] = table['}'] = -1;
        return table;
    }();
    static constexpr auto kBlockWordInitials = [] {
        std::array<bool, 256> table{};
        for (const unsigned char c : {'i', 'd', 'e', 'u', 'r', 'f'})
            table[c] = true;
        return table;
    }();
    static constexpr std::uint64_t kBlockWordSizes = (1u << 2) | (1u << 3) | (1u << 5) | (1u << 6) | (1u << 8);
    static bool IsWordByte(unsigned char c)
    {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    }
    // The bits of the current block for offsets at or after p.
    std::uint64_t AtOrAfter(std::size_t p) const
    {
        if (p <= m_blockStart)
            return ~std::uint64_t(0);
        return p - m_blockStart >= 64 ? 0 : ~std::uint64_t(0) << (p - m_blockStart);
    }
    std::uint64_t Between64(std::size_t start, std::size_t end) const { return AtOrAfter(start) & ~AtOrAfter(end); }

    const unsigned char *m_b;
    std::size_t m_n;
    FoldState &m_result;
    std::vector<std::uint32_t> &m_levels;
    FoldDepths m_depths;
    std::size_t m_lineStart = 0; // where the current line starts
    std::size_t m_resume = 0;    // the text before this is folded already
    std::size_t m_blockStart = 0;
    std::uint64_t m_events = 0;
};
