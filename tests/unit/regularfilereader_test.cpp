// Reading files that are not what they claim: sizes far beyond what is read, kernel files that
// claim no size, and files that wait for data that never comes. None may abort or hang.
#include "app/inifile.h"
#include "app/regularfilereader.h"
#include "reference/tarnreference.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

// A file of size bytes that takes no room on the disk.
bool MakeSparse(const QString &path, qint64 size)
{
    const int fd = ::open(EncodeFileName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool made = fd >= 0 && ftruncate(fd, size) == 0;
    if (fd >= 0)
        ::close(fd);
    return made;
}

TEST(FileReadBounds, AHugeConfigurationOrReferenceIsRefusedByItsSizeBeforeAnythingIsRead)
{
    QTemporaryDir folder;
    const QString ini = folder.filePath("Scriba.ini");
    constexpr qint64 kHundredGigabytes = qint64(100) << 30;
    if (!MakeSparse(ini, kHundredGigabytes) || !MakeSparse(ReferencePathBeside(ini), kHundredGigabytes))
        GTEST_SKIP() << "this file system holds no sparse file of 100 GB";

    RegularFileReader reader(ini);
    ASSERT_TRUE(reader.Open());
    QByteArray bytes;
    EXPECT_FALSE(reader.ReadAll(bytes, kLargestConfigurationSize));
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_TRUE(reader.ErrorString().contains("too large")) << reader.ErrorString().toStdString();

    Settings settings;
    std::string header;
    QString cause;
    EXPECT_EQ(LoadIniFile(ini, settings, header, &cause), IniLoad::Unreadable);
    EXPECT_TRUE(cause.contains("256 MB")) << cause.toStdString();
    EXPECT_GT(settings.functions.GetSize(), 0) << "the built-in table stands in";

    cause.clear();
    EXPECT_NE(LoadReference(ini, nullptr, &cause).Find("tg_addpoint"), nullptr) << "the built-in reference";
    EXPECT_TRUE(cause.contains("too large")) << cause.toStdString();
}

TEST(FileReadBounds, AKernelFileThatClaimsNoSizeIsReadWithinABound)
{
    RegularFileReader status(QStringLiteral("/proc/self/status"));
    ASSERT_TRUE(status.Open());
    EXPECT_TRUE(status.IsUnsized());
    QByteArray bytes;
    EXPECT_TRUE(status.ReadAll(bytes)) << status.ErrorString().toStdString();
    EXPECT_TRUE(bytes.startsWith("Name:"));

    RegularFileReader again(QStringLiteral("/proc/self/status"));
    ASSERT_TRUE(again.Open());
    EXPECT_FALSE(again.ReadAll(bytes, 16));
    EXPECT_TRUE(again.ErrorString().contains("too large")) << again.ErrorString().toStdString();

    // It claims no size and would give hundreds of gigabytes: read up to the bound, then refused.
    RegularFileReader pages(QStringLiteral("/proc/self/pagemap"));
    if (!pages.Open())
        GTEST_SKIP() << "no page map to read here";
    EXPECT_FALSE(pages.ReadAll(bytes));
    EXPECT_TRUE(pages.ErrorString().contains("claims no size")) << pages.ErrorString().toStdString();
    EXPECT_LE(bytes.size(), kLargestUnsizedRead + (1 << 20));
}

// /proc/kmsg waits for the kernel's next message; a pipe whose writer stays silent waits the
// same way, and is what a test can make.
TEST(FileReadBounds, AFileThatWaitsForDataEndsTheWaitWithACause)
{
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_NONBLOCK), 0);
    char buffer[16];
    QString error;
    EXPECT_EQ(ReadWithoutBlocking(ends[0], buffer, sizeof buffer, 10, &error), -1);
    EXPECT_TRUE(error.contains("no data")) << error.toStdString();

    ASSERT_EQ(::write(ends[1], "abc", 3), 3);
    EXPECT_EQ(ReadWithoutBlocking(ends[0], buffer, sizeof buffer, 10, &error), 3);
    ::close(ends[1]);
    EXPECT_EQ(ReadWithoutBlocking(ends[0], buffer, sizeof buffer, 10, &error), 0) << "the end";
    ::close(ends[0]);
}

} // namespace
