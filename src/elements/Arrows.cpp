#include "elements/Arrows.h"
#include "elements/BlockPaintGuards.h"
#include "elements/CustomDiagram.h"
#include "elements/Lines.h"
#include "drawing/Gradient.h"
#include "geometry/DiagramUtils.h"

namespace {

TPoint Rounded(const TDot& p) { return TPoint{Round(p.X), Round(p.Y)}; }

TPointArray Rounded(const TDotArray& points) {
  TPointArray result;
  result.reserve(points.size());
  for (const TDot& p : points) result.push_back(Rounded(p));
  return result;
}

}  // namespace

TArrowFigure ArrowFigure(TArrowShape shape, const TDot& tip, const TDot& base, double w, double h) {
  const TArrowCorners corners = ArrowBaseCorners(tip, base, w, h);
  const TDot& c1 = corners.Corner1;
  const TDot& c2 = corners.Corner2;
  switch (shape) {
    case asNone: return {};
    case asSolidArrow: return {TArrowFigure::afPolygon, {tip, c1, c2}};
    case asLineArrow: return {TArrowFigure::afLines, {c1, tip, c2, tip}};
    case asDiamond:
      return {TArrowFigure::afPolygon,
              {TDot{tip.X - w / 2, tip.Y}, TDot{tip.X, tip.Y - h / 2}, TDot{tip.X + w / 2, tip.Y},
               TDot{tip.X, tip.Y + h / 2}}};
    case asRectangle:
    case asEllipse:
      return {shape == asRectangle ? TArrowFigure::afRectangle : TArrowFigure::afEllipse,
              {TDot{tip.X - w / 2, tip.Y - h / 2}, TDot{tip.X + w / 2 + 1, tip.Y + h / 2 + 1}}};
    case asHalfLine: return {TArrowFigure::afLines, {c2, tip}};
    case asAngledDiamond: {
      // Two corners across the line half way along the head, and two along the line:
      // one on the tip, one a head's length before it.
      const TArrowCorners across = ArrowBaseCorners(tip, base, w, h / 2);
      const TArrowCorners along = ArrowBaseCorners(across.Corner2, across.Corner1, h, w / 2);
      return {TArrowFigure::afPolygon, {across.Corner1, along.Corner1, across.Corner2, along.Corner2}};
    }
  }
  return {};
}

TLineArrow::TLineArrow(TCustomDiagramLine* line) : FBrush(std::make_unique<TBrush>()), FDiagramLine(line) {
  RestoreDefaults();
  FBrush->OnChange = [this](TPersistent*) { Changed(); };
}

TLineArrow::~TLineArrow() = default;

void TLineArrow::RestoreDefaults() {
  FShape = asNone;
  FWidth = 10;
  FHeight = 10;
  const bool inDiagram = FDiagramLine && FDiagramLine->Diagram() && FDiagramLine->Pen();
  FBrush->SetStyle(bsSolid);
  FBrush->SetColor(inDiagram ? FDiagramLine->Pen()->Color() : clBlack);
  Changed();
}

void TLineArrow::SetShape(TArrowShape shape) {
  if (shape == FShape) return;
  FShape = shape;
  Changed();
}

void TLineArrow::SetWidth(int width) {
  if (width == FWidth) return;
  FWidth = width;
  Changed();
}

void TLineArrow::SetHeight(int height) {
  if (height == FHeight) return;
  FHeight = height;
  Changed();
}

void TLineArrow::Changed() {
  if (FDiagramLine) FDiagramLine->Redraw();
}

QObject* TLineArrow::GetOwner() const { return FDiagramLine; }

void TLineArrow::Assign(const TPersistent* source) {
  if (auto* other = qobject_cast<const TLineArrow*>(source)) {
    FShape = other->FShape;
    FWidth = other->FWidth;
    FHeight = other->FHeight;
    FBrush->Assign(other->FBrush.get());
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TLineArrow::Draw(TCanvas& canvas, const TDot& tip, const TDot& base, double zoom) {
  FDrawFrom = base;
  FDrawTo = tip;
  if (FShape == asNone) return;
  TDot size{FWidth * zoom, FHeight * zoom};
  if (TCustomDiagram* diagram = FDiagramLine ? FDiagramLine->Diagram() : nullptr)
    size = SubDots(diagram->ClientToCanvas(TDot{double(FWidth), double(FHeight)}), diagram->ClientToCanvas(TDot{0, 0}));
  const TArrowFigure figure = ArrowFigure(FShape, tip, base, size.X, size.Y);
  if (figure.Kind == TArrowFigure::afNone || figure.Points.empty()) return;

  TPenBrushSaver saver(canvas);
  canvas.SetBrush(FBrush.get());
  const TPointArray points = Rounded(figure.Points);
  switch (figure.Kind) {
    case TArrowFigure::afPolygon: canvas.Polygon(points); break;
    case TArrowFigure::afLines:
      canvas.MoveTo(points[0].X, points[0].Y);
      for (size_t i = 1; i < points.size(); ++i) canvas.LineTo(points[i].X, points[i].Y);
      break;
    case TArrowFigure::afRectangle: canvas.Rectangle(points[0].X, points[0].Y, points[1].X, points[1].Y); break;
    case TArrowFigure::afEllipse: canvas.Ellipse(points[0].X, points[0].Y, points[1].X, points[1].Y); break;
    case TArrowFigure::afNone: break;
  }
}

void TLineArrow::DrawOnEngine(TDgrCanvas& canvas, const TDot& tip, const TDot& base, int transparency) {
  FDrawFrom = base;
  FDrawTo = tip;
  const TArrowFigure figure = ArrowFigure(FShape, tip, base, FWidth, FHeight);
  if (figure.Kind == TArrowFigure::afNone || figure.Points.empty()) return;

  TDgrCanvasStyleSaver saver(canvas);
  canvas.Brush()->Assign(FBrush.get());
  canvas.Brush()->SetTransparency(transparency);
  const TDotArray& p = figure.Points;
  switch (figure.Kind) {
    case TArrowFigure::afPolygon: canvas.Polygon(p); break;
    case TArrowFigure::afLines:
      for (size_t i = 1; i < p.size(); ++i) canvas.DrawLine(p[i - 1].X, p[i - 1].Y, p[i].X, p[i].Y);
      break;
    case TArrowFigure::afRectangle: canvas.Rectangle(p[0].X, p[0].Y, p[1].X, p[1].Y); break;
    case TArrowFigure::afEllipse: canvas.Ellipse(p[0].X, p[0].Y, p[1].X, p[1].Y); break;
    case TArrowFigure::afNone: break;
  }
}
