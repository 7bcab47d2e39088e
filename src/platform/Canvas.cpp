#include "platform/Canvas.h"
#include "platform/ColorMaps.h"
#include "platform/Exceptions.h"
#include "platform/Pictures.h"
#include "platform/ShapeStamps.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPolygon>
#include <QVarLengthArray>
#include <algorithm>
#include <cmath>

namespace {

const QString NoDrawingMessage = QStringLiteral("Canvas does not allow drawing");

// Sets a composition mode for one drawing call.
class TCompositionScope {
public:
  TCompositionScope(QPainter* painter, QPainter::CompositionMode mode)
      : FPainter(painter), FPrevious(painter->compositionMode()) {
    FPainter->setCompositionMode(mode);
  }
  ~TCompositionScope() { FPainter->setCompositionMode(FPrevious); }
  TCompositionScope(const TCompositionScope&) = delete;
  TCompositionScope& operator=(const TCompositionScope&) = delete;

private:
  QPainter* FPainter;
  QPainter::CompositionMode FPrevious;
};

QPainter::CompositionMode PenModeComposition(TPenMode mode) {
  switch (mode) {
    case pmBlack: return QPainter::RasterOp_ClearDestination;
    case pmWhite: return QPainter::RasterOp_SetDestination;
    case pmNop: return QPainter::CompositionMode_Destination;
    case pmNot: return QPainter::RasterOp_NotDestination;
    case pmNotCopy: return QPainter::RasterOp_NotSource;
    case pmMergePenNot: return QPainter::RasterOp_SourceOrNotDestination;
    case pmMaskPenNot: return QPainter::RasterOp_SourceAndNotDestination;
    case pmMergeNotPen: return QPainter::RasterOp_NotSourceOrDestination;
    case pmMaskNotPen: return QPainter::RasterOp_NotSourceAndDestination;
    case pmMerge: return QPainter::RasterOp_SourceOrDestination;
    case pmNotMerge: return QPainter::RasterOp_NotSourceAndNotDestination;
    case pmMask: return QPainter::RasterOp_SourceAndDestination;
    case pmNotMask: return QPainter::RasterOp_NotSourceOrNotDestination;
    case pmXor: return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor: return QPainter::RasterOp_NotSourceXorDestination;
    case pmCopy:
    default: return QPainter::CompositionMode_SourceOver;
  }
}

QPainter::CompositionMode CopyModeComposition(TCopyMode mode, bool keyed) {
  switch (mode) {
    case cmSrcInvert: return QPainter::RasterOp_SourceXorDestination;
    case cmSrcAnd: return QPainter::RasterOp_SourceAndDestination;
    case cmSrcPaint: return QPainter::RasterOp_SourceOrDestination;
    case cmNotSrcCopy: return QPainter::RasterOp_NotSource;
    case cmDstInvert: return QPainter::RasterOp_NotDestination;
    case cmBlackness: return QPainter::RasterOp_ClearDestination;
    case cmWhiteness: return QPainter::RasterOp_SetDestination;
    case cmSrcCopy:
    default: return keyed ? QPainter::CompositionMode_SourceOver : QPainter::CompositionMode_Source;
  }
}

Qt::BrushStyle QtBrushStyle(TBrushStyle style) {
  switch (style) {
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    case bsSolid:
    default: return Qt::SolidPattern;
  }
}

// On/off run lengths in pixels of the thin styled lines; empty for solid.
std::vector<int> ThinPenPattern(TPenStyle style) {
  switch (style) {
    case psDash: return {18, 6};
    case psDot: return {3, 3};
    case psDashDot: return {9, 6, 3, 6};
    case psDashDotDot: return {9, 3, 3, 3, 3, 3};
    case psAlternate: return {1, 1};
    default: return {};
  }
}

Qt::PenStyle QtPenStyle(TPenStyle style) {
  switch (style) {
    case psClear: return Qt::NoPen;
    case psDash: return Qt::DashLine;
    case psDot: return Qt::DotLine;
    case psDashDot: return Qt::DashDotLine;
    case psDashDotDot: return Qt::DashDotDotLine;
    case psAlternate: return Qt::CustomDashLine;
    default: return Qt::SolidLine;
  }
}

TRect Normalized(int x1, int y1, int x2, int y2) {
  return TRect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

QRectF FullRectF(const TRect& r) { return QRectF(r.Left, r.Top, double(r.Right) - r.Left, double(r.Bottom) - r.Top); }

// Rounded integer division (halves away from zero) of a 128-bit numerator by a positive divisor.
int64_t RoundDiv(__int128 numerator, int64_t divisor) {
  if (numerator >= 0) return static_cast<int64_t>((2 * numerator + divisor) / (2 * static_cast<__int128>(divisor)));
  return -static_cast<int64_t>((-2 * numerator + divisor) / (2 * static_cast<__int128>(divisor)));
}

// The inclusive pixel range a segment may touch inside bounds, as step indices [first, last].
bool VisibleSteps(const TPoint& a, const TPoint& b, int64_t steps, const QRect& bounds, int64_t& first,
                  int64_t& last) {
  double t0 = 0, t1 = 1;
  const double dx = double(b.X) - a.X, dy = double(b.Y) - a.Y;
  auto clip = [&](double p, double q) {  // Liang-Barsky: p*t <= q
    if (p == 0) return q >= 0;
    const double r = q / p;
    if (p < 0) t0 = std::max(t0, r);
    else t1 = std::min(t1, r);
    return t0 <= t1;
  };
  const double left = bounds.left() - 1.0, right = bounds.right() + 1.0;
  const double top = bounds.top() - 1.0, bottom = bounds.bottom() + 1.0;
  if (!clip(-dx, a.X - left) || !clip(dx, right - a.X) || !clip(-dy, a.Y - top) || !clip(dy, bottom - a.Y))
    return false;
  first = std::max<int64_t>(0, static_cast<int64_t>(std::floor(t0 * steps)) - 1);
  last = std::min<int64_t>(steps - 1, static_cast<int64_t>(std::ceil(t1 * steps)) + 1);
  return first <= last;
}

// Pixels of one thin line from a to b without b, limited to bounds. phase counts pixels
// along the whole figure so styled patterns run on across segments.
void AppendSegmentPixels(const TPoint& a, const TPoint& b, const QRect& bounds, const std::vector<int>& pattern,
                         int64_t& phase, QPolygon& on, QPolygon& off) {
  const int64_t dx = int64_t(b.X) - a.X, dy = int64_t(b.Y) - a.Y;
  const int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
  if (steps == 0) return;
  int64_t patternLength = 0;
  for (int run : pattern) patternLength += run;
  int64_t first = 0, last = -1;
  if (VisibleSteps(a, b, steps, bounds, first, last)) {
    for (int64_t i = first; i <= last; ++i) {
      const int64_t x = a.X + RoundDiv(static_cast<__int128>(i) * dx, steps);
      const int64_t y = a.Y + RoundDiv(static_cast<__int128>(i) * dy, steps);
      if (x < bounds.left() || x > bounds.right() || y < bounds.top() || y > bounds.bottom()) continue;
      bool isOn = true;
      if (patternLength > 0) {
        int64_t position = (phase + i) % patternLength;
        for (size_t k = 0; k < pattern.size(); ++k) {
          if (position < pattern[k]) {
            isOn = (k % 2) == 0;
            break;
          }
          position -= pattern[k];
        }
      }
      (isOn ? on : off) << QPoint(static_cast<int>(x), static_cast<int>(y));
    }
  }
  phase += steps;
}

// Walks the on/off runs of a thin line pattern one pixel at a time.
class TPatternCursor {
public:
  TPatternCursor(const std::vector<int>& pattern, int64_t position) : FPattern(pattern) {
    if (FPattern.empty()) return;
    int64_t length = 0;
    for (int run : FPattern) length += run;
    int64_t offset = position % length;
    while (offset >= FPattern[FRun]) offset -= FPattern[FRun++];
    FOffset = static_cast<int>(offset);
  }
  bool IsOn() const { return FRun % 2 == 0; }
  void Advance() {
    if (FPattern.empty() || ++FOffset < FPattern[FRun]) return;
    FOffset = 0;
    if (++FRun == FPattern.size()) FRun = 0;
  }

private:
  const std::vector<int>& FPattern;
  size_t FRun = 0;
  int FOffset = 0;
};

// round(i * delta / steps) with halves away from zero for consecutive i, without dividing
// per step: the numerator 2 * i * |delta| + steps is kept as quotient and remainder of 2 * steps.
class TRoundedRatio {
public:
  TRoundedRatio(int64_t delta, int64_t steps, int64_t first)
      : FSign(delta < 0 ? -1 : 1), FIncrement(2 * std::llabs(delta)), FDenominator(2 * steps) {
    if (first == 0) {  // the whole segment in view: no wide division
      FRemainder = steps;
      return;
    }
    const __int128 numerator = static_cast<__int128>(first) * FIncrement + steps;
    FQuotient = static_cast<int64_t>(numerator / FDenominator);
    FRemainder = static_cast<int64_t>(numerator % FDenominator);
  }
  int64_t Value() const { return FSign * FQuotient; }
  void Advance() {
    FRemainder += FIncrement;
    if (FRemainder >= FDenominator) {
      FRemainder -= FDenominator;
      ++FQuotient;
    }
  }

private:
  int64_t FSign;
  int64_t FIncrement;
  int64_t FDenominator;
  int64_t FQuotient = 0;
  int64_t FRemainder = 0;
};

// A 32-bit image that thin lines are written into directly. Canvas coordinates plus the
// offset are device pixels; pixels go only inside the areas (device and clip, in canvas
// coordinates).
struct TPixelSink {
  uchar* Bits = nullptr;
  qsizetype Stride = 0;
  QPoint Offset;
  QVarLengthArray<QRect, 16> Areas;
  QRgb OnColor = 0;
  QRgb OffColor = 0;
  bool DrawOff = false;
  std::vector<QPoint> OffPixels;

  QRgb* PixelAt(int64_t x, int64_t y) const {
    return reinterpret_cast<QRgb*>(Bits + (y + Offset.y()) * Stride) + (x + Offset.x());
  }
  void Put(int64_t x, int64_t y, bool on) {
    if (on) {
      *PixelAt(x, y) = OnColor;
    } else if (DrawOff) {
      OffPixels.emplace_back(static_cast<int>(x), static_cast<int>(y));
    }
  }
  // The background pixels of styled lines go last, as the painter route draws them.
  void FlushOff() {
    for (const QPoint& p : OffPixels)
      reinterpret_cast<QRgb*>(Bits + (p.y() + Offset.y()) * Stride)[p.x() + Offset.x()] = OffColor;
    OffPixels.clear();
  }
};

// The pixels of AppendSegmentPixels inside area, written into sink.
void WriteSegmentPixels(const TPoint& a, const TPoint& b, const QRect& area, const std::vector<int>& pattern,
                        int64_t phase, TPixelSink& sink) {
  const int64_t dx = int64_t(b.X) - a.X, dy = int64_t(b.Y) - a.Y;
  const int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
  int64_t first = 0, last = steps - 1;
  if (steps == 0) return;
  const auto inArea = [&area](const TPoint& p) {
    return p.X >= area.left() && p.X <= area.right() && p.Y >= area.top() && p.Y <= area.bottom();
  };
  const bool inside = inArea(a) && inArea(b);
  if (!inside && !VisibleSteps(a, b, steps, area, first, last)) return;
  TRoundedRatio x(dx, steps, first), y(dy, steps, first);
  if (inside && pattern.empty()) {
    // A solid line wholly in the area (a rectangle holds every pixel between two of its
    // points): every pixel is on and none needs testing. Along an axis or a diagonal the
    // rounded steps are whole pixels.
    if (dx == 0 || dy == 0 || std::llabs(dx) == std::llabs(dy)) {
      const qsizetype stepX = dx > 0 ? 1 : dx < 0 ? -1 : 0;
      const qsizetype stepY = dy > 0 ? 1 : dy < 0 ? -1 : 0;
      const qsizetype step = stepY * (sink.Stride / qsizetype(sizeof(QRgb))) + stepX;
      QRgb* pixel = sink.PixelAt(a.X, a.Y);
      for (int64_t i = 0; i < steps; ++i, pixel += step) *pixel = sink.OnColor;
      return;
    }
    for (int64_t i = 0; i < steps; ++i) {
      sink.Put(a.X + x.Value(), a.Y + y.Value(), true);
      x.Advance();
      y.Advance();
    }
    return;
  }
  TPatternCursor cursor(pattern, phase + first);
  const int64_t left = area.left(), right = area.right(), top = area.top(), bottom = area.bottom();
  for (int64_t i = first; i <= last; ++i) {
    const int64_t px = a.X + x.Value(), py = a.Y + y.Value();
    if (px >= left && px <= right && py >= top && py <= bottom) sink.Put(px, py, cursor.IsOn());
    x.Advance();
    y.Advance();
    cursor.Advance();
  }
}

// One figure's pixels in every area of sink, its background pixels last.
void WriteFigurePixels(std::span<const TPoint> points, bool closed, const std::vector<int>& pattern,
                       TPixelSink& sink) {
  if (points.empty()) return;
  const bool closing = closed && points.size() > 1 && !(points.front() == points.back());
  for (const QRect& r : sink.Areas) {
    int64_t phase = 0;
    auto segment = [&](const TPoint& a, const TPoint& b) {
      WriteSegmentPixels(a, b, r, pattern, phase, sink);
      phase += std::max(std::llabs(int64_t(b.X) - a.X), std::llabs(int64_t(b.Y) - a.Y));
    };
    for (size_t i = 0; i + 1 < points.size(); ++i) segment(points[i], points[i + 1]);
    if (closing) segment(points.back(), points.front());
    // A closed figure of one point is that point.
    if (closed && points.size() == 1 && r.contains(points[0].X, points[0].Y)) sink.Put(points[0].X, points[0].Y, true);
  }
  sink.FlushOff();
}

// The pixels a polygon's vertices span: right and bottom one past the furthest vertex.
TRect PointBounds(const TPointArray& points) {
  TRect bounds{points.front().X, points.front().Y, points.front().X + 1, points.front().Y + 1};
  for (const TPoint& p : points) {
    bounds.Left = std::min(bounds.Left, p.X);
    bounds.Top = std::min(bounds.Top, p.Y);
    bounds.Right = std::max(bounds.Right, p.X + 1);
    bounds.Bottom = std::max(bounds.Bottom, p.Y + 1);
  }
  return bounds;
}

QPolygonF ToPolygonF(const TPointArray& points, double offset) {
  QPolygonF polygon;
  polygon.reserve(static_cast<qsizetype>(points.size()));
  for (const TPoint& p : points) polygon << QPointF(p.X + offset, p.Y + offset);
  return polygon;
}

// Where the GDI arc's radial through (x, y) meets the ellipse, as Qt's arc angle.
double RadialAngle(const QRectF& ellipse, double x, double y) {
  const QPointF c = ellipse.center();
  const double rx = std::max(ellipse.width() / 2, 1e-9), ry = std::max(ellipse.height() / 2, 1e-9);
  return std::atan2(-(y - c.y()) / ry, (x - c.x()) / rx) * 180.0 / M_PI;
}

}  // namespace

TPainterSaver::TPainterSaver(QPainter* painter) : FPainter(painter) { FPainter->save(); }
TPainterSaver::~TPainterSaver() { FPainter->restore(); }

// ---------------------------------------------------------------------------- image helpers

void SetScreenResolution(QImage& image) {
  const int dotsPerMetre = static_cast<int>(std::lround(ScreenPixelsPerInch() / 0.0254));
  image.setDotsPerMeterX(dotsPerMetre);
  image.setDotsPerMeterY(dotsPerMetre);
}

QImage WithTransparentColor(const QImage& image, TColor keyColor) {
  QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = ColorToQColor(keyColor).rgb() & 0x00FFFFFF;
  for (int y = 0; y < keyed.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
    for (int x = 0; x < keyed.width(); ++x)
      if ((line[x] & 0x00FFFFFF) == key) line[x] = 0;
  }
  return keyed;
}

QImage NewScreenImage(int width, int height, QImage::Format format) {
  QImage image(width, height, format);
  SetScreenResolution(image);
  return image;
}

// ---------------------------------------------------------------------------------- TRegion

TRegion TRegion::FromRect(const TRect& rect) {
  const TRect r = Normalized(rect.Left, rect.Top, rect.Right, rect.Bottom);
  return TRegion(QRegion(r.Left, r.Top, r.Width(), r.Height()));
}

TRegion TRegion::FromEllipse(const TRect& rect) {
  const TRect r = Normalized(rect.Left, rect.Top, rect.Right, rect.Bottom);
  return TRegion(QRegion(r.Left, r.Top, r.Width(), r.Height(), QRegion::Ellipse));
}

TRegion TRegion::FromPolygon(const TPointArray& points, bool alternate) {
  QPolygon polygon;
  polygon.reserve(static_cast<qsizetype>(points.size()));
  for (const TPoint& p : points) polygon << QPoint(p.X, p.Y);
  return TRegion(QRegion(polygon, alternate ? Qt::OddEvenFill : Qt::WindingFill));
}

TRegion TRegion::FromQRegion(const QRegion& region) { return TRegion(region); }

bool TRegion::Contains(int x, int y) const { return FRegion.contains(QPoint(x, y)); }

TRect TRegion::BoundingRect() const {
  const QRect r = FRegion.boundingRect();
  if (r.isEmpty()) return TRect{};
  return TRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

TRegion TRegion::Intersected(const TRegion& other) const { return TRegion(FRegion.intersected(other.FRegion)); }
TRegion TRegion::United(const TRegion& other) const { return TRegion(FRegion.united(other.FRegion)); }
TRegion TRegion::Subtracted(const TRegion& other) const { return TRegion(FRegion.subtracted(other.FRegion)); }
TRegion TRegion::Xored(const TRegion& other) const { return TRegion(FRegion.xored(other.FRegion)); }
void TRegion::Offset(int dx, int dy) { FRegion.translate(dx, dy); }

// ---------------------------------------------------------------------------------- TCanvas

TCanvas::TCanvas() : FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()) {}

TCanvas::TCanvas(QPaintDevice* device) : TCanvas() { Bind(device); }

TCanvas::TCanvas(QPainter* painter) : TCanvas() { Bind(painter); }

TCanvas::~TCanvas() { Unbind(); }

void TCanvas::Bind(QPaintDevice* device) {
  Unbind();
  auto painter = std::make_unique<QPainter>();
  if (!device || !painter->begin(device)) throw EInvalidOperation(NoDrawingMessage);
  FOwnPainter = std::move(painter);
  FPainter = FOwnPainter.get();
  InitialiseState();
}

void TCanvas::Bind(QPainter* painter) {
  Unbind();
  if (!painter || !painter->isActive()) throw EInvalidOperation(NoDrawingMessage);
  FPainter = painter;
  // The owner gets its painter back as it gave it.
  FPainter->save();
  InitialiseState();
}

void TCanvas::Unbind() {
  if (!FPainter) return;
  if (FOwnPainter) FOwnPainter->end();
  else FPainter->restore();
  FOwnPainter.reset();
  FPainter = nullptr;
}

void TCanvas::InitialiseState() {
  FBaseTransform = FPainter->worldTransform();
  FBaseClip.reset();
  if (FPainter->hasClipping()) FBaseClip = FPainter->clipRegion();
  FAppliedFont = UINT64_MAX;
  FPainter->setRenderHint(QPainter::Antialiasing, false);
  FPainter->setRenderHint(QPainter::SmoothPixmapTransform, false);
  FPainter->setRenderHint(QPainter::TextAntialiasing, true);
  FPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
  // The canvas's own settings carry over to the new painter.
  SetBkMode(FBkMode);
  SetBkColor(FBkColor);
  ApplyClip();
  if (QPaintDevice* device = FPainter->device()) FFont->SetPixelsPerInch(device->logicalDpiY());
}

QPainter* TCanvas::Handle() {
  if (!FPainter) CreateHandle();
  if (!FPainter) throw EInvalidOperation(NoDrawingMessage);
  // The caller may change the painter's font: apply ours again next time.
  FAppliedFont = UINT64_MAX;
  return FPainter;
}

QPainter* TCanvas::BeginDraw() {
  if (!FPainter) CreateHandle();
  if (!FPainter) throw EInvalidOperation(NoDrawingMessage);
  ++FChangeCount;
  return FPainter;
}

QImage* TCanvas::ImageDevice() {
  if (!FPainter) CreateHandle();
  if (!FPainter || !FPainter->device() || FPainter->device()->devType() != QInternal::Image) return nullptr;
  return static_cast<QImage*>(FPainter->device());
}

int TCanvas::PixelsPerInch() const {
  if (FPainter && FPainter->device()) return FPainter->device()->logicalDpiY();
  return ScreenPixelsPerInch();
}

void TCanvas::SetBkMode(TBkMode mode) {
  FBkMode = mode;
  if (FPainter) FPainter->setBackgroundMode(mode == TBkMode::Opaque ? Qt::OpaqueMode : Qt::TransparentMode);
}

void TCanvas::SetBkColor(TColor color) {
  FBkColor = color;
  if (FPainter) FPainter->setBackground(ColorToQColor(color));
}

// ----------------------------------------------------------------------- lazily applied state

void TCanvas::RequirePen() {
  if (FAppliedPen == FPen->Revision()) return;
  FAppliedPen = FPen->Revision();
  // Elements hand the canvas their pens one after the other, mostly the same few.
  const TPen::TSettings settings = FPen->Settings();
  if (FAppliedPenSettings == settings) return;
  FAppliedPenSettings = settings;
  const QColor color = ColorToQColor(FPen->Color());
  FPenPattern = ThinPenPattern(FPen->Style());
  if (FPen->Style() == psClear || FPen->Mode() == pmNop) {
    FQPen = QPen(Qt::NoPen);
    return;
  }
  QPen pen(color);
  pen.setWidth(std::max(1, FPen->Width()));
  if (FPen->Style() == psAlternate) pen.setDashPattern({1, 1});
  else pen.setStyle(QtPenStyle(FPen->Style()));
  if (pen.width() <= 1) {
    pen.setWidth(0);  // one device pixel under every transform
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
  } else {
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
  }
  FQPen = pen;
}

void TCanvas::RequireBrush() {
  if (FAppliedBrush == FBrush->Revision()) return;
  FAppliedBrush = FBrush->Revision();
  const TBrush::TSettings settings = FBrush->Settings();
  if (FAppliedBrushSettings == settings) return;
  FAppliedBrushSettings = settings;
  FQBrush = QBrush(ColorToQColor(FBrush->Color()), QtBrushStyle(FBrush->Style()));
}

void TCanvas::RequireFont() {
  if (FAppliedFont == FFont->Revision()) return;
  FAppliedFont = FFont->Revision();
  FPainter->setFont(FFont->ToQFont());
}

bool TCanvas::ThinPen() const { return FPen->Width() <= 1; }

bool TCanvas::UsesPixelLines() const {
  if (!ThinPen()) return false;
  const QTransform t = FPainter->deviceTransform();
  if (t.type() > QTransform::TxTranslate) return false;
  return t.dx() == std::round(t.dx()) && t.dy() == std::round(t.dy());
}

QRect TCanvas::PixelBounds() const {
  // The device area in the canvas's (translated) coordinates.
  const QPaintDevice* device = FPainter->device();
  const QTransform t = FPainter->deviceTransform();
  const int w = device ? device->width() : 0, h = device ? device->height() : 0;
  return QRect(static_cast<int>(-t.dx()), static_cast<int>(-t.dy()), w, h);
}

// ---------------------------------------------------------------------------- line drawing

void TCanvas::PlotPixels(const QPolygon& on, const QPolygon& off) {
  TPainterSaver save(FPainter);
  FPainter->setCompositionMode(PenModeComposition(FPen->Mode()));
  FPainter->setBrush(Qt::NoBrush);
  if (!on.isEmpty()) {
    FPainter->setPen(QPen(ColorToQColor(FPen->Color()), 0));
    FPainter->drawPoints(on);
  }
  if (!off.isEmpty() && FBkMode == TBkMode::Opaque) {
    FPainter->setPen(QPen(ColorToQColor(FBkColor), 0));
    FPainter->drawPoints(off);
  }
}

namespace {

// Opens sink on the painter's image when pixels can be written into it as the painter
// itself would draw them in an opaque colour: a detached 32-bit image painted by the raster
// engine through an integer translation, at full opacity, in copy mode, with no smoothing and
// a clip of a few rectangles at most. The areas are in canvas coordinates.
constexpr int MaxClipRects = 16;

// Whether a canvas clip (its own and the painter's at binding) has too many rectangles for
// writing pixels directly: known without asking the painter for its clip region, which
// costs more than a small shape.
bool ClipTooComplexForPixels(const std::optional<TRegion>& own, const std::optional<QRegion>& base) {
  return (own && own->ToQRegion().rectCount() > MaxClipRects) || (base && base->rectCount() > MaxClipRects);
}

bool OpenPixelSink(QPainter& painter, TPenMode mode, TPixelSink& sink) {
  QPaintDevice* device = painter.device();
  if (!device || device->devType() != QInternal::Image || !painter.paintEngine() ||
      painter.paintEngine()->type() != QPaintEngine::Raster)
    return false;
  auto* image = static_cast<QImage*>(device);
  const QImage::Format format = image->format();
  if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
      format != QImage::Format_ARGB32_Premultiplied)
    return false;
  // A shared image would be copied by bits() while the painter keeps drawing on the original.
  if (!image->isDetached() || mode != pmCopy || painter.opacity() != 1.0 ||
      painter.testRenderHint(QPainter::Antialiasing))
    return false;
  const QTransform t = painter.deviceTransform();
  if (t.type() > QTransform::TxTranslate || t.dx() != std::round(t.dx()) || t.dy() != std::round(t.dy()))
    return false;
  const QPoint offset(static_cast<int>(t.dx()), static_cast<int>(t.dy()));
  sink.Offset = offset;
  sink.Areas.clear();
  if (painter.hasClipping()) {
    const QRegion area = painter.clipRegion().translated(offset).intersected(image->rect());
    if (area.rectCount() > MaxClipRects) return false;
    for (const QRect& r : area) sink.Areas.push_back(r.translated(-offset));
  } else {
    sink.Areas.push_back(image->rect().translated(-offset));
  }
  sink.Bits = image->bits();
  sink.Stride = image->bytesPerLine();
  return true;
}

}  // namespace

