// Blocks: handle layouts of both handle styles, cursors following the angle, handle and
// link point positions under rotation, and the geometry of moving, inserting, resizing and
// rotating.

#include "document/vxDiagram.h"
#include "elements/Blocks.h"
#include "elements/StretchHandles.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <cmath>
#include <numbers>

namespace {

constexpr double Tol = 1e-9;

::testing::AssertionResult NearDot(const TDot& actual, const TDot& expected, double tol = Tol) {
  if (std::abs(actual.X - expected.X) <= tol && std::abs(actual.Y - expected.Y) <= tol)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << actual.X << ", " << actual.Y << ") is not near (" << expected.X
                                       << ", " << expected.Y << ")";
}

::testing::AssertionResult NearSquare(const TSquare& a, const TSquare& e, double tol = 1e-6) {
  if (std::abs(a.Left - e.Left) <= tol && std::abs(a.Top - e.Top) <= tol && std::abs(a.Right - e.Right) <= tol &&
      std::abs(a.Bottom - e.Bottom) <= tol)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << a.Left << ", " << a.Top << ", " << a.Right << ", " << a.Bottom
                                       << ") is not near (" << e.Left << ", " << e.Top << ", " << e.Right << ", "
                                       << e.Bottom << ")";
}

struct DragFixture : ::testing::Test {
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  TDiagramBlock* block = Create<TDiagramBlock>(&form);

  TStretchHandle* H(int data) const { return block->Handles()->FindByData(data); }
  TDot At(int data) const { return block->HandleClientPoint(H(data)); }
  TSquare Drag(int data, TDot delta) {
    THandleMoveInfo info;
    info.AHandle = H(data);
    info.Action = haMoved;
    info.Delta = delta;
    block->HandleMoving(info);
    return block->BoundsRect();
  }
};

TEST_F(DragFixture, ClassicLayout) {
  block->SetDiagram(diagram);
  block->SetBoundsRect({10, 20, 110, 70});
  ASSERT_EQ(block->Handles()->Count(), 9);
  struct Case {
    int Data;
    TDot Client;
    TCursor Cursor;
    THandleStyle Style;
  };
  const Case cases[] = {{1, {10, 20}, crSizeNWSE, hsSize}, {2, {60, 20}, crSizeNS, hsSize},
                        {3, {110, 20}, crSizeNESW, hsSize}, {4, {110, 45}, crSizeWE, hsSize},
                        {5, {110, 70}, crSizeNWSE, hsSize}, {6, {60, 70}, crSizeNS, hsSize},
                        {7, {10, 70}, crSizeNESW, hsSize}, {8, {10, 45}, crSizeWE, hsSize},
                        {9, {100, 45}, crHandPoint, hsRotate}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Data);
    ASSERT_NE(H(c.Data), nullptr);
    EXPECT_TRUE(NearDot(At(c.Data), c.Client));
    EXPECT_EQ(H(c.Data)->Cursor(), c.Cursor);
    EXPECT_EQ(H(c.Data)->Style(), c.Style);
  }
  EXPECT_EQ(H(10), nullptr);
}

TEST_F(DragFixture, VisioLayout) {
  diagram->SetHandlesStyle(hsVisio);
  block->SetDiagram(diagram);
  block->SetBoundsRect({10, 20, 110, 70});
  ASSERT_EQ(block->Handles()->Count(), 10);
  EXPECT_EQ(H(9)->OrPoint(), (TDot{50, 0}));
  EXPECT_TRUE(NearDot(At(9), (TDot{60, 20 - 24}))) << "24 canvas pixels above the top edge";
  EXPECT_EQ(H(10)->Style(), hsRotCenter);
  EXPECT_TRUE(NearDot(At(10), (TDot{60, 45})));
  diagram->SetZoom(200);
  EXPECT_TRUE(NearDot(At(9), (TDot{60, 20 - 12}))) << "the lift is in canvas pixels";
  diagram->SetZoom(100);
  block->SetRotationCenter({25, 50});
  EXPECT_TRUE(NearDot(At(10), (TDot{35, 45})));
  EXPECT_TRUE(NearDot(At(9), (TDot{35, -4}))) << "the rotation handle stands above the rotation centre";
}

