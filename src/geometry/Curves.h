#pragma once
// Arc, parabola and cubic-curve flattening with the small solvers they need.
// Angles here are radians measured with the Y axis pointing up, i.e. counterclockwise on
// screen: PointAngle and RotateAbout use the same sense, so
// PointAngle(C, RotateAbout(P, C, A)) = PointAngle(C, P) + A (modulo 2 pi).

#include "geometry/DiagramTypes.h"

#include <array>
#include <optional>

// Upper bound of the points of one flattened outline or curve, so that a huge figure
// read from a file cannot allocate without limit.
inline constexpr int MaxOutlinePoints = 262144;

// P rotated about C by A radians, counterclockwise on screen.
TDot RotateAbout(const TDot& P, const TDot& C, double A);

// Angle of P seen from C with the Y axis up, in [0, 2 pi). 0 when P = C.
double PointAngle(const TDot& C, const TDot& P);

// Whether the triangle P1 P2 P3 has an area below 1e-10.
bool Collinear(const TDot& P1, const TDot& P2, const TDot& P3);

// Linear systems M x = B by Cramer's rule; no solution when the determinant is 0 or any
// result is not finite.
using TMatrix2 = std::array<std::array<double, 2>, 2>;
using TMatrix3 = std::array<std::array<double, 3>, 3>;
std::optional<std::array<double, 2>> Solve2(const TMatrix2& M, const std::array<double, 2>& B);
std::optional<std::array<double, 3>> Solve3(const TMatrix3& M, const std::array<double, 3>& B);

// Applies to P the similarity (rotation, uniform scale, translation) that carries A onto A2
// and B onto B2. When A = B the scale is 1 and the rotation is the direction of A2->B2.
TDot RelocatePoint(const TDot& P, const TDot& A, const TDot& B, const TDot& A2, const TDot& B2);

// Circular arc from P1 to P2 through P3, about one point per unit of arc length (at most
// MaxOutlinePoints). Collinear or non-finite points give P1, P3, P2 (two straight segments).
TDotArray CircleArcPoints(const TDot& P1, const TDot& P2, const TDot& P3);

// 100 points of the parabola through H0, H1, H2 whose axis is perpendicular to the chord
// H0-H2. Collinear points, or points no such parabola passes through (H1 straight above
// an end in the chord's frame), give H0, H1, H2.
TDotArray ParabolaPoints(const TDot& H0, const TDot& H1, const TDot& H2);

// The cubic Hermite curve from H0 to H3 with start tangent 10 (H1 - H0) and end tangent
// 10 (H3 - H2), one point per 5 units of control-polygon length (|H0H1| + |H1H3| + |H3H2|),
// at most MaxOutlinePoints. Fewer than two points are copies of H0.
TDotArray CurvePoints(const TDot& H0, const TDot& H1, const TDot& H2, const TDot& H3);