// Thin lines on a 32-bit image: the same pixels as drawPoints, written into the scanlines.
bool TCanvas::WritePixelFigures(std::span<const TPoint> points, size_t figureSize, bool closed) {
  TPixelSink sink;
  if (!OpenPixelSink(*FPainter, FPen->Mode(), sink)) return false;
  RequirePen();  // the pen's colour as the painter would draw it
  if (FQPen.style() == Qt::NoPen) return true;
  const QRgb on = FQPen.color().rgba();
  const bool drawOff = FBkMode == TBkMode::Opaque && !FPenPattern.empty();
  const QRgb off = drawOff ? ColorToQColor(FBkColor).rgba() : 0;
  if (qAlpha(on) != 255 || (drawOff && qAlpha(off) != 255)) return false;
  if (sink.Areas.empty()) return true;
  sink.OnColor = on;
  sink.OffColor = off;
  sink.DrawOff = drawOff;
  for (size_t start = 0; start < points.size(); start += std::max<size_t>(figureSize, 1)) {
    const std::span<const TPoint> figure = points.subspan(start, std::min(figureSize, points.size() - start));
    WriteFigurePixels(figure, closed, FPenPattern, sink);
  }
  return true;
}

// A small rectangle in a solid brush, written into the image. Larger ones the painter fills
// as fast, without the set-up.
bool TCanvas::WriteSolidRect(const TRect& r) {
  if (FQBrush.style() != Qt::SolidPattern || r.Width() > TShapeStamps::MaxSide || r.Height() > TShapeStamps::MaxSide ||
      ClipTooComplexForPixels(FClip, FBaseClip))
    return false;
  const QRgb color = FQBrush.color().rgba();
  if (qAlpha(color) != 255) return false;
  TPixelSink sink;
  if (!OpenPixelSink(*FPainter, FPen->Mode(), sink)) return false;
  const QRect rect(r.Left, r.Top, r.Width(), r.Height());
  for (const QRect& area : sink.Areas) {
    const QRect part = area.intersected(rect);
    for (int y = part.top(); y <= part.bottom(); ++y)
      std::fill(sink.PixelAt(part.left(), y), sink.PixelAt(part.right(), y) + 1, color);
  }
  return true;
}

