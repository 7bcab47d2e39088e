#include "elements/Blocks.h"
#include "elements/CustomDiagram.h"
#include "elements/PolygonBlocks.h"
#include "elements/StretchHandles.h"
#include "geometry/PolygonGeometry.h"

#include <cmath>

namespace {

bool IsFiniteAngle(double angle) { return std::isfinite(angle); }

// Any finite angle in [0, 360); fmod keeps it exact for every magnitude.
double NormalizeAngle(double angle) {
  double result = std::fmod(angle, 360.0);
  if (result < 0) result += 360.0;
  // A tiny negative remainder plus 360 rounds to 360 itself.
  if (result >= 360.0) result = 0;
  return result;
}

}  // namespace

TCustomDiagramBlock::TCustomDiagramBlock(QObject* owner) : TDiagramControl(owner) {}

TCustomDiagramBlock::~TCustomDiagramBlock() {
  // Leave the diagram while this class's DiagramChanged can still run (lists, anchors).
  if (Diagram()) SetDiagram(nullptr);
}

void TCustomDiagramBlock::AfterConstruction() {
  TDiagramControl::AfterConstruction();
  FRotCenter = {50, 50};
  FStrings = std::make_unique<TStringList>();
  FStrings->OnChange = [this](TPersistent*) { StringsChanged(); };
  FBrush = std::make_unique<TBrush>();
  FSelBrush = std::make_unique<TBrush>();
  FPen = std::make_unique<TPen>();
  for (TBrush* brush : {FBrush.get(), FSelBrush.get()}) {
    brush->SetColor(clBlack);
    brush->SetStyle(bsClear);
    brush->OnChange = [this](TPersistent*) { Redraw(); };
  }
  FPen->SetColor(clBlack);
  FPen->SetStyle(psSolid);
  FPen->OnChange = [this](TPersistent*) {
    PenChanged();
    Redraw();
  };
  FShadow = std::make_unique<TBlockShadow>();
  FShadow->OnChange = [this] { Redraw(); };
  FGradient = std::make_unique<TDiagramGradient>();
  FGradient->OnChange = [this] { Redraw(); };
  FBitmap = std::make_unique<TBitmap>();
  FMetafile = std::make_unique<TMetafile>();
  FPicture = std::make_unique<TPicture>();
  FBitmap->OnChange = [this](TPersistent*) { GraphicChanged(); };
  FMetafile->OnChange = [this](TPersistent*) { GraphicChanged(); };
  FPicture->OnChange = [this](TPersistent*) { GraphicChanged(); };
  FBitmapMode = bmStretch;
  FPictureMode = pmStretch;
  FColor = clWhite;
  FSelColor = clWhite;
  FShape = bsNoShape;
  FTransparent = false;
  FClipText = false;
  SetRestrictions({});
  FRotationStep = 5;
  FMinHeight = 40;
  FMinWidth = 40;
  TextCells()->Add()->SetBounds(0, 0, 100, 100);
  SetWidth(50);
  SetHeight(50);
  UpdateBlockHandles();
}

// --- Geometry -------------------------------------------------------------------------------

void TCustomDiagramBlock::SetBoundsRect(const TSquare& rect) {
  if (!IsFinite(rect)) return;
  const TSquare old = BoundsRect();
  if (rect == old) return;
  FLeft = rect.Left;
  FTop = rect.Top;
  FWidth = rect.Right - rect.Left;
  FHeight = rect.Bottom - rect.Top;
  NotifyBoundsChanged();
  BoundsChanged(old, BoundsRect());
}

void TCustomDiagramBlock::BoundsChanged(const TSquare& oldBounds, const TSquare& newBounds) {
  if (TDiagramControl* group = GroupBlock()) group->MemberGeometryChanged(this);
  TCustomDiagram* diagram = Diagram();
  if (!diagram) return;
  NotifyAnchoreds(acPosition);
  diagram->Modified();
  if (!IsLoading()) UpdateBlock();
  if (!diagram->IsUpdatingPos()) Redraw();
}

void TCustomDiagramBlock::SetAngle(double angle) {
  if (!IsFiniteAngle(angle)) return;
  const double normalized = NormalizeAngle(angle);
  const double old = Angle();
  if (normalized == old) return;
  SetAngleField(normalized);
  NotifyBoundsChanged();
  AngleChanged(old);
  Redraw();
}

void TCustomDiagramBlock::SetRotationCenter(const TDot& center) {
  if (!IsFinite(center) || center == FRotCenter) return;
  FRotCenter = center;
  if (TCustomDiagram* diagram = Diagram()) {
    diagram->Modified();
    if (!diagram->IsUpdatingPos()) Redraw();
  }
}

void TCustomDiagramBlock::SetRotationStep(int step) {
  FRotationStep = std::clamp(step, 1, 180);
  ForgetStreamRecord();
}

void TCustomDiagramBlock::SetMinWidth(int value) {
  FMinWidth = std::max(value, 5);
  ForgetStreamRecord();
}

void TCustomDiagramBlock::SetMinHeight(int value) {
  FMinHeight = std::max(value, 5);
  ForgetStreamRecord();
}

