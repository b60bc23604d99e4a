#include <gtest/gtest.h>

#include <filesystem>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/temp_path.h"
#include "rtf/rtf_writer.h"
#include "rtf_test_support.h"

using namespace rtftest;

namespace {

const char kEmptyDocument[] =
    "{\\rtf\\ansi\\ansicpg1252\\deff0 {\\fonttbl"
    "{\\f1\\fswiss\\fcharset0\\fprq2{\\*\\panose 020B0604020202020204}\\cpg1252 Arial{\\*\\falt Liberation Sans};}}"
    "{\\colortbl\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
    "{\\*\\generator Paperwell;}{\\info{\\author Tarnwick}{\\company Tarnwick}}\\par}";

TEST(RtfDocument, EmptyDocumentHasArialAndTheThreeColours)
{
    CRtfWriter writer;
    const std::string path = MakeTempPath();
    ASSERT_TRUE(writer.OpenDocument(path));
    ASSERT_EQ(writer.Finish(), 0);
    EXPECT_EQ(ReadWholeFile(path), kEmptyDocument);
}

TEST(RtfDocument, FontNumbersAreDenseAndCaseSensitive)
{
    CRtfWriter writer;
    const std::string path = MakeTempPath();
    ASSERT_TRUE(writer.OpenDocument(path));
    EXPECT_EQ(writer.FontIndex("Arial"), 1);
    EXPECT_EQ(writer.FontIndex("Times New Roman"), 2);
    EXPECT_EQ(writer.FontIndex("times new roman"), 3);
    EXPECT_EQ(writer.FontIndex("Times New Roman"), 2);
    EXPECT_EQ(writer.FontIndex(""), 4);
    ASSERT_EQ(writer.Finish(), 0);
    const std::string document = ReadWholeFile(path);
    // Each face with its family, pitch, PANOSE and the face that stands in
    // for it; a face of unknown kind (the empty name) as the plain entry.
    EXPECT_NE(document.find("{\\fonttbl{\\f1\\fswiss\\fcharset0\\fprq2{\\*\\panose 020B0604020202020204}\\cpg1252 Arial{\\*\\falt Liberation Sans};}"
                            "{\\f2\\froman\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}\\cpg1252 "
                            "Times New Roman{\\*\\falt Liberation Serif};}"
                            "{\\f3\\froman\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}\\cpg1252 "
                            "times new roman{\\*\\falt Liberation Serif};}"
                            "{\\f4\\fnil\\fcharset0\\cpg1252 ;}}"),
              std::string::npos)
        << document;
}

TEST(RtfDocument, FontTableTellsTheKindOfEveryFace)
{
    CRtfWriter writer;
    const std::string path = MakeTempPath();
    ASSERT_TRUE(writer.OpenDocument(path));
    writer.FontIndex("Courier New");
    writer.FontIndex("Nimbus Sans");
    writer.FontIndex("Monotype Corsiva");
    writer.FontIndex("Wingdings");
    writer.FontIndex("Some Mono Face");
    ASSERT_EQ(writer.Finish(), 0);
    const std::string document = ReadWholeFile(path);
    EXPECT_NE(document.find("{\\f2\\fmodern\\fcharset0\\fprq1{\\*\\panose 02070309020205020404}\\cpg1252 "
                            "Courier New{\\*\\falt Liberation Mono};}"),
              std::string::npos);
    // A free face found on this machine names the Word face for it.
    EXPECT_NE(document.find("{\\f3\\fswiss\\fcharset0\\fprq2\\cpg1252 Nimbus Sans{\\*\\falt Arial};}"),
              std::string::npos);
    EXPECT_NE(document.find("\\f4\\fscript\\fcharset0\\fprq2"), std::string::npos);
    EXPECT_NE(document.find("\\f5\\fdecor\\fcharset0\\fprq2"), std::string::npos);
    EXPECT_NE(document.find("{\\f6\\fmodern\\fcharset0\\fprq1\\cpg1252 Some Mono Face;}"), std::string::npos);
}

TEST(RtfDocument, FaceNamesCannotInjectIntoTheFontTable)
{
    CRtfWriter writer;
    const std::string path = MakeTempPath();
    ASSERT_TRUE(writer.OpenDocument(path));
    const int hostile = writer.FontIndex("A;}{\\par");
    EXPECT_EQ(hostile, 2);
    // A second raw name that reads the same once cleaned shares the number.
    EXPECT_EQ(writer.FontIndex("A{par}"), hostile);
    EXPECT_EQ(writer.FontIndex("Apar"), hostile);
    EXPECT_EQ(writer.FontIndex("Other"), 3);
    ASSERT_EQ(writer.Finish(), 0);
    const std::string document = ReadWholeFile(path);
    EXPECT_NE(document.find("{\\f2\\fnil\\fcharset0\\cpg1252 Apar;}{\\f3\\fnil\\fcharset0\\cpg1252 Other;}}"),
              std::string::npos)
        << document;
    // Braces stay balanced: the table closes where it should.
    int depth = 0;
    for (size_t i = 0; i < document.size(); ++i) {
        if (document[i] == '\\') { ++i; continue; }
        if (document[i] == '{') ++depth;
        if (document[i] == '}') --depth;
        ASSERT_GE(depth, i + 1 < document.size() ? 1 : 0) << "group closed early at " << i;
    }
    EXPECT_EQ(depth, 0);
}

TEST(RtfDocument, ColoursReuseTheirNumbersAndLateColoursAreListed)
{
    CRtfWriter writer;
    const std::string path = MakeTempPath();
    ASSERT_TRUE(writer.OpenDocument(path));
    EXPECT_EQ(writer.ColorIndex(0x000000), 0);
    EXPECT_EQ(writer.ColorIndex(0x0000FF), 1);
    EXPECT_EQ(writer.ColorIndex(0xFF0000), 2);
    CPage page = EmptyPage(12241, 15841);
    for (int number = 1; number <= 4; ++number)
        ASSERT_EQ(writer.PrintPage(page), 0);
    EXPECT_EQ(writer.ColorIndex(0x00336699), 3);  // first used on page 5
    ASSERT_EQ(writer.PrintPage(page), 0);
    EXPECT_EQ(writer.ColorIndex(0x00336699), 3);
    ASSERT_EQ(writer.Finish(), 0);
    EXPECT_NE(ReadWholeFile(path).find("{\\colortbl\\red0\\green0\\blue0;\\red255\\green0\\blue0;"
                                       "\\red0\\green0\\blue255;\\red153\\green102\\blue51;}"),
              std::string::npos);
}

TEST(RtfDocument, BodyFollowsTheHeaderAndBothFilesGoAwayWithTheWriter)
{
    std::string path;
    std::string bodyPath;
    {
        CRtfWriter writer;
        path = MakeTempPath();
        ASSERT_TRUE(writer.OpenDocument(path));
        bodyPath = writer.BodyPath();
        EXPECT_TRUE(std::filesystem::exists(bodyPath));
        ASSERT_EQ(writer.PrintPage(EmptyPage(1000, 2000)), 0);
        ASSERT_EQ(writer.Finish(), 0);
        const std::string document = ReadWholeFile(path);
        EXPECT_EQ(BodyOf(document), "\\jexpand\\viewkind1\\viewscale100\\paperw1050\\paperh2100\\margl0\\margr0\\margt0\\margb0");
        EXPECT_EQ(document.find('\n'), std::string::npos);
        EXPECT_EQ(document.substr(document.size() - 5), "\\par}");
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(bodyPath));
}

TEST(RtfDocument, LargeBodiesAreCopiedWhole)
{
    CRtfWriter writer;
    const std::string path = MakeTempPath();
    ASSERT_TRUE(writer.OpenDocument(path));
    // Pages of growing sizes: several copy chunks' worth, each page's size
    // in its place.
    constexpr int kPages = 3000;
    for (int i = 0; i < kPages; ++i)
        ASSERT_EQ(writer.PrintPage(EmptyPage(1000 + i, 2000)), 0);
    ASSERT_EQ(writer.Finish(), 0);
    const std::string body = BodyOf(ReadWholeFile(path));
    EXPECT_GT(body.size(), 3u * 64 * 1024);
    size_t at = 0;
    for (int i = 0; i < kPages; ++i) {
        at = body.find("\\paperw" + std::to_string(1050 + i) + "\\", at);
        ASSERT_NE(at, std::string::npos) << i;
    }
    EXPECT_EQ(body.substr(body.size() - 39), "\\paperh2100\\margl0\\margr0\\margt0\\margb0");
}

TEST(RtfDocument, UncreatableFileIsReportedWithTheSystemText)
{
    CMessageLog log;
    CRtfWriter writer(ErrorsInto(log));
    EXPECT_FALSE(writer.OpenDocument("/nonexistent-folder/x.rtf"));
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0], "Cannot create file:No such file or directory");
    EXPECT_EQ(log.kinds[0], MessageKind::Error);
}

