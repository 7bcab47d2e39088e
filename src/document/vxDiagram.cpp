#include "document/vxDiagram.h"
#include "document/ElementLists.h"
#include "elements/Blocks.h"
#include "document/SelectionBlock.h"
#include "elements/GroupBlocks.h"
#include "document/StreamDiagram.h"
#include "document/UndoStack.h"
#include "elements/LinkPoints.h"
#include "platform/Canvas.h"
#include "platform/ColorMaps.h"
#include "platform/Exceptions.h"
#include "streaming/ComponentStream.h"

#include <QPainter>
#include <QSet>
#include <algorithm>
#include <limits>
#include <cmath>

TvxDiagram::TvxDiagram(QWidget* parent) : TDgrCustomControl(parent) {
  RegisterGroupBlockClasses();  // streams naming groups can always be read
  FLayers = std::make_unique<TDiagramLayers>(this, this);
  FPageSettings = std::make_unique<TDiagramPageSettings>(this);
  FPrintSettings = std::make_unique<TDiagramPrintSettings>(this);
  FHorzScrollBar = std::make_unique<TDiagramScrollBar>(this, sbHorizontal);
  FVertScrollBar = std::make_unique<TDiagramScrollBar>(this, sbVertical);
  FUndoStack = std::make_unique<TDiagramUndoStack>(this);
  FSnapGrid = std::make_unique<TSnapGrid>(this);
  FPageLines = std::make_unique<TPageLines>(this);
  FBackground = std::make_unique<TDiagramBackground>(this);
  FTopRuler = std::make_unique<TDiagramRuler>(this, rpTop);
  FLeftRuler = std::make_unique<TDiagramRuler>(this, rpLeft);
  FFont = std::make_unique<TFont>();
  for (TDiagramPersistent* settings : std::initializer_list<TDiagramPersistent*>{
           FSnapGrid.get(), FPageLines.get(), FBackground.get(), FTopRuler.get(), FLeftRuler.get()})
    settings->OnChange = [this] { SettingsChanged(); };
  FFont->OnChange = [this](TPersistent*) { DiagramFontChanged(); };
  resize(200, 200);
  SetCtl3D(false);
  SetBorderStyle(bsSingle);
}

void TvxDiagram::AfterConstruction() {
  TDgrCustomControl::AfterConstruction();
  ResetView();
  FSelBlock.reset(Create<TSelectionBlock>(this));
  ClearUndoStack();
}

void TvxDiagram::BeforeDestruction() { TDgrCustomControl::BeforeDestruction(); }

TvxDiagram::~TvxDiagram() {
  // Elements are freed first: their teardown still reads the settings objects.
  SetComponentState(csDestroying);
  FPrintSettings.reset();
  FPageSettings.reset();
  FSelBlock.reset();
  ClearDControls();
  FUndoStack.reset();
  FBackground.reset();
  FSnapGrid.reset();
  FPageLines.reset();
  FTopRuler.reset();
  FLeftRuler.reset();
  FLayers.reset();
  FSubList.clear();
}

// --- Lists ----------------------------------------------------------------------------------

TDiagramControl* TvxDiagram::At(const std::vector<TDiagramControl*>& list, int index) {
  if (index < 0 || index >= static_cast<int>(list.size()))
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
  return list[static_cast<size_t>(index)];
}

bool TvxDiagram::MatchesFilter(const TDiagramControl* control, TDiagramControlFilter filter) const {
  switch (filter) {
    case cfAll: return true;
    case cfIgnoreMembers: return !control->IsMember();
    case cfIgnoreGroups: return !control->IsGroup();
    case cfIgnoreAsMembers: return !control->AsMember();
  }
  return true;
}

int TvxDiagram::SelectedCount(TDiagramControlFilter filter) const {
  return static_cast<int>(std::count_if(FSelecteds.begin(), FSelecteds.end(),
                                        [&](const TDiagramControl* c) { return MatchesFilter(c, filter); }));
}

