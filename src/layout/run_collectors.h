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

// What a collector does with the item it is handed.
enum class CollectStep {
    TakeItem,       // the item continues the open run or starts the next one
    FinishOpenRun,  // the page's items are all in: the open run goes out (the item is ignored)
};

class CRunCollectors {
public:
    explicit CRunCollectors(CPage& page) : page_(page) {}

    void CollectLineItem(const CTextItem& item, int dpi, CollectStep step = CollectStep::TakeItem);
    void CollectBoxItem(const CTextItem& item, int dpi, CollectStep step = CollectStep::TakeItem);
    void CollectUpItem(const CTextItem& item, int dpi, CollectStep step = CollectStep::TakeItem);
    void CollectDownItem(const CTextItem& item, int dpi, CollectStep step = CollectStep::TakeItem);

    // Drops the open runs without finishing them.
    void Reset();
    // True while any collector has a run open.
    bool HasOpenRun() const;

    // The open runs of the horizontal and vertical collectors. Places and
    // sizes are in the page picture's pixels until the run is finished.
    struct CHorizontalState {
        CTextItem pending;    // the item taken last: the run's style, the next item's gap is measured from it
        std::string text;     // the run's plain text so far (UTF-8); empty: no run open
        std::string measure;  // line runs: the text whose width decides the character scale
        std::vector<CTextSpan> spans;
        // Line runs: the glyphs written by character code, measured by their
        // letters (their width in pixels until the run is finished).
        std::vector<CCodeGlyph> codeGlyphs;
        int32_t startX = 0;     // the first item's left edge
        int32_t baselineY = 0;  // the first item's baseline
        int32_t size = 0;       // the largest item height
        void Reset();
    };
    struct CVerticalState {
        CTextItem pending;    // the item taken last
        std::string text;     // the run's plain text so far; empty: no run open
        std::vector<CTextSpan> spans;
        int32_t left = 0;     // the run's box: left edge (upward: of the item taken last)
        int32_t top = 0;      // top edge (upward: the last item's top, as the run grows up)
        int32_t size = 0;     // the first item's height: the run's width and font size
        int32_t base = 0;     // upward runs: the first item's baseline, the box's bottom
        int32_t length = 0;   // downward runs: the summed advances of its items
        void Reset();
    };

private:
    void CollectVertical(CVerticalState& s, const CTextItem& item, int dpi, CollectStep step, bool upward);
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
