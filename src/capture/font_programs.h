#pragma once
// The capture's side of the document's fonts: for each PDF font the device
// meets, once, its program (if embedded), whether it may be embedded, and
// which glyph of the program each character code draws, found the way the
// library's own font engines find it. Per glyph only a lookup remains.
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <CharTypes.h>

class GfxFont;
class XRef;
class CTextCollector;
struct CTextItem;

class CFontPrograms {
public:
    // `collector` decides the faces of the glyphs these fonts draw: a font
    // whose face is installed is not embedded.
    explicit CFontPrograms(CTextCollector& collector) : collector_(collector) {}

    // Forgets the fonts of the previous document (and the document's fonts store).
    void StartDocument(XRef* xref);

    // The document font index of the glyph's font, with the code recorded
    // (its glyph and width); -1 for a glyph without a font.
    int NoteGlyph(const std::shared_ptr<GfxFont>& font, CharCode code);

    // The text the font program gives a glyph the PDF left without one: the
    // program's Unicode map, or the glyph's name. Empty when neither helps.
    std::u32string ForgottenText(int font, CharCode code);

    // Ties a stored item to the family that shows it with the PDF's own font
    // (when the document's fonts are collected for embedding).
    void AttachItem(CTextItem& item, int font, CharCode code);

private:
    struct FontState {
        std::shared_ptr<GfxFont> gfxFont;  // kept so its tables stay valid
        std::vector<int> codeToGid;        // empty: the code is the glyph
        bool byName = false;               // Type 1 / CFF: glyphs found by encoding names
        bool simple = true;                // one-byte codes
        std::unordered_map<uint32_t, double> cidWidths;  // CID fonts: thousandths by CID
        double defaultCidWidth = 1000;
    };
    int OpenFont(const std::shared_ptr<GfxFont>& font);
    void MapCodes(int index, FontState& state);
    uint32_t GlyphOf(const FontState& state, CharCode code) const;
    void RecordCode(int index, CharCode code);

    CTextCollector& collector_;
    XRef* xref_ = nullptr;
    std::map<std::pair<int, int>, int> byRef_;
    std::vector<FontState> states_;
    // The last font: glyphs come in long runs of one font.
    GfxFont* lastFont_ = nullptr;
    int lastIndex_ = -1;
};
