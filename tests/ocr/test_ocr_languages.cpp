// Which languages the recognition can use: the installed data files, the
// list syntax of --ocr=LANGS and the names a missing language is reported by.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/cli_process.h"
#include "ocr/ocr_engine.h"
#include "ocr/ocr_languages.h"
#include "scoped_env.h"

namespace {

TEST(OcrLanguages, ListSyntax)
{
    EXPECT_TRUE(IsOcrLanguageList("eng"));
    EXPECT_TRUE(IsOcrLanguageList("eng+deu"));
    EXPECT_TRUE(IsOcrLanguageList("chi_sim+eng"));
    for (const char* bad : {"", "+", "eng+", "+eng", "eng++deu", "eng deu", "../eng", "eng,deu"})
        EXPECT_FALSE(IsOcrLanguageList(bad)) << bad;
}

TEST(OcrLanguages, InstalledDataOfTheFolderNamedByTheEnvironment)
{
    ScopedTempFolder folder("pw-tessdata");
    for (const char* name : {"eng.traineddata", "fra.traineddata", "osd.traineddata", "notes.txt", "bad name.traineddata"})
        std::ofstream(folder.Path() + "/" + name) << "x";
    CScopedEnv env("TESSDATA_PREFIX", folder.Path().c_str());
    EXPECT_EQ(OcrDataFolder(), folder.Path());
    // The orientation data is not a language; files of other kinds are ignored.
    EXPECT_EQ(InstalledOcrLanguages(), (std::vector<std::string> {"eng", "fra"}));
    EXPECT_TRUE(MissingOcrLanguages("eng+fra").empty());
    EXPECT_EQ(MissingOcrLanguages("deu+eng+ita"), (std::vector<std::string> {"deu", "ita"}));
    EXPECT_EQ(MissingOcrLanguages("osd"), (std::vector<std::string> {"osd"}));
}

TEST(OcrLanguages, NoFolderMeansNoLanguage)
{
    CScopedEnv env("TESSDATA_PREFIX", "/nonexistent/tessdata");
    EXPECT_TRUE(InstalledOcrLanguages().empty());
    EXPECT_EQ(MissingOcrLanguages("eng"), (std::vector<std::string> {"eng"}));
}

TEST(OcrEngine, MissingLanguageDataSaysWhichAndHowToGetIt)
{
    COcrEngine engine;
    std::string error;
    EXPECT_FALSE(engine.Load("eng+zzz", error));
    EXPECT_EQ(error, "no language data for zzz (install tesseract-ocr-zzz)");
    EXPECT_FALSE(engine.Loaded());
    EXPECT_FALSE(engine.Load("eng+", error));
    EXPECT_NE(error.find("not a list of languages"), std::string::npos);
    // Nothing loaded reads nothing.
    const uint8_t white[16] = {255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255};
    COcrImage image {white, 4, 4, 4, 300};
    EXPECT_TRUE(engine.Recognise(image, {}).words.empty());
}

} // namespace
