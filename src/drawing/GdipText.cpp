#include "drawing/GdipText.h"

#include "drawing/GdipClasses.h"
#include "platform/Graphics.h"

#include <QPainter>
#include <QTextOption>
#include <algorithm>
#include <cmath>

namespace {

// Lines that are not wrapped are laid out this wide.
constexpr double UnboundedWidth = 1.0e6;

QString WithLineSeparators(QString text) {
  text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
  text.replace(u'\n', QChar::LineSeparator);
  text.replace(u'\r', QChar::LineSeparator);
  return text;
}

// Offset of a line of naturalWidth within the box width: near is the reading start.
double LineOffset(const TGPTextFormat& format, double naturalWidth) {
  const double slack = format.Width - naturalWidth;
  switch (format.HAlign) {
    case dhaCenter: return slack / 2;
    case dhaRight: return format.RightToLeft ? 0 : slack;
    default: return format.RightToLeft ? slack : 0;
  }
}

double BlockOffset(const TGPTextFormat& format, double textHeight) {
  switch (format.VAlign) {
    case vaBottom: return format.Height - textHeight;
    case vaCenter: return (format.Height - textHeight) / 2;
    default: return 0;
  }
}

TGPTextBlock LayOut(const QString& text, const QFont& font, const TGPTextFormat& format) {
  TGPTextBlock block{text, font, format, std::make_unique<QTextLayout>(WithLineSeparators(text), font), QRectF()};
  QTextLayout& layout = *block.Layout;
  const bool wrap = format.Wrap && format.Width > 0;
  QTextOption option(Qt::AlignLeft | Qt::AlignAbsolute);
  option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
  option.setTextDirection(format.RightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
  layout.setTextOption(option);
  layout.setCacheEnabled(true);

  double height = 0;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLeadingIncluded(true);
    line.setLineWidth(wrap ? format.Width : UnboundedWidth);
    line.setPosition(QPointF(0, height));
    height += line.height();
  }
  layout.endLayout();

  const double top = BlockOffset(format, height);
  for (int i = 0; i < layout.lineCount(); ++i) {
    QTextLine line = layout.lineAt(i);
    const double width = line.naturalTextWidth();
    const QPointF position(LineOffset(format, width), line.y() + top);
    line.setPosition(position);
    block.Bounds = block.Bounds.united(QRectF(position, QSizeF(width, line.height())));
  }
  if (layout.lineCount() == 0) block.Bounds = QRectF(LineOffset(format, 0), top, 0, 0);
  return block;
}

}  // namespace

const TGPTextBlock& TGPTextCache::Find(const QString& text, const QFont& font, const TGPTextFormat& format) {
  const auto hit = std::find_if(FBlocks.begin(), FBlocks.end(), [&](const TGPTextBlock& block) {
    return block.Format == format && block.Text == text && block.Font == font;
  });
  if (hit != FBlocks.end()) {
    std::rotate(FBlocks.begin(), hit, hit + 1);
    return FBlocks.front();
  }
  if (FBlocks.size() >= Capacity) FBlocks.pop_back();
  FBlocks.insert(FBlocks.begin(), LayOut(text, font, format));
  ++FLayoutCount;
  return FBlocks.front();
}

// ------------------------------------------------------------------------------ TGPCanvas text

namespace {

TGPTextFormat MakeFormat(const TSquare& rect, TDgrHAlign hAlign, TVertAlign vAlign, bool wrap, bool rightToLeft) {
  const auto finite = [](double v) { return std::isfinite(v) ? v : 0.0; };
  return TGPTextFormat{finite(rect.Right - rect.Left), finite(rect.Bottom - rect.Top), hAlign, vAlign, wrap,
                       rightToLeft};
}

}  // namespace

size_t TGPCanvas::TextLayoutCount() const { return FTextCache->LayoutCount(); }

TSquare TGPCanvas::StringBounds(const QString& text, const TFont& font, const TSquare& rect, TDgrHAlign hAlign,
                                TVertAlign vAlign, bool wrap, bool rightToLeft) {
  if (!IsFinite(rect)) return rect;
  const TGPTextBlock& block =
      FTextCache->Find(text, font.ToQFont(), MakeFormat(rect, hAlign, vAlign, wrap, rightToLeft));
  const QRectF bounds = block.Bounds.translated(rect.Left, rect.Top);
  return TSquare{bounds.left(), bounds.top(), bounds.right(), bounds.bottom()};
}

void TGPCanvas::DrawString(const QString& text, const TFont& font, const TSquare& rect, TDgrHAlign hAlign,
                           TVertAlign vAlign, bool wrap, bool rightToLeft, int transparency) {
  TGPGraphics* graphics = GPGraphics();
  if (!graphics || text.isEmpty() || !IsFinite(rect)) return;
  const QColor color = DgrColor(font.Color(), transparency);
  if (color.alpha() == 0) return;
  const TGPTextBlock& block =
      FTextCache->Find(text, font.ToQFont(), MakeFormat(rect, hAlign, vAlign, wrap, rightToLeft));
  graphics->Paint([&](QPainter& painter) {
    painter.setPen(color);
    block.Layout->draw(&painter, QPointF(rect.Left, rect.Top));
  });
}
