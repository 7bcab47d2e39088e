// Blocks: painting layers in both drawing modes checked on pixels, outline clips, pictures,
// the paint hooks of the diagram, and hit testing.

#include "document/vxDiagram.h"
#include "drawing/DgrClasses.h"
#include "elements/BlockPaintGuards.h"
#include "elements/Blocks.h"
#include "platform/Canvas.h"
#include "support/NoisePixels.h"

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>
#include <cmath>
#include <memory>
#include <numbers>

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

// A diagram, a block in it, and a white image to paint the block on in either mode.
struct PaintFixture : ::testing::TestWithParam<TMode> {
  PaintFixture() {
    diagram->SetGraphicLib(GetParam() == TMode::Raster ? dglGDI : dglGDIPlus);
    block->SetDiagram(diagram);
    image.fill(Qt::white);
  }

  // Paints the block the way the diagram's paint pass does.
  const QImage& Paint() {
    {
      QPainter painter(&image);
      TCanvas canvas(&painter);
      TDiagramDrawInfo info;
      info.Canvas = &canvas;
      std::unique_ptr<TDgrPaintEngine> engine;
      if (GetParam() == TMode::Path) {
        engine = CreatePaintEngine(dglGDIPlus, &painter, TRect{0, 0, image.width(), image.height()});
        engine->BeginDraw();
        engine->ResetTransform();
        // Client units to canvas pixels, as ClientToCanvas maps them.
        const TDot origin = diagram->ClientToCanvas(TDot{0, 0});
        const TDot unit = diagram->ClientToCanvas(TDot{1, 1});
        engine->ScaleTransform(unit.X - origin.X, unit.Y - origin.Y);
        engine->TranslateTransform(origin.X, origin.Y);
        block->DgrDrawer()->SetPaintEngine(engine.get());
        info.DgrDrawer = block->DgrDrawer();
      }
      block->DrawControl(info);
      if (engine) {
        block->DgrDrawer()->SetPaintEngine(nullptr);
        engine->EndDraw();
      }
      changes = canvas.ChangeCount();
    }
    return image;
  }

  // A point given in the block's own frame (relative to its centre, before turning).
  TDot Local(double u, double v) const {
    const TSquare b = block->BoundsRect();
    const double r = block->Angle() * std::numbers::pi / 180;
    const TDot c{(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2};
    return diagram->ClientToCanvas(TDot{c.X + u * std::cos(r) - v * std::sin(r), c.Y + u * std::sin(r) + v * std::cos(r)});
  }

  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  TDiagramBlock* block = Create<TDiagramBlock>(&form);
  QImage image{260, 260, QImage::Format_ARGB32_Premultiplied};
  uint64_t changes = 0;
};

TBitmap* FilledBitmap(TBitmap* bitmap, int width, int height, TColor color) {
  QImage pixels(width, height, QImage::Format_RGB32);
  pixels.fill(Rgb(color));
  bitmap->SetImage(pixels);
  return bitmap;
}

TEST_P(PaintFixture, LayersOfARotatedBlockInOrder) {
  block->SetBoundsRect({60, 60, 160, 120});
  block->SetAngle(30);
  block->SetColor(clYellow);
  block->Pen()->SetColor(clRed);
  block->Pen()->SetWidth(3);
  block->Shadow()->SetVisible(true);
  block->Shadow()->SetColor(clBlue);
  block->Shadow()->SetHOffset(20);
  block->Shadow()->SetVOffset(20);
  // The shadow's screen offset stays put in plain mode and turns with the block in path mode.
  const TDot shadowOnly = GetParam() == TMode::Raster
                              ? AddDots(Local(0, 28), TDot{20, 20})
                              : Local(20, 48);
  struct Step {
    const char* Layer;
    std::function<void()> Enable;
    TColor Centre;
  };
  const Step steps[] = {
      {"fill", [] {}, clYellow},
      {"gradient", [&] {
         block->Gradient()->SetStartColor(clLime);
         block->Gradient()->SetEndColor(clLime);
         block->Gradient()->SetVisible(true);
       }, clLime},
      {"pattern", [&] {
         block->Brush()->SetStyle(bsSolid);
         block->Brush()->SetColor(clFuchsia);
       }, clFuchsia},
      {"bitmap", [&] { FilledBitmap(block->Bitmap(), 8, 8, clAqua); }, clAqua},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.Layer);
    step.Enable();
    image.fill(Qt::white);
    const QImage& painted = Paint();
    EXPECT_TRUE(PixelIs(painted, Local(0, 0), step.Centre)) << "each layer covers the ones before it";
    EXPECT_TRUE(PixelIs(painted, Local(-20, 10), step.Centre));
    EXPECT_TRUE(PixelIs(painted, Local(0, -30), clRed)) << "the outline is drawn last";
    EXPECT_TRUE(PixelIs(painted, Local(49.5, 0), clRed));
    EXPECT_TRUE(PixelIs(painted, shadowOnly, clBlue)) << "the shadow shows beside the block";
    EXPECT_TRUE(PixelIs(painted, {5, 5}, clWhite));
  }
}

