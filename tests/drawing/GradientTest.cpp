// Gradients in both drawing modes, the banded renderer's integer arithmetic, and shadows.

#include "DrawingTestSupport.h"

#include "drawing/Gradient.h"
#include "platform/Canvas.h"
#include "platform/ColorMaps.h"

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace {

const QColor Red(255, 0, 0);
const QColor Blue(0, 0, 255);

// A raster canvas on a white image.
class TPlainScene {
public:
  TPlainScene(int width, int height) : Image(NewScreenImage(width, height, QImage::Format_ARGB32_Premultiplied)) {
    Image.fill(Qt::white);
    Canvas = std::make_unique<TCanvas>(&Image);
  }
  const QImage& Done() {
    Canvas->Unbind();
    return Image;
  }

  QImage Image;
  std::unique_ptr<TCanvas> Canvas;
};

// Records band colours and rectangles.
class TBandRecorder : public IRasterTarget {
public:
  std::vector<std::string> Calls;
  TColor Color = clBlack;

  void Rectangle(int x1, int y1, int x2, int y2) override {
    std::ostringstream out;
    out << std::hex << static_cast<uint32_t>(Color) << std::dec << ":" << x1 << "," << y1 << "," << x2 << "," << y2;
    Calls.push_back(out.str());
  }
  void Polygon(const TPointArray& points) override {
    std::ostringstream out;
    out << std::hex << static_cast<uint32_t>(Color) << std::dec << ":poly";
    for (const TPoint& p : points) out << " " << p.X << "," << p.Y;
    Calls.push_back(out.str());
  }
  void Ellipse(int, int, int, int) override { Calls.push_back("ellipse"); }
  void RoundRect(int, int, int, int, int, int) override { Calls.push_back("roundrect"); }
  void Polyline(const TPointArray&) override { Calls.push_back("polyline"); }
  void MoveTo(int, int) override {}
  void LineTo(int, int) override {}

  void Draw(TGradientDirection direction, TColor start, TColor end, const TSquare& rect, double angle = 0) {
    TBlockDrawer drawer;
    DrawBandedGradient(drawer, *this, [this](TColor c) { Color = c; }, direction, start, end, rect, angle);
  }
};

// The share of EndColor seen at (fx, fy), fractions of the rectangle from its top-left.
double EndShare(TGradientDirection direction, double fx, double fy, bool banded) {
  const auto diagonal = [banded](double a, double b) { return banded ? std::max(a, b) : (a + b) / 2; };
  const double frame = std::max(std::abs(2 * fx - 1), std::abs(2 * fy - 1));
  switch (direction) {
    case grTopBottom: return fy;
    case grBottomTop: return 1 - fy;
    case grLeftRight: return fx;
    case grRightLeft: return 1 - fx;
    case grLeftTop: return diagonal(fx, fy);
    case grRightTop: return diagonal(1 - fx, fy);
    case grLeftBottom: return diagonal(fx, 1 - fy);
    case grRightBottom: return diagonal(1 - fx, 1 - fy);
    case grInOut: return frame;
    case grOutIn: return 1 - frame;
    case grHorzInOut: return std::abs(2 * fy - 1);
    case grHorzOutIn: return 1 - std::abs(2 * fy - 1);
    case grVertInOut: return std::abs(2 * fx - 1);
    case grVertOutIn: return 1 - std::abs(2 * fx - 1);
  }
  return 0;
}

constexpr TGradientDirection AllDirections[] = {grTopBottom, grBottomTop, grLeftRight, grRightLeft, grLeftTop,
                                                grRightTop, grLeftBottom, grRightBottom, grInOut, grOutIn,
                                                grHorzInOut, grHorzOutIn, grVertInOut, grVertOutIn};
constexpr double Fractions[] = {0.02, 0.25, 0.5, 0.75, 0.98};

// A 200 x 100 gradient at (10, 10), red to blue, sampled on a 5 x 5 grid.
void ExpectGradientLayout(const QImage& image, TGradientDirection direction, bool banded, int tolerance) {
  for (double fx : Fractions) {
    for (double fy : Fractions) {
      const int x = static_cast<int>(10 + fx * 200), y = static_cast<int>(10 + fy * 100);
      const double share = EndShare(direction, (x + 0.5 - 10) / 200, (y + 0.5 - 10) / 100, banded);
      EXPECT_TRUE(PixelNear(image, x, y, Mix(Red, Blue, share), tolerance))
          << "direction " << int(direction) << (banded ? " banded" : " path") << " at " << fx << "," << fy;
    }
  }
}

TDiagramGradient& RedToBlue(TDiagramGradient& gradient, TGradientDirection direction) {
  gradient.SetDirection(direction);
  gradient.SetStartColor(clRed);
  gradient.SetEndColor(clBlue);
  gradient.SetVisible(true);
  return gradient;
}

// --- Path mode -------------------------------------------------------------------------------

TEST(PathGradient, EveryDirectionPlacesItsColoursAsDescribed) {
  for (TGradientDirection direction : AllDirections) {
    TPathScene scene(220, 120);
    scene.Place(TSquare{10, 10, 210, 110});
    TDiagramGradient gradient;
    RedToBlue(gradient, direction).DrawGradient(scene.Drawer.get());
    ExpectGradientLayout(scene.Done(), direction, false, 8);
  }
}

TEST(PathGradient, TurnsWithTheShape) {
  TPathScene scene(140, 140);
  scene.Place(TSquare{20, 20, 120, 120}, 90);
  TDiagramGradient gradient;
  RedToBlue(gradient, grLeftRight).DrawGradient(scene.Drawer.get());
  const QImage& image = scene.Done();
  EXPECT_TRUE(PixelNear(image, 70, 22, Red, 10)) << "the left edge turned to the top";
  EXPECT_TRUE(PixelNear(image, 70, 117, Blue, 10));
  EXPECT_TRUE(PixelNear(image, 22, 70, Mix(Red, Blue, 0.5), 10));
}

TEST(PathGradient, KeepsTheBrushTransparencyTheCallerChose) {
  TPathScene scene(60, 60);
  scene.Place(TSquare{0, 0, 60, 60});
  scene.Canvas().Brush()->SetTransparency(50);
  TDiagramGradient gradient;
  gradient.SetStartColor(clBlack);
  gradient.SetEndColor(clBlack);
  gradient.DrawGradient(scene.Drawer.get());
  EXPECT_TRUE(PixelNear(scene.Done(), 30, 30, QColor(127, 127, 127), 1));
}

TEST(PathGradient, InOutHasNoSeamAlongTheDiagonals) {
  TPathScene scene(120, 120);
  scene.Place(TSquare{10, 10, 110, 110});
  TDiagramGradient gradient;
  gradient.SetDirection(grInOut);
  gradient.SetStartColor(clBlack);
  gradient.SetEndColor(clBlack);
  gradient.DrawGradient(scene.Drawer.get());
  const QImage& image = scene.Done();
  for (int i = 12; i < 108; ++i) {
    ASSERT_TRUE(PixelNear(image, i, i, Black, 1)) << i;
    ASSERT_TRUE(PixelNear(image, i, 119 - i, Black, 1)) << i;
  }
}

// --- The banded renderer ------------------------------------------------------------------

TEST(BandedGradient, EveryDirectionPlacesItsColoursAsDescribed) {
  for (TGradientDirection direction : AllDirections) {
    TPlainScene scene(220, 120);
    TDiagramGradient gradient;
    RedToBlue(gradient, direction).DrawGradient(scene.Canvas.get(), TSquare{10, 10, 210, 110}, 0);
    ExpectGradientLayout(scene.Done(), direction, true, 10);
  }
}

TEST(BandedGradient, CoversExactlyItsRectangle) {
  for (TGradientDirection direction : AllDirections) {
    TPlainScene scene(40, 30);
    TDiagramGradient gradient;
    gradient.SetDirection(direction);
    gradient.SetStartColor(clBlack);
    gradient.SetEndColor(clBlack);
    gradient.DrawGradient(scene.Canvas.get(), TSquare{5, 5, 35, 25}, 0);
    const QImage& image = scene.Done();
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 40; ++x) {
        const bool inside = x >= 5 && x < 35 && y >= 5 && y < 25;
        ASSERT_TRUE(PixelNear(image, x, y, inside ? Black : White, 0)) << int(direction) << " " << x << "," << y;
      }
    }
  }
}

