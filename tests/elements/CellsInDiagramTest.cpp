// Text cells, grips and link point markers of real blocks going through the diagram's paint
// pass, on both drawing routes.

#include "document/vxDiagram.h"
#include "elements/Blocks.h"
#include "elements/LinkPoints.h"
#include "elements/StretchHandles.h"
#include "elements/TextCells.h"
#include "platform/Canvas.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

bool IsInk(QRgb pixel) { return qGray(pixel) < 160; }

QRect InkBox(const QImage& image, const QRect& area) {
  QRect box;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (IsInk(image.pixel(x, y))) box |= QRect(x, y, 1, 1);
  return box;
}

struct Diagram : ::testing::TestWithParam<TDgrGraphicLib> {
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  TDiagramBlock* block = Create<TDiagramBlock>(&form);
  QImage image{300, 200, QImage::Format_ARGB32_Premultiplied};

  void SetUp() override {
    diagram->resize(300, 200);
    diagram->SetGraphicLib(GetParam());
    diagram->Font()->SetName(QStringLiteral("DejaVu Sans"));
    diagram->Font()->SetHeight(-14);
    diagram->Font()->SetColor(clBlack);
    block->SetDiagram(diagram);
    block->SetBoundsRect({100, 50, 260, 150});
    block->SetTransparent(true);
    block->Pen()->SetStyle(psClear);
  }
  QImage Paint() {
    image.fill(Qt::white);
    TCanvas canvas(&image);
    diagram->PaintTo(&canvas, psScreen, {0, 0});
    canvas.Unbind();
    return image;
  }
};

TEST_P(Diagram, CellsMapTheirSourceRectangleOntoTheBlock) {
  TTextCell* cell = block->DefaultTextCell();
  cell->SetBounds(50, 0, 50, 50);
  EXPECT_EQ(cell->DiagramRect(), (TSquare{180, 50, 260, 100}));
}

TEST_P(Diagram, ThePaintPassDrawsTheBlocksText) {
  TTextCell* cell = block->DefaultTextCell();
  cell->SetBounds(0, 0, 100, 100);
  cell->SetText(QStringLiteral("Hello"));
  cell->SetVertAlign(ElementEnums::vaCenter);
  const QRect box = InkBox(Paint(), QRect(0, 0, 300, 200));
  ASSERT_FALSE(box.isEmpty());
  EXPECT_NEAR(box.center().x(), 180, 3);
  EXPECT_NEAR(box.center().y(), 100, 4);
}

TEST_P(Diagram, ASelectedBlockShowsItsGripsOnScreen) {
  block->SetSelected(true);
  ASSERT_NE(block->Handles()->FindByData(1), nullptr);
  const QImage result = Paint();
  const TDot corner = block->Handles()->FindByData(1)->DiagramPoint();
  const TDot at = diagram->ClientToCanvas(corner);
  EXPECT_TRUE(IsInk(result.pixel(Round(at.X), Round(at.Y)))) << at.X << "," << at.Y;
}

TEST_P(Diagram, LinkPointsShowTheirMarkers) {
  block->LinkPoints()->Add(0, 50, aoLeft);
  const QImage result = Paint();
  const TDot at = diagram->ClientToCanvas(block->LinkPoints()->Point(0)->DiagramPoint());
  const QRect box = InkBox(result, QRect(Round(at.X) - 6, Round(at.Y) - 6, 13, 13));
  ASSERT_FALSE(box.isEmpty());
  EXPECT_NEAR(box.center().x(), at.X, 1.5);
  EXPECT_NEAR(box.center().y(), at.Y, 1.5);
  diagram->SetShowLinkPoints(false);
  EXPECT_TRUE(InkBox(Paint(), QRect(Round(at.X) - 6, Round(at.Y) - 6, 13, 13)).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(BothRoutes, Diagram, ::testing::Values(dglGDI, dglGDIPlus),
                         [](const auto& info) { return info.param == dglGDI ? "Raster" : "Engine"; });

}  // namespace
