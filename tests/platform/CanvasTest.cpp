#include "platform/Canvas.h"
#include "platform/ColorMaps.h"
#include "platform/Exceptions.h"
#include "platform/Pictures.h"
#include "support/NoisePixels.h"

#include <QPainter>
#include <QPicture>
#include <gtest/gtest.h>
#include <cmath>
#include <functional>
#include <stdexcept>

namespace {

constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Black = 0xFF000000;
constexpr QRgb Red = 0xFFFF0000;
constexpr QRgb Blue = 0xFF0000FF;

QImage WhiteImage(int width = 32, int height = 32) {
  QImage image = NewScreenImage(width, height, QImage::Format_RGB32);
  image.fill(White);
  return image;
}

// Draws on image through a canvas of its own, unbound before the pixels are inspected.
void Paint(QImage& image, const std::function<void(TCanvas&)>& draw) {
  TCanvas canvas(&image);
  draw(canvas);
}

QRect InkBounds(const QImage& image, QRgb background = White) {
  QRect bounds;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != background) bounds |= QRect(x, y, 1, 1);
  return bounds;
}

int CountPixels(const QImage& image, QRgb color) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == color;
  return count;
}

// An image whose pixels differ from each other, so mixing modes show.
QImage NoiseImage(int width, int height) {
  QImage image = NewScreenImage(width, height, QImage::Format_RGB32);
  return FillWithNoise(image, 12345);
}

}  // namespace

TEST(Canvas, RectangleExcludesItsRightAndBottomEdge) {
  QImage image = WhiteImage();
  Paint(image, [](TCanvas& c) {
    c.Brush()->SetColor(clRed);
    c.Rectangle(2, 3, 10, 8);
  });
  EXPECT_EQ(InkBounds(image), QRect(QPoint(2, 3), QPoint(9, 7)));
  EXPECT_EQ(image.pixel(2, 3), Black);
  EXPECT_EQ(image.pixel(9, 7), Black);
  EXPECT_EQ(image.pixel(9, 5), Black);
  EXPECT_EQ(image.pixel(5, 7), Black);
  EXPECT_EQ(image.pixel(5, 5), Red);
  EXPECT_EQ(image.pixel(8, 6), Red);
}

TEST(Canvas, FilledShapesStayInsideTheirRectangle) {
  struct Case { const char* name; std::function<void(TCanvas&)> draw; QRect expected; };
  const Case cases[] = {
      {"FillRect", [](TCanvas& c) { c.FillRect(TRect{4, 5, 14, 9}); }, QRect(4, 5, 10, 4)},
      {"FrameRect", [](TCanvas& c) { c.FrameRect(TRect{4, 5, 14, 9}); }, QRect(4, 5, 10, 4)},
      {"Ellipse", [](TCanvas& c) { c.Ellipse(4, 5, 24, 19); }, QRect(4, 5, 20, 14)},
      {"RoundRect", [](TCanvas& c) { c.RoundRect(4, 5, 24, 19, 6, 6); }, QRect(4, 5, 20, 14)},
      {"Reversed rectangle", [](TCanvas& c) { c.Rectangle(14, 9, 4, 5); }, QRect(4, 5, 10, 4)},
  };
  for (const Case& test : cases) {
    QImage image = WhiteImage();
    Paint(image, [&](TCanvas& c) {
      c.Brush()->SetColor(clBlue);
      test.draw(c);
    });
    EXPECT_EQ(InkBounds(image), test.expected) << test.name;
  }
}

TEST(Canvas, FrameRectDrawsOnlyTheBorder) {
  QImage image = WhiteImage();
  Paint(image, [](TCanvas& c) {
    c.Brush()->SetColor(clBlue);
    c.FrameRect(TRect{4, 5, 14, 9});
  });
  EXPECT_EQ(image.pixel(4, 7), Blue);
  EXPECT_EQ(image.pixel(13, 7), Blue);
  EXPECT_EQ(image.pixel(8, 8), Blue);
  EXPECT_EQ(image.pixel(8, 7), White);
}

