#include "docx/xml_text.h"

#include <charconv>

#include "platform/code_page.h"

namespace {

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Characters XML 1.0 allows (tab and line ends are handled before).
bool IsXmlChar(char32_t c)
{
    if (c < 0x20)
        return false;
    if (c >= 0xD800 && c <= 0xDFFF)
        return false;
    return c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The length of the valid UTF-8 sequence at `s`, or 0.
size_t Utf8SequenceAt(std::string_view s, size_t i, char32_t& c)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    size_t length;
    char32_t min;
    if (b0 < 0x80) {
        c = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        length = 2, c = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, c = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, c = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

}  // namespace

void AppendXmlCodePoint(std::string& out, char32_t c)
{
    switch (c) {
    case '&': out += "&amp;"; return;
    case '<': out += "&lt;"; return;
    case '>': out += "&gt;"; return;
    case '"': out += "&quot;"; return;
    default: AppendUtf8(out, c);
    }
}

void AppendXmlText(std::string& out, std::u16string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u < 0x80) {
            // The common case first: plain ASCII.
            if (u >= 0x20) {
                if (u == '&')
                    out += "&amp;";
                else if (u == '<')
                    out += "&lt;";
                else if (u == '>')
                    out += "&gt;";
                else
                    out.push_back(static_cast<char>(u));
            } else if (u == '\t' || u == '\n' || u == '\r') {
                out.push_back(' ');
            }
            continue;
        }
        char32_t c = u;
        if (IsHighSurrogate(u)) {
            if (i + 1 >= text.size() || !IsLowSurrogate(text[i + 1]))
                continue;
            c = 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (IsXmlChar(c))
            AppendUtf8(out, c);
    }
}

void AppendXmlAttribute(std::string& out, std::string_view name)
{
    for (size_t i = 0; i < name.size();) {
        char32_t c = 0;
        size_t length = Utf8SequenceAt(name, i, c);
        if (length == 0) {
            c = Windows1252ToUnicode(static_cast<unsigned char>(name[i]));
            length = 1;
        }
        i += length;
        if (IsXmlChar(c))
            AppendXmlCodePoint(out, c);
    }
}

void AppendInt(std::string& out, int64_t value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

std::string HexColor(uint32_t bbggrr)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const uint32_t rgb = ((bbggrr & 0xFF) << 16) | (bbggrr & 0xFF00) | ((bbggrr >> 16) & 0xFF);
    std::string hex(6, '0');
    for (int k = 5; k >= 0; --k) {
        hex[static_cast<size_t>(k)] = kDigits[(rgb >> (4 * (5 - k))) & 0xF];
    }
    return hex;
}
