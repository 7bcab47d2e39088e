#include "drawing/GdipClasses.h"

#include "geometry/BlockShapes.h"

#include <QLinearGradient>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

// Status of an operation refused for invalid arguments.
constexpr int InvalidParameter = 2;

}  // namespace

// ----------------------------------------------------------------------------------- TGdipPen

namespace {

QList<qreal> DashPattern(TGdipDashStyle style) {
  switch (style) {
    case gdsDash: return {3, 1};
    case gdsDot: return {1, 1};
    case gdsDashDot: return {3, 1, 1, 1};
    case gdsDashDotDot: return {3, 1, 1, 1, 1, 1};
    default: return {};
  }
}

}  // namespace

const QPen& TGdipPen::GPPen() const {
  if (FGPPen) return *FGPPen;
  QPen pen(DgrColorWithAlpha(Color(), PenAlpha()));
  const double width = Width();
  pen.setWidthF(std::isfinite(width) && width > 0 ? width : 0);
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  pen.setMiterLimit(10);
  const QList<qreal> pattern = DashPattern(FDashStyle);
  if (!pattern.isEmpty()) pen.setDashPattern(pattern);
  FGPPen = pen;
  return *FGPPen;
}

void TGdipPen::Changed() {
  FGPPen.reset();
  TDgrPen::Changed();
}

void TGdipPen::AssignPlatformStyle(TPenStyle style) {
  switch (style) {
    case psDash: SetDashStyle(gdsDash); break;
    case psDot: SetDashStyle(gdsDot); break;
    case psDashDot: SetDashStyle(gdsDashDot); break;
    case psDashDotDot: SetDashStyle(gdsDashDotDot); break;
    case psClear: SetTransparency(100); break;
    default: SetDashStyle(gdsSolid); break;
  }
}

void TGdipPen::Assign(const TPersistent* source) {
  TDgrPen::Assign(source);
  if (const auto* pen = qobject_cast<const TGdipPen*>(source)) SetDashStyle(pen->FDashStyle);
}

// --------------------------------------------------------------------------------- TGdipBrush

namespace {

bool HatchBit(TGdipHatchStyle style, int x, int y) {
  switch (style) {
    case ghsHorizontal: return y == 0;
    case ghsVertical: return x == 0;
    case ghsForwardDiagonal: return x == y;
    case ghsBackwardDiagonal: return x + y == 7;
    case ghsCross: return x == 0 || y == 0;
    case ghsDiagonalCross: return x == y || x + y == 7;
  }
  return false;
}

QImage HatchImage(TGdipHatchStyle style, const QColor& fore, const QColor& back) {
  QImage image(8, 8, QImage::Format_ARGB32_Premultiplied);
  const QRgb foreRgb = qPremultiply(fore.rgba());
  const QRgb backRgb = qPremultiply(back.rgba());
  for (int y = 0; y < 8; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < 8; ++x) line[x] = HatchBit(style, x, y) ? foreRgb : backRgb;
  }
  return image;
}

QBrush LinearBrush(QPointF from, QPointF to, const QGradientStops& stops, const QTransform& unitToWorld) {
  QLinearGradient gradient(from, to);
  gradient.setStops(stops);
  gradient.setSpread(QGradient::PadSpread);
  QBrush brush(gradient);
  brush.setTransform(unitToWorld);
  return brush;
}

TGPNativeBrush OneBrush(const QBrush& brush) {
  TGPNativeBrush result;
  result.Brush = brush;
  return result;
}

// Premultiplied a + (b - a) * t per channel.
QRgb Interpolate(QRgb a, QRgb b, double t) {
  const auto channel = [t](int from, int to) { return static_cast<int>(std::lround(from + (to - from) * t)); };
  return qRgba(channel(qRed(a), qRed(b)), channel(qGreen(a), qGreen(b)), channel(qBlue(a), qBlue(b)),
               channel(qAlpha(a), qAlpha(b)));
}

}  // namespace

