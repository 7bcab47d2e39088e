#pragma once
// The orthogonal ("side") line router: horizontal and vertical segments only, from the two
// ends, the direction in which the line must leave each end and the segment positions of
// the previous route (so a route the user shaped keeps its shape when the ends move).
//
// A side line is represented by its handles: the start handle, one handle at the middle of
// every inner segment, the end handle. The end handles' Data tell the direction of the
// first and last segment (1 horizontal, 2 vertical).

#include "elements/ElementTypes.h"
#include "elements/LinesRouting.h"

#include <optional>

namespace SideLine {

inline constexpr double MinStep = 10;        // minimum stub and step length
inline constexpr double GapAllowance = 10;   // kept free between facing ends
inline constexpr double NoLimit = 2147483647;
inline constexpr int HorizontalData = 1;
inline constexpr int VerticalData = 2;

// One end while routing: where the route stands and which way it may go.
struct TEnd {
  TDot P;
  TAnchorOrientation O = aoNone;
};

// The direction in which A leaves towards B.
TAnchorOrientation Resolve(const TEnd& A, const TEnd& B);
// A and B point at each other without being aligned: they need three segments.
bool Facing(const TEnd& A, const TEnd& B);
// A heads for B (and the two are not facing).
bool Towards(const TEnd& A, const TEnd& B);
// The corner that turns from A's direction onto B.
TEnd Corner(const TEnd& A, const TEnd& B);

// The state a routing reads besides the two ends.
struct TContext {
  TRouteHandles Previous;       // the handles of the route before this one
  bool FixedSideLines = false;  // inner segments stay where they were
  int Dragged = -1;             // index in Previous of a dragged handle, -1 for none
  TDot DragDelta;
  bool Clamped = false;         // set when a step was lengthened to the minimum
};

// The displacement of step k (1, 2, ... from the start; 0, -1, ... counted from the end).
TDot StepLength(TContext& context, int k, bool negative, const TEnd& A, double limit);
// A after one step towards B.
TEnd Advance(TContext& context, const TEnd& A, const TEnd& B, int k);

// The route points from S to E, without repeated points; nullopt when the route does not
// converge (non-finite or huge coordinates), so the caller keeps the previous route.
std::optional<TDotArray> RoutePoints(TContext& context, TEnd S, TEnd E);
// The handles of a route: ends with their Data, inner handles at segment midpoints.
TRouteHandles HandlesOfRoute(const TDotArray& route);
// Routes S to E; nullopt as for RoutePoints.
std::optional<TRouteHandles> Route(TContext& context, const TEnd& S, const TEnd& E);

// The drawn polyline of a side line's handles. The first segment runs horizontally when the
// start handle's Data is 1, or, with Data 0, when firstOrientation is horizontal. A point
// equal to its predecessor is left out.
TDotArray Points(const TRouteHandles& handles, TAnchorOrientation firstOrientation);

// Data of an end handle for an orientation (0 for aoNone) and back (Data 0 gives aoNone).
int DataOfOrientation(TAnchorOrientation orientation);
TAnchorOrientation OrientationOfData(int data);

}  // namespace SideLine
