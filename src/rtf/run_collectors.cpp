// The four run collectors: they join consecutive glyph items of one style on
// one line (or one vertical line) into CTextRuns with their finished RTF text.
// Each collector's pending run is process-wide state that only the functions
// of this file see; the driver flushes every collector at the end of a page.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "conversion/settings.h"
#include "rtf/char_scale.h"
#include "rtf/rtf_encoding.h"
#include "rtf/rtf_writer.h"

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
// Vertical runs are never compressed.
constexpr int32_t kVerticalScale = 100;

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
           item.faceName == pending.faceName;
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

std::string StyleFlags(const CTextItem& item)
{
    std::string flags;
    if (item.bold)
        flags += "\\b";
    if (item.italic)
        flags += "\\i";
    return flags;
}

// Horizontal collectors (line and box runs).
struct CHorizontalState {
    CTextItem pending;
    std::string text;     // raw run text (T)
    std::string measure;  // the text to measure (M), line runs only
    int32_t x0 = 0;
    int32_t y0 = 0;
    int32_t size = 0;     // S: largest height in pixels

    void Reset()
    {
        text.clear();
        measure.clear();
        size = 0;
    }
};

// Vertical collectors (upward and downward runs).
struct CVerticalState {
    CTextItem pending;
    std::string text;
    int32_t x = 0;        // X
    int32_t y = 0;        // Y
    int32_t size = 0;     // S
    int32_t base = 0;     // B (upward runs)
    int32_t length = 0;   // L (downward runs)

    void Reset()
    {
        text.clear();
        size = 0;
        length = 0;
    }
};

CHorizontalState lineState;
CHorizontalState boxState;
CVerticalState upState;
CVerticalState downState;

// Appends the item's text to T, and to M what stands for it there: the last
// converted byte, or `codeBlanks` blanks for a character-code item.
void AppendHorizontal(CHorizontalState& s, const CTextItem& item, size_t codeBlanks)
{
    CAppendedText added = AppendItemText(item, s.text);
    if (added.byCharCode)
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
    s.x0 = Floor(item.x);
    s.y0 = Floor(item.y);
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
    }
    AcceptHorizontal(s, item, codeBlanks);
    return true;
}

// The box and sizes of a finished horizontal run.
CTextRun HorizontalRun(const CHorizontalState& s, int dpi)
{
    const CTextItem& p = s.pending;
    CTextRun run;
    run.left = Twips(s.x0, dpi);
    run.bottom = Twips(s.y0, dpi);
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
    AppendItemText(item, s.text);
    s.pending = item;
    s.size = Trunc(item.height);
    if (upward) {
        s.x = Trunc(item.x - item.height);
        s.y = Trunc(item.y - item.width);
        s.base = Trunc(item.y);
    } else {
        s.x = Trunc(item.x);
        s.y = Trunc(item.y);
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
    if (p.height != 0 && gap > kGapUnit * p.height)
        s.text.push_back(' ');
    return true;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    std::vsnprintf(out.data(), out.size() + 1, format, args);
    va_end(args);
    return out;
}

} // namespace

void CRtfWriter::CollectLineItem(const CTextItem& item, int dpi, int flush)
{
    constexpr size_t kCodeBlanks = 2;  // a character-code glyph measures as two blanks
    CHorizontalState& s = lineState;
    if (!flush && s.text.empty()) {
        StartHorizontal(s, item, kCodeBlanks);
        return;
    }
    if (!flush) {
        const CTextItem& p = s.pending;
        bool continues = SameStyle(item, p) && Floor(item.y) == Floor(p.y) && item.x >= p.x &&
                         !(IsBlankItem(item) && kLineWideBlank * item.height < item.width);
        if (ContinueHorizontal(s, item, continues ? LineGap(item, p) : Gap::EndRun, kCodeBlanks))
            return;
    }
    if (!s.text.empty() && !OnlyWhiteSpace(s.text)) {
        Escape(s.text);
        CTextRun run = HorizontalRun(s, dpi);
        run.face = s.pending.faceName.empty() ? kNamelessFace : s.pending.faceName;
        const int32_t scale = ApplyCharScale(run, s.measure);
        const int colour = ColorIndex(run.color);
        const int font = FontIndex(run.face);
        const int32_t fs = HalfPoints(s.size, dpi);
        const std::string flags = StyleFlags(s.pending);
        if (FlowMode()) {
            run.rtfText = Format("\\fs%d\\cf%d\\f%d%s\\charscalex%d {%s}", fs, colour, font, flags.c_str(), scale,
                                 s.text.c_str());
            if (run.bold)
                run.rtfText += "\\b0";
            if (run.italic)
                run.rtfText += "\\i0";
        } else {
            run.rtfText = Format("{%s\\f%d\\fs%d\\cf%d\\charscalex%d %s}", flags.c_str(), font, fs, colour, scale,
                                 s.text.c_str());
        }
        PageRuns().lineRuns.push_back(std::move(run));
    }
    s.Reset();
    if (!flush)
        StartHorizontal(s, item, kCodeBlanks);
}

