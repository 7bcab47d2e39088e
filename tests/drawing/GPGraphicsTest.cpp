// The path engine's graphics context over a shared painter: each drawing call leaves the
// painter as its owner set it, and a line is drawn exactly as its two-point path.

#include "drawing/GPGraphics.h"

#include <QImage>
#include <QLineF>
#include <QPainter>
#include <gtest/gtest.h>

#include <span>

namespace {

QImage Blank() {
  QImage image(120, 120, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  return image;
}

// Also drawn together: separate lines in one call give the pixels of one call each.
TEST(GPGraphics, LinesGiveThePixelsOfTheirStrokedPaths) {
  const auto pen = [](double width, Qt::PenStyle style = Qt::SolidLine, int alpha = 255,
                      Qt::PenCapStyle cap = Qt::SquareCap) {
    QPen p(QColor(20, 40, 200, alpha), width, style, cap);
    return p;
  };
  // Round caps make the painter outline all lines of one call together.
  const QPen pens[] = {pen(0),
                       pen(0.3),
                       pen(1),
                       pen(3),
                       pen(1, Qt::DashLine),
                       pen(2.5, Qt::SolidLine, 128),
                       pen(3, Qt::DashLine, 128, Qt::RoundCap),
                       pen(0.5, Qt::SolidLine, 128, Qt::RoundCap)};
  // The first five cross, touch and repeat; the sixth has no length.
  const QLineF lines[] = {{10.3, 10.7, 90.2, 60.1}, {50, 5, 50, 100}, {5, 40, 110, 40.5}, {30.5, 30.5, 33.5, 34.5},
                          {10.3, 10.7, 90.2, 60.1}, {70, 70, 70, 70},  {100, 10, 20, 110}};
  for (const bool smoothing : {false, true})
    for (const double zoom : {1.0, 0.3, 2.5})
      for (size_t p = 0; p < std::size(pens); ++p) {
        QImage byLine = Blank(), byPath = Blank(), together = Blank();
        for (QImage* image : {&byLine, &byPath, &together}) {
          QPainter painter(image);
          TGPGraphics graphics(&painter);
          graphics.SetSmoothing(smoothing);
          graphics.ScaleTransform(zoom, zoom, TGPGraphics::moAppend);
          graphics.RotateTransform(zoom == 2.5 ? 20 : 0, TGPGraphics::moPrepend);
          if (image == &together) {
            graphics.StrokeLines(std::span(lines, 5), pens[p]);
            graphics.StrokeLines(std::span(lines + 5, 2), pens[p]);
            continue;
          }
          for (const QLineF& line : lines) {
            if (image == &byLine) {
              graphics.StrokeLine(line, pens[p]);
              continue;
            }
            QPainterPath path(line.p1());
            path.lineTo(line.p2());
            graphics.StrokePath(path, pens[p]);
          }
        }
        EXPECT_EQ(byLine, byPath) << "smoothing " << smoothing << ", zoom " << zoom << ", pen " << p;
        EXPECT_EQ(together, byLine) << "smoothing " << smoothing << ", zoom " << zoom << ", pen " << p;
      }
}

TEST(GPGraphics, DrawingLeavesThePaintersOwnStateAsItWas) {
  QImage image = Blank();
  QPainter painter(&image);
  const QTransform ownTransform = QTransform::fromTranslate(3, 4);
  const QPen ownPen(Qt::red, 2);
  painter.setWorldTransform(ownTransform);
  painter.setPen(ownPen);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setOpacity(0.5);
  painter.setCompositionMode(QPainter::CompositionMode_Multiply);
  TGPGraphics graphics(&painter);
  graphics.SetSmoothing(true);
  graphics.ScaleTransform(2, 2, TGPGraphics::moAppend);
  QPainterPath square;
  square.addRect(10, 10, 20, 20);
  QImage picture(4, 4, QImage::Format_ARGB32);
  picture.fill(Qt::green);
  for (const bool clipped : {false, true}) {
    if (clipped) graphics.SetClipRect(QRectF(0, 0, 15, 15));
    graphics.FillPath(square, TGPNativeBrush{QBrush(Qt::blue)});
    graphics.StrokePath(square, QPen(Qt::black, 1));
    graphics.StrokeLine(QLineF(0, 0, 30, 30), QPen(Qt::black, 1));
    graphics.DrawImage(QRectF(40, 40, 8, 8), picture, 0.25);
    EXPECT_EQ(painter.worldTransform(), ownTransform) << clipped;
    EXPECT_EQ(painter.pen(), ownPen) << clipped;
    EXPECT_FALSE(painter.testRenderHint(QPainter::Antialiasing)) << clipped;
    EXPECT_EQ(painter.opacity(), 0.5) << clipped;
    EXPECT_EQ(painter.compositionMode(), QPainter::CompositionMode_Multiply) << clipped;
    EXPECT_FALSE(painter.hasClipping()) << clipped;
  }
}

// The context's own settings hold for each call whatever the owner did in between.
TEST(GPGraphics, EachCallDrawsWithTheContextsSettings) {
  QImage reference = Blank(), shared = Blank();
  for (QImage* image : {&reference, &shared}) {
    QPainter painter(image);
    TGPGraphics graphics(&painter);
    graphics.SetSmoothing(false);
    graphics.TranslateTransform(10, 10, TGPGraphics::moAppend);
    if (image == &shared) {
      painter.setOpacity(0.2);
      painter.setRenderHint(QPainter::Antialiasing, true);
      painter.setWorldTransform(QTransform::fromScale(3, 3));
      painter.setCompositionMode(QPainter::CompositionMode_Xor);
    }
    QPainterPath triangle;
    triangle.addPolygon(QPolygonF({QPointF(0, 0), QPointF(50, 7), QPointF(20, 60)}));
    graphics.FillPath(triangle, TGPNativeBrush{QBrush(Qt::darkGreen)});
    graphics.StrokeLine(QLineF(0, 70, 90, 75), QPen(Qt::black, 1));
  }
  EXPECT_EQ(reference, shared);
}

}  // namespace