void TCustomDiagramBlock::MoveBy(double dx, double dy) { SetBoundsRect(OffsetSquare(BoundsRect(), dx, dy)); }

TSquare TCustomDiagramBlock::SurroundRect() const {
  const TSquare r = BoundsRect();
  if (Angle() == 0) return r;
  TBlockDrawer& drawer = ScratchDrawer();
  return PolygonBounds(TDotArray{drawer.RotX(r.Left, r.Top), drawer.RotX(r.Right, r.Top),
                                 drawer.RotX(r.Right, r.Bottom), drawer.RotX(r.Left, r.Bottom)});
}

TSquare TCustomDiagramBlock::SourceRectToClient(const TSquare& rect) const {
  TBlockDrawer& drawer = ScratchDrawer();
  const TDot a = drawer.PP(rect.Left, rect.Top);
  const TDot b = drawer.PP(rect.Right, rect.Bottom);
  return {a.X, a.Y, b.X, b.Y};
}

TBlockDrawer& TCustomDiagramBlock::ScratchDrawer() const {
  TBlockDrawer& drawer = *TempDrawer();
  drawer.SetOriginalRect(Drawer()->OriginalRect());
  drawer.SetCurRect(BoundsRect());
  drawer.SetAngle(Angle());
  drawer.SetRotationType(rtCurRectCenter);
  return drawer;
}

TDot TCustomDiagramBlock::RotationCenterPoint() const {
  TBlockDrawer& drawer = ScratchDrawer();
  TBlockDrawerStateGuard guard(drawer);
  drawer.SetOriginalRect({0, 0, 100, 100});
  return drawer.RotX(drawer.PP(FRotCenter));
}

TDot TCustomDiagramBlock::ToCanvas(const TDot& point) const {
  return Diagram() ? Diagram()->ClientToCanvas(point) : point;
}

TDot TCustomDiagramBlock::ToClient(const TDot& point) const {
  return Diagram() ? Diagram()->CanvasToClient(point) : point;
}

// --- Looks ----------------------------------------------------------------------------------

void TCustomDiagramBlock::SetShape(ElementEnums::TBlockShape shape) {
  const auto value = static_cast<TBlockShape>(shape);
  if (value == FShape) return;
  FShape = value;
  Redraw();
}

void TCustomDiagramBlock::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  Redraw();
}

void TCustomDiagramBlock::SetSelColor(TColor color) {
  if (color == FSelColor) return;
  FSelColor = color;
  Redraw();
}

void TCustomDiagramBlock::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Redraw();
}

void TCustomDiagramBlock::SetClipText(bool value) {
  if (value == FClipText) return;
  FClipText = value;
  Redraw();
}

void TCustomDiagramBlock::SetBitmap(const TBitmap* bitmap) {
  if (bitmap) FBitmap->Assign(bitmap);
  else FBitmap->SetSize(0, 0);
}

void TCustomDiagramBlock::SetBitmapMode(TBitmapMode mode) {
  if (mode == FBitmapMode) return;
  FBitmapMode = mode;
  Redraw();
}

void TCustomDiagramBlock::SetBitmapTransparent(bool value) {
  if (value == FBitmap->Transparent()) return;
  FBitmap->SetTransparent(value);
  Redraw();
}

void TCustomDiagramBlock::SetMetafile(const TMetafile* metafile) {
  if (metafile) FMetafile->Assign(metafile);
  else FMetafile->Clear();
}

void TCustomDiagramBlock::SetPicture(const TPicture* picture) {
  if (picture) FPicture->Assign(picture);
  else FPicture->SetGraphic(nullptr);
}

void TCustomDiagramBlock::SetPictureMode(TPictureMode mode) {
  if (mode == FPictureMode) return;
  FPictureMode = mode;
  Redraw();
}

void TCustomDiagramBlock::GraphicChanged() { Redraw(); }

// --- Default text cell ----------------------------------------------------------------------

TStrings* TCustomDiagramBlock::Strings() const {
  auto* self = const_cast<TCustomDiagramBlock*>(this);
  self->FRefreshingStrings = true;
  try {
    if (HasDefaultTextCell()) FStrings->SetText(TextCells()->Cell(0)->Text());
    else FStrings->Clear();
  } catch (...) {
    self->FRefreshingStrings = false;
    throw;
  }
  self->FRefreshingStrings = false;
  return FStrings.get();
}

void TCustomDiagramBlock::SetStrings(const TStrings* strings) {
  if (strings == FStrings.get()) return;
  if (strings) FStrings->Assign(strings);
  else FStrings->Clear();
}

void TCustomDiagramBlock::StringsChanged() {
  if (FRefreshingStrings) return;
  // Lines joined without a final break, so the cell shows no empty last line.
  DefaultTextCell()->SetText(FStrings->ToStringList().join(u'\n'));
  Redraw();
}

ElementEnums::TAlignment TCustomDiagramBlock::Alignment() const {
  return HasDefaultTextCell() ? TextCells()->Cell(0)->Alignment() : taCenter;
}
void TCustomDiagramBlock::SetAlignment(ElementEnums::TAlignment value) { DefaultTextCell()->SetAlignment(value); }

