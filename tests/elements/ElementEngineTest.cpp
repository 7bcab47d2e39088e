// Text cells, grips and link point markers drawn through the path engine.

#include "document/vxDiagram.h"
#include "drawing/DgrClasses.h"
#include "elements/LinkPoints.h"
#include "elements/StretchHandles.h"
#include "elements/TextCells.h"
#include "support/TestElements.h"

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace {

bool IsInk(QRgb pixel) { return qGray(pixel) < 200; }

QRect InkBox(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (IsInk(image.pixel(x, y))) box |= QRect(x, y, 1, 1);
  return box;
}

bool AnyPixel(const QImage& image, const QRect& area, const std::function<bool(const QColor&)>& test) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (test(QColor(image.pixel(x, y)))) return true;
  return false;
}

bool Bluish(const QColor& c) { return c.blue() > 200 && c.red() < 100 && c.green() < 100; }
bool Dark(const QColor& c) { return qGray(c.rgb()) < 100; }
// A one-pixel line on the pixel grid covers two rows by half each.
bool Inked(const QColor& c) { return qGray(c.rgb()) < 180; }

struct EnginePainting : ::testing::Test {
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  TTestBlock* block = Create<TTestBlock>(&form);
  QImage image{240, 240, QImage::Format_ARGB32_Premultiplied};
  QPainter painter;
  std::unique_ptr<TDgrPaintEngine> engine;

  void SetUp() override {
    block->SetDiagram(diagram);
    ASSERT_NE(block->DgrDrawer(), nullptr) << "the path engine is the default";
    image.fill(Qt::white);
    painter.begin(&image);
    engine = CreatePaintEngine(dglGDIPlus, &painter, TRect{0, 0, 240, 240});
    ASSERT_NE(engine, nullptr);
  }
  // The view mapping the paint pass gives the engine: client units to canvas pixels.
  void Zoom(int percent) {
    diagram->SetZoom(percent);
    engine->ScaleTransform(percent / 100.0, percent / 100.0);
  }
  TDiagramDrawInfo BoundInfo() {
    block->DgrDrawer()->SetPaintEngine(engine.get());
    return {nullptr, nullptr, block->DgrDrawer()};
  }
  QImage Finish() {
    block->DgrDrawer()->SetPaintEngine(nullptr);
    engine.reset();
    painter.end();
    return image;
  }
};

// --- Markers and grips ------------------------------------------------------------------

TEST_F(EnginePainting, MarkersSitOnTheirCanvasPixel) {
  block->LinkPoints()->Add(40, 40, aoNone);
  block->SetLinkPointStyle(ptRectangle);
  block->DrawLinkPoints({}, engine.get(), false);
  const QImage result = Finish();
  const QRect box = InkBox(result);
  EXPECT_TRUE(QRect(37, 37, 7, 7).contains(box)) << box.x() << "," << box.y() << " " << box.width() << "x" << box.height();
  EXPECT_EQ(qGray(result.pixel(40, 40)), 0) << "the black brush fills the box";
  EXPECT_EQ(block->DgrDrawer()->Canvas()->Handle(), nullptr);
}

TEST_F(EnginePainting, CrossMarkersAreBlueAndCollapseMarkersGrey) {
  block->LinkPoints()->Add(40, 40, aoNone);
  TLinkPoint* node = block->LinkPoints()->Add(100, 40, aoNone);
  auto* line = Create<TTestLine>(&form);
  line->SetDiagram(diagram);
  line->LinkPoints()->Point(0)->SetAnchorLink(node);
  node->SetCollapsable(true);
  block->DrawLinkPoints({}, engine.get(), false);
  const QImage result = Finish();
  EXPECT_TRUE(AnyPixel(result, QRect(39, 39, 2, 2), Bluish)) << "the cross";
  EXPECT_TRUE(QRect(36, 36, 9, 9).contains(InkBox(result.copy(0, 0, 70, 70))));
  const QRect nodeBox = InkBox(result.copy(80, 20, 40, 40)).translated(80, 20);
  EXPECT_TRUE(QRect(95, 35, 11, 11).contains(nodeBox));
  EXPECT_GE(nodeBox.width(), 8) << "the collapse square";
  EXPECT_TRUE(AnyPixel(result, QRect(99, 39, 3, 2), Inked)) << "the minus";
  EXPECT_FALSE(AnyPixel(result, QRect(99, 37, 3, 1), Inked)) << "no plus while expanded";
}

// Without a handler, cross markers go out together; a handler that draws nothing makes
// them go one by one. Overlapping crosses, a hidden point and a node between them look the
// same either way.
TEST_F(EnginePainting, CrossMarkersLookTheSameDrawnTogether) {
  Finish();  // each drawing below has an image of its own
  AddMarkersAroundANode(block, &form, {TDot{40, 40}, TDot{42, 41}, TDot{31, 46}, TDot{48, 32}, TDot{60, 60}});
  diagram->SetAutomaticNodes(true);
  const auto render = [&] {
    QImage result(80, 80, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::white);
    QPainter resultPainter(&result);
    std::unique_ptr<TDgrPaintEngine> resultEngine = CreatePaintEngine(dglGDIPlus, &resultPainter, TRect{0, 0, 80, 80});
    block->DrawLinkPoints({}, resultEngine.get(), false);
    return result;
  };
  const QImage together = render();
  int offered = 0;
  diagram->OnDrawLinkPoint = [&](TvxDiagram*, TCanvas*, TLinkPoint*, TPoint, bool&) { ++offered; };
  const QImage oneByOne = render();
  EXPECT_EQ(offered, 5);
  EXPECT_EQ(together, oneByOne);
  EXPECT_TRUE(AnyPixel(together, QRect(59, 59, 3, 3), [](const QColor& c) { return c.red() > 200 && c.green() < 100; }))
      << "a cross in the element's pen";
  EXPECT_FALSE(AnyPixel(together, QRect(29, 44, 5, 5), Inked)) << "the hidden point";
}

