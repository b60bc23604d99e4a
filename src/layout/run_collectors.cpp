#include "layout/run_collectors.h"

#include <algorithm>
#include <cmath>

#include "layout/char_scale.h"
#include "layout/item_text.h"

namespace {

// Twips per inch.
constexpr int64_t kTwipsPerInch = 1440;
// Half-points per inch: the unit of the RTF font size.
constexpr int64_t kHalfPointsPerInch = 144;
// Resolution assumed when a caller passes none.
constexpr int kDefaultDpi = 96;
// The gap between two glyphs is counted in this fraction of the font size.
constexpr double kGapUnit = 0.15;
// Line runs: gaps below this many units are kerning, not a word space.
constexpr double kLineMinSpaceGap = 0.9;
// Line runs: a gap of more than this many whole units ends the run.
constexpr int kLineMaxSpaceUnits = 4;
// Box runs: a gap of this many whole units ends the run.
constexpr int kBoxEndGapUnits = 2;
// A blank wider than this many font sizes ends a line run...
constexpr double kLineWideBlank = 1.5;
// ...and a blank wider than this many font sizes is dropped (and ends box
// and vertical runs).
constexpr double kDroppedBlank = 2.0;
// Box and vertical runs: the next glyph must start within this many advances
// of the previous one.
constexpr double kMaxAdvanceStep = 2.5;
// Box runs without a face name are written this much smaller.
constexpr double kNamelessBoxShrink = 0.1;
// The face of line and box runs whose items carry no face name.
constexpr const char* kNamelessFace = "Arial Narrow";
// Vertical runs are never compressed; box runs are not measured.
constexpr int32_t kVerticalScale = 100;
constexpr int32_t kUnscaled = 100;

int32_t Scaled(int64_t value, int64_t perInch, int dpi)
{
    return static_cast<int32_t>(value * perInch / (dpi > 0 ? dpi : kDefaultDpi));
}
int32_t Twips(int64_t pixels, int dpi) { return Scaled(pixels, kTwipsPerInch, dpi); }
int32_t HalfPoints(int64_t pixels, int dpi) { return Scaled(pixels, kHalfPointsPerInch, dpi); }

int32_t Floor(double v) { return static_cast<int32_t>(std::floor(v)); }
int32_t Trunc(double v) { return static_cast<int32_t>(v); }

bool IsBlankItem(const CTextItem& item) { return !item.text.empty() && item.text[0] == u' '; }

bool IsDroppedBlank(const CTextItem& item)
{
    return IsBlankItem(item) && kDroppedBlank * item.height < item.width;
}

bool OnlyWhiteSpace(const std::string& text)
{
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\v' && c != '\f')
            return false;
    return true;
}

// Colour, bold, italic, rotation, size and face all equal.
bool SameStyle(const CTextItem& item, const CTextItem& pending)
{
    return item.color == pending.color && item.bold == pending.bold && item.italic == pending.italic &&
           item.rotation == pending.rotation && item.height == pending.height &&
           item.faceName == pending.faceName && item.embedFamily == pending.embedFamily;
}

enum class Gap { None, Blank, EndRun };

Gap LineGap(const CTextItem& item, const CTextItem& pending)
{
    const double unit = kGapUnit * pending.height;
    if (unit == 0)
        return Gap::None;
    const double g = (item.x - (pending.x + pending.width)) / unit;
    if (g < kLineMinSpaceGap)
        return Gap::None;
    const double n = std::floor(g);
    if (n > kLineMaxSpaceUnits)
        return Gap::EndRun;
    return n >= 1 ? Gap::Blank : Gap::None;
}

Gap BoxGap(const CTextItem& item, const CTextItem& pending)
{
    if (pending.height == 0)
        return Gap::None;
    const double n = std::floor((item.x - (pending.x + pending.width)) / (kGapUnit * pending.height));
    if (n >= kBoxEndGapUnits)
        return Gap::EndRun;
    return n == 1 ? Gap::Blank : Gap::None;
}

using CHorizontalState = CRunCollectors::CHorizontalState;

// Passed as the blank count of character-code glyphs by the line collector:
// they are measured by their letters, not as blanks.
constexpr size_t kMeasuredCodeGlyph = 0;
using CVerticalState = CRunCollectors::CVerticalState;

CTextSpan SpanOf(const CTextItem& item) { return CTextSpan{item.text, item.useCharCode != 0}; }

const CTextSpan kBlankSpan{u" ", false};

// The piece of a run collected in one style.
CTextPiece PieceOf(const CTextItem& style, const std::string& face, int32_t halfPoints, int32_t scale,
                   std::vector<CTextSpan>&& spans)
{
    CTextPiece piece;
    piece.face = face;
    piece.halfPoints = halfPoints;
    piece.color = style.color;
    piece.bold = style.bold != 0;
    piece.italic = style.italic != 0;
    piece.charScale = scale;
    piece.embedFamily = style.embedFamily;
    piece.spans = std::move(spans);
    return piece;
}

// Appends the item's text to T and its span, and to M what stands for it
// there: the last converted byte, or `codeBlanks` blanks for a character-code item.
void AppendHorizontal(CHorizontalState& s, const CTextItem& item, size_t codeBlanks)
{
    CAddedText added = AppendPlainItemText(item, s.text);
    s.spans.push_back(SpanOf(item));
    if (added.byCharCode && codeBlanks == kMeasuredCodeGlyph)
        s.codeGlyphs.push_back(CCodeGlyph{CharCodeUnits(item), item.width});
    else if (added.byCharCode)
        s.measure.append(codeBlanks, ' ');
    else if (added.bytes > 0)
        s.measure.push_back(s.text.back());
}

// Opens a run with the item; false when the item is a dropped blank.
bool StartHorizontal(CHorizontalState& s, const CTextItem& item, size_t codeBlanks)
{
    if (IsDroppedBlank(item))
        return false;
    AppendHorizontal(s, item, codeBlanks);
    s.pending = item;
    s.startX = Floor(item.x);
    s.baselineY = Floor(item.y);
    s.size = Trunc(item.height);
    return true;
}

void AcceptHorizontal(CHorizontalState& s, const CTextItem& item, size_t codeBlanks)
{
    AppendHorizontal(s, item, codeBlanks);
    s.pending = item;
    s.size = Trunc(std::max<double>(s.size, item.height));
}

// Adds the item to the open run unless the gap ends the run; a gap of a
// blank's width puts one blank into the text and the measure string.
bool ContinueHorizontal(CHorizontalState& s, const CTextItem& item, Gap gap, size_t codeBlanks)
{
    if (gap == Gap::EndRun)
        return false;
    if (gap == Gap::Blank) {
        s.text.push_back(' ');
        s.measure.push_back(' ');
        s.spans.push_back(kBlankSpan);
    }
    AcceptHorizontal(s, item, codeBlanks);
    return true;
}

// The box and sizes of a finished horizontal run.
CTextRun HorizontalRun(const CHorizontalState& s, int dpi)
{
    const CTextItem& p = s.pending;
    CTextRun run;
    run.left = Twips(s.startX, dpi);
    run.bottom = Twips(s.baselineY, dpi);
    run.top = run.bottom - Twips(s.size, dpi);
    run.right = Floor((p.x + p.width) * kTwipsPerInch / (dpi > 0 ? dpi : kDefaultDpi));
    run.width = run.right - run.left;
    run.size = Twips(s.size, dpi);
    run.lineHeight = static_cast<uint32_t>(run.size);
    run.lastSize = run.size;
    run.bold = p.bold;
    run.italic = p.italic;
    run.color = p.color;
    return run;
}

bool StartVertical(CVerticalState& s, const CTextItem& item, bool upward)
{
    if (IsDroppedBlank(item))
        return false;
    AppendPlainItemText(item, s.text);
    s.spans.push_back(SpanOf(item));
    s.pending = item;
    s.size = Trunc(item.height);
    if (upward) {
        s.left = Trunc(item.x - item.height);
        s.top = Trunc(item.y - item.width);
        s.base = Trunc(item.y);
    } else {
        s.left = Trunc(item.x);
        s.top = Trunc(item.y);
        s.length = Trunc(item.width);
    }
    return true;
}

// Whether the item continues the open vertical run; appends the blank of a
// word gap to T when it does.
bool ContinuesVertical(CVerticalState& s, const CTextItem& item, bool upward)
{
    const CTextItem& p = s.pending;
    if (!SameStyle(item, p) || item.x != p.x)
        return false;
    const double step = upward ? p.y - item.y : item.y - p.y;
    if (step < 0 || step >= kMaxAdvanceStep * p.width)
        return false;
    if (IsDroppedBlank(item))
        return false;
    const double gap = upward ? p.y - p.width - item.y : item.y - (p.y + p.width);
    if (p.height != 0 && gap > kGapUnit * p.height) {
        s.text.push_back(' ');
        s.spans.push_back(kBlankSpan);
    }
    return true;
}

} // namespace

