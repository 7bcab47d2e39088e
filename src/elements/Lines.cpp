#include "elements/Lines.h"
#include "elements/LineJoin.h"
#include "elements/CustomDiagram.h"
#include "elements/LinkPoints.h"
#include "elements/SideLineRouter.h"
#include "geometry/DiagramUtils.h"
#include "platform/Filer.h"

#include <limits>

namespace {

TRouteHandles Snapshot(const TStretchHandles& handles) {
  TRouteHandles snapshot;
  snapshot.reserve(static_cast<size_t>(handles.Count()));
  for (int i = 0; i < handles.Count(); ++i) snapshot.push_back({handles.Handle(i)->OrPoint(), handles.Handle(i)->Data()});
  return snapshot;
}

void SetHandle(TStretchHandle& handle, const TRouteHandle& from) {
  handle.SetOrPoint(from.P);
  handle.SetData(from.Data);
  handle.SetCursor(crSizeNWSE);
}

// Writes a route into a handle collection in one update. The first and the last handle
// objects stay the same objects (a drag holds on to them); inner handles are inserted
// before the last one or deleted from before it.
void ApplyRoute(TStretchHandles& target, const TRouteHandles& route) {
  target.BeginUpdate();
  try {
    const int wanted = static_cast<int>(route.size());
    if (target.Count() < 2 || wanted < 2) {
      target.Clear();
      for (const TRouteHandle& handle : route) SetHandle(*static_cast<TStretchHandle*>(target.Add()), handle);
    } else {
      while (target.Count() < wanted) target.Insert(target.Count() - 1);
      while (target.Count() > wanted) target.Delete(target.Count() - 2);
      for (int i = 0; i < wanted; ++i) SetHandle(*target.Handle(i), route[static_cast<size_t>(i)]);
    }
  } catch (...) {
    target.EndUpdate();
    throw;
  }
  target.EndUpdate();
}

void CopyHandles(TStretchHandles& target, const TStretchHandles& source) { ApplyRoute(target, Snapshot(source)); }

// The anchor an end keeps while the whole line is moved: only one whose element moves too.
TLinkPoint* AnchorMovingAlong(const TLinkPoint* end) {
  TLinkPoint* anchor = end ? end->AnchorLink() : nullptr;
  return anchor && anchor->DControl() && anchor->DControl()->Selected() ? anchor : nullptr;
}

}  // namespace

// --- Construction -----------------------------------------------------------------------------

TCustomDiagramLine::TCustomDiagramLine(QObject* owner) : TDiagramControl(owner) {}

TCustomDiagramLine::~TCustomDiagramLine() {
  // Leave the diagram while this class's operations still exist (a line deleted without
  // Free must not stay in the diagram's line list).
  SetComponentState(csDestroying);
  if (Diagram()) SetDiagram(nullptr);
}

void TCustomDiagramLine::AfterConstruction() {
  TDiagramControl::AfterConstruction();
  FLineStyle = lsLine;
  FPen = std::make_unique<TPen>();
  FSelPen = std::make_unique<TPen>();
  FSelPen->Assign(FPen.get());
  FPen->OnChange = [this](TPersistent*) {
    PenChanged();
    Redraw();
  };
  FSelPen->OnChange = [this](TPersistent*) {
    SelPenChanged();
    Redraw();
  };
  FSourceArrow = CreateLineArrow();
  FTargetArrow = CreateLineArrow();
  FTempHandles = std::make_unique<TStretchHandles>(nullptr);
  FTextCellsMode = tmSingle;
  EnsureLinkPoints();
  TRouteRequest request;
  request.P1 = TDot{0, 0};
  request.P2 = TDot{100, 50};
  request.Kind = TRouteKind::Create;
  RouteHandles(Handles(), request);
}

std::unique_ptr<TLineArrow> TCustomDiagramLine::CreateLineArrow() { return std::make_unique<TLineArrow>(this); }

void TCustomDiagramLine::EnsureHandles() {
  TStretchHandles* handles = Handles();
  if (handles->Count() >= 2) return;
  handles->BeginUpdate();
  if (handles->Count() == 0) handles->Add(0, 0, crSizeNWSE, 0, hsSize);
  if (handles->Count() == 1) handles->Add(100, 50, crSizeNWSE, 0, hsSize);
  handles->EndUpdate();
}

