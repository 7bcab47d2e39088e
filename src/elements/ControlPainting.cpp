// Painting of what every element has: its text cells, its grips and its link point markers.
// The raster route draws in canvas pixels on TCanvas; the engine route draws through the
// element's engine drawer.

#include "elements/CustomDiagram.h"
#include "elements/DiagramControl.h"
#include "elements/HandlesAppearance.h"
#include "elements/LinkPoints.h"
#include "elements/StretchHandles.h"
#include "elements/TextCells.h"
#include "elements/TextLayout.h"
#include "drawing/Gradient.h"
#include "drawing/TextWidthCache.h"
#include "geometry/BlockDrawer.h"
#include "platform/Canvas.h"
#include "platform/Graphics.h"

#include <QCoreApplication>
#include <QPainter>
#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace {

// Spare fonts for the saver below: every text cell and marker saves the canvas tools, and
// building a QObject each time costs more than copying its settings. (Pens and brushes are
// saved as values.)
template <class T>
class TSparePool {
public:
  std::unique_ptr<T> Take() {
    if (FSpare.empty()) return std::make_unique<T>();
    std::unique_ptr<T> object = std::move(FSpare.back());
    FSpare.pop_back();
    return object;
  }
  void Give(std::unique_ptr<T> object) { FSpare.push_back(std::move(object)); }
  void Clear() { FSpare.clear(); }

private:
  std::vector<std::unique_ptr<T>> FSpare;
};

template <class T>
TSparePool<T>& SparePool() {
  static TSparePool<T> pool;
  static const bool emptiedWithTheApplication = [] {
    // Fonts must not outlive the application's font database.
    qAddPostRoutine([] { SparePool<T>().Clear(); });
    return true;
  }();
  (void)emptiedWithTheApplication;
  return pool;
}

// Gives the canvas back its pen, brush and font on every exit path.
class TCanvasToolsSaver {
public:
  explicit TCanvasToolsSaver(TCanvas& canvas)
      : FCanvas(canvas), FPen(canvas.Pen()->Settings()), FBrush(canvas.Brush()->Settings()),
        FFont(SparePool<TFont>().Take()) {
    FFont->Assign(canvas.Font());
  }
  ~TCanvasToolsSaver() {
    FCanvas.Pen()->SetSettings(FPen);
    FCanvas.Brush()->SetSettings(FBrush);
    FCanvas.SetFont(FFont.get());
    SparePool<TFont>().Give(std::move(FFont));
  }
  TCanvasToolsSaver(const TCanvasToolsSaver&) = delete;
  TCanvasToolsSaver& operator=(const TCanvasToolsSaver&) = delete;

private:
  TCanvas& FCanvas;
  TPen::TSettings FPen;
  TBrush::TSettings FBrush;
  std::unique_ptr<TFont> FFont;
};

// Draws with the given opacity (from a transparency percentage) until it goes out of scope.
class TOpacityScope {
public:
  TOpacityScope(TCanvas& canvas, int transparency) {
    if (transparency <= 0) return;
    FPainter = canvas.Handle();
    FOldOpacity = FPainter->opacity();
    FPainter->setOpacity(FOldOpacity * (100 - transparency) / 100.0);
  }
  ~TOpacityScope() {
    if (FPainter) FPainter->setOpacity(FOldOpacity);
  }
  TOpacityScope(const TOpacityScope&) = delete;
  TOpacityScope& operator=(const TOpacityScope&) = delete;

private:
  QPainter* FPainter = nullptr;
  qreal FOldOpacity = 1;
};

// Measures as TCanvas::TextExtent does (the canvas font on the bound device), through the
// widths kept from earlier passes.
class TCanvasMeasurer : public ITextMeasurer {
public:
  explicit TCanvasMeasurer(TCanvas& canvas)
      : FWidths(TTextWidthCache::Shared().For(canvas.Font()->ToQFont(),
                                              canvas.HandleAllocated() ? canvas.Handle()->device() : nullptr)) {}
  double TextWidth(const QString& text) override { return FWidths.Width(text); }
  double LineHeight() override { return FWidths.Height(); }

private:
  TTextWidthCache::TFontWidths& FWidths;
};

TPoint RoundPoint(const TDot& point) { return {Round(point.X), Round(point.Y)}; }

TDot CenterOf(const TSquare& rect) { return {(rect.Left + rect.Right) / 2, (rect.Top + rect.Bottom) / 2}; }

TSquare InflateSquare(const TSquare& rect, double by) {
  return {rect.Left - by, rect.Top - by, rect.Right + by, rect.Bottom + by};
}

