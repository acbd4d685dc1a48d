// A script as a stand-alone HTML page coloured with the current styles.
#pragma once

#include "app/settings.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class HtmlTextWriter;

// One <pre> in the <body>, a <span class="..."> per run of one token kind (comment, function,
// keyword, number, punctuation, string), plain text unwrapped, HTML-escaped. Each byte that is
// not part of well-formed UTF-8 becomes one U+FFFD, as do NUL and other control characters but
// tab and line breaks; CR LF and lone CR become LF. With syntax highlighting off the whole
// script is plain.
//
// The page is handed to the sink as it is made, in pieces of a few hundred kilobytes, from
// pieces of the script of any size. Whole lines are coloured at once; of a line that goes on
// past the piece, everything up to a point where the colouring cannot depend on what follows
// (a blank or a bracket between tokens, the start of a comment or string that runs on) is
// written at once, so the memory needed grows neither with the script nor with its longest line.
class HtmlPageWriter {
public:
    // Takes the next piece of the page; false stops the writing.
    using Sink = std::function<bool(const char *data, std::size_t size)>;

    // The settings are read while the page is written: they must outlive the writer.
    HtmlPageWriter(std::string_view title, const Settings &settings, Sink sink);
    HtmlPageWriter(std::string_view title, const Settings &&settings, Sink sink) = delete;
    ~HtmlPageWriter();

    // False once the sink refused a piece.
    bool Add(std::string_view script);
    bool Finish();

private:
    // What the written part of the unfinished line ends in: code, or a comment or string that
    // runs on into the bytes still to come.
    enum class LineState { Code, Comment, String };

    void Process(bool final);
    std::size_t ContinueToken(std::string_view text, bool final);
    std::size_t WriteLongLineStart(std::string_view line);
    std::size_t WriteUpToRunningToken(std::string_view line);
    void AddLines(std::string_view lines);
    void WriteRuns(std::string_view text, const std::uint8_t *styles);
    void WriteSpan(std::string_view text, std::uint8_t style);
    void FlushIfFull();
    void Flush();

    const Settings &m_settings;
    Sink m_sink;
    std::string m_out;
    std::unique_ptr<HtmlTextWriter> m_text;
    std::string m_pending;              // script bytes not yet written
    std::vector<std::uint8_t> m_styles; // one style per byte of the text being coloured
    LineState m_state = LineState::Code;
    char m_quote = 0;                   // the running string's quote
    std::size_t m_heldLine = 0;         // the unfinished line found without a point to cut at
    bool m_ok = true;
};

// The whole page at once.
std::string ExportHtml(std::string_view script, std::string_view title, const Settings &settings);
