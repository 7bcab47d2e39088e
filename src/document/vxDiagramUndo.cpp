// The undo history of TvxDiagram: whole-diagram binary snapshots.
#include "document/UndoStack.h"
#include "document/vxDiagram.h"

#include <utility>

namespace {

// Elements leaving the diagram while a snapshot replaces it are not removals the
// application asked for, so the removal event stays quiet meanwhile.
class TSilentRemovals {
public:
  explicit TSilentRemovals(TDControlEvent& event) : FEvent(event), FSaved(std::exchange(event, nullptr)) {}
  ~TSilentRemovals() { FEvent = std::move(FSaved); }
  TSilentRemovals(const TSilentRemovals&) = delete;
  TSilentRemovals& operator=(const TSilentRemovals&) = delete;

private:
  TDControlEvent& FEvent;
  TDControlEvent FSaved;
};

}  // namespace

void TvxDiagram::PushUndoStack(const QString& actionName) {
  TDiagramUndoStack& stack = *FUndoStack;
  while (stack.Count() > stack.Current() + 1) stack.Delete(stack.Count() - 1);
  const QByteArray state = SaveToBytes(false);
  auto* item = static_cast<TDiagramUndoItem*>(stack.Add());
  item->ActionName = actionName;
  item->State = state;
  stack.SetCurrent(stack.Current() + 1);
  if (stack.Count() > TDiagramUndoStack::MaxItems) {
    stack.Delete(0);
    stack.SetCurrent(stack.Current() - 1);
  }
}

void TvxDiagram::ClearUndoStack() {
  FUndoStack->Clear();
  FUndoStack->SetCurrent(-1);
  PushUndoStack(QString());
}

void TvxDiagram::ReplaceFromUndoItem(int index) {
  const QByteArray state = FUndoStack->Item(index)->State;
  BeginInternalUpdate();
  try {
    {
      TSilentRemovals quiet(OnRemoveDControl);
      Clear();
    }
    LoadFromBytes(state, false);
  } catch (...) {
    EndInternalUpdate();
    throw;
  }
  EndInternalUpdate();
}

void TvxDiagram::Undo() {
  const int current = FUndoStack->Current();
  if (current <= 0 || current > FUndoStack->Count()) return;
  ReplaceFromUndoItem(current - 1);
  FUndoStack->SetCurrent(current - 1);
  Redraw();
}

void TvxDiagram::Redo() {
  const int current = FUndoStack->Current();
  if (current < -1 || current >= FUndoStack->Count() - 1) return;
  ReplaceFromUndoItem(current + 1);
  FUndoStack->SetCurrent(current + 1);
  Redraw();
}

QString TvxDiagram::NextUndoAction() const {
  const int current = FUndoStack->Current();
  // The base snapshot is never undone, so it names nothing to undo.
  if (current <= 0 || current >= FUndoStack->Count()) return {};
  return FUndoStack->Item(current)->ActionName;
}

QString TvxDiagram::NextRedoAction() const {
  const int current = FUndoStack->Current();
  if (current < -1 || current >= FUndoStack->Count() - 1) return {};
  return FUndoStack->Item(current + 1)->ActionName;
}
