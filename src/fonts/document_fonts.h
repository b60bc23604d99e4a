#pragma once
// The PDF fonts of the document being converted, as capture found them, and
// the families the .docx embeds for them. One family is one built font: the
// glyphs of one program whose texts do not clash (a second glyph with the
// same text, such as a small capital, goes into the program's next family).
// Process-wide like the page text store: only the worker thread touches it.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CProgramFace;
struct CFontBuildRequest;

// Why a font is not embedded; kEmbeddable when it is.
enum class FontEmbedding {
    kEmbeddable,
    kNotEmbedded,    // the PDF carries no program (or a Type 3 font)
    kRestricted,     // the program's rights allow no editable embedding
    kUnreadable,     // the program cannot be read or converted
    kInstalledFace,  // a face with its metrics is installed: the face serves
};

// One character code of a PDF font as the document uses it.
struct CFontCode {
    uint32_t glyph = 0;     // FreeType's glyph index in the program
    double width = 0;       // thousandths of an em, from the PDF
    bool usable = false;    // the glyph loads and converts
    bool inked = false;     // it draws something
};

struct CDocumentFont {
    std::string pdfName;     // BaseFont without a subset prefix
    FontEmbedding embedding = FontEmbedding::kNotEmbedded;
    std::shared_ptr<const std::vector<uint8_t>> program;
    std::shared_ptr<CProgramFace> face;      // open while the document is captured
    std::unordered_map<uint32_t, CFontCode> codes;  // by character code (a CID for CID fonts)
    // Code points the program can show and the code that shows them, for the
    // letters of ligatures (simple fonts only).
    std::unordered_map<char32_t, uint32_t> available;
    std::vector<int> families;  // by plane
    uint64_t programHash = 0;
};

// Family style slots, as the .docx font table names them.
enum FontSlot { kSlotRegular = 0, kSlotBold = 1, kSlotItalic = 2, kSlotBoldItalic = 3 };

struct CEmbedFamily {
    int font = -1;
    int plane = 0;
    std::string name;                    // unique to the program, readable
    std::map<char32_t, uint32_t> cmap;   // code point -> character code of the font
    // Ligatures with a letter the font had no glyph for when they were
    // placed: text -> character code. Those whose letters are still missing
    // at the end are drawn through the font's `liga` feature.
    std::map<std::u32string, uint32_t> ligatures;
    // Advances (thousandths of an em) of the stand-ins for such letters: the
    // part of the ligature's width its present letters leave.
    std::map<char32_t, double> standIns;
    bool slots[4] = {false, false, false, false};
};

class CDocumentFonts {
public:
    // Starts a document. `collect`: families are made (a .docx with embedded
    // fonts); otherwise nothing is recorded. `salt` goes into the family names.
    void Reset(bool collect, uint64_t salt = 0);
    bool Collecting() const { return collect_; }
    uint64_t Salt() const { return salt_; }

    int AddFont(CDocumentFont font);
    CDocumentFont& Font(int index) { return fonts_[size_t(index)]; }
    const CDocumentFont& Font(int index) const { return fonts_[size_t(index)]; }
    int FontCount() const { return int(fonts_.size()); }

    // The family that shows the glyph of `code` with `text`, making room for
    // it (a new plane when its text is taken); -1 when it cannot be shown by
    // the font (its glyph is unusable, or a ligature is too long or one too
    // many). A ligature's letters are the font's where it has them; else the
    // ligature glyph is drawn for them.
    int PlaceGlyph(int font, uint32_t code, const std::u32string& text);
    // Marks a family's style slot as used.
    void UseSlot(int family, bool bold, bool italic);

    const CEmbedFamily& Family(int index) const { return families_[size_t(index)]; }
    int FamilyCount() const { return int(families_.size()); }
    // The advance (thousandths of an em) the family gives a code point; false
    // when the family does not have it.
    bool Advance(int family, char32_t cp, double& advance) const;

    // What the builder needs for a family (not its style, program or name's
    // checks): one glyph per code its cmap uses, stand-ins for letters only
    // ligatures have, and those ligatures.
    void FamilyRequest(int family, CFontBuildRequest& request) const;

    // The family to write for a run, or empty when the run keeps its face.
    std::string FamilyName(int family) const;

private:
    int NewFamily(int font, int plane);

    bool collect_ = false;
    uint64_t salt_ = 0;
    std::vector<CDocumentFont> fonts_;
    std::vector<CEmbedFamily> families_;
};

CDocumentFonts& DocumentFonts();

// Longest ligature text placed, and most ligatures drawn through one family's
// GSUB: beyond them the run keeps its face.
constexpr size_t kMostLigatureLetters = 16;
constexpr size_t kMostFamilyLigatures = 1024;

// FNV-1a over bytes, seeded: the family names' fingerprint.
uint64_t FingerprintBytes(const uint8_t* data, size_t size, uint64_t seed = 1469598103934665603ull);
