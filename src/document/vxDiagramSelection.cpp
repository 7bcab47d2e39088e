// Selection, groups, paint order and deleting the selection.
#include "document/ElementLists.h"
#include "document/SelectionBlock.h"
#include "document/vxDiagram.h"
#include "elements/GroupBlocks.h"

#include <QPointer>
#include <algorithm>

namespace {

// Runs EndUpdateSel when it goes out of scope, also when an event handler throws.
class TSelectionUpdate {
public:
  explicit TSelectionUpdate(TvxDiagram* diagram) : FDiagram(diagram) { FDiagram->BeginUpdateSel(); }
  ~TSelectionUpdate() noexcept(false) {
    if (std::uncaught_exceptions() > FExceptions) {
      try {
        FDiagram->EndUpdateSel();
      } catch (...) {
      }
      return;
    }
    FDiagram->EndUpdateSel();
  }
  TSelectionUpdate(const TSelectionUpdate&) = delete;
  TSelectionUpdate& operator=(const TSelectionUpdate&) = delete;

private:
  TvxDiagram* FDiagram;
  int FExceptions = std::uncaught_exceptions();
};

}  // namespace

// --- Brackets ---------------------------------------------------------------------------------

void TvxDiagram::BeginUpdateSel() {
  if (FUpdatingSel++ == 0) {
    if (OnSelectionChanging) OnSelectionChanging(this);
    FireDesignEvent(etSelectionChanging);
  }
}

void TvxDiagram::EndUpdateSel() {
  if (FUpdatingSel <= 0) return;
  if (--FUpdatingSel == 0) {
    RefreshSelectionBlockAngle();
    if (UsesSelectionBlock()) {
      FSelBlock->UpdateMembers();
      FSelBlock->RecalculateRect();
    }
    if (OnSelectionChanged) OnSelectionChanged(this);
    FireDesignEvent(etSelectionChanged);
  }
}

void TvxDiagram::FireDesignEvent(TDiagramEventType type) {
  if (OnDesignEvent) OnDesignEvent(this, type, 0);
}

// --- Selection flags --------------------------------------------------------------------------

void TvxDiagram::ControlSelectionChanged(TDiagramControl* control, bool selected) {
  TSelectionUpdate update(this);
  if (selected) ControlSelected(control);
  else ControlUnselected(control);
  SelectDeep(control, selected);
  Redraw();
}

void TvxDiagram::ControlSelected(TDiagramControl* control) {
  TSelectionUpdate update(this);
  if (!Contains(FSelecteds, control)) FSelecteds.push_back(control);
  if (OnSelectDControl) OnSelectDControl(this, control);
  FireDesignEvent(etControlSelected);
}

void TvxDiagram::ControlUnselected(TDiagramControl* control) {
  TSelectionUpdate update(this);
  RemoveFirst(FSelecteds, control);
  if (OnUnselectDControl) OnUnselectDControl(this, control);
  FireDesignEvent(etControlUnselected);
}

void TvxDiagram::SelectDeep(TDiagramControl* control, bool selected) {
  TSelectionUpdate update(this);
  if (control->SetSelectedFlag(selected)) {
    if (selected) ControlSelected(control);
    else ControlUnselected(control);
  }
  if (auto* group = dynamic_cast<TGroupBlock*>(control))
    for (TDiagramControl* member : group->Members()->Controls())
      if (member != control) SelectDeep(member, selected);
}

bool TvxDiagram::UsesSelectionBlock() const {
  return FSelectionMode == slmGroup && SelectedCount(cfIgnoreAsMembers) > 1;
}

void TvxDiagram::RefreshSelectionBlockAngle() {
  if (!FSelBlock) return;
  TDiagramControl* single = nullptr;
  int count = 0;
  for (TDiagramControl* control : FSelecteds) {
    if (control->AsMember()) continue;
    single = control;
    ++count;
  }
  if (count == 1 && single->IsBlock()) FSelBlock->TakeAngle(single->Angle());
  else if (FSelecteds.empty()) FSelBlock->ResetAngle();
}

void TvxDiagram::SelectAll() {
  TSelectionUpdate update(this);
  const std::vector<TDiagramControl*> controls = FDControls;
  for (TDiagramControl* control : controls)
    if (control->IsVisible() && !control->Selected() && !control->IsMember()) control->SetSelected(true);
}

void TvxDiagram::UnselectAll() {
  TSelectionUpdate update(this);
  BeginUpdate();
  try {
    const std::vector<TDiagramControl*> selected = FSelecteds;
    for (TDiagramControl* control : selected)
      if (control->IsVisible() && control->Selected()) control->SetSelected(false);
  } catch (...) {
    EndUpdate(false);
    throw;
  }
  EndUpdate(false);
}

void TvxDiagram::UnselectInvisible() {
  const std::vector<TDiagramControl*> selected = FSelecteds;
  for (TDiagramControl* control : selected)
    if (!control->IsVisible()) control->SetSelected(false);
}

