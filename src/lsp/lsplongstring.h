// A document's text in a message can be megabytes of JSON string. Qt's JSON parser builds a
// string with escapes (every line break is one) a character at a time, which costs more than
// checking the script; the longest string of a big message is therefore decoded here, straight
// to UTF-8, and the parser reads the message with a short stand-in in its place.
#pragma once

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

class LspLongString {
public:
    // Strings shorter than minimum are left to the parser.
    explicit LspLongString(std::size_t minimum = std::size_t(1) << 16);

    // Takes the longest string out of body and puts the stand-in there; false, with body
    // untouched, when there is none as long as the minimum or it holds anything the decoder
    // leaves to the parser (invalid UTF-8, a lone surrogate).
    bool Take(std::string &body);
    // The taken text when value is the stand-in, moved out; false otherwise.
    bool Claim(const QString &value, std::string &text);
    // value's UTF-8, or a copy of the taken text when value is the stand-in: for a string
    // such as a document's name, which may be the longest of a message with a short text.
    std::string Resolved(const QString &value) const;

    // The UTF-8 text of a JSON string's content (between its quotes); false where the parser
    // must decide.
    static bool Decode(std::string_view quoted, std::string &text);

private:
    std::size_t m_minimum;
    QString m_standIn; // a string no client can guess, without its quotes
    std::string m_taken;
    bool m_held = false;
};
