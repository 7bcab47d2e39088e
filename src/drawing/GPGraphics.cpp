#include "drawing/GPGraphics.h"

#include <QPaintDevice>
#include <QPainter>
#include <cmath>

TGPGraphics::TGPGraphics(QPainter* painter) : FPainter(painter), FBase(painter->worldTransform()) {
  if (QPaintDevice* device = painter->device()) FDpi = device->logicalDpiX() > 0 ? device->logicalDpiX() : 96;
}

// --- Transform --------------------------------------------------------------------------

namespace {

void Compose(QTransform& world, const QTransform& operation, TGPGraphics::TMatrixOrder order) {
  world = order == TGPGraphics::moPrepend ? operation * world : world * operation;
}

bool Finite(double a, double b = 0) { return std::isfinite(a) && std::isfinite(b); }

// Status of an operation refused for invalid arguments.
constexpr int InvalidParameter = 2;

}  // namespace

int TGPGraphics::TranslateTransform(double dx, double dy, TMatrixOrder order) {
  if (!Finite(dx, dy)) return InvalidParameter;
  Compose(FState.World, QTransform::fromTranslate(dx, dy), order);
  return 0;
}

int TGPGraphics::ScaleTransform(double sx, double sy, TMatrixOrder order) {
  if (!Finite(sx, sy) || sx == 0 || sy == 0) return InvalidParameter;
  Compose(FState.World, QTransform::fromScale(sx, sy), order);
  return 0;
}

int TGPGraphics::RotateTransform(double angle, TMatrixOrder order) {
  if (!Finite(angle)) return InvalidParameter;
  QTransform rotation;
  rotation.rotate(angle);
  Compose(FState.World, rotation, order);
  return 0;
}

int TGPGraphics::ResetTransform() {
  FState.World.reset();
  return 0;
}

double TGPGraphics::PageScale() const {
  switch (FState.PageUnit) {
    case dpuPoint: return FDpi / 72.0;
    case dpuInch: return FDpi;
    case dpuDocument: return FDpi / 300.0;
    case dpuMillimeter: return FDpi / 25.4;
    default: return 1.0;
  }
}

QTransform TGPGraphics::WorldToDevice() const {
  const double scale = PageScale();
  return scale == 1.0 ? FState.World : FState.World * QTransform::fromScale(scale, scale);
}

// --- Clip -------------------------------------------------------------------------------

void TGPGraphics::SetClipRect(const QRectF& worldRect) {
  const QTransform toDevice = WorldToDevice();
  if (toDevice.type() <= QTransform::TxScale) {
    ResetClip();
    FState.ClipKind = TClipKind::Rect;
    FState.ClipRect = toDevice.mapRect(worldRect.normalized());
    return;
  }
  QPainterPath path;
  path.addRect(worldRect.normalized());
  SetClipPath(path);
}

void TGPGraphics::SetClipPath(const QPainterPath& worldPath) {
  ResetClip();
  FState.ClipKind = TClipKind::Path;
  FState.ClipPath = WorldToDevice().map(worldPath);
}

void TGPGraphics::SetClipRegion(const QRegion& deviceRegion) {
  ResetClip();
  FState.ClipKind = TClipKind::Region;
  FState.ClipRegion = deviceRegion;
}

void TGPGraphics::ResetClip() {
  FState.ClipKind = TClipKind::None;
  FState.ClipPath = QPainterPath();
  FState.ClipRect = QRectF();
  FState.ClipRegion = QRegion();
}

QPainterPath TGPGraphics::DeviceClip() const {
  QPainterPath path;
  switch (FState.ClipKind) {
    case TClipKind::Path: return FState.ClipPath;
    case TClipKind::Rect: path.addRect(FState.ClipRect); break;
    case TClipKind::Region: path.addRegion(FState.ClipRegion); break;
    case TClipKind::None: break;
  }
  return path;
}

// --- Saved states -----------------------------------------------------------------------

unsigned TGPGraphics::Save() {
  const unsigned token = FNextToken++;
  FSaved.emplace_back(token, FState);
  return token;
}

int TGPGraphics::Restore(unsigned token) {
  for (size_t i = FSaved.size(); i-- > 0;) {
    if (FSaved[i].first != token) continue;
    FState = FSaved[i].second;
    FSaved.resize(i);
    return 0;
  }
  return InvalidParameter;
}

// --- Drawing ----------------------------------------------------------------------------

TGPGraphics::TScope::TScope(const TGPGraphics& graphics) : FPainter(graphics.FPainter) {
  FPainter->save();
  const TState& state = graphics.FState;
  FPainter->setRenderHint(QPainter::Antialiasing, state.Smoothing);
  if (state.ClipKind != TClipKind::None) {
    FPainter->setWorldTransform(graphics.FBase);
    const Qt::ClipOperation operation = FPainter->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip;
    switch (state.ClipKind) {
      case TClipKind::Rect: FPainter->setClipRect(state.ClipRect, operation); break;
      case TClipKind::Region: FPainter->setClipRegion(state.ClipRegion, operation); break;
      default: FPainter->setClipPath(state.ClipPath, operation); break;
    }
  }
  FPainter->setWorldTransform(graphics.WorldToDevice() * graphics.FBase);
  FPainter->setRenderHint(QPainter::SmoothPixmapTransform, state.Smoothing);
  FPainter->setRenderHint(QPainter::TextAntialiasing, state.TextAntialias);
  FPainter->setOpacity(1.0);
  FPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

TGPGraphics::TScope::~TScope() { FPainter->restore(); }

namespace {

// The scale of a transform along its average axis.
double AverageScale(const QTransform& transform) { return std::sqrt(std::abs(transform.determinant())); }

}  // namespace

void TGPGraphics::FillPath(const QPainterPath& path, const TGPNativeBrush& brush) {
  if (brush.Invisible() || path.isEmpty()) return;
  TScope scope(*this);
  if (!brush.DeviceAligned) {
    FPainter->fillPath(path, brush.Brush);
    return;
  }
  QBrush aligned = brush.Brush;
  aligned.setTransform(FPainter->worldTransform().inverted());
  FPainter->fillPath(path, aligned);
}

void TGPGraphics::StrokePath(const QPainterPath& path, const QPen& pen) {
  if (pen.style() == Qt::NoPen || pen.color().alpha() == 0 || path.isEmpty()) return;
  TScope scope(*this);
  // Lines thinner than a device pixel are drawn one pixel wide.
  if (!pen.isCosmetic() && pen.widthF() * AverageScale(FPainter->worldTransform()) < 1.0) {
    QPen thin(pen);
    thin.setWidthF(0);
    FPainter->strokePath(path, thin);
    return;
  }
  FPainter->strokePath(path, pen);
}

void TGPGraphics::DrawImage(const QRectF& target, const QImage& image, double opacity) {
  if (image.isNull() || opacity <= 0) return;
  TScope scope(*this);
  FPainter->setOpacity(opacity);
  FPainter->drawImage(target, image, QRectF(image.rect()));
}
