// Text form -> binary form: grammar, value encodings, errors with line numbers, round trips.
#include "StreamTestUtil.h"
#include "streaming/ObjectText.h"
#include "streaming/StreamErrors.h"
#include "streaming/ValueReader.h"
#include "streaming/ValueWriter.h"

#include <QBuffer>
#include <cmath>
#include <limits>

namespace {

// The bytes of the value of the single property P in "object A: TB / P = <value> / end".
QByteArray ValueBytes(const std::string& valueText) {
  const QByteArray bin = ObjectTextToBinary(QByteArray::fromStdString("object A: TB\r\n  P = " + valueText + "\r\nend\r\n"));
  const QByteArray head = Hex("54 50 46 30 02 54 42 01 41 01 50");  // TPF0, TB, A, P
  EXPECT_TRUE(bin.startsWith(head)) << ToHex(bin);
  EXPECT_TRUE(bin.endsWith(QByteArray(2, '\0'))) << ToHex(bin);
  return bin.mid(head.size(), bin.size() - head.size() - 2);
}

QString ParseError(const std::string& text) {
  return MessageOf<EParserError>([&] { ObjectTextToBinary(QByteArray::fromStdString(text)); });
}

}  // namespace

TEST(TextToBinary, ValueEncodings) {
  struct TCase {
    const char* Text;
    const char* Bytes;
  };
  const TCase cases[] = {
      {"127", "02 7F"},
      {"128", "03 80 00"},
      {"32768", "04 00 80 00 00"},
      {"-2147483648", "04 00 00 00 80"},
      {"2147483648", "13 00 00 00 80 00 00 00 00"},
      {"$FF", "03 FF 00"},
      {"$FFFFFFFF", "13 FF FF FF FF 00 00 00 00"},
      {"+7", "02 07"},
      {"1.0", "05 00 00 00 00 00 00 00 80 FF 3F"},
      {"120.000000000000000000", "05 00 00 00 00 00 00 00 F0 05 40"},
      {"-2.", "05 00 00 00 00 00 00 00 80 00 C0"},
      {"1E2", "05 00 00 00 00 00 00 00 C8 05 40"},
      {"1.5s", "0F 00 00 C0 3F"},
      {"3S", "0F 00 00 40 40"},
      {"12.5c", "10 48 E8 01 00 00 00 00 00"},
      {"0.00005c", "10 00 00 00 00 00 00 00 00"},  // half a unit: ties to even
      {"0.00015c", "10 02 00 00 00 00 00 00 00"},
      {"-0.0001C", "10 FF FF FF FF FF FF FF FF"},
      {"1d", "11 00 00 00 00 00 00 F0 3F"},
      {"False", "08"},
      {"true", "09"},
      {"nil", "0D"},
      {"null", "00"},
      {"clRed", "07 05 63 6C 52 65 64"},
      {"Form1.Panel1", "07 0C 46 6F 72 6D 31 2E 50 61 6E 65 6C 31"},
      {"[]", "0B 00"},
      {"[fsBold, fsItalic]", "0B 06 66 73 42 6F 6C 64 08 66 73 49 74 61 6C 69 63 00"},
      {"()", "01 00"},
      {"(\r\n    1\r\n    'a')", "01 02 01 06 01 61 00"},
      {"<>", "0E 00"},
      {"<\r\n    item [2]\r\n      X = 1\r\n    end\r\n    item\r\n    end>", "0E 02 02 01 01 58 02 01 00 01 00 00"},
      {"{}", "0A 00 00 00 00"},
      {"{0aFF\r\n  10 }", "0A 03 00 00 00 0A FF 10"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToHex(ValueBytes(c.Text)), ToHex(Hex(c.Bytes))) << c.Text;
}

TEST(TextToBinary, StringValues) {
  struct TCase {
    const char* Text;
    const char* Bytes;
  };
  const TCase cases[] = {
      {"''", "12 00 00 00 00"},  // the empty text takes the wide form by the text rule
      {"'Hi'", "06 02 48 69"},
      {"'it''s'", "06 04 69 74 27 73"},
      {"'it'#39's'", "06 04 69 74 27 73"},
      {"'a'#13#10'b'", "06 04 61 0D 0A 62"},
      {"#$41#66", "06 02 41 42"},
      {"'ab' +\r\n    'cd' + #69", "06 05 61 62 63 64 45"},
      {"'caf'#233", "14 05 00 00 00 63 61 66 C3 A9"},
      {"'caf\xC3\xA9'", "14 05 00 00 00 63 61 66 C3 A9"},
      {"#233", "12 01 00 00 00 E9 00"},
      {"#55357#56832", "12 02 00 00 00 3D D8 00 DE"},  // one non-BMP character: wide (4 bytes >= 4)
      {"'a'#55357#56832'b'", "14 06 00 00 00 61 F0 9F 98 80 62"},
      {"#55357'abc'", "12 04 00 00 00 3D D8 61 00 62 00 63 00"},  // unpaired surrogate
  };
  for (const auto& c : cases) EXPECT_EQ(ToHex(ValueBytes(c.Text)), ToHex(Hex(c.Bytes))) << c.Text;
  EXPECT_EQ(static_cast<uint8_t>(ValueBytes("'" + std::string(255, 'x') + "'")[0]), vaString);
  EXPECT_EQ(static_cast<uint8_t>(ValueBytes("'" + std::string(200, 'x') + "' + '" + std::string(56, 'x') + "'")[0]),
            vaLString);
}

TEST(TextToBinary, HeadersFlagsAndKeywordCase) {
  const QByteArray bin = ObjectTextToBinary(
      "OBJECT Root: TRoot\r\n"
      "  inherited Kid: TKid [5]\r\n"
      "  END\r\n"
      "  Inline TOther\r\n"
      "  end\r\n"
      "End\r\n");
  EXPECT_EQ(ToHex(bin), ToHex(Hex("54 50 46 30  05 54 52 6F 6F 74 04 52 6F 6F 74 00"
                                  "  F3 02 05 04 54 4B 69 64 03 4B 69 64 00 00"
                                  "  F4 06 54 4F 74 68 65 72 00 00 00"
                                  "  00")));
}

TEST(TextToBinary, DottedNamesBomAndLineEnds) {
  const QByteArray crlf = ObjectTextToBinary("object A: TB\r\n  Brush.Color = clRed\r\n  Left = 10\r\nend\r\n");
  EXPECT_EQ(ObjectTextToBinary("\xEF\xBB\xBF" "object A: TB\n  Brush.Color = clRed\n  Left = 10\nend\n"), crlf);
  EXPECT_EQ(ObjectTextToBinary("object A: TB\r  Brush.Color = clRed\r  Left = 10\rend"), crlf);
  EXPECT_TRUE(crlf.contains(Hex("0B 42 72 75 73 68 2E 43 6F 6C 6F 72 07 05 63 6C 52 65 64")));
  // Keywords followed by '=' are property names.
  const QByteArray keywordNames = ObjectTextToBinary("object A: TB\r\n  End = 1\r\n  Object.X = 2\r\nend\r\n");
  EXPECT_TRUE(keywordNames.contains(Hex("03 45 6E 64 02 01 08 4F 62 6A 65 63 74 2E 58 02 02"))) << ToHex(keywordNames);
}

TEST(TextToBinary, ErrorsNameTheLine) {
  struct TCase {
    std::string Text;
    const char* Message;
  };
  const std::string head = "object A: TB\r\n";
  const TCase cases[] = {
      {"thing A: TB\r\nend\r\n", "''object'' expected on line 1"},
      {"", "''object'' expected on line 1"},
      {"object : TB\r\nend", "Identifier expected on line 1"},
      {"object A: TB [x]\r\nend", "Number expected on line 1"},
      {"object A: TB [1\r\nend", "'']'' expected on line 2"},
      {head + "  P 5\r\nend", "''='' expected on line 2"},
      {head + "  P = 'abc\r\nend", "Invalid string constant on line 2"},
      {head + "  P = #\r\nend", "Invalid string constant on line 2"},
      {head + "  P = #65536\r\nend", "Invalid string constant on line 2"},
      {head + "  P = 'a\xFF'\r\nend", "Invalid string constant on line 2"},
      {head + "  P = 'a' +\r\n    5\r\nend", "String expected on line 3"},
      {head + "  P = {0G}\r\nend", "Invalid binary value on line 2"},
      {head + "  P = {ABC}\r\nend", "Invalid binary value on line 2"},
      {head + "  P = {AB\r\n", "Invalid binary value on line 2"},
      {head + "  P = )\r\nend", "Invalid property value on line 2"},
      {head + "  P = \r\n", "Invalid property value on line 3"},
      {head + "  P = 99999999999999999999\r\nend", "Invalid property value on line 2"},
      {head + "  P = 1e999\r\nend", "Invalid property value on line 2"},
      {head + "  P = 1e50s\r\nend", "Invalid property value on line 2"},
      {head + "  P = 1e30c\r\nend", "Invalid property value on line 2"},
      {head + "  P = [a b]\r\nend", "'']'' expected on line 2"},
      {head + "  P = [1]\r\nend", "Identifier expected on line 2"},
      {head + "  P = (1 2\r\n", "'')'' expected on line 3"},
      {head + "  P = <\r\n    foo\r\n  >\r\nend", "''item'' expected on line 3"},
      {head + "  P = <\r\n    item\r\n", "''end'' expected on line 4"},
      {head + "  P = 1\r\n", "''end'' expected on line 3"},
      {head + "  P = 1\r\n  object B: TC\r\n  end\r\n  Q = 2\r\nend", "''end'' expected on line 5"},
      {head + "  " + std::string(256, 'L') + " = 1\r\nend", "Line too long on line 2"},
      {"object A: " + std::string(240, 'T') + "\r\nend", "Stream write error on line 1"},
      {head + "  P = " + std::string(300, '(') + "\r\nend", "Nesting too deep on line 2"},
  };
  for (const auto& c : cases) EXPECT_EQ(Str(ParseError(c.Text)), c.Message) << c.Text;
}

TEST(TextToBinary, DeepObjectNestingFailsCleanly) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "object TA\n";
  EXPECT_EQ(Str(ParseError(text)), "Nesting too deep on line 201");
}

