// Binary form -> text form: layout of objects and of every kind of value.
#include "StreamTestUtil.h"
#include "streaming/ObjectText.h"
#include "streaming/StreamErrors.h"
#include "streaming/ValueWriter.h"

#include <QLocale>
#include <clocale>
#include <string>

namespace {

// TPF0, one object "object Obj: TThing" with the properties written by props, no children.
QByteArray OneObject(const std::function<void(TValueWriter&)>& props, std::string_view name = "Obj") {
  QByteArray out;
  TValueWriter w(out);
  w.WriteSignature();
  w.WriteObjectHeader(0, 0, "TThing", name);
  props(w);
  w.WriteEndOfList();
  w.WriteEndOfList();
  return out;
}

std::string Text(const QByteArray& binary) { return ObjectBinaryToText(binary).toStdString(); }

// The text of a single property line "  P = <value>" of OneObject.
std::string ValueText(const std::function<void(TValueWriter&)>& value) {
  const std::string text = Text(OneObject([&](TValueWriter& w) {
    w.WriteShortString("P");
    value(w);
  }));
  const std::string head = "object Obj: TThing\r\n  P = ";
  const std::string tail = "\r\nend\r\n";
  EXPECT_EQ(text.substr(0, head.size()), head);
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  return text.substr(head.size(), text.size() - head.size() - tail.size());
}

}  // namespace

TEST(BinaryToText, ObjectsPropertiesAndChildren) {
  QByteArray bin;
  TValueWriter w(bin);
  w.WriteSignature();
  w.WriteObjectHeader(0, 0, "TRoot", "Root");
  w.WriteShortString("Left");
  w.WriteInteger(10);
  w.WriteEndOfList();
  w.WriteObjectHeader(0, 0, "TChild", "");  // no name: no colon
  w.WriteShortString("Brush.Color");
  w.WriteIdent("clRed");
  w.WriteEndOfList();
  w.WriteObjectHeader(ofInherited | ofChildPos, 0, "TGrand", "G");
  w.WriteEndOfList();
  w.WriteEndOfList();
  w.WriteEndOfList();
  w.WriteObjectHeader(ofInline, 0, "TOther", "O");
  w.WriteEndOfList();
  w.WriteEndOfList();
  w.WriteEndOfList();
  EXPECT_EQ(Text(bin),
            "object Root: TRoot\r\n"
            "  Left = 10\r\n"
            "  object TChild\r\n"
            "    Brush.Color = clRed\r\n"
            "    inherited G: TGrand [0]\r\n"
            "    end\r\n"
            "  end\r\n"
            "  inline O: TOther\r\n"
            "  end\r\n"
            "end\r\n");
}

TEST(BinaryToText, ScalarValues) {
  struct TCase {
    std::function<void(TValueWriter&)> Write;
    const char* Text;
  };
  const TCase cases[] = {
      {[](TValueWriter& w) { w.WriteInteger(-5); }, "-5"},
      {[](TValueWriter& w) { w.WriteInteger(2147483648LL); }, "2147483648"},
      {[](TValueWriter& w) { w.WriteExtended(120); }, "120.000000000000000000"},
      {[](TValueWriter& w) { w.WriteExtended(0.5); }, "0.500000000000000000"},
      {[](TValueWriter& w) { w.WriteExtended(-0.1); }, "-0.100000000000000000"},
      {[](TValueWriter& w) { w.WriteExtended(1.0 / 3); }, "0.333333333333333300"},
      {[](TValueWriter& w) { w.WriteExtended(2.0 / 3); }, "0.666666666666666600"},
      {[](TValueWriter& w) { w.WriteExtended(123456.789); }, "123456.789000000000000000"},
      {[](TValueWriter& w) { w.WriteExtended(1234567890123456.0); }, "1234567890123456.000000000000000000"},
      {[](TValueWriter& w) { w.WriteExtended(12345678901234567.0); }, "1.234567890123457E+16"},
      {[](TValueWriter& w) { w.WriteExtended(0.001234567890123456); }, "0.001234567890123456"},
      {[](TValueWriter& w) { w.WriteExtended(1e-20); }, "9.999999999999999E-21"},
      {[](TValueWriter& w) { w.WriteExtended(-1.5e-20); }, "-1.500000000000000E-20"},
      {[](TValueWriter& w) { w.WriteExtended(0.0001); }, "0.000100000000000000"},
      {[](TValueWriter& w) { w.WriteDouble(0.25); }, "0.250000000000000000"},
      {[](TValueWriter& w) { w.WriteSingle(1.5f); }, "1.5s"},
      {[](TValueWriter& w) { w.WriteSingle(0.1f); }, "0.1s"},
      {[](TValueWriter& w) { w.WriteCurrency(125000); }, "12.5c"},
      {[](TValueWriter& w) { w.WriteCurrency(-1); }, "-0.0001c"},
      {[](TValueWriter& w) { w.WriteCurrency(30000); }, "3c"},
      {[](TValueWriter& w) { w.WriteDate(45000); }, "45000d"},
      {[](TValueWriter& w) { w.WriteDate(0.25); }, "0.25d"},
      {[](TValueWriter& w) { w.WriteBoolean(false); }, "False"},
      {[](TValueWriter& w) { w.WriteBoolean(true); }, "True"},
      {[](TValueWriter& w) { w.WriteNil(); }, "nil"},
      {[](TValueWriter& w) { w.WriteIdent("Null"); }, "Null"},
      {[](TValueWriter& w) { w.WriteIdent("Form1.Panel1"); }, "Form1.Panel1"},
      {[](TValueWriter& w) {
         w.WriteSetBegin();
         w.WriteSetElement("fsBold");
         w.WriteSetElement("fsItalic");
         w.WriteSetEnd();
       },
       "[fsBold, fsItalic]"},
      {[](TValueWriter& w) {
         w.WriteSetBegin();
         w.WriteSetEnd();
       },
       "[]"},
  };
  for (const auto& c : cases) EXPECT_EQ(ValueText(c.Write), c.Text);
}

