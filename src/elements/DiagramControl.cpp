#include "elements/DiagramControl.h"
#include "elements/CustomDiagram.h"
#include "elements/DiagramLayers.h"
#include "elements/HandlesAppearance.h"
#include "elements/LinkPoints.h"
#include "elements/StretchHandles.h"
#include "elements/TextCells.h"
#include "geometry/BlockDrawer.h"
#include "platform/Graphics.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {
// The anchored notification must be undone on every exit path.
struct TCounterGuard {
  explicit TCounterGuard(int& counter) : Counter(counter) { ++Counter; }
  ~TCounterGuard() { --Counter; }
  int& Counter;
};
}  // namespace

TDiagramControl::TDiagramControl(QObject* owner) : TComponent(owner) {}

void TDiagramControl::AfterConstruction() {
  TComponent::AfterConstruction();
  FAutoCreateLinkPoints = false;
  FCollapsed = false;
  FVisible = true;
  FFont = std::make_unique<TFont>();
  FFont->OnChange = [this](TPersistent*) { FontChanged(); };
  FDiagramFont = true;
  FTextCells = std::make_unique<TTextCells>(this);
  FCursor = crDefault;
  FParentShowHint = true;
  FInsertStyle = isInsert;
  FHandles = std::make_unique<TStretchHandles>(this);
  FLinkPoints = std::make_unique<TLinkPoints>(
      this, [this](TCollection* c) -> TCollectionItem* { return CreateLinkPoint(static_cast<TLinkPoints*>(c)); });
  FLinkPointPen = std::make_unique<TPen>();
  FLinkPointBrush = std::make_unique<TBrush>();
  FLinkPointPen->SetColor(clBlue);
  FLinkPointPen->SetStyle(psSolid);
  FLinkPointBrush->SetColor(clBlack);
  FLinkPointBrush->SetStyle(bsSolid);
  FLinkPointPen->OnChange = [this](TPersistent*) { Redraw(); };
  FLinkPointBrush->OnChange = [this](TPersistent*) { Redraw(); };
  FLinkPointStyle = ptCross;
  FAngle = 0;
  FDrawer = std::make_unique<TBlockDrawer>();
  FTempDrawer = std::make_unique<TBlockDrawer>();
  FGraphicLib = dglGDIPlus;
  FCustomGraphicLib = false;
  RecreateDgrDrawer();
}

void TDiagramControl::BeforeDestruction() {
  TComponent::BeforeDestruction();
  if (FGroupBlock) FGroupBlock->RemoveMember(this);  // the group forgets this member
  FGroupBlock = nullptr;
  if (FDiagram) {
    TTextCell* editing = FDiagram->EditingCell();
    if (editing && editing->DControl() == this) FDiagram->CloseEditor(false);
  }
  SetDiagram(nullptr);
}

TDiagramControl::~TDiagramControl() {
  // Virtual operations of derived classes are gone by now: owned parts must not call back.
  SetComponentState(csDestroying);
  if (FDiagram) SetDiagram(nullptr);
  FTextCells.reset();
  FFont.reset();
  FDrawer.reset();
  FTempDrawer.reset();
  FHandlesAppearance.reset();
  FHandles.reset();
  FLinkPoints.reset();
  FLinkPointPen.reset();
  FLinkPointBrush.reset();
  FreeDgrDrawer();
}

TLinkPoint* TDiagramControl::CreateLinkPoint(TLinkPoints* collection) { return new TLinkPoint(collection); }

// --- Diagram membership ------------------------------------------------------------------

void TDiagramControl::SetDiagram(TCustomDiagram* diagram) {
  if (diagram == FDiagram) return;
  ForgetStreamRecord();
  TCustomDiagram* oldDiagram = FDiagram;
  FDiagram = diagram;
  DiagramChanged(oldDiagram, diagram);
  if (oldDiagram) oldDiagram->UnregisterControl(this);
  FLayerObj = nullptr;
  if (diagram) {
    diagram->RegisterControl(this);
    ResolvePendingLayerName();
  }
  // The engine drawer follows the diagram's graphic library; one of the same library stays.
  if (!IsDestroying()) FollowGraphicLib();
}

void TDiagramControl::DiagramChanged(TCustomDiagram* oldDiagram, TCustomDiagram* newDiagram) {
  if (newDiagram) {
    ApplyDiagramFont();
    ApplyDiagramShowHint();
  }
}

