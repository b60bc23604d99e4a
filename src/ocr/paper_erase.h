#pragma once
// Takes recognised words out of the page picture: each word's box is
// filled with the colour of the paper around it, so the text is not shown
// twice (once in the picture, once as text) while everything outside the
// boxes (photos, stamps, rules, handwriting) stays as it was.
#include <cstdint>

// A BGR picture, three bytes a pixel, rows top-down.
struct CPicturePixels {
    uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

struct CErasedWord {
    uint32_t paper = 0x00FFFFFF;  // 0x00BBGGRR measured around the box
    uint32_t ink = 0;             // the word's own colour (its darkest pixels)
    bool erased = false;          // false: the box lies off the picture
};

// Fills the box [left, right) x [top, bottom), widened by `margin` pixels,
// with the paper colour: the median of each channel over a one-pixel ring
// just outside it.
CErasedWord EraseWordBox(CPicturePixels& picture, int left, int top, int right, int bottom, int margin);
