#pragma once
// Free polygons in client units: their bounding box, stretching one onto a rectangle,
// turning one about its box centre, and closing one for drawing and hit testing.

#include "geometry/DiagramTypes.h"

// (min X, min Y, max X, max Y) of the points; (0, 0, 0, 0) for none.
TSquare PolygonBounds(const TDotArray& points);

// Stretches the points from their own bounding box onto rect with the block mapping: the
// horizontal offset from the box's left edge scales as it is, the vertical offset from the
// box's top is rounded to a whole unit first. A box without width (height) puts every point
// on rect's left (top) edge; nothing divides by an empty extent.
void FitPolygon(TDotArray& points, const TSquare& rect);

// p turned by angle degrees (clockwise on screen) about centre.
TDot RotatePoint(const TDot& p, double angle, const TDot& centre);
// Turns every point by angle degrees (clockwise on screen) about centre.
void RotatePolygon(TDotArray& points, double angle, const TDot& centre);
// Turns every point about the centre of the points' own bounding box.
void RotatePolygon(TDotArray& points, double angle);

// The points followed by the first one again; empty for none.
TDotArray ClosedPolygon(const TDotArray& points);

// Maps p from the rectangle from onto the rectangle to, per axis; an axis on which from has
// no extent is only shifted.
TDot MapBetweenRects(const TDot& p, const TSquare& from, const TSquare& to);