ElementEnums::TVertAlign TCustomDiagramBlock::VertAlign() const {
  return HasDefaultTextCell() ? TextCells()->Cell(0)->VertAlign() : ElementEnums::vaTop;
}
void TCustomDiagramBlock::SetVertAlign(ElementEnums::TVertAlign value) { DefaultTextCell()->SetVertAlign(value); }

bool TCustomDiagramBlock::WordWrap() const { return HasDefaultTextCell() && TextCells()->Cell(0)->WordWrap(); }
void TCustomDiagramBlock::SetWordWrap(bool value) { DefaultTextCell()->SetWordWrap(value); }

bool TCustomDiagramBlock::RotateFont() const { return HasDefaultTextCell() && TextCells()->Cell(0)->RotateFont(); }
void TCustomDiagramBlock::SetRotateFont(bool value) { DefaultTextCell()->SetRotateFont(value); }

// --- Rotation and diagram membership --------------------------------------------------------

void TCustomDiagramBlock::RotationChanged() {
  TDiagramControl::RotationChanged();
  if (TDiagramControl* group = GroupBlock()) group->MemberGeometryChanged(this);
  CursorRingFollowsAngle();
  NotifyAnchoreds(acPosition);
}

void TCustomDiagramBlock::DiagramChanged(TCustomDiagram* oldDiagram, TCustomDiagram* newDiagram) {
  if (!IsDestroying()) UpdateBlockHandles();
  if (oldDiagram) {
    // Leaving a diagram that is going away keeps the links between its elements.
    if (!oldDiagram->IsDiagramDestroying()) NotifyAnchoreds(acRemoval);
    oldDiagram->UnregisterBlock(this);
  }
  if (newDiagram) newDiagram->RegisterBlock(this);
  // The base applies the diagram font and the parent hint setting.
  TDiagramControl::DiagramChanged(oldDiagram, newDiagram);
}

void TCustomDiagramBlock::SelectedChanged() {
  if (Diagram()) Redraw();
}

void TCustomDiagramBlock::Loaded() {
  TDiagramControl::Loaded();
  ApplyDiagramShowHint();
}

// --- Cursor geometry ------------------------------------------------------------------------

void TCustomDiagramBlock::StoreCursorGeometry(const TSquare& rect, double angle, const TDot& rotCenter) {
  FCursorRect = rect;
  FCursorAngle = angle;
  FCursorRotCenter = rotCenter;
}

void TCustomDiagramBlock::ApplyCursorGeometry() {
  FSaveAngle = Angle();
  FSaveRect = BoundsRect();
  FSaveRotCenter = FRotCenter;
  SetAngleField(FCursorAngle);
  FLeft = FCursorRect.Left;
  FTop = FCursorRect.Top;
  FWidth = FCursorRect.Width();
  FHeight = FCursorRect.Height();
  FRotCenter = FCursorRotCenter;
  for (int i = 0; i < TextCells()->Count(); ++i) TextCells()->Cell(i)->TakeOwnerAngle();
}

void TCustomDiagramBlock::RestoreSavedGeometry() {
  SetAngleField(FSaveAngle);
  FLeft = FSaveRect.Left;
  FTop = FSaveRect.Top;
  FWidth = FSaveRect.Width();
  FHeight = FSaveRect.Height();
  FRotCenter = FSaveRotCenter;
  for (int i = 0; i < TextCells()->Count(); ++i) TextCells()->Cell(i)->TakeOwnerAngle();
}

// --- Streaming ------------------------------------------------------------------------------

void TCustomDiagramBlock::DefineProperties(TFiler& filer) {
  TDiagramControl::DefineProperties(filer);
  // Bit i: link point i is collapsed (points 0..31).
  uint32_t mask = 0;
  for (int i = 0; i < std::min(LinkPoints()->Count(), 32); ++i)
    if (LinkPoints()->Point(i)->Collapsed()) mask |= uint32_t{1} << i;
  filer.DefineProperty(
      QStringLiteral("CollapsedNodes"),
      [this](TReader& reader) {
        const auto bits = static_cast<uint32_t>(reader.ReadInteger());
        for (int i = 0; i < std::min(LinkPoints()->Count(), 32); ++i)
          if (bits & (uint32_t{1} << i)) LinkPoints()->Point(i)->SetCollapsedFlag(true);
      },
      [mask](TWriter& writer) { writer.WriteInteger(static_cast<int32_t>(mask)); }, mask != 0);
}

// --- TDiagramBlock --------------------------------------------------------------------------

TDiagramBlock::TDiagramBlock(QObject* owner) : TCustomDiagramBlock(owner) {}

void TDiagramBlock::AfterConstruction() {
  TCustomDiagramBlock::AfterConstruction();
  SetShape(ElementEnums::bsRectangle);
}

void RegisterBlockClasses() {
  if (!IsClassRegistered(QStringLiteral("TDiagramBlock"))) RegisterClass<TDiagramBlock>();
  RegisterPolygonBlockClasses();
}
