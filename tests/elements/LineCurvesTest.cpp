#include "elements/LinesRouting.h"
#include "geometry/Curves.h"
#include "geometry/DiagramUtils.h"

#include "LineTestPrinters.h"

#include <gtest/gtest.h>

namespace {

TRouteInput Request(TDot p1, TDot p2, TRouteKind kind, int dragged = -1, TDot delta = {}) {
  TRouteInput input;
  input.P1 = p1;
  input.P2 = p2;
  input.Kind = kind;
  input.Dragged = dragged;
  input.Delta = delta;
  return input;
}

void ExpectNear(const TDot& actual, const TDot& expected, double tolerance = 1e-9) {
  EXPECT_NEAR(actual.X, expected.X, tolerance);
  EXPECT_NEAR(actual.Y, expected.Y, tolerance);
}

TEST(ArcRouting, NewArcBulgesAQuarterOfItsChord) {
  const TRouteHandles arc = RouteArc({}, Request({50, 50}, {100, 100}, TRouteKind::Create), atParabolic, true);
  ASSERT_EQ(arc.size(), 3u);
  EXPECT_EQ(arc[0].P, (TDot{50, 50}));
  ExpectNear(arc[1].P, {87.5, 62.5});
  EXPECT_EQ(arc[2].P, (TDot{100, 100}));
  EXPECT_EQ(ArcPoints(arc, atParabolic).size(), 100u);
}

TEST(ArcRouting, ParabolicArcKeepsItsBulgeSideAndDistanceOnEveryReroute) {
  TRouteHandles arc = RouteArc({}, Request({0, 0}, {100, 0}, TRouteKind::Create), atParabolic, true);
  ExpectNear(arc[1].P, {50, -25});  // above a left-to-right chord
  const double bulge = LineDistance(arc[1].P, arc[0].P, arc[2].P);
  for (const TDot end : {TDot{100, 30}, TDot{120, -40}, TDot{80, 10}}) {
    arc = RouteArc(arc, Request({0, 0}, end, TRouteKind::Reroute), atParabolic, true);
    EXPECT_NEAR(LineDistance(arc[1].P, arc[0].P, arc[2].P), bulge, 1e-9) << "end at " << end.X << "," << end.Y;
    ExpectNear(arc[1].P, PerpendicularOffset(arc[0].P, arc[2].P, MidDot(arc[0].P, arc[2].P), 25));
  }
}

TEST(ArcRouting, DraggedMiddleHandleStaysOnTheBisectorOnTheDraggedSide) {
  TRouteHandles arc = RouteArc({}, Request({0, 0}, {100, 0}, TRouteKind::Create), atParabolic, true);
  arc = RouteArc(arc, Request({0, 0}, {100, 0}, TRouteKind::HandleMove, 1, {30, -10}), atParabolic, true);
  ExpectNear(arc[1].P, {50, -35});
  arc = RouteArc(arc, Request({0, 0}, {100, 0}, TRouteKind::HandleMove, 1, {5, 60}), atParabolic, true);
  ExpectNear(arc[1].P, {50, 25});  // dragged across the chord: now below it
}

TEST(ArcRouting, CircularArcMiddleHandle) {
  TRouteHandles arc{{{0, 0}}, {{50, 50}}, {{100, 0}}};
  // Free drag.
  const TRouteHandles dragged = RouteArc(arc, Request({0, 0}, {100, 0}, TRouteKind::HandleMove, 1, {3, 4}), atCircular, true);
  EXPECT_EQ(dragged[1].P, (TDot{53, 54}));
  // The ends move: the middle handle keeps its place relative to the chord.
  const TRouteHandles moved = RouteArc(arc, Request({10, 10}, {10, 110}, TRouteKind::Reroute), atCircular, true);
  ExpectNear(moved[1].P, {-40, 60});
  // Without recalculation it stays.
  const TRouteHandles kept = RouteArc(arc, Request({10, 10}, {10, 110}, TRouteKind::Reroute), atCircular, false);
  EXPECT_EQ(kept[1].P, (TDot{50, 50}));
}

TEST(ArcPoints, CircularArcThroughThreePoints) {
  const TDotArray points = ArcPoints({{{0, 0}}, {{50, 50}}, {{100, 0}}}, atCircular);
  ASSERT_EQ(points.size(), 157u);
  ExpectNear(points.front(), {0, 0});
  ExpectNear(points.back(), {100, 0});
  for (const TDot& p : points) EXPECT_NEAR(Distance(p, {50, 0}), 50, 1e-9);
}

TEST(ArcPoints, DegenerateArcsDrawThroughTheirHandles) {
  const TRouteHandles collinear{{{0, 0}}, {{50, 0}}, {{100, 0}}};
  for (TArcType type : {atParabolic, atCircular})
    EXPECT_EQ(ArcPoints(collinear, type), (TDotArray{{0, 0}, {50, 0}, {100, 0}})) << type;
  const TRouteHandles closeEnds{{{0, 0}}, {{50, 50}}, {{4.6, -5.4}}};
  EXPECT_EQ(ArcPoints(closeEnds, atParabolic), (TDotArray{{0, 0}, {50, 50}, {4.6, -5.4}}));
  EXPECT_EQ(ArcPoints(closeEnds, atCircular).size(), 3u);
  // No parabola with an axis across the chord passes through a middle handle above an end:
  // the system is singular and the arc falls back to its handles.
  const TRouteHandles singular{{{0, 0}}, {{0, -30}}, {{100, 0}}};
  EXPECT_EQ(ArcPoints(singular, atParabolic), (TDotArray{{0, 0}, {0, -30}, {100, 0}}));
  EXPECT_TRUE(ArcPoints({{{0, 0}}, {{1, 1}}}, atParabolic).empty());
}

TEST(ArcPoints, NearlyStraightCircularArcHasBoundedPointCount) {
  // About a million units of arc: one point per unit would be a million points.
  const TDotArray points = ArcPoints({{{0, 0}}, {{500000, 1e-3}}, {{1000000, 0}}}, atCircular);
  EXPECT_EQ(points.size(), static_cast<size_t>(MaxOutlinePoints));
}

TEST(BezierRouting, NewCurveIsAnS) {
  const TRouteHandles curve = RouteBezier({}, Request({0, 0}, {100, 0}, TRouteKind::Create));
  ASSERT_EQ(curve.size(), 4u);
  ExpectNear(curve[1].P, {0, -20});
  ExpectNear(curve[2].P, {100, 20});
  const TRouteHandles scaled = RouteBezier({}, Request({0, 0}, {0, 200}, TRouteKind::Insert));
  ExpectNear(scaled[1].P, {40, 0});
  ExpectNear(scaled[2].P, {-40, 200});
}

TEST(BezierRouting, ShapeHandlesFollowTheEndsOrTheDrag) {
  const TRouteHandles curve{{{0, 0}}, {{0, -20}}, {{100, 20}}, {{100, 0}}};
  const TRouteHandles moved = RouteBezier(curve, Request({50, 50}, {150, 50}, TRouteKind::ControlMove));
  ExpectNear(moved[1].P, {50, 30});
  ExpectNear(moved[2].P, {150, 70});
  const TRouteHandles dragged = RouteBezier(curve, Request({0, 0}, {100, 0}, TRouteKind::HandleMove, 2, {-5, 5}));
  EXPECT_EQ(dragged[2].P, (TDot{95, 25}));
  EXPECT_EQ(dragged[1].P, (TDot{0, -20}));
}

TEST(BezierPoints, ShortCurveFallsBackToItsChord) {
  const TRouteHandles shortCurve{{{0, 0}}, {{2, 0}}, {{3, 0}}, {{4, 0}}};
  EXPECT_EQ(BezierPoints(shortCurve), (TDotArray{{0, 0}, {4, 0}}));
  const TDotArray points = BezierPoints({{{0, 0}}, {{0, -20}}, {{100, 20}}, {{100, 0}}});
  ASSERT_GE(points.size(), 2u);
  EXPECT_EQ(points.front(), (TDot{0, 0}));
  ExpectNear(points.back(), {100, 0});
  EXPECT_TRUE(BezierPoints({{{0, 0}}, {{1, 1}}, {{2, 2}}}).empty());
}

TEST(BezierPoints, HugeCurveHasBoundedPointCount) {
  const TDotArray points = BezierPoints({{{0, 0}}, {{1e6, 0}}, {{2e6, 1e6}}, {{3e6, 0}}});
  EXPECT_EQ(points.size(), static_cast<size_t>(MaxOutlinePoints));
}

TEST(StraightRouting, PointsAreRoundedHalfToEven) {
  EXPECT_EQ(StraightPoints({{{10.4, 20.6}}, {{30.5, 40.5}}}), (TDotArray{{10, 21}, {30, 40}}));
  const TRouteHandles poly{{{0, 0}}, {{50, 5}}, {{60, 60}}, {{100, 0}}};
  const TRouteHandles moved = RoutePolyline(poly, Request({10, 10}, {110, 10}, TRouteKind::ControlMove, -1, {10, 10}));
  EXPECT_EQ(moved[1].P, (TDot{60, 15}));
  EXPECT_EQ(moved[2].P, (TDot{70, 70}));
  const TRouteHandles dragged = RoutePolyline(poly, Request({0, 0}, {100, 0}, TRouteKind::HandleMove, 2, {1, 2}));
  EXPECT_EQ(dragged[1].P, (TDot{50, 5}));
  EXPECT_EQ(dragged[2].P, (TDot{61, 62}));
}

}  // namespace