// Small shapes in a solid pen or brush: their stamp's pixels copied into the image. The
// shape keeps its margin from the device's edges, where the painter would cut its lines.
bool TCanvas::StampShape(const TStampKey& key, const TRect& bounds, bool outline,
                         const std::function<QPainterPath()>& path) {
  if (outline ? FQPen.style() != Qt::SolidLine || !ThinPen() : FQBrush.style() != Qt::SolidPattern) return false;
  if (bounds.Width() > TShapeStamps::MaxSide || bounds.Height() > TShapeStamps::MaxSide ||
      ClipTooComplexForPixels(FClip, FBaseClip))
    return false;
  const QRgb color = (outline ? FQPen.color() : FQBrush.color()).rgba();
  if (qAlpha(color) != 255) return false;
  TPixelSink sink;
  if (!OpenPixelSink(*FPainter, FPen->Mode(), sink)) return false;
  const QRect clear = PixelBounds().adjusted(TShapeStamps::Margin, TShapeStamps::Margin, -TShapeStamps::Margin,
                                             -TShapeStamps::Margin);
  if (!clear.contains(QRect(bounds.Left, bounds.Top, bounds.Width(), bounds.Height()))) return false;
  const auto paint = [&](QPainter& painter) {
    if (outline) {
      QPen white(FQPen);
      white.setColor(Qt::white);
      painter.strokePath(path(), white);
    } else {
      painter.fillPath(path(), QBrush(Qt::white));
    }
  };
  const std::vector<TPixelRun>* runs = TShapeStamps::ForThread().Find(key, bounds, paint);
  if (!runs) return false;
  for (const QRect& area : sink.Areas) {
    for (const TPixelRun& run : *runs) {
      const int y = bounds.Top + run.Y;
      if (y < area.top() || y > area.bottom()) continue;
      const int left = std::max(bounds.Left + run.Left, area.left());
      const int right = std::min(bounds.Left + run.Left + run.Count - 1, area.right());
      if (left > right) continue;
      std::fill(sink.PixelAt(left, y), sink.PixelAt(right, y) + 1, color);
    }
  }
  return true;
}

