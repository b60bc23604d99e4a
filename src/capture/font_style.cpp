#include "capture/font_style.h"

#include <cmath>
#include <cstring>

namespace {

// FontDescriptor flags beyond bold and italic.
constexpr int kFixedPitchFlag = 0x1;
constexpr int kSerifFlag = 0x2;
constexpr int kScriptFlag = 0x8;
constexpr int kNonsymbolicFlag = 0x20;
// Slants smaller than this (degrees) are upright: rounding in the producers.
constexpr double kLeastItalicAngle = 1.0;
// The stretch and OS/2 width values up to which a font is condensed.
constexpr int kLastCondensedStretch = 3;
constexpr int kLastCondensedWidthClass = 3;
// OS/2 weight classes of old fonts that count 1..9 instead of 100..900.
constexpr int kLastShortWeightClass = 9;
constexpr int kLargestWeight = 1000;
constexpr int kRegularWeight = 400;
constexpr int kBoldNameWeight = 700;
constexpr int kSemiboldNameWeight = 600;

std::string Lowered(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

bool Has(const std::string& s, const char* word) { return s.find(word) != std::string::npos; }

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// True when the style part of a name holds `token` as a word of its own:
// followed by the end, a capital, a digit or a separator ("BdIt", "-It").
bool HasToken(std::string_view style, std::string_view token)
{
    for (size_t at = style.find(token); at != std::string_view::npos; at = style.find(token, at + 1)) {
        const size_t end = at + token.size();
        const bool endsWord = end == style.size() || IsUpper(style[end]) || IsDigit(style[end]) ||
                              style[end] == '-' || style[end] == ',' || style[end] == '_';
        const bool startsWord = at == 0 || !(style[at - 1] >= 'a' && style[at - 1] <= 'z') || IsUpper(token[0]);
        if (endsWord && startsWord) return true;
    }
    return false;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// TeX's font names carry the style in the letters after "cm", "sf" ...
void TexConventions(const std::string& compact, CNameStyle& out)
{
    for (const char* bold : {"cmbx", "cmssbx", "cmmib", "cmbsy", "cmssdc", "sfbx", "sfbi", "sfsx", "sfrb", "cmunbx",
                             "cmunrb", "cmunsx"})
        if (StartsWith(compact, bold)) out.weight = kBoldNameWeight;
    // CMB10 is the bold roman; "cmb" followed by a digit.
    if (StartsWith(compact, "cmb") && compact.size() > 3 && IsDigit(compact[3])) out.weight = kBoldNameWeight;
    for (const char* italic : {"cmti", "cmsl", "cmbxti", "cmbxsl", "cmmi", "cmitt", "cmsltt", "cmssi",
                               "cmunti", "cmunsl", "cmunbi", "cmunit", "cmunsi", "sfti", "sfsl", "sfbi", "sfsi",
                               "sfit", "sfst"})
        if (StartsWith(compact, italic)) out.italic = true;
    // Libertine and Biolinum: a variant letter (T, O, R ...) then B (bold),
    // Z (semibold), I (italic), O (oblique), as in LinLibertineTBI.
    for (const char* family : {"linlibertine", "linbiolinum"}) {
        if (!StartsWith(compact, family)) continue;
        std::string rest = compact.substr(std::strlen(family));
        if (!rest.empty() && (rest[0] == 't' || rest[0] == 'r' || rest[0] == 'o' || rest[0] == 'g')) rest.erase(0, 1);
        if (rest.size() > 3) break;  // a word follows, not a style code
        if (rest.find('b') != std::string::npos) out.weight = kBoldNameWeight;
        if (rest.find('z') != std::string::npos) out.weight = kSemiboldNameWeight;
        if (rest.find('i') != std::string::npos || rest.find('o') != std::string::npos) out.italic = true;
    }
}

int ProgramWeight(const CFontProgramFacts& program)
{
    if (!program.read) return 0;
    if (program.hasOs2 && program.weightClass > 0 && program.weightClass <= kLargestWeight)
        return program.weightClass <= kLastShortWeightClass ? program.weightClass * 100 : program.weightClass;
    if (program.hasPsInfo) {
        if (int weight = WeightOfWord(program.psWeight)) return weight;
    }
    if (program.styleBold) return kBoldNameWeight;
    return 0;
}

// The program's answer on slant; false in `answered` when it gives none.
bool ProgramItalic(const CFontProgramFacts& program, bool upright, bool& answered)
{
    answered = false;
    if (!program.read || !(program.hasOs2 || program.hasPsInfo)) return false;
    answered = true;
    if (program.hasOs2 && program.os2Italic) return true;
    if (upright) return false;  // a symbol font's italic angle slants no letters
    return (program.hasPsInfo && std::fabs(program.psItalicAngle) >= kLeastItalicAngle) || program.styleItalic;
}

FaceClass ProgramClass(const CFontProgramFacts& program)
{
    if (!program.read) return FaceClass::Unknown;
    if (program.fixedWidth) return FaceClass::Modern;
    switch (program.familyClass) {
    case 1: case 2: case 3: case 4: case 5: case 7: return FaceClass::Roman;
    case 8: return FaceClass::Swiss;
    case 10: return FaceClass::Script;
    case 9: case 12: return FaceClass::Decor;
    default: break;
    }
    if (program.panose.size() == 20) {
        const int family = std::stoi(program.panose.substr(0, 2), nullptr, 16);
        const int serif = std::stoi(program.panose.substr(2, 2), nullptr, 16);
        const int proportion = std::stoi(program.panose.substr(6, 2), nullptr, 16);
        if (family == 2) {
            if (proportion == 9) return FaceClass::Modern;
            if (serif >= 11 && serif <= 15) return FaceClass::Swiss;
            if (serif >= 2 && serif <= 10) return FaceClass::Roman;
        }
        if (family == 3) return FaceClass::Script;
        if (family == 4 || family == 5) return FaceClass::Decor;
    }
    return FaceClass::Unknown;
}

bool NameIsCondensed(std::string_view baseFont)
{
    const std::string lower = Lowered(baseFont);
    for (const char* word : {"condensed", "narrow", "compressed", "cond"})
        if (Has(lower, word)) return true;
    const size_t dash = baseFont.find_first_of("-,");
    return dash != std::string_view::npos && HasToken(baseFont.substr(dash + 1), "Cn");
}

}  // namespace

int WeightOfWord(std::string_view word)
{
    const std::string w = Lowered(word);
    if (Has(w, "extralight") || Has(w, "ultralight")) return 200;
    if (Has(w, "semibold") || Has(w, "demibold") || Has(w, "demi")) return 600;
    if (Has(w, "extrabold") || Has(w, "ultrabold") || Has(w, "heavy")) return 800;
    if (Has(w, "black")) return 900;
    if (Has(w, "bold")) return 700;
    if (Has(w, "thin") || Has(w, "hairline")) return 100;
    if (Has(w, "light")) return 300;
    if (Has(w, "medium")) return 500;
    if (Has(w, "book") || Has(w, "regular") || Has(w, "normal") || Has(w, "roman") || Has(w, "plain"))
        return kRegularWeight;
    return 0;
}

CNameStyle NameConventions(std::string_view baseFont)
{
    CNameStyle out;
    const size_t plus = baseFont.find('+');
    if (plus != std::string_view::npos) baseFont.remove_prefix(plus + 1);
    const std::string lower = Lowered(baseFont);
    const std::string compact = CompactFaceName(baseFont);

    // Weight words anywhere in the name; "Medi" is URW's bold ("Medium" is not).
    const int worded = WeightOfWord(lower);
    if (worded >= kSemiboldNameWeight) out.weight = worded;
    const size_t medi = lower.find("medi");
    if (!out.weight && medi != std::string::npos && lower.compare(medi, 6, "medium") != 0)
        out.weight = kBoldNameWeight;
    for (const char* word : {"italic", "oblique", "slanted", "kursiv", "inclined", "ital"})
        if (Has(lower, word)) out.italic = true;

    // Abbreviations in the style part after "-" or ",": BdIt, Sb, Blk, It, Obl.
    const size_t dash = baseFont.find_first_of("-,");
    if (dash != std::string_view::npos) {
        const std::string_view style = baseFont.substr(dash + 1);
        for (const char* token : {"Bd", "Blk", "Hv", "Xbd", "Ebd"})
            if (!out.weight && HasToken(style, token)) out.weight = kBoldNameWeight;
        for (const char* token : {"Sb", "Smbd", "SmBd", "Semibd", "Dm"})
            if (!out.weight && HasToken(style, token)) out.weight = kSemiboldNameWeight;
        for (const char* token : {"It", "Obl", "Ita", "Sl", "Ob"})
            if (HasToken(style, token)) out.italic = true;
    }
    TexConventions(compact, out);
    return out;
}

CFontStyle DecideFontStyle(const CFontEvidence* evidence)
{
    CFontStyle style;
    style.cleaned = CleanFontName(evidence ? &evidence->facts : nullptr);
    const std::string baseFont = (evidence && evidence->facts.baseFont) ? *evidence->facts.baseFont : "";
    const std::string& named = baseFont.empty() ? style.cleaned.workingName : baseFont;
    const CFamilyRow* row = FindFamilyRow(named);
    const bool upright = row && row->upright;
    static const CFontProgramFacts kNoProgram;
    const CFontProgramFacts& program = evidence ? evidence->program : kNoProgram;
    const int flags = evidence ? evidence->facts.flags : 0;
    const CNameStyle conventions = NameConventions(named);

    // Weight: the name rules, then the program, the descriptor, the name's conventions.
    const int programWeight = ProgramWeight(program);
    if (style.cleaned.bold != 0) {
        style.bold = style.cleaned.bold;
        style.weight = programWeight >= kBoldWeight ? programWeight : kBoldNameWeight;
        style.weightSource = StyleSource::NameRules;
    } else if (programWeight > 0) {
        style.weight = programWeight;
        style.weightSource = StyleSource::Program;
    } else if (evidence && evidence->descriptorWeight > 0) {
        style.weight = evidence->descriptorWeight;
        style.weightSource = StyleSource::Descriptor;
    } else if (conventions.weight > 0) {
        style.weight = conventions.weight;
        style.weightSource = StyleSource::NameConvention;
    }
    if (style.bold == 0 && style.weight >= kBoldWeight) style.bold = 1;

    // Slant: likewise; a descriptor that says upright does not overrule the name.
    bool answered = false;
    const bool programItalic = ProgramItalic(program, upright, answered);
    if (style.cleaned.italic != 0) {
        style.italic = style.cleaned.italic;
        style.slantSource = StyleSource::NameRules;
    } else if (answered) {
        style.italic = programItalic ? 1 : 0;
        style.slantSource = StyleSource::Program;
    } else if (evidence && evidence->hasItalicAngle && !upright &&
               std::fabs(evidence->italicAngle) >= kLeastItalicAngle) {
        style.italic = 1;
        style.slantSource = StyleSource::Descriptor;
    } else if (conventions.italic) {
        style.italic = 1;
        style.slantSource = StyleSource::NameConvention;
    }

    // Kind: the family table, the descriptor's flags, the program's own
    // classification, the words of the name; else what the flags leave.
    if (row) {
        style.faceClass = row->faceClass;
        style.fixedPitch = row->fixedPitch;
        style.family = row->family;
    } else if (flags & kFixedPitchFlag) {
        style.faceClass = FaceClass::Modern;
    } else if (flags & kScriptFlag) {
        style.faceClass = FaceClass::Script;
    } else if (flags & kSerifFlag) {
        style.faceClass = FaceClass::Roman;
    } else if (FaceClass fromProgram = ProgramClass(program); fromProgram != FaceClass::Unknown) {
        style.faceClass = fromProgram;
    } else if (FaceClass fromName = ClassFromName(named); fromName != FaceClass::Unknown) {
        style.faceClass = fromName;
    } else {
        // Producers that set the serif flag leave it off sans faces; without
        // any flags (TeX writes only "symbolic") the text is most likely serif.
        const bool saysSans = flags == 0 || ((flags & kNonsymbolicFlag) && !(flags & kSerifFlag));
        style.faceClass = saysSans ? FaceClass::Swiss : FaceClass::Roman;
    }
    if (!row) style.fixedPitch = style.faceClass == FaceClass::Modern || (flags & kFixedPitchFlag) || program.fixedWidth;
    style.panose = program.panose;

    style.condensed = (row && row->narrow) || NameIsCondensed(named) ||
                      (evidence && evidence->stretch > 0 && evidence->stretch <= kLastCondensedStretch) ||
                      (program.hasOs2 && program.widthClass > 0 && program.widthClass <= kLastCondensedWidthClass);
    if (style.condensed && style.faceClass != FaceClass::Modern) {
        style.fallbackFace = kNarrowFace;
        style.fallbackReason = FaceReason::Narrow;
    } else if (row) {
        style.fallbackFace = row->face;
        style.fallbackReason = FaceReason::FamilyTable;
    } else {
        style.fallbackFace = DefaultFaceOf(style.faceClass);
        style.fallbackReason = FaceReason::Class;
    }
    return style;
}

const char* StyleSourceName(StyleSource source)
{
    switch (source) {
    case StyleSource::NameRules: return "name";
    case StyleSource::Program: return "program";
    case StyleSource::Descriptor: return "descriptor";
    case StyleSource::NameConvention: return "name-convention";
    case StyleSource::Shear: return "shear";
    case StyleSource::None: break;
    }
    return "none";
}

const char* FaceReasonName(FaceReason reason)
{
    switch (reason) {
    case FaceReason::Found: return "found";
    case FaceReason::Alias: return "alias";
    case FaceReason::FamilyTable: return "family-table";
    case FaceReason::Class: return "class";
    case FaceReason::Narrow: return "narrow";
    }
    return "class";
}
