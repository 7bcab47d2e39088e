#pragma once
// Text layouts of the path engine, kept per canvas so that a text drawn again with the same
// string, font, box size and format is not laid out again.

#include "drawing/DgrTypes.h"
#include "geometry/DiagramUtils.h"

#include <QFont>
#include <QRectF>
#include <QString>
#include <QTextLayout>
#include <memory>
#include <vector>

struct TGPTextFormat {
  double Width = 0;
  double Height = 0;
  TDgrHAlign HAlign = dhaLeft;
  TVertAlign VAlign = vaTop;
  bool Wrap = false;
  bool RightToLeft = false;
  friend bool operator==(const TGPTextFormat&, const TGPTextFormat&) = default;
};

// A laid-out text: lines positioned relative to the top-left corner of the layout box.
struct TGPTextBlock {
  QString Text;
  QFont Font;
  TGPTextFormat Format;
  std::unique_ptr<QTextLayout> Layout;
  QRectF Bounds;
};

struct TGPTextCache {
  static constexpr size_t Capacity = 8;
  // The layout of text in font and format, made when not cached (most recent first).
  const TGPTextBlock& Find(const QString& text, const QFont& font, const TGPTextFormat& format);
  // How many layouts were made so far.
  size_t LayoutCount() const { return FLayoutCount; }

private:
  std::vector<TGPTextBlock> FBlocks;
  size_t FLayoutCount = 0;
};
