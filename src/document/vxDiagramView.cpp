// Coordinates, zoom, extent, scroll bars, units and the mouse wheel of the diagram.
#include "document/vxDiagram.h"
#include "platform/WindowScreen.h"

#include <QThread>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

// The step zoom levels, smallest first.
constexpr std::array<double, 17> kZoomLevels{0.05, 0.0833, 0.125, 0.25, 0.3333, 0.5, 0.6667, 0.75, 1.0,
                                             1.25, 1.5,    2.0,   3.0,  4.0,    6.0, 8.0,    10.0};

constexpr double kMinZoom = 0.01;
constexpr double kMaxZoom = 10.0;

double ClampRatio(double ratio) {
  if (!std::isfinite(ratio)) return 1.0;
  return std::clamp(ratio, kMinZoom, kMaxZoom);
}

bool IsClick(const TSquare& rect) {
  return std::abs(rect.Right - rect.Left) <= 10 && std::abs(rect.Bottom - rect.Top) <= 10;
}

TSquare Normalized(const TSquare& r) {
  return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right), std::max(r.Top, r.Bottom)};
}

}  // namespace

// --- Conversions -------------------------------------------------------------------------------

TCanvasMapping TvxDiagram::CurrentCanvasMapping() const {
  TCanvasMapping m;
  switch (FPaintStyle) {
    case psScreen:
      // Zoomed, then scrolled, then moved past the rulers.
      m.X = {FZoomRatio, -static_cast<double>(FHorzScrollBar->Position()), static_cast<double>(LeftRulerWidth())};
      m.Y = {FZoomRatio, -static_cast<double>(FVertScrollBar->Position()), static_cast<double>(TopRulerHeight())};
      break;
    case psPreview:
    case psPrint:
      // Converted to printer units and offset, adjusted, then zoomed.
      m.X = {FPrintConvX, FPreviewOffset.X, 0, FAdjustRatioX, FPreviewZoom};
      m.Y = {FPrintConvY, FPreviewOffset.Y, 0, FAdjustRatioY, FPreviewZoom};
      break;
    case psBitmap:
      // Offset, then zoomed.
      m.X = {1, FPreviewOffset.X, 0, FZoomRatio};
      m.Y = {1, FPreviewOffset.Y, 0, FZoomRatio};
      break;
  }
  return m;
}

TDot TvxDiagram::ClientToCanvas(const TDot& point) const { return CurrentCanvasMapping().Apply(point); }

TDot TvxDiagram::CanvasToClient(const TDot& point) const {
  TDot p = point;
  switch (FPaintStyle) {
    case psScreen: {
      const TDot origin = ClientToCanvas(TDot{0, 0});
      p = {p.X - origin.X, p.Y - origin.Y};
      if (FZoomRatio != 1.0) p = {p.X * (1.0 / FZoomRatio), p.Y * (1.0 / FZoomRatio)};
      break;
    }
    case psPreview:
    case psPrint:
      if (FPreviewZoom != 1.0) p = {p.X / FPreviewZoom, p.Y / FPreviewZoom};
      p = {p.X / FAdjustRatioX, p.Y / FAdjustRatioY};
      p = {(p.X - FPreviewOffset.X) / FPrintConvX, (p.Y - FPreviewOffset.Y) / FPrintConvY};
      break;
    case psBitmap:
      if (FZoomRatio != 1.0) p = {p.X / FZoomRatio, p.Y / FZoomRatio};
      p = {p.X - FPreviewOffset.X, p.Y - FPreviewOffset.Y};
      break;
  }
  return p;
}

TPoint TvxDiagram::ClientToCanvas(const TPoint& point) const {
  const TDot p = ClientToCanvas(TDot{double(point.X), double(point.Y)});
  return {Round(p.X), Round(p.Y)};
}

TSquare TvxDiagram::ClientToCanvas(const TSquare& rect) const {
  const TDot a = ClientToCanvas(TDot{rect.Left, rect.Top});
  const TDot b = ClientToCanvas(TDot{rect.Right, rect.Bottom});
  return {a.X, a.Y, b.X, b.Y};
}

