#pragma once
// Readable test output for points and rectangles.

#include "geometry/DiagramTypes.h"

#include <ostream>

inline void PrintTo(const TDot& p, std::ostream* os) { *os << "(" << p.X << ", " << p.Y << ")"; }
inline void PrintTo(const TSquare& r, std::ostream* os) {
  *os << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}
inline void PrintTo(const TPoint& p, std::ostream* os) { *os << "(" << p.X << ", " << p.Y << ")"; }
