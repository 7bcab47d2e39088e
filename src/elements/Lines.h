#pragma once
// Lines: elements whose geometry is a list of handles in client units. The drawn polyline
// (Points) is derived from the handles by a rule of the line style, and the style can be
// changed on any line at any time: a TDiagramLine set to lsSideLine routes as a side line.
//
// Handle 0 is the start and the last handle the end; link point 0 (source) and link point 1
// (target) sit on them. Anchored ends follow the link points they are anchored to: every
// change of an anchor re-routes the line (Reroute). Text cells are placed along the line
// by the text cell mode.

#include "elements/Arrows.h"
#include "elements/DiagramControl.h"
#include "elements/LinesRouting.h"
#include "elements/LinesTypes.h"
#include "elements/StretchHandles.h"
#include "elements/TextCells.h"
#include "platform/Graphics.h"

#include <QPointer>
#include <memory>
#include <optional>
#include <utility>

class TCanvas;

class TCustomDiagramLine : public TDiagramControl {
  Q_OBJECT
public:
  explicit TCustomDiagramLine(QObject* owner = nullptr);
  ~TCustomDiagramLine() override;
  void AfterConstruction() override;

  bool IsLine() const override { return true; }
  bool ReportsBoundsChanges() const override { return true; }

  // --- Geometry ---------------------------------------------------------------------------
  // The drawn polyline as last computed, client units.
  const TDotArray& Points() const { return FPoints; }
  TStretchHandles* TempHandles() const { return FTempHandles.get(); }
  TLinkPoint* SourceLinkPoint() const;
  TLinkPoint* TargetLinkPoint() const;
  bool IsSideLine() const { return FLineStyle == lsSideLine; }

  // --- Settings ---------------------------------------------------------------------------
  TPen* Pen() const { return FPen.get(); }
  void SetPen(const TPen* pen) { FPen->Assign(pen); }
  TPen* SelPen() const { return FSelPen.get(); }
  void SetSelPen(const TPen* pen) { FSelPen->Assign(pen); }
  TLineArrow* SourceArrow() const { return FSourceArrow.get(); }
  void SetSourceArrow(const TLineArrow* arrow) { FSourceArrow->Assign(arrow); }
  TLineArrow* TargetArrow() const { return FTargetArrow.get(); }
  void SetTargetArrow(const TLineArrow* arrow) { FTargetArrow->Assign(arrow); }
  TTextCellsMode TextCellsMode() const { return FTextCellsMode; }
  void SetTextCellsMode(TTextCellsMode mode);
  bool RequiresConnections() const { return FRequiresConnections; }
  void SetRequiresConnections(bool value) { FRequiresConnections = value; }
  TDiagramLineStyle LineStyle() const { return FLineStyle; }
  void SetLineStyle(TDiagramLineStyle style);
  TAnchorOrientation Orientation1() const { return FOrientation1; }
  void SetOrientation1(TAnchorOrientation orientation) {
    FOrientation1 = orientation;
    NotifyBoundsChanged();
  }
  TAnchorOrientation Orientation2() const { return FOrientation2; }
  void SetOrientation2(TAnchorOrientation orientation) {
    FOrientation2 = orientation;
    NotifyBoundsChanged();
  }
  bool RecalcIntermediateArcHandles() const { return FRecalcIntermediateArcHandles; }
  void SetRecalcIntermediateArcHandles(bool value) { FRecalcIntermediateArcHandles = value; }

  // The five cells of tmSpecific (nullptr in the other modes).
  TTextCell* CenterTextCell() const { return FCenterTextCell; }
  TTextCell* SourceTextCell() const { return FSourceTextCell; }
  TTextCell* TargetTextCell() const { return FTargetTextCell; }
  TTextCell* AltSourceTextCell() const { return FAltSourceTextCell; }
  TTextCell* AltTargetTextCell() const { return FAltTargetTextCell; }

  // --- Operations added by lines, in slot order -------------------------------------------
  virtual void PenChanged() {}
  virtual void SelPenChanged() {}
  // The polyline of handles (cross indicators on side lines), then the arrow heads.
  virtual void DrawLine(const TDiagramDrawInfo& info, TStretchHandles* handles, bool withArrows);
  // Points from the handles, then the text cells placed by the text cell mode.
  virtual void UpdateLine();
  // Builds handles for the line style from a route request.
  virtual void RouteHandles(TStretchHandles* handles, const TRouteRequest& request);
  // Points of handles for the line style.
  virtual void UpdatePoints(TStretchHandles* handles);
  // Rebuilds the handles from the ends and their anchors.
  virtual void Reroute();
  virtual void LineStyleChanged();
  virtual std::unique_ptr<TLineArrow> CreateLineArrow();

