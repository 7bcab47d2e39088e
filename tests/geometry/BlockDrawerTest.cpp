#include "geometry/BlockDrawer.h"

#include "RecordingRasterTarget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;
constexpr int IntMax = std::numeric_limits<int>::max();

TBlockDrawer& SetRects(TBlockDrawer& drawer, const TSquare& orRect, const TSquare& curRect) {
  drawer.SetOriginalRect(orRect);
  drawer.SetCurRect(curRect);
  return drawer;
}

void ExpectNear(const TDot& actual, const TDot& expected, const std::string& what = "") {
  EXPECT_NEAR(actual.X, expected.X, 1e-9) << what;
  EXPECT_NEAR(actual.Y, expected.Y, 1e-9) << what;
}

TEST(BlockDrawer, StartsWithTheHundredSquareAndNoRotation) {
  TBlockDrawer drawer;
  EXPECT_EQ(drawer.OriginalRect(), Square(0, 0, 100, 100));
  EXPECT_EQ(drawer.CurRect(), Square(0, 0, 100, 100));
  EXPECT_EQ(drawer.Angle(), 0);
  EXPECT_EQ(drawer.RotationType(), rtCurRectCenter);
  EXPECT_EQ(drawer.RotationCenter(), Dot(0, 0));
  EXPECT_EQ(drawer.Canvas(), nullptr);
  EXPECT_EQ(drawer.StateDepth(), 0u);
}

// --- Reference -> current mapping ---

struct MappingCase {
  const char* Name;
  TSquare OrRect;
  TSquare CurRect;
  TDot In;
  TDot Expected;  // (PXS, PYS)
};

class MappingTest : public ::testing::TestWithParam<MappingCase> {};

TEST_P(MappingTest, MapsBothAxes) {
  const MappingCase& c = GetParam();
  TBlockDrawer drawer;
  SetRects(drawer, c.OrRect, c.CurRect);
  EXPECT_DOUBLE_EQ(drawer.PXS(c.In.X), c.Expected.X) << c.Name;
  EXPECT_DOUBLE_EQ(drawer.PYS(c.In.Y), c.Expected.Y) << c.Name;
  EXPECT_EQ(drawer.PP(c.In), (TDot{drawer.PXS(c.In.X), drawer.PYS(c.In.Y)})) << c.Name;
  EXPECT_EQ(drawer.PPX(c.In.X, c.In.Y), drawer.PP(c.In)) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MappingTest,
    ::testing::Values(
        // Only the vertical mapping rounds the reference offset (half to even).
        MappingCase{"identity", Square(0, 0, 100, 100), Square(0, 0, 100, 100), Dot(12.5, 12.5), Dot(12.5, 12)},
        MappingCase{"double size", Square(0, 0, 100, 100), Square(0, 0, 200, 200), Dot(12.5, 12.5), Dot(25, 24)},
        MappingCase{"13.5 rounds up", Square(0, 0, 100, 100), Square(0, 0, 200, 200), Dot(13.5, 13.5), Dot(27, 28)},
        MappingCase{"negative half", Square(0, 0, 100, 100), Square(0, 0, 100, 100), Dot(-1.5, -0.5), Dot(-1.5, 0)},
        MappingCase{"custom reference", Square(10, 20, 30, 60), Square(100, 200, 300, 400), Dot(25, 40), Dot(250, 300)},
        MappingCase{"custom reference rounds offset", Square(10, 20, 30, 60), Square(100, 200, 300, 400),
                    Dot(20, 40.5), Dot(200, 300)},
        MappingCase{"mirrored current", Square(0, 0, 100, 100), Square(100, 100, 0, 0), Dot(25, 25), Dot(75, 75)},
        MappingCase{"zero-width reference", Square(5, 0, 5, 100), Square(10, 20, 110, 220), Dot(77, 50), Dot(10, 120)},
        MappingCase{"zero-height reference", Square(0, 7, 100, 7), Square(10, 20, 110, 220), Dot(50, 77), Dot(60, 20)}));