TEST(Canvas, InsideFramePenKeepsTheOutlineInsideTheRectangle) {
  QImage inside = WhiteImage();
  Paint(inside, [](TCanvas& c) {
    c.Pen()->SetWidth(4);
    c.Pen()->SetStyle(psInsideFrame);
    c.Brush()->SetColor(clRed);
    c.Rectangle(5, 5, 25, 21);
  });
  EXPECT_EQ(InkBounds(inside), QRect(QPoint(5, 5), QPoint(24, 20)));
  for (int x = 5; x < 9; ++x) EXPECT_EQ(inside.pixel(x, 12), Black) << x;  // left border, 4 pixels
  for (int x = 21; x < 25; ++x) EXPECT_EQ(inside.pixel(x, 12), Black) << x;
  EXPECT_EQ(inside.pixel(9, 12), Red);
  EXPECT_EQ(inside.pixel(15, 9), Red);

  QImage centred = WhiteImage();
  Paint(centred, [](TCanvas& c) {
    c.Pen()->SetWidth(4);
    c.Rectangle(5, 5, 25, 21);
  });
  // A plain wide pen runs along the edge and reaches outside.
  EXPECT_LT(InkBounds(centred).left(), 5);
  EXPECT_GT(InkBounds(centred).right(), 24);
}

TEST(Canvas, ClearPenAndClearBrushDrawNothing) {
  QImage image = WhiteImage();
  Paint(image, [](TCanvas& c) {
    c.Pen()->SetStyle(psClear);
    c.Brush()->SetStyle(bsClear);
    c.Rectangle(2, 2, 20, 20);
    c.Ellipse(2, 2, 20, 20);
    c.Polygon({{1, 1}, {20, 3}, {10, 20}});
    c.MoveTo(0, 0);
    c.LineTo(30, 30);
  });
  EXPECT_TRUE(InkBounds(image).isEmpty());
}

TEST(Canvas, LinesLeaveOutTheirLastPixel) {
  QImage image = WhiteImage();
  Paint(image, [](TCanvas& c) {
    c.MoveTo(1, 1);
    c.LineTo(10, 1);   // left to right
    c.MoveTo(10, 3);
    c.LineTo(1, 3);    // right to left
    c.MoveTo(20, 10);
    c.LineTo(20, 20);  // downwards
  });
  for (int x = 1; x <= 9; ++x) EXPECT_EQ(image.pixel(x, 1), Black) << x;
  EXPECT_EQ(image.pixel(10, 1), White);
  for (int x = 2; x <= 10; ++x) EXPECT_EQ(image.pixel(x, 3), Black) << x;
  EXPECT_EQ(image.pixel(1, 3), White);
  EXPECT_EQ(image.pixel(20, 19), Black);
  EXPECT_EQ(image.pixel(20, 20), White);
}

TEST(Canvas, PolylineLeavesOutOnlyItsFinalPoint) {
  QImage image = WhiteImage();
  Paint(image, [](TCanvas& c) { c.Polyline({{2, 2}, {12, 2}, {12, 12}}); });
  EXPECT_EQ(image.pixel(12, 2), Black);  // the corner is drawn
  EXPECT_EQ(image.pixel(12, 11), Black);
  EXPECT_EQ(image.pixel(12, 12), White);
}

TEST(Canvas, NotXorDrawnTwiceRestoresTheImage) {
  const QImage original = NoiseImage(40, 40);
  QImage image = original.copy();
  TCanvas canvas(&image);
  canvas.Pen()->SetMode(pmNotXor);
  canvas.Pen()->SetColor(RGBColor(40, 90, 200));
  canvas.Brush()->SetStyle(bsClear);
  auto feedback = [&] {
    canvas.Rectangle(3, 4, 30, 25);
    canvas.Ellipse(5, 5, 35, 33);
    canvas.Polyline({{1, 1}, {20, 30}, {38, 2}, {1, 1}});
    canvas.MoveTo(0, 20);
    canvas.LineTo(39, 21);
    canvas.LineTo(39, 39);
  };
  feedback();
  canvas.Unbind();
  EXPECT_NE(image, original);
  // Joints are drawn once, so they are changed rather than cancelled.
  EXPECT_NE(image.pixel(20, 30), original.pixel(20, 30));
  EXPECT_NE(image.pixel(39, 21), original.pixel(39, 21));
  canvas.Bind(&image);
  canvas.Pen()->SetMode(pmNotXor);
  feedback();
  canvas.Unbind();
  EXPECT_EQ(image, original);
}

