// The language server's input: the message reader must cut any byte stream into the same
// frames however the stream is split into reads, the document text must equal a plain string
// edited the same way after any run of incremental changes, and a long string decoded without
// Qt's parser must be what the parser makes of it.
#include "lsp/lsplongstring.h"
#include "lsp/lspmessagereader.h"
#include "lsp/lsptext.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// ---------------------------------------------------------------- the reader

std::vector<LspFrame> ReadInPieces(std::string_view input, std::string_view cuts, std::size_t limit)
{
    LspMessageReader reader(limit);
    std::vector<LspFrame> frames;
    std::size_t at = 0;
    for (std::size_t i = 0; at < input.size(); ++i) {
        const std::size_t piece =
            cuts.empty() ? input.size() : 1 + static_cast<unsigned char>(cuts[i % cuts.size()]) % 64;
        reader.Feed(input.substr(at, piece), frames);
        at += std::min(piece, input.size() - at);
    }
    return frames;
}

void FuzzReader(std::string_view data)
{
    // The first bytes choose where the reads end; the limit is small so big messages are met.
    const std::size_t cutBytes = data.empty() ? 0 : static_cast<unsigned char>(data[0]) % 16;
    data.remove_prefix(std::min<std::size_t>(1, data.size()));
    const std::string_view cuts = data.substr(0, std::min(cutBytes, data.size()));
    data.remove_prefix(cuts.size());
    const std::vector<LspFrame> whole = ReadInPieces(data, {}, 200);
    const std::vector<LspFrame> pieces = ReadInPieces(data, cuts.empty() ? std::string_view("\1") : cuts, 200);
    Check(whole.size() == pieces.size());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        Check(whole[i].kind == pieces[i].kind && whole[i].body == pieces[i].body);
        Check(whole[i].body.size() <= 200);
    }
}

// ---------------------------------------------------------------- the text

// The plain way: positions found by walking the whole string from its start.
std::size_t ReferenceOffset(const std::string &text, int line, int character)
{
    std::size_t at = 0;
    for (int l = 0; l < line; ++l) {
        while (at < text.size() && text[at] != '\n' && text[at] != '\r')
            ++at;
        if (at == text.size())
            return at;
        at += text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
    }
    int units = 0;
    while (at < text.size() && text[at] != '\n' && text[at] != '\r' && units < character) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        const int width = length == 4 ? 2 : 1;
        if (units + width > character)
            break;
        units += width;
        at += length;
    }
    return at;
}

struct Reader {
    std::string_view data;
    int Small()
    {
        if (data.empty())
            return 0;
        const int value = static_cast<unsigned char>(data[0]) % 8;
        data.remove_prefix(1);
        return value;
    }
    // Inserted text, made valid UTF-8 as text from the client always is.
    std::string Text()
    {
        const std::size_t length = std::min<std::size_t>(Small(), data.size());
        const std::string text = QString::fromUtf8(data.data(), qsizetype(length)).toStdString();
        data.remove_prefix(length);
        return text;
    }
};

void FuzzText(std::string_view data)
{
    Reader read{data};
    std::string expected = read.Text() + "\n" + read.Text();
    LspText text(expected);
    while (!read.data.empty()) {
        int line = read.Small(), character = read.Small(), endLine = read.Small(), endCharacter = read.Small();
        std::size_t from = text.OffsetOf({line, character});
        std::size_t to = text.OffsetOf({endLine, endCharacter});
        Check(from == ReferenceOffset(expected, line, character));
        Check(to == ReferenceOffset(expected, endLine, endCharacter));
        if (to < from)
            std::swap(from, to);
        const std::string inserted = read.Text();
        text.Replace(from, to, inserted);
        expected.replace(from, to - from, inserted);
        Check(text.Size() == expected.size() && text.Text() == expected);
        for (int l = 0; l < text.LineCount(); ++l)
            Check(text.LineStart(l) == ReferenceOffset(expected, l, 0));
        Check(text.LineStart(text.LineCount()) == text.LineStart(text.LineCount() - 1));
    }
}

// ---------------------------------------------------------------- long strings

void FuzzLongString(std::string_view data)
{
    std::string text;
    if (!LspLongString::Decode(data, text))
        return;
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray("{\"a\":\"") + QByteArray(data.data(), qsizetype(data.size())) + "\"}", &error);
    Check(error.error == QJsonParseError::NoError);
    Check(document.object().value("a").toString().toStdString() == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view data(reinterpret_cast<const char *>(bytes) + 1, size - 1);
    switch (bytes[0] % 3) {
    case 0:
        FuzzText(data);
        break;
    case 1:
        FuzzReader(data);
        break;
    default:
        FuzzLongString(data);
        break;
    }
    return 0;
}
