#include "geometry/PolygonGeometry.h"
#include "geometry/BlockDrawer.h"

#include <algorithm>

TSquare PolygonBounds(const TDotArray& points) {
  if (points.empty()) return {};
  TSquare box{points[0].X, points[0].Y, points[0].X, points[0].Y};
  for (const TDot& p : points) {
    box.Left = std::min(box.Left, p.X);
    box.Top = std::min(box.Top, p.Y);
    box.Right = std::max(box.Right, p.X);
    box.Bottom = std::max(box.Bottom, p.Y);
  }
  return box;
}

void FitPolygon(TDotArray& points, const TSquare& rect) {
  if (points.empty()) return;
  TBlockDrawer drawer;
  drawer.SetOriginalRect(PolygonBounds(points));
  drawer.SetCurRect(rect);
  for (TDot& p : points) p = drawer.PP(p);
}

namespace {

void SetUpRotation(TBlockDrawer& drawer, double angle, const TDot& centre) {
  drawer.SetRotationType(rtRotationCenter);
  drawer.SetRotationCenter(centre);
  drawer.SetAngle(angle);
}

}  // namespace

TDot RotatePoint(const TDot& p, double angle, const TDot& centre) {
  if (angle == 0) return p;
  TBlockDrawer drawer;
  SetUpRotation(drawer, angle, centre);
  return drawer.RotX(p);
}

void RotatePolygon(TDotArray& points, double angle, const TDot& centre) {
  if (points.empty() || angle == 0) return;
  TBlockDrawer drawer;
  SetUpRotation(drawer, angle, centre);
  for (TDot& p : points) p = drawer.RotX(p);
}

void RotatePolygon(TDotArray& points, double angle) {
  const TSquare box = PolygonBounds(points);
  RotatePolygon(points, angle, {(box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2});
}

TDotArray ClosedPolygon(const TDotArray& points) {
  TDotArray closed = points;
  if (!closed.empty()) closed.push_back(closed.front());
  return closed;
}

TDot MapBetweenRects(const TDot& p, const TSquare& from, const TSquare& to) {
  const auto map = [](double v, double fromLow, double fromHigh, double toLow, double toHigh) {
    const double extent = fromHigh - fromLow;
    if (extent == 0) return v + (toLow - fromLow);
    return toLow + (v - fromLow) * ((toHigh - toLow) / extent);
  };
  return {map(p.X, from.Left, from.Right, to.Left, to.Right), map(p.Y, from.Top, from.Bottom, to.Top, to.Bottom)};
}
