#pragma once
// TvxDiagram: the diagram document and the windowed control that shows it.
//
// It holds every element in paint order (index 0 is painted first), names them
// (DiagramBlock1, ...), tells listeners when elements arrive, leave, are selected or
// change, batches redraw requests between BeginUpdate and EndUpdate, and carries the
// diagram-wide settings that elements read. Elements are owned by the diagram's owner;
// they belong to the diagram through their Diagram property only.

#include "document/DiagramSettings.h"
#include "document/ElementPictures.h"
#include "document/SpatialIndex.h"
#include "drawing/DgrClasses.h"
#include "elements/CustomDiagram.h"
#include "elements/DiagramControl.h"
#include "elements/DiagramLayers.h"
#include "platform/Control.h"
#include "platform/Graphics.h"
#include "streaming/ComponentStream.h"

#include <QPointer>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

class TSelectionBlock;
class TGroupBlock;
class TDiagramUndoStack;
class TCanvas;
class QIODevice;

namespace DiagramEnums {
Q_NAMESPACE
enum TDiagramMeasUnit { duMili, duCenti, duInch };
Q_ENUM_NS(TDiagramMeasUnit)
enum TMouseWheelMode { mwOff, mwHorizontal, mwVertical };
Q_ENUM_NS(TMouseWheelMode)
enum TDiagramSelectionMode { slmMultiple, slmGroup };
Q_ENUM_NS(TDiagramSelectionMode)
enum TDiagramKeyAction { kaEscape = 1 << 0, kaMove = 1 << 1, kaPage = 1 << 2, kaResize = 1 << 3, kaSelect = 1 << 4 };
Q_DECLARE_FLAGS(TDiagramKeyActions, TDiagramKeyAction)
Q_FLAG_NS(TDiagramKeyActions)
enum TDiagramDragStyle { dsOutline, dsShape };
Q_ENUM_NS(TDiagramDragStyle)
enum TMouseState {
  msBrowsing, msSelecting, msInserting, msToInsert, msMoving, msLink, msResizing, msToDraw,
  msDrawing, msToPan, msPanning, msClickingNode, msToZoom, msZooming
};
Q_ENUM_NS(TMouseState)
enum TDiagramEventType { etSelectionChanging, etSelectionChanged, etControlSelected, etControlUnselected };
Q_ENUM_NS(TDiagramEventType)
enum TDgrEvent { deLibraryChanged };
Q_ENUM_NS(TDgrEvent)
enum TDiagramControlFilter { cfAll, cfIgnoreMembers, cfIgnoreGroups, cfIgnoreAsMembers };
Q_ENUM_NS(TDiagramControlFilter)
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
Q_ENUM_NS(TAlign)
enum TControlSearchMode { csmAll, csmIgnoreLines };
Q_ENUM_NS(TControlSearchMode)
}  // namespace DiagramEnums

Q_DECLARE_OPERATORS_FOR_FLAGS(DiagramEnums::TDiagramKeyActions)
using DiagramEnums::TDiagramMeasUnit;
using enum DiagramEnums::TDiagramMeasUnit;
using DiagramEnums::TMouseWheelMode;
using enum DiagramEnums::TMouseWheelMode;
using DiagramEnums::TDiagramSelectionMode;
using enum DiagramEnums::TDiagramSelectionMode;
using DiagramEnums::TDiagramKeyAction;
using DiagramEnums::TDiagramKeyActions;
using enum DiagramEnums::TDiagramKeyAction;
using DiagramEnums::TDiagramDragStyle;
using enum DiagramEnums::TDiagramDragStyle;
using DiagramEnums::TMouseState;
using enum DiagramEnums::TMouseState;
using DiagramEnums::TDiagramEventType;
using enum DiagramEnums::TDiagramEventType;
using DiagramEnums::TDgrEvent;
using enum DiagramEnums::TDgrEvent;
using DiagramEnums::TDiagramControlFilter;
using enum DiagramEnums::TDiagramControlFilter;
using DiagramEnums::TAlign;
using enum DiagramEnums::TAlign;
using DiagramEnums::TControlSearchMode;
using enum DiagramEnums::TControlSearchMode;

struct TDgrNotificationInfo {
  TDgrEvent Event = deLibraryChanged;
};

// Windows that rebuild themselves when the library of element kinds changes.
class IDiagramSubscriber {
public:
  virtual ~IDiagramSubscriber() = default;
  virtual void DgrNotification(const TDgrNotificationInfo& info) = 0;
};

class TvxDiagram;
using TDiagramNotifyEvent = std::function<void(TvxDiagram* sender)>;
using TDControlEvent = std::function<void(TvxDiagram* sender, TDiagramControl* control)>;
using TDiagramLinkEvent =
    std::function<void(TvxDiagram* sender, TDiagramControl* control, TDiagramControl* link, TLinkPoint* linkPoint)>;
using TDiagramDrawBlockEvent = std::function<void(TvxDiagram* sender, TDiagramControl* block,
                                                  const TDiagramDrawInfo& info,
                                                  const TDiagramDrawBlockInfo& blockInfo, bool& painted)>;
using TGetSurroundPtsEvent = std::function<void(TvxDiagram* sender, TDiagramControl* block, TPointArray& points)>;
using TDControlMouseEvent = std::function<void(TvxDiagram* sender, TDiagramControl* control, TMouseButton button,
                                               TShiftState shift, int x, int y)>;
using TDControlMouseMoveEvent =
    std::function<void(TvxDiagram* sender, TDiagramControl* control, TShiftState shift, int x, int y)>;
using TAcceptAnchorEvent =
    std::function<void(TvxDiagram* sender, TLinkPoint* link, TLinkPoint* anchor, bool& accept)>;
using TAcceptLinkEvent = std::function<void(TvxDiagram* sender, TDiagramControl* link, TLinkPoint* anchor1,
                                            TLinkPoint* anchor2, bool& accept)>;
using TDiagramMovingEvent = std::function<void(TvxDiagram* sender, int x, int y)>;
using TDiagramPaintEvent = std::function<void(TvxDiagram* sender, TCanvas* canvas)>;
using TDrawLinkPointEvent = std::function<void(TvxDiagram* sender, TCanvas* canvas, TLinkPoint* linkPoint,
                                               TPoint point, bool& drawingDone)>;
