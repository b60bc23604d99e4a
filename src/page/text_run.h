#pragma once
// A styled run of text in twips, ready to be placed on the page: its box and
// its text as pieces of one style each. Writers turn the pieces into their
// own markup.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Flow: paragraphs and columns, text boxes for vertical and overlaid text.
// Frames: every run in a positioned frame.
enum class TextMode { Flow, Frames };

// A text box's direction; the values are the RTF text-flow numbers.
enum class TextFlow { Horizontal = 0, Downward = 1, Upward = 2 };

// One glyph's text as it entered a run, or a blank the collectors put
// between words.
struct CTextSpan {
    std::u16string text;      // Unicode, every unit kept
    bool byCharCode = false;  // the glyph is written by character code; a tab in it stands for one blank
};

// A stretch of a run's text in one style.
struct CTextPiece {
    std::string face;          // the face to print (already "Arial Narrow" where the scale chose it)
    int32_t halfPoints = 0;    // font size in half-points
    uint32_t color = 0;        // 0x00BBGGRR
    bool bold = false;
    bool italic = false;
    int32_t charScale = 100;   // horizontal scale, percent
    int32_t raise = 0;         // twips above the run's baseline (negative: lowered)
    int32_t embedFamily = -1;  // the embedded font family that prints it (.docx), or -1: `face` does
    int32_t blankSpacing = 0;  // twips each blank of an embedded piece is widened by: the PDF's word gaps
    std::vector<CTextSpan> spans;
};

enum class RunKind { Line, Box, Up, Down };

// A stretch of a run's text as the document stores it: one piece's style,
// one direction, in logical order. Layout settles it once for every printer:
// the glyphs' texts cut at their first zero unit, a tab as a blank, control
// characters left out, each glyph's text composed (NFC), right-to-left
// stretches in logical order with mirrored brackets and surrogate pairs in
// order. The printers only encode or escape it.
struct CPrintedText {
    size_t piece = 0;               // index into the run's pieces
    bool rightToLeft = false;       // a right-to-left stretch
    std::u16string text;
    std::vector<bool> byCharCode;   // per unit of `text`: it comes from a glyph written by character code
};

struct CTextRun {
    RunKind kind = RunKind::Line;
    std::vector<CTextPiece> pieces;  // left to right; joining appends the right-hand run's pieces
    std::string face;         // the first piece's face
    int32_t left = 0;         // twips from the page's left edge
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;       // the baseline for horizontal runs
    int32_t width = 0;        // right - left at creation
    int32_t size = 0;         // font size in twips
    uint32_t lineHeight = 0;  // size at creation; merging raises it
    int32_t bold = 0;
    int32_t italic = 0;
    uint32_t color = 0;       // 0x00BBGGRR
    int32_t lastSize = 0;     // size of the right-hand part after a merge
    // Set by layout once the run is complete (SettlePrintedText):
    std::vector<CPrintedText> printed;  // the text in stored order
    bool hasRightToLeft = false;        // it holds a letter of a right-to-left script
    bool readsRightToLeft = false;      // a flow line set as a right-to-left paragraph
};

using RunList = std::vector<CTextRun>;

// The place of a run's text box on the page (twips): the run's box grown by
// one line height in the direction its text runs on, room for a reader's
// slightly wider font.
struct CBoxRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};
CBoxRect TextBoxRect(const CTextRun& run, TextFlow flow);

// A word space at the end of the run's text (inside its last piece).
void AppendBlank(CTextRun& run);
