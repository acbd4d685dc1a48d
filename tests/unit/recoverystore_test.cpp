// Recovery copies: written and removed in order, gone after a clean exit, and claimed only
// from Scribas that are really gone.
#include "app/fileio.h"
#include "doc/recoverystore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString BootPrefix()
{
    QFile file("/proc/sys/kernel/random/boot_id");
    file.open(QIODevice::ReadOnly);
    const QString id = QString::fromLatin1(file.readAll().trimmed()).remove('-').left(8);
    return id.isEmpty() ? QStringLiteral("0") : id;
}

QString StartTimeOf(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    file.open(QIODevice::ReadOnly);
    const QByteArray stat = file.readAll();
    return QString::fromLatin1(stat.mid(stat.lastIndexOf(')') + 2).split(' ').value(19));
}

// A copy left in a session folder the way a running Scriba leaves it.
void LeaveCopy(const QString &session, const QString &slot, const QByteArray &text, const QByteArray &info)
{
    QDir().mkpath(session);
    QString error;
    ASSERT_TRUE(WriteWholeFile(session + "/" + slot + ".lua", text.constData(), text.size(), &error));
    if (!info.isNull()) {
        ASSERT_TRUE(WriteWholeFile(session + "/" + slot + ".info", info.constData(), info.size(), &error));
    }
}

TEST(RecoveryStoreTest, CopiesAreWrittenRemovedAndGoneAfterACleanExit)
{
    QTemporaryDir folder;
    RecoveryStore store(folder.path());
    QString error;
    ASSERT_TRUE(store.Start(&error)) << error.toStdString();
    const int untitled = store.NewSlot();
    const int named = store.NewSlot();
    const QByteArray text("x = 1\r\n\0\xFF", 9);
    store.Store(untitled, "first", QString(), "untitled.lua");
    store.Store(untitled, text, QString(), "untitled.lua"); // replaces the one not yet written
    store.Store(named, "y = 2\n", DecodeFileName("/tmp/caf\xE9.lua"), "caf.lua");
    store.Flush();
    const QString session = store.SessionFolder();
    QFile copy(session + QStringLiteral("/%1.lua").arg(untitled));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), text);
    EXPECT_EQ(QFileInfo(copy).permissions() & 0x0077, 0) << "copies are the user's alone";

    store.Remove(untitled);
    store.Flush();
    EXPECT_FALSE(QFile::exists(session + QStringLiteral("/%1.lua").arg(untitled)));
    EXPECT_FALSE(QFile::exists(session + QStringLiteral("/%1.info").arg(untitled)));
    EXPECT_TRUE(QFile::exists(session + QStringLiteral("/%1.lua").arg(named)));

    store.Finish();
    EXPECT_FALSE(QFileInfo::exists(session));
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

TEST(RecoveryStoreTest, TestsNeverReachTheUsersOwnCopies)
{
    const QString real = RecoveryStore::DefaultFolder();
    QStandardPaths::setTestModeEnabled(true);
    EXPECT_NE(RecoveryStore::DefaultFolder(), real);
    EXPECT_TRUE(RecoveryStore::DefaultFolder().contains(QStringLiteral("/.qttest/")));
    QStandardPaths::setTestModeEnabled(false);
}

// Whose copies a starting Scriba may take.
struct OwnerCase {
    const char *name;
    std::function<QString()> sessionName;
    bool claimed;
};

void PrintTo(const OwnerCase &c, std::ostream *os) { *os << c.name; }

class ClaimTest : public testing::TestWithParam<OwnerCase> {};

TEST_P(ClaimTest, TakesOnlyTheCopiesOfScribasThatAreGone)
{
    QTemporaryDir folder;
    const QString other = folder.filePath(GetParam().sessionName());
    LeaveCopy(other, "1", "print(1)\n", "path=%2Fw%2Fa.lua\ntitle=a.lua\nsize=9\n");
    RecoveryStore store(folder.path());
    QString error;
    ASSERT_TRUE(store.Start(&error));
    const QList<RecoveredScript> scripts = store.ClaimOrphans();
    if (!GetParam().claimed) {
        EXPECT_TRUE(scripts.isEmpty());
        EXPECT_TRUE(QFile::exists(other + "/1.lua")) << "another Scriba's copies stay where they are";
        return;
    }
    ASSERT_EQ(scripts.size(), 1);
    EXPECT_EQ(scripts[0].path, "/w/a.lua");
    EXPECT_EQ(scripts[0].title, "a.lua");
    EXPECT_EQ(scripts[0].text, "print(1)\n");
    EXPECT_FALSE(QFileInfo::exists(other)) << "claimed, so no other Scriba offers them too";
    store.DiscardClaimed();
    EXPECT_TRUE(store.ClaimOrphans().isEmpty());
}

