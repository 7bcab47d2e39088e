// Handle layout, client positions of handles and link points, and the drawing of the
// handle frame of the Visio handle style.

#include "elements/BlockPaintGuards.h"
#include "elements/Blocks.h"
#include "elements/CustomDiagram.h"
#include "elements/StretchHandles.h"
#include "geometry/BlockShapes.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <array>

namespace {

// The size cursor ring: handle d (1..8) at angle step k shows entry (d - 1 + k) mod 8.
constexpr std::array<TCursor, 8> SizeCursorRing{crSizeNWSE, crSizeNS, crSizeNESW, crSizeWE,
                                                crSizeNWSE, crSizeNS, crSizeNESW, crSizeWE};

struct THandleLayout {
  int Data;
  TDot Position;
  TCursor Cursor;
  THandleStyle Style;
};

}  // namespace

void TCustomDiagramBlock::UpdateBlockHandles() {
  const TSquare r = Drawer()->OriginalRect();
  const double midX = (r.Left + r.Right) / 2;
  const double midY = (r.Top + r.Bottom) / 2;
  const bool visio = Diagram() && Diagram()->HandlesStyle() == hsVisio;
  const TDot rotatePosition = visio ? TDot{midX, r.Top} : TDot{r.Right - (r.Right - r.Left) / 10, midY};
  const std::array<THandleLayout, 9> layout{{
      {1, {r.Left, r.Top}, crSizeNWSE, hsSize},
      {2, {midX, r.Top}, crSizeNS, hsSize},
      {3, {r.Right, r.Top}, crSizeNESW, hsSize},
      {4, {r.Right, midY}, crSizeWE, hsSize},
      {5, {r.Right, r.Bottom}, crSizeNWSE, hsSize},
      {6, {midX, r.Bottom}, crSizeNS, hsSize},
      {7, {r.Left, r.Bottom}, crSizeNESW, hsSize},
      {8, {r.Left, midY}, crSizeWE, hsSize},
      {9, rotatePosition, crHandPoint, hsRotate},
  }};
  TStretchHandles* handles = Handles();
  handles->BeginUpdate();
  try {
    auto place = [handles](const THandleLayout& entry) {
      TStretchHandle* handle = handles->FindByData(entry.Data);
      if (!handle) handle = static_cast<TStretchHandle*>(handles->TCollection::Add());
      handle->SetOrPoint(entry.Position);
      handle->SetCursor(entry.Cursor);
      handle->SetData(entry.Data);
      handle->SetStyle(entry.Style);
    };
    for (const THandleLayout& entry : layout) place(entry);
    if (visio) {
      place({10, {0, 0}, crHandPoint, hsRotCenter});
    } else if (TStretchHandle* rotCenter = handles->FindByData(10)) {
      // Classic handles have no rotation-centre grip (a block may come from a Visio diagram).
      handles->Delete(rotCenter->Index());
    }
  } catch (...) {
    handles->EndUpdate();
    throw;
  }
  handles->EndUpdate();
  CursorRingFollowsAngle();
}

void TCustomDiagramBlock::CursorRingFollowsAngle() {
  const int step = Trunc((Angle() + 22.5) / 45);
  TStretchHandles* handles = Handles();
  if (!handles) return;
  for (int data = 1; data <= 8; ++data)
    if (TStretchHandle* handle = handles->FindByData(data))
      handle->SetCursor(SizeCursorRing[static_cast<size_t>((data - 1 + step) % 8)]);
}

TStretchHandle* TCustomDiagramBlock::OppositeHandle(int data) const {
  // 1 <-> 5 and 3 <-> 7 face each other; edge handles have no single opposite.
  static constexpr std::array<int, 9> Opposite{0, 5, 0, 7, 0, 1, 0, 3, 0};
  if (data < 1 || data > 8 || Opposite[static_cast<size_t>(data)] == 0) return nullptr;
  return Handles()->FindByData(Opposite[static_cast<size_t>(data)]);
}

TDot TCustomDiagramBlock::HandleClientPoint(const TStretchHandle* handle) const {
  TBlockDrawer& drawer = ScratchDrawer();
  switch (handle->Style()) {
    case hsSize:
    case hsCustom: return drawer.RotX(drawer.PPX(handle->OrPoint()));
    case hsRotate: {
      if (!CanRotate()) return NullDot;
      const bool visio = Diagram() && Diagram()->HandlesStyle() == hsVisio;
      TDot source = handle->OrPoint();
      if (visio && Handles()->RotCenterHandle()) source.X = FRotCenter.X;
      TDot point = drawer.PPX(source);
      if (visio) {
        TDot canvas = ToCanvas(point);
        canvas.Y -= 24;
        point = ToClient(canvas);
      }
      return drawer.RotX(point);
    }
    case hsRotCenter: {
      TBlockDrawerStateGuard guard(drawer);
      drawer.SetOriginalRect({0, 0, 100, 100});
      return drawer.RotX(drawer.PPX(FRotCenter));
    }
  }
  return handle->OrPoint();
}