using TCloseEditorEvent = std::function<void(TvxDiagram* sender, TTextCell* cell, bool update)>;
using TBeforeCreateControlEvent =
    std::function<void(TvxDiagram* sender, const QString& controlId, QString& componentBaseName)>;
using TDiagramDesignEvent = std::function<void(TvxDiagram* sender, TDiagramEventType type, int info)>;

class TvxDiagram : public TDgrCustomControl, public TCustomDiagram, public IChildStreamPolicy {
  Q_OBJECT
  // Diagram settings, in stream order.
  Q_PROPERTY(bool PaintLinesFirst READ PaintLinesFirst WRITE SetPaintLinesFirst)
  Q_PROPERTY(int NettoExportOffset READ NettoExportOffset WRITE SetNettoExportOffset)
  Q_PROPERTY(bool AutomaticNodes READ AutomaticNodes WRITE SetAutomaticNodes)
  Q_PROPERTY(bool AutoScroll READ AutoScroll WRITE SetAutoScroll)
  Q_PROPERTY(bool AutoPage READ AutoPage WRITE SetAutoPage)
  Q_PROPERTY(TDiagramBackground* Background READ Background WRITE SetBackground)
  Q_PROPERTY(TSnapGrid* SnapGrid READ SnapGrid WRITE SetSnapGrid)
  Q_PROPERTY(bool ShowLinkPoints READ ShowLinkPoints WRITE SetShowLinkPoints)
  Q_PROPERTY(TDiagramRuler* LeftRuler READ LeftRuler WRITE SetLeftRuler)
  Q_PROPERTY(TDiagramRuler* TopRuler READ TopRuler WRITE SetTopRuler)
  Q_PROPERTY(int Zoom READ Zoom WRITE SetZoom)
  Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)
  Q_PROPERTY(TDiagramScrollBar* VertScrollBar READ VertScrollBar WRITE SetVertScrollBar)
  Q_PROPERTY(TDiagramScrollBar* HorzScrollBar READ HorzScrollBar WRITE SetHorzScrollBar)
  Q_PROPERTY(DiagramEnums::TMouseWheelMode MouseWheelMode READ MouseWheelMode WRITE SetMouseWheelMode)
  Q_PROPERTY(qint64 ActiveLayers READ ActiveLayers WRITE SetActiveLayers)
  Q_PROPERTY(TDiagramLayers* Layers READ Layers WRITE SetLayers)
  Q_PROPERTY(TCursor LinkCursor READ LinkCursor WRITE SetLinkCursor)
  Q_PROPERTY(TCursor PanCursor READ PanCursor WRITE SetPanCursor)
  Q_PROPERTY(TCursor ZoomCursor READ ZoomCursor WRITE SetZoomCursor)
  Q_PROPERTY(bool IgnoreScreenDPI READ IgnoreScreenDPI WRITE SetIgnoreScreenDPI)
  Q_PROPERTY(bool ShowCrossIndicators READ ShowCrossIndicators WRITE SetShowCrossIndicators)
  Q_PROPERTY(TPageLines* PageLines READ PageLines WRITE SetPageLines)
  Q_PROPERTY(DiagramEnums::TDiagramKeyActions KeyActions READ KeyActions WRITE SetKeyActions)
  Q_PROPERTY(ElementEnums::TDiagramHandlesStyle HandlesStyle READ HandlesStyle WRITE SetHandlesStyle)
  Q_PROPERTY(DrawingEnums::TDgrSmoothMode SmoothMode READ SmoothMode WRITE SetSmoothMode)
  Q_PROPERTY(DrawingEnums::TDgrTextRenderingMode TextRenderingMode READ TextRenderingMode WRITE SetTextRenderingMode)
  Q_PROPERTY(DiagramEnums::TDiagramSelectionMode SelectionMode READ SelectionMode WRITE SetSelectionMode)
  Q_PROPERTY(bool CanMoveOutOfBounds READ CanMoveOutOfBounds WRITE SetCanMoveOutOfBounds)
  Q_PROPERTY(TDiagramPageSettings* PageSettings READ PageSettings WRITE SetPageSettings)
  Q_PROPERTY(bool RulerAutoUnit READ RulerAutoUnit WRITE SetRulerAutoUnit)
  Q_PROPERTY(DiagramEnums::TDiagramMeasUnit MeasUnit READ MeasUnit WRITE SetMeasUnit)
  Q_PROPERTY(bool WheelZoom READ WheelZoom WRITE SetWheelZoom)
  Q_PROPERTY(int WheelZoomIncrement READ WheelZoomIncrement WRITE SetWheelZoomIncrement)
  Q_PROPERTY(int WheelZoomMin READ WheelZoomMin WRITE SetWheelZoomMin)
  Q_PROPERTY(int WheelZoomMax READ WheelZoomMax WRITE SetWheelZoomMax)
  DGR_DEFAULT(PaintLinesFirst, false)
  // Sub-objects that start unlike their type's declared defaults: the page lines' pen is
  // dotted, so a solid one (the pen type's default) must still be written.
  DGR_DEFAULT(PageLines.Pen.Style, psDot)
  // Window properties. The stored ones travel with saved diagrams; the others are written
  // only while the diagram is hosted by a form designer.
  Q_PROPERTY(DiagramEnums::TAlign Align READ Align WRITE SetAlign)
  Q_PROPERTY(int Left READ Left WRITE SetLeft)
  Q_PROPERTY(int Top READ Top WRITE SetTop)
  Q_PROPERTY(int Width READ Width WRITE SetWidth)
  Q_PROPERTY(int Height READ Height WRITE SetHeight)
  Q_PROPERTY(ControlTypes::TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
  Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(bool Ctl3D READ Ctl3D WRITE SetCtl3D)
  Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
  Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
  Q_PROPERTY(bool ParentCtl3D READ ParentCtl3D WRITE SetParentCtl3D)
  Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
  Q_PROPERTY(bool ParentShowHint READ ParentShowHint WRITE SetParentShowHint)
  Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
  Q_PROPERTY(int TabOrder READ TabOrder WRITE SetTabOrder)
  Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  DGR_STORED(Align, IsDesigning)
  DGR_STORED(Left, IsDesigning)
  DGR_STORED(Top, IsDesigning)
  DGR_STORED(Width, IsDesigning)
  DGR_STORED(Height, IsDesigning)
  DGR_STORED(Enabled, IsDesigning)
  DGR_STORED(ParentShowHint, IsDesigning)
  DGR_STORED(TabOrder, IsDesigning)
  DGR_STORED(TabStop, IsDesigning)
  DGR_STORED(Visible, IsDesigning)
  DGR_STORED(Font, IsFontStored)
  DGR_STORED(Color, IsColorStored)
  DGR_STORED(ShowHint, IsShowHintStored)
  DGR_DEFAULT(Align, alNone)
  DGR_DEFAULT(BorderStyle, bsSingle)
  DGR_DEFAULT(Enabled, true)
  DGR_DEFAULT(Ctl3D, false)
  DGR_DEFAULT(ParentColor, false)
  DGR_DEFAULT(ParentCtl3D, false)
  DGR_DEFAULT(ParentFont, false)
  DGR_DEFAULT(ParentShowHint, true)
  DGR_DEFAULT(TabOrder, -1)
  DGR_DEFAULT(TabStop, false)
  DGR_DEFAULT(Visible, true)

public:
  explicit TvxDiagram(QWidget* parent = nullptr);
  ~TvxDiagram() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // --- Element lists --------------------------------------------------------------------
  int DControlCount() const { return static_cast<int>(FDControls.size()); }
  int BlockCount() const { return static_cast<int>(FBlocks.size()); }
  int LinkCount() const { return static_cast<int>(FLinks.size()); }
  // Indexed access raises EListError for an index out of range.
  TDiagramControl* DControls(int index) const { return At(FDControls, index); }
  TDiagramControl* Blocks(int index) const { return At(FBlocks, index); }
  TDiagramControl* Links(int index) const { return At(FLinks, index); }
  TDiagramControl* Selecteds(int index) const { return At(FSelecteds, index); }
  int SelectedCount(TDiagramControlFilter filter = cfAll) const;
  int SelectedBlockCount(TDiagramControlFilter filter = cfAll) const;
  int SelectedLinkCount() const;
  int IndexOfDControl(const TDiagramControl* control) const;

  TDiagramControl* FindDControl(const QString& name) const;
  TDiagramControl* FindBlock(const QString& name) const;
  TDiagramControl* LinkBetweenBlocks(TDiagramControl* block1, TDiagramControl* block2) const;
  bool AreBlocksLinked(TDiagramControl* block1, TDiagramControl* block2) const {
    return LinkBetweenBlocks(block1, block2) != nullptr;
  }
  // --- Coordinates, zoom and scrolling -------------------------------------------------
  // Conversions between client units (element geometry) and canvas pixels for the
  // current paint style; integer forms round half-even, rectangles convert both corners.
  TPoint ClientToCanvas(const TPoint& point) const;
  TSquare ClientToCanvas(const TSquare& rect) const;
  TRect ClientToCanvas(const TRect& rect) const;
  TPoint CanvasToClient(const TPoint& point) const;
  TSquare CanvasToClient(const TSquare& rect) const;
  void ZoomIn(const TSquare& rect);
  void ZoomOut(const TSquare& rect);
  void ZoomMoveToFit(int margin);
  int DiagramWidth() const;
  int DiagramHeight() const;
  // Pushes the selection back into non-negative coordinates unless CanMoveOutOfBounds.
  void KeepInBounds();
  void UpdateScrollBars();
  int LeftRulerWidth() const { return FLeftRuler->VisibleSize(); }
  int TopRulerHeight() const { return FTopRuler->VisibleSize(); }
  int ViewWidth() const { return ClientWidth() - LeftRulerWidth(); }
  int ViewHeight() const { return ClientHeight() - TopRulerHeight(); }
  // Width (horizontal) or height (vertical) of the area a bar scrolls.
  int ScrollControlSize(TScrollBarKind kind) const;
  // Largest position of a bar (0 when the bar is hidden or the view covers the range).
  int ScrollCalcRange(TScrollBarKind kind) const;
  void SetPaintStyle(TPaintStyle style) { FPaintStyle = style; }
  TDot PreviewOffset() const { return FPreviewOffset; }
  void SetPreviewOffset(const TDot& offset) { FPreviewOffset = offset; }
  void SetPreviewZoom(double zoom) { FPreviewZoom = zoom; }
  void SetPrintConv(double x, double y) { FPrintConvX = static_cast<float>(x); FPrintConvY = static_cast<float>(y); }
  void SetAdjustRatio(double x, double y) { FAdjustRatioX = x; FAdjustRatioY = y; }

  // --- Painting -------------------------------------------------------------------------
  // One pass onto canvas with the given style and offset; the style is psScreen again
  // afterwards, also when drawing fails. area: the device rectangle painted (empty: the
  // canvas's whole device).
  void PaintTo(TCanvas* canvas, TPaintStyle style, const TDot& offset, const TRect& area = {});
  // The area of the running pass and the part of it elements must touch to be drawn.
  TRect PaintRect() const;
  TSquare VisibleArea() const;
  // A picture of the screen taken when a drag starts; passes blit it while it is in use.
  void BuildCache();
  void DropCache() { FUseCache = false; }
  bool UsingCache() const { return FUseCache; }
  // Elements actually drawn by the last pass (culling diagnostics).
  int LastPaintedCount() const { return FLastPaintedCount; }
  // Where the elements are (client units), in paint order; the paint pass culls with it.
  TSpatialIndex& SpatialIndex() { return FSpatialIndex; }
  // Pixels of elements kept from earlier screen passes of the path engine.
  TElementPictures& ElementPictures() { return FPictures; }
  void ControlBoundsChanged(TDiagramControl* control) override { FSpatialIndex.BoundsChanged(control); }
  quint64 StreamRecordGeneration() const override { return FStreamRecordGeneration; }
  void StreamRecordsChanged() override { ++FStreamRecordGeneration; }
  void ControlPaintModeChanged(TDiagramControl* control) override;

  // --- Units ----------------------------------------------------------------------------
  int ScreenPixelsPerInch() const;
  double ClientToInches(double x) const { return x / ScreenPixelsPerInch(); }
  double ClientToMilimeters(double x) const { return ClientToInches(x) * 25.4; }
  double InchesToClient(double x) const { return ScreenPixelsPerInch() * x; }
  double MilimetersToClient(double x) const { return InchesToClient(x / 25.4); }
  double MMToMeasUnit(double mm) const;
  double MeasUnitToMM(double value) const;
  QString UnitSymbol() const;

  // The topmost visible element at a client position (its surrounding rectangle widened by
  // 5 units, then its own hit test), skipping what the mode and filter exclude.
  TDiagramControl* DControlAtPos(const TDot& pos, TControlSearchMode mode, TDiagramControlFilter filter) const;
  TDot CanvasToClient(const TDot& point) const;
  // The registered class named by ConnectionLineId when it is a line class, else nullptr.
  const QMetaObject* ConnectionLineClass() const;

  // --- Creation ---------------------------------------------------------------------------
  // The base name followed by the first free counter: DiagramBlock1, DiagramBlock2, ...
  QString FindCompName(const QObject* component, const QString& baseName) const;
  // A new element of a registered class, named, not yet in the diagram; nullptr for nullptr.
  TDiagramControl* CreateControl(const QMetaObject* elementClass, const QString& controlId);
  // An element made from the stored text of a library item: its first element, or the
  // outermost group of it, with that group's members. Nameless and in no diagram; nullptr
  // for data without elements. The other elements of the data are freed.
  TDiagramControl* CreateControlFromData(const QString& data, const QString& controlId);

  // --- Update batching and notification ---------------------------------------------------
  void BeginUpdate();
  // Returns -1, or with optimize the number of redraw requests collected (0: none, no repaint).
  int EndUpdate(bool optimize = false);
  int UpdateCount() const { return FUpdateCount; }
  void BeginInternalUpdate() { ++FInternalUpdating; }
  // The extent is recalculated once when the outermost internal update ends, if anything
  // asked for it meanwhile (loading, undo and redo run inside one).
  void EndInternalUpdate();
  bool IsInternalUpdating() const { return FInternalUpdating > 0; }
  void BeginUpdatePos() { ++FUpdatingPos; }
  void EndUpdatePos();
  void Clear();
  void ClearDControls();
  // Copies another diagram's published settings through a binary stream (elements are
  // not copied at run time). Anything else raises EConvertError. Both names survive.
  void Assign(const QObject* source);
  void AddSubscriber(IDiagramSubscriber* subscriber);
  void RefreshToolbars();
  // Extent and scroll ranges follow the content (the coordinates code fills this in).
  virtual void RecalcExtent();

  // --- Layers -----------------------------------------------------------------------------
  qint64 ActiveLayers() const { return FActiveLayers; }
  void SetActiveLayers(qint64 value);
  // Layers outside 0..63 are refused: ActivateLayer/DeactivateLayer ignore them and
  // LayerActive answers false for them (layer 0 is always active).
  void ActivateLayer(int layer);
  void DeactivateLayer(int layer);
  void DeleteLayerControls(TDiagramLayer* layer);

  // --- TCustomDiagram ---------------------------------------------------------------------
  QObject* AsObject() override { return this; }
  QObject* ChildOwner() const override { return Owner(); }
  bool IsDiagramLoading() const override { return IsLoading(); }
  bool IsDiagramDestroying() const override { return IsDestroying(); }
  void RegisterControl(TDiagramControl* control) override;
  void UnregisterControl(TDiagramControl* control) override;
  void RegisterBlock(TDiagramControl* block) override;
  void UnregisterBlock(TDiagramControl* block) override;
  void RegisterLine(TDiagramControl* line) override;
  void UnregisterLine(TDiagramControl* line) override;
  void Redraw() override;
  void Modified() override;
  TDiagramDesignMode DesignMode() const override { return FDesignMode; }
  bool LayerActive(int layer) const override;
  TDiagramLayers* Layers() const override { return FLayers.get(); }
  TFont* DiagramFont() const override { return FFont.get(); }
  bool DiagramShowHint() const override { return ShowHint(); }
  TDiagramHandlesStyle HandlesStyle() const override { return FHandlesStyle; }
  TDgrGraphicLib GraphicLib() const override { return FGraphicLib; }
  TPaintStyle PaintStyle() const override { return FPaintStyle; }
  bool ShowLinkPoints() const override { return FShowLinkPoints; }
  bool AutomaticNodes() const override { return FAutomaticNodes; }
  bool UsesSelectionBlock() const override;
  TDot ClientToCanvas(const TDot& point) const override;
  std::optional<TCanvasMapping> CanvasMapping() const override { return CurrentCanvasMapping(); }
  // ClientToCanvas of the paint style in force, as a value.
  TCanvasMapping CurrentCanvasMapping() const;
  void ControlSelectionChanged(TDiagramControl* control, bool selected) override;
  void RefreshSelectionBlockAngle() override;
  void NotifyLinkAdded(TDiagramControl* control, TDiagramControl* line, TLinkPoint* linkPoint) override;
  void NotifyLinkRemoved(TDiagramControl* control, TDiagramControl* line, TLinkPoint* linkPoint) override;
  TTextCell* EditingCell() const override { return nullptr; }
  void CloseEditor(bool update) override {}
  void EditControlText(TDiagramControl* control) override {}
  void BringToFront(TDiagramControl* control) override;
  void SendToBack(TDiagramControl* control) override;
  void MakeControlVisible(TDiagramControl* control) override;
  void LayerDestroying(TDiagramLayer* layer) override;
  void UnselectInvisible() override;
  int ControlCount() const override { return DControlCount(); }
  TDiagramControl* ControlAt(int index) const override { return DControls(index); }
  bool IsUpdatingPos() const override { return FUpdatingPos > 0; }
  bool DoDrawBlock(TDiagramControl* block, const TDiagramDrawInfo& info,
                   const TDiagramDrawBlockInfo& blockInfo) override;
  bool DoDrawShape(TDiagramControl* block, const TDiagramDrawInfo& info,
                   const TDiagramDrawBlockInfo& blockInfo) override;
  bool DoAfterDrawBlock(TDiagramControl* block, const TDiagramDrawInfo& info,
                        const TDiagramDrawBlockInfo& blockInfo) override;
  bool HasSurroundPointsHook() const override { return static_cast<bool>(OnGetSurroundPts); }
  void DoGetSurroundPts(TDiagramControl* block, TPointArray& points) override;
  bool HasLinkPointHandler() const override { return static_cast<bool>(OnDrawLinkPoint); }
  bool DrawLinkPointByHandler(TCanvas* canvas, TLinkPoint* linkPoint, const TPoint& pos) override {
    bool drawingDone = false;
    if (OnDrawLinkPoint) OnDrawLinkPoint(this, canvas, linkPoint, pos, drawingDone);
    return drawingDone;
  }
  bool AcceptAnchor(TLinkPoint* link, TLinkPoint* anchor) override {
    bool accept = true;
    if (OnAcceptAnchor) OnAcceptAnchor(this, link, anchor, accept);
    return accept;
  }
  void EditedCellChanged(TTextCell* cell) override {}
  double PreviewTextScale() const override { return FPrintConvY; }

  // --- Selection brackets -------------------------------------------------------------
  void BeginUpdateSel();
  void EndUpdateSel();

  // --- Selection, groups and paint order ----------------------------------------------
  void SelectAll();
  void UnselectAll();
  // Called by an element's Selected setter: lists it (or drops it) and announces it.
  void ControlSelected(TDiagramControl* control);
  void ControlUnselected(TDiagramControl* control);
  // Sets the flag of the element and, for a group, of all its members at any depth.
  void SelectDeep(TDiagramControl* control, bool selected);
  // A new empty group in this diagram (CustomGroupBlockClass or TGroupBlock).
  TGroupBlock* AddGroup();
  // Groups the selected elements that are not members; nullptr (and no group left) when
  // fewer than two would join.
  TGroupBlock* GroupSelectedBlocks();
  void UngroupSelectedBlocks();
  // The selected elements not selected as members, brought to front or sent to back.
  void BringToFront();
  void SendToBack();
  void MoveControlIndex(TDiagramControl* control, int newIndex);
  // Frees the selected elements whose restrictions contain none of mask and whose layer
  // is editable, then pushes the "delete" undo step.
  void DeleteControls(TControlRestrictions mask);

  // --- Published settings -------------------------------------------------------------
  bool PaintLinesFirst() const { return FPaintLinesFirst; }
  void SetPaintLinesFirst(bool value) { FPaintLinesFirst = value; }
  int NettoExportOffset() const { return FNettoExportOffset; }
  void SetNettoExportOffset(int value) { FNettoExportOffset = value; }
  void SetAutomaticNodes(bool value) { SetAndRedraw(FAutomaticNodes, value); }
  bool AutoScroll() const { return FAutoScroll; }
  void SetAutoScroll(bool value);
  bool AutoPage() const { return FAutoPage; }
  void SetAutoPage(bool value);
  TDiagramBackground* Background() const { return FBackground.get(); }
  void SetBackground(const TDiagramBackground* value);
  TSnapGrid* SnapGrid() const { return FSnapGrid.get(); }
  void SetSnapGrid(const TSnapGrid* value) { FSnapGrid->Assign(value); }
  void SetShowLinkPoints(bool value) { SetAndRedraw(FShowLinkPoints, value); }
  TDiagramRuler* LeftRuler() const { return FLeftRuler.get(); }
  void SetLeftRuler(const TDiagramRuler* value) { FLeftRuler->Assign(value); }
  TDiagramRuler* TopRuler() const { return FTopRuler.get(); }
  void SetTopRuler(const TDiagramRuler* value) { FTopRuler->Assign(value); }
  int Zoom() const;
  void SetZoom(int value);
  double ZoomRatio() const { return FPaintStyle == psPreview || FPaintStyle == psPrint ? FPreviewZoom : FZoomRatio; }
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor value);
  TDiagramScrollBar* VertScrollBar() const { return FVertScrollBar.get(); }
  void SetVertScrollBar(const TDiagramScrollBar* value) { FVertScrollBar->Assign(value); }
  TDiagramScrollBar* HorzScrollBar() const { return FHorzScrollBar.get(); }
  void SetHorzScrollBar(const TDiagramScrollBar* value) { FHorzScrollBar->Assign(value); }
  TMouseWheelMode MouseWheelMode() const { return FMouseWheelMode; }
  void SetMouseWheelMode(TMouseWheelMode value) { FMouseWheelMode = value; }
  void SetLayers(const TDiagramLayers* value) { FLayers->Assign(value); }
  TCursor LinkCursor() const { return FLinkCursor; }
  void SetLinkCursor(TCursor value) { FLinkCursor = value; }
  TCursor PanCursor() const { return FPanCursor; }
  void SetPanCursor(TCursor value) { FPanCursor = value; }
  TCursor ZoomCursor() const { return FZoomCursor; }
  void SetZoomCursor(TCursor value) { FZoomCursor = value; }
  bool IgnoreScreenDPI() const { return FIgnoreScreenDPI; }
  void SetIgnoreScreenDPI(bool value) { FIgnoreScreenDPI = value; }
  bool ShowCrossIndicators() const { return FShowCrossIndicators; }
  void SetShowCrossIndicators(bool value) { SetAndRedraw(FShowCrossIndicators, value); }
  TPageLines* PageLines() const { return FPageLines.get(); }
  void SetPageLines(const TPageLines* value) { FPageLines->Assign(value); }
  TDiagramKeyActions KeyActions() const { return FKeyActions; }
  void SetKeyActions(TDiagramKeyActions value) { FKeyActions = value; }
  void SetHandlesStyle(TDiagramHandlesStyle value);
  TDgrSmoothMode SmoothMode() const { return FSmoothMode; }
  void SetSmoothMode(TDgrSmoothMode value) { SetAndRedraw(FSmoothMode, value); }
  TDgrTextRenderingMode TextRenderingMode() const { return FTextRenderingMode; }
  void SetTextRenderingMode(TDgrTextRenderingMode value) { SetAndRedraw(FTextRenderingMode, value); }
  TDiagramSelectionMode SelectionMode() const { return FSelectionMode; }
  void SetSelectionMode(TDiagramSelectionMode value) { SetAndRedraw(FSelectionMode, value); }
  bool CanMoveOutOfBounds() const { return FCanMoveOutOfBounds; }
  void SetCanMoveOutOfBounds(bool value) { FCanMoveOutOfBounds = value; }
  TDiagramPageSettings* PageSettings() const { return FPageSettings.get(); }
  void SetPageSettings(const TDiagramPageSettings* value) { FPageSettings->Assign(value); }
  bool RulerAutoUnit() const { return FRulerAutoUnit; }
  void SetRulerAutoUnit(bool value) { SetAndRedraw(FRulerAutoUnit, value); }
  TDiagramMeasUnit MeasUnit() const { return FMeasUnit; }
  void SetMeasUnit(TDiagramMeasUnit value) { SetAndRedraw(FMeasUnit, value); }
  bool WheelZoom() const { return FWheelZoom; }
  void SetWheelZoom(bool value) { FWheelZoom = value; }
  int WheelZoomIncrement() const { return FWheelZoomIncrement; }
  void SetWheelZoomIncrement(int value) { FWheelZoomIncrement = value; }
  int WheelZoomMin() const { return FWheelZoomMin; }
  void SetWheelZoomMin(int value) { FWheelZoomMin = value; }
  int WheelZoomMax() const { return FWheelZoomMax; }
  void SetWheelZoomMax(int value) { FWheelZoomMax = value; }

  // --- Window properties ----------------------------------------------------------------
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign value) { FAlign = value; }
  int Left() const { return x(); }
  void SetLeft(int value) { move(value, y()); }
  int Top() const { return y(); }
  void SetTop(int value) { move(x(), value); }
  int Width() const { return width(); }
  void SetWidth(int value) { resize(value, height()); }
  int Height() const { return height(); }
  void SetHeight(int value) { resize(width(), value); }
  bool Enabled() const { return isEnabled(); }
  void SetEnabled(bool value) { setEnabled(value); }
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(const TFont* font) { FFont->Assign(font); }
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool value) { FParentColor = value; }
  bool ParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(bool value) { FParentCtl3D = value; }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool value) { FParentFont = value; }
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool value) { FParentShowHint = value; }
  void SetShowHint(bool value);
  int TabOrder() const { return FTabOrder; }
  void SetTabOrder(int value) { FTabOrder = value; }
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool value) { FTabStop = value; }
  bool Visible() const { return isVisibleTo(parentWidget()) || (!parentWidget() && !isHidden()); }
  void SetVisible(bool value) { setVisible(value); }
  Q_INVOKABLE bool IsDesigning() const { return ComponentState().testFlag(csDesigning); }
  Q_INVOKABLE bool IsFontStored() const { return !FParentFont; }
  Q_INVOKABLE bool IsColorStored() const { return !FParentColor; }
  Q_INVOKABLE bool IsShowHintStored() const { return !FParentShowHint; }

  // --- Public, not stored -----------------------------------------------------------------
  QString ClipboardNamePrefix() const { return FClipPrefix; }
  void SetClipboardNamePrefix(const QString& prefix) { FClipPrefix = prefix; }
  TMouseState MouseState() const { return FMouseState; }
  TColor ExportBackgroundColor() const { return FExportBackgroundColor; }
  void SetExportBackgroundColor(TColor value) { FExportBackgroundColor = value; }
  QString ConnectionLineId() const { return FConnectionLineId; }
  void SetConnectionLineId(const QString& id) { FConnectionLineId = id; }
  TDiagramDragStyle DragStyle() const { return FDragStyle; }
  void SetDragStyle(TDiagramDragStyle value) { FDragStyle = value; }
  bool FixedSideLines() const { return FFixedSideLines; }
  void SetFixedSideLines(bool value) { FFixedSideLines = value; }
  void SetDesignMode(TDiagramDesignMode value);
  void SetGraphicLib(TDgrGraphicLib value);
  bool UseGdiPlus() const { return FGraphicLib != dglGDI; }
  void SetUseGdiPlus(bool value) { SetGraphicLib(value ? dglGDIPlus : dglGDI); }
  bool PathDrawingMode() const { return FGraphicLib != dglGDI; }
  const QMetaObject* CustomGroupBlockClass() const { return FCustomGroupBlockClass; }
  void SetCustomGroupBlockClass(const QMetaObject* value);
  TDiagramPrintSettings* PrintSettings() const { return FPrintSettings.get(); }
  TSelectionBlock* SelectionBlock() const { return FSelBlock.get(); }
  TDiagramUndoStack* UndoStack() const { return FUndoStack.get(); }
  TDiagramControl* PreviousDControl() const { return FPreviousDControl; }
  // The class used for temporary copies of the diagram.
  virtual const QMetaObject* StreamDiagramClass() const;
  void DeleteSelecteds();

  // --- Streaming hooks --------------------------------------------------------------------
  void GetChildren(const std::function<void(QObject*)>& proc, QObject* root) override;
  QObject* GetChildOwner() override { return Owner(); }
  QObject* GetChildParent() override { return this; }
  // Streams create only element classes here, and elements whose stored name another
  // component of the owner already has get a free name instead of failing the read.
  bool AcceptsChildClass(const QMetaObject* childClass) const override;
  QString NameForClashingChild(QObject* child, const QString& storedName) override;
  void Loaded() override;
  // True while the diagram writes its elements as children (files, undo, clipboard).
  bool InternalStreaming() const { return FInternalStreaming; }
  void SetInternalStreaming(bool value) { FInternalStreaming = value; }
  bool ClipboardStreaming() const { return FClipboardStreaming; }
  void SetClipboardStreaming(bool value) { FClipboardStreaming = value; }

  // --- Undo history, diagram files and clipboard ---------------------------------------------
  // (vxDiagramUndo.cpp, vxDiagramFiles.cpp, vxDiagramClipboard.cpp)
  // Snapshot of the whole diagram labelled with the operation that produced it; the redo
  // tail is dropped and only the newest ten snapshots are kept.
  void PushUndoStack(const QString& actionName);
  // Forgets the history and keeps one unlabelled snapshot of the present state.
  void ClearUndoStack();
  void Undo();
  void Redo();
  QString NextUndoAction() const;
  QString NextRedoAction() const;
  // The diagram as root object with its elements as children, binary or text form.
  virtual void SaveToStream(QIODevice& stream, bool textFormat);
  // Replaces the diagram by the stream's content. When reading fails the diagram keeps
  // what it held before and the error reaches the caller.
  virtual void LoadFromStream(QIODevice& stream, bool textFormat);
  QByteArray SaveToBytes(bool textFormat);
  void LoadFromBytes(const QByteArray& data, bool textFormat);
  // Diagram files are always text. Saving replaces the file only when everything was
  // written; a failed load leaves the open diagram as it was.
  void SaveToFile(const QString& fileName);
  void LoadFromFile(const QString& fileName);
  // Reads a binary stream onto the diagram with the owner lookup installed.
  void ReadFromStream(const QByteArray& binary);
  QString GetAsText();
  // Adds the elements of a diagram text; the diagram keeps its own settings.
  void MergeFromText(const QString& text);
  // The text form of one element (a group with its members), as the clipboard holds it.
  QString GetControlAsText(TDiagramControl* control);
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  bool CanCopy() const;
  bool CanPaste() const;
  // The private clipboard format (a MIME type made from the registered name).
  static QString ClipboardFormat();
  // Name the owner carries while the diagram writes or reads itself.
  static QString StreamOwnerName() { return QStringLiteral("__DSOwner___"); }