// Every tag survives binary -> text -> binary (vaDouble comes back as vaExtended).
TEST(TextToBinary, BinaryTextBinaryKeepsTheTree) {
  QByteArray bin;
  TValueWriter w(bin);
  w.WriteSignature();
  w.WriteObjectHeader(0, 0, "TRoot", "Root");
  w.WriteShortString("I8"); w.WriteInteger(-7);
  w.WriteShortString("I16"); w.WriteInteger(1000);
  w.WriteShortString("I32"); w.WriteInteger(-100000);
  w.WriteShortString("I64"); w.WriteInteger(std::numeric_limits<int64_t>::min());
  w.WriteShortString("F"); w.WriteExtended(0.1);
  w.WriteShortString("Big"); w.WriteExtended(1.5e300);
  w.WriteShortString("Tiny"); w.WriteExtended(-2.5e-300);
  w.WriteShortString("S"); w.WriteSingle(0.1f);
  w.WriteShortString("C"); w.WriteCurrency(std::numeric_limits<int64_t>::min());
  w.WriteShortString("D"); w.WriteDate(45123.75);
  w.WriteShortString("T1"); w.WriteText(QString(300, u'q') + QStringLiteral("'\r\n"));
  w.WriteShortString("T2"); w.WriteText(QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC") + QChar(0xDC00));
  w.WriteShortString("T3"); w.WriteText(QString::fromUtf8("na\xC3\xAFve \xF0\x9F\x98\x80 text"));
  w.WriteShortString("T4"); w.WriteText(QString());
  w.WriteShortString("Id"); w.WriteIdent("clBtnFace");
  w.WriteShortString("B"); w.WriteBoolean(true);
  w.WriteShortString("N"); w.WriteNil();
  w.WriteShortString("Nu"); w.WriteIdent("Null");
  w.WriteShortString("Set"); w.WriteSetBegin(); w.WriteSetElement("a"); w.WriteSetElement("b"); w.WriteSetEnd();
  w.WriteShortString("Bin"); w.WriteBinary(QByteArray(100, '\x5A'));
  w.WriteShortString("L"); w.WriteListBegin(); w.WriteListBegin(); w.WriteInteger(1); w.WriteListEnd(); w.WriteListEnd();
  w.WriteShortString("Col"); w.WriteTag(vaCollection);
  w.WriteInteger(7); w.WriteByte(vaList); w.WriteShortString("X"); w.WriteText(QStringLiteral("x")); w.WriteEndOfList();
  w.WriteByte(vaList); w.WriteEndOfList();
  w.WriteEndOfList();
  w.WriteEndOfList();
  w.WriteObjectHeader(ofChildPos | ofInline, -3, "TKid", "K\xC3\xBC");
  w.WriteEndOfList();
  w.WriteEndOfList();
  w.WriteEndOfList();

  const QByteArray text = ObjectBinaryToText(bin);
  EXPECT_TRUE(text.startsWith("\xEF\xBB\xBF"));
  EXPECT_EQ(ToHex(ObjectTextToBinary(text)), ToHex(bin));
  EXPECT_EQ(ObjectBinaryToText(ObjectTextToBinary(text)), text);

  QByteArray withDouble;
  TValueWriter d(withDouble);
  d.WriteSignature();
  d.WriteObjectHeader(0, 0, "TA", "");
  d.WriteShortString("X");
  d.WriteDouble(0.75);
  d.WriteEndOfList();
  d.WriteEndOfList();
  QByteArray expected = withDouble;
  expected.replace(Hex("15 00 00 00 00 00 00 E8 3F"), Hex("05 00 00 00 00 00 00 00 C0 FE 3F"));
  EXPECT_EQ(ToHex(ObjectTextToBinary(ObjectBinaryToText(withDouble))), ToHex(expected));
}

// Large texts convert in pieces on several threads: the result and the errors are those of
// one pass, also where a line that looks like a piece start is not one.
TEST(TextToBinary, LargeTextsGiveTheResultAndErrorsOfOnePass) {
  constexpr int Children = 30000;
  const QByteArray bin = ManyChildren(Children);
  const QByteArray text = ObjectBinaryToText(bin);
  ASSERT_GT(text.size(), 2 << 20);
  EXPECT_EQ(ObjectTextToBinary(text) == bin, true);

  // The same tree with the root's children indented by a tab and their own children by two
  // spaces, so every line that starts like a root child is a grandchild.
  QByteArray shifted = text;
  shifted.replace("\n  object K", "\n\tobject K").replace("\n    object I", "\n  object I");
  EXPECT_EQ(ObjectTextToBinary(shifted) == bin, true);

  // Errors early, in the middle and near the end carry their line in the whole text.
  const auto lineOf = [](const QByteArray& t, qsizetype at) { return t.left(at).count('\n') + 1; };
  for (const int child : {3, Children / 2, Children - 2}) {
    SCOPED_TRACE(child);
    QByteArray broken = text;
    const QByteArray property = QStringLiteral("Left = %1").arg(child * 0.5).toLatin1();
    const qsizetype at = broken.indexOf("  Left = ", broken.indexOf("object K" + QByteArray::number(child) + ":"));
    ASSERT_GE(at, 0);
    broken.insert(at + 9, ")");
    EXPECT_EQ(Str(ParseError(broken.toStdString())),
              "Invalid property value on line " + std::to_string(lineOf(broken, at)));
  }
}

TEST(TextToBinary, DeviceFormsWriteOnlyAfterSuccess) {
  QBuffer badInput;
  badInput.setData("object A: TB\r\n  P = 1\r\n");
  badInput.open(QIODevice::ReadOnly);
  QByteArray target("untouched");
  QBuffer output(&target);
  output.open(QIODevice::WriteOnly | QIODevice::Append);
  EXPECT_THROW(ObjectTextToBinary(badInput, output), EParserError);
  EXPECT_EQ(target, "untouched");

  QBuffer goodInput;
  goodInput.setData("object A: TB\r\nend\r\n");
  goodInput.open(QIODevice::ReadOnly);
  ObjectTextToBinary(goodInput, output);
  EXPECT_EQ(ToHex(target), ToHex(QByteArray("untouched") + Hex("54 50 46 30 02 54 42 01 41 00 00")));

  QBuffer binaryInput;
  binaryInput.setData(Hex("54 50 46 30 02 54 42 01 41 00"));  // child list end missing
  binaryInput.open(QIODevice::ReadOnly);
  QByteArray textTarget;
  QBuffer textOutput(&textTarget);
  textOutput.open(QIODevice::WriteOnly);
  EXPECT_THROW(ObjectBinaryToText(binaryInput, textOutput), EReadError);
  EXPECT_TRUE(textTarget.isEmpty());
}
