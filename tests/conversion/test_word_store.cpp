// The store step on real folders, and the office step through LibreOffice.
#include <gtest/gtest.h>

#include "scoped_env.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "conversion/page_picture.h"
#include "conversion/receiver.h"
#include "conversion/settings.h"
#include "conversion/word_store.h"
#include "office/soffice_locator.h"
#include "platform/temp_path.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kHelloRtf =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 Hello from the store test\\par}";

class CRecordingReceiver : public IConversionReceiver {
public:
    std::vector<std::pair<std::string, MessageKind>> messages;
    void Log(const std::string&) override {}
    void Progress(const char*, int) override {}
    int CollectSettings() override { return 0; }
    bool AskPassword(const std::string&, std::string&) override { return false; }
    void ShowMessage(const std::string& text, MessageKind kind) override { messages.emplace_back(text, kind); }
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

bool StartsWith(const std::string& text, const std::string& head)
{
    return text.compare(0, head.size(), head) == 0;
}

const std::string kOle2Signature = "\xD0\xCF\x11\xE0";


class WordStore : public ::testing::Test {
protected:
    fs::path folder;
    CRecordingReceiver receiver;
    std::string stored;
    std::string message;
    OutputFormat format = OutputFormat::Doc;

    void SetUp() override
    {
        folder = fs::path(MakeTempPath() + "-out");
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        fs::remove_all(folder);
    }
    std::string NewRtf(const std::string& content = kHelloRtf)
    {
        const std::string path = MakeTempPath();
        WriteFile(path, content);
        return path;
    }
    std::string Base() const { return (folder / "Report").string(); }
    bool Store(const std::string& rtf)
    {
        return StoreWordDocument(rtf, format, Base(), "Report.pdf", &receiver, stored, message);
    }
};

// The naming rules, with the office step out of the way.
class WordStoreWithoutOffice : public WordStore {
protected:
    CScopedEnv noSoffice {"PW_SOFFICE", ""};
    void SetUp() override
    {
        EndOfficeSession();
        WordStore::SetUp();
    }
};

TEST_F(WordStoreWithoutOffice, RtfIsStoredUnderDocNameAndTemporariesGo)
{
    const std::string rtf = NewRtf();
    ASSERT_TRUE(Store(rtf)) << message;
    EXPECT_EQ(stored, Base() + ".doc");
    EXPECT_EQ(ReadFile(stored), kHelloRtf);
    EXPECT_FALSE(fs::exists(rtf));
    EXPECT_TRUE(message.empty());
    EXPECT_TRUE(receiver.messages.empty());   // no office suite: no message
}

TEST_F(WordStoreWithoutOffice, TakenNamesAreSkippedAndNeverTouched)
{
    WriteFile(Base() + ".doc", "original");
    ASSERT_TRUE(Store(NewRtf()));
    EXPECT_EQ(stored, Base() + "(1).doc");
    ASSERT_TRUE(Store(NewRtf()));
    EXPECT_EQ(stored, Base() + "(2).doc");
    EXPECT_EQ(ReadFile(Base() + ".doc"), "original");
    EXPECT_EQ(ReadFile(Base() + "(1).doc"), kHelloRtf);
}

TEST_F(WordStoreWithoutOffice, FirstGapAfterTakenNamesIsUsed)
{
    WriteFile(Base() + ".doc", "zero");
    WriteFile(Base() + "(1).doc", "one");
    WriteFile(Base() + "(3).doc", "three");
    ASSERT_TRUE(Store(NewRtf()));
    EXPECT_EQ(stored, Base() + "(2).doc");
    EXPECT_EQ(ReadFile(Base() + "(1).doc"), "one");
    EXPECT_EQ(ReadFile(Base() + "(3).doc"), "three");
}

TEST_F(WordStoreWithoutOffice, FoldersAndDanglingLinksCountAsTaken)
{
    fs::create_directory(Base() + ".doc");
    const fs::path elsewhere = folder / "elsewhere.txt";
    fs::create_symlink(elsewhere, Base() + "(1).doc");
    ASSERT_TRUE(Store(NewRtf()));
    EXPECT_EQ(stored, Base() + "(2).doc");
    EXPECT_TRUE(fs::is_directory(Base() + ".doc"));
    EXPECT_FALSE(fs::exists(elsewhere));   // nothing was written through the link
}

TEST_F(WordStoreWithoutOffice, CopyFailureGivesTheErrorLine)
{
    const std::string rtf = NewRtf();
    const std::string base = (folder / "missing-folder" / "Report").string();
    EXPECT_FALSE(StoreWordDocument(rtf, format, base, "Report.pdf", &receiver, stored, message));
    EXPECT_EQ(message, "Report.pdf :Error -  2 No such file or directory");
    EXPECT_TRUE(stored.empty());
    EXPECT_FALSE(fs::exists(rtf));
}

TEST_F(WordStoreWithoutOffice, RtfFormatStoresTheRtfUnderRtfName)
{
    format = OutputFormat::Rtf;
    WriteFile(Base() + ".rtf", "older");
    ASSERT_TRUE(Store(NewRtf()));
    EXPECT_EQ(stored, Base() + "(1).rtf");
    EXPECT_EQ(ReadFile(stored), kHelloRtf);
}

// A stand-in office suite that only notes that it was started (and makes
// nothing), so a test can tell whether the store step asked for it.
class WordStoreWithRecordingOffice : public WordStore {
protected:
    std::string marker;
    std::string script;
    std::unique_ptr<CScopedEnv> soffice;
    CScopedEnv commandLine {"PW_OFFICE_COMMAND_LINE", "1"};
    void SetUp() override
    {
        EndOfficeSession();
        WordStore::SetUp();
        marker = (folder / "office-started").string();
        script = (folder / "soffice").string();
        WriteFile(script, "#!/bin/sh\necho \"$@\" >> '" + marker + "'\nexit 1\n");
        fs::permissions(script, fs::perms::owner_all);
        soffice = std::make_unique<CScopedEnv>("PW_SOFFICE", script.c_str());
    }
    void TearDown() override
    {
        EndOfficeSession();
        soffice.reset();
        WordStore::TearDown();
    }
};

TEST_F(WordStoreWithRecordingOffice, DocxIsStoredAsItIsWithoutTheOfficeSuite)
{
    format = OutputFormat::Docx;
    const std::string package = std::string("PK\x03\x04", 4) + "a finished package";
    WriteFile(Base() + ".docx", "older");
    const std::string made = NewRtf(package);
    ASSERT_TRUE(Store(made)) << message;
    EXPECT_EQ(stored, Base() + "(1).docx");
    EXPECT_EQ(ReadFile(stored), package);
    EXPECT_EQ(ReadFile(Base() + ".docx"), "older");
    EXPECT_FALSE(fs::exists(made));
    EXPECT_FALSE(fs::exists(marker)) << ReadFile(marker);
    EXPECT_TRUE(receiver.messages.empty());
}

TEST_F(WordStoreWithRecordingOffice, DocStillGoesThroughTheOfficeSuite)
{
    // The same stand-in is asked for a .doc; it makes none, so the RTF is
    // stored under the .doc name.
    ASSERT_TRUE(Store(NewRtf())) << message;
    EXPECT_TRUE(fs::exists(marker));
    EXPECT_EQ(stored, Base() + ".doc");
    EXPECT_EQ(ReadFile(stored), kHelloRtf);
}

// Tests that need LibreOffice.
class WordStoreWithOffice : public WordStore {
protected:
    static void TearDownTestSuite() { EndOfficeSession(); }
    void SetUp() override
    {
        if (FindSoffice().empty())
            GTEST_SKIP() << "soffice is not installed";
        WordStore::SetUp();
    }
    // Renders a Word document to PDF with a private profile.
    std::string ToPdf(const std::string& document)
    {
        const std::string command = "cd '" + folder.string() + "' && timeout -k 5 120 soffice"
            " -env:UserInstallation=file://" + folder.string() + "/lo-profile"
            " --headless --norestore --convert-to pdf --outdir '" + folder.string() + "/pdf' '"
            + document + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            return {};
        const std::string pdf = (folder / "pdf" / fs::path(document).stem()).string() + ".pdf";
        return fs::exists(pdf) ? pdf : std::string();
    }
    std::string PdfText(const std::string& pdf)
    {
        const std::string textFile = pdf + ".txt";
        const std::string command = "pdftotext '" + pdf + "' '" + textFile + "'";
        return std::system(command.c_str()) == 0 ? ReadFile(textFile) : std::string();
    }
};

TEST_F(WordStoreWithOffice, DocIsARealWordDocumentWithTheText)
{
    ASSERT_TRUE(Store(NewRtf())) << message;
    EXPECT_EQ(stored, Base() + ".doc");
    EXPECT_TRUE(StartsWith(ReadFile(stored), kOle2Signature)) << stored;
    const std::string pdf = ToPdf(stored);
    ASSERT_FALSE(pdf.empty()) << stored;
    EXPECT_NE(PdfText(pdf).find("Hello from the store test"), std::string::npos);
    EXPECT_TRUE(receiver.messages.empty());
}

TEST_F(WordStoreWithOffice, UnloadableRtfShowsMessageAndStoresTheRtf)
{
    const std::string broken = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 cut off";
    ASSERT_TRUE(Store(NewRtf(broken))) << message;
    ASSERT_EQ(receiver.messages.size(), 1u);
    EXPECT_EQ(receiver.messages[0].first, "Error opening word document file.");
    EXPECT_EQ(receiver.messages[0].second, MessageKind::Error);
    EXPECT_EQ(stored, Base() + ".doc");
    EXPECT_EQ(ReadFile(stored), broken);
}

// A P6 pixmap as pdftoppm writes it.
struct CPixmap {
    int width = 0;
    int height = 0;
    std::string data;
    const unsigned char* At(int x, int y) const
    {
        return reinterpret_cast<const unsigned char*>(&data[(static_cast<size_t>(y) * width + x) * 3]);
    }
};

bool ReadPpm(const std::string& path, CPixmap& pixmap)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> pixmap.width >> pixmap.height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255)
        return false;
    pixmap.data.resize(static_cast<size_t>(pixmap.width) * pixmap.height * 3);
    in.read(pixmap.data.data(), static_cast<std::streamsize>(pixmap.data.size()));
    return static_cast<bool>(in);
}

