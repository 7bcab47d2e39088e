#include "drawing/GPGraphics.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
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

TGPGraphics::TScope::TScope(const TGPGraphics& graphics, TKind kind)
    : FPainter(graphics.FPainter),
      FFullSave(kind == skFull || graphics.FState.ClipKind != TClipKind::None || !FPainter->worldMatrixEnabled()) {
  const TState& state = graphics.FState;
  const QTransform transform = graphics.WorldToDevice() * graphics.FBase;
  if (!FFullSave) {
    FOldTransform = FPainter->worldTransform();
    FOldOpacity = FPainter->opacity();
    FOldComposition = FPainter->compositionMode();
    if (FOldTransform != transform) {
      FPainter->setWorldTransform(transform);
      FTransformChanged = true;
    }
    ApplyQuality(state);
    if (FOldOpacity != 1.0) FPainter->setOpacity(1.0);
    if (FOldComposition != QPainter::CompositionMode_SourceOver)
      FPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    return;
  }
  FPainter->save();
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
  FPainter->setWorldTransform(transform);
  ApplyQuality(state);
  FPainter->setOpacity(1.0);
  FPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

namespace {

// The painter has the engine recompute its state on every call that sets hints, even one
// that changes none.
void SetHints(QPainter& painter, QPainter::RenderHints from, QPainter::RenderHints to) {
  if (const QPainter::RenderHints off = from & ~to) painter.setRenderHints(off, false);
  if (const QPainter::RenderHints on = to & ~from) painter.setRenderHints(on, true);
}

}  // namespace

// Each change of the render hints costs the engine a recomputation, so only differences
// are applied.
void TGPGraphics::TScope::ApplyQuality(const TState& state) {
  const QPainter::RenderHints old = FPainter->renderHints();
  QPainter::RenderHints wanted = old;
  wanted.setFlag(QPainter::Antialiasing, state.Smoothing);
  wanted.setFlag(QPainter::SmoothPixmapTransform, state.Smoothing);
  wanted.setFlag(QPainter::TextAntialiasing, state.TextAntialias);
  if (wanted == old) return;
  FOldHints = old.toInt();
  FHintsChanged = true;
  SetHints(*FPainter, old, wanted);
}

TGPGraphics::TScope::~TScope() {
  if (FFullSave) {
    FPainter->restore();
    return;
  }
  if (FPainter->compositionMode() != FOldComposition)
    FPainter->setCompositionMode(static_cast<QPainter::CompositionMode>(FOldComposition));
  if (FPainter->opacity() != FOldOpacity) FPainter->setOpacity(FOldOpacity);
  if (FHintsChanged) {
    SetHints(*FPainter, FPainter->renderHints(), QPainter::RenderHints::fromInt(FOldHints));
  }
  if (FTransformChanged) FPainter->setWorldTransform(FOldTransform);
}

namespace {

// The scale of a transform along its average axis.
double AverageScale(const QTransform& transform) { return std::sqrt(std::abs(transform.determinant())); }

}  // namespace

void TGPGraphics::FillPath(const QPainterPath& path, const TGPNativeBrush& brush) {
  if (brush.Invisible() || path.isEmpty()) return;
  TScope scope(*this, TScope::skLight);
  if (!brush.DeviceAligned) {
    FPainter->fillPath(path, brush.Brush);
    return;
  }
  QBrush aligned = brush.Brush;
  aligned.setTransform(FPainter->worldTransform().inverted());
  FPainter->fillPath(path, aligned);
}

namespace {

bool Invisible(const QPen& pen) { return pen.style() == Qt::NoPen || pen.color().alpha() == 0; }

// Lines thinner than a device pixel are drawn one pixel wide.
bool ThinnerThanAPixel(const QPen& pen, const QPainter& painter) {
  return !pen.isCosmetic() && pen.widthF() * AverageScale(painter.worldTransform()) < 1.0;
}

QPen OnePixelWide(const QPen& pen) {
  QPen thin(pen);
  thin.setWidthF(0);
  return thin;
}

}  // namespace

void TGPGraphics::StrokePath(const QPainterPath& path, const QPen& pen) {
  if (Invisible(pen) || path.isEmpty()) return;
  TScope scope(*this, TScope::skLight);
  FPainter->strokePath(path, ThinnerThanAPixel(pen, *FPainter) ? OnePixelWide(pen) : pen);
}

void TGPGraphics::StrokeLine(const QLineF& line, const QPen& pen) {
  // The painter draws a line of no length differently from the stroker.
  if (line.p1() == line.p2()) {
    QPainterPath path(line.p1());
    path.lineTo(line.p2());
    StrokePath(path, pen);
    return;
  }
  if (Invisible(pen)) return;
  TScope scope(*this, TScope::skLight);
  const QPen previous = FPainter->pen();
  FPainter->setPen(ThinnerThanAPixel(pen, *FPainter) ? OnePixelWide(pen) : pen);
  FPainter->drawLine(line);
  FPainter->setPen(previous);
}

namespace {

// Whether the painter draws lines in pen through its one-pixel stroker, which takes each line
// on its own however many one call hands it: a pen at most a device pixel wide under no more
// than a uniform scale. Wider pens would join the lines of one call into one outline.
bool StrokesLinesSeparately(const QPen& pen, const QPainter& painter) {
  if (pen.isCosmetic()) return pen.widthF() <= 1;
  const QTransform t = painter.deviceTransform();
  double scale = 1;
  if (t.type() == QTransform::TxScale && std::abs(t.m11()) == std::abs(t.m22())) scale = std::abs(t.m11());
  else if (t.type() > QTransform::TxTranslate) return false;
  return pen.widthF() * scale <= 1;
}

}  // namespace

void TGPGraphics::StrokeLines(std::span<const QLineF> lines, const QPen& pen) {
  if (Invisible(pen) || lines.empty()) return;
  const auto oneByOne = [&] {
    for (const QLineF& line : lines) StrokeLine(line, pen);
  };
  // A line of no length is drawn through the stroker (see StrokeLine).
  if (lines.size() == 1 || std::any_of(lines.begin(), lines.end(), [](const QLineF& l) { return l.p1() == l.p2(); }))
    return oneByOne();
  TScope scope(*this, TScope::skLight);
  const QPen used = ThinnerThanAPixel(pen, *FPainter) ? OnePixelWide(pen) : pen;
  if (!StrokesLinesSeparately(used, *FPainter)) return oneByOne();
  const QPen previous = FPainter->pen();
  FPainter->setPen(used);
  FPainter->drawLines(lines.data(), static_cast<int>(lines.size()));
  FPainter->setPen(previous);
}

void TGPGraphics::DrawImage(const QRectF& target, const QImage& image, double opacity) {
  if (image.isNull() || opacity <= 0) return;
  TScope scope(*this, TScope::skLight);
  FPainter->setOpacity(opacity);
  FPainter->drawImage(target, image, QRectF(image.rect()));
}
