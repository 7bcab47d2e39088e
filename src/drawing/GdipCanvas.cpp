#include "drawing/GdipClasses.h"
#include "drawing/GdipText.h"

#include "platform/Canvas.h"

#include <QPainter>
#include <QVarLengthArray>
#include <cmath>

namespace {

// Status of an operation that has no graphics context to act on.
constexpr int NoGraphics = 1;

const TGdipGraphicsPath* AsGdipPath(const TDgrGraphicsPath& path) {
  return dynamic_cast<const TGdipGraphicsPath*>(&path);
}

// The pixels of the bottom-left pixel's colour made fully transparent.
QImage ColorKeyed(const QImage& image) {
  QImage keyed = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const QRgb key = keyed.pixel(0, keyed.height() - 1);
  for (int y = 0; y < keyed.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
    for (int x = 0; x < keyed.width(); ++x)
      if (line[x] == key) line[x] = 0;
  }
  return keyed;
}

QRectF ToRectF(const TSquare& rect) { return QRectF(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top); }

}  // namespace

// ---------------------------------------------------------------------------------- TGPCanvas

TGPCanvas::TGPCanvas(QPainter* handle)
    : TDgrCanvas(handle),
      FBrush(std::make_unique<TGdipBrush>()),
      FPen(std::make_unique<TGdipPen>()),
      FTextCache(std::make_unique<TGPTextCache>()) {
  if (handle) FInternalGraphics = std::make_shared<TGPGraphics>(handle);
}

TGPCanvas::~TGPCanvas() = default;

void TGPCanvas::SetHandle(QPainter* value) {
  if (value == Handle()) return;
  TDgrCanvas::SetHandle(value);
  FInternalGraphics = value ? std::make_shared<TGPGraphics>(value) : nullptr;
}

TGPGraphics* TGPCanvas::GPGraphics() const {
  if (const std::shared_ptr<TGPGraphics> attached = FTempGraphics.lock()) return attached.get();
  return FInternalGraphics.get();
}

// --- Primitives ---------------------------------------------------------------------------

void TGPCanvas::FillAndStroke(const QPainterPath& path) {
  TGPGraphics* graphics = GPGraphics();
  if (!graphics) return;
  graphics->FillPath(path, FBrush->GPBrush());
  graphics->StrokePath(path, FPen->GPPen());
}

void TGPCanvas::DoFillPath(const TDgrGraphicsPath& path) {
  TGPGraphics* graphics = GPGraphics();
  const TGdipGraphicsPath* gdipPath = AsGdipPath(path);
  if (graphics && gdipPath) graphics->FillPath(gdipPath->GPPath(), FBrush->GPBrush());
}

void TGPCanvas::DoDrawPath(const TDgrGraphicsPath& path) {
  TGPGraphics* graphics = GPGraphics();
  const TGdipGraphicsPath* gdipPath = AsGdipPath(path);
  if (graphics && gdipPath) graphics->StrokePath(gdipPath->GPPath(), FPen->GPPen());
}

void TGPCanvas::DoRectangle(double x, double y, double width, double height) {
  QPainterPath path;
  path.addRect(QRectF(x, y, width, height));
  FillAndStroke(path);
}

void TGPCanvas::DoEllipse(double x, double y, double width, double height) {
  QPainterPath path;
  path.addEllipse(QRectF(x, y, width, height));
  FillAndStroke(path);
}

void TGPCanvas::DoPolygon(const TDotArray& points) {
  if (points.empty()) return;
  QPolygonF polygon;
  polygon.reserve(static_cast<qsizetype>(points.size()));
  for (const TDot& p : points) polygon << QPointF(p.X, p.Y);
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  path.addPolygon(polygon);
  path.closeSubpath();
  FillAndStroke(path);
}

void TGPCanvas::DoDrawLine(double x1, double y1, double x2, double y2) {
  TGPGraphics* graphics = GPGraphics();
  if (!graphics) return;
  graphics->StrokeLine(QLineF(x1, y1, x2, y2), FPen->GPPen());
}

void TGPCanvas::DoDrawLines(std::span<const TDot> ends) {
  TGPGraphics* graphics = GPGraphics();
  if (!graphics) return;
  QVarLengthArray<QLineF, 16> lines;
  for (size_t i = 0; i + 1 < ends.size(); i += 2)
    lines.append(QLineF(ends[i].X, ends[i].Y, ends[i + 1].X, ends[i + 1].Y));
  graphics->StrokeLines(lines, FPen->GPPen());
}

// --- Images -------------------------------------------------------------------------------

void TGPCanvas::DrawImageInRect(const TSquare& rect, const QImage& image, int transparency, bool bitmapTransparent) {
  TGPGraphics* graphics = GPGraphics();
  if (!graphics || image.isNull() || !IsFinite(rect)) return;
  const double opacity = (100 - ClampTransparency(transparency)) / 100.0;
  graphics->DrawImage(ToRectF(rect), bitmapTransparent ? ColorKeyed(image) : image, opacity);
}

