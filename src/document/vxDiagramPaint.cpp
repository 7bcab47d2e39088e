// The paint pass: background, rulers and grid, page lines, elements in paint order, drag
// shapes, node markers and handles, for every paint style.
#include "document/SelectionBlock.h"
#include "document/vxDiagram.h"
#include "drawing/DgrClasses.h"
#include "elements/LinkPoints.h"
#include "platform/Canvas.h"
#include "platform/ColorMaps.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

bool InCursorSet(TDControlPaintMode mode) { return mode == pmNormalCursor || mode == pmCursorOnly; }
bool InNormalSet(TDControlPaintMode mode) { return mode == pmNormal || mode == pmNormalCursor; }

bool Intersects(const TSquare& a, const TSquare& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

TSquare Normalized(const TSquare& r) {
  return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right), std::max(r.Top, r.Bottom)};
}

// Clears the painting flag and restores the screen style whatever happens in a pass.
struct TPassGuard {
  TPassGuard(bool& painting, TPaintStyle& style) : Painting(painting), Style(style) {}
  ~TPassGuard() {
    Painting = false;
    Style = psScreen;
  }
  bool& Painting;
  TPaintStyle& Style;
};

// Hands the engine to an element's drawer for the time it draws, and takes it back.
struct TEngineLoan {
  TEngineLoan(TDgrBlockDrawer* drawer, TDgrPaintEngine* engine) : Drawer(engine ? drawer : nullptr) {
    if (Drawer) Drawer->SetPaintEngine(engine);
  }
  ~TEngineLoan() {
    if (Drawer) Drawer->SetPaintEngine(nullptr);
  }
  TDgrBlockDrawer* Drawer;
};

}  // namespace

void TvxDiagram::PaintTo(TCanvas* canvas, TPaintStyle style, const TDot& offset, const TRect& area) {
  FPaintStyle = style;
  FPreviewOffset = offset;
  FPaintArea = area;
  if (FPaintArea.Width() <= 0 || FPaintArea.Height() <= 0) {
    QPaintDevice* device = canvas->HandleAllocated() ? canvas->Handle()->device() : nullptr;
    FPaintArea = device ? TRect{0, 0, device->width(), device->height()} : TRect{0, 0, ClientWidth(), ClientHeight()};
  }
  TPassGuard guard(FPainting, FPaintStyle);
  FPainting = true;
  PaintDiagram(canvas);
}

TRect TvxDiagram::PaintRect() const {
  switch (FPaintStyle) {
    case psScreen: return {0, 0, ClientWidth(), ClientHeight()};
    case psPreview:
    case psPrint:
      return {0, 0, Round(MilimetersToClient(FPageSettings->PaperWidth())),
              Round(MilimetersToClient(FPageSettings->PaperHeight()))};
    case psBitmap: return FPaintArea;
  }
  return FPaintArea;
}

TSquare TvxDiagram::VisibleArea() const {
  switch (FPaintStyle) {
    case psScreen:
    case psPreview:
    case psPrint:
      return {double(FPaintArea.Left), double(FPaintArea.Top), double(FPaintArea.Right), double(FPaintArea.Bottom)};
    case psBitmap:
      return {0, 0, double(std::max({ClientWidth(), FHorzScrollBar->Range(), FPaintArea.Right})),
              double(std::max({ClientHeight(), FVertScrollBar->Range(), FPaintArea.Bottom}))};
  }
  return {};
}

void TvxDiagram::BuildCache() {
  const QSize size(std::max(1, ClientWidth()), std::max(1, ClientHeight()));
  if (FCacheImage.size() != size) FCacheImage = NewScreenImage(size.width(), size.height(), QImage::Format_ARGB32_Premultiplied);
  FDoingCache = true;
  try {
    TCanvas canvas(&FCacheImage);
    PaintTo(&canvas, psScreen, {0, 0});
  } catch (...) {
    FDoingCache = false;
    throw;
  }
  FDoingCache = false;
  FUseCache = true;
}

void TvxDiagram::PaintStaticPicture(TCanvas* canvas) {
  if (FPaintStyle == psScreen) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(FColor);
    canvas->FillRect(FPaintArea);
  } else if (FPaintStyle == psBitmap) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(FExportBackgroundColor);
    canvas->FillRect(FPaintArea);
  }
  if (OnBeforePaint) OnBeforePaint(this, canvas);
  if (FBackground->Visible() && FBackground->Gradient()->Visible()) {
    const TRect r = PaintRect();
    FBackground->Gradient()->DrawGradient(canvas, TSquare{double(r.Left), double(r.Top), double(r.Right), double(r.Bottom)}, 0);
  }
  // Rulers, the grid and page lines draw here on screen once their own code is in.
}

