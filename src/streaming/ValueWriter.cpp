#include "streaming/ValueWriter.h"

#include "streaming/Extended.h"
#include "streaming/StreamErrors.h"
#include "streaming/TextRule.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

}  // namespace

TValueType IdentKeywordTag(std::string_view ident) {
  switch (ident.size()) {
    case 3:
      if (EqualsIgnoringAsciiCase(ident, "nil")) return vaNil;
      break;
    case 4:
      if (EqualsIgnoringAsciiCase(ident, "true")) return vaTrue;
      if (EqualsIgnoringAsciiCase(ident, "null")) return vaNull;
      break;
    case 5:
      if (EqualsIgnoringAsciiCase(ident, "false")) return vaFalse;
      break;
    default: break;
  }
  return vaIdent;
}

void TValueWriter::WriteSignature() { WriteRaw(kObjectStreamSignature, 4); }

void TValueWriter::WriteLittleEndian(uint64_t value, int bytes) {
  char buffer[8] = {};
  for (int i = 0; i < bytes; ++i) buffer[i] = static_cast<char>(value >> (8 * i));
  WriteRaw(buffer, static_cast<size_t>(bytes));
}

// Grows the buffer and copies: QByteArray::append of a pointer and length goes through
// its general insert path, which showed in every stream written.
void TValueWriter::WriteRaw(const void* data, size_t size) {
  if (size == 0) return;
  const qsizetype at = FOut.size();
  FOut.resize(at + static_cast<qsizetype>(size));
  std::memcpy(FOut.data() + at, data, size);
}

void TValueWriter::WriteCount(size_t count) {
  if (count > static_cast<size_t>(std::numeric_limits<int32_t>::max())) ThrowWriteError();
  WriteInt32Raw(static_cast<int32_t>(count));
}

void TValueWriter::WriteObjectHeader(uint8_t flags, int32_t childPos, std::string_view className,
                                     std::string_view objectName) {
  if (className.size() > static_cast<size_t>(kMaxClassNameBytes)) ThrowWriteError();
  if (objectName.size() > static_cast<size_t>(kMaxShortStringBytes)) ThrowWriteError();
  flags &= kKnownObjectFlags;
  if (flags != 0) {
    WriteByte(static_cast<uint8_t>(kPrefixMarker | flags));
    if (flags & ofChildPos) WriteInteger(childPos);
  }
  WriteShortString(className);
  WriteShortString(objectName);
}

void TValueWriter::WriteShortString(std::string_view utf8) {
  if (utf8.size() > static_cast<size_t>(kMaxShortStringBytes)) ThrowWriteError();
  WriteByte(static_cast<uint8_t>(utf8.size()));
  WriteRaw(utf8.data(), utf8.size());
}

void TValueWriter::WriteInteger(int64_t value) {
  if (value >= -128 && value <= 127) {
    WriteByte(vaInt8);
    WriteByte(static_cast<uint8_t>(static_cast<int8_t>(value)));
  } else if (value >= -32768 && value <= 32767) {
    WriteByte(vaInt16);
    WriteInt16Raw(static_cast<int16_t>(value));
  } else if (value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max()) {
    WriteByte(vaInt32);
    WriteInt32Raw(static_cast<int32_t>(value));
  } else {
    WriteByte(vaInt64);
    WriteInt64Raw(value);
  }
}

void TValueWriter::WriteExtended(double value) {
  if (!std::isfinite(value)) ThrowWriteError();
  const TExtendedBytes bytes = DoubleToExtended(value);
  WriteByte(vaExtended);
  WriteRaw(bytes.data(), bytes.size());
}

void TValueWriter::WriteDouble(double value) {
  if (!std::isfinite(value)) ThrowWriteError();
  WriteByte(vaDouble);
  WriteInt64Raw(std::bit_cast<int64_t>(value));
}

void TValueWriter::WriteSingle(float value) {
  if (!std::isfinite(value)) ThrowWriteError();
  WriteByte(vaSingle);
  WriteInt32Raw(std::bit_cast<int32_t>(value));
}

void TValueWriter::WriteCurrency(int64_t scaled) {
  WriteByte(vaCurrency);
  WriteInt64Raw(scaled);
}

void TValueWriter::WriteDate(double days) {
  if (!std::isfinite(days)) ThrowWriteError();
  WriteByte(vaDate);
  WriteInt64Raw(std::bit_cast<int64_t>(days));
}

void TValueWriter::WriteText(const QString& text) { WriteText(ToView(text)); }

void TValueWriter::WriteText(std::u16string_view units) {
  const TTextEncodingChoice choice = ChooseTextEncoding(units);
  switch (choice.Tag) {
    case vaString:
      WriteByte(vaString);
      WriteByte(static_cast<uint8_t>(choice.Utf8Length));
      for (char16_t c : units) WriteByte(static_cast<uint8_t>(c));
      return;
    case vaLString:
      WriteByte(vaLString);
      WriteCount(choice.Utf8Length);
      for (char16_t c : units) WriteByte(static_cast<uint8_t>(c));
      return;
    case vaUTF8String:
      WriteByte(vaUTF8String);
      WriteCount(choice.Utf8Length);
      AppendUtf8(FOut, units);
      return;
    default:
      WriteByte(vaWString);
      WriteCount(units.size());
      for (char16_t c : units) WriteInt16Raw(static_cast<int16_t>(c));
      return;
  }
}

void TValueWriter::WriteAsciiText(std::string_view ascii) {
  if (ascii.empty()) {  // the text rule gives the empty text the wide form
    WriteByte(vaWString);
    WriteInt32Raw(0);
  } else if (ascii.size() <= 255) {
    WriteByte(vaString);
    WriteByte(static_cast<uint8_t>(ascii.size()));
    WriteRaw(ascii.data(), ascii.size());
  } else {
    WriteByte(vaLString);
    WriteCount(ascii.size());
    WriteRaw(ascii.data(), ascii.size());
  }
}

void TValueWriter::WriteIdent(std::string_view utf8) {
  const TValueType keyword = IdentKeywordTag(utf8);
  if (keyword != vaIdent) {
    WriteByte(keyword);
    return;
  }
  if (utf8.size() > static_cast<size_t>(kMaxShortStringBytes)) ThrowWriteError();
  WriteByte(vaIdent);
  WriteShortString(utf8);
}

void TValueWriter::WriteBinary(const char* data, size_t size) {
  WriteByte(vaBinary);
  WriteCount(size);
  WriteRaw(data, size);
}

void TValueWriter::WriteSetElement(std::string_view utf8) {
  if (utf8.empty()) ThrowWriteError();  // an empty name would end the set
  WriteShortString(utf8);
}
