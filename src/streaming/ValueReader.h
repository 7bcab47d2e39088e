#pragma once
// Reads the binary object stream. Every length and count is checked against the bytes that
// remain before anything is allocated ("Stream read error"), and nesting is capped.

#include "platform/Filer.h"
#include "streaming/StreamFormat.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string_view>

struct TObjectHeader {
  uint8_t Flags = 0;
  int32_t ChildPos = 0;
  std::string_view ClassName;  // views into the reader's data
  std::string_view ObjectName;
};

class TValueReader {
public:
  // The data must outlive the reader; names and byte views point into it.
  TValueReader(const char* data, size_t size) : FData(data), FSize(size) {}
  explicit TValueReader(const QByteArray& data)
      : TValueReader(data.constData(), static_cast<size_t>(data.size())) {}
  // The reader keeps views into its data: a temporary would dangle.
  explicit TValueReader(QByteArray&&) = delete;

  // "Invalid stream format" unless the next four bytes are the signature.
  void ReadSignature();
  TObjectHeader ReadObjectHeader();
  std::string_view ReadShortString();

  // Whether the next byte is the zero that ends a property list, child list, list or collection.
  bool EndOfList() const;
  void ReadEndOfList();

  // The next tag; an invalid tag raises EInvalidValueTag.
  TValueType ReadTag();
  TValueType PeekTag() const;

  // Whole tagged values of a kind; a tag of another kind is "Invalid property value".
  int64_t ReadInteger();
  double ReadFloat();
  QString ReadText();
  // Payload readers for a tag already read. Non-finite floats are "Invalid property value".
  int64_t ReadIntegerPayload(TValueType tag);
  double ReadFloatPayload(TValueType tag);
  QString ReadTextPayload(TValueType tag);
  std::string_view ReadBinaryPayload();
  // Skips one whole tagged value, however deeply nested.
  void SkipValue();

  uint8_t ReadByte();
  uint8_t PeekByte() const;
  std::string_view ReadBytes(size_t count);
  uint32_t ReadCount();
  int16_t ReadInt16Raw();
  int32_t ReadInt32Raw();
  int64_t ReadInt64Raw();

  // Goes on in the next piece of a stream given in pieces, once this one is read to its
  // end; nesting carries over. The views handed out so far stay valid while the old
  // piece lives.
  void Continue(const char* data, size_t size) {
    FData = data;
    FSize = size;
    FPos = 0;
  }

  size_t Position() const { return FPos; }
  size_t Remaining() const { return FSize - FPos; }

  // Counts nesting of lists, collections and objects; throws past kMaxNestingDepth.
  class TNestingGuard {
  public:
    explicit TNestingGuard(TValueReader& reader);
    ~TNestingGuard() { --FReader.FDepth; }
    TNestingGuard(const TNestingGuard&) = delete;
    TNestingGuard& operator=(const TNestingGuard&) = delete;

  private:
    TValueReader& FReader;
  };

private:
  void Need(size_t count) const;
  uint64_t ReadLittleEndian(int bytes);
  void SkipPayload(TValueType tag);

  const char* FData;
  size_t FSize;
  size_t FPos = 0;
  int FDepth = 0;
};
