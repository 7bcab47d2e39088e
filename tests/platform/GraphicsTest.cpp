#include "platform/Exceptions.h"
#include "platform/Graphics.h"
#include "platform/Published.h"

#include <QFontMetrics>
#include <gtest/gtest.h>

namespace {

struct TExpectedProperty {
  const char* Name;
  const char* TypeName;
  TPropertyKind Kind;
  const char* Default;  // empty: none declared
};

void ExpectPublished(const QMetaObject* meta, const std::vector<TExpectedProperty>& expected) {
  const auto& props = PublishedProperties(meta);
  ASSERT_EQ(props.size(), expected.size()) << meta->className();
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].Name);
    EXPECT_EQ(props[i].Name, QLatin1String(expected[i].Name));
    EXPECT_STREQ(props[i].Meta.typeName(), expected[i].TypeName);
    EXPECT_EQ(props[i].Kind, expected[i].Kind);
    EXPECT_EQ(props[i].DeclaredDefault, QLatin1String(expected[i].Default));
  }
}

bool IsDefault(const QObject* object, const char* name) {
  const TPublishedProperty* p = FindPublishedProperty(object->metaObject(), QLatin1String(name));
  return p && IsDefaultValue(object, *p);
}

// Counts OnChange calls and checks the sender.
struct TChangeCounter {
  int Count = 0;
  TPersistent* LastSender = nullptr;
  void Attach(TGraphicsObject& object) {
    object.OnChange = [this](TPersistent* sender) {
      ++Count;
      LastSender = sender;
    };
  }
};

}  // namespace

TEST(GraphicsValueTypes, FontPublishesItsPropertiesInOrder) {
  ExpectPublished(&TFont::staticMetaObject,
                  {{"Charset", "TFontCharset", TPropertyKind::Integer, ""},
                   {"Color", "TColor", TPropertyKind::Integer, ""},
                   {"Height", "int", TPropertyKind::Integer, ""},
                   {"Name", "QString", TPropertyKind::String, ""},
                   {"Orientation", "int", TPropertyKind::Integer, "0"},
                   {"Pitch", "GraphicsEnums::TFontPitch", TPropertyKind::Enumeration, "fpDefault"},
                   {"Style", "QFlags<GraphicsEnums::TFontStyle>", TPropertyKind::Set, ""},
                   {"Quality", "GraphicsEnums::TFontQuality", TPropertyKind::Enumeration, "fqDefault"}});
}

TEST(GraphicsValueTypes, PenAndBrushPublishTheirPropertiesInOrder) {
  ExpectPublished(&TPen::staticMetaObject,
                  {{"Color", "TColor", TPropertyKind::Integer, "0"},
                   {"Mode", "GraphicsEnums::TPenMode", TPropertyKind::Enumeration, "pmCopy"},
                   {"Style", "GraphicsEnums::TPenStyle", TPropertyKind::Enumeration, "psSolid"},
                   {"Width", "int", TPropertyKind::Integer, "1"}});
  ExpectPublished(&TBrush::staticMetaObject,
                  {{"Color", "TColor", TPropertyKind::Integer, "0xFFFFFF"},
                   {"Style", "GraphicsEnums::TBrushStyle", TPropertyKind::Enumeration, "bsSolid"}});
}

TEST(GraphicsValueTypes, FreshObjectsHoldTheirDeclaredDefaults) {
  TPen pen;
  TBrush brush;
  TFont font;
  for (const char* name : {"Color", "Mode", "Style", "Width"}) EXPECT_TRUE(IsDefault(&pen, name)) << name;
  for (const char* name : {"Color", "Style"}) EXPECT_TRUE(IsDefault(&brush, name)) << name;
  for (const char* name : {"Orientation", "Pitch", "Quality"}) EXPECT_TRUE(IsDefault(&font, name)) << name;
  // Properties without a declared default are always written.
  for (const char* name : {"Charset", "Color", "Height", "Style"}) EXPECT_FALSE(IsDefault(&font, name)) << name;

  pen.SetColor(clRed);
  pen.SetWidth(3);
  pen.SetMode(pmNotXor);
  brush.SetColor(clBlack);
  brush.SetStyle(bsCross);
  font.SetOrientation(900);
  for (const char* name : {"Color", "Mode", "Width"}) EXPECT_FALSE(IsDefault(&pen, name)) << name;
  for (const char* name : {"Color", "Style"}) EXPECT_FALSE(IsDefault(&brush, name)) << name;
  EXPECT_FALSE(IsDefault(&font, "Orientation"));
}

TEST(GraphicsValueTypes, PropertiesWriteThroughTheMetaObject) {
  TFont font;
  EXPECT_TRUE(font.setProperty("Style", QVariant::fromValue(TFontStyles(fsBold) | fsItalic)));
  EXPECT_EQ(font.Style(), TFontStyles(fsBold) | fsItalic);
  EXPECT_TRUE(font.setProperty("Pitch", QVariant::fromValue(fpFixed)));
  EXPECT_EQ(font.Pitch(), fpFixed);
  TPen pen;
  EXPECT_TRUE(pen.setProperty("Style", QVariant::fromValue(psInsideFrame)));
  EXPECT_EQ(pen.Style(), psInsideFrame);
  // Identifier-mapped integers accept plain integers and read back as integers.
  EXPECT_TRUE(pen.setProperty("Color", QVariant(int(clRed))));
  EXPECT_EQ(pen.Color(), clRed);
  EXPECT_TRUE(font.setProperty("Charset", QVariant(int(GREEK_CHARSET))));
  EXPECT_EQ(font.Charset(), GREEK_CHARSET);
  EXPECT_TRUE(font.setProperty("Color", QVariant(qlonglong(int32_t(clBtnFace)))));
  EXPECT_EQ(font.Color(), clBtnFace);
  EXPECT_EQ(pen.property("Color").toLongLong(), clRed);
  EXPECT_EQ(font.property("Color").toInt(), int(clBtnFace));
}

