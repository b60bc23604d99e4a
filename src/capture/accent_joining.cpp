#include "capture/accent_joining.h"

#include <unicode/uchar.h>
#include <unicode/unorm2.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_map>

namespace {

// The accent's baseline may lie this many of the letter's heights above the
// letter's baseline (an accent raised over a capital)...
constexpr double kMostRaise = 1.0;
// ...and this many below it.
constexpr double kMostDrop = 0.5;
// An accent glyph is set at about its letter's size; one outside these
// ratios is a drawing of its own, not an accent.
constexpr double kSmallestSizeRatio = 0.5;
constexpr double kLargestSizeRatio = 2.0;
// Lookup cells per axis that one letter may cover before it is kept aside
// and tried against every accent instead.
constexpr double kMostCellsPerAxis = 64;
// Cell indexes beyond this magnitude cannot be told apart in a double.
constexpr double kLargestCellIndex = 1e15;

constexpr char16_t kDotlessI = 0x0131;
constexpr char16_t kDotlessJ = 0x0237;
constexpr char16_t kCombiningCedilla = 0x0327;
constexpr char16_t kCombiningOgonek = 0x0328;

struct AccentForm {
    char16_t spacing;
    char16_t combining;
};

// The spacing forms producers map accent glyphs to (Latin-1, the modifier
// letters and ASCII), with the mark each stands for.
constexpr AccentForm kAccents[] = {
    {0x00A8, 0x0308},  // diaeresis
    {0x00B4, 0x0301},  // acute
    {0x02CA, 0x0301},
    {0x0060, 0x0300},  // grave
    {0x02CB, 0x0300},
    {0x005E, 0x0302},  // circumflex
    {0x02C6, 0x0302},
    {0x007E, 0x0303},  // tilde
    {0x02DC, 0x0303},
    {0x00AF, 0x0304},  // macron
    {0x02C9, 0x0304},
    {0x02D8, 0x0306},  // breve
    {0x02D9, 0x0307},  // dot above
    {0x02DA, 0x030A},  // ring
    {0x02DD, 0x030B},  // double acute
    {0x02C7, 0x030C},  // caron
    {0x00B8, 0x0327},  // cedilla
    {0x02DB, 0x0328},  // ogonek
};

bool Finite(const CTextItem& it)
{
    return std::isfinite(it.x) && std::isfinite(it.y) && std::isfinite(it.width) && std::isfinite(it.height);
}

// The one character of an item that may carry an accent, or 0.
char16_t SingleUnit(const CTextItem& it)
{
    return it.text.size() == 1 ? it.text[0] : 0;
}

bool IsAccentItem(const CTextItem& it)
{
    return it.rotation == 0 && CombiningMarkOf(SingleUnit(it)) != 0 && Finite(it);
}

bool IsLetterItem(const CTextItem& it)
{
    const char16_t c = SingleUnit(it);
    return it.rotation == 0 && c != 0 && u_isalpha(c) && CombiningMarkOf(c) == 0 && Finite(it) &&
           it.height > 0;
}

// The letter with the mark as one character, or 0 when Unicode has none.
char16_t Composed(char16_t letter, char16_t mark)
{
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    if (U_FAILURE(status))
        return 0;
    // TeX puts accents on the dotless i and j; the precomposed letters are
    // made of the dotted ones.
    const bool below = mark == kCombiningCedilla || mark == kCombiningOgonek;
    if (!below && letter == kDotlessI)
        letter = u'i';
    else if (!below && letter == kDotlessJ)
        letter = u'j';
    const UChar32 composed = unorm2_composePair(nfc, letter, mark);
    if (composed <= 0 || composed > 0xFFFF)
        return 0;
    return static_cast<char16_t>(composed);
}

void GiveCharacter(CTextItem& letter, char16_t c)
{
    letter.text.assign(1, c);
    letter.textLength = 1;
    // The letter's glyph alone does not show the composed character.
    letter.embedFamily = -1;
    letter.narrowText = NarrowTextOf(std::u16string(1, c));
    // A precomposed letter lies beyond printable ASCII: written by code.
    letter.useCharCode = 1;
    letter.charCode = c;
}

double CenterX(const CTextItem& it) { return it.x + 0.5 * static_cast<double>(it.width); }

// The accent stands over (or under) the letter on the letter's line.
bool Carries(const CTextItem& letter, const CTextItem& accent)
{
    const double cx = CenterX(accent);
    const double h = letter.height;
    return cx >= letter.x && cx <= letter.x + letter.width && accent.y >= letter.y - kMostRaise * h &&
           accent.y <= letter.y + kMostDrop * h && accent.height >= kSmallestSizeRatio * h &&
           accent.height <= kLargestSizeRatio * h;
}

// Letters by the cells of the area where an accent of theirs can stand, so
// an accent is compared only with the letters of its own cell.
class CLetterGrid {
public:
    CLetterGrid(const std::vector<CTextItem>& items, const std::vector<uint32_t>& letters)
    {
        double sum = 0;
        for (uint32_t i : letters)
            sum += items[i].height;
        cell_ = letters.empty() ? 1.0 : std::max(sum / static_cast<double>(letters.size()), 1e-3);
        for (uint32_t i : letters)
            Insert(items[i], i);
    }