void TCanvas::StrokePixelFigure(const TPointArray& points, bool closed) {
  if (points.empty()) return;
  if (WritePixelFigure(points, closed)) return;
  QPolygon on, off;
  const QRect bounds = PixelBounds();
  int64_t phase = 0;
  for (size_t i = 0; i + 1 < points.size(); ++i)
    AppendSegmentPixels(points[i], points[i + 1], bounds, FPenPattern, phase, on, off);
  if (closed) {
    if (points.size() == 1 || points.front() == points.back()) {
      // A closed figure of one point, or one that already returns to its start.
      if (points.size() == 1) on << QPoint(points[0].X, points[0].Y);
    } else {
      AppendSegmentPixels(points.back(), points.front(), bounds, FPenPattern, phase, on, off);
    }
  }
  PlotPixels(on, off);
}

// Outlines path with the current pen: thin pens with Qt's one-pixel stroker, wider pens as
// the filled outline of the stroke (so every pixel is touched once, also in mixing modes).
void TCanvas::StrokePath(const QPainterPath& path, bool closed) {
  if (FQPen.style() == Qt::NoPen) return;
  TCompositionScope mode(FPainter, PenModeComposition(FPen->Mode()));
  if (ThinPen()) {
    FPainter->strokePath(path, FQPen);
    return;
  }
  QPainterPathStroker stroker(FQPen);
  stroker.setJoinStyle(closed ? Qt::MiterJoin : Qt::RoundJoin);
  QPainterPath outline = stroker.createStroke(path);
  outline.setFillRule(Qt::WindingFill);
  FPainter->fillPath(outline, FQPen.color());
}

