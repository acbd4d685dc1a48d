// Marks every use of the name under the caret once the caret rests there a moment, as other
// editors do. The uses come from the view's last script model, carried to the text as it is
// now; only those on the lines in sight (and some around them) are marked, so resting the caret
// costs the same in a script of any size, and scrolling marks the lines that come into sight.
#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <vector>

class CScribaView;
class CViewModel;
class NameQueries;
class QTimer;
struct ScriptSnapshot;

class CDocumentHighlight : public QObject {
    Q_OBJECT

public:
    using QueriesFor = std::function<NameQueries(const ScriptSnapshot &)>;
    // How long the caret must rest before the uses are marked.
    static constexpr int kRestMs = 250;
    // Lines marked beyond those in sight, above and below.
    static constexpr qint64 kMarginLines = 200;

    CDocumentHighlight(CScribaView &view, CViewModel &model, QueriesFor queries);

    // Marks the uses of the name at the caret now.
    void Update();
    // The marked ranges, as [start, end) pairs in text order.
    std::vector<std::pair<qint64, qint64>> Marked() const { return m_marked; }
    int Indicator() const { return m_indicator; }

signals:
    void marked();

private:
    void Clear();
    void MarkInSight();

    CScribaView &m_view;
    CViewModel &m_model;
    QueriesFor m_queries;
    QTimer *m_rest;
    int m_indicator = -1;
    // The uses of the symbol at the caret, in the text as it is now.
    std::vector<std::pair<qint64, qint64>> m_uses;
    std::vector<std::pair<qint64, qint64>> m_marked;
    qint64 m_caret = -1;
    qint64 m_firstLine = -1; // the first line in sight when the marks were set
    bool m_moved = false;    // the text changed since the marks were set
};
