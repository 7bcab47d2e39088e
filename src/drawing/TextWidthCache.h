#pragma once
// TTextWidthCache: widths of texts in a font, kept across paint passes.
//
// Laying out a text cell measures its lines and, with word wrap, many prefixes of them;
// every measurement shapes the text, which costs far more than a lookup. The answers are
// those of QFontMetrics(font, device): the same width for the same font, text and device
// resolution, so they are kept per (font, resolution) and text. Fonts are few (one per
// cell font and zoom). Memory is bounded by a number of texts over all fonts: the least
// recently asked fonts are dropped first, and a font that alone outgrows the bound starts
// its table afresh.

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QString>

#include <list>
#include <optional>

class QPaintDevice;

class TTextWidthCache {
public:
  static constexpr int MaxFonts = 64;
  static constexpr qsizetype DefaultMaxTexts = 1 << 19;

  explicit TTextWidthCache(qsizetype maxTexts = DefaultMaxTexts) : FMaxTexts(maxTexts) {}
  TTextWidthCache(const TTextWidthCache&) = delete;
  TTextWidthCache& operator=(const TTextWidthCache&) = delete;

  // The widths of one font on one kind of device. Valid until the cache is asked for
  // another font.
  class TFontWidths {
  public:
    // QFontMetrics::horizontalAdvance of text.
    int Width(const QString& text);
    // QFontMetrics::height.
    int Height() const { return FMetrics.height(); }

  private:
    friend class TTextWidthCache;
    TFontWidths(TTextWidthCache& cache, const QFont& font, int dpi, QPaintDevice* device)
        : FCache(&cache), Font(font), Dpi(dpi), FMetrics(font, device) {}
    TTextWidthCache* FCache;
    QFont Font;
    int Dpi;
    QFontMetrics FMetrics;
    QHash<QString, int> FWidths;
  };

  // The widths of font as measured on device (nullptr: no device).
  TFontWidths& For(const QFont& font, QPaintDevice* device);
  void Clear();
  int FontCount() const { return static_cast<int>(FFonts.size()); }
  qsizetype TextCount() const { return FTextCount; }

  // The cache the paint pass uses (one user-interface thread).
  static TTextWidthCache& Shared();

private:
  // Makes room for one more text in keep's table.
  void MakeRoom(TFontWidths* keep);

  std::list<TFontWidths> FFonts;  // most recently asked first
  qsizetype FMaxTexts;
  qsizetype FTextCount = 0;
};