private:
  void ReplaceFromUndoItem(int index);
  // Options of the diagram's own writes: elements keep their records between them.
  TComponentStreamOptions OwnStreamOptions();
  // The binary stream of the diagram. everySetting: its settings are written also where
  // they hold their defaults, as snapshots need them (reading one brings back a default).
  QByteArray WriteOwnStream(bool everySetting);
  // What an undo snapshot holds: the binary stream with every setting of the diagram.
  QByteArray SaveSnapshotBytes();
  // LoadFromBytes for a binary stream; ownSnapshot: the diagram wrote it itself (an undo
  // snapshot), so each element keeps the record it was read from.
  void LoadFromBinary(const QByteArray& binary, bool ownSnapshot);
  // A large text read while its later pieces are still converting. False, with the
  // diagram as it was, when the text is not worth it or anything fails on the way.
  bool LoadFromTextPieces(const QByteArray& text);
  // Clears the diagram and has read fill it; when read fails, the present content comes back.
  void ReplaceContent(const std::function<void()>& read);
  // nextPiece: the binary comes in pieces (see TComponentStreamOptions::NextPiece).
  void ReadFromStream(const QByteArray& binary, bool ownSnapshot,
                      const std::function<bool(QByteArray&)>& nextPiece = {});
  void MarkForClipboard(TDiagramControl* control);
  void UnmarkClipboardNames();
  QString CopyMarkedAsText();
  std::vector<TDiagramControl*> RenamePastedElements();
  void PlacePastedElements(const std::vector<TDiagramControl*>& pasted);

