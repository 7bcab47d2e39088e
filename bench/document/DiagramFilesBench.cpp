// Saving, loading, undo snapshots and the clipboard on a large generated diagram
// (10,000 blocks and 10,000 lines, seed 1: what `dgr generate --blocks 10000 --lines 10000` writes).
//
// Counters: "bytes" is the size of what one iteration produced; BM_TenSnapshots reports the
// total bytes of ten snapshots, the memory they take with shared chunks counted once, and the
// peak resident set of the process (getrusage).
#include "document/DiagramGenerator.h"
#include "document/DiagramLibrary.h"
#include "document/UndoStack.h"
#include "document/vxDiagram.h"
#include "elements/DiagramControl.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <memory>

namespace {

int BlockCount() {
  const char* value = std::getenv("DGR_BENCH_BLOCKS");
  return value ? std::atoi(value) : 10000;
}

int LineCount() {
  const char* value = std::getenv("DGR_BENCH_LINES");
  return value ? std::atoi(value) : 10000;
}

constexpr int kCopied = 1000;

TvxDiagram* BuildDiagram(QWidget& owner) {
  InitializeDiagramLibrary();
  auto* diagram = Create<TvxDiagram>(&owner);
  TGenerateOptions options;
  options.Blocks = BlockCount();
  options.Lines = LineCount();
  options.Seed = 1;
  GenerateDiagram(diagram, &owner, options);
  diagram->ClearUndoStack();
  return diagram;
}

struct TFixture {
  QWidget owner;
  TvxDiagram* diagram = BuildDiagram(owner);
};

TFixture& Fixture() {
  static TFixture fixture;
  return fixture;
}

double PeakResidentMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in kilobytes on Linux
}

void SelectFirstElements(TvxDiagram* diagram, int count) {
  diagram->BeginUpdateSel();
  for (int i = 0; i < diagram->DControlCount(); ++i) diagram->DControls(i)->SetSelected(i < count);
  diagram->EndUpdateSel();
}

void BM_SaveToText(benchmark::State& state) {
  TvxDiagram* diagram = Fixture().diagram;
  qsizetype bytes = 0;
  for (auto _ : state) {
    const QByteArray text = diagram->SaveToBytes(true);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SaveToText)->Unit(benchmark::kMillisecond);

// Opening a file: loading into an empty diagram (freeing it again is outside the timing).
void BM_LoadFromText(benchmark::State& state) {
  const QByteArray text = Fixture().diagram->SaveToBytes(true);
  int elements = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto owner = std::make_unique<QWidget>();
    auto* target = Create<TvxDiagram>(owner.get());
    state.ResumeTiming();
    target->LoadFromBytes(text, true);
    state.PauseTiming();
    elements = target->DControlCount();
    owner.reset();
    state.ResumeTiming();
  }
  state.counters["elements"] = elements;
}
BENCHMARK(BM_LoadFromText)->Unit(benchmark::kMillisecond);

// The first save after opening a file: no element has a record kept from an earlier write.
void BM_SaveToTextFresh(benchmark::State& state) {
  TvxDiagram* diagram = Fixture().diagram;
  for (auto _ : state) {
    state.PauseTiming();
    diagram->StreamRecordsChanged();  // every kept record goes stale
    state.ResumeTiming();
    const QByteArray text = diagram->SaveToBytes(true);
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(BM_SaveToTextFresh)->Unit(benchmark::kMillisecond);

// What a user waits for: saving to a file and opening it in an empty diagram (reading the
// file, loading, and the base undo snapshot that opening takes).
void BM_SaveToFile(benchmark::State& state) {
  TvxDiagram* diagram = Fixture().diagram;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("bench.dgr"));
  for (auto _ : state) diagram->SaveToFile(path);
}
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond);

void BM_OpenFile(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("bench.dgr"));
  Fixture().diagram->SaveToFile(path);
  for (auto _ : state) {
    state.PauseTiming();
    auto owner = std::make_unique<QWidget>();
    auto* target = Create<TvxDiagram>(owner.get());
    state.ResumeTiming();
    target->LoadFromFile(path);
    state.PauseTiming();
    owner.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenFile)->Unit(benchmark::kMillisecond);

// Loading over a diagram that holds the same content: the old content is kept aside for a
// failing stream, then freed.
void BM_ReloadFromText(benchmark::State& state) {
  const QByteArray text = Fixture().diagram->SaveToBytes(true);
  QWidget owner;
  auto* target = Create<TvxDiagram>(&owner);
  target->LoadFromBytes(text, true);
  for (auto _ : state) target->LoadFromBytes(text, true);
  state.counters["elements"] = target->DControlCount();
}
BENCHMARK(BM_ReloadFromText)->Unit(benchmark::kMillisecond);

