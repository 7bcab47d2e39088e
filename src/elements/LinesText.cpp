#include "elements/LinesText.h"
#include "elements/Lines.h"
#include "geometry/DiagramUtils.h"

#include <algorithm>
#include <cmath>

namespace {

// Grows [low, high] symmetrically to at least size.
void GrowSymmetrically(double& low, double& high, double size) {
  const double missing = size - (high - low);
  if (missing <= 0) return;
  low -= missing / 2;
  high += missing / 2;
}

}  // namespace

TSquare SegmentCellRect(const TDot& from, const TDot& to) {
  TSquare rect = SquareFromDots(from, to);
  GrowSymmetrically(rect.Left, rect.Right, 200);
  GrowSymmetrically(rect.Top, rect.Bottom, 30);
  return rect;
}

std::optional<TDot> MiddleTextPoint(const TDotArray& points) {
  if (points.size() < 2) return std::nullopt;
  double total = 0;
  for (size_t i = 1; i < points.size(); ++i) total += Distance(points[i - 1], points[i]);
  const double half = total / 2;
  // The segment where the running length reaches half the total (the last one when
  // rounding leaves the sum just short of it).
  size_t segment = points.size() - 1;
  double before = 0;
  for (size_t i = 1; i < points.size(); ++i) {
    const double length = Distance(points[i - 1], points[i]);
    if (before + length >= half) {
      segment = i;
      break;
    }
    before += length;
  }
  const TDot& start = points[segment - 1];
  const TDot& end = points[segment];
  const double length = Distance(start, end);
  // The segment's direction; a segment without length counts as pointing right.
  const TDot direction = length > 0 ? ScaleDot(SubDots(end, start), 1 / length) : TDot{1, 0};
  const TDot onLine = AddDots(start, ScaleDot(direction, half - before));
  // 10 units towards the direction turned a quarter counter-clockwise on screen.
  return TDot{RoundF(onLine.X + 10 * direction.Y), RoundF(onLine.Y - 10 * direction.X)};
}

TSquare MiddleCellRect(const TDot& point, TAlignment alignment, ElementEnums::TVertAlign vertAlign) {
  TSquare rect{point.X - 10, point.Y - 10, point.X + 10, point.Y + 10};
  switch (alignment) {
    case taLeftJustify: rect.Right = rect.Left + 300; break;
    case taRightJustify: rect.Left = rect.Right - 300; break;
    case taCenter: GrowSymmetrically(rect.Left, rect.Right, 300); break;
  }
  switch (vertAlign) {
    case ElementEnums::vaTop: rect.Bottom = rect.Top + 100; break;
    case ElementEnums::vaBottom: rect.Top = rect.Bottom - 100; break;
    case ElementEnums::vaCenter: GrowSymmetrically(rect.Top, rect.Bottom, 100); break;
  }
  return rect;
}

TEndCellPlacement EndCellPlacement(const TDot& end, const TDot& neighbour, bool firstCorner) {
  const TArrowCorners corners = ArrowBaseCorners(end, neighbour, 20, 20);
  const TDot c = firstCorner ? corners.Corner1 : corners.Corner2;
  TEndCellPlacement placement;
  if (c.X >= end.X) {
    placement.Alignment = taLeftJustify;
    placement.Rect.Left = c.X;
    placement.Rect.Right = c.X + 400;
  } else {
    placement.Alignment = taRightJustify;
    placement.Rect.Left = c.X - 400;
    placement.Rect.Right = c.X;
  }
  if (c.Y >= end.Y) {
    placement.VertAlign = ElementEnums::vaTop;
    placement.Rect.Top = c.Y;
    placement.Rect.Bottom = c.Y + 100;
  } else {
    placement.VertAlign = ElementEnums::vaBottom;
    placement.Rect.Top = c.Y - 100;
    placement.Rect.Bottom = c.Y;
  }
  return placement;
}

// --- The line's cells ------------------------------------------------------------------------

namespace {

void PlaceAtMiddle(TTextCell* cell, const TDotArray& points) {
  if (!cell) return;
  if (const auto point = MiddleTextPoint(points))
    cell->SetBoundsRect(MiddleCellRect(*point, cell->Alignment(), cell->VertAlign()));
}

void PlaceAtEnd(TTextCell* cell, const TDot& end, const TDot& neighbour, bool firstCorner) {
  if (!cell) return;
  const TEndCellPlacement placement = EndCellPlacement(end, neighbour, firstCorner);
  cell->SetAlignment(placement.Alignment);
  cell->SetVertAlign(placement.VertAlign);
  cell->SetBoundsRect(placement.Rect);
}

// Calls EndUpdate also when placing fails.
struct TCellsUpdate {
  explicit TCellsUpdate(TTextCells* cells) : Cells(cells) { Cells->BeginUpdate(); }
  ~TCellsUpdate() noexcept(false) { Cells->EndUpdate(); }
  TTextCells* Cells;
};

}  // namespace

TTextCell* TCustomDiagramLine::AddLineCell() {
  TTextCell* cell = TextCells()->Add();
  cell->SetVertAlign(ElementEnums::vaCenter);
  cell->SetWordWrap(true);
  cell->SetAngle(0);
  cell->SetRotateFont(true);
  return cell;
}