TEST(Canvas, InvertingModesAreTheirOwnInverse) {
  for (TPenMode mode : {pmNot, pmXor, pmNotXor}) {
    const QImage original = NoiseImage(24, 24);
    QImage image = original.copy();
    for (int pass = 0; pass < 2; ++pass)
      Paint(image, [&](TCanvas& c) {
        c.Pen()->SetMode(mode);
        c.Pen()->SetWidth(3);
        c.Brush()->SetColor(clYellow);
        c.Rectangle(2, 2, 20, 18);
        c.Polygon({{3, 3}, {22, 10}, {4, 21}});
      });
    EXPECT_EQ(image, original) << mode;
  }
}

TEST(Canvas, FocusRectangleIsDottedAndRemovedByDrawingItAgain) {
  const QImage original = NoiseImage(20, 20);
  QImage image = original.copy();
  Paint(image, [](TCanvas& c) { c.DrawFocusRect(TRect{2, 2, 15, 12}); });
  EXPECT_NE(image.pixel(2, 2), original.pixel(2, 2));
  EXPECT_EQ(image.pixel(3, 2), original.pixel(3, 2));  // dotted
  EXPECT_EQ(image.pixel(8, 6), original.pixel(8, 6));  // inside untouched
  Paint(image, [](TCanvas& c) { c.DrawFocusRect(TRect{2, 2, 15, 12}); });
  EXPECT_EQ(image, original);
}

TEST(Canvas, HatchBrushesFillTheBackgroundOnlyWhenOpaque) {
  for (TBrushStyle style : {bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross}) {
    for (TBkMode mode : {TBkMode::Transparent, TBkMode::Opaque}) {
      QImage image = WhiteImage(24, 24);
      Paint(image, [&](TCanvas& c) {
        c.Brush()->SetColor(clBlack);
        c.Brush()->SetStyle(style);
        c.SetBkMode(mode);
        c.SetBkColor(clRed);
        c.FillRect(TRect{0, 0, 16, 16});
      });
      const int black = CountPixels(image, Black), red = CountPixels(image, Red);
      SCOPED_TRACE(testing::Message() << "style " << style << " opaque " << (mode == TBkMode::Opaque));
      EXPECT_GT(black, 0);
      EXPECT_LT(black, 16 * 16);
      if (mode == TBkMode::Opaque) EXPECT_EQ(black + red, 16 * 16);
      else EXPECT_EQ(red, 0);
      EXPECT_EQ(InkBounds(image), QRect(0, 0, 16, 16).intersected(InkBounds(image)));
    }
  }
}

TEST(Canvas, HatchDirectionsMatchTheirNames) {
  auto hatch = [](TBrushStyle style) {
    QImage image = WhiteImage(16, 16);
    Paint(image, [&](TCanvas& c) {
      c.Brush()->SetColor(clBlack);
      c.Brush()->SetStyle(style);
      c.FillRect(TRect{0, 0, 16, 16});
    });
    return image;
  };
  auto fullRow = [](const QImage& image) {
    for (int y = 0; y < 16; ++y) {
      bool full = true;
      for (int x = 0; x < 16; ++x) full &= image.pixel(x, y) == Black;
      if (full) return true;
    }
    return false;
  };
  EXPECT_TRUE(fullRow(hatch(bsHorizontal)));
  EXPECT_FALSE(fullRow(hatch(bsVertical)));
  EXPECT_TRUE(fullRow(hatch(bsVertical).transformed(QTransform().rotate(90))));
  // Forward diagonal runs from top-left to bottom-right: pixel (x, y) and (x+1, y+1) agree.
  const QImage forward = hatch(bsFDiagonal), backward = hatch(bsBDiagonal);
  int forwardRuns = 0, backwardRuns = 0;
  for (int y = 0; y + 1 < 16; ++y)
    for (int x = 1; x + 1 < 16; ++x) {
      forwardRuns += forward.pixel(x, y) == Black && forward.pixel(x + 1, y + 1) == Black;
      backwardRuns += backward.pixel(x, y) == Black && backward.pixel(x - 1, y + 1) == Black;
    }
  EXPECT_GT(forwardRuns, 10);
  EXPECT_GT(backwardRuns, 10);
}