TEST(BinaryToText, StringRunsAndCodes) {
  struct TCase {
    QString Value;
    const char* Text;
  };
  const TCase cases[] = {
      {QString(), "''"},
      {QStringLiteral("Hello"), "'Hello'"},
      {QStringLiteral("it's"), "'it'#39's'"},
      {QStringLiteral("a\r\nb"), "'a'#13#10'b'"},
      {QStringLiteral("\t"), "#9"},
      {QString::fromUtf8("caf\xC3\xA9"), "'caf'#233"},
      {QString::fromUtf8("\xF0\x9F\x98\x80!"), "#55357#56832'!'"},  // non-BMP: two code units
      {QStringLiteral("~\x7F"), "'~\x7F'"},
  };
  for (const auto& c : cases) EXPECT_EQ(ValueText([&](TValueWriter& w) { w.WriteText(c.Value); }), c.Text) << Str(c.Value);
}

TEST(BinaryToText, LongTextsAreSplitEvery64Characters) {
  const std::string a64(64, 'a');
  EXPECT_EQ(ValueText([&](TValueWriter& w) { w.WriteAsciiText(a64); }), "'" + a64 + "'");
  EXPECT_EQ(ValueText([&](TValueWriter& w) { w.WriteAsciiText(a64 + "b"); }),
            "\r\n    '" + a64 + "' +\r\n    'b'");
  EXPECT_EQ(ValueText([&](TValueWriter& w) { w.WriteAsciiText(a64 + a64); }),
            "\r\n    '" + a64 + "' +\r\n    '" + a64 + "'");
  // Codes count as one character of the text each, however many columns they take.
  const QString withCodes = QString(62, u'x') + QStringLiteral("\r\n") + QStringLiteral("yz");
  EXPECT_EQ(ValueText([&](TValueWriter& w) { w.WriteText(withCodes); }),
            "\r\n    '" + std::string(62, 'x') + "'#13#10 +\r\n    'yz'");
  // A non-BMP character is two codes and may be split between lines.
  const QString wide = QString(63, u'x') + QString::fromUtf8("\xF0\x9F\x98\x80");
  EXPECT_EQ(ValueText([&](TValueWriter& w) { w.WriteText(wide); }),
            "\r\n    '" + std::string(63, 'x') + "'#55357 +\r\n    #56832");
}

TEST(BinaryToText, BinaryDataIn32ByteLines) {
  QByteArray b31(31, '\xAB'), b32(32, '\x01'), b33(33, '\x0F');
  EXPECT_EQ(ValueText([&](TValueWriter& w) { w.WriteBinary(QByteArray()); }), "{}");
  std::string abs;
  for (int i = 0; i < 31; ++i) abs += "AB";
  EXPECT_EQ(ValueText([&](TValueWriter& w) { w.WriteBinary(b31); }), "{" + abs + "}");
  std::string ones;
  for (int i = 0; i < 32; ++i) ones += "01";
  EXPECT_EQ(ValueText([&](TValueWriter& w) { w.WriteBinary(b32); }), "{\r\n    " + ones + "}");
  std::string fs;
  for (int i = 0; i < 32; ++i) fs += "0F";
  EXPECT_EQ(ValueText([&](TValueWriter& w) { w.WriteBinary(b33); }), "{\r\n    " + fs + "\r\n    0F}");
}

