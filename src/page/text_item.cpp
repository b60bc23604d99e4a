#include "page/text_item.h"

#include <cmath>

void ClearPageText(std::vector<CTextItem>& items)
{
    std::vector<CTextItem>().swap(items);
}

std::u16string CharCodeUnits(const CTextItem& item)
{
    std::u16string units;
    const auto first = static_cast<char16_t>(item.charCode & 0xFFFF);
    const auto second = static_cast<char16_t>(item.charCode >> 16);
    if (second == 0) {
        units.push_back(first);
    } else if (first != 0) {
        units.push_back(first);
        units.push_back(second);
        for (size_t i = 2; i < item.text.size() && item.text[i] != 0; ++i)
            units.push_back(item.text[i]);
    }
    return units;
}

double RoundHundredths(double v)
{
    return std::floor((v + 0.005) * 100.0) * 0.01;
}

std::string NarrowTextOf(const std::u16string& text)
{
    std::string narrow;
    for (char16_t unit : text) {
        const char low = char(unit & 0xFF), high = char(unit >> 8);
        if (low == 0) break;
        narrow.push_back(low);
        if (high == 0) break;
        narrow.push_back(high);
    }
    return narrow;
}
