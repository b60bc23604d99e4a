#include "page/text_item.h"

#include <cmath>

namespace {
std::vector<CTextItem> pageTextItems;
}

std::vector<CTextItem>& PageTextItems() { return pageTextItems; }

void ClearPageText()
{
    std::vector<CTextItem>().swap(pageTextItems);
}

double RoundHundredths(double v)
{
    return std::floor((v + 0.005) * 100.0) * 0.01;
}