    // Letters that may carry an accent whose centre is (x, y): those of its
    // cell and the oversized ones.
    template <typename F>
    void ForCandidates(double x, double y, F&& f) const
    {
        for (uint32_t i : oversized_)
            f(i);
        double cx = 0, cy = 0;
        if (!CellOf(x, cx) || !CellOf(y, cy))
            return;
        auto found = cells_.find(Key(cx, cy));
        if (found != cells_.end())
            for (uint32_t i : found->second)
                f(i);
    }

private:
    bool CellOf(double v, double& cell) const
    {
        cell = std::floor(v / cell_);
        return std::fabs(cell) < kLargestCellIndex;
    }
    static uint64_t Key(double cx, double cy)
    {
        const auto x = static_cast<uint64_t>(static_cast<int64_t>(cx));
        const auto y = static_cast<uint64_t>(static_cast<int64_t>(cy));
        return x * 0x9E3779B97F4A7C15ull ^ y;
    }
    void Insert(const CTextItem& letter, uint32_t index)
    {
        const double h = letter.height;
        double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
        if (!CellOf(letter.x, x0) || !CellOf(letter.x + letter.width, x1) ||
            !CellOf(letter.y - kMostRaise * h, y0) || !CellOf(letter.y + kMostDrop * h, y1) ||
            x1 - x0 >= kMostCellsPerAxis || y1 - y0 >= kMostCellsPerAxis) {
            oversized_.push_back(index);
            return;
        }
        for (double cy = y0; cy <= y1; ++cy)
            for (double cx = x0; cx <= x1; ++cx)
                cells_[Key(cx, cy)].push_back(index);
    }

    double cell_ = 1;
    std::unordered_map<uint64_t, std::vector<uint32_t>> cells_;
    std::vector<uint32_t> oversized_;
};

}  // namespace

char16_t CombiningMarkOf(char16_t unit)
{
    for (const AccentForm& form : kAccents)
        if (form.spacing == unit || form.combining == unit)
            return form.combining;
    return 0;
}

size_t JoinSpacingAccents(std::vector<CTextItem>& items)
{
    if (items.size() < 2 || items.size() > std::numeric_limits<uint32_t>::max())
        return 0;
    std::vector<uint32_t> letters;
    bool anyAccent = false;
    for (size_t i = 0; i < items.size(); ++i) {
        if (IsLetterItem(items[i]))
            letters.push_back(static_cast<uint32_t>(i));
        else if (IsAccentItem(items[i]))
            anyAccent = true;
    }
    if (!anyAccent || letters.empty())
        return 0;

    const CLetterGrid grid(items, letters);
    std::vector<bool> joined(items.size(), false);
    size_t count = 0;
    for (size_t a = 0; a < items.size(); ++a) {
        const CTextItem& accent = items[a];
        if (!IsAccentItem(accent))
            continue;
        const char16_t mark = CombiningMarkOf(accent.text[0]);
        // The letter whose middle is nearest the accent's; on a tie the one
        // drawn nearest to it.
        size_t best = items.size();
        double bestDistance = 0;
        size_t bestGap = 0;
        grid.ForCandidates(CenterX(accent), accent.y, [&](uint32_t l) {
            const CTextItem& letter = items[l];
            if (!Carries(letter, accent) || Composed(letter.text[0], mark) == 0)
                return;
            const double distance = std::fabs(CenterX(letter) - CenterX(accent));
            const size_t gap = l > a ? l - a : a - l;
            if (best == items.size() || distance < bestDistance || (distance == bestDistance && gap < bestGap)) {
                best = l;
                bestDistance = distance;
                bestGap = gap;
            }
        });
        if (best == items.size())
            continue;
        GiveCharacter(items[best], Composed(items[best].text[0], mark));
        joined[a] = true;
        ++count;
    }
    if (count == 0)
        return 0;
    size_t out = 0;
    for (size_t i = 0; i < items.size(); ++i)
        if (!joined[i]) {
            if (out != i)
                items[out] = std::move(items[i]);
            ++out;
        }
    items.resize(out);
    return count;
}
