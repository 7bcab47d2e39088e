#pragma once
// Enumerations of the drawing layer and the transparency rule shared by every engine.

#include "platform/Exceptions.h"
#include "platform/GraphicsTypes.h"

#include <QColor>
#include <QObject>
#include <cstdint>

namespace DrawingEnums {
Q_NAMESPACE
enum TDgrGraphicLib { dglGDI, dglGDIPlus, dglDirect2D };
Q_ENUM_NS(TDgrGraphicLib)
enum TDgrBrushMode { bmSolid, bmClear, bmHatch, bmGradient, bmTexture };
Q_ENUM_NS(TDgrBrushMode)
// Same order as the diagram's gradient directions: a direction converts by its ordinal.
enum TDgrGradientMode {
  gmTopBottom, gmBottomTop, gmLeftRight, gmRightLeft, gmLeftTop, gmRightTop, gmLeftBottom,
  gmRightBottom, gmInOut, gmOutIn, gmHorzInOut, gmHorzOutIn, gmVertInOut, gmVertOutIn
};
Q_ENUM_NS(TDgrGradientMode)
enum TDgrPageUnit { dpuWorld, dpuDisplay, dpuPixel, dpuPoint, dpuInch, dpuDocument, dpuMillimeter };
Q_ENUM_NS(TDgrPageUnit)
enum TDgrSmoothMode { smAntiAlias, smInactive, smHighSpeed, smHighQuality };
Q_ENUM_NS(TDgrSmoothMode)
enum TDgrTextRenderingMode { tmAntiAlias, tmAntiAliasHint, tmDefault, tmNormal, tmNormalHint, tmClearType };
Q_ENUM_NS(TDgrTextRenderingMode)
// How a path with crossing or nested figures is filled.
enum TFillMode { fmAlternate, fmWinding };
Q_ENUM_NS(TFillMode)
}  // namespace DrawingEnums
using DrawingEnums::TDgrGraphicLib;
using enum DrawingEnums::TDgrGraphicLib;
using DrawingEnums::TDgrBrushMode;
using enum DrawingEnums::TDgrBrushMode;
using DrawingEnums::TDgrGradientMode;
using enum DrawingEnums::TDgrGradientMode;
using DrawingEnums::TDgrPageUnit;
using enum DrawingEnums::TDgrPageUnit;
using DrawingEnums::TDgrSmoothMode;
using enum DrawingEnums::TDgrSmoothMode;
using DrawingEnums::TDgrTextRenderingMode;
using enum DrawingEnums::TDgrTextRenderingMode;
using DrawingEnums::TFillMode;
using enum DrawingEnums::TFillMode;

inline constexpr TDgrGraphicLib DefaultGraphicLib = dglGDIPlus;

// Horizontal text alignment, by the ordinals of the elements' TAlignment
// (taLeftJustify, taRightJustify, taCenter), which converts to it implicitly.
using TDgrHAlign = int;
inline constexpr TDgrHAlign dhaLeft = 0;
inline constexpr TDgrHAlign dhaRight = 1;
inline constexpr TDgrHAlign dhaCenter = 2;

// Raised when a paint engine that the machine does not offer is asked for.
class EDirect2DException : public Exception { using Exception::Exception; };

// Transparency is a percentage: 0 opaque, 100 invisible. Values outside are clamped.
constexpr int ClampTransparency(int transparency) {
  return transparency < 0 ? 0 : transparency > 100 ? 100 : transparency;
}

// Round((100 - T) * 2.55) with ties to even, computed exactly in integers as
// (100 - T) * 255 / 100: 0 -> 255, 10 -> 230, 50 -> 128, 100 -> 0.
constexpr uint8_t TransparencyToAlpha(int transparency) {
  const int scaled = (100 - ClampTransparency(transparency)) * 255;
  int quotient = scaled / 100;
  const int remainder = scaled % 100;
  if (remainder > 50 || (remainder == 50 && (quotient & 1))) ++quotient;
  return static_cast<uint8_t>(quotient);
}

// The colour resolved to RGB (system colours included) with the given alpha, or with the
// alpha of a transparency. clNone stays fully transparent.
QColor DgrColorWithAlpha(TColor color, uint8_t alpha);
inline QColor DgrColor(TColor color, int transparency) {
  return DgrColorWithAlpha(color, TransparencyToAlpha(transparency));
}
