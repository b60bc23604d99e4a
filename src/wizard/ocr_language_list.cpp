#include "wizard/ocr_language_list.h"

#include <algorithm>
#include <map>

namespace {

const std::map<std::string, std::string>& Names()
{
    static const std::map<std::string, std::string> names = {
        {"ara", "Arabic"}, {"bul", "Bulgarian"}, {"cat", "Catalan"}, {"ces", "Czech"},
        {"chi_sim", "Chinese (simplified)"}, {"chi_tra", "Chinese (traditional)"}, {"dan", "Danish"},
        {"deu", "German"}, {"ell", "Greek"}, {"eng", "English"}, {"est", "Estonian"}, {"fin", "Finnish"},
        {"fra", "French"}, {"heb", "Hebrew"}, {"hin", "Hindi"}, {"hrv", "Croatian"}, {"hun", "Hungarian"},
        {"ind", "Indonesian"}, {"ita", "Italian"}, {"jpn", "Japanese"}, {"kor", "Korean"}, {"lav", "Latvian"},
        {"lit", "Lithuanian"}, {"nld", "Dutch"}, {"nor", "Norwegian"}, {"pol", "Polish"}, {"por", "Portuguese"},
        {"ron", "Romanian"}, {"rus", "Russian"}, {"slk", "Slovak"}, {"slv", "Slovenian"}, {"spa", "Spanish"},
        {"srp", "Serbian"}, {"swe", "Swedish"}, {"tha", "Thai"}, {"tur", "Turkish"}, {"ukr", "Ukrainian"},
        {"vie", "Vietnamese"},
    };
    return names;
}

} // namespace

std::string OcrLanguageName(const std::string& code)
{
    const auto it = Names().find(code);
    return it == Names().end() ? code : it->second;
}

std::vector<COcrLanguageEntry> OcrLanguageEntries(const std::vector<std::string>& installed)
{
    std::vector<COcrLanguageEntry> entries;
    for (const std::string& code : installed)
        entries.push_back({OcrLanguageName(code), code});
    std::sort(entries.begin(), entries.end(), [](const COcrLanguageEntry& a, const COcrLanguageEntry& b) {
        const bool aEnglish = a.languages == "eng", bEnglish = b.languages == "eng";
        return aEnglish != bEnglish ? aEnglish : a.text < b.text;
    });
    if (entries.size() > 1) {
        std::string all;
        for (const COcrLanguageEntry& entry : entries)
            all += (all.empty() ? "" : "+") + entry.languages;
        entries.push_back({"All installed languages", all});
    }
    return entries;
}
