#include "geometry/DiagramUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr int32_t IntMax = std::numeric_limits<int32_t>::max();
constexpr int32_t IntMin = std::numeric_limits<int32_t>::min();

// Twice the signed area; positive for a polygon that runs clockwise on screen (y down).
double SignedArea2(const TDotArray& p) {
  double sum = 0;
  for (size_t i = 0; i + 1 < p.size(); ++i) sum += p[i].X * p[i + 1].Y - p[i + 1].X * p[i].Y;
  return sum;
}

// --- Conversions ---

TEST(DiagramUtils, SquareToRectRoundsEachSideHalfToEven) {
  EXPECT_EQ(SquareToRect(Square(0.5, 1.5, 2.5, -0.5)), (TRect{0, 2, 2, 0}));
  EXPECT_EQ(SquareToRect(Square(0.49, 1.51, -2.5, -3.5)), (TRect{0, 2, -2, -4}));
}

// Rounding is the library's rint (ties to even) saturated to the int range, for every kind
// of value: ties, values just off a tie, large and tiny magnitudes, the range's edges.
TEST(DiagramUtils, RoundIsRintSaturated) {
  const auto expected = [](double v) {
    if (std::isnan(v)) return 0;
    const double r = std::rint(v);
    if (r >= IntMax) return IntMax;
    if (r <= IntMin) return IntMin;
    return static_cast<int32_t>(r);
  };
  std::vector<double> values = {0.0, -0.0, 0.5, -0.5, 1.5, -1.5, 2.5, -2.5, 0.49999999999999994, -0.49999999999999994,
                                4503599627370495.5, 2147483646.5, 2147483647.0, 2147483647.5, -2147483647.5,
                                -2147483648.0, -2147483648.5, 2147483648.0, 1e300, -1e300, Inf, -Inf, NaN,
                                std::numeric_limits<double>::denorm_min(), 1e-300};
  std::mt19937_64 random(7);
  for (int i = 0; i < 100000; ++i) {
    const double magnitude = std::ldexp(1.0, static_cast<int>(random() % 40) - 4);
    const double v = (static_cast<double>(random() % 2000001) / 1000000.0 - 1.0) * magnitude;
    values.push_back(v);
    values.push_back(std::nearbyint(v) + 0.5);  // a tie
    values.push_back(std::nextafter(std::nearbyint(v) + 0.5, 0.0));
  }
  for (const double v : values) ASSERT_EQ(Round(v), expected(v)) << std::hexfloat << v;
}

TEST(DiagramUtils, SquareToRectSaturatesHugeAndNaN) {
  EXPECT_EQ(SquareToRect(Square(NaN, 1e300, -1e300, Inf)), (TRect{0, IntMax, IntMin, IntMax}));
}

TEST(DiagramUtils, RectAndPointConversionsRoundTrip) {
  const TRect r{-3, 4, 10, 20};
  EXPECT_EQ(SquareToRect(RectToSquare(r)), r);
  EXPECT_EQ(RectToSquare(r), Square(-3, 4, 10, 20));
  EXPECT_EQ(DotToPoint(Dot(2.5, 3.5)), (TPoint{2, 4}));
  EXPECT_EQ(DotToPoint(Dot(-2.6, NaN)), (TPoint{-3, 0}));
  const TPointArray points{{1, 2}, {-3, 4}};
  EXPECT_EQ(DotsToPoints(PointsToDots(points)), points);
  EXPECT_EQ(DotsToPoints({Dot(0.5, 1.5), Dot(9.7, -9.7)}), (TPointArray{{0, 2}, {10, -10}}));
}

TEST(DiagramUtils, DotsOfAndJoinDotsKeepOrder) {
  const TDotArray a = DotsOf({Dot(1, 2), Dot(3, 4)});
  const TDotArray b = DotsOf({Dot(5, 6)});
  EXPECT_EQ(a, (TDotArray{{1, 2}, {3, 4}}));
  EXPECT_EQ(JoinDots(a, b), (TDotArray{{1, 2}, {3, 4}, {5, 6}}));
  EXPECT_EQ(JoinDots(b, a), (TDotArray{{5, 6}, {1, 2}, {3, 4}}));
  EXPECT_EQ(JoinDots({}, {}), TDotArray{});
}

// --- Arithmetic ---

