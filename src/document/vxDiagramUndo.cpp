// The undo history of TvxDiagram: whole-diagram binary snapshots.
#include "document/UndoStack.h"
#include "document/vxDiagram.h"

#include <QSet>
#include <array>
#include <utility>

// --- Snapshot chunks -------------------------------------------------------------------------

namespace {

// Chunk borders depend on the content only (a gear rolling hash), so an insertion early in a
// snapshot moves the borders after it along with the bytes and the later chunks still match.
constexpr qsizetype kMinChunk = 2048;
constexpr qsizetype kMaxChunk = 65536;
constexpr quint64 kBorderMask = (quint64(1) << 13) - 1;  // about 8 KiB past the minimum on average

const std::array<quint64, 256>& GearTable() {
  static const std::array<quint64, 256> table = [] {
    std::array<quint64, 256> values{};
    quint64 state = 0x9E3779B97F4A7C15ull;
    for (quint64& value : values) {  // splitmix64: fixed, so borders are the same in every run
      state += 0x9E3779B97F4A7C15ull;
      quint64 z = state;
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
      value = z ^ (z >> 31);
    }
    return values;
  }();
  return table;
}

qsizetype NextChunkEnd(const char* data, qsizetype begin, qsizetype size) {
  const qsizetype limit = std::min(size, begin + kMaxChunk);
  qsizetype at = std::min(limit, begin + kMinChunk);
  const std::array<quint64, 256>& gear = GearTable();
  quint64 hash = 0;
  for (; at < limit; ++at) {
    hash = (hash << 1) + gear[static_cast<unsigned char>(data[at])];
    if ((hash & (kBorderMask << 40)) == 0) return at + 1;
  }
  return limit;
}

}  // namespace

QByteArray TSnapshotChunkPool::Intern(QByteArrayView data) {
  const size_t key = qHash(data);
  for (const QMultiHash<size_t, QByteArray>* pool : {&FCurrent, &FPrevious}) {
    for (auto it = pool->constFind(key); it != pool->cend() && it.key() == key; ++it) {
      if (QByteArrayView(it.value()) == data) {
        const QByteArray shared = it.value();
        if (pool != &FCurrent) FCurrent.insert(key, shared);
        return shared;
      }
    }
  }
  QByteArray chunk = data.toByteArray();
  FCurrent.insert(key, chunk);
  return chunk;
}

void TSnapshotChunkPool::NextGeneration() {
  FPrevious = std::exchange(FCurrent, {});
}

void TSnapshotChunkPool::Clear() {
  FPrevious.clear();
  FCurrent.clear();
}

TUndoSnapshot& TUndoSnapshot::operator=(const QByteArray& bytes) {
  FChunks.assign(1, bytes);
  FSize = bytes.size();
  return *this;
}

void TUndoSnapshot::Assign(const QByteArray& bytes, TSnapshotChunkPool& pool) {
  FChunks.clear();
  FSize = bytes.size();
  const char* data = bytes.constData();
  for (qsizetype begin = 0; begin < FSize;) {
    const qsizetype end = NextChunkEnd(data, begin, FSize);
    FChunks.push_back(pool.Intern(QByteArrayView(data + begin, end - begin)));
    begin = end;
  }
}

QByteArray TUndoSnapshot::Bytes() const {
  if (FChunks.size() == 1) return FChunks.front();
  QByteArray bytes;
  bytes.reserve(FSize);
  for (const QByteArray& chunk : FChunks) bytes.append(chunk);
  return bytes;
}

qsizetype TDiagramUndoStack::StoredBytes() const {
  QSet<const char*> seen;
  qsizetype total = 0;
  for (int i = 0; i < Count(); ++i)
    for (const QByteArray& chunk : Item(i)->State.Chunks())
      if (!seen.contains(chunk.constData())) {
        seen.insert(chunk.constData());
        total += chunk.size();
      }
  return total;
}

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
  const QByteArray state = SaveSnapshotBytes();
  auto* item = static_cast<TDiagramUndoItem*>(stack.Add());
  item->ActionName = actionName;
  stack.ChunkPool().NextGeneration();
  item->State.Assign(state, stack.ChunkPool());
  stack.SetCurrent(stack.Current() + 1);
  if (stack.Count() > TDiagramUndoStack::MaxItems) {
    stack.Delete(0);
    stack.SetCurrent(stack.Current() - 1);
  }
}

void TvxDiagram::ClearUndoStack() {
  FUndoStack->Clear();
  FUndoStack->ChunkPool().Clear();
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
    LoadFromBinary(state, true);
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