// Zoomed out until the font comes to no points, a text draws nothing; its frame still shows.
TEST_P(PaintFixture, TextZoomedToNoPointsDrawsNothing) {
  block->SetBoundsRect({40, 40, 3000, 1500});
  block->SetTransparent(true);
  block->Pen()->SetStyle(psClear);
  block->Font()->SetName(QStringLiteral("DejaVu Sans"));
  block->Font()->SetHeight(-11);  // 8 points
  block->DefaultTextCell()->SetText(QString(40, QChar(0x2588)));
  const auto inkInside = [&](const QImage& painted) {
    const TDot a = diagram->ClientToCanvas(TDot{45, 45}), b = diagram->ClientToCanvas(TDot{2995, 1495});
    int ink = 0;
    for (int y = Round(a.Y); y < Round(b.Y); ++y)
      for (int x = Round(a.X); x < Round(b.X); ++x) ink += painted.pixelColor(x, y) != QColor(Qt::white);
    return ink;
  };
  if (GetParam() == TMode::Raster) {
    diagram->SetZoom(7);  // Round(0.56) = 1 point
    EXPECT_GT(inkInside(Paint()), 0) << "a one-point text still marks the block";
    image.fill(Qt::white);
  }
  diagram->SetZoom(5);  // Round(0.4) = 0 points
  EXPECT_EQ(inkInside(Paint()), 0);

  // What the pass worked out about the cells follows every change of them.
  block->Font()->SetHeight(-40);  // 30 points: Round(1.5) = 2 at 5 %
  image.fill(Qt::white);
  EXPECT_GT(inkInside(Paint()), 0) << "a larger font shows again";
  block->Font()->SetHeight(-11);
  image.fill(Qt::white);
  EXPECT_EQ(inkInside(Paint()), 0);

  block->DefaultTextCell()->CellFrame()->SetVisible(true);
  block->DefaultTextCell()->CellFrame()->SetTransparent(false);
  block->DefaultTextCell()->CellFrame()->SetColor(clBlue);
  image.fill(Qt::white);
  EXPECT_GT(inkInside(Paint()), 0) << "the cell's frame is drawn";
}

TEST_P(PaintFixture, PicturesAreClippedToTheOutline) {
  block->SetBoundsRect({40, 40, 200, 160});
  block->SetAngle(20);
  block->SetShape(ElementEnums::bsEllipse);
  block->SetTransparent(true);
  FilledBitmap(block->Bitmap(), 4, 4, clAqua);
  const QImage& painted = Paint();
  EXPECT_TRUE(PixelIs(painted, Local(0, 0), clAqua));
  EXPECT_TRUE(PixelIs(painted, Local(-70, -50), clWhite)) << "inside the rectangle, outside the ellipse";
  EXPECT_TRUE(PixelIs(painted, Local(70, 50), clWhite));
}

TEST_P(PaintFixture, TransparentBlockShowsOnlyItsOutline) {
  block->SetBoundsRect({40, 40, 140, 100});
  block->SetTransparent(true);
  block->Pen()->SetWidth(3);
  const QImage& painted = Paint();
  EXPECT_TRUE(PixelIs(painted, Local(0, 0), clWhite));
  EXPECT_TRUE(PixelIs(painted, Local(0, -30), clBlack));
}

