#pragma once
// TDiagramControl: the base of every element a diagram holds (blocks, lines, groups).
//
// An element is a component owned by the diagram's owner; it belongs to a diagram only
// through its Diagram property. It owns its handles, link points, text cells, font, link
// point pen and brush, two geometry drawers and (with a path engine) an engine drawer.
// Every visible change ends in Redraw() and, for the document, Modified().

#include "elements/ElementTypes.h"
#include "geometry/CanvasMapping.h"
#include "geometry/DiagramTypes.h"
#include "platform/Component.h"
#include "platform/ControlTypes.h"
#include "platform/GraphicsTypes.h"
#include "platform/StreamRecordCache.h"

#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TFont;
class TPen;
class TBrush;
class TStretchHandles;
class TLinkPoints;
class TTextCells;
class TTextCell;
class THandlesAppearance;
class TDiagramLayer;
class TBlockDrawer;
class QMouseEvent;
class TDgrPaintEngine;
struct TCellText;

using TDControlLinkEvent = std::function<void(TDiagramControl* control, TDiagramControl* link, TLinkPoint* linkPoint)>;

class TDiagramControl : public TComponent, public IStreamRecordCache {
  Q_OBJECT
public:
  explicit TDiagramControl(QObject* owner = nullptr);
  ~TDiagramControl() override;

  void AfterConstruction() override;
  void BeforeDestruction() override;

  // --- Diagram membership -------------------------------------------------------------
  TCustomDiagram* Diagram() const { return FDiagram; }
  void SetDiagram(TCustomDiagram* diagram);

  // --- Identity and restrictions ------------------------------------------------------
  QString DControlID() const;
  void SetDControlID(const QString& id);
  TControlRestrictions Restrictions() const { return FRestrictions; }
  void SetRestrictions(TControlRestrictions restrictions);
  void SetName(const QString& name) override;

  // --- Selection, visibility, layers --------------------------------------------------
  bool Selected() const;
  void SetSelected(bool selected);
  bool Visible() const { return FVisible; }
  void SetVisible(bool visible);
  int Layer() const { return FLayerInteger; }
  void SetLayer(int layer);
  TDiagramLayer* LayerObj() const { return FLayerObj; }
  void SetLayerObj(TDiagramLayer* layer);
  QString LayerName() const;
  void SetLayerName(const QString& name);
  // The name of a layer to resolve once the element joins a diagram.
  QString PendingLayerName() const { return FLayerNameFix; }
  void ResolvePendingLayerName();
  // The diagram tells its elements that a named layer goes away.
  void LayerDestroying(TDiagramLayer* layer, bool keepName);
  bool IsVisible() const;
  bool Collapsed() const { return FCollapsed; }
  void SetCollapsed(bool collapsed);
  bool IsBackgroundControl() const { return FIsBackgroundControl; }
  void SetIsBackgroundControl(bool value);
  int Transparency() const { return FTransparency; }
  // Kept within 0..100.
  void SetTransparency(int value);

