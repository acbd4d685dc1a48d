// The script check in an editor view: it runs on a worker thread over a copy of the text
// half a second after typing stops, and marks what it found with squiggles (indicators, which
// neither colouring, undo nor the modified flag sees), tooltips and a status message. Both the
// copy and the marks are made a slice at a time between keystrokes, so that typing in a big
// script never waits for them.
#pragma once

#include "check/problemtable.h"

#include <QByteArray>
#include <QFutureWatcher>
#include <QObject>

#include <cstdint>
#include <memory>

class QTimer;
class QsciScintilla;
class TarnReference;
struct Settings;

class CheckMarks : public QObject {
    Q_OBJECT

public:
    // How long typing must pause before the text is checked again.
    static constexpr int kPauseMs = 500;
    // The most warnings marked: beyond some thousands they say little more, and each costs the
    // user-interface thread a little to mark.
    static constexpr std::size_t kMostMarks = 20000;
    // Bytes of the text copied, and marks set, in one turn of the event loop: a fraction of a
    // millisecond's work each, so a key that comes meanwhile hardly waits.
    static constexpr qint64 kCopySlice = 128 << 10;
    static constexpr std::size_t kMarksPerSlice = 1000;

    // settings: the store whose function table the checks read; each check takes a copy of the
    // table to its thread, so a change in Preferences never races a check under way.
    CheckMarks(QsciScintilla *view, const Settings &settings);
    ~CheckMarks() override;

    // The reference whose warnings the check adds; none: the table's warnings only.
    void SetReference(std::shared_ptr<const TarnReference> reference) { m_reference = std::move(reference); }

    // Off clears the marks and forgets any check under way; on checks at once.
    void SetEnabled(bool enabled);
    bool IsEnabled() const { return m_enabled; }
    // Checks the text now (a check under way is followed by another when it ends).
    void CheckNow();
    // True while a check runs, waits to run, or its marks are being set.
    bool IsPending() const;

    // The message of the mark at position, or "" when there is none. A lookup of Scintilla's
    // indicator runs: logarithmic in the number of marks.
    QString MessageAt(qint64 position) const;
    // The message of a mark the caret stands in or at the end of.
    QString MessageAtCaret() const;
    int MarkCount() const { return m_markCount; }
    // What the last check found, by line and column; none while checking is off. Shared, so a
    // list of the problems holds the table it shows for as long as it shows it.
    std::shared_ptr<const ProblemTable> Problems() const { return m_problems; }

signals:
    // The marks were replaced or cleared.
    void marksChanged();

private:
    // What a check hands back: the problems, and the bytes each marks.
    struct Found {
        std::shared_ptr<const ProblemTable> problems;
        std::vector<ProblemSpan> spans;
    };

    void OnModified(int position, int type);
    void StartCheck();
    void CopySome();
    void RunCheck();
    void OnCheckFinished();
    void Apply(Found found);
    void ApplySome();
    void ClearMarks();
    void ShowTip(int x, int y);
    int IndicatorFor(const ProblemTable::Row &problem, const ProblemSpan &span) const;
    int IndicatorValueAt(int indicator, qint64 position) const;
    void ClearIndicators(qint64 from, qint64 to);

    QsciScintilla *m_view;
    const Settings &m_settings;
    QTimer *m_pause;
    QTimer *m_copying;  // copies the text for the check a slice at a time
    QTimer *m_applying; // sets the marks a slice at a time, so typing never waits long
    QFutureWatcher<Found> m_watcher;
    int m_errorIndicator = -1;
    int m_longErrorIndicator = -1; // a straight line: a squiggle is drawn stroke by stroke, all its width
    int m_warningIndicator = -1;
    bool m_enabled = false;
    bool m_running = false;       // copying the text, or checking it
    bool m_again = false;         // another check is wanted when the running one ends
    std::uint64_t m_version = 0;  // counts the text's changes
    std::uint64_t m_checkedVersion = 0;
    QByteArray m_snapshot;        // the text being copied for the check
    qint64 m_copied = 0;          // bytes of it
    // An indicator's value is 1 + the index of its message in the table of its generation
    // (the value's top bit): while new marks replace old ones, both kinds show their messages.
    std::shared_ptr<const ProblemTable> m_tables[2];
    int m_generation = 0;         // of the newest marks
    std::shared_ptr<const ProblemTable> m_toMark; // while its marks are being set
    std::vector<ProblemSpan> m_spans;             // of m_toMark's problems
    std::shared_ptr<const ProblemTable> m_problems; // as the last check found them, for the problem list
    std::size_t m_marked = 0;     // of m_toMark
    qint64 m_clearedTo = 0;       // the old marks are gone before this position
    bool m_mixed = false;         // old marks are left after the new ones
    int m_markCount = 0;
    std::shared_ptr<const TarnReference> m_reference;
};
