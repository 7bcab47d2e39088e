// The widths kept between paint passes are the widths QFontMetrics measures, per font and
// device resolution.
#include "drawing/TextWidthCache.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <gtest/gtest.h>

namespace {

QFont PixelFont(int pixels, bool bold = false, bool italic = false) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  font.setItalic(italic);
  return font;
}

QImage ImageAt(int dpi) {
  QImage image(4, 4, QImage::Format_RGB32);
  const int dotsPerMetre = static_cast<int>(dpi / 0.0254 + 0.5);
  image.setDotsPerMeterX(dotsPerMetre);
  image.setDotsPerMeterY(dotsPerMetre);
  return image;
}

TEST(TextWidthCache, AnswersWhatTheFontMetricsMeasureForEveryFontAndText) {
  TTextWidthCache cache;
  QImage screen = ImageAt(96);
  const QFont fonts[] = {PixelFont(11), PixelFont(11, true), PixelFont(11, false, true), PixelFont(30), PixelFont(1)};
  const QString texts[] = {QString(), QStringLiteral("W"), QStringLiteral("Wide words wrap"),
                           QStringLiteral("iiii"), QStringLiteral("\u00c4rger \u00fcber \u03a9")};
  // Twice: the second round answers from the tables filled by the first.
  for (int round = 0; round < 2; ++round)
    for (const QFont& font : fonts)
      for (const QString& text : texts) {
        SCOPED_TRACE(testing::Message() << "round " << round << " size " << font.pixelSize() << " bold "
                                        << font.bold() << " text " << text.toStdString());
        const QFontMetrics metrics(font, &screen);
        TTextWidthCache::TFontWidths& widths = cache.For(font, &screen);
        EXPECT_EQ(widths.Width(text), metrics.horizontalAdvance(text));
        EXPECT_EQ(widths.Height(), metrics.height());
      }
  EXPECT_EQ(cache.FontCount(), 5);
}

TEST(TextWidthCache, KeepsResolutionsAndMissingDevicesApart) {
  TTextWidthCache cache;
  QImage low = ImageAt(96), high = ImageAt(300);
  // A point-sized font measures wider on a finer device.
  QFont font(QStringLiteral("DejaVu Sans"), 10);
  const QString text = QStringLiteral("Resolution");
  const int lowWidth = cache.For(font, &low).Width(text);
  const int highWidth = cache.For(font, &high).Width(text);
  EXPECT_EQ(lowWidth, QFontMetrics(font, &low).horizontalAdvance(text));
  EXPECT_EQ(highWidth, QFontMetrics(font, &high).horizontalAdvance(text));
  EXPECT_GT(highWidth, lowWidth);
  EXPECT_EQ(cache.For(font, nullptr).Width(text), QFontMetrics(font).horizontalAdvance(text));
  EXPECT_EQ(cache.FontCount(), 3);
}

TEST(TextWidthCache, DropsTheLeastRecentlyAskedFontsButStillAnswersRightly) {
  TTextWidthCache cache;
  QImage screen = ImageAt(96);
  const QString text = QStringLiteral("Some text");
  for (int pixels = 1; pixels <= TTextWidthCache::MaxFonts + 10; ++pixels) cache.For(PixelFont(pixels), &screen).Width(text);
  EXPECT_EQ(cache.FontCount(), TTextWidthCache::MaxFonts);
  for (int pixels : {1, 5, TTextWidthCache::MaxFonts + 10}) {
    const QFont font = PixelFont(pixels);
    EXPECT_EQ(cache.For(font, &screen).Width(text), QFontMetrics(font, &screen).horizontalAdvance(text)) << pixels;
  }
  EXPECT_EQ(cache.FontCount(), TTextWidthCache::MaxFonts);
}

TEST(TextWidthCache, KeepsAtMostItsNumberOfTextsOverAllFonts) {
  TTextWidthCache cache(10);
  QImage screen = ImageAt(96);
  for (int pixels : {9, 10, 11}) {
    const QFont font = PixelFont(pixels);
    for (int i = 0; i < 25; ++i) {
      const QString text = QStringLiteral("text %1").arg(i);
      EXPECT_EQ(cache.For(font, &screen).Width(text), QFontMetrics(font, &screen).horizontalAdvance(text));
      EXPECT_LE(cache.TextCount(), 10);
    }
  }
  // The older fonts made room for the newest, which then started afresh when it alone was full.
  EXPECT_EQ(cache.FontCount(), 1);
  EXPECT_EQ(cache.TextCount(), 25 % 10);
}

}  // namespace
