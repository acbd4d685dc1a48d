#include "checkmarks.h"

#include "app/settings.h"
#include "reference/tarnreference.h"
#include "editor/textcopy.h"

#include <Qsci/qsciscintilla.h>

#include <QThreadPool>
#include <QTimer>
#include <QToolTip>
#include <QtConcurrent/QtConcurrentRun>

#include <malloc.h>

namespace {

const QColor kErrorColour(0xE0, 0x00, 0x00);
const QColor kWarningColour(0xF0, 0xA0, 0x00); // amber
// Resting the pointer this long on a mark shows its message.
constexpr int kDwellMs = 400;
// An indicator's value: 1 + the index of its message, with the generation in the top bit of the
// 24 that a value can hold.
constexpr int kGenerationBit = 0x800000;
constexpr int kLargestIndex = kGenerationBit - 2;
// A squiggle is drawn stroke by stroke over its whole width on every paint of its line, however
// little of it shows; an error's line longer than this gets a straight underline instead, which
// costs the same at any length.
constexpr std::size_t kLongestSquiggle = 4096;

// Checks run one at a time on a thread of their own. A check of a big script takes megabytes
// that the C library keeps for the thread that freed them, once per thread: a second checking
// thread would hold as much again while the window is idle, and gain nothing on a machine
// whose other core runs the window.
QThreadPool &CheckThread()
{
    struct OneThread : QThreadPool {
        OneThread() { setMaxThreadCount(1); }
    };
    static OneThread pool;
    return pool;
}

} // namespace

CheckMarks::CheckMarks(QsciScintilla *view, const Settings &settings)
    : QObject(view), m_view(view), m_settings(settings), m_pause(new QTimer(this)), m_copying(new QTimer(this)), m_applying(new QTimer(this))
{
    // Indicators asked of QScintilla, so other marks the view may draw get numbers of their own.
    m_errorIndicator = view->indicatorDefine(QsciScintilla::SquiggleIndicator);
    m_longErrorIndicator = view->indicatorDefine(QsciScintilla::PlainIndicator);
    m_warningIndicator = view->indicatorDefine(QsciScintilla::SquiggleIndicator);
    view->setIndicatorForegroundColor(kErrorColour, m_errorIndicator);
    view->setIndicatorForegroundColor(kErrorColour, m_longErrorIndicator);
    view->setIndicatorForegroundColor(kWarningColour, m_warningIndicator);
    view->SendScintilla(QsciScintillaBase::SCI_SETMOUSEDWELLTIME, kDwellMs);

    m_pause->setSingleShot(true);
    m_pause->setInterval(kPauseMs);
    connect(m_pause, &QTimer::timeout, this, &CheckMarks::CheckNow);
    m_copying->setInterval(0);
    connect(m_copying, &QTimer::timeout, this, &CheckMarks::CopySome);
    m_applying->setSingleShot(true);
    m_applying->setInterval(0);
    connect(m_applying, &QTimer::timeout, this, &CheckMarks::ApplySome);
    connect(&m_watcher, &QFutureWatcherBase::finished, this, &CheckMarks::OnCheckFinished);
    connect(view, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type) { OnModified(position, type); });
    connect(view, &QsciScintillaBase::SCN_DWELLSTART, this, [this](int, int x, int y) { ShowTip(x, y); });
    connect(view, &QsciScintillaBase::SCN_DWELLEND, this, [] { QToolTip::hideText(); });
}

// A check still running goes on without its watcher; it holds copies of all it reads.
CheckMarks::~CheckMarks() = default;

void CheckMarks::SetEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (enabled) {
        CheckNow();
        return;
    }
    m_pause->stop();
    m_again = false;
    if (m_copying->isActive()) {
        m_copying->stop();
        m_snapshot = QByteArray();
        m_running = false;
    }
    ClearMarks();
    emit marksChanged();
}

bool CheckMarks::IsPending() const
{
    return m_running || m_again || m_pause->isActive() || m_copying->isActive() || m_applying->isActive();
}

void CheckMarks::OnModified(int, int type)
{
    if (!(type & (QsciScintillaBase::SC_MOD_BEFOREINSERT | QsciScintillaBase::SC_MOD_BEFOREDELETE)))
        return;
    ++m_version;
    if (m_enabled)
        m_pause->start();
}

