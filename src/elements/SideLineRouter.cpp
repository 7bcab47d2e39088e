#include "elements/SideLineRouter.h"
#include "geometry/DiagramUtils.h"

#include <cmath>

namespace SideLine {

namespace {

bool IsVertical(TAnchorOrientation o) { return o == aoVert || o == aoUp || o == aoDown; }
bool IsHorizontal(TAnchorOrientation o) { return o == aoHorz || o == aoLeft || o == aoRight; }

TAnchorOrientation Horizontally(double dx) { return dx >= 0 ? aoRight : aoLeft; }
TAnchorOrientation Vertically(double dy) { return dy >= 0 ? aoDown : aoUp; }

// Lengthens a component of a step to the minimum in the direction of travel.
void ClampToMinimum(double& component, bool negative, bool& clamped) {
  if (negative && component >= -MinStep) {
    component = -MinStep;
    clamped = true;
  } else if (!negative && component <= MinStep) {
    component = MinStep;
    clamped = true;
  }
}

// A step that follows inner handle number |k| of the previous route, if there is one.
std::optional<TDot> FollowPreviousRoute(TContext& context, int k, bool negative, const TEnd& A) {
  const TRouteHandles& previous = context.Previous;
  const int n = static_cast<int>(previous.size());
  const int index = std::abs(k);
  if (index < 1 || index >= n - 1) return std::nullopt;
  const int sign = k > 0 ? 1 : -1;
  int j = index - sign;
  if (index != 1 && j != n - 1) j = index - 2 * sign;  // the previous parallel segment
  const TDot here = previous[static_cast<size_t>(index)].P;
  const TDot there = previous[static_cast<size_t>(j)].P;
  TDot d;
  if (context.Dragged == index)
    d = AddDots(SubDots(here, there), context.DragDelta);
  else if (context.FixedSideLines)
    d = SubDots(here, A.P);
  else
    d = SubDots(here, there);
  if (!IsVertical(A.O)) ClampToMinimum(d.X, negative, context.Clamped);
  if (!IsHorizontal(A.O)) ClampToMinimum(d.Y, negative, context.Clamped);
  return d;
}

// Appends nothing for a point equal to the last one.
void AppendDistinct(TDotArray& points, const TDot& point) {
  if (points.empty() || points.back() != point) points.push_back(point);
}

}  // namespace

TAnchorOrientation Resolve(const TEnd& A, const TEnd& B) {
  const TDot d = SubDots(B.P, A.P);
  switch (A.O) {
    case aoHorz: return Horizontally(d.X);
    case aoVert: return Vertically(d.Y);
    case aoNone:
      if (IsVertical(B.O)) return Horizontally(d.X);
      if (IsHorizontal(B.O)) return Vertically(d.Y);
      return std::abs(d.X) > std::abs(d.Y) ? Horizontally(d.X) : Vertically(d.Y);
    default: return A.O;
  }
}

bool Facing(const TEnd& A, const TEnd& B) {
  const TAnchorOrientation a = Resolve(A, B);
  const TAnchorOrientation b = Resolve(B, A);
  const TDot d = SubDots(B.P, A.P);
  const bool horizontal = (a == aoRight && d.X > 0 && b == aoLeft) || (a == aoLeft && d.X < 0 && b == aoRight);
  const bool vertical = (a == aoDown && d.Y > 0 && b == aoUp) || (a == aoUp && d.Y < 0 && b == aoDown);
  return (horizontal && A.P.Y != B.P.Y) || (vertical && A.P.X != B.P.X);
}

bool Towards(const TEnd& A, const TEnd& B) {
  if (Facing(A, B)) return false;
  const TDot d = SubDots(B.P, A.P);
  switch (Resolve(A, B)) {
    case aoRight: return d.X > 0;
    case aoLeft: return d.X < 0;
    case aoDown: return d.Y > 0;
    case aoUp: return d.Y < 0;
    default: return false;
  }
}

TEnd Corner(const TEnd& A, const TEnd& B) {
  const TAnchorOrientation a = Resolve(A, B);
  if (a == aoUp || a == aoDown) return TEnd{TDot{A.P.X, B.P.Y}, aoHorz};
  return TEnd{TDot{B.P.X, A.P.Y}, aoVert};
}

TDot StepLength(TContext& context, int k, bool negative, const TEnd& A, double limit) {
  if (limit != NoLimit && limit < 2) {
    // Facing ends closer than the gap allowance: meet in the middle of the gap instead of
    // stepping backwards (limit - 1 would turn the step around).
    const double half = std::max((limit + GapAllowance) / 2, 0.0);
    return negative ? TDot{-half, -half} : TDot{half, half};
  }
  TDot d;
  if (const auto followed = FollowPreviousRoute(context, k, negative, A))
    d = *followed;
  else if (limit != NoLimit)
    d = TDot{limit / 2, limit / 2};
  else
    d = TDot{MinStep, MinStep};
  d = TDot{std::abs(d.X), std::abs(d.Y)};
  if (d.X >= limit) d.X = limit - 1;
  if (d.Y >= limit) d.Y = limit - 1;
  return negative ? TDot{-d.X, -d.Y} : d;
}

TEnd Advance(TContext& context, const TEnd& A, const TEnd& B, int k) {
  const TAnchorOrientation a = Resolve(A, B);
  const bool vertical = a == aoUp || a == aoDown;
  double limit = NoLimit;
  if (Facing(A, B)) limit = vertical ? std::abs(A.P.Y - B.P.Y) - GapAllowance : std::abs(A.P.X - B.P.X) - GapAllowance;
  const bool negative = a == aoUp || a == aoLeft;
  const TDot d = StepLength(context, k, negative, A, limit);
  TEnd result = A;
  if (vertical) {
    result.P.Y += d.Y;
    result.O = aoHorz;
  } else {
    result.P.X += d.X;
    result.O = aoVert;
  }
  return result;
}

std::optional<TDotArray> RoutePoints(TContext& context, TEnd S, TEnd E) {
  const int n = static_cast<int>(context.Previous.size());
  // A normal route needs a handful of steps plus one per inner handle it follows; steps
  // that no longer move a coordinate (NaN, 1e300 + 10) would otherwise never end.
  const int maxSteps = 2 * n + 64;
  TDotArray route{S.P, E.P};
  size_t i = 0;  // last start-side point
  size_t f = 1;  // end-side points after the insertion place
  int c = 0;     // start-side steps
  int g = 1;     // end-side steps
  bool done = false;
  for (int step = 0; step < maxSteps && !done; ++step) {
    if (!Towards(S, E)) {
      S = Advance(context, S, E, ++c);
      route.insert(route.begin() + static_cast<std::ptrdiff_t>(++i), S.P);
    } else if (Towards(E, S)) {
      S = Corner(S, E);
      route.insert(route.begin() + static_cast<std::ptrdiff_t>(++i), S.P);
      done = true;
    } else {
      E = Advance(context, E, S, g - n + 1);
      route.insert(route.end() - static_cast<std::ptrdiff_t>(f), E.P);
      ++f;
      ++g;
    }
  }
  if (!done) return std::nullopt;
  TDotArray distinct;
  distinct.reserve(route.size());
  for (const TDot& point : route) {
    if (!IsFinite(point)) return std::nullopt;
    AppendDistinct(distinct, point);
  }
  return distinct;
}

TRouteHandles HandlesOfRoute(const TDotArray& route) {
  if (route.empty()) return {};
  TRouteHandles handles{{route.front(), 0}};
  const size_t count = route.size();
  for (size_t m = 1; m + 2 < count; ++m) {
    const TDot& a = route[m];
    const TDot& b = route[m + 1];
    const TDot middle = a.X != b.X ? TDot{(a.X + b.X) / 2, a.Y} : TDot{a.X, (a.Y + b.Y) / 2};
    handles.push_back({middle, 0});
  }
  handles.push_back({route.back(), 0});
  if (count > 1) {
    handles.front().Data = route[1].X != route[0].X ? HorizontalData : VerticalData;
    handles.back().Data = route[count - 1].X != route[count - 2].X ? HorizontalData : VerticalData;
  }
  return handles;
}

std::optional<TRouteHandles> Route(TContext& context, const TEnd& S, const TEnd& E) {
  const auto route = RoutePoints(context, S, E);
  if (!route) return std::nullopt;
  return HandlesOfRoute(*route);
}

TDotArray Points(const TRouteHandles& handles, TAnchorOrientation firstOrientation) {
  if (handles.size() < 2) return {};
  const int startData = handles.front().Data;
  bool horizontal = startData == HorizontalData || (startData == 0 && IsHorizontal(firstOrientation));
  TDotArray points{handles.front().P};
  for (size_t i = 1; i < handles.size(); ++i) {
    const TDot& here = handles[i].P;
    const TDot& before = handles[i - 1].P;
    AppendDistinct(points, horizontal ? TDot{here.X, before.Y} : TDot{before.X, here.Y});
    horizontal = !horizontal;
  }
  AppendDistinct(points, handles.back().P);
  return points;
}

int DataOfOrientation(TAnchorOrientation orientation) {
  if (IsHorizontal(orientation)) return HorizontalData;
  if (IsVertical(orientation)) return VerticalData;
  return 0;
}

TAnchorOrientation OrientationOfData(int data) {
  if (data == HorizontalData) return aoHorz;
  if (data == VerticalData) return aoVert;
  return aoNone;
}

}  // namespace SideLine
