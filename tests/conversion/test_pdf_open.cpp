// Opening PDFs with password retries, on PDFs encrypted by qpdf in the test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <GlobalParams.h>
#include <PDFDoc.h>

#include "conversion/pdf_open.h"
#include "conversion/receiver.h"
#include "fixtures.h"
#include "platform/temp_path.h"

namespace {

const std::string kPlainPdf = FixturePath("sample.pdf");

// Answers the password prompts from a script; an exhausted script cancels.
class CScriptedReceiver : public IConversionReceiver {
public:
    explicit CScriptedReceiver(std::vector<std::string> answers) : m_answers(std::move(answers)) {}
    std::vector<std::string> prompts;
    void Log(const std::string&) override {}
    void Progress(const char*, int) override {}
    int CollectSettings() override { return 0; }
    void ShowMessage(const std::string&, MessageKind) override {}
    bool AskPassword(const std::string& attemptLine, std::string& password) override
    {
        prompts.push_back(attemptLine);
        if (prompts.size() > m_answers.size())
            return false;
        password = m_answers[prompts.size() - 1];
        return true;
    }

private:
    std::vector<std::string> m_answers;
};

std::string Encrypt(const std::string& userPassword, const std::string& mode)
{
    const std::string out = MakeTempPath() + ".pdf";
    const std::string weak = mode == "128" ? " --allow-weak-crypto" : "";
    const std::string extra = mode == "128" ? " --use-aes=n" : "";
    const std::string command = "qpdf" + weak + " --encrypt '" + userPassword + "' owner-pw " + mode
        + extra + " -- '" + kPlainPdf + "' '" + out + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        return {};
    return out;
}

class PdfOpen : public ::testing::Test {
protected:
    static std::string aesFile;
    static void SetUpTestSuite()
    {
        globalParams = std::make_unique<GlobalParams>();
        globalParams->setErrQuiet(true);
        aesFile = Encrypt("secret", "256");
    }
    static void TearDownTestSuite()
    {
        std::filesystem::remove(aesFile);
        globalParams.reset();
    }
};
std::string PdfOpen::aesFile;

TEST_F(PdfOpen, AttemptLinesCountFromFirstToFifth)
{
    EXPECT_EQ(PasswordAttemptLine(1), "Trying password for 1st of 5 times.");
    EXPECT_EQ(PasswordAttemptLine(2), "Trying password for 2nd of 5 times.");
    EXPECT_EQ(PasswordAttemptLine(3), "Trying password for 3rd of 5 times.");
    EXPECT_EQ(PasswordAttemptLine(4), "Trying password for 4th of 5 times.");
    EXPECT_EQ(PasswordAttemptLine(5), "Trying password for 5th of 5 times.");
}

TEST_F(PdfOpen, PlainPdfOpensWithoutPromptAndKeepsItsSize)
{
    CScriptedReceiver receiver({});
    COpenedPdf opened;
    ASSERT_EQ(OpenPdfWithPassword(kPlainPdf, opened, &receiver), 1);
    EXPECT_TRUE(receiver.prompts.empty());
    ASSERT_TRUE(opened.document);
    EXPECT_GT(opened.document->getNumPages(), 0);
    EXPECT_EQ(opened.fileSize, static_cast<long long>(std::filesystem::file_size(kPlainPdf)));
}

TEST_F(PdfOpen, RightPasswordAtSecondTryOpens)
{
    ASSERT_FALSE(aesFile.empty()) << "qpdf could not encrypt";
    CScriptedReceiver receiver({"wrong", "secret"});
    COpenedPdf opened;
    ASSERT_EQ(OpenPdfWithPassword(aesFile, opened, &receiver), 1);
    EXPECT_EQ(receiver.prompts, (std::vector<std::string> {"Trying password for 1st of 5 times.",
                                                            "Trying password for 2nd of 5 times."}));
    ASSERT_TRUE(opened.document);
    EXPECT_GT(opened.document->getNumPages(), 0);
    EXPECT_EQ(opened.fileSize, static_cast<long long>(std::filesystem::file_size(aesFile)));
}

TEST_F(PdfOpen, FiveWrongPasswordsGiveUp)
{
    ASSERT_FALSE(aesFile.empty());
    CScriptedReceiver receiver({"a", "b", "c", "d", "e", "secret"});
    COpenedPdf opened;
    EXPECT_EQ(OpenPdfWithPassword(aesFile, opened, &receiver), 0);
    EXPECT_FALSE(opened.document);
    ASSERT_EQ(receiver.prompts.size(), 5u);
    EXPECT_EQ(receiver.prompts.back(), "Trying password for 5th of 5 times.");
}

TEST_F(PdfOpen, CancelledThirdPromptEndsAtOnce)
{
    ASSERT_FALSE(aesFile.empty());
    CScriptedReceiver receiver({"a", "b"});
    COpenedPdf opened;
    EXPECT_EQ(OpenPdfWithPassword(aesFile, opened, &receiver), 0);
    EXPECT_FALSE(opened.document);
    EXPECT_EQ(receiver.prompts.size(), 3u);
}

TEST_F(PdfOpen, NoReceiverMeansNoPassword)
{
    ASSERT_FALSE(aesFile.empty());
    COpenedPdf opened;
    EXPECT_EQ(OpenPdfWithPassword(aesFile, opened, nullptr), 0);
    EXPECT_FALSE(opened.document);
}

TEST_F(PdfOpen, MissingOrDamagedFileFailsWithoutPrompt)
{
    const std::string damaged = MakeTempPath() + ".pdf";
    {
        std::ifstream in(kPlainPdf, std::ios::binary);
        std::string head(400, '\0');
        in.read(head.data(), static_cast<std::streamsize>(head.size()));
        std::ofstream(damaged, std::ios::binary) << head;   // header without body or xref
    }
    for (const std::string& path : {std::string("/nonexistent/none.pdf"), damaged}) {
        CScriptedReceiver receiver({"secret"});
        COpenedPdf opened;
        EXPECT_EQ(OpenPdfWithPassword(path, opened, &receiver), 0) << path;
        EXPECT_TRUE(receiver.prompts.empty()) << path;
        EXPECT_FALSE(opened.document);
    }
    std::filesystem::remove(damaged);
}

TEST_F(PdfOpen, NonAsciiPasswordOpensAesAndRc4Files)
{
    const std::string typed = "p\xC3\xA4ss";   // "päss" as typed in UTF-8
    for (const char* mode : {"256", "128"}) {
        const std::string file = Encrypt(typed, mode);
        ASSERT_FALSE(file.empty()) << mode;
        CScriptedReceiver receiver({typed});
        COpenedPdf opened;
        EXPECT_EQ(OpenPdfWithPassword(file, opened, &receiver), 1) << mode;
        EXPECT_EQ(receiver.prompts.size(), 1u) << mode;
        std::filesystem::remove(file);
    }
}

} // namespace

