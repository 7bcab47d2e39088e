// Moving, inserting, resizing and rotating blocks: the geometry each drag produces and how
// the drag actions use it.

#include "elements/Blocks.h"
#include "elements/CustomDiagram.h"
#include "elements/StretchHandles.h"

#include <array>
#include <cmath>
#include <numbers>

namespace {

TDot Rotated(const TDot& p, const TDot& centre, double degrees) {
  if (degrees == 0) return p;
  const double radians = degrees * std::numbers::pi / 180;
  const double s = std::sin(radians), c = std::cos(radians);
  const double dx = p.X - centre.X, dy = p.Y - centre.Y;
  return {centre.X + dx * c - dy * s, centre.Y + dx * s + dy * c};
}

TDot CentreOf(const TSquare& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

// The rectangle whose image, turned by angle about its own centre, has a and b as opposite
// corners.
TSquare RectFromTurnedCorners(const TDot& a, const TDot& b, double angle) {
  const TDot middle = MidDot(a, b);
  return SquareFromDots(Rotated(a, middle, -angle), Rotated(b, middle, -angle));
}

// Corners in the order that breaks ties: top-left, top-right, bottom-left, bottom-right.
struct TCornerRole {
  bool Right;
  bool Bottom;
};
constexpr std::array<TCornerRole, 4> CornerRoles{{{false, false}, {true, false}, {false, true}, {true, true}}};

TDot TurnedCorner(const TSquare& r, TCornerRole role, double angle) {
  const TDot corner{role.Right ? r.Right : r.Left, role.Bottom ? r.Bottom : r.Top};
  return Rotated(corner, CentreOf(r), angle);
}

TCornerRole NearestCorner(const TSquare& r, const TDot& point, double angle) {
  TCornerRole best = CornerRoles[0];
  double bestDistance = Distance(TurnedCorner(r, best, angle), point);
  for (const TCornerRole& role : CornerRoles) {
    const double distance = Distance(TurnedCorner(r, role, angle), point);
    if (distance < bestDistance) {
      best = role;
      bestDistance = distance;
    }
  }
  return best;
}

// Direction of a vector in degrees: arctan(y / x), plus 180 left of the axis, +-90 on it.
double Direction(const TDot& v) {
  if (v.X == 0) return v.Y > 0 ? 90 : v.Y < 0 ? -90 : 0;
  const double degrees = std::atan(v.Y / v.X) * 180 / std::numbers::pi;
  return v.X < 0 ? degrees + 180 : degrees;
}

// The fixed corner of the bounds before a resize, by the dragged handle's data.
constexpr std::array<int, 9> PinnedHandle{0, 5, 7, 7, 1, 1, 1, 3, 5};
// The two corners of the edge facing an edge handle; the first one stays.
constexpr std::array<std::array<int, 2>, 9> FacingEdge{{{0, 0}, {0, 0}, {5, 7}, {0, 0}, {7, 1}, {0, 0}, {1, 3}, {0, 0}, {3, 5}}};

}  // namespace

TCustomDiagramBlock::TDragGeometry TCustomDiagramBlock::HandleDragResult(const TStretchHandle* handle,
                                                                         const TDot& delta) const {
  TDragGeometry result{BoundsRect(), Angle(), FRotCenter};
  if (!handle || !IsFinite(delta)) return result;
  switch (handle->Style()) {
    case hsSize: result.Rect = ResizeResult(handle, delta); break;
    case hsRotate: result = RotateResult(handle, delta); break;
    case hsRotCenter: result.RotCenter = RotCenterResult(handle, delta); break;
    case hsCustom: break;
  }
  return result;
}

TSquare TCustomDiagramBlock::ResizeResult(const TStretchHandle* handle, const TDot& delta) const {
  const TSquare before = BoundsRect();
  const int data = handle->Data();
  if (!CanResize() || data < 1 || data > 8) return before;
  const TStretchHandle* pinHandle = Handles()->FindByData(PinnedHandle[static_cast<size_t>(data)]);
  if (!pinHandle) return before;
  const double angle = Angle();
  const TDot centre = CentreOf(before);
  TDot dragged = AddDots(HandleClientPoint(handle), delta);
  TDot fixed;
  if (data % 2 == 1) {
    const TStretchHandle* opposite = OppositeHandle(data);
    if (!opposite) return before;
    fixed = HandleClientPoint(opposite);
  } else {
    const auto [firstData, secondData] = FacingEdge[static_cast<size_t>(data)];
    const TStretchHandle* first = Handles()->FindByData(firstData);
    const TStretchHandle* second = Handles()->FindByData(secondData);
    if (!first || !second) return before;
    const TDot c1 = Rotated(HandleClientPoint(first), centre, -angle);
    const TDot c2 = Rotated(HandleClientPoint(second), centre, -angle);
    TDot d = Rotated(dragged, centre, -angle);
    // Only the coordinate across the edge follows the mouse.
    if (std::abs(c1.X - c2.X) < std::abs(c1.Y - c2.Y)) d.Y = c2.Y;
    else d.X = c2.X;
    fixed = Rotated(c1, centre, angle);
    dragged = Rotated(d, centre, angle);
  }
  TSquare r = RectFromTurnedCorners(fixed, dragged, angle);
  // The corner that stays is chosen before the size limits change the rectangle, so a
  // rectangle grown to its minimum still hangs from the same corner.
  const TDot pin = HandleClientPoint(pinHandle);
  const TCornerRole role = NearestCorner(r, pin, angle);
  if (r.Width() < FMinWidth) r.Right = r.Left + FMinWidth;
  if (r.Height() < FMinHeight) r.Top = r.Bottom - FMinHeight;
  if (Restrictions().testFlag(crKeepRatio)) FitRatio(r, before);
  return OffsetSquare(r, SubDots(pin, TurnedCorner(r, role, angle)));
}

TCustomDiagramBlock::TDragGeometry TCustomDiagramBlock::RotateResult(const TStretchHandle* handle,
                                                                     const TDot& delta) const {
  TDragGeometry result{BoundsRect(), Angle(), FRotCenter};
  if (!CanRotate()) return result;
  const TDot point = HandleClientPoint(handle);
  if (point == NullDot) return result;
  const TDot c = RotationCenterPoint();
  double angle = Direction(SubDots(AddDots(point, delta), c)) - Direction(SubDots(point, c)) + Angle();
  angle = std::fmod(angle, 360.0);
  angle = Round(angle / FRotationStep) * static_cast<double>(FRotationStep);
  // The block turns about the rotation centre: its centre moves, its size stays.
  const TDot oldCentre = CentreOf(result.Rect);
  const TDot newCentre = Rotated(oldCentre, c, angle - Angle());
  result.Rect = OffsetSquare(result.Rect, SubDots(newCentre, oldCentre));
  result.Angle = std::fmod(angle + 360.0, 360.0);
  return result;
}

TDot TCustomDiagramBlock::RotCenterResult(const TStretchHandle* handle, const TDot& delta) const {
  if (!CanMoveRotCenter()) return FRotCenter;
  TBlockDrawer& drawer = ScratchDrawer();
  TBlockDrawerStateGuard guard(drawer);
  drawer.SetOriginalRect({0, 0, 100, 100});
  const TDot moved = AddDots(RotationCenterPoint(), delta);
  return drawer.UnPP(drawer.UnrotX(moved));
}

void TCustomDiagramBlock::HandleMoving(THandleMoveInfo& info) {
  const TDragGeometry geometry = HandleDragResult(info.AHandle, info.Delta);
  switch (info.Action) {
    case haEraseCursor:
    case haDrawCursor: DrawCursorAt(info.Canvas, geometry.Rect, geometry.Angle); break;
    case haMoved:
      if (!info.AHandle) break;
      switch (info.AHandle->Style()) {
        case hsSize: SetBoundsRect(geometry.Rect); break;
        case hsRotate:
          SetBoundsRect(geometry.Rect);
          SetAngle(geometry.Angle);
          break;
        case hsRotCenter: SetRotationCenter(geometry.RotCenter); break;
        case hsCustom: break;
      }
      break;
    case haPositionCursor: StoreCursorGeometry(geometry.Rect, geometry.Angle, geometry.RotCenter); break;
  }
}

void TCustomDiagramBlock::ControlMoving(TControlMoveInfo& info) {
  const TSquare r = OffsetSquare(BoundsRect(), info.Delta);
  switch (info.Action) {
    case caEraseCursor:
    case caDrawCursor: DrawCursorAt(info.Canvas, r, Angle()); break;
    case caMoved: SetBoundsRect(r); break;
    case caPositionCursor: StoreCursorGeometry(r, Angle(), FRotCenter); break;
  }
}

void TCustomDiagramBlock::ControlInserting(TControlInsertInfo& info) {
  TSquare r = SquareFromDots(info.P1, info.P2);
  const bool resizable = CanResize();
  if (!resizable || (info.Action == iaInserted && info.Clicked)) {
    const double w = (info.P2.X < info.P1.X && !resizable) ? -Width() : Width();
    const double h = (info.P2.Y < info.P1.Y && !resizable) ? -Height() : Height();
    r = SquareFromDots(info.P1, {info.P1.X + w, info.P1.Y + h});
  }
  switch (info.Action) {
    case iaEraseCursor:
    case iaDrawCursor: DrawCursorAt(info.Canvas, r, Angle()); break;
    case iaInserted: SetBoundsRect(r); break;
  }
}