void TCanvas::FillPath(const QPainterPath& path) {
  if (FQBrush.style() == Qt::NoBrush) return;
  TCompositionScope mode(FPainter, PenModeComposition(FPen->Mode()));
  FPainter->fillPath(path, FQBrush);
}

void TCanvas::RequireShapeState() {
  RequirePen();
  RequireBrush();
}

bool TCanvas::ShapesShowNothing() {
  RequireShapeState();
  return FQPen.style() == Qt::NoPen && FQBrush.style() == Qt::NoBrush;
}

void TCanvas::MoveTo(int x, int y) { SetPenPos(TPoint{x, y}); }

void TCanvas::LineTo(int x, int y) {
  const TPointArray points{PenPos(), TPoint{x, y}};
  SetPenPos(TPoint{x, y});
  Polyline(points);
}

void TCanvas::LineSegments(std::span<const TPoint> ends) {
  if (ends.size() < 2) return;
  const size_t count = ends.size() / 2 * 2;
  SetPenPos(ends[count - 1]);
  BeginDraw();
  RequirePen();
  if (FQPen.style() == Qt::NoPen) return;
  if (UsesPixelLines() && WritePixelFigures(ends.first(count), 2, false)) return;
  for (size_t i = 0; i < count; i += 2) Polyline({ends[i], ends[i + 1]});
}