  // --- Overrides of the element base --------------------------------------------------------
  void DefineProperties(TFiler& filer) override;
  void Loaded() override;
  void TextCellDestroying(TTextCell* cell) override;
  void UnlinkUnselectedAnchors() override;
  TLinkPoint* HandleLinkPoint(TStretchHandle* handle) override;
  void ApplyCursorGeometry() override;
  void RestoreSavedGeometry() override;
  void HandlesChanged() override;
  void AnchorLinkChanged(TLinkPoint* linkPoint) override;
  void LinkedAnchorChanged(TLinkPoint* linkPoint, TAnchorChange change) override;
  void DrawControl(const TDiagramDrawInfo& info) override;
  bool PointInControl(const TPoint& pos) override;
  void MoveBy(double dx, double dy) override;
  TSquare ControlRect() const override;
  TSquare SurroundRect() const override { return ControlRect(); }
  void StartMoving() override;
  void ControlMoving(TControlMoveInfo& info) override;
  void ControlInserting(TControlInsertInfo& info) override;
  void ControlDrawing(TControlDrawInfo& info) override {}
  void StartHandleMoving() override;
  void HandleMoving(THandleMoveInfo& info) override;
  TDot LinkPointClientPoint(const TLinkPoint* linkPoint) const override;
  void DiagramChanged(TCustomDiagram* oldDiagram, TCustomDiagram* newDiagram) override;
  void SelectedChanged() override { Redraw(); }

  // Draws the drag feedback: handles as an inverted dotted polyline without arrows.
  void DrawCursor(TCanvas* canvas, TStretchHandles* handles);

protected:
  // The handles a style routes to (previous: the target's handles before routing; dragged:
  // the index of the dragged handle, -1 for none). Polylines override it.
  virtual TRouteHandles RouteByStyle(const TRouteHandles& previous, const TRouteRequest& request, int dragged);
  // The drawn polyline of handles for the line style, without side effects.
  TDotArray ComputePoints(const TStretchHandles& handles) const;
  // ComputePoints of the line's own handles, kept while what the line writes stays the same
  // (WrittenRevision): a paint pass needs it for culling and again for drawing.
  const TDotArray& RoutePoints() const;
  // The arc kind the arc styles draw.
  TArcType StyleArcType() const { return FLineStyle == lsCircularArc ? atCircular : atParabolic; }
  // Adds the missing handles, at (0, 0) and (100, 50).
  void EnsureHandles();
  void EnsureLinkPoints();
  // Copies the end handles' Data into Orientation1 and Orientation2 (Data 0 leaves them).
  void CopyEndOrientations();
  // The request from the current ends, their anchors kept.
  TRouteRequest EndsRequest(TRouteKind kind) const;

private:
  TRouteHandles RouteSideLine(const TRouteHandles& previous, const TRouteRequest& request, int dragged);
  // Text cells.
  void PlaceTextCells();
  void PlaceSegmentCells();
  void PlaceSingleCell();
  void PlaceSpecificCells();
  void CreateSpecificCells();
  void FreeSpecificCells();
  void AdoptLoadedSpecificCells();
  TTextCell* AddLineCell();
  // Drawing: on the raster canvas in canvas pixels, or on the engine canvas of the paint's
  // drawer in client units.
  void DrawPolyline(TCanvas& canvas, const TDotArray& points);
  void DrawArrows(TCanvas& canvas, const TDotArray& points, double zoom);
  void DrawPolylineOnEngine(TDgrCanvas& canvas, TDgrBlockDrawer& drawer, const TDotArray& points, double zoom);
  void DrawArrowsOnEngine(TDgrCanvas& canvas, const TDotArray& points);
  // The engine drawer a paint hands over, when the line paints through one.
  TDgrBlockDrawer* EngineDrawer(const TDiagramDrawInfo& info) const;
  TDot ToCanvas(const TDot& point) const;
  // Exchanges Handles and TempHandles without change notifications.
  void ExchangeHandles();
  void CopyTempHandlesToHandles();

  TDotArray FPoints;
  mutable std::optional<std::pair<quint64, TDotArray>> FRouteMemo;
  // The diagram's canvas mapping while DrawLine runs (ToCanvas uses it).
  std::optional<TCanvasMapping> FPassMapping;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TPen> FSelPen;
  std::unique_ptr<TLineArrow> FSourceArrow;
  std::unique_ptr<TLineArrow> FTargetArrow;
  std::unique_ptr<TStretchHandles> FTempHandles;
  TTextCellsMode FTextCellsMode = tmSingle;
  bool FRequiresConnections = false;
  QPointer<TTextCell> FCenterTextCell;
  QPointer<TTextCell> FSourceTextCell;
  QPointer<TTextCell> FTargetTextCell;
  QPointer<TTextCell> FAltSourceTextCell;
  QPointer<TTextCell> FAltTargetTextCell;
  TAnchorOrientation FOrientation1 = aoNone;
  TAnchorOrientation FOrientation2 = aoNone;
  TDiagramLineStyle FLineStyle = lsLine;
  bool FRecalcIntermediateArcHandles = true;
  // Handles and TempHandles are exchanged for drawing the drag shape: cells keep their texts.
  bool FCursorGeometry = false;
  bool FExchangingHandles = false;
};

