#include "runpieces.h"

#include <algorithm>
#include <cstring>

namespace {

// Runs of one style longer than this are styled in alternating pieces: a word, or the blanks
// and signs between two words, at most kRunPiece bytes. Scintilla measures the text of a line
// piece by piece and keeps the widths of pieces shorter than 30 bytes for the next time it
// meets the same piece in the same style: a comment of megabytes is made of a few thousand
// different words, so its first layout measures each of them once instead of every 100 bytes
// of it afresh.
constexpr std::size_t kLongRun = 4096;
constexpr std::size_t kRunPiece = 24;

// Scintilla lays out the whole of a line to show any part of it, and of the runs it measures
// keeps only the widths of short ones, for the next time it meets the same run. On a line
// longer than this, every run of kCutRun bytes or more is cut into pieces as the long runs
// are: a string, a comment, or a name with the blanks around it seldom comes again on the
// line, while its words do all the time. Measuring a run afresh costs as much as laying out
// some thousand bytes.
constexpr std::size_t kLongLine = 64 << 10;
constexpr std::size_t kCutRun = 8;

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool IsWordByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || byte == '_' || (byte >= '0' && byte <= '9') || ((byte | 0x20) >= 'a' && (byte | 0x20) <= 'z');
}

// The end of the piece that starts at start: where a word begins or ends, or kRunPiece bytes
// on, never inside a character.
std::size_t PieceEnd(const char *text, std::size_t start, std::size_t end)
{
    const bool word = IsWordByte(text[start]);
    const std::size_t limit = std::min(end, start + kRunPiece);
    std::size_t next = start + 1;
    while (next < limit && IsWordByte(text[next]) == word)
        ++next;
    while (next < end && IsContinuationByte(text[next]))
        ++next;
    return next;
}

void AlternatePieces(const char *text, std::uint8_t *styles, std::size_t start, std::size_t end)
{
    bool twin = false;
    for (std::size_t piece = start; piece < end;) {
        const std::size_t next = PieceEnd(text, piece, end);
        if (twin)
            std::memset(styles + piece, styles[piece] | kTwinStyleBit, next - piece);
        twin = !twin;
        piece = next;
    }
}

void AlternateLongRuns(const char *text, std::uint8_t *styles, std::size_t size)
{
    // A run longer than kLongRun covers one of the probes kLongRun / 2 apart, so only the runs
    // around the probes are measured: a few bytes each, in text of ordinary tokens.
    constexpr std::size_t kProbeStep = kLongRun / 2;
    std::size_t done = 0; // runs before this are settled
    for (std::size_t probe = 0; probe < size;) {
        const std::uint8_t style = styles[probe];
        std::size_t start = probe, end = probe + 1;
        while (start > done && styles[start - 1] == style)
            --start;
        while (end < size && styles[end] == style)
            ++end;
        if (end - start > kLongRun)
            AlternatePieces(text, styles, start, end);
        done = end;
        probe = std::max(probe + kProbeStep, end);
    }
}

void AlternateAllRuns(const char *text, std::uint8_t *styles, std::size_t start, std::size_t end)
{
    for (std::size_t run = start; run < end;) {
        std::size_t next = run + 1;
        while (next < end && styles[next] == styles[run])
            ++next;
        // A run's first piece keeps its style, so a run of one piece (a name, a sign, a piece of
        // a run longer than kLongRun) stays as it is. Short runs (" = ", ", x") come again often
        // enough, and every piece more costs each paint of the line a little.
        if (next - run >= kCutRun)
            AlternatePieces(text, styles, run, next);
        run = next;
    }
}

void AlternateRunsOfLongLines(const char *text, std::uint8_t *styles, std::size_t size)
{
    for (std::size_t line = 0; line < size;) {
        // Every line that starts before the last line break in the next kLongLine bytes is short:
        // one search back from there passes them all.
        const std::size_t window = std::min(kLongLine, size - line);
        if (const auto *lastBreak = static_cast<const char *>(memrchr(text + line, '\n', window))) {
            line = std::size_t(lastBreak - text) + 1;
            continue;
        }
        const auto *lineEnd = static_cast<const char *>(std::memchr(text + line + window, '\n', size - line - window));
        const std::size_t next = lineEnd ? std::size_t(lineEnd - text) + 1 : size;
        if (next - line > kLongLine)
            AlternateAllRuns(text, styles, line, next);
        line = next;
    }
}

} // namespace

void CutRunsIntoPieces(const char *text, std::uint8_t *styles, std::size_t size)
{
    AlternateLongRuns(text, styles, size);
    AlternateRunsOfLongLines(text, styles, size);
}