void TCustomDiagramLine::EnsureLinkPoints() {
  while (LinkPoints()->Count() < 2) LinkPoints()->Add();
}

TLinkPoint* TCustomDiagramLine::SourceLinkPoint() const {
  return LinkPoints()->Count() >= 1 ? LinkPoints()->Point(0) : nullptr;
}

TLinkPoint* TCustomDiagramLine::TargetLinkPoint() const {
  return LinkPoints()->Count() >= 2 ? LinkPoints()->Point(1) : nullptr;
}

// --- Routing ----------------------------------------------------------------------------------

TRouteRequest TCustomDiagramLine::EndsRequest(TRouteKind kind) const {
  const TStretchHandles* handles = Handles();
  TRouteRequest request;
  request.P1 = handles->Handle(0)->OrPoint();
  request.P2 = handles->Handle(handles->Count() - 1)->OrPoint();
  request.SourceAnchor = SourceLinkPoint() ? SourceLinkPoint()->AnchorLink() : nullptr;
  request.TargetAnchor = TargetLinkPoint() ? TargetLinkPoint()->AnchorLink() : nullptr;
  request.Kind = kind;
  return request;
}

void TCustomDiagramLine::RouteHandles(TStretchHandles* handles, const TRouteRequest& request) {
  if (!handles) return;
  EnsureHandles();
  const int dragged = request.DraggedHandle ? Handles()->IndexOf(request.DraggedHandle) : -1;
  const TRouteHandles previous = Snapshot(*handles);
  ApplyRoute(*handles, RouteByStyle(previous, request, dragged));
}

TRouteHandles TCustomDiagramLine::RouteByStyle(const TRouteHandles& previous, const TRouteRequest& request,
                                               int dragged) {
  TRouteInput input;
  input.P1 = request.P1;
  input.P2 = request.P2;
  input.Kind = request.Kind;
  input.Dragged = dragged;
  input.Delta = request.Delta;
  switch (FLineStyle) {
    case lsSideLine: return RouteSideLine(previous, request, dragged);
    case lsParabolicArc:
    case lsCircularArc: return RouteArc(previous, input, StyleArcType(), FRecalcIntermediateArcHandles);
    case lsBezier: return RouteBezier(previous, input);
    case lsLine: break;
  }
  return RouteStraight(input);
}

TRouteHandles TCustomDiagramLine::RouteSideLine(const TRouteHandles& previous, const TRouteRequest& request,
                                                int dragged) {
  CopyEndOrientations();
  SideLine::TContext context;
  // Only a route the line already had can have been shaped by the user: a new line, a line
  // being inserted or one that just became a side line starts from a clean route.
  if (request.Kind != TRouteKind::Create && request.Kind != TRouteKind::Insert) context.Previous = Snapshot(*Handles());
  context.FixedSideLines = Diagram() && Diagram()->FixedSideLines();
  if (request.Kind == TRouteKind::HandleMove) {
    context.Dragged = dragged;
    context.DragDelta = request.Delta;
  }
  const SideLine::TEnd start{request.P1, request.SourceAnchor ? request.SourceAnchor->RealOrientation() : FOrientation1};
  const SideLine::TEnd end{request.P2, request.TargetAnchor ? request.TargetAnchor->RealOrientation() : FOrientation2};
  // A route that does not converge leaves the previous one in place.
  return SideLine::Route(context, start, end).value_or(previous);
}

void TCustomDiagramLine::CopyEndOrientations() {
  const TStretchHandles* handles = Handles();
  if (handles->Count() < 2) return;
  const TAnchorOrientation first = SideLine::OrientationOfData(handles->Handle(0)->Data());
  const TAnchorOrientation last = SideLine::OrientationOfData(handles->Handle(handles->Count() - 1)->Data());
  // Data 0 says nothing about the segment (handles read from a stream carry no Data).
  if (first != aoNone) FOrientation1 = first;
  if (last != aoNone) FOrientation2 = last;
  NotifyBoundsChanged();  // side line points follow the first orientation
}

void TCustomDiagramLine::UpdatePoints(TStretchHandles* handles) {
  if (handles) FPoints = ComputePoints(*handles);
}

TDotArray TCustomDiagramLine::ComputePoints(const TStretchHandles& handles) const {
  const TRouteHandles snapshot = Snapshot(handles);
  switch (FLineStyle) {
    case lsSideLine: return SideLine::Points(snapshot, FOrientation1);
    case lsParabolicArc:
    case lsCircularArc: return ArcPoints(snapshot, StyleArcType());
    case lsBezier: return BezierPoints(snapshot);
    case lsLine: break;
  }
  return StraightPoints(snapshot);
}

