#pragma once
// The writer's rule for text values: UTF-8 when that is shorter than twice the UTF-16 length,
// else UTF-16 code units. Also the conversions between the two that the stream needs.

#include "platform/Filer.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <string_view>

struct TTextEncodingChoice {
  TValueType Tag = vaWString;
  size_t Utf8Length = 0;  // valid when Tag is a UTF-8 form
};

// A text with unpaired surrogates has no UTF-8 form and is always chosen as vaWString.
TTextEncodingChoice ChooseTextEncoding(std::u16string_view units);
// Appends the UTF-8 form of units (which must have no unpaired surrogates).
void AppendUtf8(QByteArray& out, std::u16string_view units);
// Decodes UTF-8 bytes to UTF-16; false when the bytes are not valid UTF-8.
bool DecodeUtf8(std::string_view bytes, std::u16string& out);
bool IsAscii(std::string_view bytes);
inline std::u16string_view ToView(const QString& s) {
  return {reinterpret_cast<const char16_t*>(s.utf16()), static_cast<size_t>(s.size())};
}
