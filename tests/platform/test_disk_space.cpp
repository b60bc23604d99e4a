// Free space checks on real file systems.
#include <gtest/gtest.h>

#include <sys/statvfs.h>

#include "platform/disk_space.h"
#include "platform/temp_path.h"

namespace {

uint64_t FreeKib(const std::string& folder)
{
    struct statvfs info {};
    if (statvfs(folder.c_str(), &info) != 0)
        return 0;
    return static_cast<uint64_t>(info.f_bavail) * info.f_frsize / 1024;
}

TEST(DiskSpace, PathWithoutFolderPartHasNoSpace)
{
    EXPECT_EQ(HasFreeSpace("file.rtf", 0), 0);
    EXPECT_EQ(HasFreeSpace("/file.rtf", 0), 0);
    EXPECT_EQ(HasFreeSpace("", 0), 0);
}

TEST(DiskSpace, ComparesWithTheSpaceFreeForTheUser)
{
    const std::string path = MakeTempPath();
    ASSERT_FALSE(path.empty());
    const std::string folder = PrivateTempFolder();
    const uint64_t freeKib = FreeKib(folder);
    ASSERT_GT(freeKib, 1024u);
    EXPECT_EQ(HasFreeSpace(path, 0), 1);
    EXPECT_EQ(HasFreeSpace(path, 5120), freeKib >= 5120 ? 1 : 0);
    EXPECT_EQ(HasFreeSpace(path, freeKib / 2), 1);
    // Far more than any disk has.
    EXPECT_EQ(HasFreeSpace(path, freeKib * 1000 + (1ull << 40)), 0);
}

TEST(DiskSpace, MissingFolderHasNoSpace)
{
    EXPECT_EQ(HasFreeSpace("/nonexistent-folder/sub/file.rtf", 0), 0);
}

} // namespace
