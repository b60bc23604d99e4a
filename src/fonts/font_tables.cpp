#include "fonts/font_tables.h"

#include <algorithm>
#include <cmath>

#include "fonts/sfnt_writer.h"

namespace {

constexpr uint32_t kVersion1 = 0x00010000;
constexpr uint32_t kHeadMagic = 0x5F0F3CF5;
// head.flags: baseline at y = 0, left side bearing at x = 0, integer scaling.
constexpr uint32_t kHeadFlags = 0x000B;
// A fixed creation date (2026-01-01, seconds since 1904), so a font is the
// same bytes every time it is built.
constexpr uint64_t kFontDate = 3849984000ull;
constexpr int kLowestRecommendedPpem = 8;
constexpr int kMixedDirectionHint = 2;
constexpr uint32_t kMacStyleBold = 1, kMacStyleItalic = 2;
constexpr uint32_t kSelectionItalic = 1, kSelectionBold = 1 << 5, kSelectionRegular = 1 << 6;
constexpr int kWeightRegular = 400, kWeightBold = 700;
constexpr int kWidthMedium = 5;
constexpr uint16_t kOs2Version = 4;
// Largest value a format 4 cmap can hold; its last segment must end here.
constexpr uint32_t kLastBmpCode = 0xFFFF;
// Glyph flag bits.
constexpr uint8_t kOnCurve = 0x01, kXShort = 0x02, kYShort = 0x04, kRepeat = 0x08, kXSame = 0x10,
                  kYSame = 0x20;
// A short loca holds offsets / 2 in 16 bits.
constexpr size_t kMostShortLocaOffset = 0x1FFFE;
constexpr uint16_t kWindowsPlatform = 3, kUnicodeBmpEncoding = 1, kUnicodeFullEncoding = 10,
                   kEnglishUs = 0x409;
constexpr uint16_t kMacPlatform = 1, kMacRoman = 0, kMacEnglish = 0;
// Latin 1 in ulCodePageRange1.
constexpr uint32_t kCodePageLatin1 = 1;

int16_t Clamp16(long v) { return int16_t(std::clamp<long>(v, -32768, 32767)); }

struct Bounds {
    int xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    bool any = false;
};
Bounds FontBounds(const std::vector<CFontGlyph>& glyphs)
{
    Bounds b;
    for (const CFontGlyph& g : glyphs) {
        if (g.outline.Empty()) continue;
        if (!b.any) {
            b = {g.outline.xMin, g.outline.yMin, g.outline.xMax, g.outline.yMax, true};
            continue;
        }
        b.xMin = std::min(b.xMin, g.outline.xMin);
        b.yMin = std::min(b.yMin, g.outline.yMin);
        b.xMax = std::max(b.xMax, g.outline.xMax);
        b.yMax = std::max(b.yMax, g.outline.yMax);
    }
    return b;
}

void WriteSimpleGlyph(const CQuadGlyph& g, CByteWriter& w)
{
    w.S16(int16_t(g.contourEnds.size()));
    w.S16(g.xMin);
    w.S16(g.yMin);
    w.S16(g.xMax);
    w.S16(g.yMax);
    for (uint16_t end : g.contourEnds) w.U16(end);
    w.U16(0);  // no instructions
    std::vector<uint8_t> flags;
    CByteWriter xs, ys;
    int32_t px = 0, py = 0;
    for (const CQuadPoint& p : g.points) {
        uint8_t f = p.onCurve ? kOnCurve : 0;
        const int32_t dx = p.x - px, dy = p.y - py;
        if (dx == 0) {
            f |= kXSame;
        } else if (dx > -256 && dx < 256) {
            f |= kXShort | (dx > 0 ? kXSame : 0);
            xs.U8(uint32_t(std::abs(dx)));
        } else {
            xs.S16(dx);
        }
        if (dy == 0) {
            f |= kYSame;
        } else if (dy > -256 && dy < 256) {
            f |= kYShort | (dy > 0 ? kYSame : 0);
            ys.U8(uint32_t(std::abs(dy)));
        } else {
            ys.S16(dy);
        }
        flags.push_back(f);
        px = p.x;
        py = p.y;
    }
    for (size_t i = 0; i < flags.size();) {
        size_t run = 1;
        while (i + run < flags.size() && flags[i + run] == flags[i] && run < 256) ++run;
        if (run > 1) {
            w.U8(flags[i] | kRepeat);
            w.U8(uint32_t(run - 1));
        } else {
            w.U8(flags[i]);
        }
        i += run;
    }
    w.Bytes(xs.Data());
    w.Bytes(ys.Data());
}

// Windows names are UTF-16 big-endian; the text arrives as UTF-8.
std::vector<uint8_t> Utf16Be(const std::string& utf8)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = utf8[i];
        uint32_t cp = c;
        int extra = 0;
        if (c >= 0xF0) { cp = c & 0x07; extra = 3; }
        else if (c >= 0xE0) { cp = c & 0x0F; extra = 2; }
        else if (c >= 0xC0) { cp = c & 0x1F; extra = 1; }
        else if (c >= 0x80) { cp = 0xFFFD; }
        ++i;
        for (int k = 0; k < extra && i < utf8.size(); ++k, ++i) cp = cp << 6 | (utf8[i] & 0x3F);
        if (cp > 0x10FFFF) cp = 0xFFFD;
        auto unit = [&](uint32_t u) {
            out.push_back(uint8_t(u >> 8));
            out.push_back(uint8_t(u));
        };
        if (cp >= 0x10000) {
            cp -= 0x10000;
            unit(0xD800 | cp >> 10);
            unit(0xDC00 | (cp & 0x3FF));
        } else {
            unit(cp);
        }
    }
    return out;
}

