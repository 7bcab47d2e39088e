#pragma once
// The default path engine (dglGDIPlus), drawing with QPainter with antialiasing.
//
// Each class wraps the Qt object that plays its native role: the pen a QPen, the brush a
// QBrush (or the pieces of a rectangular path gradient), the path a QPainterPath, images a
// QImage, and the graphics context a TGPGraphics over the paint's QPainter. Native objects
// are built on first use and dropped on every change.
//
// Particulars:
// - pens thinner than one device pixel draw one pixel wide; dash patterns are 3-1 (dash),
//   1-1 (dot), 3-1-1-1 and 3-1-1-1-1-1, in pen widths, with flat caps and mitred joins;
// - hatches are 8 x 8 pixel patterns on the device grid with a background colour of their
//   own (invisible when taken from a platform brush);
// - clips to platform regions are pixel-exact; path clips are smoothed with the shapes.

#include "drawing/DgrClasses.h"
#include "drawing/GPGraphics.h"

#include <QImage>
#include <QPainterPath>
#include <QPen>
#include <memory>
#include <optional>

namespace GdipEnums {
Q_NAMESPACE
enum TGdipDashStyle { gdsSolid, gdsDash, gdsDot, gdsDashDot, gdsDashDotDot };
Q_ENUM_NS(TGdipDashStyle)
enum TGdipHatchStyle { ghsHorizontal, ghsVertical, ghsForwardDiagonal, ghsBackwardDiagonal, ghsCross, ghsDiagonalCross };
Q_ENUM_NS(TGdipHatchStyle)
}  // namespace GdipEnums
using GdipEnums::TGdipDashStyle;
using enum GdipEnums::TGdipDashStyle;
using GdipEnums::TGdipHatchStyle;
using enum GdipEnums::TGdipHatchStyle;

class TGdipPen : public TDgrPen {
  Q_OBJECT
  Q_PROPERTY(GdipEnums::TGdipDashStyle DashStyle READ DashStyle WRITE SetDashStyle)
public:
  TGdipDashStyle DashStyle() const { return FDashStyle; }
  void SetDashStyle(TGdipDashStyle value) { SetField(FDashStyle, value); }
  // The native pen, built on demand.
  const QPen& GPPen() const;

  // Also copies the dash style of another engine pen.
  void Assign(const TPersistent* source) override;

protected:
  void Changed() override;
  // Dash pattern from the style; psClear hides the pen (Transparency 100).
  void AssignPlatformStyle(TPenStyle style) override;

private:
  mutable std::optional<QPen> FGPPen;
  TGdipDashStyle FDashStyle = gdsSolid;
};

class TGdipBrush : public TDgrBrush {
  Q_OBJECT
  Q_PROPERTY(GdipEnums::TGdipHatchStyle HatchStyle READ HatchStyle WRITE SetHatchStyle)
public:
  TGdipHatchStyle HatchStyle() const { return FHatchStyle; }
  void SetHatchStyle(TGdipHatchStyle value) { SetField(FHatchStyle, value); }
  // The native brush, built on demand.
  const TGPNativeBrush& GPBrush() const;
  // The gradient and texture rectangle and their rotation (set by UpdateBrushPosition).
  const QRectF& GradientRect() const { return FGradientRect; }
  const QTransform& RotMatrix() const { return FRotMatrix; }

  // Also copies the hatch style of another engine brush.
  void Assign(const TPersistent* source) override;

protected:
  void Changed() override;
  std::unique_ptr<TDgrPicture> CreateTexture() const override;
  void DoUpdateBrushPosition(const TSquare& rect, double angle, const TDot& center) override;
  void AssignPlatformStyle(TBrushStyle style) override;

private:
  struct TPathGradientTexture {
    QRgb Center = 0;
    QRgb Surround = 0;
    QImage Image;
  };
  TGPNativeBrush BuildBrush() const;
  TGPNativeBrush GradientBrush(const QColor& color1, const QColor& color2) const;
  QBrush RectangularGradient(const QColor& center, const QColor& surround, const QRectF& rect,
                             const QTransform& unitToWorld) const;

  mutable std::optional<TGPNativeBrush> FGPBrush;
  mutable TPathGradientTexture FPathGradientTexture;
  QRectF FGradientRect;
  TGdipHatchStyle FHatchStyle = ghsHorizontal;
  QTransform FRotMatrix;
};

class TGdipGraphicsPath : public TDgrGraphicsPath {
public:
  TGdipGraphicsPath();