void TCanvas::Polyline(const TPointArray& points) {
  BeginDraw();
  RequirePen();
  if (points.empty() || FQPen.style() == Qt::NoPen) return;
  if (UsesPixelLines()) {
    StrokePixelFigure(points, false);
    return;
  }
  QPainterPath path;
  const double offset = ThinPen() ? 0.0 : 0.5;
  path.addPolygon(ToPolygonF(points, offset));
  StrokePath(path, false);
}

void TCanvas::Polygon(const TPointArray& points) {
  BeginDraw();
  RequireShapeState();
  if (points.empty()) return;
  if (FQBrush.style() != Qt::NoBrush) {
    const auto fill = [&points] {
      QPainterPath path;
      path.setFillRule(Qt::OddEvenFill);
      path.addPolygon(ToPolygonF(points, 0.0));
      path.closeSubpath();
      return path;
    };
    const TRect bounds = PointBounds(points);
    TStampKey key{TStampShape::PolygonFill, bounds.Width(), bounds.Height(), {}, {}};
    if (bounds.Width() <= TShapeStamps::MaxSide && bounds.Height() <= TShapeStamps::MaxSide) {
      key.Points.reserve(points.size());
      for (const TPoint& p : points) key.Points.push_back({p.X - bounds.Left, p.Y - bounds.Top});
    }
    if (!StampShape(key, bounds, false, fill)) FillPath(fill());
  }
  if (FQPen.style() == Qt::NoPen) return;
  if (UsesPixelLines()) {
    StrokePixelFigure(points, true);
    return;
  }
  QPainterPath outline;
  outline.addPolygon(ToPolygonF(points, ThinPen() ? 0.0 : 0.5));
  outline.closeSubpath();
  StrokePath(outline, true);
}

// The rectangle an outline runs along: through the centres of the edge pixels, or for an
// inside-frame pen, half the pen width inside the rectangle.
QRectF TCanvas::OutlineRect(const TRect& r) const {
  const int width = std::max(1, FPen->Width());
  if (width > 1 && FPen->Style() == psInsideFrame) {
    const double half = width / 2.0;
    return QRectF(QPointF(r.Left + half, r.Top + half), QPointF(r.Right - half, r.Bottom - half));
  }
  if (width > 1) return QRectF(QPointF(r.Left + 0.5, r.Top + 0.5), QPointF(r.Right - 0.5, r.Bottom - 0.5));
  // One-pixel pens draw a pixel at each integer coordinate they pass.
  return QRectF(QPointF(r.Left, r.Top), QPointF(r.Right - 1, r.Bottom - 1));
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  BeginDraw();
  RequireShapeState();
  const TRect r = Normalized(x1, y1, x2, y2);
  if (r.Width() == 0 || r.Height() == 0) return;
  if (FQBrush.style() != Qt::NoBrush && !WriteSolidRect(r)) {
    // The same pixels as filling the rectangle's path, without building one.
    TCompositionScope mode(FPainter, PenModeComposition(FPen->Mode()));
    FPainter->fillRect(FullRectF(r), FQBrush);
  }
  if (FQPen.style() == Qt::NoPen) return;
  if (UsesPixelLines()) {
    // A rectangle one pixel thin is a single run: its outline would cover pixels twice.
    if (r.Height() == 1) return StrokePixelFigure({TPoint{r.Left, r.Top}, TPoint{r.Right, r.Top}}, false);
    if (r.Width() == 1) return StrokePixelFigure({TPoint{r.Left, r.Top}, TPoint{r.Left, r.Bottom}}, false);
    StrokePixelFigure({TPoint{r.Left, r.Top}, TPoint{r.Right - 1, r.Top}, TPoint{r.Right - 1, r.Bottom - 1},
                       TPoint{r.Left, r.Bottom - 1}},
                      true);
    return;
  }
  QPainterPath outline;
  outline.addRect(OutlineRect(r));
  StrokePath(outline, true);
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  BeginDraw();
  RequireShapeState();
  const TRect r = Normalized(x1, y1, x2, y2);
  if (r.Width() == 0 || r.Height() == 0) return;
  if (FQBrush.style() != Qt::NoBrush) {
    const auto fill = [&] {
      QPainterPath path;
      path.addEllipse(FullRectF(r));
      return path;
    };
    if (!StampShape({TStampShape::EllipseFill, r.Width(), r.Height(), {}, {}}, r, false, fill)) FillPath(fill());
  }
  if (FQPen.style() == Qt::NoPen) return;
  const auto outline = [&] {
    QPainterPath path;
    path.addEllipse(OutlineRect(r));
    return path;
  };
  if (!StampShape({TStampShape::EllipseOutline, r.Width(), r.Height(), {}, {}}, r, true, outline))
    StrokePath(outline(), true);
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  BeginDraw();
  RequireShapeState();
  const TRect r = Normalized(x1, y1, x2, y2);
  if (r.Width() == 0 || r.Height() == 0) return;
  const double rx = std::min(std::abs(x3) / 2.0, r.Width() / 2.0);
  const double ry = std::min(std::abs(y3) / 2.0, r.Height() / 2.0);
  // Twice the radii, whole numbers: with the size they fix the shape.
  const TPoint corner{static_cast<int>(2 * rx), static_cast<int>(2 * ry)};
  if (FQBrush.style() != Qt::NoBrush) {
    const auto fill = [&] {
      QPainterPath path;
      path.addRoundedRect(FullRectF(r), rx, ry);
      return path;
    };
    if (!StampShape({TStampShape::RoundRectFill, r.Width(), r.Height(), corner, {}}, r, false, fill)) FillPath(fill());
  }
  if (FQPen.style() == Qt::NoPen) return;
  const auto outline = [&] {
    QPainterPath path;
    path.addRoundedRect(OutlineRect(r), rx, ry);
    return path;
  };
  if (!StampShape({TStampShape::RoundRectOutline, r.Width(), r.Height(), corner, {}}, r, true, outline))
    StrokePath(outline(), true);
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  BeginDraw();
  RequirePen();
  const TRect r = Normalized(x1, y1, x2, y2);
  if (r.Width() == 0 || r.Height() == 0) return;
  const QRectF ellipse = OutlineRect(r);
  const double start = RadialAngle(ellipse, x3, y3);
  double sweep = RadialAngle(ellipse, x4, y4) - start;
  while (sweep <= 0) sweep += 360;
  if (x3 == x4 && y3 == y4) sweep = 360;
  QPainterPath path;
  path.arcMoveTo(ellipse, start);
  path.arcTo(ellipse, start, sweep);
  StrokePath(path, false);
}

