#pragma once
// The raster device that renders a page picture without its text: every
// glyph goes to the text collector first and is drawn only when the
// collector asks for it. It also keeps the stack of open marked-content
// sequences that the collector reads for vertical text.
#include <cstdint>
#include <memory>
#include <vector>

#include <SplashOutputDev.h>

#include "capture/font_programs.h"
#include "capture/marked_content.h"
#include "capture/scanned_page.h"
#include "page/text_item.h"

class PDFDoc;
class CTextCollector;

class CCaptureOutputDev : public SplashOutputDev {
public:
    // BGR8, rows padded to 4 bytes, no reverse video, white paper, top-down.
    // The captured glyphs go to `collector` (and its store, emptied here and
    // on every page); both outlive the device.
    explicit CCaptureOutputDev(CTextCollector& collector);
    ~CCaptureOutputDev() override;

    // Hides the base (non-virtual) startDoc: also remembers the document so
    // each page's content can be looked at before it runs. Call it, on this
    // type, before the first displayPage.
    void startDoc(PDFDoc* doc);

    void startPage(int pageNum, GfxState* state, XRef* xref) override;
    void drawChar(GfxState* state, double x, double y, double dx, double dy, double originX, double originY,
                  CharCode code, int nBytes, const Unicode* u, int uLen) override;
    void beginMarkedContent(const char* name, Dict* properties) override;
    void endMarkedContent(GfxState* state) override;

    // Images are drawn as the base device draws them; the device notes how
    // much of the page they cover.
    void drawImageMask(GfxState* state, Object* ref, Stream* str, int width, int height, bool invert,
                       bool interpolate, bool inlineImg) override;
    void drawImage(GfxState* state, Object* ref, Stream* str, int width, int height, GfxImageColorMap* colorMap,
                   bool interpolate, const int* maskColors, bool inlineImg) override;
    void drawMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                         GfxImageColorMap* colorMap, bool interpolate, Stream* maskStr, int maskWidth,
                         int maskHeight, bool maskInvert, bool maskInterpolate) override;
    void drawSoftMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                             GfxImageColorMap* colorMap, bool interpolate, Stream* maskStr, int maskWidth,
                             int maskHeight, GfxImageColorMap* maskColorMap, bool maskInterpolate) override;

    // What the last page showed of itself, for telling a scan: its images'
    // share of the page and its invisible glyphs (the glyphs captured as
    // text are in the collector's store).
    CPageScanFacts ScanFacts();

    // The glyphs the last page drew as text, in drawing order: the store of
    // the collector the device was made with.
    std::vector<CTextItem>& PageItems();
    // The open marked-content sequences that reached the device, oldest first.
    const std::vector<MarkedContentEntry>& OpenMarkedContent() const { return markedContent_; }

    // Keeps the text a page draws invisibly (rendering mode 3, the text
    // layer a scan may carry) as items of their own; off by default, when
    // such text is only counted.
    void SetKeepInvisibleText(bool keep);
    std::vector<CTextItem>& InvisibleItems() { return invisibleItems_; }

    // For measurements: glyphs are counted instead of collected (and kept out
    // of the picture, as captured glyphs are).
    void SetCountOnly(bool countOnly) { countOnly_ = countOnly; }
    long long CountedGlyphs() const { return countedGlyphs_; }

    // A page picture at another resolution than the capture: while recording,
    // each page's capture remembers which glyphs the collector left in the
    // picture; a picture pass then renders the same page again, draws
    // exactly those glyphs, keeps the rest out, and leaves the captured
    // text alone. The choice depends only on the glyph's angle, so it holds
    // at any resolution, and replaying it keeps the two passes in step
    // even for glyphs the collector would now judge differently.
    void SetRecordGlyphChoices(bool record) { recordChoices_ = record; }
    void SetPicturePass(bool picturePass) { picturePass_ = picturePass; }

private:
    // What the page's own content does with marked content, in order; see
    // the .cpp for why a device needs to know.
    enum class MarkedEvent : char { Begin, NamedBegin, End };

    void ScanPageMarkedContent(int pageNum);
    void ConsumeEventsUpTo(MarkedEvent seen);
    void NoteImage(GfxState* state);

    CTextCollector& collector_;
    PDFDoc* doc_ = nullptr;
    CFontPrograms fonts_;
    bool countOnly_ = false;
    long long countedGlyphs_ = 0;
    bool recordChoices_ = false;
    bool picturePass_ = false;
    // Per collector call of the last captured page: true where it drew.
    std::vector<bool> drawnGlyphs_;
    size_t nextChoice_ = 0;
    std::vector<MarkedEvent> pageEvents_;
    size_t nextEvent_ = 0;
    // Mirrors the library's own stack of open sequences: true where the
    // sequence reached this device (and so has an entry in markedContent_).
    std::vector<bool> openSequences_;
    // The page's open sequences that reached the device, oldest first; the
    // collectors read them.
    std::vector<MarkedContentEntry> markedContent_;
    double imageArea_ = 0;        // device pixels covered by images (their sum)
    double pageArea_ = 0;         // pixels of the captured page's bitmap
    size_t invisibleGlyphs_ = 0;
    bool keepInvisible_ = false;
    std::vector<CTextItem> invisibleItems_;
    std::unique_ptr<CTextCollector> invisibleCollector_;
};