TRect TvxDiagram::ClientToCanvas(const TRect& rect) const {
  const TPoint a = ClientToCanvas(TPoint{rect.Left, rect.Top});
  const TPoint b = ClientToCanvas(TPoint{rect.Right, rect.Bottom});
  return {a.X, a.Y, b.X, b.Y};
}

TPoint TvxDiagram::CanvasToClient(const TPoint& point) const {
  const TDot p = CanvasToClient(TDot{double(point.X), double(point.Y)});
  return {Round(p.X), Round(p.Y)};
}

TSquare TvxDiagram::CanvasToClient(const TSquare& rect) const {
  const TDot a = CanvasToClient(TDot{rect.Left, rect.Top});
  const TDot b = CanvasToClient(TDot{rect.Right, rect.Bottom});
  return {a.X, a.Y, b.X, b.Y};
}

// --- Zoom --------------------------------------------------------------------------------------

void TvxDiagram::SetZoomRatio(double ratio) {
  FZoomRatio = ClampRatio(ratio);
  const int percent = Trunc(FZoomRatio * 100);
  FTopRuler->SetZoom(percent);
  FLeftRuler->SetZoom(percent);
  RecalcExtent();
}

void TvxDiagram::CenterOn(const TSquare& rect) {
  FHorzScrollBar->SetPosition(Round(Trunc((rect.Left + rect.Right) / 2 * FZoomRatio) - ViewWidth() / 2.0));
  FVertScrollBar->SetPosition(Round(Trunc((rect.Top + rect.Bottom) / 2 * FZoomRatio) - ViewHeight() / 2.0));
  UpdateScrollBars();
}

void TvxDiagram::ZoomIn(const TSquare& area) {
  const TSquare rect = Normalized(area);
  double ratio = FZoomRatio;
  if (IsClick(rect)) {
    for (size_t i = 0; i < 16; ++i)
      if (kZoomLevels[i] > FZoomRatio) {
        ratio = kZoomLevels[i];
        break;
      }
  } else {
    ratio = std::min(ViewWidth() / rect.Width(), ViewHeight() / rect.Height());
  }
  SetZoomRatio(ratio);
  CenterOn(rect);
  Redraw();
}

void TvxDiagram::ZoomOut(const TSquare& area) {
  const TSquare rect = Normalized(area);
  double ratio = FZoomRatio;
  if (IsClick(rect)) {
    for (size_t i = kZoomLevels.size() - 1; i >= 1; --i)
      if (kZoomLevels[i] < FZoomRatio) {
        ratio = kZoomLevels[i];
        break;
      }
  } else if (ClientWidth() > 0 && ClientHeight() > 0) {
    ratio = std::max(rect.Width() * FZoomRatio / ClientWidth(), rect.Height() * FZoomRatio / ClientHeight());
  }
  SetZoomRatio(ratio);
  CenterOn(rect);
  Redraw();
}

void TvxDiagram::ZoomMoveToFit(int margin) {
  const bool autoScroll = FAutoScroll;
  TSquare view{double(LeftRulerWidth()), double(TopRulerHeight()),
               double(autoScroll ? ScrollControlSize(sbHorizontal) : ClientWidth()),
               double(autoScroll ? ScrollControlSize(sbVertical) : ClientHeight())};
  view = {view.Left + margin, view.Top + margin, view.Right - (margin + 1), view.Bottom - (margin + 1)};
  bool any = false;
  TSquare box;
  for (TDiagramControl* control : FDControls) {
    if (!control->IsVisible()) continue;
    const TSquare r = control->SurroundRect();
    box = any ? TSquare{std::min(box.Left, r.Left), std::min(box.Top, r.Top), std::max(box.Right, r.Right),
                        std::max(box.Bottom, r.Bottom)}
              : r;
    any = true;
  }
  double ratio = 1;
  TDot shift;
  if (any && box.Width() != 0 && box.Height() != 0) {
    ratio = std::min(view.Width() / box.Width(), view.Height() / box.Height());
    if (!(ratio > 0) || !std::isfinite(ratio)) ratio = 1;
    shift = {RoundF(box.Left - margin / ratio), RoundF(box.Top - margin / ratio)};
  }
  SetZoom(Round(ratio * 100));
  if (shift.X != 0 || shift.Y != 0) ShiftElements(-shift.X, -shift.Y, false);
  RecalcExtent();
  Redraw();
}

