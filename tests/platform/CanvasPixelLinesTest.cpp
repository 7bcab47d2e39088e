// Thin lines on 32-bit images are written straight into the scanlines; every other device
// gets them through QPainter::drawPoints. Both routes must give the same pixels. A 24-bit
// image takes the painter route, so drawing the same figures on both kinds of image and
// comparing the pixels checks the scanline route against the point-by-point one.
#include "platform/Canvas.h"
#include "platform/ColorMaps.h"
#include "support/NoisePixels.h"

#include <QPainter>
#include <QRegion>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <random>
#include <string>

namespace {

constexpr int Width = 61;
constexpr int Height = 47;

// Pixels that differ from each other, so a pixel written twice or left out shows.
QImage NoiseImage(QImage::Format format) {
  QImage image(Width, Height, format);
  return FillWithNoise(image, 777);
}

// Draws on a 32-bit and on a 24-bit image (through a painter prepared by setUp) and answers
// the first pixel where they differ, or an empty string.
std::string CompareRoutes(const std::function<void(QPainter&)>& setUp, const std::function<void(TCanvas&)>& draw) {
  QImage direct = NoiseImage(QImage::Format_ARGB32_Premultiplied);
  QImage painted = NoiseImage(QImage::Format_RGB888);
  for (QImage* image : {&direct, &painted}) {
    QPainter painter(image);
    setUp(painter);
    TCanvas canvas(&painter);
    draw(canvas);
  }
  const QImage a = direct.convertToFormat(QImage::Format_RGB32);
  const QImage b = painted.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x)
      if (a.pixel(x, y) != b.pixel(x, y))
        return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " + std::to_string(a.pixel(x, y)) +
               " on the 32-bit image and " + std::to_string(b.pixel(x, y)) + " through the painter";
  return {};
}

struct TRandomFigures {
  std::mt19937 Random{20261210};

  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(Random); }
  bool Chance(int percent) { return Between(1, 100) <= percent; }

  // Mostly near the image; now and then far away, where the steps need wide arithmetic.
  int Coordinate(int size) {
    if (Chance(8)) return Between(-2000000000, 2000000000);
    if (Chance(10)) return Between(-100000, 100000);
    return Between(-15, size + 15);
  }
  TPoint Point() { return {Coordinate(Width), Coordinate(Height)}; }
  TPoint NearPoint() { return {Between(-5, Width + 5), Between(-5, Height + 5)}; }
  TPointArray Points() {
    TPointArray points(static_cast<size_t>(Between(1, 7)));
    for (TPoint& p : points) p = Point();
    // Repeated points, axis-parallel and diagonal runs are the easy cases to get wrong.
    if (points.size() > 2 && Chance(30)) points[1] = points[0];
    if (points.size() > 1 && Chance(30)) points[1].Y = points[0].Y;
    if (points.size() > 1 && Chance(30)) points[1].X = points[0].X;
    if (points.size() > 1 && Chance(20)) points[1] = {points[0].X + 9, points[0].Y - 9};
    if (points.size() > 2 && Chance(20)) points.back() = points.front();
    return points;
  }
  TRect Rect() {
    const int left = Between(-5, Width), top = Between(-5, Height);
    return {left, top, left + Between(0, Width), top + Between(0, Height)};
  }
  TColor Color() {
    static const TColor colors[] = {clBlack, clRed, clBlue, clWhite, clGreen, static_cast<TColor>(0x123456)};
    return colors[Between(0, 5)];
  }
  TPenStyle Style() {
    static const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psAlternate, psInsideFrame};
    return styles[Between(0, 6)];
  }
};

TEST(CanvasPixelLines, ScanlineRouteMatchesPainterRouteOnRandomFigures) {
  TRandomFigures random;
  for (int round = 0; round < 400; ++round) {
    // Painter set-up shared by both images: an integer translation, a clip of its own.
    const QPoint translation = random.Chance(30) ? QPoint(random.Between(-9, 9), random.Between(-9, 9)) : QPoint();
    const std::optional<QRect> painterClip =
        random.Chance(20) ? std::optional<QRect>(QRect(random.Between(0, 30), random.Between(0, 20), 25, 20))
                          : std::nullopt;
    const int clipKind = random.Between(0, 4);  // none, rectangle, two rectangles, ellipse, polygon
    const TRect clipRect = random.Rect(), clipRect2 = random.Rect();
    const TPointArray clipPolygon{random.NearPoint(), random.NearPoint(), random.NearPoint(), random.NearPoint()};
    const TPenStyle style = random.Style();
    const TColor pen = random.Color(), background = random.Color();
    const bool opaque = random.Chance(50);
    const int figureKind = random.Between(0, 4);  // polyline, polygon, rectangle, line to, segments
    const TPointArray points = random.Points();
    const TRect rect = random.Rect();

    const auto setUp = [&](QPainter& painter) {
      painter.translate(translation);
      if (painterClip) painter.setClipRect(*painterClip);
    };
    const auto draw = [&](TCanvas& canvas) {
      switch (clipKind) {
        case 1: canvas.IntersectClipRect(clipRect); break;
        case 2: {
          const TRegion region = TRegion::FromRect(clipRect).United(TRegion::FromRect(clipRect2));
          canvas.SelectClipRegion(&region);
          break;
        }
        case 3: {
          const TRegion region = TRegion::FromEllipse(clipRect);
          canvas.SelectClipRegion(&region);
          break;
        }
        case 4: {
          const TRegion region = TRegion::FromPolygon(clipPolygon);
          canvas.SelectClipRegion(&region);
          break;
        }
        default: break;
      }
      canvas.Pen()->SetStyle(style);
      canvas.Pen()->SetColor(pen);
      canvas.Brush()->SetStyle(bsClear);
      canvas.SetBkColor(background);
      canvas.SetBkMode(opaque ? TBkMode::Opaque : TBkMode::Transparent);
      switch (figureKind) {
        case 0: canvas.Polyline(points); break;
        case 1: canvas.Polygon(points); break;
        case 2: canvas.Rectangle(rect); break;
        case 4: canvas.LineSegments(points); break;
        default:
          canvas.MoveTo(points.front().X, points.front().Y);
          for (const TPoint& p : points) canvas.LineTo(p.X, p.Y);
          break;
      }
    };
    const std::string difference = CompareRoutes(setUp, draw);
    ASSERT_EQ(difference, "") << "round " << round << ", figure " << figureKind << ", style " << style
                              << ", clip " << clipKind << ", opaque " << opaque << ", points " << points.size();
  }
}

