#pragma once
// UTF-16 and UTF-8 to Windows-1252, the code page the RTF document declares,
// by an explicit table so the result never depends on the process locale.
// Characters without an equivalent get a close fit where one exists (an
// accented letter its base letter, a ligature its letters, a typographic
// dash or space its plain form), else "?".
#include <string>
#include <string_view>

// Appends the conversion of `text` up to its first U+0000 (or its end).
void AppendWindows1252(std::u16string_view text, std::string& out);
std::string Utf16ToWindows1252(std::u16string_view text);

// The same for UTF-8 text (face names); a malformed sequence gives "?".
std::string Utf8ToWindows1252(std::string_view text);

// The Unicode character of a Windows-1252 byte; the five unassigned bytes
// map to the C1 control of the same value, as Windows does.
char32_t Windows1252ToUnicode(unsigned char byte);

// The Windows-1252 byte that stands for exactly this character, or -1 (no
// best fit).
int Windows1252Byte(char32_t c);

// The Windows-1252 text for one code point, best fit included.
std::string CodePointToWindows1252(char32_t c);