// Above the largest process number Linux gives out.
constexpr qint64 kNoSuchProcess = (1 << 22) + 1;

INSTANTIATE_TEST_SUITE_P(
    Recovery, ClaimTest,
    testing::Values(
        OwnerCase{"ProcessIsGone", [] { return QStringLiteral("%1-%2-100").arg(BootPrefix()).arg(kNoSuchProcess); }, true},
        OwnerCase{"ProcessNumberReusedByAnother",
                  [] { return QStringLiteral("%1-%2-1").arg(BootPrefix()).arg(getppid()); }, true},
        OwnerCase{"EarlierBoot", [] { return QStringLiteral("deadbeef-%1-%2").arg(getppid()).arg(StartTimeOf(getppid())); },
                  true},
        OwnerCase{"RunningScriba",
                  [] { return QStringLiteral("%1-%2-%3").arg(BootPrefix()).arg(getppid()).arg(StartTimeOf(getppid())); },
                  false},
        OwnerCase{"NotASessionFolder", [] { return QStringLiteral("notes"); }, false}),
    [](const testing::TestParamInfo<OwnerCase> &info) { return std::string(info.param.name); });

TEST(RecoveryStoreTest, CopiesOfAClaimThatCrashedAreFoundAgain)
{
    QTemporaryDir folder;
    // A Scriba claimed the copies of another, then was killed before it dealt with them.
    const QString crashed = folder.filePath(QStringLiteral("%1-%2-100").arg(BootPrefix()).arg(kNoSuchProcess));
    LeaveCopy(crashed, "3", "own\n", "path=\ntitle=untitled.lua\n");
    LeaveCopy(crashed + "/claimed-1", "1", "older\n", QByteArray()); // its information never made it
    RecoveryStore store(folder.path());
    QString error;
    ASSERT_TRUE(store.Start(&error));
    QList<RecoveredScript> scripts = store.ClaimOrphans();
    ASSERT_EQ(scripts.size(), 2);
    std::sort(scripts.begin(), scripts.end(), [](auto &a, auto &b) { return a.text < b.text; });
    EXPECT_EQ(scripts[0].text, "older\n");
    EXPECT_TRUE(scripts[0].path.isEmpty());
    EXPECT_EQ(scripts[1].text, "own\n");
    EXPECT_EQ(scripts[1].title, "untitled.lua");
}

// ---------------------------------------------------------------- nothing planted is trusted

QByteArray Native(const QString &path) { return EncodeFileName(path); }

mode_t ModeOf(const QString &path)
{
    struct stat st {};
    lstat(Native(path).constData(), &st);
    return st.st_mode;
}

