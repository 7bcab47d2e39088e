#include "document/SpatialIndex.h"

#include "elements/DiagramControl.h"
#include "elements/LinkPoints.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// An element whose bounds cover more cells than this is kept aside: linking it would cost
// more than testing it on every query.
constexpr int64_t MaxCellsPerElement = 256;
// Cell coordinates are clamped so that far-away (or huge) bounds still map to valid keys.
constexpr double MaxCellCoordinate = double(1 << 30);
constexpr double MinCellSize = 8;
constexpr double MaxCellSize = 1 << 20;

TSquare Normalized(const TSquare& r) {
  return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right), std::max(r.Top, r.Bottom)};
}

int32_t CellCoordinate(double value, double cellSize) {
  return static_cast<int32_t>(std::clamp(std::floor(value / cellSize), -MaxCellCoordinate, MaxCellCoordinate));
}

}  // namespace

TSpatialIndex::TSpatialIndex(const std::vector<TDiagramControl*>& list) : FList(list) {}

// --- Static tests -------------------------------------------------------------------------------

TSquare TSpatialIndex::PaintBounds(const TDiagramControl* control) {
  return Normalized(control->Angle() != 0 ? control->SurroundRect() : control->ControlRect());
}

TSquare TSpatialIndex::Reach(const TDiagramControl* control, const TSquare& bounds) {
  TSquare reach = bounds;
  if (control->IsLine()) return reach;  // lines draw no link point markers
  const TLinkPoints* points = control->LinkPoints();
  for (int i = 0; i < points->Count(); ++i) {
    const TDot p = control->LinkPointClientPoint(points->Point(i));
    if (!IsFinite(p)) return {p.X, p.Y, p.X, p.Y};  // not finite: kept aside
    reach = {std::min(reach.Left, p.X), std::min(reach.Top, p.Y), std::max(reach.Right, p.X),
             std::max(reach.Bottom, p.Y)};
  }
  return reach;
}