TEST(RtfDocument, UncreatableBodyFileFailsTheSameWay)
{
    // Put a plain file where the private temporary folder should be, so no
    // temporary name can be made there.
    const std::string folder = PrivateTempFolder();
    ASSERT_FALSE(folder.empty());
    const std::string rtfPath = std::filesystem::temp_directory_path() / ("pw-h3-main-" + std::to_string(getpid()));
    const std::string saved = folder + ".saved";
    std::filesystem::rename(folder, saved);
    WriteWholeFile(folder, "not a folder");
    bool opened = true;
    CMessageLog log;
    {
        CRtfWriter writer(ErrorsInto(log));
        opened = writer.OpenDocument(rtfPath);
    }
    std::filesystem::remove(folder);
    std::filesystem::rename(saved, folder);
    EXPECT_FALSE(opened);
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].rfind("Cannot create file:", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(rtfPath));
}

TEST(RtfDocument, FullDiskComesBackAsErrno)
{
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "/dev/full is not available";
    // The RTF path is a link to /dev/full (the writer deletes its RTF path
    // at the end, which must only remove the link).
    const std::string link = MakeTempPath();
    std::filesystem::create_symlink("/dev/full", link);
    {
        CRtfWriter writer;
        ASSERT_TRUE(writer.OpenDocument(link));
        ASSERT_EQ(writer.PrintPage(EmptyPage(1000, 2000)), 0);
        EXPECT_EQ(writer.Finish(), ENOSPC);
    }
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

// In a child with a file-size limit and SIGXFSZ ignored, writing a page
// whose picture goes past the limit returns EFBIG.
TEST(RtfDocument, FileSizeLimitComesBackAsErrno)
{
    const std::string picture = MakeTempPath();
    WriteWholeFile(picture, std::string(200000, '\x5A'));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        CRtfWriter writer;
        if (!writer.OpenDocument(MakeTempPath()))
            _exit(100);
        CPage page = EmptyPage(12241, 15841);
        page.picturePath = picture;
        rlimit limit{100000, 100000};
        setrlimit(RLIMIT_FSIZE, &limit);
        int rc = writer.PrintPage(page);
        _exit(rc > 0 && rc < 100 ? rc : 101);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    std::filesystem::remove(picture);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), EFBIG);
}

} // namespace

