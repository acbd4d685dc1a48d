#include "recoverystore.h"

#include "app/fileio.h"
#include "app/regularfilereader.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <tuple>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kClaimedPrefix = QStringLiteral("claimed-");
constexpr qint64 kLargestInfo = 1 << 16; // also for what is read of /proc

QByteArray ReadSmallFile(const QString &path)
{
    RegularFileReader file(path);
    QByteArray bytes;
    if (!file.Open() || !file.ReadAll(bytes, kLargestInfo))
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

constexpr int kListedScripts = 10;

bool IsNumber(const QByteArray &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "12.lua", "12.info": the copies and their information, as the store names them.
bool IsCopyName(const QByteArray &name, const char *suffix)
{
    return name.endsWith(suffix) && IsNumber(name.chopped(qsizetype(std::strlen(suffix))));
}

// A copy or its information, or a temporary of one left by a crash (".12.lua.new", or an
// earlier version's ".12.lua.XXXXXX").
bool IsStoreFileName(const QByteArray &name)
{
    if (IsCopyName(name, ".lua") || IsCopyName(name, ".info"))
        return true;
    if (!name.startsWith('.'))
        return false;
    const qsizetype dot = name.indexOf('.', name.indexOf('.', 1) + 1);
    return dot > 0 && (IsCopyName(name.mid(1, dot - 1), ".lua") || IsCopyName(name.mid(1, dot - 1), ".info"));
}

bool IsClaimName(const QByteArray &name)
{
    return name.startsWith(kClaimedPrefix.toLatin1()) && IsNumber(name.mid(kClaimedPrefix.size()));
}

// Every copy in folder and in the folders that an earlier claim left in it.
void CollectCopies(const OwnFolder &folder, QList<RecoveredScript> &scripts)
{
    for (const QByteArray &name : folder.Names()) {
        if (IsClaimName(name)) {
            if (const OwnFolder claim = folder.Sub(name, false); claim.IsOpen())
                CollectCopies(claim, scripts);
            continue;
        }
        if (!IsCopyName(name, ".lua"))
            continue;
        RecoveredScript script;
        const OwnFolder::Read read = folder.ReadFile(name, kLargestScriptSize, script.text);
        if (read == OwnFolder::Read::Skipped)
            continue; // a link, a special file or another user's: never offered
        QByteArray info;
        if (folder.ReadFile(name.chopped(4) + ".info", kLargestInfo, info) != OwnFolder::Read::Ok)
            info.clear();
        script.path = DecodeFileName(InfoValue(info, "path"));
        script.title = QString::fromUtf8(InfoValue(info, "title"));
        script.tooLarge = read == OwnFolder::Read::TooLarge;
        script.copyPath = folder.Path() + QLatin1Char('/') + DecodeFileName(name);
        scripts.append(script);
    }
}

// A copy too large to open stays, with its information, to be offered again at the next start.
bool IsKeptCopy(const OwnFolder &folder, const QByteArray &name)
{
    const QByteArray copy = IsCopyName(name, ".info") ? name.chopped(5) + ".lua" : name;
    return IsCopyName(copy, ".lua") && folder.SizeOf(copy) > kLargestScriptSize;
}

// Removes the store's own files from the folder name and then the folder, when nothing else is
// left in it. Copies too large to open are kept, with their information.
void DiscardFolder(const OwnFolder &parent, const QByteArray &name)
{
    const OwnFolder folder = parent.Sub(name, false);
    if (!folder.IsOpen())
        return;
    const QList<QByteArray> names = folder.Names();
    for (const QByteArray &entry : names) {
        if (IsClaimName(entry))
            DiscardFolder(folder, entry);
        else if (IsStoreFileName(entry) && !IsKeptCopy(folder, entry))
            folder.Remove(entry);
    }
    parent.RemoveFolder(name);
}

} // namespace

QString ListRecoveredScripts(const QList<RecoveredScript> &scripts)
{
    QStringList lines;
    for (const RecoveredScript &script : scripts.mid(0, kListedScripts)) {
        QString line = script.path.isEmpty() ? script.title : script.path;
        if (script.tooLarge)
            line += QStringLiteral(" (too large to open; its copy is kept as %1)").arg(QuotedPath(script.copyPath));
        lines.append(line);
    }
    if (scripts.size() > kListedScripts)
        lines.append(QStringLiteral("and %1 more").arg(scripts.size() - kListedScripts));
    return lines.join(QLatin1Char('\n'));
}

RecoveryStore::RecoveryStore(const QString &folder, int ownParts) : m_folder(folder), m_ownParts(ownParts) {}

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
    m_folderDir = OwnFolder::Open(m_folder, m_ownParts, error);
    if (!m_folderDir.IsOpen())
        return false;
    const qint64 pid = getpid();
    const QByteArray name = EncodeFileName(SessionName(BootId(), pid, StartTimeOf(pid)));
    DiscardFolder(m_folderDir, name); // an earlier process with this very identity is gone
    m_sessionDir = m_folderDir.Sub(name, true, error);
    if (!m_sessionDir.IsOpen())
        return false;
    m_session = m_sessionDir.Path();
    m_worker = std::thread(&RecoveryStore::Run, this);
    return true;
}

QList<RecoveredScript> RecoveryStore::ClaimOrphans()
{
    QList<RecoveredScript> scripts;
    if (!m_sessionDir.IsOpen())
        return scripts;
    const QString boot = BootId();
    const QByteArray own = EncodeFileName(QFileInfo(m_session).fileName());
    for (const QByteArray &name : m_folderDir.Names()) {
        if (name == own || SessionIsAlive(DecodeFileName(name), boot) || !m_folderDir.HoldsOwnFolder(name))
            continue;
        // The rename is the claim: of two Scribas starting at once, only one succeeds.
        m_folderDir.MoveTo(name, m_sessionDir, EncodeFileName(kClaimedPrefix + QString::number(++m_claimed)));
    }
    for (const QByteArray &name : m_sessionDir.Names())
        if (IsClaimName(name))
            if (const OwnFolder claim = m_sessionDir.Sub(name, false); claim.IsOpen())
                CollectCopies(claim, scripts);
    // Named scripts first, then the untitled ones, each in order: the question lists them so.
    std::sort(scripts.begin(), scripts.end(), [](const RecoveredScript &a, const RecoveredScript &b) {
        return std::tuple(a.path.isEmpty(), a.path, a.title) < std::tuple(b.path.isEmpty(), b.path, b.title);
    });
    return scripts;
}

void RecoveryStore::DiscardClaimed()
{
    if (!m_sessionDir.IsOpen())
        return;
    for (const QByteArray &name : m_sessionDir.Names())
        if (IsClaimName(name))
            DiscardFolder(m_sessionDir, name);
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
    const QByteArray text = QByteArray::number(task.slot) + ".lua";
    const QByteArray info = QByteArray::number(task.slot) + ".info";
    if (task.remove) {
        m_sessionDir.Remove(info);
        m_sessionDir.Remove(text);
        return;
    }
    QString error;
    // The information first: a copy is never found without its path and title, and a crash
    // between the two leaves the previous copy with the same information.
    if (!m_sessionDir.WriteFile(info, task.info, &error) || !m_sessionDir.WriteFile(text, task.text, &error))
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
    if (m_sessionDir.IsOpen())
        DiscardFolder(m_folderDir, EncodeFileName(QFileInfo(m_session).fileName()));
    m_sessionDir = OwnFolder();
    m_session.clear();
}
