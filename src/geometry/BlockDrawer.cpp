#include "geometry/BlockDrawer.h"

#include <cmath>
#include <numbers>

TBlockDrawer::TBlockDrawer() : FRect{0, 0, 100, 100}, FOrRect{0, 0, 100, 100} {}

TBlockDrawer::TState TBlockDrawer::SaveState() const {
  return TState{FRect, FOrRect, FAngle, FRotationType, FRotationCenter, FCanvas};
}

void TBlockDrawer::LoadState(const TState& State) {
  SetAngle(State.Angle);
  FRotationType = State.RotationType;
  FRotationCenter = State.RotationCenter;
  FRect = State.Rect;
  FOrRect = State.OrRect;
  FCanvas = State.Canvas;
}

void TBlockDrawer::Assign(const TBlockDrawer& ASource) {
  if (&ASource != this) LoadState(ASource.SaveState());
}

void TBlockDrawer::PushState() { FStack.push_back(SaveState()); }

void TBlockDrawer::PopState() {
  if (FStack.empty()) return;
  LoadState(FStack.back());
  FStack.pop_back();
}

void TBlockDrawer::SetAngle(double Value) {
  // Saved states are loaded back far more often than the angle changes.
  if (Value == FAngle) return;
  FAngle = Value;
  FRadAngle = Value * std::numbers::pi / 180;
  FSinAngle = std::sin(FRadAngle);
  FCosAngle = std::cos(FRadAngle);
}

// --- Reference -> current ---

double TBlockDrawer::PXS(double AX) const {
  if (FOrRect.Right == FOrRect.Left) return FRect.Left;
  return FRect.Left + (AX - FOrRect.Left) / (FOrRect.Right - FOrRect.Left) * (FRect.Right - FRect.Left);
}

double TBlockDrawer::PYS(double AY) const {
  if (FOrRect.Bottom == FOrRect.Top) return FRect.Top;
  return FRect.Top + RoundF(AY - FOrRect.Top) / (FOrRect.Bottom - FOrRect.Top) * (FRect.Bottom - FRect.Top);
}

int TBlockDrawer::PX(double AX) const { return Round(PXS(AX)); }

int TBlockDrawer::PY(double AY) const { return Round(PYS(AY)); }

TDot TBlockDrawer::PP(double AX, double AY) const { return TDot{PXS(AX), PYS(AY)}; }

TDot TBlockDrawer::PP(const TDot& AP) const { return PP(AP.X, AP.Y); }

TDot TBlockDrawer::PPX(double AX, double AY) const { return PP(AX, AY); }

TDot TBlockDrawer::PPX(const TDot& AP) const { return PP(AP.X, AP.Y); }

TDotArray TBlockDrawer::PPPoints(const TDotArray& Pts) const {
  TDotArray result;
  result.reserve(Pts.size());
  for (const TDot& p : Pts) result.push_back(PP(p));
  return result;
}

// --- Current -> reference ---

double TBlockDrawer::UnPXS(double AX) const {
  if (FRect.Right == FRect.Left) return FOrRect.Left;
  return FOrRect.Left + (AX - FRect.Left) / (FRect.Right - FRect.Left) * (FOrRect.Right - FOrRect.Left);
}

double TBlockDrawer::UnPYS(double AY) const {
  if (FRect.Bottom == FRect.Top) return FOrRect.Top;
  return FOrRect.Top + (AY - FRect.Top) / (FRect.Bottom - FRect.Top) * (FOrRect.Bottom - FOrRect.Top);
}

int TBlockDrawer::UnPx(double AX) const { return Round(UnPXS(AX)); }

int TBlockDrawer::UnPY(double AY) const { return Round(UnPYS(AY)); }

TDot TBlockDrawer::UnPP(double AX, double AY) const { return TDot{UnPXS(AX), UnPYS(AY)}; }

TDot TBlockDrawer::UnPP(const TDot& AP) const { return UnPP(AP.X, AP.Y); }

TDot TBlockDrawer::UnPPX(double AX, double AY) const { return UnPP(AX, AY); }

TDot TBlockDrawer::UnPPX(const TDot& AP) const { return UnPP(AP.X, AP.Y); }

// --- Edge offsets ---

int TBlockDrawer::LX(double AX) const { return Round(AX - FOrRect.Left + FRect.Left); }

int TBlockDrawer::LY(double AY) const { return Round(AY - FOrRect.Top + FRect.Top); }

TPoint TBlockDrawer::LP(double AX, double AY) const { return TPoint{LX(AX), LY(AY)}; }

int TBlockDrawer::RX(double AX) const { return Round(FRect.Right - (FOrRect.Right - AX)); }

int TBlockDrawer::RY(double AY) const { return Round(FRect.Bottom - (FOrRect.Bottom - AY)); }

TPoint TBlockDrawer::RP(double AX, double AY) const { return TPoint{RX(AX), RY(AY)}; }

// --- Rotation ---

TDot TBlockDrawer::Center() const {
  if (FRotationType == rtRotationCenter) return FRotationCenter;
  return TDot{(FRect.Left + FRect.Right) / 2, (FRect.Top + FRect.Bottom) / 2};
}

TDot TBlockDrawer::RotateBy(const TDot& AP, double Sin, double Cos) const {
  const TDot c = Center();
  const double dx = AP.X - c.X;
  const double dy = AP.Y - c.Y;
  return TDot{c.X + dx * Cos - dy * Sin, c.Y + dx * Sin + dy * Cos};
}