TEST_P(PaintFixture, SelectedBlocksUseTheSelectionColours) {
  block->SetBoundsRect({40, 40, 140, 100});
  block->SetSelColor(clSilver);
  block->SelBrush()->SetStyle(bsSolid);
  block->SelBrush()->SetColor(clOlive);
  EXPECT_TRUE(PixelIs(Paint(), Local(0, 0), clWhite));
  block->SelBrush()->SetStyle(bsClear);
  block->SetSelected(true);
  EXPECT_TRUE(PixelIs(Paint(), Local(0, 0), clSilver));
  block->SelBrush()->SetStyle(bsSolid);
  EXPECT_TRUE(PixelIs(Paint(), Local(0, 0), clOlive));
}

TEST_P(PaintFixture, CentredPictureKeepsItsSize) {
  block->SetBoundsRect({40, 40, 200, 160});  // centre (120, 100)
  block->SetPictureMode(pmCenter);
  TBitmap bitmap;
  FilledBitmap(&bitmap, 20, 10, clNavy);
  block->Picture()->SetGraphic(&bitmap);
  const QImage& painted = Paint();
  EXPECT_TRUE(PixelIs(painted, Local(0, 0), clNavy));
  EXPECT_TRUE(PixelIs(painted, Local(8, 3), clNavy));
  EXPECT_TRUE(PixelIs(painted, Local(14, 0), clWhite));
  EXPECT_TRUE(PixelIs(painted, Local(0, 8), clWhite));
}

TEST_P(PaintFixture, TiledPictureCoversTheBlockWithBoundedWork) {
  block->SetBoundsRect({10, 10, 250, 250});
  block->SetBitmapMode(bmTile);
  FilledBitmap(block->Bitmap(), 1, 1, clTeal);
  const QImage& painted = Paint();
  EXPECT_TRUE(PixelIs(painted, Local(0, 0), clTeal));
  EXPECT_TRUE(PixelIs(painted, Local(-110, -110), clTeal));
  EXPECT_TRUE(PixelIs(painted, Local(110, 110), clTeal));
  if (GetParam() == TMode::Raster) {
    EXPECT_LT(changes, 2 * uint64_t(MaxPictureTiles) + 100) << "tiles are capped (a tile is at most two drawing calls)";
  }
}

