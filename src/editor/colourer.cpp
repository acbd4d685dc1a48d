#include "colourer.h"

#include "app/settings.h"
#include "editor/luascanner.h"

#include <Qsci/qsciscintillabase.h>

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

using Sci = QsciScintillaBase;

// Big ranges are read and styled in pieces of about this size, cut at line starts, so a
// whole-text colouring never needs a second copy of the text.
constexpr qint64 kChunk = 1 << 20;

// The buffer of styles is kept between colourings up to this size: enough for the lines an
// edit touches, while every open document would otherwise hold a megabyte of it.
constexpr qint64 kKeptBuffer = 64 << 10;

// Texts up to this size are coloured whole at once: a few milliseconds.
constexpr qint64 kAtOnceLimit = 1 << 20;
// An edit that touches more than this (a rename or Replace All spread over a big script) gets
// the lines in view coloured at once and the rest in idle-time slices, as opening does: the
// command returns after the work a user can see.
constexpr qint64 kEditAtOnceLimit = 256 << 10;

// Each idle-time slice colours pieces of this size until its time is up: short enough that a
// key pressed meanwhile is handled without a noticeable wait.
constexpr qint64 kSliceStep = 256 << 10;
constexpr qint64 kSliceMilliseconds = 6;

// The folding reaches lines in view this far ahead of it at once; farther ones wait for the
// idle time, so no paint waits long for them.
constexpr qint64 kOnDemandFold = 1 << 20;

// Setting at least this many fold levels at once takes the faster way (see SetLevels).
constexpr std::size_t kManyLevels = 64;

} // namespace

CColourer::CColourer(QsciScintillaBase *editor, const Settings &settings)
    : QObject(editor), m_editor(editor), m_settings(settings), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    m_timer->setInterval(0);
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (ContinueBackground())
            m_timer->start();
    });
}

long CColourer::Send(unsigned int message, unsigned long wParam, long lParam) const
{
    return m_editor->SendScintilla(message, wParam, lParam);
}

qint64 CColourer::Length() const
{
    return Send(Sci::SCI_GETLENGTH);
}

qint64 CColourer::LineStart(qint64 line) const
{
    // Past the last line, the end of the text.
    const qint64 start = Send(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    return start < 0 ? Length() : start;
}

qint64 CColourer::LineOf(qint64 position) const
{
    return Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
}

qint64 CColourer::LineCount() const
{
    return Send(Sci::SCI_GETLINECOUNT);
}

void CColourer::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled) {
        m_timer->stop();
        m_background = -1;
        m_ahead.clear();
        m_foldFrom = 0; // a new text: no line has its level yet
    }
    SyncEndStyled();
}

// ---------------------------------------------------------------- colouring

qint64 CColourer::PieceEnd(qint64 first, qint64 last) const
{
    if (last - first <= kChunk)
        return last;
    const qint64 end = LineStart(LineOf(first + kChunk));
    return end > first ? end : std::min(last, LineStart(LineOf(first) + 1));
}

std::string_view CColourer::Text(qint64 first, qint64 end) const
{
    const auto length = std::size_t(end - first);
    return {reinterpret_cast<const char *>(Send(Sci::SCI_GETRANGEPOINTER, static_cast<unsigned long>(first),
                                                static_cast<long>(length))),
            length};
}

void CColourer::StyleBytes(qint64 first, qint64 last)
{
    while (first < last) {
        const qint64 end = PieceEnd(first, last);
        StylePiece(first, end, nullptr);
        first = end;
    }
    ReleaseBigBuffers();
}

void CColourer::StylePiece(qint64 first, qint64 end, FoldState *fold)
{
    const Settings &settings = m_settings;
    const std::string_view text = Text(first, end);
    m_styleBuffer.resize(text.size());
    if (!settings.options.syntaxhighlighting) {
        std::memset(m_styleBuffer.data(), kPlainStyle, text.size());
        if (fold)
            ScanFoldLevels(text, *fold, m_levelBuffer);
    } else if (fold) {
        ScanLuaStylesAndFolds(text, settings.keywords, settings.functions, m_styleBuffer.data(), *fold, m_levelBuffer);
    } else {
        ScanLuaStyles(text, settings.keywords, settings.functions, m_styleBuffer.data());
    }
    CutRunsIntoPieces(text.data(), m_styleBuffer.data(), text.size());
    Send(Sci::SCI_STARTSTYLING, static_cast<unsigned long>(first), 0xFFL);
    m_editor->SendScintilla(Sci::SCI_SETSTYLINGEX, static_cast<unsigned long>(text.size()),
                            reinterpret_cast<const char *>(m_styleBuffer.data()));
}

