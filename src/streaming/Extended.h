#pragma once
// The 80-bit extended-precision float of the binary stream (vaExtended), converted bit by
// bit so the result does not depend on the compiler's long double.

#include <array>
#include <cstdint>

using TExtendedBytes = std::array<uint8_t, 10>;

// Exact for every finite double (every double is representable as an extended).
// Infinities and NaN are encoded too (exponent 0x7FFF); the stream writer refuses them earlier.
TExtendedBytes DoubleToExtended(double value);
// Rounds the 64-bit mantissa to nearest, ties to even. Magnitudes beyond the double range
// give an infinity, tiny ones a subnormal or zero; exponent 0x7FFF gives an infinity or NaN.
double ExtendedToDouble(const TExtendedBytes& bytes);