TSquare ClientToCanvasSquare(const TCustomDiagram& diagram, const TSquare& rect) {
  const TDot topLeft = diagram.ClientToCanvas({rect.Left, rect.Top});
  const TDot bottomRight = diagram.ClientToCanvas({rect.Right, rect.Bottom});
  return {topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y};
}

// A solid pen of one pixel that copies its colour.
void UsePlainPen(TCanvas& canvas, TColor color) {
  TPen* pen = canvas.Pen();
  pen->SetColor(color);
  pen->SetStyle(psSolid);
  pen->SetWidth(1);
  pen->SetMode(pmCopy);
}

void Line(TCanvas& canvas, int x1, int y1, int x2, int y2) {
  canvas.MoveTo(x1, y1);
  canvas.LineTo(x2, y2);
}

// The engine canvas's drawing state (transform, clip) for a scope.
class TDgrDrawingStateScope {
public:
  explicit TDgrDrawingStateScope(TDgrCanvas& canvas) : FCanvas(canvas) { FCanvas.SaveDrawingState(); }
  ~TDgrDrawingStateScope() { FCanvas.RestoreDrawingState(); }
  TDgrDrawingStateScope(const TDgrDrawingStateScope&) = delete;
  TDgrDrawingStateScope& operator=(const TDgrDrawingStateScope&) = delete;

private:
  TDgrCanvas& FCanvas;
};

// Binds an engine drawer to a paint engine for a scope.
class TPaintEngineBinding {
public:
  TPaintEngineBinding(TDgrBlockDrawer& drawer, TDgrPaintEngine* engine) : FDrawer(drawer) {
    FDrawer.SetPaintEngine(engine);
  }
  ~TPaintEngineBinding() { FDrawer.SetPaintEngine(nullptr); }
  TPaintEngineBinding(const TPaintEngineBinding&) = delete;
  TPaintEngineBinding& operator=(const TPaintEngineBinding&) = delete;

private:
  TDgrBlockDrawer& FDrawer;
};

// Engine pens and brushes taken from platform ones, faded by a transparency. Hidden pens
// and brushes stay hidden; hatches keep their invisible background.
void UseEnginePen(TDgrCanvas& canvas, const TPen* pen, int transparency) {
  canvas.Pen()->Assign(pen);
  if (transparency > 0 && canvas.Pen()->Transparency() < 100) canvas.Pen()->SetTransparency(transparency);
}

void UseEngineBrush(TDgrCanvas& canvas, const TBrush* brush, int transparency) {
  canvas.Brush()->Assign(brush);
  if (transparency > 0 && canvas.Brush()->BrushMode() == bmSolid) canvas.Brush()->SetTransparency(transparency);
}

void UseEnginePlainPen(TDgrCanvas& canvas, TColor color) {
  TPen pen;
  pen.SetColor(color);
  UseEnginePen(canvas, &pen, 0);
}

// --- Text cells -------------------------------------------------------------------------

// Where and how a cell's text goes, in canvas pixels. The drawer is the element's scratch
// drawer, left turned like the cell's frame.
struct TCellPlacement {
  TCellText Text;
  TSquare Frame;
};

TCellPlacement PlaceCell(TDiagramControl& control, TCanvas& canvas, const TTextCell& cell, TBlockDrawer& drawer) {
  const TCustomDiagram& diagram = *control.Diagram();
  const TSquare rect = ClientToCanvasSquare(diagram, cell.DiagramRect());
  const TSquare around = control.IsBlock() ? control.ControlRect() : cell.DiagramRect();
  const TDot center = diagram.ClientToCanvas(CenterOf(around));
  drawer.SetCanvas(&canvas);
  drawer.SetCurRect(rect);
  drawer.SetRotationType(rtRotationCenter);
  drawer.SetRotationCenter(center);
  drawer.SetAngle(cell.Angle());

  TCellPlacement placement;
  TCellText& text = placement.Text;
  text.Text = cell.Text();
  text.Font = cell.Font();
  text.Rect = rect;
  text.Center = center;
  text.Angle = cell.Angle();
  text.WordWrap = cell.WordWrap();
  text.VertAlign = static_cast<TVertAlign>(cell.VertAlign());
  text.Alignment = cell.Alignment();
  if (!cell.RotateFont()) {
    // Upright text, centred where the turned rectangle's centre lies.
    text.Rect = drawer.RotByCenter(rect);
    text.Angle = 0;
    drawer.SetAngle(0);
  }
  placement.Frame = text.Rect;
  const TTextCellFrame& frame = *cell.CellFrame();
  if (frame.AutoFrame())
    placement.Frame = text.Text.isEmpty() ? TSquare{} : InflateSquare(control.DrawCellText(canvas, text, true), frame.AutoFrameMargin());
  return placement;
}

