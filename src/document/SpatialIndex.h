#pragma once
// TSpatialIndex: where the diagram's elements are, for culling the paint pass and for hit
// tests. It answers "which elements' bounds meet this rectangle" in paint order (the
// position in the diagram's element list) without visiting every element.
//
// Design: a sparse uniform grid of square buckets (hash map from cell to the elements whose
// bounds overlap it). Diagram elements are mostly of similar size and spread fairly evenly,
// which is the case a uniform grid serves best: an update touches a handful of buckets in
// O(1) (no rebalancing as in an R-tree) and a view-sized query visits only the cells under
// the view. The cell size follows the typical element size, measured at each full rebuild.
// Elements spanning very many cells, with bounds that are not finite, groups (painted
// through their members) and element classes that do not report bounds changes are kept
// aside and always offered as candidates; queries measure those on the spot.
//
// Link point markers are painted around link points, which may lie outside an element's
// bounds: each element is filed under its bounds widened to its link points (its reach), so
// the marker pass can be culled as well. Elements report link point changes through Redraw.
//
// Updates are lazy: a bounds change only marks the element; the grid catches up just before
// the next query. The index reads membership and order from the diagram's list, so a change
// of the list only marks the order stale.

#include "geometry/DiagramTypes.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

class TDiagramControl;

class TSpatialIndex {
public:
  // list: the diagram's elements in paint order; it must outlive the index.
  explicit TSpatialIndex(const std::vector<TDiagramControl*>& list);

  // The list changed (an element joined, left or moved in paint order).
  void ListChanged() { FOrderStale = true; }
  // An element leaves the list: forget it now, while its address cannot be reused.
  void Remove(const TDiagramControl* control);
  // The painted area of control may have changed.
  void BoundsChanged(const TDiagramControl* control);
  // Every element is measured again before the next query.
  void InvalidateAll();

  // Elements that may meet rect (client units): every indexed element whose bounds meet it
  // and every element kept aside, unmeasured. In paint order. For the paint pass, which
  // applies its own exact test to each.
  std::vector<TDiagramControl*> Candidates(const TSquare& rect);
  // Like Candidates, for what an element paints around its bounds on screen: its link point
  // and collapse markers. Each element reaches over its bounds and its link points.
  std::vector<TDiagramControl*> MarkerCandidates(const TSquare& rect);
  // Elements whose bounds overlap rect (open intervals, as the paint pass tests), in paint order.
  std::vector<TDiagramControl*> Intersecting(const TSquare& rect);
  // Elements whose bounds contain rect (closed: a point on the border counts), in paint
  // order. A rectangle of zero size asks for the elements under a point.
  std::vector<TDiagramControl*> Containing(const TSquare& rect);

  // Those of controls that are in the list, each once, in paint order. Costs the number of
  // controls, not the length of the list.
  std::vector<TDiagramControl*> InListOrder(const std::vector<TDiagramControl*>& controls);

  // The painted area of control as the paint pass measures it, normalized (client units).
  static TSquare PaintBounds(const TDiagramControl* control);
  // bounds widened to the element's link points (client units).
  static TSquare Reach(const TDiagramControl* control, const TSquare& bounds);
  static bool Overlap(const TSquare& a, const TSquare& b);
  static bool Contains(const TSquare& outer, const TSquare& inner);

  // Diagnostics for tests and benchmarks.
  int IndexedCount();
  int AsideCount();
  double CellSize() const { return FCellSize; }

private:
  struct TCellRange {
    int32_t X0 = 0, Y0 = 0, X1 = -1, Y1 = -1;
    int64_t Count() const { return (X1 < X0 || Y1 < Y0) ? 0 : int64_t(X1 - X0 + 1) * int64_t(Y1 - Y0 + 1); }
  };
  struct TSlot {
    TDiagramControl* Control = nullptr;
    TSquare Bounds;
    TSquare Reach;  // Bounds and the link points; the cells cover this
    TCellRange Cells;
    int Position = 0;
    uint32_t Stamp = 0;
    bool Live = false;
    bool Dirty = false;
    bool Tracked = false;  // reports its bounds changes (else kept aside)
    bool InGrid = false;
    int AsidePos = -1;  // index in FAside, or -1
  };
  enum class TMode { Candidates, MarkerCandidates, Intersecting, Containing };

  std::vector<TDiagramControl*> Query(const TSquare& rect, TMode mode);
  void Refresh();
  void SyncWithList();
  void Rebuild();
  int AddSlot(TDiagramControl* control);
  void FreeSlot(int slot);
  void Measure(int slot);
  // Into the buckets its bounds cover, or aside.
  void Place(int slot);
  void Unplace(int slot);
  TCellRange CellsOf(const TSquare& bounds) const;
  static uint64_t Key(int32_t x, int32_t y) { return (uint64_t(uint32_t(x)) << 32) | uint32_t(y); }
  void ChooseCellSize();
  uint32_t NextStamp();
  std::vector<TDiagramControl*> InPaintOrder(std::vector<int>& positions) const;

  const std::vector<TDiagramControl*>& FList;
  std::vector<TSlot> FSlots;
  std::vector<int> FFreeSlots;
  std::unordered_map<const TDiagramControl*, int> FSlotOf;
  std::unordered_map<uint64_t, std::vector<int>> FBuckets;
  std::vector<int> FAside;
  std::vector<int> FDirty;
  std::vector<TDiagramControl*> FListCopy;
  int FLiveCount = 0;
  double FCellSize = 128;
  uint32_t FStamp = 0;
  bool FOrderStale = true;
  bool FAllStale = true;
};
