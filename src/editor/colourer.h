// The colouring of one editing view's text. Each line is coloured on its own (no token crosses a
// line end), so any run of whole lines can be coloured by itself:
// - what Scintilla is about to paint is coloured first, when it asks for it;
// - a big text is coloured from the top, a slice at a time while the program is idle, skipping
//   what is coloured already, so a key never waits long and the whole pass costs about as much
//   as one colouring of the whole text;
// - the lines an edit touched are coloured by the view as soon as the edit is done.
// Styles are not text: they never enter the undo history or change the modified flag.
//
// Fold levels come in the same passes: each line's level depends on every line above it, so
// the lines are folded from the top on, along with the colours (where the folding has come as
// far as the colouring, one scan of the bytes gives both), and after an edit that changes
// what follows it (a typed "if x then") the rest is folded again in the idle time. Lines in
// view that the folding has nearly reached are folded at once when they are painted.
#pragma once

#include "editor/foldlevels.h"
#include "editor/runpieces.h"

#include <QObject>

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

class QsciScintillaBase;
class QTimer;
struct Settings;

class CColourer : public QObject {
public:
    // Scintilla walks the whole of a run of one style whenever it paints any part of it, so a
    // line that is one long comment would cost its whole length on every paint (the caret's
    // blink included). Long runs are therefore styled in pieces that alternate between a style
    // and its twin, kTwinStyle + style, which the view defines to look the same.
    static constexpr std::uint8_t kTwinStyle = kTwinStyleBit;
    static constexpr std::uint8_t Folded(std::uint8_t style) { return style & ~kTwinStyle; }

    // settings: the store whose switches, keywords and functions colour the text, read in place
    // for every piece, so a change in Preferences shows at the next colouring.
    CColourer(QsciScintillaBase *editor, const Settings &settings);

    // Colouring does nothing until enabled (the view's initial update).
    void SetEnabled(bool enabled);
    bool IsEnabled() const { return m_enabled; }
    // True while a colouring run is in progress.
    bool IsBusy() const { return m_busy; }

    // Colours the whole lines [first, last) now.
    void ColourRange(qint64 first, qint64 last);
    // Colours the whole text: at once when it is small, else the lines in view now and the rest
    // while idle.
    void RecolourAll();
    // Colours the whole lines [first, last) again, the same way: at once when they are few (an
    // edit), else as a whole text is (a Replace All over a big script).
    void Recolour(qint64 first, qint64 last);
    // One idle-time slice of that; false when the whole text is coloured.
    bool ContinueBackground();
    bool IsBackgroundColouring() const { return m_background >= 0; }
    // True while some lines still wait for their fold levels.
    bool IsFolding() const { return m_foldFrom >= 0; }
    // Gives every line its fold level now.
    void FinishFolding();

    // Announced before the text changes, so that what is known to be coloured moves with it.
    void TextChanging(qint64 position, qint64 length, bool inserting);
    // Scintilla is about to paint up to position and needs its styles.
    void OnStyleNeeded(qint64 position);

private:
    void StyleBytes(qint64 first, qint64 last);
    // The end of the piece of whole lines from first that is read and styled at once.
    qint64 PieceEnd(qint64 first, qint64 last) const;
    std::string_view Text(qint64 first, qint64 end) const;
    // Styles one piece; with fold, also appends the levels of its lines to m_levelBuffer, from
    // the state fold at its start on.
    void StylePiece(qint64 first, qint64 end, FoldState *fold);
    void ReleaseBigBuffers();
    // One idle-time step of the colouring, with the folding when it has come as far.
    void ColourAndFold(qint64 first, qint64 last);
    void MarkColoured(qint64 first, qint64 last);
    void ColourGaps(qint64 first, qint64 last);
    void AdvanceBackground();
    void ForgetColoured(qint64 first, qint64 last);
    void ColourViewSoon();
    void SyncEndStyled();
    // Neither wrapping nor a folded block: styles and levels out of view change nothing in it.
    bool LinesKeepTheirHeight() const;
    // [start of the first line in view, end of the last one).
    std::pair<qint64, qint64> LinesInView() const;
    long Send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;
    qint64 Length() const;
    qint64 LineStart(qint64 line) const;
    qint64 LineOf(qint64 position) const;
    qint64 LineCount() const;
    // Folding: sets the levels of the lines firstLine through lastLine from the start state
    // that firstLine's level word records, and returns the line after them (its state in m_foldEnd).
    // With colour, the same scan colours them.
    qint64 FoldLines(qint64 firstLine, qint64 lastLine, bool colour = false);
    // Gives the lines from firstLine on these levels.
    void SetLevels(qint64 firstLine, const std::vector<std::uint32_t> &levels);
    // Extends the folded lines through the one that holds position, when they reach it.
    void FoldThrough(qint64 position);
    // The lines an edit touched; what follows is folded again when their end state changed.
    void RefoldEdit(qint64 first, qint64 last);
    void FoldViewOnDemand(qint64 viewEnd);
    // Where folding resumes when it goes on from m_foldFrom.
    qint64 FrontierLine() const;
    void MarkFoldedUpTo(qint64 line);

    QsciScintillaBase *m_editor;
    const Settings &m_settings;
    QTimer *m_timer;
    bool m_enabled = false;
    bool m_busy = false;
    // Everything before this position is coloured; -1 once the whole text is.
    qint64 m_background = -1;
    // Runs of whole lines coloured beyond m_background, in order, apart.
    std::vector<std::pair<qint64, qint64>> m_ahead;
    std::vector<std::uint8_t> m_styleBuffer;
    // True during an idle-time slice: its steps keep the buffers for the next one, and so does
    // the slice for the next slice.
    bool m_keepBuffers = false;
    // Every line before the one at this position has its fold level; -1 once all lines have.
    qint64 m_foldFrom = 0;
    std::vector<std::uint32_t> m_levelBuffer;
    FoldState m_foldEnd;
};
