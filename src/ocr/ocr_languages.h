#pragma once
// The installed language data of the text recognition.
#include <string>
#include <vector>

// The folder the language data is read from: $TESSDATA_PREFIX, or the
// system's folder.
std::string OcrDataFolder();

// Languages whose data is installed ("eng", "deu", ...), sorted; the
// orientation data ("osd") is not a language.
std::vector<std::string> InstalledOcrLanguages();

// True for a list of language names joined by '+' ("eng", "eng+deu"):
// letters, digits and '_' only, none empty.
bool IsOcrLanguageList(const std::string& text);

// The languages of the list whose data is not installed, in list order.
std::vector<std::string> MissingOcrLanguages(const std::string& languages);

// The language used when none is chosen.
inline constexpr const char* kDefaultOcrLanguage = "eng";
