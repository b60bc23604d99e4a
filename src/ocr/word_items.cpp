#include "ocr/word_items.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "capture/font_names.h"
#include "page/face_kind.h"
#include "platform/code_page.h"
#include "platform/text_measure.h"

namespace {

// Pixels an item's y lies below its baseline, as for captured glyphs.
constexpr double kBaselineDrop = 3.0;
// Stems at least this wide (in ems) are bold: the usual text faces have
// stems of about 0.09 em, their bold faces about 0.15.
constexpr double kBoldStemEms = 0.125;
// Feet this much wider than the stems (the page's median) are serifs: sans
// text measures 1.0-1.2, serif text 1.5-1.6, at 200 and 300 dpi alike.
constexpr double kSerifFootRatio = 1.35;
// Fewer words than this do not tell a face.
constexpr size_t kLeastWordsForFace = 8;
// The usual side bearings of text letters, in ems: the space between the
// ink of a word and the advances of its first and last letters.
constexpr double kLeftBearingEms = 0.06;
constexpr double kRightBearingEms = 0.05;
// The cell height letters are measured at: only their ratios count.
constexpr double kMeasureCell = 1000;

// Advances of the Windows-1252 letters in one face, measured once.
class CLetterWidths {
public:
    explicit CLetterWidths(const std::string& face)
    {
        widths_.fill(-1);
        font_.face = face;
        font_.cellHeight = kMeasureCell;
    }
    double Of(char32_t c)
    {
        std::string bytes = CodePointToWindows1252(c);
        if (bytes.size() != 1)
            bytes = "n";  // a letter the code page lacks is as wide as an n
        double& width = widths_[static_cast<unsigned char>(bytes[0])];
        if (width < 0)
            width = MeasureText(font_, bytes);
        return width > 0 ? width : kMeasureCell / 2;
    }

private:
    CMeasureFont font_;
    std::array<double, 256> widths_;
};

CLetterWidths& WidthsOf(const std::string& face)
{
    static std::map<std::string, CLetterWidths> faces;
    auto it = faces.find(face);
    if (it == faces.end())
        it = faces.emplace(face, CLetterWidths(face)).first;
    return it->second;
}

std::u32string DecodeUtf8(const std::string& text)
{
    std::u32string out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        if (extra < 0 || (extra > 0 && i + extra >= text.size())) {
            ++i;  // a stray byte: skipped
            continue;
        }
        char32_t c = extra == 0 ? b : b & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            ok = ok && (next >> 6) == 2;
            c = c << 6 | (next & 0x3F);
        }
        i += ok ? extra + 1 : 1;
        if (ok)
            out.push_back(c);
    }
    return out;
}

std::u16string Utf16Of(char32_t c)
{
    if (c < 0x10000)
        return std::u16string(1, static_cast<char16_t>(c));
    c -= 0x10000;
    return {static_cast<char16_t>(0xD800 + (c >> 10)), static_cast<char16_t>(0xDC00 + (c & 0x3FF))};
}

} // namespace

bool AppendWordSpace(const CTextItem& before, const CTextItem& after, std::vector<CTextItem>& items)
{
    const double start = before.x + before.width;
    if (before.rotation != 0 || after.rotation != 0 || after.x <= start)
        return false;
    CTextItem blank = before;
    blank.text = u" ";
    blank.textLength = 1;
    blank.narrowText = " ";
    blank.useCharCode = 0;
    blank.charCode = 0;
    blank.x = RoundHundredths(start);
    blank.width = static_cast<float>(RoundHundredths(after.x - start));
    items.push_back(std::move(blank));
    return true;
}

std::string RecognisedFaceOf(const std::vector<COcrWord>& words)
{
    std::vector<double> ratios;
    for (const COcrWord& word : words)
        if (word.footRatio > 0)
            ratios.push_back(word.footRatio);
    if (ratios.size() < kLeastWordsForFace)
        return kRecognisedTextFace;
    auto middle = ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() / 2);
    std::nth_element(ratios.begin(), middle, ratios.end());
    return DefaultFaceOf(*middle >= kSerifFootRatio ? FaceClass::Roman : FaceClass::Swiss);
}

bool LooksBold(const COcrWord& word)
{
    const double em = EmOfLineHeight(word.lineHeight);
    return em > 0 && word.strokeWidth / em >= kBoldStemEms;
}

double EmOfLineHeight(double lineHeight)
{
    return lineHeight / kLineHeightEms;
}

void AppendWordItems(const COcrPage& page, const COcrWord& word, const CWordItemStyle& style,
                     std::vector<CTextItem>& items)
{
    const std::u32string letters = DecodeUtf8(word.text);
    // Where the word starts on the upright page, which way it runs and how far.
    double startX = word.left, startY = word.baseline, dirX = 1, dirY = 0;
    double extent = word.right - word.left;
    if (word.turns == 1)
        startX = word.baseline, startY = word.bottom, dirX = 0, dirY = -1, extent = word.bottom - word.top;
    else if (word.turns == 3)
        startX = word.baseline, startY = word.top, dirX = 0, dirY = 1, extent = word.bottom - word.top;
    else if (word.turns != 0)
        return;  // upside down on its page: stays in the picture
    if (letters.empty() || extent <= 0)
        return;
    // The box holds the ink; the letters' advances reach a little further
    // on both sides (their side bearings).
    const double em = EmOfLineHeight(word.lineHeight);
    startX -= dirX * kLeftBearingEms * em, startY -= dirY * kLeftBearingEms * em;
    extent += (kLeftBearingEms + kRightBearingEms) * em;

    // An upside-down page is turned right way up (picture and all): its
    // text goes where it is on the page turned.
    const bool keepUpright = page.orientation == OcrOrientation::UpsideDown;
    auto place = [&](double along, double& x, double& y) {
        x = startX + along * dirX, y = startY + along * dirY;
        if (!keepUpright)
            OcrToGivenPicture(page, x, y, x, y);
    };
    double x0, y0, x1, y1;
    place(0, x0, y0);
    place(extent, x1, y1);
    const double runX = x1 - x0, runY = y1 - y0;
    int32_t rotation = 0;
    if (std::fabs(runY) > std::fabs(runX))
        rotation = runY < 0 ? 90 : -90;
    else if (runX < 0)
        return;  // reads right to left upside down: no item can say so

    CLetterWidths& widths = WidthsOf(style.face);
    double total = 0;
    for (char32_t c : letters)
        total += widths.Of(c);
    const double perUnit = extent / total;
    const float height = static_cast<float>(RoundHundredths(EmOfLineHeight(word.lineHeight) * style.scale));

    const int32_t bold = LooksBold(word) ? 1 : 0;
    double along = 0;
    for (char32_t c : letters) {
        const double advance = widths.Of(c) * perUnit;
        double x, y;
        place(along, x, y);
        along += advance;

        CTextItem item;
        item.text = Utf16Of(c);
        item.textLength = static_cast<int32_t>(item.text.size());
        item.narrowText = NarrowTextOf(item.text);
        item.x = RoundHundredths(x * style.scale);
        item.y = RoundHundredths(y * style.scale + kBaselineDrop);
        item.width = static_cast<float>(RoundHundredths(advance * style.scale));
        item.height = height;
        item.rotation = rotation;
        item.faceName = style.face;
        item.bold = bold;
        item.color = style.color;
        const char16_t first = item.text[0];
        item.useCharCode = (first < u' ' || first > u'~') ? 1 : 0;
        item.charCode = item.useCharCode ? PackFirstUnits(item.text.c_str()) : 0;
        items.push_back(std::move(item));
    }
}
