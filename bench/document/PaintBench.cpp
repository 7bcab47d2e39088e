// Full repaints of a 1920 x 1080 view of generated diagrams (seed 1) with as many lines as
// blocks: at 100 % (top left of the diagram) and at the zoom that shows the whole diagram,
// drawn plainly (GraphicLib gdi) and through the default path engine. A repaint is what the
// window does on a paint event: PaintTo in the screen style onto a 1920 x 1080 image.
//
// Counters: "fps" is repaints per second; "painted" is how many elements the pass drew.
// Args: block count (= line count), whole-diagram view (0/1), path engine (0/1).
#include "document/DiagramGenerator.h"
#include "document/DiagramLibrary.h"
#include "document/vxDiagram.h"
#include "platform/Canvas.h"

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>

namespace {

constexpr int kViewWidth = 1920;
constexpr int kViewHeight = 1080;

struct TPaintFixture {
  QWidget owner;
  TvxDiagram* diagram = nullptr;
  QImage image{kViewWidth, kViewHeight, QImage::Format_ARGB32_Premultiplied};

  explicit TPaintFixture(int elements) {
    InitializeDiagramLibrary();
    diagram = Create<TvxDiagram>(&owner);
    diagram->resize(kViewWidth, kViewHeight);
    TGenerateOptions options;
    options.Blocks = elements;
    options.Lines = elements;
    options.Seed = 1;
    // The elements get no owner: naming 200,000 components under one owner is quadratic
    // today (the owner's name index is rebuilt for every new child), which would make the
    // largest diagram take hours to build. Ownership plays no part in painting.
    GenerateDiagram(diagram, nullptr, options);
  }

  // The zoom (percent) at which the diagram's extent fits the view.
  int FitZoom() const {
    const double ratio = std::min(double(diagram->ViewWidth()) / std::max(1, diagram->DiagramWidth()),
                                  double(diagram->ViewHeight()) / std::max(1, diagram->DiagramHeight()));
    return std::max(1, static_cast<int>(ratio * 100));
  }

  void Show(bool wholeDiagram, bool pathEngine) {
    diagram->SetGraphicLib(pathEngine ? DefaultGraphicLib : dglGDI);
    diagram->SetZoom(wholeDiagram ? FitZoom() : 100);
    diagram->HorzScrollBar()->SetPosition(0);
    diagram->VertScrollBar()->SetPosition(0);
  }

  void Repaint() {
    TCanvas canvas(&image);
    diagram->PaintTo(&canvas, psScreen, {0, 0});
  }
};

// Generating 100,000 blocks takes a while: one diagram per size, kept for the whole run
// (and freed before the application goes).
std::map<int, std::unique_ptr<TPaintFixture>>& Fixtures() {
  static std::map<int, std::unique_ptr<TPaintFixture>> fixtures;
  return fixtures;
}

TPaintFixture& Fixture(int elements) {
  auto& fixture = Fixtures()[elements];
  if (!fixture) fixture = std::make_unique<TPaintFixture>(elements);
  return *fixture;
}

void BM_Repaint(benchmark::State& state) {
  TPaintFixture& fixture = Fixture(static_cast<int>(state.range(0)));
  fixture.Show(state.range(1) != 0, state.range(2) != 0);
  fixture.Repaint();  // the first pass measures the elements into the index
  for (auto _ : state) fixture.Repaint();
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["painted"] = fixture.diagram->LastPaintedCount();
  state.counters["pictures"] = static_cast<double>(fixture.diagram->ElementPictures().Count());
  state.counters["direct"] = static_cast<double>(fixture.diagram->ElementPictures().DirectCount());
  state.counters["pages"] = fixture.diagram->ElementPictures().PageCount();
  state.counters["zoom"] = fixture.diagram->Zoom();
  state.counters["extentW"] = fixture.diagram->DiagramWidth();
  state.counters["extentH"] = fixture.diagram->DiagramHeight();
  state.counters["viewW"] = fixture.diagram->ViewWidth();
  state.SetLabel(std::string(state.range(1) ? "whole diagram" : "100 %") + (state.range(2) ? ", path engine" : ", gdi"));
}
BENCHMARK(BM_Repaint)
    ->ArgNames({"elements", "whole", "engine"})
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0);

// The whole-diagram view repaints while the zoom steps between two neighbouring values, as
// when a user zooms: whatever the elements keep for one view is worked out again.
void BM_RepaintWhileZooming(benchmark::State& state) {
  TPaintFixture& fixture = Fixture(static_cast<int>(state.range(0)));
  fixture.Show(true, state.range(1) != 0);
  // Setting a zoom changes nothing when the present one reads back as that value (a ratio
  // of 0.06 reads as 5 %), so the zoom steps between the two above the fit.
  const int fit = fixture.diagram->Zoom();
  int step = 0;
  for (auto _ : state) {
    const double before = fixture.diagram->ZoomRatio();
    fixture.diagram->SetZoom(fit + 1 + (step ^= 1));
    if (fixture.diagram->ZoomRatio() == before) {
      state.SkipWithError("the zoom did not change");
      break;
    }
    fixture.Repaint();
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.SetLabel(state.range(1) ? "path engine" : "gdi");
}
BENCHMARK(BM_RepaintWhileZooming)
    ->ArgNames({"elements", "engine"})
    ->ArgsProduct({{10000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0);

// One block moves and the view repaints: the index catches up with one element.
void BM_MoveOneBlockAndRepaint(benchmark::State& state) {
  TPaintFixture& fixture = Fixture(static_cast<int>(state.range(0)));
  fixture.Show(false, false);
  TDiagramControl* block = fixture.diagram->Blocks(0);
  fixture.Repaint();
  double step = 1;
  for (auto _ : state) {
    block->MoveBy(step, 0);
    step = -step;
    fixture.Repaint();
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MoveOneBlockAndRepaint)->ArgNames({"elements"})->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Fixtures().clear();
  return 0;
}
