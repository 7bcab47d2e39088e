#include "drawing/DgrCanvas.h"

#include "platform/Canvas.h"

// --- Shape geometry -----------------------------------------------------------------------

void TDgrCanvas::SetDestRect(const TSquare& value) {
  FDestRect = value;
  UpdateRects();
}

void TDgrCanvas::SetSourceRect(const TSquare& value) {
  FSourceRect = value;
  UpdateRects();
}

void TDgrCanvas::SetAngle(double value) {
  FAngle = value;
  UpdateRects();
}

void TDgrCanvas::SetRotCenter(const TDot& value) {
  FRotCenter = value;
  UpdateRects();
}

// A mapping needs two rectangles with extent; otherwise the previous mapping stays.
void TDgrCanvas::UpdateRects() {
  FValidRects = FSourceRect.Right > FSourceRect.Left && FSourceRect.Bottom > FSourceRect.Top &&
                FDestRect.Right > FDestRect.Left && FDestRect.Bottom > FDestRect.Top;
  if (FValidRects) {
    FScaleX = FDestRect.Width() / FSourceRect.Width();
    FScaleY = FDestRect.Height() / FSourceRect.Height();
    RectsChanged(FSourceRect, FDestRect, FScaleX, FScaleY);
  }
  Brush()->UpdateBrushPosition(FDestRect, FAngle, FRotCenter);
}

// --- Drawing ------------------------------------------------------------------------------

void TDgrCanvas::FillThenOutline(const TDgrGraphicsPath& path) {
  DoFillPath(path);
  DoDrawPath(path);
}

void TDgrCanvas::DoEllipse(double x, double y, double width, double height) {
  auto path = CreatePath();
  path->AddEllipse(x, y, width, height);
  FillThenOutline(*path);
}

void TDgrCanvas::DoDrawLine(double x1, double y1, double x2, double y2) {
  auto path = CreatePath();
  path->AddLine(x1, y1, x2, y2);
  DoDrawPath(*path);
}

void TDgrCanvas::DoRectangle(double x, double y, double width, double height) {
  auto path = CreatePath();
  path->AddRectangle(TSquare{x, y, x + width, y + height});
  FillThenOutline(*path);
}

void TDgrCanvas::DoPolygon(const TDotArray& points) {
  auto path = CreatePath();
  path->AddPolygon(points);
  FillThenOutline(*path);
}

void TDgrCanvas::DrawLine(double x1, double y1, double x2, double y2) {
  Changing();
  DoDrawLine(x1, y1, x2, y2);
  Changed();
}

void TDgrCanvas::DrawLines(std::span<const TDot> ends) {
  if (ends.size() < 2) return;
  Changing();
  DoDrawLines(ends);
  Changed();
}

void TDgrCanvas::DoDrawLines(std::span<const TDot> ends) {
  for (size_t i = 0; i + 1 < ends.size(); i += 2) DoDrawLine(ends[i].X, ends[i].Y, ends[i + 1].X, ends[i + 1].Y);
}

void TDgrCanvas::Rectangle(double x1, double y1, double x2, double y2) {
  Changing();
  DoRectangle(x1, y1, x2 - x1, y2 - y1);
  Changed();
}

void TDgrCanvas::Ellipse(double x1, double y1, double x2, double y2) {
  Changing();
  DoEllipse(x1, y1, x2 - x1, y2 - y1);
  Changed();
}

void TDgrCanvas::Polygon(const TDotArray& points) {
  Changing();
  DoPolygon(points);
  Changed();
}

void TDgrCanvas::AddRoundRectPath(TDgrGraphicsPath& path, double x1, double y1, double x2, double y2, double x3,
                                  double y3) {
  path.StartFigure();
  path.AddRoundRect(x1, y1, x2, y2, x3, y3);
  path.CloseFigure(true);
}

void TDgrCanvas::RoundRect(double x1, double y1, double x2, double y2, double x3, double y3) {
  Changing();
  auto path = CreatePath();
  AddRoundRectPath(*path, x1, y1, x2, y2, x3, y3);
  FillThenOutline(*path);
  Changed();
}

void TDgrCanvas::Path(const TDgrGraphicsPath& path) {
  Changing();
  FillThenOutline(path);
  Changed();
}

void TDgrCanvas::DrawPath(const TDgrGraphicsPath& path) {
  Changing();
  DoDrawPath(path);
  Changed();
}

void TDgrCanvas::StretchDraw(const TSquare& rect, const TGraphic* graphic, int transparency, bool bitmapTransparent) {
  if (!graphic) return;
  Changing();
  DoStretchDraw(rect, *graphic, ClampTransparency(transparency), bitmapTransparent);
  Changed();
}

void TDgrCanvas::StretchDraw(const TSquare& rect, const TDgrImage* image, int transparency, bool bitmapTransparent) {
  if (!image) return;
  Changing();
  DoStretchDrawImage(rect, *image, ClampTransparency(transparency), bitmapTransparent);
  Changed();
}

// --- Transform ----------------------------------------------------------------------------

int TDgrCanvas::RotateTransform(double angle, const TDot& center) {
  TranslateTransform(center.X, center.Y);
  const int status = RotateTransform(angle);
  TranslateTransform(-center.X, -center.Y);
  return status;
}

std::unique_ptr<TDgrPaintEngine> TDgrCanvas::CreatePaintEngine(TCanvas* canvas, const TRect& rect) const {
  return CreatePaintEngine(canvas ? canvas->Handle() : nullptr, rect);
}