TEST(Canvas, StyledThinLinesHaveGaps) {
  for (TPenStyle style : {psDash, psDot, psDashDot, psDashDotDot, psAlternate}) {
    QImage image = WhiteImage(64, 4);
    Paint(image, [&](TCanvas& c) {
      c.Pen()->SetStyle(style);
      c.MoveTo(0, 1);
      c.LineTo(64, 1);
    });
    const int black = CountPixels(image, Black);
    EXPECT_GT(black, 10) << style;
    EXPECT_LT(black, 60) << style;
  }
}

TEST(Canvas, PolygonUsesAlternateFill) {
  QImage image = WhiteImage(41, 41);
  Paint(image, [](TCanvas& c) {
    c.Pen()->SetStyle(psClear);
    c.Brush()->SetColor(clBlack);
    TPointArray star;
    for (int k = 0; k < 5; ++k) {
      const double a = -M_PI / 2 + k * 4 * M_PI / 5;
      star.push_back(TPoint{20 + int(std::lround(19 * std::cos(a))), 20 + int(std::lround(19 * std::sin(a)))});
    }
    c.Polygon(star);
  });
  EXPECT_EQ(image.pixel(20, 21), White);  // the centre is covered twice: left empty
  EXPECT_EQ(image.pixel(20, 5), Black);   // inside the top point
  EXPECT_EQ(image.pixel(10, 16), Black);  // inside the left point
}

TEST(Canvas, ArcRunsCounterClockwiseBetweenItsRadials) {
  QImage image = WhiteImage(40, 40);
  // From the radial to the right (3 o'clock) to the radial upwards (12 o'clock): the upper right quarter.
  Paint(image, [](TCanvas& c) { c.Arc(0, 0, 40, 40, 39, 20, 20, 0); });
  const QRect ink = InkBounds(image);
  EXPECT_GE(ink.left(), 18);
  EXPECT_LE(ink.bottom(), 21);
  EXPECT_GT(ink.width(), 15);
}

TEST(Canvas, TextOutMovesThePenPastItsTextInTheFontItWasDrawnWith) {
  QImage image = WhiteImage(200, 40);
  Paint(image, [](TCanvas& c) {
    c.Font()->SetName(QStringLiteral("DejaVu Sans"));
    c.Font()->SetHeight(-16);
    const int width = c.TextWidth(QStringLiteral("Hello"));
    ASSERT_GT(width, 10);
    c.TextOut(2, 3, QStringLiteral("Hello"));
    c.Font()->SetHeight(-30);  // a later font change does not change where that text ended
    EXPECT_EQ(c.PenPos(), (TPoint{2 + width, 3}));
    c.TextOut(5, 6, QStringLiteral("Hello"));
    c.MoveTo(1, 1);
    EXPECT_EQ(c.PenPos(), (TPoint{1, 1}));
    c.TextOut(0, 0, QStringLiteral("Hi"));
    const int hi = c.TextWidth(QStringLiteral("Hi"));
    c.LineTo(0, 20);  // the line starts where the text ended
    EXPECT_EQ(c.PenPos(), (TPoint{0, 20}));
    EXPECT_GT(hi, 0);
  });
}

TEST(Canvas, TextDrawsInTheFontColour) {
  QImage image = WhiteImage(80, 30);
  Paint(image, [](TCanvas& c) {
    c.Font()->SetName(QStringLiteral("DejaVu Sans"));
    c.Font()->SetHeight(-16);
    c.Font()->SetColor(clBlue);
    c.TextOut(2, 2, QStringLiteral("Hello"));
  });
  const QRect ink = InkBounds(image);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_GE(ink.top(), 2);
  EXPECT_GE(ink.left(), 2);
  EXPECT_GT(CountPixels(image, Blue), 5);
}

TEST(Canvas, PositiveFontHeightStillDrawsText) {
  QImage image = WhiteImage(80, 40);
  TPoint extent;
  Paint(image, [&](TCanvas& c) {
    c.Font()->SetName(QStringLiteral("DejaVu Sans"));
    c.Font()->SetHeight(20);
    c.TextOut(0, 0, QStringLiteral("Hg"));
    extent = c.TextExtent(QStringLiteral("Hg"));
  });
  EXPECT_FALSE(InkBounds(image).isEmpty());
  EXPECT_NEAR(extent.Y, 20, 2);
}

