#pragma once
// One open marked-content sequence (BMC/BDC) of the page being rendered. The
// capture device keeps the page's stack of them, oldest first; the glyph
// collector reads it to find text marked as vertical.
#include <string>
#include <vector>

struct MarkedContentEntry {
    int operandCount = 1;         // 1 for BMC, 2 for BDC
    std::string tag;              // the first operand
    bool inlineProperties = false;  // BDC whose property list is an inline dictionary
    bool verticalTrue = false;    // that dictionary's /Vertical is the boolean true
};
