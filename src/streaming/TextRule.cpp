#include "streaming/TextRule.h"

#include <cstring>

namespace {
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
}  // namespace

bool IsAscii(std::string_view bytes) {
  for (unsigned char c : bytes)
    if (c >= 0x80) return false;
  return true;
}

TTextEncodingChoice ChooseTextEncoding(std::u16string_view units) {
  size_t utf8 = 0;
  bool nonAscii = false;
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t c = units[i];
    if (c < 0x80) {
      utf8 += 1;
    } else if (c < 0x800) {
      utf8 += 2;
      nonAscii = true;
    } else if (IsHighSurrogate(c) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
      utf8 += 4;
      ++i;
      nonAscii = true;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      return {vaWString, 0};
    } else {
      utf8 += 3;
      nonAscii = true;
    }
  }
  if (utf8 >= 2 * units.size()) return {vaWString, 0};
  if (nonAscii) return {vaUTF8String, utf8};
  return {utf8 > 255 ? vaLString : vaString, utf8};
}

void AppendUtf8(QByteArray& out, std::u16string_view units) {
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t c = units[i];
    if (IsHighSurrogate(static_cast<char16_t>(c)) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    }
    if (c < 0x80) {
      out.append(static_cast<char>(c));
    } else if (c < 0x800) {
      out.append(static_cast<char>(0xC0 | (c >> 6)));
      out.append(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.append(static_cast<char>(0xE0 | (c >> 12)));
      out.append(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.append(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.append(static_cast<char>(0xF0 | (c >> 18)));
      out.append(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.append(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.append(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
}

bool DecodeUtf8(std::string_view bytes, std::u16string& out) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    const unsigned char b = *p;
    if (b < 0x80) {
      out.push_back(b);
      ++p;
      continue;
    }
    int extra = 0;
    uint32_t c = 0;
    uint32_t minimum = 0;
    if ((b & 0xE0) == 0xC0) { extra = 1; c = b & 0x1F; minimum = 0x80; }
    else if ((b & 0xF0) == 0xE0) { extra = 2; c = b & 0x0F; minimum = 0x800; }
    else if ((b & 0xF8) == 0xF0) { extra = 3; c = b & 0x07; minimum = 0x10000; }
    else return false;
    if (end - p <= extra) return false;
    for (int k = 1; k <= extra; ++k) {
      if ((p[k] & 0xC0) != 0x80) return false;
      c = (c << 6) | (p[k] & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    p += extra + 1;
  }
  return true;
}
