#pragma once
// The raster canvas: GDI-style drawing on a QPainter.
//
// Coordinates are integer pixels. Rectangles exclude their right and bottom edge:
// Rectangle(0, 0, 10, 10) covers pixels 0..9 in both directions. A line drawn with LineTo or
// Polyline leaves out its last pixel, so joined segments touch every pixel once (which keeps
// inverting feedback exact). Shapes are not anti-aliased; text is.
//
// Font size and resolution. Fonts are given by Height in pixels (negative: character height;
// positive: cell height) or by Size in points. A point size is converted with the logical
// resolution of the device the canvas is bound to: binding sets the canvas font's
// PixelsPerInch to the device's logical DPI, so Font()->SetSize(10) is 13 pixels on a
// 96-dpi screen and 83 pixels on a 600-dpi printer. Heights given in pixels are drawn as
// pixels on every device. Images that we create for drawing (caches, exports, memory
// bitmaps) get the screen's resolution as their dots per metre (NewScreenImage), so text
// drawn into them matches the screen (96 dpi when there is no screen, e.g. offscreen).
//
// State. The canvas owns its font, pen and brush; callers assign into them. Their settings
// reach the QPainter lazily, before the next drawing call that needs them, and only when
// they changed since they were last applied. The background mode (transparent by default)
// decides whether hatch gaps, the gaps of styled thin lines and the cell behind text are
// filled with the background colour. Pen modes other than pmCopy mix pen and brush with the
// pixels already there (QPainter raster operations; exact on image targets).
//
// Clip regions and world transforms are relative to the painter's state at binding time:
// a region selected as clip is given in the canvas's untransformed coordinates and is
// intersected with any clip the painter already had; the world transform is applied on
// top of the painter's own transform. SaveState/RestoreState (or TCanvasStateSaver)
// bring both back, also when an exception passes through.

#include "geometry/RasterTarget.h"
#include "platform/Graphics.h"

#include <QBrush>
#include <QImage>
#include <QFont>
#include <QPen>
#include <QRegion>
#include <QTransform>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class QPainter;
class QPaintDevice;
class QPainterPath;
class QPolygon;
class QRect;
class QRectF;
class TGraphic;

// A copy of image (as ARGB32) whose pixels of the key colour are fully transparent.
QImage WithTransparentColor(const QImage& image, TColor keyColor);

// An image whose dots per metre match the screen resolution.
QImage NewScreenImage(int width, int height, QImage::Format format);
void SetScreenResolution(QImage& image);

enum class TBkMode { Transparent, Opaque };

// How CopyRect combines source pixels with the destination.
enum TCopyMode { cmSrcCopy, cmSrcInvert, cmSrcAnd, cmSrcPaint, cmNotSrcCopy, cmDstInvert, cmBlackness, cmWhiteness };

// Flags of DrawText.
enum TTextFormatFlag : unsigned {
  tfLeft = 0x0, tfCenter = 0x1, tfRight = 0x2,
  tfTop = 0x0, tfVerticalCenter = 0x4, tfBottom = 0x8,
  tfWordBreak = 0x10, tfSingleLine = 0x20, tfNoClip = 0x100, tfCalcRect = 0x400, tfEndEllipsis = 0x8000,
};
using TTextFormat = unsigned;

// A set of pixels: rectangles, ellipses and polygons combined. Pixel semantics follow the
// canvas: a rectangle region excludes its right and bottom edge.
class TRegion {
public:
  TRegion() = default;
  static TRegion FromRect(const TRect& rect);
  static TRegion FromEllipse(const TRect& rect);
  // alternate: odd-even fill; otherwise non-zero winding.
  static TRegion FromPolygon(const TPointArray& points, bool alternate = true);
  static TRegion FromQRegion(const QRegion& region);

  bool IsEmpty() const { return FRegion.isEmpty(); }
  bool Contains(int x, int y) const;
  bool Contains(const TPoint& point) const { return Contains(point.X, point.Y); }
  TRect BoundingRect() const;
  TRegion Intersected(const TRegion& other) const;
  TRegion United(const TRegion& other) const;
  TRegion Subtracted(const TRegion& other) const;
  TRegion Xored(const TRegion& other) const;
  void Offset(int dx, int dy);
  const QRegion& ToQRegion() const { return FRegion; }
  friend bool operator==(const TRegion& a, const TRegion& b) { return a.FRegion == b.FRegion; }

private:
  explicit TRegion(QRegion region) : FRegion(std::move(region)) {}
  QRegion FRegion;
};

struct TStampKey;

class TCanvas : public TPersistent, public IRasterTarget {
  Q_OBJECT
public:
  TCanvas();
  // Creates its own QPainter on device.
  explicit TCanvas(QPaintDevice* device);
  // Draws through a painter that someone else owns and keeps active.
  explicit TCanvas(QPainter* painter);
  ~TCanvas() override;

