// The paint pass: background, rulers and grid, page lines, elements in paint order, drag
// shapes, node markers and handles, for every paint style.
#include "document/SelectionBlock.h"
#include "document/vxDiagram.h"
#include "drawing/DgrClasses.h"
#include "elements/LinkPoints.h"
#include "platform/Canvas.h"
#include "platform/ColorMaps.h"
#include "platform/StreamRecordCache.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <bit>
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
  const TSquare area = Normalized(ClientToCanvas(rect));
  if (!Intersects(area, VisibleArea())) return;
  ++FLastPaintedCount;
  if (FPicturesInPass && !cursorSet && mode == pmNormal && DrawFromPicture(canvas, control, area)) return;
  DrawElementContent(canvas, engine, control);
}

void TvxDiagram::DrawElementContent(TCanvas* canvas, TDgrPaintEngine* engine, TDiagramControl* control) {
  TDiagramDrawInfo info{canvas, control->Drawer(), control->DgrDrawer()};
  TEngineLoan loan(control->DgrDrawer(), engine);
  control->DrawControl(info);
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
  FPicturesInPass = CanUsePictures(*canvas, engine.get()) &&
                    FPictures.BeginPass(PictureViewKey(*canvas), *canvas->Handle()->device());
  struct TPicturesPassGuard {
    TvxDiagram& Diagram;
    ~TPicturesPassGuard() {
      if (!Diagram.FPicturesInPass) return;
      Diagram.FPicturesInPass = false;
      if (Diagram.FPictureEngine) Diagram.FPictureEngine->EndDraw();
      Diagram.FPictureEngine.reset();
      Diagram.FPictures.EndPass();
    }
  } picturesGuard{*this};
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

// --- Element pictures ---------------------------------------------------------------------

TPictureViewKey TvxDiagram::PictureViewKey(const TCanvas& canvas) const {
  const TDot origin = ClientToCanvas(TDot{0, 0});
  const TDot unit = ClientToCanvas(TDot{1, 1});
  TPictureViewKey key;
  key.Scale = unit.X - origin.X;
  key.Origin = origin;
  key.Settings = {std::bit_cast<quint64>(unit.Y - origin.Y),
                  quint64(FGraphicLib),
                  quint64(FSmoothMode),
                  quint64(FTextRenderingMode),
                  quint64(FShowLinkPoints),
                  quint64(FShowCrossIndicators),
                  quint64(FAutomaticNodes),
                  quint64(FFixedSideLines),
                  quint64(IsRightToLeft()),
                  quint64(FHandlesStyle),
                  quint64(FDesignMode),
                  quint64(reinterpret_cast<quintptr>(EditingCell())),
                  quint64(FActiveLayers),
                  quint64(canvas.Font()->PixelsPerInch()),
                  FStreamRecordGeneration,
                  FSettingsRevision};
  return key;
}

// Pictures need the path engine drawing straight into the view's painter (so copies and
// drawn elements interleave in paint order), a view painter without a transform, and no
// handler that draws with or instead of the elements.
bool TvxDiagram::CanUsePictures(TCanvas& canvas, const TDgrPaintEngine* engine) const {
  if (!engine || !engine->DrawsInPlace() || FPaintStyle != psScreen || !FPictures.Enabled()) return false;
  if (OnDrawBlock || OnDrawShape || OnAfterDrawBlock || OnDrawLinkPoint) return false;
  const QPainter* painter = canvas.HandleAllocated() ? canvas.Handle() : nullptr;
  return painter && canvas.WorldTransform().isIdentity() && painter->worldTransform().isIdentity() &&
         painter->opacity() == 1.0 && painter->compositionMode() == QPainter::CompositionMode_SourceOver;
}

bool TvxDiagram::DrawFromPicture(TCanvas* canvas, TDiagramControl* control, const TSquare& area) {
  // Only elements that report every change of their bounds and link points keep pictures.
  if (!control->ReportsBoundsChanges() || control->IsBeingRead()) return false;
  // Link point markers show which points are nodes, which follows the anchoring anywhere.
  const bool markers = FShowLinkPoints && !control->IsLine();
  const TElementPictureState state{control->WrittenRevision(), markers ? LinkPointAnchoringRevision() : 0,
                                   control->Selected()};
  const TElementPicture* picture = FPictures.Find(control);
  if (picture && picture->State == state) {
    if (picture->Direct) return false;
    if (StreamRecordCheck()) CheckPicture(control, *picture);
  } else {
    if (!DrawPicture(control, state, area)) return false;
    picture = FPictures.Find(control);
  }
  FPictures.Copy(*canvas->Handle(), *picture);
  return true;
}

// The element draws on an area around its bounds, widened for what it draws outside them
// (shadow, pen, arrowheads, markers, text running over); a picture that reaches the area's
// edge is not used.
bool TvxDiagram::DrawPicture(TDiagramControl* control, const TElementPictureState& state, const TSquare& area) {
  const double side = std::max(area.Right - area.Left, area.Bottom - area.Top);
  // At least a link point marker on the bounds (about 4 pixels with its edges) clear of the
  // area's empty edge; more for larger elements (text) and zooms (shadows and arrowheads are
  // given in client units).
  const int margin = std::max(4 + TElementPictures::EdgeWidth,
                              static_cast<int>(std::ceil(std::min(side / 4, 16.0) + 24 * FZoomRatio)));
  const QRect bounds(QPoint(static_cast<int>(std::floor(area.Left)) - margin, static_cast<int>(std::floor(area.Top)) - margin),
                     QPoint(static_cast<int>(std::ceil(area.Right)) + margin - 1,
                            static_cast<int>(std::ceil(area.Bottom)) + margin - 1));
  if (!FPictures.Reserve(control, state, bounds)) return false;
  try {
    TCanvas& scratch = FPictures.ScratchCanvas();
    if (!FPictureEngine) FPictureEngine = CreateViewEngine(scratch);
    DrawElementContent(&scratch, FPictureEngine.get(), control);
  } catch (...) {
    FPictures.Forget(control);
    throw;
  }
  return FPictures.Finish(control);
}

std::unique_ptr<TDgrPaintEngine> TvxDiagram::CreateViewEngine(TCanvas& canvas) {
  QPaintDevice* device = canvas.Handle()->device();
  std::unique_ptr<TDgrPaintEngine> engine =
      CreatePaintEngine(FGraphicLib, &canvas, TRect{0, 0, device->width(), device->height()});
  engine->SetSmoothMode(FSmoothMode);
  engine->SetTextRenderingMode(FTextRenderingMode);
  engine->BeginDraw();
  SetEngineTransform(engine.get());
  return engine;
}

namespace {

// Equal but for the rounding of anti-aliased edges: no channel differs by more than a few levels.
bool NearlyEqual(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return false;
  for (int y = 0; y < a.height(); ++y) {
    const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = rowA[x];
      const QRgb q = rowB[x];
      if (std::abs(qRed(p) - qRed(q)) > 3 || std::abs(qGreen(p) - qGreen(q)) > 3 ||
          std::abs(qBlue(p) - qBlue(q)) > 3 || std::abs(qAlpha(p) - qAlpha(q)) > 3)
        return false;
    }
  }
  return true;
}

}  // namespace

// Compares the picture with the element drawn afresh as the pass would draw it in place,
// over the area it was given and a little more, so a stale picture shows both by what it
// has and by what it misses.
void TvxDiagram::CheckPicture(TDiagramControl* control, const TElementPicture& picture) {
  constexpr int around = 8;
  // The area lies inside the view (pictures are made only so), so the fresh image reaches it.
  const QRect area = picture.Area.adjusted(-around, -around, around, around);
  QImage fresh = FPictures.NewImage(QSize(area.right() + 1, area.bottom() + 1));
  {
    TCanvas freshCanvas(&fresh);
    const std::unique_ptr<TDgrPaintEngine> engine = CreateViewEngine(freshCanvas);
    DrawElementContent(&freshCanvas, engine.get(), control);
    engine->EndDraw();
  }
  const QRect compared = area & fresh.rect();
  fresh = fresh.copy(compared);
  QImage kept = FPictures.NewImage(compared.size());
  if (!picture.Cell.isEmpty()) {
    QPainter painter(&kept);
    painter.drawImage(picture.ViewAt - compared.topLeft(), FPictures.CellPixels(picture));
  }
  if (!NearlyEqual(kept, fresh)) control->ThrowStaleKeptResult("picture");
}
