#include "scriptrunner.h"

#include "run/placeparser.h"

#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Bytes read and converted in one turn of the event loop: a few milliseconds' work.
constexpr qint64 kSliceBytes = 64 * 1024;
// How often the lines read so far are shown, and how many at most in one turn of the event loop.
constexpr int kFlushMs = 40;
constexpr std::size_t kFlushLines = 4096;
// A line longer than this is shown in pieces: a program that prints one endless line must not
// fill the memory.
constexpr qsizetype kLongestLine = 64 * 1024;
// The most error places marked in the scripts after a run.
constexpr std::size_t kMostErrors = 1000;
// What is still read of the terminal once the program has ended: a program it started may
// keep printing there.
constexpr qint64 kMostAfterEnd = 16 * 1024 * 1024;
// What an error message waits for: the output printed before it, up to what a terminal holds,
// read in this many slices at most.
constexpr int kDrainSlices = 16;

} // namespace

CScriptRunner::CScriptRunner(ResultModel *output, QObject *parent)
    : QObject(parent), m_output(output), m_pump(new QTimer(this)), m_flush(new QTimer(this)), m_kill(new QTimer(this))
{
    m_pump->setSingleShot(true);
    m_pump->setInterval(0);
    connect(m_pump, &QTimer::timeout, this, &CScriptRunner::Pump);
    m_flush->setSingleShot(true);
    connect(m_flush, &QTimer::timeout, this, &CScriptRunner::Flush);
    m_kill->setSingleShot(true);
    m_kill->setTimerType(Qt::PreciseTimer); // a coarse timer may fire a little early
    m_kill->setInterval(kStopGraceMs);
    connect(m_kill, &QTimer::timeout, this, &CScriptRunner::KillStopped);
    m_process.setInputChannelMode(QProcess::ManagedInputChannel);
    connect(&m_process, &QProcess::readyReadStandardOutput, m_pump, qOverload<>(&QTimer::start));
    connect(&m_process, &QProcess::readyReadStandardError, this, [this] {
        // What the program printed before the error message is shown before it.
        for (int slice = 0; slice < kDrainSlices && ReadTerminal(kSliceBytes); ++slice) {
        }
        m_pump->start();
    });
    connect(&m_process, &QProcess::finished, this, &CScriptRunner::OnFinished);
    connect(&m_process, &QProcess::errorOccurred, this, &CScriptRunner::OnError);
}

CScriptRunner::~CScriptRunner()
{
    // The program and those it started are asked to end, and killed when they have not in time.
    m_process.disconnect(this);
    if (m_process.state() != QProcess::NotRunning) {
        if (m_group <= 0 || ::kill(pid_t(-m_group), SIGTERM) != 0)
            m_process.terminate();
        m_process.waitForFinished(kStopGraceMs);
        m_stopping = m_group;
    }
    KillStopped();
    m_process.waitForFinished(1000);
    CloseTerminal();
}

bool CScriptRunner::IsRunning() const
{
    return m_running;
}

bool CScriptRunner::Start(const QStringList &words, const QString &folder, const QString &scriptPath)
{
    m_folder = folder;
    m_scriptPath = scriptPath;
    m_errors.clear();
    m_resolved.clear();
    m_ending.clear();
    m_summary.clear();
    m_pending.clear();
    m_pendingChars = 0;
    m_pendingDropped = 0;
    m_readAfterEnd = 0;
    m_stdout.partial.clear();
    m_stderr.partial.clear();
    m_stopped = false;
    m_running = true;
    if (m_kill->isActive()) { // what is left of the last run has had long enough
        m_kill->stop();
        KillStopped();
    }
    CloseTerminal();
    OpenTerminal();
    m_clock.start();
    m_process.setWorkingDirectory(folder);
    m_process.setProgram(words.first());
    m_process.setArguments(words.mid(1));
    m_process.setStandardOutputFile(m_terminalSide >= 0 ? QProcess::nullDevice() : QString());
    // The terminal shows plain lines: programs that colour their output for a terminal leave
    // it plain for one that says it is dumb.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (m_terminalSide >= 0)
        environment.insert(QStringLiteral("TERM"), QStringLiteral("dumb"));
    m_process.setProcessEnvironment(environment);
    const int terminal = m_terminalSide;
    m_process.setChildProcessModifier([terminal] {
        // A process group of its own, which Stop ends as a whole; the terminal as its output.
        ::setsid();
        if (terminal >= 0)
            ::dup2(terminal, STDOUT_FILENO);
    });
    m_process.start(QIODevice::ReadOnly);
    m_process.closeWriteChannel();
    m_group = m_process.processId();
    if (m_terminalSide >= 0) // the program has its own copy now
        ::close(std::exchange(m_terminalSide, -1));
    return m_running;
}