TEST(BandedGradient, TurnsAboutTheRectangleCentre) {
  TPlainScene scene(140, 140);
  TDiagramGradient gradient;
  RedToBlue(gradient, grLeftRight).DrawGradient(scene.Canvas.get(), TSquare{20, 20, 120, 120}, 90);
  const QImage& image = scene.Done();
  EXPECT_TRUE(PixelNear(image, 70, 23, Red, 12)) << "the left edge turned to the top";
  EXPECT_TRUE(PixelNear(image, 70, 117, Blue, 12));
}

TEST(BandedGradient, BandsFollowTheIntegerArithmetic) {
  TBandRecorder recorder;
  // U = 10, V = 6: N = 5 bands of dy = 1.2; colours first + MulDiv(i, second - first, 4),
  // rounding halves away from zero (green 2.5 -> 3, blue 1.5 -> 2).
  recorder.Draw(grTopBottom, RGBColor(0, 0, 0), RGBColor(255, 10, 3), TSquare{0, 0, 10, 6});
  const std::vector<std::string> expected = {"0:0,0,10,1",      "10340:0,1,10,2", "20580:0,2,10,3",
                                             "208bf:0,3,10,4",  "30aff:0,4,10,6", "30aff:0,5,10,6"};
  EXPECT_EQ(recorder.Calls, expected);
}