TEST_F(PdfOpen, KnownPasswordsAreTriedFirstAndDoNotCountAsAttempts)
{
    if (aesFile.empty())
        GTEST_SKIP() << "qpdf is not installed";
    // The right one among the known passwords: no prompt at all.
    CScriptedReceiver silent({});
    COpenedPdf pdf;
    std::string openedWith;
    ASSERT_EQ(OpenPdfWithPassword(aesFile, pdf, &silent, {"", "nope", "secret"}, &openedWith), 1);
    EXPECT_TRUE(silent.prompts.empty());
    EXPECT_EQ(openedWith, "secret");

    // Only wrong ones known: the user still gets five attempts counted from the first.
    CScriptedReceiver typed({"a", "b", "c", "d", "secret"});
    ASSERT_EQ(OpenPdfWithPassword(aesFile, pdf, &typed, {"nope", "wrong"}, &openedWith), 1);
    ASSERT_EQ(typed.prompts.size(), 5u);
    EXPECT_EQ(typed.prompts.front(), PasswordAttemptLine(1));
    EXPECT_EQ(openedWith, "secret");

    // A file without a password reports none, whatever is known.
    ASSERT_EQ(OpenPdfWithPassword(kPlainPdf, pdf, &silent, {"secret"}, &openedWith), 1);
    EXPECT_EQ(openedWith, "");
}