TEST_P(PaintFixture, MetafileDrawsAPlaceholderAndKeepsItsBytes) {
  // An enhanced metafile header: record 1, 88 bytes, a 1 x 1 inch frame, the signature.
  QByteArray bytes(88, '\0');
  auto put = [&bytes](int offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  put(0, 1);
  put(4, 88);
  put(32, 2540);
  put(36, 2540);
  put(40, 0x464D4520);
  block->Metafile()->LoadFromStream(bytes);
  ASSERT_FALSE(block->Metafile()->Empty());
  block->SetBoundsRect({40, 40, 140, 100});
  block->SetTransparent(true);
  const QImage& painted = Paint();
  const QColor centre = painted.pixelColor(Round(Local(0, 0).X), Round(Local(0, 0).Y));
  EXPECT_NE(centre, QColor(Qt::white)) << "something marks the metafile";
  EXPECT_EQ(block->Metafile()->Bytes(), bytes);
  TMetafile copy;
  copy.Assign(block->Metafile());
  block->SetMetafile(&copy);
  EXPECT_EQ(block->Metafile()->Bytes(), bytes) << "assigned metafiles keep their bytes";
}

TEST_P(PaintFixture, DrawBlockHookSkipsTheBody) {
  block->SetBoundsRect({40, 40, 140, 100});
  block->SetColor(clYellow);
  int afterCalls = 0;
  diagram->OnDrawBlock = [](TvxDiagram*, TDiagramControl*, const TDiagramDrawInfo&, const TDiagramDrawBlockInfo&,
                            bool& painted) { painted = true; };
  diagram->OnAfterDrawBlock = [&](TvxDiagram*, TDiagramControl* control, const TDiagramDrawInfo&,
                                  const TDiagramDrawBlockInfo& blockInfo, bool&) {
    EXPECT_EQ(control, block);
    const TDot a = diagram->ClientToCanvas(TDot{40, 40}), b = diagram->ClientToCanvas(TDot{140, 100});
    EXPECT_EQ(blockInfo.Rect, (TSquare{a.X, a.Y, b.X, b.Y}));
    ++afterCalls;
  };
  const QImage& painted = Paint();
  EXPECT_TRUE(PixelIs(painted, Local(0, 0), clWhite));
  EXPECT_TRUE(PixelIs(painted, Local(0, -30), clWhite));
  EXPECT_EQ(afterCalls, 1);
}

TEST_P(PaintFixture, DrawShapeHookReplacesEveryLayersShape) {
  block->SetBoundsRect({40, 40, 140, 100});
  block->SetColor(clYellow);
  block->Shadow()->SetVisible(true);
  int calls = 0;
  diagram->OnDrawShape = [&](TvxDiagram*, TDiagramControl*, const TDiagramDrawInfo&, const TDiagramDrawBlockInfo&,
                             bool& painted) {
    ++calls;
    painted = true;
  };
  const QImage& painted = Paint();
  EXPECT_EQ(calls, 4) << "shadow, fill, pattern and outline";
  EXPECT_TRUE(PixelIs(painted, Local(0, 0), clWhite));
}

TEST_P(PaintFixture, PaintingRestoresTheCanvasPenAndBrush) {
  block->SetBoundsRect({40, 40, 140, 100});
  block->Shadow()->SetVisible(true);
  block->Gradient()->SetVisible(true);
  FilledBitmap(block->Bitmap(), 2, 2, clAqua);
  QPainter painter(&image);
  TCanvas canvas(&painter);
  canvas.Pen()->SetColor(clMaroon);
  canvas.Pen()->SetWidth(7);
  canvas.Brush()->SetColor(clGreen);
  canvas.Brush()->SetStyle(bsCross);
  TDiagramDrawInfo info;
  info.Canvas = &canvas;
  block->DrawControl(info);
  EXPECT_EQ(canvas.Pen()->Color(), clMaroon);
  EXPECT_EQ(canvas.Pen()->Width(), 7);
  EXPECT_EQ(canvas.Pen()->Style(), psSolid);
  EXPECT_EQ(canvas.Brush()->Color(), clGreen);
  EXPECT_EQ(canvas.Brush()->Style(), bsCross);
  EXPECT_FALSE(canvas.ClipRegion().has_value());
  EXPECT_TRUE(canvas.WorldTransform().isIdentity());
}

TEST_P(PaintFixture, ShadowTransparencyCombinesWithTheBlocksInPathMode) {
  block->SetBoundsRect({40, 40, 140, 100});
  block->SetTransparent(true);
  block->SetTransparency(50);
  block->Shadow()->SetVisible(true);
  block->Shadow()->SetColor(clBlue);
  block->Shadow()->SetTransparency(50);
  block->Shadow()->SetHOffset(20);
  block->Shadow()->SetVOffset(20);
  const QImage& painted = Paint();
  const TDot shadowOnly = Local(45, 40);
  if (GetParam() == TMode::Path)
    EXPECT_TRUE(PixelIs(painted, shadowOnly, RGBColor(191, 191, 255), 3)) << "100 - 50 * 50 / 100 = 75";
  else
    EXPECT_TRUE(PixelIs(painted, shadowOnly, clBlue)) << "plain mode draws the shadow opaque";
}

INSTANTIATE_TEST_SUITE_P(BothModes, PaintFixture, ::testing::Values(TMode::Raster, TMode::Path), ModeName);

// --- Plain-mode details -------------------------------------------------------------------

struct RasterPaintFixture : ::testing::Test {
  RasterPaintFixture() {
    diagram->SetGraphicLib(dglGDI);
    block->SetDiagram(diagram);
    image.fill(Qt::white);
  }
  const QImage& Paint() {
    QPainter painter(&image);
    TCanvas canvas(&painter);
    TDiagramDrawInfo info;
    info.Canvas = &canvas;
    block->DrawControl(info);
    return image;
  }
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  TDiagramBlock* block = Create<TDiagramBlock>(&form);
  QImage image{260, 260, QImage::Format_ARGB32_Premultiplied};
};

TEST_F(RasterPaintFixture, ShadowOffsetFollowsTheZoom) {
  block->SetBoundsRect({10, 10, 60, 60});
  block->Shadow()->SetVisible(true);
  block->Shadow()->SetColor(clBlue);
  diagram->SetZoom(200);
  const TDot corner = diagram->ClientToCanvas(TDot{60, 60});  // the block's bottom-right corner
  const QImage& painted = Paint();
  EXPECT_TRUE(PixelIs(painted, {corner.X + 2, corner.Y - 10}, clBlue)) << "4 canvas pixels of shadow";
  EXPECT_TRUE(PixelIs(painted, {corner.X + 3, corner.Y + 3}, clBlue));
  EXPECT_TRUE(PixelIs(painted, {corner.X + 6, corner.Y - 10}, clWhite));
}

TEST_F(RasterPaintFixture, EveryGradientIsClippedToItsOwnOutline) {
  // Two blocks on one canvas: what the first leaves behind must not unclip the second.
  TDiagramBlock* second = Create<TDiagramBlock>(&form);
  second->SetDiagram(diagram);
  block->SetBoundsRect({10, 10, 110, 70});
  second->SetBoundsRect({130, 130, 250, 190});
  for (TDiagramBlock* b : {block, second}) {
    b->SetShape(ElementEnums::bsDiamond);
    b->Gradient()->SetStartColor(clLime);
    b->Gradient()->SetEndColor(clBlue);
    b->Gradient()->SetVisible(true);
  }
  {
    QPainter painter(&image);
    TCanvas canvas(&painter);
    TDiagramDrawInfo info;
    info.Canvas = &canvas;
    block->DrawControl(info);
    second->DrawControl(info);
  }
  for (const TDot corner : {TDot{13, 13}, TDot{107, 67}, TDot{133, 133}, TDot{247, 187}})
    EXPECT_TRUE(PixelIs(image, corner, clWhite)) << "a corner outside the diamond";
  EXPECT_FALSE(PixelIs(image, {190, 160}, clWhite)) << "the middle of the second diamond";
}

// What a block keeps about its layers follows every change of its shadow, gradient and
// pictures from one pass to the next.
TEST_F(RasterPaintFixture, LayersTurnedOnBetweenPassesShow) {
  block->SetBoundsRect({20, 20, 120, 80});
  block->SetColor(clWhite);
  block->Pen()->SetStyle(psClear);
  const TDot middle = diagram->ClientToCanvas(TDot{70, 50});
  const TDot besideShadow = diagram->ClientToCanvas(TDot{122, 82});
  EXPECT_TRUE(PixelIs(Paint(), besideShadow, clWhite)) << "no shadow yet";
  block->Shadow()->SetColor(clBlue);
  block->Shadow()->SetVisible(true);
  EXPECT_TRUE(PixelIs(Paint(), besideShadow, clBlue)) << "shadow turned on";
  block->Gradient()->SetStartColor(clRed);
  block->Gradient()->SetEndColor(clRed);
  block->Gradient()->SetVisible(true);
  EXPECT_TRUE(PixelIs(Paint(), middle, clRed)) << "gradient turned on";
  block->SetBitmapMode(bmTile);
  FilledBitmap(block->Bitmap(), 1, 1, clTeal);
  EXPECT_TRUE(PixelIs(Paint(), middle, clTeal)) << "a bitmap given";
  block->Bitmap()->SetSize(0, 0);
  block->Gradient()->SetVisible(false);
  block->Shadow()->SetVisible(false);
  image.fill(Qt::white);
  const QImage& painted = Paint();
  EXPECT_TRUE(PixelIs(painted, middle, clWhite)) << "all turned off again";
  EXPECT_TRUE(PixelIs(painted, besideShadow, clWhite));
}

// A block keeps its outline region between passes; scrolling, zooming or reshaping paints
// exactly what a block never painted before paints.
TEST_F(RasterPaintFixture, KeptOutlineRegionsFollowTheViewAndTheShape) {
  const auto style = [](TDiagramBlock* b, ElementEnums::TBlockShape shape) {
    b->SetBoundsRect({20, 20, 120, 80});
    b->SetShape(shape);
    b->Gradient()->SetStartColor(clRed);
    b->Gradient()->SetEndColor(clBlue);
    b->Gradient()->SetVisible(true);
  };
  style(block, ElementEnums::bsEllipse);
  Paint();
  diagram->SetAutoScroll(false);
  diagram->HorzScrollBar()->SetRange(1000);
  diagram->VertScrollBar()->SetRange(1000);
  const auto paintBoth = [&](const std::string& what) {
    image.fill(Qt::white);
    const QImage kept = Paint().copy();
    TDiagramBlock* fresh = Create<TDiagramBlock>(&form);
    style(fresh, block->Shape());
    fresh->SetDiagram(diagram);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      TCanvas canvas(&painter);
      TDiagramDrawInfo info;
      info.Canvas = &canvas;
      fresh->DrawControl(info);
    }
    EXPECT_EQ(kept, image) << what;
    fresh->SetDiagram(nullptr);
    delete fresh;
  };
  diagram->HorzScrollBar()->SetPosition(15);
  diagram->VertScrollBar()->SetPosition(7);
  paintBoth("scrolled");
  diagram->SetZoom(150);
  paintBoth("zoomed");
  block->SetShape(ElementEnums::bsDiamond);
  paintBoth("reshaped");
}