TEST(BlockDrawer, PXAndPYRoundTheMappedValue) {
  TBlockDrawer drawer;
  EXPECT_EQ(drawer.PX(12.5), 12);
  EXPECT_EQ(drawer.PX(13.5), 14);
  EXPECT_EQ(drawer.PY(13.5), 14);
  SetRects(drawer, Square(0, 0, 100, 100), Square(0, 0, 300, 300));
  EXPECT_EQ(drawer.PX(12.5), 38);  // 37.5 -> 38
  EXPECT_EQ(drawer.PY(12.5), 36);  // 12 x 3
  EXPECT_EQ(drawer.PX(1e300), IntMax);
  EXPECT_EQ(drawer.PY(std::nan("")), 0);
}

TEST(BlockDrawer, PPPointsMapsEveryPoint) {
  TBlockDrawer drawer;
  SetRects(drawer, Square(0, 0, 100, 100), Square(10, 10, 210, 110));
  EXPECT_EQ(drawer.PPPoints({Dot(0, 0), Dot(50, 50), Dot(100, 100)}),
            (TDotArray{{10, 10}, {110, 60}, {210, 110}}));
}

// --- Current -> reference ---

TEST(BlockDrawer, UnmappingInvertsTheMapping) {
  TBlockDrawer drawer;
  SetRects(drawer, Square(-10, 5, 90, 45), Square(10, 20, 310, 170));
  for (double x : {-10.0, 0.0, 12.5, 33.3, 90.0, 250.0}) {
    EXPECT_NEAR(drawer.UnPXS(drawer.PXS(x)), x, 1e-9) << x;
    EXPECT_NEAR(drawer.PXS(drawer.UnPXS(x)), x, 1e-9) << x;
  }
  // Reference Y is rounded on the way in, so integral values come back exactly.
  for (double y : {5.0, 13.0, 45.0, -7.0, 120.0}) EXPECT_NEAR(drawer.UnPYS(drawer.PYS(y)), y, 1e-9) << y;
  EXPECT_NEAR(drawer.UnPYS(drawer.PYS(13.4)), 13, 1e-9);
  // The inverse does not round the offset (37.5 would otherwise become 38).
  EXPECT_NEAR(drawer.UnPYS(57.5), 15, 1e-12);
  ExpectNear(drawer.UnPP(drawer.PP(Dot(40, 25))), Dot(40, 25));
  ExpectNear(drawer.UnPPX(drawer.PPX(40, 25)), Dot(40, 25));
  ExpectNear(drawer.UnPP(57.5, 57.5), drawer.UnPPX(Dot(57.5, 57.5)));
}

TEST(BlockDrawer, IntegerUnmappingRoundsHalfToEven) {
  TBlockDrawer drawer;
  SetRects(drawer, Square(0, 0, 64, 64), Square(0, 0, 128, 128));
  EXPECT_EQ(drawer.UnPx(25), 12);  // 12.5
  EXPECT_EQ(drawer.UnPx(27), 14);  // 13.5
  EXPECT_EQ(drawer.UnPY(25), 12);
  EXPECT_EQ(drawer.UnPY(27), 14);
}

TEST(BlockDrawer, UnmappingAZeroSizedCurrentRectGivesTheReferenceOrigin) {
  TBlockDrawer drawer;
  SetRects(drawer, Square(3, 4, 100, 100), Square(50, 60, 50, 60));
  EXPECT_EQ(drawer.UnPXS(75), 3);
  EXPECT_EQ(drawer.UnPYS(75), 4);
  EXPECT_EQ(drawer.UnPP(Dot(1, 2)), Dot(3, 4));
}

// --- Edge offsets ---

