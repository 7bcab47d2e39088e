#include "elements/SideLineRouter.h"

#include "LineTestPrinters.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace {

using SideLine::TContext;
using SideLine::TEnd;

TDotArray RouteOf(TEnd start, TEnd end, const TRouteHandles& previous = {}, bool fixed = false) {
  TContext context;
  context.Previous = previous;
  context.FixedSideLines = fixed;
  const auto route = SideLine::RoutePoints(context, start, end);
  EXPECT_TRUE(route.has_value());
  return route.value_or(TDotArray{});
}

void ExpectOrthogonal(const TDotArray& route) {
  for (size_t i = 1; i < route.size(); ++i) {
    const bool horizontal = route[i].Y == route[i - 1].Y;
    const bool vertical = route[i].X == route[i - 1].X;
    EXPECT_NE(horizontal, vertical) << "segment " << i << " is slanted or of zero length";
  }
}

struct RouteCase {
  const char* Name;
  TEnd Start;
  TEnd End;
  TDotArray Expected;
};

class RouterExamples : public ::testing::TestWithParam<RouteCase> {};

TEST_P(RouterExamples, RouteFromFreshEnds) {
  const RouteCase& c = GetParam();
  const TDotArray route = RouteOf(c.Start, c.End);
  EXPECT_EQ(route, c.Expected);
  ExpectOrthogonal(route);
}