#include <cstdlib>

#include "conversion/page_picture.h"
#include "layout/page_layout.h"
#include "layout/run_collectors.h"

namespace {

std::string RunCommand(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    pclose(pipe);
    return output;
}

bool HaveProgram(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

void CollectLine(std::vector<CTextItem>& items, const std::u16string& text, double x, double y)
{
    for (const CTextItem& item : Word(text, x, y, 9, 16))
        items.push_back(item);
}

void CollectUpward(std::vector<CTextItem>& items, const std::u16string& text, double x, double y)
{
    for (char16_t ch : text) {
        CTextItem item = Glyph(ch, x, y, 9, 16);
        item.rotation = 90;
        items.push_back(item);
        y -= 9;
    }
}

// The page's runs from `items`, laid out and printed.
int PrintItems(CRtfWriter& writer, CPage& page, const std::vector<CTextItem>& items)
{
    const std::string picture = page.picturePath;
    const TextMode mode = page.mode;
    const int number = page.number;
    page.Clear();
    page.number = number;
    page.mode = mode;
    page.widthTwips = 12241;
    page.heightTwips = 15841;
    page.picturePath = picture;
    CRunCollectors collectors(page);
    CollectPageRuns(items, mode, 96, collectors);
    LayOutPage(page);
    return writer.PrintPage(page);
}

// Two pages of a Letter-sized page picture with text, written in one mode.
void WriteTwoPages(bool flowMode, const std::string& picture, const std::string& target)
{
    CRtfWriter writer;
    ASSERT_TRUE(writer.OpenDocument(MakeTempPath()));
    CPage page = EmptyPage(12241, 15841, flowMode);
    page.picturePath = picture;
    std::vector<CTextItem> items;
    CollectLine(items, u"Alpha on the first page", 96, 120);
    CollectLine(items, u"Another line here", 96, 150);
    ASSERT_EQ(PrintItems(writer, page, items), 0);
    items.clear();
    CollectLine(items, u"Bravo on the second page", 96, 200);
    CollectUpward(items, u"Sideways", 700, 600);
    page.number = 2;
    ASSERT_EQ(PrintItems(writer, page, items), 0);
    ASSERT_EQ(writer.Finish(), 0);
    std::filesystem::copy_file(writer.RtfPath(), target, std::filesystem::copy_options::overwrite_existing);
}

std::string PdfPageText(const std::string& pdf, int page)
{
    return RunCommand("pdftotext -layout -f " + std::to_string(page) + " -l " + std::to_string(page) + " '" + pdf +
                      "' - 2>/dev/null");
}

TEST(RtfDocumentInOffice, TwoPagesInEachModeKeepTheirTextOnTheirPage)
{
    if (!HaveProgram("soffice") || !HaveProgram("pdftotext"))
        GTEST_SKIP() << "soffice or pdftotext is not installed";
    const std::filesystem::path folder = PrivateTempFolder() + "/office-check";
    std::filesystem::create_directories(folder);

    // A light page picture, as the page picture writer makes it.
    const int width = 816, height = 1056;
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3, 0xF0);
    CBitmapInfoHeader header;
    header.biWidth = width;
    header.biHeight = height;
    const std::string picture = (folder / "page.jpg").string();
    std::string jpegError;
    ASSERT_EQ(SaveBitmapAsJpeg(pixels.data(), header, 75, picture, &jpegError), kJpegOk) << jpegError;

    WriteTwoPages(false, picture, (folder / "frame.rtf").string());
    WriteTwoPages(true, picture, (folder / "flow.rtf").string());
    const std::string profile = "file://" + (folder / "profile").string();
    RunCommand("cd '" + folder.string() + "' && timeout -k 5 180 soffice -env:UserInstallation=" + profile +
               " --headless --norestore --convert-to pdf --outdir '" + folder.string() +
               "' frame.rtf flow.rtf >/dev/null 2>&1");

    for (const char* mode : {"frame", "flow"}) {
        SCOPED_TRACE(mode);
        const std::string pdf = (folder / (std::string(mode) + ".pdf")).string();
        ASSERT_TRUE(std::filesystem::exists(pdf));
        EXPECT_NE(RunCommand("pdfinfo '" + pdf + "'").find("Pages:           2\n"), std::string::npos);
        const std::string first = PdfPageText(pdf, 1);
        const std::string second = PdfPageText(pdf, 2);
        EXPECT_NE(first.find("Alpha on the first page"), std::string::npos) << first;
        EXPECT_NE(first.find("Another line here"), std::string::npos) << first;
        EXPECT_EQ(first.find("Bravo"), std::string::npos) << first;
        EXPECT_NE(second.find("Bravo on the second page"), std::string::npos) << second;
        EXPECT_NE(second.find("Sideways"), std::string::npos) << second;
        EXPECT_EQ(second.find("Alpha"), std::string::npos) << second;
    }
    // PW_KEEP_OFFICE_CHECK=<folder> keeps a copy of the files to look at.
    if (const char* keep = std::getenv("PW_KEEP_OFFICE_CHECK"))
        std::filesystem::copy(folder, keep, std::filesystem::copy_options::recursive |
                                                std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove_all(folder);
}

} // namespace
