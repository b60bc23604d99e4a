#include "rtf/rtf_encoding.h"

#include <cstdint>
#include <cstdio>

#include "platform/code_page.h"
#include "rtf/rtf_format.h"

namespace {

constexpr char16_t kTab = 0x09;
// Units below this are control characters: they have no place in RTF text
// (a raw line feed would even break the one-line document).
constexpr char16_t kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

void AppendCodeMarker(uint32_t code, std::string& text)
{
    AppendRtf(text, "&u", static_cast<int32_t>(code), "x");
}

// One UTF-16 unit given by character code.
void AppendCodeUnit(uint32_t unit, std::string& text)
{
    if (unit == kTab)
        text.push_back(' ');
    else if (unit >= kFirstPrintable)
        AppendCodeMarker(unit, text);
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

CAppendedText AppendItemText(const CTextItem& item, std::string& text)
{
    const size_t before = text.size();
    CAppendedText result;
    if (item.useCharCode) {
        result.byCharCode = true;
        // RTF's \u takes one UTF-16 unit, so each unit gets its own marker.
        for (char16_t unit : CharCodeUnits(item))
            AppendCodeUnit(unit, text);
    } else {
        std::string converted;
        AppendWindows1252(item.text, converted);
        for (char c : converted) {
            unsigned char byte = static_cast<unsigned char>(c);
            if (byte == kTab)
                text.push_back(' ');
            else if (byte < kFirstPrintable || byte == kDelete)
                continue;
            else if (c == '&')
                text.append("&&");
            else
                text.push_back(c);
        }
    }
    result.bytes = text.size() - before;
    return result;
}

void Escape(std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        switch (c) {
        case '\\':
        case '{':
        case '}':
            out.push_back('\\');
            out.push_back(c);
            break;
        case '&':
            if (i + 1 < text.size() && text[i + 1] == 'u') {
                out.append("\\u");
                ++i;
            } else if (i + 1 < text.size() && text[i + 1] == '&') {
                out.push_back('&');
                ++i;
            } else {
                out.push_back('&');
            }
            break;
        default:
            out.push_back(c);
        }
    }
    text.swap(out);
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
