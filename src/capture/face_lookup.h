#pragma once
// Matches a cleaned PDF font name against the installed faces and chooses the
// face an item is written in.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Marks a vertical face: the face of text set top to bottom.
constexpr char kVerticalFacePrefix = '@';
// Appended to a Symbol face when the glyph is bold.
inline constexpr const char* kBoldSymbolSuffix = " Bold";

// PDF names whose face is known without asking the system (exact keys).
const std::map<std::string, std::string>& FaceAliasMap();

// Every family name fontconfig lists, in list order, duplicates kept,
// followed by the names fontconfig serves through a metric-compatible face
// (MetricAliasFaces with fontconfig's own match).
std::vector<std::string> EnumerateInstalledFaces();

// The family fontconfig's best match for a requested family name.
using FamilyMatcher = std::function<std::string(const std::string& requested)>;
std::string FontconfigMatchFamily(const std::string& requested);

// True when `matchedFamily` is a face with the metrics of `requested`
// (Liberation Sans for Arial, Carlito for Calibri, ...) rather than a
// generic fallback, or the requested face itself.
bool IsMetricCompatible(std::string_view requested, std::string_view matchedFamily);

// The names documents are commonly written in (Arial, Helvetica, Times New
// Roman, Times, Courier New, Courier, Arial Narrow, Calibri, Cambria) whose
// match is metric-compatible, in that order. A reader of the document has
// these faces, so text in them keeps its face instead of a stand-in.
std::vector<std::string> MetricAliasFaces(const FamilyMatcher& match = FontconfigMatchFamily);

// True for the names that MetricAliasFaces may list (Arial, Times, Calibri ...).
bool IsMetricAliasName(std::string_view face);

// True for the punctuation marks that have their own vertical glyph forms.
bool IsVerticalPunctuation(char16_t unit);

class CFaceLookup {
public:
    using Enumerator = std::function<std::vector<std::string>()>;

    // `enumerate` lists the installed faces; it is asked on the first lookup
    // that misses the alias map, and again while it has returned nothing.
    explicit CFaceLookup(Enumerator enumerate = EnumerateInstalledFaces);

    // 1 and out = the face when one is found; 0 and out = the name cut
    // before its first "," or "-" otherwise.
    int LookupFace(const std::string& name, std::string& out);

    // The item's face for a glyph: empty when no face was found. Records the
    // found flag. `text` is the glyph's zero-terminated text.
    std::string SelectFace(const std::string& workingName, const char16_t* text, bool vertical,
                           int32_t bold);

    // Whether the last LookupFace found a face.
    bool LastLookupFound() const { return lastFound_; }

    const std::vector<std::string>& InstalledFaces() const { return installedFaces_; }
    // How often the enumerator has been asked (it should be once per process).
    int EnumerationCount() const { return enumerations_; }

private:
    struct Lookup {
        int found = 0;
        std::string face;
    };
    Lookup Uncached(const std::string& name);

    Enumerator enumerate_;
    std::vector<std::string> installedFaces_;
    // Each installed face lower-cased, and lower-cased without its spaces.
    std::vector<std::string> foldedFaces_;
    std::vector<std::string> foldedCompactFaces_;
    int enumerations_ = 0;
    bool lastFound_ = false;
    std::unordered_map<std::string, Lookup> cache_;
    // The last cached answer again: glyphs come in long runs of one name.
    bool haveLast_ = false;
    std::string lastName_;
    Lookup last_;
};

struct CFontStyle;
struct CFontDecision;
// The face for a font's text (the installed face of its cleaned name, else
// the style's fallback) and why it was chosen.
CFontDecision DecideFace(const CFontStyle& style, const std::string& pdfName, CFaceLookup& faces);

// The face tables every glyph collector uses, one per process: the installed
// faces are listed once, and each answer depends only on them and the name.
CFaceLookup& ProcessFaceLookup();
