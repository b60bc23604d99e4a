#pragma once
// Accents drawn as glyphs of their own (TeX's \accent: a "u" and a spacing
// diaeresis over it) are joined with their letter into one precomposed
// character, so the word reads "Einführung" and no loose accent is left to
// be taken for overlaid text.
#include <cstddef>
#include <vector>

#include "page/text_item.h"

// The combining mark a spacing accent (or a lone combining mark) stands for,
// or 0 when `unit` is no accent of the supported kinds.
char16_t CombiningMarkOf(char16_t unit);

// Joins every horizontal accent item drawn over (or, for cedilla and ogonek,
// under) a letter of the same line into that letter: the letter's item takes
// the composed character and keeps its box, the accent item is removed.
// Accents with no letter beneath them, or whose letter has no precomposed
// form with them, stay as they are. Returns the number of accents joined.
size_t JoinSpacingAccents(std::vector<CTextItem>& items);
