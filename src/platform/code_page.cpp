#include "platform/code_page.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// Unicode of the bytes 0x80..0x9F; 0 where Windows-1252 assigns nothing.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Base letters of U+0100..U+017F (Latin Extended-A); '\0' where the letter is
// in Windows-1252 itself or needs more than one letter (handled below).
constexpr char kLatinExtendedA[] =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi\0\0JjKkqLlLlLlLlLlNnNnNn\0NnOoOoOo\0\0RrRrRrSsSsSs\0\0TtTtTtUuUuUuUuUuUuWwYy\0ZzZz\0\0s";
static_assert(sizeof(kLatinExtendedA) - 1 == 0x80, "one entry per code point");

struct CFit {
    char32_t code;
    const char* text;
};

// Close fits outside Latin Extended-A, sorted by code point.
constexpr CFit kBestFits[] = {
    {0x0132, "IJ"}, {0x0133, "ij"}, {0x0149, "'n"}, {0x0180, "b"}, {0x0189, "D"},
    {0x0191, "F"}, {0x0197, "I"}, {0x019A, "l"}, {0x01A0, "O"}, {0x01A1, "o"},
    {0x01AF, "U"}, {0x01B0, "u"}, {0x01B6, "z"}, {0x01C4, "DZ"}, {0x01C5, "Dz"},
    {0x01C6, "dz"}, {0x01C7, "LJ"}, {0x01C8, "Lj"}, {0x01C9, "lj"}, {0x01CA, "NJ"},
    {0x01CB, "Nj"}, {0x01CC, "nj"}, {0x01CD, "A"}, {0x01CE, "a"}, {0x01CF, "I"},
    {0x01D0, "i"}, {0x01D1, "O"}, {0x01D2, "o"}, {0x01D3, "U"}, {0x01D4, "u"},
    {0x01E6, "G"}, {0x01E7, "g"}, {0x01E8, "K"}, {0x01E9, "k"}, {0x01EA, "O"},
    {0x01EB, "o"}, {0x01F0, "j"}, {0x01F1, "DZ"}, {0x01F2, "Dz"}, {0x01F3, "dz"},
    {0x01F4, "G"}, {0x01F5, "g"}, {0x0218, "S"}, {0x0219, "s"}, {0x021A, "T"},
    {0x021B, "t"}, {0x02B9, "'"}, {0x02BA, "\""}, {0x02BB, "'"}, {0x02BC, "'"},
    {0x02C4, "^"}, {0x02C8, "'"}, {0x02CB, "`"}, {0x02CD, "_"}, {0x02D0, ":"},
    {0x02DA, "\xB0"}, {0x02DD, "\""}, {0x0393, "G"}, {0x0398, "T"}, {0x03A3, "S"},
    {0x03A6, "F"}, {0x03A9, "O"}, {0x03B1, "a"}, {0x03B2, "\xDF"}, {0x03B4, "d"},
    {0x03B5, "e"}, {0x03BC, "\xB5"}, {0x03C0, "p"}, {0x03C3, "s"}, {0x03C4, "t"},
    {0x03C6, "f"}, {0x2000, " "}, {0x2001, " "}, {0x2002, " "}, {0x2003, " "},
    {0x2004, " "}, {0x2005, " "}, {0x2006, " "}, {0x2007, " "}, {0x2008, " "},
    {0x2009, " "}, {0x200A, " "}, {0x200B, ""}, {0x200C, ""}, {0x200D, ""},
    {0x2010, "-"}, {0x2011, "-"}, {0x2012, "-"}, {0x2015, "-"}, {0x2016, "||"},
    {0x2017, "_"}, {0x201B, "'"}, {0x201F, "\""}, {0x2024, "."}, {0x2025, ".."},
    {0x2027, "-"}, {0x202F, " "}, {0x2032, "'"}, {0x2033, "\""}, {0x2035, "`"},
    {0x2036, "\""}, {0x2038, "^"}, {0x203C, "!!"}, {0x2043, "-"}, {0x2044, "/"},
    {0x2047, "??"}, {0x2048, "?!"}, {0x2049, "!?"}, {0x205F, " "}, {0x2060, ""},
    {0x2070, "0"}, {0x2074, "4"}, {0x2075, "5"}, {0x2076, "6"}, {0x2077, "7"},
    {0x2078, "8"}, {0x2079, "9"}, {0x2080, "0"}, {0x2081, "1"}, {0x2082, "2"},
    {0x2083, "3"}, {0x2084, "4"}, {0x2085, "5"}, {0x2086, "6"}, {0x2087, "7"},
    {0x2088, "8"}, {0x2089, "9"}, {0x20A3, "F"}, {0x20A4, "\xA3"}, {0x20A7, "Pts"},
    {0x2100, "a/c"}, {0x2101, "a/s"}, {0x2103, "\xB0" "C"}, {0x2105, "c/o"},
    {0x2106, "c/u"}, {0x2109, "\xB0" "F"}, {0x2116, "No"}, {0x2117, "(P)"},
    {0x2120, "SM"}, {0x2126, "O"}, {0x212A, "K"}, {0x212B, "\xC5"}, {0x212E, "e"},
    {0x2153, " 1/3"}, {0x2154, " 2/3"}, {0x215B, " 1/8"}, {0x215C, " 3/8"},
    {0x215D, " 5/8"}, {0x215E, " 7/8"}, {0x2190, "<-"}, {0x2192, "->"},
    {0x2194, "<->"}, {0x21D0, "<="}, {0x21D2, "=>"}, {0x21D4, "<=>"},
    {0x2212, "-"}, {0x2215, "/"}, {0x2216, "\\"}, {0x2217, "*"}, {0x2219, "\xB7"},
    {0x221A, "v"}, {0x221E, "8"}, {0x2223, "|"}, {0x2236, ":"}, {0x223C, "~"},
    {0x2248, "~"}, {0x2260, "!="}, {0x2261, "="}, {0x2264, "<="}, {0x2265, ">="},
    {0x226A, "<<"}, {0x226B, ">>"}, {0x22C5, "\xB7"}, {0x2302, "?"},
    {0x2329, "<"}, {0x232A, ">"}, {0x2500, "-"}, {0x2502, "|"}, {0x250C, "+"},
    {0x2510, "+"}, {0x2514, "+"}, {0x2518, "+"}, {0x251C, "+"}, {0x2524, "+"},
    {0x252C, "+"}, {0x2534, "+"}, {0x253C, "+"}, {0x2550, "="}, {0x25CB, "o"},
    {0x25E6, "o"}, {0x2713, "v"}, {0x3000, " "}, {0x3001, ","}, {0x3002, "."},
    {0x3008, "<"}, {0x3009, ">"}, {0x300A, "<<"}, {0x300B, ">>"}, {0xFB00, "ff"},
    {0xFB01, "fi"}, {0xFB02, "fl"}, {0xFB03, "ffi"}, {0xFB04, "ffl"}, {0xFB05, "st"},
    {0xFB06, "st"}, {0xFEFF, ""}};

