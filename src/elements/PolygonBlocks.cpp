// Point collections, construction, the rebuild after every change, streaming, painting on
// both routes and the outline used for hit testing.

#include "elements/PolygonBlocks.h"
#include "elements/BlockPaintGuards.h"
#include "elements/CustomDiagram.h"
#include "elements/HandlesAppearance.h"
#include "elements/StretchHandles.h"
#include "geometry/PolygonGeometry.h"
#include "platform/Canvas.h"
#include "platform/Filer.h"

// --- TDrawPoint / TDrawPoints ---------------------------------------------------------------

TDrawPoint::TDrawPoint(TCollection* collection) : TCollectionItem(collection) {}

void TDrawPoint::Assign(const TPersistent* source) {
  if (const auto* other = qobject_cast<const TDrawPoint*>(source)) {
    FX = other->FX;
    FY = other->FY;
    return;
  }
  TCollectionItem::Assign(source);
}

TDrawPoints::TDrawPoints(QObject* owner)
    : TCollection(owner, [](TCollection* c) -> TCollectionItem* { return new TDrawPoint(c); }) {}

TDrawPoints::TDrawPoints(QObject* owner, TItemFactory factory) : TCollection(owner, std::move(factory)) {}

TDrawPoint* TDrawPoints::Add(double x, double y) {
  TDrawPoint* point = Add();
  point->SetP({x, y});
  return point;
}

void TDrawPoints::Append(const TDrawPoints* points) {
  if (!points) return;
  // Copied first, so appending a collection to itself adds each point once.
  const TDotArray dots = points->Dots();
  for (const TDot& p : dots) Add(p.X, p.Y);
}

TDotArray TDrawPoints::Dots() const {
  TDotArray dots;
  dots.reserve(static_cast<size_t>(Count()));
  for (int i = 0; i < Count(); ++i) dots.push_back(Point(i)->P());
  return dots;
}

void TDrawPoints::SetDots(const TDotArray& dots) {
  const int n = std::min(Count(), static_cast<int>(dots.size()));
  for (int i = 0; i < n; ++i) Point(i)->SetP(dots[static_cast<size_t>(i)]);
}

// --- TPolygonPoint / TPolygonPoints ---------------------------------------------------------

TPolygonPoint::TPolygonPoint(TCollection* collection) : TDrawPoint(collection) {}

void TPolygonPoint::Assign(const TPersistent* source) { TDrawPoint::Assign(source); }

TPolygonPoints::TPolygonPoints(QObject* owner, bool destroyObjects)
    : TDrawPoints(owner, [](TCollection* c) -> TCollectionItem* { return new TPolygonPoint(c); }),
      FDestroyObjects(destroyObjects) {}

TPolygonPoint* TPolygonPoints::Add(double x, double y) {
  TPolygonPoint* point = Add();
  point->SetP({x, y});
  return point;
}

int TPolygonPoints::IndexOfHandle(const TStretchHandle* handle) const {
  if (!handle) return -1;
  for (int i = 0; i < Count(); ++i)
    if (Point(i)->Handle() == handle) return i;
  return -1;
}

TPolygonPoint* TPolygonPoints::FindByHandle(const TStretchHandle* handle) const {
  const int index = IndexOfHandle(handle);
  return index < 0 ? nullptr : Point(index);
}

TDotArray TPolygonPoints::ClosedPoints() const { return ClosedPolygon(Dots()); }

