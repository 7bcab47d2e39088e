#include "streaming/Extended.h"

#include <bit>
#include <cstring>
#include <limits>

namespace {

constexpr int kDoubleBias = 1023;
constexpr int kExtendedBias = 16383;
constexpr uint64_t kDoubleFractionMask = (uint64_t{1} << 52) - 1;

uint64_t DoubleBits(double value) { return std::bit_cast<uint64_t>(value); }
double BitsToDouble(uint64_t bits) { return std::bit_cast<double>(bits); }

TExtendedBytes Pack(uint64_t mantissa, uint16_t signAndExponent) {
  TExtendedBytes out{};
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(mantissa >> (8 * i));
  out[8] = static_cast<uint8_t>(signAndExponent);
  out[9] = static_cast<uint8_t>(signAndExponent >> 8);
  return out;
}

// Shifts right by `shift` bits rounding to nearest, ties to even. shift may exceed 63.
uint64_t ShiftRightRounded(uint64_t value, int shift) {
  if (shift <= 0) return value;
  if (shift > 64) return 0;
  const uint64_t kept = shift == 64 ? 0 : value >> shift;
  const uint64_t half = uint64_t{1} << (shift - 1);
  const uint64_t rest = shift == 64 ? value : value & ((uint64_t{1} << shift) - 1);
  if (rest > half || (rest == half && (kept & 1))) return kept + 1;
  return kept;
}

}  // namespace

TExtendedBytes DoubleToExtended(double value) {
  const uint64_t bits = DoubleBits(value);
  const uint16_t sign = (bits >> 63) ? 0x8000 : 0;
  const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  uint64_t fraction = bits & kDoubleFractionMask;

  if (exponent == 0x7FF) {  // infinity or NaN: keep the payload's top bits
    return Pack((uint64_t{1} << 63) | (fraction << 11), static_cast<uint16_t>(sign | 0x7FFF));
  }
  if (exponent == 0) {
    if (fraction == 0) return Pack(0, sign);
    // Subnormal double: normalise so the explicit leading bit is set.
    const int leading = std::countl_zero(fraction);  // >= 12
    const uint64_t mantissa = fraction << leading;
    const int unbiased = -kDoubleBias + 1 - (leading - 11);
    return Pack(mantissa, static_cast<uint16_t>(sign | (unbiased + kExtendedBias)));
  }
  const uint64_t mantissa = (uint64_t{1} << 63) | (fraction << 11);
  const int unbiased = exponent - kDoubleBias;
  return Pack(mantissa, static_cast<uint16_t>(sign | (unbiased + kExtendedBias)));
}

double ExtendedToDouble(const TExtendedBytes& bytes) {
  uint64_t mantissa = 0;
  for (int i = 7; i >= 0; --i) mantissa = (mantissa << 8) | bytes[i];
  const uint16_t top = static_cast<uint16_t>(bytes[8] | (bytes[9] << 8));
  const bool negative = (top & 0x8000) != 0;
  const int exponent = top & 0x7FFF;
  const uint64_t signBit = negative ? uint64_t{1} << 63 : 0;

  if (exponent == 0x7FFF) {
    const bool isInfinity = (mantissa << 1) == 0;
    if (isInfinity) return BitsToDouble(signBit | (uint64_t{0x7FF} << 52));
    return BitsToDouble(signBit | (uint64_t{0x7FF} << 52) | (uint64_t{1} << 51));
  }
  if (mantissa == 0) return BitsToDouble(signBit);

  // value = mantissa * 2^(unbiased - 63); normalise unnormals and denormals first.
  int unbiased = (exponent == 0 ? 1 : exponent) - kExtendedBias;
  const int leading = std::countl_zero(mantissa);
  mantissa <<= leading;
  unbiased -= leading;

  if (unbiased > kDoubleBias) return BitsToDouble(signBit | (uint64_t{0x7FF} << 52));
  if (unbiased >= 1 - kDoubleBias) {
    uint64_t significand = ShiftRightRounded(mantissa, 11);  // 53 bits, may carry to 2^53
    if (significand >> 53) {
      significand >>= 1;
      ++unbiased;
      if (unbiased > kDoubleBias) return BitsToDouble(signBit | (uint64_t{0x7FF} << 52));
    }
    const uint64_t biased = static_cast<uint64_t>(unbiased + kDoubleBias);
    return BitsToDouble(signBit | (biased << 52) | (significand & kDoubleFractionMask));
  }
  // Subnormal result: the fraction's unit is 2^-1074; a carry into bit 52 makes it the
  // smallest normal number, which the bit layout already expresses.
  const int shift = 11 + (1 - kDoubleBias - unbiased);
  const uint64_t fraction = ShiftRightRounded(mantissa, shift);
  return BitsToDouble(signBit | fraction);
}