void CRunCollectors::CHorizontalState::Reset()
{
    text.clear();
    measure.clear();
    spans.clear();
    codeGlyphs.clear();
    size = 0;
}

void CRunCollectors::CVerticalState::Reset()
{
    text.clear();
    spans.clear();
    size = 0;
    length = 0;
}

void CRunCollectors::Reset()
{
    line_.Reset();
    box_.Reset();
    up_.Reset();
    down_.Reset();
}

bool CRunCollectors::HasOpenRun() const
{
    return !line_.text.empty() || !box_.text.empty() || !up_.text.empty() || !down_.text.empty();
}

void CRunCollectors::CollectLineItem(const CTextItem& item, int dpi, CollectStep step)
{
    constexpr size_t kCodeBlanks = kMeasuredCodeGlyph;
    CHorizontalState& s = line_;
    if (step == CollectStep::TakeItem && s.text.empty()) {
        StartHorizontal(s, item, kCodeBlanks);
        return;
    }
    if (step == CollectStep::TakeItem) {
        const CTextItem& p = s.pending;
        bool continues = SameStyle(item, p) && Floor(item.y) == Floor(p.y) && item.x >= p.x &&
                         !(IsBlankItem(item) && kLineWideBlank * item.height < item.width);
        if (ContinueHorizontal(s, item, continues ? LineGap(item, p) : Gap::EndRun, kCodeBlanks))
            return;
    }
    if (!s.text.empty() && !OnlyWhiteSpace(s.text)) {
        CTextRun run = HorizontalRun(s, dpi);
        run.kind = RunKind::Line;
        run.face = s.pending.faceName.empty() ? kNamelessFace : s.pending.faceName;
        for (CCodeGlyph& glyph : s.codeGlyphs)
            glyph.pdfWidth = glyph.pdfWidth * kTwipsPerInch / (dpi > 0 ? dpi : kDefaultDpi);
        // A run in the PDF's own font is measured with that font's widths.
        const int32_t scale = s.pending.embedFamily >= 0 ? EmbeddedCharScale(run, s.pending.embedFamily, s.spans)
                                                         : ApplyCharScale(run, s.measure, s.codeGlyphs);
        page_.NoteColor(run.color);
        page_.NoteFace(run.face);
        run.pieces.push_back(PieceOf(s.pending, run.face, HalfPoints(s.size, dpi), scale, std::move(s.spans)));
        page_.lineRuns.push_back(std::move(run));
    }
    s.Reset();
    if (step == CollectStep::TakeItem)
        StartHorizontal(s, item, kCodeBlanks);
}

