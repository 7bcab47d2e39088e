#pragma once
// The engine-neutral canvas, the per-paint engine object and the per-element drawer.
//
// Canvas drawing calls are public and non-virtual; each runs Changing, the protected
// virtual Do* of the engine, then Changed. Engines must provide filling and outlining a
// path; rectangles, ellipses, polygons and lines fall back to paths unless an engine draws
// them directly.

#include "drawing/DgrImages.h"
#include "drawing/DgrObjects.h"
#include "drawing/DgrPath.h"
#include "drawing/DgrTypes.h"
#include "geometry/DiagramUtils.h"

#include <QString>
#include <memory>
#include <span>

class QPainter;
class TCanvas;
class TFont;
class TDgrPaintEngine;

class TDgrCanvas : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(TDgrPen* Pen READ Pen WRITE SetPen)
  Q_PROPERTY(TDgrBrush* Brush READ Brush WRITE SetBrush)
public:
  // handle: the painter drawn on while no paint engine is attached (may be nullptr).
  explicit TDgrCanvas(QPainter* handle = nullptr) : FHandle(handle) {}

  virtual TDgrPen* Pen() const = 0;
  virtual TDgrBrush* Brush() const = 0;
  // Copy the settings (Assign); the canvas keeps its own objects.
  void SetPen(const TDgrPen* value) { Pen()->Assign(value); }
  void SetBrush(const TDgrBrush* value) { Brush()->Assign(value); }

  virtual QPainter* Handle() const { return FHandle; }
  virtual void SetHandle(QPainter* value) { FHandle = value; }

  // --- Shape geometry: SourceRect is mapped onto DestRect, turned by Angle about RotCenter.
  const TSquare& DestRect() const { return FDestRect; }
  const TSquare& SourceRect() const { return FSourceRect; }
  double Angle() const { return FAngle; }
  const TDot& RotCenter() const { return FRotCenter; }
  bool ValidRects() const { return FValidRects; }
  double ScaleX() const { return FScaleX; }
  double ScaleY() const { return FScaleY; }
  // Each setter re-runs UpdateRects.
  void SetDestRect(const TSquare& value);
  void SetSourceRect(const TSquare& value);
  void SetAngle(double value);
  void SetRotCenter(const TDot& value);

  // --- Drawing (fill first, then outline over it) ---
  void DrawLine(double x1, double y1, double x2, double y2);
  // Separate lines, given as pairs of ends: the same as DrawLine for each pair.
  void DrawLines(std::span<const TDot> ends);
  void Rectangle(double x1, double y1, double x2, double y2);
  void Ellipse(double x1, double y1, double x2, double y2);
  void Polygon(const TDotArray& points);
  void RoundRect(double x1, double y1, double x2, double y2, double x3, double y3);
  // StartFigure, AddRoundRect, CloseFigure on path; draws nothing.
  void AddRoundRectPath(TDgrGraphicsPath& path, double x1, double y1, double x2, double y2, double x3, double y3);
  // Fill with the brush, then outline with the pen.
  void Path(const TDgrGraphicsPath& path);
  // Outline only.
  void DrawPath(const TDgrGraphicsPath& path);
  // The whole image scaled into rect; transparency multiplies every alpha by (100 - T) / 100;
  // bitmapTransparent drops the colour of the bottom-left pixel of raster images.
  void StretchDraw(const TSquare& rect, const TGraphic* graphic, int transparency, bool bitmapTransparent);
  // Nothing for a nullptr image.
  void StretchDraw(const TSquare& rect, const TDgrImage* image, int transparency, bool bitmapTransparent);

  // --- Text. The font's face, style and size (its character height in pixels); never
  // clipped; wrapped at the rectangle's width only when wrap is set.
  virtual TSquare StringBounds(const QString& text, const TFont& font, const TSquare& rect, TDgrHAlign hAlign,
                               TVertAlign vAlign, bool wrap, bool rightToLeft) = 0;
  virtual void DrawString(const QString& text, const TFont& font, const TSquare& rect, TDgrHAlign hAlign,
                          TVertAlign vAlign, bool wrap, bool rightToLeft, int transparency) = 0;

  // --- Transform (prepend order: the new operation acts on coordinates first) and clip.
  // Integer results are status codes: 0 success.
  virtual int TranslateTransform(double dx, double dy) { return 0; }
  virtual int ScaleTransform(double sx, double sy) { return 0; }
  virtual int RotateTransform(double angle) { return 0; }
  // Turns drawing by angle degrees about center.
  int RotateTransform(double angle, const TDot& center);
  virtual int ResetTransform() { return 0; }
  virtual int SetClip(const TSquare& rect) { return 0; }
  // A platform region in device pixels; engines that cannot take one answer non-zero.
  virtual int SetClip(const QRegion& region) { return 0; }
  // Clip to the filled interior of a path region.
  virtual void ClipRegion(const TDgrRegion& region) {}
  virtual int ResetClip() { return 0; }
  // One save slot: a second save overwrites the first.
  virtual void SaveDrawingState() = 0;
  virtual void RestoreDrawingState() = 0;

  // --- Factories: new objects of this engine, owned by the caller.
  virtual std::unique_ptr<TDgrPen> CreatePen() const = 0;
  virtual std::unique_ptr<TDgrBrush> CreateBrush() const = 0;
  virtual std::unique_ptr<TDgrGraphicsPath> CreatePath() const = 0;
  virtual std::unique_ptr<TDgrGraphic> CreateGraphic() const = 0;
  virtual std::unique_ptr<TDgrPaintEngine> CreatePaintEngine(QPainter* painter, const TRect& rect) const = 0;
  std::unique_ptr<TDgrPaintEngine> CreatePaintEngine(TCanvas* canvas, const TRect& rect) const;

