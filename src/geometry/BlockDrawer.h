#pragma once
// TBlockDrawer maps element geometry written once in a reference rectangle (OriginalRect,
// usually (0, 0, 100, 100)) onto the element's current rectangle (CurRect), rotates it by
// Angle degrees (clockwise on screen) about the current rectangle's centre or an explicit
// centre, and draws rotated outlines on a raster canvas. Without a canvas it only computes.

#include "geometry/DiagramTypes.h"
#include "geometry/DiagramUtils.h"
#include "geometry/RasterTarget.h"

#include <initializer_list>
#include <vector>

class TBlockDrawer {
public:
  TBlockDrawer();
  virtual ~TBlockDrawer() = default;
  // Polymorphic: copy the state with Assign instead.
  TBlockDrawer(const TBlockDrawer&) = delete;
  TBlockDrawer& operator=(const TBlockDrawer&) = delete;

  // Copies angle, rotation type and centre, both rectangles and the canvas; not the stack.
  void Assign(const TBlockDrawer& ASource);
  void PushState();
  // Restores the most recently pushed state; does nothing when none is pushed.
  void PopState();

  const TSquare& CurRect() const { return FRect; }
  void SetCurRect(const TSquare& Value) { FRect = Value; }
  const TSquare& OriginalRect() const { return FOrRect; }
  void SetOriginalRect(const TSquare& Value) { FOrRect = Value; }
  double Angle() const { return FAngle; }
  void SetAngle(double Value);
  double RadAngle() const { return FRadAngle; }
  IRasterTarget* Canvas() const { return FCanvas; }
  void SetCanvas(IRasterTarget* Value) { FCanvas = Value; }
  TRotationType RotationType() const { return FRotationType; }
  void SetRotationType(TRotationType Value) { FRotationType = Value; }
  const TDot& RotationCenter() const { return FRotationCenter; }
  void SetRotationCenter(const TDot& Value) { FRotationCenter = Value; }
  size_t StateDepth() const { return FStack.size(); }

  // --- Reference -> current ---
  // Linear per axis; a reference rectangle without width (height) maps to CurRect.Left (Top).
  // The vertical mapping rounds the reference offset Y - OriginalRect.Top (ties to even)
  // before scaling; the horizontal one does not.
  double PXS(double AX) const;
  double PYS(double AY) const;
  virtual int PX(double AX) const;
  virtual int PY(double AY) const;
  TDot PP(const TDot& AP) const;
  TDot PP(double AX, double AY) const;
  TDot PPX(const TDot& AP) const;
  TDot PPX(double AX, double AY) const;
  TDotArray PPPoints(const TDotArray& Pts) const;

  // --- Current -> reference (the inverse, without rounding) ---
  double UnPXS(double AX) const;
  double UnPYS(double AY) const;
  int UnPx(double AX) const;
  int UnPY(double AY) const;
  TDot UnPP(const TDot& AP) const;
  TDot UnPP(double AX, double AY) const;
  TDot UnPPX(const TDot& AP) const;
  TDot UnPPX(double AX, double AY) const;

  // --- Unscaled offsets from the left/top and right/bottom edges ---
  int LX(double AX) const;
  int LY(double AY) const;
  TPoint LP(double AX, double AY) const;
  int RX(double AX) const;
  int RY(double AY) const;
  TPoint RP(double AX, double AY) const;

  // --- Rotation of current-space points (exactly the input at angle 0) ---
  TDot RotX(const TDot& AP) const;
  TDot RotX(double AX, double AY) const;
  TDot UnrotX(const TDot& AP) const;
  TDot UnrotX(double AX, double AY) const;
  TPoint Rot(const TPoint& AP) const;
  TPoint Rot(double AX, double AY) const;
  TDotArray RotPoly(const TDotArray& Pts) const;
  // R moved so that its centre is the rotated centre of R.
  TSquare RotByCenter(const TSquare& R) const;

  // --- Drawing in current space (nothing without a canvas) ---
  void DrawRotRect(double X1, double Y1, double X2, double Y2) const;
  void DrawRotPoly(const TDotArray& P) const;
  void DrawRotPoly(std::initializer_list<TDot> P) const;
  void DrawRotRoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3) const;
  void DrawRotEllipse(int X1, int Y1, int X2, int Y2) const;

  // --- Drawing in reference space ---
  void AutoRotRect(double X1, double Y1, double X2, double Y2) const;
  void AutoEllipse(double X1, double Y1, double X2, double Y2) const;
  // The corner ellipse X3 x Y3 scales with the mapping; a reference box without width
  // (height) gets corners without width (height).
  void AutoRoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3) const;
  void AutoMoveTo(double X, double Y) const;
  void AutoLineTo(double X, double Y) const;

  void CanvasPolyLine(const TPointArray& APoints) const;
  void CanvasPolygon(const TPointArray& APoints) const;

private:
  struct TState {
    TSquare Rect;
    TSquare OrRect;
    double Angle;
    TRotationType RotationType;
    TDot RotationCenter;
    IRasterTarget* Canvas;
  };
  TState SaveState() const;
  void LoadState(const TState& State);
  TDot Center() const;
  TDot RotateBy(const TDot& AP, double Sin, double Cos) const;
  TPointArray RotatedPoints(const TDotArray& Pts) const;

  TSquare FRect;
  TSquare FOrRect;
  double FAngle = 0;
  double FRadAngle = 0;
  double FSinAngle = 0;
  double FCosAngle = 1;
  IRasterTarget* FCanvas = nullptr;
  TRotationType FRotationType = rtCurRectCenter;
  TDot FRotationCenter;
  std::vector<TState> FStack;
};

// Keeps a drawer's state for a scope: pushes on construction, pops on destruction (also
// when an exception passes).
class TBlockDrawerStateGuard {
public:
  explicit TBlockDrawerStateGuard(TBlockDrawer& Drawer) : FDrawer(Drawer) { FDrawer.PushState(); }
  ~TBlockDrawerStateGuard() { FDrawer.PopState(); }
  TBlockDrawerStateGuard(const TBlockDrawerStateGuard&) = delete;
  TBlockDrawerStateGuard& operator=(const TBlockDrawerStateGuard&) = delete;

private:
  TBlockDrawer& FDrawer;
};
