#pragma once
// What kind of face a name stands for: the families that PDFs are commonly
// set in, the face a Word user has for each, the face LibreOffice on Linux
// serves for it, and the class a reader without the face substitutes by.
// Capture chooses a face with it; the writers describe each face of their
// font tables with it.
#include <string>
#include <string_view>

// The RTF family classes (\froman, \fswiss, \fmodern, \fscript, \fdecor).
enum class FaceClass { Unknown, Roman, Swiss, Modern, Script, Decor };

// One row of the family table.
struct CFamilyRow {
    const char* key;        // lower case, no blanks, '-', '_' or subset prefix; matched as a prefix
    const char* family;     // the family's own name, for the reader
    FaceClass faceClass;
    bool fixedPitch;
    const char* face;       // the face to write (one that Word users have)
    // Glyphs that keep no slant from the font's italic angle (math symbols).
    bool upright = false;
    // A condensed family: written in the narrow face.
    bool narrow = false;
};

// The row whose key is the longest prefix of `name` (a BaseFont, a cleaned
// name or a face name), or nullptr.
const CFamilyRow* FindFamilyRow(std::string_view name);

// `name` lower-cased, without a subset prefix ("ABCDEF+") and without blanks,
// '-', '_' and ','.
std::string CompactFaceName(std::string_view name);

// The class the words of a name give ("Mono", "Sans", "Serif", "Script"
// ...), Unknown when they give none.
FaceClass ClassFromName(std::string_view name);

// The face written for text of a class when no family is known.
const char* DefaultFaceOf(FaceClass faceClass);

// How a font table describes a face.
struct CFaceKind {
    FaceClass faceClass = FaceClass::Unknown;
    // 0 unknown, 1 fixed, 2 variable (the RTF \fprq values).
    int pitch = 0;
    std::string altName;  // a face of the same look and metrics under another name, or empty
    std::string panose;   // 20 hex digits, or empty
};

// The kind of a face the writers print: the Word faces are known with their
// PANOSE numbers and the free faces that stand in for them; other faces are
// described by the family table, or by the words of their name.
CFaceKind FaceKindOf(std::string_view face);

// "roman", "swiss", ... as the RTF control word after "\f" (without it), "nil" when unknown.
const char* RtfFamilyWord(FaceClass faceClass);
// "roman", "swiss", "modern", "script", "decorative" or "auto" for the .docx font table.
const char* DocxFamilyValue(FaceClass faceClass);
