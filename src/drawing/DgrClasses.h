#pragma once
// The engine-neutral drawing abstraction: the parts elements hold today. The drawing
// engines (path engine on QPainter, Cairo) fill these in.

#include "geometry/DiagramTypes.h"

#include <QObject>
#include <functional>
#include <memory>

namespace DrawingEnums {
Q_NAMESPACE
enum TDgrGraphicLib { dglGDI, dglGDIPlus, dglDirect2D };
Q_ENUM_NS(TDgrGraphicLib)
enum TDgrSmoothMode { smAntiAlias, smInactive, smHighSpeed, smHighQuality };
Q_ENUM_NS(TDgrSmoothMode)
enum TDgrTextRenderingMode { tmAntiAlias, tmAntiAliasHint, tmDefault, tmNormal, tmNormalHint, tmClearType };
Q_ENUM_NS(TDgrTextRenderingMode)
}  // namespace DrawingEnums
using DrawingEnums::TDgrGraphicLib;
using enum DrawingEnums::TDgrGraphicLib;
using DrawingEnums::TDgrSmoothMode;
using enum DrawingEnums::TDgrSmoothMode;
using DrawingEnums::TDgrTextRenderingMode;
using enum DrawingEnums::TDgrTextRenderingMode;

inline constexpr TDgrGraphicLib DefaultGraphicLib = dglGDIPlus;

// A path built in an element's source space.
class TDgrGraphicsPath {
public:
  virtual ~TDgrGraphicsPath() = default;
};

// Per-element drawer of a path engine: maps SourceRect onto DestRect and rotates.
class TDgrBlockDrawer {
public:
  virtual ~TDgrBlockDrawer() = default;
  virtual TDgrGraphicLib GraphicLib() const = 0;
  virtual std::unique_ptr<TDgrGraphicsPath> CreatePath() = 0;

  TSquare SourceRect{0, 0, 100, 100};
  TSquare DestRect;
  double Angle = 0;
};

// Engines register a maker for their block drawers; dglGDI has none.
using TBlockDrawerMaker = std::function<std::unique_ptr<TDgrBlockDrawer>()>;
void RegisterBlockDrawerMaker(TDgrGraphicLib lib, TBlockDrawerMaker maker);
// nullptr when the engine has no block drawer (dglGDI) or none is registered.
std::unique_ptr<TDgrBlockDrawer> CreateBlockDrawer(TDgrGraphicLib lib);