std::string Hex(const std::string& bytes)
{
    static const char* const digits = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 0xF];
    }
    return hex;
}

TEST_F(WordStoreWithOffice, FramesLetThePagePictureShowThrough)
{
    // A Letter page whose picture is one flat colour, and one frame line.
    constexpr int kPictureSide = 64;
    CBitmapInfoHeader header;
    header.biWidth = kPictureSide;
    header.biHeight = kPictureSide;
    std::vector<uint8_t> pixels(static_cast<size_t>(kPictureSide) * kPictureSide * 3);
    for (size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = 220;      // blue
        pixels[i + 1] = 160;  // green
        pixels[i + 2] = 40;   // red
    }
    const std::string jpeg = MakeTempPath();
    std::string error;
    ASSERT_EQ(SaveBitmapAsJpeg(pixels.data(), header, 100, jpeg, &error), kJpegOk);
    const std::string rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\paperw12240\\paperh15840"
        "\\margl0\\margr0\\margt0\\margb0"
        "{\\shp{\\*\\shpinst\\shpleft0\\shptop0\\shpright12240\\shpbottom15840\\shpfhdr0"
        "\\shpbxpage\\shpbxignore\\shpbypage\\shpbyignore\\shpwr3\\shpwrk0\\shpfblwtxt1\\shpz0"
        "{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn fBehindDocument}{\\sv 1}}"
        "{\\sp{\\sn pib}{\\sv {\\pict\\jpegblip\\picw64\\pich64\\picwgoal12240\\pichgoal15840 "
        + Hex(ReadFile(jpeg)) + "}}}}}"
        "\\pard\\pvpg\\phpg\\posx1440\\posy1440\\absw6000\\f0\\fs24 Frame text\\par\\pard\\par}";
    fs::remove(jpeg);
    ASSERT_TRUE(Store(NewRtf(rtf))) << message;
    ASSERT_TRUE(StartsWith(ReadFile(stored), kOle2Signature));

    const std::string pdf = ToPdf(stored);
    ASSERT_FALSE(pdf.empty());
    EXPECT_NE(PdfText(pdf).find("Frame text"), std::string::npos);
    const std::string prefix = (folder / "page").string();
    ASSERT_EQ(std::system(("pdftoppm -r 50 -f 1 -l 1 '" + pdf + "' '" + prefix + "'").c_str()), 0);
    CPixmap page;
    ASSERT_TRUE(ReadPpm(prefix + "-1.ppm", page));
    // Inside the frame's first line (1 inch from the top left, 6000 twips
    // wide), well right of its two words: 4.5 inches across, 1.08 down.
    const unsigned char* inFrame = page.At(225, 54);
    EXPECT_NEAR(inFrame[0], 40, 12);
    EXPECT_NEAR(inFrame[1], 160, 12);
    EXPECT_NEAR(inFrame[2], 220, 12);
    // And the picture itself is there, far from the frame.
    const unsigned char* elsewhere = page.At(300, 450);
    EXPECT_NEAR(elsewhere[0], 40, 12);
    EXPECT_NEAR(elsewhere[2], 220, 12);
}

} // namespace
