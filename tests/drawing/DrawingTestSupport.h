#pragma once
// Scenes for pixel tests: an image with a painter, a path-engine paint on it, and pixel
// comparisons with a tolerance per channel.

#include "drawing/DgrClasses.h"
#include "drawing/GdipClasses.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <cstdlib>
#include <memory>
#include <string>

// A white image with an active painter, ended by Finish (or the destructor).
class TImageScene {
public:
  TImageScene(int width, int height) : Image(width, height, QImage::Format_ARGB32_Premultiplied) {
    Image.fill(Qt::white);
    Painter.begin(&Image);
  }
  virtual ~TImageScene() { Finish(); }
  const QImage& Finish() {
    if (Painter.isActive()) Painter.end();
    return Image;
  }

  QImage Image;
  QPainter Painter;
};

// A path-engine paint at a zoom, with an element drawer attached to it.
class TPathScene : public TImageScene {
public:
  TPathScene(int width, int height, double zoom = 1.0, TDgrSmoothMode smooth = smAntiAlias)
      : TImageScene(width, height) {
    Engine = CreatePaintEngine(dglGDIPlus, &Painter, TRect{0, 0, width, height});
    Engine->SetSmoothMode(smooth);
    Engine->BeginDraw();
    Engine->ResetTransform();
    Engine->ScaleTransform(zoom, zoom);
    Drawer = CreateBlockDrawer(dglGDIPlus);
    Drawer->SetPaintEngine(Engine.get());
  }
  ~TPathScene() override { Release(); }
  const QImage& Done() {
    Release();
    return Finish();
  }
  TDgrCanvas& Canvas() const { return *Drawer->Canvas(); }
  // Places the shape: source (0, 0, 100, 100) onto dest, turned by angle about its centre.
  void Place(const TSquare& dest, double angle = 0) {
    Drawer->SetSourceRect(TSquare{0, 0, 100, 100});
    Drawer->SetDestRect(dest);
    Drawer->SetRotationCenter(TDot{(dest.Left + dest.Right) / 2, (dest.Top + dest.Bottom) / 2});
    Drawer->SetAngle(angle);
  }

  std::unique_ptr<TDgrPaintEngine> Engine;
  std::unique_ptr<TDgrBlockDrawer> Drawer;

private:
  void Release() {
    if (Drawer) Drawer->SetPaintEngine(nullptr);
    if (Engine) Engine->EndDraw();
    Engine.reset();
  }
};

inline std::string Describe(const QColor& c) {
  return "(" + std::to_string(c.red()) + "," + std::to_string(c.green()) + "," + std::to_string(c.blue()) + "," +
         std::to_string(c.alpha()) + ")";
}

// Whether every channel of the pixel is within tolerance of expected.
inline ::testing::AssertionResult PixelNear(const QImage& image, int x, int y, const QColor& expected,
                                            int tolerance = 2) {
  const QColor actual = image.pixelColor(x, y);
  const int worst = std::max({std::abs(actual.red() - expected.red()), std::abs(actual.green() - expected.green()),
                              std::abs(actual.blue() - expected.blue()),
                              std::abs(actual.alpha() - expected.alpha())});
  if (worst <= tolerance) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") is " << Describe(actual) << ", expected "
                                       << Describe(expected) << " within " << tolerance;
}

// The colour a fraction t of the way from a to b.
inline QColor Mix(const QColor& a, const QColor& b, double t) {
  const auto channel = [t](int from, int to) { return static_cast<int>(std::lround(from + (to - from) * t)); };
  return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()), channel(a.blue(), b.blue()));
}

inline const QColor White(255, 255, 255);
inline const QColor Black(0, 0, 0);
