#pragma once
// The graphics context of the path engine: a drawing state of its own (world transform,
// page unit, clip, smoothing) over a QPainter that others may share.
//
// Coordinates: world units are mapped by the world transform, then by the page unit's
// scale, onto the painter's coordinates as they were when the context was made ("device"
// coordinates below; a clip given as a platform region is in these).
//
// Every drawing call applies the state for its own duration and puts back what it changed,
// so the painter's owner (the raster canvas of the same paint) finds the painter as it left
// it, and the context is unaffected by what the owner does in between. Without a clip that
// is a handful of settings put back one by one; a clip, or a call that may change anything
// (Paint), takes a full save and restore of the painter.

#include "drawing/DgrTypes.h"

#include <QBrush>
#include <QImage>
#include <QPainterPath>
#include <QPen>
#include <QRegion>
#include <QTransform>
#include <span>
#include <vector>

class QPainter;

// A fill of the path engine.
struct TGPNativeBrush {
  QBrush Brush = QBrush(Qt::NoBrush);
  // The pattern stays on the device pixel grid whatever the transform (hatches).
  bool DeviceAligned = false;
  bool Invisible() const { return Brush.style() == Qt::NoBrush; }
};

class TGPGraphics {
public:
  // painter must be active and outlive the context.
  explicit TGPGraphics(QPainter* painter);
  TGPGraphics(const TGPGraphics&) = delete;
  TGPGraphics& operator=(const TGPGraphics&) = delete;

  QPainter* Painter() const { return FPainter; }

  // --- Transform. Prepend: the new operation acts on coordinates before the existing
  // transform; append: after it.
  enum TMatrixOrder { moPrepend, moAppend };
  int TranslateTransform(double dx, double dy, TMatrixOrder order);
  int ScaleTransform(double sx, double sy, TMatrixOrder order);
  int RotateTransform(double angle, TMatrixOrder order);
  int ResetTransform();
  const QTransform& WorldTransform() const { return FState.World; }
  void SetWorldTransform(const QTransform& transform) { FState.World = transform; }
  TDgrPageUnit PageUnit() const { return FState.PageUnit; }
  void SetPageUnit(TDgrPageUnit unit) { FState.PageUnit = unit; }
  // World units to device coordinates.
  QTransform WorldToDevice() const;

  // --- Clip (each replaces the clip).
  void SetClipRect(const QRectF& worldRect);
  void SetClipPath(const QPainterPath& worldPath);
  void SetClipRegion(const QRegion& deviceRegion);
  void ResetClip();
  bool HasClip() const { return FState.ClipKind != TClipKind::None; }
  // The clip in device coordinates (empty path without clip).
  QPainterPath DeviceClip() const;

  // --- Quality.
  bool Smoothing() const { return FState.Smoothing; }
  void SetSmoothing(bool value) { FState.Smoothing = value; }
  bool TextAntialias() const { return FState.TextAntialias; }
  void SetTextAntialias(bool value) { FState.TextAntialias = value; }

  // --- Saved states: Save answers a token; Restore(token) returns to that state and drops
  // it and every state saved after it. Answers non-zero for an unknown token.
  unsigned Save();
  int Restore(unsigned token);

  // --- Drawing.
  void FillPath(const QPainterPath& path, const TGPNativeBrush& brush);
  void StrokePath(const QPainterPath& path, const QPen& pen);
  // The same pixels as stroking the two-point path, without building one.
  void StrokeLine(const QLineF& line, const QPen& pen);
  // Separate lines, the same as a StrokeLine call for each.
  void StrokeLines(std::span<const QLineF> lines, const QPen& pen);
  void DrawImage(const QRectF& target, const QImage& image, double opacity);
  // Runs paint with the painter set up for this context (transform, clip, quality).
  template <class F>
  void Paint(F&& paint) {
    TScope scope(*this, TScope::skFull);
    paint(*FPainter);
  }

private:
  enum class TClipKind { None, Rect, Path, Region };
  struct TState {
    QTransform World;
    TDgrPageUnit PageUnit = dpuPixel;
    TClipKind ClipKind = TClipKind::None;
    QRectF ClipRect;
    QPainterPath ClipPath;
    QRegion ClipRegion;
    bool Smoothing = true;
    bool TextAntialias = true;
  };

  // Applies the context to the painter for one drawing call and restores the painter after.
  // A light scope (no clip, and a call that changes nothing else of the painter) puts back
  // only the settings it changed; otherwise the painter's whole state is saved.
  class TScope {
  public:
    enum TKind { skLight, skFull };
    TScope(const TGPGraphics& graphics, TKind kind);
    ~TScope();
    TScope(const TScope&) = delete;
    TScope& operator=(const TScope&) = delete;

  private:
    void ApplyQuality(const TState& state);

    QPainter* FPainter;
    bool FFullSave;
    bool FTransformChanged = false;
    QTransform FOldTransform;
    int FOldHints = 0;
    bool FHintsChanged = false;
    double FOldOpacity = 1.0;
    int FOldComposition = 0;
  };

  double PageScale() const;

  QPainter* FPainter;
  QTransform FBase;
  double FDpi = 96;
  TState FState;
  std::vector<std::pair<unsigned, TState>> FSaved;
  unsigned FNextToken = 1;
};
