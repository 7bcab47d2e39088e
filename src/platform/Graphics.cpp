#include "platform/Graphics.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <tuple>

int ScreenPixelsPerInch() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return 96;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 96;
  const int dpi = static_cast<int>(std::lround(screen->logicalDotsPerInchY()));
  return dpi > 0 ? dpi : 96;
}

void TGraphicsObject::Changed() {
  ++FRevision;
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------- TFont

TFont::TFont(QObject* parent)
    : TGraphicsObject(parent), FName(QString::fromLatin1(DefaultName)), FPixelsPerInch(ScreenPixelsPerInch()) {}

void TFont::SetPixelsPerInch(int value) {
  if (value > 0) FPixelsPerInch = value;
}

int TFont::Size() const {
  const double points = std::abs(static_cast<double>(FHeight)) * 72.0 / FPixelsPerInch;
  return static_cast<int>(std::lround(points));
}

void TFont::SetSize(int points) {
  const double pixels = std::abs(static_cast<double>(points)) * FPixelsPerInch / 72.0;
  SetHeight(-static_cast<int>(std::lround(pixels)));
}

int TFont::CharacterPixelSize() const {
  if (FHeight == 0) return -DefaultHeight;
  // INT_MIN has no magnitude in int; such a height is absurd anyway.
  const int64_t magnitude = std::min<int64_t>(std::llabs(static_cast<int64_t>(FHeight)), 100000);
  if (FHeight < 0) return static_cast<int>(magnitude);
  // Cell height: scale so that ascent + descent come to the requested pixels.
  QFont probe(FName);
  probe.setPixelSize(static_cast<int>(magnitude));
  const double cell = QFontMetricsF(probe).height();
  if (cell <= 0) return static_cast<int>(magnitude);
  const double size = static_cast<double>(magnitude) * magnitude / cell;
  return std::max(1, static_cast<int>(std::lround(size)));
}

const QFont& TFont::ToQFont() const {
  if (FQFontValid) return FQFont;
  QFont font(FName);
  font.setPixelSize(CharacterPixelSize());
  font.setBold(FStyle.testFlag(fsBold));
  font.setItalic(FStyle.testFlag(fsItalic));
  font.setUnderline(FStyle.testFlag(fsUnderline));
  font.setStrikeOut(FStyle.testFlag(fsStrikeOut));
  if (FPitch == fpFixed) {
    font.setFixedPitch(true);
    font.setStyleHint(QFont::TypeWriter);
  }
  switch (FQuality) {
    case fqNonAntialiased:
    case fqDraft: font.setStyleStrategy(QFont::NoAntialias); break;
    case fqAntialiased:
    case fqClearType:
    case fqClearTypeNatural: font.setStyleStrategy(QFont::PreferAntialias); break;
    default: break;
  }
  FQFont = font;
  FQFontValid = true;
  return FQFont;
}

void TFont::Changed() {
  FQFontValid = false;
  TGraphicsObject::Changed();
}

void TFont::Assign(const TPersistent* source) {
  const auto* font = qobject_cast<const TFont*>(source);
  if (!font) {
    TPersistent::Assign(source);
    return;
  }
  auto fields = [](auto& f) {
    return std::tie(f.FCharset, f.FColor, f.FHeight, f.FName, f.FOrientation, f.FPitch, f.FStyle, f.FQuality);
  };
  if (fields(*this) == fields(*font)) return;
  fields(*this) = fields(*font);
  Changed();
}

// ----------------------------------------------------------------------------------- TPen

void TPen::Assign(const TPersistent* source) {
  const auto* pen = qobject_cast<const TPen*>(source);
  if (!pen) {
    TPersistent::Assign(source);
    return;
  }
  SetSettings(pen->Settings());
}

void TPen::SetSettings(const TSettings& settings) {
  if (Settings() == settings) return;
  FColor = settings.Color;
  FMode = settings.Mode;
  FStyle = settings.Style;
  FWidth = settings.Width;
  Changed();
}

// --------------------------------------------------------------------------------- TBrush

void TBrush::Assign(const TPersistent* source) {
  const auto* brush = qobject_cast<const TBrush*>(source);
  if (!brush) {
    TPersistent::Assign(source);
    return;
  }
  SetSettings(brush->Settings());
}

void TBrush::SetSettings(const TSettings& settings) {
  if (Settings() == settings) return;
  FColor = settings.Color;
  FStyle = settings.Style;
  Changed();
}
