#pragma once
// The languages the settings page offers for text recognition: the
// installed language data, by name, English first.
#include <string>
#include <vector>

struct COcrLanguageEntry {
    std::string text;       // what the list shows ("German")
    std::string languages;  // what recognition gets ("deu", "eng+deu")
};

// One entry a language, English first and the rest by name; with more than
// one language also "All installed languages". Empty when none is installed.
std::vector<COcrLanguageEntry> OcrLanguageEntries(const std::vector<std::string>& installed);

// The name of a language of the recognition data ("deu" -> "German"), or
// the code itself for one without a name here.
std::string OcrLanguageName(const std::string& code);
