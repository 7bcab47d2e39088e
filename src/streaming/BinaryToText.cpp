// Binary form -> text form.
#include "streaming/ObjectText.h"

#include "streaming/FloatText.h"
#include "streaming/StreamErrors.h"
#include "streaming/TextRule.h"
#include "streaming/ValueReader.h"

#include <QIODevice>
#include <charconv>
#include <string>
#include <string_view>
#include <type_traits>

namespace {

constexpr size_t kCharsPerTextLine = 64;
constexpr size_t kBytesPerBinaryLine = 32;
constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

bool IsIdentStartByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

// Whether the text parser reads name back as one identifier: names in a binary stream are
// plain bytes, and a name the text form cannot express must not be written as if it could.
bool IsTextIdentifier(std::string_view name, bool allowDots) {
  if (name.empty() || !IsIdentStartByte(name[0])) return false;
  for (size_t i = 1; i < name.size(); ++i) {
    const char c = name[i];
    if (IsIdentStartByte(c) || (c >= '0' && c <= '9')) continue;
    if (allowDots && c == '.' && i + 1 < name.size() && IsIdentStartByte(name[i + 1])) continue;
    return false;
  }
  return true;
}

template <class Unit>
bool IsPrintableUnit(Unit unit) {
  const auto c = static_cast<uint32_t>(unit);
  return c >= 32 && c != '\'' && c <= 127;
}

class TBinaryToTextConverter {
public:
  explicit TBinaryToTextConverter(const QByteArray& binary) : FReader(binary) {
    FOut.reserve(static_cast<size_t>(binary.size()) * 2 + 64);
  }

  QByteArray Convert() {
    FReader.ReadSignature();
    ConvertObject(0);
    QByteArray result;
    result.reserve(static_cast<qsizetype>(FOut.size()) + 3);
    if (FNeedsBom) result.append(kUtf8Bom, 3);
    result.append(FOut.data(), static_cast<qsizetype>(FOut.size()));
    return result;
  }

private:
  void Indent(int level) { FOut.append(static_cast<size_t>(level) * 2, ' '); }
  void NewLine() { FOut.append("\r\n", 2); }
  void AppendName(std::string_view name, bool allowDots = false) {
    if (!IsTextIdentifier(name, allowDots)) ThrowInvalidFormat();
    if (!FNeedsBom && !IsAscii(name)) FNeedsBom = true;
    FOut.append(name);
  }
  void AppendInteger(int64_t value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    FOut.append(buffer, result.ptr);
  }

  void ConvertObject(int level) {
    TValueReader::TNestingGuard guard(FReader);
    const TObjectHeader header = FReader.ReadObjectHeader();
    FObjectName = header.ObjectName;
    Indent(level);
    if (header.Flags & ofInherited) FOut += "inherited ";
    else if (header.Flags & ofInline) FOut += "inline ";
    else FOut += "object ";
    if (!header.ObjectName.empty()) {
      AppendName(header.ObjectName, false);
      FOut += ": ";
    }
    AppendName(header.ClassName);
    if (header.Flags & ofChildPos) {
      FOut += " [";
      AppendInteger(header.ChildPos);
      FOut += ']';
    }
    NewLine();
    while (!FReader.EndOfList()) ConvertPropertyLine(level + 1);
    FReader.ReadEndOfList();
    while (!FReader.EndOfList()) ConvertObject(level + 1);
    FReader.ReadEndOfList();
    Indent(level);
    FOut += "end";
    NewLine();
  }

  void ConvertPropertyLine(int level) {
    FPropertyName = FReader.ReadShortString();
    Indent(level);
    AppendName(FPropertyName, true);
    FOut += " = ";
    try {
      ConvertValue(level);
    } catch (const EInvalidValueTag& e) {
      throw EReadError(PropertyErrorMessage(QString::fromUtf8(FObjectName.data(), static_cast<qsizetype>(FObjectName.size())),
                                            QString::fromUtf8(FPropertyName.data(), static_cast<qsizetype>(FPropertyName.size())),
                                            QString::number(e.Tag())));
    }
    NewLine();
  }

  void ConvertValue(int level) {
    const TValueType tag = FReader.ReadTag();
    switch (tag) {
      case vaList: ConvertList(level); return;
      case vaInt8:
      case vaInt16:
      case vaInt32:
      case vaInt64: AppendInteger(FReader.ReadIntegerPayload(tag)); return;
      case vaExtended:
      case vaDouble: AppendFixedFloat(FOut, FReader.ReadFloatPayload(tag)); return;
      case vaSingle:
        AppendShortestFloat(FOut, static_cast<float>(FReader.ReadFloatPayload(tag)));
        FOut += 's';
        return;
      case vaCurrency:
        AppendCurrency(FOut, FReader.ReadInt64Raw());
        FOut += 'c';
        return;
      case vaDate:
        AppendShortestFloat(FOut, FReader.ReadFloatPayload(tag));
        FOut += 'd';
        return;
      case vaString: AppendText(FReader.ReadShortString(), level); return;
      case vaLString: AppendText(FReader.ReadBytes(FReader.ReadCount()), level); return;
      case vaUTF8String: ConvertUtf8Text(level); return;
      case vaWString: ConvertWideText(level); return;
      case vaIdent: AppendName(FReader.ReadShortString(), true); return;
      case vaFalse: FOut += "False"; return;
      case vaTrue: FOut += "True"; return;
      case vaNil: FOut += "nil"; return;
      case vaNull: FOut += "Null"; return;
      case vaBinary: ConvertBinary(FReader.ReadBinaryPayload(), level); return;
      case vaSet: ConvertSet(); return;
      case vaCollection: ConvertCollection(level); return;
    }
  }

