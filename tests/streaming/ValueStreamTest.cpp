// The binary value layer: encodings chosen by the writer, bounds and depth checks of the reader.
#include "StreamTestUtil.h"
#include "streaming/StreamErrors.h"
#include "streaming/ValueReader.h"
#include "streaming/ValueWriter.h"

#include <cmath>
#include <limits>

namespace {

QByteArray Written(const std::function<void(TValueWriter&)>& write) {
  QByteArray out;
  TValueWriter writer(out);
  write(writer);
  return out;
}

}  // namespace

TEST(ValueWriter, IntegersTakeTheSmallestEncoding) {
  struct TCase {
    int64_t Value;
    const char* Bytes;
  };
  const TCase cases[] = {
      {0, "02 00"},
      {127, "02 7F"},
      {-128, "02 80"},
      {128, "03 80 00"},
      {-129, "03 7F FF"},
      {32767, "03 FF 7F"},
      {32768, "04 00 80 00 00"},
      {-32769, "04 FF 7F FF FF"},
      {2147483647, "04 FF FF FF 7F"},
      {2147483648LL, "13 00 00 00 80 00 00 00 00"},
      {-2147483649LL, "13 FF FF FF 7F FF FF FF FF"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ToHex(Written([&](TValueWriter& w) { w.WriteInteger(c.Value); })), ToHex(Hex(c.Bytes))) << c.Value;
}

TEST(ValueWriter, TextTakesTheFormOfTheTextRule) {
  struct TCase {
    QString Text;
    TValueType Tag;
  };
  const QString threeByteChars = QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");  // 3 CJK chars
  const TCase cases[] = {
      {QString(255, u'a'), vaString},
      {QString(256, u'a'), vaLString},
      {QString::fromUtf8("caf\xC3\xA9"), vaUTF8String},
      {QString(300, u'a') + QChar(0xE9), vaUTF8String},  // long UTF-8 stays UTF-8
      {threeByteChars, vaWString},                        // 9 bytes >= 2 * 3 units
      {threeByteChars + QStringLiteral("abc"), vaWString},  // 12 bytes >= 12
      {threeByteChars + QStringLiteral("abcd"), vaUTF8String},  // 13 bytes < 14
      {QString(), vaWString},                             // 0 bytes is not < 0: the wide form
      {QString(QChar(0xD800)) + QStringLiteral("abcdef"), vaWString},  // unpaired surrogate
  };
  for (const auto& c : cases) {
    const QByteArray bytes = Written([&](TValueWriter& w) { w.WriteText(c.Text); });
    EXPECT_EQ(static_cast<int>(static_cast<uint8_t>(bytes[0])), static_cast<int>(c.Tag)) << Str(c.Text.left(20));
    TValueReader reader(bytes);
    EXPECT_EQ(reader.ReadText(), c.Text);
    EXPECT_EQ(reader.Remaining(), 0u);
  }
}

TEST(ValueWriter, TextPayloadLayouts) {
  EXPECT_EQ(ToHex(Written([](TValueWriter& w) { w.WriteText(QStringLiteral("Hi")); })), ToHex(Hex("06 02 48 69")));
  EXPECT_EQ(ToHex(Written([](TValueWriter& w) { w.WriteText(QString::fromUtf8("\xC3\xA9")); })),
            ToHex(Hex("12 01 00 00 00 E9 00")));  // 2 bytes >= 2 * 1 unit: wide
  EXPECT_EQ(ToHex(Written([](TValueWriter& w) { w.WriteText(QString::fromUtf8("a\xC3\xA9")); })),
            ToHex(Hex("14 03 00 00 00 61 C3 A9")));
  EXPECT_EQ(ToHex(Written([](TValueWriter& w) { w.WriteText(QString()); })), ToHex(Hex("12 00 00 00 00")));
  EXPECT_EQ(ToHex(Written([](TValueWriter& w) { w.WriteAsciiText(""); })), ToHex(Hex("12 00 00 00 00")));
}

TEST(ValueWriter, KeywordIdentifiersBecomeTheirOwnTags) {
  struct TCase {
    const char* Ident;
    const char* Bytes;
  };
  const TCase cases[] = {
      {"False", "08"}, {"TRUE", "09"}, {"nil", "0D"}, {"NULL", "00"}, {"Nil", "0D"},
      {"clRed", "07 05 63 6C 52 65 64"}, {"Truely", "07 06 54 72 75 65 6C 79"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ToHex(Written([&](TValueWriter& w) { w.WriteIdent(c.Ident); })), ToHex(Hex(c.Bytes))) << c.Ident;
}

TEST(ValueWriter, RefusesNamesThatDoNotFitInsteadOfCuttingThem) {
  const std::string name255(255, 'n'), name256(256, 'n');
  const std::string class239(239, 'T'), class240(240, 'T');
  EXPECT_NO_THROW(Written([&](TValueWriter& w) { w.WriteShortString(name255); }));
  EXPECT_EQ(MessageOf<EWriteError>([&] { Written([&](TValueWriter& w) { w.WriteShortString(name256); }); }),
            "Stream write error");
  EXPECT_EQ(MessageOf<EWriteError>([&] { Written([&](TValueWriter& w) { w.WriteIdent(name256); }); }),
            "Stream write error");
  EXPECT_NO_THROW(Written([&](TValueWriter& w) { w.WriteObjectHeader(0, 0, class239, name255); }));
  // A length byte of 0xF0 or more would be read back as a prefix byte.
  EXPECT_EQ(MessageOf<EWriteError>([&] { Written([&](TValueWriter& w) { w.WriteObjectHeader(0, 0, class240, "a"); }); }),
            "Stream write error");
  EXPECT_EQ(MessageOf<EWriteError>([&] { Written([&](TValueWriter& w) { w.WriteObjectHeader(0, 0, "TA", name256); }); }),
            "Stream write error");
}

TEST(ValueWriter, RefusesNonFiniteFloats) {
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity()};
  for (double v : bad) {
    EXPECT_EQ(MessageOf<EWriteError>([&] { Written([&](TValueWriter& w) { w.WriteExtended(v); }); }), "Stream write error");
    EXPECT_EQ(MessageOf<EWriteError>([&] { Written([&](TValueWriter& w) { w.WriteDouble(v); }); }), "Stream write error");
    EXPECT_EQ(MessageOf<EWriteError>([&] { Written([&](TValueWriter& w) { w.WriteSingle(static_cast<float>(v)); }); }),
              "Stream write error");
  }
}

TEST(ValueWriter, ObjectHeaderPrefixAndChildPosition) {
  EXPECT_EQ(ToHex(Written([](TValueWriter& w) { w.WriteObjectHeader(0, 0, "TA", ""); })), ToHex(Hex("02 54 41 00")));
  EXPECT_EQ(ToHex(Written([](TValueWriter& w) { w.WriteObjectHeader(ofInherited | ofChildPos, 300, "TA", "B"); })),
            ToHex(Hex("F3 03 2C 01 02 54 41 01 42")));
  EXPECT_EQ(ToHex(Written([](TValueWriter& w) { w.WriteObjectHeader(ofInline, 0, "TA", ""); })),
            ToHex(Hex("F4 02 54 41 00")));
}

TEST(ValueReader, AcceptsEveryTagOfAKind) {
  struct TCase {
    const char* Bytes;
    double Expected;
  };
  const TCase floats[] = {
      {"05 00 00 00 00 00 00 00 F0 05 40", 120.0},
      {"15 00 00 00 00 00 00 E0 3F", 0.5},
      {"0F 00 00 C0 3F", 1.5},
      {"10 88 13 00 00 00 00 00 00", 0.5},  // currency 5000 / 10000
      {"11 00 00 00 00 00 00 F0 3F", 1.0},
      {"02 07", 7.0},  // integers are accepted where floats are expected
  };
  for (const auto& c : floats) {
    const QByteArray data = Hex(c.Bytes);
    TValueReader reader(data);
    const TValueType tag = reader.ReadTag();
    const double value = IsIntegerTag(tag) ? static_cast<double>(reader.ReadIntegerPayload(tag)) : reader.ReadFloatPayload(tag);
    EXPECT_EQ(value, c.Expected) << c.Bytes;
  }
  const QByteArray intData = Hex("02 FF 03 00 80 04 00 00 00 80 13 00 00 00 00 00 00 00 80");
  TValueReader ints(intData);
  EXPECT_EQ(ints.ReadInteger(), -1);
  EXPECT_EQ(ints.ReadInteger(), -32768);
  EXPECT_EQ(ints.ReadInteger(), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(ints.ReadInteger(), std::numeric_limits<int64_t>::min());
  const QByteArray textData = Hex("06 01 41 0C 01 00 00 00 42 12 01 00 00 00 43 00 14 01 00 00 00 44");
  TValueReader texts(textData);
  EXPECT_EQ(texts.ReadText(), "A");
  EXPECT_EQ(texts.ReadText(), "B");
  EXPECT_EQ(texts.ReadText(), "C");
  EXPECT_EQ(texts.ReadText(), "D");
}

// Counts that claim more bytes than remain must fail before anything is allocated.
TEST(ValueReader, LyingLengthsAreReadErrors) {
  const char* lies[] = {
      "0A FF FF FF 7F 01 02 03",  // vaBinary
      "0C 00 00 00 80 41",        // vaLString
      "12 FF FF FF FF 41 00",     // vaWString: 2^32-1 units
      "12 03 00 00 00 41 00 42",  // vaWString: one byte short
      "14 10 00 00 00 41",        // vaUTF8String
      "06 05 41 42",              // vaString
      "07 09 41",                 // vaIdent
      "05 00 00 00",              // vaExtended cut short
      "01 02 01",                 // list without its end
      "0B 01 41",                 // set without its end
  };
  for (const char* bytes : lies) {
    const QByteArray data = Hex(bytes);
    TValueReader reader(data);
    EXPECT_EQ(MessageOf<EReadError>([&] { reader.SkipValue(); }), "Stream read error") << bytes;
    TValueReader again(data);
    const TValueType tag = again.ReadTag();
    if (IsTextTag(tag)) {
      EXPECT_EQ(MessageOf<EReadError>([&] { again.ReadTextPayload(tag); }), "Stream read error") << bytes;
    }
  }
}

TEST(ValueReader, NestingIsCapped) {
  QByteArray deep(kMaxNestingDepth + 1, char(vaList));
  deep.append(QByteArray(kMaxNestingDepth + 1, char(vaNull)));
  TValueReader reader(deep);
  EXPECT_EQ(MessageOf<EReadError>([&] { reader.SkipValue(); }), "Nesting too deep");

  QByteArray allowed(kMaxNestingDepth, char(vaList));
  allowed.append(QByteArray(kMaxNestingDepth, char(vaNull)));
  TValueReader fine(allowed);
  EXPECT_NO_THROW(fine.SkipValue());
  EXPECT_EQ(fine.Remaining(), 0u);

  // A crafted stream far beyond the cap still fails cleanly (no stack exhaustion).
  QByteArray huge(1 << 20, char(vaList));
  TValueReader hugeReader(huge);
  EXPECT_THROW(hugeReader.SkipValue(), EReadError);
}

TEST(ValueReader, NonFiniteFloatsAreInvalidValues) {
  const char* values[] = {
      "05 00 00 00 00 00 00 00 80 FF 7F",  // extended infinity
      "05 00 00 00 00 00 00 00 C0 FF 7F",  // extended NaN
      "05 00 00 00 00 00 00 00 80 FE 7F",  // finite extended beyond the double range
      "15 00 00 00 00 00 00 F8 7F",        // double NaN
      "11 00 00 00 00 00 00 F0 FF",        // date -infinity
      "0F 00 00 80 7F",                    // single infinity
  };
  for (const char* bytes : values) {
    const QByteArray data = Hex(bytes);
    TValueReader reader(data);
    EXPECT_EQ(MessageOf<EReadError>([&] { reader.ReadFloat(); }), "Invalid property value") << bytes;
  }
}

TEST(ValueReader, TagsAbove21AreReportedByNumber) {
  const QByteArray data = Hex("16");
  TValueReader reader(data);
  try {
    reader.ReadTag();
    FAIL();
  } catch (const EInvalidValueTag& e) {
    EXPECT_EQ(e.Tag(), 22);
    EXPECT_EQ(e.Message(), "22");
  }
}

TEST(ValueReader, SignatureIsChecked) {
  const QByteArray signature("TPF0");
  TValueReader good(signature);
  EXPECT_NO_THROW(good.ReadSignature());
  for (const char* bad : {"TPF", "TPF1", "", "tpf0"}) {
    const QByteArray data(bad);
    TValueReader reader(data);
    EXPECT_EQ(MessageOf<EFilerError>([&] { reader.ReadSignature(); }), "Invalid stream format") << bad;
  }
}
