// Saving, loading and undo snapshots of a large diagram (10,000 blocks).
#include "document/DiagramLibrary.h"
#include "document/vxDiagram.h"
#include "elements/Blocks.h"

#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>

namespace {

constexpr int kBlocks = 10000;

TvxDiagram* BuildDiagram(QWidget& owner) {
  InitializeDiagramLibrary();
  auto* diagram = Create<TvxDiagram>(&owner);
  diagram->BeginUpdate();
  for (int i = 0; i < kBlocks; ++i) {
    auto* block = Create<TDiagramBlock>(&owner);
    block->SetName(QStringLiteral("Block%1").arg(i + 1));
    block->SetLeft(20 + (i % 100) * 160);
    block->SetTop(20 + (i / 100) * 120);
    block->Strings()->SetText(QStringLiteral("Step %1").arg(i + 1));
    if (i % 3 == 0) block->Gradient()->SetVisible(true);
    if (i % 4 == 0) block->Shadow()->SetVisible(true);
    block->SetDiagram(diagram);
  }
  diagram->EndUpdate();
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

void BM_SaveToText(benchmark::State& state) {
  TvxDiagram* diagram = Fixture().diagram;
  for (auto _ : state) benchmark::DoNotOptimize(diagram->SaveToBytes(true));
}
BENCHMARK(BM_SaveToText)->Unit(benchmark::kMillisecond);

void BM_LoadFromText(benchmark::State& state) {
  const QByteArray text = Fixture().diagram->SaveToBytes(true);
  QWidget owner;
  auto* target = Create<TvxDiagram>(&owner);
  for (auto _ : state) target->LoadFromBytes(text, true);
}
BENCHMARK(BM_LoadFromText)->Unit(benchmark::kMillisecond);

void BM_PushUndoSnapshot(benchmark::State& state) {
  TvxDiagram* diagram = Fixture().diagram;
  for (auto _ : state) diagram->PushUndoStack(QStringLiteral("move"));
}
BENCHMARK(BM_PushUndoSnapshot)->Unit(benchmark::kMillisecond);

void BM_UndoRedo(benchmark::State& state) {
  TvxDiagram* diagram = Fixture().diagram;
  diagram->ClearUndoStack();
  diagram->PushUndoStack(QStringLiteral("move"));
  for (auto _ : state) {
    diagram->Undo();
    diagram->Redo();
  }
}
BENCHMARK(BM_UndoRedo)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
