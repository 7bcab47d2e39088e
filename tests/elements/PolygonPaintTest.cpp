// Polygon blocks on pixels and under the mouse, on the raster route and the path route:
// filled where the polygon is and nowhere else, turned with the block, the shadow beside
// it, point grips in the point colour, and hit tests of a concave outline.

#include "document/vxDiagram.h"
#include "drawing/DgrClasses.h"
#include "elements/PolygonBlocks.h"
#include "elements/StretchHandles.h"
#include "platform/Canvas.h"

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>
#include <cmath>
#include <memory>

namespace {

enum class TMode { Raster, Path };

std::string ModeName(const ::testing::TestParamInfo<TMode>& info) {
  return info.param == TMode::Raster ? "Raster" : "Path";
}

QColor Rgb(TColor color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

::testing::AssertionResult PixelIs(const QImage& image, TDot at, TColor expected, int tolerance = 8) {
  const int x = Round(at.X), y = Round(at.Y);
  const QColor actual = image.pixelColor(x, y);
  const QColor want = Rgb(expected);
  const int worst = std::max({std::abs(actual.red() - want.red()), std::abs(actual.green() - want.green()),
                              std::abs(actual.blue() - want.blue())});
  if (worst <= tolerance) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") is (" << actual.red() << ","
                                       << actual.green() << "," << actual.blue() << "), expected (" << want.red()
                                       << "," << want.green() << "," << want.blue() << ")";
}

int CountColour(const QImage& image, TColor colour) {
  int count = 0;
  const QColor want = Rgb(colour);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y) == want) ++count;
  return count;
}

struct PolygonPaintFixture : ::testing::TestWithParam<TMode> {
  PolygonPaintFixture() {
    diagram->SetGraphicLib(GetParam() == TMode::Raster ? dglGDI : dglGDIPlus);
    polygon->SetDiagram(diagram);
    polygon->SetColor(clYellow);
    polygon->Pen()->SetColor(clRed);
    polygon->Pen()->SetWidth(3);
    image.fill(Qt::white);
  }

  void SetPoints(const TDotArray& points) {
    for (const TDot& p : points) polygon->Polygon()->Add(p.X, p.Y);
    polygon->ChangePolygon();
    const TSquare box = polygon->OrRect();
    // Bounds equal to the points' box: the block as drawn by the user.
    polygon->SetBoundsRect(box);
  }

  const QImage& Paint() {
    QPainter painter(&image);
    TCanvas canvas(&painter);
    TDiagramDrawInfo info;
    info.Canvas = &canvas;
    std::unique_ptr<TDgrPaintEngine> engine;
    if (GetParam() == TMode::Path) {
      engine = CreatePaintEngine(dglGDIPlus, &painter, TRect{0, 0, image.width(), image.height()});
      engine->BeginDraw();
      engine->ResetTransform();
      const TDot origin = diagram->ClientToCanvas(TDot{0, 0});
      const TDot unit = diagram->ClientToCanvas(TDot{1, 1});
      engine->ScaleTransform(unit.X - origin.X, unit.Y - origin.Y);
      engine->TranslateTransform(origin.X, origin.Y);
      polygon->DgrDrawer()->SetPaintEngine(engine.get());
      info.DgrDrawer = polygon->DgrDrawer();
    }
    polygon->DrawControl(info);
    if (engine) {
      polygon->DgrDrawer()->SetPaintEngine(nullptr);
      engine->EndDraw();
    }
    return image;
  }

  TDot Canvas(double x, double y) const { return diagram->ClientToCanvas(TDot{x, y}); }

  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  TPolygonBlock* polygon = Create<TPolygonBlock>(&form);
  QImage image{260, 260, QImage::Format_ARGB32_Premultiplied};
};

TEST_P(PolygonPaintFixture, ATriangleIsFilledWhereItIsAndNowhereElse) {
  SetPoints({{40, 40}, {160, 40}, {40, 160}});
  const QImage& painted = Paint();
  EXPECT_TRUE(PixelIs(painted, Canvas(60, 60), clYellow));
  EXPECT_TRUE(PixelIs(painted, Canvas(90, 80), clYellow));
  EXPECT_TRUE(PixelIs(painted, Canvas(40, 100), clRed)) << "the outline";
  EXPECT_TRUE(PixelIs(painted, Canvas(130, 130), clWhite)) << "beyond the hypotenuse, inside the bounds";
  EXPECT_TRUE(PixelIs(painted, Canvas(110, 110), clWhite));
  EXPECT_TRUE(PixelIs(painted, Canvas(20, 20), clWhite));
  EXPECT_TRUE(PixelIs(painted, Canvas(200, 100), clWhite));
}