TEST(BlockDrawer, EdgeOffsetsDoNotScale) {
  TBlockDrawer drawer;
  SetRects(drawer, Square(0, 0, 100, 100), Square(50, 60, 250, 160));
  EXPECT_EQ(drawer.LX(10), 60);
  EXPECT_EQ(drawer.LY(10), 70);
  EXPECT_EQ(drawer.LX(10.5), 60);  // 60.5 rounds to even
  EXPECT_EQ(drawer.LP(10, 20), (TPoint{60, 80}));
  EXPECT_EQ(drawer.RX(90), 240);
  EXPECT_EQ(drawer.RY(95), 155);
  EXPECT_EQ(drawer.RX(90.5), 240);  // 240.5 rounds to even
  EXPECT_EQ(drawer.RP(100, 100), (TPoint{250, 160}));
  SetRects(drawer, Square(10, 20, 30, 40), Square(50, 60, 250, 160));
  EXPECT_EQ(drawer.LP(10, 20), (TPoint{50, 60}));
  EXPECT_EQ(drawer.RP(25, 38), (TPoint{245, 158}));
}

// --- Rotation ---

struct RotationCase {
  const char* Name;
  double Angle;
  TRotationType Type;
  TDot Center;
  TSquare CurRect;
  TDot In;
  TDot Expected;
};

class RotationTest : public ::testing::TestWithParam<RotationCase> {};

TEST_P(RotationTest, RotatesClockwiseOnScreen) {
  const RotationCase& c = GetParam();
  TBlockDrawer drawer;
  drawer.SetCurRect(c.CurRect);
  drawer.SetRotationType(c.Type);
  drawer.SetRotationCenter(c.Center);
  drawer.SetAngle(c.Angle);
  ExpectNear(drawer.RotX(c.In), c.Expected, c.Name);
  ExpectNear(drawer.RotX(c.In.X, c.In.Y), c.Expected, c.Name);
  ExpectNear(drawer.UnrotX(c.Expected), c.In, c.Name);
  ExpectNear(drawer.UnrotX(c.Expected.X, c.Expected.Y), c.In, c.Name);
  EXPECT_EQ(drawer.Rot(c.In.X, c.In.Y), DotToPoint(drawer.RotX(c.In))) << c.Name;
}

const double H = 50 * std::sqrt(0.5);  // 35.355...

INSTANTIATE_TEST_SUITE_P(
    Cases, RotationTest,
    ::testing::Values(
        RotationCase{"90", 90, rtCurRectCenter, Dot(0, 0), Square(0, 0, 100, 100), Dot(100, 50), Dot(50, 100)},
        RotationCase{"180", 180, rtCurRectCenter, Dot(0, 0), Square(0, 0, 100, 100), Dot(100, 50), Dot(0, 50)},
        RotationCase{"45", 45, rtCurRectCenter, Dot(0, 0), Square(0, 0, 100, 100), Dot(100, 50),
                     Dot(50 + H, 50 + H)},
        RotationCase{"-90", -90, rtCurRectCenter, Dot(0, 0), Square(0, 0, 100, 100), Dot(100, 50), Dot(50, 0)},
        RotationCase{"450 like 90", 450, rtCurRectCenter, Dot(0, 0), Square(0, 0, 100, 100), Dot(100, 50),
                     Dot(50, 100)},
        RotationCase{"90 about the centre of another rect", 90, rtCurRectCenter, Dot(999, 999),
                     Square(100, 200, 300, 300), Dot(300, 250), Dot(200, 350)},
        RotationCase{"90 about an explicit centre", 90, rtRotationCenter, Dot(0, 0), Square(0, 0, 100, 100),
                     Dot(10, 0), Dot(0, 10)},
        RotationCase{"45 about an explicit centre", 45, rtRotationCenter, Dot(10, 10), Square(0, 0, 100, 100),
                     Dot(60, 10), Dot(10 + H, 10 + H)},
        RotationCase{"180 about an explicit centre", 180, rtRotationCenter, Dot(-5, 5), Square(0, 0, 100, 100),
                     Dot(0, 0), Dot(-10, 10)}));

