#include "elements/BlockPaintGuards.h"
#include "elements/CustomDiagram.h"
#include "elements/Lines.h"
#include "drawing/Gradient.h"
#include "geometry/DiagramUtils.h"

#include <algorithm>
#include <cmath>

namespace {

TPoint Rounded(const TDot& p) { return TPoint{Round(p.X), Round(p.Y)}; }
TDot WholeUnits(const TDot& p) { return TDot{RoundF(p.X), RoundF(p.Y)}; }

double Cross(const TDot& a, const TDot& b) { return a.X * b.Y - a.Y * b.X; }

struct TSegment {
  TDot A;
  TDot B;
};

// The segments (in whole client units) of the side lines painted before line.
std::vector<TSegment> EarlierSideLineSegments(const TCustomDiagram& diagram, const TCustomDiagramLine* line) {
  std::vector<TSegment> segments;
  for (int i = 0; i < diagram.ControlCount(); ++i) {
    TDiagramControl* control = diagram.ControlAt(i);
    if (control == line) break;
    auto* other = qobject_cast<TCustomDiagramLine*>(control);
    if (!other || !other->IsSideLine()) continue;
    const TDotArray& points = other->Points();
    for (size_t j = 1; j < points.size(); ++j) segments.push_back({WholeUnits(points[j - 1]), WholeUnits(points[j])});
  }
  return segments;
}

// Where segment a-b (whole units) crosses the earlier segments.
std::vector<TDot> CrossingsOf(const TDot& a, const TDot& b, const std::vector<TSegment>& earlier);

// The hop points of a segment around its crossings, nearest to its start first: three
// points per crossing, size units away from it, going over the crossed line.
TDotArray HopPoints(const TDot& a, const TDot& b, const std::vector<TSegment>& earlier, double size) {
  const bool vertical = a.X == b.X;
  TDotArray hops;
  for (const TDot& c : CrossingsOf(a, b, earlier)) {
    if (vertical) {
      hops.insert(hops.end(), {TDot{c.X, c.Y - size}, TDot{c.X + size, c.Y}, TDot{c.X, c.Y + size}});
    } else {
      hops.insert(hops.end(), {TDot{c.X - size, c.Y}, TDot{c.X, c.Y - size}, TDot{c.X + size, c.Y}});
    }
  }
  auto squared = [&a](const TDot& p) { return (p.X - a.X) * (p.X - a.X) + (p.Y - a.Y) * (p.Y - a.Y); };
  std::stable_sort(hops.begin(), hops.end(), [&](const TDot& p, const TDot& q) { return squared(p) < squared(q); });
  return hops;
}

}  // namespace

std::optional<TDot> SegmentCrossing(const TDot& a1, const TDot& a2, const TDot& b1, const TDot& b2) {
  const TDot r = SubDots(a2, a1);
  const TDot s = SubDots(b2, b1);
  const double denominator = Cross(r, s);
  if (denominator == 0 || !std::isfinite(denominator)) return std::nullopt;  // parallel or degenerate
  const TDot q = SubDots(b1, a1);
  const double t = Cross(q, s) / denominator;
  const double u = Cross(q, r) / denominator;
  if (!(t > 0 && t < 1 && u > 0 && u < 1)) return std::nullopt;
  // Orthogonal segments cross exactly at the other's coordinate.
  if (r.Y == 0 && s.X == 0) return TDot{b1.X, a1.Y};
  if (r.X == 0 && s.Y == 0) return TDot{a1.X, b1.Y};
  return AddDots(a1, ScaleDot(r, t));
}

namespace {
std::vector<TDot> CrossingsOf(const TDot& a, const TDot& b, const std::vector<TSegment>& earlier) {
  std::vector<TDot> crossings;
  for (const TSegment& other : earlier)
    if (const auto crossing = SegmentCrossing(a, b, other.A, other.B)) crossings.push_back(*crossing);
  return crossings;
}
}  // namespace

