#include "platform/ColorMaps.h"
#include "platform/Exceptions.h"
#include "platform/IdentMaps.h"

#include <gtest/gtest.h>

TEST(ColorToRGB, ExplicitColoursPassUnchanged) {
  EXPECT_EQ(ColorToRGB(clRed), clRed);
  EXPECT_EQ(ColorToRGB(RGBColor(1, 2, 3)), 0x030201);
  EXPECT_EQ(ColorToRGB(clWhite), 0xFFFFFF);
}

TEST(ColorToRGB, SystemColoursComeFromThePalette) {
  EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFF);
  EXPECT_EQ(ColorToRGB(clWindowText), 0x000000);
  EXPECT_EQ(ColorToRGB(clBtnFace), static_cast<int32_t>(SystemColorPalette[15]));
  EXPECT_EQ(ColorToRGB(clHighlight), RGBColor(51, 153, 255));
  EXPECT_EQ(ColorToRGB(clMenuBar), static_cast<int32_t>(SystemColorPalette[30]));
}

TEST(ColorToRGB, OddValuesResolveToDefinedColours) {
  struct Case { uint32_t value; int32_t expected; };
  const Case cases[] = {
      {0xFF000000u + 31, 0x000000},      // one past the palette
      {0xFF000000u + 25, 0x000000},      // the unnamed index
      {0xFFFFFFFFu, 0x000000},           // -1: huge index
      {0xFF7FFFFFu, 0x000000},
      {0x02123456u, 0x123456},           // stray high byte: RGB part kept
      {0x80FF00FFu, 0xFF00FF},
      {0x1FFFFFFFu, 0xFFFFFF},           // clNone
      {0x20000000u, 0x000000},           // clDefault: window text
  };
  for (const Case& c : cases) {
    const TColor rgb = ColorToRGB(static_cast<int32_t>(c.value));
    EXPECT_EQ(static_cast<int32_t>(rgb), c.expected) << std::hex << c.value;
    EXPECT_EQ(static_cast<uint32_t>(rgb) & 0xFF000000u, 0u);
  }
}

TEST(ColorToQColor, ChannelsAndTransparentNone) {
  const QColor c = ColorToQColor(RGBColor(10, 20, 30));
  EXPECT_EQ(c.red(), 10);
  EXPECT_EQ(c.green(), 20);
  EXPECT_EQ(c.blue(), 30);
  EXPECT_EQ(c.alpha(), 255);
  EXPECT_EQ(ColorToQColor(clNone).alpha(), 0);
  EXPECT_EQ(QColorToColor(QColor(10, 20, 30)), RGBColor(10, 20, 30));
}

TEST(ColorIdents, EveryNamedColourRoundTrips) {
  const std::pair<int32_t, const char*> named[] = {
      {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clCream, "clCream"}, {clMedGray, "clMedGray"},
      {clSkyBlue, "clSkyBlue"}, {clNone, "clNone"}, {clDefault, "clDefault"},
      {clScrollBar, "clScrollBar"}, {clBtnFace, "clBtnFace"}, {clInfoBk, "clInfoBk"},
      {clHotLight, "clHotLight"}, {clMenuBar, "clMenuBar"}, {cl3DDkShadow, "cl3DDkShadow"},
      {static_cast<int32_t>(0xFFFFFF), "clWhite"}, {static_cast<int32_t>(0xC0C0C0), "clSilver"}};
  for (const auto& [value, name] : named) {
    QString ident;
    ASSERT_TRUE(ColorToIdent(value, ident)) << name;
    EXPECT_EQ(ident, QLatin1String(name));
    int32_t back = 0;
    ASSERT_TRUE(IdentToColor(ident, back));
    EXPECT_EQ(back, value);
  }
}

TEST(ColorIdents, UnnamedValuesHaveNoIdentAndUnknownNamesAreRefused) {
  QString ident;
  EXPECT_FALSE(ColorToIdent(12632257, ident));
  EXPECT_FALSE(ColorToIdent(static_cast<int32_t>(0xFF000000u + 25), ident));  // unnamed system index
  int32_t value = 42;
  EXPECT_FALSE(IdentToColor(QStringLiteral("clNoSuchColour"), value));
  EXPECT_EQ(value, 42);
  EXPECT_TRUE(IdentToColor(QStringLiteral("CLRED"), value));
  EXPECT_EQ(value, clRed);
}