// Runs work as a user other than the owner of what root made: root hands the work to nobody
// (user 65534) in a child process; anyone else runs it as they are. True when work returned true.
bool AsOrdinaryUser(const std::function<bool()> &work)
{
    if (geteuid() != 0)
        return work();
    const pid_t child = fork();
    if (child == 0)
        _exit(setgid(65534) == 0 && setuid(65534) == 0 && work() ? 0 : 1);
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A recovery folder the store must not use, and the cause it must give.
struct RefusedFolderCase {
    const char *name;
    // Makes the situation in scratch; returns the recovery folder and how many of its last parts
    // are the store's own.
    std::function<std::pair<QString, int>(const QString &scratch)> make;
    const char *cause;
};

void PrintTo(const RefusedFolderCase &c, std::ostream *os) { *os << c.name; }

class RefusedFolderTest : public testing::TestWithParam<RefusedFolderCase> {};

TEST_P(RefusedFolderTest, IsNeitherUsedNorChanged)
{
    QTemporaryDir scratch;
    QDir(scratch.path()).mkdir("elsewhere");
    chmod(Native(scratch.filePath("elsewhere")).constData(), 0755);
    const auto [folder, ownParts] = GetParam().make(scratch.path());
    RecoveryStore store(folder, ownParts);
    QString error;
    EXPECT_FALSE(store.Start(&error));
    EXPECT_TRUE(error.contains(GetParam().cause)) << error.toStdString();
    EXPECT_TRUE(store.ClaimOrphans().isEmpty());
    EXPECT_EQ(ModeOf(scratch.filePath("elsewhere")) & 07777, 0755u) << "never chmod-ed";
    EXPECT_TRUE(QDir(scratch.filePath("elsewhere")).isEmpty()) << "nothing made through the link";
}

INSTANTIATE_TEST_SUITE_P(
    Recovery, RefusedFolderTest,
    testing::Values(
        RefusedFolderCase{"FolderIsALink",
                          [](const QString &s) {
                              symlink("elsewhere", Native(s + "/recovery").constData());
                              return std::pair(s + "/recovery", 1);
                          },
                          "is a symbolic link"},
        RefusedFolderCase{"ParentTheStoreMakesIsALink",
                          [](const QString &s) {
                              symlink("elsewhere", Native(s + "/Scriba").constData());
                              return std::pair(s + "/Scriba/recovery", RecoveryStore::kDefaultOwnParts);
                          },
                          "is a symbolic link"},
        RefusedFolderCase{"WritableByOthers",
                          [](const QString &s) {
                              QDir(s).mkdir("recovery");
                              chmod(Native(s + "/recovery").constData(), 0777);
                              return std::pair(s + "/recovery", 1);
                          },
                          "may be written by other users (mode 0777)"},
        RefusedFolderCase{"CannotBeMade",
                          [](const QString &s) {
                              QFile file(s + "/plain");
                              file.open(QIODevice::WriteOnly);
                              return std::pair(s + "/plain/recovery", 1);
                          },
                          "could not create the folder"}),
    [](const testing::TestParamInfo<RefusedFolderCase> &info) { return std::string(info.param.name); });

TEST(RecoveryStoreTest, FolderOfAnotherUserIsRefused)
{
    // As root (as with "sudo -E", which keeps the user's HOME) the folder is root's and the store
    // runs as another user; anyone else meets a folder of root's.
    QTemporaryDir scratch;
    chmod(Native(scratch.path()).constData(), 0755);
    QDir(scratch.path()).mkdir("recovery");
    chmod(Native(scratch.filePath("recovery")).constData(), 0755);
    const QString folder = geteuid() == 0 ? scratch.filePath("recovery") : QStringLiteral("/etc");
    EXPECT_TRUE(AsOrdinaryUser([&folder] {
        RecoveryStore store(folder);
        QString error;
        return !store.Start(&error) && error.contains("belongs to another user");
    }));
    EXPECT_TRUE(QDir(scratch.filePath("recovery")).isEmpty());
}

// What another process may have planted in the recovery folder, and what must stay untouched.
struct PlantCase {
    const char *name;
    // Plants in the recovery folder, using victim (a folder outside it with a file "1.lua" and
    // a file "keep.txt").
    std::function<void(const QString &recovery, const QString &victim)> plant;
};

void PrintTo(const PlantCase &c, std::ostream *os) { *os << c.name; }

class PlantedTest : public testing::TestWithParam<PlantCase> {};

TEST_P(PlantedTest, IsNeverOfferedReadOrDeletedThrough)
{
    QTemporaryDir scratch;
    const QString recovery = scratch.filePath("recovery");
    const QString victim = scratch.filePath("victim");
    QDir().mkpath(recovery);
    QDir().mkpath(victim);
    QString error;
    ASSERT_TRUE(WriteWholeFile(victim + "/1.lua", "secret\n", 7, &error));
    ASSERT_TRUE(WriteWholeFile(victim + "/keep.txt", "keep\n", 5, &error));
    GetParam().plant(recovery, victim);

    RecoveryStore store(recovery);
    ASSERT_TRUE(store.Start(&error)) << error.toStdString();
    EXPECT_TRUE(store.ClaimOrphans().isEmpty());
    store.DiscardClaimed();
    store.Finish();
    EXPECT_EQ(QDir(victim).entryList(QDir::Files), QStringList({"1.lua", "keep.txt"}));
    QFile secret(victim + "/1.lua");
    ASSERT_TRUE(secret.open(QIODevice::ReadOnly));
    EXPECT_EQ(secret.readAll(), "secret\n");
}

const QString kDeadSession = QStringLiteral("00000000-4194305-1"); // no such process

INSTANTIATE_TEST_SUITE_P(
    Recovery, PlantedTest,
    testing::Values(
        PlantCase{"SessionIsALinkToAFolder",
                  [](const QString &r, const QString &v) {
                      symlink(Native(v).constData(), Native(r + "/" + kDeadSession).constData());
                  }},
        PlantCase{"CopyIsALinkToAFile",
                  [](const QString &r, const QString &v) {
                      QDir(r).mkdir(kDeadSession);
                      symlink(Native(v + "/1.lua").constData(), Native(r + "/" + kDeadSession + "/1.lua").constData());
                      LeaveCopy(r + "/" + kDeadSession, "2", QByteArray(), QByteArray()); // the information only
                      QFile::remove(r + "/" + kDeadSession + "/2.lua");
                  }},
        PlantCase{"CopyIsANamedPipe",
                  [](const QString &r, const QString &) {
                      QDir(r).mkdir(kDeadSession);
                      mkfifo(Native(r + "/" + kDeadSession + "/1.lua").constData(), 0600);
                  }},
        PlantCase{"ClaimIsALinkToAFolder",
                  [](const QString &r, const QString &v) {
                      QDir(r).mkdir(kDeadSession);
                      symlink(Native(v).constData(), Native(r + "/" + kDeadSession + "/claimed-1").constData());
                  }}),
    [](const testing::TestParamInfo<PlantCase> &info) { return std::string(info.param.name); });

TEST(RecoveryStoreTest, SessionOfAnotherUserIsNotClaimed)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can plant a folder of another user's";
    QTemporaryDir folder;
    const QString other = folder.filePath(kDeadSession);
    LeaveCopy(other, "1", "theirs\n", "path=\ntitle=a.lua\n");
    ASSERT_EQ(chown(Native(other).constData(), 65534, 65534), 0);
    RecoveryStore store(folder.path());
    QString error;
    ASSERT_TRUE(store.Start(&error));
    EXPECT_TRUE(store.ClaimOrphans().isEmpty());
    store.DiscardClaimed();
    EXPECT_TRUE(QFile::exists(other + "/1.lua"));
}