TEST_F(DragFixture, LeavingForAClassicDiagramDropsTheCentreHandle) {
  diagram->SetHandlesStyle(hsVisio);
  block->SetDiagram(diagram);
  ASSERT_NE(H(10), nullptr);
  auto* classic = Create<TvxDiagram>(&form);
  block->SetDiagram(classic);
  EXPECT_EQ(H(10), nullptr);
  EXPECT_EQ(H(9)->OrPoint(), (TDot{90, 50}));
}

TEST_F(DragFixture, HandlesTurnWithTheBlock) {
  block->SetBoundsRect({10, 20, 110, 70});  // centre (60, 45)
  block->SetAngle(90);
  EXPECT_TRUE(NearDot(At(1), (TDot{85, -5})));
  EXPECT_TRUE(NearDot(At(5), (TDot{35, 95})));
  EXPECT_TRUE(NearDot(At(9), (TDot{60, 85})));
  block->SetAngle(180);
  EXPECT_TRUE(NearDot(At(1), (TDot{110, 70})));
}

TEST_F(DragFixture, CursorsFollowTheAngle) {
  struct Case {
    double Angle;
    TCursor Handle1;
    TCursor Handle2;
  };
  const Case cases[] = {{0, crSizeNWSE, crSizeNS},   {22.4, crSizeNWSE, crSizeNS}, {22.5, crSizeNS, crSizeNESW},
                        {45, crSizeNS, crSizeNESW},  {90, crSizeNESW, crSizeWE},  {180, crSizeNWSE, crSizeNS},
                        {315, crSizeWE, crSizeNWSE}, {337.5, crSizeNWSE, crSizeNS}};
  for (const Case& c : cases) {
    block->SetAngle(c.Angle);
    EXPECT_EQ(H(1)->Cursor(), c.Handle1) << c.Angle;
    EXPECT_EQ(H(2)->Cursor(), c.Handle2) << c.Angle;
  }
}

TEST_F(DragFixture, RotationHandleWithoutRotationIsNowhere) {
  block->SetRestrictions(crNoRotation);
  EXPECT_EQ(At(9), NullDot);
}

TEST_F(DragFixture, ResizeTable) {
  struct Case {
    int Data;
    TDot Delta;
    TSquare Result;
  };
  const Case cases[] = {
      {5, {20, 10}, {0, 0, 120, 110}},
      {1, {-10, -20}, {-10, -20, 100, 100}},
      {3, {10, -10}, {0, -10, 110, 100}},
      {7, {-5, 5}, {-5, 0, 100, 105}},
      {2, {5, -30}, {0, -30, 100, 100}},   // only the coordinate across the edge follows
      {4, {25, 7}, {0, 0, 125, 100}},
      {6, {-3, 15}, {0, 0, 100, 115}},
      {8, {-30, 9}, {-30, 0, 100, 100}},
      {6, {0, -80}, {0, 0, 100, 40}},      // minimum height, the top edge stays
      {1, {90, 90}, {60, 60, 100, 100}},   // minimum size, the opposite corner stays
      {8, {95, 0}, {60, 0, 100, 100}},
      {5, {-150, -150}, {-50, -50, 0, 0}}, // dragged across the fixed corner
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "handle " << c.Data << " by " << c.Delta.X << "," << c.Delta.Y);
    block->SetBoundsRect({0, 0, 100, 100});
    EXPECT_TRUE(NearSquare(Drag(c.Data, c.Delta), c.Result));
  }
}

TEST_F(DragFixture, ResizeUnderRotationKeepsTheFixedCorner) {
  block->SetBoundsRect({0, 0, 100, 100});
  block->SetAngle(90);
  const TDot fixedBefore = At(1);
  const TDot draggedBefore = At(5);
  // On screen to the left is along the block's own height at 90 degrees.
  Drag(5, {-20, 0});
  EXPECT_NEAR(block->Width(), 100, 1e-6);
  EXPECT_NEAR(block->Height(), 120, 1e-6);
  EXPECT_TRUE(NearDot(At(1), fixedBefore));
  EXPECT_TRUE(NearDot(At(5), (TDot{draggedBefore.X - 20, draggedBefore.Y})));
}

