#pragma once
// Advance widths of Windows-1252 text in an installed face, the way the
// character scale needs them: the face is matched by fontconfig (family,
// weight, slant) and measured unhinted with FreeType. The size is a "cell
// height": the face's ascent plus descent (OS/2 win metrics) spans it, so
// the em is cellHeight * unitsPerEm / (winAscent + winDescent).
// Faces are opened once per (face, bold, italic) and kept for the process.
#include <string>
#include <string_view>

struct CMeasureFont {
    std::string face;
    double cellHeight = 0;  // in the unit the width comes back in
    bool bold = false;
    bool italic = false;
};

// The advance width of `text` (Windows-1252 bytes); 0 when no font file can
// be opened for the request.
double MeasureText(const CMeasureFont& font, std::string_view text);

// The advance width of UTF-16 `text` (surrogate pairs read as one letter)
// by the face's Unicode map. `complete` turns false when the face has no
// glyph for a letter (that letter then adds nothing).
double MeasureUnicode(const CMeasureFont& font, std::u16string_view text, bool& complete);

// What the request was matched to, for diagnostics and tests: the family
// name of the file used and its em at the given cell height.
struct CMatchedFace {
    std::string family;
    std::string file;
    double em = 0;
};
bool DescribeMatch(const CMeasureFont& font, CMatchedFace& match);