QObject* TDiagramControl::GetParentComponent() const { return FDiagram ? FDiagram->AsObject() : nullptr; }

void TDiagramControl::SetParentComponent(QObject* parent) {
  if (auto* diagram = dynamic_cast<TCustomDiagram*>(parent)) SetDiagram(diagram);
}

// --- Identity -----------------------------------------------------------------------------

QString TDiagramControl::DControlID() const { return FDControlID.isEmpty() ? ClassName() : FDControlID; }

void TDiagramControl::SetDControlID(const QString& id) {
  FDControlID = id;
  ForgetStreamRecord();
}

void TDiagramControl::SetRestrictions(TControlRestrictions restrictions) {
  FRestrictions = restrictions;
  ForgetStreamRecord();
}

void TDiagramControl::SetName(const QString& name) {
  const QString old = objectName();
  TComponent::SetName(name);
  // Records of elements that refer to this one carry its name.
  if (objectName() != old && FDiagram) FDiagram->StreamRecordsChanged();
}

// --- Plain settings -----------------------------------------------------------------------

void TDiagramControl::SetCollapsed(bool collapsed) {
  FCollapsed = collapsed;
  ForgetStreamRecord();
}

void TDiagramControl::SetHint(const QString& hint) {
  FHint = hint;
  ForgetStreamRecord();
}

void TDiagramControl::SetCursor(TCursor cursor) {
  FCursor = cursor;
  ForgetStreamRecord();
}

void TDiagramControl::SetStringData(const QString& data) {
  FStringData = data;
  ForgetStreamRecord();
}

void TDiagramControl::SetObj(QObject* obj) {
  FObj = obj;
  ForgetStreamRecord();
}

void TDiagramControl::SetInsertStyle(TInsertStyle style) {
  FInsertStyle = style;
  ForgetStreamRecord();
}

void TDiagramControl::SetAutoCreateLinkPoints(bool value) {
  FAutoCreateLinkPoints = value;
  ForgetStreamRecord();
}

void TDiagramControl::SetGroupBlock(TDiagramControl* group) {
  FGroupBlock = group;
  ForgetStreamRecord();
}

THandlesAppearance* TDiagramControl::HandlesAppearance() const {
  if (!FHandlesAppearance) FHandlesAppearance = std::make_unique<THandlesAppearance>();
  return FHandlesAppearance.get();
}

// --- Kept stream record -------------------------------------------------------------------

void TDiagramControl::ThrowStaleKeptResult(const char* what) const {
  throw std::logic_error("kept " + std::string(what) + " of " + objectName().toStdString() + " is stale");
}

QByteArrayView TDiagramControl::KeptStreamRecord(const void* key) const {
  if (FStreamRecord.isEmpty() || key != FStreamRecordKey || !FDiagram) return {};
  if (FDiagram->StreamRecordGeneration() != FStreamRecordGeneration) return {};
  return FStreamRecord;
}

void TDiagramControl::KeepStreamRecord(const void* key, QByteArray record) {
  if (!FDiagram) return;
  FStreamRecord = std::move(record);
  FStreamRecordKey = key;
  FStreamRecordGeneration = FDiagram->StreamRecordGeneration();
}

// --- Capability tests -------------------------------------------------------------------

bool TDiagramControl::CanDo(TControlRestriction restriction, bool layerEditableCounts) const {
  if (FDiagram && FDiagram->DesignMode() == ddmNonEditable) return false;
  if (FRestrictions.testFlag(restriction)) return false;
  if (layerEditableCounts && FLayerObj && !FLayerObj->Editable()) return false;
  return true;
}

// --- Selection and visibility -----------------------------------------------------------

bool TDiagramControl::Selected() const { return FSelected && CanSelect(); }

void TDiagramControl::SetSelected(bool selected) {
  if (!CanSelect()) selected = false;
  if (selected == FSelected) return;
  if (selected && !IsVisible()) return;
  FSelected = selected;
  if (FDiagram) FDiagram->ControlSelectionChanged(this, selected);
  SelectedChanged();
}

bool TDiagramControl::SetSelectedFlag(bool selected) {
  if (selected == FSelected) return false;
  FSelected = selected;
  return true;
}