TEST(DiagramUtils, DotArithmetic) {
  EXPECT_EQ(AddDots(Dot(1, 2), Dot(10, 20)), Dot(11, 22));
  EXPECT_EQ(SubDots(Dot(1, 2), Dot(10, 20)), Dot(-9, -18));
  EXPECT_EQ(ScaleDot(Dot(1.5, -2), 4), Dot(6, -8));
  EXPECT_EQ(MidDot(Dot(0, 10), Dot(5, -10)), Dot(2.5, 0));
  EXPECT_EQ(SubPoints(TPoint{5, 3}, TPoint{2, 7}), (TPoint{3, -4}));
}

TEST(DiagramUtils, SubPointsSaturatesInsteadOfOverflowing) {
  EXPECT_EQ(SubPoints(TPoint{IntMin, IntMax}, TPoint{1, -1}), (TPoint{IntMin, IntMax}));
  EXPECT_EQ(SubPoints(TPoint{IntMax, IntMin}, TPoint{IntMin, IntMax}), (TPoint{IntMax, IntMin}));
}

TEST(DiagramUtils, OffsetSquareOverloadsAgree) {
  const TSquare s = Square(1, 2, 3, 4);
  const TSquare expected = Square(11, -18, 13, -16);
  EXPECT_EQ(OffsetSquare(s, 10, -20), expected);
  EXPECT_EQ(OffsetSquare(s, Dot(10, -20)), expected);
  EXPECT_EQ(OffsetSquare(s, TPoint{10, -20}), expected);
}

TEST(DiagramUtils, SquareFromDotsNormalises) {
  EXPECT_EQ(SquareFromDots(Dot(10, 2), Dot(-5, 8)), Square(-5, 2, 10, 8));
  EXPECT_EQ(SquareFromDots(Dot(1, 9), Dot(4, 3)), Square(1, 3, 4, 9));
}

// --- Tests ---

TEST(DiagramUtils, EqualityAndZeroAndNullTests) {
  EXPECT_TRUE(SameDot(Dot(1, 2), Dot(1, 2)));
  EXPECT_FALSE(SameDot(Dot(1, 2), Dot(1, 2.0000001)));
  EXPECT_TRUE(SameSquare(Square(1, 2, 3, 4), Square(1, 2, 3, 4)));
  EXPECT_FALSE(SameSquare(Square(1, 2, 3, 4), Square(1, 2, 3, 5)));
  EXPECT_TRUE(IsZeroRect(TRect{}));
  EXPECT_FALSE(IsZeroRect(TRect{0, 0, 0, 1}));
  EXPECT_TRUE(IsZeroSquare(TSquare{}));
  EXPECT_FALSE(IsZeroSquare(Square(0, 0, 1e-300, 0)));
  EXPECT_TRUE(IsZeroDot(Dot(0, -0.0)));
  EXPECT_FALSE(IsZeroDot(Dot(0, 1)));
  EXPECT_TRUE(IsNullDot(Dot(100000, 100000)));
  EXPECT_FALSE(IsNullDot(Dot(100000, 99999.999)));
  EXPECT_TRUE(IsNullDot(TPoint{100000, 100000}));
  EXPECT_FALSE(IsNullDot(TPoint{100000, 0}));
}

struct OverlapCase {
  TSquare B;
  bool Overlaps;
};

class SquaresOverlapTest : public ::testing::TestWithParam<OverlapCase> {};

TEST_P(SquaresOverlapTest, AgainstTenByTen) {
  const TSquare a = Square(0, 0, 10, 10);
  EXPECT_EQ(SquaresOverlap(a, GetParam().B), GetParam().Overlaps);
}

INSTANTIATE_TEST_SUITE_P(Cases, SquaresOverlapTest,
                         ::testing::Values(OverlapCase{Square(2, 2, 5, 5), true},      // inside
                                           OverlapCase{Square(-5, -5, 20, 20), true},  // around
                                           OverlapCase{Square(10, 0, 20, 10), true},   // touches right
                                           OverlapCase{Square(-10, 10, 0, 20), true},  // touches corner
                                           OverlapCase{Square(10.01, 0, 20, 10), false},
                                           OverlapCase{Square(-5, 0, -0.01, 10), false},
                                           OverlapCase{Square(0, -5, 10, -0.01), false},
                                           OverlapCase{Square(0, 10.01, 10, 20), false}));

