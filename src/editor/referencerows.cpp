#include "referencerows.h"

#include "editor/viewmodel.h"
#include "model/namequeries.h"

namespace {

QString Utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

ReferenceRows::ReferenceRows(std::shared_ptr<const ScriptSnapshot> snapshot, std::vector<NameOccurrence> occurrences,
                             Source source)
    : m_snapshot(std::move(snapshot)), m_source(std::move(source))
{
    // Lines counted as the editor counts them (CR, LF or CR LF each end one), from one use to
    // the next: one pass over the stretch the uses span.
    const std::string_view text = m_snapshot->Text();
    m_places.reserve(occurrences.size());
    std::size_t at = 0;
    std::size_t lineStart = 0;
    int line = 1;
    for (const NameOccurrence &occurrence : occurrences) {
        for (; at < occurrence.start; ++at) {
            const char c = text[at];
            if (c == '\n' || (c == '\r' && (at + 1 >= text.size() || text[at + 1] != '\n'))) {
                ++line;
                lineStart = at + 1;
            }
        }
        m_places.push_back({occurrence.start, occurrence.end, lineStart, line});
    }
}

ReferenceRows::~ReferenceRows() = default;

int ReferenceRows::Count() const
{
    return int(m_places.size()) + 1;
}

ResultEntry ReferenceRows::Entry(int row) const
{
    ResultEntry entry;
    if (row >= int(m_places.size())) {
        entry.text = m_source.summary;
        entry.kind = ResultKind::Note;
        return entry;
    }
    const Place &place = m_places[std::size_t(row)];
    const std::string_view text = m_snapshot->Text();
    std::size_t lineEnd = text.find_first_of("\r\n", place.end);
    if (lineEnd == std::string_view::npos)
        lineEnd = text.size();
    const QString beforeName = Utf8(text.substr(place.lineStart, place.start - place.lineStart));
    const QString name = Utf8(text.substr(place.start, place.end - place.start));
    const QString afterName = Utf8(text.substr(place.end, lineEnd - place.end));
    entry.document = m_source.document;
    entry.path = m_source.path;
    entry.line = place.line;
    entry.column = int(beforeName.size()) + 1;
    const QString before = QStringLiteral("%1:%2: ").arg(m_source.shownName).arg(place.line) + ResultModel::LineText(beforeName);
    entry.text = before + name + ResultModel::LineText(afterName);
    entry.boldStart = int(before.size());
    entry.boldLength = int(name.size());
    entry.message = beforeName + name + afterName;
    return entry;
}