TEST(BandedGradient, DiagonalAndFrameBandsInTheirOrder) {
  TBandRecorder leftTop;
  leftTop.Draw(grLeftTop, clBlack, clWhite, TSquare{0, 0, 4, 4});
  // N = 2, dx = dy = 2: a row and a column per band, then the two caps.
  EXPECT_EQ(leftTop.Calls, (std::vector<std::string>{"0:0,0,4,2", "0:0,0,2,4", "ffffff:0,2,4,4", "ffffff:2,0,4,4",
                                                     "ffffff:3,0,4,4", "ffffff:0,3,4,4"}));
  TBandRecorder inOut;
  inOut.Draw(grInOut, clBlack, clWhite, TSquare{0, 0, 4, 4});
  // First colour is EndColor (white) on the border, StartColor in the centre.
  EXPECT_EQ(inOut.Calls.front(), "ffffff:0,0,3,1");
  EXPECT_EQ(inOut.Calls.back(), "0:1,1,3,3");
}

TEST(BandedGradient, ExchangedColoursOfTopBottomDrawBottomTop) {
  TBandRecorder topBottom, bottomTop;
  topBottom.Draw(grTopBottom, clBlue, clRed, TSquare{3, 4, 53, 44});
  bottomTop.Draw(grBottomTop, clRed, clBlue, TSquare{3, 4, 53, 44});
  EXPECT_EQ(topBottom.Calls, bottomTop.Calls);
}

TEST(BandedGradient, TinyRectanglesDrawNothingAndOneBandShowsBothColours) {
  TBandRecorder tiny;
  tiny.Draw(grTopBottom, clRed, clBlue, TSquare{0, 0, 1, 1});
  EXPECT_TRUE(tiny.Calls.empty());
  TBandRecorder one;
  one.Draw(grTopBottom, clRed, clBlue, TSquare{0, 0, 2, 2});
  EXPECT_EQ(one.Calls, (std::vector<std::string>{"ff:0,0,2,2", "ff0000:0,1,2,2"}));
}