TEST(DiagramUtils, DotInSquareExcludesRightAndBottomEdges) {
  const TSquare s = Square(0, 0, 10, 10);
  EXPECT_TRUE(DotInSquare(s, Dot(0, 0), 0));
  EXPECT_FALSE(DotInSquare(s, Dot(10, 5), 0));
  EXPECT_FALSE(DotInSquare(s, Dot(5, 10), 0));
  EXPECT_TRUE(DotInSquare(s, Dot(9.999, 9.999), 0));
  EXPECT_TRUE(DotInSquare(s, Dot(-2, 11.9), 2));
  EXPECT_FALSE(DotInSquare(s, Dot(-2.01, 5), 2));
  EXPECT_FALSE(DotInSquare(s, Dot(5, 12), 2));
  EXPECT_FALSE(DotInSquare(s, Dot(NaN, 5), 2));
}

TEST(DiagramUtils, NearPointIsInclusiveOnBothAxes) {
  EXPECT_TRUE(NearPoint(TPoint{0, 0}, TPoint{3, -3}, 3));
  EXPECT_FALSE(NearPoint(TPoint{0, 0}, TPoint{3, -4}, 3));
  EXPECT_FALSE(NearPoint(TPoint{IntMin, 0}, TPoint{IntMax, 0}, 1));
  EXPECT_TRUE(NearPoint(Dot(0, 0), Dot(2.5, -2.5), 2.5));
  EXPECT_FALSE(NearPoint(Dot(0, 0), Dot(2.5, -2.51), 2.5));
  EXPECT_FALSE(NearPoint(Dot(NaN, 0), Dot(0, 0), 100));
}

TEST(DiagramUtils, NearAxisSegmentsAcceptEitherOrder) {
  EXPECT_TRUE(NearVertSegment(Dot(12, 0), 2, 10, 20, 2));
  EXPECT_TRUE(NearVertSegment(Dot(8, 22), 2, 10, 20, 2));
  EXPECT_FALSE(NearVertSegment(Dot(12.5, 10), 2, 10, 20, 2));
  EXPECT_FALSE(NearVertSegment(Dot(10, 22.5), 2, 10, 2, 20));
  EXPECT_TRUE(NearHorzSegment(Dot(0, 12), 2, 10, 20, 2));
  EXPECT_TRUE(NearHorzSegment(Dot(22, 8), 2, 10, 2, 20));
  EXPECT_FALSE(NearHorzSegment(Dot(10, 12.5), 2, 10, 2, 20));
  EXPECT_FALSE(NearHorzSegment(Dot(-0.5, 10), 2, 10, 20, 2));
}

struct NearSegmentCase {
  const char* Name;
  TDot P;
  double Tol;
  TSquare Segment;  // (X1, Y1, X2, Y2)
  bool Near;
};

class NearSegmentTest : public ::testing::TestWithParam<NearSegmentCase> {};

TEST_P(NearSegmentTest, Decides) {
  const NearSegmentCase& c = GetParam();
  EXPECT_EQ(NearSegment(c.P, c.Tol, c.Segment.Left, c.Segment.Top, c.Segment.Right, c.Segment.Bottom),
            c.Near)
      << c.Name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NearSegmentTest,
    ::testing::Values(
        // Flat: y = x / 2; the line's y is rounded half to even before comparing.
        NearSegmentCase{"flat on line", Dot(4, 2), 0, Square(0, 0, 10, 5), true},
        NearSegmentCase{"flat 1.5 rounds to 2", Dot(3, 2), 0, Square(0, 0, 10, 5), true},
        NearSegmentCase{"flat 2.5 rounds to 2", Dot(5, 2), 0, Square(0, 0, 10, 5), true},
        NearSegmentCase{"flat 2.5 is not 3", Dot(5, 3), 0, Square(0, 0, 10, 5), false},
        NearSegmentCase{"flat within tol", Dot(6, 5), 2, Square(0, 0, 10, 5), true},
        NearSegmentCase{"flat beyond tol", Dot(6, 5.5), 2, Square(0, 0, 10, 5), false},
        NearSegmentCase{"flat beyond end", Dot(10.5, 5), 2, Square(0, 0, 10, 5), false},
        NearSegmentCase{"flat reversed", Dot(6, 3), 0, Square(10, 5, 0, 0), true},
        // Steep: x = y / 2, measured horizontally.
        NearSegmentCase{"steep on line", Dot(2, 4), 0, Square(0, 0, 5, 10), true},
        NearSegmentCase{"steep 2.5 rounds to 2", Dot(2, 5), 0, Square(0, 0, 5, 10), true},
        NearSegmentCase{"steep off by one", Dot(3, 5), 0, Square(0, 0, 5, 10), false},
        NearSegmentCase{"steep beyond end", Dot(5, 10.5), 5, Square(0, 0, 5, 10), false},
        NearSegmentCase{"vertical", Dot(1, 5), 1, Square(0, 0, 0, 10), true},
        NearSegmentCase{"horizontal", Dot(5, -1), 1, Square(0, 0, 10, 0), true},
        // 45 degrees uses the x-based test: the x range decides, y may overshoot by Tol.
        NearSegmentCase{"45 y overshoot", Dot(10, 11), 1, Square(0, 0, 10, 10), true},
        NearSegmentCase{"45 x overshoot", Dot(11, 10), 1, Square(0, 0, 10, 10), false},
        NearSegmentCase{"45 off", Dot(5, 7), 1, Square(0, 0, 10, 10), false},
        // Degenerate.
        NearSegmentCase{"zero length", Dot(3, 3), 5, Square(3, 3, 3, 3), false},
        NearSegmentCase{"NaN segment", Dot(3, 3), 5, Square(0, 0, NaN, 3), false},
        NearSegmentCase{"infinite segment", Dot(3, 3), 5, Square(0, 0, Inf, 3), false},
        NearSegmentCase{"NaN point", Dot(NaN, 3), 5, Square(0, 0, 10, 3), false}));