TEST_F(DragFixture, ResizeUnderRotationTable) {
  // Each handle dragged at several angles: the pinned corner of the bounds before the drag
  // stays where it was on screen.
  const int pinned[] = {0, 5, 7, 7, 1, 1, 1, 3, 5};
  for (double angle : {0.0, 30.0, 135.0, 260.0}) {
    for (int data = 1; data <= 8; ++data) {
      SCOPED_TRACE(testing::Message() << "angle " << angle << " handle " << data);
      block->SetBoundsRect({0, 0, 100, 80});
      block->SetAngle(angle);
      const TDot pin = At(pinned[data]);
      Drag(data, {7, -11});
      EXPECT_TRUE(NearDot(At(pinned[data]), pin));
      EXPECT_GE(block->Width(), block->MinWidth());
      EXPECT_GE(block->Height(), block->MinHeight());
    }
  }
}

TEST_F(DragFixture, KeepRatio) {
  block->SetRestrictions(crKeepRatio);
  block->SetBoundsRect({0, 0, 100, 50});
  Drag(5, {100, 100});
  EXPECT_TRUE(NearSquare(block->BoundsRect(), (TSquare{0, 0, 300, 150})));
  EXPECT_DOUBLE_EQ(block->Width() / block->Height(), 2);
}

TEST_F(DragFixture, NoResizeKeepsTheBounds) {
  block->SetRestrictions(crNoResize);
  block->SetBoundsRect({0, 0, 100, 100});
  EXPECT_EQ(Drag(5, {20, 20}), (TSquare{0, 0, 100, 100}));
}

TEST_F(DragFixture, SizeHandleWithUnknownDataIsRefused) {
  block->SetBoundsRect({0, 0, 100, 100});
  TStretchHandle* handle = block->Handles()->Handle(4);
  for (int data : {0, 9, 11, -1, 1000}) {
    handle->SetData(data);
    THandleMoveInfo info;
    info.AHandle = handle;
    info.Action = haMoved;
    info.Delta = {20, 20};
    block->HandleMoving(info);
    EXPECT_EQ(block->BoundsRect(), (TSquare{0, 0, 100, 100})) << data;
    EXPECT_EQ(block->OppositeHandle(data), nullptr) << data;
  }
}

TEST_F(DragFixture, ResizeWithoutThePinnedHandleIsRefused) {
  block->SetBoundsRect({0, 0, 100, 100});
  block->Handles()->Delete(H(1)->Index());
  EXPECT_EQ(Drag(5, {20, 20}), (TSquare{0, 0, 100, 100}));
}

TEST_F(DragFixture, RotateSnapsToTheStep) {
  block->SetBoundsRect({0, 0, 100, 100});  // handle 9 at (90, 50), centre (50, 50)
  const double radians = 92.4 * std::numbers::pi / 180;
  const TDot target{50 + 40 * std::cos(radians), 50 + 40 * std::sin(radians)};
  const TSquare before = block->BoundsRect();
  Drag(9, SubDots(target, At(9)));
  EXPECT_EQ(block->Angle(), 90);
  EXPECT_TRUE(NearSquare(block->BoundsRect(), before));
  block->SetAngle(0);
  block->SetRotationStep(1);
  Drag(9, SubDots(target, At(9)));
  EXPECT_EQ(block->Angle(), 92);
}

TEST_F(DragFixture, RotateTable) {
  struct Case {
    double Start;
    double Turn;  // degrees, clockwise on screen
    double Result;
  };
  const Case cases[] = {{0, 45, 45}, {0, -45, 315}, {300, 90, 30}, {10, 181, 190}, {0, 2.4, 0}, {0, 2.6, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Start << " + " << c.Turn);
    block->SetBoundsRect({0, 0, 100, 100});
    block->SetAngle(c.Start);
    const TDot centre = block->RotationCenterPoint();
    const TDot p = At(9);
    const double r = c.Turn * std::numbers::pi / 180;
    const TDot turned{centre.X + (p.X - centre.X) * std::cos(r) - (p.Y - centre.Y) * std::sin(r),
                      centre.Y + (p.X - centre.X) * std::sin(r) + (p.Y - centre.Y) * std::cos(r)};
    Drag(9, SubDots(turned, p));
    EXPECT_NEAR(block->Angle(), c.Result, 1e-9);
  }
}

