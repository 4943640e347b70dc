#include "app/ShapeOutline.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qm::shape {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kMinVertices = 8;
// A caller may hand any count; beyond this the extra points are invisible and
// only cost memory and drawing time.
constexpr int kMaxVertices = 720;
// Longest corner offset, in multiples of the inset, before a sharp spike is cut.
constexpr double kMiterLimit = 4.0;

int CurveVertices(int requested, double radius, bool even) {
    int n = requested > 0 ? std::clamp(requested, 3, kMaxVertices) : VertexCountForRadius(radius);
    if (even && n % 2 != 0) ++n;
    return std::max(n, even ? 4 : 3);
}

// Appends the arc of radius r around (cx, cy) from angle `start` over half a
// turn, in `steps` equal steps, both ends included.
void AppendHalfTurn(OutlineF& out, double cx, double cy, double r, double start, int steps) {
    const double step = kPi / steps;
    for (int i = 0; i <= steps; ++i) {
        const double a = start + i * step;
        out.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
}

OutlineF Capsule(double w, double h, double inset, int vertices) {
    const bool wide = w >= h;
    const double radius = (wide ? h : w) / 2.0;
    const double r = radius - inset;
    if (r <= 0.0) return {};
    const int n = CurveVertices(vertices, radius, true);
    const int steps = n / 2;
    OutlineF out;
    out.reserve(static_cast<size_t>(n) + 2);
    if (wide) {
        // Right half circle from the top down, then the left one from the bottom up.
        AppendHalfTurn(out, w - radius, radius, r, -kPi / 2, steps);
        AppendHalfTurn(out, radius, radius, r, kPi / 2, steps);
    } else {
        // Top half circle from the left across, then the bottom one from the right back.
        AppendHalfTurn(out, radius, radius, r, kPi, steps);
        AppendHalfTurn(out, radius, h - radius, r, 0.0, steps);
    }
    return out;
}

OutlineF Circle(double w, double h, double inset, int vertices) {
    const double radius = std::min(w, h) / 2.0;
    const double r = radius - inset;
    if (r <= 0.0) return {};
    const int n = CurveVertices(vertices, radius, false);
    const double step = 2.0 * kPi / n;
    OutlineF out;
    out.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double a = -kPi / 2 + i * step;  // first vertex at the top
        out.push_back({w / 2.0 + r * std::cos(a), h / 2.0 + r * std::sin(a)});
    }
    return out;
}

OutlineF Diamond(double w, double h, double inset) {
    // The edges run at 45 degrees, so moving them in by `inset` pulls each
    // corner in by inset * sqrt(2).
    const double half = std::min(w, h) / 2.0 - inset * std::numbers::sqrt2;
    if (half <= 0.0) return {};
    const double cx = w / 2.0, cy = h / 2.0;
    return {{cx, cy - half}, {cx + half, cy}, {cx, cy + half}, {cx - half, cy}};
}

OutlineF Rectangle(double w, double h, double inset) {
    const double l = inset, t = inset, r = w - inset, b = h - inset;
    if (r <= l || b <= t) return {};
    return {{l, t}, {r, t}, {r, b}, {l, b}};
}

// Drops points equal to their predecessor (and a closing point equal to the
// first), which would give zero-length edges without a direction.
OutlineF WithoutRepeats(const OutlineF& in) {
    OutlineF out;
    out.reserve(in.size());
    for (const PointF& p : in) {
        if (!out.empty() && std::abs(out.back().x - p.x) < 1e-9 &&
            std::abs(out.back().y - p.y) < 1e-9)
            continue;
        out.push_back(p);
    }
    while (out.size() > 1 && std::abs(out.back().x - out.front().x) < 1e-9 &&
           std::abs(out.back().y - out.front().y) < 1e-9)
        out.pop_back();
    return out;
}

PointF UnitDirection(PointF a, PointF b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len = std::hypot(dx, dy);
    return len > 0.0 ? PointF{dx / len, dy / len} : PointF{};
}

}  // namespace

ShapeKind ShapeKindFromInt(int kind) {
    switch (kind) {
        case 1:
            return ShapeKind::Diamond;
        case 2:
            return ShapeKind::Circle;
        case 3:
            return ShapeKind::Capsule;
        default:
            return ShapeKind::Rectangle;
    }
}

int VertexCountForRadius(double radius) {
    if (!(radius > 0.0)) return kMinVertices;  // also catches NaN
    // pi * r vertices make edges of about two pixels on the circumference.
    const double wanted = std::ceil(kPi * std::min(radius, 1e6) / 4.0) * 4.0;
    return std::clamp(static_cast<int>(wanted), kMinVertices, kMaxVertices);
}

