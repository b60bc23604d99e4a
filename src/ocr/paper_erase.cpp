#include "ocr/paper_erase.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

// Pixels darker than the paper by at least this much (sum of the three
// channels) count as the word's ink.
constexpr int kInkContrast = 150;
// The ink colour is the mean of this share (one in N) of its darkest pixels.
constexpr size_t kDarkestShare = 5;
// Ink no lighter than this in every channel, and about as much of each, is black.
constexpr int kBlackPrint = 48;
constexpr int kGreyHue = 40;

uint32_t Pack(int b, int g, int r)
{
    return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b) << 16;
}

uint8_t Median(std::vector<uint8_t>& values)
{
    auto middle = values.begin() + values.size() / 2;
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

} // namespace

CErasedWord EraseWordBox(CPicturePixels& picture, int left, int top, int right, int bottom, int margin)
{
    CErasedWord result;
    left = std::max(left - margin, 0);
    top = std::max(top - margin, 0);
    right = std::min(right + margin, picture.width);
    bottom = std::min(bottom + margin, picture.height);
    if (!picture.data || left >= right || top >= bottom)
        return result;

    // The ring one pixel outside the box (the picture's edge where it ends there).
    std::array<std::vector<uint8_t>, 3> ring;
    auto sample = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= picture.width || y >= picture.height)
            return;
        const uint8_t* p = picture.data + static_cast<size_t>(y) * picture.stride + 3 * static_cast<size_t>(x);
        for (int c = 0; c < 3; ++c)
            ring[c].push_back(p[c]);
    };
    for (int x = left - 1; x <= right; ++x) {
        sample(x, top - 1);
        sample(x, bottom);
    }
    for (int y = top; y < bottom; ++y) {
        sample(left - 1, y);
        sample(right, y);
    }
    int paper[3] = {255, 255, 255};
    if (!ring[0].empty())
        for (int c = 0; c < 3; ++c)
            paper[c] = Median(ring[c]);
    result.paper = Pack(paper[0], paper[1], paper[2]);

    // The ink: the darkest of the pixels clearly darker than the paper (the
    // others are the glyphs' soft edges).
    std::vector<uint64_t> ink;  // sum of the channels << 32 | the pixel
    const int paperSum = paper[0] + paper[1] + paper[2];
    for (int y = top; y < bottom; ++y) {
        uint8_t* p = picture.data + static_cast<size_t>(y) * picture.stride + 3 * static_cast<size_t>(left);
        for (int x = left; x < right; ++x, p += 3) {
            const int sum = p[0] + p[1] + p[2];
            if (paperSum - sum >= kInkContrast)
                ink.push_back(static_cast<uint64_t>(sum) << 32 | Pack(p[0], p[1], p[2]));
            p[0] = static_cast<uint8_t>(paper[0]);
            p[1] = static_cast<uint8_t>(paper[1]);
            p[2] = static_cast<uint8_t>(paper[2]);
        }
    }
    if (!ink.empty()) {
        std::sort(ink.begin(), ink.end());
        const size_t darkest = std::max<size_t>(1, ink.size() / kDarkestShare);
        long long sum[3] = {0, 0, 0};
        for (size_t i = 0; i < darkest; ++i)
            for (int c = 0; c < 3; ++c)
                sum[c] += (ink[i] >> (8 * c)) & 0xFF;
        const int r = static_cast<int>(sum[0] / darkest), g = static_cast<int>(sum[1] / darkest),
                  b = static_cast<int>(sum[2] / darkest);
        // Dark grey without a hue is black print seen through a scanner.
        const bool printBlack = std::max({r, g, b}) <= kBlackPrint && std::max({r, g, b}) - std::min({r, g, b}) <= kGreyHue;
        result.ink = printBlack ? 0 : Pack(b, g, r);
    }
    result.erased = true;
    return result;
}
