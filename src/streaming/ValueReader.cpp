#include "streaming/ValueReader.h"

#include "streaming/Extended.h"
#include "streaming/StreamErrors.h"

#include <bit>
#include <cmath>
#include <cstring>

TValueReader::TNestingGuard::TNestingGuard(TValueReader& reader) : FReader(reader) {
  if (FReader.FDepth >= kMaxNestingDepth) ThrowNestingTooDeep();
  ++FReader.FDepth;
}

void TValueReader::Need(size_t count) const {
  if (count > FSize - FPos) ThrowReadError();
}

uint8_t TValueReader::ReadByte() {
  Need(1);
  return static_cast<uint8_t>(FData[FPos++]);
}

uint8_t TValueReader::PeekByte() const {
  Need(1);
  return static_cast<uint8_t>(FData[FPos]);
}

std::string_view TValueReader::ReadBytes(size_t count) {
  Need(count);
  std::string_view view(FData + FPos, count);
  FPos += count;
  return view;
}

uint64_t TValueReader::ReadLittleEndian(int bytes) {
  Need(static_cast<size_t>(bytes));
  uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(FData[FPos + i]);
  FPos += static_cast<size_t>(bytes);
  return value;
}

int16_t TValueReader::ReadInt16Raw() { return static_cast<int16_t>(ReadLittleEndian(2)); }
int32_t TValueReader::ReadInt32Raw() { return static_cast<int32_t>(ReadLittleEndian(4)); }
int64_t TValueReader::ReadInt64Raw() { return static_cast<int64_t>(ReadLittleEndian(8)); }
uint32_t TValueReader::ReadCount() { return static_cast<uint32_t>(ReadLittleEndian(4)); }

void TValueReader::ReadSignature() {
  if (Remaining() < 4 || std::memcmp(FData + FPos, kObjectStreamSignature, 4) != 0) ThrowInvalidFormat();
  FPos += 4;
}

std::string_view TValueReader::ReadShortString() {
  const uint8_t length = ReadByte();
  return ReadBytes(length);
}

TObjectHeader TValueReader::ReadObjectHeader() {
  TObjectHeader header;
  if (IsPrefixByte(PeekByte())) {
    header.Flags = ReadByte() & kKnownObjectFlags;
    if (header.Flags & ofChildPos) {
      const auto tag = static_cast<TValueType>(ReadByte());
      if (tag != vaInt8 && tag != vaInt16 && tag != vaInt32) ThrowInvalidFormat();
      header.ChildPos = static_cast<int32_t>(ReadIntegerPayload(tag));
    }
  }
  header.ClassName = ReadShortString();
  header.ObjectName = ReadShortString();
  return header;
}

bool TValueReader::EndOfList() const { return PeekByte() == 0; }

void TValueReader::ReadEndOfList() {
  if (ReadByte() != 0) ThrowReadError();
}

TValueType TValueReader::ReadTag() {
  const uint8_t tag = ReadByte();
  if (tag > kLastValueType) throw EInvalidValueTag(tag);
  return static_cast<TValueType>(tag);
}

TValueType TValueReader::PeekTag() const {
  const uint8_t tag = PeekByte();
  if (tag > kLastValueType) throw EInvalidValueTag(tag);
  return static_cast<TValueType>(tag);
}

int64_t TValueReader::ReadIntegerPayload(TValueType tag) {
  switch (tag) {
    case vaInt8: return static_cast<int8_t>(ReadByte());
    case vaInt16: return ReadInt16Raw();
    case vaInt32: return ReadInt32Raw();
    case vaInt64: return ReadInt64Raw();
    default: ThrowInvalidValue();
  }
}

int64_t TValueReader::ReadInteger() { return ReadIntegerPayload(ReadTag()); }

double TValueReader::ReadFloatPayload(TValueType tag) {
  double value = 0;
  switch (tag) {
    case vaExtended: {
      TExtendedBytes bytes;
      const std::string_view raw = ReadBytes(bytes.size());
      std::memcpy(bytes.data(), raw.data(), bytes.size());
      value = ExtendedToDouble(bytes);
      break;
    }
    case vaDouble:
    case vaDate: value = std::bit_cast<double>(ReadInt64Raw()); break;
    case vaSingle: value = std::bit_cast<float>(ReadInt32Raw()); break;
    case vaCurrency: return static_cast<double>(ReadInt64Raw()) / 10000.0;
    default: ThrowInvalidValue();
  }
  // Writers never store NaN or infinities; an extended beyond the double range reads as one.
  if (!std::isfinite(value)) ThrowInvalidValue();
  return value;
}

double TValueReader::ReadFloat() { return ReadFloatPayload(ReadTag()); }

QString TValueReader::ReadTextPayload(TValueType tag) {
  switch (tag) {
    case vaString: {
      const std::string_view bytes = ReadShortString();
      return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    case vaLString: {
      const std::string_view bytes = ReadBytes(ReadCount());
      return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    case vaUTF8String: {
      const std::string_view bytes = ReadBytes(ReadCount());
      return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    case vaWString: {
      const uint64_t units = ReadCount();
      const std::string_view bytes = ReadBytes(units * 2);
      QString text(static_cast<qsizetype>(units), Qt::Uninitialized);
      char16_t* out = reinterpret_cast<char16_t*>(text.data());
      for (size_t i = 0; i < units; ++i)
        out[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) | (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
      return text;
    }
    default: ThrowInvalidValue();
  }
}

QString TValueReader::ReadText() { return ReadTextPayload(ReadTag()); }

std::string_view TValueReader::ReadBinaryPayload() { return ReadBytes(ReadCount()); }

void TValueReader::SkipValue() { SkipPayload(ReadTag()); }

void TValueReader::SkipPayload(TValueType tag) {
  switch (tag) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil: return;
    case vaInt8: ReadBytes(1); return;
    case vaInt16: ReadBytes(2); return;
    case vaInt32:
    case vaSingle: ReadBytes(4); return;
    case vaInt64:
    case vaCurrency:
    case vaDate:
    case vaDouble: ReadBytes(8); return;
    case vaExtended: ReadBytes(10); return;
    case vaString:
    case vaIdent: ReadShortString(); return;
    case vaBinary:
    case vaLString:
    case vaUTF8String: ReadBytes(ReadCount()); return;
    case vaWString: ReadBytes(uint64_t{ReadCount()} * 2); return;
    case vaSet:
      while (!ReadShortString().empty()) {}
      return;
    case vaList: {
      TNestingGuard guard(*this);
      while (!EndOfList()) SkipValue();
      ReadEndOfList();
      return;
    }
    case vaCollection: {
      TNestingGuard guard(*this);
      while (!EndOfList()) {
        if (IsIntegerTag(PeekTag())) ReadInteger();
        if (ReadByte() != vaList) ThrowInvalidValue();
        while (!EndOfList()) {
          ReadShortString();
          SkipValue();
        }
        ReadEndOfList();
      }
      ReadEndOfList();
      return;
    }
  }
}
