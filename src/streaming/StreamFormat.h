#pragma once
// Constants of the binary object stream shared by its readers and writers.

#include "platform/Filer.h"

#include <cstdint>

inline constexpr char kObjectStreamSignature[4] = {'T', 'P', 'F', '0'};

// Flags of an object record, stored in the low bits of the prefix byte.
enum TObjectFlag : uint8_t {
  ofInherited = 0x1,
  ofChildPos = 0x2,
  ofInline = 0x4,
};
inline constexpr uint8_t kPrefixMarker = 0xF0;
inline constexpr uint8_t kKnownObjectFlags = ofInherited | ofChildPos | ofInline;
// Class names start with their length byte; lengths from 0xF0 up would read as a prefix.
inline constexpr int kMaxClassNameBytes = 0xEF;
inline constexpr int kMaxShortStringBytes = 255;
inline constexpr uint8_t kLastValueType = vaDouble;

// Objects, lists and collections nested deeper than this are refused by every reader, so
// a crafted stream fails cleanly instead of exhausting the call stack.
inline constexpr int kMaxNestingDepth = 200;

inline bool IsPrefixByte(uint8_t b) { return (b & 0xF0) == 0xF0; }
inline bool IsIntegerTag(TValueType t) { return t == vaInt8 || t == vaInt16 || t == vaInt32 || t == vaInt64; }
inline bool IsTextTag(TValueType t) {
  return t == vaString || t == vaLString || t == vaWString || t == vaUTF8String;
}
inline bool IsFloatTag(TValueType t) {
  return t == vaExtended || t == vaDouble || t == vaSingle || t == vaCurrency || t == vaDate;
}
