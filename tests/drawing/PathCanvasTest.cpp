// Paths, regions, the shape mapping of the element drawer, transforms, clips and the
// single save slot of the path engine.

#include "DrawingTestSupport.h"

#include <QPainterPath>
#include <cmath>

namespace {

const TGdipGraphicsPath& Native(const TDgrGraphicsPath& path) { return dynamic_cast<const TGdipGraphicsPath&>(path); }

QPointF ElementPoint(const TDgrGraphicsPath& path, int index) {
  const QPainterPath::Element e = Native(path).GPPath().elementAt(index);
  return QPointF(e.x, e.y);
}

void ExpectPoint(const QPointF& actual, double x, double y) {
  EXPECT_NEAR(actual.x(), x, 1e-9);
  EXPECT_NEAR(actual.y(), y, 1e-9);
}

// --- Paths -------------------------------------------------------------------------------

TEST(GdipPath, AddsJoinTheCurrentFigureUntilANewOneStarts) {
  TGdipGraphicsPath path;
  EXPECT_EQ(path.GetPointCount(), 0);
  path.AddLine(0, 0, 10, 0);
  path.AddLine(10, 10, 0, 10);
  EXPECT_EQ(path.GetPointCount(), 4) << "the second line is joined by an edge from (10,0)";
  path.StartFigure();
  path.AddLine(20, 0, 30, 0);
  EXPECT_EQ(path.GetPointCount(), 6);
  EXPECT_EQ(Native(path).GPPath().elementAt(4).type, QPainterPath::MoveToElement);
}

TEST(GdipPath, CloseFigureClosesWhateverItsArgument) {
  TGdipGraphicsPath path;
  path.AddLines({{0, 0}, {10, 0}, {10, 10}});
  path.CloseFigure(false);
  path.AddLine(100, 100, 110, 100);
  EXPECT_TRUE(path.IsVisible(8, 2));
  EXPECT_EQ(Native(path).GPPath().elementAt(path.GetPointCount() - 2).type, QPainterPath::MoveToElement);
}

TEST(GdipPath, ClosedShapesAreFiguresOfTheirOwn) {
  TGdipGraphicsPath path;
  path.AddLine(0, 0, 5, 0);
  path.AddRectangle(TSquare{10, 10, 20, 20});
  path.AddLine(30, 30, 40, 30);
  EXPECT_EQ(Native(path).GPPath().elementAt(path.GetPointCount() - 2).type, QPainterPath::MoveToElement);
  EXPECT_TRUE(path.IsVisible(15, 15));
  EXPECT_FALSE(path.IsVisible(25, 15));
}

TEST(GdipPath, FillModeDecidesNestedFigures) {
  TGdipGraphicsPath path;
  path.AddRectangle(TSquare{0, 0, 30, 30});
  path.AddRectangle(TSquare{10, 10, 20, 20});
  EXPECT_FALSE(path.IsVisible(15, 15)) << "alternate filling leaves the inner square empty";
  path.SetFillMode(fmWinding);
  EXPECT_TRUE(path.IsVisible(15, 15));
  path.Reset();
  EXPECT_EQ(path.GetPointCount(), 0);
  path.AddRectangle(TSquare{0, 0, 30, 30});
  path.AddRectangle(TSquare{10, 10, 20, 20});
  EXPECT_FALSE(path.IsVisible(15, 15)) << "a reset path fills alternately again";
}

TEST(GdipPath, ArcAnglesAreClockwiseGeometricAngles) {
  TGdipGraphicsPath path;
  // Ellipse 200 x 100 centred at (100, 50); the ray at 45 degrees goes down and right.
  path.AddArc(0, 0, 200, 100, 45, 90);
  const QPointF start = ElementPoint(path, 0);
  EXPECT_NEAR(start.x() - 100, start.y() - 50, 1e-6);
  EXPECT_GT(start.y(), 50);
  const QPointF end = Native(path).GPPath().currentPosition();
  // Qt's arc ends on its curve approximation, a hundredth of a unit off the exact point.
  EXPECT_NEAR(end.x() - 100, -(end.y() - 50), 0.05) << "ends on the ray at 135 degrees";
  EXPECT_LT(end.x(), 100);
}

TEST(GdipPath, RoundRectIsFourCornerArcsLeftOpen) {
  TGdipGraphicsPath path;
  TGPCanvas canvas;
  canvas.AddRoundRectPath(path, 0, 0, 100, 60, 40, 20);
  EXPECT_TRUE(path.IsVisible(50, 30));
  EXPECT_TRUE(path.IsVisible(50, 1));
  EXPECT_FALSE(path.IsVisible(1, 1)) << "the corner is rounded off";
  EXPECT_TRUE(path.IsVisible(20, 1));
  TGdipGraphicsPath open;
  open.AddRoundRect(0, 0, 100, 60, 40, 20);
  ExpectPoint(ElementPoint(open, 0), 80, 0);
  const QPointF last = open.GPPath().currentPosition();
  EXPECT_NEAR(last.x(), 20, 1e-9) << "the figure ends at the top-left arc, not back at the start";
  EXPECT_NEAR(last.y(), 0, 1e-9);
}

TEST(GdipPath, InvalidInputIsRefusedWithAStatus) {
  TGdipGraphicsPath path;
  EXPECT_NE(path.AddLines({}), 0);
  EXPECT_NE(path.AddPolygon({}), 0);
  EXPECT_NE(path.AddArc(0, 0, 0, 10, 0, 90), 0);
  EXPECT_NE(path.AddArc(0, 0, 10, 10, std::nan(""), 90), 0);
  EXPECT_EQ(path.GetPointCount(), 0);
}

TEST(GdipRegion, RegionFollowsTheTransformInDevicePixels) {
  TPathScene scene(200, 200, 2.0);
  auto path = scene.Drawer->CreatePath();
  path->AddEllipse(10, 20, 30, 40);
  const auto region = path->CreateRegion();
  path->Reset();
  const std::optional<QRegion> device = region->GetHRGN(scene.Canvas());
  ASSERT_TRUE(device.has_value());
  const QRect bounds = device->boundingRect();
  EXPECT_NEAR(bounds.left(), 20, 1);
  EXPECT_NEAR(bounds.top(), 40, 1);
  EXPECT_NEAR(bounds.right() + 1, 80, 1);
  EXPECT_NEAR(bounds.bottom() + 1, 120, 1);
  EXPECT_TRUE(region->IsVisible(TSquare{0, 0, 12, 42}));
  EXPECT_FALSE(region->IsVisible(TSquare{0, 0, 10, 19}));
  TGPCanvas detached;
  EXPECT_FALSE(region->GetHRGN(detached).has_value()) << "no graphics context, no platform region";
}

// --- Shape mapping --------------------------------------------------------------------------

TEST(GPBlockDrawer, TransformPathMapsSourceOntoDestThenTurns) {
  TGPBlockDrawer drawer;
  drawer.SetSourceRect(TSquare{0, 0, 100, 100});
  drawer.SetDestRect(TSquare{10, 20, 210, 120});
  EXPECT_DOUBLE_EQ(drawer.Canvas()->ScaleX(), 2.0);
  EXPECT_DOUBLE_EQ(drawer.Canvas()->ScaleY(), 1.0);
  auto path = drawer.CreatePath();
  path->AddLines({{0, 0}, {100, 100}, {50, 50}});
  drawer.TransformPath(*path);
  ExpectPoint(ElementPoint(*path, 0), 10, 20);
  ExpectPoint(ElementPoint(*path, 1), 210, 120);

  drawer.SetRotationCenter(TDot{110, 70});
  drawer.SetAngle(90);
  path->Reset();
  path->AddLines({{50, 50}, {100, 50}});
  drawer.TransformPath(*path);
  ExpectPoint(ElementPoint(*path, 0), 110, 70);
  ExpectPoint(ElementPoint(*path, 1), 110, 170);  // a quarter turn clockwise on screen
}

TEST(GPBlockDrawer, RectanglesWithoutExtentKeepThePreviousMappingButMoveTheBrush) {
  TGPBlockDrawer drawer;
  drawer.SetDestRect(TSquare{0, 0, 50, 50});
  const QTransform mapping = drawer.GPCanvas()->TransMatrix();
  drawer.SetDestRect(TSquare{70, 70, 70, 90});
  EXPECT_FALSE(drawer.Canvas()->ValidRects());
  EXPECT_EQ(drawer.GPCanvas()->TransMatrix(), mapping);
  EXPECT_EQ(drawer.Canvas()->Brush()->PositionRect(), (TSquare{70, 70, 70, 90}));
  drawer.SetSourceRect(TSquare{0, 0, -1, 100});
  drawer.SetDestRect(TSquare{0, 0, 10, 10});
  EXPECT_EQ(drawer.GPCanvas()->TransMatrix(), mapping);
}

TEST(GPBlockDrawer, ZeroAngleLeavesPathsUntouched) {
  TGPBlockDrawer drawer;
  drawer.SetRotationCenter(TDot{3, 4});
  auto path = drawer.CreatePath();
  path->AddLine(0.1, 0.2, 0.3, 0.7);
  const QPainterPath before = Native(*path).GPPath();
  drawer.RotatePath(*path);
  EXPECT_EQ(Native(*path).GPPath(), before);
}

// --- Engine, attachment, transforms ---------------------------------------------------------

TEST(DrawingRegistry, EnginesByGraphicLib) {
  TImageScene scene(4, 4);
  EXPECT_EQ(CreatePaintEngine(dglGDI, &scene.Painter, TRect{}), nullptr);
  EXPECT_EQ(CreateBlockDrawer(dglGDI), nullptr);
  const auto engine = CreatePaintEngine(dglGDIPlus, &scene.Painter, TRect{});
  ASSERT_NE(engine, nullptr);
  EXPECT_EQ(engine->GraphicLib(), dglGDIPlus);
  const auto drawer = CreateBlockDrawer(dglGDIPlus);
  ASSERT_NE(drawer, nullptr);
  EXPECT_EQ(drawer->GraphicLib(), dglGDIPlus);
  EXPECT_NE(dynamic_cast<TGPCanvas*>(drawer->Canvas()), nullptr);
  try {
    CreatePaintEngine(dglDirect2D, &scene.Painter, TRect{});
    ADD_FAILURE() << "no Direct2D engine in this build";
  } catch (const EDirect2DException& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Direct2D not supported."));
  }
  EXPECT_FALSE(IsGraphicLibAvailable(dglDirect2D));
  EXPECT_TRUE(IsGraphicLibAvailable(dglGDI));
}

TEST(GPBlockDrawer, DrawsOnlyWhileAPaintEngineLives) {
  TImageScene scene(20, 20);
  TGPBlockDrawer drawer;
  drawer.Canvas()->Brush()->SetColor(clRed);
  drawer.Canvas()->Rectangle(0, 0, 20, 20);  // no engine: nothing, no failure
  {
    TGdipPaintEngine engine(&scene.Painter, TRect{});
    drawer.SetPaintEngine(&engine);
    drawer.Canvas()->Rectangle(0, 0, 10, 20);
  }
  // The engine is gone while still attached: the drawer must not reach it.
  drawer.Canvas()->Rectangle(10, 0, 20, 20);
  const QImage& image = scene.Finish();
  EXPECT_TRUE(PixelNear(image, 5, 5, QColor(255, 0, 0)));
  EXPECT_TRUE(PixelNear(image, 15, 5, White));
}

TEST(GdipPaintEngine, EngineComposesAfterAndCanvasBeforeTheExistingTransform) {
  TPathScene scene(10, 10);
  scene.Engine->ResetTransform();
  scene.Engine->ScaleTransform(2, 2);
  scene.Engine->TranslateTransform(10, 0);
  auto* canvas = dynamic_cast<TGPCanvas*>(&scene.Canvas());
  EXPECT_EQ(canvas->GPGraphics()->WorldToDevice().map(QPointF(1, 0)), QPointF(12, 0));
  canvas->TranslateTransform(5, 0);
  EXPECT_EQ(canvas->GPGraphics()->WorldToDevice().map(QPointF(1, 0)), QPointF(22, 0));
  canvas->RotateTransform(90, TDot{1, 1});
  EXPECT_EQ(canvas->GPGraphics()->WorldToDevice().map(QPointF(2, 1)), QPointF(22, 4));
}

TEST(GdipPaintEngine, PageUnitScalesWorldUnitsByTheDeviceResolution) {
  TImageScene fresh(10, 10);
  TGdipPaintEngine engine(&fresh.Painter, TRect{});
  const double dpi = fresh.Image.logicalDpiX();
  engine.SetPageUnit(dpuInch);
  EXPECT_NEAR(engine.GPGraphics()->WorldToDevice().map(QPointF(1, 0)).x(), dpi, 1e-9);
  engine.SetPageUnit(dpuPoint);
  EXPECT_NEAR(engine.GPGraphics()->WorldToDevice().map(QPointF(72, 0)).x(), dpi, 1e-9);
  engine.SetPageUnit(dpuPixel);
  EXPECT_NEAR(engine.GPGraphics()->WorldToDevice().map(QPointF(7, 0)).x(), 7, 1e-9);
}

TEST(GPCanvas, OneSaveSlotASecondSaveOverwritesTheFirst) {
  TPathScene scene(10, 10);
  auto* canvas = dynamic_cast<TGPCanvas*>(&scene.Canvas());
  canvas->SaveDrawingState();
  canvas->TranslateTransform(3, 0);
  canvas->SetClip(TSquare{0, 0, 5, 5});
  canvas->SaveDrawingState();
  canvas->TranslateTransform(4, 0);
  canvas->ResetClip();
  canvas->RestoreDrawingState();
  EXPECT_EQ(canvas->GPGraphics()->WorldToDevice().map(QPointF(0, 0)), QPointF(3, 0));
  EXPECT_TRUE(canvas->GPGraphics()->HasClip()) << "the clip comes back with the state";
  canvas->RestoreDrawingState();
  EXPECT_EQ(canvas->GPGraphics()->WorldToDevice().map(QPointF(0, 0)), QPointF(3, 0))
      << "the first saved state was overwritten";
}

TEST(GPCanvas, PlatformRegionClipThenResetLeavesNoClip) {
  TPathScene scene(20, 20);
  TDgrCanvas& canvas = scene.Canvas();
  EXPECT_EQ(canvas.SetClip(QRegion(0, 0, 10, 10)), 0);
  canvas.Brush()->SetColor(clBlue);
  canvas.Pen()->SetTransparency(100);
  canvas.Rectangle(0, 0, 20, 20);
  EXPECT_EQ(canvas.ResetClip(), 0);
  canvas.Brush()->SetColor(clRed);
  canvas.Rectangle(15, 15, 20, 20);
  const QImage& image = scene.Done();
  EXPECT_TRUE(PixelNear(image, 5, 5, QColor(0, 0, 255)));
  EXPECT_TRUE(PixelNear(image, 12, 12, White));
  EXPECT_TRUE(PixelNear(image, 17, 17, QColor(255, 0, 0)));
}

TEST(GPCanvas, LeavesThePaintersOwnStateAsItFoundIt) {
  TImageScene scene(40, 40);
  scene.Painter.translate(10, 10);
  scene.Painter.setClipRect(0, 0, 20, 20);
  const QTransform before = scene.Painter.worldTransform();
  {
    TGdipPaintEngine engine(&scene.Painter, TRect{});
    engine.ScaleTransform(2, 2);
    TGPBlockDrawer drawer;
    drawer.SetPaintEngine(&engine);
    drawer.Canvas()->SetClip(TSquare{0, 0, 3, 3});
    drawer.Canvas()->Brush()->SetColor(clRed);
    drawer.Canvas()->Rectangle(0, 0, 30, 30);
    EXPECT_THROW(engine.GPGraphics()->Paint([](QPainter& painter) {
      painter.translate(100, 100);
      throw std::runtime_error("drawing failed");
    }),
                 std::runtime_error);
    drawer.SetPaintEngine(nullptr);
  }
  EXPECT_EQ(scene.Painter.worldTransform(), before);
  EXPECT_EQ(scene.Painter.clipBoundingRect(), QRectF(0, 0, 20, 20));
  const QImage& image = scene.Finish();
  EXPECT_TRUE(PixelNear(image, 12, 12, QColor(255, 0, 0))) << "engine drawing starts at the painter's origin";
  EXPECT_TRUE(PixelNear(image, 17, 17, White)) << "engine clip: 3 world units = 6 pixels";
  EXPECT_TRUE(PixelNear(image, 35, 35, White)) << "the painter's own clip still applies";
}

}  // namespace
