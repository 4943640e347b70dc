#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

#include "app/ShapeOutline.h"

namespace qm::shape {
namespace {

struct Box {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
};

Box Bounds(const Outline& o) {
    Box b;
    for (const Point& p : o) {
        b.left = std::min(b.left, p.x);
        b.top = std::min(b.top, p.y);
        b.right = std::max(b.right, p.x);
        b.bottom = std::max(b.bottom, p.y);
    }
    return b;
}

// Inside a convex clockwise outline, or outside by no more than `slack`
// pixels (both outlines are rounded to whole pixels).
bool InsideConvex(const Outline& o, double x, double y, double slack) {
    for (size_t i = 0; i < o.size(); ++i) {
        const Point& a = o[i];
        const Point& b = o[(i + 1) % o.size()];
        const double cross = double(b.x - a.x) * (y - a.y) - double(b.y - a.y) * (x - a.x);
        if (cross / std::hypot(b.x - a.x, b.y - a.y) < -slack) return false;
    }
    return true;
}

bool HasRepeats(const Outline& o) {
    for (size_t i = 0; i < o.size(); ++i)
        if (o[i] == o[(i + 1) % o.size()]) return true;
    return false;
}

TEST(ShapeOutline, CapsuleFillsItsBoxWithTwoHalfCirclesAndStraightEdges) {
    const Outline o = MakeOutline(ShapeKind::Capsule, 80, 26, 0);
    ASSERT_GE(o.size(), 8u);
    const Box b = Bounds(o);
    EXPECT_EQ(b.left, 0);
    EXPECT_EQ(b.top, 0);
    EXPECT_EQ(b.right, 80);
    EXPECT_EQ(b.bottom, 26);
    EXPECT_GT(SignedArea2(ToPath(o)), 0.0) << "clockwise on screen";
    EXPECT_FALSE(HasRepeats(o));
    // The straight top edge runs between the two half circles' tops.
    EXPECT_NE(std::find(o.begin(), o.end(), Point{13, 0}), o.end());
    EXPECT_NE(std::find(o.begin(), o.end(), Point{67, 0}), o.end());
    // Every point lies on one of the two circles of radius 13 (rounding aside).
    for (const Point& p : o) {
        const double cx = p.x < 40 ? 13.0 : 67.0;
        EXPECT_NEAR(std::hypot(p.x - cx, p.y - 13.0), 13.0, 0.75) << p.x << "," << p.y;
    }
}

TEST(ShapeOutline, CapsuleTallerThanWideStandsUpright) {
    const Outline o = MakeOutline(ShapeKind::Capsule, 20, 60, 0);
    const Box b = Bounds(o);
    EXPECT_EQ(b.left, 0);
    EXPECT_EQ(b.right, 20);
    EXPECT_EQ(b.top, 0);
    EXPECT_EQ(b.bottom, 60);
    EXPECT_NE(std::find(o.begin(), o.end(), Point{0, 10}), o.end());
    EXPECT_NE(std::find(o.begin(), o.end(), Point{0, 50}), o.end());
    EXPECT_GT(SignedArea2(ToPath(o)), 0.0);
}

TEST(ShapeOutline, DiamondAndRectangleCorners) {
    // The diamond's corners sit on the edge mid-points of the largest square
    // centred in the box.
    const Outline d = MakeOutline(ShapeKind::Diamond, 60, 40, 0);
    EXPECT_EQ(d, (Outline{{30, 0}, {50, 20}, {30, 40}, {10, 20}}));
    const Outline r = MakeOutline(ShapeKind::Rectangle, 60, 40, 1);
    EXPECT_EQ(r, (Outline{{1, 1}, {59, 1}, {59, 39}, {1, 39}}));
    // Unknown kinds are rectangles.
    EXPECT_EQ(ShapeKindFromInt(3), ShapeKind::Capsule);
    EXPECT_EQ(ShapeKindFromInt(9), ShapeKind::Rectangle);
    EXPECT_EQ(ShapeKindFromInt(-1), ShapeKind::Rectangle);
}

TEST(ShapeOutline, CircleIsARegularPolygonInTheCentredSquare) {
    const Outline o = MakeOutline(ShapeKind::Circle, 100, 60, 0, 12);
    ASSERT_EQ(o.size(), 12u);
    EXPECT_EQ(o.front(), (Point{50, 0})) << "first vertex at the top";
    for (const Point& p : o) EXPECT_NEAR(std::hypot(p.x - 50.0, p.y - 30.0), 30.0, 0.75);
    // Derived counts: edges of about two pixels, a multiple of four, bounded.
    EXPECT_EQ(VertexCountForRadius(13.0) % 4, 0);
    EXPECT_GE(VertexCountForRadius(13.0), 40);
    EXPECT_EQ(VertexCountForRadius(0.0), 8);
    EXPECT_EQ(VertexCountForRadius(std::numeric_limits<double>::quiet_NaN()), 8);
    EXPECT_EQ(VertexCountForRadius(1e12), 720);
    EXPECT_LE(MakeOutline(ShapeKind::Circle, 400, 400, 0, 1 << 30).size(), 720u);
    EXPECT_EQ(MakeOutline(ShapeKind::Circle, 400, 400, 0, -5).size(),
              size_t(VertexCountForRadius(200.0)));
}

TEST(ShapeOutline, InsetOutlinesNestInsideEachOther) {
    for (ShapeKind kind :
         {ShapeKind::Rectangle, ShapeKind::Diamond, ShapeKind::Circle, ShapeKind::Capsule}) {
        const OutlineSet set = MakeOutlineSet(kind, 90, 30);
        const Box outer = Bounds(set[0]);
        for (size_t i = 1; i < set.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "kind " << int(kind) << " ring " << i);
            ASSERT_GE(set[i].size(), 3u);
            EXPECT_FALSE(HasRepeats(set[i]));
            const Box inner = Bounds(set[i]);
            const int inset = kInsets[i];
            // Diamond edges move in along their slanted normals.
            const int slack = kind == ShapeKind::Diamond ? inset : 1;
            EXPECT_NEAR(inner.top - outer.top, inset, slack);
            EXPECT_NEAR(outer.bottom - inner.bottom, inset, slack);
            for (const Point& p : set[i]) EXPECT_TRUE(InsideConvex(set[i - 1], p.x, p.y, 0.75));
        }
    }
}

TEST(ShapeOutline, DegenerateSizesGiveEmptyOutlinesNotGarbage) {
    for (ShapeKind kind :
         {ShapeKind::Rectangle, ShapeKind::Diamond, ShapeKind::Circle, ShapeKind::Capsule}) {
        EXPECT_TRUE(MakeOutline(kind, 0, 0, 0).empty());
        EXPECT_TRUE(MakeOutline(kind, -10, 20, 0).empty());
        EXPECT_TRUE(MakeOutline(kind, 6, 6, 4).empty()) << "inset swallows the shape";
        const OutlineF nan = OutlinePath(kind, std::nan(""), 10, 0);
        EXPECT_TRUE(nan.empty());
        // A tiny button still gets a closed outline with finite points.
        for (const PointF& p : OutlinePath(kind, 2, 2, 0)) {
            EXPECT_TRUE(std::isfinite(p.x));
            EXPECT_TRUE(std::isfinite(p.y));
        }
    }
}

TEST(ShapeOutline, InsetOfACallerOutlineInEitherWinding) {
    const Outline clockwise{{0, 0}, {40, 0}, {40, 20}, {0, 20}};
    EXPECT_EQ(InsetOutline(clockwise, 2), (Outline{{2, 2}, {38, 2}, {38, 18}, {2, 18}}));
    Outline counter(clockwise.rbegin(), clockwise.rend());
    const Outline in = InsetOutline(counter, 2);
    EXPECT_EQ(in, (Outline{{2, 18}, {38, 18}, {38, 2}, {2, 2}}));
    EXPECT_LT(SignedArea2(ToPath(in)), 0.0) << "winding kept";
    // A repeated point does not break the corner directions.
    EXPECT_EQ(InsetOutline({{0, 0}, {40, 0}, {40, 0}, {40, 20}, {0, 20}}, 1),
              (Outline{{1, 1}, {39, 1}, {39, 19}, {1, 19}}));
    // Too few points, no area, or an inset wider than the shape: nothing.
    EXPECT_TRUE(InsetOutline({{0, 0}, {10, 0}}, 1).empty());
    EXPECT_TRUE(InsetOutline({{0, 0}, {10, 0}, {20, 0}}, 1).empty());
    EXPECT_TRUE(InsetOutline(clockwise, 15).empty());
    // The derived set starts with the outline itself.
    const OutlineSet set = OutlineSetFrom(clockwise);
    EXPECT_EQ(set[0], clockwise);
    EXPECT_EQ(set[3], (Outline{{4, 4}, {36, 4}, {36, 16}, {4, 16}}));
}

TEST(ShapeOutline, EdgesFacingUpLeftAreLitAndTheOthersShaded) {
    // Edges of a clockwise square: top, right, bottom, left.
    EXPECT_GT(UpLeftFacing({0, 0}, {10, 0}), 0.5);
    EXPECT_LT(UpLeftFacing({10, 0}, {10, 10}), -0.5);
    EXPECT_LT(UpLeftFacing({10, 10}, {0, 10}), -0.5);
    EXPECT_GT(UpLeftFacing({0, 10}, {0, 0}), 0.5);
    // A diamond's upper-left edge faces the light squarely, its upper-right
    // edge not at all.
    EXPECT_NEAR(UpLeftFacing({0, 10}, {10, 0}), 1.0, 1e-9);
    EXPECT_NEAR(UpLeftFacing({10, 0}, {20, 10}), 0.0, 1e-9);
    EXPECT_EQ(UpLeftFacing({3, 3}, {3, 3}), 0.0);
}

}  // namespace
}  // namespace qm::shape
