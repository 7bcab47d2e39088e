#pragma once
// Outlines of the built-in block shapes. The raster route draws them through a TBlockDrawer
// (reference rectangle mapped onto the block, rotated about its centre); the pure pieces a
// path-based engine needs to build the same figures are here as well.

#include "geometry/BlockDrawer.h"
#include "geometry/DiagramUtils.h"

#include <array>

// Draws Shape, written in the drawer's OriginalRect, on the drawer's canvas:
//   bsRectangle   AutoRotRect of the reference rectangle
//   bsEllipse     AutoEllipse of it
//   bsRoundRect   AutoRoundRect with a corner ellipse of a quarter of its width by a quarter
//                 of its height
//   bsDiamond     the polygon of its four edge midpoints, mapped and rotated
//   bsSquareRound a rounded rectangle whose corner ellipse is as wide and high as the mapped
//                 block is high (semicircular ends on a wide block), rotated
//   bsNoShape     nothing
void DrawBlockShape(const TBlockDrawer& Drawer, TBlockShape Shape);

// The diamond through the edge midpoints of R: left, top, right, bottom.
TDotArray DiamondPoints(const TSquare& R);

// One corner arc of a rounded rectangle: the box of its ellipse and its angles in degrees
// (0 at 3 o'clock, clockwise on screen as in path arcs).
struct TCornerArc {
  TSquare Box;
  double StartAngle;
  double SweepAngle;
};

// The four 90-degree corner arcs of the rounded rectangle (X1, Y1)-(X2, Y2) whose corner
// ellipse is X3 wide and Y3 high, in drawing order: top-right, bottom-right, bottom-left,
// top-left.
std::array<TCornerArc, 4> RoundRectCornerArcs(double X1, double Y1, double X2, double Y2,
                                              double X3, double Y3);
