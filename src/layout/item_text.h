#pragma once
// The plain text a glyph adds to a run while the collectors build it: what
// decides whether a run holds anything but blanks and what its width is
// measured on. The writers encode the glyph's Unicode text themselves.
#include <cstddef>
#include <string>

#include "page/text_item.h"

struct CAddedText {
    bool byCharCode = false;  // the item is written by character code (a tab as one blank)
    size_t bytes = 0;         // bytes added to the plain text
};

// Appends the item's text to `text`: for an item written by character code
// one placeholder letter per unit that shows (a tab as one blank, control
// characters left out), else its Windows-1252 conversion without control
// characters, a tab as one blank.
CAddedText AppendPlainItemText(const CTextItem& item, std::string& text);
