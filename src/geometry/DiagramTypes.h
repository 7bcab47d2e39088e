#pragma once
// Points, rectangles and the rounding rules shared by every subsystem.
// Round is round-half-to-even; Trunc truncates toward zero. Conversions of doubles that
// may come from files saturate: NaN gives 0, values beyond the int range clamp to its ends.

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

struct TDot {
  double X = 0;
  double Y = 0;
  friend bool operator==(const TDot&, const TDot&) = default;
};

struct TSquare {
  double Left = 0;
  double Top = 0;
  double Right = 0;
  double Bottom = 0;
  double Width() const { return Right - Left; }
  double Height() const { return Bottom - Top; }
  friend bool operator==(const TSquare&, const TSquare&) = default;
};

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Integer rectangle of the raster canvas: Right and Bottom are exclusive.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

using TDotArray = std::vector<TDot>;
using TPointArray = std::vector<TPoint>;

// Marks a missing position; tested by exact equality.
inline constexpr TDot NullDot{100000, 100000};
inline constexpr TPoint NullPoint{100000, 100000};

// Saturating conversion of an already integral double to int32: NaN -> 0, beyond the range -> the range's ends.
inline int32_t SaturateToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (value <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

// Round to nearest, ties to even, saturating.
// Inside the int range, adding and taking away 1.5 * 2^52 rounds the same way without a
// library call: the sum has no fraction bits left. (rint rounds as nearbyint does but
// without saving the floating-point environment around it; the inexact flag it may raise
// is never read.)
inline int32_t Round(double value) {
  constexpr double RoundingBias = 6755399441055744.0;  // 1.5 * 2^52
  if (std::fabs(value) < 2147483647.0) return static_cast<int32_t>((value + RoundingBias) - RoundingBias);
  return SaturateToInt(std::rint(value));
}
// The same rounding, kept as a double (for values that may exceed the int range).
inline double RoundF(double value) { return std::rint(value); }
// Truncation toward zero, saturating.
inline int32_t Trunc(double value) { return SaturateToInt(std::trunc(value)); }

// Whether every coordinate is a finite number.
inline bool IsFinite(const TDot& p) { return std::isfinite(p.X) && std::isfinite(p.Y); }
inline bool IsFinite(const TSquare& s) {
  return std::isfinite(s.Left) && std::isfinite(s.Top) && std::isfinite(s.Right) && std::isfinite(s.Bottom);
}