  // --- Text, font, hints --------------------------------------------------------------
  TTextCells* TextCells() const { return FTextCells.get(); }
  void SetTextCells(const TTextCells* cells);
  TFont* Font() const { return FFont.get(); }
  void SetFont(const TFont* font);
  bool DiagramFont() const { return FDiagramFont; }
  void SetDiagramFont(bool value);
  QString Hint() const { return FHint; }
  void SetHint(const QString& hint);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor cursor);
  QString StringData() const { return FStringData; }
  void SetStringData(const QString& data);
  QObject* Obj() const { return FObj; }
  void SetObj(QObject* obj);

  // --- Owned parts --------------------------------------------------------------------
  TStretchHandles* Handles() const { return FHandles.get(); }
  TLinkPoints* LinkPoints() const { return FLinkPoints.get(); }
  // Made on first use: only elements whose handles are drawn need it.
  THandlesAppearance* HandlesAppearance() const;
  TPen* LinkPointPen() const { return FLinkPointPen.get(); }
  TBrush* LinkPointBrush() const { return FLinkPointBrush.get(); }
  TLinkPointStyle LinkPointStyle() const { return FLinkPointStyle; }
  void SetLinkPointStyle(TLinkPointStyle style);
  TBlockDrawer* Drawer() const { return FDrawer.get(); }
  TBlockDrawer* TempDrawer() const { return FTempDrawer.get(); }
  // The engine drawer of the element's graphic library (none for the plain library).
  TDgrBlockDrawer* DgrDrawer() const;
  TInsertStyle InsertStyle() const { return FInsertStyle; }
  void SetInsertStyle(TInsertStyle style);
  bool AutoCreateLinkPoints() const { return FAutoCreateLinkPoints; }
  void SetAutoCreateLinkPoints(bool value);
  TDControlPaintMode IntPaintMode() const { return FIntPaintMode; }
  // Acting members pass the paint mode on to their group, recursively.
  void SetIntPaintMode(TDControlPaintMode mode);

  // --- Groups -------------------------------------------------------------------------
  TDiagramControl* GroupBlock() const { return FGroupBlock; }
  // Joining or leaving a group (called by the group).
  void SetGroupBlock(TDiagramControl* group);
  TDiagramControl* MasterGroup() const;
  bool IsMember() const { return FGroupBlock != nullptr; }
  virtual bool IsGroup() const { return false; }
  // True for the diagram's selection wrapper.
  virtual bool IsSelectionBlock() const { return false; }
  bool AsMember() const;
  // Leaf members of a group in member order (groups override).
  virtual void CollectLeafMembers(std::vector<TDiagramControl*>& into) { into.push_back(this); }
  // Group side of membership: a member is going away, or its geometry changed.
  virtual void RemoveMember(TDiagramControl*) {}
  virtual void MemberGeometryChanged(TDiagramControl*) {}
  // Stores the selection flag without checks or notices; true when it changed.
  bool SetSelectedFlag(bool selected);

  // What kind of element this is, for the diagram's lists.
  virtual bool IsBlock() const { return false; }
  virtual bool IsLine() const { return false; }
  // Whether every change of ControlRect / SurroundRect ends in NotifyBoundsChanged. The
  // diagram's spatial index follows such elements; others it measures on every query.
  virtual bool ReportsBoundsChanges() const { return false; }

  // --- Capability tests ---------------------------------------------------------------
  bool CanMove() const { return CanDo(crNoMove, true); }
  bool CanResize() const { return CanDo(crNoResize, true); }
  bool CanRotate() const { return CanDo(crNoRotation, true); }
  bool CanEdit() const { return CanDo(crNoEdit, true); }
  bool CanMoveRotCenter() const { return CanDo(crNoRotCenterMove, true); }
  bool CanLink() const { return CanDo(crNoLink, true); }
  bool CanSelect() const { return CanDo(crNoSelect, false); }
  bool CanCopyToClipboard() const { return CanDo(crNoClipboard, false); }

  // --- Engine -------------------------------------------------------------------------
  TDgrGraphicLib EffectiveGraphicLib() const;
  void SetGraphicLib(TDgrGraphicLib lib);
  virtual void RecreateDgrDrawer();
  // Recreates the engine drawer when the effective library is not the one it was made for
  // (a drawer that could not be made is tried again); makes none itself.
  void FollowGraphicLib();
  virtual void FreeDgrDrawer();

  // --- Forwarders to the diagram ------------------------------------------------------
  void BringToFront();
  void SendToBack();
  void EditText();
  void MakeVisible();

  TTextCell* DefaultTextCell();
  bool HasDefaultTextCell() const;
  TTextCell* SelectNextCell(TTextCell* cell, bool forward);

  // Tells every link point anchored to one of ours that ours moved or goes away.
  void NotifyAnchoreds(TAnchorChange change);

  // --- Streaming hooks ----------------------------------------------------------------
  // The record the diagram's writer kept for this element. It stays valid while the element
  // is in the same diagram, the diagram's record generation is unchanged (renames, removals,
  // layer changes) and nothing the element writes changed: every such change ends in
  // ForgetStreamRecord (Redraw and NotifyBoundsChanged call it).
  QByteArrayView KeptStreamRecord(const void* key) const override;
  void KeepStreamRecord(const void* key, QByteArray record) override;
  void ForgetStreamRecord() {
    FStreamRecord = QByteArray();
    ++FWrittenRevision;
  }
  // Counts the changes to what the element writes (each ends in ForgetStreamRecord). What
  // painting works out from that state stays valid while the count holds; in the stream
  // record checking mode a reused result is compared with a fresh one.
  quint64 WrittenRevision() const { return FWrittenRevision; }
  // Whether a stream is filling the element. Its parts then change one by one without the
  // notifications above, so nothing is kept from them meanwhile.
  bool IsBeingRead() const { return ComponentState() & (TComponentState(csLoading) | csReading); }
  // In the stream record checking mode a result kept from the element's state must equal a
  // fresh one; otherwise std::logic_error names the element and what it kept.
  template <class T, class Fresh>
  void CheckKeptResult(const T& kept, Fresh&& fresh, const char* what) const {
    if (StreamRecordCheck() && !(fresh() == kept)) ThrowStaleKeptResult(what);
  }
  [[noreturn]] void ThrowStaleKeptResult(const char* what) const;
  void DefineProperties(TFiler& filer) override;
  void Loaded() override;
  bool HasParent() const override { return true; }
  QObject* GetParentComponent() const override;
  void SetParentComponent(QObject* parent) override;

  // --- Virtual operations, in slot order ----------------------------------------------
  virtual void HandleDestroying(TStretchHandle* handle) {}
  virtual void TextCellDestroying(TTextCell* cell);
  virtual void UnlinkUnselectedAnchors();
  virtual TLinkPoint* HandleLinkPoint(TStretchHandle* handle) { return nullptr; }
  virtual void ApplyCursorGeometry() {}
  virtual void RestoreSavedGeometry() {}
  virtual void SetupDgrDrawer(TDgrBlockDrawer* drawer) {}
  virtual void SetupDrawer(TBlockDrawer* drawer) {}
  virtual void TextCellsChanged() { Redraw(); }
  virtual void HandlesChanged() {}
  virtual TSquare SourceRectToClient(const TSquare& rect) const { return rect; }
  // Lays text out in its rectangle (canvas pixels) with its font scaled by the zoom, turned
  // by its angle about its centre, and draws it unless measureOnly. Answers the unturned
  // bounds of the laid-out lines (the rectangle itself when there are none).
  virtual TSquare DrawCellText(TCanvas& canvas, const TCellText& text, bool measureOnly);
  virtual void LinkAdded(TDiagramControl* link, TLinkPoint* linkPoint);
  virtual void LinkRemoved(TDiagramControl* link, TLinkPoint* linkPoint);
  virtual void RotationChanged();
  virtual void AngleChanged(double oldAngle) { RotationChanged(); }
  virtual void AnchorLinkChanged(TLinkPoint* linkPoint) = 0;
  virtual void LinkedAnchorChanged(TLinkPoint* linkPoint, TAnchorChange change) = 0;
  virtual void Redraw();
  virtual void DrawCells(const TDiagramDrawInfo& info);
  virtual void DrawCell(const TDiagramDrawInfo& info, TTextCell* cell);
  // Whether DrawCells puts anything on the canvas; an outline clip around the cells is set up
  // only when it does. An element that draws its cells its own way answers for itself.
  virtual bool CellsShowAnything(const TDiagramDrawInfo& info);
  virtual void DrawControl(const TDiagramDrawInfo& info) = 0;
  virtual bool PointInControl(const TPoint& pos) = 0;
  virtual void DoDblClick() {}
  virtual void DoClick() {}
  virtual void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y) {}
  virtual void DoMouseDownEx(TMouseButton button, TShiftState shift, int x, int y, TStretchHandle* handle) {}
  virtual void DoMouseMove(TShiftState shift, int x, int y) {}
  virtual void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y) {}
  virtual void MoveBy(double dx, double dy) = 0;
  virtual TSquare ControlRect() const = 0;
  virtual TSquare SurroundRect() const = 0;
  virtual void StartMoving() = 0;
  virtual void ControlMoving(TControlMoveInfo& info) = 0;
  virtual void ControlInserting(TControlInsertInfo& info) = 0;
  virtual void ControlDrawing(TControlDrawInfo& info) = 0;
  virtual void StartHandleMoving() = 0;
  virtual void HandleMoving(THandleMoveInfo& info) = 0;
  virtual void DrawHandles(const TDiagramDrawInfo& info);
  virtual void DrawHandle(const TDiagramDrawInfo& info, TStretchHandle* handle);
  virtual TDot HandleClientPoint(const TStretchHandle* handle) const;
  virtual TDot LinkPointClientPoint(const TLinkPoint* linkPoint) const;
  virtual void DiagramChanged(TCustomDiagram* oldDiagram, TCustomDiagram* newDiagram);
  virtual void SelectedChanged() {}
  virtual void CalcSize(TCanvas* canvas) {}
  // Link point markers and collapse markers, on screen only (lines draw none). With an
  // engine and an engine drawer the markers go through the engine canvas; otherwise onto
  // info.Canvas. collapseMarkersOnly: only the points that are nodes.
  virtual void DrawLinkPoints(const TDiagramDrawInfo& info, TDgrPaintEngine* engine, bool collapseMarkersOnly);
  // Whether a link point of the element is a node (draws a collapse marker); lines have none.
  bool HasNodePoint();

  // The angle of the element (blocks publish and keep it in [0, 360)).
  double Angle() const { return FAngle; }

  TDControlLinkEvent OnLinkAdded;
  TDControlLinkEvent OnLinkRemoved;

