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
    : QObject(view), m_view(view), m_pause(new QTimer(this)), m_textVersion(std::move(textVersion))
{
    m_pause->setSingleShot(true);
    m_pause->setInterval(kPauseMs);
    connect(m_pause, &QTimer::timeout, this, &CViewModel::Build);
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
    if (m_building) {
        // The copy being read is of an older text: another build follows this one.
        if (m_shiftWhileBuilding.Count() > 0 || !AllAnnouncedSince(m_buildingCopy))
            m_again = true;
        return;
    }
    const qint64 length = m_view->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    QByteArray copy(length, Qt::Uninitialized);
    CopyTextRange(*m_view, 0, length, copy.data());
    m_buildingCopy = Now();
    m_shiftWhileBuilding.Clear();
    m_building = true;
    m_again = false;
    m_watcher.setFuture(QtConcurrent::run(&ModelThread(), [copy = std::move(copy)]() mutable { return BuildModelOf(std::move(copy)); }));
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
