// What the path engine puts on the pixels: transparency, dashes, hatches, clips, text and
// pictures.

#include "DrawingTestSupport.h"

#include "drawing/Gradient.h"
#include "platform/ColorMaps.h"

#include <QBuffer>
#include <QImageWriter>
#include <QTemporaryDir>
#include <stdexcept>

namespace {

QByteArray Encoded(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  EXPECT_TRUE(writer.write(image)) << format << ": " << writer.errorString().toStdString();
  return bytes;
}

// A 4 x 2 picture: top row red, bottom row green with a blue bottom-left pixel.
QImage SmallPicture() {
  QImage image(4, 2, QImage::Format_RGB32);
  image.fill(QColor(255, 0, 0));
  for (int x = 0; x < 4; ++x) image.setPixelColor(x, 1, QColor(0, 255, 0));
  image.setPixelColor(0, 1, QColor(0, 0, 255));
  return image;
}

// --- Transparency, outlines and fills --------------------------------------------------------

TEST(GdipDrawing, FillTransparencyGivesTheExactAlpha) {
  const struct {
    int Transparency;
    int Grey;  // black at alpha Round((100 - T) * 2.55) over white
  } cases[] = {{0, 0}, {10, 25}, {50, 127}, {100, 255}};
  for (const auto& c : cases) {
    TPathScene scene(20, 20);
    TDgrCanvas& canvas = scene.Canvas();
    canvas.Pen()->SetTransparency(100);
    canvas.Brush()->SetColor(clBlack);
    canvas.Brush()->SetTransparency(c.Transparency);
    canvas.Rectangle(0, 0, 20, 20);
    EXPECT_TRUE(PixelNear(scene.Done(), 10, 10, QColor(c.Grey, c.Grey, c.Grey), 1)) << c.Transparency;
  }
}

TEST(GdipDrawing, OutlineIsDrawnOverTheFillAndEachCanBeHidden) {
  TPathScene scene(60, 20, 1.0, smInactive);
  TDgrCanvas& canvas = scene.Canvas();
  canvas.Brush()->SetColor(clRed);
  canvas.Pen()->SetColor(clBlue);
  canvas.Pen()->SetWidth(2);
  canvas.Rectangle(2, 2, 18, 18);
  canvas.Pen()->SetTransparency(100);
  canvas.Rectangle(22, 2, 38, 18);
  canvas.Pen()->SetTransparency(0);
  canvas.Brush()->SetBrushMode(bmClear);
  canvas.Rectangle(42, 2, 58, 18);
  const QImage& image = scene.Done();
  EXPECT_TRUE(PixelNear(image, 2, 10, QColor(0, 0, 255)));
  EXPECT_TRUE(PixelNear(image, 10, 10, QColor(255, 0, 0)));
  EXPECT_TRUE(PixelNear(image, 22, 10, QColor(255, 0, 0))) << "no outline";
  EXPECT_TRUE(PixelNear(image, 42, 10, QColor(0, 0, 255)));
  EXPECT_TRUE(PixelNear(image, 50, 10, White)) << "no fill";
}

TEST(GdipDrawing, DashPatternsCountInPenWidths) {
  // Pen width 2: dash 6 on, 2 off; dot 2 on, 2 off.
  const struct {
    TPenStyle Style;
    const char* Pattern;
  } cases[] = {{psDash, "XXXXXX..XXXXXX.."}, {psDot, "XX..XX..XX..XX.."}, {psDashDot, "XXXXXX..XX..XXXX"}};
  for (const auto& c : cases) {
    TPathScene scene(40, 10, 1.0, smInactive);
    TPen platform;
    platform.SetStyle(c.Style);
    platform.SetWidth(2);
    TDgrCanvas& canvas = scene.Canvas();
    canvas.Pen()->Assign(&platform);
    canvas.DrawLine(0, 5, 40, 5);
    const QImage& image = scene.Done();
    std::string seen;
    for (int x = 0; x < 16; ++x) seen += image.pixelColor(x, 4) == Black ? 'X' : '.';
    EXPECT_EQ(seen, c.Pattern) << int(c.Style);
  }
}

TEST(GdipDrawing, PensThinnerThanAPixelStillShow) {
  TPathScene scene(20, 20, 1.0, smInactive);
  scene.Canvas().DrawLine(0, 10.5, 20, 10.5);  // the default pen is 0.24 wide
  EXPECT_TRUE(PixelNear(scene.Done(), 10, 10, Black, 0));
}

TEST(GdipDrawing, HatchHasABackgroundColourOfItsOwn) {
  TPathScene scene(32, 16);
  TDgrCanvas& canvas = scene.Canvas();
  canvas.Pen()->SetTransparency(100);
  TBrush platform;
  platform.SetColor(clBlack);
  platform.SetStyle(bsHorizontal);
  canvas.Brush()->Assign(&platform);
  canvas.Rectangle(0, 0, 16, 16);  // platform hatch: invisible background
  canvas.Brush()->SetColor2(clLime);
  canvas.Rectangle(16, 0, 32, 16);
  const QImage& image = scene.Done();
  EXPECT_TRUE(PixelNear(image, 4, 0, Black, 0));
  EXPECT_TRUE(PixelNear(image, 4, 8, Black, 0));
  EXPECT_TRUE(PixelNear(image, 4, 3, White, 0));
  EXPECT_TRUE(PixelNear(image, 20, 8, Black, 0));
  EXPECT_TRUE(PixelNear(image, 20, 3, QColor(0, 255, 0), 0));
}

TEST(GdipDrawing, HatchStaysOnTheDeviceGridUnderZoom) {
  TPathScene scene(32, 32, 2.0);
  TDgrCanvas& canvas = scene.Canvas();
  canvas.Pen()->SetTransparency(100);
  auto* brush = dynamic_cast<TGdipBrush*>(canvas.Brush());
  brush->SetBrushMode(bmHatch);
  brush->SetHatchStyle(ghsVertical);
  brush->SetColor(clBlack);
  brush->SetColor2(clWhite);
  canvas.Rectangle(0, 0, 16, 16);
  const QImage& image = scene.Done();
  EXPECT_TRUE(PixelNear(image, 8, 5, Black, 0)) << "an 8-pixel pattern, not 16";
  EXPECT_TRUE(PixelNear(image, 9, 5, White, 0));
}

// --- Clipping ---------------------------------------------------------------------------------

TEST(GdipClip, OutlineClipIsUndoneWhenDrawingFails) {
  TPathScene scene(40, 40);
  TDgrCanvas& canvas = scene.Canvas();
  canvas.Pen()->SetTransparency(100);
  auto outline = scene.Drawer->CreatePath();
  outline->AddEllipse(0, 0, 40, 40);
  try {
    TDgrOutlineClip clip(canvas, *outline);
    EXPECT_TRUE(clip.UsedRegion());
    canvas.Brush()->SetColor(clRed);
    canvas.Rectangle(0, 0, 40, 40);
    throw std::runtime_error("picture failed");
  } catch (const std::runtime_error&) {
  }
  canvas.Brush()->SetColor(clBlue);
  canvas.Rectangle(0, 0, 5, 5);
  const QImage& image = scene.Done();
  EXPECT_TRUE(PixelNear(image, 20, 20, QColor(255, 0, 0)));
  EXPECT_TRUE(PixelNear(image, 1, 1, QColor(0, 0, 255))) << "the corner is outside the ellipse: no clip left";
  EXPECT_TRUE(PixelNear(image, 38, 38, White));
}

// A canvas that refuses platform regions.
class TRegionRefusingCanvas : public TGPCanvas {
public:
  using TGPCanvas::TGPCanvas;
  using TGPCanvas::SetClip;
  int SetClip(const QRegion&) override { return 3; }
};

TEST(GdipClip, FallsBackToThePathClipWhenTheRegionIsRefused) {
  TImageScene scene(40, 40);
  TRegionRefusingCanvas canvas(&scene.Painter);
  canvas.Pen()->SetTransparency(100);
  canvas.Brush()->SetColor(clRed);
  TGdipGraphicsPath outline;
  outline.AddEllipse(0, 0, 40, 40);
  {
    TDgrOutlineClip clip(canvas, outline);
    EXPECT_FALSE(clip.UsedRegion());
    canvas.Rectangle(0, 0, 40, 40);
  }
  const QImage& image = scene.Finish();
  EXPECT_TRUE(PixelNear(image, 20, 20, QColor(255, 0, 0)));
  EXPECT_TRUE(PixelNear(image, 2, 2, White));
}

TEST(GdipClip, StyleSaverPutsPenAndBrushBack) {
  TGPCanvas canvas;
  canvas.Pen()->SetColor(clRed);
  canvas.Brush()->SetBrushMode(bmHatch);
  canvas.Brush()->SetColor(clGreen);
  try {
    TDgrCanvasStyleSaver keep(canvas);
    canvas.Pen()->SetColor(clBlue);
    canvas.Brush()->SetBrushMode(bmSolid);
    canvas.Brush()->SetColor(clYellow);
    throw std::runtime_error("layer failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(canvas.Pen()->Color(), clRed);
  EXPECT_EQ(canvas.Brush()->BrushMode(), bmHatch);
  EXPECT_EQ(canvas.Brush()->Color(), clGreen);
}

// --- Text -------------------------------------------------------------------------------------

std::unique_ptr<TFont> TestFont(int height) {
  auto font = std::make_unique<TFont>();
  font->SetName(QStringLiteral("DejaVu Sans"));
  font->SetHeight(height);
  font->SetColor(clBlack);
  return font;
}

int DarkPixels(const QImage& image, const QRect& area) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (image.pixelColor(x, y).red() < 128) ++count;
  return count;
}

TEST(GdipText, CharacterAndCellHeightsBothDraw) {
  for (int height : {-20, 20}) {
    TPathScene scene(200, 60);
    const auto font = TestFont(height);
    scene.Canvas().DrawString(QStringLiteral("Hello"), *font, TSquare{10, 10, 190, 50}, dhaLeft, vaTop, false, false,
                              0);
    const QImage& image = scene.Done();
    EXPECT_GT(DarkPixels(image, QRect(10, 10, 180, 40)), 50) << height;
    EXPECT_EQ(DarkPixels(image, QRect(0, 0, 200, 9)), 0) << height;
  }
}

TEST(GdipText, AlignmentPlacesTheBoundsInTheBox) {
  TGPCanvas canvas;
  const auto font = TestFont(-16);
  const TSquare box{0, 0, 300, 100};
  const TSquare left = canvas.StringBounds("Text", *font, box, dhaLeft, vaTop, false, false);
  const TSquare center = canvas.StringBounds("Text", *font, box, dhaCenter, vaCenter, false, false);
  const TSquare right = canvas.StringBounds("Text", *font, box, dhaRight, vaBottom, false, false);
  EXPECT_NEAR(left.Left, 0, 0.5);
  EXPECT_NEAR(left.Top, 0, 0.5);
  EXPECT_NEAR((center.Left + center.Right) / 2, 150, 0.5);
  EXPECT_NEAR((center.Top + center.Bottom) / 2, 50, 0.5);
  EXPECT_NEAR(right.Right, 300, 0.5);
  EXPECT_NEAR(right.Bottom, 100, 0.5);
  EXPECT_NEAR(right.Width(), left.Width(), 1e-9);
  const TSquare reversed = canvas.StringBounds("Text", *font, box, dhaLeft, vaTop, false, true);
  EXPECT_NEAR(reversed.Right, 300, 0.5) << "near is the right side when reading right to left";
}

TEST(GdipText, WrapsAtTheBoxWidthOnlyWhenAsked) {
  TGPCanvas canvas;
  const auto font = TestFont(-14);
  const QString text = QStringLiteral("several words that do not fit on one line");
  const TSquare box{0, 0, 80, 20};
  const TSquare wrapped = canvas.StringBounds(text, *font, box, dhaLeft, vaTop, true, false);
  const TSquare single = canvas.StringBounds(text, *font, box, dhaLeft, vaTop, false, false);
  EXPECT_LE(wrapped.Width(), 80.5);
  EXPECT_GT(wrapped.Height(), 3 * single.Height());
  EXPECT_GT(single.Width(), 200);
  const TSquare lines = canvas.StringBounds(QStringLiteral("one\r\ntwo\nthree"), *font, box, dhaLeft, vaTop, false, false);
  EXPECT_NEAR(lines.Height(), 3 * single.Height(), 0.5) << "line breaks are kept without wrapping";
}

TEST(GdipText, LayoutsAreReusedUntilSomethingChanges) {
  TPathScene scene(200, 60);
  auto* canvas = dynamic_cast<TGPCanvas*>(&scene.Canvas());
  const auto font = TestFont(-14);
  for (int i = 0; i < 5; ++i)
    canvas->DrawString("Same", *font, TSquare{10.0 + i, 10, 190.0 + i, 50}, dhaCenter, vaCenter, true, false, 0);
  EXPECT_EQ(canvas->TextLayoutCount(), 1u) << "moving the box keeps the layout";
  canvas->StringBounds("Same", *font, TSquare{0, 0, 180, 40}, dhaCenter, vaCenter, true, false);
  EXPECT_EQ(canvas->TextLayoutCount(), 1u);
  font->SetStyle(TFontStyles(fsBold));
  canvas->DrawString("Same", *font, TSquare{10, 10, 190, 50}, dhaCenter, vaCenter, true, false, 0);
  canvas->DrawString("Other", *font, TSquare{10, 10, 190, 50}, dhaCenter, vaCenter, true, false, 0);
  canvas->DrawString("Other", *font, TSquare{10, 10, 150, 50}, dhaCenter, vaCenter, true, false, 0);
  EXPECT_EQ(canvas->TextLayoutCount(), 4u);
}

TEST(GdipText, TransparencyFadesTheText) {
  TPathScene scene(200, 60);
  const auto font = TestFont(-30);
  font->SetStyle(TFontStyles(fsBold));
  scene.Canvas().DrawString("I", *font, TSquare{10, 10, 190, 50}, dhaLeft, vaTop, false, false, 100);
  scene.Canvas().DrawString("IIII", *font, TSquare{10, 10, 190, 50}, dhaRight, vaTop, false, false, 50);
  const QImage& image = scene.Done();
  EXPECT_EQ(DarkPixels(image, QRect(0, 0, 100, 60)), 0);
  int darkest = 255;
  for (int y = 0; y < 60; ++y)
    for (int x = 100; x < 200; ++x) darkest = std::min(darkest, image.pixelColor(x, y).red());
  EXPECT_NEAR(darkest, 127, 2);
}

// --- Pictures ---------------------------------------------------------------------------------

TEST(GdipGraphic, KeepsTheFileBytesAndReadsTheSize) {
  const QByteArray png = Encoded(SmallPicture(), "png");
  TGdipGraphic graphic;
  int changes = 0;
  graphic.OnChange = [&](TPersistent*) { ++changes; };
  graphic.LoadFromStream(png);
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(graphic.Empty());
  EXPECT_EQ(graphic.Width(), 4);
  EXPECT_EQ(graphic.Height(), 2);
  EXPECT_EQ(graphic.SaveToStream(), png);
  EXPECT_TRUE(graphic.GetImageSizes());
  TGdipGraphic copy;
  copy.Assign(&graphic);
  EXPECT_EQ(copy.SaveToStream(), png);
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.Empty());
}

TEST(GdipGraphic, UndecodableBytesAreKeptAndDrawNothing) {
  const QByteArray junk("not an image at all");
  TGdipGraphic graphic;
  graphic.LoadFromStream(junk);
  EXPECT_FALSE(graphic.Empty());
  EXPECT_FALSE(graphic.GetImageSizes());
  EXPECT_EQ(graphic.Width(), 0);
  EXPECT_EQ(graphic.SaveToStream(), junk);
  TPathScene scene(10, 10);
  scene.Canvas().StretchDraw(TSquare{0, 0, 10, 10}, &graphic, 0, false);
  EXPECT_TRUE(PixelNear(scene.Done(), 5, 5, White, 0));
}

TEST(GdipGraphic, StretchDrawScalesTransparencyAndColourKey) {
  TGdipGraphic graphic;
  graphic.LoadFromStream(Encoded(SmallPicture(), "png"));
  TPathScene scene(80, 20, 1.0, smInactive);
  TDgrCanvas& canvas = scene.Canvas();
  canvas.StretchDraw(TSquare{0, 0, 40, 20}, &graphic, 0, false);
  canvas.StretchDraw(TSquare{40, 0, 80, 20}, &graphic, 50, true);
  const QImage& image = scene.Done();
  EXPECT_TRUE(PixelNear(image, 20, 3, QColor(255, 0, 0)));
  EXPECT_TRUE(PixelNear(image, 20, 16, QColor(0, 255, 0)));
  EXPECT_TRUE(PixelNear(image, 3, 16, QColor(0, 0, 255)));
  EXPECT_TRUE(PixelNear(image, 60, 3, QColor(255, 127, 127), 2)) << "half transparent";
  EXPECT_TRUE(PixelNear(image, 43, 16, White, 0)) << "the bottom-left colour is keyed out";
}

TEST(GdipGraphic, OtherPlatformGraphicsAndImagesDrawToo) {
  TBitmap bitmap;
  bitmap.SetImage(SmallPicture());
  TGdipImage image(SmallPicture().convertToFormat(QImage::Format_ARGB32_Premultiplied));
  TPathScene scene(80, 20, 1.0, smInactive);
  scene.Canvas().StretchDraw(TSquare{0, 0, 40, 20}, static_cast<const TGraphic*>(&bitmap), 0, false);
  scene.Canvas().StretchDraw(TSquare{40, 0, 80, 20}, &image, 0, false);
  scene.Canvas().StretchDraw(TSquare{40, 0, 80, 20}, static_cast<const TDgrImage*>(nullptr), 0, false);
  const QImage& result = scene.Done();
  EXPECT_TRUE(PixelNear(result, 20, 3, QColor(255, 0, 0)));
  EXPECT_TRUE(PixelNear(result, 60, 16, QColor(0, 255, 0)));
}

TEST(GdipGraphic, TextureBrushTilesFromTheShapeCorner) {
  TPathScene scene(40, 40, 1.0, smInactive);
  TDgrCanvas& canvas = scene.Canvas();
  scene.Place(TSquare{10, 10, 40, 40});
  TBitmap bitmap;
  bitmap.SetImage(SmallPicture());
  canvas.Brush()->Texture()->SetGraphic(&bitmap);
  canvas.Brush()->SetBrushMode(bmTexture);
  canvas.Pen()->SetTransparency(100);
  canvas.Rectangle(10, 10, 40, 40);
  const QImage& image = scene.Done();
  EXPECT_TRUE(PixelNear(image, 10, 10, QColor(255, 0, 0), 0));
  EXPECT_TRUE(PixelNear(image, 10, 11, QColor(0, 0, 255), 0));
  EXPECT_TRUE(PixelNear(image, 14, 11, QColor(0, 0, 255), 0)) << "tiles repeat every 4 pixels";
  EXPECT_TRUE(PixelNear(image, 11, 13, QColor(0, 255, 0), 0));
}

TEST(GdipPictureFormats, FilesLoadAsEngineGraphicsThatKeepTheirBytes) {
  RegisterDgrPictureFormats();
  for (const char* extension : {"jpg", "gif", "png", "tif", "tiff"}) {
    const auto graphic = CreateGraphicForExtension(QString::fromLatin1(extension));
    ASSERT_NE(graphic, nullptr) << extension;
    EXPECT_EQ(graphic->ClassName(), QStringLiteral("TGdipGraphic")) << extension;
  }
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("picture.tiff"));
  const QByteArray tiff = Encoded(SmallPicture(), "tiff");
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(tiff);
  }
  TPicture picture;
  picture.LoadFromFile(path);
  ASSERT_NE(qobject_cast<TGdipGraphic*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 4);
  EXPECT_EQ(picture.Graphic()->SaveToStream(), tiff);
  TPicture copy;
  copy.ReadData(picture.WriteData());
  EXPECT_EQ(copy.Graphic()->SaveToStream(), tiff);
  TPathScene scene(8, 4, 1.0, smInactive);
  scene.Canvas().StretchDraw(TSquare{0, 0, 8, 4}, picture.Graphic(), 0, false);
  EXPECT_TRUE(PixelNear(scene.Done(), 6, 3, QColor(0, 255, 0)));
}

}  // namespace
