// Side-line routing: 10,000 side lines between 5,100 blocks on a 100 x 51 grid (blocks are
// linked to their right and their lower neighbours, odd columns shifted down so that the
// horizontal routes need three segments). items_per_second is routes per second.
//   BM_FirstRoute: every line routed from scratch (no previous shape to follow).
//   BM_RerouteAll: every line re-routed from its anchors, following its previous route.
//   BM_MoveOneBlock: one block moves; only the lines anchored to it re-route.
#include "document/vxDiagram.h"
#include "elements/Blocks.h"
#include "elements/Lines.h"
#include "elements/LinkPoints.h"

#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

constexpr int Rows = 100;
constexpr int Columns = 51;
constexpr int LineCount = 10000;

// A side line that counts its re-routes.
class TCountingSideLine : public TDiagramSideLine {
public:
  explicit TCountingSideLine(QObject* owner = nullptr) : TDiagramSideLine(owner) {}
  void Reroute() override {
    ++Reroutes;
    TDiagramSideLine::Reroute();
  }
  void RouteFromScratch() { LineStyleChanged(); }
  static inline int64_t Reroutes = 0;
};

enum TSide { sdLeft, sdTop, sdRight, sdBottom };

struct TGrid {
  TGrid() {
    diagram = Create<TvxDiagram>(&form);
    diagram->BeginUpdate();
    for (int row = 0; row < Rows; ++row)
      for (int column = 0; column < Columns; ++column) blocks.push_back(MakeBlock(row, column));
    // Right neighbours first, then lower ones, until there are LineCount lines.
    for (int row = 0; row < Rows && int(lines.size()) < LineCount; ++row)
      for (int column = 0; column + 1 < Columns && int(lines.size()) < LineCount; ++column)
        Link(At(row, column), sdRight, At(row, column + 1), sdLeft);
    for (int row = 0; row + 1 < Rows && int(lines.size()) < LineCount; ++row)
      for (int column = 0; column < Columns && int(lines.size()) < LineCount; ++column)
        Link(At(row, column), sdBottom, At(row + 1, column), sdTop);
  }
  ~TGrid() {
    diagram->EndUpdate();
    owners.clear();
  }

  // Elements are named here and spread over many owners: the diagram's search for a free
  // name and the per-owner uniqueness check would otherwise be the cost being measured.
  QObject* NextOwner() {
    if (owners.empty() || ++ownedByLast == 100) {
      owners.push_back(std::make_unique<QObject>());
      ownedByLast = 0;
    }
    return owners.back().get();
  }
  TDiagramBlock* MakeBlock(int row, int column) {
    auto* block = Create<TDiagramBlock>(NextOwner());
    const double left = column * 150.0;
    const double top = row * 150.0 + (column % 2) * 40.0;
    block->SetName(QStringLiteral("Block%1").arg(blocks.size()));
    block->SetBoundsRect({left, top, left + 80, top + 60});
    block->LinkPoints()->Add(0, 50, aoLeft);
    block->LinkPoints()->Add(50, 0, aoUp);
    block->LinkPoints()->Add(100, 50, aoRight);
    block->LinkPoints()->Add(50, 100, aoDown);
    block->SetDiagram(diagram);
    return block;
  }
  TDiagramBlock* At(int row, int column) { return blocks[static_cast<size_t>(row * Columns + column)]; }
  void Link(TDiagramBlock* from, TSide fromSide, TDiagramBlock* to, TSide toSide) {
    auto* line = Create<TCountingSideLine>(NextOwner());
    line->SetName(QStringLiteral("Line%1").arg(lines.size()));
    line->SetDiagram(diagram);
    TControlInsertInfo info;
    info.Action = iaInserted;
    info.AnchorPoint1 = from->LinkPoints()->Point(fromSide);
    info.AnchorPoint2 = to->LinkPoints()->Point(toSide);
    info.P1 = info.AnchorPoint1->DiagramPoint();
    info.P2 = info.AnchorPoint2->DiagramPoint();
    line->ControlInserting(info);
    lines.push_back(line);
  }
  QWidget form;
  TvxDiagram* diagram = nullptr;
  // Destroyed before the diagram, so every element leaves it while it exists.
  std::vector<std::unique_ptr<QObject>> owners;
  int ownedByLast = 0;
  std::vector<TDiagramBlock*> blocks;
  std::vector<TCountingSideLine*> lines;
};

std::unique_ptr<TGrid> TheGrid;

TGrid& Grid() {
  if (!TheGrid) TheGrid = std::make_unique<TGrid>();
  return *TheGrid;
}

void BM_FirstRoute(benchmark::State& state) {
  TGrid& grid = Grid();
  for (auto _ : state)
    for (TCountingSideLine* line : grid.lines) line->RouteFromScratch();
  state.SetItemsProcessed(state.iterations() * int64_t(grid.lines.size()));
}
BENCHMARK(BM_FirstRoute)->Unit(benchmark::kMillisecond);

void BM_RerouteAll(benchmark::State& state) {
  TGrid& grid = Grid();
  for (auto _ : state)
    for (TCountingSideLine* line : grid.lines) line->Reroute();
  state.SetItemsProcessed(state.iterations() * int64_t(grid.lines.size()));
}
BENCHMARK(BM_RerouteAll)->Unit(benchmark::kMillisecond);

void BM_MoveOneBlock(benchmark::State& state) {
  TGrid& grid = Grid();
  TDiagramBlock* block = grid.At(Rows / 2, Columns / 2);
  const int anchored = 4;  // a block inside the grid has four lines
  double step = 7;
  int64_t routes = 0;
  for (auto _ : state) {
    const int64_t before = TCountingSideLine::Reroutes;
    block->MoveBy(step, step);
    step = -step;
    const int64_t touched = TCountingSideLine::Reroutes - before;
    if (touched != anchored) {
      state.SkipWithError("a block move re-routed lines that are not anchored to it");
      break;
    }
    routes += touched;
  }
  state.SetItemsProcessed(routes);
}
BENCHMARK(BM_MoveOneBlock);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  TheGrid.reset();  // the widgets go before the application
  benchmark::Shutdown();
  return 0;
}
