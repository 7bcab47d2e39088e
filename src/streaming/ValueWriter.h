#pragma once
// Writes the binary object stream: signature, object records and tagged values, choosing
// encodings by the writer's rules (smallest integer, text rule, identifier keywords).

#include "platform/Filer.h"
#include "streaming/StreamFormat.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string_view>

class TValueWriter {
public:
  // Appends to out, which the caller owns.
  explicit TValueWriter(QByteArray& out) : FOut(out) {}

  void WriteSignature();
  // Prefix byte (only when flags are set), the child position when ofChildPos, then the
  // class and object names. Refuses names that do not fit their length byte.
  void WriteObjectHeader(uint8_t flags, int32_t childPos, std::string_view className, std::string_view objectName);
  // A property name or other short string; refuses more than 255 bytes ("Stream write error").
  void WriteShortString(std::string_view utf8);
  void WriteEndOfList() { WriteByte(vaNull); }

  void WriteTag(TValueType tag) { WriteByte(tag); }
  void WriteInteger(int64_t value);
  // vaExtended; refuses NaN and infinities.
  void WriteExtended(double value);
  void WriteDouble(double value);
  void WriteSingle(float value);
  // value already multiplied by 10000.
  void WriteCurrency(int64_t scaled);
  void WriteDate(double days);
  void WriteBoolean(bool value) { WriteByte(value ? vaTrue : vaFalse); }
  void WriteNil() { WriteByte(vaNil); }
  // Text by the text rule.
  void WriteText(std::u16string_view units);
  void WriteText(const QString& text);
  // ASCII-only text (the caller has checked): vaString or vaLString.
  void WriteAsciiText(std::string_view ascii);
  // Identifier; False/True/nil/Null in any case become their own tags.
  void WriteIdent(std::string_view utf8);
  void WriteBinary(const char* data, size_t size);
  void WriteBinary(const QByteArray& data) { WriteBinary(data.constData(), static_cast<size_t>(data.size())); }
  // vaSet: call WriteSetElement per member, then WriteSetEnd.
  void WriteSetBegin() { WriteByte(vaSet); }
  void WriteSetElement(std::string_view utf8);
  void WriteSetEnd() { WriteByte(0); }
  void WriteListBegin() { WriteByte(vaList); }
  void WriteListEnd() { WriteByte(vaNull); }

  void WriteByte(uint8_t b) { FOut.append(static_cast<char>(b)); }
  void WriteRaw(const void* data, size_t size);
  void WriteInt16Raw(int16_t v) { WriteLittleEndian(static_cast<uint64_t>(static_cast<uint16_t>(v)), 2); }
  void WriteInt32Raw(int32_t v) { WriteLittleEndian(static_cast<uint64_t>(static_cast<uint32_t>(v)), 4); }
  void WriteInt64Raw(int64_t v) { WriteLittleEndian(static_cast<uint64_t>(v), 8); }
  void WriteCount(size_t count);

  QByteArray& Buffer() { return FOut; }

private:
  void WriteLittleEndian(uint64_t value, int bytes);

  QByteArray& FOut;
};

// Whether an identifier is one of the keyword values, and which tag it takes.
TValueType IdentKeywordTag(std::string_view ident);