// Publishes the line settings that files store.
class TBaseDiagramLine : public TCustomDiagramLine {
  Q_OBJECT
  Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
  Q_PROPERTY(TPen* SelPen READ SelPen WRITE SetSelPen)
  Q_PROPERTY(TLineArrow* SourceArrow READ SourceArrow WRITE SetSourceArrow)
  Q_PROPERTY(TLineArrow* TargetArrow READ TargetArrow WRITE SetTargetArrow)
  Q_PROPERTY(TCursor Cursor READ Cursor WRITE SetCursor)
  Q_PROPERTY(TTextCells* TextCells READ TextCells WRITE SetTextCells)
  Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
  Q_PROPERTY(QString StringData READ StringData WRITE SetStringData)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(int Layer READ Layer WRITE SetLayer)
  Q_PROPERTY(QString LayerName READ LayerName WRITE SetLayerName)
  Q_PROPERTY(int Transparency READ Transparency WRITE SetTransparency)
  Q_PROPERTY(LineEnums::TDiagramLineStyle LineStyle READ LineStyle WRITE SetLineStyle)
  Q_PROPERTY(ElementEnums::TAnchorOrientation Orientation1 READ Orientation1 WRITE SetOrientation1)
  Q_PROPERTY(ElementEnums::TAnchorOrientation Orientation2 READ Orientation2 WRITE SetOrientation2)
  DGR_STORED(Font, IsFontStored)
  DGR_STORED(Orientation1, IsSideLine)
  DGR_STORED(Orientation2, IsSideLine)
public:
  explicit TBaseDiagramLine(QObject* owner = nullptr) : TCustomDiagramLine(owner) {}
  Q_INVOKABLE bool IsFontStored() const { return !DiagramFont(); }
  Q_INVOKABLE bool IsSideLine() const { return TCustomDiagramLine::IsSideLine(); }
};

// A straight line.
class TDiagramLine : public TBaseDiagramLine {
  Q_OBJECT
public:
  explicit TDiagramLine(QObject* owner = nullptr) : TBaseDiagramLine(owner) {}
};

// A free polyline, drawn point by point with the mouse; its inner handles stay where the
// user put them.
class TDiagramPolyLine : public TBaseDiagramLine {
  Q_OBJECT
public:
  explicit TDiagramPolyLine(QObject* owner = nullptr) : TBaseDiagramLine(owner) {}
  void AfterConstruction() override;
  void ControlDrawing(TControlDrawInfo& info) override;

protected:
  TRouteHandles RouteByStyle(const TRouteHandles& previous, const TRouteRequest& request, int dragged) override;
};

// An orthogonal line (lsSideLine) with one text cell per segment.
class TDiagramSideLine : public TBaseDiagramLine {
  Q_OBJECT
public:
  explicit TDiagramSideLine(QObject* owner = nullptr) : TBaseDiagramLine(owner) {}
  void AfterConstruction() override;
};

// A parabolic or circular arc through three handles.
class TDiagramArc : public TBaseDiagramLine {
  Q_OBJECT
  Q_PROPERTY(LineEnums::TArcType ArcType READ ArcType WRITE SetArcType)
public:
  explicit TDiagramArc(QObject* owner = nullptr) : TBaseDiagramLine(owner) {}
  void AfterConstruction() override;

  TArcType ArcType() const { return FArcType; }
  // On a line of an arc style, also switches the style to the matching one.
  void SetArcType(TArcType type);
  void LineStyleChanged() override;

private:
  TArcType FArcType = atParabolic;
};

// A cubic curve through four handles.
class TDiagramBezier : public TBaseDiagramLine {
  Q_OBJECT
public:
  explicit TDiagramBezier(QObject* owner = nullptr) : TBaseDiagramLine(owner) {}
  void AfterConstruction() override;
};

// The hop points of one segment crossing earlier side lines.
class THelperLine {
public:
  const TPointArray& Points() const { return FPoints; }
  void Add(const TPoint& point) { FPoints.push_back(point); }
  // Stable sort by squared distance from origin, nearest first.
  void SortByDistance(const TPoint& origin);

private:
  TPointArray FPoints;
};

// The points where segment a1-a2 crosses segment b1-b2 strictly inside both, if it does.
std::optional<TDot> SegmentCrossing(const TDot& a1, const TDot& a2, const TDot& b1, const TDot& b2);

// Registers the line classes for streams (idempotent).
void RegisterLineClasses();
