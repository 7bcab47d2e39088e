// Undo-snapshot speed: writing and reading a root with many diagram-like elements.
#include "platform/Collection.h"
#include "platform/Component.h"
#include "streaming/ComponentStream.h"

#include <QPointer>
#include <benchmark/benchmark.h>

class TBenchPen : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(int Color READ Color WRITE SetColor)
  Q_PROPERTY(int Width READ Width WRITE SetWidth)
  DGR_DEFAULT(Color, 0)
  DGR_DEFAULT(Width, 1)
public:
  int Color() const { return FColor; }
  void SetColor(int v) { FColor = v; }
  int Width() const { return FWidth; }
  void SetWidth(int v) { FWidth = v; }

private:
  int FColor = 0;
  int FWidth = 1;
};

class TBenchPoint : public TCollectionItem {
  Q_OBJECT
  Q_PROPERTY(double X READ X WRITE SetX)
  Q_PROPERTY(double Y READ Y WRITE SetY)
public:
  using TCollectionItem::TCollectionItem;
  double X() const { return FX; }
  void SetX(double v) { FX = v; }
  double Y() const { return FY; }
  void SetY(double v) { FY = v; }

private:
  double FX = 0, FY = 0;
};

class TBenchBlock : public TComponent {
  Q_OBJECT
  Q_PROPERTY(double Left READ Left WRITE SetLeft)
  Q_PROPERTY(double Top READ Top WRITE SetTop)
  Q_PROPERTY(double Width READ Width WRITE SetWidth)
  Q_PROPERTY(double Height READ Height WRITE SetHeight)
  Q_PROPERTY(double Angle READ Angle WRITE SetAngle)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(TBenchPen* Pen READ Pen)
  Q_PROPERTY(TCollection* LinkPoints READ LinkPoints)
  Q_PROPERTY(TBenchBlock* Anchor READ Anchor WRITE SetAnchor)
  DGR_DEFAULT(Visible, true)
public:
  explicit TBenchBlock(QObject* owner = nullptr)
      : TComponent(owner), FPoints(this, [](TCollection* c) { return new TBenchPoint(c); }) {}
  double Left() const { return FLeft; }
  void SetLeft(double v) { FLeft = v; }
  double Top() const { return FTop; }
  void SetTop(double v) { FTop = v; }
  double Width() const { return FWidth; }
  void SetWidth(double v) { FWidth = v; }
  double Height() const { return FHeight; }
  void SetHeight(double v) { FHeight = v; }
  double Angle() const { return FAngle; }
  void SetAngle(double v) { FAngle = v; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { FVisible = v; }
  QString Caption() const { return FCaption; }
  void SetCaption(const QString& v) { FCaption = v; }
  TBenchPen* Pen() const { return const_cast<TBenchPen*>(&FPen); }
  TCollection* LinkPoints() const { return const_cast<TCollection*>(&FPoints); }
  TBenchBlock* Anchor() const { return FAnchor; }
  void SetAnchor(TBenchBlock* v) { FAnchor = v; }

private:
  double FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0, FAngle = 0;
  bool FVisible = true;
  QString FCaption;
  TBenchPen FPen;
  TCollection FPoints;
  QPointer<TBenchBlock> FAnchor;
};

class TBenchRoot : public TComponent {
  Q_OBJECT
public:
  using TComponent::TComponent;
  void GetChildren(const std::function<void(QObject*)>& proc, QObject*) override {
    for (QObject* child : children())
      if (qobject_cast<TBenchBlock*>(child)) proc(child);
  }
};

namespace {

void Populate(TBenchRoot& root, int count) {
  TBenchBlock* previous = nullptr;
  for (int i = 0; i < count; ++i) {
    auto* block = Create<TBenchBlock>(&root);
    block->setObjectName(QStringLiteral("DiagramBlock%1").arg(i + 1));
    block->SetLeft(10 + i * 2.5);
    block->SetTop(20 + i * 1.25);
    block->SetWidth(120);
    block->SetHeight(65.5);
    block->SetCaption(QStringLiteral("Step %1").arg(i));
    block->Pen()->SetColor(0x800000);
    for (int p = 0; p < 4; ++p) {
      auto* point = static_cast<TBenchPoint*>(block->LinkPoints()->Add());
      point->SetX(p * 25.0);
      point->SetY(50);
    }
    if (previous && i % 4 == 0) block->SetAnchor(previous);
    previous = block;
  }
}

void BM_WriteComponent(benchmark::State& state) {
  TBenchRoot root;
  Populate(root, static_cast<int>(state.range(0)));
  size_t bytes = 0;
  for (auto _ : state) bytes = static_cast<size_t>(WriteComponent(&root).size());
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["snapshot_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_WriteComponent)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ReadComponent(benchmark::State& state) {
  RegisterClass<TBenchBlock>();
  TBenchRoot source;
  Populate(source, static_cast<int>(state.range(0)));
  const QByteArray snapshot = WriteComponent(&source);
  for (auto _ : state) {
    TBenchRoot target;
    ReadComponent(snapshot, &target);
    benchmark::DoNotOptimize(target.children().size());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadComponent)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

#include "ComponentBench.moc"