TEST_F(DragFixture, RotateAboutAMovedCentre) {
  block->SetBoundsRect({0, 0, 100, 100});
  block->SetRotationCenter({0, 0});  // the top-left corner
  const TDot p = At(9);              // (90, 50)
  Drag(9, SubDots(TDot{-p.Y, p.X}, p));
  EXPECT_EQ(block->Angle(), 90);
  EXPECT_TRUE(NearSquare(block->BoundsRect(), (TSquare{-100, 0, 0, 100})));
  EXPECT_TRUE(NearDot(block->RotationCenterPoint(), (TDot{0, 0}))) << "the block turned about its rotation centre";
}

TEST_F(DragFixture, NoRotationKeepsTheAngle) {
  block->SetRestrictions(crNoRotation);
  const auto geometry = block->HandleDragResult(H(9), {0, 40});
  EXPECT_EQ(geometry.Angle, 0);
  EXPECT_EQ(geometry.Rect, block->BoundsRect());
}

TEST_F(DragFixture, MovingTheRotationCentre) {
  diagram->SetHandlesStyle(hsVisio);
  block->SetDiagram(diagram);
  block->SetBoundsRect({0, 0, 100, 50});
  Drag(10, {25, -5});
  EXPECT_TRUE(NearDot(block->RotationCenter(), (TDot{75, 40})));
  block->SetAngle(90);
  block->SetRotationCenter({50, 50});
  Drag(10, {0, 10});  // down on screen is along the block's width at 90 degrees
  EXPECT_TRUE(NearDot(block->RotationCenter(), (TDot{60, 50})));
  block->SetRestrictions(crNoRotCenterMove);
  Drag(10, {0, 10});
  EXPECT_TRUE(NearDot(block->RotationCenter(), (TDot{60, 50})));
}

TEST_F(DragFixture, MovingByDelta) {
  block->SetBoundsRect({0, 0, 100, 100});
  TControlMoveInfo info;
  info.Delta = {15, -5};
  info.Action = caPositionCursor;
  block->ControlMoving(info);
  EXPECT_EQ(block->BoundsRect(), (TSquare{0, 0, 100, 100})) << "only the drag cursor moved";
  block->ApplyCursorGeometry();
  EXPECT_EQ(block->BoundsRect(), (TSquare{15, -5, 115, 95}));
  block->RestoreSavedGeometry();
  EXPECT_EQ(block->BoundsRect(), (TSquare{0, 0, 100, 100}));
  info.Action = caMoved;
  block->ControlMoving(info);
  EXPECT_EQ(block->BoundsRect(), (TSquare{15, -5, 115, 95}));
}

TEST_F(DragFixture, InsertingTable) {
  struct Case {
    TDot P1, P2;
    bool Clicked;
    bool NoResize;
    TSquare Result;
  };
  const Case cases[] = {
      {{10, 10}, {80, 60}, false, false, {10, 10, 80, 60}},
      {{80, 60}, {10, 10}, false, false, {10, 10, 80, 60}},  // normalised
      {{10, 10}, {10, 10}, true, false, {10, 10, 60, 60}},   // a click keeps the size
      {{80, 60}, {10, 10}, false, true, {30, 10, 80, 60}},   // fixed size, dragged up-left
  };
  for (const Case& c : cases) {
    block->SetRestrictions(c.NoResize ? TControlRestrictions(crNoResize) : TControlRestrictions());
    block->SetBoundsRect({0, 0, 50, 50});
    TControlInsertInfo info;
    info.Action = iaInserted;
    info.P1 = c.P1;
    info.P2 = c.P2;
    info.Clicked = c.Clicked;
    block->ControlInserting(info);
    EXPECT_EQ(block->BoundsRect(), c.Result);
  }
}

TEST_F(DragFixture, RotationDragTurnsTextCellsWithTheCursorGeometry) {
  block->SetBoundsRect({0, 0, 100, 100});
  THandleMoveInfo info;
  info.AHandle = H(9);
  info.Action = haPositionCursor;
  info.Delta = {-40, 40};  // a quarter turn
  block->HandleMoving(info);
  EXPECT_EQ(block->Angle(), 0);
  block->ApplyCursorGeometry();
  EXPECT_EQ(block->Angle(), 90);
  EXPECT_EQ(block->TextCells()->Cell(0)->Angle(), 90);
  block->RestoreSavedGeometry();
  EXPECT_EQ(block->Angle(), 0);
  EXPECT_EQ(block->TextCells()->Cell(0)->Angle(), 0);
}

}  // namespace