// --- Lines ---

TEST(DiagramUtils, DistanceAndSignedLineDistance) {
  EXPECT_DOUBLE_EQ(Distance(Dot(1, 1), Dot(4, 5)), 5);
  // Positive below a left-to-right line (clockwise side on screen), negative above.
  EXPECT_DOUBLE_EQ(LineDistance(Dot(5, 3), Dot(0, 0), Dot(10, 0)), 3);
  EXPECT_DOUBLE_EQ(LineDistance(Dot(5, -3), Dot(0, 0), Dot(10, 0)), -3);
  EXPECT_DOUBLE_EQ(LineDistance(Dot(5, -3), Dot(10, 0), Dot(0, 0)), 3);
  EXPECT_DOUBLE_EQ(LineDistance(Dot(0, 10), Dot(0, 0), Dot(10, 10)), 10 / std::sqrt(2.0));
  EXPECT_EQ(LineDistance(Dot(7, 7), Dot(1, 1), Dot(1, 1)), 0);
}

TEST(DiagramUtils, PerpendicularOffsetMovesAlongTheNormal) {
  // A quarter-chord bulge of the chord (50, 50)-(100, 100) from its midpoint.
  const TDot a = Dot(50, 50), b = Dot(100, 100);
  const TDot bulge = PerpendicularOffset(a, b, MidDot(a, b), Distance(a, b) / 4);
  EXPECT_NEAR(bulge.X, 87.5, 1e-12);
  EXPECT_NEAR(bulge.Y, 62.5, 1e-12);
  // Left to right, a positive offset lies above.
  EXPECT_EQ(PerpendicularOffset(Dot(0, 0), Dot(10, 0), Dot(5, 0), 3), Dot(5, -3));
  EXPECT_EQ(PerpendicularOffset(Dot(2, 3), Dot(2, 3), Dot(40, 40), 3), Dot(2, 3));
}

TEST(DiagramUtils, LineDistanceOfAPerpendicularOffsetIsItsNegation) {
  const TDot a = Dot(-3, 7), b = Dot(20, 11), base = Dot(8.5, 9);
  for (double d : {-12.0, -0.5, 0.0, 4.0, 30.0})
    EXPECT_NEAR(LineDistance(PerpendicularOffset(a, b, base, d), a, b), -d, 1e-12) << d;
}

TEST(DiagramUtils, ArrowBaseCornersSitBesideTheShaft) {
  const TArrowCorners flat = ArrowBaseCorners(Dot(10, 0), Dot(0, 0), 4, 3);
  EXPECT_EQ(flat.Corner1, Dot(7, 2));
  EXPECT_EQ(flat.Corner2, Dot(7, -2));

  const TDot tip = Dot(13, 14), base = Dot(1, -2);  // length 20
  const TArrowCorners slanted = ArrowBaseCorners(tip, base, 6, 5);
  const TDot axis = MidDot(slanted.Corner1, slanted.Corner2);
  EXPECT_NEAR(Distance(axis, tip), 5, 1e-12);
  EXPECT_NEAR(LineDistance(axis, base, tip), 0, 1e-12);
  EXPECT_NEAR(std::abs(LineDistance(slanted.Corner1, base, tip)), 3, 1e-12);
  EXPECT_NEAR(LineDistance(slanted.Corner1, base, tip), -LineDistance(slanted.Corner2, base, tip), 1e-12);
}