void TvxDiagram::MakeControlVisible(TDiagramControl* control) {
  if (!control) return;
  const TSquare r = control->ControlRect();
  const TDot centre{(r.Left + r.Right) / 2 * FZoomRatio, (r.Top + r.Bottom) / 2 * FZoomRatio};
  FHorzScrollBar->SetPosition(Round(LeftRulerWidth() / 2.0 + (centre.X - ClientWidth() / 2.0)));
  FVertScrollBar->SetPosition(Round(TopRulerHeight() / 2.0 + (centre.Y - ClientHeight() / 2.0)));
  Redraw();
}

// --- Extent ------------------------------------------------------------------------------------

int TvxDiagram::DiagramWidth() const {
  int width = 0;
  for (TDiagramControl* control : FDControls)
    if (control->IsVisible()) width = std::max(width, Round(control->SurroundRect().Right));
  return width;
}

int TvxDiagram::DiagramHeight() const {
  int height = 0;
  for (TDiagramControl* control : FDControls)
    if (control->IsVisible()) height = std::max(height, Round(control->SurroundRect().Bottom));
  return height;
}

void TvxDiagram::ShiftElements(double dx, double dy, bool selectedOnly) {
  BeginInternalUpdate();
  BeginUpdatePos();
  const std::vector<TDiagramControl*> controls = FDControls;
  try {
    for (TDiagramControl* control : controls) {
      if (control->IsMember()) continue;
      if (selectedOnly && (!control->Selected() || control->AsMember())) continue;
      control->MoveBy(dx, dy);
    }
  } catch (...) {
    EndUpdatePos();
    EndInternalUpdate();
    for (TDiagramControl* control : controls) control->NotifyAnchoreds(acPosition);
    throw;
  }
  EndUpdatePos();
  EndInternalUpdate();
  for (TDiagramControl* control : controls) control->NotifyAnchoreds(acPosition);
}

void TvxDiagram::EndInternalUpdate() {
  if (FInternalUpdating > 0) --FInternalUpdating;
  if (FInternalUpdating == 0 && FExtentPending) RecalcExtent();
}

void TvxDiagram::RecalcExtent() {
  if (FUpdateCount > 0 || FInternalUpdating > 0) {
    FExtentPending = true;
    return;
  }
  FExtentPending = false;
  if (!parentWidget() || IsDestroying()) return;
  double maxX = ViewWidth(), maxY = ViewHeight(), maxRight = 0, maxBottom = 0, minLeft = 0, minTop = 0;
  for (TDiagramControl* control : FDControls) {
    if (!control->IsVisible() || control->IsGroup()) continue;
    const TSquare r = control->SurroundRect();
    if (!IsFinite(r)) continue;  // nothing sensible to scroll to
    const double left = r.Left * FZoomRatio, top = r.Top * FZoomRatio;
    const double right = r.Right * FZoomRatio, bottom = r.Bottom * FZoomRatio;
    maxX = std::max(maxX, right + 1);
    maxY = std::max(maxY, bottom + 1);
    maxRight = std::max(maxRight, right + 1);
    maxBottom = std::max(maxBottom, bottom + 1);
    minLeft = std::min(minLeft, left);
    minTop = std::min(minTop, top);
  }
  if (minLeft < 0 || minTop < 0) {
    // The zoomed amounts are canvas pixels; elements move in client units.
    ShiftElements(-minLeft / FZoomRatio, -minTop / FZoomRatio, false);
  }
  if (FAutoPage) {
    // Page tiling arrives with the page settings; until then a page is the view.
    const double pageW = ViewWidth() * 1.0, pageH = ViewHeight() * 1.0;
    if (pageW > 0) FHorzScrollBar->SetRange(LeftRulerWidth() + Round((Trunc(maxRight / pageW) + 1) * pageW + pageW * 0.05));
    if (pageH > 0) FVertScrollBar->SetRange(TopRulerHeight() + Round((Trunc(maxBottom / pageH) + 1) * pageH + pageH * 0.05));
  } else if (FAutoScroll) {
    FHorzScrollBar->SetRange(Round(LeftRulerWidth() + (maxX - minLeft)));
    FVertScrollBar->SetRange(Round(TopRulerHeight() + (maxY - minTop)));
  }
  UpdateScrollBars();
  FHorzScrollBar->SetPosition(FHorzScrollBar->Position() - Round(minLeft));
  FVertScrollBar->SetPosition(FVertScrollBar->Position() - Round(minTop));
  UpdateScrollBars();
}