void TPolygonPoints::CopyFrom(const TPolygonPoints& source) {
  if (&source == this) return;
  BeginUpdate();
  try {
    while (Count() > source.Count()) Delete(Count() - 1);
    while (Count() < source.Count()) Add();
    for (int i = 0; i < Count(); ++i) {
      Point(i)->SetP(source.Point(i)->P());
      Point(i)->SetHandle(source.Point(i)->Handle());
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TPolygonPoints::Notify(TCollectionItem* item, TCollectionNotification action) {
  TDrawPoints::Notify(item, action);
  // A point of the block's own polygon takes its handle with it (a stream replacing the
  // points clears the collection first), so no handle is left without a point.
  if (!FDestroyObjects || action != TCollectionNotification::Deleting) return;
  auto* point = static_cast<TPolygonPoint*>(item);
  if (TStretchHandle* handle = point->Handle()) {
    point->SetHandle(nullptr);
    if (TCollection* handles = handle->Collection()) handles->Delete(handle->Index());
  }
}

TSquare PolygonBounds(const TDrawPoints& points) { return PolygonBounds(points.Dots()); }

void FitPolygon(TDrawPoints& points, const TSquare& rect) {
  TDotArray dots = points.Dots();
  FitPolygon(dots, rect);
  points.SetDots(dots);
}

void RotatePolygon(TDrawPoints& points, const TDrawPoints* ref, double angle) {
  const TSquare box = PolygonBounds(ref ? *ref : points);
  TDotArray dots = points.Dots();
  RotatePolygon(dots, angle, {(box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2});
  points.SetDots(dots);
}

// --- TCustomPolygonBlock: construction and rebuild ------------------------------------------

TCustomPolygonBlock::TCustomPolygonBlock(QObject* owner) : TCustomDiagramBlock(owner) {}

TCustomPolygonBlock::~TCustomPolygonBlock() {
  // The points' handles go first, while the handle collection is still ours to change.
  if (FPolygon) {
    for (int i = 0; i < FPolygon->Count(); ++i) {
      TPolygonPoint* point = FPolygon->Point(i);
      TStretchHandle* handle = point->Handle();
      point->SetHandle(nullptr);
      if (handle && Handles()) Handles()->Delete(handle->Index());
    }
  }
  FSavePolygon.reset();
  FCursorPolygon.reset();
  FTempPolygon.reset();
  FPolygon.reset();
}

void TCustomPolygonBlock::AfterConstruction() {
  // The block part runs without the polygon, so its first bounds change fits nothing.
  TCustomDiagramBlock::AfterConstruction();
  FPolygon = std::make_unique<TPolygonPoints>(this, true);
  FTempPolygon = std::make_unique<TPolygonPoints>(this, false);
  FCursorPolygon = std::make_unique<TPolygonPoints>(this, false);
  FSavePolygon = std::make_unique<TPolygonPoints>(this, false);
  FPointColor = static_cast<TColor>(0x00FF00);
  SetShape(ElementEnums::bsNoShape);
  SetAlignment(taCenter);
  SetVertAlign(ElementEnums::vaCenter);
  SetInsertStyle(isDraw);
  SetShapeCursor(true);
}

TSquare TCustomPolygonBlock::OrRect() const { return Drawer()->OriginalRect(); }

TDot TCustomPolygonBlock::CentreOfBounds() const {
  const TSquare b = BoundsRect();
  return {(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2};
}

TDot TCustomPolygonBlock::RotationCenterIn(const TSquare& box) const {
  const TSquare from = OrRect();
  const TDot offset = RotationCenter();
  TBlockDrawer drawer;
  drawer.SetOriginalRect(from);
  drawer.SetCurRect(box);
  TDot p{drawer.PXS(from.Left + offset.X), drawer.PYS(from.Top + offset.Y)};
  // From a frame without extent (a new or just loaded empty polygon) there is no place to
  // carry over: the centre goes to the middle of the new box.
  if (from.Right == from.Left) p.X = (box.Left + box.Right) / 2;
  if (from.Bottom == from.Top) p.Y = (box.Top + box.Bottom) / 2;
  return {p.X - box.Left, p.Y - box.Top};
}

void TCustomPolygonBlock::ReframePolygon(const TSquare& box) {
  SetRotationCenterField(RotationCenterIn(box));
  Drawer()->SetOriginalRect(box);
}

void TCustomPolygonBlock::UpdatePolygon() {
  if (!FPolygon) return;
  ReframePolygon(PolygonBounds(*FPolygon));
  UpdateBlockHandles();
  TStretchHandles* handles = Handles();
  handles->BeginUpdate();
  try {
    for (int i = 0; i < FPolygon->Count(); ++i) {
      TPolygonPoint* point = FPolygon->Point(i);
      if (!point->Handle()) point->SetHandle(handles->Add(point->X(), point->Y(), crSizeNWSE, -1, hsSize));
      point->Handle()->SetData(-1);
      point->Handle()->SetOrPoint(point->P());
    }
  } catch (...) {
    handles->EndUpdate();
    throw;
  }
  handles->EndUpdate();
  InvalidateOutline();
}

void TCustomPolygonBlock::ChangePolygon(TPolygonPoints*) {
  UpdatePolygon();
  Redraw();
}

void TCustomPolygonBlock::BoundsChanged(const TSquare& oldBounds, const TSquare& newBounds) {
  TCustomDiagramBlock::BoundsChanged(oldBounds, newBounds);
  // While loading the points are not read yet; the loaded hook rebuilds once.
  if (!FPolygon || IsLoading()) return;
  FitPolygon(*FPolygon, newBounds);
  UpdatePolygon();
}

void TCustomPolygonBlock::SetPointColor(TColor color) {
  if (color == FPointColor) return;
  FPointColor = color;
  Redraw();
}

// --- Streaming --------------------------------------------------------------------------

void TCustomPolygonBlock::DefineProperties(TFiler& filer) {
  TCustomDiagramBlock::DefineProperties(filer);
  filer.DefineProperty(
      QStringLiteral("Polygon"), [this](TReader& reader) { reader.ReadCollection(FPolygon.get()); },
      [this](TWriter& writer) { writer.WriteCollection(FPolygon.get()); }, true);
}

void TCustomPolygonBlock::Loaded() {
  TCustomDiagramBlock::Loaded();
  UpdatePolygon();
}

// --- Cursor geometry --------------------------------------------------------------------

void TCustomPolygonBlock::ApplyCursorGeometry() {
  TCustomDiagramBlock::ApplyCursorGeometry();
  FSavePolygon->CopyFrom(*FPolygon);
  FPolygon->CopyFrom(*FCursorPolygon);
  InvalidateOutline();
}

void TCustomPolygonBlock::RestoreSavedGeometry() {
  FPolygon->CopyFrom(*FSavePolygon);
  TCustomDiagramBlock::RestoreSavedGeometry();
  InvalidateOutline();
}

// --- Mapping ----------------------------------------------------------------------------

TSquare TCustomPolygonBlock::SourceRectToClient(const TSquare& rect) const {
  TBlockDrawer& drawer = ScratchDrawer();
  TBlockDrawerStateGuard guard(drawer);
  drawer.SetOriginalRect({0, 0, 100, 100});
  const TDot a = drawer.PP(rect.Left, rect.Top);
  const TDot b = drawer.PP(rect.Right, rect.Bottom);
  return {a.X, a.Y, b.X, b.Y};
}

TDot TCustomPolygonBlock::LinkPointClientPoint(const TLinkPoint* linkPoint) const {
  // Link points keep the 0..100 space of other blocks, whatever the points' box is.
  TBlockDrawer& drawer = ScratchDrawer();
  TBlockDrawerStateGuard guard(drawer);
  drawer.SetOriginalRect({0, 0, 100, 100});
  return drawer.RotX(drawer.PP(linkPoint->OrPoint()));
}

TDot TCustomPolygonBlock::RotationCenterPoint() const {
  const TSquare b = BoundsRect();
  TDotArray point{{b.Left + RotationCenter().X, b.Top + RotationCenter().Y}};
  RotatePolygon(point, Angle(), CentreOfBounds());
  return point.front();
}

bool TCustomPolygonBlock::IsPointHandle(const TStretchHandle* handle) const {
  return handle && handle->Data() == -1;
}

TDot TCustomPolygonBlock::HandleClientPoint(const TStretchHandle* handle) const {
  if (!handle) return NullDot;
  if (handle->Style() == hsRotCenter) return RotationCenterPoint();
  if (IsPointHandle(handle)) {
    if (const TPolygonPoint* point = FPolygon ? FPolygon->FindByHandle(handle) : nullptr) {
      auto* mutableHandle = const_cast<TStretchHandle*>(handle);
      if (handle->OrPoint() != point->P()) mutableHandle->SetOrPoint(point->P());
    }
    TDotArray at{handle->OrPoint()};
    RotatePolygon(at, Angle(), CentreOfBounds());
    return at.front();
  }
  const bool visio = Diagram() && Diagram()->HandlesStyle() == hsVisio;
  if (handle->Style() == hsRotate && visio && Handles()->RotCenterHandle() && CanRotate()) {
    // Above the rotation centre: the centre's offset is in client units here.
    TBlockDrawer& drawer = ScratchDrawer();
    TDot point = drawer.PPX(handle->OrPoint());
    point.X = BoundsRect().Left + RotationCenter().X;
    TDot canvas = ToCanvas(point);
    canvas.Y -= 24;
    return drawer.RotX(ToClient(canvas));
  }
  return TCustomDiagramBlock::HandleClientPoint(handle);
}

void TCustomPolygonBlock::DrawHandle(const TDiagramDrawInfo& info, TStretchHandle* handle) {
  if (!IsPointHandle(handle)) {
    TCustomDiagramBlock::DrawHandle(info, handle);
    return;
  }
  TCustomDiagram* diagram = Diagram();
  HandlesAppearance()->ResetForStyle(diagram ? diagram->HandlesStyle() : hsVisio, IsMember());
  HandlesAppearance()->Size()->Brush()->SetColor(FPointColor);
  DrawHandleGrip(info, handle);
}

// --- Outline ----------------------------------------------------------------------------

void TCustomPolygonBlock::GetSurroundPoints(TDotArray& points) const {
  points.clear();
  if (!FPolygon || FPolygon->Count() == 0) return;
  if (EffectiveGraphicLib() != dglGDI && DgrDrawer()) return;
  TDotArray dots = FPolygon->Dots();
  RotatePolygon(dots, Angle());
  points = ClosedPolygon(dots);
}

void TCustomPolygonBlock::GetDgrPath(TDgrGraphicsPath& path, TDgrBlockDrawer& drawer) const {
  if (FPolygon && FPolygon->Count() > 0) {
    FTempPolygon->CopyFrom(*FPolygon);
    FitPolygon(*FTempPolygon, drawer.DestRect());
    path.AddPolygon(FTempPolygon->Dots());
    drawer.RotatePath(path);
  }
  DgrPathCreated(path);
}

void TCustomPolygonBlock::GetSurroundPath(TDgrGraphicsPath& path, TDgrBlockDrawer& drawer) const {
  // An empty polygon has no outline: no rectangle stands in for it, so it is never hit.
  if (!FPolygon || FPolygon->Count() == 0) return;
  TCustomDiagramBlock::GetSurroundPath(path, drawer);
}

// --- Painting ---------------------------------------------------------------------------

void TCustomPolygonBlock::DrawShape(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo&) {
  if (!FPolygon || FPolygon->Count() == 0) return;
  if (info.DgrDrawer) {
    const std::unique_ptr<TDgrGraphicsPath> path = info.DgrDrawer->CreatePath();
    GetDgrPath(*path, *info.DgrDrawer);
    info.DgrDrawer->Canvas()->Path(*path);
    return;
  }
  if (!info.Canvas) return;
  FTempPolygon->CopyFrom(*FPolygon);
  RotatePolygon(*FTempPolygon, nullptr, Angle());
  // The points are painted where they are; a drawer moved off the block (the shadow step)
  // or given another rectangle (previews) carries them along.
  const TSquare b = BoundsRect();
  const TDot a = ToCanvas({b.Left, b.Top});
  const TDot c = ToCanvas({b.Right, b.Bottom});
  const TSquare canvasBounds{a.X, a.Y, c.X, c.Y};
  const TSquare target = info.Drawer ? info.Drawer->CurRect() : canvasBounds;
  TPointArray points;
  for (const TDot& p : FTempPolygon->ClosedPoints())
    points.push_back(DotToPoint(MapBetweenRects(ToCanvas(p), canvasBounds, target)));
  info.Canvas->Polygon(points);
}

// --- TPolygonBlock / TTextBlock -------------------------------------------------------------

TPolygonBlock::TPolygonBlock(QObject* owner) : TCustomPolygonBlock(owner) {}

TTextBlock::TTextBlock(QObject* owner) : TCustomDiagramBlock(owner) {}

void TTextBlock::AfterConstruction() {
  TCustomDiagramBlock::AfterConstruction();
  SetShape(ElementEnums::bsNoShape);
  SetRestrictions(crNoRotation);
  DefaultTextCell()->SetText(QStringLiteral("Text block"));
}

void RegisterPolygonBlockClasses() {
  if (!IsClassRegistered(QStringLiteral("TTextBlock"))) RegisterClass<TTextBlock>();
  if (!IsClassRegistered(QStringLiteral("TPolygonBlock"))) RegisterClass<TPolygonBlock>();
}