void TCustomDiagramLine::Reroute() {
  if (IsLoading() || IsDestroying()) return;
  if (Diagram() && Diagram()->IsInternalUpdating()) return;
  EnsureLinkPoints();
  EnsureHandles();
  TRouteRequest request = EndsRequest(TRouteKind::Reroute);
  if (request.SourceAnchor) request.P1 = request.SourceAnchor->DiagramPoint();
  if (request.TargetAnchor) request.P2 = request.TargetAnchor->DiagramPoint();
  RouteHandles(Handles(), request);
  NotifyAnchoreds(acPosition);
  if (IsSideLine()) CopyEndOrientations();
}

void TCustomDiagramLine::SetLineStyle(TDiagramLineStyle style) {
  if (style == FLineStyle) return;
  FLineStyle = style;
  NotifyBoundsChanged();
  LineStyleChanged();
  Redraw();
}

void TCustomDiagramLine::LineStyleChanged() {
  // While loading, the handles come from the stream.
  if (IsLoading()) return;
  EnsureLinkPoints();
  EnsureHandles();
  RouteHandles(Handles(), EndsRequest(TRouteKind::Create));
  if (IsSideLine()) CopyEndOrientations();
}

void TCustomDiagramLine::UpdateLine() {
  if (FTextCellsMode == tmManual) return;
  UpdatePoints(Handles());
  PlaceTextCells();
}

// --- Notifications ------------------------------------------------------------------------------

void TCustomDiagramLine::HandlesChanged() {
  NotifyBoundsChanged();
  if (IsDestroying() || FExchangingHandles) return;
  // While the stream fills the handles and cells one by one, nothing derived is rebuilt:
  // Loaded does it once from the complete state.
  if (IsBeingRead()) return;
  UpdateLine();
  NotifyAnchoreds(acPosition);
  if (TDiagramControl* group = GroupBlock()) group->MemberGeometryChanged(this);
}

void TCustomDiagramLine::AnchorLinkChanged(TLinkPoint* linkPoint) {
  if (IsDestroying()) return;
  if (linkPoint && linkPoint->AnchorLink()) Reroute();
}

void TCustomDiagramLine::LinkedAnchorChanged(TLinkPoint* linkPoint, TAnchorChange change) {
  if (IsDestroying()) return;
  Reroute();
}

void TCustomDiagramLine::TextCellDestroying(TTextCell* cell) {
  TDiagramControl::TextCellDestroying(cell);
  for (QPointer<TTextCell>* slot : {&FCenterTextCell, &FSourceTextCell, &FTargetTextCell, &FAltSourceTextCell,
                                    &FAltTargetTextCell})
    if (*slot == cell) *slot = nullptr;
}

void TCustomDiagramLine::UnlinkUnselectedAnchors() {
  if (!FRequiresConnections) TDiagramControl::UnlinkUnselectedAnchors();
}

void TCustomDiagramLine::DiagramChanged(TCustomDiagram* oldDiagram, TCustomDiagram* newDiagram) {
  if (oldDiagram) {
    // Leaving a diagram that is going away keeps the links between its elements.
    if (!oldDiagram->IsDiagramDestroying()) NotifyAnchoreds(acRemoval);
    oldDiagram->UnregisterLine(this);
  }
  if (newDiagram) newDiagram->RegisterLine(this);
  TDiagramControl::DiagramChanged(oldDiagram, newDiagram);
}

// --- Handles and link points --------------------------------------------------------------------

TLinkPoint* TCustomDiagramLine::HandleLinkPoint(TStretchHandle* handle) {
  const int index = Handles()->IndexOf(handle);
  if (index < 0) return nullptr;
  if (index == 0) return SourceLinkPoint();
  if (index == Handles()->Count() - 1) return TargetLinkPoint();
  return nullptr;
}

TDot TCustomDiagramLine::LinkPointClientPoint(const TLinkPoint* linkPoint) const {
  const TStretchHandles* handles = Handles();
  if (!linkPoint || !handles || handles->Count() == 0) return NullDot;
  switch (linkPoint->Index()) {
    case 0: return handles->Handle(0)->OrPoint();
    case 1: return handles->Handle(handles->Count() - 1)->OrPoint();
    default: return NullDot;
  }
}