TEST_P(PolygonPaintFixture, TheTriangleTurnsWithTheBlock) {
  SetPoints({{40, 40}, {160, 40}, {40, 160}});
  polygon->SetAngle(180);
  const QImage& painted = Paint();
  // Turned half about (100, 100): the right angle now sits at (160, 160).
  EXPECT_TRUE(PixelIs(painted, Canvas(140, 140), clYellow));
  EXPECT_TRUE(PixelIs(painted, Canvas(60, 60), clWhite));
  EXPECT_TRUE(PixelIs(painted, Canvas(70, 70), clWhite));
}

TEST_P(PolygonPaintFixture, TheShadowShowsBesideThePolygon) {
  SetPoints({{40, 40}, {160, 40}, {40, 160}});
  polygon->Shadow()->SetVisible(true);
  polygon->Shadow()->SetColor(clBlue);
  polygon->Shadow()->SetHOffset(10);
  polygon->Shadow()->SetVOffset(10);
  const QImage& painted = Paint();
  EXPECT_TRUE(PixelIs(painted, Canvas(60, 60), clYellow));
  // The shadow is the triangle moved by (10, 10); these pixels are outside the block's own.
  EXPECT_TRUE(PixelIs(painted, Canvas(53, 160), clBlue)) << "beside the bottom corner";
  EXPECT_TRUE(PixelIs(painted, Canvas(160, 53), clBlue)) << "beside the right corner";
  EXPECT_TRUE(PixelIs(painted, Canvas(45, 165), clWhite)) << "left of the shadow";
}

TEST_P(PolygonPaintFixture, AnEmptyPolygonPaintsNothing) {
  polygon->SetBoundsRect({40, 40, 160, 160});
  polygon->Shadow()->SetVisible(true);
  const QImage& painted = Paint();
  EXPECT_EQ(CountColour(painted, clWhite), painted.width() * painted.height());
}

TEST_P(PolygonPaintFixture, PointGripsAreDrawnInThePointColour) {
  SetPoints({{40, 40}, {160, 40}, {100, 150}});
  polygon->SetPointColor(clBlue);
  polygon->SetSelected(true);
  {
    QPainter painter(&image);
    TCanvas canvas(&painter);
    TDiagramDrawInfo info;
    info.Canvas = &canvas;
    polygon->DrawHandles(info);
  }
  EXPECT_TRUE(PixelIs(image, Canvas(100, 150), clBlue)) << "a point grip";
  EXPECT_FALSE(PixelIs(image, Canvas(100, 40), clBlue)) << "the top edge's size grip keeps its own look";
  EXPECT_FALSE(PixelIs(image, Canvas(100, 40), clWhite)) << "but it is drawn";
}

TEST_P(PolygonPaintFixture, PointsAddedByCodeArePaintedOnceTheBoundsAreSet) {
  polygon->SetBoundsRect({0, 0, 50, 50});
  for (const TDot& p : TDotArray{{100, 100}, {200, 100}, {100, 200}}) polygon->Polygon()->Add(p.X, p.Y);
  polygon->ChangePolygon();
  // Before the bounds are set the raster route paints the points where they are and the
  // path route fits them into the bounds.
  Paint();
  if (GetParam() == TMode::Raster) EXPECT_TRUE(PixelIs(image, Canvas(120, 120), clYellow));
  else EXPECT_TRUE(PixelIs(image, Canvas(12, 12), clYellow));
  image.fill(Qt::white);
  polygon->SetBoundsRect({20, 20, 120, 120});
  const QImage& painted = Paint();
  EXPECT_TRUE(PixelIs(painted, Canvas(40, 40), clYellow));
  EXPECT_TRUE(PixelIs(painted, Canvas(120, 120), clWhite));
  EXPECT_TRUE(PixelIs(painted, Canvas(100, 100), clWhite));
}

