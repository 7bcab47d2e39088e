#include "geometry/BlockShapes.h"

#include "RecordingRasterTarget.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

// A 200 x 100 block at (10, 20) in canvas pixels.
struct BlockCanvas {
  TRecordingRasterTarget Canvas;
  TBlockDrawer Drawer;
  explicit BlockCanvas(double angle = 0) {
    Drawer.SetCanvas(&Canvas);
    Drawer.SetCurRect(Square(10, 20, 210, 120));
    Drawer.SetAngle(angle);
  }
};

struct ShapeCase {
  TBlockShape Shape;
  Calls Expected;
};

class RasterShapeTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(RasterShapeTest, DrawsTheOutlineAtAngleZero) {
  BlockCanvas block;
  DrawBlockShape(block.Drawer, GetParam().Shape);
  EXPECT_EQ(block.Canvas.Calls, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, RasterShapeTest,
    ::testing::Values(ShapeCase{bsNoShape, {}},
                      ShapeCase{bsRectangle, {"Rectangle(10,20,211,121)"}},
                      ShapeCase{bsEllipse, {"Ellipse(10,20,211,121)"}},
                      ShapeCase{bsRoundRect, {"RoundRect(10,20,211,121,50,25)"}},
                      ShapeCase{bsDiamond, {"Polygon[(10,70) (110,20) (210,70) (110,120)]"}}));

TEST(BlockShapes, SquareRoundHasSemicircularEndsOnAWideBlock) {
  BlockCanvas block;
  DrawBlockShape(block.Drawer, bsSquareRound);
  ASSERT_EQ(block.Canvas.Polygons.size(), 1u);
  const TPointArray& polygon = block.Canvas.Polygons[0];
  EXPECT_EQ(polygon, DotsToPoints(RoundRectPoints(10, 20, 210, 120, 100, 100)));
  // Near the left and right ends only the middle height is reached: no straight sides.
  int endPoints = 0;
  for (const TPoint& p : polygon) {
    if (p.X < 12 || p.X > 207) {
      ++endPoints;
      EXPECT_LT(std::abs(p.Y - 70), 20) << p.X << "," << p.Y;
    }
  }
  EXPECT_GT(endPoints, 2);
}

TEST(BlockShapes, RotatedShapesArePolygons) {
  BlockCanvas block(90);
  DrawBlockShape(block.Drawer, bsDiamond);
  DrawBlockShape(block.Drawer, bsRectangle);
  ASSERT_EQ(block.Canvas.Calls.size(), 2u);
  // Turned a quarter clockwise about the block centre (110, 70).
  EXPECT_EQ(block.Canvas.Calls[0], "Polygon[(110,-30) (160,70) (110,170) (60,70)]");
  EXPECT_EQ(block.Canvas.Calls[1], "Polygon[(160,-30) (160,170) (60,170) (60,-30) (160,-30)]");
}

TEST(BlockShapes, RotatedCurvedShapesAreRotatedOutlinePolygons) {
  for (TBlockShape shape : {bsEllipse, bsRoundRect, bsSquareRound}) {
    BlockCanvas block(30);
    DrawBlockShape(block.Drawer, shape);
    ASSERT_EQ(block.Canvas.Polygons.size(), 1u) << shape;
    ASSERT_EQ(block.Canvas.Calls.size(), 1u) << shape;
    const TPointArray& polygon = block.Canvas.Polygons[0];
    EXPECT_GT(polygon.size(), 100u) << shape;
    // Every point lies within the block's circumcircle about its centre.
    for (const TPoint& p : polygon) EXPECT_LE(std::hypot(p.X - 110, p.Y - 70), std::hypot(101, 51) + 1) << shape;
  }
}

TEST(BlockShapes, RotatedSquareRoundIsTheRotatedUnrotatedOutline) {
  BlockCanvas block(30);
  DrawBlockShape(block.Drawer, bsSquareRound);
  ASSERT_EQ(block.Canvas.Polygons.size(), 1u);
  EXPECT_EQ(block.Canvas.Polygons[0],
            DotsToPoints(block.Drawer.RotPoly(RoundRectPoints(10, 20, 210, 120, 100, 100))));
}

TEST(BlockShapes, OutlinesFollowTheDrawersReferenceRectangle) {
  BlockCanvas block;
  block.Drawer.SetOriginalRect(Square(0, 0, 20, 20));
  for (TBlockShape shape : {bsRectangle, bsEllipse, bsRoundRect, bsDiamond}) DrawBlockShape(block.Drawer, shape);
  EXPECT_EQ(block.Canvas.Calls,
            (Calls{"Rectangle(10,20,211,121)", "Ellipse(10,20,211,121)", "RoundRect(10,20,211,121,50,25)",
                   "Polygon[(10,70) (110,20) (210,70) (110,120)]"}));
}

TEST(BlockShapes, NothingIsDrawnWithoutACanvas) {
  for (TBlockShape shape : {bsNoShape, bsRectangle, bsEllipse, bsRoundRect, bsDiamond, bsSquareRound}) {
    TBlockDrawer drawer;
    drawer.SetAngle(20);
    DrawBlockShape(drawer, shape);
  }
  SUCCEED();  // a null canvas would have crashed above
}

TEST(BlockShapes, DiamondPointsAreTheEdgeMidpoints) {
  EXPECT_EQ(DiamondPoints(Square(0, 0, 100, 50)), (TDotArray{{0, 25}, {50, 0}, {100, 25}, {50, 50}}));
}

TEST(BlockShapes, RoundRectCornerArcsForAPath) {
  const auto arcs = RoundRectCornerArcs(0, 0, 100, 50, 25, 12.5);
  EXPECT_EQ(arcs[0].Box, Square(75, 0, 100, 12.5));
  EXPECT_EQ(arcs[0].StartAngle, 270);
  EXPECT_EQ(arcs[1].Box, Square(75, 37.5, 100, 50));
  EXPECT_EQ(arcs[1].StartAngle, 0);
  EXPECT_EQ(arcs[2].Box, Square(0, 37.5, 25, 50));
  EXPECT_EQ(arcs[2].StartAngle, 90);
  EXPECT_EQ(arcs[3].Box, Square(0, 0, 25, 12.5));
  EXPECT_EQ(arcs[3].StartAngle, 180);
  for (const TCornerArc& arc : arcs) EXPECT_EQ(arc.SweepAngle, 90);
}

}  // namespace