void TCustomDiagramLine::ExchangeHandles() {
  const TRouteHandles own = Snapshot(*Handles());
  const TRouteHandles temp = Snapshot(*FTempHandles);
  FExchangingHandles = true;
  try {
    ApplyRoute(*Handles(), temp);
    ApplyRoute(*FTempHandles, own);
  } catch (...) {
    FExchangingHandles = false;
    throw;
  }
  FExchangingHandles = false;
}

void TCustomDiagramLine::ApplyCursorGeometry() {
  ExchangeHandles();
  FCursorGeometry = true;
  UpdateLine();
}

void TCustomDiagramLine::RestoreSavedGeometry() {
  ExchangeHandles();
  FCursorGeometry = false;
  UpdateLine();
}

void TCustomDiagramLine::CopyTempHandlesToHandles() { CopyHandles(*Handles(), *FTempHandles); }

// --- Geometry -----------------------------------------------------------------------------------

bool TCustomDiagramLine::PointInControl(const TPoint& pos) {
  UpdatePoints(Handles());
  const TDot p = PointToDot(pos);
  constexpr double Tolerance = 5;
  for (size_t i = 1; i < FPoints.size(); ++i) {
    const TDot& a = FPoints[i - 1];
    const TDot& b = FPoints[i];
    bool near;
    if (a.X != b.X && a.Y != b.Y)
      near = NearSegment(p, Tolerance, a.X, a.Y, b.X, b.Y);
    else if (a.Y == b.Y)
      near = NearHorzSegment(p, Tolerance, a.Y, a.X, b.X);
    else
      near = NearVertSegment(p, Tolerance, a.X, a.Y, b.Y);
    if (near) return true;
  }
  return false;
}

const TDotArray& TCustomDiagramLine::RoutePoints() const {
  const TStretchHandles& handles = *Handles();
  const bool reading = IsBeingRead();
  if (!reading && FRouteMemo && FRouteMemo->first == WrittenRevision()) {
    CheckKeptResult(FRouteMemo->second, [&] { return ComputePoints(handles); }, "route");
    return FRouteMemo->second;
  }
  constexpr quint64 NeverValid = std::numeric_limits<quint64>::max();
  FRouteMemo.emplace(reading ? NeverValid : WrittenRevision(), ComputePoints(handles));
  return FRouteMemo->second;
}

TSquare TCustomDiagramLine::ControlRect() const {
  const TDotArray& points = RoutePoints();
  constexpr double Max = std::numeric_limits<int32_t>::max();
  TSquare rect{Max, Max, -Max, -Max};
  for (const TDot& p : points) {
    rect.Left = std::min(rect.Left, p.X);
    rect.Top = std::min(rect.Top, p.Y);
    rect.Right = std::max(rect.Right, p.X);
    rect.Bottom = std::max(rect.Bottom, p.Y);
  }
  return rect;
}

void TCustomDiagramLine::MoveBy(double dx, double dy) {
  TStretchHandles* handles = Handles();
  handles->BeginUpdate();
  for (int i = 0; i < handles->Count(); ++i)
    handles->Handle(i)->SetOrPoint(AddDots(handles->Handle(i)->OrPoint(), TDot{dx, dy}));
  handles->EndUpdate();
}

// --- Moving, inserting, dragging handles ---------------------------------------------------------

void TCustomDiagramLine::StartMoving() { CopyHandles(*FTempHandles, *Handles()); }

void TCustomDiagramLine::StartHandleMoving() { CopyHandles(*FTempHandles, *Handles()); }

void TCustomDiagramLine::ControlMoving(TControlMoveInfo& info) {
  EnsureLinkPoints();
  EnsureHandles();
  if (info.Action != caEraseCursor) {
    TRouteRequest request = EndsRequest(TRouteKind::ControlMove);
    request.P1 = AddDots(request.P1, info.Delta);
    request.P2 = AddDots(request.P2, info.Delta);
    request.SourceAnchor = AnchorMovingAlong(SourceLinkPoint());
    request.TargetAnchor = AnchorMovingAlong(TargetLinkPoint());
    if (info.AnchorPoint && info.LinkPoint == SourceLinkPoint()) {
      request.SourceAnchor = info.AnchorPoint;
      request.P1 = info.AnchorPoint->DiagramPoint();
    } else if (info.AnchorPoint && info.LinkPoint == TargetLinkPoint()) {
      request.TargetAnchor = info.AnchorPoint;
      request.P2 = info.AnchorPoint->DiagramPoint();
    }
    CopyHandles(*FTempHandles, *Handles());
    RouteHandles(FTempHandles.get(), request);
  }
  switch (info.Action) {
    case caEraseCursor:
    case caDrawCursor: DrawCursor(info.Canvas, FTempHandles.get()); break;
    case caMoved:
      CopyTempHandlesToHandles();
      if (IsSideLine()) CopyEndOrientations();
      break;
    case caPositionCursor: break;
  }
}

