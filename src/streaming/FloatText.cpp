#include "streaming/FloatText.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kSignificantDigits = 16;
constexpr int kDecimals = 18;

void AppendExponentForm(std::string& out, bool negative, const char* digits, int exponent) {
  if (negative) out += '-';
  out += digits[0];
  out += '.';
  out.append(digits + 1, kSignificantDigits - 1);
  out += 'E';
  out += exponent < 0 ? '-' : '+';
  char buffer[8];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, std::abs(exponent));
  out.append(buffer, result.ptr);
}

}  // namespace

void AppendFixedFloat(std::string& out, double value) {
  char buffer[64];
  // d.ddddddddddddddde+XX: 16 significant digits, correctly rounded.
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, kSignificantDigits - 1);
  const char* p = buffer;
  const bool negative = *p == '-';
  if (negative) ++p;
  char digits[kSignificantDigits];
  digits[0] = *p++;
  if (*p == '.') ++p;
  std::memcpy(digits + 1, p, kSignificantDigits - 1);
  p += kSignificantDigits - 1;
  int exponent = 0;
  std::from_chars(p + 1 + (p[1] == '+'), result.ptr, exponent);

  bool isZero = true;
  for (char d : digits) isZero = isZero && d == '0';
  if (isZero) exponent = 0;

  // Digit k weighs 10^(exponent - k). Check what the fixed form can show.
  if (exponent + 1 > kSignificantDigits) {
    AppendExponentForm(out, negative, digits, exponent);
    return;
  }
  for (int k = 0; k < kSignificantDigits; ++k) {
    if (exponent - k < -kDecimals && digits[k] != '0') {
      AppendExponentForm(out, negative, digits, exponent);
      return;
    }
  }
  if (negative) out += '-';
  if (exponent < 0) {
    out += '0';
  } else {
    out.append(digits, static_cast<size_t>(exponent + 1));
  }
  out += '.';
  for (int position = -1; position >= -kDecimals; --position) {
    const int k = exponent - position;
    out += (k >= 0 && k < kSignificantDigits) ? digits[k] : '0';
  }
}

void AppendShortestFloat(std::string& out, double value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void AppendShortestFloat(std::string& out, float value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void AppendCurrency(std::string& out, int64_t scaled) {
  uint64_t magnitude = scaled < 0 ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  if (scaled < 0) out += '-';
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude / 10000);
  out.append(buffer, result.ptr);
  uint64_t fraction = magnitude % 10000;
  if (fraction == 0) return;
  char digits[4];
  for (int i = 3; i >= 0; --i) {
    digits[i] = static_cast<char>('0' + fraction % 10);
    fraction /= 10;
  }
  int length = 4;
  while (digits[length - 1] == '0') --length;
  out += '.';
  out.append(digits, static_cast<size_t>(length));
}
