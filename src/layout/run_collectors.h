#pragma once
// The four run collectors: they join consecutive glyph items of one style on
// one line (or one vertical line) into the page's runs, each run one styled
// piece. A collector's open run lives in this object, which the page loop
// owns; every run it finishes goes into the page given at construction,
// whose face and colour lists note what the run uses, in first-use order.
#include <string>
#include <vector>

#include "layout/char_scale.h"
#include "page/page.h"
#include "page/text_item.h"

class CRunCollectors {
public:
    explicit CRunCollectors(CPage& page) : page_(page) {}

    // flush = 1 finishes the open run (the item is ignored).
    void CollectLineItem(const CTextItem& item, int dpi, int flush);
    void CollectBoxItem(const CTextItem& item, int dpi, int flush);
    void CollectUpItem(const CTextItem& item, int dpi, int flush);
    void CollectDownItem(const CTextItem& item, int dpi, int flush);

    // Drops the open runs without finishing them.
    void Reset();
    // True while any collector has a run open.
    bool HasOpenRun() const;

    // The open runs of the horizontal and vertical collectors.
    struct CHorizontalState {
        CTextItem pending;
        std::string text;     // plain run text (T)
        std::string measure;  // the text to measure (M), line runs only
        std::vector<CTextSpan> spans;
        // Line runs: the glyphs written by character code, measured by their
        // letters (their width in pixels until the run is finished).
        std::vector<CCodeGlyph> codeGlyphs;
        int32_t x0 = 0;
        int32_t y0 = 0;
        int32_t size = 0;     // S: largest height in pixels
        void Reset();
    };
    struct CVerticalState {
        CTextItem pending;
        std::string text;
        std::vector<CTextSpan> spans;
        int32_t x = 0;        // X
        int32_t y = 0;        // Y
        int32_t size = 0;     // S
        int32_t base = 0;     // B (upward runs)
        int32_t length = 0;   // L (downward runs)
        void Reset();
    };

private:
    void CollectVertical(CVerticalState& s, const CTextItem& item, int dpi, int flush, bool upward);
    void FinishVertical(CVerticalState& s, bool upward, int dpi);

    CPage& page_;
    CHorizontalState line_;
    CHorizontalState box_;
    CVerticalState up_;
    CVerticalState down_;
};

// Every item of `items` through its collector (flow mode: marked horizontal
// items into box runs), then the open runs finished.
void CollectPageRuns(const std::vector<CTextItem>& items, TextMode mode, int dpi, CRunCollectors& collectors);