TEST(BlockDrawer, RotXAtAngleZeroReturnsItsInputExactly) {
  for (TRotationType type : {rtCurRectCenter, rtRotationCenter}) {
    TBlockDrawer drawer;
    drawer.SetCurRect(Square(0.1, 0.2, 77.7, 33.3));
    drawer.SetRotationType(type);
    drawer.SetRotationCenter(Dot(1e9, -1e9));
    const TDot p = Dot(1.0 / 3, -7.77);
    EXPECT_EQ(drawer.RotX(p), p);
    EXPECT_EQ(drawer.UnrotX(p), p);
    EXPECT_EQ(drawer.RotPoly({p, Dot(1e300, -1e-300)}), (TDotArray{p, Dot(1e300, -1e-300)}));
  }
}

TEST(BlockDrawer, RotPolyAndRotRotateEveryPoint) {
  TBlockDrawer drawer;
  drawer.SetAngle(45);
  const TDotArray rotated = drawer.RotPoly({Dot(100, 50), Dot(50, 0)});
  ASSERT_EQ(rotated.size(), 2u);
  ExpectNear(rotated[0], Dot(50 + H, 50 + H));
  ExpectNear(rotated[1], Dot(50 + H, 50 - H));
  EXPECT_EQ(drawer.Rot(TPoint{100, 50}), (TPoint{85, 85}));
}

TEST(BlockDrawer, UnrotXUndoesRotXAtAnyAngle) {
  for (TRotationType type : {rtCurRectCenter, rtRotationCenter}) {
    TBlockDrawer drawer;
    drawer.SetCurRect(Square(10, 20, 110, 80));
    drawer.SetRotationType(type);
    drawer.SetRotationCenter(Dot(-30, 40));
    for (double angle : {1.0, 33.0, 90.0, 135.0, 200.0, -75.0}) {
      drawer.SetAngle(angle);
      ExpectNear(drawer.UnrotX(drawer.RotX(Dot(17, -3))), Dot(17, -3));
      EXPECT_EQ(drawer.Angle(), angle);
    }
  }
}

TEST(BlockDrawer, RotByCenterMovesTheRectangleWithItsCentre) {
  TBlockDrawer drawer;
  drawer.SetAngle(90);
  const TSquare moved = drawer.RotByCenter(Square(90, 40, 110, 60));
  EXPECT_NEAR(moved.Left, 40, 1e-9);
  EXPECT_NEAR(moved.Top, 90, 1e-9);
  EXPECT_NEAR(moved.Width(), 20, 1e-9);
  EXPECT_NEAR(moved.Height(), 20, 1e-9);
  drawer.SetAngle(0);
  EXPECT_EQ(drawer.RotByCenter(Square(90, 40, 110, 60)), Square(90, 40, 110, 60));
}

// --- State ---

void Configure(TBlockDrawer& drawer, IRasterTarget* canvas) {
  drawer.SetCurRect(Square(1, 2, 3, 4));
  drawer.SetOriginalRect(Square(5, 6, 7, 8));
  drawer.SetAngle(30);
  drawer.SetRotationType(rtRotationCenter);
  drawer.SetRotationCenter(Dot(9, 10));
  drawer.SetCanvas(canvas);
}

void ExpectConfigured(const TBlockDrawer& drawer, IRasterTarget* canvas) {
  EXPECT_EQ(drawer.CurRect(), Square(1, 2, 3, 4));
  EXPECT_EQ(drawer.OriginalRect(), Square(5, 6, 7, 8));
  EXPECT_EQ(drawer.Angle(), 30);
  EXPECT_EQ(drawer.RotationType(), rtRotationCenter);
  EXPECT_EQ(drawer.RotationCenter(), Dot(9, 10));
  EXPECT_EQ(drawer.Canvas(), canvas);
}