// ----------------------------------------------------------------------- brush-only drawing

void TCanvas::FillRect(const TRect& rect) {
  BeginDraw();
  RequireBrush();
  const TRect r = Normalized(rect.Left, rect.Top, rect.Right, rect.Bottom);
  if (FQBrush.style() == Qt::NoBrush || r.Width() == 0 || r.Height() == 0) return;
  TCompositionScope mode(FPainter, QPainter::CompositionMode_SourceOver);
  FPainter->fillRect(FullRectF(r), FQBrush);
}

void TCanvas::FrameRect(const TRect& rect) {
  BeginDraw();
  RequireBrush();
  const TRect r = Normalized(rect.Left, rect.Top, rect.Right, rect.Bottom);
  if (FQBrush.style() == Qt::NoBrush || r.Width() == 0 || r.Height() == 0) return;
  QPainterPath frame;
  frame.setFillRule(Qt::OddEvenFill);
  frame.addRect(FullRectF(r));
  if (r.Width() > 2 && r.Height() > 2) frame.addRect(QRectF(r.Left + 1, r.Top + 1, r.Width() - 2.0, r.Height() - 2.0));
  TCompositionScope mode(FPainter, QPainter::CompositionMode_SourceOver);
  FPainter->fillPath(frame, FQBrush);
}

void TCanvas::FillRegion(const TRegion& region) {
  BeginDraw();
  RequireBrush();
  if (FQBrush.style() == Qt::NoBrush || region.IsEmpty()) return;
  QPainterPath path;
  path.addRegion(region.ToQRegion());
  TCompositionScope mode(FPainter, QPainter::CompositionMode_SourceOver);
  FPainter->fillPath(path, FQBrush);
}

void TCanvas::DrawFocusRect(const TRect& rect) {
  BeginDraw();
  const TRect r = Normalized(rect.Left, rect.Top, rect.Right, rect.Bottom);
  if (r.Width() == 0 || r.Height() == 0) return;
  // Every other pixel of the border, each once, inverted.
  QPolygon dots;
  auto add = [&](int x, int y) {
    if (((x + y) & 1) == 0) dots << QPoint(x, y);
  };
  for (int x = r.Left; x < r.Right; ++x) add(x, r.Top);
  if (r.Height() > 1)
    for (int x = r.Left; x < r.Right; ++x) add(x, r.Bottom - 1);
  for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
    add(r.Left, y);
    if (r.Width() > 1) add(r.Right - 1, y);
  }
  TPainterSaver save(FPainter);
  FPainter->setCompositionMode(QPainter::RasterOp_NotDestination);
  FPainter->setPen(QPen(Qt::black, 0));
  FPainter->drawPoints(dots);
}

// ------------------------------------------------------------------------------------ text

void TCanvas::PaintText(int x, int y, const QString& text, const TRect* clip) {
  BeginDraw();
  RequireFont();
  TPainterSaver save(FPainter);
  FPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (clip) {
    const TRect c = Normalized(clip->Left, clip->Top, clip->Right, clip->Bottom);
    FPainter->setClipRect(FullRectF(c), Qt::IntersectClip);
    if (FBkMode == TBkMode::Opaque) FPainter->fillRect(FullRectF(c), ColorToQColor(FBkColor));
  }
  FPainter->translate(x, y);
  // Escapement turns counter-clockwise on screen.
  if (FFont->Orientation() != 0) FPainter->rotate(-FFont->Orientation() / 10.0);
  const QFontMetrics metrics = FPainter->fontMetrics();
  if (FBkMode == TBkMode::Opaque && !clip)
    FPainter->fillRect(QRect(0, 0, metrics.horizontalAdvance(text), metrics.height()), ColorToQColor(FBkColor));
  FPainter->setPen(ColorToQColor(FFont->Color()));
  FPainter->drawText(QPoint(0, metrics.ascent()), text);
}

void TCanvas::TextOut(int x, int y, const QString& text) {
  PaintText(x, y, text, nullptr);
  FPenPos = TPoint{x, y};
  FPendingAdvance = TPendingAdvance{text, FPainter ? FPainter->font() : FFont->ToQFont()};
}

TPoint TCanvas::PenPos() const {
  if (FPendingAdvance) {
    const QFontMetrics metrics(FPendingAdvance->Font, FPainter ? FPainter->device() : nullptr);
    FPenPos.X += metrics.horizontalAdvance(FPendingAdvance->Text);
    FPendingAdvance.reset();
  }
  return FPenPos;
}

void TCanvas::SetPenPos(const TPoint& pos) {
  FPendingAdvance.reset();
  FPenPos = pos;
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const QString& text) { PaintText(x, y, text, &rect); }

