// Files as the system has them: names that are bytes, and saving that keeps a file what it was
// (owner, permissions, links) and never leaves less than one whole version of it.
#include "app/fileio.h"
#include "app/regularfilereader.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// ---------------------------------------------------------------- file names

struct NameCase {
    const char *name;
    QByteArray bytes;
    bool undecodable;
};

void PrintTo(const NameCase &c, std::ostream *os) { *os << c.name; }

class FileNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(FileNameTest, RoundTripsEveryByte)
{
    const QString name = DecodeFileName(GetParam().bytes);
    EXPECT_EQ(EncodeFileName(name), GetParam().bytes);
    EXPECT_EQ(HasUndecodableBytes(name), GetParam().undecodable);
    if (!GetParam().undecodable) {
        EXPECT_EQ(name, QString::fromUtf8(GetParam().bytes));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, FileNameTest,
    testing::Values(NameCase{"Ascii", "a/b.lua", false}, NameCase{"Utf8", "gr\xC3\xBC\xC3\x9F" "e.lua", false},
                    NameCase{"Latin1Byte", "caf\xE9.lua", true}, NameCase{"LoneContinuation", "\x80x", true},
                    NameCase{"Overlong", "\xC0\xAF", true}, NameCase{"EncodedSurrogate", "\xED\xA0\x80", true},
                    NameCase{"TruncatedAtEnd", "a\xE2\x82", true},
                    NameCase{"MixedWithValid", "\xC3\xA9\xFF\xC3\xA9", true}),
    [](const testing::TestParamInfo<NameCase> &info) { return std::string(info.param.name); });

TEST(FileNameTest, AbsolutePathKeepsUndecodableBytes)
{
    const QString name = DecodeFileName("dir/../caf\xE9.lua");
    const QString absolute = AbsoluteFilePath(name);
    EXPECT_TRUE(absolute.startsWith(QLatin1Char('/')));
    EXPECT_TRUE(EncodeFileName(absolute).endsWith("/caf\xE9.lua"));
    EXPECT_EQ(EncodeFileName(FileNameOf(absolute)), QByteArray("caf\xE9.lua"));
}

// ---------------------------------------------------------------- saving

QByteArray Native(const QString &path) { return EncodeFileName(path); }

struct stat Stat(const QString &path)
{
    struct stat st {};
    lstat(Native(path).constData(), &st);
    return st;
}

QByteArray Read(const QString &path)
{
    RegularFileReader file(path);
    QByteArray bytes;
    return file.Open() && file.ReadAll(bytes) ? bytes : QByteArray("<unreadable>");
}

void Write(const QString &path, const QByteArray &bytes)
{
    QString error;
    ASSERT_TRUE(WriteWholeFile(path, bytes.constData(), bytes.size(), &error)) << error.toStdString();
}

QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// One file's situation before a save and what must still hold after it.
struct KeepCase {
    const char *name;
    bool needsRoot;
    // Makes the situation in folder; returns the path the program saves to.
    std::function<QString(const QString &folder)> make;
    // Checks the situation after the save of "new" to that path.
    std::function<void(const QString &folder)> check;
};

void PrintTo(const KeepCase &c, std::ostream *os) { *os << c.name; }

class SaveKeepsTheFileTest : public testing::TestWithParam<KeepCase> {};

TEST_P(SaveKeepsTheFileTest, WritesOnlyTheContent)
{
    if (GetParam().needsRoot && geteuid() != 0)
        GTEST_SKIP() << "only root can give a file another owner";
    QTemporaryDir folder;
    const QString target = GetParam().make(folder.path());
    Write(target, "new");
    GetParam().check(folder.path());
    EXPECT_FALSE(Entries(folder.path()).join(' ').contains(QLatin1String(".a.lua")))
        << "no temporary or backup is left: " << Entries(folder.path()).join(' ').toStdString();
}

QString MakeFile(const QString &folder, mode_t mode)
{
    const QString path = folder + QStringLiteral("/a.lua");
    Write(path, "old");
    chmod(Native(path).constData(), mode);
    return path;
}

INSTANTIATE_TEST_SUITE_P(
    Save, SaveKeepsTheFileTest,
    testing::Values(
        KeepCase{"PermissionBits", false, [](const QString &f) { return MakeFile(f, 0640); },
                 [](const QString &f) {
                     EXPECT_EQ(Read(f + "/a.lua"), "new");
                     EXPECT_EQ(Stat(f + "/a.lua").st_mode & 07777, 0640u);
                 }},
        KeepCase{"SetgidBit", false, [](const QString &f) { return MakeFile(f, 02750); },
                 [](const QString &f) { EXPECT_EQ(Stat(f + "/a.lua").st_mode & 07777, 02750u); }},
        KeepCase{"HardLinkStaysShared", false,
                 [](const QString &f) {
                     const QString a = MakeFile(f, 0644);
                     link(Native(a).constData(), Native(f + "/b.lua").constData());
                     return a;
                 },
                 [](const QString &f) {
                     EXPECT_EQ(Read(f + "/b.lua"), "new");
                     EXPECT_EQ(Stat(f + "/a.lua").st_ino, Stat(f + "/b.lua").st_ino);
                     EXPECT_EQ(Stat(f + "/a.lua").st_nlink, 2u);
                 }},
        KeepCase{"SymbolicLinkStaysALink", false,
                 [](const QString &f) {
                     MakeFile(f, 0644);
                     QDir(f).mkdir("sub");
                     symlink("../a.lua", Native(f + "/sub/link.lua").constData());
                     return f + "/sub/link.lua";
                 },
                 [](const QString &f) {
                     EXPECT_TRUE(S_ISLNK(Stat(f + "/sub/link.lua").st_mode));
                     EXPECT_EQ(Read(f + "/a.lua"), "new");
                 }},
        KeepCase{"DanglingLinkCreatesItsTarget", false,
                 [](const QString &f) {
                     symlink("a.lua", Native(f + "/link.lua").constData());
                     return f + "/link.lua";
                 },
                 [](const QString &f) {
                     EXPECT_TRUE(S_ISLNK(Stat(f + "/link.lua").st_mode));
                     EXPECT_EQ(Read(f + "/a.lua"), "new");
                 }},
        KeepCase{"NewFileTakesTheUmask", false, [](const QString &f) { return f + "/a.lua"; },
                 [](const QString &f) {
                     const mode_t mask = umask(022);
                     umask(mask);
                     EXPECT_EQ(Stat(f + "/a.lua").st_mode & 07777, 0666u & ~mask);
                 }},
        KeepCase{"AnotherOwnerAndGroup", true,
                 [](const QString &f) {
                     const QString a = MakeFile(f, 02664);
                     EXPECT_EQ(chown(Native(a).constData(), 65534, 65534), 0);
                     chmod(Native(a).constData(), 02664); // chown cleared the setgid bit
                     return a;
                 },
                 [](const QString &f) {
                     const struct stat st = Stat(f + "/a.lua");
                     EXPECT_EQ(st.st_uid, 65534u);
                     EXPECT_EQ(st.st_gid, 65534u);
                     EXPECT_EQ(st.st_mode & 07777, 02664u);
                     EXPECT_EQ(Read(f + "/a.lua"), "new");
                 }}),
    [](const testing::TestParamInfo<KeepCase> &info) { return std::string(info.param.name); });

// Runs save as a user who may write the file but not its folder: root hands the file to
// nobody and saves as nobody in a child process; anyone else closes the folder to themselves.
bool SaveAsUserOfFileOnly(const QString &folder, const QString &path, const std::function<bool()> &save)
{
    if (geteuid() != 0) {
        chmod(Native(folder).constData(), 0555);
        const bool saved = save();
        chmod(Native(folder).constData(), 0755);
        return saved;
    }
    chmod(Native(folder).constData(), 0755);
    if (chown(Native(path).constData(), 65534, 65534) != 0)
        return false;
    const pid_t child = fork();
    if (child == 0)
        _exit(setgid(65534) == 0 && setuid(65534) == 0 && save() ? 0 : 1);
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(SafeFileWriterTest, WritableFileInAFolderClosedToNewFilesIsSaved)
{
    QTemporaryDir folder;
    QTemporaryDir temporaries;
    chmod(Native(temporaries.path()).constData(), 01777);
    const QString path = MakeFile(folder.path(), 0644);
    qputenv("TMPDIR", Native(temporaries.path()));
    const bool saved = SaveAsUserOfFileOnly(folder.path(), path, [&path] {
        QString error;
        return WriteWholeFile(path, "new", 3, &error);
    });
    qunsetenv("TMPDIR");
    EXPECT_TRUE(saved);
    EXPECT_EQ(Read(path), "new");
    EXPECT_EQ(Stat(path).st_mode & 07777, 0644u);
    EXPECT_EQ(Entries(folder.path()), QStringList{"a.lua"});
    EXPECT_TRUE(Entries(temporaries.path()).isEmpty()) << "the copy of the old content is gone";
}

TEST(SafeFileWriterTest, ReadOnlyFileIsWrittenOnlyWhenAskedAndStaysReadOnly)
{
    QTemporaryDir folder;
    const QString path = MakeFile(folder.path(), 0444);
    SafeFileWriter refused(path);
    EXPECT_FALSE(refused.Open());
    EXPECT_TRUE(refused.RefusedReadOnly()) << "root too: the file has no write bit at all";
    EXPECT_EQ(Read(path), "old");

    QString error;
    ASSERT_TRUE(WriteWholeFile(path, "new", 3, &error, {true, 0666})) << error.toStdString();
    EXPECT_EQ(Read(path), "new");
    EXPECT_EQ(Stat(path).st_mode & 07777, 0444u);
}

// Things that are not regular files are never replaced, whatever name reaches them.
struct SpecialCase {
    const char *name;
    std::function<bool(const QByteArray &path)> make; // false: cannot be made here
};

void PrintTo(const SpecialCase &c, std::ostream *os) { *os << c.name; }

class NeverReplacesSpecialFilesTest : public testing::TestWithParam<SpecialCase> {};

TEST_P(NeverReplacesSpecialFilesTest, RefusesAndLeavesItAlone)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("special");
    if (!GetParam().make(Native(path)))
        GTEST_SKIP() << "only root can make a device node";
    const mode_t type = Stat(path).st_mode & S_IFMT;
    symlink("special", Native(folder.filePath("link")).constData());
    for (const QString &name : {path, folder.filePath("link")}) {
        SafeFileWriter writer(name);
        EXPECT_FALSE(writer.Open());
        EXPECT_TRUE(writer.ErrorString().contains("not a file")) << writer.ErrorString().toStdString();
        RegularFileReader reader(name);
        EXPECT_FALSE(reader.Open()) << "and it is not read as a script either";
    }
    EXPECT_EQ(Stat(path).st_mode & S_IFMT, type);
    EXPECT_EQ(Entries(folder.path()), QStringList({"link", "special"}));
}

INSTANTIATE_TEST_SUITE_P(
    Save, NeverReplacesSpecialFilesTest,
    testing::Values(SpecialCase{"Fifo", [](const QByteArray &p) { return mkfifo(p.constData(), 0644) == 0; }},
                    SpecialCase{"Folder", [](const QByteArray &p) { return mkdir(p.constData(), 0755) == 0; }},
                    SpecialCase{"Device",
                                [](const QByteArray &p) {
                                    return mknod(p.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
                                }}),
    [](const testing::TestParamInfo<SpecialCase> &info) { return std::string(info.param.name); });

// A write that fails half-way (here: the file size limit, which holds for root as well, in place
// of a full disk) leaves the old content under every name, and nothing beside it.
class FailedSaveTest : public testing::TestWithParam<bool> {};

TEST_P(FailedSaveTest, LeavesTheOldContent)
{
    const bool inPlace = GetParam();
    QTemporaryDir folder;
    const QString path = MakeFile(folder.path(), 0644);
    if (inPlace)
        link(Native(path).constData(), Native(folder.filePath("b.lua")).constData());

    struct rlimit before;
    getrlimit(RLIMIT_FSIZE, &before);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = before;
    limit.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &limit);
    const QByteArray big(200 * 1024, 'x');
    QString error;
    const bool written = WriteWholeFile(path, big.constData(), big.size(), &error);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(Read(path), "old");
    if (inPlace) {
        EXPECT_EQ(Read(folder.filePath("b.lua")), "old");
    }
    EXPECT_EQ(Entries(folder.path()).size(), inPlace ? 2 : 1);
}

INSTANTIATE_TEST_SUITE_P(Save, FailedSaveTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool> &info) {
                             return std::string(info.param ? "InPlaceForAHardLink" : "ThroughATemporary");
                         });

} // namespace
