// The profile store: settings that reach their file only by a rename in a folder of this
// user's, that take in what another program wrote, and that last the session when the file
// cannot be kept.
#include "app/profilestore.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QByteArray Contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ProfileStoreTest, TakesInWhatAnotherProgramWroteAndKeepsItsKeys)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("profile.ini");
    ProfileStore store(path, 1);
    store.Open()->setValue("mine", 1);
    {
        QSettings other(path, QSettings::IniFormat);
        other.setValue("theirs", 2);
    }
    std::unique_ptr<QSettings> settings = store.Open();
    EXPECT_EQ(settings->value("theirs").toInt(), 2);
    EXPECT_EQ(settings->value("mine").toInt(), 1);
    settings->setValue("mine", 3);
    settings.reset();
    QSettings written(path, QSettings::IniFormat);
    EXPECT_EQ(written.value("mine").toInt(), 3);
    EXPECT_EQ(written.value("theirs").toInt(), 2);
    EXPECT_TRUE(store.TakeRefusal().isEmpty());
}

TEST(ProfileStoreTest, AFileOfAnotherUserIsNeitherReadNorWrittenAndTheCauseIsGivenOnce)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can give a file another owner";
    QTemporaryDir folder;
    const QString path = folder.filePath("profile.ini");
    {
        QSettings planted(path, QSettings::IniFormat);
        planted.setValue("Run/Command", "rm -rf ~");
    }
    ASSERT_EQ(chown(QFile::encodeName(path).constData(), 12345, 12345), 0);
    const QByteArray before = Contents(path);
    int notices = 0;
    ProfileStore store(path, 1);
    store.SetRefusalNotice([&notices] { ++notices; });
    EXPECT_FALSE(store.Open()->contains("Run/Command")) << "another user's settings are not taken";
    store.Open()->setValue("mine", 1);
    EXPECT_EQ(store.Open()->value("mine").toInt(), 1) << "kept for the session";
    EXPECT_EQ(Contents(path), before);
    EXPECT_EQ(QFileInfo(path).ownerId(), 12345u);
    EXPECT_EQ(notices, 1);
    EXPECT_TRUE(store.TakeRefusal().contains("belongs to another user"));
    EXPECT_TRUE(store.TakeRefusal().isEmpty()) << "said once";
}

} // namespace