bool TSpatialIndex::Overlap(const TSquare& a, const TSquare& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

bool TSpatialIndex::Contains(const TSquare& outer, const TSquare& inner) {
  return outer.Left <= inner.Left && inner.Right <= outer.Right && outer.Top <= inner.Top &&
         inner.Bottom <= outer.Bottom;
}

// --- Changes ------------------------------------------------------------------------------------

void TSpatialIndex::Remove(const TDiagramControl* control) {
  const auto it = FSlotOf.find(control);
  if (it != FSlotOf.end()) FreeSlot(it->second);
  FOrderStale = true;
}

void TSpatialIndex::BoundsChanged(const TDiagramControl* control) {
  const auto it = FSlotOf.find(control);
  if (it == FSlotOf.end()) return;  // not in the list yet: measured when it is found there
  TSlot& slot = FSlots[static_cast<size_t>(it->second)];
  if (slot.Dirty) return;
  slot.Dirty = true;
  FDirty.push_back(it->second);
}

void TSpatialIndex::InvalidateAll() { FAllStale = true; }

// --- Catching up --------------------------------------------------------------------------------

void TSpatialIndex::Refresh() {
  // The list is compared with the copy taken at the last synchronisation: a change that
  // nobody announced (a reorder, an element added by other means) is still noticed. The
  // comparison is a memory compare, far cheaper than measuring elements.
  if (!FOrderStale && (FListCopy.size() != FList.size() ||
                       (!FList.empty() && std::memcmp(FListCopy.data(), FList.data(),
                                                      FList.size() * sizeof(TDiagramControl*)) != 0)))
    FOrderStale = true;
  if (FOrderStale) SyncWithList();
  if (FAllStale) {
    Rebuild();
    return;
  }
  for (const int slot : FDirty)
    if (FSlots[static_cast<size_t>(slot)].Live && FSlots[static_cast<size_t>(slot)].Dirty) Measure(slot);
  FDirty.clear();
}

void TSpatialIndex::SyncWithList() {
  const uint32_t stamp = NextStamp();
  for (size_t i = 0; i < FList.size(); ++i) {
    TDiagramControl* control = FList[i];
    const auto it = FSlotOf.find(control);
    const int slot = it != FSlotOf.end() ? it->second : AddSlot(control);
    FSlots[static_cast<size_t>(slot)].Position = static_cast<int>(i);
    FSlots[static_cast<size_t>(slot)].Stamp = stamp;
  }
  for (size_t slot = 0; slot < FSlots.size(); ++slot)
    if (FSlots[slot].Live && FSlots[slot].Stamp != stamp) FreeSlot(static_cast<int>(slot));
  FListCopy = FList;
  FOrderStale = false;
}

void TSpatialIndex::Rebuild() {
  FBuckets.clear();
  FAside.clear();
  for (TSlot& slot : FSlots) {
    slot.InGrid = false;
    slot.AsidePos = -1;
    slot.Dirty = false;
    if (slot.Live && slot.Tracked) {
      slot.Bounds = PaintBounds(slot.Control);
      slot.Reach = Reach(slot.Control, slot.Bounds);
    }
  }
  FDirty.clear();
  ChooseCellSize();
  for (size_t slot = 0; slot < FSlots.size(); ++slot)
    if (FSlots[slot].Live) Place(static_cast<int>(slot));
  FAllStale = false;
}

void TSpatialIndex::ChooseCellSize() {
  // About twice the typical element: most elements then touch one to four cells and a
  // view-sized query visits few cells per element it finds.
  std::vector<double> sizes;
  sizes.reserve(FSlots.size());
  for (const TSlot& slot : FSlots)
    if (slot.Live && slot.Tracked && IsFinite(slot.Bounds))
      sizes.push_back(std::max(slot.Bounds.Width(), slot.Bounds.Height()));
  if (sizes.empty()) return;
  const auto middle = sizes.begin() + static_cast<std::ptrdiff_t>(sizes.size() / 2);
  std::nth_element(sizes.begin(), middle, sizes.end());
  FCellSize = std::clamp(2 * *middle, MinCellSize, MaxCellSize);
}

int TSpatialIndex::AddSlot(TDiagramControl* control) {
  int slot;
  if (!FFreeSlots.empty()) {
    slot = FFreeSlots.back();
    FFreeSlots.pop_back();
  } else {
    slot = static_cast<int>(FSlots.size());
    FSlots.emplace_back();
  }
  TSlot& s = FSlots[static_cast<size_t>(slot)];
  s = TSlot{};
  s.Control = control;
  s.Live = true;
  // Groups paint through their members and have no painted area of their own to follow.
  s.Tracked = control->ReportsBoundsChanges() && !control->IsGroup();
  s.Dirty = true;
  FDirty.push_back(slot);
  FSlotOf[control] = slot;
  ++FLiveCount;
  return slot;
}

void TSpatialIndex::FreeSlot(int slot) {
  Unplace(slot);
  TSlot& s = FSlots[static_cast<size_t>(slot)];
  FSlotOf.erase(s.Control);
  s = TSlot{};
  FFreeSlots.push_back(slot);
  --FLiveCount;
}

void TSpatialIndex::Measure(int slot) {
  Unplace(slot);
  TSlot& s = FSlots[static_cast<size_t>(slot)];
  if (s.Tracked) {
    s.Bounds = PaintBounds(s.Control);
    s.Reach = Reach(s.Control, s.Bounds);
  }
  s.Dirty = false;
  Place(slot);
}

TSpatialIndex::TCellRange TSpatialIndex::CellsOf(const TSquare& bounds) const {
  return {CellCoordinate(bounds.Left, FCellSize), CellCoordinate(bounds.Top, FCellSize),
          CellCoordinate(bounds.Right, FCellSize), CellCoordinate(bounds.Bottom, FCellSize)};
}

void TSpatialIndex::Place(int slot) {
  TSlot& s = FSlots[static_cast<size_t>(slot)];
  if (s.Tracked && IsFinite(s.Bounds) && IsFinite(s.Reach)) {
    s.Cells = CellsOf(s.Reach);
    if (s.Cells.Count() <= MaxCellsPerElement) {
      for (int32_t x = s.Cells.X0; x <= s.Cells.X1; ++x)
        for (int32_t y = s.Cells.Y0; y <= s.Cells.Y1; ++y) FBuckets[Key(x, y)].push_back(slot);
      s.InGrid = true;
      return;
    }
  }
  s.AsidePos = static_cast<int>(FAside.size());
  FAside.push_back(slot);
}

void TSpatialIndex::Unplace(int slot) {
  TSlot& s = FSlots[static_cast<size_t>(slot)];
  if (s.InGrid) {
    for (int32_t x = s.Cells.X0; x <= s.Cells.X1; ++x)
      for (int32_t y = s.Cells.Y0; y <= s.Cells.Y1; ++y) {
        const auto bucket = FBuckets.find(Key(x, y));
        if (bucket == FBuckets.end()) continue;
        std::vector<int>& members = bucket->second;
        const auto at = std::find(members.begin(), members.end(), slot);
        if (at != members.end()) {
          *at = members.back();
          members.pop_back();
        }
        if (members.empty()) FBuckets.erase(bucket);
      }
    s.InGrid = false;
  }
  if (s.AsidePos >= 0) {
    const int last = FAside.back();
    FAside[static_cast<size_t>(s.AsidePos)] = last;
    FSlots[static_cast<size_t>(last)].AsidePos = s.AsidePos;
    FAside.pop_back();
    s.AsidePos = -1;
  }
}

uint32_t TSpatialIndex::NextStamp() {
  if (++FStamp == 0) {  // wrapped: old stamps could match again
    for (TSlot& slot : FSlots) slot.Stamp = 0;
    FStamp = 1;
  }
  return FStamp;
}

// --- Queries ------------------------------------------------------------------------------------

std::vector<TDiagramControl*> TSpatialIndex::Candidates(const TSquare& rect) { return Query(rect, TMode::Candidates); }
std::vector<TDiagramControl*> TSpatialIndex::MarkerCandidates(const TSquare& rect) {
  return Query(rect, TMode::MarkerCandidates);
}
std::vector<TDiagramControl*> TSpatialIndex::Intersecting(const TSquare& rect) {
  return Query(rect, TMode::Intersecting);
}
std::vector<TDiagramControl*> TSpatialIndex::Containing(const TSquare& rect) { return Query(rect, TMode::Containing); }

std::vector<TDiagramControl*> TSpatialIndex::Query(const TSquare& rect, TMode mode) {
  Refresh();
  const TSquare area = Normalized(rect);
  const auto matches = [&](const TSlot& s) {
    switch (mode) {
      case TMode::Containing: return Contains(s.Bounds, area);
      case TMode::MarkerCandidates: return Overlap(s.Reach, area);
      case TMode::Candidates:
      case TMode::Intersecting: break;
    }
    return Overlap(s.Bounds, area);
  };
  const bool candidates = mode == TMode::Candidates || mode == TMode::MarkerCandidates;
  std::vector<int> positions;
  const uint32_t stamp = NextStamp();
  const auto visit = [&](const std::vector<int>& members) {
    for (const int slot : members) {
      TSlot& s = FSlots[static_cast<size_t>(slot)];
      if (s.Stamp == stamp) continue;
      s.Stamp = stamp;
      if (matches(s)) positions.push_back(s.Position);
    }
  };
  if (IsFinite(area)) {
    const TCellRange cells = CellsOf(area);
    if (cells.Count() > static_cast<int64_t>(FBuckets.size())) {
      for (const auto& [key, members] : FBuckets) visit(members);
    } else {
      for (int32_t x = cells.X0; x <= cells.X1; ++x)
        for (int32_t y = cells.Y0; y <= cells.Y1; ++y) {
          const auto bucket = FBuckets.find(Key(x, y));
          if (bucket != FBuckets.end()) visit(bucket->second);
        }
    }
  }
  for (const int slot : FAside) {
    const TSlot& s = FSlots[static_cast<size_t>(slot)];
    if (s.Tracked) {
      if (matches(s)) positions.push_back(s.Position);
    } else if (candidates) {
      positions.push_back(s.Position);
    } else {
      TSlot measured = s;
      measured.Bounds = PaintBounds(s.Control);
      if (matches(measured)) positions.push_back(s.Position);
    }
  }
  return InPaintOrder(positions);
}

std::vector<TDiagramControl*> TSpatialIndex::InListOrder(const std::vector<TDiagramControl*>& controls) {
  Refresh();
  std::vector<int> positions;
  positions.reserve(controls.size());
  const uint32_t stamp = NextStamp();
  for (const TDiagramControl* control : controls) {
    const auto it = FSlotOf.find(control);
    if (it == FSlotOf.end()) continue;
    TSlot& s = FSlots[static_cast<size_t>(it->second)];
    if (s.Stamp == stamp) continue;
    s.Stamp = stamp;
    positions.push_back(s.Position);
  }
  return InPaintOrder(positions);
}

std::vector<TDiagramControl*> TSpatialIndex::InPaintOrder(std::vector<int>& positions) const {
  std::vector<TDiagramControl*> result;
  result.reserve(positions.size());
  // Many hits: one walk over the list beats sorting them.
  if (positions.size() * 16 > FList.size()) {
    std::vector<char> hit(FList.size(), 0);
    for (const int position : positions) hit[static_cast<size_t>(position)] = 1;
    for (size_t i = 0; i < hit.size(); ++i)
      if (hit[i]) result.push_back(FList[i]);
    return result;
  }
  std::sort(positions.begin(), positions.end());
  for (const int position : positions) result.push_back(FList[static_cast<size_t>(position)]);
  return result;
}

// --- Diagnostics --------------------------------------------------------------------------------

int TSpatialIndex::IndexedCount() {
  Refresh();
  return FLiveCount - static_cast<int>(FAside.size());
}

int TSpatialIndex::AsideCount() {
  Refresh();
  return static_cast<int>(FAside.size());
}