TDot TCustomDiagramBlock::LinkPointClientPoint(const TLinkPoint* linkPoint) const {
  TBlockDrawer& drawer = ScratchDrawer();
  return drawer.RotX(drawer.PP(linkPoint->OrPoint()));
}

void TCustomDiagramBlock::DrawHandles(const TDiagramDrawInfo& info) {
  TCustomDiagram* diagram = Diagram();
  if (diagram && info.Canvas && diagram->HandlesStyle() == hsVisio && Selected() && !AsMember()) {
    TCanvas& canvas = *info.Canvas;
    TPenBrushSaver saver(canvas);
    const bool inMultiSelection = diagram->UsesSelectionBlock() && !IsSelectionBlock();
    canvas.Brush()->SetStyle(bsClear);
    canvas.Pen()->SetWidth(1);
    canvas.Pen()->SetMode(pmCopy);
    canvas.Pen()->SetColor(inMultiSelection ? clFuchsia : clLime);
    canvas.Pen()->SetStyle(inMultiSelection ? psSolid : psDot);
    TBlockDrawer& drawer = *Drawer();
    TBlockDrawerStateGuard guard(drawer);
    SetupDrawer(&drawer);
    drawer.SetCanvas(&canvas);
    const TSquare r = drawer.CurRect();
    drawer.DrawRotRect(r.Left, r.Top, r.Right, r.Bottom);
    TStretchHandle* rotate = Handles()->RotateHandle();
    if (CanRotate() && !inMultiSelection && rotate) {
      const TDot from = ToCanvas(RotationCenterPoint());
      const TDot to = ToCanvas(HandleClientPoint(rotate));
      canvas.MoveTo(Round(from.X), Round(from.Y));
      canvas.LineTo(Round(to.X), Round(to.Y));
    }
  }
  TDiagramControl::DrawHandles(info);
}

// --- Outline and hit testing ----------------------------------------------------------------

void TCustomDiagramBlock::GetSurroundPoints(TDotArray& points) const {
  points.clear();
  if (ActiveDgrDrawer()) return;
  TBlockDrawer& drawer = ScratchDrawer();
  const TSquare b = BoundsRect();
  switch (FShape) {
    case bsEllipse: points = EllipsePoints(b.Left, b.Top, b.Right, b.Bottom, 0, 360, true); break;
    case bsRoundRect: points = RoundRectPoints(b.Left, b.Top, b.Right, b.Bottom, b.Width() / 4, b.Height() / 4); break;
    case bsDiamond: {
      points = DiamondPoints(b);
      points.push_back(points.front());
      break;
    }
    case bsSquareRound: {
      const TSquare r = drawer.OriginalRect();
      const TDot a = drawer.PP(r.Left, r.Top);
      const TDot c = drawer.PP(r.Right, r.Bottom);
      const double h = c.Y - a.Y;
      points = RoundRectPoints(a.X, a.Y, c.X, c.Y, h, h);
      break;
    }
    default:
      points = {{b.Left, b.Top}, {b.Right, b.Top}, {b.Right, b.Bottom}, {b.Left, b.Bottom}, {b.Left, b.Top}};
      break;
  }
  for (TDot& p : points) p = drawer.RotX(p);
}

TCustomDiagramBlock::TOutlineKey TCustomDiagramBlock::CurrentOutlineKey() const {
  return {BoundsRect(), Angle(), FShape, Drawer()->OriginalRect(), ActiveDgrDrawer(), FOutlineRevision};
}

const TDotArray& TCustomDiagramBlock::SurroundPoints() const {
  const TOutlineKey key = CurrentOutlineKey();
  if (!FOutlineValid || !(key == FOutlineKey)) {
    GetSurroundPoints(FOutline);
    FOutlinePoints.resize(FOutline.size());
    for (size_t i = 0; i < FOutline.size(); ++i) FOutlinePoints[i] = DotToPoint(FOutline[i]);
    FOutlineBox = {};
    if (!FOutlinePoints.empty()) {
      FOutlineBox = {FOutlinePoints[0].X, FOutlinePoints[0].Y, FOutlinePoints[0].X, FOutlinePoints[0].Y};
      for (const TPoint& p : FOutlinePoints) {
        FOutlineBox.Left = std::min(FOutlineBox.Left, p.X);
        FOutlineBox.Top = std::min(FOutlineBox.Top, p.Y);
        FOutlineBox.Right = std::max(FOutlineBox.Right, p.X);
        FOutlineBox.Bottom = std::max(FOutlineBox.Bottom, p.Y);
      }
    }
    FOutlinePath.reset();
    if (TDgrBlockDrawer* drawer = ActiveDgrDrawer()) FOutlinePath = SurroundPathOf(*drawer);
    FOutlineKey = key;
    FOutlineValid = true;
  }
  return FOutline;
}