  int AddArc(double x, double y, double width, double height, double startAngle, double sweepAngle) override;
  int AddBezier(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) override;
  int AddEllipse(double x, double y, double width, double height) override;
  int AddLine(double x1, double y1, double x2, double y2) override;
  int AddLines(const TDotArray& points) override;
  int AddPolygon(const TDotArray& points) override;
  int AddRectangle(const TSquare& rect) override;
  int AddRoundRect(double x1, double y1, double x2, double y2, double x3, double y3) override;
  int CloseFigure(bool closePath = true) override;
  std::unique_ptr<TDgrRegion> CreateRegion() const override;
  int GetPointCount() const override;
  bool IsVisible(double x, double y) const override;
  int Reset() override;
  int SetFillMode(TFillMode fillMode) override;
  int StartFigure() override;

  const QPainterPath& GPPath() const { return FGPPath; }
  // Replaces every point p by transform(p).
  void Transform(const QTransform& transform);

private:
  // Joins (x, y) to the current figure, or starts a figure there.
  void ContinueAt(double x, double y);

  QPainterPath FGPPath;
  bool FFigureOpen = false;
};

class TGdipRegion : public TDgrRegion {
public:
  explicit TGdipRegion(const QPainterPath& path) : FGPRegion(path) {}
  std::optional<QRegion> GetHRGN(const TDgrCanvas& canvas) const override;
  bool IsVisible(const TSquare& rect) const override;
  const QPainterPath& GPRegion() const { return FGPRegion; }

private:
  QPainterPath FGPRegion;
};

class TGdipImage : public TDgrImage {
public:
  TGdipImage() = default;
  explicit TGdipImage(QImage image) : FGPImage(std::move(image)) {}
  const QImage& GPImage() const { return FGPImage; }

private:
  QImage FGPImage;
};

// An image file's bytes, decoded by Qt's image readers on first use.
class TGdipGraphic : public TDgrGraphic {
  Q_OBJECT
public:
  explicit TGdipGraphic(QObject* parent = nullptr) : TDgrGraphic(parent) {}
  std::unique_ptr<TGraphic> NewEmpty() const override { return std::make_unique<TGdipGraphic>(); }
  // The decoded image as 32-bit premultiplied ARGB; null when empty or undecodable.
  const QImage& DecodedImage() const;

protected:
  void Changed() override;
  bool ReadImageSizes() override;
  void DrawInRect(TCanvas& canvas, const TRect& rect) const override;

private:
  mutable QImage FGPImage;
  mutable bool FDecoded = false;
};

// A brush texture: the decoded image of its graphic, kept until the picture changes.
class TGdipPicture : public TDgrPicture {
  Q_OBJECT
public:
  explicit TGdipPicture(QObject* parent = nullptr) : TDgrPicture(parent) {}
  // Premultiplied ARGB with the picture's transparency applied; null when empty.
  const QImage& GPImage() const;

protected:
  void PictureChanged() override;

private:
  mutable QImage FGPImage;
  mutable bool FDecoded = false;
};

// Decodes an image for drawing: any graphic this engine can read, as premultiplied ARGB.
QImage DecodeGraphicImage(const TGraphic& graphic);

class TGdipPaintEngine;
struct TGPTextCache;

class TGPCanvas : public TDgrCanvas {
  Q_OBJECT
public:
  // Draws on handle (may be nullptr: nothing is drawn until a paint engine is attached).
  explicit TGPCanvas(QPainter* handle = nullptr);
  ~TGPCanvas() override;

  TDgrPen* Pen() const override { return FPen.get(); }
  TDgrBrush* Brush() const override { return FBrush.get(); }
  TGdipPen* GdipPen() const { return FPen.get(); }
  TGdipBrush* GdipBrush() const { return FBrush.get(); }
  void SetHandle(QPainter* value) override;

  // The context drawn on: the attached paint engine's, else the canvas's own (nullptr
  // without a handle).
  TGPGraphics* GPGraphics() const;
  // Attaches the graphics context of a paint (shared with the engine, which owns it).
  void SetGraphics(const std::shared_ptr<TGPGraphics>& graphics) { FTempGraphics = graphics; }
  // The source-to-destination mapping of the current shape.
  const QTransform& TransMatrix() const { return FTransMatrix; }
  // How many text layouts the canvas has made (cached layouts are reused).
  size_t TextLayoutCount() const;