void CRunCollectors::CollectBoxItem(const CTextItem& item, int dpi, CollectStep step)
{
    constexpr size_t kCodeBlanks = 1;
    CHorizontalState& s = box_;
    if (step == CollectStep::TakeItem && s.text.empty()) {
        StartHorizontal(s, item, kCodeBlanks);
        return;
    }
    if (step == CollectStep::TakeItem) {
        const CTextItem& p = s.pending;
        bool continues = SameStyle(item, p) && Floor(item.y) == Floor(p.y) && item.x >= p.x &&
                         Floor(item.x - p.x) < Floor(kMaxAdvanceStep * p.width) && !IsDroppedBlank(item);
        if (ContinueHorizontal(s, item, continues ? BoxGap(item, p) : Gap::EndRun, kCodeBlanks))
            return;
    }
    if (!s.text.empty() && !OnlyWhiteSpace(s.text)) {
        std::string face = s.pending.faceName;
        if (face.empty()) {
            face = kNamelessFace;
            s.size -= Trunc(s.size * kNamelessBoxShrink);
        }
        CTextRun run = HorizontalRun(s, dpi);
        run.kind = RunKind::Box;
        run.face = face;
        page_.NoteColor(run.color);
        page_.NoteFace(run.face);
        run.pieces.push_back(PieceOf(s.pending, run.face, HalfPoints(s.size, dpi), kUnscaled, std::move(s.spans)));
        page_.boxRuns.push_back(std::move(run));
    }
    s.Reset();
    if (step == CollectStep::TakeItem)
        StartHorizontal(s, item, kCodeBlanks);
}