TDot TBlockDrawer::RotX(const TDot& AP) const {
  if (FAngle == 0) return AP;
  return RotateBy(AP, FSinAngle, FCosAngle);
}

TDot TBlockDrawer::RotX(double AX, double AY) const { return RotX(TDot{AX, AY}); }

TDot TBlockDrawer::UnrotX(const TDot& AP) const {
  if (FAngle == 0) return AP;
  return RotateBy(AP, std::sin(-FRadAngle), std::cos(-FRadAngle));
}

TDot TBlockDrawer::UnrotX(double AX, double AY) const { return UnrotX(TDot{AX, AY}); }

TPoint TBlockDrawer::Rot(double AX, double AY) const { return DotToPoint(RotX(AX, AY)); }

TPoint TBlockDrawer::Rot(const TPoint& AP) const { return Rot(AP.X, AP.Y); }

TDotArray TBlockDrawer::RotPoly(const TDotArray& Pts) const {
  TDotArray result;
  result.reserve(Pts.size());
  for (const TDot& p : Pts) result.push_back(RotX(p));
  return result;
}

TSquare TBlockDrawer::RotByCenter(const TSquare& R) const {
  const TDot centre{(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
  const TDot rotated = RotX(centre);
  return OffsetSquare(R, rotated.X - centre.X, rotated.Y - centre.Y);
}

TPointArray TBlockDrawer::RotatedPoints(const TDotArray& Pts) const {
  return DotsToPoints(RotPoly(Pts));
}

// --- Drawing in current space ---

void TBlockDrawer::DrawRotRect(double X1, double Y1, double X2, double Y2) const {
  if (!FCanvas) return;
  if (FAngle == 0) {
    FCanvas->Rectangle(Round(X1), Round(Y1), Round(X2 + 1), Round(Y2 + 1));
    return;
  }
  FCanvas->Polygon({Rot(X1, Y1), Rot(X2, Y1), Rot(X2, Y2), Rot(X1, Y2), Rot(X1, Y1)});
}

void TBlockDrawer::DrawRotPoly(const TDotArray& P) const {
  if (!FCanvas) return;
  FCanvas->Polygon(RotatedPoints(P));
}

void TBlockDrawer::DrawRotPoly(std::initializer_list<TDot> P) const { DrawRotPoly(TDotArray(P)); }

void TBlockDrawer::DrawRotRoundRect(double X1, double Y1, double X2, double Y2, double X3,
                                    double Y3) const {
  if (!FCanvas) return;
  if (FAngle == 0) {
    FCanvas->RoundRect(Round(X1), Round(Y1), Round(X2 + 1), Round(Y2 + 1), Round(X3), Round(Y3));
    return;
  }
  FCanvas->Polygon(RotatedPoints(RoundRectPoints(X1, Y1, X2, Y2, X3, Y3)));
}

void TBlockDrawer::DrawRotEllipse(int X1, int Y1, int X2, int Y2) const {
  if (!FCanvas) return;
  if (FAngle == 0) {
    // One past the corner, saturating at the int range instead of overflowing.
    FCanvas->Ellipse(X1, Y1, SaturateToInt(X2 + 1.0), SaturateToInt(Y2 + 1.0));
    return;
  }
  FCanvas->Polygon(RotatedPoints(EllipsePoints(X1, Y1, X2, Y2, 0, 360, true)));
}

// --- Drawing in reference space ---

void TBlockDrawer::AutoRotRect(double X1, double Y1, double X2, double Y2) const {
  DrawRotRect(PXS(X1), PYS(Y1), PXS(X2), PYS(Y2));
}

void TBlockDrawer::AutoEllipse(double X1, double Y1, double X2, double Y2) const {
  DrawRotEllipse(PX(X1), PY(Y1), PX(X2), PY(Y2));
}

namespace {

// The size of a corner scaled like the box it belongs to; 0 for a box without extent.
int ScaledCorner(int mappedLow, int mappedHigh, double low, double high, double corner) {
  if (high == low) return 0;
  return Round((static_cast<double>(mappedHigh) - mappedLow) * corner / (high - low));
}

}  // namespace

void TBlockDrawer::AutoRoundRect(double X1, double Y1, double X2, double Y2, double X3,
                                 double Y3) const {
  const int x1 = PX(X1), y1 = PY(Y1), x2 = PX(X2), y2 = PY(Y2);
  DrawRotRoundRect(x1, y1, x2, y2, ScaledCorner(x1, x2, X1, X2, X3), ScaledCorner(y1, y2, Y1, Y2, Y3));
}

void TBlockDrawer::AutoMoveTo(double X, double Y) const {
  if (!FCanvas) return;
  const TPoint p = DotToPoint(RotX(PP(X, Y)));
  FCanvas->MoveTo(p.X, p.Y);
}

void TBlockDrawer::AutoLineTo(double X, double Y) const {
  if (!FCanvas) return;
  const TPoint p = DotToPoint(RotX(PP(X, Y)));
  FCanvas->LineTo(p.X, p.Y);
}

void TBlockDrawer::CanvasPolyLine(const TPointArray& APoints) const {
  if (FCanvas) FCanvas->Polyline(APoints);
}

void TBlockDrawer::CanvasPolygon(const TPointArray& APoints) const {
  if (FCanvas) FCanvas->Polygon(APoints);
}