void TvxDiagram::KeepInBounds() {
  if (FCanMoveOutOfBounds || FUpdateCount > 0 || !parentWidget()) return;
  double minLeft = 0, minTop = 0;
  for (TDiagramControl* control : FDControls) {
    if (!control->IsVisible() || control->IsGroup()) continue;
    const TSquare r = control->SurroundRect();
    minLeft = std::min(minLeft, r.Left * FZoomRatio);
    minTop = std::min(minTop, r.Top * FZoomRatio);
  }
  if (minLeft < 0 || minTop < 0) ShiftElements(-minLeft / FZoomRatio, -minTop / FZoomRatio, true);
}

// --- Scroll bars -------------------------------------------------------------------------------

int TvxDiagram::ScrollControlSize(TScrollBarKind kind) const {
  const int border = BorderWidth();
  const int thickness = TScreen::ScrollBarThickness(this);
  const int fullWidth = std::max(0, width() - 2 * border);
  const int fullHeight = std::max(0, height() - 2 * border);
  if (kind == sbHorizontal) {
    const bool vertical = FVertScrollBar->Visible() && FVertScrollBar->Range() > fullHeight;
    return std::max(0, fullWidth - (vertical ? thickness : 0));
  }
  const bool horizontal = FHorzScrollBar->Visible() && FHorzScrollBar->Range() > fullWidth;
  return std::max(0, fullHeight - (horizontal ? thickness : 0));
}

int TvxDiagram::ScrollCalcRange(TScrollBarKind kind) const {
  const TDiagramScrollBar* bar = kind == sbHorizontal ? FHorzScrollBar.get() : FVertScrollBar.get();
  if (!bar->Visible()) return 0;
  return std::max(0, bar->Range() - ScrollControlSize(kind));
}

void TvxDiagram::UpdateScrollBar(TScrollBarKind kind, int controlSize) {
  TDiagramScrollBar* bar = kind == sbHorizontal ? FHorzScrollBar.get() : FVertScrollBar.get();
  const int calcRange = bar->Visible() ? std::max(0, bar->Range() - controlSize) : 0;
  TScrollInfo info;
  info.Min = 0;
  info.Max = calcRange < 1 ? 0 : bar->Range();
  info.Page = controlSize + 1;
  info.Pos = std::clamp(bar->Position(), 0, calcRange);
  SetScrollBarAllowed(kind, bar->Visible());
  SetScrollInfo(kind, info);
  bar->SetPosition(info.Pos);
  bar->SetPageIncrement(controlSize * 9 / 10);
}

void TvxDiagram::UpdateScrollBars() {
  if (FUpdatingBars || IsDestroying() || !FHorzScrollBar || !FVertScrollBar) return;
  FUpdatingBars = true;
  try {
    UpdateScrollBar(sbHorizontal, ScrollControlSize(sbHorizontal));
    UpdateScrollBar(sbVertical, ScrollControlSize(sbVertical));
  } catch (...) {
    FUpdatingBars = false;
    throw;
  }
  FUpdatingBars = false;
}

