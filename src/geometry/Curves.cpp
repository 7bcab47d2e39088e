#include "geometry/Curves.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;

double Cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

double Det3(const TMatrix3& m) {
  return m[0][0] * Cross(m[1][1], m[1][2], m[2][1], m[2][2]) -
         m[0][1] * Cross(m[1][0], m[1][2], m[2][0], m[2][2]) +
         m[0][2] * Cross(m[1][0], m[1][1], m[2][0], m[2][1]);
}

bool AllFinite(std::initializer_list<TDot> points) {
  return std::all_of(points.begin(), points.end(), [](const TDot& p) { return IsFinite(p); });
}

TDot Offset(const TDot& p, double dx, double dy) { return TDot{p.X + dx, p.Y + dy}; }

double Length(const TDot& a, const TDot& b) { return std::hypot(b.X - a.X, b.Y - a.Y); }

// The angle range that runs from a1 to a2 through a3 (angles in [0, 2 pi]).
struct TSweep {
  double Start;
  double End;
};

TSweep SweepThrough(double a1, double a2, double a3) {
  const bool p = a1 > a3;
  const bool q = a2 > a3;
  const bool s = a1 > a2;
  if (p == q && !s) return {a1 + 2 * Pi, a2};           // a1 < a2 and a3 outside them
  if ((!p && q && !s) || (p && !q && s)) return {a1, a2};  // a3 between a1 and a2
  if (p == q && s) return {a1, a2 + 2 * Pi};            // a2 < a1 and a3 outside them
  return {0, 2 * Pi};
}

}  // namespace

TDot RotateAbout(const TDot& P, const TDot& C, double A) {
  const double dx = P.X - C.X;
  const double dy = P.Y - C.Y;
  const double c = std::cos(A);
  const double s = std::sin(A);
  return TDot{C.X + dx * c + dy * s, C.Y - dx * s + dy * c};
}

double PointAngle(const TDot& C, const TDot& P) {
  if (P.X == C.X) {
    if (P.Y < C.Y) return Pi / 2;
    if (P.Y > C.Y) return 3 * Pi / 2;
    return 0;  // P = C: no direction
  }
  double angle = std::atan((C.Y - P.Y) / (P.X - C.X));
  if (P.X < C.X) angle += Pi;
  if (angle < 0) angle += 2 * Pi;
  return angle == 0 ? 0.0 : angle;  // no negative zero
}

bool Collinear(const TDot& P1, const TDot& P2, const TDot& P3) {
  const double area = std::abs(Cross(P3.X - P1.X, P3.Y - P1.Y, P2.X - P1.X, P2.Y - P1.Y)) / 2;
  return area < 1e-10;
}

std::optional<std::array<double, 2>> Solve2(const TMatrix2& M, const std::array<double, 2>& B) {
  const double det = Cross(M[0][0], M[0][1], M[1][0], M[1][1]);
  if (det == 0 || !std::isfinite(det)) return std::nullopt;
  const std::array<double, 2> x{Cross(B[0], M[0][1], B[1], M[1][1]) / det,
                                Cross(M[0][0], B[0], M[1][0], B[1]) / det};
  if (!std::isfinite(x[0]) || !std::isfinite(x[1])) return std::nullopt;
  return x;
}

std::optional<std::array<double, 3>> Solve3(const TMatrix3& M, const std::array<double, 3>& B) {
  const double det = Det3(M);
  if (det == 0 || !std::isfinite(det)) return std::nullopt;
  std::array<double, 3> x{};
  for (int column = 0; column < 3; ++column) {
    TMatrix3 replaced = M;
    for (int row = 0; row < 3; ++row) replaced[row][column] = B[row];
    x[column] = Det3(replaced) / det;
    if (!std::isfinite(x[column])) return std::nullopt;
  }
  return x;
}

TDot RelocatePoint(const TDot& P, const TDot& A, const TDot& B, const TDot& A2, const TDot& B2) {
  using Complex = std::complex<double>;
  const Complex from(B.X - A.X, B.Y - A.Y);
  const Complex to(B2.X - A2.X, B2.Y - A2.Y);
  Complex factor;  // rotation and scale as one complex factor
  if (from != Complex(0, 0))
    factor = to / from;
  else if (to != Complex(0, 0))
    factor = to / std::abs(to);
  else
    factor = 1;
  const Complex moved = Complex(P.X - A.X, P.Y - A.Y) * factor;
  return Offset(A2, moved.real(), moved.imag());
}

