#include "capture/text_collector.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <GfxFont.h>
#include <GfxState.h>

#include "capture/face_lookup.h"
#include "capture/marked_content.h"
#include "page/text_item.h"

namespace {

// Glyphs mapped to a single code at or below this are control characters: dropped.
constexpr Unicode kLastControlCode = 20;
// Pixels added to the baseline to give an item's y.
constexpr double kBaselineDrop = 3.0;
// UTF-16 of values beyond the basic plane.
constexpr Unicode kLastBmpValue = 0xFFFF;
constexpr Unicode kLastUnicodeValue = 0x10FFFF;
constexpr Unicode kFirstSupplementary = 0x10000;
constexpr Unicode kHighSurrogate = 0xD800;
constexpr Unicode kLowSurrogate = 0xDC00;
// Matrix components below this count as zero in the angle tests.
constexpr double kTinyComponent = 1e-6;
// Degrees per radian as the direction test has always used it.
constexpr double kDegreesPerRadian = 57.295779;
// How far (degrees) a line may be off a quarter turn and still count as one.
constexpr double kQuarterTurnTolerance = 0.5;
// Shear components below this leave the glyph upright without further tests.
constexpr double kNoShear = 0.0001;
// A full turn and a quarter turn in radians, for the shear test.
constexpr double kFullTurn = 6.28318530718;
constexpr double kQuarterTurn = 1.5707963268;
// Largest difference from a right angle between the glyph axes of an upright glyph.
constexpr double kRightAngleTolerance = 1e-6;
// Glyph-space length of the em used to measure the font height.
constexpr double kEmUnits = 1000.0;
// Fraction of a space's width that must lie inside the previous glyph for the space to go.
constexpr double kSwallowedSpaceShare = 0.5;
// Magnitude of the largest angle that is rounded to whole degrees.
constexpr double kLargestRoundedAngle = 1e6;
// Most items reserved for a new page (about 10 MB), whatever the last page held.
constexpr size_t kMostReservedItems = 65536;

bool IsQuarterTurn(double angle, double quarter)
{
    return angle >= quarter - kQuarterTurnTolerance && angle <= quarter + kQuarterTurnTolerance;
}

// A space whose left half lies inside the previous glyph on the same baseline.
bool IsSwallowedSpace(const CTextItem& last, const CTextItem& space)
{
    return RoundWhole(last.y) == RoundWhole(space.y) &&
           last.x + last.width > space.x + kSwallowedSpaceShare * space.width;
}

}  // namespace

double FontAngle(const double m[4])
{
    const double a = m[0], b = m[1];
    if (std::fabs(a) < kTinyComponent && std::fabs(b) < kTinyComponent) return 0;
    return std::atan2(-b, a) * kDegreesPerRadian;
}

bool IsSkewed(const double m[4])
{
    if (std::fabs(m[1]) < kNoShear && std::fabs(m[2]) < kNoShear) return false;
    double ax = (std::fabs(m[0]) < kTinyComponent && std::fabs(m[1]) < kTinyComponent)
                    ? 0
                    : std::atan2(m[1], m[0]);
    const double ay = (std::fabs(m[2]) < kTinyComponent && std::fabs(m[3]) < kTinyComponent)
                          ? 0
                          : std::atan2(m[3], m[2]);
    while (ax < ay) ax += kFullTurn;
    return std::fabs(ax - ay - kQuarterTurn) >= kRightAngleTolerance;
}

int32_t RotationOf(double angle)
{
    // The quarter-turn bands are snapped, so their edges (89.5, 90.5) stay 90.
    if (IsQuarterTurn(angle, 90)) return 90;
    if (IsQuarterTurn(angle, -90)) return -90;
    if (!(std::fabs(angle) < kLargestRoundedAngle)) return 0;
    return int32_t(std::lround(angle));
}

bool InVerticalPointText(const std::vector<MarkedContentEntry>& open)
{
    for (const MarkedContentEntry& entry : open)
        if (entry.operandCount == 2 && entry.tag == "PointText" && entry.inlineProperties &&
            entry.verticalTrue)
            return true;
    return false;
}

CTextCollector::CTextCollector(CFaceLookup& faces, std::vector<CTextItem>& store)
    : faces_(faces), store_(&store), narrowHasSymbol_(ContainsIgnoringCase(kNarrowFace, "symbol"))
{
}