void CRtfWriter::CollectBoxItem(const CTextItem& item, int dpi, int flush)
{
    constexpr size_t kCodeBlanks = 1;
    CHorizontalState& s = boxState;
    if (!flush && s.text.empty()) {
        StartHorizontal(s, item, kCodeBlanks);
        return;
    }
    if (!flush) {
        const CTextItem& p = s.pending;
        bool continues = SameStyle(item, p) && Floor(item.y) == Floor(p.y) && item.x >= p.x &&
                         Floor(item.x - p.x) < Floor(kMaxAdvanceStep * p.width) && !IsDroppedBlank(item);
        if (ContinueHorizontal(s, item, continues ? BoxGap(item, p) : Gap::EndRun, kCodeBlanks))
            return;
    }
    if (!s.text.empty() && !OnlyWhiteSpace(s.text)) {
        Escape(s.text);
        std::string face = s.pending.faceName;
        if (face.empty()) {
            face = kNamelessFace;
            s.size -= Trunc(s.size * kNamelessBoxShrink);
        }
        CTextRun run = HorizontalRun(s, dpi);
        run.face = face;
        const int colour = ColorIndex(run.color);
        const int font = FontIndex(run.face);
        const int32_t fs = HalfPoints(s.size, dpi);
        run.rtfText = Format("\\fs%d%s\\f%d\\cf%d\\strike0 %s\\par", fs, StyleFlags(s.pending).c_str(), font, colour,
                             s.text.c_str());
        PageRuns().boxRuns.push_back(std::move(run));
    }
    s.Reset();
    if (!flush)
        StartHorizontal(s, item, kCodeBlanks);
}

namespace {

// Finishes an open vertical run into `list`. `writer` numbers font and colour.
void FinishVertical(CRtfWriter& writer, CVerticalState& s, bool upward, int dpi, RunList& list)
{
    if (s.text.empty() || OnlyWhiteSpace(s.text))
        return;
    Escape(s.text);
    const CTextItem& p = s.pending;
    CTextRun run;
    run.face = p.faceName;
    run.left = Twips(s.x, dpi);
    run.top = Twips(s.y, dpi);
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
    const int colour = writer.ColorIndex(run.color);
    const int font = writer.FontIndex(run.face);
    run.rtfText = Format("\\fs%d\\charscalex%d { %s\\f%d\\cf%d %s \\par}", HalfPoints(s.size, dpi), kVerticalScale,
                         StyleFlags(p).c_str(), font, colour, s.text.c_str());
    list.push_back(std::move(run));
}

void CollectVertical(CRtfWriter& writer, CVerticalState& s, const CTextItem& item, int dpi, int flush,
                     bool upward)
{
    RunList& list = upward ? PageRuns().upRuns : PageRuns().downRuns;
    if (!flush && s.text.empty()) {
        StartVertical(s, item, upward);
        return;
    }
    if (!flush && ContinuesVertical(s, item, upward)) {
        AppendItemText(item, s.text);
        s.pending = item;
        if (upward) {
            s.x = Trunc(item.x - item.height);
            s.y = Trunc(item.y - item.width);
        } else {
            s.length = Trunc(s.length + static_cast<double>(item.width));
        }
        return;
    }
    FinishVertical(writer, s, upward, dpi, list);
    s.Reset();
    if (!flush)
        StartVertical(s, item, upward);
}

} // namespace

void CRtfWriter::CollectUpItem(const CTextItem& item, int dpi, int flush)
{
    CollectVertical(*this, upState, item, dpi, flush, true);
}

void CRtfWriter::CollectDownItem(const CTextItem& item, int dpi, int flush)
{
    CollectVertical(*this, downState, item, dpi, flush, false);
}