void DrawCellFrame(TCanvas& canvas, const TBlockDrawer& drawer, const TTextCellFrame& frame, const TSquare& rect) {
  TCanvasToolsSaver tools(canvas);
  if (!frame.Transparent()) {
    canvas.Brush()->SetColor(frame.Color());
    canvas.Brush()->SetStyle(bsSolid);
    canvas.SetPen(frame.Pen());
    drawer.DrawRotRect(rect.Left, rect.Top, rect.Right, rect.Bottom);
  }
  canvas.SetBrush(frame.Brush());
  canvas.SetPen(frame.Pen());
  drawer.DrawRotRect(rect.Left, rect.Top, rect.Right, rect.Bottom);
}

void ClipToText(TCanvas& canvas, const TBlockDrawer& drawer, const TSquare& rect, double angle) {
  TRegion region;
  if (angle != 0) {
    region = TRegion::FromPolygon({drawer.Rot(rect.Left, rect.Top), drawer.Rot(rect.Right, rect.Top),
                                   drawer.Rot(rect.Right, rect.Bottom), drawer.Rot(rect.Left, rect.Bottom)});
  } else {
    region = TRegion::FromRect({Round(rect.Left), Round(rect.Top), Round(rect.Right), Round(rect.Bottom)});
  }
  if (canvas.ClipRegion()) region = canvas.ClipRegion()->Intersected(region);
  canvas.SelectClipRegion(&region);
}

void DrawCellOnCanvas(TDiagramControl& control, TCanvas& canvas, const TTextCell& cell) {
  const int transparency = cell.EffectiveTransparency();
  if (transparency >= 100) return;
  TBlockDrawer& drawer = *control.TempDrawer();
  const TCellPlacement placement = PlaceCell(control, canvas, cell, drawer);
  TOpacityScope opacity(canvas, transparency);
  const TTextCellFrame& frame = *cell.CellFrame();
  if (frame.Visible() && !IsZeroSquare(placement.Frame)) DrawCellFrame(canvas, drawer, frame, placement.Frame);
  std::optional<TCanvasStateSaver> clipState;
  if (cell.Clip()) {
    clipState.emplace(canvas);
    ClipToText(canvas, drawer, placement.Text.Rect, placement.Text.Angle);
  }
  control.DrawCellText(canvas, placement.Text, false);
}

// The same steps on an engine canvas, in client units: the paint engine maps them.
void DrawCellWithEngine(TDiagramControl& control, TDgrCanvas& canvas, const TTextCell& cell) {
  const int transparency = cell.EffectiveTransparency();
  if (transparency >= 100) return;
  const TSquare rect = cell.DiagramRect();
  const TSquare around = control.IsBlock() ? control.ControlRect() : rect;
  const TDot center = CenterOf(around);
  double angle = cell.Angle();
  TSquare textRect = rect;
  if (!cell.RotateFont()) {
    TBlockDrawer& drawer = *control.TempDrawer();
    drawer.SetRotationType(rtRotationCenter);
    drawer.SetRotationCenter(center);
    drawer.SetAngle(angle);
    textRect = drawer.RotByCenter(rect);
    angle = 0;
  }
  const TTextCellFrame& frame = *cell.CellFrame();
  const int margin = frame.AutoFrameMargin();
  // The text keeps the margin inside its rectangle, so an automatic frame hugs the drawn text.
  const TSquare drawRect = margin > 0 ? InflateSquare(textRect, -margin) : textRect;
  const QString text = cell.Text();
  const TVertAlign vertAlign = static_cast<TVertAlign>(cell.VertAlign());
  const bool rightToLeft = control.Diagram()->IsRightToLeft();

  TDgrDrawingStateScope state(canvas);
  TDgrCanvasStyleSaver style(canvas);
  if (angle != 0) canvas.RotateTransform(angle, center);
  TSquare frameRect = textRect;
  if (frame.AutoFrame()) {
    frameRect = text.isEmpty() ? TSquare{}
                               : InflateSquare(canvas.StringBounds(text, *cell.Font(), drawRect, cell.Alignment(),
                                                                   vertAlign, cell.WordWrap(), rightToLeft),
                                               margin);
  }
  if (frame.Visible() && !IsZeroSquare(frameRect)) {
    if (!frame.Transparent()) {
      TBrush fill;
      fill.SetColor(frame.Color());
      UseEngineBrush(canvas, &fill, transparency);
      UseEnginePen(canvas, frame.Pen(), transparency);
      canvas.Rectangle(frameRect.Left, frameRect.Top, frameRect.Right, frameRect.Bottom);
    }
    UseEngineBrush(canvas, frame.Brush(), transparency);
    UseEnginePen(canvas, frame.Pen(), transparency);
    canvas.Rectangle(frameRect.Left, frameRect.Top, frameRect.Right, frameRect.Bottom);
  }
  // The same rule as on the raster canvas: a font zoomed to nothing draws no glyphs.
  const TFont& font = *cell.Font();
  if (ScaledFontVanishes(font, control.Diagram()->ZoomRatio(), font.PixelsPerInch())) return;
  if (cell.Clip()) canvas.SetClip(textRect);
  canvas.DrawString(text, font, drawRect, cell.Alignment(), vertAlign, cell.WordWrap(), rightToLeft, transparency);
}