// --- Groups -----------------------------------------------------------------------------------

TGroupBlock* TvxDiagram::AddGroup() {
  RegisterGroupBlockClasses();
  const QMetaObject* groupClass = FCustomGroupBlockClass ? FCustomGroupBlockClass : &TGroupBlock::staticMetaObject;
  const TRegisteredClass* entry = FindClass(QString::fromLatin1(groupClass->className()));
  if (!entry) entry = FindClass(QStringLiteral("TGroupBlock"));
  QObject* made = entry->Factory(ChildOwner());
  auto* group = qobject_cast<TGroupBlock*>(made);
  if (!group) {
    Free(made);
    return nullptr;
  }
  group->SetName(FindCompName(group, QStringLiteral("___dgrGroup___")));
  group->SetDiagram(this);
  return group;
}

TGroupBlock* TvxDiagram::GroupSelectedBlocks() {
  TGroupBlock* group = AddGroup();
  if (!group) return nullptr;
  const std::vector<TDiagramControl*> controls = FDControls;
  for (TDiagramControl* control : controls)
    if (control != group && control->Selected() && !control->IsMember()) group->Members()->Add(control);
  if (group->Members()->Count() > 1) {
    PushUndoStack(QStringLiteral("group"));
    return group;
  }
  Free(group);
  return nullptr;
}

void TvxDiagram::UngroupSelectedBlocks() {
  std::vector<QPointer<TDiagramControl>> groups;
  for (TDiagramControl* control : FSelecteds)
    if (control->IsGroup() && !control->IsMember()) groups.emplace_back(control);
  if (groups.empty()) return;
  for (const QPointer<TDiagramControl>& group : groups)
    if (group) Free(group.data());
  PushUndoStack(QStringLiteral("ungroup"));
}

// --- Paint order ------------------------------------------------------------------------------

void TvxDiagram::BringToFront(TDiagramControl* control) {
  if (auto* group = dynamic_cast<TBaseGroupBlock*>(control ? control->GroupBlock() : nullptr)) {
    const int index = group->Members()->IndexOfControl(control);
    if (index >= 0) group->Members()->Item(index)->SetIndex(group->Members()->Count() - 1);
  } else {
    auto it = std::find(FDControls.begin(), FDControls.end(), control);
    if (it == FDControls.end()) return;
    FDControls.erase(it);
    FDControls.push_back(control);
    FSpatialIndex.ListChanged();
  }
  Redraw();
  Modified();
}

void TvxDiagram::SendToBack(TDiagramControl* control) {
  if (auto* group = dynamic_cast<TBaseGroupBlock*>(control ? control->GroupBlock() : nullptr)) {
    const int index = group->Members()->IndexOfControl(control);
    if (index >= 0) group->Members()->Item(index)->SetIndex(0);
  } else {
    auto it = std::find(FDControls.begin(), FDControls.end(), control);
    if (it == FDControls.end()) return;
    FDControls.erase(it);
    FDControls.insert(FDControls.begin(), control);
    FSpatialIndex.ListChanged();
  }
  Redraw();
  Modified();
}

void TvxDiagram::BringToFront() {
  const std::vector<TDiagramControl*> selected = FSelecteds;
  for (TDiagramControl* control : selected)
    if (!control->AsMember()) BringToFront(control);
}

void TvxDiagram::SendToBack() {
  const std::vector<TDiagramControl*> selected = FSelecteds;
  for (TDiagramControl* control : selected)
    if (!control->AsMember()) SendToBack(control);
}

void TvxDiagram::MoveControlIndex(TDiagramControl* control, int newIndex) {
  auto it = std::find(FDControls.begin(), FDControls.end(), control);
  if (it == FDControls.end()) return;
  // An index outside the list is refused rather than clamped: the caller asked for a
  // position that does not exist.
  if (newIndex < 0 || newIndex >= static_cast<int>(FDControls.size()))
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(newIndex));
  FDControls.erase(it);
  FDControls.insert(FDControls.begin() + newIndex, control);
  FSpatialIndex.ListChanged();
  Redraw();
  Modified();
}

// --- Deleting ---------------------------------------------------------------------------------

void TvxDiagram::DeleteControls(TControlRestrictions mask) {
  if (FDesignMode == ddmNonEditable) return;
  std::vector<QPointer<TDiagramControl>> doomed;
  for (TDiagramControl* control : FSelecteds)
    if (!(control->Restrictions() & mask) && (!control->LayerObj() || control->LayerObj()->Editable()))
      doomed.emplace_back(control);
  BeginUpdate();
  try {
    // Freeing a group lets its members go; those that were selected are freed in turn.
    for (const QPointer<TDiagramControl>& control : doomed)
      if (control) Free(control.data());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  PushUndoStack(QStringLiteral("delete"));
}

void TvxDiagram::DeleteSelecteds() { DeleteControls(crNoDelete); }
