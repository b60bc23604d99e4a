#include "capture/capture_output_dev.h"

#include <algorithm>
#include <cstring>

#include <Dict.h>
#include <GfxState.h>
#include <Object.h>
#include <PDFDoc.h>
#include <Page.h>
#include <Parser.h>
#include <Stream.h>

#include "capture/face_lookup.h"
#include "capture/marked_content.h"
#include "capture/text_collector.h"
#include "page/text_item.h"

// Why the device looks at the page content itself: the library tells a device
// about BMC and about BDC with an inline property dictionary, but a BDC whose
// properties are a resource name (typically /OC /name) reaches no device
// call, while its EMC does. Popping on every EMC would then close the wrong
// sequence. Before the page runs, its content streams are read once for their
// BMC/BDC/EMC operators; the calls that arrive are matched against that list,
// so an EMC that closes a named BDC leaves the stack alone. Calls from content
// that was not read (forms, annotations) fall back to the plain rule, which is
// exact as long as such content has no named BDC of its own.

namespace {

// Text rendering modes the device treats specially.
constexpr int kRenderInvisible = 3;  // neither fill, stroke nor clip
constexpr int kRenderClipOnly = 7;   // only adds to the clip
constexpr int kRenderClipBit = 4;    // modes 4..7 add the glyph to the text clip
// Most characters taken from a font program for a glyph without text (a
// surrogate pair takes two of the glyph's text units).
constexpr int kMostForgottenUnits = 4;
// Nesting deeper than this in the scanned operands is not looked at.
constexpr int kMaxScanRecursion = 16;

SplashColorPtr WhitePaper()
{
    static SplashColor white = {255, 255, 255, 0};
    return white;
}

uint32_t FillColorOf(GfxState* state, bool reverseVideo)
{
    GfxRGB rgb;
    state->getFillColorSpace()->getRGB(state->getFillColor(), &rgb);
    GfxColorComp comps[3] = {rgb.r, rgb.g, rgb.b};
    uint32_t bytes[3];
    for (int i = 0; i < 3; ++i) {
        GfxColorComp v = reverseVideo ? gfxColorComp1 - comps[i] : comps[i];
        bytes[i] = colToByte(v);
    }
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16;
}

// Quick test on the decoded content before parsing it: without "BDC" there is
// no named BDC and the plain rule is exact.
bool ContentMentionsBdc(Object& contents)
{
    auto scan = [](Stream* str) {
        if (!str)
            return false;
        str->reset();
        char buf[4096 + 2] = {0, 0};
        int carried = 0;
        bool found = false;
        for (;;) {
            int n = str->doGetChars(4096, reinterpret_cast<unsigned char*>(buf + carried));
            if (n <= 0)
                break;
            const int len = carried + n;
            for (int i = 0; i + 2 < len && !found; ++i)
                found = buf[i] == 'B' && buf[i + 1] == 'D' && buf[i + 2] == 'C';
            if (found)
                break;
            carried = len >= 2 ? 2 : len;
            std::memmove(buf, buf + len - carried, carried);
        }
        str->close();
        return found;
    };
    if (contents.isStream())
        return scan(contents.getStream());
    if (contents.isArray()) {
        for (int i = 0; i < contents.arrayGetLength(); ++i) {
            Object s = contents.arrayGet(i);
            if (s.isStream() && scan(s.getStream()))
                return true;
        }
    }
    return false;
}

}  // namespace

CCaptureOutputDev::CCaptureOutputDev(CTextCollector& collector)
    : SplashOutputDev(splashModeBGR8, 4, false, WhitePaper(), true), collector_(collector), fonts_(collector)
{
    ClearPageText(collector_.Items());
    collector_.ReadMarkedContent(&markedContent_);
}

CCaptureOutputDev::~CCaptureOutputDev() = default;