// --- Grips --------------------------------------------------------------------------------

struct TGripChoice {
  THandleAppearance* Look = nullptr;
  bool Shown = false;
  bool Enabled = false;
};

TGripChoice ChooseGrip(const TDiagramControl& control, const TStretchHandle& handle) {
  THandlesAppearance& looks = *control.HandlesAppearance();
  switch (handle.Style()) {
    case hsRotate: return {looks.Rotate(), control.CanRotate(), control.CanRotate()};
    case hsRotCenter: return {looks.RotCenter(), control.CanRotate(), control.CanMoveRotCenter()};
    case hsCustom: return {looks.Custom(), true, true};
    case hsSize: break;
  }
  return {looks.Size(), true, control.CanResize()};
}

void DrawGripShape(TCanvas& canvas, THandleAppearanceStyle style, int x, int y, int s) {
  switch (style) {
    case hhRectangle: canvas.Rectangle(x - s, y - s, x + s + 1, y + s + 1); break;
    case hhEllipse: canvas.Ellipse(x - s, y - s, x + s + 1, y + s + 1); break;
    case hhDiamond: canvas.Polygon({{x, y - s}, {x + s, y}, {x, y + s}, {x - s, y}, {x, y - s}}); break;
    case hhCrossedEllipse:
      canvas.Ellipse(x - s, y - s, x + s + 1, y + s + 1);
      Line(canvas, x, y - s + 2, x, y + s - 1);
      Line(canvas, x - s + 2, y, x + s - 1, y);
      break;
    case hhRectangleX:
      canvas.Rectangle(x - s, y - s, x + s + 1, y + s + 1);
      canvas.Pen()->SetColor(clGreen);
      Line(canvas, x - s, y - s, x + s, y + s);
      Line(canvas, x + s, y - s, x - s, y + s);
      break;
    case hhEllipseX:
      canvas.Ellipse(x - s, y - s, x + s + 1, y + s + 1);
      canvas.Pen()->SetColor(clGreen);
      Line(canvas, x - s + 1, y - s + 1, x + s - 1, y + s - 1);
      Line(canvas, x + s - 1, y - s + 1, x - s + 1, y + s - 1);
      break;
  }
}

void DrawGripOnCanvas(TCanvas& canvas, const THandleAppearance& look, bool enabled, const TPoint& at) {
  TCanvasToolsSaver tools(canvas);
  canvas.SetBrush(enabled ? look.Brush() : look.DisabledBrush());
  canvas.SetPen(enabled ? look.Pen() : look.DisabledPen());
  DrawGripShape(canvas, look.Style(), at.X, at.Y, look.Size());
}

// Grips through an engine canvas, in canvas pixels; boxes run from x - s to x + s.
void DrawGripShape(TDgrCanvas& canvas, THandleAppearanceStyle style, double x, double y, double s) {
  switch (style) {
    case hhRectangle: canvas.Rectangle(x - s, y - s, x + s, y + s); break;
    case hhEllipse: canvas.Ellipse(x - s, y - s, x + s, y + s); break;
    case hhDiamond: canvas.Polygon({{x, y - s}, {x + s, y}, {x, y + s}, {x - s, y}}); break;
    case hhCrossedEllipse:
      canvas.Ellipse(x - s, y - s, x + s, y + s);
      canvas.DrawLine(x, y - s + 2, x, y + s - 2);
      canvas.DrawLine(x - s + 2, y, x + s - 2, y);
      break;
    case hhRectangleX:
      canvas.Rectangle(x - s, y - s, x + s, y + s);
      canvas.Pen()->SetColor(clGreen);
      canvas.DrawLine(x - s, y - s, x + s, y + s);
      canvas.DrawLine(x + s, y - s, x - s, y + s);
      break;
    case hhEllipseX:
      canvas.Ellipse(x - s, y - s, x + s, y + s);
      canvas.Pen()->SetColor(clGreen);
      canvas.DrawLine(x - s + 1, y - s + 1, x + s - 1, y + s - 1);
      canvas.DrawLine(x + s - 1, y - s + 1, x - s + 1, y + s - 1);
      break;
  }
}

