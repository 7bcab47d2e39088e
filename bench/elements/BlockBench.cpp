// Hit testing of rotated blocks: 100,000 PointInControl queries per iteration, in plain
// mode (outline polygon) and path mode (engine outline path), for a rectangle and an
// ellipse. items_per_second is the number of queries per second.
#include "elements/Blocks.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int BlockCount = 100;
constexpr int QueryCount = 100000;

struct TScene {
  TScene(TDgrGraphicLib lib, ElementEnums::TBlockShape shape) {
    RegisterBlockClasses();
    std::mt19937 random(7);
    std::uniform_real_distribution<double> angle(0, 360);
    for (int i = 0; i < BlockCount; ++i) {
      auto* block = Create<TDiagramBlock>(&Owner);
      block->SetGraphicLib(lib);
      block->SetShape(shape);
      block->SetBoundsRect({double(i % 10) * 120, double(i / 10) * 90, double(i % 10) * 120 + 100,
                            double(i / 10) * 90 + 60});
      block->SetAngle(angle(random));
      Blocks.push_back(block);
    }
    std::uniform_int_distribution<int> x(-20, 1220), y(-20, 920);
    for (int i = 0; i < QueryCount; ++i) Points.push_back({x(random), y(random)});
  }
  QObject Owner;
  std::vector<TDiagramBlock*> Blocks;
  std::vector<TPoint> Points;
};

void BM_PointInControl(benchmark::State& state) {
  const auto lib = static_cast<TDgrGraphicLib>(state.range(0));
  const auto shape = static_cast<ElementEnums::TBlockShape>(state.range(1));
  TScene scene(lib, shape);
  int64_t hits = 0;
  for (auto _ : state) {
    for (int i = 0; i < QueryCount; ++i) {
      // Each query goes to the block whose cell holds the point, as the diagram's own
      // search would after its rectangle test.
      const TPoint& p = scene.Points[static_cast<size_t>(i)];
      const int column = std::clamp((p.X + 10) / 120, 0, 9), row = std::clamp((p.Y + 15) / 90, 0, 9);
      hits += scene.Blocks[static_cast<size_t>(row * 10 + column)]->PointInControl(p);
    }
  }
  benchmark::DoNotOptimize(hits);
  state.SetItemsProcessed(state.iterations() * QueryCount);
  state.counters["hit_ratio"] = double(hits) / double(state.iterations() * QueryCount);
}
BENCHMARK(BM_PointInControl)
    ->ArgNames({"lib", "shape"})
    ->Args({dglGDI, ElementEnums::bsRectangle})
    ->Args({dglGDI, ElementEnums::bsEllipse})
    ->Args({dglGDIPlus, ElementEnums::bsRectangle})
    ->Args({dglGDIPlus, ElementEnums::bsEllipse})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