bool IsAscii(const std::string& s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return (unsigned char)c < 0x80; });
}

// ulUnicodeRange bits for the blocks text in documents mostly uses.
struct UnicodeRangeBit {
    uint32_t first, last;
    int bit;
};
constexpr UnicodeRangeBit kRangeBits[] = {
    {0x0000, 0x007F, 0},   {0x0080, 0x00FF, 1},   {0x0100, 0x017F, 2},   {0x0180, 0x024F, 3},
    {0x0250, 0x02AF, 4},   {0x02B0, 0x02FF, 5},   {0x0300, 0x036F, 6},   {0x0370, 0x03FF, 7},
    {0x0400, 0x04FF, 9},   {0x0530, 0x058F, 10},  {0x0590, 0x05FF, 11},  {0x0600, 0x06FF, 13},
    {0x0900, 0x097F, 15},  {0x0E00, 0x0E7F, 24},  {0x1E00, 0x1EFF, 29},  {0x1F00, 0x1FFF, 30},
    {0x2000, 0x206F, 31},  {0x2070, 0x209F, 32},  {0x20A0, 0x20CF, 33},  {0x2100, 0x214F, 35},
    {0x2150, 0x218F, 36},  {0x2190, 0x21FF, 37},  {0x2200, 0x22FF, 38},  {0x2300, 0x23FF, 39},
    {0x2500, 0x257F, 43},  {0x25A0, 0x25FF, 45},  {0x2600, 0x26FF, 46},  {0x2700, 0x27BF, 47},
    {0x3000, 0x303F, 48},  {0x3040, 0x309F, 49},  {0x30A0, 0x30FF, 50},  {0x4E00, 0x9FFF, 59},
    {0xAC00, 0xD7AF, 56},  {0xE000, 0xF8FF, 60},  {0xFB00, 0xFB4F, 62},  {0xFE70, 0xFEFF, 67},
    {0xFF00, 0xFFEF, 68},  {0x10000, 0x10FFFF, 57},
};

}  // namespace

CGlyfLoca WriteGlyfLoca(const std::vector<CFontGlyph>& glyphs)
{
    CGlyfLoca out;
    CByteWriter glyf;
    std::vector<size_t> offsets;
    for (const CFontGlyph& g : glyphs) {
        offsets.push_back(glyf.Size());
        if (!g.outline.Empty()) WriteSimpleGlyph(g.outline, glyf);
        glyf.Pad4();
    }
    offsets.push_back(glyf.Size());
    out.longOffsets = glyf.Size() > kMostShortLocaOffset;
    CByteWriter loca;
    for (size_t off : offsets) {
        if (out.longOffsets)
            loca.U32(uint32_t(off));
        else
            loca.U16(uint32_t(off / 2));
    }
    out.glyf = glyf.Take();
    out.loca = loca.Take();
    return out;
}

