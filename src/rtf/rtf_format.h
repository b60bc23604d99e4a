#pragma once
// Builds RTF text from literal parts and numbers without fixed buffers:
// RtfText("\\posx", x, "\\posy", y) is "\posx<x>\posy<y>". Numbers are
// written in decimal with a minus sign when negative, as control words
// want them.
#include <charconv>
#include <concepts>
#include <string>
#include <string_view>

namespace rtf_detail {

inline void AppendPart(std::string& out, std::string_view text) { out.append(text); }

template <std::integral Number>
void AppendPart(std::string& out, Number value)
{
    char digits[24];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    (void)error;  // 24 characters hold every 64-bit value
    out.append(digits, end);
}

}  // namespace rtf_detail

template <typename... Parts>
std::string RtfText(const Parts&... parts)
{
    std::string out;
    (rtf_detail::AppendPart(out, parts), ...);
    return out;
}

// Appends the parts to `out`.
template <typename... Parts>
void AppendRtf(std::string& out, const Parts&... parts)
{
    (rtf_detail::AppendPart(out, parts), ...);
}