TEST(ColorIdents, StringFormsOfColours) {
  EXPECT_EQ(ColorToString(clWhite), "clWhite");
  EXPECT_EQ(ColorToString(MakeColor(12632257)), "12632257");
  EXPECT_EQ(StringToColor(QStringLiteral("clBtnFace")), clBtnFace);
  EXPECT_EQ(StringToColor(QStringLiteral("12632257")), 12632257);
  EXPECT_EQ(StringToColor(QStringLiteral("$00FF00")), clLime);
  EXPECT_EQ(StringToColor(QStringLiteral("-16777201")), clBtnFace);
  EXPECT_EQ(StringToColor(QStringLiteral("4278190095")), clBtnFace);  // unsigned spelling
  EXPECT_EQ(StringToColor(QStringLiteral("010")), 10);                // decimal, not octal
  EXPECT_THROW(StringToColor(QStringLiteral("green-ish")), EConvertError);
  EXPECT_THROW(StringToColor(QStringLiteral("99999999999")), EConvertError);
}

TEST(CursorIdents, NamedCursorsRoundTripAndUnnamedOnesStayNumbers) {
  const std::pair<int32_t, const char*> named[] = {
      {crDefault, "crDefault"}, {crArrow, "crArrow"}, {crIBeam, "crIBeam"}, {crSizeNESW, "crSizeNESW"},
      {crHourGlass, "crHourGlass"}, {crSQLWait, "crSQLWait"}, {crHandPoint, "crHandPoint"},
      {crSizeAll, "crSizeAll"}};
  for (const auto& [value, name] : named) {
    QString ident;
    ASSERT_TRUE(CursorToIdent(value, ident)) << name;
    EXPECT_EQ(ident, QLatin1String(name));
    int32_t back = 1;
    ASSERT_TRUE(IdentToCursor(ident, back));
    EXPECT_EQ(back, value);
  }
  QString ident;
  for (int32_t unnamed : {int32_t(crNone), int32_t(crSize), int32_t(-23), int32_t(5)})
    EXPECT_FALSE(CursorToIdent(unnamed, ident)) << unnamed;
  int32_t value = 0;
  EXPECT_FALSE(IdentToCursor(QStringLiteral("crNone"), value));
}

TEST(CharsetIdents, AllCharsetsRoundTrip) {
  const int32_t charsets[] = {0, 1, 2, 77, 128, 129, 130, 134, 136, 161, 162, 177, 178, 186, 204, 222, 238, 255};
  for (int32_t charset : charsets) {
    QString ident;
    ASSERT_TRUE(CharsetToIdent(charset, ident)) << charset;
    int32_t back = -1;
    ASSERT_TRUE(IdentToCharset(ident, back));
    EXPECT_EQ(back, charset);
  }
  QString ident;
  EXPECT_TRUE(CharsetToIdent(204, ident));
  EXPECT_EQ(ident, "RUSSIAN_CHARSET");
  EXPECT_FALSE(CharsetToIdent(3, ident));
}

TEST(IntIdentMap, SelectsTheMapByTypeName) {
  const TIntIdentMap* colors = IntIdentMapFor("TColor");
  ASSERT_NE(colors, nullptr);
  QString ident;
  EXPECT_TRUE(colors->ToIdent(clRed, ident));
  EXPECT_EQ(ident, "clRed");
  const TIntIdentMap* cursors = IntIdentMapFor("TCursor");
  ASSERT_NE(cursors, nullptr);
  int32_t value = 0;
  EXPECT_TRUE(cursors->ToInt(QStringLiteral("crCross"), value));
  EXPECT_EQ(value, crCross);
  const TIntIdentMap* charsets = IntIdentMapFor("TFontCharset");
  ASSERT_NE(charsets, nullptr);
  EXPECT_TRUE(charsets->ToIdent(2, ident));
  EXPECT_EQ(ident, "SYMBOL_CHARSET");
  EXPECT_EQ(IntIdentMapFor("Outer::TColor"), colors);
  EXPECT_EQ(IntIdentMapFor("int"), nullptr);
  EXPECT_EQ(IntIdentMapFor("TColorX"), nullptr);
  EXPECT_EQ(IntIdentMapFor(nullptr), nullptr);
}