public:
  // --- Events -----------------------------------------------------------------------------
  TDControlEvent OnInsertDControl;
  TDControlEvent OnInsertBlock;
  TDControlEvent OnInsertLink;
  TDControlEvent OnRemoveDControl;
  TDControlEvent OnSelectDControl;
  TDControlEvent OnUnselectDControl;
  TDiagramNotifyEvent OnSelectionChanging;
  TDiagramNotifyEvent OnSelectionChanged;
  TDiagramNotifyEvent OnModified;
  TDiagramDrawBlockEvent OnDrawBlock;
  TDiagramDrawBlockEvent OnDrawShape;
  TDiagramDrawBlockEvent OnAfterDrawBlock;
  TGetSurroundPtsEvent OnGetSurroundPts;
  TDControlMouseEvent OnDControlMouseDown;
  TDControlMouseEvent OnDControlMouseUp;
  TDControlMouseMoveEvent OnDControlMouseMove;
  TDControlEvent OnBlockMouseEnter;
  TDControlEvent OnBlockMouseLeave;
  TDControlEvent OnDControlClick;
  TDControlEvent OnDControlDblClick;
  TDiagramLinkEvent OnLinkAdded;
  TDiagramLinkEvent OnLinkRemoved;
  TAcceptAnchorEvent OnAcceptAnchor;
  TAcceptLinkEvent OnAcceptLink;
  TDiagramNotifyEvent OnBeforeMove;
  TDiagramNotifyEvent OnAfterMove;
  TDiagramNotifyEvent OnBeforeResize;
  TDiagramNotifyEvent OnAfterResize;
  TDiagramMovingEvent OnMoving;
  TDiagramMovingEvent OnDControlResizing;
  TDiagramPaintEvent OnBeforePaint;
  TDiagramPaintEvent OnAfterPaint;
  TDrawLinkPointEvent OnDrawLinkPoint;
  TCloseEditorEvent OnCloseEditor;
  TBeforeCreateControlEvent OnBeforeCreateControl;
  // For a form designer: selection events and per-element selection, Info always 0.
  TDiagramDesignEvent OnDesignEvent;

  // Invalidations of the whole control so far (for tests and diagnostics).
  int InvalidationCount() const { return FInvalidationCount; }

