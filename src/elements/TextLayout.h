#pragma once
// Layout of a text cell's text on the raster canvas: paragraphs split at line breaks, each
// wrapped to the width of its rectangle, lines stacked by the font's line height and placed
// by the horizontal and vertical alignment. Everything is measured in canvas pixels.

#include "elements/ElementTypes.h"
#include "geometry/DiagramTypes.h"
#include "geometry/DiagramUtils.h"

#include <QString>
#include <QStringList>
#include <vector>

class TFont;

// What the layout needs to know about a font.
class ITextMeasurer {
public:
  virtual ~ITextMeasurer() = default;
  virtual double TextWidth(const QString& text) = 0;
  virtual double LineHeight() = 0;
};

// One text to draw into a rectangle (canvas pixels), turned by Angle degrees (clockwise on
// screen) about Center.
struct TCellText {
  QString Text;
  const TFont* Font = nullptr;
  TSquare Rect;
  TDot Center;
  double Angle = 0;
  bool WordWrap = true;
  TVertAlign VertAlign = vaTop;
  TAlignment Alignment = taCenter;
};

struct TCellTextLine {
  QString Text;
  TDot Origin;  // top-left corner before any turning
  double Width = 0;
};

struct TCellTextLayout {
  std::vector<TCellTextLine> Lines;
  // Leftmost X to rightmost X + width, top of the first line to bottom of the last; the
  // rectangle itself when there is no line.
  TSquare Bounds;
};

// Paragraphs of text: split at CR LF, LF and CR. An empty text has none.
QStringList SplitParagraphs(const QString& text);

// Breaks a paragraph into lines no wider than width: a line that is too wide is cut at its
// last space; a line without a space keeps the longest prefix that fits; a line whose first
// character does not fit stays whole. Pieces moved on are joined with single spaces.
QStringList WrapParagraph(const QString& paragraph, double width, ITextMeasurer& measurer);

// The lines of text placed in rect (no turning; callers turn the origins).
TCellTextLayout LayoutCellText(const QString& text, const TSquare& rect, TAlignment alignment,
                               TVertAlign vertAlign, bool wordWrap, ITextMeasurer& measurer);

// Escapement (tenths of a degree, counter-clockwise) of text turned by angle degrees
// clockwise: the negated angle taken into (0, 360].
int TextEscapement(double angle);

// Height of a font whose size is scaled by scale: the point size becomes Round(scale x
// size) at the given resolution. A size that rounds to 0 keeps a height of 1 pixel instead
// of falling back to the default size.
int ScaledFontHeight(const TFont& font, double scale, int pixelsPerInch);
// Whether that point size rounds to 0: a text in such a font has no glyphs to draw (it is
// still measured at the 1-pixel height).
bool ScaledFontVanishes(const TFont& font, double scale, int pixelsPerInch);