OutlineF OutlinePath(ShapeKind kind, double width, double height, double inset, int vertices) {
    if (!(width > 0.0) || !(height > 0.0) || !(inset >= 0.0)) return {};
    switch (kind) {
        case ShapeKind::Diamond:
            return Diamond(width, height, inset);
        case ShapeKind::Circle:
            return Circle(width, height, inset, vertices);
        case ShapeKind::Capsule:
            return Capsule(width, height, inset, vertices);
        case ShapeKind::Rectangle:
            break;
    }
    return Rectangle(width, height, inset);
}

Outline Rounded(const OutlineF& path) {
    Outline out;
    out.reserve(path.size());
    for (const PointF& p : path) {
        const Point q{static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y))};
        if (!out.empty() && out.back() == q) continue;
        out.push_back(q);
    }
    while (out.size() > 1 && out.back() == out.front()) out.pop_back();
    if (out.size() < 3) out.clear();
    return out;
}

OutlineF ToPath(const Outline& outline) {
    OutlineF out;
    out.reserve(outline.size());
    for (const Point& p : outline) out.push_back({double(p.x), double(p.y)});
    return out;
}

Outline MakeOutline(ShapeKind kind, int width, int height, int inset, int vertices) {
    return Rounded(OutlinePath(kind, width, height, inset, vertices));
}

OutlineSet MakeOutlineSet(ShapeKind kind, int width, int height, int vertices) {
    OutlineSet set;
    for (size_t i = 0; i < kInsets.size(); ++i)
        set[i] = MakeOutline(kind, width, height, kInsets[i], vertices);
    return set;
}

double SignedArea2(const OutlineF& outline) {
    double sum = 0.0;
    const size_t n = outline.size();
    for (size_t i = 0; i < n; ++i) {
        const PointF& a = outline[i];
        const PointF& b = outline[(i + 1) % n];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum;
}

OutlineF InsetPath(const OutlineF& outline, double inset) {
    const OutlineF p = WithoutRepeats(outline);
    if (p.size() < 3) return {};
    const double area = SignedArea2(p);
    if (std::abs(area) < 1e-9) return {};
    if (inset == 0.0) return p;
    // Inwards is to the right of the direction of travel on a clockwise
    // outline (y down); a counter-clockwise one turns the other way.
    const double side = area > 0.0 ? 1.0 : -1.0;
    const size_t n = p.size();
    OutlineF out(n);
    for (size_t i = 0; i < n; ++i) {
        const PointF e1 = UnitDirection(p[(i + n - 1) % n], p[i]);
        const PointF e2 = UnitDirection(p[i], p[(i + 1) % n]);
        const PointF n1{-e1.y * side, e1.x * side};
        const PointF n2{-e2.y * side, e2.x * side};
        const double denom = 1.0 + n1.x * n2.x + n1.y * n2.y;
        PointF off{(n1.x + n2.x) * inset, (n1.y + n2.y) * inset};
        if (denom > 1e-9) {
            off.x /= denom;
            off.y /= denom;
        }
        const double len = std::hypot(off.x, off.y);
        const double limit = kMiterLimit * std::abs(inset);
        if (len > limit) {
            off.x *= limit / len;
            off.y *= limit / len;
        }
        out[i] = {p[i].x + off.x, p[i].y + off.y};
    }
    // An inset wider than the shape turns it inside out: nothing is left.
    const double newArea = SignedArea2(out);
    if (inset > 0.0 && (newArea * area <= 0.0 || std::abs(newArea) >= std::abs(area))) return {};
    return out;
}

Outline InsetOutline(const Outline& outline, int inset) {
    return Rounded(InsetPath(ToPath(outline), inset));
}

OutlineSet OutlineSetFrom(const Outline& outer) {
    OutlineSet set;
    const OutlineF path = ToPath(outer);
    for (size_t i = 0; i < kInsets.size(); ++i) set[i] = Rounded(InsetPath(path, kInsets[i]));
    return set;
}

double UpLeftFacing(PointF a, PointF b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len = std::hypot(dx, dy);
    if (len <= 0.0) return 0.0;
    // Outward normal of a clockwise outline is (dy, -dx) / len; project it on
    // the unit vector pointing up-left, (-1, -1) / sqrt 2.
    return (dx - dy) / (len * std::numbers::sqrt2);
}

}  // namespace qm::shape
