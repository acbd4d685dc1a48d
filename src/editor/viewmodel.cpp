#include "viewmodel.h"

#include "editor/textcopy.h"

#include <Qsci/qsciscintilla.h>

#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// Models are built one at a time on a thread of their own, beside the check's.
QThreadPool &ModelThread()
{
    struct OneThread : QThreadPool {
        OneThread() { setMaxThreadCount(1); }
    };
    static OneThread pool;
    return pool;
}

CViewModel::Model BuildModelOf(QByteArray text)
{
    auto snapshot = std::make_shared<ScriptSnapshot>();
    snapshot->text = std::move(text);
    snapshot->model = luamodel::BuildModel(snapshot->Text());
    return snapshot;
}

} // namespace

CViewModel::CViewModel(QsciScintilla *view, std::function<std::uint64_t()> textVersion)
    : QObject(view), m_view(view), m_pause(new QTimer(this)), m_copying(new QTimer(this)),
      m_textVersion(std::move(textVersion))
{
    m_pause->setSingleShot(true);
    m_pause->setInterval(kPauseMs);
    connect(m_pause, &QTimer::timeout, this, &CViewModel::Build);
    m_copying->setSingleShot(true);
    m_copying->setInterval(0);
    connect(m_copying, &QTimer::timeout, this, &CViewModel::CopySome);
    connect(&m_watcher, &QFutureWatcherBase::finished, this, &CViewModel::OnBuilt);
    connect(view, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char *, int length) { OnModified(position, type, length); });
}

// A build still running goes on without its watcher; it holds the copy it reads.
CViewModel::~CViewModel() = default;

void CViewModel::OnModified(int position, int type, int length)
{
    const bool inserting = (type & QsciScintillaBase::SC_MOD_BEFOREINSERT) != 0;
    if (!inserting && !(type & QsciScintillaBase::SC_MOD_BEFOREDELETE))
        return;
    for (EditShift *shift : {&m_shift, &m_shiftWhileBuilding}) {
        if (inserting)
            shift->Insert(position, length);
        else
            shift->Delete(position, length);
    }
    ++m_announced;
    m_waiting.clear();
    m_pause->start();
}

void CViewModel::BuildNow()
{
    m_pause->stop();
    Build();
}

void CViewModel::WhenCurrent(std::function<void(const ScriptSnapshot &)> work)
{
    if (IsCurrent()) {
        work(*m_model);
        return;
    }
    m_waiting.push_back(std::move(work));
    BuildNow();
}

void CViewModel::Build()
{
    if (m_copying->isActive()) {
        CopySome(); // goes on, or starts again with the text as it is now
        return;
    }
    if (m_building) {
        // The copy being read is of an older text: another build follows this one.
        if (m_shiftWhileBuilding.Count() > 0 || !AllAnnouncedSince(m_buildingCopy))
            m_again = true;
        return;
    }
    // The worker must not read what the user edits: it gets a copy, made a slice at a time
    // between keys.
    const qint64 length = m_view->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    m_copy = QByteArray(length, Qt::Uninitialized);
    m_copied = 0;
    m_buildingCopy = Now();
    m_shiftWhileBuilding.Clear();
    m_building = true;
    m_again = false;
    CopySome();
}

void CViewModel::CopySome()
{
    if (m_shiftWhileBuilding.Count() > 0 || !AllAnnouncedSince(m_buildingCopy)) {
        // The text changed under the copy: the pause after the change starts it again, or at
        // once when nothing announced the change (a load).
        m_copying->stop();
        m_copy = QByteArray();
        m_building = false;
        if (!m_pause->isActive())
            Build();
        return;
    }
    const qint64 end = std::min<qint64>(m_copy.size(), m_copied + kCopySlice);
    CopyTextRange(*m_view, m_copied, end, m_copy.data() + m_copied);
    m_copied = end;
    if (m_copied < m_copy.size()) {
        m_copying->start();
        return;
    }
    m_copying->stop();
    m_watcher.setFuture(QtConcurrent::run(&ModelThread(), [copy = std::exchange(m_copy, QByteArray())]() mutable {
        return BuildModelOf(std::move(copy));
    }));
}

void CViewModel::OnBuilt()
{
    m_building = false;
    Model built = m_watcher.future().takeResult();
    // A load since the copy leaves the model with no known way to the text now.
    const bool followsText = AllAnnouncedSince(m_buildingCopy);
    if (followsText) {
        m_model = std::move(built);
        m_modelCopy = m_buildingCopy;
        m_shift = m_shiftWhileBuilding;
        emit modelChanged();
    }
    if (m_again || !followsText) {
        Build();
        return;
    }
    if (!IsCurrent())
        return;
    // Work may ask for another model (and queue more): run what waits now, by itself.
    std::vector<std::function<void(const ScriptSnapshot &)>> waiting = std::exchange(m_waiting, {});
    const Model model = m_model;
    for (const auto &work : waiting)
        work(*model);
}