TEST(RecoveryStoreTest, CopiesAreNeverWrittenThroughALink)
{
    QTemporaryDir scratch;
    const QString target = scratch.filePath("target.conf");
    QString error;
    ASSERT_TRUE(WriteWholeFile(target, "conf\n", 5, &error));
    RecoveryStore store(scratch.filePath("recovery"));
    ASSERT_TRUE(store.Start(&error));
    const int slot = store.NewSlot();
    for (const char *suffix : {".lua", ".info", ".lua.new"}) {
        const QString name = (QByteArray(suffix).endsWith(".new") ? "." : "") + QString::number(slot) + suffix;
        symlink(Native(target).constData(), Native(store.SessionFolder() + "/" + name).constData());
    }
    store.Store(slot, "unsaved\n", QString(), "untitled.lua");
    store.Flush();
    QFile conf(target);
    ASSERT_TRUE(conf.open(QIODevice::ReadOnly));
    EXPECT_EQ(conf.readAll(), "conf\n");
    EXPECT_TRUE(S_ISREG(ModeOf(store.SessionFolder() + QStringLiteral("/%1.lua").arg(slot))));
    store.Finish();
    EXPECT_TRUE(QFile::exists(target));
}

TEST(RecoveryStoreTest, CopyTooLargeToOpenIsListedNotReadAndKept)
{
    QTemporaryDir folder;
    const QString other = folder.filePath(kDeadSession);
    LeaveCopy(other, "1", "x", "path=%2Fw%2Fbig.lua\ntitle=big.lua\n");
    if (truncate(Native(other + "/1.lua").constData(), (qint64(5) << 29)) != 0) // 2.5 GB, sparse
        GTEST_SKIP() << "this file system has no sparse files";
    RecoveryStore store(folder.path());
    QString error;
    ASSERT_TRUE(store.Start(&error));
    const QList<RecoveredScript> scripts = store.ClaimOrphans();
    ASSERT_EQ(scripts.size(), 1);
    EXPECT_TRUE(scripts[0].tooLarge);
    EXPECT_TRUE(scripts[0].text.isEmpty());
    EXPECT_TRUE(ListRecoveredScripts(scripts).startsWith("/w/big.lua (too large to open; its copy is kept as \""));
    store.DiscardClaimed();
    store.Finish();
    EXPECT_TRUE(QFile::exists(scripts[0].copyPath)) << "the only copy of that work stays";
}

TEST(RecoveryStoreTest, QuestionListsTenScriptsThenHowManyMore)
{
    QList<RecoveredScript> scripts;
    for (int i = 1; i <= 12; ++i)
        scripts.append({.path = i % 2 ? QStringLiteral("/w/%1.lua").arg(i) : QString(),
                        .title = QStringLiteral("untitled[%1].lua").arg(i),
                        .text = {}, .tooLarge = false, .copyPath = {}});
    const QStringList lines = ListRecoveredScripts(scripts).split('\n');
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[0], "/w/1.lua");
    EXPECT_EQ(lines[1], "untitled[2].lua");
    EXPECT_EQ(lines[10], "and 2 more");
}

} // namespace