TDotArray CircleArcPoints(const TDot& P1, const TDot& P2, const TDot& P3) {
  if (!AllFinite({P1, P2, P3}) || Collinear(P1, P3, P2)) return {P1, P3, P2};
  // Circumcentre relative to P3: on the perpendicular bisectors of P3P1 and P3P2.
  const TDot u{P1.X - P3.X, P1.Y - P3.Y};
  const TDot v{P2.X - P3.X, P2.Y - P3.Y};
  const auto centre = Solve2({{{u.X, u.Y}, {v.X, v.Y}}},
                             {(u.X * u.X + u.Y * u.Y) / 2, (v.X * v.X + v.Y * v.Y) / 2});
  if (!centre) return {P1, P3, P2};
  const TDot z = Offset(P3, (*centre)[0], (*centre)[1]);
  const double r = Length(z, P1);
  if (r == 0 || !std::isfinite(r)) return {};

  const TSweep sweep = SweepThrough(PointAngle(z, P1), PointAngle(z, P2), PointAngle(z, P3));
  const double span = sweep.End - sweep.Start;
  const int n = std::min(Round(std::abs(r * span)), MaxOutlinePoints);
  TDotArray result;
  result.reserve(static_cast<size_t>(std::max(n, 0)));
  for (int i = 0; i < n; ++i) {
    const double t = n == 1 ? sweep.Start : sweep.Start + i * span / (n - 1);
    result.push_back(TDot{z.X + r * std::cos(t), z.Y - r * std::sin(t)});
  }
  return result;
}

TDotArray ParabolaPoints(const TDot& H0, const TDot& H1, const TDot& H2) {
  if (!AllFinite({H0, H1, H2}) || Collinear(H0, H1, H2)) return {H0, H1, H2};
  // Work in the frame where H0 is the origin and the chord H0-H2 runs along +x.
  const double chordAngle = PointAngle(H0, H2);
  const TDot h1 = RotateAbout(H1, H0, -chordAngle);
  const TDot h2 = RotateAbout(H2, H0, -chordAngle);
  const double x1 = h1.X - H0.X, y1 = h1.Y - H0.Y;
  const double x2 = h2.X - H0.X, y2 = h2.Y - H0.Y;
  const auto abc = Solve3({{{0, 0, 1}, {x1 * x1, x1, 1}, {x2 * x2, x2, 1}}}, {0, y1, y2});
  if (!abc) return {H0, H1, H2};  // no parabola with a vertical axis passes through them

  constexpr int Count = 100;
  const auto [a, b, c] = *abc;
  TDotArray result;
  result.reserve(Count);
  for (int i = 0; i < Count; ++i) {
    const double x = x2 * i / (Count - 1);
    const double y = (a * x + b) * x + c;
    result.push_back(RotateAbout(Offset(H0, x, y), H0, chordAngle));
  }
  return result;
}

TDotArray CurvePoints(const TDot& H0, const TDot& H1, const TDot& H2, const TDot& H3) {
  if (!AllFinite({H0, H1, H2, H3})) return {};  // nothing drawable
  const double polygonLength = Length(H0, H1) + Length(H1, H3) + Length(H3, H2);
  const int n = std::min(Round(polygonLength) / 5, MaxOutlinePoints);
  if (n < 2) return TDotArray(static_cast<size_t>(n), H0);

  constexpr double K = 10;  // tangent factor
  auto coefficients = [&](double h0, double h1, double h2, double h3) {
    return std::array<double, 4>{h0, K * (h1 - h0), 3 * (h3 - h0) + K * (h2 - h3) - 2 * K * (h1 - h0),
                                 2 * (h0 - h3) + K * (h1 - h0) - K * (h2 - h3)};
  };
  const auto cx = coefficients(H0.X, H1.X, H2.X, H3.X);
  const auto cy = coefficients(H0.Y, H1.Y, H2.Y, H3.Y);
  auto cubic = [](const std::array<double, 4>& c, double s) {
    return ((c[3] * s + c[2]) * s + c[1]) * s + c[0];
  };
  TDotArray result;
  result.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double s = static_cast<double>(i) / (n - 1);
    result.push_back(TDot{cubic(cx, s), cubic(cy, s)});
  }
  return result;
}