void CTextCollector::SetDocument(XRef* xref)
{
    xref_ = xref;
    decisions_.clear();
    decisionFacts_.clear();
    decisionsById_.clear();
    noFontDecision_ = SIZE_MAX;
    haveCurrent_ = false;
    currentFont_ = nullptr;
}

const CFontDecision& CTextCollector::DecisionOf(const GfxFont* font)
{
    if (!font) {
        if (noFontDecision_ == SIZE_MAX) {
            noFontDecision_ = decisions_.size();
            decisions_.push_back(DecideFace(DecideFontStyle(nullptr), std::string(), faces_));
            decisionFacts_.emplace_back();
        }
        if (!haveCurrent_ || currentFont_ || current_ != noFontDecision_) {
            haveCurrent_ = true;
            currentFont_ = nullptr;
            NoteCurrentFont(noFontDecision_);
        }
        return decisions_[current_];
    }
    // The address alone is not enough: a freed font's address can come back.
    if (haveCurrent_ && currentFont_ == font && FactsMatch(decisionFacts_[current_], *font))
        return decisions_[current_];

    const Ref* id = font->getID();
    const uint64_t key = (uint64_t(uint32_t(id->num)) << 32) | uint32_t(id->gen);
    std::vector<size_t>& same = decisionsById_[key];
    size_t index = SIZE_MAX;
    for (size_t candidate : same)
        if (FactsMatch(decisionFacts_[candidate], *font)) index = candidate;
    if (index == SIZE_MAX) {
        const CFontEvidence evidence = FontEvidenceOf(*font, xref_);
        index = decisions_.size();
        decisions_.push_back(DecideFace(DecideFontStyle(&evidence), evidence.facts.baseFont.value_or(""), faces_));
        decisionFacts_.push_back(evidence.facts);
        same.push_back(index);
    }
    haveCurrent_ = true;
    currentFont_ = font;
    NoteCurrentFont(index);
    return decisions_[current_];
}

void CTextCollector::NoteCurrentFont(size_t index)
{
    current_ = index;
    const std::string& name = decisions_[index].style.cleaned.workingName;
    cleanedFaceRule_ = GlyphFaceRuleOf(name);
    cleanedHasSymbol_ = ContainsIgnoringCase(name, "symbol");
}

const CTextCollector::MatrixFacts& CTextCollector::FactsOfMatrix(const double m[4])
{
    // Bitwise, so that signed zeros (which turn atan2) and NaNs are told apart.
    if (haveMatrix_ && std::memcmp(matrix_.m, m, sizeof matrix_.m) == 0) return matrix_;
    std::memcpy(matrix_.m, m, sizeof matrix_.m);
    matrix_.angle = FontAngle(m);
    const double emX = kEmUnits * m[2], emY = kEmUnits * m[3];
    double emLength = 1;
    if (std::fabs(emX) >= kTinyComponent || std::fabs(emY) >= kTinyComponent)
        emLength = std::max(std::hypot(emX, emY), 1.0);
    matrix_.height = emLength / kEmUnits;
    matrix_.skewed = IsSkewed(m);
    haveMatrix_ = true;
    return matrix_;
}

