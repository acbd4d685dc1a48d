// Cuts the language server's input into messages: header lines ending in CR LF, a blank line,
// then as many bytes of JSON as "Content-Length" says. Whatever arrives, the reader never
// stops: a broken header is reported and the stream is searched for the next one, and so is a
// message over the size limit, whose content is dropped without being kept.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct LspFrame {
    enum class Kind {
        Message,   // body holds one message's bytes
        BadHeader, // error says what was wrong; the reader has moved on to the next header
        TooLarge,  // a message over the limit, dropped up to the next header
    };
    Kind kind = Kind::Message;
    std::string body;
    std::string error;
};

class LspMessageReader {
public:
    static constexpr std::size_t kDefaultLimit = std::size_t(64) << 20;
    explicit LspMessageReader(std::size_t limit = kDefaultLimit) : m_limit(limit) {}

    // Takes the next bytes of the stream and appends each frame they complete to frames.
    void Feed(std::string_view bytes, std::vector<LspFrame> &frames);
    // Bytes held for a message that has not arrived in full; none while looking for a header.
    std::size_t Pending() const { return m_state == State::Search ? 0 : m_buffer.size() - m_read; }

private:
    enum class State {
        Header, // reading header lines
        Search, // looking for the next "Content-Length:" after a broken or refused header
        Body,   // waiting for m_length bytes of content
    };
    bool Search();
    bool ReadHeader(std::vector<LspFrame> &frames);
    bool ReadBody(std::vector<LspFrame> &frames);
    void Resynchronise(std::size_t from, std::string error, std::vector<LspFrame> &frames);

    std::size_t m_limit;
    std::string m_buffer; // bytes received and not yet cut into frames, from m_read on
    std::size_t m_read = 0;
    State m_state = State::Header;
    std::size_t m_length = 0; // of the body being read
};