// Unturned gradient bands cut to an outline's rectangles leave the pixels a clip to the
// outline leaves, within any clip the canvas had already.
TEST(RegionFillTarget, CutsBandsAsAClipWould) {
  const TRegion outlines[] = {
      TRegion::FromEllipse({10, 10, 13, 12}),  TRegion::FromEllipse({8, 9, 15, 13}),
      TRegion::FromEllipse({5, 6, 40, 30}),    TRegion::FromPolygon({{20, 4}, {38, 20}, {20, 36}, {2, 20}}),
      TRegion::FromRect({6, 6, 30, 22}).United(TRegion::FromRect({26, 18, 44, 40})),
  };
  const TSquare rect{4, 4, 42, 38};
  for (int direction = grTopBottom; direction <= grVertOutIn; ++direction) {
    for (size_t o = 0; o < std::size(outlines); ++o) {
      for (const bool canvasClip : {false, true}) {
        QImage clipped(48, 48, QImage::Format_ARGB32_Premultiplied);
        FillWithNoise(clipped, 3);
        QImage cut = clipped.copy();
        TDiagramGradient gradient;
        gradient.SetDirection(static_cast<TGradientDirection>(direction));
        gradient.SetStartColor(clRed);
        gradient.SetEndColor(clBlue);
        for (QImage* image : {&clipped, &cut}) {
          TCanvas canvas(image);
          if (canvasClip) canvas.IntersectClipRect({0, 15, 48, 30});
          if (image == &clipped) {
            TRegionClip clip(canvas, outlines[o]);
            gradient.DrawGradient(&canvas, rect, 0);
          } else {
            TRegionFillTarget target(canvas, outlines[o]);
            gradient.DrawGradient(&canvas, target, rect, 0);
          }
        }
        ASSERT_EQ(clipped, cut) << "direction " << direction << ", outline " << o << ", canvas clip " << canvasClip;
      }
    }
  }
}

