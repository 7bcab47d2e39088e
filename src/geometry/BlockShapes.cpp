#include "geometry/BlockShapes.h"

namespace {

void DrawSquareRound(const TBlockDrawer& drawer, const TSquare& ref) {
  const TDot p1 = drawer.PP(ref.Left, ref.Top);
  const TDot p2 = drawer.PP(ref.Right, ref.Bottom);
  const double h = p2.Y - p1.Y;
  drawer.DrawRotPoly(RoundRectPoints(p1.X, p1.Y, p2.X, p2.Y, h, h));
}

}  // namespace

void DrawBlockShape(const TBlockDrawer& Drawer, TBlockShape Shape) {
  const TSquare& ref = Drawer.OriginalRect();
  switch (Shape) {
    case bsRectangle:
      Drawer.AutoRotRect(ref.Left, ref.Top, ref.Right, ref.Bottom);
      break;
    case bsEllipse:
      Drawer.AutoEllipse(ref.Left, ref.Top, ref.Right, ref.Bottom);
      break;
    case bsRoundRect:
      Drawer.AutoRoundRect(ref.Left, ref.Top, ref.Right, ref.Bottom, ref.Width() / 4, ref.Height() / 4);
      break;
    case bsDiamond:
      Drawer.DrawRotPoly(Drawer.PPPoints(DiamondPoints(ref)));
      break;
    case bsSquareRound:
      DrawSquareRound(Drawer, ref);
      break;
    case bsNoShape:
      break;
  }
}

TDotArray DiamondPoints(const TSquare& R) {
  const double midX = (R.Left + R.Right) / 2;
  const double midY = (R.Top + R.Bottom) / 2;
  return {Dot(R.Left, midY), Dot(midX, R.Top), Dot(R.Right, midY), Dot(midX, R.Bottom)};
}

std::array<TCornerArc, 4> RoundRectCornerArcs(double X1, double Y1, double X2, double Y2,
                                              double X3, double Y3) {
  return {{
      {Square(X2 - X3, Y1, X2, Y1 + Y3), 270, 90},
      {Square(X2 - X3, Y2 - Y3, X2, Y2), 0, 90},
      {Square(X1, Y2 - Y3, X1 + X3, Y2), 90, 90},
      {Square(X1, Y1, X1 + X3, Y1 + Y3), 180, 90},
  }};
}
