#pragma once
// The decision made once per PDF font: its weight and slant from everything
// the PDF says (the name rules first, then the embedded font program, the
// font descriptor and the name's conventions), the kind of face it is, and the
// face its text is written in when the cleaned name finds no installed face.
// Pure over CFontEvidence; FontEvidenceOf is the place that reads Poppler and
// FreeType.
#include <cstdint>
#include <string>

#include "capture/font_names.h"
#include "page/face_kind.h"

class GfxFont;
class XRef;

// Where a weight or slant came from, most trusted first.
enum class StyleSource { None, NameRules, Program, Descriptor, NameConvention, Shear };

// Why a font's text got its face.
enum class FaceReason {
    Found,        // an installed face of the cleaned name
    Alias,        // a face known for the name, or one served with its metrics
    FamilyTable,  // the family table's face for the name
    Class,        // the face of the font's class (serif, sans, fixed pitch, script)
    Narrow,       // a condensed font, or text that needs the narrow face
};

// What FreeType reads from an embedded font program.
struct CFontProgramFacts {
    bool read = false;             // a program was embedded and FreeType opened it
    bool hasOs2 = false;           // an OS/2 table: the next four hold
    int weightClass = 0;           // usWeightClass
    int widthClass = 0;            // usWidthClass (5 normal, below condensed)
    bool os2Italic = false;        // fsSelection italic or oblique
    int familyClass = 0;           // sFamilyClass high byte
    std::string panose;            // 20 hex digits; empty without OS/2 or when all zero
    bool hasPsInfo = false;        // a Type 1 / CFF FontInfo: the next two hold
    std::string psWeight;          // FontInfo Weight
    double psItalicAngle = 0;      // FontInfo ItalicAngle
    bool styleBold = false;        // FT_STYLE_FLAG_BOLD
    bool styleItalic = false;      // FT_STYLE_FLAG_ITALIC
    bool fixedWidth = false;       // FT_IS_FIXED_WIDTH
    std::string familyName;        // the program's family name

    bool operator==(const CFontProgramFacts&) const = default;
};

// What a PDF font says about itself.
struct CFontEvidence {
    FontFacts facts;               // the name rules' input
    int descriptorWeight = 0;      // FontWeight (100..900), 0 when absent
    bool hasItalicAngle = false;
    double italicAngle = 0;        // descriptor ItalicAngle
    int stretch = 0;               // GfxFont::Stretch, 0 not defined, 3 condensed, 5 normal
    CFontProgramFacts program;

    bool operator==(const CFontEvidence&) const = default;
};

// The per-font decision others reuse (printers of embedded fonts, OCR).
struct CFontStyle {
    CleanedFontName cleaned;       // the name rules' working name and flags
    int32_t bold = 0;              // as items carry it: the rules' value, else 1 or 0
    int32_t italic = 0;
    int weight = 400;              // 100..900, best known
    StyleSource weightSource = StyleSource::None;
    StyleSource slantSource = StyleSource::None;
    FaceClass faceClass = FaceClass::Unknown;
    bool fixedPitch = false;
    bool condensed = false;
    std::string family;            // the known family ("Computer Modern"), or empty
    // The face for the font's text when the cleaned name finds none, and why.
    std::string fallbackFace;
    FaceReason fallbackReason = FaceReason::Class;
    std::string panose;            // from the program, or empty
};

// A PDF font's decision with the face its text gets.
struct CFontDecision {
    std::string pdfName;           // BaseFont as written (empty without one)
    CFontStyle style;
    std::string face;              // the installed face of the cleaned name, else style.fallbackFace
    FaceReason reason = FaceReason::Class;
};

// Weight at and above which a font counts as bold (semibold included).
constexpr int kBoldWeight = 600;

// The decision for a font (null: the "no font" state of the name rules).
CFontStyle DecideFontStyle(const CFontEvidence* evidence);

// The weight a Type 1 FontInfo Weight string (or a name's weight word) stands
// for, 0 when it names none.
int WeightOfWord(std::string_view word);

// Weight and slant that a PDF font name's conventions give: 0 / false when
// the name says nothing. `weight` is 700 for bold words, 600 for semibold.
struct CNameStyle {
    int weight = 0;
    bool italic = false;
};
CNameStyle NameConventions(std::string_view baseFont);

// Reads everything the decision needs from a Poppler font; `xref` (may be
// null) is the document's, for the embedded program and the descriptor.
CFontEvidence FontEvidenceOf(const GfxFont& font, XRef* xref);
// What FreeType reads from a font program in memory.
CFontProgramFacts ReadFontProgram(const unsigned char* data, size_t size);

const char* StyleSourceName(StyleSource source);
const char* FaceReasonName(FaceReason reason);
