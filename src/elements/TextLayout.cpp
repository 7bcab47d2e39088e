#include "elements/TextLayout.h"
#include "platform/Graphics.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

QStringList SplitParagraphs(const QString& text) {
  if (text.isEmpty()) return {};
  static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
  return text.split(breaks);
}

namespace {

// The longest prefix of line that fits width (by binary search: widths grow with length).
qsizetype FittingPrefix(const QString& line, double width, ITextMeasurer& measurer) {
  qsizetype low = 0;
  qsizetype high = line.size();
  while (low < high) {
    const qsizetype mid = (low + high + 1) / 2;
    if (measurer.TextWidth(line.left(mid)) <= width) low = mid;
    else high = mid - 1;
  }
  return low;
}

QString JoinRest(const QString& piece, const QString& rest) {
  return rest.isEmpty() ? piece : piece + QLatin1Char(' ') + rest;
}

}  // namespace

QStringList WrapParagraph(const QString& paragraph, double width, ITextMeasurer& measurer) {
  QStringList lines;
  QString line = paragraph;
  for (;;) {
    QString rest;
    while (measurer.TextWidth(line) > width) {
      const qsizetype space = line.lastIndexOf(QLatin1Char(' '));
      if (space >= 0) {
        rest = JoinRest(line.mid(space + 1), rest);
        line.truncate(space);
        continue;
      }
      const qsizetype fits = FittingPrefix(line, width, measurer);
      if (fits == 0) break;  // not even one character fits: the word stays whole
      rest = JoinRest(line.mid(fits), rest);
      line.truncate(fits);
    }
    lines << line;
    if (rest.isEmpty()) return lines;
    line = rest;
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

int ScaledFontHeight(const TFont& font, double scale, int pixelsPerInch) {
  if (scale == 1) return font.Height();
  TFont scaled;
  scaled.SetPixelsPerInch(pixelsPerInch);
  scaled.Assign(&font);
  // Far beyond any font the canvas can draw; keeps the conversions within int.
  constexpr double largestPoints = 100000;
  const double points = std::clamp(scale * scaled.Size(), 0.0, largestPoints);
  scaled.SetSize(Round(points));
  return scaled.Height() == 0 ? -1 : scaled.Height();
}