void DrawGripWithEngine(TDgrCanvas& canvas, const THandleAppearance& look, bool enabled, const TPoint& at) {
  TDgrDrawingStateScope state(canvas);
  TDgrCanvasStyleSaver style(canvas);
  canvas.ResetTransform();
  UseEngineBrush(canvas, enabled ? look.Brush() : look.DisabledBrush(), 0);
  UseEnginePen(canvas, enabled ? look.Pen() : look.DisabledPen(), 0);
  DrawGripShape(canvas, look.Style(), at.X, at.Y, look.Size());
}

// --- Link point markers -------------------------------------------------------------------

void DrawCollapseMarker(TCanvas& canvas, int x, int y, bool collapsed) {
  UsePlainPen(canvas, clGray);
  canvas.Brush()->SetColor(clWhite);
  canvas.Brush()->SetStyle(bsSolid);
  canvas.Rectangle(x - 4, y - 4, x + 5, y + 5);
  UsePlainPen(canvas, clBlack);
  Line(canvas, x - 2, y, x + 3, y);
  if (collapsed) Line(canvas, x, y - 2, x, y + 3);
}

// The two lines of a cross marker, as pairs of ends.
std::array<TPoint, 4> CrossMarkerEnds(const TCanvas&, int x, int y) {
  return {TPoint{x - 2, y - 2}, TPoint{x + 3, y + 3}, TPoint{x + 2, y - 2}, TPoint{x - 3, y + 3}};
}

void DrawStyleMarker(TCanvas& canvas, TLinkPointStyle style, int x, int y) {
  switch (style) {
    case ptEllipse: canvas.Ellipse(x - 2, y - 2, x + 3, y + 3); break;
    case ptRectangle: canvas.Rectangle(x - 2, y - 2, x + 3, y + 3); break;
    case ptDiamond: canvas.Polygon({{x, y - 3}, {x + 3, y}, {x, y + 3}, {x - 3, y}}); break;
    case ptCross: canvas.LineSegments(CrossMarkerEnds(canvas, x, y)); break;
    case ptNone:
    case ptImplicit: break;
  }
}

// Markers through an engine canvas, in canvas pixels.
void DrawCollapseMarker(TDgrCanvas& canvas, double x, double y, bool collapsed) {
  UseEnginePlainPen(canvas, clGray);
  TBrush white;
  white.SetColor(clWhite);
  UseEngineBrush(canvas, &white, 0);
  canvas.Rectangle(x - 4, y - 4, x + 4, y + 4);
  UseEnginePlainPen(canvas, clBlack);
  canvas.DrawLine(x - 2, y, x + 2, y);
  if (collapsed) canvas.DrawLine(x, y - 2, x, y + 2);
}

std::array<TDot, 4> CrossMarkerEnds(const TDgrCanvas&, double x, double y) {
  return {TDot{x - 2, y - 2}, TDot{x + 2, y + 2}, TDot{x + 2, y - 2}, TDot{x - 2, y + 2}};
}

void DrawStyleMarker(TDgrCanvas& canvas, TLinkPointStyle style, double x, double y) {
  switch (style) {
    case ptEllipse: canvas.Ellipse(x - 2, y - 2, x + 2, y + 2); break;
    case ptRectangle: canvas.Rectangle(x - 2, y - 2, x + 2, y + 2); break;
    case ptDiamond: canvas.Polygon({{x, y - 3}, {x + 3, y}, {x, y + 3}, {x - 3, y}}); break;
    case ptCross: canvas.DrawLines(CrossMarkerEnds(canvas, x, y)); break;
    case ptNone:
    case ptImplicit: break;
  }
}

void UseMarkerTools(TCanvas& canvas, const TDiagramControl& owner) {
  canvas.SetPen(owner.LinkPointPen());
  canvas.SetBrush(owner.LinkPointBrush());
}

void UseMarkerTools(TDgrCanvas& canvas, const TDiagramControl& owner) {
  UseEnginePen(canvas, owner.LinkPointPen(), 0);
  UseEngineBrush(canvas, owner.LinkPointBrush(), 0);
}