void TGPCanvas::DoStretchDraw(const TSquare& rect, const TGraphic& graphic, int transparency,
                              bool bitmapTransparent) {
  TGPGraphics* graphics = GPGraphics();
  if (!graphics || graphic.Empty() || !IsFinite(rect)) return;
  const QImage image = DecodeGraphicImage(graphic);
  if (!image.isNull()) {
    DrawImageInRect(rect, image, transparency, bitmapTransparent);
    return;
  }
  // Not a raster image (a metafile): the graphic draws itself under the engine's transform.
  graphics->Paint([&](QPainter& painter) {
    TCanvas canvas(&painter);
    graphic.Draw(canvas, SquareToRect(rect));
  });
}

void TGPCanvas::DoStretchDrawImage(const TSquare& rect, const TDgrImage& image, int transparency,
                                   bool bitmapTransparent) {
  if (const auto* gdipImage = dynamic_cast<const TGdipImage*>(&image))
    DrawImageInRect(rect, gdipImage->GPImage(), transparency, bitmapTransparent);
}

// --- Shape mapping ------------------------------------------------------------------------

void TGPCanvas::RectsChanged(const TSquare& source, const TSquare& dest, double scaleX, double scaleY) {
  const QPointF sourceCenter((source.Left + source.Right) / 2, (source.Top + source.Bottom) / 2);
  const QPointF destCenter((dest.Left + dest.Right) / 2, (dest.Top + dest.Bottom) / 2);
  FTransMatrix = QTransform::fromTranslate(-sourceCenter.x(), -sourceCenter.y()) *
                 QTransform::fromScale(scaleX, scaleY) * QTransform::fromTranslate(destCenter.x(), destCenter.y());
}

// --- Transform, clip, state ---------------------------------------------------------------

int TGPCanvas::TranslateTransform(double dx, double dy) {
  TGPGraphics* graphics = GPGraphics();
  return graphics ? graphics->TranslateTransform(dx, dy, TGPGraphics::moPrepend) : NoGraphics;
}

int TGPCanvas::ScaleTransform(double sx, double sy) {
  TGPGraphics* graphics = GPGraphics();
  return graphics ? graphics->ScaleTransform(sx, sy, TGPGraphics::moPrepend) : NoGraphics;
}

int TGPCanvas::RotateTransform(double angle) {
  TGPGraphics* graphics = GPGraphics();
  return graphics ? graphics->RotateTransform(angle, TGPGraphics::moPrepend) : NoGraphics;
}

int TGPCanvas::ResetTransform() {
  TGPGraphics* graphics = GPGraphics();
  return graphics ? graphics->ResetTransform() : NoGraphics;
}

int TGPCanvas::SetClip(const TSquare& rect) {
  TGPGraphics* graphics = GPGraphics();
  if (!graphics) return NoGraphics;
  graphics->SetClipRect(ToRectF(rect));
  return 0;
}

int TGPCanvas::SetClip(const QRegion& region) {
  TGPGraphics* graphics = GPGraphics();
  if (!graphics) return NoGraphics;
  graphics->SetClipRegion(region);
  return 0;
}

void TGPCanvas::ClipRegion(const TDgrRegion& region) {
  TGPGraphics* graphics = GPGraphics();
  const auto* gdipRegion = dynamic_cast<const TGdipRegion*>(&region);
  if (graphics && gdipRegion) graphics->SetClipPath(gdipRegion->GPRegion());
}

int TGPCanvas::ResetClip() {
  TGPGraphics* graphics = GPGraphics();
  if (!graphics) return NoGraphics;
  graphics->ResetClip();
  return 0;
}

void TGPCanvas::SaveDrawingState() {
  if (TGPGraphics* graphics = GPGraphics()) FDrawingState = graphics->Save();
}

void TGPCanvas::RestoreDrawingState() {
  if (TGPGraphics* graphics = GPGraphics()) graphics->Restore(FDrawingState);
}

// --- Factories ----------------------------------------------------------------------------

std::unique_ptr<TDgrPen> TGPCanvas::CreatePen() const { return std::make_unique<TGdipPen>(); }
std::unique_ptr<TDgrBrush> TGPCanvas::CreateBrush() const { return std::make_unique<TGdipBrush>(); }
std::unique_ptr<TDgrGraphicsPath> TGPCanvas::CreatePath() const { return std::make_unique<TGdipGraphicsPath>(); }
std::unique_ptr<TDgrGraphic> TGPCanvas::CreateGraphic() const { return std::make_unique<TGdipGraphic>(); }
std::unique_ptr<TDgrPaintEngine> TGPCanvas::CreatePaintEngine(QPainter* painter, const TRect& rect) const {
  return std::make_unique<TGdipPaintEngine>(painter, rect);
}