void TCustomDiagramLine::ControlInserting(TControlInsertInfo& info) {
  EnsureLinkPoints();
  TRouteRequest request;
  request.P1 = info.P1;
  request.P2 = info.P2;
  request.SourceAnchor = info.AnchorPoint1;
  request.TargetAnchor = info.AnchorPoint2;
  request.Kind = TRouteKind::Insert;
  switch (info.Action) {
    case iaDrawCursor:
      CopyHandles(*FTempHandles, *Handles());
      RouteHandles(FTempHandles.get(), request);
      DrawCursor(info.Canvas, FTempHandles.get());
      break;
    case iaEraseCursor: DrawCursor(info.Canvas, FTempHandles.get()); break;
    case iaInserted:
      if (info.Clicked) request.P2 = AddDots(request.P1, TDot{100, 50});
      RouteHandles(Handles(), request);
      SourceLinkPoint()->SetAnchorLink(info.AnchorPoint1);
      TargetLinkPoint()->SetAnchorLink(info.AnchorPoint2);
      if (IsSideLine()) CopyEndOrientations();
      break;
  }
}

void TCustomDiagramLine::HandleMoving(THandleMoveInfo& info) {
  EnsureLinkPoints();
  EnsureHandles();
  if (info.Action != haEraseCursor) {
    TRouteRequest request = EndsRequest(TRouteKind::HandleMove);
    request.DraggedHandle = info.AHandle;
    request.Delta = info.Delta;
    const int index = Handles()->IndexOf(info.AHandle);
    if (index == Handles()->Count() - 1) {
      request.TargetAnchor = info.AnchorPoint;
      request.P2 = info.AnchorPoint ? info.AnchorPoint->DiagramPoint() : AddDots(request.P2, info.Delta);
    } else if (index == 0) {
      request.SourceAnchor = info.AnchorPoint;
      request.P1 = info.AnchorPoint ? info.AnchorPoint->DiagramPoint() : AddDots(request.P1, info.Delta);
    }
    CopyHandles(*FTempHandles, *Handles());
    RouteHandles(FTempHandles.get(), request);
  }
  switch (info.Action) {
    case haEraseCursor:
    case haDrawCursor: DrawCursor(info.Canvas, FTempHandles.get()); break;
    case haMoved: {
      TLinkPoint* end = HandleLinkPoint(info.AHandle);  // before inner handles may go
      CopyTempHandlesToHandles();
      const bool elementMakesPoint = info.DControl && info.DControl->AutoCreateLinkPoints();
      if (end && !elementMakesPoint) end->SetAnchorLink(info.AnchorPoint);
      if (IsSideLine()) CopyEndOrientations();
      break;
    }
    case haPositionCursor: break;
  }
}

// --- Streaming ------------------------------------------------------------------------------------

void TCustomDiagramLine::DefineProperties(TFiler& filer) {
  TDiagramControl::DefineProperties(filer);
  filer.DefineProperty(
      QStringLiteral("Handles"), [this](TReader& reader) { reader.ReadCollection(Handles()); },
      [this](TWriter& writer) { writer.WriteCollection(Handles()); }, true);
  filer.DefineProperty(
      QStringLiteral("LinkPoints"), [this](TReader& reader) { reader.ReadCollection(LinkPoints()); },
      [this](TWriter& writer) { writer.WriteCollection(LinkPoints()); }, true);
}