void TvxDiagram::SmoothScroll(TDiagramScrollBar* bar, int delta, int steps) {
  const int step = delta / steps;
  for (int i = 0; i < steps; ++i) {
    bar->SetPosition(bar->Position() + step);
    Repaint();
    QThread::msleep(10);
  }
  bar->SetPosition(bar->Position() + delta % steps);
}

void TvxDiagram::ScrollRequest(TScrollBarKind kind, TScrollCode code, int pos) {
  TDiagramScrollBar* bar = kind == sbHorizontal ? FHorzScrollBar.get() : FVertScrollBar.get();
  if (!bar->Visible()) return;
  const int controlSize = ScrollControlSize(kind);
  switch (code) {
    case scLineUp:
    case scLineDown: {
      const int delta = code == scLineUp ? -bar->Increment() : bar->Increment();
      if (bar->Smooth()) SmoothScroll(bar, delta, 4);
      else bar->SetPosition(bar->Position() + delta);
      break;
    }
    case scPageUp:
    case scPageDown: {
      if (bar->Smooth()) SmoothScroll(bar, code == scPageUp ? -bar->PageIncrement() : bar->PageIncrement(), 12);
      else bar->SetPosition(bar->Position() + (code == scPageUp ? -controlSize : controlSize));
      break;
    }
    case scPosition: bar->SetPosition(pos); break;
    case scTrack:
      if (bar->Tracking()) bar->SetPosition(pos);
      break;
    case scTop: bar->SetPosition(0); break;
    case scBottom: bar->SetPosition(ScrollCalcRange(kind)); break;
    case scEndScroll: break;
  }
  SetFocus();
  Invalidate();
}

void TvxDiagram::Resize() {
  TDgrCustomControl::Resize();
  RecalcExtent();
}

void TvxDiagram::WindowCreated() { UpdateScrollBars(); }

// --- Wheel ---------------------------------------------------------------------------------------

bool TvxDiagram::WheelStep(TShiftState shift, bool down) {
  if (!shift.testFlag(ssCtrl)) {
    TDiagramScrollBar* bar = FMouseWheelMode == mwHorizontal ? FHorzScrollBar.get()
                             : FMouseWheelMode == mwVertical ? FVertScrollBar.get()
                                                             : nullptr;
    if (!bar) return false;
    bar->SetPosition(bar->Position() + (down ? bar->Increment() : -bar->Increment()));
    Redraw();
    return true;
  }
  if (!FWheelZoom) return false;
  SetZoom(down ? std::max(Zoom() - FWheelZoomIncrement, FWheelZoomMin)
               : std::min(Zoom() + FWheelZoomIncrement, FWheelZoomMax));
  return true;
}

bool TvxDiagram::MouseWheelDown(TShiftState shift, TPoint pos) {
  return TDgrCustomControl::MouseWheelDown(shift, pos) || WheelStep(shift, true);
}

bool TvxDiagram::MouseWheelUp(TShiftState shift, TPoint pos) {
  return TDgrCustomControl::MouseWheelUp(shift, pos) || WheelStep(shift, false);
}

// --- Units ---------------------------------------------------------------------------------------

int TvxDiagram::ScreenPixelsPerInch() const { return FIgnoreScreenDPI ? 96 : PixelsPerInch(); }

double TvxDiagram::MMToMeasUnit(double mm) const {
  switch (FMeasUnit) {
    case duMili: return mm;
    case duCenti: return mm / 10;
    case duInch: return mm / 25.4;
  }
  return mm;
}

double TvxDiagram::MeasUnitToMM(double value) const {
  switch (FMeasUnit) {
    case duMili: return value;
    case duCenti: return value * 10;
    case duInch: return value * 25.4;
  }
  return value;
}

QString TvxDiagram::UnitSymbol() const {
  switch (FMeasUnit) {
    case duMili: return QStringLiteral("mm");
    case duCenti: return QStringLiteral("cm");
    case duInch: return QStringLiteral("in");
  }
  return {};
}