void TCustomDiagramLine::PlaceTextCells() {
  TCellsUpdate update(TextCells());
  switch (FTextCellsMode) {
    case tmSegments: PlaceSegmentCells(); break;
    case tmSingle: PlaceSingleCell(); break;
    case tmSpecific: PlaceSpecificCells(); break;
    case tmManual: break;
  }
}

void TCustomDiagramLine::PlaceSegmentCells() {
  TTextCells* cells = TextCells();
  const int segments = std::max(static_cast<int>(FPoints.size()) - 1, 0);
  // A drag shape shown in place of the line must not cost the segments their texts.
  if (!FCursorGeometry) {
    while (cells->Count() < segments) AddLineCell();
    while (cells->Count() > segments) cells->Delete(cells->Count() - 1);
  }
  const int placed = std::min(cells->Count(), segments);
  for (int i = 0; i < placed; ++i)
    cells->Cell(i)->SetBoundsRect(SegmentCellRect(FPoints[static_cast<size_t>(i)], FPoints[static_cast<size_t>(i) + 1]));
}

void TCustomDiagramLine::PlaceSingleCell() {
  TTextCells* cells = TextCells();
  if (!FCursorGeometry)
    while (cells->Count() > 1) cells->Delete(cells->Count() - 1);
  if (cells->Count() == 0) AddLineCell();
  TTextCell* cell = cells->Cell(0);
  PlaceAtMiddle(cell, FPoints);
  cell->SetClip(false);
}

void TCustomDiagramLine::PlaceSpecificCells() {
  if (!FCenterTextCell || !FSourceTextCell || !FTargetTextCell || !FAltSourceTextCell || !FAltTargetTextCell)
    CreateSpecificCells();
  if (FPoints.size() >= 2) {
    const TDot& first = FPoints.front();
    const TDot& second = FPoints[1];
    const TDot& last = FPoints.back();
    const TDot& beforeLast = FPoints[FPoints.size() - 2];
    PlaceAtEnd(FSourceTextCell, first, second, true);
    PlaceAtEnd(FTargetTextCell, last, beforeLast, false);
    PlaceAtEnd(FAltSourceTextCell, first, second, false);
    PlaceAtEnd(FAltTargetTextCell, last, beforeLast, true);
  }
  PlaceAtMiddle(FCenterTextCell, FPoints);
}

void TCustomDiagramLine::CreateSpecificCells() {
  TTextCells* cells = TextCells();
  TCellsUpdate update(cells);
  std::vector<TTextCell*> old;
  for (int i = 0; i < cells->Count(); ++i) old.push_back(cells->Cell(i));
  // Missing ones are made anew, in the order centre, source, target, alternatives.
  QPointer<TTextCell>* slots[] = {&FCenterTextCell, &FSourceTextCell, &FTargetTextCell, &FAltSourceTextCell,
                                  &FAltTargetTextCell};
  const bool allMissing = std::all_of(std::begin(slots), std::end(slots), [](auto* slot) { return !*slot; });
  for (size_t i = 0; i < std::size(slots); ++i) {
    if (*slots[i]) continue;
    TTextCell* cell = cells->Add();
    // A loaded line held exactly the five cells: they keep their texts.
    if (allMissing && old.size() == std::size(slots)) cell->Assign(old[i]);
    *slots[i] = cell;
  }
  // Every other cell goes.
  for (int i = cells->Count() - 1; i >= 0; --i) {
    TTextCell* cell = cells->Cell(i);
    const bool specific = std::any_of(std::begin(slots), std::end(slots), [cell](auto* slot) { return *slot == cell; });
    if (!specific) cells->Delete(i);
  }
}

void TCustomDiagramLine::FreeSpecificCells() {
  TTextCells* cells = TextCells();
  for (TTextCell* cell : {FCenterTextCell.data(), FSourceTextCell.data(), FTargetTextCell.data(),
                          FAltSourceTextCell.data(), FAltTargetTextCell.data()}) {
    const int index = cell ? cells->IndexOf(cell) : -1;
    if (index >= 0) cells->Delete(index);
  }
  FCenterTextCell = FSourceTextCell = FTargetTextCell = FAltSourceTextCell = FAltTargetTextCell = nullptr;
}

void TCustomDiagramLine::AdoptLoadedSpecificCells() {
  if (FTextCellsMode != tmSpecific) return;
  QPointer<TTextCell>* slots[] = {&FCenterTextCell, &FSourceTextCell, &FTargetTextCell, &FAltSourceTextCell,
                                  &FAltTargetTextCell};
  const bool allMissing = std::all_of(std::begin(slots), std::end(slots), [](auto* slot) { return !*slot; });
  TTextCells* cells = TextCells();
  if (!allMissing || cells->Count() < static_cast<int>(std::size(slots))) return;
  // The stream replaced the cells: they come back in the order they were made.
  for (size_t i = 0; i < std::size(slots); ++i) *slots[i] = cells->Cell(static_cast<int>(i));
}

void TCustomDiagramLine::SetTextCellsMode(TTextCellsMode mode) {
  if (mode == FTextCellsMode) return;
  {
    TCellsUpdate update(TextCells());
    if (FTextCellsMode == tmSpecific) FreeSpecificCells();
    FTextCellsMode = mode;
    if (mode == tmSpecific) CreateSpecificCells();
  }
  if (!IsLoading()) UpdateLine();
}