std::vector<uint8_t> WriteHead(const CFontFacts& facts, const std::vector<CFontGlyph>& glyphs, bool longLoca)
{
    const Bounds b = FontBounds(glyphs);
    CByteWriter w;
    w.U32(kVersion1);
    w.U32(kVersion1);  // font revision
    w.U32(0);          // checksum adjustment, filled in at assembly
    w.U32(kHeadMagic);
    w.U16(kHeadFlags);
    w.U16(uint32_t(facts.unitsPerEm));
    for (int i = 0; i < 2; ++i) {
        w.U32(uint32_t(kFontDate >> 32));
        w.U32(uint32_t(kFontDate));
    }
    w.S16(b.xMin);
    w.S16(b.yMin);
    w.S16(b.xMax);
    w.S16(b.yMax);
    w.U16((facts.bold ? kMacStyleBold : 0) | (facts.italic ? kMacStyleItalic : 0));
    w.U16(kLowestRecommendedPpem);
    w.S16(kMixedDirectionHint);
    w.S16(longLoca ? 1 : 0);
    w.S16(0);  // glyph data format
    return w.Take();
}

std::vector<uint8_t> WriteHhea(const CFontFacts& facts, const std::vector<CFontGlyph>& glyphs)
{
    int advanceMax = 0, minLsb = 0, minRsb = 0, maxExtent = 0;
    bool any = false;
    for (const CFontGlyph& g : glyphs) {
        advanceMax = std::max<int>(advanceMax, g.advance);
        if (g.outline.Empty()) continue;
        const int lsb = g.outline.xMin, rsb = g.advance - g.outline.xMax, extent = g.outline.xMax;
        minLsb = any ? std::min(minLsb, lsb) : lsb;
        minRsb = any ? std::min(minRsb, rsb) : rsb;
        maxExtent = any ? std::max(maxExtent, extent) : extent;
        any = true;
    }
    CByteWriter w;
    w.U32(kVersion1);
    w.S16(Clamp16(facts.ascender));
    w.S16(Clamp16(facts.descender));
    w.S16(Clamp16(facts.lineGap));
    w.U16(uint32_t(advanceMax));
    w.S16(Clamp16(minLsb));
    w.S16(Clamp16(minRsb));
    w.S16(Clamp16(maxExtent));
    // Caret slope: upright, or leaning with the italic angle.
    if (facts.italicAngle != 0) {
        const double r = facts.italicAngle * M_PI / 180.0;
        w.S16(Clamp16(std::lround(std::cos(r) * 1000)));
        w.S16(Clamp16(std::lround(-std::sin(r) * 1000)));
    } else {
        w.S16(1);
        w.S16(0);
    }
    w.S16(0);  // caret offset
    for (int i = 0; i < 4; ++i) w.S16(0);
    w.S16(0);  // metric data format
    w.U16(uint32_t(glyphs.size()));
    return w.Take();
}

std::vector<uint8_t> WriteMaxp(const std::vector<CFontGlyph>& glyphs)
{
    size_t points = 0, contours = 0;
    for (const CFontGlyph& g : glyphs) {
        points = std::max(points, g.outline.points.size());
        contours = std::max(contours, g.outline.contourEnds.size());
    }
    CByteWriter w;
    w.U32(kVersion1);
    w.U16(uint32_t(glyphs.size()));
    w.U16(uint32_t(points));
    w.U16(uint32_t(contours));
    w.U16(0);  // composite points
    w.U16(0);  // composite contours
    w.U16(2);  // zones
    for (int i = 0; i < 8; ++i) w.U16(0);  // twilight, storage, defs, stack, instructions, components
    return w.Take();
}

std::vector<uint8_t> WriteHmtx(const std::vector<CFontGlyph>& glyphs)
{
    CByteWriter w;
    for (const CFontGlyph& g : glyphs) {
        w.U16(g.advance);
        w.S16(g.outline.Empty() ? 0 : g.outline.xMin);
    }
    return w.Take();
}

