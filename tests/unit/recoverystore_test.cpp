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
#include <functional>
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

} // namespace
