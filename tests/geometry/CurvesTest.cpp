#include "geometry/Curves.h"
#include "geometry/DiagramUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

double MinDistanceToPolyline(const TDot& p, const TDotArray& line) {
  double best = std::numeric_limits<double>::infinity();
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    const TDot a = line[i], b = line[i + 1];
    const double len2 = (b.X - a.X) * (b.X - a.X) + (b.Y - a.Y) * (b.Y - a.Y);
    double t = len2 == 0 ? 0 : ((p.X - a.X) * (b.X - a.X) + (p.Y - a.Y) * (b.Y - a.Y)) / len2;
    t = std::clamp(t, 0.0, 1.0);
    best = std::min(best, Distance(p, Dot(a.X + t * (b.X - a.X), a.Y + t * (b.Y - a.Y))));
  }
  return best;
}

struct AngleCase {
  TDot P;
  double Angle;
};

class PointAngleTest : public ::testing::TestWithParam<AngleCase> {};

TEST_P(PointAngleTest, MeasuresWithYUp) {
  EXPECT_NEAR(PointAngle(Dot(10, 20), GetParam().P), GetParam().Angle, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Cases, PointAngleTest,
                         ::testing::Values(AngleCase{Dot(15, 20), 0},            // right
                                           AngleCase{Dot(15, 15), Pi / 4},       // up right
                                           AngleCase{Dot(10, 15), Pi / 2},       // above
                                           AngleCase{Dot(5, 15), 3 * Pi / 4},    // up left
                                           AngleCase{Dot(5, 20), Pi},            // left
                                           AngleCase{Dot(5, 25), 5 * Pi / 4},    // down left
                                           AngleCase{Dot(10, 25), 3 * Pi / 2},   // below
                                           AngleCase{Dot(15, 25), 7 * Pi / 4},   // down right
                                           AngleCase{Dot(10, 20), 0}));          // centre itself

TEST(Curves, PointAngleIsNeverNegative) {
  EXPECT_FALSE(std::signbit(PointAngle(Dot(0, 0), Dot(5, 0))));
  EXPECT_FALSE(std::signbit(PointAngle(Dot(0, 0), Dot(5, -0.0))));
  EXPECT_GE(PointAngle(Dot(0, 0), Dot(5, 1e-300)), 0);
}

TEST(Curves, RotateAboutTurnsTheWayPointAngleMeasures) {
  EXPECT_NEAR(RotateAbout(Dot(11, 5), Dot(1, 5), Pi / 2).X, 1, 1e-12);
  EXPECT_NEAR(RotateAbout(Dot(11, 5), Dot(1, 5), Pi / 2).Y, -5, 1e-12);  // above on screen
  const TDot c = Dot(3, -4), p = Dot(10, 2);
  for (double a : {0.3, 1.0, 2.5, 4.0}) {
    const TDot q = RotateAbout(p, c, a);
    EXPECT_NEAR(Distance(q, c), Distance(p, c), 1e-12);
    EXPECT_NEAR(std::fmod(PointAngle(c, q) - PointAngle(c, p) + 4 * Pi, 2 * Pi), a, 1e-12) << a;
  }
}

TEST(Curves, CollinearUsesTheTriangleArea) {
  EXPECT_TRUE(Collinear(Dot(0, 0), Dot(5, 5), Dot(10, 10)));
  EXPECT_TRUE(Collinear(Dot(0, 0), Dot(1, 0), Dot(0, 1e-10)));     // area 5e-11
  EXPECT_FALSE(Collinear(Dot(0, 0), Dot(1, 0), Dot(0, 3e-10)));    // area 1.5e-10
  EXPECT_TRUE(Collinear(Dot(4, 4), Dot(4, 4), Dot(9, 1)));
}

TEST(Curves, Solve2AndSolve3FindTheUniqueSolution) {
  const auto x2 = Solve2({{{2, 1}, {1, -3}}}, {5, -8});
  ASSERT_TRUE(x2);
  EXPECT_NEAR((*x2)[0], 1, 1e-12);
  EXPECT_NEAR((*x2)[1], 3, 1e-12);
  const auto x3 = Solve3({{{1, 1, 1}, {0, 2, 5}, {2, 5, -1}}}, {6, -4, 27});
  ASSERT_TRUE(x3);
  EXPECT_NEAR((*x3)[0], 5, 1e-12);
  EXPECT_NEAR((*x3)[1], 3, 1e-12);
  EXPECT_NEAR((*x3)[2], -2, 1e-12);
}

TEST(Curves, SolversRejectSingularAndNonFiniteSystems) {
  EXPECT_FALSE(Solve2({{{1, 2}, {2, 4}}}, {1, 2}));
  EXPECT_FALSE(Solve2({{{1, NaN}, {0, 1}}}, {1, 2}));
  EXPECT_FALSE(Solve2({{{1, 0}, {0, 1}}}, {NaN, 2}));
  EXPECT_FALSE(Solve3({{{1, 2, 3}, {2, 4, 6}, {0, 1, 1}}}, {1, 2, 3}));
  EXPECT_FALSE(Solve3({{{1e-300, 0, 0}, {0, 1e-300, 0}, {0, 0, 1e-300}}}, {1, 1, 1}));
  EXPECT_FALSE(Solve3({{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}, {1, 1, std::numeric_limits<double>::infinity()}));
}

TEST(Curves, RelocatePointCarriesTheSegmentAndKeepsTheShape) {
  const TDot a = Dot(0, 0), b = Dot(1, 0), a2 = Dot(10, 10), b2 = Dot(10, 12);
  EXPECT_EQ(RelocatePoint(a, a, b, a2, b2), a2);
  const TDot movedB = RelocatePoint(b, a, b, a2, b2);
  EXPECT_NEAR(movedB.X, b2.X, 1e-12);
  EXPECT_NEAR(movedB.Y, b2.Y, 1e-12);
  // Quarter turn clockwise on screen and scale 2: (0, 1) goes to (-2, 0) from A2.
  const TDot p = RelocatePoint(Dot(0, 1), a, b, a2, b2);
  EXPECT_NEAR(p.X, 8, 1e-12);
  EXPECT_NEAR(p.Y, 10, 1e-12);
}

TEST(Curves, RelocatePointAroundAZeroLengthSegment) {
  // Scale 1, turned to the direction of A2->B2 (here a quarter turn clockwise on screen).
  const TDot p = RelocatePoint(Dot(1, 0), Dot(0, 0), Dot(0, 0), Dot(5, 5), Dot(5, 8));
  EXPECT_NEAR(p.X, 5, 1e-12);
  EXPECT_NEAR(p.Y, 6, 1e-12);
  // Both segments without length: a plain translation.
  EXPECT_EQ(RelocatePoint(Dot(1, 2), Dot(0, 0), Dot(0, 0), Dot(5, 5), Dot(5, 5)), Dot(6, 7));
}

TEST(Curves, CircleArcThroughThreePoints) {
  // Centre (50, 0), radius 50, the lower half on screen: 50 pi = 157 points.
  const TDotArray points = CircleArcPoints(Dot(0, 0), Dot(100, 0), Dot(50, 50));
  ASSERT_EQ(points.size(), 157u);
  EXPECT_NEAR(points.front().X, 0, 1e-9);
  EXPECT_NEAR(points.front().Y, 0, 1e-9);
  EXPECT_NEAR(points.back().X, 100, 1e-9);
  EXPECT_NEAR(points.back().Y, 0, 1e-9);
  for (const TDot& p : points) {
    EXPECT_NEAR(Distance(p, Dot(50, 0)), 50, 1e-9);
    EXPECT_GE(p.Y, -1e-9);
  }
  EXPECT_LT(MinDistanceToPolyline(Dot(50, 50), points), 0.01);
}

TEST(Curves, CircleArcFollowsTheSideOfItsMiddlePoint) {
  const TDotArray upper = CircleArcPoints(Dot(100, 0), Dot(0, 0), Dot(50, -50));
  ASSERT_EQ(upper.size(), 157u);
  EXPECT_NEAR(upper.front().X, 100, 1e-9);
  for (const TDot& p : upper) EXPECT_LE(p.Y, 1e-9);
  // Three quarters: from the left through the bottom and the right to the top.
  const TDotArray major = CircleArcPoints(Dot(0, 0), Dot(50, -50), Dot(50, 50));
  ASSERT_EQ(major.size(), 236u);  // Round(50 * 3 pi / 2)
  EXPECT_LT(MinDistanceToPolyline(Dot(100, 0), major), 0.01);
  EXPECT_GT(MinDistanceToPolyline(Dot(15, -35), major), 5);  // the left upper quarter is left out
}

TEST(Curves, CircleArcOfCollinearOrNonFinitePointsIsTwoSegments) {
  const TDotArray straight{{0, 0}, {5, 5}, {10, 10}};
  EXPECT_EQ(CircleArcPoints(Dot(0, 0), Dot(10, 10), Dot(5, 5)), straight);
  EXPECT_EQ(CircleArcPoints(Dot(0, 0), Dot(0, 0), Dot(3, 3)).size(), 3u);
  EXPECT_EQ(CircleArcPoints(Dot(0, 0), Dot(10, 10), Dot(NaN, 5)).size(), 3u);
}

TEST(Curves, ShortCircleArcsDoNotDivideByZero) {
  // r pi = 0.31 rounds to no points; r pi = 0.94 to one point, the start.
  EXPECT_TRUE(CircleArcPoints(Dot(0, 0), Dot(0.2, 0), Dot(0.1, 0.1)).empty());
  const TDotArray one = CircleArcPoints(Dot(0, 0), Dot(0.6, 0), Dot(0.3, 0.3));
  ASSERT_EQ(one.size(), 1u);
  EXPECT_NEAR(one[0].X, 0, 1e-12);
  EXPECT_NEAR(one[0].Y, 0, 1e-12);
}

TEST(Curves, HugeCircleArcsAreBounded) {
  const TDotArray points = CircleArcPoints(Dot(0, 0), Dot(1e9, 0), Dot(5e8, 5e8));
  EXPECT_EQ(points.size(), size_t(MaxOutlinePoints));
  for (const TDot& p : points) ASSERT_TRUE(IsFinite(p));
}

TEST(Curves, ParabolaOfANewArcBulgesThroughItsMiddleHandle) {
  const TDot h0 = Dot(50, 50), h1 = Dot(87.5, 62.5), h2 = Dot(100, 100);
  const TDotArray points = ParabolaPoints(h0, h1, h2);
  ASSERT_EQ(points.size(), 100u);
  EXPECT_NEAR(points.front().X, h0.X, 1e-9);
  EXPECT_NEAR(points.front().Y, h0.Y, 1e-9);
  EXPECT_NEAR(points.back().X, h2.X, 1e-9);
  EXPECT_NEAR(points.back().Y, h2.Y, 1e-9);
  EXPECT_LT(MinDistanceToPolyline(h1, points), 0.01);
  // Symmetric about the chord's perpendicular bisector, on the middle handle's side.
  for (size_t i = 1; i + 1 < points.size(); ++i) {
    EXPECT_LT(LineDistance(points[i], h0, h2), 0);
    const TDot mirror = points[points.size() - 1 - i];
    EXPECT_NEAR(LineDistance(points[i], h0, h2), LineDistance(mirror, h0, h2), 1e-9);
  }
}

TEST(Curves, ParabolaThroughAnOffCentreHandle) {
  const TDot h0 = Dot(0, 0), h1 = Dot(20, -30), h2 = Dot(100, 10);
  const TDotArray points = ParabolaPoints(h0, h1, h2);
  ASSERT_EQ(points.size(), 100u);
  EXPECT_LT(MinDistanceToPolyline(h1, points), 0.05);
  EXPECT_NEAR(points.back().X, h2.X, 1e-9);
  EXPECT_NEAR(points.back().Y, h2.Y, 1e-9);
}

TEST(Curves, ParabolaFallsBackToTheHandlesWhenNoneFits) {
  const TDotArray collinear = ParabolaPoints(Dot(0, 0), Dot(5, 5), Dot(10, 10));
  EXPECT_EQ(collinear, (TDotArray{{0, 0}, {5, 5}, {10, 10}}));
  // The middle handle straight above the start: no parabola with a vertical axis fits.
  EXPECT_EQ(ParabolaPoints(Dot(0, 0), Dot(0, -30), Dot(100, 0)).size(), 3u);
  EXPECT_EQ(ParabolaPoints(Dot(0, 0), Dot(NaN, -30), Dot(100, 0)).size(), 3u);
}

TEST(Curves, CurvePointsCountFollowsTheControlPolygon) {
  // |H0H1| + |H1H3| + |H3H2| = 3 + 6 + 3 = 12 -> 12 div 5 = 2 points: the two ends.
  const TDotArray two = CurvePoints(Dot(0, 0), Dot(3, 0), Dot(6, 0), Dot(9, 0));
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two.front(), Dot(0, 0));
  EXPECT_NEAR(two.back().X, 9, 1e-12);
  // 2 + 2.5 + 0.5 = 5 -> one point; under 5 -> none.
  EXPECT_EQ(CurvePoints(Dot(0, 0), Dot(2, 0), Dot(4, 0), Dot(4.5, 0)), (TDotArray{{0, 0}}));
  EXPECT_TRUE(CurvePoints(Dot(0, 0), Dot(1, 0), Dot(2, 0), Dot(2, 0)).empty());
}

TEST(Curves, CurveRunsFromStartToEndAlongItsTangents) {
  const TDot h0 = Dot(0, 0), h1 = Dot(20, -20), h2 = Dot(80, 20), h3 = Dot(100, 0);
  const TDotArray points = CurvePoints(h0, h1, h2, h3);
  // 28.28 + 82.46 + 28.28 = 139.02 -> 139 div 5 = 27 points.
  ASSERT_EQ(points.size(), 27u);
  EXPECT_EQ(points.front(), h0);
  EXPECT_NEAR(points.back().X, h3.X, 1e-9);
  EXPECT_NEAR(points.back().Y, h3.Y, 1e-9);
  // Starts off towards H1 (up and right), ends coming from H2 (from below left).
  EXPECT_GT(points[1].X, 0);
  EXPECT_LT(points[1].Y, 0);
  EXPECT_LT(points[25].X, 100);
  EXPECT_GT(points[25].Y, 0);
  // The middle of this point-symmetric S lies at the chord's centre.
  EXPECT_NEAR(points[13].X, 50, 1e-9);
  EXPECT_NEAR(points[13].Y, 0, 1e-9);
}

TEST(Curves, CurvePointsOfNonFiniteOrHugeHandlesAreBounded) {
  EXPECT_TRUE(CurvePoints(Dot(0, 0), Dot(NaN, 0), Dot(10, 0), Dot(20, 0)).empty());
  const TDotArray huge = CurvePoints(Dot(0, 0), Dot(1e12, 0), Dot(2e12, 0), Dot(3e12, 0));
  EXPECT_EQ(huge.size(), size_t(MaxOutlinePoints));
}

}  // namespace