protected:
  virtual void Changed() {}
  virtual void Changing() {}
  virtual void DoEllipse(double x, double y, double width, double height);
  virtual void DoDrawLine(double x1, double y1, double x2, double y2);
  // Pairs of ends; the default draws each line with DoDrawLine.
  virtual void DoDrawLines(std::span<const TDot> ends);
  virtual void DoDrawPath(const TDgrGraphicsPath& path) = 0;
  virtual void DoRectangle(double x, double y, double width, double height);
  virtual void DoFillPath(const TDgrGraphicsPath& path) = 0;
  virtual void DoPolygon(const TDotArray& points);
  virtual void DoStretchDraw(const TSquare& rect, const TGraphic& graphic, int transparency,
                             bool bitmapTransparent) = 0;
  virtual void DoStretchDrawImage(const TSquare& rect, const TDgrImage& image, int transparency,
                                  bool bitmapTransparent) = 0;
  // The mapping of SourceRect onto DestRect changed (only called when both are valid).
  virtual void RectsChanged(const TSquare& source, const TSquare& dest, double scaleX, double scaleY) = 0;

private:
  void UpdateRects();
  void FillThenOutline(const TDgrGraphicsPath& path);

  QPainter* FHandle = nullptr;
  TSquare FDestRect;
  TSquare FSourceRect{0, 0, 100, 100};
  bool FValidRects = false;
  double FAngle = 0;
  TDot FRotCenter;
  double FScaleX = 1;
  double FScaleY = 1;
};

// One paint pass of an engine: the drawing surface and the view transform. Its transform
// operations compose in append order (the new operation acts after the existing ones).
class TDgrPaintEngine {
public:
  virtual ~TDgrPaintEngine() = default;

  virtual TDgrGraphicLib GraphicLib() const = 0;
  TDgrPageUnit PageUnit() const { return FPageUnit; }
  virtual void SetPageUnit(TDgrPageUnit value) { FPageUnit = value; }
  TDgrSmoothMode SmoothMode() const { return FSmoothMode; }
  virtual void SetSmoothMode(TDgrSmoothMode value) { FSmoothMode = value; }
  TDgrTextRenderingMode TextRenderingMode() const { return FTextRenderingMode; }
  virtual void SetTextRenderingMode(TDgrTextRenderingMode value) { FTextRenderingMode = value; }

  virtual void BeginDraw() {}
  virtual void EndDraw() {}
  // Whether each drawing lands on the painter's device as it is made, so that other
  // painting through the same painter may come between two elements (an engine that
  // gathers its drawing and hands it over at EndDraw answers false).
  virtual bool DrawsInPlace() const { return false; }
  virtual int ResetTransform() = 0;
  virtual int RotateTransform(double angle) = 0;
  virtual int ScaleTransform(double sx, double sy) = 0;
  virtual int TranslateTransform(double dx, double dy) = 0;

private:
  TDgrSmoothMode FSmoothMode = smAntiAlias;
  TDgrTextRenderingMode FTextRenderingMode = tmAntiAlias;
  TDgrPageUnit FPageUnit = dpuPixel;
};

// The drawer of one element: owns a canvas of its engine and maps the element's own
// coordinate space (SourceRect) onto its place in the diagram (DestRect), turned by Angle
// degrees about RotationCenter.
class TDgrBlockDrawer {
public:
  virtual ~TDgrBlockDrawer() = default;

  virtual TDgrGraphicLib GraphicLib() const = 0;
  virtual TDgrCanvas* Canvas() const = 0;
  // The engine of the paint in progress; nullptr detaches (the canvas then draws on its
  // own handle, if any).
  virtual void SetPaintEngine(TDgrPaintEngine* engine) = 0;
  void SetDeviceContext(QPainter* handle) { Canvas()->SetHandle(handle); }

  const TSquare& SourceRect() const { return Canvas()->SourceRect(); }
  void SetSourceRect(const TSquare& value) { Canvas()->SetSourceRect(value); }
  const TSquare& DestRect() const { return Canvas()->DestRect(); }
  void SetDestRect(const TSquare& value) { Canvas()->SetDestRect(value); }
  double Angle() const { return Canvas()->Angle(); }
  void SetAngle(double value) { Canvas()->SetAngle(value); }
  const TDot& RotationCenter() const { return Canvas()->RotCenter(); }
  void SetRotationCenter(const TDot& value) { Canvas()->SetRotCenter(value); }

  // Maps every point from SourceRect onto DestRect.
  virtual void TranslateRectsPath(TDgrGraphicsPath& path) const {}
  // Turns every point about RotationCenter; nothing when Angle is 0.
  void RotatePath(TDgrGraphicsPath& path) const {
    if (Angle() != 0) DoRotatePath(path);
  }
  // Maps, then turns.
  void TransformPath(TDgrGraphicsPath& path) const {
    TranslateRectsPath(path);
    RotatePath(path);
  }

  std::unique_ptr<TDgrPen> CreatePen() const { return Canvas()->CreatePen(); }
  std::unique_ptr<TDgrBrush> CreateBrush() const { return Canvas()->CreateBrush(); }
  std::unique_ptr<TDgrGraphicsPath> CreatePath() const { return Canvas()->CreatePath(); }
  std::unique_ptr<TDgrGraphic> CreateGraphic() const { return Canvas()->CreateGraphic(); }
  std::unique_ptr<TDgrPaintEngine> CreatePaintEngine(QPainter* painter, const TRect& rect) const {
    return Canvas()->CreatePaintEngine(painter, rect);
  }

protected:
  virtual void DoRotatePath(TDgrGraphicsPath& path) const = 0;
};