int TvxDiagram::SelectedBlockCount(TDiagramControlFilter filter) const {
  return static_cast<int>(std::count_if(FBlocks.begin(), FBlocks.end(), [&](const TDiagramControl* c) {
    return c->Selected() && MatchesFilter(c, filter);
  }));
}

int TvxDiagram::SelectedLinkCount() const {
  return static_cast<int>(
      std::count_if(FLinks.begin(), FLinks.end(), [](const TDiagramControl* c) { return c->Selected(); }));
}

int TvxDiagram::IndexOfDControl(const TDiagramControl* control) const {
  auto it = std::find(FDControls.begin(), FDControls.end(), control);
  return it == FDControls.end() ? -1 : static_cast<int>(it - FDControls.begin());
}

TDiagramControl* TvxDiagram::FindDControl(const QString& name) const {
  for (TDiagramControl* c : FDControls)
    if (c->Name().compare(name, Qt::CaseInsensitive) == 0) return c;
  return nullptr;
}

TDiagramControl* TvxDiagram::FindBlock(const QString& name) const {
  for (TDiagramControl* c : FBlocks)
    if (c->Name().compare(name, Qt::CaseInsensitive) == 0) return c;
  return nullptr;
}

TDiagramControl* TvxDiagram::LinkBetweenBlocks(TDiagramControl* block1, TDiagramControl* block2) const {
  if (!block1 || !block2) return nullptr;
  for (TDiagramControl* line : FLinks) {
    TLinkPoints* points = line->LinkPoints();
    if (points->Count() < 2) continue;
    const TDiagramControl* source = points->Point(0)->Anchor();
    const TDiagramControl* target = points->Point(1)->Anchor();
    if ((source == block1 && target == block2) || (source == block2 && target == block1)) return line;
  }
  return nullptr;
}

const QMetaObject* TvxDiagram::ConnectionLineClass() const {
  // Element kinds and their line classes are registered by the element registry; until a
  // class of that name is registered there is no connection line class.
  const TRegisteredClass* entry = FindClass(FConnectionLineId);
  return entry ? entry->MetaObject : nullptr;
}

// --- Creation -------------------------------------------------------------------------------

QString TvxDiagram::FindCompName(const QObject* component, const QString& baseName) const {
  QString base = baseName;
  if (base.isEmpty()) {
    base = QString::fromLatin1(component->metaObject()->className());
    if (base.startsWith(u'T')) base.remove(0, 1);
  }
  const QObject* componentOwner = component->parent();
  // Elements owned by the owners searched below are found there; only the names of the
  // others are collected, once, rather than one search of the element list per candidate.
  QSet<QString> elementNames;
  for (const TDiagramControl* c : FDControls) {
    const QObject* owner = c->parent();
    if (owner == componentOwner || owner == Owner() || owner == this) continue;
    if (!c->Name().isEmpty()) elementNames.insert(c->Name().toCaseFolded());
  }
  for (int n = 1;; ++n) {
    const QString candidate = base + QString::number(n);
    const bool taken = (componentOwner && FindOwnedComponent(componentOwner, candidate)) ||
                       (Owner() && FindOwnedComponent(Owner(), candidate)) ||
                       FindOwnedComponent(this, candidate) || elementNames.contains(candidate.toCaseFolded());
    if (!taken) return candidate;
  }
}

TDiagramControl* TvxDiagram::CreateControl(const QMetaObject* elementClass, const QString& controlId) {
  if (!elementClass) return nullptr;
  const TRegisteredClass* entry = FindClass(QString::fromLatin1(elementClass->className()));
  if (!entry) return nullptr;
  QString baseName;
  if (OnBeforeCreateControl) OnBeforeCreateControl(this, controlId, baseName);
  QObject* made = entry->Factory(ChildOwner());
  auto* control = qobject_cast<TDiagramControl*>(made);
  if (!control) {
    Free(made);
    return nullptr;
  }
  control->SetName(FindCompName(control, baseName));
  control->SetDControlID(controlId);
  return control;
}

// --- Registry -------------------------------------------------------------------------------