int CTextCollector::CollectGlyph(GfxState* state, double X, double Y, double DX, double DY,
                                 int nBytes, const Unicode* u, int uLen, uint32_t color)
{
    // Without a mapping there is nothing to read (u may be null or left from an earlier glyph).
    if (!u || uLen < 0) uLen = 0;
    if (uLen == 1 && u[0] <= kLastControlCode) return 0;
    if (!state) return 0;

    const CFontDecision& font = DecisionOf(state->getFont().get());
    const CleanedFontName& cleaned = font.style.cleaned;
    const int32_t bold = font.style.bold;
    int32_t italic = font.style.italic;
    const bool vertical = cleaned.vertical || (markedContent_ && InVerticalPointText(*markedContent_));

    double m[4];
    state->getFontTransMat(&m[0], &m[1], &m[2], &m[3]);
    const MatrixFacts& facts = FactsOfMatrix(m);
    const double angle = facts.angle;
    double advance;
    if (angle == 0)
        advance = DX;
    else if (IsQuarterTurn(angle, 90) || IsQuarterTurn(angle, -90))
        advance = DY;
    else
        return kDrawGlyph;

    if (angle == 0 && facts.skewed) italic = 1;

    // Poppler can map one glyph to more values than the buffer holds: keep the
    // first ones. Values beyond 16 bits (mathematical letters, emoji) become a
    // surrogate pair; cut to 16 bits they would turn into unrelated letters.
    char16_t text[kGlyphTextCapacity + 1];
    int length = 0;
    for (int i = 0; i < uLen && length < kGlyphTextCapacity; ++i) {
        const Unicode value = u[i];
        if (value > kLastBmpValue && value <= kLastUnicodeValue) {
            if (length + 2 > kGlyphTextCapacity)
                break;
            text[length++] = char16_t(kHighSurrogate + ((value - kFirstSupplementary) >> 10));
            text[length++] = char16_t(kLowSurrogate + ((value - kFirstSupplementary) & 0x3FF));
        } else {
            text[length++] = char16_t(value & 0xFFFF);
        }
    }
    text[length] = 0;

    if (GlyphTakesNarrowFace(cleanedFaceRule_, nBytes, text))
        AddItem(X, Y + kBaselineDrop, text, length, narrowFace_, narrowHasSymbol_, nullptr, advance,
                facts.height, bold, italic, color, angle, vertical);
    else
        AddItem(X, Y + kBaselineDrop, text, length, cleaned.workingName, cleanedHasSymbol_, &font.face,
                advance, facts.height, bold, italic, color, angle, vertical);
    return 0;
}

void CTextCollector::AddTextItem(double x, double y, const char16_t* text, int length,
                                 const std::string& name, double advance, double height,
                                 int32_t bold, int32_t italic, uint32_t color, double angle,
                                 bool vertical)
{
    AddItem(x, y, text, length, name, ContainsIgnoringCase(name, "symbol"), nullptr, advance, height,
            bold, italic, color, angle, vertical);
}

void CTextCollector::AddItem(double x, double y, const char16_t* text, int length,
                             const std::string& name, bool nameHasSymbol,
                             const std::string* fallbackFace, double advance, double height,
                             int32_t bold, int32_t italic, uint32_t color, double angle,
                             bool vertical)
{
    if (length <= 0 || !text) return;

    CTextItem item;
    item.text.assign(text, size_t(length));
    const char16_t first = item.text[0];
    item.useCharCode = (nameHasSymbol || first < u' ' || first > u'~') ? 1 : 0;
    item.rotation = RotationOf(angle);
    item.faceName = faces_.SelectFace(name, item.text.c_str(), vertical, bold);
    // No installed face: the font's decided face, marked for vertical text
    // the way a found one is.
    if (item.faceName.empty() && fallbackFace && !fallbackFace->empty()) {
        item.faceName = *fallbackFace;
        if (vertical && IsVerticalPunctuation(first)) item.faceName.insert(item.faceName.begin(), kVerticalFacePrefix);
    }
    item.x = RoundHundredths(x);
    item.y = RoundHundredths(y);
    item.narrowText = NarrowTextOf(item.text);
    item.textLength = length;
    item.bold = bold;
    item.italic = italic;
    item.color = color;
    item.layoutMark = 0;

    // Wide glyphs are cut to the font size; a space keeps its advance (word spacing included).
    double w = advance;
    if (advance > height && first != u' ') w = height;
    item.width = float(RoundHundredths(std::fabs(w)));
    item.height = float(RoundHundredths(std::fabs(height)));
    item.charCode = item.useCharCode ? PackFirstUnits(item.text.c_str()) : 0;

    if (!AcceptItem(item)) return;
    std::vector<CTextItem>& store = *store_;
    // Pages of a document hold similar numbers of glyphs: room for as many as
    // the last page spares moving every item several times while the store grows.
    if (store.capacity() == 0) store.reserve(std::min(lastStoreSize_, kMostReservedItems));
    store.push_back(std::move(item));
    lastStoreSize_ = store.size();
    acceptIndex_.NoteAppended(store);
}

bool CTextCollector::AcceptItem(const CTextItem& item)
{
    const std::vector<CTextItem>& store = *store_;
    if (store.empty()) return true;
    if (!item.text.empty() && item.text[0] == u' ' && IsSwallowedSpace(store.back(), item))
        return false;
    return !acceptIndex_.HasDuplicate(store, item);
}
