#include "elements/LinesRouting.h"
#include "geometry/Curves.h"
#include "geometry/DiagramUtils.h"

#include <cmath>

namespace {

TRouteHandles Resized(const TRouteHandles& previous, size_t count) {
  TRouteHandles handles = previous;
  handles.resize(count);  // new handles at (0, 0), extra ones dropped from the end
  return handles;
}

bool MovesTheEnds(TRouteKind kind) {
  return kind == TRouteKind::HandleMove || kind == TRouteKind::ControlMove || kind == TRouteKind::Reroute;
}

// The middle handle of a parabolic arc sits on the chord's perpendicular bisector. Note
// that LineDistance and PerpendicularOffset measure on opposite sides, hence the minus:
// the handle stays on the side of the chord where distance puts it.
TDot OnBisector(const TDot& p1, const TDot& p2, double distance) {
  return PerpendicularOffset(p1, p2, MidDot(p1, p2), -distance);
}

}  // namespace

TRouteHandles RouteStraight(const TRouteInput& input) { return {{input.P1, 0}, {input.P2, 0}}; }

TRouteHandles RoutePolyline(const TRouteHandles& previous, const TRouteInput& input) {
  TRouteHandles handles = previous;
  if (handles.size() < 2) handles.resize(2);
  const size_t last = handles.size() - 1;
  for (size_t i = 1; i < last; ++i) {
    const bool moves = input.Kind == TRouteKind::ControlMove ||
                       (input.Kind == TRouteKind::HandleMove && input.Dragged == static_cast<int>(i));
    if (moves) handles[i].P = AddDots(handles[i].P, input.Delta);
  }
  handles.front().P = input.P1;
  handles[last].P = input.P2;
  return handles;
}

TRouteHandles RouteArc(const TRouteHandles& previous, const TRouteInput& input, TArcType type, bool recalcMiddle) {
  TRouteHandles handles = Resized(previous, 3);
  const TDot oldStart = handles[0].P;
  const TDot oldEnd = handles[2].P;
  const double bulge = LineDistance(handles[1].P, oldStart, oldEnd);
  TDot& middle = handles[1].P;
  if (input.Kind == TRouteKind::HandleMove && input.Dragged == 1) {
    const TDot dragged = AddDots(middle, input.Delta);
    middle = type == atParabolic ? OnBisector(input.P1, input.P2, LineDistance(dragged, input.P1, input.P2)) : dragged;
  } else if (MovesTheEnds(input.Kind)) {
    if (recalcMiddle)
      middle = type == atParabolic ? OnBisector(input.P1, input.P2, bulge)
                                   : RelocatePoint(middle, oldStart, oldEnd, input.P1, input.P2);
  } else {
    // A new arc bulges by a quarter of its chord (to the left of the chord's direction).
    middle = PerpendicularOffset(input.P1, input.P2, MidDot(input.P1, input.P2), Distance(input.P1, input.P2) / 4);
  }
  handles[0].P = input.P1;
  handles[2].P = input.P2;
  return handles;
}

TRouteHandles RouteBezier(const TRouteHandles& previous, const TRouteInput& input) {
  TRouteHandles handles = Resized(previous, 4);
  const TDot oldStart = handles[0].P;
  const TDot oldEnd = handles[3].P;
  if (input.Kind == TRouteKind::HandleMove && (input.Dragged == 1 || input.Dragged == 2)) {
    TDot& shape = handles[static_cast<size_t>(input.Dragged)].P;
    shape = AddDots(shape, input.Delta);
  } else if (MovesTheEnds(input.Kind)) {
    for (size_t i : {1u, 2u}) handles[i].P = RelocatePoint(handles[i].P, oldStart, oldEnd, input.P1, input.P2);
  } else {
    // A new curve is an S: each shape handle beside one end, a fifth of the chord away.
    const TDot unitStart{0, 0};
    const TDot unitEnd{100, 0};
    handles[1].P = RelocatePoint(TDot{0, -20}, unitStart, unitEnd, input.P1, input.P2);
    handles[2].P = RelocatePoint(TDot{100, 20}, unitStart, unitEnd, input.P1, input.P2);
  }
  handles[0].P = input.P1;
  handles[3].P = input.P2;
  return handles;
}

TDotArray StraightPoints(const TRouteHandles& handles) {
  TDotArray points;
  points.reserve(handles.size());
  for (const TRouteHandle& handle : handles) points.push_back(TDot{RoundF(handle.P.X), RoundF(handle.P.Y)});
  return points;
}

TDotArray ArcPoints(const TRouteHandles& handles, TArcType type) {
  if (handles.size() < 3) return {};
  const TDot& h0 = handles[0].P;
  const TDot& h1 = handles[1].P;
  const TDot& h2 = handles[2].P;
  const bool endsTogether =
      std::abs(RoundF(h0.X) - RoundF(h2.X)) <= 5 && std::abs(RoundF(h0.Y) - RoundF(h2.Y)) <= 5;
  if (endsTogether) return {h0, h1, h2};
  return type == atParabolic ? ParabolaPoints(h0, h1, h2) : CircleArcPoints(h0, h2, h1);
}

TDotArray BezierPoints(const TRouteHandles& handles) {
  if (handles.size() < 4) return {};
  TDotArray points = CurvePoints(handles[0].P, handles[1].P, handles[2].P, handles[3].P);
  if (points.size() < 2) return {handles[0].P, handles[3].P};
  return points;
}