TEST(Canvas, RotatedTextTurnsItsBoundingBox) {
  auto drawn = [](int orientation) {
    QImage image = WhiteImage(120, 120);
    Paint(image, [&](TCanvas& c) {
      c.Font()->SetName(QStringLiteral("DejaVu Sans"));
      c.Font()->SetHeight(-14);
      c.Font()->SetOrientation(orientation);
      c.TextOut(60, 60, QStringLiteral("WWWWWW"));
    });
    return InkBounds(image);
  };
  const QRect level = drawn(0), upward = drawn(900), slanted = drawn(450);
  ASSERT_FALSE(level.isEmpty());
  ASSERT_FALSE(upward.isEmpty());
  EXPECT_GT(level.width(), 2 * level.height());
  EXPECT_GT(upward.height(), 2 * upward.width());
  EXPECT_LE(upward.bottom(), 61);  // turned counter-clockwise: the text runs up from its origin
  EXPECT_GE(upward.left(), 59);    // and its glyphs hang to the right of the baseline
  EXPECT_LT(slanted.top(), 55);
  EXPECT_GT(slanted.right(), 70);
}

TEST(Canvas, OpaqueTextFillsItsCell) {
  QImage image = WhiteImage(80, 30);
  TPoint extent;
  Paint(image, [&](TCanvas& c) {
    c.Font()->SetName(QStringLiteral("DejaVu Sans"));
    c.SetBkMode(TBkMode::Opaque);
    c.SetBkColor(clRed);
    c.TextOut(3, 4, QStringLiteral("ab"));
    extent = c.TextExtent(QStringLiteral("ab"));
  });
  EXPECT_EQ(InkBounds(image), QRect(3, 4, extent.X, extent.Y));
}

TEST(Canvas, TextRectClipsToItsRectangle) {
  QImage image = WhiteImage(80, 30);
  Paint(image, [](TCanvas& c) {
    c.Font()->SetName(QStringLiteral("DejaVu Sans"));
    c.Font()->SetHeight(-20);
    c.TextRect(TRect{10, 5, 30, 15}, 0, 0, QStringLiteral("MMMMMMMMMM"));
  });
  const QRect ink = InkBounds(image);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_TRUE(QRect(10, 5, 20, 10).contains(ink));
}

TEST(Canvas, DrawTextAlignsAndMeasures) {
  QImage image = WhiteImage(100, 60);
  TRect measured{0, 0, 40, 0};
  Paint(image, [&](TCanvas& c) {
    c.Font()->SetName(QStringLiteral("DejaVu Sans"));
    c.Font()->SetHeight(-12);
    TRect target{0, 0, 100, 20};
    c.DrawText(QStringLiteral("ab"), target, tfRight | tfSingleLine);
    c.DrawText(QStringLiteral("one two three four"), measured, tfWordBreak | tfCalcRect);
  });
  EXPECT_GT(InkBounds(image).left(), 70);
  EXPECT_LE(measured.Width(), 40);
  EXPECT_GT(measured.Height(), 20);  // wrapped onto several lines
}

TEST(Canvas, TextMetricsGrowWithTheFont) {
  QImage image = WhiteImage();
  TCanvas canvas(&image);
  canvas.Font()->SetName(QStringLiteral("DejaVu Sans"));
  canvas.Font()->SetHeight(-10);
  const TPoint small = canvas.TextExtent(QStringLiteral("Text"));
  canvas.Font()->SetHeight(-20);
  const TPoint large = canvas.TextExtent(QStringLiteral("Text"));
  EXPECT_GT(large.X, small.X);
  EXPECT_GT(large.Y, small.Y);
  EXPECT_EQ(canvas.TextWidth(QString()), 0);
  EXPECT_EQ(canvas.TextHeight(QStringLiteral("Text")), large.Y);
}