// A rectangular path gradient: the colour depends on max(|dx| / half width, |dy| / half
// height) from the centre, so its lines of equal colour are rectangles. QPainter has no
// such gradient; it is drawn as a texture of the unit square, one texel per world unit.
QBrush TGdipBrush::RectangularGradient(const QColor& center, const QColor& surround, const QRectF& rect,
                                       const QTransform& unitToWorld) const {
  const auto texels = [](double extent) { return std::clamp(static_cast<int>(std::ceil(extent)), 2, 1024); };
  TPathGradientTexture& cache = FPathGradientTexture;
  const int width = texels(rect.width()), height = texels(rect.height());
  const QRgb inner = qPremultiply(center.rgba()), outer = qPremultiply(surround.rgba());
  if (cache.Image.isNull() || cache.Center != inner || cache.Surround != outer || cache.Image.width() != width ||
      cache.Image.height() != height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    // A texel takes the colour of the larger of its column's and its row's distance, so the
    // colours are worked out once per column and once per row.
    std::vector<double> across(static_cast<size_t>(width));
    std::vector<QRgb> columnColour(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
      across[static_cast<size_t>(x)] = std::abs(2 * (x + 0.5) / width - 1);
      columnColour[static_cast<size_t>(x)] = Interpolate(inner, outer, across[static_cast<size_t>(x)]);
    }
    for (int y = 0; y < height; ++y) {
      const double v = std::abs(2 * (y + 0.5) / height - 1);
      const QRgb rowColour = Interpolate(inner, outer, v);
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < width; ++x)
        line[x] = v >= across[static_cast<size_t>(x)] ? rowColour : columnColour[static_cast<size_t>(x)];
    }
    cache = TPathGradientTexture{inner, outer, image};
  }
  QBrush brush(cache.Image);
  brush.setTransform(QTransform::fromScale(1.0 / width, 1.0 / height) * unitToWorld);
  return brush;
}

// The gradient over the gradient rectangle: drawn in the unit square mapped onto the
// rectangle and turned by the rotation of the brush position.
TGPNativeBrush TGdipBrush::GradientBrush(const QColor& color1, const QColor& color2) const {
  const QRectF& rect = FGradientRect;
  const TDgrGradientMode mode = GradientMode();
  if (!(rect.width() > 0 && rect.height() > 0)) return OneBrush(QBrush(color1));
  const QTransform toWorld = QTransform(rect.width(), 0, 0, rect.height(), rect.x(), rect.y()) * FRotMatrix;
  const auto linear = [&](QPointF from, QPointF to, const QColor& start, const QColor& end) {
    return OneBrush(LinearBrush(from, to, {{0.0, start}, {1.0, end}}, toWorld));
  };
  const auto peaked = [&](QPointF from, QPointF to, const QColor& edges, const QColor& middle) {
    return OneBrush(LinearBrush(from, to, {{0.0, edges}, {0.5, middle}, {1.0, edges}}, toWorld));
  };
  const QPointF topLeft(0, 0), topRight(1, 0), bottomLeft(0, 1), bottomRight(1, 1);
  switch (mode) {
    case gmTopBottom: return linear(topLeft, bottomLeft, color1, color2);
    case gmBottomTop: return linear(topLeft, bottomLeft, color2, color1);
    case gmLeftRight: return linear(topLeft, topRight, color1, color2);
    case gmRightLeft: return linear(topLeft, topRight, color2, color1);
    case gmLeftTop: return linear(topLeft, bottomRight, color1, color2);
    case gmRightBottom: return linear(topLeft, bottomRight, color2, color1);
    case gmRightTop: return linear(topRight, bottomLeft, color1, color2);
    case gmLeftBottom: return linear(topRight, bottomLeft, color2, color1);
    case gmInOut: return OneBrush(RectangularGradient(color1, color2, rect, toWorld));
    case gmOutIn: return OneBrush(RectangularGradient(color2, color1, rect, toWorld));
    case gmHorzInOut: return peaked(topLeft, bottomLeft, color2, color1);
    case gmHorzOutIn: return peaked(topLeft, bottomLeft, color1, color2);
    case gmVertInOut: return peaked(topLeft, topRight, color2, color1);
    case gmVertOutIn: return peaked(topLeft, topRight, color1, color2);
  }
  return OneBrush(QBrush(color1));
}

