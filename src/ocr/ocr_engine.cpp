#include "ocr/ocr_engine.h"

#include <allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <vector>

#include "ocr/ocr_languages.h"

namespace {

constexpr const char* kOrientationData = "osd";
// Below this confidence (0..100) the orientation found is not trusted and
// the page is read as it lies.
constexpr float kLeastOrientationConfidence = 2.0f;

} // namespace

int TurnsToUpright(OcrOrientation orientation)
{
    switch (orientation) {
    case OcrOrientation::Upright: return 0;
    case OcrOrientation::BottomToTop: return 1;
    case OcrOrientation::UpsideDown: return 2;
    case OcrOrientation::TopToBottom: return 3;
    }
    return 0;
}

namespace {

// The engine's answer is the clockwise turn the page shows.
OcrOrientation OrientationOfDegrees(int degrees)
{
    switch (((degrees % 360) + 360) % 360) {
    case 90: return OcrOrientation::TopToBottom;
    case 180: return OcrOrientation::UpsideDown;
    case 270: return OcrOrientation::BottomToTop;
    default: return OcrOrientation::Upright;
    }
}

struct PixDeleter {
    void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using PixPtr = std::unique_ptr<Pix, PixDeleter>;

PixPtr GreyPix(const COcrImage& image)
{
    PixPtr pix(pixCreate(image.width, image.height, 8));
    if (!pix)
        return nullptr;
    l_uint32* data = pixGetData(pix.get());
    const int wpl = pixGetWpl(pix.get());
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* row = image.pixels + static_cast<size_t>(y) * image.stride;
        l_uint32* line = data + static_cast<size_t>(y) * wpl;
        for (int x = 0; x < image.width; ++x)
            SET_DATA_BYTE(line, x, row[x]);
    }
    pixSetResolution(pix.get(), image.dpi, image.dpi);
    return pix;
}

struct CancelState {
    const std::function<bool()>* cancel = nullptr;
    bool cancelled = false;
};

bool CancelCheck(void* data, int)
{
    auto* state = static_cast<CancelState*>(data);
    if (!state->cancelled && state->cancel && *state->cancel && (*state->cancel)())
        state->cancelled = true;
    return state->cancelled;
}

// Grey levels below this are ink when stems are measured.
constexpr int kStemInk = 128;

// The lengths of the horizontal runs of ink in the box (clipped to the
// picture), row by row.
std::vector<int> InkRuns(Pix* pix, int left, int top, int right, int bottom)
{
    const int width = pixGetWidth(pix), height = pixGetHeight(pix);
    left = std::max(left, 0), top = std::max(top, 0);
    right = std::min(right, width), bottom = std::min(bottom, height);
    const l_uint32* data = pixGetData(pix);
    const int wpl = pixGetWpl(pix);
    std::vector<int> runs;
    for (int y = top; y < bottom; ++y) {
        const l_uint32* line = data + static_cast<size_t>(y) * wpl;
        int run = 0;
        for (int x = left; x <= right; ++x) {
            const bool ink = x < right && static_cast<int>(GET_DATA_BYTE(line, x)) < kStemInk;
            if (ink) {
                ++run;
            } else if (run > 0) {
                runs.push_back(run);
                run = 0;
            }
        }
    }
    return runs;
}

// The median length of the horizontal runs of ink in the box: across a
// stem for most of them, so the width of the letters' strokes.
double StemWidth(Pix* pix, int left, int top, int right, int bottom)
{
    std::vector<int> runs = InkRuns(pix, left, top, right, bottom);
    if (runs.empty())
        return 0;
    auto middle = runs.begin() + runs.size() / 2;
    std::nth_element(runs.begin(), middle, runs.end());
    return *middle;
}

// The rows just above the baseline, and a band halfway up the small
// letters, in ems: where serifs and where only stems cross a row.
constexpr double kFootBandEms = 0.05;
constexpr double kWaistTopEms = 0.30;
constexpr double kWaistBottomEms = 0.22;

// Mean length of the runs of ink in rows y0..y1 of the box.
double MeanRun(Pix* pix, int left, int right, int y0, int y1)
{
    const std::vector<int> runs = InkRuns(pix, left, y0, right, y1);
    long long total = 0;
    for (int run : runs)
        total += run;
    return runs.empty() ? 0 : static_cast<double>(total) / runs.size();
}

// A word of more than blanks.
bool HasInk(const char* text)
{
    for (; *text; ++text)
        if (!std::isspace(static_cast<unsigned char>(*text)))
            return true;
    return false;
}

} // namespace