TEST(BlockDrawer, AssignCopiesTheStateButNotTheStack) {
  TRecordingRasterTarget canvas;
  TBlockDrawer source;
  Configure(source, &canvas);
  source.PushState();
  TBlockDrawer target;
  target.Assign(source);
  ExpectConfigured(target, &canvas);
  EXPECT_EQ(target.StateDepth(), 0u);
  // The angle went through the setter: the rotation uses it.
  ExpectNear(target.RotX(Dot(19, 10)), source.RotX(Dot(19, 10)));
  EXPECT_NE(target.RotX(Dot(19, 10)), Dot(19, 10));
}

TEST(BlockDrawer, PopStateRestoresThePushedState) {
  TRecordingRasterTarget canvas, other;
  TBlockDrawer drawer;
  Configure(drawer, &canvas);
  drawer.PushState();
  drawer.SetCurRect(Square(0, 0, 1, 1));
  drawer.SetOriginalRect(Square(0, 0, 2, 2));
  drawer.SetAngle(0);
  drawer.SetRotationType(rtCurRectCenter);
  drawer.SetRotationCenter(Dot(0, 0));
  drawer.SetCanvas(&other);
  drawer.PushState();
  drawer.PopState();
  EXPECT_EQ(drawer.Canvas(), &other);
  drawer.PopState();
  ExpectConfigured(drawer, &canvas);
  ExpectNear(drawer.RotX(Dot(19, 10)), Dot(9 + 10 * std::cos(std::numbers::pi / 6), 10 + 10 * std::sin(std::numbers::pi / 6)));
  EXPECT_EQ(drawer.StateDepth(), 0u);
  drawer.PopState();  // nothing pushed: no change
  ExpectConfigured(drawer, &canvas);
}

TEST(BlockDrawer, StateGuardRestoresWhenAnExceptionPasses) {
  TBlockDrawer drawer;
  Configure(drawer, nullptr);
  try {
    TBlockDrawerStateGuard guard(drawer);
    drawer.SetAngle(77);
    drawer.SetCurRect(Square(0, 0, 0, 0));
    throw std::runtime_error("drawing failed");
  } catch (const std::runtime_error&) {
  }
  ExpectConfigured(drawer, nullptr);
  EXPECT_EQ(drawer.StateDepth(), 0u);
}

// --- Drawing ---

struct DrawerWithCanvas {
  TRecordingRasterTarget Canvas;
  TBlockDrawer Drawer;
  DrawerWithCanvas() { Drawer.SetCanvas(&Canvas); }
};

TEST(BlockDrawer, DrawingWithoutACanvasDoesNothing) {
  for (double angle : {0.0, 30.0}) {
    TBlockDrawer drawer;
    drawer.SetAngle(angle);
    drawer.DrawRotRect(0, 0, 10, 10);
    drawer.DrawRotPoly({Dot(0, 0), Dot(5, 5), Dot(0, 5)});
    drawer.DrawRotPoly(TDotArray{Dot(0, 0)});
    drawer.DrawRotRoundRect(0, 0, 10, 10, 2, 2);
    drawer.DrawRotEllipse(0, 0, 10, 10);
    drawer.AutoRotRect(0, 0, 10, 10);
    drawer.AutoEllipse(0, 0, 10, 10);
    drawer.AutoRoundRect(0, 0, 10, 10, 2, 2);
    drawer.AutoMoveTo(1, 1);
    drawer.AutoLineTo(2, 2);
    drawer.CanvasPolyLine({{0, 0}, {1, 1}});
    drawer.CanvasPolygon({{0, 0}, {1, 1}, {0, 1}});
  }
  SUCCEED();  // reaching here without touching a canvas is the check
}

TEST(BlockDrawer, DrawRotRectAtAngleZeroPaintsOnePixelWiderAndHigher) {
  DrawerWithCanvas d;
  d.Drawer.DrawRotRect(0.4, 0.5, 10.5, 20.5);
  d.Drawer.DrawRotRect(1, 2, 3, 4);
  EXPECT_EQ(d.Canvas.Calls, (Calls{"Rectangle(0,0,12,22)", "Rectangle(1,2,4,5)"}));
}

