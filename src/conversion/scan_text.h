#pragma once
// The text of a scanned page: taken from the PDF's own invisible text layer
// when the page has one, otherwise recognised in a grey rendering of the
// page. Each word found is erased from the page picture (so it does not
// show twice) and added to the page's items at its place.
#include <functional>
#include <string>
#include <vector>

#include "page/text_item.h"

class PDFDoc;
class SplashBitmap;

struct CScanTextJob {
    PDFDoc* document = nullptr;
    int page = 1;
    int pictureDpi = 96;                 // resolution the page picture and the items have
    SplashBitmap* picture = nullptr;     // BGR8; words are erased from it (null: none)
    // The page picture at a resolution of its own (BGR8, null: none), this
    // many of its pixels to one of `picture`'s; words are erased there too.
    SplashBitmap* sharpPicture = nullptr;
    double sharpScale = 1;
    std::vector<CTextItem>* textLayer = nullptr;  // the page's invisible glyphs, if kept
    std::string languages;               // for the engine
    std::function<bool()> cancel;        // a stop, or the page's budget spent
};

struct CScanTextResult {
    int words = 0;                 // words that became text
    bool fromTextLayer = false;
    bool cancelled = false;
    std::string engineError;       // the engine could not be loaded: why
};

// Appends the page's words to `items` (the page store, holding the few
// visible glyphs of the page; a recognised word over one of them is left
// out).
CScanTextResult AddScanText(const CScanTextJob& job, std::vector<CTextItem>& items);

// Words the engine is less sure of than this (0..100) stay in the picture.
inline constexpr float kLeastWordConfidence = 75.0f;
// Resolution of the rendering the engine reads.
inline constexpr int kRecognitionDpi = 300;