int TCanvas::DrawText(const QString& text, TRect& rect, TTextFormat format) {
  BeginDraw();
  RequireFont();
  int flags = 0;
  flags |= (format & tfCenter) ? Qt::AlignHCenter : (format & tfRight) ? Qt::AlignRight : Qt::AlignLeft;
  flags |= (format & tfVerticalCenter) ? Qt::AlignVCenter : (format & tfBottom) ? Qt::AlignBottom : Qt::AlignTop;
  if (format & tfWordBreak) flags |= Qt::TextWordWrap;
  if (format & tfSingleLine) flags |= Qt::TextSingleLine;
  if (format & tfNoClip) flags |= Qt::TextDontClip;
  const QFontMetrics metrics = FPainter->fontMetrics();
  const TRect r = Normalized(rect.Left, rect.Top, rect.Right, rect.Bottom);
  QString shown = text;
  if ((format & tfEndEllipsis) && !(format & tfWordBreak))
    shown = metrics.elidedText(text, Qt::ElideRight, r.Width());
  if (format & tfCalcRect) {
    const int wrapWidth = (format & tfWordBreak) ? std::max(1, r.Width()) : 1 << 20;
    const QRect needed = metrics.boundingRect(QRect(r.Left, r.Top, wrapWidth, 1 << 20), flags & ~Qt::AlignVertical_Mask & ~Qt::AlignHorizontal_Mask, shown);
    rect.Right = rect.Left + needed.width();
    rect.Bottom = rect.Top + needed.height();
    return needed.height();
  }
  TPainterSaver save(FPainter);
  FPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
  QRect bounds;
  const QRect target(r.Left, r.Top, r.Width(), r.Height());
  if (FBkMode == TBkMode::Opaque) {
    const QRect needed = FPainter->boundingRect(target, flags, shown);
    FPainter->fillRect((format & tfNoClip) ? needed : needed.intersected(target), ColorToQColor(FBkColor));
  }
  FPainter->setPen(ColorToQColor(FFont->Color()));
  FPainter->drawText(target, flags, shown, &bounds);
  return bounds.height();
}

TPoint TCanvas::TextExtent(const QString& text) {
  const QFontMetrics metrics(FFont->ToQFont(), FPainter ? FPainter->device() : nullptr);
  return TPoint{metrics.horizontalAdvance(text), metrics.height()};
}

// ------------------------------------------------------------------------ clip and transform

void TCanvas::ApplyClip() {
  if (!FPainter) return;
  FPainter->setWorldTransform(FBaseTransform);
  if (FBaseClip) FPainter->setClipRegion(*FBaseClip, Qt::ReplaceClip);
  if (FClip) FPainter->setClipRegion(FClip->ToQRegion(), FBaseClip ? Qt::IntersectClip : Qt::ReplaceClip);
  // After setClipping(false), the raster engine ignored the next region for rectangle
  // fills (the second clipped block painted its whole rectangle): drop the clip outright.
  if (!FBaseClip && !FClip) FPainter->setClipRegion(QRegion(), Qt::NoClip);
  ApplyWorldTransform();
}

void TCanvas::ApplyWorldTransform() {
  if (FPainter) FPainter->setWorldTransform(FWorld * FBaseTransform);
}

void TCanvas::SelectClipRegion(const TRegion* region) {
  if (region) FClip = *region;
  else FClip.reset();
  ApplyClip();
}

void TCanvas::IntersectClipRect(const TRect& rect) {
  const TRegion area = TRegion::FromRect(rect);
  FClip = FClip ? FClip->Intersected(area) : area;
  ApplyClip();
}

bool TCanvas::PtVisible(int x, int y) const {
  const QPoint p = FWorld.map(QPoint(x, y));
  if (FClip && !FClip->Contains(p.x(), p.y())) return false;
  if (FBaseClip && !FBaseClip->contains(p)) return false;
  return true;
}

void TCanvas::SetWorldTransform(const QTransform& transform) {
  FWorld = transform;
  ApplyWorldTransform();
}

void TCanvas::RotateAbout(double angle, const TDot& center) {
  QTransform t;
  t.translate(center.X, center.Y);
  t.rotate(angle);
  t.translate(-center.X, -center.Y);
  SetWorldTransform(t);
}

TCanvas::TState TCanvas::SaveState() const { return TState{FClip, FWorld, FBkMode, FBkColor, PenPos()}; }

void TCanvas::RestoreState(const TState& state) {
  FClip = state.Clip;
  FWorld = state.World;
  SetPenPos(state.PenPos);
  SetBkMode(state.BkMode);
  SetBkColor(state.BkColor);
  ApplyClip();
}

// ---------------------------------------------------------------------------------- pictures

void TCanvas::StretchDraw(const TRect& rect, const TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  BeginDraw();
  graphic->Draw(*this, rect);
}

void TCanvas::Draw(int x, int y, const TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  StretchDraw(TRect{x, y, x + graphic->Width(), y + graphic->Height()}, graphic);
}

void TCanvas::DrawImage(const TRect& dest, const QImage& image, const TRect& sourceRect,
                        std::optional<TColor> keyColor) {
  BeginDraw();
  const TRect src = Normalized(sourceRect.Left, sourceRect.Top, sourceRect.Right, sourceRect.Bottom);
  const QRect sourceArea = QRect(src.Left, src.Top, src.Width(), src.Height()).intersected(image.rect());
  if (dest.Width() == 0 || dest.Height() == 0 || sourceArea.isEmpty()) return;
  QImage part = sourceArea == image.rect() ? image : image.copy(sourceArea);
  if (dest.Width() < 0 || dest.Height() < 0) part = part.mirrored(dest.Width() < 0, dest.Height() < 0);
  if (keyColor) part = WithTransparentColor(part, *keyColor);
  const TRect d = Normalized(dest.Left, dest.Top, dest.Right, dest.Bottom);
  TPainterSaver save(FPainter);
  FPainter->setCompositionMode(CopyModeComposition(FCopyMode, keyColor.has_value() || part.hasAlphaChannel()));
  FPainter->setRenderHint(QPainter::SmoothPixmapTransform, false);
  FPainter->drawImage(FullRectF(d), part, QRectF(part.rect()));
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) {
  QImage* image = source.ImageDevice();
  if (!image) throw EInvalidOperation(QStringLiteral("Source canvas has no pixels to copy"));
  // Copied first: the source may be this very canvas.
  const TRect src = Normalized(sourceRect.Left, sourceRect.Top, sourceRect.Right, sourceRect.Bottom);
  const QImage part = image->copy(QRect(src.Left, src.Top, src.Width(), src.Height()));
  DrawImage(dest, part, TRect{0, 0, src.Width(), src.Height()});
}

TColor TCanvas::Pixel(int x, int y) {
  QImage* image = ImageDevice();
  if (!image) return clNone;
  const QPoint p = FPainter->deviceTransform().map(QPoint(x, y));
  if (!image->rect().contains(p)) return clNone;
  return QColorToColor(image->pixelColor(p));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  BeginDraw();
  TCompositionScope mode(FPainter, QPainter::CompositionMode_Source);
  FPainter->fillRect(QRect(x, y, 1, 1), ColorToQColor(color));
}
