#pragma once
// Vector paths and the regions made from them.
//
// A path is a list of figures. Each Add appends to the current figure (joined to its last
// point by a straight edge), except AddRectangle, AddEllipse and AddPolygon, which add a
// closed figure of their own. StartFigure begins a new figure without closing the last;
// CloseFigure closes the current one. Arc angles are degrees clockwise on screen from the
// positive x axis; an arc is part of the ellipse inscribed in (x, y, width, height).
// Integer results are status codes: 0 success.

#include "drawing/DgrTypes.h"
#include "geometry/DiagramTypes.h"

#include <QRegion>
#include <memory>
#include <optional>

class TDgrCanvas;
class TDgrRegion;

class TDgrGraphicsPath {
public:
  virtual ~TDgrGraphicsPath() = default;

  virtual int AddArc(double x, double y, double width, double height, double startAngle, double sweepAngle) = 0;
  virtual int AddBezier(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) = 0;
  virtual int AddEllipse(double x, double y, double width, double height) = 0;
  virtual int AddLine(double x1, double y1, double x2, double y2) = 0;
  virtual int AddLines(const TDotArray& points) = 0;
  virtual int AddPolygon(const TDotArray& points) = 0;
  virtual int AddRectangle(const TSquare& rect) = 0;
  // Four 90-degree arcs of an ellipse x3 wide and y3 high in the corners of (x1, y1, x2, y2),
  // top-right first, joined by straight edges; the figure stays open.
  virtual int AddRoundRect(double x1, double y1, double x2, double y2, double x3, double y3) = 0;
  // Closes the current figure whatever the argument says.
  virtual int CloseFigure(bool closePath = true) = 0;
  // The filled interior of the path as it is now.
  virtual std::unique_ptr<TDgrRegion> CreateRegion() const = 0;
  // 0 for an empty path.
  virtual int GetPointCount() const = 0;
  // Whether (x, y) lies in the filled interior.
  virtual bool IsVisible(double x, double y) const = 0;
  virtual int Reset() = 0;
  virtual int SetFillMode(TFillMode fillMode) = 0;
  virtual int StartFigure() = 0;
};

class TDgrRegion {
public:
  virtual ~TDgrRegion() = default;
  // A platform region of the interior in device pixels under the canvas's current transform;
  // nullopt when this engine makes none.
  virtual std::optional<QRegion> GetHRGN(const TDgrCanvas& canvas) const { return std::nullopt; }
  // Whether the region and the rectangle overlap.
  virtual bool IsVisible(const TSquare& rect) const { return false; }
};