bool TDiagramControl::IsVisible() const {
  return FVisible && FDiagram && FDiagram->LayerActive(FLayerInteger) && !FCollapsed &&
         (!FLayerObj || FLayerObj->Visible());
}

void TDiagramControl::DropSelectionIfHidden() {
  if (FSelected && !IsVisible()) SetSelected(false);
}

void TDiagramControl::SetVisible(bool visible) {
  if (visible == FVisible) return;
  FVisible = visible;
  DropSelectionIfHidden();
  Redraw();
}

void TDiagramControl::SetLayer(int layer) {
  if (layer == FLayerInteger) return;
  FLayerInteger = layer;
  DropSelectionIfHidden();
  Redraw();
}

void TDiagramControl::SetLayerObj(TDiagramLayer* layer) {
  // A layer of another diagram is refused.
  if (layer && (!FDiagram || layer->Diagram() != FDiagram)) layer = nullptr;
  if (layer == FLayerObj) return;
  FLayerObj = layer;
  DropSelectionIfHidden();
  Redraw();
}

QString TDiagramControl::LayerName() const { return FLayerObj ? FLayerObj->LayerName() : QString(); }

void TDiagramControl::SetLayerName(const QString& name) {
  FLayerNameFix.clear();
  if (FDiagram) {
    SetLayerObj(FDiagram->Layers() ? FDiagram->Layers()->FindByName(name) : nullptr);
  } else if (IsLoading()) {
    FLayerNameFix = name;
  }
}

void TDiagramControl::ResolvePendingLayerName() {
  if (FLayerNameFix.isEmpty() || !FDiagram) return;
  TDiagramLayers* layers = FDiagram->Layers();
  SetLayerObj(layers ? layers->FindByName(FLayerNameFix) : nullptr);
  FLayerNameFix.clear();
}

void TDiagramControl::LayerDestroying(TDiagramLayer* layer, bool keepName) {
  if (layer != FLayerObj) return;
  if (keepName) FLayerNameFix = layer->LayerName();
  FLayerObj = nullptr;
  Redraw();
}

void TDiagramControl::SetIsBackgroundControl(bool value) {
  if (value == FIsBackgroundControl) return;
  FIsBackgroundControl = value;
  Redraw();
}

void TDiagramControl::SetTransparency(int value) {
  value = std::clamp(value, 0, 100);
  if (value == FTransparency) return;
  FTransparency = value;
  Redraw();
}

void TDiagramControl::SetIntPaintMode(TDControlPaintMode mode) {
  const bool changed = mode != FIntPaintMode;
  FIntPaintMode = mode;
  if (changed && FDiagram) FDiagram->ControlPaintModeChanged(this);
  if (AsMember()) FGroupBlock->SetIntPaintMode(mode);
}

// --- Fonts and hints --------------------------------------------------------------------

void TDiagramControl::SetTextCells(const TTextCells* cells) { FTextCells->Assign(cells); }

void TDiagramControl::SetFont(const TFont* font) { FFont->Assign(font); }

void TDiagramControl::SetDiagramFont(bool value) {
  if (value == FDiagramFont) return;
  FDiagramFont = value;
  ForgetStreamRecord();
  if (value) ApplyDiagramFont();
}

void TDiagramControl::ApplyDiagramFont() {
  if (!FDiagramFont || !FDiagram || !FDiagram->DiagramFont() || !FFont) return;
  FFont->Assign(FDiagram->DiagramFont());  // fires FontChanged, which clears the flag
  FDiagramFont = true;
  ForgetStreamRecord();
}

void TDiagramControl::FontChanged() {
  FDiagramFont = false;
  if (FTextCells)
    for (int i = 0; i < FTextCells->Count(); ++i) FTextCells->Cell(i)->TakeOwnerFont();
  Redraw();
}

void TDiagramControl::SetShowHint(bool value) {
  FShowHint = value;
  FParentShowHint = false;
  ForgetStreamRecord();
}

void TDiagramControl::SetParentShowHint(bool value) {
  if (value == FParentShowHint) return;
  FParentShowHint = value;
  ForgetStreamRecord();
  if (value) ApplyDiagramShowHint();
}