void TvxDiagram::RegisterControl(TDiagramControl* control) {
  if (control->IsSelectionBlock()) return;  // the selection frame is never listed
  if (control->Name().isEmpty() && !IsLoading()) control->SetName(FindCompName(control, QString()));
  FDControls.push_back(control);
  FSpatialIndex.ListChanged();
  if (control->IntPaintMode() != pmNormal) FCursorModeControls.insert(control);
  if (control->Selected() && !Contains(FSelecteds, control)) FSelecteds.push_back(control);
  if (!IsLoading() && OnInsertDControl) OnInsertDControl(this, control);
  if (control->IsBlock() && !IsLoading() && FSnapGrid->Active() && FSnapGrid->Force()) {
    const TSquare rect = control->ControlRect();
    const TDot snapped = FSnapGrid->SnapPoint({rect.Left, rect.Top});
    if (snapped.X != rect.Left || snapped.Y != rect.Top) control->MoveBy(snapped.X - rect.Left, snapped.Y - rect.Top);
  }
  RecalcExtent();
  Redraw();
  Modified();
}

void TvxDiagram::UnregisterControl(TDiagramControl* control) {
  FCursorModeControls.erase(control);
  if (control->IsSelectionBlock()) return;
  if (FPreviousDControl == control) FPreviousDControl = nullptr;
  StreamRecordsChanged();  // records that referred to it (lines, groups) change
  RemoveFirst(FDControls, control);
  FSpatialIndex.Remove(control);
  FPictures.Forget(control);
  RemoveFirst(FSelecteds, control);
  if (!IsDestroying()) {
    if (OnRemoveDControl) OnRemoveDControl(this, control);
    RecalcExtent();
    Redraw();
  }
  Modified();
}

void TvxDiagram::RegisterBlock(TDiagramControl* block) {
  if (block->IsSelectionBlock()) return;
  FBlocks.push_back(block);
  if (!IsLoading() && OnInsertBlock) OnInsertBlock(this, block);
  Modified();
}

void TvxDiagram::UnregisterBlock(TDiagramControl* block) {
  if (block->IsSelectionBlock()) return;
  RemoveFirst(FBlocks, block);
}

void TvxDiagram::RegisterLine(TDiagramControl* line) {
  FLinks.push_back(line);
  if (!IsLoading() && OnInsertLink) OnInsertLink(this, line);
  Modified();
}

void TvxDiagram::UnregisterLine(TDiagramControl* line) { RemoveFirst(FLinks, line); }

// --- Update batching ------------------------------------------------------------------------

void TvxDiagram::BeginUpdate() {
  if (FUpdateCount == 0) FRedrawRequestCount = 0;
  ++FUpdateCount;
}

int TvxDiagram::EndUpdate(bool optimize) {
  if (FUpdateCount > 0) --FUpdateCount;
  if (FUpdateCount > 0) return -1;
  RecalcExtent();
  if (!optimize) {
    Redraw();
    return -1;
  }
  const int requests = FRedrawRequestCount;
  if (requests > 0) Redraw();
  FRedrawRequestCount = 0;
  return requests;
}

void TvxDiagram::Redraw() {
  if (FUpdateCount > 0) {
    ++FRedrawRequestCount;
    return;
  }
  if (FPainting || IsDestroying()) return;
  ++FInvalidationCount;
  Invalidate();
}

void TvxDiagram::Modified() {
  if (FInternalUpdating > 0 || !OnModified || IsDestroying() || IsLoading()) return;
  OnModified(this);
}

void TvxDiagram::EndUpdatePos() {
  if (FUpdatingPos <= 0) return;
  if (--FUpdatingPos == 0) {
    RecalcExtent();
    Redraw();
  }
}