void CColourer::ReleaseBigBuffers()
{
    // Kept from one idle-time step to the next, which needs them again at once.
    if (m_keepBuffers)
        return;
    if (m_styleBuffer.capacity() > std::size_t(kKeptBuffer))
        std::vector<std::uint8_t>().swap(m_styleBuffer);
    if (m_levelBuffer.capacity() > std::size_t(kKeptBuffer / 4))
        std::vector<std::uint32_t>().swap(m_levelBuffer);
}

void CColourer::ColourRange(qint64 first, qint64 last)
{
    if (first >= last || !m_enabled)
        return;
    m_busy = true;
    StyleBytes(first, last);
    MarkColoured(first, last);
    m_busy = false;
}

void CColourer::RecolourAll()
{
    if (!m_enabled)
        return;
    const qint64 length = Length();
    m_timer->stop();
    m_ahead.clear();
    if (length <= kAtOnceLimit) {
        m_background = -1;
        ColourRange(0, length);
        FoldThrough(length);
        return;
    }
    m_background = 0;
    ColourViewSoon();
}

void CColourer::Recolour(qint64 first, qint64 last)
{
    if (!m_enabled)
        return;
    if (last - first <= kEditAtOnceLimit) {
        ColourRange(first, last);
        RefoldEdit(first, last);
        return;
    }
    m_foldFrom = m_foldFrom < 0 ? first : std::min(m_foldFrom, first);
    ForgetColoured(first, last);
    ColourViewSoon();
}

void CColourer::ColourViewSoon()
{
    // The lines in view at once, so even the first paint needs nothing more; unless they are
    // long enough to be worth colouring only when they are painted, which may never happen
    // with these settings (at start-up the settings are read after the command line's file).
    const auto [viewStart, viewEnd] = LinesInView();
    if (viewEnd - viewStart <= kAtOnceLimit)
        ColourRange(viewStart, viewEnd);
    FoldViewOnDemand(viewEnd);
    SyncEndStyled();
    if (m_background >= 0 || m_foldFrom >= 0)
        m_timer->start();
}

void CColourer::ForgetColoured(qint64 first, qint64 last)
{
    // [first, last) is to be coloured again; what is coloured after it stays so.
    if (m_background < 0) {
        m_background = Length();
        m_ahead.clear();
    }
    if (first < m_background) {
        if (last < m_background)
            m_ahead.insert(m_ahead.begin(), {last, m_background});
        m_background = first;
    }
    std::vector<std::pair<qint64, qint64>> kept;
    for (const auto &[start, end] : m_ahead) {
        if (start < first)
            kept.emplace_back(start, std::min(end, first));
        if (end > last)
            kept.emplace_back(std::max(start, last), end);
    }
    m_ahead = std::move(kept);
    AdvanceBackground();
}

bool CColourer::ContinueBackground()
{
    if (!m_enabled || (m_background < 0 && m_foldFrom < 0))
        return false;
    QElapsedTimer clock;
    clock.start();
    m_busy = true;
    m_keepBuffers = true;
    const auto [viewStart, viewEnd] = LinesInView();
    do {
        // Colouring folds as it goes while the folding keeps up with it; folding that lags
        // behind (after an edit changed what follows it) catches up first.
        const bool foldFirst = m_foldFrom >= 0 && (m_background < 0 || m_foldFrom < LineStart(LineOf(m_background)));
        const qint64 start = foldFirst ? m_foldFrom : LineStart(LineOf(m_background));
        const qint64 limit = foldFirst || m_ahead.empty() ? Length() : m_ahead.front().first;
        qint64 end = std::min(limit, start + kSliceStep);
        if (end < limit)
            end = std::max(LineStart(LineOf(end)), LineStart(LineOf(start) + 1));
        // Scintilla repaints the whole view after styling above it, in case the height of lines
        // changed; with neither wrapping nor a folded block they never do, and text out of view
        // needs no paint at all.
        const bool outOfView = end <= viewStart || start >= viewEnd;
        QWidget *viewport = m_editor->viewport();
        const bool quiet = outOfView && viewport->updatesEnabled() && LinesKeepTheirHeight();
        if (quiet)
            viewport->setAttribute(Qt::WA_UpdatesDisabled, true);
        if (foldFirst)
            MarkFoldedUpTo(FoldLines(FrontierLine(), LineOf(end - 1)));
        else
            ColourAndFold(start, end);
        if (quiet)
            viewport->setAttribute(Qt::WA_UpdatesDisabled, false);
        if (!foldFirst) {
            m_background = end;
            AdvanceBackground();
        }
    } while ((m_background >= 0 || m_foldFrom >= 0) && clock.elapsed() < kSliceMilliseconds);
    m_busy = false;
    m_keepBuffers = false;
    const bool more = m_background >= 0 || m_foldFrom >= 0;
    if (!more)
        ReleaseBigBuffers();
    return more;
}