  TSquare StringBounds(const QString& text, const TFont& font, const TSquare& rect, TDgrHAlign hAlign,
                       TVertAlign vAlign, bool wrap, bool rightToLeft) override;
  void DrawString(const QString& text, const TFont& font, const TSquare& rect, TDgrHAlign hAlign, TVertAlign vAlign,
                  bool wrap, bool rightToLeft, int transparency) override;

  using TDgrCanvas::RotateTransform;
  using TDgrCanvas::SetClip;
  int TranslateTransform(double dx, double dy) override;
  int ScaleTransform(double sx, double sy) override;
  int RotateTransform(double angle) override;
  int ResetTransform() override;
  int SetClip(const TSquare& rect) override;
  int SetClip(const QRegion& region) override;
  void ClipRegion(const TDgrRegion& region) override;
  int ResetClip() override;
  void SaveDrawingState() override;
  void RestoreDrawingState() override;

  std::unique_ptr<TDgrPen> CreatePen() const override;
  std::unique_ptr<TDgrBrush> CreateBrush() const override;
  std::unique_ptr<TDgrGraphicsPath> CreatePath() const override;
  std::unique_ptr<TDgrGraphic> CreateGraphic() const override;
  using TDgrCanvas::CreatePaintEngine;
  std::unique_ptr<TDgrPaintEngine> CreatePaintEngine(QPainter* painter, const TRect& rect) const override;

protected:
  void DoEllipse(double x, double y, double width, double height) override;
  void DoDrawLine(double x1, double y1, double x2, double y2) override;
  void DoDrawLines(std::span<const TDot> ends) override;
  void DoDrawPath(const TDgrGraphicsPath& path) override;
  void DoRectangle(double x, double y, double width, double height) override;
  void DoFillPath(const TDgrGraphicsPath& path) override;
  void DoPolygon(const TDotArray& points) override;
  void DoStretchDraw(const TSquare& rect, const TGraphic& graphic, int transparency, bool bitmapTransparent) override;
  void DoStretchDrawImage(const TSquare& rect, const TDgrImage& image, int transparency,
                          bool bitmapTransparent) override;
  void RectsChanged(const TSquare& source, const TSquare& dest, double scaleX, double scaleY) override;

private:
  void FillAndStroke(const QPainterPath& path);
  void DrawImageInRect(const TSquare& rect, const QImage& image, int transparency, bool bitmapTransparent);

  std::unique_ptr<TGdipBrush> FBrush;
  std::shared_ptr<TGPGraphics> FInternalGraphics;
  std::unique_ptr<TGdipPen> FPen;
  std::weak_ptr<TGPGraphics> FTempGraphics;
  QTransform FTransMatrix;
  unsigned FDrawingState = 0;
  std::unique_ptr<TGPTextCache> FTextCache;
};

class TGdipPaintEngine : public TDgrPaintEngine {
public:
  // Draws through painter (active for the engine's lifetime); rect is not used.
  TGdipPaintEngine(QPainter* painter, const TRect& rect);
  TGdipPaintEngine(TCanvas* canvas, const TRect& rect);

  TDgrGraphicLib GraphicLib() const override { return dglGDIPlus; }
  bool DrawsInPlace() const override { return true; }
  void SetPageUnit(TDgrPageUnit value) override;
  void SetSmoothMode(TDgrSmoothMode value) override;
  void SetTextRenderingMode(TDgrTextRenderingMode value) override;
  int ResetTransform() override;
  int RotateTransform(double angle) override;
  int ScaleTransform(double sx, double sy) override;
  int TranslateTransform(double dx, double dy) override;

  TGPGraphics* GPGraphics() const { return FGPGraphics.get(); }
  const std::shared_ptr<TGPGraphics>& SharedGraphics() const { return FGPGraphics; }

private:
  std::shared_ptr<TGPGraphics> FGPGraphics;
};

class TGPBlockDrawer : public TDgrBlockDrawer {
public:
  TGPBlockDrawer();

  TDgrGraphicLib GraphicLib() const override { return dglGDIPlus; }
  TDgrCanvas* Canvas() const override { return FGPCanvas.get(); }
  TGPCanvas* GPCanvas() const { return FGPCanvas.get(); }
  // Attaches the canvas to a TGdipPaintEngine's context; any other engine or nullptr detaches.
  void SetPaintEngine(TDgrPaintEngine* engine) override;
  void TranslateRectsPath(TDgrGraphicsPath& path) const override;

protected:
  void DoRotatePath(TDgrGraphicsPath& path) const override;

private:
  std::unique_ptr<TGPCanvas> FGPCanvas;
};

// Registers the dglGDIPlus drawer and paint engine makers.
void RegisterGdipEngine();