TEST(DiagramUtils, ArrowBaseCornersOfAZeroLengthShaftAreTheTip) {
  const TArrowCorners c = ArrowBaseCorners(Dot(4, 5), Dot(4, 5), 10, 10);
  EXPECT_EQ(c.Corner1, Dot(4, 5));
  EXPECT_EQ(c.Corner2, Dot(4, 5));
}

struct FitRatioCase {
  const char* Name;
  TSquare R;
  TSquare Ref;
  TSquare Expected;
};

class FitRatioTest : public ::testing::TestWithParam<FitRatioCase> {};

TEST_P(FitRatioTest, Adjusts) {
  TSquare r = GetParam().R;
  FitRatio(r, GetParam().Ref);
  EXPECT_EQ(r, GetParam().Expected) << GetParam().Name;
}

// Ref is 2:1 (100 x 50).
INSTANTIATE_TEST_SUITE_P(
    Cases, FitRatioTest,
    ::testing::Values(
        FitRatioCase{"high, bottom dragged", Square(0, 0, 40, 60), Square(0, 0, 100, 50), Square(0, 0, 40, 20)},
        FitRatioCase{"high, top dragged", Square(0, -10, 40, 50), Square(0, 0, 100, 50), Square(0, 30, 40, 50)},
        FitRatioCase{"wide, right dragged", Square(0, 0, 80, 30), Square(0, 0, 100, 50), Square(0, 0, 60, 30)},
        FitRatioCase{"wide, left dragged", Square(-20, 0, 100, 30), Square(0, 0, 100, 50), Square(40, 0, 100, 30)},
        FitRatioCase{"square counts as wide", Square(0, 0, 30, 30), Square(0, 0, 100, 50), Square(0, 0, 60, 30)},
        FitRatioCase{"zero-width ref", Square(0, 0, 40, 60), Square(5, 0, 5, 50), Square(0, 0, 40, 60)},
        FitRatioCase{"zero-height ref", Square(0, 0, 80, 30), Square(0, 7, 100, 7), Square(0, 0, 80, 30)},
        FitRatioCase{"NaN ref", Square(0, 0, 80, 30), Square(0, 0, NaN, 50), Square(0, 0, 80, 30)},
        FitRatioCase{"infinite ref", Square(0, 0, 80, 30), Square(0, 0, 100, Inf), Square(0, 0, 80, 30)}));

// --- Outlines ---

TEST(DiagramUtils, EllipsePointsOfADegenerateBoxAreItsCorners) {
  EXPECT_EQ(EllipsePoints(5, 0, 4, 10, 0, 360, true), (TDotArray{{5, 0}, {4, 10}}));
  EXPECT_EQ(EllipsePoints(0, 7, 10, 6, 0, 90, false), (TDotArray{{0, 7}, {10, 6}}));
}

TEST(DiagramUtils, EllipsePointsOfNonFiniteBoxesAreTheTwoCorners) {
  for (const TSquare& box : {Square(NaN, 0, 10, 10), Square(0, 0, 10, NaN), Square(0, 0, Inf, 10),
                             Square(-1e308, 0, 1e308, 10), Square(1e308, 0, 1e308, 10)}) {
    const TDotArray points = EllipsePoints(box.Left, box.Top, box.Right, box.Bottom, 0, 360, true);
    ASSERT_EQ(points.size(), 2u);
  }
}

TEST(DiagramUtils, FullEllipseHasOnePointPerPixelOfPerimeterAndRepeatsItsFirst) {
  // Box 0..99: radius 50, perimeter 314.16 -> 314 steps, k = 0..314, plus the repeated first.
  const TDotArray points = EllipsePoints(0, 0, 99, 99, 0, 360, true);
  ASSERT_EQ(points.size(), 316u);
  EXPECT_EQ(points[0], points[1]);
  EXPECT_EQ(points[0], Dot(49.5 + 50, 49.5));
  EXPECT_NEAR(points.back().X, points.front().X, 1e-9);
  EXPECT_NEAR(points.back().Y, points.front().Y, 1e-9);
  for (const TDot& p : points) EXPECT_NEAR(Distance(p, Dot(49.5, 49.5)), 50, 1e-9);
}

