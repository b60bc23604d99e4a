#include "platform/text_direction.h"

#include <unicode/uchar.h>

namespace {
// No character below the Hebrew block reads right to left.
constexpr int32_t kFirstRightToLeft = 0x0590;
}

bool IsRightToLeftChar(int32_t codePoint)
{
    if (codePoint < kFirstRightToLeft)
        return false;
    const UCharDirection d = u_charDirection(codePoint);
    return d == U_RIGHT_TO_LEFT || d == U_RIGHT_TO_LEFT_ARABIC;
}

void CLineDirection::Add(int32_t codePoint)
{
    int strong = 0;
    if (IsRightToLeftChar(codePoint)) {
        ++rightToLeft_;
        strong = 1;
    } else if (u_charDirection(codePoint) == U_LEFT_TO_RIGHT) {
        ++leftToRight_;
        strong = -1;
    }
    if (strong != 0) {
        if (leftmost_ == 0)
            leftmost_ = strong;
        rightmost_ = strong;
    }
}

bool CLineDirection::ReadsRightToLeft() const
{
    if (leftmost_ == rightmost_)
        return leftmost_ > 0;
    return rightToLeft_ > leftToRight_;
}
