#include "ocr/ocr_languages.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr const char* kSystemDataFolder = "/usr/share/tesseract-ocr/5/tessdata";
constexpr const char* kDataSuffix = ".traineddata";
constexpr const char* kOrientationData = "osd";

std::vector<std::string> SplitLanguages(const std::string& text)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t plus = text.find('+', start);
        parts.push_back(text.substr(start, plus == std::string::npos ? std::string::npos : plus - start));
        if (plus == std::string::npos)
            return parts;
        start = plus + 1;
    }
}

} // namespace

std::string OcrDataFolder()
{
    const char* prefix = std::getenv("TESSDATA_PREFIX");
    if (prefix && *prefix)
        return prefix;
    return kSystemDataFolder;
}

std::vector<std::string> InstalledOcrLanguages()
{
    std::vector<std::string> languages;
    std::error_code ec;
    const std::string suffix = kDataSuffix;
    for (std::filesystem::directory_iterator it(OcrDataFolder(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string language = name.substr(0, name.size() - suffix.size());
        if (language != kOrientationData && IsOcrLanguageList(language))
            languages.push_back(language);
    }
    std::sort(languages.begin(), languages.end());
    return languages;
}

bool IsOcrLanguageList(const std::string& text)
{
    for (const std::string& part : SplitLanguages(text)) {
        if (part.empty())
            return false;
        for (unsigned char c : part)
            if (!std::isalnum(c) && c != '_')
                return false;
    }
    return true;
}

std::vector<std::string> MissingOcrLanguages(const std::string& languages)
{
    const std::vector<std::string> installed = InstalledOcrLanguages();
    std::vector<std::string> missing;
    for (const std::string& part : SplitLanguages(languages))
        if (!std::binary_search(installed.begin(), installed.end(), part))
            missing.push_back(part);
    return missing;
}
