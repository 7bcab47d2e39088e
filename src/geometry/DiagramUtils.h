#pragma once
// The geometry library: point, rectangle, line and outline functions on doubles.
// Pure functions of their arguments; nothing here knows about diagrams or drawing.
// Non-finite input never crashes: it propagates as NaN/infinity through double results,
// and every conversion to integers saturates (see DiagramTypes.h).

#include "geometry/Curves.h"
#include "geometry/DiagramTypes.h"

#include <initializer_list>

enum TRotationType { rtCurRectCenter, rtRotationCenter };
enum TVertAlign { vaTop, vaBottom, vaCenter };
enum TBlockShape { bsNoShape, bsRectangle, bsEllipse, bsRoundRect, bsDiamond, bsSquareRound };

// --- Construction and conversion ---
TDot Dot(double X, double Y);
TSquare Square(double Left, double Top, double Right, double Bottom);
TSquare RectToSquare(const TRect& R);
// Each side rounded to the nearest integer.
TRect SquareToRect(const TSquare& S);
TDot PointToDot(const TPoint& P);
inline TPoint DotToPoint(const TDot& P) { return TPoint{Round(P.X), Round(P.Y)}; }
TDotArray PointsToDots(const TPointArray& Points);
TPointArray DotsToPoints(const TDotArray& Dots);
TDotArray DotsOf(std::initializer_list<TDot> Dots);
TDotArray JoinDots(const TDotArray& A, const TDotArray& B);

// --- Arithmetic ---
TDot AddDots(const TDot& P1, const TDot& P2);
TDot SubDots(const TDot& P1, const TDot& P2);  // P1 - P2
TDot ScaleDot(const TDot& P, double F);
TDot MidDot(const TDot& P1, const TDot& P2);
// P1 - P2; saturates instead of overflowing.
TPoint SubPoints(const TPoint& P1, const TPoint& P2);
TSquare OffsetSquare(const TSquare& S, const TDot& D);
TSquare OffsetSquare(const TSquare& S, const TPoint& D);
TSquare OffsetSquare(const TSquare& S, double DX, double DY);
// The normalised rectangle spanned by two points.
TSquare SquareFromDots(const TDot& P1, const TDot& P2);

// --- Tests ---
bool SameDot(const TDot& A, const TDot& B);
bool SameSquare(const TSquare& A, const TSquare& B);
bool IsZeroRect(const TRect& R);
bool IsZeroSquare(const TSquare& S);
bool IsZeroDot(const TDot& P);
bool IsNullDot(const TDot& P);
bool IsNullDot(const TPoint& P);
// True unless B lies entirely left, right, above or below A; touching counts as overlap.
bool SquaresOverlap(const TSquare& A, const TSquare& B);
// Left - Tol <= X < Right + Tol and Top - Tol <= Y < Bottom + Tol.
bool DotInSquare(const TSquare& S, const TDot& P, double Tol);
bool NearPoint(const TPoint& P, const TPoint& Q, int Tol);
bool NearPoint(const TDot& P, const TDot& Q, double Tol);
// P within Tol of the vertical segment X, Y1..Y2 (either order).
bool NearVertSegment(const TDot& P, double Tol, double X, double Y1, double Y2);
// P within Tol of the horizontal segment Y, X1..X2 (either order).
bool NearHorzSegment(const TDot& P, double Tol, double Y, double X1, double X2);
// Slanted segment test. The tolerance is measured along the flatter axis (vertically for
// segments at most 45 degrees steep, horizontally otherwise), not perpendicular to the
// segment. A zero-length segment is never near.
bool NearSegment(const TDot& P, double Tol, double X1, double Y1, double X2, double Y2);

// --- Lines ---
double Distance(const TDot& P1, const TDot& P2);
// Signed distance of P from the line through A and B; 0 when A = B. Positive on the
// clockwise side of A->B on screen (y down), i.e. opposite to the side PerpendicularOffset
// moves to for a positive D: LineDistance(PerpendicularOffset(A, B, M, D), A, B) = -D
// for M on the line.
double LineDistance(const TDot& P, const TDot& A, const TDot& B);
// Base moved by D along the unit normal ((B.Y - A.Y), -(B.X - A.X)) / |AB|; A when A = B.
TDot PerpendicularOffset(const TDot& A, const TDot& B, const TDot& Base, double D);

struct TArrowCorners {
  TDot Corner1;
  TDot Corner2;
};
// The two base corners of an arrow head of width W and length L whose tip is Tip on the
// segment Base-Tip: L before the tip, W / 2 to either side. Both are Tip when Tip = Base.
TArrowCorners ArrowBaseCorners(const TDot& Tip, const TDot& Base, double W, double L);

// Gives R the width/height ratio of Ref (the rectangle before a resize; R the dragged one):
// the dragged edge keeps moving, the opposite one stays. R is left unchanged when Ref has
// zero or non-finite width or height (there is no ratio to keep).
void FitRatio(TSquare& R, const TSquare& Ref);

// --- Outlines ---
// Polygon through the arc A1..A2 (degrees) of the ellipse in the box (X1, Y1)-(X2, Y2),
// about one point per pixel of perimeter; the first point is repeated. A box without
// extent, or with non-finite coordinates, gives the two points (X1, Y1), (X2, Y2).
// At most MaxOutlinePoints + 1 points.
TDotArray EllipsePoints(double X1, double Y1, double X2, double Y2, double A1, double A2,
                        bool Forward);
// Closed, clockwise (on screen) polygon of a rounded rectangle whose corner ellipse is
// X3 wide and Y3 high.
TDotArray RoundRectPoints(double X1, double Y1, double X2, double Y2, double X3, double Y3);