void CCaptureOutputDev::SetKeepInvisibleText(bool keep)
{
    keepInvisible_ = keep;
    if (keep && !invisibleCollector_) {
        invisibleCollector_ = std::make_unique<CTextCollector>(ProcessFaceLookup(), invisibleItems_);
        invisibleCollector_->ReadMarkedContent(&markedContent_);
        invisibleCollector_->SetDocument(doc_ ? doc_->getXRef() : nullptr);
    }
}

CPageScanFacts CCaptureOutputDev::ScanFacts()
{
    CPageScanFacts facts;
    facts.visibleGlyphs = collector_.Items().size();
    facts.invisibleGlyphs = invisibleGlyphs_;
    facts.imageCoverage = pageArea_ > 0 ? std::min(1.0, imageArea_ / pageArea_) : 0;
    return facts;
}

std::vector<CTextItem>& CCaptureOutputDev::PageItems()
{
    return collector_.Items();
}

void CCaptureOutputDev::NoteImage(GfxState* state)
{
    if (picturePass_)
        return;
    // The image fills the unit square of its matrix; its box on the page,
    // cut to the clip.
    double xs[4], ys[4];
    state->transform(0, 0, &xs[0], &ys[0]);
    state->transform(1, 0, &xs[1], &ys[1]);
    state->transform(0, 1, &xs[2], &ys[2]);
    state->transform(1, 1, &xs[3], &ys[3]);
    double clipX0, clipY0, clipX1, clipY1;
    state->getClipBBox(&clipX0, &clipY0, &clipX1, &clipY1);
    const double x0 = std::max({*std::min_element(xs, xs + 4), clipX0, 0.0});
    const double y0 = std::max({*std::min_element(ys, ys + 4), clipY0, 0.0});
    const double x1 = std::min({*std::max_element(xs, xs + 4), clipX1, double(getBitmapWidth())});
    const double y1 = std::min({*std::max_element(ys, ys + 4), clipY1, double(getBitmapHeight())});
    if (x1 > x0 && y1 > y0)
        imageArea_ += (x1 - x0) * (y1 - y0);
}

void CCaptureOutputDev::drawImageMask(GfxState* state, Object* ref, Stream* str, int width, int height, bool invert,
                                      bool interpolate, bool inlineImg)
{
    NoteImage(state);
    SplashOutputDev::drawImageMask(state, ref, str, width, height, invert, interpolate, inlineImg);
}

void CCaptureOutputDev::drawImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                                  GfxImageColorMap* colorMap, bool interpolate, const int* maskColors, bool inlineImg)
{
    NoteImage(state);
    SplashOutputDev::drawImage(state, ref, str, width, height, colorMap, interpolate, maskColors, inlineImg);
}

void CCaptureOutputDev::drawMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                                        GfxImageColorMap* colorMap, bool interpolate, Stream* maskStr, int maskWidth,
                                        int maskHeight, bool maskInvert, bool maskInterpolate)
{
    NoteImage(state);
    SplashOutputDev::drawMaskedImage(state, ref, str, width, height, colorMap, interpolate, maskStr, maskWidth,
                                     maskHeight, maskInvert, maskInterpolate);
}

void CCaptureOutputDev::drawSoftMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                                            GfxImageColorMap* colorMap, bool interpolate, Stream* maskStr,
                                            int maskWidth, int maskHeight, GfxImageColorMap* maskColorMap,
                                            bool maskInterpolate)
{
    NoteImage(state);
    SplashOutputDev::drawSoftMaskedImage(state, ref, str, width, height, colorMap, interpolate, maskStr, maskWidth,
                                         maskHeight, maskColorMap, maskInterpolate);
}

void CCaptureOutputDev::startDoc(PDFDoc* doc)
{
    doc_ = doc;
    SplashOutputDev::startDoc(doc);
    collector_.SetDocument(doc ? doc->getXRef() : nullptr);
    if (invisibleCollector_)
        invisibleCollector_->SetDocument(doc ? doc->getXRef() : nullptr);
    fonts_.StartDocument(doc ? doc->getXRef() : nullptr);
}

