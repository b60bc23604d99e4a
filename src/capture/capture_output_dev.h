#pragma once
// The raster device that renders a page picture without its text: every
// glyph goes to the text collector first and is drawn only when the
// collector asks for it. It also keeps the stack of open marked-content
// sequences that the collector reads for vertical text.
#include <cstdint>
#include <vector>

#include <SplashOutputDev.h>

class PDFDoc;

class CCaptureOutputDev : public SplashOutputDev {
public:
    // BGR8, rows padded to 4 bytes, no reverse video, white paper, top-down.
    // Empties the page text store.
    CCaptureOutputDev();

    // Hides the base (non-virtual) startDoc: also remembers the document so
    // each page's content can be looked at before it runs. Call it, on this
    // type, before the first displayPage.
    void startDoc(PDFDoc* doc);

    void startPage(int pageNum, GfxState* state, XRef* xref) override;
    void drawChar(GfxState* state, double x, double y, double dx, double dy, double originX, double originY,
                  CharCode code, int nBytes, const Unicode* u, int uLen) override;
    void beginMarkedContent(const char* name, Dict* properties) override;
    void endMarkedContent(GfxState* state) override;

    // For measurements: glyphs are counted instead of collected (and kept out
    // of the picture, as captured glyphs are).
    void SetCountOnly(bool countOnly) { countOnly_ = countOnly; }
    long long CountedGlyphs() const { return countedGlyphs_; }

private:
    // What the page's own content does with marked content, in order; see
    // the .cpp for why a device needs to know.
    enum class MarkedEvent : char { Begin, NamedBegin, End };

    void ScanPageMarkedContent(int pageNum);
    void ConsumeEventsUpTo(MarkedEvent seen);

    PDFDoc* doc_ = nullptr;
    bool countOnly_ = false;
    long long countedGlyphs_ = 0;
    std::vector<MarkedEvent> pageEvents_;
    size_t nextEvent_ = 0;
    // Mirrors the library's own stack of open sequences: true where the
    // sequence reached this device (and so has an entry in MarkedContentStack()).
    std::vector<bool> openSequences_;
};