void DrawSegments(TCanvas& canvas, std::span<const TPoint> ends) { canvas.LineSegments(ends); }
void DrawSegments(TDgrCanvas& canvas, std::span<const TDot> ends) { canvas.DrawLines(ends); }

// Cross markers are separate lines: those with no other marker between them go out as one
// set of lines, in the owner's link point pen and brush. markers are the owner's
// TLinkPointMarker list.
template <class Canvas, class Markers>
void DrawCrossMarkers(Canvas& canvas, const TDiagramControl& owner, const Markers& markers, bool collapseMarkersOnly) {
  std::vector<typename decltype(CrossMarkerEnds(canvas, 0, 0))::value_type> ends;
  const auto drawCrosses = [&] {
    if (ends.empty()) return;
    UseMarkerTools(canvas, owner);
    DrawSegments(canvas, ends);
    ends.clear();
  };
  for (const auto& marker : markers) {
    if ((collapseMarkersOnly && !marker.Node) || !marker.Visible) continue;
    if (marker.Node) {
      drawCrosses();
      DrawCollapseMarker(canvas, marker.At.X, marker.At.Y, marker.Collapsed);
      continue;
    }
    const auto cross = CrossMarkerEnds(canvas, marker.At.X, marker.At.Y);
    ends.insert(ends.end(), cross.begin(), cross.end());
  }
  drawCrosses();
}

// A link point's marker: the collapse marker of a node, else the owner's marker style in
// the owner's link point pen and brush.
template <class Canvas>
void DrawMarker(Canvas& canvas, const TDiagramControl& owner, bool node, bool collapsed, const TPoint& at) {
  if (node) {
    DrawCollapseMarker(canvas, at.X, at.Y, collapsed);
    return;
  }
  UseMarkerTools(canvas, owner);
  DrawStyleMarker(canvas, owner.LinkPointStyle(), at.X, at.Y);
}

}  // namespace

// --- TDiagramControl ------------------------------------------------------------------------

void TDiagramControl::DrawCells(const TDiagramDrawInfo& info) {
  if (!CellsShowAnything(info)) return;
  TTextCell* editing = FDiagram ? FDiagram->EditingCell() : nullptr;
  std::optional<TBrushStyle> brushStyle;
  if (info.Canvas) {
    brushStyle = info.Canvas->Brush()->Style();
    info.Canvas->Brush()->SetStyle(bsClear);
  }
  try {
    for (int i = 0; i < FTextCells->Count(); ++i) {
      TTextCell* cell = FTextCells->Cell(i);
      if (cell->Visible() && cell != editing) DrawCell(info, cell);
    }
  } catch (...) {
    if (brushStyle) info.Canvas->Brush()->SetStyle(*brushStyle);
    throw;
  }
  if (brushStyle) info.Canvas->Brush()->SetStyle(*brushStyle);
}

namespace {

// An element that keeps an engine drawer while its engine is the raster one does not use it.
bool DrawsCellsWithEngine(const TDiagramControl& control, const TDiagramDrawInfo& info) {
  return info.DgrDrawer && control.EffectiveGraphicLib() != dglGDI;
}

// The text scale of the pass and the resolution its fonts are measured in: the raster
// canvas's own, or each cell font's on an engine (0 here).
struct TCellTextScale {
  double Scale = 1;
  int CanvasPixelsPerInch = 0;
};

TCellTextScale CellTextScale(const TCustomDiagram& diagram, const TDiagramDrawInfo& info, bool onEngine) {
  TCellTextScale result{diagram.ZoomRatio(), 0};
  if (!onEngine) {
    if (diagram.PaintStyle() == psPreview) result.Scale *= diagram.PreviewTextScale();
    result.CanvasPixelsPerInch = info.Canvas->Font()->PixelsPerInch();
  }
  return result;
}

// Whether drawing the cell puts anything on the canvas. Without a frame, a cell whose text
// is zoomed to nothing draws nothing; placing it is most of a cell's cost when the whole
// diagram is in view.
bool CellShows(const TTextCell& cell, const TCellTextScale& text) {
  if (!cell.CellFrame()->Visible()) {
    const int pixelsPerInch = text.CanvasPixelsPerInch ? text.CanvasPixelsPerInch : cell.Font()->PixelsPerInch();
    if (ScaledFontVanishes(*cell.Font(), text.Scale, pixelsPerInch)) return false;
  }
  return cell.EffectiveTransparency() < 100;
}

bool CellShows(const TDiagramControl& control, const TDiagramDrawInfo& info, const TTextCell& cell) {
  const TCustomDiagram* diagram = control.Diagram();
  const bool onEngine = DrawsCellsWithEngine(control, info);
  if (!diagram || (!onEngine && !info.Canvas)) return false;
  return CellShows(cell, CellTextScale(*diagram, info, onEngine));
}

}  // namespace

