// The output folder check on real folders in a private temporary directory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/utf16_length.h"
#include "wizard/output_folder_check.h"

namespace fs = std::filesystem;

namespace {

class OutputFolderCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp_.isValid());
        base_ = temp_.path().toStdString();
    }
    void TearDown() override
    {
        // Let the temporary directory clean up after a refused-permission case.
        fs::permissions(base_, fs::perms::owner_all, fs::perm_options::add);
        QDir::setCurrent(savedCurrent_);
    }
    std::string Path(const std::string& relative) const { return base_ + "/" + relative; }
    // An absolute path under the base that is exactly `units` UTF-16 units
    // long, made of `filler` letters in folders of at most 50 letters.
    std::string PathOfLength(size_t units, const std::string& filler) const
    {
        std::string path = base_;
        while (Utf16Length(path) < units) {
            path += '/';
            for (int letters = 0; letters < 50 && Utf16Length(path) < units; ++letters)
                path += filler;
        }
        return path;
    }

    QTemporaryDir temp_;
    std::string base_;
    QString savedCurrent_ = QDir::currentPath();
};

TEST_F(OutputFolderCheckTest, SomethingExistingIsValid)
{
    EXPECT_TRUE(CheckOutputFolder(base_));
    EXPECT_TRUE(CheckOutputFolder(base_ + "/"));
    std::ofstream(Path("taken.doc")) << "x";
    EXPECT_TRUE(CheckOutputFolder(Path("taken.doc")));
}

TEST_F(OutputFolderCheckTest, MissingFoldersAreCreatedOneLevelAtATime)
{
    EXPECT_TRUE(CheckOutputFolder(Path("out/new/deeper")));
    EXPECT_TRUE(fs::is_directory(Path("out/new/deeper")));

    EXPECT_TRUE(CheckOutputFolder(Path("slashed/end/")));
    EXPECT_TRUE(fs::is_directory(Path("slashed/end")));

    EXPECT_TRUE(CheckOutputFolder(Path("double//slash")));
    EXPECT_TRUE(fs::is_directory(Path("double/slash")));
}

TEST_F(OutputFolderCheckTest, RelativeNamesPassOnlyWhenTheyExist)
{
    ASSERT_TRUE(QDir::setCurrent(temp_.path()));
    fs::create_directory(Path("here"));
    EXPECT_TRUE(CheckOutputFolder("here"));
    EXPECT_FALSE(CheckOutputFolder("elsewhere"));
    EXPECT_FALSE(CheckOutputFolder("here/below"));
    EXPECT_FALSE(fs::exists(Path("elsewhere")));
    EXPECT_FALSE(fs::exists(Path("here/below")));
    EXPECT_FALSE(CheckOutputFolder(""));
}

TEST_F(OutputFolderCheckTest, AFileInTheWayIsRefused)
{
    std::ofstream(Path("plain")) << "x";
    EXPECT_FALSE(CheckOutputFolder(Path("plain/sub")));
    EXPECT_FALSE(CheckOutputFolder(Path("plain/sub/deeper")));
    // A slash after a file's name asks for a folder, and there is none.
    EXPECT_FALSE(CheckOutputFolder(Path("plain/")));
    EXPECT_TRUE(fs::is_regular_file(Path("plain")));
}

TEST_F(OutputFolderCheckTest, ADanglingLinkOnTheWayIsRefused)
{
    fs::create_symlink(Path("gone"), Path("link"));
    EXPECT_FALSE(CheckOutputFolder(Path("link/sub")));
    EXPECT_FALSE(fs::exists(Path("gone")));
}

TEST_F(OutputFolderCheckTest, LengthLimitCountsUtf16Units)
{
    const std::string longest = PathOfLength(kMaxCreatableFolderUnits, "a");
    ASSERT_EQ(Utf16Length(longest), kMaxCreatableFolderUnits);
    EXPECT_TRUE(CheckOutputFolder(longest));

    const std::string tooLong = PathOfLength(kMaxCreatableFolderUnits + 1, "b");
    EXPECT_FALSE(CheckOutputFolder(tooLong));
    // Not even the first missing level is made.
    EXPECT_FALSE(fs::exists(tooLong.substr(0, tooLong.find('/', base_.size() + 1))));

    // Two bytes of UTF-8 but one unit each: within the limit.
    const std::string accented = PathOfLength(kMaxCreatableFolderUnits, "\xC3\xA9");
    ASSERT_GT(accented.size(), kMaxCreatableFolderUnits);
    EXPECT_TRUE(CheckOutputFolder(accented));
}

TEST_F(OutputFolderCheckTest, AFolderThatCannotBeCreatedIsRefused)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    fs::create_directory(Path("locked"));
    fs::permissions(Path("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(CheckOutputFolder(Path("locked/new")));
    EXPECT_FALSE(CheckOutputFolder(Path("locked/new/deeper")));
    fs::permissions(Path("locked"), fs::perms::owner_all);
    EXPECT_FALSE(fs::exists(Path("locked/new")));
}

TEST_F(OutputFolderCheckTest, ARefusalOtherThanMissingIsRefusedAtTheEnd)
{
    // The kernel's own file systems refuse new folders even to root (EPERM).
    if (!fs::is_directory("/sys/kernel"))
        GTEST_SKIP() << "no /sys here";
    EXPECT_FALSE(CheckOutputFolder("/sys/paperwell-output"));
}

} // namespace