void CCaptureOutputDev::startPage(int pageNum, GfxState* state, XRef* xref)
{
    SplashOutputDev::startPage(pageNum, state, xref);
    // The library drops sequences left open at the end of a page without
    // telling the device; a page starts with none open.
    markedContent_.clear();
    openSequences_.clear();
    if (picturePass_) {
        // The page's text was captured already; only the picture is drawn,
        // and no glyph reaches the collector that reads the sequences.
        pageEvents_.clear();
        nextEvent_ = 0;
        nextChoice_ = 0;
        return;
    }
    // What a picture pass leaves alone: the page's text and what it showed
    // of itself (ScanFacts), measured in the capture's pixels.
    drawnGlyphs_.clear();
    ClearPageText(collector_.Items());
    imageArea_ = 0;
    invisibleGlyphs_ = 0;
    invisibleItems_.clear();
    pageArea_ = static_cast<double>(getBitmapWidth()) * getBitmapHeight();
    ScanPageMarkedContent(pageNum);
}

void CCaptureOutputDev::ScanPageMarkedContent(int pageNum)
{
    pageEvents_.clear();
    nextEvent_ = 0;
    if (!doc_ || pageNum < 1 || pageNum > doc_->getNumPages())
        return;
    Page* page = doc_->getPage(pageNum);
    if (!page)
        return;
    Object contents = page->getContents();
    if (!(contents.isStream() || contents.isArray()) || !ContentMentionsBdc(contents))
        return;

    Parser parser(doc_->getXRef(), &contents, false);
    std::vector<Object> operands;
    for (;;) {
        Object obj = parser.getObj(kMaxScanRecursion);
        if (obj.isEOF() || obj.isError())
            break;
        if (!obj.isCmd()) {
            operands.push_back(std::move(obj));
            continue;
        }
        const char* cmd = obj.getCmd();
        // The library uses the last operands when there are too many.
        const size_t n = operands.size();
        if (!std::strcmp(cmd, "BMC")) {
            if (n >= 1 && operands[n - 1].isName())
                pageEvents_.push_back(MarkedEvent::Begin);
        } else if (!std::strcmp(cmd, "BDC")) {
            if (n >= 2 && operands[n - 2].isName()) {
                if (operands[n - 1].isDict())
                    pageEvents_.push_back(MarkedEvent::Begin);
                else if (operands[n - 1].isName())
                    pageEvents_.push_back(MarkedEvent::NamedBegin);
            }
        } else if (!std::strcmp(cmd, "EMC")) {
            pageEvents_.push_back(MarkedEvent::End);
        } else if (!std::strcmp(cmd, "BI")) {
            // Inline image data cannot be read as tokens; the events up to
            // here still hold, later calls follow the plain rule.
            break;
        }
        operands.clear();
    }
}

void CCaptureOutputDev::ConsumeEventsUpTo(MarkedEvent seen)
{
    while (nextEvent_ < pageEvents_.size()) {
        const MarkedEvent e = pageEvents_[nextEvent_];
        if (e == MarkedEvent::NamedBegin) {
            openSequences_.push_back(false);
            ++nextEvent_;
        } else if (e == MarkedEvent::End && openSequences_.empty()) {
            ++nextEvent_;  // the library rejects an EMC with nothing open
        } else {
            // The expected call, or one from content that was not read (then
            // the list waits for the page's own next call).
            if (e == seen)
                ++nextEvent_;
            return;
        }
    }
}

void CCaptureOutputDev::beginMarkedContent(const char* name, Dict* properties)
{
    SplashOutputDev::beginMarkedContent(name, properties);
    ConsumeEventsUpTo(MarkedEvent::Begin);
    MarkedContentEntry entry;
    entry.tag = name ? name : "";
    entry.operandCount = properties ? 2 : 1;
    entry.inlineProperties = properties != nullptr;
    if (properties) {
        Object vertical = properties->lookup("Vertical");
        entry.verticalTrue = vertical.isBool() && vertical.getBool();
    }
    markedContent_.push_back(std::move(entry));
    openSequences_.push_back(true);
}