TEST_P(PolygonPaintFixture, ASinglePointPaintsNoArea) {
  polygon->Polygon()->Add(100, 100);
  polygon->ChangePolygon();
  polygon->SetBoundsRect({100, 100, 100, 100});
  polygon->Pen()->SetStyle(psClear);
  const QImage& painted = Paint();
  EXPECT_EQ(CountColour(painted, clYellow), 0);
}

INSTANTIATE_TEST_SUITE_P(BothModes, PolygonPaintFixture, ::testing::Values(TMode::Raster, TMode::Path), ModeName);

// --- Drag outlines and drawing feedback (raster canvas) -------------------------------

struct PolygonFeedbackFixture : ::testing::Test {
  PolygonFeedbackFixture() {
    diagram->SetGraphicLib(dglGDI);
    polygon->Pen()->SetColor(clRed);
    image.fill(Qt::white);
  }
  template <class Info>
  void Send(Info info, void (TCustomPolygonBlock::*operation)(Info&)) {
    QPainter painter(&image);
    TCanvas canvas(&painter);
    info.Canvas = &canvas;
    (polygon->*operation)(info);
  }
  int Marked(int y, int x1, int x2) const {
    int count = 0;
    for (int x = x1; x <= x2; ++x)
      if (image.pixelColor(x, y) != QColor(Qt::white)) ++count;
    return count;
  }
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  TPolygonBlock* polygon = Create<TPolygonBlock>(&form);
  QImage image{260, 260, QImage::Format_ARGB32_Premultiplied};
};

TEST_F(PolygonFeedbackFixture, DrawingShowsARubberBandThatErasesItselfAndTheSegmentsInThePen) {
  const TDot a{40, 50}, b{160, 50};
  TControlDrawInfo info;
  info.Diagram = diagram;
  info.Action = daDrawCursor;
  info.P2 = b;
  Send(info, &TPolygonBlock::ControlDrawing);
  EXPECT_EQ(Marked(Round(diagram->ClientToCanvas(a).Y), 0, 259), 0) << "nothing while there are no points";
  info.Action = daStart;
  info.P1 = a;
  Send(info, &TPolygonBlock::ControlDrawing);
  const int row = Round(diagram->ClientToCanvas(a).Y);
  const int left = Round(diagram->ClientToCanvas(a).X), right = Round(diagram->ClientToCanvas(b).X);
  info.Action = daDrawCursor;
  Send(info, &TPolygonBlock::ControlDrawing);
  EXPECT_EQ(polygon->TempPolygonPoint(), b);
  EXPECT_GT(Marked(row, left + 5, right - 5), 20) << "the dotted rubber band";
  info.Action = daEraseCursor;
  Send(info, &TPolygonBlock::ControlDrawing);
  EXPECT_EQ(Marked(row, 0, 259), 0) << "drawn again, the inverting band is gone";
  info.Action = daStep;
  info.P1 = a;
  Send(info, &TPolygonBlock::ControlDrawing);
  EXPECT_EQ(polygon->Polygon()->Count(), 2);
  EXPECT_EQ(image.pixelColor((left + right) / 2, row), Rgb(clRed)) << "the new segment in the block's pen";
}

TEST_F(PolygonFeedbackFixture, TheMovingOutlineIsDrawnAtTheNewPlaceAndErasedAgain) {
  polygon->SetDiagram(diagram);
  for (const TDot& p : TDotArray{{40, 40}, {160, 40}, {40, 160}}) polygon->Polygon()->Add(p.X, p.Y);
  polygon->ChangePolygon();
  polygon->SetBoundsRect({40, 40, 160, 160});
  TControlMoveInfo info;
  info.Action = caDrawCursor;
  info.Delta = {0, 30};
  Send(info, &TPolygonBlock::ControlMoving);
  const int oldTop = Round(diagram->ClientToCanvas(TDot{0, 40}).Y);
  const int newTop = Round(diagram->ClientToCanvas(TDot{0, 70}).Y);
  const int left = Round(diagram->ClientToCanvas(TDot{40, 0}).X);
  EXPECT_GT(Marked(newTop, left + 10, left + 100), 20) << "the top edge, moved down";
  EXPECT_EQ(Marked(oldTop, 0, 259), 0) << "nothing at the old place";
  info.Action = caEraseCursor;
  Send(info, &TPolygonBlock::ControlMoving);
  EXPECT_EQ(Marked(newTop, 0, 259), 0);

  THandleMoveInfo drag;
  drag.AHandle = polygon->Polygon()->Point(1)->Handle();
  drag.Action = haDrawCursor;
  drag.Delta = {0, 60};
  Send(drag, &TPolygonBlock::HandleMoving);
  // The top edge now runs from (40, 40) down to (160, 100): its middle is at (100, 70).
  const TDot middle = diagram->ClientToCanvas(TDot{100, 70});
  EXPECT_GT(Marked(Round(middle.Y), Round(middle.X) - 3, Round(middle.X) + 3), 0);
  drag.Action = haEraseCursor;
  Send(drag, &TPolygonBlock::HandleMoving);
  EXPECT_EQ(Marked(Round(middle.Y), 0, 259), 0);
  EXPECT_EQ(polygon->Polygon()->Point(1)->P(), (TDot{160, 40})) << "feedback changes nothing";
}

