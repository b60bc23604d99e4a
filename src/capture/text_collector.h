#pragma once
// Turns each glyph the capture device reports into one page text item.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include <CharTypes.h>  // Unicode

#include "capture/accept_index.h"
#include "capture/font_names.h"
#include "capture/font_style.h"

class GfxState;
class GfxFont;
class XRef;
class CFaceLookup;
struct CTextItem;
struct MarkedContentEntry;

// Result of CollectGlyph that asks the device to draw the glyph as usual.
constexpr int kDrawGlyph = 2;
// Glyph text units kept per glyph (the buffer holds one more for the terminator).
constexpr int kGlyphTextCapacity = 9;

class CTextCollector {
public:
    // Fills `store`, which its owner keeps (and empties between pages) for
    // as long as the collector lives.
    CTextCollector(CFaceLookup& faces, std::vector<CTextItem>& store);
    CTextCollector(const CTextCollector&) = delete;
    CTextCollector& operator=(const CTextCollector&) = delete;

    // The store this collector fills, in drawing order.
    std::vector<CTextItem>& Items() { return *store_; }
    const std::vector<CTextItem>& Items() const { return *store_; }

    // The open marked-content sequences to read for vertical text (kept by
    // the device that draws the page); null: none are open.
    void ReadMarkedContent(const std::vector<MarkedContentEntry>* open) { markedContent_ = open; }

    // X, Y: glyph origin in page pixels; DX, DY: advance in page pixels
    // without character spacing. Returns kDrawGlyph for glyphs that must stay
    // in the picture, 0 for every glyph that is dealt with here.
    int CollectGlyph(GfxState* state, double X, double Y, double DX, double DY, int nBytes,
                     const Unicode* u, int uLen, uint32_t color);

    // `text` holds `length` units and a terminator.
    void AddTextItem(double x, double y, const char16_t* text, int length, const std::string& name,
                     double advance, double height, int32_t bold, int32_t italic, uint32_t color,
                     double angle, bool vertical);

    // false when the new item must be discarded (duplicate or swallowed space).
    bool AcceptItem(const CTextItem& item);

    // The document whose fonts are read (embedded programs, descriptors);
    // a new document forgets the decisions of the last one.
    void SetDocument(XRef* xref);
    // The decision for a font (null: no font), made on its first glyph and
    // kept for the document.
    const CFontDecision& DecisionOf(const GfxFont* font);
    // Every font decided in this document, in the order of first use.
    const std::vector<CFontDecision>& FontDecisions() const { return decisions_; }

private:
    // What a font matrix gives every glyph drawn with it.
    struct MatrixFacts {
        double m[4] = {0, 0, 0, 0};
        double angle = 0;
        double height = 0;
        bool skewed = false;
    };

    // Called whenever the current font changes: the per-name tests of the face rules.
    void NoteCurrentFont(size_t index);
    const MatrixFacts& FactsOfMatrix(const double m[4]);
    // AddTextItem with the "symbol" name test already done; `fallbackFace`
    // (may be null) is the face when the name finds none.
    void AddItem(double x, double y, const char16_t* text, int length, const std::string& name,
                 bool nameHasSymbol, const std::string* fallbackFace, double advance, double height,
                 int32_t bold, int32_t italic, uint32_t color, double angle, bool vertical);

    CFaceLookup& faces_;
    std::vector<CTextItem>* store_;
    const std::vector<MarkedContentEntry>* markedContent_ = nullptr;
    CAcceptIndex acceptIndex_;
    XRef* xref_ = nullptr;
    // Decisions of this document and the facts each was made from, by font id.
    std::vector<CFontDecision> decisions_;
    std::vector<FontFacts> decisionFacts_;
    std::unordered_map<uint64_t, std::vector<size_t>> decisionsById_;
    size_t noFontDecision_ = SIZE_MAX;
    // The current font: glyphs come in long runs of one font.
    bool haveCurrent_ = false;
    const GfxFont* currentFont_ = nullptr;
    size_t current_ = 0;
    GlyphFaceRule cleanedFaceRule_ = GlyphFaceRule::kKeep;
    bool cleanedHasSymbol_ = false;
    const std::string narrowFace_{kNarrowFace};
    const bool narrowHasSymbol_;
    // The last font matrix: a line of text keeps one.
    bool haveMatrix_ = false;
    MatrixFacts matrix_;
    // Items in the store after the last append: the guess for the next page.
    size_t lastStoreSize_ = 0;
};

// Degrees of the text direction of a font matrix (m11, m12, m21, m22).
double FontAngle(const double m[4]);
// True when the matrix shears (or mirrors) the glyph.
bool IsSkewed(const double m[4]);
// The item rotation for a captured glyph's angle: 0, 90 or -90.
int32_t RotationOf(double angle);
// True when an open marked-content sequence marks its text as vertical.
bool InVerticalPointText(const std::vector<MarkedContentEntry>& open);
