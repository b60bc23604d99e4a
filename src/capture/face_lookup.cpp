#include "capture/face_lookup.h"

#include <algorithm>

#include <fontconfig/fontconfig.h>

#include "capture/font_names.h"
#include "capture/font_style.h"

namespace {

// First and last of the CJK brackets and marks that turn for vertical text.
constexpr char16_t kFirstVerticalMark = 0x3001;
constexpr char16_t kLastVerticalMark = 0x300F;
// Katakana-Hiragana prolonged sound mark, drawn as a vertical bar in vertical text.
constexpr char16_t kProlongedSoundMark = 0x30FC;
// Start of the halfwidth and fullwidth forms, all treated as vertical marks.
constexpr char16_t kFirstFullwidthForm = 0xFF00;
// Lookups cached before the cache is emptied, so odd documents cannot grow it without end.
constexpr size_t kMaxCachedLookups = 4096;

// Names fontconfig never lists but serves through a face with the same
// metrics, and the families that count as such a face for each.
struct MetricAlias {
    const char* name;
    std::vector<const char*> families;
};

const std::vector<MetricAlias>& MetricAliases()
{
    // As fontconfig's own metric aliases pair them; Helvetica, Times and
    // Courier also take the faces of Arial, Times New Roman and Courier New.
    static const std::vector<MetricAlias> aliases{
        {"Arial", {"Liberation Sans", "Arimo", "Albany", "Albany AMT"}},
        {"Helvetica", {"Liberation Sans", "Arimo", "Albany", "Albany AMT", "TeX Gyre Heros", "Nimbus Sans",
                       "Nimbus Sans L"}},
        {"Times New Roman", {"Liberation Serif", "Tinos", "Thorndale", "Thorndale AMT"}},
        {"Times", {"Liberation Serif", "Tinos", "Thorndale", "Thorndale AMT", "TeX Gyre Termes",
                   "Nimbus Roman", "Nimbus Roman No9 L"}},
        {"Courier New", {"Liberation Mono", "Cousine", "Cumberland", "Cumberland AMT"}},
        {"Courier", {"Liberation Mono", "Cousine", "Cumberland", "Cumberland AMT", "TeX Gyre Cursor",
                     "Nimbus Mono", "Nimbus Mono PS", "Nimbus Mono L"}},
        {"Arial Narrow", {"Liberation Sans Narrow"}},
        {"Calibri", {"Carlito"}},
        {"Cambria", {"Caladea"}},
    };
    return aliases;
}

std::string Lowered(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

std::string WithoutSpaces(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (c != ' ') out.push_back(c);
    return out;
}

}  // namespace

const std::map<std::string, std::string>& FaceAliasMap()
{
    static const std::map<std::string, std::string> faceAliasMap{
        {"Times-Roman", "Times New Roman"},
        {"BickleyScriptLetPlain", "Script"},
    };
    return faceAliasMap;
}

std::string FontconfigMatchFamily(const std::string& requested)
{
    std::string family;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return family;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(requested.c_str()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return family;
    FcChar8* name = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && name)
        family = reinterpret_cast<const char*>(name);
    FcPatternDestroy(match);
    return family;
}

bool IsMetricCompatible(std::string_view requested, std::string_view matchedFamily)
{
    if (matchedFamily.empty()) return false;
    if (EqualsIgnoringCase(requested, matchedFamily)) return true;
    for (const MetricAlias& alias : MetricAliases()) {
        if (!EqualsIgnoringCase(requested, alias.name)) continue;
        for (const char* family : alias.families)
            if (EqualsIgnoringCase(matchedFamily, family)) return true;
    }
    return false;
}

std::vector<std::string> MetricAliasFaces(const FamilyMatcher& match)
{
    std::vector<std::string> faces;
    if (!match) return faces;
    for (const MetricAlias& alias : MetricAliases())
        if (IsMetricCompatible(alias.name, match(alias.name))) faces.emplace_back(alias.name);
    return faces;
}

std::vector<std::string> EnumerateInstalledFaces()
{
    std::vector<std::string> faces;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* set = (pattern && objects) ? FcFontList(nullptr, pattern, objects) : nullptr;
    if (set) {
        for (int i = 0; i < set->nfont; ++i) {
            FcChar8* family = nullptr;
            for (int v = 0; FcPatternGetString(set->fonts[i], FC_FAMILY, v, &family) == FcResultMatch;
                 ++v)
                faces.emplace_back(reinterpret_cast<const char*>(family));
        }
        FcFontSetDestroy(set);
    }
    if (objects) FcObjectSetDestroy(objects);
    if (pattern) FcPatternDestroy(pattern);
    // Without any font there is nothing to serve the aliases either.
    if (faces.empty()) return faces;
    for (std::string& alias : MetricAliasFaces())
        if (std::find(faces.begin(), faces.end(), alias) == faces.end()) faces.push_back(std::move(alias));
    return faces;
}

bool IsMetricAliasName(std::string_view face)
{
    for (const MetricAlias& alias : MetricAliases())
        if (face == alias.name) return true;
    return false;
}

CFontDecision DecideFace(const CFontStyle& style, const std::string& pdfName, CFaceLookup& faces)
{
    CFontDecision decision;
    decision.pdfName = pdfName;
    decision.style = style;
    std::string face;
    if (faces.LookupFace(style.cleaned.workingName, face)) {
        const bool aliased = FaceAliasMap().count(style.cleaned.workingName) != 0 || IsMetricAliasName(face);
        decision.face = face;
        decision.reason = aliased ? FaceReason::Alias : FaceReason::Found;
    } else {
        decision.face = style.fallbackFace;
        decision.reason = style.fallbackReason;
    }
    return decision;
}

bool IsVerticalPunctuation(char16_t unit)
{
    return (unit >= kFirstVerticalMark && unit <= kLastVerticalMark) || unit == kProlongedSoundMark ||
           unit >= kFirstFullwidthForm;
}

CFaceLookup::CFaceLookup(Enumerator enumerate) : enumerate_(std::move(enumerate)) {}

CFaceLookup::Lookup CFaceLookup::Uncached(const std::string& name)
{
    const auto alias = FaceAliasMap().find(name);
    if (alias != FaceAliasMap().end()) return {1, alias->second};

    Lookup result{0, name.substr(0, std::min(name.find(','), name.find('-')))};

    if (installedFaces_.empty() && enumerate_) {
        ++enumerations_;
        installedFaces_ = enumerate_();
        foldedFaces_.clear();
        foldedCompactFaces_.clear();
        for (const std::string& face : installedFaces_) {
            foldedFaces_.push_back(Lowered(face));
            foldedCompactFaces_.push_back(WithoutSpaces(foldedFaces_.back()));
        }
    }

    const std::string wanted = Lowered(result.face);
    for (size_t i = 0; i < installedFaces_.size(); ++i) {
        if (foldedFaces_[i] == wanted) return {1, result.face};
        if (foldedCompactFaces_[i] == wanted) return {1, installedFaces_[i]};
    }
    return result;
}

int CFaceLookup::LookupFace(const std::string& name, std::string& out)
{
    // A cached answer never changes, so the last one can be given without hashing.
    if (haveLast_ && name == lastName_) {
        lastFound_ = last_.found != 0;
        out = last_.face;
        return last_.found;
    }
    auto hit = cache_.find(name);
    if (hit == cache_.end()) {
        Lookup result = Uncached(name);
        // A miss against an empty face list is not final: the list is asked again next time.
        if (result.found == 0 && installedFaces_.empty()) {
            lastFound_ = false;
            out = result.face;
            return 0;
        }
        if (cache_.size() >= kMaxCachedLookups) cache_.clear();
        hit = cache_.emplace(name, std::move(result)).first;
    }
    haveLast_ = true;
    lastName_ = name;
    last_ = hit->second;
    lastFound_ = last_.found != 0;
    out = last_.face;
    return last_.found;
}

std::string CFaceLookup::SelectFace(const std::string& workingName, const char16_t* text,
                                    bool vertical, int32_t bold)
{
    std::string result;
    LookupFace(workingName, result);
    if (!lastFound_) return std::string();

    if (vertical) {
        result = workingName;
        if (!result.empty() && result.front() == kVerticalFacePrefix) result.erase(0, 1);
        if (text && IsVerticalPunctuation(text[0])) result.insert(result.begin(), kVerticalFacePrefix);
    }
    if (bold != 0 && EqualsIgnoringCase(result, "symbol")) result += kBoldSymbolSuffix;
    return result;
}

CFaceLookup& ProcessFaceLookup()
{
    static CFaceLookup faces;
    return faces;
}