  // Binding. Bind(device) begins a painter of its own (raises EInvalidOperation when the
  // device cannot be painted); Bind(painter) borrows an active painter, which must outlive
  // the binding. Unbind ends the own painter or gives the borrowed one back in the state it
  // was lent in. The canvas keeps its font, pen, brush, background, clip, world transform
  // and pen position across bindings and applies them to each new painter.
  void Bind(QPaintDevice* device);
  void Bind(QPainter* painter);
  void Unbind();
  bool HandleAllocated() const { return FPainter != nullptr; }
  // The painter, created on demand (see CreateHandle). Raises EInvalidOperation
  // ("Canvas does not allow drawing") when there is none. Whoever changes the painter's
  // clip, transform or modes directly restores them before the canvas draws again.
  QPainter* Handle();
  // The image the canvas draws on, when its device is a QImage.
  QImage* ImageDevice();
  // Logical dots per inch of the bound device (the screen's when unbound).
  int PixelsPerInch() const;

  TFont* Font() const { return FFont.get(); }
  TPen* Pen() const { return FPen.get(); }
  TBrush* Brush() const { return FBrush.get(); }
  void SetFont(const TFont* font) { FFont->Assign(font); }
  void SetPen(const TPen* pen) { FPen->Assign(pen); }
  void SetBrush(const TBrush* brush) { FBrush->Assign(brush); }

  TBkMode BkMode() const { return FBkMode; }
  void SetBkMode(TBkMode mode);
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor color);
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode mode) { FCopyMode = mode; }

  TPoint PenPos() const;
  void SetPenPos(const TPoint& pos);

  // Shapes: filled with the brush, outlined with the pen.
  void Rectangle(int x1, int y1, int x2, int y2) override;
  void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
  void Ellipse(int x1, int y1, int x2, int y2) override;
  void Ellipse(const TRect& rect) { Ellipse(rect.Left, rect.Top, rect.Right, rect.Bottom); }
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) override;
  void Polygon(const TPointArray& points) override;
  // Whether shapes drawn now would leave the pixels as they are: no pen and no brush.
  bool ShapesShowNothing();
  // Lines: the last pixel is left out.
  void Polyline(const TPointArray& points) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  // Separate lines, given as pairs of ends: each is drawn as MoveTo(first) then
  // LineTo(second), and the pen ends at the last second end. Thin lines on an image are all
  // written with one setup.
  void LineSegments(std::span<const TPoint> ends);
  // Elliptic arc of the ellipse bounded by (x1, y1, x2, y2), counter-clockwise from the
  // radial through (x3, y3) to the radial through (x4, y4); a full ellipse when they coincide.
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  // Brush-only operations (the pen mode does not apply).
  void FillRect(const TRect& rect);
  void FrameRect(const TRect& rect);
  void FillRegion(const TRegion& region);
  // A dotted rectangle that inverts the pixels under it: drawing it twice removes it.
  void DrawFocusRect(const TRect& rect);

  // Text in the font's colour with its top-left corner at (x, y), turned by the font's
  // Orientation about that point.
  void TextOut(int x, int y, const QString& text);
  // Text at (x, y) clipped to rect; with an opaque background the rect is filled first.
  void TextRect(const TRect& rect, int x, int y, const QString& text);
  // Formatted text in rect. With tfCalcRect nothing is drawn and rect receives the bounds
  // the text needs (its width kept when tfWordBreak is given). Answers the text height.
  int DrawText(const QString& text, TRect& rect, TTextFormat format);
  TPoint TextExtent(const QString& text);
  int TextWidth(const QString& text) { return TextExtent(text).X; }
  int TextHeight(const QString& text) { return TextExtent(text).Y; }

  // Clipping. SelectClipRegion(nullptr) removes the clip that the canvas added.
  void SelectClipRegion(const TRegion* region);
  void IntersectClipRect(const TRect& rect);
  // The clip the canvas added; nullopt when none.
  const std::optional<TRegion>& ClipRegion() const { return FClip; }
  // Whether drawing at (x, y) can reach the device through the canvas's clip.
  bool PtVisible(int x, int y) const;

  // World transform, applied before the painter's own transform.
  void SetWorldTransform(const QTransform& transform);
  const QTransform& WorldTransform() const { return FWorld; }
  // Rotation by angle degrees (clockwise on screen) about center.
  void RotateAbout(double angle, const TDot& center);
  void ResetWorldTransform() { SetWorldTransform(QTransform()); }

  // Saved state: clip, world transform, background mode and colour, pen position.
  struct TState {
    std::optional<TRegion> Clip;
    QTransform World;
    TBkMode BkMode = TBkMode::Transparent;
    TColor BkColor = clWhite;
    TPoint PenPos;
  };
  TState SaveState() const;
  void RestoreState(const TState& state);

  // Pictures.
  void StretchDraw(const TRect& rect, const TGraphic* graphic);
  void Draw(int x, int y, const TGraphic* graphic);
  // Copies source pixels (source must be bound to an image) with the copy mode.
  void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);
  // Draws part of an image scaled into dest (nearest pixel); a negative width or height
  // of dest mirrors. Pixels of keyColor are left out when it is given.
  void DrawImage(const TRect& dest, const QImage& image, const TRect& sourceRect,
                 std::optional<TColor> keyColor = std::nullopt);

  // Pixel access; reading needs an image device (answers clNone otherwise or outside).
  TColor Pixel(int x, int y);
  void SetPixel(int x, int y, TColor color);

  // Grows with every drawing call (lets owners of the pixels notice changes).
  uint64_t ChangeCount() const { return FChangeCount; }