TEST_F(RasterPaintFixture, DragOutlineInvertsAndErasesItself) {
  block->SetBoundsRect({40, 40, 140, 100});
  block->SetAngle(15);
  QImage before = image.copy();
  {
    QPainter painter(&image);
    TCanvas canvas(&painter);
    TControlMoveInfo info;
    info.Canvas = &canvas;
    info.Delta = {10, 10};
    info.Action = caDrawCursor;
    block->ControlMoving(info);
    EXPECT_EQ(canvas.Pen()->Mode(), pmCopy) << "the pen mode is restored";
  }
  EXPECT_NE(image, before) << "the outline is visible";
  {
    QPainter painter(&image);
    TCanvas canvas(&painter);
    TControlMoveInfo info;
    info.Canvas = &canvas;
    info.Delta = {10, 10};
    info.Action = caEraseCursor;
    block->ControlMoving(info);
  }
  EXPECT_EQ(image, before) << "drawing it again removes it";
  EXPECT_EQ(block->BoundsRect(), (TSquare{40, 40, 140, 100}));
}

TEST_F(RasterPaintFixture, DrawBlockInCanvasPaintsIntoTheGivenRectangle) {
  block->SetColor(clYellow);
  block->SetBoundsRect({100, 100, 150, 150});
  {
    QPainter painter(&image);
    TCanvas canvas(&painter);
    block->DrawBlockInCanvas(&canvas, {10, 10, 60, 40});
  }
  EXPECT_TRUE(PixelIs(image, {35, 25}, clYellow));
  EXPECT_TRUE(PixelIs(image, {10, 25}, clBlack)) << "the outline";
  EXPECT_TRUE(PixelIs(image, {125, 125}, clWhite)) << "not at the block's own place";
}