TEST(BinaryToText, ListsAndCollections) {
  EXPECT_EQ(ValueText([](TValueWriter& w) {
              w.WriteListBegin();
              w.WriteText(QStringLiteral("a"));
              w.WriteInteger(1);
              w.WriteListBegin();
              w.WriteListEnd();
              w.WriteListEnd();
            }),
            "(\r\n    'a'\r\n    1\r\n    ())");
  EXPECT_EQ(ValueText([](TValueWriter& w) {
              w.WriteTag(vaCollection);
              w.WriteEndOfList();
            }),
            "<>");
  EXPECT_EQ(ValueText([](TValueWriter& w) {
              w.WriteTag(vaCollection);
              w.WriteByte(vaList);
              w.WriteShortString("X");
              w.WriteInteger(5);
              w.WriteShortString("Lines");
              w.WriteListBegin();
              w.WriteText(QStringLiteral("one"));
              w.WriteListEnd();
              w.WriteEndOfList();
              w.WriteInteger(3);
              w.WriteByte(vaList);
              w.WriteEndOfList();
              w.WriteEndOfList();
            }),
            "<\r\n"
            "    item\r\n"
            "      X = 5\r\n"
            "      Lines = (\r\n"
            "        'one')\r\n"
            "    end\r\n"
            "    item [3]\r\n"
            "    end>");
  // A long text inside a list starts on its own line one level deeper than the item.
  const std::string a65(65, 'a');
  EXPECT_EQ(ValueText([&](TValueWriter& w) {
              w.WriteListBegin();
              w.WriteAsciiText(a65);
              w.WriteListEnd();
            }),
            "(\r\n    \r\n      '" + a65.substr(0, 64) + "' +\r\n      'a')");
}

TEST(BinaryToText, ByteOrderMarkOnlyForNonAsciiNames) {
  const QByteArray ascii = ObjectBinaryToText(OneObject([](TValueWriter& w) {
    w.WriteShortString("Caption");
    w.WriteText(QString::fromUtf8("caf\xC3\xA9"));  // non-ASCII text alone needs no mark
  }));
  EXPECT_FALSE(ascii.startsWith("\xEF\xBB\xBF"));
  const char* const names[] = {"Bl\xC3\xB6" "ck"};
  const QByteArray objectName = ObjectBinaryToText(OneObject([](TValueWriter&) {}, names[0]));
  EXPECT_EQ(objectName.toStdString(), "\xEF\xBB\xBF" "object Bl\xC3\xB6" "ck: TThing\r\nend\r\n");
  const QByteArray ident = ObjectBinaryToText(OneObject([](TValueWriter& w) {
    w.WriteShortString("P");
    w.WriteIdent("\xC3\xA9t\xC3\xA9");
  }));
  EXPECT_TRUE(ident.startsWith("\xEF\xBB\xBF" "object Obj"));
}

TEST(BinaryToText, Failures) {
  EXPECT_EQ(MessageOf<EFilerError>([] { ObjectBinaryToText(QByteArray("TPF1\x00\x00", 6)); }), "Invalid stream format");
  EXPECT_EQ(MessageOf<EFilerError>([] { ObjectBinaryToText(QByteArray("object A: TB")); }), "Invalid stream format");
  QByteArray truncated = OneObject([](TValueWriter& w) {
    w.WriteShortString("Caption");
    w.WriteText(QStringLiteral("Hello"));
  });
  truncated.chop(4);
  EXPECT_EQ(MessageOf<EReadError>([&] { ObjectBinaryToText(truncated); }), "Stream read error");
  const QByteArray badTag = OneObject([](TValueWriter& w) {
    w.WriteShortString("Left");
    w.WriteByte(22);
  }, "Block1");
  EXPECT_EQ(MessageOf<EReadError>([&] { ObjectBinaryToText(badTag); }), "Error reading Block1.Left: 22");
  const QByteArray badTagNoName = OneObject([](TValueWriter& w) {
    w.WriteShortString("Items");
    w.WriteListBegin();
    w.WriteByte(200);
  }, "");
  EXPECT_EQ(MessageOf<EReadError>([&] { ObjectBinaryToText(badTagNoName); }), "Error reading Items: 200");
}

