#include "geometry/DiagramUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

TDot Dot(double X, double Y) { return TDot{X, Y}; }

TSquare Square(double Left, double Top, double Right, double Bottom) {
  return TSquare{Left, Top, Right, Bottom};
}

TSquare RectToSquare(const TRect& R) {
  return Square(R.Left, R.Top, R.Right, R.Bottom);
}

TRect SquareToRect(const TSquare& S) {
  return TRect{Round(S.Left), Round(S.Top), Round(S.Right), Round(S.Bottom)};
}

TDot PointToDot(const TPoint& P) { return Dot(P.X, P.Y); }

TDotArray PointsToDots(const TPointArray& Points) {
  TDotArray result;
  result.reserve(Points.size());
  for (const TPoint& p : Points) result.push_back(PointToDot(p));
  return result;
}

TPointArray DotsToPoints(const TDotArray& Dots) {
  TPointArray result;
  result.reserve(Dots.size());
  for (const TDot& p : Dots) result.push_back(DotToPoint(p));
  return result;
}

TDotArray DotsOf(std::initializer_list<TDot> Dots) { return TDotArray(Dots); }

TDotArray JoinDots(const TDotArray& A, const TDotArray& B) {
  TDotArray result;
  result.reserve(A.size() + B.size());
  result.insert(result.end(), A.begin(), A.end());
  result.insert(result.end(), B.begin(), B.end());
  return result;
}

TDot AddDots(const TDot& P1, const TDot& P2) { return Dot(P1.X + P2.X, P1.Y + P2.Y); }

TDot SubDots(const TDot& P1, const TDot& P2) { return Dot(P1.X - P2.X, P1.Y - P2.Y); }

TDot ScaleDot(const TDot& P, double F) { return Dot(P.X * F, P.Y * F); }

TDot MidDot(const TDot& P1, const TDot& P2) { return Dot((P1.X + P2.X) / 2, (P1.Y + P2.Y) / 2); }

TPoint SubPoints(const TPoint& P1, const TPoint& P2) {
  // Computed in double: the exact difference of two int32 always fits, then saturates.
  return TPoint{SaturateToInt(static_cast<double>(P1.X) - P2.X),
                SaturateToInt(static_cast<double>(P1.Y) - P2.Y)};
}

TSquare OffsetSquare(const TSquare& S, double DX, double DY) {
  return Square(S.Left + DX, S.Top + DY, S.Right + DX, S.Bottom + DY);
}

TSquare OffsetSquare(const TSquare& S, const TDot& D) { return OffsetSquare(S, D.X, D.Y); }

TSquare OffsetSquare(const TSquare& S, const TPoint& D) { return OffsetSquare(S, D.X, D.Y); }

TSquare SquareFromDots(const TDot& P1, const TDot& P2) {
  return Square(std::min(P1.X, P2.X), std::min(P1.Y, P2.Y), std::max(P1.X, P2.X),
                std::max(P1.Y, P2.Y));
}

bool SameDot(const TDot& A, const TDot& B) { return A.X == B.X && A.Y == B.Y; }

bool SameSquare(const TSquare& A, const TSquare& B) {
  return A.Left == B.Left && A.Top == B.Top && A.Right == B.Right && A.Bottom == B.Bottom;
}

bool IsZeroRect(const TRect& R) {
  return R.Left == 0 && R.Top == 0 && R.Right == 0 && R.Bottom == 0;
}

bool IsZeroSquare(const TSquare& S) {
  return S.Left == 0 && S.Top == 0 && S.Right == 0 && S.Bottom == 0;
}

bool IsZeroDot(const TDot& P) { return P.X == 0 && P.Y == 0; }

bool IsNullDot(const TDot& P) { return SameDot(P, NullDot); }

bool IsNullDot(const TPoint& P) { return P == NullPoint; }

bool SquaresOverlap(const TSquare& A, const TSquare& B) {
  const bool apart = B.Right < A.Left || B.Left > A.Right || B.Bottom < A.Top || B.Top > A.Bottom;
  return !apart;
}

bool DotInSquare(const TSquare& S, const TDot& P, double Tol) {
  return S.Left - Tol <= P.X && P.X < S.Right + Tol && S.Top - Tol <= P.Y && P.Y < S.Bottom + Tol;
}

bool NearPoint(const TPoint& P, const TPoint& Q, int Tol) {
  // Differences in int64: two int32 coordinates cannot overflow there.
  const int64_t dx = static_cast<int64_t>(P.X) - Q.X;
  const int64_t dy = static_cast<int64_t>(P.Y) - Q.Y;
  return std::abs(dx) <= Tol && std::abs(dy) <= Tol;
}

bool NearPoint(const TDot& P, const TDot& Q, double Tol) {
  return std::abs(P.X - Q.X) <= Tol && std::abs(P.Y - Q.Y) <= Tol;
}

namespace {

bool InRange(double value, double bound1, double bound2, double tol) {
  return std::min(bound1, bound2) - tol <= value && value <= std::max(bound1, bound2) + tol;
}

}  // namespace

bool NearVertSegment(const TDot& P, double Tol, double X, double Y1, double Y2) {
  return X - Tol <= P.X && P.X <= X + Tol && InRange(P.Y, Y1, Y2, Tol);
}

bool NearHorzSegment(const TDot& P, double Tol, double Y, double X1, double X2) {
  return Y - Tol <= P.Y && P.Y <= Y + Tol && InRange(P.X, X1, X2, Tol);
}