TEST(BlockDrawer, DrawRotRectAtAnAnglePaintsTheRotatedCorners) {
  DrawerWithCanvas d;
  d.Drawer.SetAngle(90);
  d.Drawer.DrawRotRect(10, 20, 30, 40);
  EXPECT_EQ(d.Canvas.Calls, (Calls{"Polygon[(80,10) (80,30) (60,30) (60,10) (80,10)]"}));
}

TEST(BlockDrawer, DrawRotEllipse) {
  DrawerWithCanvas d;
  d.Drawer.DrawRotEllipse(1, 2, 10, 20);
  d.Drawer.DrawRotEllipse(0, 0, IntMax, IntMax);  // one past the corner saturates
  EXPECT_EQ(d.Canvas.Calls, (Calls{"Ellipse(1,2,11,21)", "Ellipse(0,0,2147483647,2147483647)"}));

  d.Canvas.Calls.clear();
  d.Drawer.SetAngle(30);
  d.Drawer.DrawRotEllipse(0, 0, 99, 99);
  ASSERT_EQ(d.Canvas.Polygons.size(), 1u);
  const TPointArray& polygon = d.Canvas.Polygons[0];
  ASSERT_EQ(polygon.size(), 316u);
  EXPECT_EQ(polygon, DotsToPoints(d.Drawer.RotPoly(EllipsePoints(0, 0, 99, 99, 0, 360, true))));
  EXPECT_EQ(polygon[0], d.Drawer.Rot(99.5, 49.5));
  EXPECT_NE(polygon[0], (TPoint{100, 50}));  // rotated away from 3 o'clock
}

TEST(BlockDrawer, DrawRotRoundRect) {
  DrawerWithCanvas d;
  d.Drawer.DrawRotRoundRect(0.5, 1.5, 99.5, 49.5, 20.5, 10.4);
  EXPECT_EQ(d.Canvas.Calls, (Calls{"RoundRect(0,2,100,50,20,10)"}));

  d.Canvas.Calls.clear();
  d.Drawer.SetAngle(90);
  d.Drawer.DrawRotRoundRect(10, 20, 90, 80, 20, 20);
  ASSERT_EQ(d.Canvas.Polygons.size(), 1u);
  const TPointArray& polygon = d.Canvas.Polygons[0];
  EXPECT_EQ(polygon, DotsToPoints(d.Drawer.RotPoly(RoundRectPoints(10, 20, 90, 80, 20, 20))));
  EXPECT_EQ(polygon.front(), polygon.back());
  // Turned a quarter: the 80 wide, 60 high box now spans about 60 across and 80 down.
  int minX = IntMax, maxX = -IntMax, minY = IntMax, maxY = -IntMax;
  for (const TPoint& p : polygon) {
    minX = std::min(minX, p.X), maxX = std::max(maxX, p.X);
    minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
  }
  EXPECT_NEAR(maxX - minX, 60, 2);
  EXPECT_NEAR(maxY - minY, 80, 2);
}

TEST(BlockDrawer, DrawRotPolyRoundsAndRotates) {
  DrawerWithCanvas d;
  d.Drawer.DrawRotPoly({Dot(0.5, 1.5), Dot(2.5, 3.49), Dot(-0.5, 7)});
  d.Drawer.SetAngle(180);
  d.Drawer.DrawRotPoly(TDotArray{Dot(10, 20), Dot(50, 50)});
  EXPECT_EQ(d.Canvas.Calls, (Calls{"Polygon[(0,2) (2,3) (0,7)]", "Polygon[(90,80) (50,50)]"}));
}

