#pragma once
// Which way a line of text reads, told from the strong directions of its
// characters (ICU's character properties).
#include <cstddef>
#include <cstdint>

// True for a character of a right-to-left script (Hebrew, Arabic, ...).
bool IsRightToLeftChar(int32_t codePoint);

// Fed a line's characters in drawing order, left to right.
class CLineDirection {
public:
    void Add(int32_t codePoint);
    // A right-to-left line starts at its right end and a left-to-right one at
    // its left end; when the two ends disagree the majority decides.
    bool ReadsRightToLeft() const;

private:
    size_t rightToLeft_ = 0;
    size_t leftToRight_ = 0;
    int leftmost_ = 0;   // +1 right-to-left, -1 left-to-right, 0 none yet
    int rightmost_ = 0;
};
