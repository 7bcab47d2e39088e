// Binary form -> text form.
#include "streaming/ObjectText.h"

#include "streaming/FloatText.h"
#include "streaming/StreamErrors.h"
#include "streaming/TextRule.h"
#include "streaming/ValueReader.h"

#include <QIODevice>
#include <algorithm>
#include <charconv>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <vector>

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
  TBinaryToTextConverter(const char* data, size_t size) : FReader(data, size) { FOut.reserve(size * 2 + 64); }
  explicit TBinaryToTextConverter(const QByteArray& binary)
      : TBinaryToTextConverter(binary.constData(), static_cast<size_t>(binary.size())) {}

  QByteArray Convert() {
    ConvertHead();
    return Joined({this});
  }

  // The signature and the root with its children up to stopAt, the offset where one of
  // them starts; the root's end is left to the pieces that follow.
  void ConvertHead(size_t stopAt = 0) {
    FStopAt = stopAt;
    FReader.ReadSignature();
    ConvertObject(0);
    if (FStopAt && !FStopped) ThrowInvalidFormat();
  }

  // Children of the root that fill the data; the last piece also holds the root's end.
  void ConvertChildren(bool last) {
    TValueReader::TNestingGuard root(FReader);
    while (FReader.Remaining() > 0) {
      if (last && FReader.EndOfList()) {
        FReader.ReadEndOfList();
        FOut += "end";
        NewLine();
        if (FReader.Remaining() > 0) ThrowInvalidFormat();
        return;
      }
      ConvertObject(1);
    }
    if (last) ThrowReadError();  // the root's end is missing
  }

  // The texts of the pieces in order, with the byte order mark when any of them needs it.
  static QByteArray Joined(const std::vector<const TBinaryToTextConverter*>& pieces) {
    size_t size = 3;
    bool bom = false;
    for (const TBinaryToTextConverter* piece : pieces) {
      size += piece->FOut.size();
      bom = bom || piece->FNeedsBom;
    }
    QByteArray result;
    result.reserve(static_cast<qsizetype>(size));
    if (bom) result.append(kUtf8Bom, 3);
    for (const TBinaryToTextConverter* piece : pieces) result.append(piece->FOut.data(), static_cast<qsizetype>(piece->FOut.size()));
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
    while (!FReader.EndOfList()) {
      if (level == 0 && FStopAt && FReader.Position() >= FStopAt) {
        if (FReader.Position() != FStopAt) ThrowInvalidFormat();
        FStopped = true;
        return;
      }
      ConvertObject(level + 1);
    }
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
  size_t FStopAt = 0;
  bool FStopped = false;
};

// Below this size a stream converts faster than threads start.
constexpr qsizetype MinPieceBinaryBytes = 1 << 20;
constexpr unsigned MaxBinaryPieces = 4;

// Offsets where the root's children start, near equal shares of the stream, found by
// skipping over values; empty for small streams or one core, or when the stream is not
// one object with children (the one-pass conversion then reports what is wrong).
std::vector<size_t> ChildPieceStarts(const QByteArray& binary) {
  const unsigned pieces = std::min(std::thread::hardware_concurrency(), MaxBinaryPieces);
  if (pieces < 2 || binary.size() < MinPieceBinaryBytes) return {};
  std::vector<size_t> starts;
  try {
    TValueReader reader(binary);
    reader.ReadSignature();
    reader.ReadObjectHeader();
    const auto skipProperties = [&reader] {
      while (!reader.EndOfList()) {
        reader.ReadShortString();
        reader.SkipValue();
      }
      reader.ReadEndOfList();
    };
    std::function<void()> skipObject = [&] {
      TValueReader::TNestingGuard guard(reader);
      reader.ReadObjectHeader();
      skipProperties();
      while (!reader.EndOfList()) skipObject();
      reader.ReadEndOfList();
    };
    skipProperties();
    const auto size = static_cast<size_t>(binary.size());
    size_t next = 1;
    while (next < pieces && !reader.EndOfList()) {
      const size_t at = reader.Position();
      if (at >= size * next / pieces) {
        starts.push_back(at);
        ++next;
      }
      skipObject();
    }
  } catch (...) {
    return {};
  }
  return starts;
}

// The one-pass text, converted in pieces on several threads when the stream is large.
QByteArray ConvertBinaryInPieces(const QByteArray& binary, const std::vector<size_t>& starts) {
  TBinaryToTextConverter head(binary.constData(), static_cast<size_t>(binary.size()));
  std::vector<std::unique_ptr<TBinaryToTextConverter>> rest;
  std::vector<std::future<void>> done;
  bool failed = false;
  try {
    for (size_t i = 0; i < starts.size(); ++i) {
      const size_t end = i + 1 < starts.size() ? starts[i + 1] : static_cast<size_t>(binary.size());
      rest.push_back(std::make_unique<TBinaryToTextConverter>(binary.constData() + starts[i], end - starts[i]));
      done.push_back(std::async(std::launch::async, [piece = rest.back().get(), last = i + 1 == starts.size()] {
        piece->ConvertChildren(last);
      }));
    }
    head.ConvertHead(starts.front());
  } catch (...) {
    failed = true;  // also when no thread was to be had
  }
  for (std::future<void>& piece : done) {
    try {
      piece.get();
    } catch (...) {
      failed = true;
    }
  }
  if (failed) return {};
  std::vector<const TBinaryToTextConverter*> pieces{&head};
  for (const auto& piece : rest) pieces.push_back(piece.get());
  return TBinaryToTextConverter::Joined(pieces);
}

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

QByteArray ObjectBinaryToText(const QByteArray& binary) {
  if (const std::vector<size_t> starts = ChildPieceStarts(binary); !starts.empty()) {
    QByteArray text = ConvertBinaryInPieces(binary, starts);
    if (!text.isEmpty()) return text;
  }
  return TBinaryToTextConverter(binary).Convert();
}

void ObjectBinaryToText(QIODevice& input, QIODevice& output) {
  const QByteArray text = ObjectBinaryToText(ReadWholeDevice(input));
  WriteWholeDevice(output, text);
}
