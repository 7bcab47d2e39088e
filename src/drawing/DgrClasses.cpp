#include "drawing/DgrClasses.h"

#include <array>

namespace {
std::array<TBlockDrawerMaker, 3>& Makers() {
  static std::array<TBlockDrawerMaker, 3> makers;
  return makers;
}
}  // namespace

void RegisterBlockDrawerMaker(TDgrGraphicLib lib, TBlockDrawerMaker maker) {
  Makers()[static_cast<size_t>(lib)] = std::move(maker);
}

std::unique_ptr<TDgrBlockDrawer> CreateBlockDrawer(TDgrGraphicLib lib) {
  const auto index = static_cast<size_t>(lib);
  if (index >= Makers().size() || !Makers()[index]) return nullptr;
  return Makers()[index]();
}
