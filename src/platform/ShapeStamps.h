#pragma once
// Stamps: the pixels of small shapes, worked out once and copied for every shape like them.
//
// Without smoothing, the raster engine gives a path the same pixels wherever a whole-pixel
// translation puts it, as long as the path stays clear of the device's edges (lines that
// cross an edge are cut before they are stepped). A diagram seen whole draws thousands of
// blocks a few pixels wide, most of them of a handful of shapes and sizes; a stamp lets the
// canvas copy their pixels instead of rasterizing each path again.
//
// A shape gets a stamp the second time it is asked for: shapes seen once (every turned block
// at its own angle, say) cost a lookup and no rasterizing to spare.

#include "geometry/DiagramTypes.h"

#include <QPainter>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

// Pixels of one scanline: Count pixels from (Left, Y).
struct TPixelRun {
  int Y = 0;
  int Left = 0;
  int Count = 0;
};

enum class TStampShape : std::uint8_t { EllipseFill, EllipseOutline, RoundRectFill, RoundRectOutline, PolygonFill };

// What fixes a shape's pixels up to a whole-pixel translation. Width and Height are the
// bounds the shape is drawn in; Corner the round rectangle's corner arguments; Points a
// polygon's vertices relative to the top-left of its bounds. The pen (one pixel, solid) and
// brush (solid) are implied by the shape kind.
struct TStampKey {
  TStampShape Shape = TStampShape::EllipseFill;
  int Width = 0;
  int Height = 0;
  TPoint Corner;
  TPointArray Points;

  bool operator==(const TStampKey& other) const;
};

struct TStampKeyHash {
  size_t operator()(const TStampKey& key) const;
};

class TShapeStamps {
public:
  // Shapes larger than this on a side are rasterized as usual: copying saves nothing there.
  static constexpr int MaxSide = 64;
  // Room around the shape in the image it is worked out on, and the distance the shape keeps
  // from the device's edges when a stamp is used.
  static constexpr int Margin = 4;
  // Keys kept before the cache starts afresh.
  static constexpr size_t MaxKeys = 8192;

  // Paints the shape in opaque white on the painter it is given, in the coordinates its
  // bounds are given in.
  using TPaint = std::function<void(QPainter&)>;

  // The runs of key's shape relative to the top-left of bounds, or nullptr when the shape
  // has no stamp (yet): too large, seen for the first time, or reaching beyond its margin.
  const std::vector<TPixelRun>* Find(const TStampKey& key, const TRect& bounds, const TPaint& paint);

  // How many shapes have their pixels kept.
  size_t StampCount() const;

  // The stamps of the calling thread.
  static TShapeStamps& ForThread();

private:
  struct TEntry {
    // Empty until the shape is seen a second time.
    std::unique_ptr<std::vector<TPixelRun>> Runs;
    bool Unstampable = false;
  };
  static std::unique_ptr<std::vector<TPixelRun>> Rasterize(const TRect& bounds, const TPaint& paint);

  std::unordered_map<TStampKey, TEntry, TStampKeyHash> FEntries;
};