TEST(BlockDrawer, AutoShapesMapThroughTheDrawer) {
  DrawerWithCanvas d;
  d.Drawer.SetCurRect(Square(0, 0, 200, 200));
  d.Drawer.AutoRotRect(0, 0, 50, 12.5);  // (0, 0, 100, 24), one pixel more
  d.Drawer.SetCurRect(Square(10, 20, 210, 120));
  d.Drawer.AutoEllipse(0, 0, 100, 100);
  d.Drawer.AutoEllipse(12.5, 0, 50, 50);  // PX(12.5) = Round(35) and PY(50) = 70
  EXPECT_EQ(d.Canvas.Calls, (Calls{"Rectangle(0,0,101,25)", "Ellipse(10,20,211,121)", "Ellipse(35,20,111,71)"}));
}

TEST(BlockDrawer, AutoRoundRectScalesItsCorners) {
  DrawerWithCanvas d;
  d.Drawer.SetCurRect(Square(0, 0, 200, 100));
  d.Drawer.AutoRoundRect(0, 0, 100, 100, 25, 25);
  d.Drawer.AutoRoundRect(0, 0, 50, 100, 10, 10);
  EXPECT_EQ(d.Canvas.Calls, (Calls{"RoundRect(0,0,201,101,50,25)", "RoundRect(0,0,101,101,20,10)"}));
}

TEST(BlockDrawer, AutoRoundRectOfAZeroSizedBoxHasZeroCorners) {
  DrawerWithCanvas d;
  d.Drawer.SetCurRect(Square(0, 0, 200, 100));
  d.Drawer.AutoRoundRect(10, 0, 10, 100, 25, 25);
  d.Drawer.AutoRoundRect(0, 40, 100, 40, 25, 25);
  EXPECT_EQ(d.Canvas.Calls, (Calls{"RoundRect(20,0,21,101,0,25)", "RoundRect(0,40,201,41,50,0)"}));
}

class ShiftedDrawer : public TBlockDrawer {
public:
  int PX(double AX) const override { return TBlockDrawer::PX(AX) + 1000; }
  int PY(double AY) const override { return TBlockDrawer::PY(AY) - 1000; }
};

TEST(BlockDrawer, AutoShapesUseTheVirtualIntegerMapping) {
  TRecordingRasterTarget canvas;
  ShiftedDrawer drawer;
  drawer.SetCanvas(&canvas);
  drawer.AutoEllipse(0, 0, 100, 100);
  drawer.AutoRoundRect(0, 0, 100, 100, 20, 20);
  EXPECT_EQ(canvas.Calls, (Calls{"Ellipse(1000,-1000,1101,-899)", "RoundRect(1000,-1000,1101,-899,20,20)"}));
}

TEST(BlockDrawer, AutoMoveAndLineToMapRotateAndRound) {
  DrawerWithCanvas d;
  d.Drawer.SetOriginalRect(Square(0, 0, 20, 20));
  d.Drawer.SetCurRect(Square(0, 0, 200, 100));
  d.Drawer.AutoLineTo(1.225, 2.5);  // (12.25, 10): Y offset 2.5 rounds to 2
  d.Drawer.SetAngle(90);
  d.Drawer.AutoMoveTo(20, 10);  // (200, 50) turned about (100, 50)
  d.Drawer.AutoLineTo(0, 0);    // (0, 0) turned about (100, 50)
  EXPECT_EQ(d.Canvas.Calls, (Calls{"LineTo(12,10)", "MoveTo(100,150)", "LineTo(150,-50)"}));
}

TEST(BlockDrawer, CanvasPolyLineAndPolygonPassThrough) {
  DrawerWithCanvas d;
  d.Drawer.SetAngle(45);  // not applied: the points are canvas points already
  d.Drawer.CanvasPolyLine({{0, 0}, {10, 5}});
  d.Drawer.CanvasPolygon({{1, 1}, {2, 2}, {3, 1}});
  EXPECT_EQ(d.Canvas.Calls, (Calls{"Polyline[(0,0) (10,5)]", "Polygon[(1,1) (2,2) (3,1)]"}));
}

}  // namespace
