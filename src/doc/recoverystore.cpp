#include "recoverystore.h"

#include "app/fileio.h"
#include "app/regularfilereader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kClaimedPrefix = QStringLiteral("claimed-");

QByteArray ReadSmallFile(const QString &path)
{
    RegularFileReader file(path);
    QByteArray bytes;
    if (!file.Open() || !file.ReadAll(bytes))
        return QByteArray();
    return bytes;
}

// The first eight digits of this boot's random id: process ids and start times repeat across
// boots.
QString BootId()
{
    const QByteArray id = ReadSmallFile(QStringLiteral("/proc/sys/kernel/random/boot_id")).trimmed();
    const QString digits = QString::fromLatin1(id).remove(QLatin1Char('-')).left(8);
    return digits.isEmpty() ? QStringLiteral("0") : digits;
}

// The process's start time in clock ticks since boot, or -1 when it cannot be read.
qint64 StartTimeOf(qint64 pid)
{
    const QByteArray stat = ReadSmallFile(QStringLiteral("/proc/%1/stat").arg(pid));
    // The command name in parentheses may hold blanks: count the fields after its end.
    const qsizetype end = stat.lastIndexOf(')');
    if (end < 0)
        return -1;
    const QList<QByteArray> fields = stat.mid(end + 2).split(' ');
    constexpr int kStartTimeField = 22 - 3; // field 22, counted from field 3 on
    bool ok = false;
    const qint64 ticks = fields.value(kStartTimeField).toLongLong(&ok);
    return ok ? ticks : -1;
}

QString SessionName(const QString &boot, qint64 pid, qint64 startTime)
{
    return QStringLiteral("%1-%2-%3").arg(boot).arg(pid).arg(startTime);
}

// True unless the session's Scriba is surely gone. A name that is not a session's is never
// taken.
bool SessionIsAlive(const QString &name, const QString &boot)
{
    const QStringList parts = name.split(QLatin1Char('-'));
    bool pidOk = false, startOk = false;
    const qint64 pid = parts.value(1).toLongLong(&pidOk);
    const qint64 start = parts.value(2).toLongLong(&startOk);
    if (parts.size() != 3 || !pidOk || !startOk || pid <= 0)
        return true;
    if (parts[0] != boot)
        return false;
    if (kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return false;
    const qint64 now = StartTimeOf(pid);
    return now < 0 || now == start; // a reused process number has another start time
}

QByteArray InfoText(const QString &path, const QString &title, qint64 size)
{
    return "path=" + EncodeFileName(path).toPercentEncoding() + "\ntitle=" + title.toUtf8().toPercentEncoding() +
           "\nsize=" + QByteArray::number(size) + '\n';
}

QByteArray InfoValue(const QByteArray &info, const QByteArray &key)
{
    for (const QByteArray &line : info.split('\n'))
        if (line.startsWith(key + '='))
            return QByteArray::fromPercentEncoding(line.mid(key.size() + 1));
    return QByteArray();
}

// Every copy in folder and in the folders that an earlier claim left in it.
void CollectCopies(const QString &folder, QList<RecoveredScript> &scripts)
{
    const QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("*.lua")}, QDir::Files, QDir::Name)) {
        if (name.startsWith(QLatin1Char('.')))
            continue; // a copy that was being written
        const QString stem = name.chopped(4);
        const QByteArray info = ReadSmallFile(dir.filePath(stem + QStringLiteral(".info")));
        RecoveredScript script;
        script.path = DecodeFileName(InfoValue(info, "path"));
        script.title = QString::fromUtf8(InfoValue(info, "title"));
        script.text = ReadSmallFile(dir.filePath(name));
        scripts.append(script);
    }
    for (const QString &name : dir.entryList({kClaimedPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot))
        CollectCopies(dir.filePath(name), scripts);
}

} // namespace

RecoveryStore::RecoveryStore(const QString &folder) : m_folder(folder) {}

RecoveryStore::~RecoveryStore()
{
    StopWorker();
}

QString RecoveryStore::DefaultFolder()
{
    // Tests never see, claim or delete the user's own copies: Qt's test mode keeps them apart.
    if (QStandardPaths::isTestModeEnabled())
        return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                               QStringLiteral("/../state/Scriba/recovery"));
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!state.startsWith(QLatin1Char('/')))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Scriba/recovery");
}