TEST(BandedGradient, BadRectanglesAreBoundedOrIgnored) {
  TBandRecorder huge;
  huge.Draw(grLeftRight, clRed, clBlue, TSquare{0, 0, 1e12, 10});
  EXPECT_LE(huge.Calls.size(), 16385u);
  EXPECT_FALSE(huge.Calls.empty());
  TBandRecorder invalid;
  invalid.Draw(grLeftRight, clRed, clBlue, TSquare{0, 0, std::nan(""), 10});
  invalid.Draw(grLeftRight, clRed, clBlue, TSquare{10, 10, 0, 0});
  EXPECT_TRUE(invalid.Calls.empty());
}

TEST(BandedGradient, SystemColoursAreResolved) {
  TBandRecorder recorder;
  recorder.Draw(grTopBottom, clBtnFace, clBtnFace, TSquare{0, 0, 2, 2});
  std::ostringstream expected;
  expected << std::hex << static_cast<uint32_t>(ColorToRGB(clBtnFace)) << ":0,0,2,2";
  EXPECT_EQ(recorder.Calls.front(), expected.str());
}

TEST(MulDiv, RoundsHalvesAwayFromZeroWithoutOverflow) {
  EXPECT_EQ(MulDiv(1, 10, 4), 3);
  EXPECT_EQ(MulDiv(1, -10, 4), -3);
  EXPECT_EQ(MulDiv(3, 3, 4), 2);
  EXPECT_EQ(MulDiv(2, 3, 4), 2);
  EXPECT_EQ(MulDiv(1, 3, 4), 1);
  EXPECT_EQ(MulDiv(100000, 100000, 100000), 100000);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
}

// --- Shadows ------------------------------------------------------------------------------

TEST(CombineTransparency, IntegerFormulaWithTruncation) {
  const struct {
    int A, B, Result;
  } cases[] = {{50, 50, 75}, {0, 0, 0}, {100, 0, 100}, {0, 30, 30}, {33, 33, 56}, {10, 10, 19}, {-20, 150, 100}};
  for (const auto& c : cases) EXPECT_EQ(CombineTransparency(c.A, c.B), c.Result) << c.A << " " << c.B;
}

// Plain mode: a block of 20 x 20 client units at (10, 10) with its shadow, at a zoom.
QImage PlainBlockWithShadow(double zoom, double angle) {
  TPlainScene scene(100, 100);
  TBlockShadow shadow;
  shadow.SetColor(clBlack);
  TBlockDrawer drawer;
  drawer.SetCanvas(scene.Canvas.get());
  drawer.SetOriginalRect(TSquare{0, 0, 100, 100});
  drawer.SetCurRect(TSquare{10 * zoom, 10 * zoom, 30 * zoom, 30 * zoom});
  drawer.SetAngle(angle);
  const auto clientToCanvas = [zoom](const TDot& p) { return TDot{p.X * zoom + 7, p.Y * zoom + 3}; };
  {
    TBlockDrawerOffsetScope moved(drawer, shadow.CanvasOffset(clientToCanvas));
    shadow.PrepareCanvas(*scene.Canvas);
    drawer.AutoRotRect(0, 0, 100, 100);
  }
  scene.Canvas->Brush()->SetColor(clRed);
  drawer.AutoRotRect(0, 0, 100, 100);
  return scene.Done();
}

TEST(BlockShadow, PlainModeOffsetFollowsTheZoom) {
  const struct {
    double Zoom;
    int BlockRight;  // last block pixel column and row
    int Offset;
  } cases[] = {{1.0, 30, 2}, {2.0, 60, 4}};
  for (const auto& c : cases) {
    const QImage image = PlainBlockWithShadow(c.Zoom, 0);
    const int mid = c.BlockRight - 5;
    EXPECT_TRUE(PixelNear(image, c.BlockRight, mid, Red, 0)) << c.Zoom;
    EXPECT_TRUE(PixelNear(image, c.BlockRight + c.Offset, mid, Black, 0)) << c.Zoom;
    EXPECT_TRUE(PixelNear(image, c.BlockRight + c.Offset + 1, mid, White, 0)) << c.Zoom;
    EXPECT_TRUE(PixelNear(image, mid, c.BlockRight + c.Offset, Black, 0)) << c.Zoom;
    EXPECT_TRUE(PixelNear(image, mid, c.BlockRight + c.Offset + 1, White, 0)) << c.Zoom;
  }
}

