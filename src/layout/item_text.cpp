#include "layout/item_text.h"

#include <cstdint>

#include "platform/code_page.h"

namespace {

constexpr char16_t kTab = 0x09;
// Units below this are control characters: no text of the page.
constexpr char16_t kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;
// Stands for a unit written by code; any letter that is not a blank will do.
constexpr char kCodePlaceholder = 'u';

void AppendCodeUnit(uint32_t unit, std::string& text)
{
    if (unit == kTab)
        text.push_back(' ');
    else if (unit >= kFirstPrintable)
        text.push_back(kCodePlaceholder);
}

} // namespace

CAddedText AppendPlainItemText(const CTextItem& item, std::string& text)
{
    const size_t before = text.size();
    CAddedText result;
    if (item.useCharCode) {
        result.byCharCode = true;
        for (char16_t unit : CharCodeUnits(item))
            AppendCodeUnit(unit, text);
    } else {
        std::string converted;
        AppendWindows1252(item.text, converted);
        for (char c : converted) {
            const unsigned char byte = static_cast<unsigned char>(c);
            if (byte == kTab)
                text.push_back(' ');
            else if (byte >= kFirstPrintable && byte != kDelete)
                text.push_back(c);
        }
    }
    result.bytes = text.size() - before;
    return result;
}
