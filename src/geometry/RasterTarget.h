#pragma once
// What the rotation-and-mapping drawer needs of a raster canvas. The platform's canvas
// implements it; geometry itself stays free of any drawing library.
// Rectangles follow the raster canvas rule: Right and Bottom are exclusive.

#include "geometry/DiagramTypes.h"

class IRasterTarget {
public:
  virtual ~IRasterTarget() = default;
  virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
  virtual void Ellipse(int x1, int y1, int x2, int y2) = 0;
  // Rounded rectangle whose corner ellipse is x3 wide and y3 high.
  virtual void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) = 0;
  // Filled polygon (alternate fill) outlined with the current pen.
  virtual void Polygon(const TPointArray& points) = 0;
  virtual void Polyline(const TPointArray& points) = 0;
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
};