void TvxDiagram::SetEngineTransform(TDgrPaintEngine* engine) {
  engine->ResetTransform();
  switch (FPaintStyle) {
    case psScreen:
      engine->ScaleTransform(FZoomRatio, FZoomRatio);
      engine->TranslateTransform(-FHorzScrollBar->Position(), -FVertScrollBar->Position());
      engine->TranslateTransform(LeftRulerWidth(), TopRulerHeight());
      break;
    case psPreview:
    case psPrint:
      engine->SetPageUnit(dpuPixel);
      engine->ScaleTransform(FPrintConvX, FPrintConvY);
      engine->TranslateTransform(FPreviewOffset.X, FPreviewOffset.Y);
      engine->ScaleTransform(FAdjustRatioX, FAdjustRatioY);
      engine->ScaleTransform(FPreviewZoom, FPreviewZoom);
      break;
    case psBitmap:
      engine->TranslateTransform(FPreviewOffset.X, FPreviewOffset.Y);
      engine->ScaleTransform(FZoomRatio, FZoomRatio);
      break;
  }
}

void TvxDiagram::DrawElement(TCanvas* canvas, TDgrPaintEngine* engine, TDiagramControl* control, bool cursorSet) {
  if (control->IsGroup()) {
    std::vector<TDiagramControl*> members;
    control->CollectLeafMembers(members);
    for (TDiagramControl* member : members)
      if (member != control) DrawElement(canvas, engine, member, cursorSet);
    return;
  }
  const TDControlPaintMode mode = control->IntPaintMode();
  if (!(cursorSet ? InCursorSet(mode) : InNormalSet(mode)) || !control->IsVisible()) return;
  control->CalcSize(canvas);
  const TSquare rect = control->Angle() != 0 ? control->SurroundRect() : control->ControlRect();
  if (!Intersects(Normalized(ClientToCanvas(rect)), VisibleArea())) return;
  TDiagramDrawInfo info{canvas, control->Drawer(), control->DgrDrawer()};
  TEngineLoan loan(control->DgrDrawer(), engine);
  control->DrawControl(info);
  ++FLastPaintedCount;
  if (FShowLinkPoints && FPaintStyle == psScreen) control->DrawLinkPoints(info, engine, false);
}

void TvxDiagram::DrawTopElements(const std::vector<TDiagramControl*>& controls, TCanvas* canvas,
                                 TDgrPaintEngine* engine, bool cursorSet,
                                 const std::function<bool(const TDiagramControl*)>& test) {
  for (TDiagramControl* control : controls)
    if (!control->IsMember() && test(control)) DrawElement(canvas, engine, control, cursorSet);
}

void TvxDiagram::ControlPaintModeChanged(TDiagramControl* control) {
  if (!control->IsSelectionBlock()) FCursorModeControls.insert(control);  // the frame is never listed
}

std::vector<TDiagramControl*> TvxDiagram::CursorModeElements() {
  std::vector<TDiagramControl*> cursor;
  for (auto it = FCursorModeControls.begin(); it != FCursorModeControls.end();) {
    if ((*it)->IntPaintMode() == pmNormal) {
      it = FCursorModeControls.erase(it);
      continue;
    }
    if (InCursorSet((*it)->IntPaintMode())) cursor.push_back(*it);
    ++it;
  }
  return cursor.empty() ? cursor : FSpatialIndex.InListOrder(cursor);
}

// The index is asked with the visible area taken back to client units and widened by a
// couple of pixels, so rounding in the conversion cannot lose an element; DrawElement
// still applies its exact test to each candidate, which keeps the pass's output unchanged.
std::vector<TDiagramControl*> TvxDiagram::PaintCandidates(bool markers) {
  const TSquare area = VisibleArea();
  // Every paint style maps client units to canvas pixels by a scale and an offset per axis.
  const TDot origin = ClientToCanvas(TDot{0, 0});
  const TDot unit = ClientToCanvas(TDot{1, 1});
  const double scaleX = unit.X - origin.X;
  const double scaleY = unit.Y - origin.Y;
  if (!(scaleX > 0 && scaleY > 0 && std::isfinite(scaleX) && std::isfinite(scaleY))) return FDControls;
  // Canvas pixels: rounding slack, or what a link point or collapse marker covers around its point.
  const double slack = markers ? 16 : 2;
  const TSquare client{(area.Left - slack - origin.X) / scaleX, (area.Top - slack - origin.Y) / scaleY,
                       (area.Right + slack - origin.X) / scaleX, (area.Bottom + slack - origin.Y) / scaleY};
  return markers ? FSpatialIndex.MarkerCandidates(client) : FSpatialIndex.Candidates(client);
}