// Whole-diagram views ask this of every element on every pass, and the cells, their frames
// and fonts are objects of their own: the answer is kept until the element changes what it
// writes or the pass asks with other settings.
bool TDiagramControl::CellsShowAnything(const TDiagramDrawInfo& info) {
  const bool onEngine = DrawsCellsWithEngine(*this, info);
  if (!FDiagram || (!onEngine && !info.Canvas)) return false;
  const TTextCell* editing = FDiagram->EditingCell();
  const TCellTextScale text = CellTextScale(*FDiagram, info, onEngine);
  const auto workOut = [&] {
    for (int i = 0; i < FTextCells->Count(); ++i) {
      const TTextCell* cell = FTextCells->Cell(i);
      if (cell->Visible() && cell != editing && CellShows(*cell, text)) return true;
    }
    return false;
  };
  if (!IsBeingRead() && FCellsShowMemo && FCellsShowMemo->Revision == FWrittenRevision && FCellsShowMemo->Scale == text.Scale &&
      FCellsShowMemo->PixelsPerInch == text.CanvasPixelsPerInch && FCellsShowMemo->OnEngine == onEngine &&
      FCellsShowMemo->Editing == editing) {
    CheckKeptResult(FCellsShowMemo->Shows, workOut, "cell visibility");
    return FCellsShowMemo->Shows;
  }
  const bool shows = workOut();
  FCellsShowMemo = TCellsShowMemo{FWrittenRevision, text.Scale, text.CanvasPixelsPerInch, onEngine, editing, shows};
  return shows;
}

void TDiagramControl::DrawCell(const TDiagramDrawInfo& info, TTextCell* cell) {
  if (!cell || !CellShows(*this, info, *cell)) return;
  TBlockDrawerStateGuard drawerState(*FTempDrawer);
  if (DrawsCellsWithEngine(*this, info)) DrawCellWithEngine(*this, *info.DgrDrawer->Canvas(), *cell);
  else DrawCellOnCanvas(*this, *info.Canvas, *cell);
}

TSquare TDiagramControl::DrawCellText(TCanvas& canvas, const TCellText& text, bool measureOnly) {
  TCanvasToolsSaver tools(canvas);
  if (text.Font) canvas.SetFont(text.Font);
  canvas.Font()->SetOrientation(0);
  if (FDiagram) {
    double scale = FDiagram->ZoomRatio();
    if (FDiagram->PaintStyle() == psPreview) scale *= FDiagram->PreviewTextScale();
    const int pixelsPerInch = canvas.Font()->PixelsPerInch();
    if (!measureOnly && ScaledFontVanishes(*canvas.Font(), scale, pixelsPerInch)) return {};
    canvas.Font()->SetHeight(ScaledFontHeight(*canvas.Font(), scale, pixelsPerInch));
  }
  TCanvasMeasurer measurer(canvas);
  const TCellTextLayout layout =
      LayoutCellText(text.Text, text.Rect, text.Alignment, text.VertAlign, text.WordWrap, measurer);
  if (measureOnly) return layout.Bounds;

  TBlockDrawer turn;
  if (text.Angle != 0) {
    canvas.Font()->SetOrientation(TextEscapement(text.Angle));
    turn.SetRotationType(rtRotationCenter);
    turn.SetRotationCenter(text.Center);
    turn.SetAngle(text.Angle);
  }
  for (const TCellTextLine& line : layout.Lines) {
    const TPoint at = RoundPoint(turn.RotX(line.Origin));
    canvas.TextOut(at.X, at.Y, line.Text);
  }
  return layout.Bounds;
}

void TDiagramControl::DrawHandles(const TDiagramDrawInfo& info) {
  for (int i = 0; i < FHandles->Count(); ++i)
    if (FHandles->Handle(i)->Visible()) DrawHandle(info, FHandles->Handle(i));
}

void TDiagramControl::DrawHandle(const TDiagramDrawInfo& info, TStretchHandle* handle) {
  // An element without a diagram counts as the Visio style.
  HandlesAppearance()->ResetForStyle(FDiagram ? FDiagram->HandlesStyle() : hsVisio, IsMember());
  DrawHandleGrip(info, handle);
}