void THelperLine::SortByDistance(const TPoint& origin) {
  auto squared = [&origin](const TPoint& p) {
    const double dx = double(p.X) - origin.X;
    const double dy = double(p.Y) - origin.Y;
    return dx * dx + dy * dy;
  };
  for (size_t i = 1; i < FPoints.size(); ++i) {
    const TPoint moving = FPoints[i];
    const double key = squared(moving);
    size_t j = i;
    for (; j > 0 && squared(FPoints[j - 1]) > key; --j) FPoints[j] = FPoints[j - 1];
    FPoints[j] = moving;
  }
}

TDot TCustomDiagramLine::ToCanvas(const TDot& point) const {
  if (FPassMapping) return FPassMapping->Apply(point);
  return Diagram() ? Diagram()->ClientToCanvas(point) : point;
}

TDgrBlockDrawer* TCustomDiagramLine::EngineDrawer(const TDiagramDrawInfo& info) const {
  TDgrBlockDrawer* drawer = EffectiveGraphicLib() != dglGDI ? info.DgrDrawer : nullptr;
  return drawer && drawer->Canvas() ? drawer : nullptr;
}

void TCustomDiagramLine::DrawControl(const TDiagramDrawInfo& info) {
  TPen* pen = Selected() ? FSelPen.get() : FPen.get();
  if (TDgrBlockDrawer* drawer = EngineDrawer(info)) {
    TDgrCanvas& canvas = *drawer->Canvas();
    TDgrCanvasStyleSaver saver(canvas);
    canvas.Pen()->Assign(pen);
    canvas.Pen()->SetTransparency(Transparency());
    canvas.Brush()->SetBrushMode(bmClear);
    DrawLine(info, Handles(), true);
  } else if (info.Canvas) {
    TPenBrushSaver saver(*info.Canvas);
    info.Canvas->SetPen(pen);
    info.Canvas->Brush()->SetStyle(bsClear);
    DrawLine(info, Handles(), true);
  }
  DrawCells(info);
}

void TCustomDiagramLine::DrawCursor(TCanvas* canvas, TStretchHandles* handles) {
  if (!canvas || !handles) return;
  TPenBrushSaver saver(*canvas);
  canvas->Brush()->SetStyle(bsClear);
  canvas->Pen()->SetMode(pmNot);
  canvas->Pen()->SetStyle(psDot);
  TDiagramDrawInfo info;
  info.Canvas = canvas;
  DrawLine(info, handles, false);
}

void TCustomDiagramLine::DrawLine(const TDiagramDrawInfo& info, TStretchHandles* handles, bool withArrows) {
  if (!handles) return;
  // A line converts a dozen points to the canvas: the diagram's mapping is asked for once.
  FPassMapping = Diagram() ? Diagram()->CanvasMapping() : std::nullopt;
  const struct TForget {
    std::optional<TCanvasMapping>& Mapping;
    ~TForget() { Mapping.reset(); }
  } forget{FPassMapping};
  const double zoom = Diagram() ? (ToCanvas(TDot{100, 100}).Y - ToCanvas(TDot{0, 0}).Y) / 100 : 1;
  // Feedback drawn from the temporary handles leaves the line's own points alone.
  const bool own = handles == Handles();
  TDotArray dragged;
  if (own) FPoints = RoutePoints();
  else dragged = ComputePoints(*handles);
  const TDotArray& points = own ? FPoints : dragged;
  if (points.size() < 2) return;
  if (TDgrBlockDrawer* drawer = EngineDrawer(info)) {
    DrawPolylineOnEngine(*drawer->Canvas(), *drawer, points, zoom);
    if (withArrows) DrawArrowsOnEngine(*drawer->Canvas(), points);
  } else if (info.Canvas) {
    DrawPolyline(*info.Canvas, points);
    if (withArrows) DrawArrows(*info.Canvas, points, zoom);
  }
}