TEST(GraphicsValueTypes, OnChangeFiresOnlyForEffectiveChanges) {
  TPen pen;
  TChangeCounter counter;
  counter.Attach(pen);
  pen.SetWidth(1);  // unchanged
  pen.SetColor(clBlack);
  EXPECT_EQ(counter.Count, 0);
  pen.SetWidth(2);
  pen.SetStyle(psDot);
  pen.SetMode(pmXor);
  pen.SetColor(clRed);
  EXPECT_EQ(counter.Count, 4);
  EXPECT_EQ(counter.LastSender, &pen);

  TFont font;
  TChangeCounter fontCounter;
  fontCounter.Attach(font);
  font.SetName(QStringLiteral("DejaVu Sans"));
  font.SetStyle(fsUnderline);
  font.SetStyle(fsUnderline);
  font.SetCharset(SYMBOL_CHARSET);
  font.SetQuality(fqDraft);
  EXPECT_EQ(fontCounter.Count, 4);

  TBrush brush;
  TChangeCounter brushCounter;
  brushCounter.Attach(brush);
  brush.SetStyle(bsSolid);
  brush.SetStyle(bsClear);
  EXPECT_EQ(brushCounter.Count, 1);
}

TEST(GraphicsValueTypes, AssignCopiesEveryPropertyAndNotifiesOnce) {
  TFont source;
  source.SetName(QStringLiteral("DejaVu Sans"));
  source.SetHeight(-20);
  source.SetColor(clNavy);
  source.SetCharset(RUSSIAN_CHARSET);
  source.SetOrientation(450);
  source.SetPitch(fpVariable);
  source.SetStyle(TFontStyles(fsBold) | fsStrikeOut);
  source.SetQuality(fqClearType);
  TFont target;
  TChangeCounter counter;
  counter.Attach(target);
  target.Assign(&source);
  EXPECT_EQ(counter.Count, 1);
  for (const auto& p : PublishedProperties(&TFont::staticMetaObject))
    EXPECT_EQ(p.Meta.read(&target), p.Meta.read(&source)) << qPrintable(p.Name);
  target.Assign(&source);
  EXPECT_EQ(counter.Count, 1);  // nothing changed the second time

  TPen pen, pen2;
  pen.SetColor(clGreen);
  pen.SetWidth(4);
  pen.SetStyle(psDashDot);
  pen.SetMode(pmNot);
  pen2.Assign(&pen);
  EXPECT_EQ(pen2.Color(), clGreen);
  EXPECT_EQ(pen2.Width(), 4);
  EXPECT_EQ(pen2.Style(), psDashDot);
  EXPECT_EQ(pen2.Mode(), pmNot);

  TBrush brush, brush2;
  brush.SetColor(clYellow);
  brush.SetStyle(bsDiagCross);
  brush2.Assign(&brush);
  EXPECT_EQ(brush2.Color(), clYellow);
  EXPECT_EQ(brush2.Style(), bsDiagCross);
}

TEST(GraphicsValueTypes, AssignBetweenDifferentTypesIsRefused) {
  TPen pen;
  TBrush brush;
  EXPECT_THROW(pen.Assign(&brush), EConvertError);
  EXPECT_THROW(brush.Assign(nullptr), EConvertError);
}

TEST(GraphicsValueTypes, FontSizeFollowsHeightAtTheFontResolution) {
  TFont font;
  font.SetPixelsPerInch(96);
  font.SetHeight(-11);
  EXPECT_EQ(font.Size(), 8);
  font.SetSize(12);
  EXPECT_EQ(font.Height(), -16);
  font.SetHeight(16);  // cell height form: same magnitude
  EXPECT_EQ(font.Size(), 12);
  font.SetPixelsPerInch(600);
  font.SetSize(10);
  EXPECT_EQ(font.Height(), -83);
}

TEST(GraphicsValueTypes, QtFontUsesPixelSizesForBothHeightForms) {
  TFont font;
  font.SetName(QStringLiteral("DejaVu Sans"));
  font.SetHeight(-20);
  EXPECT_EQ(font.ToQFont().pixelSize(), 20);
  font.SetHeight(20);
  const QFont cell = font.ToQFont();
  EXPECT_GT(cell.pixelSize(), 10);
  EXPECT_LE(cell.pixelSize(), 20);
  EXPECT_NEAR(QFontMetrics(cell).height(), 20, 2);
  font.SetHeight(0);
  EXPECT_EQ(font.ToQFont().pixelSize(), -TFont::DefaultHeight);
  font.SetHeight(-20);
  font.SetStyle(TFontStyles(fsBold) | fsItalic | fsUnderline);
  EXPECT_TRUE(font.ToQFont().bold());
  EXPECT_TRUE(font.ToQFont().italic());
  EXPECT_TRUE(font.ToQFont().underline());
  EXPECT_FALSE(font.ToQFont().strikeOut());
}

TEST(GraphicsValueTypes, ScreenResolutionIsPositiveAndFontsStartWithIt) {
  EXPECT_GT(ScreenPixelsPerInch(), 0);
  EXPECT_EQ(TFont().PixelsPerInch(), ScreenPixelsPerInch());
}
