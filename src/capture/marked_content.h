#pragma once
// Open marked-content sequences (BMC/BDC) of the page being rendered, oldest
// first. The capture device pushes and pops; the glyph collector reads it to
// find text marked as vertical.
#include <string>
#include <vector>

struct MarkedContentEntry {
    int operandCount = 1;         // 1 for BMC, 2 for BDC
    std::string tag;              // the first operand
    bool inlineProperties = false;  // BDC whose property list is an inline dictionary
    bool verticalTrue = false;    // that dictionary's /Vertical is the boolean true
};

std::vector<MarkedContentEntry>& MarkedContentStack();