void CCaptureOutputDev::endMarkedContent(GfxState* state)
{
    SplashOutputDev::endMarkedContent(state);
    ConsumeEventsUpTo(MarkedEvent::End);
    bool reachedDevice = true;
    if (!openSequences_.empty()) {
        reachedDevice = openSequences_.back();
        openSequences_.pop_back();
    }
    if (reachedDevice && !markedContent_.empty())
        markedContent_.pop_back();
}

void CCaptureOutputDev::drawChar(GfxState* state, double x, double y, double dx, double dy, double originX,
                                 double originY, CharCode code, int nBytes, const Unicode* u, int uLen)
{
    const int mode = state->getRender();
    if (mode == kRenderInvisible) {
        if (picturePass_)
            return;
        // Neither drawn nor captured as the page's text; counted, and kept
        // apart when asked for, as a scan's own text layer.
        ++invisibleGlyphs_;
        if (keepInvisible_ && !countOnly_) {
            double X, Y;
            state->transform(x, y, &X, &Y);
            const double k = state->getCharSpace() * state->getHorizScaling();
            const double* tm = state->getTextMat();
            double DX, DY;
            state->transformDelta(dx - k * tm[0], dy - k * tm[1], &DX, &DY);
            invisibleCollector_->CollectGlyph(state, X, Y, DX, DY, nBytes, u, uLen, 0);
        }
        return;
    }
    if (mode != kRenderClipOnly) {
        // The origin as the library passes it (before its origin offset), in page pixels.
        double X, Y;
        state->transform(x, y, &X, &Y);
        // The advance without character spacing; word spacing stays in it.
        const double k = state->getCharSpace() * state->getHorizScaling();
        const double* tm = state->getTextMat();
        double DX, DY;
        state->transformDelta(dx - k * tm[0], dy - k * tm[1], &DX, &DY);
        const uint32_t color = FillColorOf(state, isReverseVideo());

        int result;
        if (picturePass_) {
            // A glyph the capture never saw (none should exist) stays out.
            const bool drawn = nextChoice_ < drawnGlyphs_.size() && drawnGlyphs_[nextChoice_];
            ++nextChoice_;
            result = drawn ? kDrawGlyph : 0;
        } else if (countOnly_) {
            ++countedGlyphs_;
            result = 0;
        } else {
            const int font = fonts_.NoteGlyph(state->getFont(), code);
            // A glyph the PDF gave no text gets the text its font program knows.
            Unicode forgotten[kGlyphTextCapacity];
            if (uLen == 0 || (uLen == 1 && u[0] == 0)) {
                const std::u32string text = fonts_.ForgottenText(font, code);
                if (!text.empty() && text.size() <= size_t(kMostForgottenUnits)) {
                    for (size_t i = 0; i < text.size(); ++i) forgotten[i] = Unicode(text[i]);
                    u = forgotten;
                    uLen = int(text.size());
                }
            }
            auto& items = collector_.Items();
            const size_t before = items.size();
            result = collector_.CollectGlyph(state, X, Y, DX, DY, nBytes, u, uLen, color);
            if (items.size() > before) fonts_.AttachItem(items.back(), font, code);
        }
        if (recordChoices_ && !picturePass_)
            drawnGlyphs_.push_back(result == kDrawGlyph);
        if (result != kDrawGlyph) {
            // Kept out of the picture, but a clipping mode must still clip
            // what the page draws afterwards to the glyph.
            if (mode & kRenderClipBit) {
                state->setRender(kRenderClipOnly);
                SplashOutputDev::drawChar(state, x, y, dx, dy, originX, originY, code, nBytes, u, uLen);
                state->setRender(mode);
            }
            return;
        }
    }
    SplashOutputDev::drawChar(state, x, y, dx, dy, originX, originY, code, nBytes, u, uLen);
}