const TPointArray& TCustomDiagramBlock::HitPolygon(TPointArray& scratch) const {
  SurroundPoints();
  TCustomDiagram* diagram = Diagram();
  if (!diagram || !diagram->HasSurroundPointsHook()) return FOutlinePoints;
  scratch = FOutlinePoints;
  diagram->DoGetSurroundPts(const_cast<TCustomDiagramBlock*>(this), scratch);
  return scratch;
}

namespace {

// Whether the pixel (x, y) belongs to the polygon's region with the alternate rule: its
// centre lies inside by the even-odd crossing test (so a rectangle polygon covers its
// left and top edges but not its right and bottom ones).
bool PixelInPolygon(const TPointArray& polygon, int x, int y) {
  const double px = x + 0.5;
  const double py = y + 0.5;
  bool inside = false;
  const size_t n = polygon.size();
  for (size_t i = 0, j = n - 1; i < n; j = i++) {
    const double xi = polygon[i].X, yi = polygon[i].Y;
    const double xj = polygon[j].X, yj = polygon[j].Y;
    if ((yi > py) != (yj > py)) {
      const double crossX = xj + (py - yj) * (xi - xj) / (yi - yj);
      if (px < crossX) inside = !inside;
    }
  }
  return inside;
}

}  // namespace

const TDgrGraphicsPath* TCustomDiagramBlock::SurroundPathCached() const {
  SurroundPoints();
  return FOutlinePath.get();
}

bool TCustomDiagramBlock::PointInControl(const TPoint& pos) {
  TPointArray scratch;
  const TPointArray& polygon = HitPolygon(scratch);
  if (polygon.size() >= 3) {
    // A pixel whose centre lies outside the polygon's bounds cannot be inside it.
    if (&polygon == &FOutlinePoints && (pos.X < FOutlineBox.Left || pos.X >= FOutlineBox.Right ||
                                        pos.Y < FOutlineBox.Top || pos.Y >= FOutlineBox.Bottom))
      return false;
    return PixelInPolygon(polygon, pos.X, pos.Y);
  }
  if (const TDgrGraphicsPath* path = SurroundPathCached()) return path->IsVisible(pos.X, pos.Y);
  return false;
}

namespace {

// A vertex repeating the one before adds an edge of no length, which the region ignores;
// zoomed out, most of a curved outline's vertices fall on the pixel of the one before.
void AddVertex(TPointArray& points, const TPoint& p) {
  if (points.empty() || !(points.back() == p)) points.push_back(p);
}

TRegion PolygonRegion(const TPointArray& points) {
  if (points.size() < 3) return {};
  return TRegion::FromPolygon(points, true);
}

}  // namespace

TRegion TCustomDiagramBlock::OutlineRegion() const {
  TPointArray canvasPoints;
  TCustomDiagram* diagram = Diagram();
  if (diagram && diagram->HasSurroundPointsHook()) {
    TPointArray scratch;
    for (const TPoint& p : HitPolygon(scratch)) AddVertex(canvasPoints, DotToPoint(ToCanvas(PointToDot(p))));
    return PolygonRegion(canvasPoints);
  }
  const TDotArray& outline = SurroundPoints();
  const std::optional<TCanvasMapping> mapping = diagram ? diagram->CanvasMapping() : std::nullopt;
  const auto workOut = [&] {
    canvasPoints.clear();
    canvasPoints.reserve(outline.size());
    if (mapping) {
      for (const TDot& p : outline) AddVertex(canvasPoints, DotToPoint(mapping->Apply(p)));
    } else {
      for (const TDot& p : outline) AddVertex(canvasPoints, DotToPoint(ToCanvas(p)));
    }
    return PolygonRegion(canvasPoints);
  };
  if (mapping && FRegionMemo && FRegionMemo->Outline == FOutlineKey && FRegionMemo->Mapping == *mapping) {
    CheckKeptResult(FRegionMemo->Region.ToQRegion(), [&] { return workOut().ToQRegion(); }, "outline region");
    return FRegionMemo->Region;
  }
  TRegion region = workOut();
  if (mapping) FRegionMemo = TRegionMemo{FOutlineKey, *mapping, region};
  return region;
}
