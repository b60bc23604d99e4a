// A .docx that cannot be written: the error comes back as its errno and
// nothing is left behind, neither the package nor the body file.
#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>

#include "docx_test_support.h"

using namespace docxtest;

namespace {

bool Exists(const std::string& path)
{
    struct stat st{};
    return ::lstat(path.c_str(), &st) == 0;
}

size_t FilesIn(const std::string& folder)
{
    size_t n = 0;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                ++n;
        ::closedir(dir);
    }
    return n;
}

CPage PageWithText(const std::string& picture = std::string())
{
    CPage page = LetterPage(TextMode::Flow);
    page.picturePath = picture;
    page.blocks.push_back(OneColumn({LineRun(u"Some words on the page", 720, 1000)}));
    PlanPlaces(page);
    return page;
}

TEST(DocxFailures, PackageThatCannotBeCreatedReportsWhy)
{
    const std::string folder = PrivateTempFolder();
    ASSERT_FALSE(folder.empty());
    const size_t before = FilesIn(folder);
    {
        CDocxWriter writer;
        EXPECT_EQ(writer.Open(folder + "/missing/folder/out.docx"), ENOENT);
        EXPECT_EQ(writer.PrintPage(PageWithText()), EBADF);
        EXPECT_EQ(writer.Finish(), EBADF);
    }
    const std::string file = MakeTempPath();
    std::ofstream(file) << "a file, not a folder";
    {
        CDocxWriter writer;
        EXPECT_EQ(writer.Open(file + "/out.docx"), ENOTDIR);
    }
    std::remove(file.c_str());
    EXPECT_EQ(FilesIn(folder), before);
}

TEST(DocxFailures, FullDeviceFailsTheDocumentAndIsLeftAlone)
{
    const std::string folder = PrivateTempFolder();
    const size_t before = FilesIn(folder);
    int error = 0;
    {
        CDocxWriter writer;
        error = writer.Open("/dev/full");
        for (int page = 0; page < 3 && !error; ++page)
            error = writer.PrintPage(PageWithText());
        if (!error)
            error = writer.Finish();
    }
    EXPECT_EQ(error, ENOSPC);
    struct stat st{};
    ASSERT_EQ(::stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_EQ(FilesIn(folder), before);
}

TEST(DocxFailures, MissingPictureFailsThePageAndRemovesThePackage)
{
    const std::string path = MakeTempPath() + ".docx";
    CDocxWriter writer;
    ASSERT_EQ(writer.Open(path), 0);
    EXPECT_TRUE(Exists(path));
    EXPECT_EQ(writer.PrintPage(PageWithText()), 0);
    EXPECT_EQ(writer.PrintPage(PageWithText(path + ".no-such-picture.jpeg")), ENOENT);
    EXPECT_FALSE(Exists(path));
    // Nothing is written after a failure; the first error stays.
    EXPECT_EQ(writer.PrintPage(PageWithText()), ENOENT);
    EXPECT_EQ(writer.Finish(), ENOENT);
    EXPECT_FALSE(Exists(path));
}

TEST(DocxFailures, WriterDroppedBeforeFinishLeavesNothing)
{
    const std::string folder = PrivateTempFolder();
    const size_t before = FilesIn(folder);
    const std::string path = MakeTempPath() + ".docx";
    {
        CDocxWriter writer;
        ASSERT_EQ(writer.Open(path), 0);
        // The package only: the body file left its folder when it was opened.
        EXPECT_EQ(FilesIn(folder), before + 1);
        EXPECT_EQ(writer.PrintPage(PageWithText()), 0);
    }
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(FilesIn(folder), before);
}

TEST(DocxFailures, FileSizeLimitMidDocumentFailsWithItsErrorAndRemovesThePackage)
{
    // A file-size limit stands in for a disk that fills up: the package
    // grows by a 200 kB picture a page and meets the limit on page 3.
    const std::string picture = MakeTempPath() + ".jpeg";
    std::ofstream(picture, std::ios::binary) << std::string(200 * 1024, 'p');
    const std::string path = MakeTempPath() + ".docx";
    struct rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old;
    limited.rlim_cur = 500 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    int error = 0;
    int failedPage = 0;
    {
        CDocxWriter writer;
        error = writer.Open(path);
        for (int page = 1; page <= 5 && !error; ++page) {
            error = writer.PrintPage(PageWithText(picture));
            failedPage = page;
        }
        if (!error)
            error = writer.Finish();
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(failedPage, 3);
    EXPECT_FALSE(Exists(path));
    std::remove(picture.c_str());
}

}  // namespace