std::vector<uint8_t> WriteOs2(const CFontFacts& facts, const std::vector<CFontGlyph>& glyphs,
                              const std::vector<std::pair<uint32_t, uint32_t>>& cmap)
{
    const Bounds b = FontBounds(glyphs);
    const int em = facts.unitsPerEm;
    long advanceSum = 0;
    int advanceCount = 0;
    for (const CFontGlyph& g : glyphs)
        if (g.advance > 0) {
            advanceSum += g.advance;
            ++advanceCount;
        }
    uint32_t ranges[4] = {0, 0, 0, 0};
    uint32_t firstChar = 0xFFFF, lastChar = 0;
    for (const auto& [code, glyph] : cmap) {
        for (const UnicodeRangeBit& r : kRangeBits)
            if (code >= r.first && code <= r.last) ranges[r.bit / 32] |= 1u << (r.bit % 32);
        firstChar = std::min<uint32_t>(firstChar, std::min<uint32_t>(code, kLastBmpCode));
        lastChar = std::max<uint32_t>(lastChar, std::min<uint32_t>(code, kLastBmpCode));
    }
    if (cmap.empty()) firstChar = lastChar = 0;

    CByteWriter w;
    w.U16(kOs2Version);
    w.S16(Clamp16(advanceCount ? advanceSum / advanceCount : 0));
    w.U16(facts.bold ? kWeightBold : kWeightRegular);
    w.U16(kWidthMedium);
    w.U16(facts.fsType);
    // Sub- and superscripts at 65% of the em, strikeout at the x-height's middle.
    const int scriptSize = em * 65 / 100;
    w.S16(Clamp16(scriptSize));
    w.S16(Clamp16(scriptSize));
    w.S16(0);
    w.S16(Clamp16(em * 14 / 100));
    w.S16(Clamp16(scriptSize));
    w.S16(Clamp16(scriptSize));
    w.S16(0);
    w.S16(Clamp16(em * 48 / 100));
    w.S16(Clamp16(std::max(facts.underlineThickness, 1)));
    w.S16(Clamp16(facts.xHeight > 0 ? facts.xHeight / 2 : em * 25 / 100));
    w.S16(0);  // family class
    for (int i = 0; i < 10; ++i) w.U8(0);  // PANOSE: any
    for (uint32_t r : ranges) w.U32(r);
    w.Tag("PPWL");
    uint32_t selection = 0;
    if (facts.italic) selection |= kSelectionItalic;
    if (facts.bold) selection |= kSelectionBold;
    if (!facts.italic && !facts.bold) selection |= kSelectionRegular;
    w.U16(selection);
    w.U16(firstChar);
    w.U16(lastChar);
    w.S16(Clamp16(facts.ascender));
    w.S16(Clamp16(facts.descender));
    w.S16(Clamp16(facts.lineGap));
    // Windows clips what lies outside the win metrics: they cover every glyph.
    w.U16(uint32_t(std::clamp(std::max(facts.ascender, b.yMax), 0, 65535)));
    w.U16(uint32_t(std::clamp(std::max(-facts.descender, -b.yMin), 0, 65535)));
    w.U32(kCodePageLatin1);
    w.U32(0);
    w.S16(Clamp16(facts.xHeight));
    w.S16(Clamp16(facts.capHeight));
    w.U16(0);   // default character: .notdef
    w.U16(32);  // break character: space
    w.U16(facts.maxContext);
    return w.Take();
}