void CheckMarks::CheckNow()
{
    if (!m_enabled)
        return;
    // Whatever changed the text may have done so unannounced, as a load does: a result that is
    // under way now is for an older text.
    ++m_version;
    m_pause->stop();
    if (m_running) {
        m_again = true;
        return;
    }
    StartCheck();
}

void CheckMarks::StartCheck()
{
    // The worker must not read what the user edits: it gets a copy, made a slice at a time.
    // The buffer of a copy that the text's change made useless is used again: freeing and
    // touching megabytes afresh would cost the keystroke that comes next.
    const auto length = qsizetype(m_view->SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
    m_snapshot.resize(length);
    m_copied = 0;
    m_checkedVersion = m_version;
    m_running = true;
    m_copying->start();
}

void CheckMarks::CopySome()
{
    if (m_checkedVersion != m_version) {
        // The text changed under the copy: the pause after the change (or the CheckNow that
        // announced it) starts over with the new text.
        m_copying->stop();
        m_running = false;
        if (m_again || !m_pause->isActive()) {
            m_again = false;
            StartCheck();
        }
        return;
    }
    const qint64 end = std::min<qint64>(m_snapshot.size(), m_copied + kCopySlice);
    CopyTextRange(*m_view, m_copied, end, m_snapshot.data() + m_copied);
    m_copied = end;
    if (m_copied < m_snapshot.size())
        return;
    m_copying->stop();
    RunCheck();
}

void CheckMarks::RunCheck()
{
    // The copy goes with the worker and is freed there; so is a copy of the table.
    QByteArray copy = std::exchange(m_snapshot, QByteArray());
    FunctionTable functions = m_settings.functions;
    m_watcher.setFuture(QtConcurrent::run(&CheckThread(), [copy = std::move(copy), functions = std::move(functions),
                                           reference = m_reference]() mutable {
        auto found = [&] {
            const QByteArray text = std::move(copy);
            const std::string_view view(text.constData(), std::size_t(text.size()));
            const std::vector<ScriptProblem> problems =
                reference ? CheckScript(view, functions, *reference, kMostMarks) : CheckScript(view, functions, kMostMarks);
            return Found{std::make_shared<const ProblemTable>(problems), ProblemTable::Spans(problems)};
        }();
        // The compile's, the copy's and the check's own lists' memory go back to the system:
        // glibc keeps what a thread freed for that thread otherwise.
        malloc_trim(0);
        return found;
    }));
}

void CheckMarks::OnCheckFinished()
{
    m_running = false;
    if (m_enabled && m_checkedVersion == m_version)
        Apply(m_watcher.future().takeResult());
    if (m_again) {
        m_again = false;
        if (m_enabled)
            StartCheck();
    }
}

void CheckMarks::ClearIndicators(qint64 from, qint64 to)
{
    for (int indicator : {m_errorIndicator, m_longErrorIndicator, m_warningIndicator}) {
        m_view->SendScintilla(QsciScintillaBase::SCI_SETINDICATORCURRENT, indicator);
        m_view->SendScintilla(QsciScintillaBase::SCI_INDICATORCLEARRANGE, static_cast<unsigned long>(from),
                              static_cast<long>(to - from));
    }
}

void CheckMarks::ClearMarks()
{
    ClearIndicators(0, m_view->SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
    m_tables[0].reset();
    m_tables[1].reset();
    m_problems.reset();
    m_markCount = 0;
    m_applying->stop();
    m_toMark.reset();
    m_spans = {};
    m_marked = 0;
    m_mixed = false;
}

void CheckMarks::Apply(Found found)
{
    // The old marks stay until the new ones reach them, each slice clearing ahead of the marks
    // it sets, so the marks never all vanish at once and no slice clears the whole text.
    m_applying->stop();
    if (m_mixed) // the last marks were left half set when the text changed
        ClearMarks();
    m_mixed = true;
    m_generation ^= 1;
    m_tables[m_generation] = found.problems;
    m_markCount = 0;
    m_problems = found.problems;
    m_toMark = std::move(found.problems);
    m_spans = std::move(found.spans);
    m_marked = 0;
    m_clearedTo = 0;
    ApplySome();
}

void CheckMarks::ApplySome()
{
    // Marks left to set after the text changed would land in the wrong places; the check that
    // the change started replaces them all.
    if (!m_toMark || m_checkedVersion != m_version) {
        m_toMark.reset();
        m_spans = {};
        return;
    }
    const ProblemTable &toMark = *m_toMark;
    const std::size_t end = std::min(toMark.Size(), m_marked + kMarksPerSlice);
    // Problems come in line order, so the marks of later slices start no earlier than this
    // slice's; the old marks are cleared up to the furthest end of this slice's.
    qint64 clearTo = m_view->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    if (end < toMark.Size()) {
        clearTo = m_clearedTo;
        for (std::size_t i = m_marked; i < end; ++i)
            clearTo = std::max(clearTo, qint64(m_spans[i].end));
    }
    if (clearTo > m_clearedTo)
        ClearIndicators(m_clearedTo, clearTo);
    m_clearedTo = std::max(m_clearedTo, clearTo);
    for (; m_marked < end; ++m_marked) {
        const ProblemTable::Row &problem = toMark[m_marked];
        const ProblemSpan &span = m_spans[m_marked];
        // Marks with the same message share its value. Runs of one value never touch, as no
        // two problems of one kind mark neighbouring bytes.
        if (span.end <= span.start || problem.MessageIndex() >= std::uint32_t(kLargestIndex))
            continue;
        const int value = int(problem.MessageIndex() + 1) | (m_generation ? kGenerationBit : 0);
        const int indicator = IndicatorFor(problem, span);
        m_view->SendScintilla(QsciScintillaBase::SCI_SETINDICATORCURRENT, indicator);
        m_view->SendScintilla(QsciScintillaBase::SCI_SETINDICATORVALUE, value);
        m_view->SendScintilla(QsciScintillaBase::SCI_INDICATORFILLRANGE, static_cast<unsigned long>(span.start),
                              static_cast<long>(span.end - span.start));
        ++m_markCount;
    }
    if (m_marked < toMark.Size()) {
        m_applying->start();
    } else {
        m_toMark.reset();
        m_spans = {}; // the marks hold their places now
        m_tables[m_generation ^ 1].reset(); // no old mark is left
        m_mixed = false;
    }
    emit marksChanged();
}

int CheckMarks::IndicatorFor(const ProblemTable::Row &problem, const ProblemSpan &span) const
{
    if (problem.Severity() == ProblemSeverity::Warning)
        return m_warningIndicator;
    return span.end - span.start > kLongestSquiggle ? m_longErrorIndicator : m_errorIndicator;
}

int CheckMarks::IndicatorValueAt(int indicator, qint64 position) const
{
    return int(m_view->SendScintilla(QsciScintillaBase::SCI_INDICATORVALUEAT, static_cast<unsigned long>(indicator),
                                     static_cast<long>(position)));
}

QString CheckMarks::MessageAt(qint64 position) const
{
    if ((m_markCount == 0 && !m_applying->isActive()) || position < 0 ||
        position >= m_view->SendScintilla(QsciScintillaBase::SCI_GETLENGTH))
        return QString();
    // A call's warning is narrower than an error's line, so it wins where both lie.
    int value = IndicatorValueAt(m_warningIndicator, position);
    if (value == 0)
        value = IndicatorValueAt(m_errorIndicator, position);
    if (value == 0)
        value = IndicatorValueAt(m_longErrorIndicator, position);
    if (value <= 0)
        return QString();
    const ProblemTable *table = m_tables[(value & kGenerationBit) ? 1 : 0].get();
    const std::size_t index = std::size_t((value & ~kGenerationBit) - 1);
    if (!table || index >= table->MessageCount())
        return QString();
    const std::string_view message = table->Message(index);
    return QString::fromUtf8(message.data(), qsizetype(message.size()));
}

QString CheckMarks::MessageAtCaret() const
{
    const qint64 caret = m_view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
    const QString message = MessageAt(caret);
    return message.isEmpty() ? MessageAt(caret - 1) : message;
}

void CheckMarks::ShowTip(int x, int y)
{
    const qint64 position = m_view->SendScintilla(QsciScintillaBase::SCI_CHARPOSITIONFROMPOINTCLOSE,
                                                  static_cast<unsigned long>(x), static_cast<long>(y));
    const QString message = MessageAt(position);
    if (message.isEmpty())
        return;
    QWidget *viewport = m_view->viewport();
    // Rich text with the message escaped: Lua's "near '<eof>'" would otherwise read as a tag.
    // Kept on one line: a rich-text tooltip is otherwise wrapped to a narrow column.
    const QString text = QStringLiteral("<p style='white-space:pre'>%1</p>").arg(message.toHtmlEscaped());
    QToolTip::showText(viewport->mapToGlobal(QPoint(x, y)), text, viewport);
}