struct COcrEngine::CApis {
    tesseract::TessBaseAPI text;
    tesseract::TessBaseAPI orientation;
    bool textLoaded = false;
    bool orientationLoaded = false;
    bool orientationTried = false;
};

COcrEngine::COcrEngine() : apis_(std::make_unique<CApis>()) {}

COcrEngine::~COcrEngine() = default;

bool COcrEngine::Loaded() const { return apis_->textLoaded; }

bool COcrEngine::FindsOrientation() const { return apis_->orientationLoaded; }

bool COcrEngine::Load(const std::string& languages, std::string& error)
{
    error.clear();
    if (apis_->textLoaded && languages == languages_)
        return true;
    // Checked first: the engine itself only says so on its error output.
    if (!IsOcrLanguageList(languages)) {
        error = "\"" + languages + "\" is not a list of languages";
        return false;
    }
    const std::vector<std::string> missing = MissingOcrLanguages(languages);
    if (!missing.empty()) {
        error = "no language data for " + missing.front() + " (install tesseract-ocr-" + missing.front() + ")";
        return false;
    }
    const std::string folder = OcrDataFolder();
    apis_->text.End();
    apis_->textLoaded = apis_->text.Init(folder.c_str(), languages.c_str(), tesseract::OEM_LSTM_ONLY) == 0;
    if (!apis_->textLoaded) {
        error = "the language data of " + languages + " could not be loaded";
        languages_.clear();
        return false;
    }
    apis_->text.SetPageSegMode(tesseract::PSM_AUTO);
    // Words the engine keeps to itself (its own debug output) go nowhere.
    apis_->text.SetVariable("debug_file", "/dev/null");
    languages_ = languages;
    if (!apis_->orientationTried) {
        apis_->orientationTried = true;
        std::error_code ec;
        if (std::filesystem::exists(folder + "/" + kOrientationData + ".traineddata", ec)) {
            apis_->orientationLoaded =
                apis_->orientation.Init(folder.c_str(), kOrientationData, tesseract::OEM_TESSERACT_ONLY) == 0;
            if (apis_->orientationLoaded) {
                apis_->orientation.SetPageSegMode(tesseract::PSM_OSD_ONLY);
                apis_->orientation.SetVariable("debug_file", "/dev/null");
            }
        }
    }
    return true;
}

