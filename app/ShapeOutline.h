#pragma once
// Outlines of the shaped function buttons: rectangle, diamond, circle and
// capsule, plus the nested outlines inside them that carry the bevel.
//
// Coordinates are pixel corners, as a polygon region counts them: the outline
// of a 40 x 20 button runs from (0, 0) to (40, 20) and its region covers the
// pixels whose centres lie inside. Curved parts are sampled at equal angular
// steps of 2 pi / vertex count with sine and cosine.
#include <array>
#include <vector>

namespace qm::shape {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Unrounded points: what the drawing code strokes at any pixel density.
struct PointF {
    double x = 0.0;
    double y = 0.0;
};

using Outline = std::vector<Point>;
using OutlineF = std::vector<PointF>;

enum class ShapeKind : int { Rectangle = 0, Diamond = 1, Circle = 2, Capsule = 3 };

// The outer outline and the outlines inset by 1, 2 and 4 pixels, outside in.
inline constexpr std::array<int, 4> kInsets{0, 1, 2, 4};
using OutlineSet = std::array<Outline, 4>;

// A kind number from a caller; anything unknown is a rectangle.
ShapeKind ShapeKindFromInt(int kind);

// Vertex count for a full turn of the given radius: segments of about two
// pixels, a multiple of four so that a capsule's half circles meet its
// straight edges exactly at a vertex.
int VertexCountForRadius(double radius);

// The outline of `kind` fitted into a width x height box and inset by `inset`
// pixels, clockwise on screen (y grows downwards). `vertices` <= 0 derives the
// count from the radius. Empty when the inset leaves no area.
OutlineF OutlinePath(ShapeKind kind, double width, double height, double inset, int vertices = 0);

// The same rounded to whole pixels, with repeated points dropped.
Outline MakeOutline(ShapeKind kind, int width, int height, int inset, int vertices = 0);

// The four nested outlines of a width x height button.
OutlineSet MakeOutlineSet(ShapeKind kind, int width, int height, int vertices = 0);

// A caller-given polygon moved inwards by `inset` pixels (each edge shifted
// along its normal, corners mitred). Either winding is accepted and kept.
// Empty when the polygon has fewer than three distinct points or the inset
// swallows it.
OutlineF InsetPath(const OutlineF& outline, double inset);
Outline InsetOutline(const Outline& outline, int inset);

// The four nested outlines derived from a caller-given outer outline.
OutlineSet OutlineSetFrom(const Outline& outer);

// Twice the signed area; positive for a clockwise outline on screen.
double SignedArea2(const OutlineF& outline);

// How much the edge from `a` to `b` of a clockwise outline faces the upper
// left: +1 straight up-left, -1 straight down-right, 0 for an edge facing
// up-right or down-left. The bevel takes its light colours where this is
// positive and its shadow colours where it is negative.
double UpLeftFacing(PointF a, PointF b);

OutlineF ToPath(const Outline& outline);
Outline Rounded(const OutlineF& path);

}  // namespace qm::shape