TEST(Canvas, FontSizeUsesTheDeviceResolution) {
  QImage image = WhiteImage();
  image.setDotsPerMeterY(static_cast<int>(std::lround(600 / 0.0254)));
  image.setDotsPerMeterX(image.dotsPerMeterY());
  TCanvas canvas(&image);
  EXPECT_EQ(canvas.PixelsPerInch(), 600);
  canvas.Font()->SetSize(12);
  EXPECT_EQ(canvas.Font()->Height(), -100);
}

TEST(Canvas, ScreenImagesCarryTheScreenResolution) {
  const QImage image = NewScreenImage(4, 4, QImage::Format_RGB32);
  EXPECT_EQ(image.logicalDpiY(), ScreenPixelsPerInch());
}

TEST(Region, PolygonRegionsAndTheirOperations) {
  const TRegion triangle = TRegion::FromPolygon({{0, 0}, {20, 0}, {0, 20}});
  EXPECT_TRUE(triangle.Contains(1, 1));
  EXPECT_FALSE(triangle.Contains(15, 15));
  const TRegion square = TRegion::FromRect(TRect{5, 0, 15, 10});
  EXPECT_TRUE(square.Contains(14, 9));
  EXPECT_FALSE(square.Contains(15, 9));
  const TRegion both = triangle.Intersected(square);
  EXPECT_TRUE(both.Contains(6, 1));
  EXPECT_FALSE(both.Contains(1, 1));
  EXPECT_FALSE(both.Contains(14, 9));
  EXPECT_EQ(both.BoundingRect().Left, 5);
  EXPECT_TRUE(triangle.United(square).Contains(14, 9));
  EXPECT_FALSE(triangle.Subtracted(square).Contains(6, 1));
  EXPECT_TRUE(TRegion().IsEmpty());
  // Odd-even and winding differ on a self-overlapping outline.
  const TPointArray twice{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}, {10, 0}, {10, 10}, {0, 10}};
  EXPECT_FALSE(TRegion::FromPolygon(twice, true).Contains(5, 5));
  EXPECT_TRUE(TRegion::FromPolygon(twice, false).Contains(5, 5));
}