// -------------------------------------------------------------------------- TGdipPaintEngine

namespace {

QPainter* RequirePainter(QPainter* painter) {
  if (!painter || !painter->isActive()) throw EInvalidOperation(QStringLiteral("Canvas does not allow drawing"));
  return painter;
}

}  // namespace

TGdipPaintEngine::TGdipPaintEngine(QPainter* painter, const TRect&)
    : FGPGraphics(std::make_shared<TGPGraphics>(RequirePainter(painter))) {
  SetPageUnit(PageUnit());
  SetSmoothMode(SmoothMode());
  SetTextRenderingMode(TextRenderingMode());
}

TGdipPaintEngine::TGdipPaintEngine(TCanvas* canvas, const TRect& rect)
    : TGdipPaintEngine(canvas ? canvas->Handle() : nullptr, rect) {}

void TGdipPaintEngine::SetPageUnit(TDgrPageUnit value) {
  TDgrPaintEngine::SetPageUnit(value);
  FGPGraphics->SetPageUnit(value);
}

void TGdipPaintEngine::SetSmoothMode(TDgrSmoothMode value) {
  TDgrPaintEngine::SetSmoothMode(value);
  FGPGraphics->SetSmoothing(value == smAntiAlias || value == smHighQuality);
}

void TGdipPaintEngine::SetTextRenderingMode(TDgrTextRenderingMode value) {
  TDgrPaintEngine::SetTextRenderingMode(value);
  FGPGraphics->SetTextAntialias(value != tmNormal && value != tmNormalHint);
}

int TGdipPaintEngine::ResetTransform() { return FGPGraphics->ResetTransform(); }
int TGdipPaintEngine::RotateTransform(double angle) { return FGPGraphics->RotateTransform(angle, TGPGraphics::moAppend); }
int TGdipPaintEngine::ScaleTransform(double sx, double sy) {
  return FGPGraphics->ScaleTransform(sx, sy, TGPGraphics::moAppend);
}
int TGdipPaintEngine::TranslateTransform(double dx, double dy) {
  return FGPGraphics->TranslateTransform(dx, dy, TGPGraphics::moAppend);
}

// ---------------------------------------------------------------------------- TGPBlockDrawer

TGPBlockDrawer::TGPBlockDrawer() : FGPCanvas(std::make_unique<TGPCanvas>(nullptr)) {}

void TGPBlockDrawer::SetPaintEngine(TDgrPaintEngine* engine) {
  auto* gdipEngine = dynamic_cast<TGdipPaintEngine*>(engine);
  FGPCanvas->SetGraphics(gdipEngine ? gdipEngine->SharedGraphics() : nullptr);
}

void TGPBlockDrawer::TranslateRectsPath(TDgrGraphicsPath& path) const {
  if (auto* gdipPath = dynamic_cast<TGdipGraphicsPath*>(&path)) gdipPath->Transform(FGPCanvas->TransMatrix());
}

void TGPBlockDrawer::DoRotatePath(TDgrGraphicsPath& path) const {
  auto* gdipPath = dynamic_cast<TGdipGraphicsPath*>(&path);
  if (!gdipPath || !std::isfinite(Angle())) return;
  const TDot center = RotationCenter();
  QTransform rotation;
  rotation.rotate(Angle());
  gdipPath->Transform(QTransform::fromTranslate(-center.X, -center.Y) * rotation *
                      QTransform::fromTranslate(center.X, center.Y));
}

// ------------------------------------------------------------------------------ Registration

void RegisterGdipEngine() {
  RegisterBlockDrawerMaker(dglGDIPlus, [] { return std::make_unique<TGPBlockDrawer>(); });
  RegisterPaintEngineMaker(dglGDIPlus, [](QPainter* painter, const TRect& rect) {
    return std::make_unique<TGdipPaintEngine>(painter, rect);
  });
}

void RegisterBuiltInEngines() { RegisterGdipEngine(); }

void RegisterDgrPictureFormats() {
  const TGraphicFactory factory = [] { return std::make_unique<TGdipGraphic>(); };
  RegisterGraphicClass(QStringLiteral("TGdipGraphic"), factory);
  RegisterFileFormat(QStringLiteral("jpg"), QStringLiteral("JPG Image File"), QStringLiteral("TGdipGraphic"), factory);
  RegisterFileFormat(QStringLiteral("gif"), QStringLiteral("GIF Image File"), QStringLiteral("TGdipGraphic"), factory);
  RegisterFileFormat(QStringLiteral("png"), QStringLiteral("PNG Image File"), QStringLiteral("TGdipGraphic"), factory);
  RegisterFileFormat(QStringLiteral("tif"), QStringLiteral("TIFF Image File"), QStringLiteral("TGdipGraphic"), factory);
  RegisterFileFormat(QStringLiteral("tiff"), QStringLiteral("TIFF Image File"), QStringLiteral("TGdipGraphic"), factory);
}
