#pragma once
// The diagram as its elements see it. The document library implements this interface
// (TvxDiagram); elements depend only on it, so the two libraries do not depend on each other.

#include "elements/ElementTypes.h"
#include "geometry/CanvasMapping.h"

#include <QString>
#include <optional>

class QObject;
class TFont;
class TDiagramLayers;
class TDiagramLayer;
class TTextCell;
class TCanvas;

class TCustomDiagram {
public:
  virtual ~TCustomDiagram() = default;

  // The diagram as a QObject (its name, owner and children).
  virtual QObject* AsObject() = 0;
  // Owner of the elements: the diagram's own owner (usually the designer window).
  virtual QObject* ChildOwner() const = 0;
  virtual bool IsDiagramLoading() const = 0;
  virtual bool IsDiagramDestroying() const = 0;

  // Element registry, called by elements when their Diagram changes.
  virtual void RegisterControl(TDiagramControl* control) = 0;
  virtual void UnregisterControl(TDiagramControl* control) = 0;
  virtual void RegisterBlock(TDiagramControl* block) = 0;
  virtual void UnregisterBlock(TDiagramControl* block) = 0;
  virtual void RegisterLine(TDiagramControl* line) = 0;
  virtual void UnregisterLine(TDiagramControl* line) = 0;

  // Change flow.
  virtual void Redraw() = 0;
  virtual void Modified() = 0;
  // The painted area of control (its bounds in client units) may have changed.
  virtual void ControlBoundsChanged(TDiagramControl* control) {}
  // Records kept by the elements for the diagram's writer are valid only while this
  // generation stays the same; StreamRecordsChanged starts a new one (an element was
  // renamed or left, layers changed: records that refer to them changed).
  virtual quint64 StreamRecordGeneration() const { return 0; }
  // control's paint mode changed (drag shapes are drawn for the elements in a cursor mode).
  virtual void ControlPaintModeChanged(TDiagramControl* control) {}
  virtual void StreamRecordsChanged() {}

  // Settings elements read.
  virtual TDiagramDesignMode DesignMode() const = 0;
  virtual bool LayerActive(int layer) const = 0;
  virtual TDiagramLayers* Layers() const = 0;
  virtual TFont* DiagramFont() const = 0;
  virtual bool DiagramShowHint() const = 0;
  virtual TDiagramHandlesStyle HandlesStyle() const = 0;
  virtual TDgrGraphicLib GraphicLib() const = 0;
  virtual TPaintStyle PaintStyle() const = 0;
  virtual bool ShowLinkPoints() const = 0;
  virtual bool AutomaticNodes() const = 0;
  virtual bool UsesSelectionBlock() const = 0;
  virtual TDot ClientToCanvas(const TDot& point) const = 0;
  // ClientToCanvas as a value, for converting many points; none when the diagram cannot give
  // one (every point then goes through ClientToCanvas).
  virtual std::optional<TCanvasMapping> CanvasMapping() const { return std::nullopt; }
  // Canvas pixels per client unit of the pass in progress.
  virtual double ZoomRatio() const = 0;
  // Extra scale of text sizes while a preview is painted (printer pixels per screen pixel).
  virtual double PreviewTextScale() const { return 1.0; }
  // Whether text reads from right to left.
  virtual bool IsRightToLeft() const { return false; }
  // Offers a link point marker at pos (canvas pixels) to the diagram's handler; true when
  // the handler drew it.
  virtual bool DrawLinkPointByHandler(TCanvas* canvas, TLinkPoint* linkPoint, const TPoint& pos) = 0;
  // Whether DrawLinkPointByHandler may draw anything at all.
  virtual bool HasLinkPointHandler() const { return true; }
  // The diagram's last word on anchoring link to anchor.
  virtual bool AcceptAnchor(TLinkPoint* link, TLinkPoint* anchor) = 0;
  // The cell edited in place changed its font or alignment: the editor follows.
  virtual void EditedCellChanged(TTextCell* cell) = 0;
  // Side lines keep their inner segments where they were when their ends move.
  virtual bool FixedSideLines() const = 0;
  // Side lines draw hops where they cross side lines painted before them.
  virtual bool ShowCrossIndicators() const = 0;
  // Inside an internal update lines do not re-route.
  virtual bool IsInternalUpdating() const = 0;

  // Selection: the element's flag changed; the diagram keeps its list and fires its events.
  virtual void ControlSelectionChanged(TDiagramControl* control, bool selected) = 0;
  // The selection wrapper follows the angle of its single element.
  virtual void RefreshSelectionBlockAngle() = 0;

  // A line was attached to / detached from a link point of control.
  virtual void NotifyLinkAdded(TDiagramControl* control, TDiagramControl* line, TLinkPoint* linkPoint) = 0;
  virtual void NotifyLinkRemoved(TDiagramControl* control, TDiagramControl* line, TLinkPoint* linkPoint) = 0;

  // In-place text editor.
  virtual TTextCell* EditingCell() const = 0;
  virtual void CloseEditor(bool update) = 0;
  virtual void EditControlText(TDiagramControl* control) = 0;

  // Paint order and view.
  virtual void BringToFront(TDiagramControl* control) = 0;
  virtual void SendToBack(TDiagramControl* control) = 0;
  virtual void MakeControlVisible(TDiagramControl* control) = 0;

  // Layers: a named layer goes away / something made elements invisible.
  virtual void LayerDestroying(TDiagramLayer* layer) = 0;
  virtual void UnselectInvisible() = 0;

  // Engine changes: every element whose drawer no longer matches recreates it.
  virtual int ControlCount() const = 0;
  virtual TDiagramControl* ControlAt(int index) const = 0;

  // --- What blocks need -------------------------------------------------------------
  virtual TDot CanvasToClient(const TDot& point) const = 0;
  // Inside a position update elements do not ask for redraws; the diagram redraws once at the end.
  virtual bool IsUpdatingPos() const { return false; }
  // Block painting hooks. DoDrawBlock / DoDrawShape answer whether the host painted the
  // block body / the shape itself (the block then skips its own); DoAfterDrawBlock runs
  // after the block and its text were painted.
  virtual bool DoDrawBlock(TDiagramControl* block, const TDiagramDrawInfo& info,
                           const TDiagramDrawBlockInfo& blockInfo) { return false; }
  virtual bool DoDrawShape(TDiagramControl* block, const TDiagramDrawInfo& info,
                           const TDiagramDrawBlockInfo& blockInfo) { return false; }
  virtual bool DoAfterDrawBlock(TDiagramControl* block, const TDiagramDrawInfo& info,
                                const TDiagramDrawBlockInfo& blockInfo) { return true; }
  // Whether the host supplies block outlines (then DoGetSurroundPts is asked on every query);
  // the host may replace the points (client units) the block computed.
  virtual bool HasSurroundPointsHook() const { return false; }
  virtual void DoGetSurroundPts(TDiagramControl* block, TPointArray& points) {}
};