protected:
  // Draws a handle's grip with the looks as they are (DrawHandle resets them first).
  void DrawHandleGrip(const TDiagramDrawInfo& info, TStretchHandle* handle);
  // The link point class: collections make their items through this factory.
  virtual TLinkPoint* CreateLinkPoint(TLinkPoints* collection);

  void SetAngleField(double angle) { FAngle = angle; }
  // Tells the diagram that the element's bounds may have changed.
  void NotifyBoundsChanged();
  // Font changes of the element's own font.
  void FontChanged();
  void ApplyDiagramFont();
  void ApplyDiagramShowHint();

private:
  bool CanDo(TControlRestriction restriction, bool layerEditableCounts) const;
  void DropSelectionIfHidden();
  void ReadDControlID(TReader& reader);
  void ReadCollapsed(TReader& reader);

  TCustomDiagram* FDiagram = nullptr;
  bool FSelected = false;
  std::unique_ptr<TStretchHandles> FHandles;
  std::unique_ptr<TLinkPoints> FLinkPoints;
  TControlRestrictions FRestrictions;
  QString FDControlID;
  std::unique_ptr<TBrush> FLinkPointBrush;
  std::unique_ptr<TPen> FLinkPointPen;
  double FAngle = 0;
  std::unique_ptr<TBlockDrawer> FDrawer;
  std::unique_ptr<TBlockDrawer> FTempDrawer;
  TLinkPointStyle FLinkPointStyle = ptCross;
  QPointer<QObject> FObj;
  TInsertStyle FInsertStyle = isInsert;
  QString FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TCursor FCursor = crDefault;
  std::unique_ptr<TFont> FFont;
  bool FDiagramFont = true;
  std::unique_ptr<TTextCells> FTextCells;
  int FNotifying = 0;
  QString FStringData;
  bool FVisible = true;
  int FLayerInteger = 0;
  TDiagramLayer* FLayerObj = nullptr;
  bool FCollapsed = false;
  bool FAutoCreateLinkPoints = false;
  bool FIsBackgroundControl = false;
  mutable std::unique_ptr<TDgrBlockDrawer> FDgrDrawer;
  // The library the engine drawer was last made for (the plain library makes none);
  // empty after FreeDgrDrawer.
  std::optional<TDgrGraphicLib> FDgrDrawerLib;
  TSquare FDgrDrawerSource{0, 0, 100, 100};
  mutable bool FDgrDrawerTried = false;
  TDControlPaintMode FIntPaintMode = pmNormal;
  int FTransparency = 0;
  TDiagramControl* FGroupBlock = nullptr;
  QString FLayerNameFix;
  mutable std::unique_ptr<THandlesAppearance> FHandlesAppearance;
  TDgrGraphicLib FGraphicLib = dglGDIPlus;
  bool FCustomGraphicLib = false;
  QByteArray FStreamRecord;
  const void* FStreamRecordKey = nullptr;
  quint64 FStreamRecordGeneration = 0;
  quint64 FWrittenRevision = 0;
  // CellsShowAnything's last answer and the state and pass settings it was worked out for.
  struct TCellsShowMemo {
    quint64 Revision = 0;
    double Scale = 0;
    int PixelsPerInch = 0;
    bool OnEngine = false;
    const TTextCell* Editing = nullptr;
    bool Shows = false;
  };
  std::optional<TCellsShowMemo> FCellsShowMemo;
  // The link points as the screen pass draws them, kept while the element's written state,
  // the anchoring of link points, the diagram's canvas mapping and its automatic nodes stay
  // the same. Shared, so a marker handler that changes the element leaves the walk intact.
  struct TLinkPointMarker {
    TLinkPoint* Point = nullptr;
    TPoint At;
    bool Node = false;
    bool Visible = false;
    bool Collapsed = false;
    friend bool operator==(const TLinkPointMarker&, const TLinkPointMarker&) = default;
  };
  struct TMarkersMemo {
    quint64 Revision = 0;
    quint64 Anchoring = 0;
    TCanvasMapping Mapping;
    bool AutomaticNodes = false;
    std::shared_ptr<const std::vector<TLinkPointMarker>> Markers;
  };
  std::optional<TMarkersMemo> FMarkersMemo;
  std::shared_ptr<const std::vector<TLinkPointMarker>> LinkPointMarkers();
};
