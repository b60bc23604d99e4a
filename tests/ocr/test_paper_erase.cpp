// Erasing a word from the page picture: the box takes the colour of the
// paper around it, nothing outside it changes, and the word's ink colour is
// measured on the way.
#include <gtest/gtest.h>

#include <vector>

#include "ocr/paper_erase.h"

namespace {

struct CTestPicture {
    int width, height;
    std::vector<uint8_t> bytes;
    CTestPicture(int w, int h, uint8_t b, uint8_t g, uint8_t r) : width(w), height(h), bytes(size_t(w) * h * 3)
    {
        for (size_t i = 0; i < bytes.size(); i += 3)
            bytes[i] = b, bytes[i + 1] = g, bytes[i + 2] = r;
    }
    uint8_t* At(int x, int y) { return &bytes[(size_t(y) * width + x) * 3]; }
    void Fill(int x0, int y0, int x1, int y1, uint8_t b, uint8_t g, uint8_t r)
    {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                At(x, y)[0] = b, At(x, y)[1] = g, At(x, y)[2] = r;
    }
    CPicturePixels Pixels() { return CPicturePixels {bytes.data(), width, height, width * 3}; }
};

TEST(PaperErase, FillsTheBoxWithThePaperAroundItAndKeepsTheRest)
{
    // Cream paper, a dark blue "word" and, right beside the box, a red stamp.
    CTestPicture picture(60, 40, 0xD0, 0xF0, 0xF8);
    picture.Fill(10, 10, 30, 20, 0x80, 0x10, 0x10);
    picture.Fill(34, 8, 50, 22, 0x00, 0x00, 0xFF);
    const std::vector<uint8_t> before = picture.bytes;
    CPicturePixels pixels = picture.Pixels();
    const CErasedWord erased = EraseWordBox(pixels, 10, 10, 30, 20, 1);
    ASSERT_TRUE(erased.erased);
    EXPECT_EQ(erased.paper, 0xD0F0F8u);  // 0x00BBGGRR
    EXPECT_EQ(erased.ink, 0x801010u);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const bool inBox = x >= 9 && x < 31 && y >= 9 && y < 21;
            const uint8_t* p = picture.At(x, y);
            const uint8_t* old = &before[(size_t(y) * picture.width + x) * 3];
            if (inBox)
                EXPECT_TRUE(p[0] == 0xD0 && p[1] == 0xF0 && p[2] == 0xF8) << x << "," << y;
            else
                EXPECT_TRUE(p[0] == old[0] && p[1] == old[1] && p[2] == old[2]) << x << "," << y;
        }
}

TEST(PaperErase, DarkGreyWithoutHueIsBlackPrint)
{
    CTestPicture picture(20, 20, 0xFF, 0xFF, 0xFF);
    picture.Fill(5, 5, 15, 15, 0x20, 0x22, 0x1E);
    CPicturePixels pixels = picture.Pixels();
    EXPECT_EQ(EraseWordBox(pixels, 5, 5, 15, 15, 0).ink, 0u);
}

TEST(PaperErase, BoxesAtAndBeyondTheEdges)
{
    CTestPicture picture(20, 10, 0xFF, 0xFF, 0xFF);
    picture.Fill(0, 0, 6, 10, 0, 0, 0);
    CPicturePixels pixels = picture.Pixels();
    // Reaching over the left edge: cut to the picture, paper from the ring that is on it.
    const CErasedWord edge = EraseWordBox(pixels, -5, 0, 6, 10, 0);
    EXPECT_TRUE(edge.erased);
    EXPECT_EQ(edge.paper, 0xFFFFFFu);
    EXPECT_EQ(picture.At(0, 5)[0], 0xFF);
    // Wholly off the picture, or empty: nothing happens.
    EXPECT_FALSE(EraseWordBox(pixels, 30, 0, 40, 5, 1).erased);
    EXPECT_FALSE(EraseWordBox(pixels, 5, 5, 5, 8, 0).erased);
    CPicturePixels none;
    EXPECT_FALSE(EraseWordBox(none, 0, 0, 5, 5, 0).erased);
}

} // namespace