void TDiagramControl::ApplyDiagramShowHint() {
  if (!FParentShowHint || !FDiagram) return;
  SetShowHint(FDiagram->DiagramShowHint());
  FParentShowHint = true;
  ForgetStreamRecord();
}

void TDiagramControl::SetLinkPointStyle(TLinkPointStyle style) {
  if (style == FLinkPointStyle) return;
  FLinkPointStyle = style;
  Redraw();
}

// --- Groups -------------------------------------------------------------------------------

TDiagramControl* TDiagramControl::MasterGroup() const {
  const TDiagramControl* start = IsGroup() ? this : FGroupBlock;
  if (!start) return nullptr;
  const TDiagramControl* group = start;
  // Membership read from files is checked for cycles; the bound keeps a bad one finite.
  for (int depth = 0; group->FGroupBlock && depth < 10000; ++depth) group = group->FGroupBlock;
  return const_cast<TDiagramControl*>(group);
}

bool TDiagramControl::AsMember() const { return FGroupBlock && FGroupBlock->Selected(); }

// --- Engine -------------------------------------------------------------------------------

TDgrGraphicLib TDiagramControl::EffectiveGraphicLib() const {
  return (FCustomGraphicLib || !FDiagram) ? FGraphicLib : FDiagram->GraphicLib();
}

void TDiagramControl::SetGraphicLib(TDgrGraphicLib lib) {
  if (lib == EffectiveGraphicLib()) return;
  FGraphicLib = lib;
  FCustomGraphicLib = true;
  RecreateDgrDrawer();
  Redraw();
}

void TDiagramControl::RecreateDgrDrawer() {
  TSquare source{0, 0, 100, 100};
  if (FDgrDrawer) source = FDgrDrawer->SourceRect();
  else if (FDgrDrawerLib) source = FDgrDrawerSource;
  else if (FDrawer) source = FDrawer->OriginalRect();
  FreeDgrDrawer();
  FDgrDrawerLib = EffectiveGraphicLib();
  FDgrDrawerSource = source;
}

void TDiagramControl::FollowGraphicLib() {
  const bool failed = FDgrDrawerTried && !FDgrDrawer;
  if (EffectiveGraphicLib() != FDgrDrawerLib || failed) RecreateDgrDrawer();
}

TDgrBlockDrawer* TDiagramControl::DgrDrawer() const {
  // Made on first use for the library chosen last; reading a large diagram makes none.
  if (!FDgrDrawer && FDgrDrawerLib && !FDgrDrawerTried && !IsDestroying()) {
    FDgrDrawerTried = true;
    const TDgrGraphicLib lib = *FDgrDrawerLib;
    if (lib == dglGDIPlus || lib == dglDirect2D) {
      FDgrDrawer = CreateBlockDrawer(lib);
      if (FDgrDrawer) FDgrDrawer->SetSourceRect(FDgrDrawerSource);
    }
  }
  return FDgrDrawer.get();
}

void TDiagramControl::FreeDgrDrawer() {
  FDgrDrawerLib.reset();
  FDgrDrawerTried = false;
  FDgrDrawer.reset();
}

// --- Forwarders ---------------------------------------------------------------------------

void TDiagramControl::BringToFront() {
  if (FDiagram) FDiagram->BringToFront(this);
}
void TDiagramControl::SendToBack() {
  if (FDiagram) FDiagram->SendToBack(this);
}
void TDiagramControl::EditText() {
  if (FDiagram) FDiagram->EditControlText(this);
}
void TDiagramControl::MakeVisible() {
  if (FDiagram) FDiagram->MakeControlVisible(this);
}

void TDiagramControl::Redraw() {
  ForgetStreamRecord();
  if (!FDiagram) return;
  // Changes that move no bounds still end here (link points among them): the diagram's
  // index measures the element again, lazily.
  NotifyBoundsChanged();
  FDiagram->Redraw();
}

void TDiagramControl::NotifyBoundsChanged() {
  ForgetStreamRecord();
  if (FDiagram) FDiagram->ControlBoundsChanged(this);
}

// --- Text cells ---------------------------------------------------------------------------

TTextCell* TDiagramControl::DefaultTextCell() {
  if (FTextCells->Count() == 0) FTextCells->Add();
  return FTextCells->Cell(0);
}

bool TDiagramControl::HasDefaultTextCell() const { return FTextCells && FTextCells->Count() > 0; }

