#include "document/vxDiagram.h"
#include "support/TestElements.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct View : ::testing::Test {
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  void SetUp() override {
    diagram->resize(400, 300);
    diagram->SetAutoScroll(false);
    diagram->HorzScrollBar()->SetRange(2000);
    diagram->VertScrollBar()->SetRange(2000);
  }
  TTestBlock* AddBlock(TSquare rect) {
    auto* block = Create<TTestBlock>(&form);
    block->Rect = rect;
    block->SetDiagram(diagram);
    return block;
  }
};

TEST_F(View, ScreenMappingWithRulerZoomAndScroll) {
  EXPECT_EQ(diagram->ClientToCanvas(TDot{10, 20}), (TDot{10, 20}));
  diagram->LeftRuler()->SetVisible(true);
  diagram->LeftRuler()->SetSize(20);
  diagram->SetZoom(200);
  diagram->HorzScrollBar()->SetPosition(50);
  ASSERT_EQ(diagram->HorzScrollBar()->Position(), 50);
  EXPECT_DOUBLE_EQ(diagram->ClientToCanvas(TDot{10, 0}).X, -10);
  EXPECT_DOUBLE_EQ(diagram->CanvasToClient(TDot{-10, 0}).X, 10);
}

TEST_F(View, EveryPaintStyleRoundTrips) {
  diagram->LeftRuler()->SetVisible(true);
  diagram->LeftRuler()->SetSize(20);
  diagram->TopRuler()->SetVisible(true);
  diagram->TopRuler()->SetSize(20);
  diagram->SetZoom(200);
  diagram->HorzScrollBar()->SetPosition(50);
  diagram->VertScrollBar()->SetPosition(50);
  diagram->SetPreviewOffset({12, -7});
  diagram->SetPrintConv(3.125, 3.125);
  diagram->SetAdjustRatio(0.5, 0.75);
  diagram->SetPreviewZoom(1.5);
  const TDot points[] = {{0, 0}, {10, 20}, {-33.5, 1234.25}, {1e6, -1e6}};
  for (TPaintStyle style : {psScreen, psPreview, psPrint, psBitmap}) {
    diagram->SetPaintStyle(style);
    for (const TDot& p : points) {
      const TDot back = diagram->CanvasToClient(diagram->ClientToCanvas(p));
      EXPECT_NEAR(back.X, p.X, 1e-6 * (1 + std::abs(p.X))) << style;
      EXPECT_NEAR(back.Y, p.Y, 1e-6 * (1 + std::abs(p.Y))) << style;
    }
  }
  diagram->SetPaintStyle(psBitmap);
  EXPECT_EQ(diagram->ClientToCanvas(TDot{1, 2}), (TDot{26, -10})) << "offset first, then the zoom";
  diagram->SetPaintStyle(psPreview);
  EXPECT_DOUBLE_EQ(diagram->ZoomRatio(), 1.5);
}

TEST_F(View, ZoomIsClampedAndReadBack) {
  diagram->SetZoom(2);
  EXPECT_DOUBLE_EQ(diagram->ZoomRatio(), 0.02);
  diagram->SetZoom(0);
  EXPECT_DOUBLE_EQ(diagram->ZoomRatio(), 0.01);
  EXPECT_EQ(diagram->Zoom(), 1);
  diagram->SetZoom(5000);
  EXPECT_DOUBLE_EQ(diagram->ZoomRatio(), 10.0);
  EXPECT_EQ(diagram->Zoom(), 1000);
  EXPECT_EQ(diagram->TopRuler()->Zoom(), 1000);
}

TEST_F(View, AZoomReadFromAStreamComesBackAsStored) {
  // Setting 194 reads back 193; saving writes 193, and loading must not make it 192.
  for (int zoom : {194, 35, 29, 143, 70, 100}) {
    diagram->SetZoom(zoom);
    const int stored = diagram->Zoom();
    diagram->LoadFromBytes(diagram->SaveToBytes(true), true);
    EXPECT_EQ(diagram->Zoom(), stored) << zoom;
    diagram->LoadFromBytes(diagram->SaveToBytes(false), false);
    EXPECT_EQ(diagram->Zoom(), stored) << zoom;
    EXPECT_NEAR(diagram->ZoomRatio(), zoom / 100.0, 0.0101) << zoom;
  }
}

TEST_F(View, StepZoomReachesItsEnds) {
  const TSquare click{100, 100, 103, 104};
  struct Case { int from; bool in; double to; };
  const Case cases[] = {{100, true, 1.25}, {800, true, 8.0}, {100, false, 0.75}, {1000, false, 8.0}};
  for (const Case& c : cases) {
    diagram->SetZoom(c.from);
    if (c.in) diagram->ZoomIn(click);
    else diagram->ZoomOut(click);
    EXPECT_DOUBLE_EQ(diagram->ZoomRatio(), c.to) << c.from << (c.in ? " in" : " out");
  }
  diagram->SetZoom(100);
  for (int i = 0; i < 20; ++i) diagram->ZoomOut(click);
  EXPECT_DOUBLE_EQ(diagram->ZoomRatio(), 0.0833) << "0.05 is never reached by stepping";
}

