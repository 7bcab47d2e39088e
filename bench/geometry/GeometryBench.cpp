// Cost of flattening outlines and curves, and of drawing a rotated outline through the drawer.
#include "geometry/BlockDrawer.h"
#include "geometry/BlockShapes.h"
#include "geometry/DiagramUtils.h"

#include <benchmark/benchmark.h>

namespace {

class CountingTarget : public IRasterTarget {
public:
  size_t Points = 0;
  void Rectangle(int, int, int, int) override {}
  void Ellipse(int, int, int, int) override {}
  void RoundRect(int, int, int, int, int, int) override {}
  void Polygon(const TPointArray& points) override { Points += points.size(); }
  void Polyline(const TPointArray& points) override { Points += points.size(); }
  void MoveTo(int, int) override {}
  void LineTo(int, int) override {}
};

void BM_EllipsePoints(benchmark::State& state) {
  const double size = static_cast<double>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(EllipsePoints(0, 0, size, size / 2, 0, 360, true));
}
BENCHMARK(BM_EllipsePoints)->Arg(100)->Arg(1000)->Arg(10000);

void BM_RoundRectPoints(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(RoundRectPoints(0, 0, 400, 200, 100, 50));
}
BENCHMARK(BM_RoundRectPoints);

void BM_CircleArcPoints(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(CircleArcPoints(Dot(0, 0), Dot(400, 0), Dot(200, 150)));
}
BENCHMARK(BM_CircleArcPoints);

void BM_ParabolaPoints(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ParabolaPoints(Dot(0, 0), Dot(150, -80), Dot(400, 30)));
}
BENCHMARK(BM_ParabolaPoints);

void BM_CurvePoints(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(CurvePoints(Dot(0, 0), Dot(80, -80), Dot(320, 80), Dot(400, 0)));
}
BENCHMARK(BM_CurvePoints);

void BM_DrawRotatedSquareRound(benchmark::State& state) {
  CountingTarget target;
  TBlockDrawer drawer;
  drawer.SetCanvas(&target);
  drawer.SetCurRect(Square(100, 100, 500, 300));
  drawer.SetAngle(30);
  for (auto _ : state) DrawBlockShape(drawer, bsSquareRound);
  benchmark::DoNotOptimize(target.Points);
}
BENCHMARK(BM_DrawRotatedSquareRound);

}  // namespace

BENCHMARK_MAIN();