TTextCell* TDiagramControl::SelectNextCell(TTextCell* cell, bool forward) {
  std::vector<TDiagramControl*> controls;
  if (TDiagramControl* master = IsMember() ? MasterGroup() : nullptr) master->CollectLeafMembers(controls);
  else controls.push_back(this);
  std::vector<TTextCell*> cells;
  for (TDiagramControl* control : controls)
    for (int i = 0; i < control->TextCells()->Count(); ++i)
      if (control->TextCells()->Cell(i)->Visible()) cells.push_back(control->TextCells()->Cell(i));
  auto it = std::find(cells.begin(), cells.end(), cell);
  if (it == cells.end()) return nullptr;
  const int count = static_cast<int>(cells.size());
  int index = static_cast<int>(it - cells.begin());
  do {
    index = (index + (forward ? 1 : count - 1)) % count;
  } while (!cells[static_cast<size_t>(index)]->Visible() && cells[static_cast<size_t>(index)] != cell);
  return cells[static_cast<size_t>(index)];
}

void TDiagramControl::TextCellDestroying(TTextCell* cell) {
  if (FDiagram && !FDiagram->IsDiagramDestroying() && FDiagram->EditingCell() == cell) FDiagram->CloseEditor(false);
}

// DrawCells, DrawCell and DrawCellText: ControlPainting.cpp.

// --- Anchors ------------------------------------------------------------------------------

void TDiagramControl::NotifyAnchoreds(TAnchorChange change) {
  if (FNotifying > 0) return;
  TCounterGuard guard(FNotifying);
  std::vector<TLinkPoint*> anchoreds;
  for (int i = 0; i < FLinkPoints->Count(); ++i) {
    const auto& list = FLinkPoints->Point(i)->Anchoreds();
    anchoreds.insert(anchoreds.end(), list.begin(), list.end());
  }
  for (TLinkPoint* point : anchoreds) point->AnchorChanged(change);
}

void TDiagramControl::UnlinkUnselectedAnchors() {
  for (int i = 0; i < FLinkPoints->Count(); ++i) {
    TLinkPoint* point = FLinkPoints->Point(i);
    if (point->Anchor() && !point->Anchor()->Selected()) point->SetAnchorLink(nullptr);
  }
}

void TDiagramControl::LinkAdded(TDiagramControl* link, TLinkPoint* linkPoint) {
  if (OnLinkAdded) OnLinkAdded(this, link, linkPoint);
  if (FDiagram) FDiagram->NotifyLinkAdded(this, link, linkPoint);
}

void TDiagramControl::LinkRemoved(TDiagramControl* link, TLinkPoint* linkPoint) {
  if (OnLinkRemoved) OnLinkRemoved(this, link, linkPoint);
  if (FDiagram) FDiagram->NotifyLinkRemoved(this, link, linkPoint);
}

void TDiagramControl::RotationChanged() {
  for (int i = 0; i < FTextCells->Count(); ++i) FTextCells->Cell(i)->TakeOwnerAngle();
  if (FDiagram) FDiagram->RefreshSelectionBlockAngle();
}

// --- Handles ------------------------------------------------------------------------------

// DrawHandles, DrawHandle and DrawLinkPoints: ControlPainting.cpp.

TDot TDiagramControl::HandleClientPoint(const TStretchHandle* handle) const { return handle->OrPoint(); }

TDot TDiagramControl::LinkPointClientPoint(const TLinkPoint* linkPoint) const { return linkPoint->OrPoint(); }

// --- Streaming ----------------------------------------------------------------------------

void TDiagramControl::DefineProperties(TFiler& filer) {
  TComponent::DefineProperties(filer);
  filer.DefineProperty(
      QStringLiteral("DControlID"), [this](TReader& reader) { FDControlID = reader.ReadString(); },
      [this](TWriter& writer) { writer.WriteString(DControlID()); }, DControlID() != ClassName());
  filer.DefineProperty(
      QStringLiteral("Collapsed"), [this](TReader& reader) { FCollapsed = reader.ReadBoolean(); },
      [this](TWriter& writer) { writer.WriteBoolean(FCollapsed); }, true);
}

void TDiagramControl::Loaded() {
  TComponent::Loaded();
  ApplyDiagramFont();
  RotationChanged();
}
