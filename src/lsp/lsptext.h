// The text of one document the language server holds: UTF-8 bytes in a gap buffer, with the
// start of every line kept as the text changes. A change costs the lines it touches and the
// distance from the previous change, never the whole text, so typing in a script of megabytes
// is as cheap as in one of a few lines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A place in the text as the protocol gives it: a line from 0, and a character counted in
// UTF-16 code units from the line's start.
struct LspPosition {
    int line = 0;
    int character = 0;

    bool operator==(const LspPosition &) const = default;
};

class LspText {
public:
    LspText() : LspText(std::string()) {}
    explicit LspText(std::string text);

    std::size_t Size() const { return m_buffer.size() - GapSize(); }
    int LineCount() const { return int(m_starts.size()); }
    // Byte offset of the line's first byte; line is clamped to the lines there are.
    std::size_t LineStart(int line) const;
    // The line's bytes without its line break.
    std::string Line(int line) const;
    std::string Text() const;
    char At(std::size_t offset) const { return m_buffer[offset < m_gapStart ? offset : offset + GapSize()]; }

    // The byte offset of a position. A line past the last is the end of the text, a character
    // past the line's end is the line's end, and a character inside a surrogate pair is the
    // start of its character. clamped is set when the position had to be moved.
    std::size_t OffsetOf(LspPosition position, bool *clamped = nullptr) const;
    LspPosition PositionOf(std::size_t offset) const;
    int LineOf(std::size_t offset) const;

    // Replaces the bytes [from, to) with text; both are clamped to the text.
    void Replace(std::size_t from, std::size_t to, std::string_view text);

private:
    std::size_t GapSize() const { return m_gapEnd - m_gapStart; }
    void MoveGapTo(std::size_t offset);
    void MakeRoom(std::size_t bytes);
    // Line starts are kept with one pending shift: entries from index m_stepFrom on are off by
    // m_step. Moving the step point costs the lines between, which are few for nearby edits.
    std::size_t StartAt(std::size_t index) const
    {
        return index >= m_stepFrom ? m_starts[index] + std::size_t(m_step) : m_starts[index];
    }
    void MoveStepTo(std::size_t index);
    void AddShift(std::size_t fromIndex, std::ptrdiff_t delta);
    void ScanLineStarts(std::size_t from, std::size_t to, std::vector<std::size_t> &starts) const;

    std::string m_buffer; // the text with a gap of unused bytes at m_gapStart
    std::size_t m_gapStart = 0;
    std::size_t m_gapEnd = 0;
    std::vector<std::size_t> m_starts; // m_starts[0] is 0; one entry per line
    std::size_t m_stepFrom = 0;
    std::ptrdiff_t m_step = 0;
};

// The length of the UTF-8 sequence at text[i]: 1 for ASCII, 2 to 4 for a valid character of
// more bytes, 0 for a byte that starts no valid sequence (overlong forms and surrogates included).
std::size_t Utf8SequenceAt(std::string_view text, std::size_t i);
// The UTF-16 length of the UTF-8 text's characters: 2 for a character beyond the basic plane,
// 1 for every other character and for every byte that starts no valid sequence.
int Utf16Length(std::string_view text);
// The byte index in line of the UTF-16 column character; clamped to the line's end, and to the
// start of a character whose surrogate pair it splits. clamped is set when either happened.
std::size_t Utf8IndexOf(std::string_view line, int character, bool *clamped = nullptr);