constexpr bool FitsSorted()
{
    for (size_t i = 1; i < std::size(kBestFits); ++i)
        if (kBestFits[i - 1].code >= kBestFits[i].code)
            return false;
    return true;
}
static_assert(FitsSorted(), "kBestFits must be sorted for the binary search");

// Fullwidth ASCII forms, U+FF01..U+FF5E, map to ASCII 0x21..0x7E.
constexpr char32_t kFullwidthFirst = 0xFF01;
constexpr char32_t kFullwidthLast = 0xFF5E;
constexpr char32_t kFullwidthOffset = 0xFF01 - 0x21;

// The byte for characters that Windows-1252 holds directly, or -1.
int DirectByte(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == c)
            return static_cast<int>(0x80 + i);
    return -1;
}

void AppendCodePoint(char32_t c, std::string& out)
{
    int direct = DirectByte(c);
    if (direct >= 0) {
        out.push_back(static_cast<char>(direct));
        return;
    }
    if (c >= 0x100 && c < 0x180 && kLatinExtendedA[c - 0x100] != '\0') {
        out.push_back(kLatinExtendedA[c - 0x100]);
        return;
    }
    if (c >= kFullwidthFirst && c <= kFullwidthLast) {
        out.push_back(static_cast<char>(c - kFullwidthOffset));
        return;
    }
    auto it = std::lower_bound(std::begin(kBestFits), std::end(kBestFits), c,
                               [](const CFit& f, char32_t v) { return f.code < v; });
    if (it != std::end(kBestFits) && it->code == c) {
        out.append(it->text);
        return;
    }
    out.push_back('?');
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

} // namespace

int Windows1252Byte(char32_t c) { return DirectByte(c); }

char32_t Windows1252ToUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return kHighControls[byte - 0x80];
    return byte;
}

std::string CodePointToWindows1252(char32_t c)
{
    std::string out;
    AppendCodePoint(c, out);
    return out;
}

void AppendWindows1252(std::u16string_view text, std::string& out)
{
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t u = text[i];
        if (u == 0)
            return;
        if (IsHighSurrogate(u) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            // A character beyond the BMP has no close fit in Windows-1252.
            out.push_back('?');
            ++i;
            continue;
        }
        if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
            out.push_back('?');
            continue;
        }
        AppendCodePoint(u, out);
    }
}

std::string Utf16ToWindows1252(std::u16string_view text)
{
    std::string out;
    AppendWindows1252(text, out);
    return out;
}

std::string Utf8ToWindows1252(std::string_view text)
{
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
        if (extra < 0 || i + static_cast<size_t>(extra) >= text.size() + (extra == 0)) {
            out.push_back('?');
            ++i;
            continue;
        }
        char32_t c = extra == 0 ? lead : (lead & (0x3F >> extra));
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            c = (c << 6) | (next & 0x3F);
        }
        if (!valid) {
            out.push_back('?');
            ++i;
            continue;
        }
        i += extra + 1;
        if (c > 0xFFFF || (c >= 0xD800 && c <= 0xDFFF))
            out.push_back('?');
        else
            AppendCodePoint(c, out);
    }
    return out;
}