TEST_F(View, ZoomByRectangleIgnoresEmptyAndReversedRectangles) {
  diagram->ZoomIn({300, 300, 100, 200});  // reversed corners are normalised
  EXPECT_DOUBLE_EQ(diagram->ZoomRatio(), std::min(diagram->ViewWidth() / 200.0, diagram->ViewHeight() / 100.0));
  diagram->SetZoom(100);
  diagram->ZoomIn({100, 100, 100, 500});  // zero width: no division by zero
  EXPECT_TRUE(std::isfinite(diagram->ZoomRatio()));
  EXPECT_GE(diagram->ZoomRatio(), 0.01);
}

TEST_F(View, ExtentMovesElementsBackByClientUnitsAtAnyZoom) {
  diagram->SetAutoScroll(true);
  diagram->SetZoom(200);
  TTestBlock* block = AddBlock({-30, 10, 20, 60});
  diagram->RecalcExtent();
  EXPECT_DOUBLE_EQ(block->Rect.Left, 0) << "a block at -30 ends at 0, not at +30";
  diagram->SetZoom(100);
  block->Rect = {-30, 10, 20, 60};
  const int before = diagram->HorzScrollBar()->Position();
  diagram->RecalcExtent();
  EXPECT_DOUBLE_EQ(block->Rect.Left, 0);
  EXPECT_EQ(diagram->HorzScrollBar()->Position(), std::min(before + 30, diagram->ScrollCalcRange(sbHorizontal)));
}

TEST_F(View, ExtentRunsOnceAfterAnInternalUpdate) {
  diagram->SetAutoScroll(true);
  diagram->BeginInternalUpdate();
  AddBlock({0, 0, 3000, 50});
  EXPECT_LT(diagram->HorzScrollBar()->Range(), 3000) << "no extent work inside the update";
  diagram->EndInternalUpdate();
  EXPECT_GE(diagram->HorzScrollBar()->Range(), 3000);
}

TEST_F(View, FitMovesContentToTheOrigin) {
  diagram->ZoomMoveToFit(0);
  EXPECT_EQ(diagram->Zoom(), 100) << "an empty diagram fits at 100";
  TTestBlock* block = AddBlock({100, 100, 300, 200});
  diagram->ZoomMoveToFit(0);
  EXPECT_DOUBLE_EQ(block->Rect.Left, 0);
  EXPECT_DOUBLE_EQ(block->Rect.Top, 0);
  EXPECT_GT(diagram->Zoom(), 100);
  EXPECT_EQ(diagram->DiagramWidth(), 200);
}

struct WheelProbe : TvxDiagram {
  explicit WheelProbe(QWidget* parent) : TvxDiagram(parent) {}
  using TvxDiagram::MouseWheelDown;
  using TvxDiagram::MouseWheelUp;
};

TEST(Wheel, CtrlZoomsWithinItsLimitsAndThePlainWheelScrollsTheChosenBar) {
  QWidget form;
  auto* diagram = Create<WheelProbe>(&form);
  diagram->resize(400, 300);
  diagram->SetZoom(15);
  EXPECT_FALSE(diagram->MouseWheelDown(ssCtrl, {0, 0})) << "wheel zoom is off";
  diagram->SetWheelZoom(true);
  EXPECT_TRUE(diagram->MouseWheelDown(ssCtrl, {0, 0}));
  EXPECT_EQ(diagram->Zoom(), 10);
  diagram->MouseWheelDown(ssCtrl, {0, 0});
  EXPECT_EQ(diagram->Zoom(), 10);
  diagram->SetZoom(495);
  diagram->MouseWheelUp(ssCtrl, {0, 0});
  EXPECT_EQ(diagram->Zoom(), 500);

  diagram->SetAutoScroll(false);
  diagram->VertScrollBar()->SetRange(3000);
  EXPECT_FALSE(diagram->MouseWheelDown({}, {0, 0})) << "mwOff leaves the wheel unhandled";
  diagram->SetMouseWheelMode(mwVertical);
  EXPECT_TRUE(diagram->MouseWheelDown({}, {0, 0}));
  EXPECT_EQ(diagram->VertScrollBar()->Position(), 8);
  diagram->MouseWheelUp({}, {0, 0});
  diagram->MouseWheelUp({}, {0, 0});
  EXPECT_EQ(diagram->VertScrollBar()->Position(), 0) << "clamped at the top";
}

TEST_F(View, Units) {
  diagram->SetIgnoreScreenDPI(true);
  EXPECT_DOUBLE_EQ(diagram->ClientToInches(96), 1.0);
  EXPECT_DOUBLE_EQ(diagram->MilimetersToClient(25.4), 96.0);
  diagram->SetMeasUnit(duInch);
  EXPECT_EQ(diagram->UnitSymbol(), "in");
  EXPECT_DOUBLE_EQ(diagram->MMToMeasUnit(50.8), 2.0);
  diagram->SetMeasUnit(duCenti);
  EXPECT_DOUBLE_EQ(diagram->MeasUnitToMM(2), 20.0);
}

}  // namespace
