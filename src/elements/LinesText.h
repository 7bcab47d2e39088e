#pragma once
// Where a line puts its text cells: along each segment, at the middle of the line, or
// beside an end. Pure geometry on the line's points (client units).

#include "elements/ElementTypes.h"
#include "geometry/DiagramTypes.h"

#include <optional>

// The rectangle of a segment's cell: the segment's box widened symmetrically to at least
// 200 units and heightened symmetrically to at least 30.
TSquare SegmentCellRect(const TDot& from, const TDot& to);

// The anchor of the middle text: the point half way along the polyline, moved 10 units to
// the left of the direction of travel (upwards on a left-to-right line), each coordinate
// rounded. nullopt for fewer than two points.
std::optional<TDot> MiddleTextPoint(const TDotArray& points);

// The 20 x 20 square around the middle point, widened to 300 and heightened to 100 in the
// directions the cell's alignments ask for.
TSquare MiddleCellRect(const TDot& point, TAlignment alignment, ElementEnums::TVertAlign vertAlign);

// A cell beside a line end: its rectangle and the alignments that keep the text off the line.
struct TEndCellPlacement {
  TSquare Rect;
  TAlignment Alignment = taLeftJustify;
  ElementEnums::TVertAlign VertAlign = ElementEnums::vaTop;
};
// Beside end (with neighbour the next point along the line), at the first or second base
// corner of a 20 x 20 arrow head at that end.
TEndCellPlacement EndCellPlacement(const TDot& end, const TDot& neighbour, bool firstCorner);
