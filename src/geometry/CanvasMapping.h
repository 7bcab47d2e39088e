#pragma once
// How a diagram maps client units onto canvas pixels, as a value that can be applied to many
// points without asking the diagram each time.
//
// Each axis goes through the same steps in the same order as the diagram's own conversion:
// scaled, shifted twice, then scaled twice. A step that the diagram skips is a scale of 1 or
// a shift of 0, which leave every value exactly as it was, so applying the mapping gives the
// diagram's results to the last bit.

#include "geometry/DiagramTypes.h"

struct TCanvasAxis {
  double Scale = 1;
  double Shift = 0;
  double SecondShift = 0;
  double SecondScale = 1;
  double ThirdScale = 1;

  double Apply(double value) const { return (((value * Scale) + Shift) + SecondShift) * SecondScale * ThirdScale; }
  friend bool operator==(const TCanvasAxis&, const TCanvasAxis&) = default;
};

struct TCanvasMapping {
  TCanvasAxis X;
  TCanvasAxis Y;

  TDot Apply(const TDot& point) const { return {X.Apply(point.X), Y.Apply(point.Y)}; }
  friend bool operator==(const TCanvasMapping&, const TCanvasMapping&) = default;
};
