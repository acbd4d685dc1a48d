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
// pieces of the script of any size: only the script's unfinished last line is held back, so
// the memory needed does not grow with the script.
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
    void AddLines(std::string_view lines);
    void FlushIfFull();
    void Flush();

    const Settings &m_settings;
    Sink m_sink;
    std::string m_out;
    std::unique_ptr<HtmlTextWriter> m_text;
    std::string m_pending;              // the last line, until its line break comes
    std::vector<std::uint8_t> m_styles; // one style per byte of the lines being coloured
    bool m_ok = true;
};

// The whole page at once.
std::string ExportHtml(std::string_view script, std::string_view title, const Settings &settings);
