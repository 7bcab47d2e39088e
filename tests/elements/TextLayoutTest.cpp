#include "elements/TextLayout.h"
#include "platform/Graphics.h"

#include <gtest/gtest.h>
#include <algorithm>

namespace {

// Every character is 10 pixels wide, every line 20 pixels high.
class TFixedMeasurer : public ITextMeasurer {
public:
  double TextWidth(const QString& text) override { return 10.0 * text.size(); }
  double LineHeight() override { return 20; }
};

struct WrapCase {
  const char* paragraph;
  double width;
  QStringList expected;
};

TEST(WrapParagraph, BreaksAtSpacesThenInsideWords) {
  const WrapCase cases[] = {
      {"aaa bbb ccc", 70, {"aaa bbb", "ccc"}},
      {"aaa bbb ccc", 69, {"aaa", "bbb", "ccc"}},
      {"aaa bbb ccc", 110, {"aaa bbb ccc"}},
      {"abcdefghij", 35, {"abc", "def", "ghi", "j"}},
      {"abcdefghij klm", 35, {"abc", "def", "ghi", "j", "klm"}},
      {"ab cd", 5, {"ab", "cd"}},  // not even one character fits: words stay whole
      {"x", 0, {"x"}},
      {"", 30, {""}},
      {"a  b", 25, {"a ", "b"}},
      {"abc ", 30, {"abc"}},
      {" abc", 35, {"", "abc"}},
      {"aa bbbbbbbb cc", 45, {"aa", "bbbb", "bbbb", "cc"}},
  };
  TFixedMeasurer measurer;
  for (const WrapCase& c : cases)
    EXPECT_EQ(WrapParagraph(QString::fromLatin1(c.paragraph), c.width, measurer), c.expected)
        << c.paragraph << " in " << c.width;
}

// Counts the characters it measures.
class TCountingMeasurer : public TFixedMeasurer {
public:
  double TextWidth(const QString& text) override {
    Measured += text.size();
    return TFixedMeasurer::TextWidth(text);
  }
  qsizetype Measured = 0;
};

TEST(WrapParagraph, ALongParagraphCostsMeasurementsOfAboutItsLength) {
  const QString words = QStringList(2000, QStringLiteral("abcd")).join(QLatin1Char(' '));
  TCountingMeasurer measurer;
  const QStringList lines = WrapParagraph(words, 95, measurer);
  ASSERT_EQ(lines.size(), 1000);
  EXPECT_EQ(lines.front(), "abcd abcd");
  EXPECT_EQ(lines.back(), "abcd abcd");
  EXPECT_LT(measurer.Measured, 10 * words.size()) << "cutting word by word would measure millions";

  const QString word(9999, QLatin1Char('x'));
  measurer.Measured = 0;
  const QStringList pieces = WrapParagraph(word, 35, measurer);
  ASSERT_EQ(pieces.size(), 3333);
  EXPECT_EQ(pieces.back(), "xxx");
  EXPECT_LT(measurer.Measured, 10 * word.size());
}

TEST(SplitParagraphs, SplitsAtEveryKindOfLineBreak) {
  EXPECT_EQ(SplitParagraphs(QStringLiteral("a\r\nb\nc\rd")), (QStringList{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitParagraphs(QStringLiteral("a\n\nb")), (QStringList{"a", "", "b"}));
  EXPECT_TRUE(SplitParagraphs(QString()).isEmpty());
  EXPECT_EQ(SplitParagraphs(QStringLiteral("one line, no break")), (QStringList{"one line, no break"}));
  EXPECT_EQ(SplitParagraphs(QStringLiteral("\r")), (QStringList{"", ""}));
  EXPECT_EQ(SplitParagraphs(QStringLiteral("ends\n")), (QStringList{"ends", ""}));
}

struct PlacementCase {
  TAlignment alignment;
  TVertAlign vertAlign;
  TDot first, second;
  TSquare bounds;
};

TEST(LayoutCellText, PlacesLinesByAlignment) {
  // Lines "ab" (20 wide) and "cde" (30 wide) in (0, 0, 100, 100).
  const PlacementCase cases[] = {
      {taLeftJustify, vaTop, {0, 0}, {0, 20}, {0, 0, 30, 40}},
      {taRightJustify, vaTop, {81, 0}, {71, 20}, {71, 0, 101, 40}},
      {taCenter, vaTop, {40, 0}, {35, 20}, {35, 0, 65, 40}},
      {taLeftJustify, vaBottom, {0, 60}, {0, 80}, {0, 60, 30, 100}},
      {taCenter, vaCenter, {40, 30}, {35, 50}, {35, 30, 65, 70}},
  };
  TFixedMeasurer measurer;
  for (const PlacementCase& c : cases) {
    const TCellTextLayout layout =
        LayoutCellText(QStringLiteral("ab\ncde"), {0, 0, 100, 100}, c.alignment, c.vertAlign, true, measurer);
    ASSERT_EQ(layout.Lines.size(), 2u);
    EXPECT_EQ(layout.Lines[0].Origin, c.first) << c.alignment << " " << c.vertAlign;
    EXPECT_EQ(layout.Lines[1].Origin, c.second) << c.alignment << " " << c.vertAlign;
    EXPECT_EQ(layout.Bounds, c.bounds) << c.alignment << " " << c.vertAlign;
  }
}

TEST(LayoutCellText, BottomAlignedTextThatDoesNotFitStartsAboveTheCell) {
  TFixedMeasurer measurer;
  const TCellTextLayout layout =
      LayoutCellText(QStringLiteral("a\nb\nc"), {0, 10, 50, 40}, taLeftJustify, vaBottom, true, measurer);
  ASSERT_EQ(layout.Lines.size(), 3u);
  EXPECT_EQ(layout.Lines[0].Origin.Y, -20);
  EXPECT_EQ(layout.Bounds.Bottom, 40);
}

TEST(LayoutCellText, WrapsOnlyWhenAsked) {
  TFixedMeasurer measurer;
  const QString text = QStringLiteral("aaa bbb ccc");
  EXPECT_EQ(LayoutCellText(text, {0, 0, 50, 100}, taLeftJustify, vaTop, true, measurer).Lines.size(), 3u);
  const TCellTextLayout unwrapped = LayoutCellText(text, {0, 0, 50, 100}, taLeftJustify, vaTop, false, measurer);
  ASSERT_EQ(unwrapped.Lines.size(), 1u);
  EXPECT_EQ(unwrapped.Bounds.Right, 110) << "an unwrapped line runs past the cell";
}

TEST(LayoutCellText, WithoutTextTheBoundsAreTheRectangle) {
  TFixedMeasurer measurer;
  const TCellTextLayout layout = LayoutCellText(QString(), {5, 6, 70, 80}, taCenter, vaCenter, true, measurer);
  EXPECT_TRUE(layout.Lines.empty());
  EXPECT_EQ(layout.Bounds, (TSquare{5, 6, 70, 80}));
}

TEST(TextEscapement, TurnsTheNegatedAngleIntoZeroToFullCircle) {
  const std::pair<double, int> cases[] = {{30, 3300}, {-30, 300}, {90, 2700}, {360, 3600}, {450, 2700}, {0.05, 3600}};
  for (const auto& [angle, escapement] : cases) EXPECT_EQ(TextEscapement(angle), escapement) << angle;
}

TEST(ScaledFontHeight, ScalesThePointSize) {
  TFont font;
  font.SetPixelsPerInch(96);
  font.SetHeight(-11);  // 8 points at 96 dpi
  EXPECT_EQ(ScaledFontHeight(font, 1, 96), -11) << "no zoom keeps the height as it is";
  EXPECT_EQ(ScaledFontHeight(font, 2, 96), -21) << "16 points";
  EXPECT_EQ(ScaledFontHeight(font, 0.5, 96), -5) << "4 points";
}

TEST(ScaledFontHeight, AFontZoomedToNoPointsVanishesButMeasuresOnePixel) {
  TFont font;
  font.SetPixelsPerInch(96);
  font.SetHeight(-11);  // 8 points: Round(8 x 0.07) is 1, Round(8 x 0.06) is 0
  EXPECT_FALSE(ScaledFontVanishes(font, 0.07, 96));
  EXPECT_TRUE(ScaledFontVanishes(font, 0.06, 96));
  EXPECT_EQ(ScaledFontHeight(font, 0.06, 96), -1);
  EXPECT_TRUE(ScaledFontVanishes(font, 0.06, 0)) << "without a resolution, through the font";
  EXPECT_FALSE(ScaledFontVanishes(font, 1, 96));
  font.SetHeight(0);
  EXPECT_FALSE(ScaledFontVanishes(font, 0.01, 96)) << "the default height is not scaled";
}

TEST(ScaledFontHeight, AgreesWithScalingTheSizeOfAFontAtTheResolution) {
  // The height of a font at pixelsPerInch whose point size is scaled and rounded.
  const auto throughAFont = [](int height, double scale, int pixelsPerInch) {
    TFont scaled;
    scaled.SetPixelsPerInch(pixelsPerInch);
    scaled.SetHeight(height);
    scaled.SetSize(Round(std::clamp(scale * scaled.Size(), 0.0, 100000.0)));
    return scaled.Height() == 0 ? -1 : scaled.Height();
  };
  for (int pixelsPerInch : {72, 96, 120, 144, 600})
    for (int height : {-1, -8, -11, -13, -16, -37, -100, 1, 11, 15, 64, 2000})
      for (double scale : {0.01, 0.05, 0.19, 0.25, 0.5, 0.75, 1.33, 2.0, 3.7, 8.0, 1000.0}) {
        TFont font;
        font.SetHeight(height);
        EXPECT_EQ(ScaledFontHeight(font, scale, pixelsPerInch), throughAFont(height, scale, pixelsPerInch))
            << "height " << height << " scale " << scale << " at " << pixelsPerInch << " dpi";
      }
}

TEST(ScaledFontHeight, ASizeThatRoundsToZeroKeepsOnePixel) {
  TFont font;
  font.SetHeight(-11);
  for (double scale : {0.05, 0.01, 0.0})
    EXPECT_EQ(ScaledFontHeight(font, scale, 96), -1) << scale << ": must not fall back to the default size";
}

}  // namespace
