#pragma once
// How a glyph's text enters a run's RTF text, and how that text is escaped.
// Items written by character code leave the marker "&u<code>x" in the raw
// text; Escape turns it into the RTF Unicode control word "\u<code>x".
#include <cstddef>
#include <string>
#include <string_view>

#include "page/text_item.h"

struct CAppendedText {
    bool byCharCode = false;  // the item added a character-code marker (or a tab blank)
    size_t bytes = 0;         // bytes added to the raw text
};

// Appends the item's text to the raw run text `text`: the character-code
// marker when useCharCode is set (a tab as one blank), else the Windows-1252
// conversion of `text`. A literal '&' is doubled so that page text reading
// "&u" can never pass for a marker.
CAppendedText AppendItemText(const CTextItem& item, std::string& text);

// Rewrites the raw run text as RTF: "\" -> "\\", "{" -> "\{", "}" -> "\}",
// then the markers "&u" -> "\u" (and a doubled "&&" back to "&"), in one
// left-to-right pass that gives the same result as the replacements in turn.
void Escape(std::string& text);

// A face name as it may stand in the font table: converted to Windows-1252
// when it is UTF-8, without the characters that would end or break the
// table entry ("\", "{", "}", ";" and control characters).
std::string FontTableName(std::string_view face);