void TvxDiagram::DrawElementHandles(TCanvas* canvas, TDiagramControl* control) {
  // The selection frame is invisible itself; only its grips show.
  if (!control->IsVisible() && !control->IsSelectionBlock()) return;
  TDiagramDrawInfo info{canvas, control->Drawer(), control->DgrDrawer()};
  control->DrawHandles(info);
  if (!control->IsGroup()) return;
  std::vector<TDiagramControl*> members;
  control->CollectLeafMembers(members);
  for (TDiagramControl* member : members)
    if (member && member != control) DrawElementHandles(canvas, member);
}

void TvxDiagram::PaintDiagram(TCanvas* canvas) {
  FLastPaintedCount = 0;
  std::unique_ptr<TDgrPaintEngine> engine;
  if (PathDrawingMode() && IsGraphicLibAvailable(FGraphicLib)) {
    // The engine sizes its surface from the device rectangle: for preview and print the
    // paper in client units would cover only part of a printer page.
    engine = CreatePaintEngine(FGraphicLib, canvas, FPaintArea);
    if (engine) {
      engine->SetSmoothMode(FSmoothMode);
      engine->SetTextRenderingMode(FTextRenderingMode);
    }
  }
  if (FUseCache && !FDoingCache && FPaintStyle == psScreen) canvas->Handle()->drawImage(0, 0, FCacheImage);
  else PaintStaticPicture(canvas);

  if (engine) {
    engine->BeginDraw();
    SetEngineTransform(engine.get());
  }
  const std::vector<TDiagramControl*> cursorElements = CursorModeElements();
  try {
    if (!(FUseCache && !FDoingCache)) {
      const std::vector<TDiagramControl*> controls = PaintCandidates();
      DrawTopElements(controls, canvas, engine.get(), false,
                      [](const TDiagramControl* c) { return c->IsBackgroundControl(); });
      if (FPaintLinesFirst) {
        DrawTopElements(controls, canvas, engine.get(), false,
                        [](const TDiagramControl* c) { return !c->IsBackgroundControl() && c->IsLine(); });
        DrawTopElements(controls, canvas, engine.get(), false,
                        [](const TDiagramControl* c) { return !c->IsBackgroundControl() && !c->IsLine(); });
      } else {
        DrawTopElements(controls, canvas, engine.get(), false,
                        [](const TDiagramControl* c) { return !c->IsBackgroundControl(); });
      }
    }
    for (TDiagramControl* c : cursorElements) c->ApplyCursorGeometry();
    // Without elements in the cursor set (no drag in progress) this walk would draw nothing.
    if (!cursorElements.empty()) {
      const std::vector<TDiagramControl*> controls = FDControls;
      DrawTopElements(controls, canvas, engine.get(), true, [](const TDiagramControl*) { return true; });
    }
    if (FPaintStyle == psScreen) {
      // Elements in the cursor set stand where the index does not file them.
      const std::vector<TDiagramControl*> controls = cursorElements.empty() ? PaintCandidates(true) : FDControls;
      for (TDiagramControl* c : controls) {
        if (!c->HasNodePoint() || !c->IsVisible()) continue;
        TDiagramDrawInfo info{canvas, c->Drawer(), c->DgrDrawer()};
        TEngineLoan loan(c->DgrDrawer(), engine.get());
        c->DrawLinkPoints(info, engine.get(), true);
      }
    }
    if (engine) engine->EndDraw();
    if (FPaintStyle == psScreen) {
      // Handles belong to the selection: an element draws handles only while it is selected,
      // and a group (its frame and its members' handles) only while it or an element inside
      // it is. So the pass visits the selected elements that are no members and the
      // outermost groups of selected members, in list order, and not the whole list: the
      // elements it leaves out would draw nothing.
      std::vector<TDiagramControl*> owners;
      owners.reserve(FSelecteds.size());
      for (TDiagramControl* c : FSelecteds) owners.push_back(c->IsMember() ? c->MasterGroup() : c);
      for (TDiagramControl* c : FSpatialIndex.InListOrder(owners))
        if ((c->Selected() || c->IsGroup()) && !c->IsMember() && c->IsVisible()) DrawElementHandles(canvas, c);
      if (UsesSelectionBlock() && !FDoingCache) DrawElementHandles(canvas, FSelBlock.get());
    }
  } catch (...) {
    for (TDiagramControl* c : cursorElements) c->RestoreSavedGeometry();
    throw;
  }
  for (TDiagramControl* c : cursorElements) c->RestoreSavedGeometry();
  if (!(FUseCache && !FDoingCache) && OnAfterPaint) OnAfterPaint(this, canvas);
}