  void ConvertList(int level) {
    TValueReader::TNestingGuard guard(FReader);
    FOut += '(';
    while (!FReader.EndOfList()) {
      NewLine();
      Indent(level + 1);
      ConvertValue(level + 1);
    }
    FReader.ReadEndOfList();
    FOut += ')';
  }

  void ConvertSet() {
    FOut += '[';
    bool first = true;
    for (;;) {
      const std::string_view element = FReader.ReadShortString();
      if (element.empty()) break;
      if (!first) FOut += ", ";
      AppendName(element);
      first = false;
    }
    FOut += ']';
  }

  void ConvertCollection(int level) {
    TValueReader::TNestingGuard guard(FReader);
    FOut += '<';
    while (!FReader.EndOfList()) {
      NewLine();
      Indent(level + 1);
      FOut += "item";
      if (IsIntegerTag(FReader.PeekTag())) {
        FOut += " [";
        AppendInteger(FReader.ReadInteger());
        FOut += ']';
      }
      if (FReader.ReadByte() != vaList) ThrowInvalidValue();
      NewLine();
      while (!FReader.EndOfList()) ConvertPropertyLine(level + 2);
      FReader.ReadEndOfList();
      Indent(level + 1);
      FOut += "end";
    }
    FReader.ReadEndOfList();
    FOut += '>';
  }

  void ConvertBinary(std::string_view bytes, int level) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    FOut += '{';
    const bool ownLines = bytes.size() >= kBytesPerBinaryLine;
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (ownLines && i % kBytesPerBinaryLine == 0) {
        NewLine();
        Indent(level + 1);
      }
      const auto b = static_cast<uint8_t>(bytes[i]);
      FOut += kHex[b >> 4];
      FOut += kHex[b & 15];
    }
    FOut += '}';
  }

  void ConvertUtf8Text(int level) {
    const std::string_view bytes = FReader.ReadBytes(FReader.ReadCount());
    if (IsAscii(bytes)) {
      AppendText(bytes, level);
      return;
    }
    // Decoded the way the component reader decodes it, so both see the same text.
    const QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    AppendText(ToView(text), level);
  }

  void ConvertWideText(int level) {
    const uint32_t count = FReader.ReadCount();
    const std::string_view raw = FReader.ReadBytes(uint64_t{count} * 2);
    FWide.resize(count);
    for (size_t i = 0; i < count; ++i)
      FWide[i] = static_cast<char16_t>(static_cast<uint8_t>(raw[2 * i]) | (static_cast<uint8_t>(raw[2 * i + 1]) << 8));
    AppendText(std::u16string_view(FWide), level);
  }

  // Quoted runs and #codes, 64 characters of the text per line.
  template <class Unit>
  void AppendText(std::basic_string_view<Unit> text, int level) {
    if (text.empty()) {
      FOut += "''";
      return;
    }
    const bool ownLines = text.size() > kCharsPerTextLine;
    if (ownLines) {
      NewLine();
      Indent(level + 1);
    }
    size_t i = 0;
    size_t lineChars = 0;
    while (i < text.size()) {
      if (lineChars >= kCharsPerTextLine) {
        FOut += " +";
        NewLine();
        Indent(level + 1);
        lineChars = 0;
      }
      if (IsPrintableUnit(text[i])) {
        FOut += '\'';
        while (i < text.size() && lineChars < kCharsPerTextLine && IsPrintableUnit(text[i])) {
          FOut += static_cast<char>(text[i]);
          ++i;
          ++lineChars;
        }
        FOut += '\'';
      } else {
        FOut += '#';
        AppendInteger(static_cast<int64_t>(static_cast<std::make_unsigned_t<Unit>>(text[i])));
        ++i;
        ++lineChars;
      }
    }
  }

  TValueReader FReader;
  std::string FOut;
  std::u16string FWide;
  std::string_view FObjectName;
  std::string_view FPropertyName;
  bool FNeedsBom = false;
};

QByteArray ReadWholeDevice(QIODevice& input) {
  QByteArray data = input.readAll();
  return data;
}

void WriteWholeDevice(QIODevice& output, const QByteArray& data) {
  if (output.write(data) != data.size()) ThrowWriteError();
}

}  // namespace

bool IsBinaryObjectStream(const QByteArray& data) {
  return data.size() >= 4 && data.startsWith(QByteArray::fromRawData(kObjectStreamSignature, 4));
}

QByteArray ObjectBinaryToText(const QByteArray& binary) { return TBinaryToTextConverter(binary).Convert(); }

void ObjectBinaryToText(QIODevice& input, QIODevice& output) {
  const QByteArray text = ObjectBinaryToText(ReadWholeDevice(input));
  WriteWholeDevice(output, text);
}