COcrPage COcrEngine::Recognise(const COcrImage& image, const std::function<bool()>& cancel)
{
    COcrPage page;
    page.width = image.width;
    page.height = image.height;
    if (!apis_->textLoaded || !image.pixels || image.width <= 0 || image.height <= 0)
        return page;
    PixPtr given = GreyPix(image);
    if (!given)
        return page;

    if (apis_->orientationLoaded) {
        apis_->orientation.SetImage(given.get());
        apis_->orientation.SetSourceResolution(image.dpi);
        int degrees = 0;
        float confidence = 0;
        const char* script = nullptr;
        float scriptConfidence = 0;
        if (apis_->orientation.DetectOrientationScript(&degrees, &confidence, &script, &scriptConfidence) &&
            confidence >= kLeastOrientationConfidence)
            page.orientation = OrientationOfDegrees(degrees);
        apis_->orientation.Clear();
    }
    const int turns = TurnsToUpright(page.orientation);
    PixPtr upright;
    if (turns != 0)
        upright.reset(pixRotateOrth(given.get(), turns));
    Pix* read = upright ? upright.get() : given.get();

    tesseract::TessBaseAPI& api = apis_->text;
    api.SetImage(read);
    api.SetSourceResolution(image.dpi);
    CancelState state;
    state.cancel = &cancel;
    tesseract::ETEXT_DESC monitor;
    monitor.cancel = CancelCheck;
    monitor.cancel_this = &state;
    const int failed = api.Recognize(&monitor);
    page.cancelled = state.cancelled;
    if (failed != 0 || state.cancelled) {
        api.Clear();
        return page;
    }

    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    int line = -1, paragraph = -1;
    double lineBaseline[4] = {0, 0, 0, 0};
    double lineHeight = 0;
    if (it) {
        do {
            // Pictures and rules found on the page are not text.
            if (it->Empty(tesseract::RIL_WORD) || !PTIsTextType(it->BlockType()))
                continue;
            if (it->IsAtBeginningOf(tesseract::RIL_PARA))
                ++paragraph;
            if (it->IsAtBeginningOf(tesseract::RIL_TEXTLINE) || line < 0) {
                ++line;
                int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
                if (it->Baseline(tesseract::RIL_TEXTLINE, &x1, &y1, &x2, &y2)) {
                    lineBaseline[0] = x1, lineBaseline[1] = y1, lineBaseline[2] = x2, lineBaseline[3] = y2;
                } else {
                    lineBaseline[0] = lineBaseline[2] = 0;
                    lineBaseline[1] = lineBaseline[3] = -1;
                }
                float rowHeight = 0, descenders = 0, ascenders = 0;
                it->RowAttributes(&rowHeight, &descenders, &ascenders);
                lineHeight = rowHeight;
            }
            std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_WORD));
            if (!text || !HasInk(text.get()))
                continue;
            int left = 0, top = 0, right = 0, bottom = 0;
            if (!it->BoundingBox(tesseract::RIL_WORD, &left, &top, &right, &bottom))
                continue;
            COcrWord word;
            word.text = text.get();
            word.confidence = it->Confidence(tesseract::RIL_WORD);
            word.line = line;
            word.paragraph = std::max(paragraph, 0);
            tesseract::Orientation facing = tesseract::ORIENTATION_PAGE_UP;
            tesseract::WritingDirection direction;
            tesseract::TextlineOrder order;
            float deskew = 0;
            it->Orientation(&facing, &direction, &order, &deskew);
            // The top of the letters points to the page's left: the line
            // reads bottom to top; to its right: top to bottom.
            word.turns = facing == tesseract::ORIENTATION_PAGE_LEFT    ? 1
                         : facing == tesseract::ORIENTATION_PAGE_RIGHT ? 3
                         : facing == tesseract::ORIENTATION_PAGE_DOWN  ? 2
                                                                       : 0;
            const bool acrossY = word.turns % 2 == 1;
            // Along the line: x for a line across the page, y for one up or down it.
            const double middle = acrossY ? 0.5 * (top + bottom) : 0.5 * (left + right);
            const double a0 = acrossY ? lineBaseline[1] : lineBaseline[0];
            const double a1 = acrossY ? lineBaseline[3] : lineBaseline[2];
            const double b0 = acrossY ? lineBaseline[0] : lineBaseline[1];
            const double b1 = acrossY ? lineBaseline[2] : lineBaseline[3];
            if (lineBaseline[3] < 0 && lineBaseline[1] < 0) {
                word.baseline = acrossY ? (word.turns == 1 ? right : left) : bottom;
            } else {
                const double t = a1 != a0 ? (middle - a0) / (a1 - a0) : 0;
                word.baseline = b0 + t * (b1 - b0);
            }
            word.lineHeight = lineHeight > 0 ? lineHeight : bottom - top;
            word.left = left, word.top = top, word.right = right, word.bottom = bottom;
            word.strokeWidth = word.turns % 2 ? 0 : StemWidth(read, left, top, right, bottom);
            if (word.turns == 0 && word.lineHeight > 0) {
                const double em = word.lineHeight / kLineHeightEms;
                const int base = static_cast<int>(word.baseline);
                const double foot = MeanRun(read, left, right, base - static_cast<int>(kFootBandEms * em), base);
                const double waist = MeanRun(read, left, right, base - static_cast<int>(kWaistTopEms * em),
                                             base - static_cast<int>(kWaistBottomEms * em));
                word.footRatio = waist > 0 ? foot / waist : 0;
            }
            page.words.push_back(std::move(word));
        } while (it->Next(tesseract::RIL_WORD));
    }
    it.reset();
    api.Clear();
    return page;
}

void OcrToGivenPicture(const COcrPage& page, double xr, double yr, double& x, double& y)
{
    switch (TurnsToUpright(page.orientation)) {
    case 1: x = yr; y = page.height - xr; break;
    case 2: x = page.width - xr; y = page.height - yr; break;
    case 3: x = page.width - yr; y = xr; break;
    default: x = xr; y = yr; break;
    }
}

void OcrGivenBox(const COcrPage& page, const COcrWord& word, int& left, int& top, int& right, int& bottom)
{
    double ax, ay, bx, by;
    OcrToGivenPicture(page, word.left, word.top, ax, ay);
    OcrToGivenPicture(page, word.right, word.bottom, bx, by);
    left = static_cast<int>(std::min(ax, bx));
    right = static_cast<int>(std::max(ax, bx));
    top = static_cast<int>(std::min(ay, by));
    bottom = static_cast<int>(std::max(ay, by));
}

COcrEngine& ProcessOcrEngine()
{
    static COcrEngine engine;
    return engine;
}