void TCustomDiagramLine::DrawPolylineOnEngine(TDgrCanvas& canvas, TDgrBlockDrawer& drawer, const TDotArray& points,
                                              double zoom) {
  const bool hops = IsSideLine() && Diagram() && Diagram()->ShowCrossIndicators();
  const std::vector<TSegment> earlier = hops ? EarlierSideLineSegments(*Diagram(), this) : std::vector<TSegment>{};
  // Hops are 4 canvas pixels whatever the zoom.
  const double hopSize = zoom > 0 ? 4 / zoom : 4;
  TDotArray polyline{points[0]};
  for (size_t i = 1; i < points.size(); ++i) {
    if (!earlier.empty()) {
      const TDotArray hopPoints = HopPoints(WholeUnits(points[i - 1]), WholeUnits(points[i]), earlier, hopSize);
      polyline.insert(polyline.end(), hopPoints.begin(), hopPoints.end());
    }
    polyline.push_back(points[i]);
  }
  const std::unique_ptr<TDgrGraphicsPath> path = drawer.CreatePath();
  path->StartFigure();
  path->AddLines(polyline);
  canvas.DrawPath(*path);
}

void TCustomDiagramLine::DrawArrowsOnEngine(TDgrCanvas& canvas, const TDotArray& points) {
  const TDot& first = points.front();
  for (size_t i = 1; i < points.size(); ++i)
    if (points[i] != first) {
      FSourceArrow->DrawOnEngine(canvas, first, points[i], Transparency());
      break;
    }
  const TDot& last = points.back();
  for (size_t i = points.size() - 1; i-- > 0;)
    if (points[i] != last) {
      FTargetArrow->DrawOnEngine(canvas, last, points[i], Transparency());
      break;
    }
}

void TCustomDiagramLine::DrawPolyline(TCanvas& canvas, const TDotArray& points) {
  const bool hops = IsSideLine() && Diagram() && Diagram()->ShowCrossIndicators();
  const std::vector<TSegment> earlier = hops ? EarlierSideLineSegments(*Diagram(), this) : std::vector<TSegment>{};
  TPoint start = Rounded(ToCanvas(points[0]));
  // Each step is a separate line from the pen's place, as MoveTo and LineTo would draw it;
  // the canvas takes them all in one call.
  TPointArray ends;
  ends.reserve(2 * points.size());
  TPoint pen = start;
  const auto lineTo = [&](const TPoint& to) {
    ends.push_back(pen);
    ends.push_back(to);
    pen = to;
  };
  for (size_t i = 1; i < points.size(); ++i) {
    const TPoint end = Rounded(ToCanvas(points[i]));
    if (!earlier.empty()) {
      const TDot a = WholeUnits(points[i - 1]);
      const TDot b = WholeUnits(points[i]);
      const bool vertical = a.X == b.X;
      THelperLine helper;
      for (const TSegment& other : earlier) {
        const auto crossing = SegmentCrossing(a, b, other.A, other.B);
        if (!crossing) continue;
        const TPoint c = Rounded(ToCanvas(*crossing));
        if (vertical) {
          helper.Add({c.X, c.Y - 4});
          helper.Add({c.X + 4, c.Y});
          helper.Add({c.X, c.Y + 4});
        } else {
          helper.Add({c.X - 4, c.Y});
          helper.Add({c.X, c.Y - 4});
          helper.Add({c.X + 4, c.Y});
        }
      }
      helper.SortByDistance(start);
      for (const TPoint& hop : helper.Points()) lineTo(hop);
    }
    lineTo(end);
    start = end;
  }
  if (ends.empty()) canvas.MoveTo(start.X, start.Y);
  else canvas.LineSegments(ends);
}

void TCustomDiagramLine::DrawArrows(TCanvas& canvas, const TDotArray& points, double zoom) {
  const TDot& first = points.front();
  for (size_t i = 1; i < points.size(); ++i)
    if (points[i] != first) {
      FSourceArrow->Draw(canvas, ToCanvas(first), ToCanvas(points[i]), zoom);
      break;
    }
  const TDot& last = points.back();
  for (size_t i = points.size() - 1; i-- > 0;)
    if (points[i] != last) {
      FTargetArrow->Draw(canvas, ToCanvas(last), ToCanvas(points[i]), zoom);
      break;
    }
}