bool RecoveryStore::Start(QString *error)
{
    const QByteArray folder = EncodeFileName(m_folder);
    if (!QDir().mkpath(m_folder)) {
        *error = QStringLiteral("Could not create the folder %1").arg(QuotedPath(m_folder));
        return false;
    }
    chmod(folder.constData(), 0700); // the copies are the user's alone
    const qint64 pid = getpid();
    m_session = QDir(m_folder).filePath(SessionName(BootId(), pid, StartTimeOf(pid)));
    QDir(m_session).removeRecursively(); // an earlier process with this very identity is gone
    if (mkdir(EncodeFileName(m_session).constData(), 0700) != 0) {
        *error = QStringLiteral("Could not create the folder %1: %2").arg(QuotedPath(m_session), ErrnoText(errno));
        m_session.clear();
        return false;
    }
    m_worker = std::thread(&RecoveryStore::Run, this);
    return true;
}

QList<RecoveredScript> RecoveryStore::ClaimOrphans()
{
    const QString boot = BootId();
    const QString own = QFileInfo(m_session).fileName();
    const QDir dir(m_folder);
    for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (name == own || SessionIsAlive(name, boot))
            continue;
        // The rename is the claim: of two Scribas starting at once, only one succeeds.
        const QString claimed = QDir(m_session).filePath(kClaimedPrefix + QString::number(++m_claimed));
        rename(EncodeFileName(dir.filePath(name)).constData(), EncodeFileName(claimed).constData());
    }
    QList<RecoveredScript> scripts;
    for (const QString &name : QDir(m_session).entryList({kClaimedPrefix + QLatin1Char('*')}, QDir::Dirs))
        CollectCopies(QDir(m_session).filePath(name), scripts);
    return scripts;
}

void RecoveryStore::DiscardClaimed()
{
    for (const QString &name : QDir(m_session).entryList({kClaimedPrefix + QLatin1Char('*')}, QDir::Dirs))
        QDir(QDir(m_session).filePath(name)).removeRecursively();
}

QString RecoveryStore::CopyPath(int slot, const char *suffix) const
{
    return QDir(m_session).filePath(QString::number(slot) + QLatin1String(suffix));
}

void RecoveryStore::Store(int slot, QByteArray text, const QString &path, const QString &title)
{
    const QByteArray info = InfoText(path, title, text.size());
    Enqueue({slot, false, std::move(text), info});
}

void RecoveryStore::Remove(int slot)
{
    Enqueue({slot, true, QByteArray(), QByteArray()});
}

void RecoveryStore::Enqueue(Task task)
{
    if (m_session.isEmpty())
        return;
    std::lock_guard lock(m_mutex);
    // A copy not yet written is replaced, not written twice.
    std::erase_if(m_tasks, [&](const Task &waiting) { return waiting.slot == task.slot; });
    m_tasks.push_back(std::move(task));
    m_wake.notify_one();
}

void RecoveryStore::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || !m_tasks.empty(); });
        if (m_tasks.empty())
            return; // quit once everything asked for is done
        Task task = std::move(m_tasks.front());
        m_tasks.pop_front();
        m_busy = true;
        lock.unlock();
        Carry(task);
        lock.lock();
        m_busy = false;
        if (m_tasks.empty())
            m_idle.notify_all();
    }
}

void RecoveryStore::Carry(const Task &task) const
{
    const QString text = CopyPath(task.slot, ".lua");
    const QString info = CopyPath(task.slot, ".info");
    if (task.remove) {
        QFile::remove(info);
        QFile::remove(text);
        return;
    }
    const SafeFileWriter::Options privateFile{false, 0600};
    QString error;
    // The information first: a copy is never found without its path and title, and a crash
    // between the two leaves the previous copy with the same information.
    if (!WriteWholeFile(info, task.info.constData(), task.info.size(), &error, privateFile) ||
        !WriteWholeFile(text, task.text.constData(), task.text.size(), &error, privateFile))
        qWarning("Scriba: could not keep a recovery copy in %s: %s", qPrintable(m_session), qPrintable(error));
}

void RecoveryStore::Flush()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_tasks.empty() && !m_busy; });
}

void RecoveryStore::StopWorker()
{
    if (!m_worker.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_wake.notify_one();
    }
    m_worker.join();
}

void RecoveryStore::Finish()
{
    StopWorker();
    if (!m_session.isEmpty())
        QDir(m_session).removeRecursively();
    m_session.clear();
}
