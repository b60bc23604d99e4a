#pragma once
// Printed text (CPrintedText) into RTF: the document's code page,
// Windows-1252, where it holds the character, else RTF's Unicode control word.
#include <string>
#include <string_view>
#include <vector>

// Appends `text` as RTF text. A unit from a glyph written by character code
// becomes "\u<value>x"; any other unit its Windows-1252 byte, or, without
// one, "\u<value>?". The value is the unit's signed 16-bit one, as readers
// take it; each unit of a surrogate pair gets its own control word, in
// order. "\", "{" and "}" are escaped.
void AppendRtfText(std::string& out, std::u16string_view text, const std::vector<bool>& byCharCode);

// A face name as it may stand in the font table: converted to Windows-1252
// when it is UTF-8, without the characters that would end or break the
// table entry ("\", "{", "}", ";" and control characters).
std::string FontTableName(std::string_view face);
