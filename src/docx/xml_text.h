#pragma once
// Text into the package's XML: escaped, as UTF-8, without the characters
// XML 1.0 cannot hold.
#include <cstdint>
#include <string>
#include <string_view>

// Appends captured text as character data. Tabs and line ends become blanks
// (a line of the page is one line of text); other control characters,
// U+FFFE, U+FFFF and unpaired surrogates are dropped.
void AppendXmlText(std::string& out, std::u16string_view text);

// Appends an 8-bit name (a face) as an attribute value. Valid UTF-8 is kept;
// a byte that does not start valid UTF-8 is read as Windows-1252. Control
// characters are dropped.
void AppendXmlAttribute(std::string& out, std::string_view name);

// Appends one code point as UTF-8 (XML-escaped when it is & < > or ").
void AppendXmlCodePoint(std::string& out, char32_t c);

// Appends a decimal integer.
void AppendInt(std::string& out, int64_t value);

// A colour 0x00BBGGRR as six hexadecimal digits RRGGBB.
std::string HexColor(uint32_t bbggrr);