TEST_F(RasterPaintFixture, ClippedTextIsCutAtTheEllipse) {
  block->SetBoundsRect({40, 40, 200, 140});
  block->SetShape(ElementEnums::bsEllipse);
  block->SetTransparent(true);
  block->Pen()->SetStyle(psClear);
  block->Font()->SetName(QStringLiteral("DejaVu Sans"));
  block->Font()->SetHeight(-40);
  block->SetWordWrap(false);
  block->DefaultTextCell()->SetText(QString(12, QChar(0x2588)) + u'\n' + QString(12, QChar(0x2588)) + u'\n' +
                                    QString(12, QChar(0x2588)));
  // Pixels of the bounds well outside the ellipse (beyond 1.15 of its radii).
  const auto inkOutsideEllipse = [&](const QImage& painted) {
    int ink = 0;
    for (int y = 40; y < 140; ++y)
      for (int x = 40; x < 200; ++x) {
        const TDot c = diagram->ClientToCanvas(TDot{double(x), double(y)});
        const double u = (x - 120) / 80.0, v = (y - 90) / 50.0;
        if (u * u + v * v > 1.15 * 1.15 && painted.pixelColor(Round(c.X), Round(c.Y)) != QColor(Qt::white)) ++ink;
      }
    return ink;
  };
  EXPECT_GT(inkOutsideEllipse(Paint()), 100) << "the text overflows the ellipse";
  image.fill(Qt::white);
  block->SetClipText(true);
  EXPECT_EQ(inkOutsideEllipse(Paint()), 0) << "clipped to the outline";
}

struct VisioFrameFixture : RasterPaintFixture {
  VisioFrameFixture() {
    diagram->SetHandlesStyle(hsVisio);
    block->SetDiagram(nullptr);
    block->SetDiagram(diagram);
    block->SetBoundsRect({40, 60, 140, 120});
  }
  void PaintHandles() {
    QPainter painter(&image);
    TCanvas canvas(&painter);
    TDiagramDrawInfo info;
    info.Canvas = &canvas;
    block->DrawHandles(info);
  }
  // How many pixels of the colour lie on the canvas row y between x1 and x2 (or column).
  int CountRow(int y, int x1, int x2, TColor color) const {
    int n = 0;
    for (int x = x1; x <= x2; ++x) n += PixelIs(image, {double(x), double(y)}, color, 0) ? 1 : 0;
    return n;
  }
  int CountColumn(int x, int y1, int y2, TColor color) const {
    int n = 0;
    for (int y = y1; y <= y2; ++y) n += PixelIs(image, {double(x), double(y)}, color, 0) ? 1 : 0;
    return n;
  }
};

TEST_F(VisioFrameFixture, SelectedBlockShowsADottedFrameAndTheRotationLine) {
  PaintHandles();
  EXPECT_EQ(CountRow(Round(diagram->ClientToCanvas(TDot{0, 60}).Y), 50, 80, clLime), 0) << "only when selected";
  block->SetSelected(true);
  PaintHandles();
  const TDot topLeft = diagram->ClientToCanvas(TDot{40, 60});
  const int top = Round(topLeft.Y), left = Round(topLeft.X);
  const int onTop = CountRow(top, left + 10, left + 40, clLime);
  EXPECT_GT(onTop, 5);
  EXPECT_LT(onTop, 31) << "dotted";
  const TDot centre = diagram->ClientToCanvas(block->RotationCenterPoint());
  EXPECT_GT(CountColumn(Round(centre.X), top - 20, top - 4, clLime), 3) << "the line up to the rotation handle";
}

TEST_F(VisioFrameFixture, MultiSelectionFramesAreSolidAndFuchsia) {
  diagram->SetSelectionMode(slmGroup);
  auto* second = Create<TDiagramBlock>(&form);
  second->SetDiagram(diagram);
  second->SetBoundsRect({200, 200, 240, 240});
  block->SetSelected(true);
  second->SetSelected(true);
  PaintHandles();
  const TDot topLeft = diagram->ClientToCanvas(TDot{40, 60});
  const int top = Round(topLeft.Y), left = Round(topLeft.X);
  EXPECT_EQ(CountRow(top, left + 10, left + 40, clFuchsia), 31) << "solid";
  EXPECT_EQ(CountRow(top, left + 10, left + 40, clLime), 0);
  const TDot centre = diagram->ClientToCanvas(block->RotationCenterPoint());
  EXPECT_EQ(CountColumn(Round(centre.X), top - 20, top - 4, clFuchsia), 0) << "no rotation line";
}