TEST(Canvas, ClipRegionLimitsDrawingAndIsRestoredAfterAnException) {
  QImage image = WhiteImage(20, 20);
  TCanvas canvas(&image);
  canvas.Brush()->SetColor(clBlack);
  try {
    TCanvasStateSaver saver(canvas);
    const TRegion clip = TRegion::FromRect(TRect{2, 2, 6, 6});
    canvas.SelectClipRegion(&clip);
    EXPECT_FALSE(canvas.PtVisible(10, 10));
    canvas.FillRect(TRect{0, 0, 20, 20});
    throw std::runtime_error("drawing failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(InkBounds(image), QRect(2, 2, 4, 4));
  EXPECT_FALSE(canvas.ClipRegion().has_value());
  EXPECT_TRUE(canvas.PtVisible(10, 10));
  canvas.Brush()->SetColor(clRed);
  canvas.FillRect(TRect{0, 0, 20, 20});
  canvas.Unbind();
  EXPECT_EQ(CountPixels(image, Red), 400);
}

TEST(Canvas, ClipIsIntersectedWithThePaintersOwnClip) {
  QImage image = WhiteImage(20, 20);
  QPainter painter(&image);
  painter.setClipRect(QRect(0, 0, 10, 20));
  {
    TCanvas canvas(&painter);
    canvas.Brush()->SetColor(clBlack);
    canvas.IntersectClipRect(TRect{5, 5, 15, 15});
    canvas.FillRect(TRect{0, 0, 20, 20});
    canvas.SelectClipRegion(nullptr);
    canvas.Brush()->SetColor(clRed);
    canvas.FillRect(TRect{0, 0, 20, 1});
  }
  // The painter gets its state back when the canvas lets it go.
  EXPECT_EQ(painter.clipRegion().boundingRect(), QRect(0, 0, 10, 20));
  painter.end();
  EXPECT_EQ(InkBounds(image), QRect(0, 0, 10, 15));
  EXPECT_EQ(image.pixel(9, 14), Black);
  EXPECT_EQ(image.pixel(4, 14), White);
  EXPECT_EQ(image.pixel(9, 0), Red);
  EXPECT_EQ(image.pixel(12, 0), White);
}

TEST(Canvas, WorldTransformRotatesAboutAPointAndResets) {
  QImage image = WhiteImage(40, 40);
  Paint(image, [](TCanvas& c) {
    c.Brush()->SetColor(clBlack);
    c.Pen()->SetStyle(psClear);
    c.RotateAbout(90, TDot{20, 20});
    c.FillRect(TRect{20, 18, 36, 22});  // a bar to the right of the centre turns downwards
    c.ResetWorldTransform();
    c.Brush()->SetColor(clRed);
    c.FillRect(TRect{0, 0, 2, 2});
  });
  const QRect black = InkBounds(image);
  EXPECT_EQ(image.pixel(20, 30), Black);
  EXPECT_EQ(image.pixel(30, 20), White);
  EXPECT_EQ(image.pixel(0, 0), Red);
  EXPECT_EQ(image.pixel(2, 2), White);
  EXPECT_GT(black.height(), 14);
}

TEST(Canvas, StateSaverRestoresTransformAndBackground) {
  QImage image = WhiteImage();
  TCanvas canvas(&image);
  canvas.SetBkColor(clBlue);
  {
    TCanvasStateSaver saver(canvas);
    canvas.RotateAbout(30, TDot{5, 5});
    canvas.SetBkMode(TBkMode::Opaque);
    canvas.SetBkColor(clRed);
    canvas.MoveTo(7, 8);
  }
  EXPECT_TRUE(canvas.WorldTransform().isIdentity());
  EXPECT_EQ(canvas.BkMode(), TBkMode::Transparent);
  EXPECT_EQ(canvas.BkColor(), clBlue);
  EXPECT_EQ(canvas.PenPos(), (TPoint{0, 0}));
}

TEST(Canvas, StretchDrawLeavesTheTransparentColourOut) {
  TBitmap bitmap(4, 4);
  bitmap.Canvas()->Brush()->SetColor(clRed);
  bitmap.Canvas()->FillRect(TRect{0, 0, 4, 4});
  bitmap.Canvas()->Brush()->SetColor(clBlue);
  bitmap.Canvas()->FillRect(TRect{1, 1, 3, 3});
  bitmap.SetTransparent(true);  // automatic: the bottom-left pixel's colour
  EXPECT_EQ(bitmap.TransparentColor(), clRed);

  QImage image = WhiteImage(16, 16);
  Paint(image, [&](TCanvas& c) { c.StretchDraw(TRect{4, 4, 12, 12}, &bitmap); });
  EXPECT_EQ(CountPixels(image, Red), 0);
  EXPECT_EQ(InkBounds(image), QRect(6, 6, 4, 4));
  EXPECT_EQ(CountPixels(image, Blue), 16);

  bitmap.SetTransparent(false);
  QImage opaque = WhiteImage(16, 16);
  Paint(opaque, [&](TCanvas& c) { c.StretchDraw(TRect{4, 4, 12, 12}, &bitmap); });
  EXPECT_EQ(CountPixels(opaque, Red), 48);

  bitmap.SetTransparent(true);
  bitmap.SetTransparentColor(clBlue);
  QImage keyed = WhiteImage(16, 16);
  Paint(keyed, [&](TCanvas& c) { c.Draw(0, 0, &bitmap); });
  EXPECT_EQ(CountPixels(keyed, Blue), 0);
  EXPECT_EQ(CountPixels(keyed, Red), 12);
}

TEST(Canvas, CopyRectTransfersPixelsBetweenCanvases) {
  TBitmap source(8, 8);
  source.Canvas()->Brush()->SetColor(clBlue);
  source.Canvas()->FillRect(TRect{0, 0, 4, 4});
  QImage image = WhiteImage(16, 16);
  Paint(image, [&](TCanvas& c) { c.CopyRect(TRect{8, 8, 12, 12}, *source.Canvas(), TRect{0, 0, 4, 4}); });
  EXPECT_EQ(InkBounds(image), QRect(8, 8, 4, 4));
  EXPECT_EQ(CountPixels(image, Blue), 16);

  // Onto itself, with an inverting copy mode.
  source.Canvas()->SetCopyMode(cmSrcInvert);
  source.Canvas()->CopyRect(TRect{4, 4, 8, 8}, *source.Canvas(), TRect{0, 0, 4, 4});
  EXPECT_EQ(source.Canvas()->Pixel(5, 5), RGBColor(255, 255, 0));  // white xor blue

  // A device whose pixels cannot be read back.
  QPicture recording;
  QPainter painter(&recording);
  TCanvas unreadable(&painter);
  QImage target = WhiteImage(4, 4);
  TCanvas destination(&target);
  EXPECT_THROW(destination.CopyRect(TRect{0, 0, 2, 2}, unreadable, TRect{0, 0, 2, 2}), EInvalidOperation);
}

TEST(Canvas, DrawingNeedsAPainter) {
  TCanvas canvas;
  EXPECT_FALSE(canvas.HandleAllocated());
  try {
    canvas.Rectangle(0, 0, 5, 5);
    FAIL();
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "Canvas does not allow drawing");
  }
  QImage indexed(4, 4, QImage::Format_Indexed8);
  EXPECT_THROW(canvas.Bind(&indexed), EInvalidOperation);
}

TEST(Canvas, PenChangesBetweenCallsTakeEffect) {
  QImage image = WhiteImage(20, 20);
  Paint(image, [](TCanvas& c) {
    c.MoveTo(0, 1);
    c.LineTo(20, 1);
    c.Pen()->SetColor(clRed);
    c.MoveTo(0, 3);
    c.LineTo(20, 3);
    TPen blue;
    blue.SetColor(clBlue);
    c.SetPen(&blue);
    c.MoveTo(0, 5);
    c.LineTo(20, 5);
  });
  EXPECT_EQ(image.pixel(5, 1), Black);
  EXPECT_EQ(image.pixel(5, 3), Red);
  EXPECT_EQ(image.pixel(5, 5), Blue);
}

TEST(Canvas, FarAwayLinesAreClippedWithoutWalkingEveryPixel) {
  QImage image = WhiteImage(20, 20);
  Paint(image, [](TCanvas& c) {
    c.MoveTo(-2000000000, 10);
    c.LineTo(2000000000, 10);
    c.MoveTo(-2000000000, -2000000000);
    c.LineTo(2000000000, 2000000000);
  });
  EXPECT_EQ(CountPixels(image, Black), 20 + 20 - 1);
  EXPECT_EQ(image.pixel(7, 7), Black);
}

TEST(Canvas, SettingsMadeBeforeTheFirstDrawingCallReachTheBitmap) {
  TBitmap bitmap(8, 8);
  TCanvas* canvas = bitmap.Canvas();
  EXPECT_FALSE(canvas->HandleAllocated());  // bound when first drawn on
  canvas->SetBkMode(TBkMode::Opaque);
  canvas->SetBkColor(clRed);
  canvas->IntersectClipRect(TRect{0, 0, 4, 8});
  canvas->Brush()->SetColor(clBlack);
  canvas->Brush()->SetStyle(bsCross);
  canvas->FillRect(TRect{0, 0, 8, 8});
  EXPECT_TRUE(canvas->HandleAllocated());
  const QImage image = bitmap.Image();
  int red = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) red += image.pixel(x, y) == Red;
  EXPECT_GT(red, 0);
  EXPECT_EQ(InkBounds(image), QRect(0, 0, 4, 8));
}

TEST(Canvas, BitmapsDrawTheirLatestPixels) {
  TBitmap bitmap(2, 2);
  QImage image = WhiteImage(4, 4);
  TCanvas canvas(&image);
  bitmap.Canvas()->SetPixel(0, 0, clRed);
  canvas.Draw(0, 0, &bitmap);
  bitmap.Canvas()->SetPixel(0, 0, clBlue);  // drawn on after the first draw
  canvas.Draw(2, 2, &bitmap);
  bitmap.SetTransparent(true);
  bitmap.SetTransparentColor(clBlue);
  canvas.Draw(0, 2, &bitmap);
  canvas.Unbind();
  EXPECT_EQ(image.pixel(0, 0), Red);
  EXPECT_EQ(image.pixel(2, 2), Blue);
  EXPECT_EQ(image.pixel(0, 2), White);
  EXPECT_EQ(image.pixel(1, 2), White);  // bitmap white
}
