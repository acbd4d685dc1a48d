#include "documenthighlight.h"

#include "editor/scribaview.h"
#include "editor/viewmodel.h"
#include "model/namequeries.h"

#include <QTimer>

#include <algorithm>

namespace {

const QColor kUseColour(0x80, 0xA0, 0xE0);

} // namespace

CDocumentHighlight::CDocumentHighlight(CScribaView &view, CViewModel &model, QueriesFor queries)
    : QObject(&view), m_view(view), m_model(model), m_queries(std::move(queries)), m_rest(new QTimer(this))
{
    m_indicator = view.indicatorDefine(QsciScintilla::StraightBoxIndicator);
    view.setIndicatorForegroundColor(kUseColour, m_indicator);
    view.SendScintilla(QsciScintillaBase::SCI_INDICSETALPHA, static_cast<unsigned long>(m_indicator), 70L);
    view.SendScintilla(QsciScintillaBase::SCI_INDICSETUNDER, static_cast<unsigned long>(m_indicator), 1L);
    m_rest->setSingleShot(true);
    m_rest->setInterval(kRestMs);
    connect(m_rest, &QTimer::timeout, this, &CDocumentHighlight::Update);
    connect(&view, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int updated) {
        if (updated & QsciScintillaBase::SC_UPDATE_V_SCROLL)
            MarkInSight();
        if (updated & (QsciScintillaBase::SC_UPDATE_SELECTION | QsciScintillaBase::SC_UPDATE_CONTENT)) {
            const qint64 caret = m_view.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
            if (caret != m_caret || (updated & QsciScintillaBase::SC_UPDATE_CONTENT))
                m_rest->start();
        }
    });
    // A change of the text moves the marks with it, but the uses may be others now.
    connect(&view, &CScribaView::edited, this, [this] {
        m_uses.clear();
        m_caret = -1;
        m_moved = true;
    });
    connect(&model, &CViewModel::modelChanged, this, [this] { m_rest->start(); });
}

void CDocumentHighlight::Clear()
{
    if (m_marked.empty())
        return;
    // Marks an edit moved are somewhere else now: cleared everywhere, which costs Scintilla the
    // marks it holds rather than the text's length.
    const qint64 length = m_view.TextLength();
    const qint64 from = m_moved ? 0 : std::min(m_marked.front().first, length);
    const qint64 to = m_moved ? length : std::min(m_marked.back().second, length);
    m_moved = false;
    m_view.SendScintilla(QsciScintillaBase::SCI_SETINDICATORCURRENT, static_cast<unsigned long>(m_indicator));
    m_view.SendScintilla(QsciScintillaBase::SCI_INDICATORCLEARRANGE, static_cast<unsigned long>(from),
                         static_cast<long>(std::max<qint64>(0, to - from)));
    m_marked.clear();
}

void CDocumentHighlight::Update()
{
    m_caret = m_view.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
    m_uses.clear();
    if (m_model.IsUsable()) {
        const ScriptSnapshot &snapshot = *m_model.Last();
        const EditShift &shift = m_model.Shift();
        const std::int64_t old = shift.ToOld(m_caret);
        for (const NameOccurrence &use : m_queries(snapshot).Occurrences(std::size_t(old))) {
            const std::int64_t length = std::int64_t(use.end - use.start);
            const std::int64_t start = shift.RangeToNew(std::int64_t(use.start), length);
            if (start >= 0)
                m_uses.emplace_back(start, start + length);
        }
        // A lone name, declared and never used, has nothing to point out.
        if (m_uses.size() < 2)
            m_uses.clear();
    }
    m_firstLine = -1;
    MarkInSight();
}

void CDocumentHighlight::MarkInSight()
{
    const qint64 firstShown = m_view.SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    const qint64 firstLine = m_view.SendScintilla(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(firstShown));
    if (firstLine == m_firstLine)
        return;
    Clear();
    m_firstLine = firstLine;
    if (m_uses.empty()) {
        emit marked();
        return;
    }
    const qint64 shownLines = m_view.SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN);
    const qint64 fromLine = std::max<qint64>(0, firstLine - kMarginLines);
    const qint64 toLine = firstLine + shownLines + kMarginLines;
    const qint64 from = m_view.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(fromLine));
    qint64 to = m_view.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(toLine));
    if (to < 0)
        to = m_view.TextLength();
    auto use = std::lower_bound(m_uses.begin(), m_uses.end(), std::make_pair(from, qint64(0)));
    m_view.SendScintilla(QsciScintillaBase::SCI_SETINDICATORCURRENT, static_cast<unsigned long>(m_indicator));
    for (; use != m_uses.end() && use->first < to; ++use) {
        m_view.SendScintilla(QsciScintillaBase::SCI_INDICATORFILLRANGE, static_cast<unsigned long>(use->first),
                             static_cast<long>(use->second - use->first));
        m_marked.push_back(*use);
    }
    emit marked();
}
