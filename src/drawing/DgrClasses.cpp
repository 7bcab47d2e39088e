#include "drawing/DgrClasses.h"

#include "platform/Canvas.h"
#include "platform/ColorMaps.h"

#include <array>

namespace {

constexpr size_t EngineCount = 3;

std::array<TBlockDrawerMaker, EngineCount>& DrawerMakers() {
  static std::array<TBlockDrawerMaker, EngineCount> makers;
  return makers;
}

std::array<TPaintEngineMaker, EngineCount>& PaintEngineMakers() {
  static std::array<TPaintEngineMaker, EngineCount> makers;
  return makers;
}

bool ValidLib(TDgrGraphicLib lib) { return static_cast<size_t>(lib) < EngineCount; }

void EnsureBuiltInEngines() {
  static const bool registered = [] {
    RegisterBuiltInEngines();
    return true;
  }();
  (void)registered;
}

}  // namespace

QColor DgrColorWithAlpha(TColor color, uint8_t alpha) {
  QColor result = ColorToQColor(color);
  if (result.alpha() != 0) result.setAlpha(alpha);
  return result;
}

void RegisterBlockDrawerMaker(TDgrGraphicLib lib, TBlockDrawerMaker maker) {
  if (ValidLib(lib)) DrawerMakers()[static_cast<size_t>(lib)] = std::move(maker);
}

std::unique_ptr<TDgrBlockDrawer> CreateBlockDrawer(TDgrGraphicLib lib) {
  EnsureBuiltInEngines();
  if (!ValidLib(lib) || !DrawerMakers()[static_cast<size_t>(lib)]) return nullptr;
  return DrawerMakers()[static_cast<size_t>(lib)]();
}

void RegisterPaintEngineMaker(TDgrGraphicLib lib, TPaintEngineMaker maker) {
  if (ValidLib(lib)) PaintEngineMakers()[static_cast<size_t>(lib)] = std::move(maker);
}

bool IsGraphicLibAvailable(TDgrGraphicLib lib) {
  EnsureBuiltInEngines();
  if (lib == dglGDI) return true;
  return ValidLib(lib) && PaintEngineMakers()[static_cast<size_t>(lib)] != nullptr;
}

std::unique_ptr<TDgrPaintEngine> CreatePaintEngine(TDgrGraphicLib lib, QPainter* painter, const TRect& rect) {
  if (lib == dglGDI) return nullptr;
  if (!IsGraphicLibAvailable(lib)) throw EDirect2DException(QStringLiteral("Direct2D not supported."));
  return PaintEngineMakers()[static_cast<size_t>(lib)](painter, rect);
}

std::unique_ptr<TDgrPaintEngine> CreatePaintEngine(TDgrGraphicLib lib, TCanvas* canvas, const TRect& rect) {
  if (lib == dglGDI) return nullptr;
  return CreatePaintEngine(lib, canvas ? canvas->Handle() : nullptr, rect);
}