protected:
  void Paint() override;
  void Resize() override;
  void WindowCreated() override;
  void ScrollRequest(TScrollBarKind kind, TScrollCode code, int pos) override;
  bool MouseWheelDown(TShiftState shift, TPoint pos) override;
  bool MouseWheelUp(TShiftState shift, TPoint pos) override;
  QColor FlatBorderColor() const override;
  bool GetHint(TPoint pos, QString& text, TRect& validRect) override;

private:
  template <class T>
  void SetAndRedraw(T& field, const T& value) {
    if (field == value) return;
    field = value;
    ++FSettingsRevision;
    Redraw();
  }
  static TDiagramControl* At(const std::vector<TDiagramControl*>& list, int index);
  void ResetView();
  void DiagramFontChanged();
  void SettingsChanged() {
    ++FSettingsRevision;
    Redraw();
  }
  void FireDesignEvent(TDiagramEventType type);
  virtual void PaintDiagram(TCanvas* canvas);
  void PaintStaticPicture(TCanvas* canvas);
  void SetEngineTransform(TDgrPaintEngine* engine);
  void DrawTopElements(const std::vector<TDiagramControl*>& controls, TCanvas* canvas, TDgrPaintEngine* engine,
                       bool cursorSet, const std::function<bool(const TDiagramControl*)>& test);
  // The elements that may show in the running pass's visible area, in paint order; with
  // markers, those whose link point markers may show.
  std::vector<TDiagramControl*> PaintCandidates(bool markers = false);
  // Listed elements in a cursor paint mode (drag shapes), in list order.
  std::vector<TDiagramControl*> CursorModeElements();
  void DrawElement(TCanvas* canvas, TDgrPaintEngine* engine, TDiagramControl* control, bool cursorSet);
  // The element itself and its link point markers.
  void DrawElementContent(TCanvas* canvas, TDgrPaintEngine* engine, TDiagramControl* control);
  // Everything outside the elements that decides how they draw in this screen pass.
  TPictureViewKey PictureViewKey(const TCanvas& canvas) const;
  bool CanUsePictures(TCanvas& canvas, const TDgrPaintEngine* engine) const;
  // Copies the element's picture into the view, drawing the picture first when it has none
  // or a stale one. False: the element is to be drawn directly.
  bool DrawFromPicture(TCanvas* canvas, TDiagramControl* control, const TSquare& area);
  bool DrawPicture(TDiagramControl* control, const TElementPictureState& state, const TSquare& area);
  // An engine on canvas with this pass's view transform and modes, begun.
  std::unique_ptr<TDgrPaintEngine> CreateViewEngine(TCanvas& canvas);
  // Stream record checking mode: the picture must match the element drawn afresh.
  void CheckPicture(TDiagramControl* control, const TElementPicture& picture);
  void DrawElementHandles(TCanvas* canvas, TDiagramControl* control);
  void SetZoomRatio(double ratio);
  void CenterOn(const TSquare& rect);
  // Moves every element that is not a group member by (dx, dy) client units, inside the
  // internal and position brackets, then lets attached lines follow.
  void ShiftElements(double dx, double dy, bool selectedOnly);
  void UpdateScrollBar(TScrollBarKind kind, int controlSize);
  void SmoothScroll(TDiagramScrollBar* bar, int delta, int steps);
  bool WheelStep(TShiftState shift, bool down);
  bool MatchesFilter(const TDiagramControl* control, TDiagramControlFilter filter) const;

  // Element lists: references only; the owner frees the elements.
  std::vector<TDiagramControl*> FDControls;
  std::vector<TDiagramControl*> FBlocks;
  std::vector<TDiagramControl*> FLinks;
  std::vector<TDiagramControl*> FSelecteds;
  std::vector<IDiagramSubscriber*> FSubList;
  // Follows FDControls (declared before it).
  TSpatialIndex FSpatialIndex{FDControls};
  quint64 FStreamRecordGeneration = 0;
  qsizetype FLastWriteBytes = 0;
  // Elements whose paint mode changed since the last pass (those in a cursor mode among them),
  // so a pass finds the drag shapes without walking every element.
  std::unordered_set<TDiagramControl*> FCursorModeControls;

  int FUpdateCount = 0;
  int FRedrawRequestCount = 0;
  int FInternalUpdating = 0;
  int FUpdatingPos = 0;
  int FUpdatingSel = 0;
  bool FInternalStreaming = false;
  bool FClipboardStreaming = false;
  bool FPainting = false;
  QString FClipPrefix = QStringLiteral("___clip___");
  QPointer<TDiagramControl> FPreviousDControl;
  int FInvalidationCount = 0;

  // Owned parts, created in this order and freed in the documented order.
  std::unique_ptr<TDiagramLayers> FLayers;
  std::unique_ptr<TDiagramPageSettings> FPageSettings;
  std::unique_ptr<TDiagramPrintSettings> FPrintSettings;
  std::unique_ptr<TDiagramScrollBar> FHorzScrollBar;
  std::unique_ptr<TDiagramScrollBar> FVertScrollBar;
  std::unique_ptr<TDiagramUndoStack> FUndoStack;
  std::unique_ptr<TSnapGrid> FSnapGrid;
  std::unique_ptr<TPageLines> FPageLines;
  std::unique_ptr<TDiagramBackground> FBackground;
  std::unique_ptr<TDiagramRuler> FTopRuler;
  std::unique_ptr<TDiagramRuler> FLeftRuler;
  std::unique_ptr<TSelectionBlock> FSelBlock;
  std::unique_ptr<TFont> FFont;

  // Settings.
  bool FPaintLinesFirst = false;
  int FNettoExportOffset = 3;
  bool FAutomaticNodes = false;
  bool FAutoScroll = true;
  bool FAutoPage = false;
  bool FShowLinkPoints = true;
  double FZoomRatio = 1.0;
  double FPreviewZoom = 1.0;
  TDot FPreviewOffset;
  float FPrintConvX = 1;
  float FPrintConvY = 1;
  double FAdjustRatioX = 1;
  double FAdjustRatioY = 1;
  bool FExtentPending = false;
  TRect FPaintArea;
  bool FUseCache = false;
  bool FDoingCache = false;
  QImage FCacheImage;
  TElementPictures FPictures;
  bool FPicturesInPass = false;
  // Draws the pictures of a pass on the scratch image.
  std::unique_ptr<TDgrPaintEngine> FPictureEngine;
  quint64 FSettingsRevision = 0;
  int FLastPaintedCount = 0;
  bool FUpdatingBars = false;
  TColor FBorderColor = clGray;
  TMouseWheelMode FMouseWheelMode = mwOff;
  qint64 FActiveLayers = 0;
  TCursor FLinkCursor = crHandPoint;
  TCursor FPanCursor = crHandPoint;
  TCursor FZoomCursor = crDefault;
  bool FIgnoreScreenDPI = false;
  bool FShowCrossIndicators = false;
  TDiagramKeyActions FKeyActions = TDiagramKeyActions(kaEscape) | kaMove | kaPage | kaResize | kaSelect;
  TDiagramHandlesStyle FHandlesStyle = hsClassic;
  TDgrSmoothMode FSmoothMode = smAntiAlias;
  TDgrTextRenderingMode FTextRenderingMode = tmAntiAlias;
  TDiagramSelectionMode FSelectionMode = slmMultiple;
  bool FCanMoveOutOfBounds = true;
  bool FRulerAutoUnit = false;
  TDiagramMeasUnit FMeasUnit = duCenti;
  bool FWheelZoom = false;
  int FWheelZoomIncrement = 10;
  int FWheelZoomMin = 10;
  int FWheelZoomMax = 500;
  TAlign FAlign = alNone;
  TColor FColor = clWindow;
  bool FParentColor = false;
  bool FParentCtl3D = false;
  bool FParentFont = false;
  bool FParentShowHint = true;
  int FTabOrder = -1;
  bool FTabStop = false;

  TMouseState FMouseState = msBrowsing;
  TPaintStyle FPaintStyle = psScreen;
  TColor FExportBackgroundColor = clWhite;
  QString FConnectionLineId;
  TDiagramDragStyle FDragStyle = dsOutline;
  bool FFixedSideLines = false;
  TDiagramDesignMode FDesignMode = ddmEditable;
  TDgrGraphicLib FGraphicLib = DefaultGraphicLib;
  const QMetaObject* FCustomGroupBlockClass = nullptr;
};
