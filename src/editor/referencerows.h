// The uses Find References lists, as rows of the Search tab made when the list shows them:
// "script.lua:12: the line with the name in bold", and a last row that sums them up. They read
// the text the uses were found in, so ten thousand of them cost nothing until they are seen.
#pragma once

#include "panes/resultmodel.h"

#include <memory>
#include <vector>

struct NameOccurrence;
struct ScriptSnapshot;

class ReferenceRows : public ResultRows {
public:
    struct Source {
        QPointer<QObject> document;
        QString path;
        QString shownName; // the file's name as each row starts
        QString summary;   // the last row
    };

    ReferenceRows(std::shared_ptr<const ScriptSnapshot> snapshot, std::vector<NameOccurrence> occurrences, Source source);
    ~ReferenceRows() override;

    int Count() const override;
    ResultEntry Entry(int row) const override;

private:
    struct Place {
        std::size_t start;
        std::size_t end;
        std::size_t lineStart;
        int line; // from 1
    };

    std::shared_ptr<const ScriptSnapshot> m_snapshot;
    std::vector<Place> m_places;
    Source m_source;
};
