#include "elements/TextCells.h"
#include "elements/CustomDiagram.h"

#include <algorithm>

TTextCellFrame::TTextCellFrame(TTextCell* cell)
    : FTextCell(cell), FBrush(std::make_unique<TBrush>()), FPen(std::make_unique<TPen>()) {
  FBrush->OnChange = [this](TPersistent*) { Changed(); };
  FPen->OnChange = [this](TPersistent*) { Changed(); };
}

TTextCellFrame::~TTextCellFrame() = default;

void TTextCellFrame::Changed() {
  if (TDiagramControl* control = FTextCell ? FTextCell->DControl() : nullptr) control->Redraw();
}

void TTextCellFrame::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  Changed();
}

void TTextCellFrame::SetBrush(const TBrush* brush) { FBrush->Assign(brush); }
void TTextCellFrame::SetPen(const TPen* pen) { FPen->Assign(pen); }

void TTextCellFrame::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Changed();
}

void TTextCellFrame::SetAutoFrame(bool value) {
  if (value == FAutoFrame) return;
  FAutoFrame = value;
  Changed();
}

void TTextCellFrame::SetAutoFrameMargin(int value) {
  if (value == FAutoFrameMargin) return;
  FAutoFrameMargin = value;
  Changed();
}

void TTextCellFrame::SetVisible(bool value) {
  if (value == FVisible) return;
  FVisible = value;
  Changed();
}

void TTextCellFrame::Assign(const TPersistent* source) {
  if (auto* other = qobject_cast<const TTextCellFrame*>(source)) {
    SetColor(other->FColor);
    SetBrush(other->FBrush.get());
    SetPen(other->FPen.get());
    SetTransparent(other->FTransparent);
    SetAutoFrame(other->FAutoFrame);
    SetAutoFrameMargin(other->FAutoFrameMargin);
    SetVisible(other->FVisible);
    return;
  }
  TPersistent::Assign(source);
}

TTextCell::TTextCell(TCollection* collection)
    : TCollectionItem(collection), FFont(std::make_unique<TFont>()),
      FCellFrame(std::make_unique<TTextCellFrame>(this)) {
  FFont->OnChange = [this](TPersistent*) { FontChanged(); };
}

TTextCell::~TTextCell() {
  if (TDiagramControl* control = DControl()) control->TextCellDestroying(this);
}

void TTextCell::AfterConstruction() {
  TCollectionItem::AfterConstruction();
  TakeOwnerFont();
  TakeOwnerAngle();
}

TDiagramControl* TTextCell::DControl() const {
  auto* cells = qobject_cast<TTextCells*>(Collection());
  return cells ? cells->DControl() : nullptr;
}

void TTextCell::SetFont(const TFont* font) { FFont->Assign(font); }

void TTextCell::FontChanged() {
  if (!FTakingOwnerFont) FDControlFont = false;
  Changed(false);
  TellEditor();
}

void TTextCell::TellEditor() {
  TDiagramControl* control = DControl();
  TCustomDiagram* diagram = control ? control->Diagram() : nullptr;
  if (diagram && diagram->EditingCell() == this) diagram->EditedCellChanged(this);
}

void TTextCell::TakeOwnerFont() {
  TDiagramControl* control = DControl();
  if (!FDControlFont || !control) return;
  FTakingOwnerFont = true;
  FFont->Assign(control->Font());
  FTakingOwnerFont = false;
}

void TTextCell::TakeOwnerAngle() {
  TDiagramControl* control = DControl();
  if (FDControlAngle && control && FAngle != control->Angle()) {
    FAngle = control->Angle();
    Changed(false);
  }
}

void TTextCell::SetDControlFont(bool value) {
  if (value == FDControlFont) return;
  FDControlFont = value;
  TakeOwnerFont();
  Changed(false);
}

void TTextCell::SetDControlAngle(bool value) {
  if (value == FDControlAngle) return;
  FDControlAngle = value;
  // While loading, the stream brings the cell's own angle next (when it is not 0).
  TDiagramControl* control = DControl();
  if (!value && control && control->IsLoading()) FAngle = 0;
  TakeOwnerAngle();
  Changed(false);
}

void TTextCell::SetAngle(double angle) {
  if (angle == FAngle) return;
  FAngle = angle;
  FDControlAngle = false;
  Changed(false);
}

void TTextCell::SetBoundsRect(const TSquare& rect) {
  const TSquare normal{std::min(rect.Left, rect.Right), std::min(rect.Top, rect.Bottom),
                       std::max(rect.Left, rect.Right), std::max(rect.Top, rect.Bottom)};
  if (normal == BoundsRect()) return;
  FLeft = normal.Left;
  FTop = normal.Top;
  FWidth = normal.Right - normal.Left;
  FHeight = normal.Bottom - normal.Top;
  Changed(false);
}

TSquare TTextCell::DiagramRect() const {
  TDiagramControl* control = DControl();
  return control ? control->SourceRectToClient(BoundsRect()) : BoundsRect();
}

void TTextCell::SetText(const QString& text) {
  if (text == FText) return;
  FText = text;
  Changed(false);
}

#define DGR_CELL_SETTER(Name, Field, Type) \
  void TTextCell::Set##Name(Type value) {  \
    if (value == Field) return;            \
    Field = value;                         \
    Changed(false);                        \
  }
DGR_CELL_SETTER(Clip, FClip, bool)
DGR_CELL_SETTER(WordWrap, FWordWrap, bool)
DGR_CELL_SETTER(VertAlign, FVertAlign, ElementEnums::TVertAlign)
DGR_CELL_SETTER(RotateFont, FRotateFont, bool)
DGR_CELL_SETTER(Visible, FVisible, bool)
DGR_CELL_SETTER(ParentTransparency, FParentTransparency, bool)
#undef DGR_CELL_SETTER

void TTextCell::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Changed(false);
  TellEditor();
}

int TTextCell::EffectiveTransparency() const {
  TDiagramControl* control = DControl();
  const int transparency = FParentTransparency && control ? control->Transparency() : FTransparency;
  return std::clamp(transparency, 0, 100);
}

void TTextCell::SetTransparency(int value) {
  value = std::clamp(value, 0, 100);
  if (value == FTransparency) return;
  FTransparency = value;
  Changed(false);
}

void TTextCell::Assign(const TPersistent* source) {
  auto* other = qobject_cast<const TTextCell*>(source);
  if (!other) {
    TCollectionItem::Assign(source);
    return;
  }
  // Frame, transparency and Obj stay. A font that differs becomes the cell's own.
  SetBoundsRect(other->BoundsRect());
  SetText(other->FText);
  SetClip(other->FClip);
  SetWordWrap(other->FWordWrap);
  SetAlignment(other->FAlignment);
  SetVertAlign(other->FVertAlign);
  SetRotateFont(other->FRotateFont);
  SetVisible(other->FVisible);
  SetFont(other->FFont.get());
  SetAngle(other->FAngle);
  SetDControlAngle(other->FDControlAngle);
}

TTextCells::TTextCells(TDiagramControl* control)
    : TCollection(control, [](TCollection* c) { return new TTextCell(c); }), FDControl(control) {}

void TTextCells::Update(TCollectionItem*) {
  if (FDControl) FDControl->TextCellsChanged();
}
