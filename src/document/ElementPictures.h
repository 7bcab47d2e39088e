#pragma once
// TElementPictures: what elements looked like in the last screen passes, kept as pixels so a
// pass can copy an unchanged element into the view instead of drawing it again.
//
// Drawing a small anti-aliased shape through the path engine costs several microseconds of
// set-up in the raster engine, whatever its size; a view of ten thousand elements repaints
// far faster by copying each element's pixels.
//
// An element's picture is drawn exactly where the element stands in the view, on a
// transparent scratch image of the view's size, with the view's transform: rounding in the
// elements' drawing (text above all) depends on the absolute position, so no shift would
// give the same pixels. Only the pixels it covered go to an atlas page. Copying a picture
// into the view then gives the pixels of drawing the element in place, up to the rounding of
// the blend (a level or so of a colour channel). An element that draws up to the edge of
// the area it was given (something may have been cut off), or whose area leaves the view,
// is drawn directly.
//
// Validity. The owner (the diagram) decides which elements may have pictures and passes,
// for each, the state its appearance follows (TElementPictureState). The view state
// (TPictureViewKey: zoom, scroll position, every diagram setting the elements read while
// they paint) is checked at each pass: any difference drops every picture. A view is
// pictured from its second pass on, so zooming or scrolling step by step (every pass a new
// view) costs no more than drawing. A view whose pictures overflow the memory budget is
// drawn directly until the view changes, rather than thrashing.
//
// Cells are packed in rows of like height on pages of 1024 x 1024 pixels. A picture that
// went stale keeps its cell until the budget is spent; then every picture is dropped and
// packing starts over.
#include "geometry/DiagramTypes.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <memory>
#include <unordered_map>
#include <vector>

class QPaintDevice;
class QPainter;
class TCanvas;

// Everything outside the element that decides how it draws in a screen pass.
struct TPictureViewKey {
  double Scale = 0;
  // The client origin in canvas pixels.
  TDot Origin;
  std::vector<quint64> Settings;
  bool operator==(const TPictureViewKey& other) const {
    return Scale == other.Scale && Origin.X == other.Origin.X && Origin.Y == other.Origin.Y &&
           Settings == other.Settings;
  }
};

// What an element's picture was drawn from.
struct TElementPictureState {
  quint64 Revision = 0;
  quint64 Anchoring = 0;
  bool Selected = false;
  bool operator==(const TElementPictureState&) const = default;
};

struct TElementPicture {
  TElementPictureState State;
  // Drawn directly in this view: too large, or it drew out to the edge of its area.
  bool Direct = false;
  int Page = 0;
  // Empty when the element drew nothing.
  QRect Cell;
  // Where the cell's top-left pixel goes in the view, and the part of the view the element
  // was given to draw on.
  QPoint ViewAt;
  QRect Area;
};

class TElementPictures {
public:
  static constexpr int PageSide = 1024;
  static constexpr int MaxPages = 16;
  // Elements given a larger drawing area are drawn directly: copying a large picture costs
  // more than it saves.
  static constexpr int MaxAreaSide = 256;
  // Width of the border of the drawing area that must stay empty.
  static constexpr int EdgeWidth = 3;

  TElementPictures();
  ~TElementPictures();
  TElementPictures(const TElementPictures&) = delete;
  TElementPictures& operator=(const TElementPictures&) = delete;

  bool Enabled() const { return FEnabled; }
  // Off: every pass draws every element (and the pictures are dropped).
  void SetEnabled(bool value);

  // Starts a screen pass on view. Answers whether it uses pictures: the view is unchanged
  // since the last pass and has not overflowed the budget.
  bool BeginPass(const TPictureViewKey& key, const QPaintDevice& view);
  // Ends the painter opened on the scratch image during the pass.
  void EndPass();
  // A transparent image with the resolution of the pass's view (text sizes follow it).
  QImage NewImage(const QSize& size) const;

  // The picture kept for element, or nullptr.
  const TElementPicture* Find(const void* element) const;
  void Forget(const void* element);
  void Clear();

  // Prepares the drawing of element's picture: area is the part of the view around it that
  // it may draw on. False: no picture (too large, then noted to be drawn directly, or not
  // inside the view).
  bool Reserve(const void* element, const TElementPictureState& state, const QRect& area);
  // The canvas to draw the element just reserved on, as in the view. Open until EndPass.
  TCanvas& ScratchCanvas();
  // After the element drew: keeps what it drew as its picture, unless it reached the edge of
  // the area (then it is noted to be drawn directly) or the pages are full (then every
  // picture is dropped). Answers whether the picture was kept.
  bool Finish(const void* element);
  // Copies picture into the view drawn by painter (no transform, full opacity).
  void Copy(QPainter& painter, const TElementPicture& picture) const;
  // The pixels of picture's cell.
  QImage CellPixels(const TElementPicture& picture) const;

  int PageCount() const { return static_cast<int>(FPages.size()); }
  size_t Count() const { return FPictures.size(); }
  // Of those, the elements noted to be drawn directly in this view.
  size_t DirectCount() const;

private:
  bool Place(const QSize& size, int& page, QRect& cell);
  void StartOver();

  bool FEnabled = true;
  std::vector<QImage> FPages;
  QImage FScratch;
  std::unique_ptr<TCanvas> FScratchCanvas;
  QSize FDotsPerMeter;
  std::unordered_map<const void*, TElementPicture> FPictures;
  TPictureViewKey FKey;
  bool FHaveKey = false;
  int FPassesAtKey = 0;
  bool FOverflowed = false;
  // Packing: each shelf height has a row being filled; new rows are taken from the page
  // being filled, below its last row.
  struct TShelf {
    int Page = 0;
    int Top = 0;
    int Height = 0;
    int Column = 0;
  };
  std::unordered_map<int, TShelf> FShelves;
  int FPage = 0;
  int FShelfTop = 0;
  // The reservation being drawn.
  const void* FDrawing = nullptr;
  TElementPictureState FDrawingState;
  QRect FReserved;
};