TGPNativeBrush TGdipBrush::BuildBrush() const {
  const QColor fore = DgrColorWithAlpha(Color(), ForeAlpha());
  const QColor back = DgrColorWithAlpha(Color2(), BackAlpha());
  switch (BrushMode()) {
    case bmClear: return {};
    case bmHatch: {
      TGPNativeBrush brush = OneBrush(QBrush(HatchImage(FHatchStyle, fore, back)));
      brush.DeviceAligned = true;
      return brush;
    }
    case bmGradient: return GradientBrush(fore, back);
    case bmTexture: {
      const QImage& image = static_cast<const TGdipPicture*>(Texture())->GPImage();
      if (image.isNull()) return {};
      QBrush brush(image);
      brush.setTransform(QTransform::fromTranslate(FGradientRect.x(), FGradientRect.y()) * FRotMatrix);
      return OneBrush(brush);
    }
    default: return fore.alpha() == 0 ? TGPNativeBrush{} : OneBrush(QBrush(fore));
  }
}

const TGPNativeBrush& TGdipBrush::GPBrush() const {
  if (!FGPBrush) FGPBrush = BuildBrush();
  return *FGPBrush;
}

void TGdipBrush::Changed() {
  FGPBrush.reset();
  TDgrBrush::Changed();
}

std::unique_ptr<TDgrPicture> TGdipBrush::CreateTexture() const { return std::make_unique<TGdipPicture>(); }

void TGdipBrush::DoUpdateBrushPosition(const TSquare& rect, double angle, const TDot& center) {
  FGradientRect = QRectF(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top);
  FRotMatrix.reset();
  if (angle != 0 && std::isfinite(angle)) {
    QTransform rotation;
    rotation.rotate(angle);
    FRotMatrix = QTransform::fromTranslate(-center.X, -center.Y) * rotation *
                 QTransform::fromTranslate(center.X, center.Y);
  }
}

void TGdipBrush::AssignPlatformStyle(TBrushStyle style) {
  switch (style) {
    case bsHorizontal: FHatchStyle = ghsHorizontal; break;
    case bsVertical: FHatchStyle = ghsVertical; break;
    case bsFDiagonal: FHatchStyle = ghsForwardDiagonal; break;
    case bsBDiagonal: FHatchStyle = ghsBackwardDiagonal; break;
    case bsCross: FHatchStyle = ghsCross; break;
    case bsDiagCross: FHatchStyle = ghsDiagonalCross; break;
    default: break;
  }
}

void TGdipBrush::Assign(const TPersistent* source) {
  TDgrBrush::Assign(source);
  if (const auto* brush = qobject_cast<const TGdipBrush*>(source)) SetHatchStyle(brush->FHatchStyle);
}

// -------------------------------------------------------------------------- TGdipGraphicsPath

TGdipGraphicsPath::TGdipGraphicsPath() { FGPPath.setFillRule(Qt::OddEvenFill); }

void TGdipGraphicsPath::ContinueAt(double x, double y) {
  const QPointF point(x, y);
  if (FFigureOpen && !FGPPath.isEmpty()) {
    if (FGPPath.currentPosition() != point) FGPPath.lineTo(point);
    return;
  }
  FGPPath.moveTo(point);
  FFigureOpen = true;
}

int TGdipGraphicsPath::AddLine(double x1, double y1, double x2, double y2) {
  ContinueAt(x1, y1);
  FGPPath.lineTo(x2, y2);
  return 0;
}

int TGdipGraphicsPath::AddLines(const TDotArray& points) {
  if (points.empty()) return InvalidParameter;
  ContinueAt(points.front().X, points.front().Y);
  for (size_t i = 1; i < points.size(); ++i) FGPPath.lineTo(points[i].X, points[i].Y);
  return 0;
}

int TGdipGraphicsPath::AddBezier(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                                 double y4) {
  ContinueAt(x1, y1);
  FGPPath.cubicTo(x2, y2, x3, y3, x4, y4);
  return 0;
}

namespace {

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }
double Degrees(double radians) { return radians * 180.0 / std::numbers::pi; }

// The ellipse parameter (degrees) of the point that lies at the geometric angle `angle`
// from the centre, taken in the same turn as the angle.
double ParametricAngle(double angle, double rx, double ry) {
  const double a = Radians(angle);
  const double t = Degrees(std::atan2(rx * std::sin(a), ry * std::cos(a)));
  return t + 360.0 * std::round((angle - t) / 360.0);
}

}  // namespace