// Cases that must leave the scanline route: they are drawn alike as well.
TEST(CanvasPixelLines, MixingModesAndFadedPaintingMatchThePainterRoute) {
  struct TCase {
    const char* Name;
    std::function<void(QPainter&)> SetUp;
    TPenMode Mode;
  };
  const TCase cases[] = {
      {"pen mode not", [](QPainter&) {}, pmNot},
      {"pen mode xor", [](QPainter&) {}, pmXor},
      {"half opacity", [](QPainter& p) { p.setOpacity(0.5); }, pmCopy},
      {"antialiased painter", [](QPainter& p) { p.setRenderHint(QPainter::Antialiasing); }, pmCopy},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string difference = CompareRoutes(c.SetUp, [&](TCanvas& canvas) {
      // The canvas switches smoothing off when it binds; the case turns it back on.
      if (std::string(c.Name) == "antialiased painter") canvas.Handle()->setRenderHint(QPainter::Antialiasing);
      canvas.Pen()->SetMode(c.Mode);
      canvas.Pen()->SetColor(clRed);
      canvas.Pen()->SetStyle(psDashDot);
      canvas.Polyline({{-3, 2}, {50, 40}, {10, 44}, {10, 3}, {58, 3}});
    });
    EXPECT_EQ(difference, "");
  }
}

// Segments drawn together are the lines drawn one by one, on either route and with any pen.
TEST(CanvasPixelLines, SegmentsAreSeparateLines) {
  TRandomFigures random;
  for (int round = 0; round < 200; ++round) {
    TPointArray ends(static_cast<size_t>(random.Between(1, 9)));
    for (TPoint& p : ends) p = random.Chance(80) ? random.NearPoint() : random.Point();
    const TPenStyle style = random.Style();
    const int width = random.Chance(25) ? 3 : 1;
    const bool opaque = random.Chance(50);
    const bool clipped = random.Chance(30);
    const TRect clipRect = random.Rect();
    for (const QImage::Format format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB888}) {
      QImage together(Width, Height, format), oneByOne(Width, Height, format);
      FillWithNoise(together, 5);
      FillWithNoise(oneByOne, 5);
      TPoint penAfter[2];
      for (QImage* image : {&together, &oneByOne}) {
        TCanvas canvas(image);
        if (clipped) canvas.IntersectClipRect(clipRect);
        canvas.Pen()->SetStyle(style);
        canvas.Pen()->SetWidth(width);
        canvas.Pen()->SetColor(clRed);
        canvas.SetBkColor(clBlue);
        canvas.SetBkMode(opaque ? TBkMode::Opaque : TBkMode::Transparent);
        canvas.MoveTo(-7, -7);
        if (image == &together) {
          canvas.LineSegments(ends);
        } else {
          for (size_t i = 0; i + 1 < ends.size(); i += 2) {
            canvas.MoveTo(ends[i].X, ends[i].Y);
            canvas.LineTo(ends[i + 1].X, ends[i + 1].Y);
          }
        }
        penAfter[image == &together ? 0 : 1] = canvas.PenPos();
      }
      ASSERT_EQ(together, oneByOne) << "round " << round << ", format " << format << ", ends " << ends.size();
      EXPECT_EQ(penAfter[0], penAfter[1]) << "round " << round;
    }
  }
}

TEST(CanvasPixelLines, StyledLinesRunTheirPatternOnAcrossSegmentsAndClips) {
  QImage image(40, 3, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  {
    TCanvas canvas(&image);
    canvas.Pen()->SetStyle(psDot);  // 3 on, 3 off
    const TRegion clip = TRegion::FromRect({0, 0, 10, 3}).United(TRegion::FromRect({20, 0, 40, 3}));
    canvas.SelectClipRegion(&clip);
    canvas.Polyline({{0, 1}, {7, 1}, {40, 1}});
  }
  std::string row;
  for (int x = 0; x < 40; ++x) row += image.pixel(x, 1) == qRgb(0, 0, 0) ? '#' : '.';
  EXPECT_EQ(row, "###...###...........#...###...###...###.");
}

}  // namespace