TEST_F(EnginePainting, GripsKeepTheirPixelSizeUnderZoom) {
  Zoom(200);
  TStretchHandle* handle = block->Handles()->Add(20, 20, crSizeNWSE, 1, hsSize);
  block->DrawHandle(BoundInfo(), handle);
  const QImage result = Finish();
  const QRect box = InkBox(result);
  EXPECT_TRUE(QRect(37, 37, 7, 7).contains(box)) << box.x() << "," << box.y() << " " << box.width() << "x" << box.height();
  EXPECT_EQ(qGray(result.pixel(40, 40)), 0) << "classic size grips are black";
}

TEST_F(EnginePainting, VisioSizeGripsAreGreenSquaresWithABlackOutline) {
  diagram->SetHandlesStyle(hsVisio);
  TStretchHandle* handle = block->Handles()->Add(40, 40, crSizeNWSE, 1, hsSize);
  block->DrawHandle(BoundInfo(), handle);
  const QImage result = Finish();
  EXPECT_EQ(QColor(result.pixel(41, 41)), QColor(0, 255, 0));
  EXPECT_TRUE(AnyPixel(result, QRect(36, 40, 2, 1), Dark)) << "the outline";
  EXPECT_TRUE(QRect(36, 36, 9, 9).contains(InkBox(result)));
}

// --- Text cells -----------------------------------------------------------------------------

struct EngineCells : EnginePainting {
  TTextCell* cell = nullptr;
  void SetUp() override {
    EnginePainting::SetUp();
    block->Rect = {0, 0, 120, 120};
    block->Font()->SetName(QStringLiteral("DejaVu Sans"));
    block->Font()->SetHeight(-14);
    block->Font()->SetColor(clBlack);
    cell = block->DefaultTextCell();
    cell->SetBounds(10, 10, 100, 100);
    cell->SetText(QStringLiteral("Hello"));
  }
  QImage DrawCells() {
    block->DrawCells(BoundInfo());
    return Finish();
  }
};

TEST_F(EngineCells, CentredTextLandsInTheMiddleOfTheCell) {
  cell->SetVertAlign(ElementEnums::vaCenter);
  const QRect box = InkBox(DrawCells());
  EXPECT_NEAR(box.center().x(), 60, 3);
  EXPECT_NEAR(box.center().y(), 60, 4);
}

TEST_F(EngineCells, TheZoomOfTheEngineScalesTheText) {
  Zoom(200);
  cell->SetVertAlign(ElementEnums::vaCenter);
  const QRect box = InkBox(DrawCells());
  EXPECT_NEAR(box.center().x(), 120, 5);
  EXPECT_NEAR(box.center().y(), 120, 6);
  EXPECT_GT(box.height(), 16);
}

TEST_F(EngineCells, TurnedTextRunsDownward) {
  cell->SetVertAlign(ElementEnums::vaCenter);
  cell->SetAngle(90);
  const QRect box = InkBox(DrawCells());
  EXPECT_GT(box.height(), 2 * box.width());
  EXPECT_NEAR(box.center().y(), 60, 4);
}

TEST_F(EngineCells, AnAutoFrameSurroundsTheTextWithItsMargin) {
  cell->SetVertAlign(ElementEnums::vaCenter);
  TTextCellFrame* frame = cell->CellFrame();
  frame->SetVisible(true);
  frame->Brush()->SetStyle(bsClear);
  frame->SetAutoFrame(true);
  frame->SetAutoFrameMargin(6);
  const QRect box = InkBox(DrawCells());
  EXPECT_NEAR(box.center().x(), 60, 3);
  EXPECT_LT(box.width(), 70) << "hugs the text, not the cell";
  EXPECT_GT(box.width(), 40);
  EXPECT_LT(qGray(image.pixel(box.left(), box.center().y())), 200) << "the frame's left edge";
}

TEST_F(EngineCells, ClipKeepsTheTextInTheCell) {
  cell->SetBounds(10, 10, 40, 20);
  cell->SetText(QStringLiteral("WWWWWWWWWWWW"));
  cell->SetWordWrap(false);
  cell->SetAlignment(taLeftJustify);
  cell->SetClip(true);
  const QRect box = InkBox(DrawCells());
  EXPECT_LE(box.right(), 50);
}

TEST_F(EngineCells, AnInvisibleTransparencyDrawsNothing) {
  block->SetTransparency(100);
  EXPECT_TRUE(InkBox(DrawCells()).isEmpty());
}

}  // namespace
