#include "streaming/Extended.h"

#include <gtest/gtest.h>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

TExtendedBytes Bytes(uint64_t mantissa, uint16_t signAndExponent) {
  TExtendedBytes b{};
  for (int i = 0; i < 8; ++i) b[i] = static_cast<uint8_t>(mantissa >> (8 * i));
  b[8] = static_cast<uint8_t>(signAndExponent);
  b[9] = static_cast<uint8_t>(signAndExponent >> 8);
  return b;
}

struct TExtendedCase {
  double Value;
  uint64_t Mantissa;
  uint16_t SignAndExponent;
};

}  // namespace

TEST(Extended, EncodesDoublesBitForBit) {
  const TExtendedCase cases[] = {
      {1.0, 0x8000000000000000, 0x3FFF},
      {120.0, 0xF000000000000000, 0x4005},
      {0.5, 0x8000000000000000, 0x3FFE},
      {-2.0, 0x8000000000000000, 0xC000},
      {0.1, 0xCCCCCCCCCCCCD000, 0x3FFB},
      {0.0, 0, 0},
      {-0.0, 0, 0x8000},
      {std::numeric_limits<double>::denorm_min(), 0x8000000000000000, 0x3BCD},  // 2^-1074
      {std::numeric_limits<double>::max(), 0xFFFFFFFFFFFFF800, 0x43FE},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DoubleToExtended(c.Value), Bytes(c.Mantissa, c.SignAndExponent)) << c.Value;
    EXPECT_EQ(std::bit_cast<uint64_t>(ExtendedToDouble(Bytes(c.Mantissa, c.SignAndExponent))),
              std::bit_cast<uint64_t>(c.Value))
        << c.Value;
  }
}

TEST(Extended, RoundTripsEveryKindOfDouble) {
  std::mt19937_64 random(12345);
  for (int i = 0; i < 200000; ++i) {
    uint64_t bits = random();
    if (i % 4 == 0) bits &= 0x800FFFFFFFFFFFFF;  // subnormals
    const double value = std::bit_cast<double>(bits);
    if (!std::isfinite(value)) continue;
    ASSERT_EQ(std::bit_cast<uint64_t>(ExtendedToDouble(DoubleToExtended(value))), bits);
  }
}

TEST(Extended, RoundsTheLongMantissaToNearestEven) {
  struct TCase {
    uint64_t Mantissa;
    double Expected;
  };
  const TCase cases[] = {
      {0x8000000000000400, 1.0},                        // 1 + 2^-53: tie, stays even
      {0x8000000000000C00, 1.0 + std::ldexp(1.0, -51)},  // 1 + 3*2^-53: tie, rounds to even upwards
      {0x8000000000000401, 1.0 + std::ldexp(1.0, -52)},  // just above the tie
      {0x80000000000003FF, 1.0},                        // just below the tie
      {0xFFFFFFFFFFFFFFFF, 2.0},                        // carries into the exponent
  };
  for (const auto& c : cases) EXPECT_EQ(ExtendedToDouble(Bytes(c.Mantissa, 0x3FFF)), c.Expected) << std::hex << c.Mantissa;
}

TEST(Extended, OutOfRangeMagnitudesSaturateOrVanish) {
  EXPECT_EQ(ExtendedToDouble(Bytes(0x8000000000000000, 0x7FFE)), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ExtendedToDouble(Bytes(0x8000000000000000, 0xFFFE)), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(ExtendedToDouble(Bytes(0xFFFFFFFFFFFFFFFF, 0x43FE)), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ExtendedToDouble(Bytes(0x8000000000000000, 0x0001)), 0.0);
  EXPECT_EQ(ExtendedToDouble(Bytes(0x4000000000000000, 0x0000)), 0.0);  // extended denormal
  EXPECT_TRUE(std::isinf(ExtendedToDouble(Bytes(0x8000000000000000, 0x7FFF))));
  EXPECT_TRUE(std::isnan(ExtendedToDouble(Bytes(0xC000000000000000, 0x7FFF))));
  // Half the smallest subnormal is a tie and rounds to zero; a bit more rounds up to it.
  EXPECT_EQ(ExtendedToDouble(Bytes(0x8000000000000000, 0x3BCC)), 0.0);
  EXPECT_EQ(ExtendedToDouble(Bytes(0x8000000000000001, 0x3BCC)), std::numeric_limits<double>::denorm_min());
}

// On x86 the compiler's long double is the same 80-bit format: use it as an independent oracle.
TEST(Extended, AgreesWithTheHardwareConversion) {
  if constexpr (std::numeric_limits<long double>::digits != 64) {
    GTEST_SKIP() << "long double is not the 80-bit format here";
  } else {
    std::mt19937_64 random(777);
    for (int i = 0; i < 200000; ++i) {
      const uint64_t mantissa = random() | (uint64_t{1} << 63);
      // Exponents around the whole double range, including overflow and underflow.
      const uint16_t exponent = static_cast<uint16_t>(16383 - 1100 + random() % 2200);
      const uint16_t sign = (random() & 1) ? 0x8000 : 0;
      const TExtendedBytes bytes = Bytes(mantissa, static_cast<uint16_t>(sign | exponent));
      long double hardware = 0;
      std::memcpy(&hardware, bytes.data(), 10);
      const double expected = static_cast<double>(hardware);
      ASSERT_EQ(std::bit_cast<uint64_t>(ExtendedToDouble(bytes)), std::bit_cast<uint64_t>(expected))
          << std::hex << mantissa << " " << exponent;
    }
  }
}