bool CScriptRunner::OpenTerminal()
{
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal < 0)
        return false;
    char name[256];
    int side = -1;
    if (::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0 && ::ptsname_r(terminal, name, sizeof name) == 0)
        side = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (side < 0) {
        ::close(terminal);
        return false;
    }
    // Lines pass as they are, with no carriage returns added.
    termios modes{};
    if (::tcgetattr(side, &modes) == 0) {
        ::cfmakeraw(&modes);
        ::tcsetattr(side, TCSANOW, &modes);
    }
    ::fcntl(terminal, F_SETFL, ::fcntl(terminal, F_GETFL) | O_NONBLOCK);
    m_terminal = terminal;
    m_terminalSide = side;
    m_terminalReady = new QSocketNotifier(qintptr(terminal), QSocketNotifier::Read, this);
    connect(m_terminalReady, &QSocketNotifier::activated, this, [this] {
        // Read in the pump's turns; the notice comes again once the pump has read all there is.
        m_terminalReady->setEnabled(false);
        if (!m_pump->isActive())
            m_pump->start();
    });
    return true;
}

void CScriptRunner::CloseTerminal()
{
    delete std::exchange(m_terminalReady, nullptr);
    if (m_terminal >= 0)
        ::close(std::exchange(m_terminal, -1));
    if (m_terminalSide >= 0)
        ::close(std::exchange(m_terminalSide, -1));
}

void CScriptRunner::Stop()
{
    if (!m_running || m_process.state() == QProcess::NotRunning)
        return;
    m_stopped = true;
    m_stopping = m_group;
    if (m_group <= 0 || ::kill(pid_t(-m_group), SIGTERM) != 0)
        m_process.terminate();
    m_kill->start();
}

// Kills what is left of a stopped run once its time to end has passed: the program, and the
// programs it started, which may outlive it.
void CScriptRunner::KillStopped()
{
    if (m_stopping > 0)
        ::kill(pid_t(-std::exchange(m_stopping, 0)), SIGKILL);
    if (m_process.state() != QProcess::NotRunning)
        m_process.kill();
}

void CScriptRunner::Pump()
{
    const bool more = ReadSome(m_stderr, kSliceBytes / 4) | ReadTerminal(kSliceBytes) | ReadSome(m_stdout, kSliceBytes);
    if (more) {
        m_pump->start();
    } else if (!m_ending.isEmpty()) {
        for (Channel *channel : {&m_stdout, &m_stderr})
            if (!channel->partial.isEmpty())
                AddLine(std::exchange(channel->partial, QByteArray()), channel == &m_stderr);
        Finish(m_ending);
        return;
    } else if (m_terminalReady) {
        m_terminalReady->setEnabled(true);
    }
    if (!m_flush->isActive())
        m_flush->start(kFlushMs);
}

// Reads at most budget bytes of the channel into lines; true when more is waiting.
bool CScriptRunner::ReadSome(Channel &channel, qint64 budget)
{
    m_process.setReadChannel(channel.channel);
    TakeBytes(channel, m_process.read(budget));
    return m_process.bytesAvailable() > 0;
}

// Reads at most budget bytes of the terminal into lines; true when more may be waiting.
bool CScriptRunner::ReadTerminal(qint64 budget)
{
    if (m_terminal < 0)
        return false;
    QByteArray bytes(budget, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < budget) {
        const ssize_t count = ::read(m_terminal, bytes.data() + got, std::size_t(budget - got));
        if (count > 0) {
            got += count;
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count == 0 || errno != EAGAIN) // every program that could print there has ended
            CloseTerminal();
        break;
    }
    bytes.truncate(got);
    TakeBytes(m_stdout, bytes);
    if (!m_ending.isEmpty())
        m_readAfterEnd += got;
    return got == budget && m_terminal >= 0 && m_readAfterEnd < kMostAfterEnd;
}

void CScriptRunner::TakeBytes(Channel &channel, const QByteArray &bytes)
{
    const bool error = channel.channel == QProcess::StandardError;
    qsizetype start = 0;
    for (qsizetype end = bytes.indexOf('\n'); end >= 0; end = bytes.indexOf('\n', start)) {
        QByteArray line = channel.partial + bytes.mid(start, end - start);
        channel.partial.clear();
        if (line.endsWith('\r'))
            line.chop(1);
        AddLine(line, error);
        start = end + 1;
    }
    channel.partial += bytes.mid(start);
    while (channel.partial.size() > kLongestLine)
        AddLine(std::exchange(channel.partial, channel.partial.mid(kLongestLine)).left(kLongestLine), error);
}

