#pragma once
// The horizontal character scale of a line run: how much its text, measured
// in the run's face, must be compressed to fit the width it had in the PDF.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Faces whose glyphs are pictures, never swapped for a narrow text face.
bool IsSymbolFace(const std::string& face);

// The scale (1..100) for text measured `measured` twips wide in a box
// `boxWidth` twips wide. Text at least twice as wide as its box, which no
// scale fits, sets `narrowFace`: the run is then written in "Arial Narrow"
// (unless `face` is a symbol face).
int32_t CharScaleFor(int32_t boxWidth, double measured, const std::string& face, bool& narrowFace);

// A glyph of a line run written by character code, measured by its letters.
struct CCodeGlyph {
    std::u16string text;    // the glyph's Unicode text
    double pdfWidth = 0;    // its advance in the PDF, twips
};

struct CTextRun;
// Measures `measure` and the character-code glyphs in the run's face at its
// size and style, returns the scale and switches the run's face to "Arial
// Narrow" when that is called for. A glyph the face has no letter for counts
// with its width in the PDF: the reader sets it in some other face.
int32_t ApplyCharScale(CTextRun& run, std::string_view measure, const std::vector<CCodeGlyph>& codeGlyphs = {});

// The scale of an embedded run measured `measured` twips wide (with its own
// glyphs at the run's size) in a box `boxWidth` twips wide: the nearest whole
// percent, stretching as well as compressing; 100 when the two are too far
// apart for any scale to be meant.
int32_t EmbeddedScaleFor(int32_t boxWidth, double measured);

struct CTextSpan;
// The scale of a run printed in an embedded family: its text measured with
// the family's own advances (the PDF's widths); letters the family lacks are
// measured in the run's face. The face never changes.
int32_t EmbeddedCharScale(const CTextRun& run, int family, const std::vector<CTextSpan>& spans);

// How an embedded run fills its box: the scale of its glyphs and the twips
// each of its blanks is widened by (its letter spacing).
struct CEmbeddedFit {
    int32_t scale = 100;
    int32_t blankSpacing = 0;
};
// The fit of a run printed in `halfPoints` (0: the run's size) whose glyphs
// the PDF drew at `pdfSize` twips: with a size and blanks, the glyphs are
// scaled to the PDF's size and the blanks take up the word gaps, as the PDF
// placed its words; otherwise (or when the gaps cannot be the blanks') one
// scale fills the box, as EmbeddedCharScale.
CEmbeddedFit EmbeddedFit(const CTextRun& run, int family, const std::vector<CTextSpan>& spans, int32_t halfPoints,
                         double pdfSize);
