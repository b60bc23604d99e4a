#pragma once
// Saves the rendered page bitmap as the page's JPEG picture.
#include <cstdint>
#include <string>

// The description of the page bitmap handed to the picture writer, laid out
// like the classic 40-byte bitmap information header.
struct CBitmapInfoHeader {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;       // positive; rows are top-down in memory anyway
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 24;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

// Result codes of SaveBitmapAsJpeg.
constexpr int kJpegOk = 0;
constexpr int kJpegPixelsRefused = 30000;
constexpr int kJpegInvalidInput = 30001;
constexpr int kJpegCannotOpen = 30002;
// libjpeg itself failed while writing (a full disk, say); the error text holds
// its message and the unfinished file is removed.
constexpr int kJpegLibraryFailed = 30003;

// `pixels`: rows top to bottom, B,G,R per pixel, each row padded to a
// multiple of 4 bytes. Returns one of the codes above (or another non-zero
// code when the JPEG library fails mid-write; the file is then closed).
int SaveBitmapAsJpeg(const uint8_t* pixels, const CBitmapInfoHeader& header, int quality,
                     const std::string& path, std::string* errorText);
