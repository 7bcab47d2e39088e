#pragma once
// The handle rules of straight lines, polylines, arcs and Bezier lines, and the flattening
// of each into the drawn polyline. Pure functions on plain handle lists, so that a line's
// style can be switched at any time and the rules can be tested without elements.

#include "elements/LinesTypes.h"
#include "geometry/DiagramTypes.h"

#include <vector>

// A handle as the routers see it: position in client units and the element's tag.
struct TRouteHandle {
  TDot P;
  int Data = 0;
  friend bool operator==(const TRouteHandle&, const TRouteHandle&) = default;
};
using TRouteHandles = std::vector<TRouteHandle>;

// A route request without element objects: the dragged handle is an index into the
// previous handles (-1 for none).
struct TRouteInput {
  TDot P1;
  TDot P2;
  TRouteKind Kind = TRouteKind::Reroute;
  int Dragged = -1;
  TDot Delta;
};

// Two handles, at P1 and P2.
TRouteHandles RouteStraight(const TRouteInput& input);
// Keeps the handle list: the ends go to P1 and P2, inner handles move by the displacement
// (all of them for a control move, only the dragged one for a handle move).
TRouteHandles RoutePolyline(const TRouteHandles& previous, const TRouteInput& input);
// Three handles: start, a point the arc passes through, end. The middle handle keeps the
// side and distance of its bulge when the ends move (recalcMiddle), or stays put.
TRouteHandles RouteArc(const TRouteHandles& previous, const TRouteInput& input, TArcType type, bool recalcMiddle);
// Four handles: start, two shape handles, end. The shape handles follow the ends.
TRouteHandles RouteBezier(const TRouteHandles& previous, const TRouteInput& input);

// One point per handle, each coordinate rounded to a whole client unit.
TDotArray StraightPoints(const TRouteHandles& handles);
// The flattened arc through the first three handles; nothing for fewer than three.
TDotArray ArcPoints(const TRouteHandles& handles, TArcType type);
// The flattened curve of the first four handles; nothing for fewer than four. A curve
// too short to flatten into two points falls back to its straight chord.
TDotArray BezierPoints(const TRouteHandles& handles);