void CColourer::ColourAndFold(qint64 first, qint64 last)
{
    // While the folding keeps up with the colouring, one scan gives both: from the line before
    // the first without a level, as FoldThrough starts (see FrontierLine).
    if (m_foldFrom >= 0 && LineOf(m_foldFrom) <= LineOf(first)) {
        MarkFoldedUpTo(FoldLines(FrontierLine(), LineOf(last - 1), true));
        return;
    }
    StyleBytes(first, last);
    FoldThrough(last - 1);
}

bool CColourer::LinesKeepTheirHeight() const
{
    return Send(Sci::SCI_GETWRAPMODE) == Sci::SC_WRAP_NONE && Send(Sci::SCI_CONTRACTEDFOLDNEXT, 0UL) < 0;
}

std::pair<qint64, qint64> CColourer::LinesInView() const
{
    const qint64 firstLine = Send(Sci::SCI_DOCLINEFROMVISIBLE, Send(Sci::SCI_GETFIRSTVISIBLELINE));
    return {LineStart(firstLine), LineStart(firstLine + Send(Sci::SCI_LINESONSCREEN) + 1)};
}

void CColourer::OnStyleNeeded(qint64 position)
{
    if (m_busy)
        return;
    if (!m_enabled || m_background < 0) {
        SyncEndStyled();
        return;
    }
    // Scintilla asks for everything from where colouring has reached; for a paint (or a scroll,
    // which prepares the paint), only the lines in view need it, and the line or two after
    // them that Scintilla counts in.
    const auto [viewStart, viewEnd] = LinesInView();
    const qint64 lastLine = LineOf(position - 1);
    const bool forView = lastLine >= LineOf(viewStart) && lastLine <= LineOf(viewEnd) + 2;
    const qint64 from = forView ? std::max(m_background, viewStart) : m_background;
    const qint64 to = LineStart(lastLine + 1);
    m_busy = true;
    ColourGaps(LineStart(LineOf(from)), to);
    if (forView)
        FoldViewOnDemand(viewEnd);
    m_busy = false;
}

void CColourer::ColourGaps(qint64 first, qint64 last)
{
    // The runs already coloured are left alone: only the gaps between them are styled.
    std::vector<std::pair<qint64, qint64>> gaps;
    qint64 at = std::max(first, m_background);
    for (const auto &[start, end] : m_ahead) {
        if (start >= last)
            break;
        if (start > at)
            gaps.emplace_back(at, start);
        at = std::max(at, end);
    }
    if (at < last)
        gaps.emplace_back(at, last);
    for (const auto &[start, end] : gaps) {
        StyleBytes(start, end);
        MarkColoured(start, end);
    }
    SyncEndStyled();
}

// ---------------------------------------------------------------- what is coloured

void CColourer::MarkColoured(qint64 first, qint64 last)
{
    if (m_background >= 0 && last > m_background) {
        first = std::max(first, m_background);
        // Merge [first, last) into the ordered runs.
        auto it = std::lower_bound(m_ahead.begin(), m_ahead.end(), std::pair(first, first));
        if (it != m_ahead.begin() && std::prev(it)->second >= first)
            --it;
        auto end = it;
        while (end != m_ahead.end() && end->first <= last) {
            first = std::min(first, end->first);
            last = std::max(last, end->second);
            ++end;
        }
        it = m_ahead.erase(it, end);
        m_ahead.insert(it, {first, last});
        AdvanceBackground();
    }
    SyncEndStyled();
}

void CColourer::AdvanceBackground()
{
    while (!m_ahead.empty() && m_ahead.front().first <= m_background) {
        m_background = std::max(m_background, m_ahead.front().second);
        m_ahead.erase(m_ahead.begin());
    }
    if (m_background >= Length()) {
        m_background = -1;
        m_ahead.clear();
        m_timer->stop();
    }
}

void CColourer::SyncEndStyled()
{
    // Scintilla asks for styles (SCN_STYLENEEDED) for what it paints past this position.
    const qint64 end = m_enabled && m_background >= 0 ? m_background : Length();
    Send(Sci::SCI_STARTSTYLING, static_cast<unsigned long>(end), 0xFFL);
}

void CColourer::TextChanging(qint64 position, qint64 length, bool inserting)
{
    // Positions after an insertion move on by its length; those in a deleted range move to
    // its start. The touched lines are coloured again once the edit is done.
    auto shift = [&](qint64 at) {
        if (at <= position)
            return at;
        return inserting ? at + length : std::max(position, at - length);
    };
    if (m_foldFrom >= 0)
        m_foldFrom = shift(m_foldFrom);
    if (m_background < 0)
        return;
    m_background = shift(m_background);
    for (auto &[start, end] : m_ahead) {
        start = shift(start);
        end = shift(end);
    }
    std::erase_if(m_ahead, [](const auto &run) { return run.first >= run.second; });
}