TEST(DiagramUtils, EllipseArcRunsClockwiseOnScreenForward) {
  // 0..90 degrees: k = 0..Round(78.54) = 79, plus the repeated first; all in the lower half.
  const TDotArray forward = EllipsePoints(0, 0, 99, 99, 0, 90, true);
  ASSERT_EQ(forward.size(), 81u);
  for (const TDot& p : forward) EXPECT_GE(p.Y, 49.5);
  EXPECT_GT(forward.back().X, 49.5 - 1);
  EXPECT_LT(forward.back().X, 49.5 + 1);
  const TDotArray backward = EllipsePoints(0, 0, 99, 99, 0, 90, false);
  ASSERT_EQ(backward.size(), forward.size());
  EXPECT_EQ(backward[0], backward[1]);
  for (size_t i = 1; i < forward.size(); ++i) EXPECT_EQ(backward[i], forward[forward.size() - i]);
}

TEST(DiagramUtils, EllipsePointsOfAReversedRangeHoldOnlyTheLeadPoint) {
  EXPECT_EQ(EllipsePoints(0, 0, 99, 99, 90, 0, true).size(), 1u);
  EXPECT_EQ(EllipsePoints(0, 0, 99, 99, 90, 0, false).size(), 1u);
}

TEST(DiagramUtils, EllipsePointsOfATinyBoxAreFinite) {
  // Radius 0.025: the perimeter rounds to 0 steps; at least one step is taken instead.
  const TDotArray points = EllipsePoints(0, 0, -0.95, -0.95, 0, 360, true);
  ASSERT_FALSE(points.empty());
  for (const TDot& p : points) EXPECT_TRUE(IsFinite(p));
}

TEST(DiagramUtils, EllipsePointsOfHugeBoxesOrAnglesAreBounded) {
  const TDotArray huge = EllipsePoints(0, 0, 1e12, 1e12, 0, 360, true);
  EXPECT_LE(huge.size(), size_t(MaxOutlinePoints) + 2);
  EXPECT_GT(huge.size(), 1000u);
  for (const TDot& p : huge) ASSERT_TRUE(IsFinite(p));
  EXPECT_LE(EllipsePoints(0, 0, 99, 99, -1e300, 1e300, true).size(), size_t(MaxOutlinePoints) + 2);
  EXPECT_LE(EllipsePoints(0, 0, 99, 99, -1e300, 1e300, false).size(), size_t(MaxOutlinePoints) + 2);
  EXPECT_EQ(EllipsePoints(0, 0, 99, 99, NaN, NaN, true).size(), 2u);
}

TEST(DiagramUtils, RoundRectPointsAreClosedAndClockwise) {
  const TDotArray points = RoundRectPoints(10, 20, 110, 80, 30, 20);
  ASSERT_GT(points.size(), 8u);
  EXPECT_EQ(points.front(), points.back());
  EXPECT_GT(SignedArea2(points), 0);
  for (const TDot& p : points) {
    EXPECT_GE(p.X, 10 - 1);
    EXPECT_LE(p.X, 110 + 1);
    EXPECT_GE(p.Y, 20 - 1);
    EXPECT_LE(p.Y, 80 + 1);
  }
}

TEST(DiagramUtils, RoundRectPointsVisitTheCornersInClockwiseOrder) {
  const TDotArray points = RoundRectPoints(0, 0, 200, 100, 40, 40);
  // The four arcs follow each other: top-left, top-right, bottom-right, bottom-left.
  const TDotArray tl = EllipsePoints(0, 0, 39, 39, 181, 269, true);
  const TDotArray tr = EllipsePoints(200, 0, 159, 39, 269, 359, true);
  const TDotArray br = EllipsePoints(200, 100, 159, 59, 1, 89, true);
  const TDotArray bl = EllipsePoints(0, 100, 39, 59, 91, 179, true);
  TDotArray expected = JoinDots(JoinDots(tl, tr), JoinDots(br, bl));
  expected.push_back(expected.front());
  EXPECT_EQ(points, expected);
  EXPECT_LT(tl.front().X, 20);
  EXPECT_LT(tl.front().Y, 20);
  EXPECT_GT(tr.front().X, 100);
  EXPECT_LT(tr.front().Y, 20);
  EXPECT_GT(br.front().X, 100);
  EXPECT_GT(br.front().Y, 50);
  EXPECT_LT(bl.front().X, 20);
  EXPECT_GT(bl.front().Y, 50);
}

}  // namespace