void CScriptRunner::AddLine(const QByteArray &bytes, bool error)
{
    ResultEntry entry;
    entry.kind = error ? ResultKind::Error : ResultKind::Plain;
    const std::string_view line(bytes.constData(), std::size_t(bytes.size()));
    if (const std::optional<TextPlace> place = FindPlace(line)) {
        entry.path = ResolvePath(QString::fromUtf8(place->path.data(), qsizetype(place->path.size())));
        if (!entry.path.isEmpty()) {
            entry.line = place->line;
            entry.column = place->column;
            entry.message = QString::fromUtf8(line.substr(place->end)).trimmed();
            // The lines of a traceback are indented; the message itself names where it failed.
            if (error && m_errors.size() < kMostErrors && !bytes.startsWith('\t') && !bytes.startsWith(' '))
                m_errors.push_back({entry.path, entry.line, entry.message});
        }
    }
    entry.text = ResultModel::LineText(QString::fromUtf8(bytes));
    m_pendingChars += entry.text.size();
    m_pending.push_back(std::move(entry));
    KeepPending();
}

// Lines beyond what the list keeps, in number or in size, would only be dropped there.
void CScriptRunner::KeepPending()
{
    while (m_pending.size() > 1 && (m_pending.size() > std::size_t(m_output->Limit())
                                    || m_pendingChars > m_output->CharBudget())) {
        m_pendingChars -= m_pending.front().text.size();
        m_pending.pop_front();
        ++m_pendingDropped;
    }
}

QString CScriptRunner::ResolvePath(const QString &printed)
{
    const auto known = m_resolved.constFind(printed);
    if (known != m_resolved.constEnd())
        return *known;
    QString path;
    if (printed.startsWith(QLatin1String("..."))) {
        // Lua shortens a long path to its end.
        if (m_scriptPath.endsWith(printed.mid(3)))
            path = m_scriptPath;
    } else {
        const QFileInfo file(QDir(m_folder), printed);
        if (file.isFile())
            path = file.absoluteFilePath();
    }
    if (m_resolved.size() < 10000)
        m_resolved.insert(printed, path);
    return path;
}

// Shows a batch of the lines read; more are shown in the next turn of the event loop.
void CScriptRunner::Flush()
{
    const std::size_t count = std::min(m_pending.size(), kFlushLines);
    std::vector<ResultEntry> batch(std::make_move_iterator(m_pending.begin()),
                                   std::make_move_iterator(m_pending.begin() + std::ptrdiff_t(count)));
    m_pending.erase(m_pending.begin(), m_pending.begin() + std::ptrdiff_t(count));
    for (const ResultEntry &entry : batch)
        m_pendingChars -= entry.text.size();
    m_output->CountDropped(std::exchange(m_pendingDropped, 0));
    m_output->Append(std::move(batch));
    if (!m_pending.empty()) {
        m_flush->start(m_summary.isEmpty() ? kFlushMs : 0); // the rest at once when the program has ended
    } else if (!m_summary.isEmpty()) {
        m_running = false;
        emit finished(std::exchange(m_summary, QString()));
    }
}

void CScriptRunner::OnFinished(int exitCode, QProcess::ExitStatus status)
{
    if (!m_stopping) // else the programs it started are given their time to end, then killed
        m_kill->stop();
    if (status == QProcess::CrashExit)
        m_ending = m_stopped ? tr("Stopped after %1 s").arg(Seconds()) : tr("Ended by a signal after %1 s").arg(Seconds());
    else
        m_ending = tr("Finished with exit code %1 in %2 s").arg(exitCode).arg(Seconds());
    Pump();
}

void CScriptRunner::OnError(QProcess::ProcessError error)
{
    if (error != QProcess::FailedToStart || !m_running)
        return;
    Finish(tr("Could not start %1: %2").arg(m_process.program(), m_process.errorString()));
}

void CScriptRunner::Finish(const QString &summary)
{
    m_pump->stop();
    CloseTerminal();
    ResultEntry entry;
    entry.text = summary;
    entry.kind = ResultKind::Note;
    m_pendingChars += entry.text.size();
    m_pending.push_back(std::move(entry));
    m_summary = summary;
    m_flush->start(0); // what is still waiting is shown a batch at a time, then the run has ended
}

QString CScriptRunner::Seconds() const
{
    return QString::number(double(m_clock.elapsed()) / 1000.0, 'f', 1);
}