void TvxDiagram::ClearDControls() {
  if (FDControls.empty()) return;
  // Everything goes, so the lists are emptied first: removing each element from them one
  // by one searched and shifted them, quadratic in a large diagram. Lines go before blocks,
  // so no line re-routes around a block that is going too. Each element still leaves the
  // diagram on its own (its removal event, its links and group).
  std::vector<QPointer<TDiagramControl>> doomed;
  doomed.reserve(FDControls.size());
  for (TDiagramControl* control : FDControls)
    if (control->IsLine()) doomed.emplace_back(control);
  for (TDiagramControl* control : FDControls)
    if (!control->IsLine()) doomed.emplace_back(control);
  FDControls.clear();
  FSelecteds.clear();
  FCursorModeControls.clear();
  FBlocks.clear();
  FLinks.clear();
  BeginUpdate();
  try {
    for (const QPointer<TDiagramControl>& control : doomed)
      if (control) Free(control.data());
    while (!FDControls.empty()) Free(FDControls.front());  // anything a removal added
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TvxDiagram::ResetView() {
  FMouseState = msBrowsing;
  FShowLinkPoints = true;
  FZoomRatio = 1.0;
  FPreviewZoom = 1.0;
  FPageSettings->ResetToDefaultPaper();
  FBackground->SetVisible(false);
  FSnapGrid->SetVisible(false);
  FSnapGrid->SetActive(false);
  FPageLines->SetVisible(false);
}

void TvxDiagram::Clear() {
  ClearDControls();
  ResetView();
}

void TvxDiagram::Assign(const QObject* source) {
  auto* other = qobject_cast<const TvxDiagram*>(source);
  if (!other) {
    const QString sourceName = source ? QString::fromLatin1(source->metaObject()->className()) : QStringLiteral("nil");
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2.").arg(sourceName, ClassName()));
  }
  if (other == this) return;
  auto* sourceDiagram = const_cast<TvxDiagram*>(other);
  const QString ownName = Name(), sourceName = other->Name();
  auto restoreNames = [&] {
    setObjectName(ownName);
    sourceDiagram->setObjectName(sourceName);
  };
  setObjectName(QString());
  sourceDiagram->setObjectName(QString());
  try {
    TComponentStreamOptions options;
    options.LookupRoot = Owner();
    const QByteArray data = WriteComponent(sourceDiagram, options);
    ReadComponent(data, this, options);
  } catch (...) {
    restoreNames();
    throw;
  }
  restoreNames();
}

void TvxDiagram::AddSubscriber(IDiagramSubscriber* subscriber) {
  if (subscriber) FSubList.push_back(subscriber);
}

void TvxDiagram::RefreshToolbars() {
  TDgrNotificationInfo info;
  info.Event = deLibraryChanged;
  const std::vector<IDiagramSubscriber*> subscribers = FSubList;
  for (IDiagramSubscriber* subscriber : subscribers) subscriber->DgrNotification(info);
}

// --- Block painting hooks -------------------------------------------------------------------

bool TvxDiagram::DoDrawBlock(TDiagramControl* block, const TDiagramDrawInfo& info,
                             const TDiagramDrawBlockInfo& blockInfo) {
  bool painted = false;
  if (OnDrawBlock) OnDrawBlock(this, block, info, blockInfo, painted);
  return painted;
}

bool TvxDiagram::DoDrawShape(TDiagramControl* block, const TDiagramDrawInfo& info,
                             const TDiagramDrawBlockInfo& blockInfo) {
  bool painted = false;
  if (OnDrawShape) OnDrawShape(this, block, info, blockInfo, painted);
  return painted;
}

bool TvxDiagram::DoAfterDrawBlock(TDiagramControl* block, const TDiagramDrawInfo& info,
                                  const TDiagramDrawBlockInfo& blockInfo) {
  bool painted = true;
  if (OnAfterDrawBlock) OnAfterDrawBlock(this, block, info, blockInfo, painted);
  return painted;
}

void TvxDiagram::DoGetSurroundPts(TDiagramControl* block, TPointArray& points) {
  if (OnGetSurroundPts) OnGetSurroundPts(this, block, points);
}

// --- Links ----------------------------------------------------------------------------------

void TvxDiagram::NotifyLinkAdded(TDiagramControl* control, TDiagramControl* line, TLinkPoint* linkPoint) {
  if (OnLinkAdded) OnLinkAdded(this, control, line, linkPoint);
}

void TvxDiagram::NotifyLinkRemoved(TDiagramControl* control, TDiagramControl* line, TLinkPoint* linkPoint) {
  if (!IsDestroying() && OnLinkRemoved) OnLinkRemoved(this, control, line, linkPoint);
}

// --- Layers ---------------------------------------------------------------------------------

bool TvxDiagram::LayerActive(int layer) const {
  if (layer == 0) return true;
  if (layer < 1 || layer > 63) return false;
  return (static_cast<quint64>(FActiveLayers) >> layer) & 1u;
}

void TvxDiagram::SetActiveLayers(qint64 value) {
  if (value == FActiveLayers) return;
  FActiveLayers = value;
  Redraw();
}

void TvxDiagram::ActivateLayer(int layer) {
  if (layer < 0 || layer > 63) return;
  SetActiveLayers(static_cast<qint64>(static_cast<quint64>(FActiveLayers) | (quint64{1} << layer)));
}

void TvxDiagram::DeactivateLayer(int layer) {
  if (layer < 0 || layer > 63) return;
  SetActiveLayers(static_cast<qint64>(static_cast<quint64>(FActiveLayers) & ~(quint64{1} << layer)));
  UnselectInvisible();
}

void TvxDiagram::DeleteLayerControls(TDiagramLayer* layer) {
  for (int i = DControlCount() - 1; i >= 0; --i) {
    if (i >= DControlCount()) continue;
    TDiagramControl* control = FDControls[static_cast<size_t>(i)];
    if (control->LayerObj() == layer) Free(control);
  }
}

void TvxDiagram::LayerDestroying(TDiagramLayer* layer) {
  for (TDiagramControl* control : FDControls) control->LayerDestroying(layer, IsLoading());
}

// --- Settings -------------------------------------------------------------------------------

void TvxDiagram::SetAutoScroll(bool value) {
  if (value == FAutoScroll) return;
  FAutoScroll = value;
  if (value) {
    RecalcExtent();
    Redraw();
  } else {
    FHorzScrollBar->SetRange(0);
    FVertScrollBar->SetRange(0);
  }
}

void TvxDiagram::SetAutoPage(bool value) {
  if (value == FAutoPage) return;
  FAutoPage = value;
  if (value) {
    RecalcExtent();
    Redraw();
  }
}

void TvxDiagram::SetBackground(const TDiagramBackground* value) {
  FBackground->Assign(value);
  Redraw();
}

int TvxDiagram::Zoom() const {
  // Taken in extended precision like the stored files expect: 29 reads back as 28.
  // Truncated before narrowing: 34.99999999999999778 must not round to 35 on the way.
  return Trunc(static_cast<double>(std::trunc(static_cast<long double>(FZoomRatio) * 100.0L)));
}

void TvxDiagram::SetZoom(int value) {
  if (value == Zoom()) return;
  SetZoomRatio(value / 100.0);
  // A zoom read from a stream comes back as stored: otherwise every save and load (and
  // every undo) of a zoom like 194 would lower it by one. The ratio moves by a few units
  // in the last place at most.
  if (IsLoading())
    for (int step = 0; step < 4 && Zoom() < value; ++step)
      FZoomRatio = std::nextafter(FZoomRatio, std::numeric_limits<double>::infinity());
  Redraw();
}

void TvxDiagram::SetBorderColor(TColor value) {
  if (value == FBorderColor) return;
  FBorderColor = value;
  RepaintBorder();
}

void TvxDiagram::SetHandlesStyle(TDiagramHandlesStyle value) {
  if (value == FHandlesStyle) return;
  FHandlesStyle = value;
  for (TDiagramControl* control : FBlocks)
    if (auto* block = dynamic_cast<TCustomDiagramBlock*>(control)) block->UpdateBlockHandles();
  Redraw();
}

void TvxDiagram::SetDesignMode(TDiagramDesignMode value) {
  if (value == FDesignMode) return;
  FDesignMode = value;
  Redraw();
}

void TvxDiagram::SetGraphicLib(TDgrGraphicLib value) {
  if (value == FGraphicLib) return;
  FGraphicLib = value;
  // Drawers are made on first use: asking each element for one here would make them all.
  for (TDiagramControl* control : FDControls)
    if (control->EffectiveGraphicLib() != dglGDI) control->FollowGraphicLib();
  Redraw();
}

void TvxDiagram::SetCustomGroupBlockClass(const QMetaObject* value) {
  FCustomGroupBlockClass = value;
  if (value && !IsClassRegistered(QString::fromLatin1(value->className()))) {
    // Registering needs a factory; classes handed in here are registered by their library.
  }
}

const QMetaObject* TvxDiagram::StreamDiagramClass() const { return &TStreamDiagram::staticMetaObject; }

void TvxDiagram::SetColor(TColor value) {
  FColor = value;
  FParentColor = false;
  Redraw();
}

void TvxDiagram::SetShowHint(bool value) {
  if (value == ShowHint()) return;
  TDgrCustomControl::SetShowHint(value);
  for (TDiagramControl* control : FDControls)
    if (control->ParentShowHint()) {
      control->SetShowHint(value);
      control->SetParentShowHint(true);
    }
}

void TvxDiagram::DiagramFontChanged() {
  BeginUpdate();
  for (TDiagramControl* control : FDControls)
    if (control->DiagramFont()) {
      control->SetDiagramFont(false);
      control->SetDiagramFont(true);
    }
  EndUpdate(false);
}

// --- Streaming ------------------------------------------------------------------------------

void TvxDiagram::GetChildren(const std::function<void(QObject*)>& proc, QObject* root) {
  // Elements are children of the stream only for files, undo, clipboard and designers.
  if (!FInternalStreaming && !FClipboardStreaming && !IsDesigning()) return;
  for (TDiagramControl* control : FDControls)
    if (!FClipboardStreaming || control->Name().startsWith(FClipPrefix)) proc(control);
}

void TvxDiagram::Loaded() {
  TDgrCustomControl::Loaded();
  RecalcExtent();
  if (FPageSettings->PaperWidth() == 0 || FPageSettings->PaperHeight() == 0) FPageSettings->ResetToDefaultPaper();
  for (TDiagramControl* control : FDControls)
    if (control->Name().isEmpty()) control->SetName(FindCompName(control, QString()));
  if (!IsInternalUpdating()) ClearUndoStack();
}

// --- Window ---------------------------------------------------------------------------------

void TvxDiagram::Paint() {
  TCanvas canvas(&BackingImage());
  PaintTo(&canvas, psScreen, {0, 0});
}

QColor TvxDiagram::FlatBorderColor() const { return ColorToQColor(FBorderColor); }

bool TvxDiagram::GetHint(TPoint pos, QString& text, TRect& validRect) {
  TDiagramControl* control = DControlAtPos(CanvasToClient(TDot{double(pos.X), double(pos.Y)}), csmAll, cfIgnoreGroups);
  if (!control || !control->ShowHint()) return false;
  text = control->Hint();
  // The rectangle goes back to the window, so it is in canvas pixels (right for any zoom and scroll).
  const TSquare surround = control->SurroundRect();
  const TDot topLeft = ClientToCanvas(TDot{surround.Left, surround.Top});
  const TDot bottomRight = ClientToCanvas(TDot{surround.Right, surround.Bottom});
  validRect = {Round(topLeft.X), Round(topLeft.Y), Round(bottomRight.X), Round(bottomRight.Y)};
  return true;
}

TDiagramControl* TvxDiagram::DControlAtPos(const TDot& pos, TControlSearchMode mode,
                                           TDiagramControlFilter filter) const {
  const TPoint rounded{Round(pos.X), Round(pos.Y)};
  for (auto it = FDControls.rbegin(); it != FDControls.rend(); ++it) {
    TDiagramControl* control = *it;
    if (!control->IsVisible() || (mode == csmIgnoreLines && control->IsLine())) continue;
    const TSquare r = control->SurroundRect();
    if (!(pos.X >= r.Left - 5 && pos.X < r.Right + 5 && pos.Y >= r.Top - 5 && pos.Y < r.Bottom + 5)) continue;
    if (!MatchesFilter(control, filter)) continue;
    if (control->PointInControl(rounded)) return control;
  }
  return nullptr;
}
