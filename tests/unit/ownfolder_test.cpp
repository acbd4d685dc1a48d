// Which folders the program writes its own files into: the user's own, written by no one else.
#include "doc/ownfolder.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct stat FolderStat(mode_t mode, uid_t owner, gid_t group)
{
    struct stat st {};
    st.st_mode = S_IFDIR | mode;
    st.st_uid = owner;
    st.st_gid = group;
    return st;
}

} // namespace

// With a umask of 002 every folder the user makes may be written by the user's group: where
// that group is the user's own (same name, no other members) the folder is still private.
TEST(OwnFolderTest, AGroupMayWriteOnlyWhenItIsTheUsersOwn)
{
    const struct passwd *user = getpwuid(geteuid());
    ASSERT_NE(user, nullptr);
    const gid_t own = user->pw_gid;
    const QString path = QStringLiteral("/home/someone/.config/Scriba");

    EXPECT_EQ(OwnFolder::RefusalOf(FolderStat(0755, geteuid(), own), path), QString());
    EXPECT_NE(OwnFolder::RefusalOf(FolderStat(0777, geteuid(), own), path), QString()) << "others may write";
    EXPECT_NE(OwnFolder::RefusalOf(FolderStat(0775, geteuid(), own + 4242), path), QString()) << "a shared group";
    EXPECT_NE(OwnFolder::RefusalOf(FolderStat(0755, geteuid() + 1, own), path), QString()) << "another owner";

    const struct group *entry = getgrgid(own);
    const bool privateGroup = entry && QString::fromLocal8Bit(entry->gr_name) == QString::fromLocal8Bit(user->pw_name);
    EXPECT_EQ(OwnFolder::RefusalOf(FolderStat(0775, geteuid(), own), path).isEmpty(), privateGroup);
}
