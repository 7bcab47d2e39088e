#include "elements/TextLayout.h"
#include "platform/Graphics.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

QStringList SplitParagraphs(const QString& text) {
  if (text.isEmpty()) return {};
  // Most cell texts are one paragraph: no need to run the expression over them.
  if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) return {text};
  static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
  return text.split(breaks);
}

namespace {

// The largest index i in 0..count-1 for which fits(i) holds, or -1 when fits(0) does not.
// fits must hold for every index below one for which it holds (widths grow with the
// prefix), so the search gallops forward and then halves: a line costs measurements of
// about its own length, however long the paragraph is.
template <class Fits>
qsizetype LargestFitting(qsizetype count, const Fits& fits) {
  if (count <= 0 || !fits(0)) return -1;
  qsizetype good = 0;
  qsizetype bad = count;
  for (qsizetype step = 1; good + step < count; step *= 2) {
    if (!fits(good + step)) {
      bad = good + step;
      break;
    }
    good += step;
  }
  while (bad - good > 1) {
    const qsizetype mid = good + (bad - good) / 2;
    if (fits(mid)) good = mid;
    else bad = mid;
  }
  return good;
}

}  // namespace

// Cutting a too wide line at its last space until it fits gives the longest prefix ending
// at a space that fits; when even the first word does not fit it is cut inside, or kept
// whole when not even its first character fits. Pieces that move on keep the paragraph's
// own text between them, so lines are taken from the paragraph by position.
QStringList WrapParagraph(const QString& paragraph, double width, ITextMeasurer& measurer) {
  std::vector<qsizetype> spaces;
  for (qsizetype i = 0; i < paragraph.size(); ++i)
    if (paragraph[i] == QLatin1Char(' ')) spaces.push_back(i);
  const qsizetype end = paragraph.size();
  QStringList lines;
  qsizetype start = 0;
  for (;;) {
    const auto firstSpace = std::lower_bound(spaces.begin(), spaces.end(), start);
    const qsizetype spaceCount = spaces.end() - firstSpace;
    // Candidate line ends: the spaces from start on, then the end of the paragraph.
    const auto lineEnd = [&](qsizetype i) { return i < spaceCount ? firstSpace[i] : end; };
    const auto fitsUpTo = [&](qsizetype stop) { return measurer.TextWidth(paragraph.mid(start, stop - start)) <= width; };
    if (spaceCount > 0) {
      const qsizetype best = LargestFitting(spaceCount + 1, [&](qsizetype i) { return fitsUpTo(lineEnd(i)); });
      if (best == spaceCount) {
        lines << paragraph.mid(start);
        return lines;
      }
      if (best >= 0) {
        lines << paragraph.mid(start, lineEnd(best) - start);
        start = lineEnd(best) + 1;
        if (start >= end) return lines;
        continue;
      }
    }
    // The first word does not fit, or it is all that is left: the longest prefix that fits.
    const qsizetype wordEnd = lineEnd(0);
    const qsizetype prefix = 1 + LargestFitting(wordEnd - start, [&](qsizetype i) { return fitsUpTo(start + i + 1); });
    if (spaceCount == 0 && prefix == end - start) {
      lines << paragraph.mid(start);
      return lines;
    }
    if (prefix == 0) {
      lines << paragraph.mid(start, wordEnd - start);  // not even one character fits
      start = wordEnd + 1;
      if (start >= end) return lines;
      continue;
    }
    lines << paragraph.mid(start, prefix);
    start += prefix;
  }
}

TCellTextLayout LayoutCellText(const QString& text, const TSquare& rect, TAlignment alignment,
                               TVertAlign vertAlign, bool wordWrap, ITextMeasurer& measurer) {
  QStringList lines;
  for (const QString& paragraph : SplitParagraphs(text)) {
    if (wordWrap) lines << WrapParagraph(paragraph, rect.Right - rect.Left, measurer);
    else lines << paragraph;
  }
  TCellTextLayout layout;
  layout.Bounds = rect;
  if (lines.isEmpty()) return layout;

  const double lineHeight = measurer.LineHeight();
  const double total = lines.size() * lineHeight;
  double y = rect.Top;
  if (vertAlign == vaBottom) y = rect.Bottom - total;
  else if (vertAlign == vaCenter) y = rect.Top + (rect.Bottom - rect.Top - total) / 2;

  for (const QString& line : lines) {
    const double width = measurer.TextWidth(line);
    double x = rect.Left;
    if (alignment == taRightJustify) x = rect.Right - width + 1;
    else if (alignment == taCenter) x = rect.Left + (rect.Right - rect.Left - width) / 2;
    layout.Lines.push_back({line, {x, y}, width});
    y += lineHeight;
  }
  const auto leftmost = std::min_element(layout.Lines.begin(), layout.Lines.end(),
                                         [](const auto& a, const auto& b) { return a.Origin.X < b.Origin.X; });
  const auto rightmost = std::max_element(layout.Lines.begin(), layout.Lines.end(), [](const auto& a, const auto& b) {
    return a.Origin.X + a.Width < b.Origin.X + b.Width;
  });
  layout.Bounds = {leftmost->Origin.X, layout.Lines.front().Origin.Y, rightmost->Origin.X + rightmost->Width, y};
  return layout;
}

int TextEscapement(double angle) {
  double turned = std::fmod(-angle, 360.0);
  if (!(turned > 0)) turned += 360.0;  // also maps -0 to 360
  return Round(turned * 10);
}

namespace {

// Far beyond any font the canvas can draw; keeps the conversions within int.
constexpr double LargestPoints = 100000;

// A font's point size at pixelsPerInch, scaled and rounded. With a resolution this is TFont's
// Size without building a font: it runs for every text cell of every paint pass.
int ScaledPoints(const TFont& font, double scale, int pixelsPerInch) {
  double size = 0;
  if (pixelsPerInch > 0) {
    size = static_cast<int>(std::lround(std::abs(static_cast<double>(font.Height())) * 72.0 / pixelsPerInch));
  } else {
    TFont scaled;
    scaled.SetPixelsPerInch(pixelsPerInch);
    scaled.Assign(&font);
    size = scaled.Size();
  }
  return Round(std::clamp(scale * size, 0.0, LargestPoints));
}

}  // namespace

int ScaledFontHeight(const TFont& font, double scale, int pixelsPerInch) {
  if (scale == 1) return font.Height();
  const int points = ScaledPoints(font, scale, pixelsPerInch);
  int height = 0;
  if (pixelsPerInch > 0) {
    height = -static_cast<int>(std::lround(std::abs(static_cast<double>(points)) * pixelsPerInch / 72.0));
  } else {
    TFont scaled;
    scaled.SetPixelsPerInch(pixelsPerInch);
    scaled.Assign(&font);
    scaled.SetSize(points);
    height = scaled.Height();
  }
  return height == 0 ? -1 : height;
}

bool ScaledFontVanishes(const TFont& font, double scale, int pixelsPerInch) {
  return scale != 1 && font.Height() != 0 && ScaledPoints(font, scale, pixelsPerInch) == 0;
}