void BM_PushUndoSnapshot(benchmark::State& state) {
  TvxDiagram* diagram = Fixture().diagram;
  for (auto _ : state) diagram->PushUndoStack(QStringLiteral("move"));
  diagram->ClearUndoStack();
}
BENCHMARK(BM_PushUndoSnapshot)->Unit(benchmark::kMillisecond);

// The usual case: one block moved (its lines follow), then the snapshot of the next step.
void BM_PushUndoSnapshotAfterMove(benchmark::State& state) {
  TvxDiagram* diagram = Fixture().diagram;
  TDiagramControl* moved = diagram->DControls(diagram->DControlCount() / 2);
  double step = 10;
  for (auto _ : state) {
    moved->MoveBy(step, 0);
    step = -step;
    diagram->PushUndoStack(QStringLiteral("move"));
  }
  diagram->ClearUndoStack();
}
BENCHMARK(BM_PushUndoSnapshotAfterMove)->Unit(benchmark::kMillisecond);

// One undo: the diagram is rebuilt from the previous snapshot (redo outside the timing).
void BM_Undo(benchmark::State& state) {
  TvxDiagram* diagram = Fixture().diagram;
  diagram->ClearUndoStack();
  diagram->PushUndoStack(QStringLiteral("move"));
  for (auto _ : state) {
    diagram->Undo();
    state.PauseTiming();
    diagram->Redo();
    state.ResumeTiming();
  }
  diagram->ClearUndoStack();
}
BENCHMARK(BM_Undo)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_UndoRedo(benchmark::State& state) {
  TvxDiagram* diagram = Fixture().diagram;
  diagram->ClearUndoStack();
  diagram->PushUndoStack(QStringLiteral("move"));
  for (auto _ : state) {
    diagram->Undo();
    diagram->Redo();
  }
  diagram->ClearUndoStack();
}
BENCHMARK(BM_UndoRedo)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_CopyToClipboard(benchmark::State& state) {
  TvxDiagram* diagram = Fixture().diagram;
  SelectFirstElements(diagram, kCopied);
  for (auto _ : state) diagram->CopyToClipboard();
  state.counters["selected"] = diagram->SelectedCount();
  SelectFirstElements(diagram, 0);
}
BENCHMARK(BM_CopyToClipboard)->Unit(benchmark::kMillisecond);

// Pasting 1,000 elements, with the undo snapshot the paste takes; the pasted elements are
// removed again by an undo outside the timing.
void BM_PasteFromClipboard(benchmark::State& state) {
  TvxDiagram* diagram = Fixture().diagram;
  SelectFirstElements(diagram, kCopied);
  diagram->CopyToClipboard();
  SelectFirstElements(diagram, 0);
  diagram->ClearUndoStack();
  const int before = diagram->DControlCount();
  int pasted = 0;
  for (auto _ : state) {
    diagram->PasteFromClipboard();
    state.PauseTiming();
    pasted = diagram->DControlCount() - before;
    diagram->Undo();
    diagram->ClearUndoStack();
    state.ResumeTiming();
  }
  state.counters["pasted"] = pasted;
}
BENCHMARK(BM_PasteFromClipboard)->Unit(benchmark::kMillisecond)->Iterations(3);

// Ten snapshots, the whole history the diagram keeps: their total size and the peak memory.
void BM_TenSnapshots(benchmark::State& state) {
  TvxDiagram* diagram = Fixture().diagram;
  for (auto _ : state) {
    state.PauseTiming();
    diagram->ClearUndoStack();
    state.ResumeTiming();
    for (int i = 1; i < TDiagramUndoStack::MaxItems; ++i) diagram->PushUndoStack(QStringLiteral("move"));
  }
  double total = 0;
  const TDiagramUndoStack* stack = diagram->UndoStack();
  for (int i = 0; i < stack->Count(); ++i) total += static_cast<double>(stack->Item(i)->State.size());
  state.counters["snapshots"] = stack->Count();
  state.counters["total_MB"] = total / (1024.0 * 1024.0);
  state.counters["stored_MB"] = static_cast<double>(stack->StoredBytes()) / (1024.0 * 1024.0);
  state.counters["peak_rss_MB"] = PeakResidentMegabytes();
  diagram->ClearUndoStack();
}
BENCHMARK(BM_TenSnapshots)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
