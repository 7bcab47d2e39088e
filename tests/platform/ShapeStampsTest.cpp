// Small ellipses, round rectangles and polygons in solid colours are copied from stamps on
// 32-bit images, and rectangles in a solid brush are written straight into them; a 24-bit
// image always takes the painter. Drawing the same shapes on both and comparing the pixels
// checks the stamps against the painter.
#include "platform/Canvas.h"
#include "platform/ShapeStamps.h"
#include "support/NoisePixels.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

namespace {

// Wide enough that far positions show whether a shape's pixels depend on where it lies.
constexpr int Width = 1400;
constexpr int Height = 90;

std::string FirstDifference(const QImage& stamped, const QImage& painted) {
  const QImage a = stamped.convertToFormat(QImage::Format_RGB32);
  const QImage b = painted.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y))
        return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " + std::to_string(a.pixel(x, y)) +
               " stamped and " + std::to_string(b.pixel(x, y)) + " painted";
  return {};
}

// Draws on a 32-bit and a 24-bit image of noise and answers the first pixel where they differ.
std::string CompareRoutes(const std::function<void(QPainter&)>& setUp, const std::function<void(TCanvas&)>& draw) {
  QImage stamped(Width, Height, QImage::Format_ARGB32_Premultiplied);
  QImage painted(Width, Height, QImage::Format_RGB888);
  FillWithNoise(stamped, 99);
  FillWithNoise(painted, 99);
  for (QImage* image : {&stamped, &painted}) {
    QPainter painter(image);
    setUp(painter);
    TCanvas canvas(&painter);
    draw(canvas);
  }
  return FirstDifference(stamped, painted);
}

struct TRandomShapes {
  std::mt19937 Random{1210};

  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(Random); }
  bool Chance(int percent) { return Between(1, 100) <= percent; }
};

enum TShapeKind { skEllipse, skRoundRect, skPolygon, skRectangle, skKinds };

struct TShape {
  TShapeKind Kind = skEllipse;
  int Width = 0, Height = 0, CornerX = 0, CornerY = 0;
  TPointArray Points;  // relative to the shape's place

  void Draw(TCanvas& canvas, int x, int y) const {
    switch (Kind) {
      case skEllipse: canvas.Ellipse(x, y, x + Width, y + Height); break;
      case skRoundRect: canvas.RoundRect(x, y, x + Width, y + Height, CornerX, CornerY); break;
      case skRectangle: canvas.Rectangle(x, y, x + Width, y + Height); break;
      default: {
        TPointArray placed;
        for (const TPoint& p : Points) placed.push_back({p.X + x, p.Y + y});
        canvas.Polygon(placed);
        break;
      }
    }
  }
};

TShape RandomShape(TRandomShapes& random) {
  TShape shape;
  shape.Kind = static_cast<TShapeKind>(random.Between(0, skKinds - 1));
  // Mostly the few pixels of a diagram seen whole; now and then beyond the stamp size.
  const int most = random.Chance(10) ? 80 : 20;
  shape.Width = random.Between(1, most);
  shape.Height = random.Between(1, most);
  shape.CornerX = random.Between(-10, 30);
  shape.CornerY = random.Between(-10, 30);
  const int corners = random.Between(3, 7);
  for (int i = 0; i < corners; ++i)
    shape.Points.push_back({random.Between(0, shape.Width), random.Between(0, shape.Height)});
  return shape;
}

TEST(ShapeStamps, StampedShapesMatchThePainterWhereverTheyLie) {
  TRandomShapes random;
  const size_t stampsBefore = TShapeStamps::ForThread().StampCount();
  for (int round = 0; round < 40; ++round) {
    const QPoint translation = random.Chance(30) ? QPoint(random.Between(-9, 9), random.Between(-9, 9)) : QPoint();
    const bool clipped = random.Chance(25);
    const TRect clip{random.Between(0, Width / 2), random.Between(0, 40), random.Between(Width / 2, Width),
                     random.Between(40, Height)};
    std::vector<TShape> shapes;
    for (int i = 0; i < 12; ++i) shapes.push_back(RandomShape(random));
    // Each shape in several places, so the later ones come from its stamp; some of them
    // across the image's edges and the clip's.
    std::vector<std::pair<size_t, TPoint>> places;
    for (int i = 0; i < 60; ++i)
      places.push_back({static_cast<size_t>(random.Between(0, 11)),
                        {random.Between(-30, Width + 5), random.Between(-30, Height + 5)}});
    const TColor fill = random.Chance(50) ? clRed : static_cast<TColor>(0x123456);
    const bool outlined = random.Chance(70);
    const std::string difference = CompareRoutes([&](QPainter& p) { p.translate(translation); },
                                                 [&](TCanvas& canvas) {
                                                   if (clipped) canvas.IntersectClipRect(clip);
                                                   canvas.Brush()->SetColor(fill);
                                                   canvas.Pen()->SetColor(clBlue);
                                                   canvas.Pen()->SetStyle(outlined ? psSolid : psClear);
                                                   for (const auto& [index, at] : places)
                                                     shapes[index].Draw(canvas, at.X, at.Y);
                                                 });
    ASSERT_EQ(difference, "") << "round " << round;
  }
  // The comparison would show nothing if no stamp had been made.
  EXPECT_GT(TShapeStamps::ForThread().StampCount(), stampsBefore + 100);
}

// Pens, brushes and painters that stamps do not serve: drawn alike all the same.
TEST(ShapeStamps, OtherPensBrushesAndPaintersMatchThePainter) {
  struct TCase {
    const char* Name;
    std::function<void(QPainter&)> SetUp;
    std::function<void(TCanvas&)> Style;
  };
  const TCase cases[] = {
      {"dashed pen", [](QPainter&) {}, [](TCanvas& c) { c.Pen()->SetStyle(psDash); }},
      {"wide pen", [](QPainter&) {}, [](TCanvas& c) { c.Pen()->SetWidth(3); }},
      {"hatched brush", [](QPainter&) {}, [](TCanvas& c) { c.Brush()->SetStyle(bsDiagCross); }},
      {"pen mode xor", [](QPainter&) {}, [](TCanvas& c) { c.Pen()->SetMode(pmXor); }},
      {"half opacity", [](QPainter& p) { p.setOpacity(0.5); }, [](TCanvas&) {}},
      {"scaled painter", [](QPainter& p) { p.scale(1.5, 1.5); }, [](TCanvas&) {}},
      {"complex clip", [](QPainter&) {},
       [](TCanvas& c) {
         const TRegion clip = TRegion::FromEllipse({0, 0, 300, 80});
         c.SelectClipRegion(&clip);
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string difference = CompareRoutes(c.SetUp, [&](TCanvas& canvas) {
      canvas.Brush()->SetColor(clYellow);
      canvas.Pen()->SetColor(clGreen);
      c.Style(canvas);
      for (int x = 4; x < 300; x += 23) {
        canvas.Ellipse(x, 10, x + 15, 19);
        canvas.RoundRect(x, 30, x + 15, 41, 6, 4);
        canvas.Polygon({{x, 50}, {x + 9, 60}, {x + 3, 66}, {x + 12, 52}});
      }
    });
    EXPECT_EQ(difference, "");
  }
}

}  // namespace
