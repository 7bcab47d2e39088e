// The path engine and the raster canvas sharing one paint, and engine graphics drawn on
// the raster canvas.

#include "DrawingTestSupport.h"

#include "platform/Canvas.h"

#include <QBuffer>

namespace {

TEST(SharedPaint, EngineAndRasterCanvasDrawInTurnWithoutDisturbingEachOther) {
  QImage image = NewScreenImage(60, 20, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  {
    TCanvas canvas(&image);
    canvas.Brush()->SetColor(clRed);
    canvas.Pen()->SetStyle(psClear);
    canvas.Rectangle(0, 0, 20, 20);
    const auto engine = CreatePaintEngine(dglGDIPlus, &canvas, TRect{0, 0, 60, 20});
    engine->ScaleTransform(2, 2);
    TGPBlockDrawer drawer;
    drawer.SetPaintEngine(engine.get());
    drawer.Canvas()->Brush()->SetColor(clBlue);
    drawer.Canvas()->Pen()->SetTransparency(100);
    drawer.Canvas()->SetClip(TSquare{10, 0, 20, 10});
    drawer.Canvas()->Rectangle(10, 0, 20, 10);
    // The raster canvas keeps its own pen, brush, transform and clip.
    canvas.Rectangle(40, 0, 60, 20);
    drawer.SetPaintEngine(nullptr);
    canvas.Unbind();
  }
  EXPECT_TRUE(PixelNear(image, 10, 10, QColor(255, 0, 0), 0));
  EXPECT_TRUE(PixelNear(image, 30, 10, QColor(0, 0, 255), 0));
  EXPECT_TRUE(PixelNear(image, 50, 10, QColor(255, 0, 0), 0));
}

TEST(SharedPaint, EngineGraphicDrawsOnTheRasterCanvasWithItsColourKey) {
  QImage picture(2, 2, QImage::Format_RGB32);
  picture.fill(QColor(0, 255, 0));
  picture.setPixelColor(0, 1, QColor(0, 0, 255));
  picture.setPixelColor(1, 1, QColor(0, 0, 255));
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "PNG");
  TGdipGraphic graphic;
  graphic.LoadFromStream(png);
  graphic.SetTransparent(true);
  QImage image = NewScreenImage(20, 20, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  {
    TCanvas canvas(&image);
    canvas.StretchDraw(TRect{0, 0, 20, 20}, &graphic);
    canvas.Unbind();
  }
  EXPECT_TRUE(PixelNear(image, 10, 4, QColor(0, 255, 0), 0));
  EXPECT_TRUE(PixelNear(image, 10, 15, White, 0)) << "the bottom-left colour is transparent";
}

}  // namespace
