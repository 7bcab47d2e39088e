#pragma once
// The undo history: at most ten labelled binary snapshots of the whole diagram.
// Taking and restoring snapshots comes with the undo code; this holds the items.

#include "platform/Collection.h"

#include <QByteArray>
#include <QHash>
#include <vector>

class TvxDiagram;

// Chunks of snapshots, found by content: a new snapshot shares every chunk it has in
// common with the snapshot taken before it, so a history of ten snapshots of a large diagram
// costs little more than one.
class TSnapshotChunkPool {
public:
  // The pooled chunk equal to data, or data itself (now pooled) when none is.
  QByteArray Intern(QByteArrayView data);
  // Starts a new generation: chunks not interned since the previous call are dropped from the
  // pool (the snapshots holding them keep them).
  void NextGeneration();
  void Clear();

private:
  QMultiHash<size_t, QByteArray> FPrevious;
  QMultiHash<size_t, QByteArray> FCurrent;
};

// The bytes of one snapshot, held as content-defined chunks so unchanged parts of the diagram
// are stored once across snapshots.
class TUndoSnapshot {
public:
  TUndoSnapshot() = default;
  // Held as a single chunk, shared with nothing.
  TUndoSnapshot& operator=(const QByteArray& bytes);
  void Assign(const QByteArray& bytes, TSnapshotChunkPool& pool);

  QByteArray Bytes() const;
  operator QByteArray() const { return Bytes(); }
  qsizetype size() const { return FSize; }
  const std::vector<QByteArray>& Chunks() const { return FChunks; }

  friend bool operator==(const TUndoSnapshot& snapshot, const QByteArray& bytes) { return snapshot.Bytes() == bytes; }
  friend bool operator==(const QByteArray& bytes, const TUndoSnapshot& snapshot) { return snapshot.Bytes() == bytes; }

private:
  std::vector<QByteArray> FChunks;
  qsizetype FSize = 0;
};

class TDiagramUndoItem : public TCollectionItem {
  Q_OBJECT
public:
  using TCollectionItem::TCollectionItem;
  QString ActionName;
  // The binary object stream of the whole diagram.
  TUndoSnapshot State;
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
  TSnapshotChunkPool& ChunkPool() { return FChunkPool; }
  // Memory the snapshots' bytes take, each shared chunk counted once.
  qsizetype StoredBytes() const;

private:
  int FCurrent = -1;
  TvxDiagram* FDiagram;
  TSnapshotChunkPool FChunkPool;
};