// ---------------------------------------------------------------- fold levels

qint64 CColourer::FoldLines(qint64 firstLine, qint64 lastLine, bool colour)
{
    FoldState state = firstLine == 0 ? FoldState{}
                                     : FoldStateOf(std::uint32_t(Send(Sci::SCI_GETFOLDLEVEL, static_cast<unsigned long>(firstLine))));
    qint64 line = firstLine;
    qint64 position = LineStart(firstLine);
    const qint64 end = LineStart(lastLine + 1);
    while (position < end) {
        // Pieces of whole lines, as for the colours.
        const qint64 pieceEnd = PieceEnd(position, end);
        m_levelBuffer.clear();
        if (colour)
            StylePiece(position, pieceEnd, &state);
        else
            ScanFoldLevels(Text(position, pieceEnd), state, m_levelBuffer);
        SetLevels(line, m_levelBuffer);
        line += qint64(m_levelBuffer.size());
        position = pieceEnd;
    }
    // The empty line after a final line break.
    if (end >= Length() && line < LineCount())
        Send(Sci::SCI_SETFOLDLEVEL, static_cast<unsigned long>(line++), static_cast<long>(FoldLevelWord(state, state.depth, state)));
    m_foldEnd = state;
    ReleaseBigBuffers();
    return line;
}

void CColourer::SetLevels(qint64 firstLine, const std::vector<std::uint32_t> &levels)
{
    // For each level that changes, Scintilla works out where its line is shown (two searches
    // over all line starts) to repaint the fold margin from there down; with the fold block
    // highlight on, it repaints the whole margin instead and skips them. Many levels are
    // therefore set with the highlight on and the viewport's repaints held back, then the margin
    // is repainted once. Only while no line is hidden or wrapped (then a level changes nothing
    // but the margin), and never for a paint under way, which a margin repaint would abandon.
    QWidget *viewport = m_editor->viewport();
    const bool painting = viewport->testAttribute(Qt::WA_WState_InPaintEvent);
    const bool many = !painting && levels.size() >= kManyLevels && LinesKeepTheirHeight();
    const bool holdRepaints = many && viewport->updatesEnabled();
    if (holdRepaints)
        viewport->setAttribute(Qt::WA_UpdatesDisabled, true);
    if (many)
        Send(Sci::SCI_MARKERENABLEHIGHLIGHT, 1UL);
    qint64 line = firstLine;
    for (const std::uint32_t level : levels)
        Send(Sci::SCI_SETFOLDLEVEL, static_cast<unsigned long>(line++), static_cast<long>(level));
    if (holdRepaints)
        viewport->setAttribute(Qt::WA_UpdatesDisabled, false);
    if (many)
        Send(Sci::SCI_MARKERENABLEHIGHLIGHT, 0UL); // repaints the whole margin
}

void CColourer::MarkFoldedUpTo(qint64 line)
{
    m_foldFrom = line >= LineCount() ? -1 : LineStart(line);
}

void CColourer::FoldThrough(qint64 position)
{
    if (m_foldFrom < 0 || m_foldFrom > position)
        return;
    MarkFoldedUpTo(FoldLines(FrontierLine(), LineOf(position)));
}

qint64 CColourer::FrontierLine() const
{
    // The first line without a level knows no state to start from: the line before it, whose
    // level word records its own start, is folded again along with it.
    return std::max<qint64>(0, LineOf(m_foldFrom) - 1);
}

void CColourer::RefoldEdit(qint64 first, qint64 last)
{
    const qint64 firstLine = LineOf(first);
    if (m_foldFrom >= 0 && LineStart(firstLine) >= m_foldFrom) {
        // The folding has not reached the edit yet: it folds the edited lines when it does.
        if (last - m_foldFrom <= kOnDemandFold)
            FoldThrough(last);
        m_timer->start();
        return;
    }
    const qint64 next = FoldLines(firstLine, LineOf(last));
    if (next >= LineCount()) {
        m_foldFrom = -1;
        return;
    }
    if (m_foldFrom >= 0 && m_foldFrom <= LineStart(next)) {
        m_foldFrom = LineStart(next);
        return;
    }
    // The line after the edit starts as it did before: the levels below stay true.
    if (FoldStateOf(std::uint32_t(Send(Sci::SCI_GETFOLDLEVEL, static_cast<unsigned long>(next)))) == m_foldEnd)
        return;
    m_foldFrom = LineStart(next);
    m_timer->start();
}

void CColourer::FoldViewOnDemand(qint64 viewEnd)
{
    if (m_foldFrom >= 0 && m_foldFrom < viewEnd && viewEnd - m_foldFrom <= kOnDemandFold)
        FoldThrough(viewEnd);
}

void CColourer::FinishFolding()
{
    if (m_enabled && m_foldFrom >= 0)
        FoldThrough(Length());
}
