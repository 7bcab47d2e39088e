#pragma once
// The undo history: at most ten labelled binary snapshots of the whole diagram.
// Taking and restoring snapshots comes with the undo code; this holds the items.

#include "platform/Collection.h"

#include <QByteArray>

class TvxDiagram;

class TDiagramUndoItem : public TCollectionItem {
  Q_OBJECT
public:
  using TCollectionItem::TCollectionItem;
  QString ActionName;
  // The binary object stream of the whole diagram.
  QByteArray State;
  QObject* Obj = nullptr;
};

class TDiagramUndoStack : public TCollection {
  Q_OBJECT
public:
  static constexpr int MaxItems = 10;
  explicit TDiagramUndoStack(TvxDiagram* diagram)
      : TCollection(nullptr, [](TCollection* c) { return new TDiagramUndoItem(c); }), FDiagram(diagram) {}

  // Index of the item that holds the current state; -1 when empty.
  int Current() const { return FCurrent; }
  void SetCurrent(int index) { FCurrent = index; }
  TDiagramUndoItem* Item(int index) const { return ItemAs<TDiagramUndoItem>(index); }
  TvxDiagram* Diagram() const { return FDiagram; }

private:
  int FCurrent = -1;
  TvxDiagram* FDiagram;
};