void CRunCollectors::FinishVertical(CVerticalState& s, bool upward, int dpi)
{
    if (s.text.empty() || OnlyWhiteSpace(s.text))
        return;
    const CTextItem& p = s.pending;
    CTextRun run;
    run.kind = upward ? RunKind::Up : RunKind::Down;
    run.face = p.faceName;
    run.left = Twips(s.left, dpi);
    run.top = Twips(s.top, dpi);
    run.right = run.left + Twips(s.size, dpi);
    // A downward run's box is twice as tall as its summed advances.
    run.bottom = upward ? Twips(s.base, dpi) : run.top + Scaled(s.length, 2 * kTwipsPerInch, dpi);
    run.width = run.right - run.left;
    run.size = Twips(s.size, dpi);
    run.lineHeight = static_cast<uint32_t>(run.size);
    run.lastSize = run.size;
    run.bold = p.bold;
    run.italic = p.italic;
    run.color = p.color;
    page_.NoteColor(run.color);
    page_.NoteFace(run.face);
    run.pieces.push_back(PieceOf(p, run.face, HalfPoints(s.size, dpi), kVerticalScale, std::move(s.spans)));
    (upward ? page_.upRuns : page_.downRuns).push_back(std::move(run));
}

void CRunCollectors::CollectVertical(CVerticalState& s, const CTextItem& item, int dpi, CollectStep step, bool upward)
{
    if (step == CollectStep::TakeItem && s.text.empty()) {
        StartVertical(s, item, upward);
        return;
    }
    if (step == CollectStep::TakeItem && ContinuesVertical(s, item, upward)) {
        AppendPlainItemText(item, s.text);
        s.spans.push_back(SpanOf(item));
        s.pending = item;
        if (upward) {
            s.left = Trunc(item.x - item.height);
            s.top = Trunc(item.y - item.width);
        } else {
            s.length = Trunc(s.length + static_cast<double>(item.width));
        }
        return;
    }
    FinishVertical(s, upward, dpi);
    s.Reset();
    if (step == CollectStep::TakeItem)
        StartVertical(s, item, upward);
}

void CRunCollectors::CollectUpItem(const CTextItem& item, int dpi, CollectStep step)
{
    CollectVertical(up_, item, dpi, step, true);
}

void CRunCollectors::CollectDownItem(const CTextItem& item, int dpi, CollectStep step)
{
    CollectVertical(down_, item, dpi, step, false);
}

void CollectPageRuns(const std::vector<CTextItem>& items, TextMode mode, int dpi, CRunCollectors& collectors)
{
    const bool flow = mode == TextMode::Flow;
    for (const CTextItem& item : items) {
        if (item.rotation == 0) {
            if (flow && item.layoutMark != 0)
                collectors.CollectBoxItem(item, dpi);
            else
                collectors.CollectLineItem(item, dpi);
        } else if (item.rotation < 0) {
            collectors.CollectDownItem(item, dpi);
        } else {
            collectors.CollectUpItem(item, dpi);
        }
    }
    const CTextItem noItem;
    collectors.CollectLineItem(noItem, dpi, CollectStep::FinishOpenRun);
    collectors.CollectDownItem(noItem, dpi, CollectStep::FinishOpenRun);
    collectors.CollectUpItem(noItem, dpi, CollectStep::FinishOpenRun);
    if (flow)
        collectors.CollectBoxItem(noItem, dpi, CollectStep::FinishOpenRun);
}
