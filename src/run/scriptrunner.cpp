#include "scriptrunner.h"

#include "run/placeparser.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <utility>

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

QString Shown(const QByteArray &bytes)
{
    QString text = QString::fromUtf8(bytes);
    text.replace(QLatin1Char('\t'), QLatin1String("    "));
    return text;
}

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
    m_kill->setInterval(kStopGraceMs);
    connect(m_kill, &QTimer::timeout, &m_process, &QProcess::kill);
    m_process.setInputChannelMode(QProcess::ManagedInputChannel);
    connect(&m_process, &QProcess::readyReadStandardOutput, m_pump, qOverload<>(&QTimer::start));
    connect(&m_process, &QProcess::readyReadStandardError, m_pump, qOverload<>(&QTimer::start));
    connect(&m_process, &QProcess::finished, this, &CScriptRunner::OnFinished);
    connect(&m_process, &QProcess::errorOccurred, this, &CScriptRunner::OnError);
}

CScriptRunner::~CScriptRunner()
{
    m_process.disconnect(this);
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
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
    m_stdout.partial.clear();
    m_stderr.partial.clear();
    m_stopped = false;
    m_running = true;
    m_clock.start();
    m_process.setWorkingDirectory(folder);
    m_process.setProgram(words.first());
    m_process.setArguments(words.mid(1));
    m_process.start(QIODevice::ReadOnly);
    m_process.closeWriteChannel();
    return m_running;
}

void CScriptRunner::Stop()
{
    if (!m_running || m_process.state() == QProcess::NotRunning)
        return;
    m_stopped = true;
    m_process.terminate();
    m_kill->start();
}

void CScriptRunner::Pump()
{
    qint64 budget = kSliceBytes;
    const bool more = ReadSome(m_stderr, budget / 4) | ReadSome(m_stdout, budget);
    if (more) {
        m_pump->start();
    } else if (!m_ending.isEmpty()) {
        for (Channel *channel : {&m_stdout, &m_stderr})
            if (!channel->partial.isEmpty())
                AddLine(std::exchange(channel->partial, QByteArray()), channel == &m_stderr);
        Finish(m_ending);
        return;
    }
    if (!m_flush->isActive())
        m_flush->start(kFlushMs);
}

// Reads at most budget bytes of the channel into lines; true when more is waiting.
bool CScriptRunner::ReadSome(Channel &channel, qint64 budget)
{
    m_process.setReadChannel(channel.channel);
    const QByteArray bytes = m_process.read(budget);
    qsizetype start = 0;
    for (qsizetype end = bytes.indexOf('\n'); end >= 0; end = bytes.indexOf('\n', start)) {
        QByteArray line = channel.partial + bytes.mid(start, end - start);
        channel.partial.clear();
        if (line.endsWith('\r'))
            line.chop(1);
        AddLine(line, channel.channel == QProcess::StandardError);
        start = end + 1;
    }
    channel.partial += bytes.mid(start);
    while (channel.partial.size() > kLongestLine)
        AddLine(std::exchange(channel.partial, channel.partial.mid(kLongestLine)).left(kLongestLine),
                channel.channel == QProcess::StandardError);
    return m_process.bytesAvailable() > 0;
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
    entry.text = Shown(bytes);
    m_pending.push_back(std::move(entry));
    // Lines beyond what the list keeps would only be dropped there.
    if (m_pending.size() > std::size_t(m_output->Limit()))
        m_pending.pop_front();
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
    ResultEntry entry;
    entry.text = summary;
    entry.kind = ResultKind::Note;
    m_pending.push_back(std::move(entry));
    m_summary = summary;
    m_flush->start(0); // what is still waiting is shown a batch at a time, then the run has ended
}

QString CScriptRunner::Seconds() const
{
    return QString::number(double(m_clock.elapsed()) / 1000.0, 'f', 1);
}