TEST(BlockShadow, PlainModeShadowStaysRightAndDownOnATurnedBlock) {
  // A turned rectangle is a polygon: its right and bottom edges are not filled.
  const QImage image = PlainBlockWithShadow(1.0, 90);
  EXPECT_TRUE(PixelNear(image, 31, 20, Black, 0));
  EXPECT_TRUE(PixelNear(image, 20, 31, Black, 0));
  EXPECT_TRUE(PixelNear(image, 9, 20, White, 0));
  EXPECT_TRUE(PixelNear(image, 11, 20, Red, 0));
}

// Path mode: the same block drawn through the engine at a zoom.
QImage PathBlockWithShadow(double zoom, double angle, int shadowTransparency = 0, int blockTransparency = 0) {
  TPathScene scene(100, 100, zoom);
  scene.Place(TSquare{10, 10, 30, 30}, angle);
  TBlockShadow shadow;
  shadow.SetColor(clBlack);
  shadow.SetTransparency(shadowTransparency);
  TDgrCanvas& canvas = scene.Canvas();
  const auto drawOutline = [&] {
    auto path = scene.Drawer->CreatePath();
    path->AddRectangle(TSquare{0, 0, 100, 100});
    scene.Drawer->TransformPath(*path);
    canvas.Path(*path);
  };
  {
    TDgrCanvasStyleSaver keep(canvas);
    shadow.PrepareCanvas(canvas, blockTransparency);
    TShadowDestRectScope moved(*scene.Drawer, shadow);
    drawOutline();
  }
  EXPECT_EQ(scene.Drawer->DestRect(), (TSquare{10, 10, 30, 30}));
  if (blockTransparency == 0) {
    canvas.Brush()->SetColor(clRed);
    canvas.Pen()->SetTransparency(100);
    drawOutline();
  }
  return scene.Done();
}

TEST(BlockShadow, PathModeOffsetIsInWorldUnits) {
  const struct {
    double Zoom;
    int BlockRight;  // first pixel right of the block
    int Offset;
  } cases[] = {{1.0, 30, 2}, {2.0, 60, 4}};
  for (const auto& c : cases) {
    const QImage image = PathBlockWithShadow(c.Zoom, 0);
    const int mid = c.BlockRight - 5;
    EXPECT_TRUE(PixelNear(image, c.BlockRight - 1, mid, Red)) << c.Zoom;
    EXPECT_TRUE(PixelNear(image, c.BlockRight + c.Offset - 1, mid, Black)) << c.Zoom;
    EXPECT_TRUE(PixelNear(image, c.BlockRight + c.Offset, mid, White)) << c.Zoom;
    EXPECT_TRUE(PixelNear(image, mid, c.BlockRight + c.Offset - 1, Black)) << c.Zoom;
    EXPECT_TRUE(PixelNear(image, mid, c.BlockRight + c.Offset, White)) << c.Zoom;
  }
}

TEST(BlockShadow, PathModeOffsetTurnsWithTheBlock) {
  // A quarter turn clockwise takes the offset (2, 2) to (-2, 2).
  const QImage image = PathBlockWithShadow(1.0, 90);
  EXPECT_TRUE(PixelNear(image, 9, 20, Black)) << "shadow shows left of the block";
  EXPECT_TRUE(PixelNear(image, 30, 20, White)) << "and not on its right";
  EXPECT_TRUE(PixelNear(image, 20, 31, Black));
}

TEST(BlockShadow, PathModeCombinesShadowAndBlockTransparency) {
  // 50 and 50 give 75: alpha Round(25 * 2.55) = 64 over white.
  const QImage image = PathBlockWithShadow(1.0, 0, 50, 50);
  EXPECT_TRUE(PixelNear(image, 20, 20, QColor(191, 191, 191), 1));
}

}  // namespace