void TCustomDiagramLine::Loaded() {
  TDiagramControl::Loaded();
  // A stream may hold fewer ends than a line needs: the missing ones are made.
  EnsureLinkPoints();
  const int streamedHandles = Handles()->Count();
  EnsureHandles();
  // Handles are stored without their Data: the orientations of the end segments come back
  // from Orientation1 and Orientation2.
  if (IsSideLine()) {
    Handles()->Handle(0)->SetData(SideLine::DataOfOrientation(FOrientation1));
    Handles()->Handle(Handles()->Count() - 1)->SetData(SideLine::DataOfOrientation(FOrientation2));
  }
  AdoptLoadedSpecificCells();
  const int needed = FLineStyle == lsBezier ? 4 : (FLineStyle == lsParabolicArc || FLineStyle == lsCircularArc) ? 3 : 2;
  if (streamedHandles < needed) LineStyleChanged();  // rebuild the style's handles from the ends
  Reroute();
  UpdateLine();
}

// --- Concrete lines -------------------------------------------------------------------------------

void TDiagramPolyLine::AfterConstruction() {
  TBaseDiagramLine::AfterConstruction();
  SetInsertStyle(isDraw);
}

TRouteHandles TDiagramPolyLine::RouteByStyle(const TRouteHandles& previous, const TRouteRequest& request,
                                             int dragged) {
  if (LineStyle() != lsLine) return TBaseDiagramLine::RouteByStyle(previous, request, dragged);
  TRouteInput input;
  input.P1 = request.P1;
  input.P2 = request.P2;
  input.Kind = request.Kind;
  input.Dragged = dragged;
  input.Delta = request.Delta;
  return RoutePolyline(previous, input);
}

void TDiagramPolyLine::ControlDrawing(TControlDrawInfo& info) {
  switch (info.Action) {
    case daStart:
      Handles()->BeginUpdate();
      Handles()->Clear();
      Handles()->Add(info.P1.X, info.P1.Y, crSizeNWSE, 0, hsSize);
      Handles()->EndUpdate();
      break;
    case daStep: {
      Handles()->Add(info.P2.X, info.P2.Y, crSizeNWSE, 0, hsSize);
      TDiagramDrawInfo draw;
      draw.Canvas = info.Canvas;
      DrawLine(draw, Handles(), false);
      break;
    }
    case daDrawCursor: {
      // The rubber band from the last point to the mouse.
      TRouteInput band;
      band.P1 = info.P1;
      band.P2 = info.P2;
      ApplyRoute(*TempHandles(), RouteStraight(band));
      DrawCursor(info.Canvas, TempHandles());
      break;
    }
    case daEraseCursor: DrawCursor(info.Canvas, TempHandles()); break;
    case daInserted:
      EnsureLinkPoints();
      SourceLinkPoint()->SetAnchorLink(info.AnchorPoint1);
      TargetLinkPoint()->SetAnchorLink(info.AnchorPoint2);
      break;
  }
}

void TDiagramSideLine::AfterConstruction() {
  TBaseDiagramLine::AfterConstruction();
  SetTextCellsMode(tmSegments);
  SetLineStyle(lsSideLine);
}

void TDiagramArc::AfterConstruction() {
  TBaseDiagramLine::AfterConstruction();
  FArcType = atParabolic;
  SetLineStyle(lsParabolicArc);
  TRouteRequest request;
  request.P1 = TDot{50, 50};
  request.P2 = TDot{100, 100};
  request.Kind = TRouteKind::Create;
  RouteHandles(Handles(), request);
  SetTextCellsMode(tmSingle);
}

void TDiagramArc::SetArcType(TArcType type) {
  if (type == FArcType) return;
  FArcType = type;
  if (LineStyle() == lsParabolicArc || LineStyle() == lsCircularArc)
    SetLineStyle(type == atCircular ? lsCircularArc : lsParabolicArc);
}

void TDiagramArc::LineStyleChanged() {
  // The arc type follows a style switched between the two arc styles.
  if (LineStyle() == lsParabolicArc) FArcType = atParabolic;
  if (LineStyle() == lsCircularArc) FArcType = atCircular;
  TBaseDiagramLine::LineStyleChanged();
}

void TDiagramBezier::AfterConstruction() {
  TBaseDiagramLine::AfterConstruction();
  SetTextCellsMode(tmSingle);
  SetLineStyle(lsBezier);
}

void RegisterLineClasses() {
  static const bool registered = [] {
    RegisterClass<TDiagramLine>();
    RegisterClass<TDiagramPolyLine>();
    RegisterClass<TDiagramSideLine>();
    RegisterClass<TDiagramArc>();
    RegisterClass<TDiagramBezier>();
    RegisterClass<TDiagramLineJoin>();
    return true;
  }();
  (void)registered;
}
