#include "lspmessagereader.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::string_view kLengthField = "Content-Length:";
// A header longer than this without its blank line is taken for lost framing.
constexpr std::size_t kMostHeaderBytes = 8192;

bool IsTokenCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
}

// "Name: value", or the start of one: token characters up to the colon.
bool LooksLikeField(std::string_view line)
{
    const std::size_t colon = line.find(':');
    const std::string_view name = line.substr(0, colon);
    if (colon == 0 || (colon == std::string_view::npos && line.empty()))
        return false;
    return std::all_of(name.begin(), name.end(), IsTokenCharacter);
}

bool SameLetters(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The decimal value, or false for anything else (a sign, a blank, more than 18 digits).
bool ParseLength(std::string_view text, std::size_t &length)
{
    if (text.empty() || text.size() > 18)
        return false;
    length = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        length = length * 10 + std::size_t(c - '0');
    }
    return true;
}

std::string Quoted(std::string_view text)
{
    std::string shown;
    for (char c : text.substr(0, 40))
        shown += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
    return '"' + shown + (text.size() > 40 ? "...\"" : "\"");
}

} // namespace

void LspMessageReader::Feed(std::string_view bytes, std::vector<LspFrame> &frames)
{
    m_buffer.append(bytes);
    bool progress = true;
    while (progress) {
        switch (m_state) {
        case State::Search:
            progress = Search();
            break;
        case State::Header:
            progress = ReadHeader(frames);
            break;
        case State::Body:
            progress = ReadBody(frames);
            break;
        }
    }
    m_buffer.erase(0, m_read);
    m_read = 0;
}

bool LspMessageReader::Search()
{
    const std::size_t found = std::string_view(m_buffer).find(kLengthField, m_read);
    if (found == std::string::npos) {
        // Keep what could be the start of the field, split between two reads.
        m_read = std::max(m_read, m_buffer.size() - std::min(m_buffer.size(), kLengthField.size() - 1));
        return false;
    }
    m_read = found;
    m_state = State::Header;
    return true;
}

void LspMessageReader::Resynchronise(std::size_t from, std::string error, std::vector<LspFrame> &frames)
{
    frames.push_back({LspFrame::Kind::BadHeader, {}, std::move(error)});
    m_read = std::min(from, m_buffer.size());
    m_state = State::Search;
}

bool LspMessageReader::ReadHeader(std::vector<LspFrame> &frames)
{
    // Only the most a header may take is looked at, so a flood of lines costs its length once.
    const std::string_view header = std::string_view(m_buffer).substr(m_read, kMostHeaderBytes + 4);
    const std::size_t end = header.find("\r\n\r\n");
    const std::string_view fields = header.substr(0, end == std::string_view::npos ? header.size() : end + 2);
    bool hasLength = false;
    std::size_t length = 0;
    for (std::size_t at = 0; at < fields.size();) {
        const std::size_t lineEnd = fields.find("\r\n", at);
        const std::string_view line =
            fields.substr(at, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - at);
        // The last line may still be arriving: it may be empty or hold the CR of its CR LF.
        const bool partial = lineEnd == std::string_view::npos;
        const std::string_view checked = partial && line.ends_with('\r') ? line.substr(0, line.size() - 1) : line;
        if (!LooksLikeField(checked) && !(partial && checked.empty())) {
            Resynchronise(m_read + 1,
                          "the header line " + Quoted(line) +
                              " is not \"Name: value\"; a header must end with a blank line before its content",
                          frames);
            return true;
        }
        if (lineEnd == std::string_view::npos)
            break;
        const std::size_t colon = line.find(':');
        if (SameLetters(line.substr(0, colon + 1), kLengthField)) {
            if (!ParseLength(Trimmed(line.substr(colon + 1)), length)) {
                Resynchronise(m_read + 1,
                              "Content-Length " + Quoted(Trimmed(line.substr(colon + 1))) + " is not a number of bytes",
                              frames);
                return true;
            }
            hasLength = true;
        }
        at = lineEnd + 2;
    }
    if (end == std::string_view::npos || end > kMostHeaderBytes) {
        if (end == std::string_view::npos && header.size() <= kMostHeaderBytes)
            return false; // the rest of the header is still to come
        // The next header is looked for past the refused block, not one byte on, which would
        // read the same lines again for each of them.
        Resynchronise(m_read + kMostHeaderBytes, "a header of over 8 KB without the blank line that ends it", frames);
        return true;
    }
    const std::size_t bodyStart = m_read + end + 4;
    if (!hasLength) {
        Resynchronise(bodyStart, "a header without Content-Length", frames);
        return true;
    }
    m_read = bodyStart;
    m_length = length;
    if (length > m_limit) {
        frames.push_back({LspFrame::Kind::TooLarge,
                          {},
                          "a message of " + std::to_string(length) + " bytes, over the limit of " +
                              std::to_string(m_limit >> 20) + " MB"});
        // The length may be a mistake of any size: rather than waiting for that many bytes,
        // the content is dropped up to the next header.
        m_state = State::Search;
    } else {
        m_state = State::Body;
        // A big message arrives in many reads: its room is made once, its header dropped, so
        // the body can be handed on without a copy when it is all there is.
        m_buffer.erase(0, m_read);
        m_read = 0;
        m_buffer.reserve(length);
    }
    return true;
}

bool LspMessageReader::ReadBody(std::vector<LspFrame> &frames)
{
    if (m_buffer.size() - m_read < m_length)
        return false;
    if (m_read == 0 && m_buffer.size() == m_length) {
        frames.push_back({LspFrame::Kind::Message, std::move(m_buffer), {}});
        m_buffer.clear();
    } else {
        frames.push_back({LspFrame::Kind::Message, m_buffer.substr(m_read, m_length), {}});
        m_read += m_length;
    }
    m_state = State::Header;
    return true;
}