protected:
  // Called when a drawing call finds no painter; may bind one. The default does nothing.
  virtual void CreateHandle() {}

private:
  QPainter* BeginDraw();
  void InitialiseState();
  void RequirePen();
  void RequireBrush();
  void RequireFont();
  void RequireShapeState();
  void ApplyClip();
  void ApplyWorldTransform();
  bool ThinPen() const;
  bool UsesPixelLines() const;
  QRect PixelBounds() const;
  QRectF OutlineRect(const TRect& rect) const;
  void StrokePixelFigure(const TPointArray& points, bool closed);
  // Writes the figures (each figureSize points of points, the last one maybe fewer) one after
  // the other, as separate WritePixelFigure calls would; false when the painter does not
  // allow writing pixels directly.
  bool WritePixelFigures(std::span<const TPoint> points, size_t figureSize, bool closed);
  bool WritePixelFigure(const TPointArray& points, bool closed) {
    return WritePixelFigures(points, points.size(), closed);
  }
  // Fills (or with outline, outlines) a small shape by copying its stamp; false when it must
  // be painted as usual. path gives the shape as the usual route paints it; bounds are the
  // pixels it may touch.
  bool StampShape(const TStampKey& key, const TRect& bounds, bool outline, const std::function<QPainterPath()>& path);
  // Fills r in a solid brush straight into the image; false when the painter must do it.
  bool WriteSolidRect(const TRect& r);
  void PlotPixels(const QPolygon& on, const QPolygon& off);
  void StrokePath(const QPainterPath& path, bool closed);
  void FillPath(const QPainterPath& path);
  void PaintText(int x, int y, const QString& text, const TRect* clip);

  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<QPainter> FOwnPainter;
  QPainter* FPainter = nullptr;
  QTransform FBaseTransform;
  std::optional<QRegion> FBaseClip;
  std::optional<TRegion> FClip;
  QTransform FWorld;
  TBkMode FBkMode = TBkMode::Transparent;
  TColor FBkColor = clWhite;
  TCopyMode FCopyMode = cmSrcCopy;
  // TextOut moves the pen past its text; the width is measured only when the pen position
  // is asked for (most text is drawn without anyone asking).
  struct TPendingAdvance {
    QString Text;
    QFont Font;
  };
  mutable TPoint FPenPos;
  mutable std::optional<TPendingAdvance> FPendingAdvance;
  // What the pen and brush last became, and the revisions they were built from.
  QPen FQPen;
  QBrush FQBrush;
  std::vector<int> FPenPattern;
  uint64_t FAppliedPen = UINT64_MAX;
  uint64_t FAppliedBrush = UINT64_MAX;
  std::optional<TPen::TSettings> FAppliedPenSettings;
  std::optional<TBrush::TSettings> FAppliedBrushSettings;
  uint64_t FAppliedFont = UINT64_MAX;
  uint64_t FChangeCount = 0;
};

// Restores the canvas state saved at construction when it goes out of scope.
class TCanvasStateSaver {
public:
  explicit TCanvasStateSaver(TCanvas& canvas) : FCanvas(canvas), FState(canvas.SaveState()) {}
  ~TCanvasStateSaver() { FCanvas.RestoreState(FState); }
  TCanvasStateSaver(const TCanvasStateSaver&) = delete;
  TCanvasStateSaver& operator=(const TCanvasStateSaver&) = delete;

private:
  TCanvas& FCanvas;
  TCanvas::TState FState;
};

// Saves the whole QPainter state and restores it when it goes out of scope.
class TPainterSaver {
public:
  explicit TPainterSaver(QPainter* painter);
  ~TPainterSaver();
  TPainterSaver(const TPainterSaver&) = delete;
  TPainterSaver& operator=(const TPainterSaver&) = delete;

private:
  QPainter* FPainter;
};