int TGdipGraphicsPath::AddArc(double x, double y, double width, double height, double startAngle,
                              double sweepAngle) {
  if (!(width > 0 && height > 0) || !std::isfinite(startAngle) || !std::isfinite(sweepAngle)) return InvalidParameter;
  const double rx = width / 2, ry = height / 2;
  const double cx = x + rx, cy = y + ry;
  const double sweep = std::clamp(sweepAngle, -360.0, 360.0);
  const double start = ParametricAngle(startAngle, rx, ry);
  const double end = std::abs(sweep) == 360.0 ? start + sweep : ParametricAngle(startAngle + sweep, rx, ry);
  ContinueAt(cx + rx * std::cos(Radians(start)), cy + ry * std::sin(Radians(start)));
  // Qt counts angles counter-clockwise on screen.
  FGPPath.arcTo(QRectF(x, y, width, height), -start, -(end - start));
  return 0;
}

int TGdipGraphicsPath::AddEllipse(double x, double y, double width, double height) {
  FGPPath.addEllipse(QRectF(x, y, width, height));
  FFigureOpen = false;
  return 0;
}

int TGdipGraphicsPath::AddPolygon(const TDotArray& points) {
  if (points.empty()) return InvalidParameter;
  QPolygonF polygon;
  polygon.reserve(static_cast<qsizetype>(points.size()));
  for (const TDot& p : points) polygon << QPointF(p.X, p.Y);
  FGPPath.addPolygon(polygon);
  FGPPath.closeSubpath();
  FFigureOpen = false;
  return 0;
}

int TGdipGraphicsPath::AddRectangle(const TSquare& rect) {
  FGPPath.addRect(QRectF(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top));
  FFigureOpen = false;
  return 0;
}

int TGdipGraphicsPath::AddRoundRect(double x1, double y1, double x2, double y2, double x3, double y3) {
  if (!(x3 > 0 && y3 > 0)) {
    // Without a corner ellipse the corners are sharp.
    AddLines({{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}});
    return 0;
  }
  for (const TCornerArc& arc : RoundRectCornerArcs(x1, y1, x2, y2, x3, y3))
    AddArc(arc.Box.Left, arc.Box.Top, arc.Box.Width(), arc.Box.Height(), arc.StartAngle, arc.SweepAngle);
  return 0;
}

int TGdipGraphicsPath::CloseFigure(bool) {
  if (FFigureOpen && !FGPPath.isEmpty()) FGPPath.closeSubpath();
  FFigureOpen = false;
  return 0;
}

int TGdipGraphicsPath::StartFigure() {
  FFigureOpen = false;
  return 0;
}

std::unique_ptr<TDgrRegion> TGdipGraphicsPath::CreateRegion() const { return std::make_unique<TGdipRegion>(FGPPath); }

int TGdipGraphicsPath::GetPointCount() const {
  return FGPPath.isEmpty() ? 0 : static_cast<int>(FGPPath.elementCount());
}

bool TGdipGraphicsPath::IsVisible(double x, double y) const { return FGPPath.contains(QPointF(x, y)); }

int TGdipGraphicsPath::Reset() {
  FGPPath = QPainterPath();
  FGPPath.setFillRule(Qt::OddEvenFill);
  FFigureOpen = false;
  return 0;
}

int TGdipGraphicsPath::SetFillMode(TFillMode fillMode) {
  FGPPath.setFillRule(fillMode == fmWinding ? Qt::WindingFill : Qt::OddEvenFill);
  return 0;
}

void TGdipGraphicsPath::Transform(const QTransform& transform) { FGPPath = transform.map(FGPPath); }

// -------------------------------------------------------------------------------- TGdipRegion

std::optional<QRegion> TGdipRegion::GetHRGN(const TDgrCanvas& canvas) const {
  const auto* gpCanvas = qobject_cast<const TGPCanvas*>(&canvas);
  TGPGraphics* graphics = gpCanvas ? gpCanvas->GPGraphics() : nullptr;
  if (!graphics) return std::nullopt;
  const QPainterPath device = graphics->WorldToDevice().map(FGPRegion);
  const Qt::FillRule rule = device.fillRule();
  QRegion region;
  for (const QPolygonF& polygon : device.toFillPolygons()) {
    const QRegion part(polygon.toPolygon(), rule);
    region = rule == Qt::OddEvenFill ? region.xored(part) : region.united(part);
  }
  return region;
}

bool TGdipRegion::IsVisible(const TSquare& rect) const {
  return FGPRegion.intersects(QRectF(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top));
}