void TDiagramControl::DrawHandleGrip(const TDiagramDrawInfo& info, TStretchHandle* handle) {
  if (!FDiagram || !handle) return;
  const TGripChoice grip = ChooseGrip(*this, *handle);
  if (!grip.Shown || !grip.Look->Visible()) return;
  const TPoint at = RoundPoint(FDiagram->ClientToCanvas(handle->DiagramPoint()));
  // Grips are pixel work: the raster canvas when there is one (the paint pass draws them
  // after the engine is done), else the engine drawer, which must be bound to an engine.
  if (info.Canvas) DrawGripOnCanvas(*info.Canvas, *grip.Look, grip.Enabled, at);
  else if (info.DgrDrawer) DrawGripWithEngine(*info.DgrDrawer->Canvas(), *grip.Look, grip.Enabled, at);
}

void TDiagramControl::DrawLinkPoints(const TDiagramDrawInfo& info, TDgrPaintEngine* engine, bool collapseMarkersOnly) {
  if (!FDiagram || FDiagram->PaintStyle() != psScreen || IsLine()) return;
  if (!collapseMarkersOnly && !FDiagram->ShowLinkPoints()) return;
  TDgrBlockDrawer* drawer = engine ? DgrDrawer() : nullptr;
  if (!drawer && !info.Canvas) return;
  std::optional<TPaintEngineBinding> binding;
  std::optional<TDgrDrawingStateScope> engineState;
  std::optional<TDgrCanvasStyleSaver> engineStyle;
  std::optional<TCanvasToolsSaver> rasterTools;
  if (drawer) {
    binding.emplace(*drawer, engine);
    engineState.emplace(*drawer->Canvas());
    engineStyle.emplace(*drawer->Canvas());
    drawer->Canvas()->ResetTransform();
  } else {
    rasterTools.emplace(*info.Canvas);
  }
  const std::shared_ptr<const std::vector<TLinkPointMarker>> markers = LinkPointMarkers();
  if (LinkPointStyle() == ptCross && !FDiagram->HasLinkPointHandler()) {
    if (drawer) DrawCrossMarkers(*drawer->Canvas(), *this, *markers, collapseMarkersOnly);
    else DrawCrossMarkers(*info.Canvas, *this, *markers, collapseMarkersOnly);
    return;
  }
  for (const TLinkPointMarker& marker : *markers) {
    if (collapseMarkersOnly && !marker.Node) continue;
    if (FDiagram->DrawLinkPointByHandler(info.Canvas, marker.Point, marker.At)) continue;
    if (!marker.Visible) continue;
    if (drawer) DrawMarker(*drawer->Canvas(), *this, marker.Node, marker.Collapsed, marker.At);
    else DrawMarker(*info.Canvas, *this, marker.Node, marker.Collapsed, marker.At);
  }
}

// Each marker's place, node state and visibility. The link points are objects of their own,
// and a whole-diagram view asks for all of them on every pass.
std::shared_ptr<const std::vector<TDiagramControl::TLinkPointMarker>> TDiagramControl::LinkPointMarkers() {
  const std::optional<TCanvasMapping> mapping = FDiagram->CanvasMapping();
  const quint64 anchoring = LinkPointAnchoringRevision();
  const bool automaticNodes = FDiagram->AutomaticNodes();
  const auto workOut = [&] {
    std::vector<TLinkPointMarker> markers;
    markers.reserve(static_cast<size_t>(FLinkPoints->Count()));
    for (int i = 0; i < FLinkPoints->Count(); ++i) {
      TLinkPoint* point = FLinkPoints->Point(i);
      const TPoint at = RoundPoint(FDiagram->ClientToCanvas(LinkPointClientPoint(point)));
      markers.push_back({point, at, point->IsNode(), point->Visible(), point->Collapsed()});
    }
    return markers;
  };
  const bool keepable = mapping && !IsBeingRead();
  if (keepable && FMarkersMemo && FMarkersMemo->Revision == FWrittenRevision && FMarkersMemo->Anchoring == anchoring &&
      FMarkersMemo->Mapping == *mapping && FMarkersMemo->AutomaticNodes == automaticNodes) {
    CheckKeptResult(*FMarkersMemo->Markers, workOut, "link point markers");
    return FMarkersMemo->Markers;
  }
  auto markers = std::make_shared<const std::vector<TLinkPointMarker>>(workOut());
  if (keepable) FMarkersMemo = TMarkersMemo{FWrittenRevision, anchoring, *mapping, automaticNodes, markers};
  else FMarkersMemo.reset();
  return markers;
}

bool TDiagramControl::HasNodePoint() {
  if (IsLine() || !FDiagram) return false;
  const std::shared_ptr<const std::vector<TLinkPointMarker>> markers = LinkPointMarkers();
  return std::any_of(markers->begin(), markers->end(), [](const TLinkPointMarker& m) { return m.Node; });
}
