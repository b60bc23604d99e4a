#include "rtf/rtf_encoding.h"

#include <cstdint>

#include "platform/code_page.h"
#include "rtf/rtf_format.h"

namespace {

// Units below this are control characters: they have no place in RTF text.
constexpr char16_t kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

void AppendUnicodeWord(std::string& out, char16_t unit, char fallback)
{
    AppendRtf(out, "\\u", static_cast<int16_t>(unit));
    out.push_back(fallback);
}

bool IsValidUtf8(std::string_view s)
{
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 9;
        if (extra == 9 || i + extra >= s.size() + (extra == 0))
            return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

} // namespace

void AppendRtfText(std::string& out, std::u16string_view text, const std::vector<bool>& byCharCode)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (i < byCharCode.size() && byCharCode[i]) {
            // Readers skip the one fallback letter after the control word.
            AppendUnicodeWord(out, unit, 'x');
            continue;
        }
        if (unit == '\\' || unit == '{' || unit == '}') {
            out.push_back('\\');
            out.push_back(static_cast<char>(unit));
            continue;
        }
        const int byte = (unit >= 0xD800 && unit <= 0xDFFF) ? -1 : Windows1252Byte(unit);
        if (byte >= 0)
            out.push_back(static_cast<char>(byte));
        else
            AppendUnicodeWord(out, unit, '?');
    }
}

std::string FontTableName(std::string_view face)
{
    std::string name = IsValidUtf8(face) ? Utf8ToWindows1252(face) : std::string(face);
    std::string safe;
    safe.reserve(name.size());
    for (char c : name) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}' || c == ';' || byte < kFirstPrintable || byte == kDelete)
            continue;
        safe.push_back(c);
    }
    return safe;
}
