#pragma once
// Arrow heads at the ends of a line: their published settings and their figures.

#include "elements/LinesTypes.h"
#include "geometry/DiagramTypes.h"
#include "platform/Component.h"
#include "platform/Graphics.h"

#include <memory>

class TCanvas;
class TCustomDiagramLine;
class TDgrCanvas;

// The figure of an arrow head, in the coordinates of its tip and base.
struct TArrowFigure {
  enum TKind {
    afNone,       // nothing to draw
    afPolygon,    // closed and filled: Points are the corners
    afLines,      // open strokes: a polyline through Points
    afRectangle,  // filled box: Points[0] top-left, Points[1] bottom-right (exclusive)
    afEllipse,    // filled ellipse in the same box
  };
  TKind Kind = afNone;
  TDotArray Points;
};

// The head of the given shape whose tip is at tip on the segment from base, w across the
// line and h along it.
TArrowFigure ArrowFigure(TArrowShape shape, const TDot& tip, const TDot& base, double w, double h);

class TLineArrow : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(LineEnums::TArrowShape Shape READ Shape WRITE SetShape)
  Q_PROPERTY(int Width READ Width WRITE SetWidth)
  Q_PROPERTY(int Height READ Height WRITE SetHeight)
  Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
public:
  explicit TLineArrow(TCustomDiagramLine* line);
  ~TLineArrow() override;

  // Shape asNone, 10 by 10, a solid brush in the line's pen colour (black while the line
  // is not in a diagram).
  void RestoreDefaults();

  TArrowShape Shape() const { return FShape; }
  void SetShape(TArrowShape shape);
  // Breadth across the line, client units.
  int Width() const { return FWidth; }
  void SetWidth(int width);
  // Length along the line, client units.
  int Height() const { return FHeight; }
  void SetHeight(int height);
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(const TBrush* brush) { FBrush->Assign(brush); }
  TCustomDiagramLine* DiagramLine() const { return FDiagramLine; }

  // The segment the head was last drawn on; its tip is DrawTo.
  TDot DrawFrom() const { return FDrawFrom; }
  TDot DrawTo() const { return FDrawTo; }

  // Draws the head on the raster canvas: tip and base in canvas pixels, zoom the canvas
  // pixels per client unit (the width and height are converted with the line's diagram).
  // The canvas pen outlines, the arrow's brush fills; both are restored afterwards.
  virtual void Draw(TCanvas& canvas, const TDot& tip, const TDot& base, double zoom);
  // Draws the head on an engine canvas, tip and base in client units (the engine scales);
  // the canvas pen outlines, the arrow's brush fills at the given transparency.
  virtual void DrawOnEngine(TDgrCanvas& canvas, const TDot& tip, const TDot& base, int transparency);

  void Assign(const TPersistent* source) override;
  QObject* GetOwner() const override;

private:
  void Changed();

  TArrowShape FShape = asNone;
  int FHeight = 10;
  int FWidth = 10;
  std::unique_ptr<TBrush> FBrush;
  TCustomDiagramLine* FDiagramLine;
  TDot FDrawFrom;
  TDot FDrawTo;
};