// --- Hit testing --------------------------------------------------------------------------

struct PolygonHitFixture : ::testing::TestWithParam<TMode> {
  PolygonHitFixture() {
    diagram->SetGraphicLib(GetParam() == TMode::Raster ? dglGDI : dglGDIPlus);
    polygon->SetDiagram(diagram);
    // A U: two posts joined at the bottom, open at the top between x = 40 and x = 80.
    for (const TDot& p : TDotArray{{0, 0}, {40, 0}, {40, 60}, {80, 60}, {80, 0}, {120, 0}, {120, 100}, {0, 100}})
      polygon->Polygon()->Add(p.X + 100, p.Y + 100);
    polygon->ChangePolygon();
    polygon->SetBoundsRect({100, 100, 220, 200});
  }
  bool Hit(double x, double y) {
    return polygon->PointInControl({Round(x), Round(y)}) &&
           diagram->DControlAtPos({x, y}, csmAll, cfAll) == polygon;
  }
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  TPolygonBlock* polygon = Create<TPolygonBlock>(&form);
};

TEST_P(PolygonHitFixture, TheNotchOfAConcavePolygonIsNotHit) {
  EXPECT_TRUE(Hit(110, 110)) << "left post";
  EXPECT_TRUE(Hit(210, 110)) << "right post";
  EXPECT_TRUE(Hit(160, 180)) << "the base";
  EXPECT_FALSE(Hit(160, 120)) << "the notch, inside the bounds";
  EXPECT_FALSE(Hit(160, 155));
  EXPECT_FALSE(Hit(90, 150)) << "outside";
  EXPECT_FALSE(Hit(160, 210));
}

TEST_P(PolygonHitFixture, TheOutlineFollowsRotationAndPointDrags) {
  polygon->SetAngle(180);
  // Turned half about (160, 150): the notch now opens downwards.
  EXPECT_TRUE(Hit(160, 120)) << "the base is at the top now";
  EXPECT_FALSE(Hit(160, 180)) << "the notch";
  polygon->SetAngle(0);
  // Dragging the notch's bottom-left point down to the base does not change the box, and
  // the outline still follows.
  THandleMoveInfo info;
  info.AHandle = polygon->Polygon()->Point(2)->Handle();
  info.Action = haMoved;
  info.Delta = {0, 35};
  EXPECT_TRUE(Hit(145, 170)) << "the base, below the notch";
  polygon->HandleMoving(info);
  EXPECT_EQ(polygon->BoundsRect(), (TSquare{100, 100, 220, 200}));
  EXPECT_FALSE(Hit(145, 170)) << "now inside the deeper notch";
  EXPECT_FALSE(Hit(141, 185));
  EXPECT_TRUE(Hit(110, 198 - 1));
}

TEST_P(PolygonHitFixture, AnEmptyPolygonIsNeverHit) {
  polygon->Polygon()->Clear();
  polygon->ChangePolygon();
  polygon->SetBoundsRect({100, 100, 220, 200});
  EXPECT_FALSE(Hit(160, 150));
  EXPECT_FALSE(polygon->PointInControl({160, 150}));
  EXPECT_EQ(polygon->Handles()->Count(), 9) << "the points' handles went with the points";
}

INSTANTIATE_TEST_SUITE_P(BothModes, PolygonHitFixture, ::testing::Values(TMode::Raster, TMode::Path), ModeName);

}  // namespace
