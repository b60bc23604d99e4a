#include "conversion/scan_text.h"

#include <PDFDoc.h>
#include <SplashOutputDev.h>
#include <splash/SplashBitmap.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "ocr/ocr_engine.h"
#include "ocr/paper_erase.h"
#include "ocr/word_items.h"

namespace {

// Pixels an item's y lies below its baseline.
constexpr double kBaselineDrop = 3.0;
// A glyph's box reaches this share of its size above and below the baseline.
constexpr double kAscentShare = 0.8;
constexpr double kDescentShare = 0.25;
// Erased boxes are widened by this many picture pixels (the glyphs' soft edges).
constexpr int kEraseMargin = 1;
// The rendering the engine reads holds at most this many pixels (an A3 page
// at 300 dpi has 17 million); a larger page is read at a lower resolution.
constexpr double kMostRecognitionPixels = 36e6;

SplashColorPtr WhitePaper()
{
    static SplashColor white = {255, 255, 255, 0};
    return white;
}

CPicturePixels PixelsOf(SplashBitmap* bitmap)
{
    CPicturePixels pixels;
    if (!bitmap)
        return pixels;
    pixels.data = bitmap->getDataPtr();
    pixels.width = bitmap->getWidth();
    pixels.height = bitmap->getHeight();
    pixels.stride = bitmap->getRowSize();
    return pixels;
}

struct CBox {
    double left = 0, top = 0, right = 0, bottom = 0;
    void Add(double x, double y)
    {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
    }
    bool Meets(const CBox& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

// The box a glyph item covers on the page, whichever way its line runs.
CBox GlyphBox(const CTextItem& item)
{
    const double ox = item.x, oy = item.y - kBaselineDrop;
    double dirX = 1, dirY = 0, upX = 0, upY = -1;
    if (item.rotation == 90)
        dirX = 0, dirY = -1, upX = -1, upY = 0;
    else if (item.rotation == -90)
        dirX = 0, dirY = 1, upX = 1, upY = 0;
    const double up = kAscentShare * item.height, down = -kDescentShare * item.height;
    CBox box{ox, oy, ox, oy};
    for (double along : {0.0, double(item.width)})
        for (double across : {up, down})
            box.Add(ox + along * dirX + across * upX, oy + along * dirY + across * upY);
    return box;
}

CErasedWord EraseBox(CPicturePixels& picture, const CBox& box, double scale = 1)
{
    return EraseWordBox(picture, static_cast<int>(std::floor(box.left * scale)),
                        static_cast<int>(std::floor(box.top * scale)), static_cast<int>(std::ceil(box.right * scale)),
                        static_cast<int>(std::ceil(box.bottom * scale)),
                        static_cast<int>(std::ceil(kEraseMargin * scale)));
}

// The pictures a word is erased from: the page's, whose colours give the
// word its ink, and the sharp picture the document gets, when there is one.
struct CPictures {
    explicit CPictures(const CScanTextJob& job)
        : page(PixelsOf(job.picture)), sharp(PixelsOf(job.sharpPicture)), sharpScale(job.sharpScale)
    {
    }
    bool Any() const { return page.data != nullptr; }
    CErasedWord Erase(const CBox& box)
    {
        if (sharp.data)
            EraseBox(sharp, box, sharpScale);
        return EraseBox(page, box);
    }

    CPicturePixels page;
    CPicturePixels sharp;
    double sharpScale;
};

bool IsBlank(const CTextItem& item)
{
    return item.text.empty() || item.text[0] == u' ';
}

// The text layer's glyphs become the page's items, word by word: each
// word's glyphs erased from the picture and given the colour they had there.
CScanTextResult TakeTextLayer(const CScanTextJob& job, std::vector<CTextItem>& items)
{
    CScanTextResult result;
    result.fromTextLayer = true;
    CPictures pictures(job);
    std::vector<CTextItem>& layer = *job.textLayer;
    for (size_t i = 0; i < layer.size();) {
        if (IsBlank(layer[i])) {
            layer[i].faceName = layer[i].faceName.empty() ? kRecognisedTextFace : layer[i].faceName;
            ++i;
            continue;
        }
        // A word: glyphs on one baseline, one way, up to the next blank.
        size_t end = i + 1;
        while (end < layer.size() && !IsBlank(layer[end]) && layer[end].rotation == layer[i].rotation &&
               std::lround(layer[end].y) == std::lround(layer[i].y) && layer[end].x >= layer[end - 1].x)
            ++end;
        CBox box = GlyphBox(layer[i]);
        for (size_t k = i + 1; k < end; ++k) {
            const CBox glyph = GlyphBox(layer[k]);
            box.Add(glyph.left, glyph.top);
            box.Add(glyph.right, glyph.bottom);
        }
        const CErasedWord erased = pictures.Any() ? pictures.Erase(box) : CErasedWord{};
        for (size_t k = i; k < end; ++k) {
            // A layer drawn in a font of no installed face is written in the
            // face recognised text gets.
            if (layer[k].faceName.empty())
                layer[k].faceName = kRecognisedTextFace;
            layer[k].color = erased.ink;
        }
        ++result.words;
        i = end;
    }
    items.insert(items.end(), std::make_move_iterator(layer.begin()), std::make_move_iterator(layer.end()));
    layer.clear();
    return result;
}

int RecognitionDpi(PDFDoc* doc, int page)
{
    const double w = doc->getPageCropWidth(page) / 72.0, h = doc->getPageCropHeight(page) / 72.0;
    if (!(w > 0 && h > 0))
        return kRecognitionDpi;
    const double most = std::sqrt(kMostRecognitionPixels / (w * h));
    return std::max(1, std::min(kRecognitionDpi, static_cast<int>(most)));
}

struct AbortData {
    const std::function<bool()>* cancel;
};

bool AbortRendering(void* data)
{
    const auto* abort = static_cast<const AbortData*>(data);
    return *abort->cancel && (*abort->cancel)();
}

// The picture turned half a turn, in place.
void TurnHalfWay(CPicturePixels& picture)
{
    const int w = picture.width, h = picture.height;
    for (int y = 0; y < (h + 1) / 2; ++y) {
        uint8_t* top = picture.data + static_cast<size_t>(y) * picture.stride;
        uint8_t* bottom = picture.data + static_cast<size_t>(h - 1 - y) * picture.stride;
        const int columns = y == h - 1 - y ? w / 2 : w;
        for (int x = 0; x < columns; ++x)
            for (int c = 0; c < 3; ++c)
                std::swap(top[3 * x + c], bottom[3 * (w - 1 - x) + c]);
    }
}

bool OverVisibleText(const CBox& word, const std::vector<CBox>& visible)
{
    for (const CBox& box : visible)
        if (word.Meets(box))
            return true;
    return false;
}

CScanTextResult Recognise(const CScanTextJob& job, std::vector<CTextItem>& items)
{
    CScanTextResult result;
    COcrEngine& engine = ProcessOcrEngine();
    if (!engine.Load(job.languages, result.engineError))
        return result;

    const int dpi = RecognitionDpi(job.document, job.page);
    SplashOutputDev grey(splashModeMono8, 4, false, WhitePaper(), true);
    grey.startDoc(job.document);
    AbortData abort{&job.cancel};
    job.document->displayPage(&grey, job.page, dpi, dpi, 0, false, true, false, AbortRendering, &abort);
    SplashBitmap* bitmap = grey.getBitmap();
    if ((job.cancel && job.cancel()) || !bitmap || bitmap->getWidth() <= 0 || bitmap->getHeight() <= 0) {
        result.cancelled = job.cancel && job.cancel();
        return result;
    }
    COcrImage image;
    image.pixels = bitmap->getDataPtr();
    image.width = bitmap->getWidth();
    image.height = bitmap->getHeight();
    image.stride = bitmap->getRowSize();
    image.dpi = dpi;
    const COcrPage page = engine.Recognise(image, job.cancel);
    if (page.cancelled) {
        result.cancelled = true;
        return result;
    }

    CPictures pictures(job);
    const double scale = static_cast<double>(job.pictureDpi) / dpi;
    // A page scanned upside down is turned right way up, picture and all:
    // its words are then read and placed as on an upright page.
    const bool turnedOver = page.orientation == OcrOrientation::UpsideDown;
    if (turnedOver && pictures.page.data)
        TurnHalfWay(pictures.page);
    if (turnedOver && pictures.sharp.data)
        TurnHalfWay(pictures.sharp);
    std::vector<CBox> visible;
    for (const CTextItem& item : items)
        visible.push_back(GlyphBox(item));
    std::vector<COcrWord> confident;
    for (const COcrWord& word : page.words)
        if (word.confidence >= kLeastWordConfidence)
            confident.push_back(word);
    const std::string face = RecognisedFaceOf(confident);
    size_t lastWordEnd = 0;  // just past the last word's items
    int lastLine = -1;
    for (const COcrWord& word : page.words) {
        if (word.confidence < kLeastWordConfidence)
            continue;
        int left = word.left, top = word.top, right = word.right, bottom = word.bottom;
        if (!turnedOver)
            OcrGivenBox(page, word, left, top, right, bottom);
        const CBox box{left * scale, top * scale, right * scale, bottom * scale};
        if (OverVisibleText(box, visible))
            continue;
        CWordItemStyle style;
        style.face = face;
        style.scale = scale;
        const size_t before = items.size();
        AppendWordItems(page, word, style, items);
        if (items.size() == before)
            continue;  // a word no item can show stays in the picture
        // The blank before the word, when it follows one on its line: the
        // gap alone would not always read as a word space.
        if (lastWordEnd > 0 && lastLine == word.line) {
            const CTextItem first = items[before];
            if (AppendWordSpace(items[lastWordEnd - 1], first, items))
                std::rotate(items.begin() + static_cast<std::ptrdiff_t>(before), items.end() - 1, items.end());
        }
        lastLine = word.line;
        lastWordEnd = items.size();
        if (pictures.Any()) {
            const uint32_t ink = pictures.Erase(box).ink;
            for (size_t k = before; k < items.size(); ++k)
                items[k].color = ink;
        }
        ++result.words;
    }
    return result;
}

} // namespace

CScanTextResult AddScanText(const CScanTextJob& job, std::vector<CTextItem>& items)
{
    if (job.textLayer && !job.textLayer->empty())
        return TakeTextLayer(job, items);
    return Recognise(job, items);
}