INSTANTIATE_TEST_SUITE_P(
    SideLine, RouterExamples,
    ::testing::Values(
        // Facing ends on different heights meet half way through the gap less its allowance.
        RouteCase{"FacingEnds", {{0, 0}, aoRight}, {{100, 50}, aoLeft}, {{0, 0}, {45, 0}, {45, 50}, {100, 50}}},
        RouteCase{"FacingVertically", {{0, 0}, aoDown}, {{60, 200}, aoUp}, {{0, 0}, {0, 95}, {60, 95}, {60, 200}}},
        // Leaving to the right, entering from above: one corner.
        RouteCase{"LShape", {{0, 0}, aoRight}, {{100, 100}, aoUp}, {{0, 0}, {100, 0}, {100, 100}}},
        // Free ends at equal distances start vertically, otherwise along the longer axis;
        // both turn towards each other, so they face and meet half way.
        RouteCase{"FreeEndsEqualDistances", {{0, 0}, aoNone}, {{100, 100}, aoNone}, {{0, 0}, {0, 45}, {100, 45}, {100, 100}}},
        RouteCase{"FreeEndsWide", {{0, 0}, aoNone}, {{100, 50}, aoNone}, {{0, 0}, {45, 0}, {45, 50}, {100, 50}}},
        RouteCase{"FreeStartToAnAxis", {{0, 0}, aoNone}, {{100, 50}, aoVert}, {{0, 0}, {100, 0}, {100, 50}}},
        // Facing ends on one height: a straight segment, the corner on the end dropped.
        RouteCase{"AlignedFacing", {{0, 0}, aoRight}, {{100, 0}, aoLeft}, {{0, 0}, {100, 0}}},
        // Leaving upwards with the end below: a stub of 10 first.
        RouteCase{"StubBeforeTurning", {{0, 0}, aoUp}, {{100, 100}, aoNone}, {{0, 0}, {0, -10}, {100, -10}, {100, 100}}},
        // An end that leaves away from the start gets its stub, then the start turns onto it.
        RouteCase{"EndLeavesAway", {{0, 0}, aoRight}, {{100, 50}, aoRight}, {{0, 0}, {110, 0}, {110, 50}, {100, 50}}},
        // Horizontal orientation picks the side towards the other end.
        RouteCase{"AxisOnly", {{100, 0}, aoHorz}, {{0, 50}, aoVert}, {{100, 0}, {0, 0}, {0, 50}}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(SideLineRouter, FacingEndsCloserThanTheAllowanceStepForwards) {
  for (double gap : {2.0, 6.0, 10.0, 11.0}) {
    const TDotArray route = RouteOf({{0, 0}, aoRight}, {{gap, 50}, aoLeft});
    ASSERT_EQ(route.size(), 4u) << gap;
    EXPECT_GT(route[1].X, 0) << "the first step must leave forwards, gap " << gap;
    EXPECT_LT(route[1].X, gap) << gap;
    EXPECT_EQ(route[1].X, route[2].X);
    ExpectOrthogonal(route);
  }
}

TEST(SideLineRouter, HandlesOfARoute) {
  const TRouteHandles handles = SideLine::HandlesOfRoute({{0, 0}, {45, 0}, {45, 50}, {100, 50}});
  ASSERT_EQ(handles.size(), 3u);
  EXPECT_EQ(handles[0], (TRouteHandle{{0, 0}, SideLine::HorizontalData}));
  EXPECT_EQ(handles[1], (TRouteHandle{{45, 25}, 0})) << "inner handle at the inner segment's middle";
  EXPECT_EQ(handles[2], (TRouteHandle{{100, 50}, SideLine::HorizontalData}));

  const TRouteHandles l = SideLine::HandlesOfRoute({{0, 0}, {100, 0}, {100, 100}});
  ASSERT_EQ(l.size(), 2u) << "an L has no inner segment";
  EXPECT_EQ(l[0].Data, SideLine::HorizontalData);
  EXPECT_EQ(l[1].Data, SideLine::VerticalData);

  const TRouteHandles five = SideLine::HandlesOfRoute({{0, 0}, {0, 10}, {50, 10}, {50, 80}, {90, 80}});
  ASSERT_EQ(five.size(), 4u);
  EXPECT_EQ(five[1].P, (TDot{25, 10}));
  EXPECT_EQ(five[2].P, (TDot{50, 45}));
}

TEST(SideLineRouter, PointsFromHandles) {
  const TRouteHandles handles{{{0, 0}, 1}, {{45, 25}, 0}, {{100, 50}, 1}};
  EXPECT_EQ(SideLine::Points(handles, aoNone), (TDotArray{{0, 0}, {45, 0}, {45, 50}, {100, 50}}));
  // Without Data, the first orientation decides the axis.
  const TRouteHandles bare{{{0, 0}, 0}, {{100, 100}, 0}};
  EXPECT_EQ(SideLine::Points(bare, aoVert), (TDotArray{{0, 0}, {0, 100}, {100, 100}}));
  EXPECT_EQ(SideLine::Points(bare, aoLeft), (TDotArray{{0, 0}, {100, 0}, {100, 100}}));
  EXPECT_TRUE(SideLine::Points({{{0, 0}, 1}}, aoNone).empty());
}

TEST(SideLineRouter, TwoHandlesOnOneLineGiveNoZeroLengthSegment) {
  const TDotArray points = SideLine::Points({{{0, 0}, 1}, {{100, 0}, 1}}, aoNone);
  EXPECT_EQ(points, (TDotArray{{0, 0}, {100, 0}}));
  const TDotArray same = SideLine::Points({{{5, 5}, 1}, {{5, 5}, 1}}, aoNone);
  EXPECT_EQ(same, (TDotArray{{5, 5}})) << "ends on one spot: one point";
}

// The previous route: start right, inner vertical segment at x = 45, end entering from the right.
const TRouteHandles FacingRoute{{{0, 0}, 1}, {{45, 25}, 0}, {{100, 50}, 1}};

TEST(SideLineRouter, ReroutesKeepTheSpacingOfTheUsersSegments) {
  // The start moves 20 to the right: the inner segment keeps its distance of 45 from it.
  const TDotArray moved = RouteOf({{20, 0}, aoRight}, {{100, 80}, aoLeft}, FacingRoute, false);
  EXPECT_EQ(moved, (TDotArray{{20, 0}, {65, 0}, {65, 80}, {100, 80}}));
}

TEST(SideLineRouter, FixedSideLinesKeepTheSegmentInPlace) {
  const TDotArray moved = RouteOf({{20, 0}, aoRight}, {{100, 80}, aoLeft}, FacingRoute, true);
  EXPECT_EQ(moved, (TDotArray{{20, 0}, {45, 0}, {45, 80}, {100, 80}}));
  // Too close to the start: the stub keeps its minimum of 10.
  TContext context;
  context.Previous = FacingRoute;
  context.FixedSideLines = true;
  const auto close = SideLine::RoutePoints(context, {{40, 0}, aoRight}, {{100, 80}, aoLeft});
  ASSERT_TRUE(close);
  EXPECT_EQ((*close)[1], (TDot{50, 0}));
  EXPECT_TRUE(context.Clamped);
}

TEST(SideLineRouter, EndSideStepsFollowThePreviousRoute) {
  const TRouteHandles previous{{{0, 0}, 1}, {{110, 25}, 0}, {{100, 50}, 1}};
  const TDotArray moved = RouteOf({{0, 0}, aoRight}, {{100, 80}, aoRight}, previous);
  EXPECT_EQ(moved, (TDotArray{{0, 0}, {110, 0}, {110, 80}, {100, 80}}));
}

TEST(SideLineRouter, DraggingAnInnerHandleMovesItsSegment) {
  TContext context;
  context.Previous = FacingRoute;
  context.Dragged = 1;
  context.DragDelta = {20, 7};
  const auto route = SideLine::RoutePoints(context, {{0, 0}, aoRight}, {{100, 50}, aoLeft});
  ASSERT_TRUE(route);
  EXPECT_EQ(*route, (TDotArray{{0, 0}, {65, 0}, {65, 50}, {100, 50}})) << "moves along its normal only";
  context.DragDelta = {80, 0};
  const auto far = SideLine::RoutePoints(context, {{0, 0}, aoRight}, {{100, 50}, aoLeft});
  ASSERT_TRUE(far);
  EXPECT_EQ((*far)[1].X, 89) << "stops short of the end's allowance";
}

TEST(SideLineRouter, NonFiniteOrHugeEndsDoNotLoopForever) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  TContext context;
  context.Previous = FacingRoute;
  EXPECT_FALSE(SideLine::RoutePoints(context, {{nan, 0}, aoRight}, {{100, 50}, aoLeft}));
  EXPECT_FALSE(SideLine::Route(context, {{0, 0}, aoUp}, {{0, nan}, aoDown}));
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(SideLine::RoutePoints(context, {{inf, 0}, aoRight}, {{0, 0}, aoRight}));
  // Huge but finite: a step of 10 no longer moves the coordinate.
  const auto huge = SideLine::RoutePoints(context, {{1e300, 0}, aoLeft}, {{0, 1e300}, aoDown});
  if (huge) ExpectOrthogonal(*huge);
}

TEST(SideLineRouter, ResolveFacingTowardsCorner) {
  EXPECT_EQ(SideLine::Resolve({{0, 0}, aoVert}, {{0, -5}, aoNone}), aoUp);
  EXPECT_EQ(SideLine::Resolve({{0, 0}, aoNone}, {{-5, 100}, aoUp}), aoLeft) << "B vertical: A horizontal";
  EXPECT_EQ(SideLine::Resolve({{0, 0}, aoNone}, {{-5, 100}, aoRight}), aoDown) << "B horizontal: A vertical";
  EXPECT_TRUE(SideLine::Facing({{0, 0}, aoRight}, {{100, 1}, aoLeft}));
  EXPECT_FALSE(SideLine::Facing({{0, 0}, aoRight}, {{100, 0}, aoLeft})) << "aligned ends are not facing";
  EXPECT_FALSE(SideLine::Towards({{0, 0}, aoRight}, {{100, 1}, aoLeft})) << "facing ends are not heading on";
  const TEnd corner = SideLine::Corner({{0, 0}, aoDown}, {{30, 40}, aoNone});
  EXPECT_EQ(corner.P, (TDot{0, 40}));
  EXPECT_EQ(corner.O, aoHorz);
}

TEST(SideLineRouter, StepLengths) {
  TContext context;
  EXPECT_EQ(SideLine::StepLength(context, 1, false, {{0, 0}, aoRight}, SideLine::NoLimit), (TDot{10, 10}));
  EXPECT_EQ(SideLine::StepLength(context, 1, true, {{0, 0}, aoLeft}, SideLine::NoLimit), (TDot{-10, -10}));
  EXPECT_EQ(SideLine::StepLength(context, 1, false, {{0, 0}, aoRight}, 90), (TDot{45, 45}));
  // Following a previous segment that lies behind: the minimum, in the direction of travel.
  context.Previous = {{{0, 0}, 1}, {{-30, 25}, 0}, {{100, 50}, 1}};
  EXPECT_EQ(SideLine::StepLength(context, 1, false, {{0, 0}, aoRight}, SideLine::NoLimit).X, 10);
  EXPECT_TRUE(context.Clamped);
}

}  // namespace
