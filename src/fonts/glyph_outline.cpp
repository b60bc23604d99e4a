#include "fonts/glyph_outline.h"

#include <algorithm>
#include <cmath>

#include FT_OUTLINE_H

namespace {

// 26.6 fixed point: 64 steps per font unit.
constexpr double kSubunits = 64.0;
// How far (font units) one quadratic may stray from the cubic it replaces;
// rounding the points to whole units adds at most half a unit more.
constexpr double kCubicTolerance = 0.5;
// sqrt(3) / 36: the largest distance between a cubic and its single quadratic
// per unit of the cubic's third difference.
constexpr double kQuadraticErrorFactor = 0.0481125224324688;
// Halvings of one cubic before its pieces are taken as they are.
constexpr int kMostCubicSplits = 12;
// TrueType coordinates are signed 16-bit values.
constexpr double kLowestCoordinate = -32768;
constexpr double kHighestCoordinate = 32767;

struct Vec {
    double x, y;
};
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Vec operator*(double k, Vec a) { return {k * a.x, k * a.y}; }
Vec Mid(Vec a, Vec b) { return 0.5 * (a + b); }

struct Walker {
    int mostPoints;
    OutlineResult result = OutlineResult::Converted;
    // Contours in unrounded font units.
    struct RawPoint {
        Vec p;
        bool on;
    };
    std::vector<std::vector<RawPoint>> contours;
    Vec current{0, 0};
    size_t pointCount = 0;

    void Add(Vec p, bool on)
    {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || p.x < kLowestCoordinate || p.x > kHighestCoordinate ||
            p.y < kLowestCoordinate || p.y > kHighestCoordinate) {
            result = OutlineResult::OutOfRange;
            return;
        }
        if (++pointCount > size_t(mostPoints)) {
            result = OutlineResult::TooManyPoints;
            return;
        }
        contours.back().push_back({p, on});
    }

    void Cubic(Vec p0, Vec p1, Vec p2, Vec p3, int depth)
    {
        if (result != OutlineResult::Converted) return;
        const Vec d = p3 - 3.0 * p2 + 3.0 * p1 - p0;
        const double error = std::hypot(d.x, d.y) * kQuadraticErrorFactor;
        if (error <= kCubicTolerance || depth >= kMostCubicSplits) {
            Add(0.25 * (3.0 * (p1 + p2) - p0 - p3), false);
            Add(p3, true);
            return;
        }
        const Vec p01 = Mid(p0, p1), p12 = Mid(p1, p2), p23 = Mid(p2, p3);
        const Vec p012 = Mid(p01, p12), p123 = Mid(p12, p23);
        const Vec m = Mid(p012, p123);
        Cubic(p0, p01, p012, m, depth + 1);
        Cubic(m, p123, p23, p3, depth + 1);
    }
};

Vec FromFt(const FT_Vector* v) { return {double(v->x) / kSubunits, double(v->y) / kSubunits}; }

int MoveTo(const FT_Vector* to, void* user)
{
    auto* w = static_cast<Walker*>(user);
    w->contours.emplace_back();
    w->current = FromFt(to);
    w->Add(w->current, true);
    return w->result == OutlineResult::Converted ? 0 : 1;
}

int LineTo(const FT_Vector* to, void* user)
{
    auto* w = static_cast<Walker*>(user);
    w->current = FromFt(to);
    w->Add(w->current, true);
    return w->result == OutlineResult::Converted ? 0 : 1;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user)
{
    auto* w = static_cast<Walker*>(user);
    w->Add(FromFt(control), false);
    w->current = FromFt(to);
    w->Add(w->current, true);
    return w->result == OutlineResult::Converted ? 0 : 1;
}

int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user)
{
    auto* w = static_cast<Walker*>(user);
    const Vec end = FromFt(to);
    w->Cubic(w->current, FromFt(c1), FromFt(c2), end, 0);
    w->current = end;
    return w->result == OutlineResult::Converted ? 0 : 1;
}

// Rounds one contour and drops what draws nothing: repeated points, the
// closing point that repeats the first, and on-curve points that lie exactly
// halfway between two off-curve ones (TrueType implies them).
std::vector<CQuadPoint> RoundContour(const std::vector<Walker::RawPoint>& raw)
{
    std::vector<CQuadPoint> pts;
    pts.reserve(raw.size());
    for (const auto& r : raw) {
        CQuadPoint q{int32_t(std::lround(r.p.x)), int32_t(std::lround(r.p.y)), r.on};
        if (!pts.empty() && pts.back().x == q.x && pts.back().y == q.y && pts.back().onCurve && q.onCurve)
            continue;
        pts.push_back(q);
    }
    while (pts.size() > 1 && pts.back().onCurve && pts.front().onCurve && pts.back().x == pts.front().x &&
           pts.back().y == pts.front().y)
        pts.pop_back();
    if (pts.size() < 3) return {};
    // Implied on-curve points (never the first, which starts the contour).
    std::vector<CQuadPoint> kept;
    kept.reserve(pts.size());
    kept.push_back(pts[0]);
    for (size_t i = 1; i < pts.size(); ++i) {
        const CQuadPoint& p = pts[i];
        if (p.onCurve && i + 1 < pts.size() && !kept.back().onCurve && !pts[i + 1].onCurve &&
            kept.back().x + pts[i + 1].x == 2 * p.x && kept.back().y + pts[i + 1].y == 2 * p.y)
            continue;
        kept.push_back(p);
    }
    return kept;
}

}  // namespace

OutlineResult ConvertOutline(const FT_Outline& outline, CQuadGlyph& out, int mostPoints)
{
    out = CQuadGlyph{};
    if (outline.n_points == 0 || outline.n_contours == 0) return OutlineResult::Converted;
    FT_Outline_Funcs funcs{};
    funcs.move_to = MoveTo;
    funcs.line_to = LineTo;
    funcs.conic_to = ConicTo;
    funcs.cubic_to = CubicTo;
    Walker walker;
    walker.mostPoints = mostPoints;
    const FT_Error error = FT_Outline_Decompose(const_cast<FT_Outline*>(&outline), &funcs, &walker);
    if (walker.result != OutlineResult::Converted) return walker.result;
    if (error) return OutlineResult::Unreadable;

    for (const auto& raw : walker.contours) {
        std::vector<CQuadPoint> contour = RoundContour(raw);
        if (contour.empty()) continue;
        out.points.insert(out.points.end(), contour.begin(), contour.end());
        out.contourEnds.push_back(uint16_t(out.points.size() - 1));
    }
    if (out.points.empty()) return OutlineResult::Converted;
    out.xMin = out.xMax = out.points[0].x;
    out.yMin = out.yMax = out.points[0].y;
    for (const CQuadPoint& p : out.points) {
        out.xMin = std::min(out.xMin, p.x);
        out.xMax = std::max(out.xMax, p.x);
        out.yMin = std::min(out.yMin, p.y);
        out.yMax = std::max(out.yMax, p.y);
    }
    return OutlineResult::Converted;
}