std::vector<uint8_t> WriteCmap(const std::vector<std::pair<uint32_t, uint32_t>>& cmap)
{
    // Segments of consecutive codes whose glyphs are consecutive too.
    struct Segment {
        uint32_t start, end, glyph;
    };
    std::vector<Segment> bmp, all;
    for (const auto& [code, glyph] : cmap) {
        auto extend = [&](std::vector<Segment>& segs) {
            if (!segs.empty() && segs.back().end + 1 == code && segs.back().glyph + (code - segs.back().start) == glyph)
                segs.back().end = code;
            else
                segs.push_back({code, code, glyph});
        };
        if (code <= kLastBmpCode && code != kLastBmpCode) extend(bmp);
        extend(all);
    }
    const bool needFull = !cmap.empty() && cmap.back().first > kLastBmpCode;

    CByteWriter f4;
    {
        std::vector<Segment> segs = bmp;
        segs.push_back({kLastBmpCode, kLastBmpCode, 0});
        const uint32_t n = uint32_t(segs.size());
        f4.U16(4);
        f4.U16(16 + n * 8);
        f4.U16(0);
        f4.U16(n * 2);
        const CBinarySearchHeader s = BinarySearchHeader(n, 2);
        f4.U16(s.searchRange);
        f4.U16(s.entrySelector);
        f4.U16(s.rangeShift);
        for (const Segment& g : segs) f4.U16(g.end);
        f4.U16(0);
        for (const Segment& g : segs) f4.U16(g.start);
        for (const Segment& g : segs) f4.U16(g.start == kLastBmpCode ? 1 : uint16_t(g.glyph - g.start));
        for (size_t i = 0; i < segs.size(); ++i) f4.U16(0);
    }
    CByteWriter f12;
    if (needFull) {
        f12.U16(12);
        f12.U16(0);
        f12.U32(16 + uint32_t(all.size()) * 12);
        f12.U32(0);
        f12.U32(uint32_t(all.size()));
        for (const Segment& g : all) {
            f12.U32(g.start);
            f12.U32(g.end);
            f12.U32(g.glyph);
        }
    }
    CByteWriter w;
    const uint32_t subtables = needFull ? 2 : 1;
    w.U16(0);
    w.U16(subtables);
    const uint32_t firstOffset = 4 + 8 * subtables;
    w.U16(kWindowsPlatform);
    w.U16(kUnicodeBmpEncoding);
    w.U32(firstOffset);
    if (needFull) {
        w.U16(kWindowsPlatform);
        w.U16(kUnicodeFullEncoding);
        w.U32(firstOffset + uint32_t(f4.Size()));
    }
    w.Bytes(f4.Data());
    if (needFull) w.Bytes(f12.Data());
    return w.Take();
}

std::vector<uint8_t> WriteName(const CFontFacts& facts)
{
    const std::string fullName =
        facts.styleName == "Regular" ? facts.familyName : facts.familyName + " " + facts.styleName;
    const std::pair<int, std::string> names[] = {
        {1, facts.familyName},         {2, facts.styleName},
        {3, facts.postScriptName + ";" + "Paperwell"},
        {4, fullName},                 {5, "Version 1.000"},
        {6, facts.postScriptName},
    };
    struct Record {
        uint16_t platform, encoding, language, id;
        std::vector<uint8_t> bytes;
    };
    std::vector<Record> records;
    for (const auto& [id, text] : names)
        if (IsAscii(text))
            records.push_back({kMacPlatform, kMacRoman, kMacEnglish, uint16_t(id),
                               std::vector<uint8_t>(text.begin(), text.end())});
    for (const auto& [id, text] : names)
        records.push_back({kWindowsPlatform, kUnicodeBmpEncoding, kEnglishUs, uint16_t(id), Utf16Be(text)});
    CByteWriter w;
    w.U16(0);
    w.U16(uint32_t(records.size()));
    w.U16(uint32_t(6 + 12 * records.size()));
    size_t offset = 0;
    for (const Record& r : records) {
        w.U16(r.platform);
        w.U16(r.encoding);
        w.U16(r.language);
        w.U16(r.id);
        w.U16(uint32_t(r.bytes.size()));
        w.U16(uint32_t(offset));
        offset += r.bytes.size();
    }
    for (const Record& r : records) w.Bytes(r.bytes);
    return w.Take();
}

std::vector<uint8_t> WritePost(const CFontFacts& facts)
{
    CByteWriter w;
    w.U32(0x00030000);  // no glyph names
    w.U32(uint32_t(int32_t(std::lround(facts.italicAngle * 65536.0))));
    w.S16(Clamp16(facts.underlinePosition));
    w.S16(Clamp16(facts.underlineThickness));
    w.U32(facts.fixedPitch ? 1 : 0);
    for (int i = 0; i < 4; ++i) w.U32(0);
    return w.Take();
}
