// A full-HD picture of 5,000 turned, gradient-filled, shadowed, outlined blocks with text,
// drawn through the path engine and in plain mode. Reports blocks per second.
//
// Each block keeps its own drawer (as elements do), so native pens, brushes and text
// layouts are reused from one picture to the next.

#include "drawing/GdipClasses.h"
#include "drawing/Gradient.h"
#include "platform/Canvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int Width = 1920;
constexpr int Height = 1080;
constexpr int BlockCount = 5000;

struct TBlock {
  TSquare Rect;
  double Angle = 0;
  TColor Fill = clWhite;
  QString Text;
  std::unique_ptr<TDiagramGradient> Gradient = std::make_unique<TDiagramGradient>();
  std::unique_ptr<TBlockShadow> Shadow = std::make_unique<TBlockShadow>();
  std::unique_ptr<TPen> Pen = std::make_unique<TPen>();
  std::unique_ptr<TFont> Font = std::make_unique<TFont>();
  std::unique_ptr<TDgrBlockDrawer> DgrDrawer = CreateBlockDrawer(dglGDIPlus);
  std::unique_ptr<TGdipGraphicsPath> Outline = std::make_unique<TGdipGraphicsPath>();
  std::unique_ptr<TBlockDrawer> Drawer = std::make_unique<TBlockDrawer>();
};

std::vector<TBlock>& Blocks() {
  static std::vector<TBlock> blocks = [] {
    std::vector<TBlock> made(BlockCount);
    std::mt19937 random(42);
    std::uniform_real_distribution<double> x(0, Width - 120), y(0, Height - 80), w(60, 120), h(40, 80),
        angle(-180, 180);
    for (int i = 0; i < BlockCount; ++i) {
      TBlock& block = made[i];
      const double left = x(random), top = y(random);
      block.Rect = TSquare{left, top, left + w(random), top + h(random)};
      block.Angle = angle(random);
      block.Fill = RGBColor(static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i * 91), 200);
      block.Text = QStringLiteral("Block %1").arg(i);
      block.Gradient->SetDirection(static_cast<TGradientDirection>(i % 14));
      block.Gradient->SetStartColor(clWhite);
      block.Gradient->SetEndColor(block.Fill);
      block.Gradient->SetVisible(true);
      block.Shadow->SetVisible(true);
      block.Shadow->SetTransparency(40);
      block.Pen->SetColor(clNavy);
      block.Pen->SetWidth(2);
      block.Font->SetName(QStringLiteral("DejaVu Sans"));
      block.Font->SetHeight(-12);
      block.DgrDrawer->SetSourceRect(TSquare{0, 0, 100, 100});
      block.Drawer->SetOriginalRect(TSquare{0, 0, 100, 100});
    }
    return made;
  }();
  return blocks;
}

TDot Center(const TSquare& r) { return TDot{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

// --- Path engine ----------------------------------------------------------------------------

void BuildOutline(TBlock& block) {
  block.Outline->Reset();
  block.Outline->AddRectangle(TSquare{0, 0, 100, 100});
  block.DgrDrawer->TransformPath(*block.Outline);
}

void DrawPathBlock(TBlock& block, TDgrPaintEngine& engine) {
  TDgrBlockDrawer& drawer = *block.DgrDrawer;
  drawer.SetDestRect(block.Rect);
  drawer.SetRotationCenter(Center(block.Rect));
  drawer.SetAngle(block.Angle);
  drawer.SetPaintEngine(&engine);
  TDgrCanvas& canvas = *drawer.Canvas();
  {
    block.Shadow->PrepareCanvas(canvas, 0);
    TShadowDestRectScope moved(drawer, *block.Shadow);
    BuildOutline(block);
    canvas.Path(*block.Outline);
  }
  BuildOutline(block);
  {
    TDgrOutlineClip clip(canvas, *block.Outline);
    canvas.Brush()->SetTransparency(0);
    block.Gradient->DrawGradient(&drawer);
  }
  canvas.Pen()->SetTransparency(0);
  canvas.Pen()->Assign(block.Pen.get());
  canvas.Brush()->SetBrushMode(bmClear);
  canvas.DrawPath(*block.Outline);
  canvas.SaveDrawingState();
  canvas.RotateTransform(block.Angle, Center(block.Rect));
  canvas.DrawString(block.Text, *block.Font, block.Rect, dhaCenter, vaCenter, true, false, 0);
  canvas.RestoreDrawingState();
  drawer.SetPaintEngine(nullptr);
}

void BM_PathEngineBlocks(benchmark::State& state) {
  std::vector<TBlock>& blocks = Blocks();
  QImage image(Width, Height, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    const auto engine = CreatePaintEngine(dglGDIPlus, &painter, TRect{0, 0, Width, Height});
    engine->BeginDraw();
    for (TBlock& block : blocks) DrawPathBlock(block, *engine);
    engine->EndDraw();
  }
  state.SetItemsProcessed(state.iterations() * BlockCount);
  state.SetLabel("blocks");
}
BENCHMARK(BM_PathEngineBlocks)->Unit(benchmark::kMillisecond)->UseRealTime();

// --- Plain mode -----------------------------------------------------------------------------

void DrawPlainBlock(TBlock& block, TCanvas& canvas) {
  TBlockDrawer& drawer = *block.Drawer;
  drawer.SetCanvas(&canvas);
  drawer.SetCurRect(block.Rect);
  drawer.SetAngle(block.Angle);
  {
    TBlockDrawerOffsetScope moved(drawer, block.Shadow->CanvasOffset(nullptr));
    block.Shadow->PrepareCanvas(canvas);
    drawer.AutoRotRect(0, 0, 100, 100);
  }
  {
    const TRegion outline = TRegion::FromPolygon(
        DotsToPoints(drawer.RotPoly({{block.Rect.Left, block.Rect.Top},
                                     {block.Rect.Right, block.Rect.Top},
                                     {block.Rect.Right, block.Rect.Bottom},
                                     {block.Rect.Left, block.Rect.Bottom}})));
    TCanvasStateSaver keep(canvas);
    canvas.SelectClipRegion(&outline);
    block.Gradient->DrawGradient(&canvas, block.Rect, block.Angle);
  }
  canvas.SetPen(block.Pen.get());
  canvas.Brush()->SetStyle(bsClear);
  drawer.AutoRotRect(0, 0, 100, 100);
  canvas.SetFont(block.Font.get());
  TCanvasStateSaver keep(canvas);
  canvas.RotateAbout(block.Angle, Center(block.Rect));
  TRect textRect = SquareToRect(block.Rect);
  canvas.DrawText(block.Text, textRect, tfCenter | tfVerticalCenter | tfWordBreak);
}

void BM_PlainModeBlocks(benchmark::State& state) {
  std::vector<TBlock>& blocks = Blocks();
  QImage image = NewScreenImage(Width, Height, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    image.fill(Qt::white);
    TCanvas canvas(&image);
    for (TBlock& block : blocks) DrawPlainBlock(block, canvas);
    canvas.Unbind();
  }
  state.SetItemsProcessed(state.iterations() * BlockCount);
  state.SetLabel("blocks");
}
BENCHMARK(BM_PlainModeBlocks)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
