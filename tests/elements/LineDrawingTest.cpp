#include "LineTestSupport.h"
#include "elements/SideLineRouter.h"
#include "platform/Canvas.h"

#include <QImage>
#include <QPainter>
#include "drawing/DgrClasses.h"
#include <gtest/gtest.h>

namespace {

// --- Arrow figures ------------------------------------------------------------------------------

struct FigureCase {
  TArrowShape Shape;
  TArrowFigure::TKind Kind;
  TDotArray Points;
};

class ArrowFigures : public ::testing::TestWithParam<FigureCase> {};

TEST_P(ArrowFigures, HeadOnARightwardLine) {
  // Tip (100, 50), coming from (0, 50); 10 across, 20 along.
  const FigureCase& c = GetParam();
  const TArrowFigure figure = ArrowFigure(c.Shape, {100, 50}, {0, 50}, 10, 20);
  EXPECT_EQ(figure.Kind, c.Kind);
  ASSERT_EQ(figure.Points.size(), c.Points.size());
  for (size_t i = 0; i < c.Points.size(); ++i) {
    EXPECT_NEAR(figure.Points[i].X, c.Points[i].X, 1e-9) << i;
    EXPECT_NEAR(figure.Points[i].Y, c.Points[i].Y, 1e-9) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Arrows, ArrowFigures,
    ::testing::Values(FigureCase{asNone, TArrowFigure::afNone, {}},
                      FigureCase{asSolidArrow, TArrowFigure::afPolygon, {{100, 50}, {80, 55}, {80, 45}}},
                      FigureCase{asLineArrow, TArrowFigure::afLines, {{80, 55}, {100, 50}, {80, 45}, {100, 50}}},
                      FigureCase{asDiamond, TArrowFigure::afPolygon, {{95, 50}, {100, 40}, {105, 50}, {100, 60}}},
                      FigureCase{asRectangle, TArrowFigure::afRectangle, {{95, 40}, {106, 61}}},
                      FigureCase{asEllipse, TArrowFigure::afEllipse, {{95, 40}, {106, 61}}},
                      FigureCase{asHalfLine, TArrowFigure::afLines, {{80, 45}, {100, 50}}},
                      FigureCase{asAngledDiamond, TArrowFigure::afPolygon, {{90, 55}, {100, 50}, {90, 45}, {80, 50}}}));

TEST(ArrowFigure, AngledDiamondLiesAlongTheLine) {
  // Going down: the diamond's long axis is vertical, from the tip back one head length.
  const TArrowFigure figure = ArrowFigure(asAngledDiamond, {0, 100}, {0, 0}, 8, 30);
  ASSERT_EQ(figure.Points.size(), 4u);
  double top = 1e9, bottom = -1e9, left = 1e9, right = -1e9;
  for (const TDot& p : figure.Points) {
    top = std::min(top, p.Y);
    bottom = std::max(bottom, p.Y);
    left = std::min(left, p.X);
    right = std::max(right, p.X);
  }
  EXPECT_NEAR(bottom, 100, 1e-9);
  EXPECT_NEAR(top, 70, 1e-9);
  EXPECT_NEAR(right - left, 8, 1e-9);
}

TEST(SegmentCrossing, OnlyStrictlyInsideBothSegments) {
  EXPECT_EQ(SegmentCrossing({0, 50}, {100, 50}, {30, 0}, {30, 100}), (TDot{30, 50}));
  EXPECT_EQ(SegmentCrossing({30, 0}, {30, 100}, {0, 50}, {100, 50}), (TDot{30, 50}));
  EXPECT_FALSE(SegmentCrossing({0, 50}, {100, 50}, {100, 0}, {100, 100})) << "touching the end";
  EXPECT_FALSE(SegmentCrossing({0, 50}, {100, 50}, {30, 50}, {30, 100})) << "starting on the segment";
  EXPECT_FALSE(SegmentCrossing({0, 50}, {100, 50}, {0, 60}, {100, 60})) << "parallel";
  EXPECT_FALSE(SegmentCrossing({0, 0}, {100, 0}, {20, 0}, {40, 0})) << "overlapping";
  const auto slanted = SegmentCrossing({0, 0}, {100, 100}, {0, 100}, {100, 0});
  ASSERT_TRUE(slanted);
  EXPECT_NEAR(slanted->X, 50, 1e-9);
}

TEST(HelperLine, SortsHopsNearestFirstAndStable) {
  THelperLine helper;
  for (TPoint p : {TPoint{50, 0}, TPoint{10, 0}, TPoint{0, 30}, TPoint{30, 0}, TPoint{0, 10}}) helper.Add(p);
  helper.SortByDistance({0, 0});
  EXPECT_EQ(helper.Points(), (TPointArray{{10, 0}, {0, 10}, {0, 30}, {30, 0}, {50, 0}}));
}

// --- Drawing on the raster canvas ---------------------------------------------------------------

struct LineDrawing : LineFixture {
  QImage image{400, 300, QImage::Format_RGB32};
  TCanvas canvas;
  TDot offset;

  void SetUp() override {
    image.fill(Qt::white);
    canvas.Bind(&image);
    offset = diagram->ClientToCanvas(TDot{0, 0});
  }
  void TearDown() override { canvas.Unbind(); }
  TColor PixelAt(double clientX, double clientY) {
    return canvas.Pixel(Round(clientX + offset.X), Round(clientY + offset.Y));
  }
  void Draw(TCustomDiagramLine* line) {
    TDiagramDrawInfo info;
    info.Canvas = &canvas;
    line->DrawControl(info);
  }
};

TEST_F(LineDrawing, LineWithAFilledArrowHeadAndToolsRestored) {
  auto* line = Make<TDiagramLine>();
  line->Handles()->Handle(0)->SetOrPoint({20, 100});
  line->Handles()->Handle(1)->SetOrPoint({200, 100});
  line->TargetArrow()->SetShape(asSolidArrow);
  line->TargetArrow()->SetWidth(20);
  line->TargetArrow()->SetHeight(20);
  line->TargetArrow()->Brush()->SetColor(clRed);
  canvas.Pen()->SetColor(clBlue);
  canvas.Brush()->SetColor(clLime);
  Draw(line);
  EXPECT_EQ(PixelAt(100, 100), clBlack) << "the line";
  EXPECT_EQ(PixelAt(100, 101), clWhite);
  EXPECT_EQ(PixelAt(188, 103), clRed) << "inside the head";
  EXPECT_EQ(PixelAt(190, 108), clWhite) << "outside the head";
  EXPECT_EQ(line->TargetArrow()->DrawTo(), (TDot{200 + offset.X, 100 + offset.Y}));
  EXPECT_EQ(canvas.Pen()->Color(), clBlue);
  EXPECT_EQ(canvas.Brush()->Color(), clLime);
  EXPECT_EQ(canvas.Brush()->Style(), bsSolid);
}

TEST_F(LineDrawing, SelectedLineUsesItsSelectionPen) {
  auto* line = Make<TDiagramLine>();
  line->Handles()->Handle(1)->SetOrPoint({100, 0});
  line->SelPen()->SetColor(clGreen);
  line->SetSelected(true);
  ASSERT_TRUE(line->Selected());
  Draw(line);
  EXPECT_EQ(PixelAt(50, 0), clGreen);
}

TEST_F(LineDrawing, AllPointsEqualDrawNoArrows) {
  auto* line = Make<TDiagramLine>();
  line->Handles()->Handle(0)->SetOrPoint({50, 50});
  line->Handles()->Handle(1)->SetOrPoint({50, 50});
  line->SourceArrow()->SetShape(asRectangle);
  line->TargetArrow()->SetShape(asRectangle);
  Draw(line);
  EXPECT_EQ(line->SourceArrow()->DrawTo(), (TDot{0, 0})) << "never drawn";
  EXPECT_EQ(line->TargetArrow()->DrawTo(), (TDot{0, 0}));
  EXPECT_EQ(PixelAt(46, 46), clWhite);
}

TEST_F(LineDrawing, SideLinesHopOverEarlierSideLines) {
  // Side lines whose ends both run along one axis: straight.
  auto straightSideLine = [this](TDot from, TDot to, int data) {
    auto* line = Make<TDiagramSideLine>();
    line->Handles()->Handle(0)->SetData(data);
    line->Handles()->Handle(line->Handles()->Count() - 1)->SetData(data);
    Connect(line, nullptr, nullptr, from, to);
    return line;
  };
  auto* across = straightSideLine({10, 50}, {190, 50}, SideLine::HorizontalData);
  auto* down = straightSideLine({100, 10}, {100, 190}, SideLine::VerticalData);
  ASSERT_EQ(down->Points(), (TDotArray{{100, 10}, {100, 190}}));
  ASSERT_EQ(across->Points(), (TDotArray{{10, 50}, {190, 50}}));

  Draw(down);
  EXPECT_EQ(PixelAt(100, 50), clBlack) << "no indicators unless asked for";
  image.fill(Qt::white);
  diagram->SetShowCrossIndicators(true);
  Draw(down);
  EXPECT_EQ(PixelAt(100, 40), clBlack);
  EXPECT_EQ(PixelAt(100, 50), clWhite) << "the hop leaves the crossing free";
  EXPECT_EQ(PixelAt(103, 49), clBlack);
  EXPECT_EQ(PixelAt(100, 60), clBlack);
  image.fill(Qt::white);
  Draw(across);
  EXPECT_EQ(PixelAt(100, 50), clBlack) << "the earlier line draws straight through";
}

TEST_F(LineDrawing, DragFeedbackInvertsAndIsRestored) {
  auto* line = Make<TDiagramLine>();
  line->Handles()->Handle(1)->SetOrPoint({100, 0});
  line->StartMoving();
  canvas.Pen()->SetStyle(psSolid);
  auto inverted = [this] {
    int count = 0;
    for (int x = 0; x < 100; ++x) count += PixelAt(x, 0) != clWhite;
    return count;
  };
  line->DrawCursor(&canvas, line->TempHandles());
  EXPECT_GT(inverted(), 20) << "dots of inverted white";
  EXPECT_LT(inverted(), 100) << "dotted";
  line->DrawCursor(&canvas, line->TempHandles());
  EXPECT_EQ(inverted(), 0) << "drawn twice: gone";
  EXPECT_EQ(canvas.Pen()->Mode(), pmCopy);
  EXPECT_EQ(canvas.Pen()->Style(), psSolid);
}

// The path route: the line through the paint's engine in client units.
TEST_F(LineDrawing, EngineRouteDrawsTheLineAndItsHead) {
  diagram->SetGraphicLib(dglGDIPlus);
  auto* line = Make<TDiagramLine>();
  line->Handles()->Handle(0)->SetOrPoint({20, 100});
  line->Handles()->Handle(1)->SetOrPoint({200, 100});
  line->Pen()->SetWidth(3);
  line->TargetArrow()->SetShape(asSolidArrow);
  line->TargetArrow()->SetWidth(20);
  line->TargetArrow()->SetHeight(20);
  line->TargetArrow()->Brush()->SetColor(clRed);
  ASSERT_NE(line->DgrDrawer(), nullptr);
  canvas.Unbind();
  {
    QPainter painter(&image);
    TCanvas raster(&painter);
    std::unique_ptr<TDgrPaintEngine> engine =
        CreatePaintEngine(dglGDIPlus, &painter, TRect{0, 0, image.width(), image.height()});
    engine->BeginDraw();
    engine->ResetTransform();
    engine->TranslateTransform(offset.X, offset.Y);
    line->DgrDrawer()->SetPaintEngine(engine.get());
    TDiagramDrawInfo info;
    info.Canvas = &raster;
    info.DgrDrawer = line->DgrDrawer();
    line->DrawControl(info);
    line->DgrDrawer()->SetPaintEngine(nullptr);
    engine->EndDraw();
  }
  canvas.Bind(&image);
  auto dark = [this](double x, double y) { return PixelAt(x, y) != clWhite; };
  EXPECT_TRUE(dark(100, 100));
  EXPECT_TRUE(dark(100, 101)) << "three units wide";
  EXPECT_FALSE(dark(100, 104));
  EXPECT_EQ(PixelAt(186, 103), clRed) << "inside the head";
  EXPECT_FALSE(dark(190, 109)) << "outside the head";
  EXPECT_EQ(line->TargetArrow()->DrawTo(), (TDot{200, 100})) << "client units on the engine route";
}

}  // namespace