// --- Hit testing --------------------------------------------------------------------------

struct HitFixture : ::testing::TestWithParam<TMode> {
  HitFixture() {
    diagram->SetGraphicLib(GetParam() == TMode::Raster ? dglGDI : dglGDIPlus);
    block->SetDiagram(diagram);
  }
  // A point at distance d outside (d > 0) or inside (d < 0) the middle of the block's
  // top edge, along the edge's normal.
  TPoint FromTopEdge(double d) const {
    const TSquare b = block->BoundsRect();
    const double r = block->Angle() * std::numbers::pi / 180;
    const TDot c{(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2};
    const double v = -b.Height() / 2 - d;
    return {Round(c.X - v * std::sin(r)), Round(c.Y + v * std::cos(r))};
  }
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  TDiagramBlock* block = Create<TDiagramBlock>(&form);
};

TEST_P(HitFixture, RotatedBlocksAreHitInsideTheirOutlineOnly) {
  for (double angle : {0.0, 30.0, 45.0, 200.0}) {
    SCOPED_TRACE(angle);
    block->SetBoundsRect({100, 100, 200, 160});
    block->SetAngle(angle);
    EXPECT_TRUE(block->PointInControl(FromTopEdge(-4)));
    EXPECT_FALSE(block->PointInControl(FromTopEdge(4)));
    EXPECT_FALSE(block->PointInControl(FromTopEdge(6)));
    const TPoint in = FromTopEdge(-4), out4 = FromTopEdge(4), out6 = FromTopEdge(6);
    EXPECT_EQ(diagram->DControlAtPos({double(in.X), double(in.Y)}, csmAll, cfAll), block);
    EXPECT_EQ(diagram->DControlAtPos({double(out4.X), double(out4.Y)}, csmAll, cfAll), nullptr);
    EXPECT_EQ(diagram->DControlAtPos({double(out6.X), double(out6.Y)}, csmAll, cfAll), nullptr);
  }
}

TEST_P(HitFixture, EllipseCornersAreNotHit) {
  block->SetBoundsRect({0, 0, 100, 100});
  block->SetShape(ElementEnums::bsEllipse);
  EXPECT_TRUE(block->PointInControl({50, 50}));
  EXPECT_FALSE(block->PointInControl({5, 5}));
  block->SetShape(ElementEnums::bsDiamond);
  EXPECT_TRUE(block->PointInControl({50, 10}));
  EXPECT_FALSE(block->PointInControl({10, 10}));
}

TEST_P(HitFixture, TheOutlineFollowsEveryChange) {
  block->SetBoundsRect({0, 0, 100, 100});
  EXPECT_TRUE(block->PointInControl({90, 90}));
  block->SetWidth(50);
  EXPECT_FALSE(block->PointInControl({90, 90}));
  block->SetAngle(90);
  EXPECT_TRUE(block->PointInControl({70, 50}));
  block->SetShape(ElementEnums::bsEllipse);
  block->SetAngle(0);
  block->SetWidth(100);
  EXPECT_FALSE(block->PointInControl({3, 3}));
}

INSTANTIATE_TEST_SUITE_P(BothModes, HitFixture, ::testing::Values(TMode::Raster, TMode::Path), ModeName);

TEST(BlockHitHook, TheDiagramMaySupplyTheOutline) {
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  diagram->SetGraphicLib(dglGDI);
  TDiagramBlock* block = Create<TDiagramBlock>(&form);
  block->SetDiagram(diagram);
  block->SetBoundsRect({0, 0, 100, 100});
  diagram->OnGetSurroundPts = [](TvxDiagram*, TDiagramControl*, TPointArray& points) {
    points = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
  };
  EXPECT_TRUE(block->PointInControl({5, 5}));
  EXPECT_FALSE(block->PointInControl({50, 50}));
}

}  // namespace