// Large streams convert in pieces on several threads: the text and the errors are those of
// one pass.
TEST(BinaryToText, LargeStreamsGiveTheTextAndErrorsOfOnePass) {
  constexpr int Children = 30000;
  const QByteArray bin = ManyChildren(Children);
  ASSERT_GT(bin.size(), 3 << 19) << "large enough to come in pieces";
  const QByteArray text = ObjectBinaryToText(bin);
  EXPECT_TRUE(text.startsWith("\xEF\xBB\xBF" "object Root: TRoot\r\n  P = 1\r\n  object K0: TKid\r\n"))
      << "the mark for a name near the end";
  EXPECT_EQ(text.count("\r\n  object K"), Children);
  EXPECT_TRUE(text.endsWith("\r\n    object I29999: TInner\r\n    end\r\n  end\r\nend\r\n"));
  EXPECT_EQ(ObjectTextToBinary(text) == bin, true);

  for (const int bad : {2, Children / 2, Children - 3}) {
    SCOPED_TRACE(bad);
    const std::string name = "K" + std::to_string(bad);
    EXPECT_EQ(MessageOf<EReadError>([&] { ObjectBinaryToText(ManyChildren(Children, bad)); }),
              QString::fromStdString("Error reading " + name + ".Left: 22"));
  }
}

// Names are plain bytes in the binary form; one the text form cannot express is refused.
TEST(BinaryToText, NamesTheTextCannotExpressAreRefused) {
  const std::function<void(TValueWriter&)> cases[] = {
      [](TValueWriter& w) { w.WriteShortString(std::string_view("\0\0", 2)); w.WriteInteger(1); },
      [](TValueWriter& w) { w.WriteShortString("1st"); w.WriteInteger(1); },
      [](TValueWriter& w) { w.WriteShortString("A."); w.WriteInteger(1); },
      [](TValueWriter& w) { w.WriteShortString("P"); w.WriteTag(vaIdent); w.WriteShortString(""); },
      [](TValueWriter& w) { w.WriteShortString("P"); w.WriteTag(vaIdent); w.WriteShortString("a b"); },
      [](TValueWriter& w) { w.WriteShortString("P"); w.WriteSetBegin(); w.WriteShortString("x.y"); w.WriteSetEnd(); },
  };
  for (const auto& props : cases)
    EXPECT_EQ(MessageOf<EFilerError>([&] { ObjectBinaryToText(OneObject(props)); }), "Invalid stream format");
  EXPECT_EQ(MessageOf<EFilerError>([] { ObjectBinaryToText(OneObject([](TValueWriter&) {}, "my name")); }),
            "Invalid stream format");
  // Dotted property names and references are identifiers of the text form.
  EXPECT_NO_THROW(ObjectBinaryToText(OneObject([](TValueWriter& w) {
    w.WriteShortString("Brush.Color");
    w.WriteIdent("Form1.Panel1");
  })));
}

TEST(BinaryToText, DeepNestingFailsCleanly) {
  QByteArray bin("TPF0");
  for (int i = 0; i < 100000; ++i) bin.append("\x02TA\x00\x00", 5);  // objects inside objects
  EXPECT_EQ(MessageOf<EReadError>([&] { ObjectBinaryToText(bin); }), "Nesting too deep");
}

// Floats use '.' whatever the C and Qt locales say.
TEST(BinaryToText, FloatsIgnoreTheLocale) {
  const char* commaLocales[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "nl_NL.UTF-8", "ru_RU.UTF-8"};
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  const char* found = nullptr;
  for (const char* name : commaLocales)
    if (std::setlocale(LC_ALL, name)) {
      found = name;
      break;
    }
  const QLocale savedQt;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const std::string text = ValueText([](TValueWriter& w) { w.WriteExtended(1.5); });
  const std::string single = ValueText([](TValueWriter& w) { w.WriteSingle(2.25f); });
  const QByteArray back = ObjectTextToBinary("object A: TB\r\n  P = 2.5\r\n  Q = 0.5s\r\nend\r\n");
  const std::string decimalPoint = std::localeconv()->decimal_point;
  std::setlocale(LC_ALL, saved.c_str());
  QLocale::setDefault(savedQt);
  EXPECT_EQ(text, "1.500000000000000000");
  EXPECT_EQ(single, "2.25s");
  EXPECT_EQ(ToHex(back.mid(back.indexOf("\x01P") + 2, 11)), ToHex(Hex("05 00 00 00 00 00 00 00 A0 00 40")));
  if (!found) GTEST_SKIP() << "no locale with a decimal comma is installed; checked under the Qt default locale only";
  EXPECT_EQ(decimalPoint, ",") << found;
}