bool NearSegment(const TDot& P, double Tol, double X1, double Y1, double X2, double Y2) {
  const double dx = X2 - X1;
  const double dy = Y2 - Y1;
  // A segment without a finite direction is never near (no slope to measure along).
  if (!std::isfinite(dx) || !std::isfinite(dy)) return false;
  if (dx == 0 && dy == 0) return false;
  if (std::abs(dx) >= std::abs(dy)) {
    const double m = dy / dx;
    const double b = Y1 - m * X1;
    return InRange(P.X, X1, X2, 0) && std::abs(RoundF(m * P.X + b) - P.Y) <= Tol;
  }
  const double m = dx / dy;
  const double b = X1 - m * Y1;
  return InRange(P.Y, Y1, Y2, 0) && std::abs(RoundF(m * P.Y + b) - P.X) <= Tol;
}

double Distance(const TDot& P1, const TDot& P2) { return std::hypot(P2.X - P1.X, P2.Y - P1.Y); }

double LineDistance(const TDot& P, const TDot& A, const TDot& B) {
  const double length = Distance(A, B);
  if (length == 0) return 0;
  return ((B.X - A.X) * (P.Y - A.Y) - (B.Y - A.Y) * (P.X - A.X)) / length;
}

TDot PerpendicularOffset(const TDot& A, const TDot& B, const TDot& Base, double D) {
  const double length = Distance(A, B);
  if (length == 0) return A;
  const TDot normal = Dot((B.Y - A.Y) / length, -(B.X - A.X) / length);
  return AddDots(Base, ScaleDot(normal, D));
}

TArrowCorners ArrowBaseCorners(const TDot& Tip, const TDot& Base, double W, double L) {
  const TDot d = SubDots(Tip, Base);
  const double f = Distance(Tip, Base);
  if (f == 0) return TArrowCorners{Tip, Base};
  const double g = W / 2;
  const double l = f - L;
  const TDot along = Dot(d.X * l / f, d.Y * l / f);
  const TDot aside = Dot(-d.Y * g / f, d.X * g / f);
  return TArrowCorners{AddDots(Base, AddDots(along, aside)), AddDots(Base, SubDots(along, aside))};
}

void FitRatio(TSquare& R, const TSquare& Ref) {
  const double refWidth = Ref.Width();
  const double refHeight = Ref.Height();
  if (refWidth == 0 || refHeight == 0 || !std::isfinite(refWidth) || !std::isfinite(refHeight)) return;
  if (R.Height() > R.Width()) {
    const double h = R.Width() * refHeight / refWidth;
    if (R.Bottom != Ref.Bottom)
      R.Bottom = R.Top + h;
    else
      R.Top = R.Bottom - h;
  } else {
    const double w = R.Height() * refWidth / refHeight;
    if (R.Right != Ref.Right)
      R.Right = R.Left + w;
    else
      R.Left = R.Right - w;
  }
}

namespace {

// The sampling of one ellipse: N steps per full turn; step k lies at angle 2 pi k / N.
struct TEllipseSampling {
  double CX, CY, RX, RY;
  int64_t N;
  TDot At(int64_t k) const {
    const double t = 2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(N);
    return Dot(CX + RX * std::cos(t), CY + RY * std::sin(t));
  }
};

}  // namespace

TDotArray EllipsePoints(double X1, double Y1, double X2, double Y2, double A1, double A2,
                        bool Forward) {
  const double rx = std::abs(X2 - X1 + 1) / 2;
  const double ry = std::abs(Y2 - Y1 + 1) / 2;
  const double cx = (X1 + X2) / 2;
  const double cy = (Y1 + Y2) / 2;
  const bool drawable = rx > 0 && ry > 0 && std::isfinite(rx) && std::isfinite(ry) &&
                        std::isfinite(cx) && std::isfinite(cy);
  if (!drawable) return {Dot(X1, Y1), Dot(X2, Y2)};

  // One step per pixel of the larger circle's perimeter, capped for huge boxes; at least one
  // step per turn so that tiny boxes do not divide by zero.
  const double perimeter = std::min(2 * std::numbers::pi * std::max(rx, ry), double(MaxOutlinePoints));
  const TEllipseSampling ellipse{cx, cy, rx, ry, std::max<int64_t>(1, Round(perimeter))};
  const int64_t k1 = Round(perimeter * A1 / 360);
  const int64_t k2 = Round(perimeter * A2 / 360);

  TDotArray result;
  if (Forward) {
    const int64_t last = std::min(k2, k1 + MaxOutlinePoints);
    result.reserve(static_cast<size_t>(std::max<int64_t>(0, last - k1 + 1)) + 1);
    result.push_back(ellipse.At(k1));
    for (int64_t k = k1; k <= last; ++k) result.push_back(ellipse.At(k));
  } else {
    const int64_t last = std::max(k1, k2 - MaxOutlinePoints);
    result.reserve(static_cast<size_t>(std::max<int64_t>(0, k2 - last + 1)) + 1);
    result.push_back(ellipse.At(k2));
    for (int64_t k = k2; k >= last; --k) result.push_back(ellipse.At(k));
  }
  return result;
}

TDotArray RoundRectPoints(double X1, double Y1, double X2, double Y2, double X3, double Y3) {
  const TDotArray corners[] = {
      EllipsePoints(X1, Y1, X1 + X3 - 1, Y1 + Y3 - 1, 181, 269, true),
      EllipsePoints(X2, Y1, X2 - X3 - 1, Y1 + Y3 - 1, 269, 359, true),
      EllipsePoints(X2, Y2, X2 - X3 - 1, Y2 - Y3 - 1, 1, 89, true),
      EllipsePoints(X1, Y2, X1 + X3 - 1, Y2 - Y3 - 1, 91, 179, true),
  };
  TDotArray result;
  for (const TDotArray& corner : corners) result.insert(result.end(), corner.begin(), corner.end());
  result.push_back(result.front());
  return result;
}
