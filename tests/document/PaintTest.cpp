#include "document/vxDiagram.h"
#include "platform/Canvas.h"
#include "support/TestElements.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// Records the order in which elements are drawn and where their handles are drawn.
QStringList gLog;

class TLoggedBlock : public TTestBlock {
public:
  explicit TLoggedBlock(QObject* owner) : TTestBlock(owner) {}
  void DrawControl(const TDiagramDrawInfo&) override { gLog << Name(); }
  void DrawHandles(const TDiagramDrawInfo&) override { gLog << "handles " + Name(); }
};

class TLoggedLine : public TTestLine {
public:
  explicit TLoggedLine(QObject* owner) : TTestLine(owner) {}
  void DrawControl(const TDiagramDrawInfo&) override { gLog << Name(); }
};

struct Painting : ::testing::Test {
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  QImage image{400, 300, QImage::Format_ARGB32_Premultiplied};

  void SetUp() override {
    gLog.clear();
    diagram->resize(400, 300);
    diagram->SetGraphicLib(dglGDI);
  }
  template <class T>
  T* Add(const QString& name, TSquare rect = {10, 10, 60, 60}) {
    T* element = Create<T>(&form);
    element->SetName(name);
    element->Rect = rect;
    element->SetDiagram(diagram);
    return element;
  }
  void Paint(TPaintStyle style) {
    TCanvas canvas(&image);
    diagram->PaintTo(&canvas, style, {0, 0});
  }
};

TEST_F(Painting, ListOrderLinesFirstAndBackgroundElements) {
  Add<TLoggedBlock>(QStringLiteral("A"));
  Add<TLoggedLine>(QStringLiteral("L"));
  Add<TLoggedBlock>(QStringLiteral("B"))->SetIsBackgroundControl(true);
  Paint(psBitmap);
  EXPECT_EQ(gLog, (QStringList{"B", "A", "L"})) << "background elements first";
  gLog.clear();
  diagram->SetPaintLinesFirst(true);
  Paint(psBitmap);
  EXPECT_EQ(gLog, (QStringList{"B", "L", "A"}));
}

TEST_F(Painting, HandlesOfTheSelectionComeLastAndOnlyOnScreen) {
  auto* a = Add<TLoggedBlock>(QStringLiteral("A"));
  Add<TLoggedBlock>(QStringLiteral("B"));
  a->SetSelected(true);
  Paint(psScreen);
  EXPECT_EQ(gLog, (QStringList{"A", "B", "handles A"}));
  gLog.clear();
  Paint(psBitmap);
  EXPECT_EQ(gLog, (QStringList{"A", "B"}));
}

TEST_F(Painting, DragShapesFollowThePaintModesOfTheElements) {
  Add<TLoggedBlock>(QStringLiteral("A"));
  auto* b = Add<TLoggedBlock>(QStringLiteral("B"));
  auto* c = Add<TLoggedBlock>(QStringLiteral("C"));
  c->SetIntPaintMode(pmNormalCursor);
  b->SetIntPaintMode(pmCursorOnly);
  Paint(psScreen);
  EXPECT_EQ(gLog, (QStringList{"A", "C", "B", "C"})) << "normal pass, then drag shapes in list order";
  gLog.clear();
  b->SetIntPaintMode(pmNormal);
  Paint(psScreen);
  EXPECT_EQ(gLog, (QStringList{"A", "B", "C", "C"}));
  gLog.clear();
  Free(c);  // leaves while in a cursor mode
  Paint(psScreen);
  EXPECT_EQ(gLog, (QStringList{"A", "B"}));
  gLog.clear();
  auto* late = Create<TLoggedBlock>(&form);  // a mode set before joining counts too
  late->SetName(QStringLiteral("D"));
  late->Rect = {10, 10, 60, 60};
  late->SetIntPaintMode(pmCursorOnly);
  late->SetDiagram(diagram);
  Paint(psScreen);
  EXPECT_EQ(gLog, (QStringList{"A", "B", "D"}));
}

TEST_F(Painting, ElementsOutsideTheVisibleAreaOrInvisibleAreNotDrawn) {
  Add<TLoggedBlock>(QStringLiteral("Near"));
  Add<TLoggedBlock>(QStringLiteral("Far"), {5000, 5000, 5050, 5050});
  Add<TLoggedBlock>(QStringLiteral("Hidden"))->SetVisible(false);
  Add<TLoggedBlock>(QStringLiteral("Layered"))->SetLayer(3);
  Paint(psScreen);
  EXPECT_EQ(gLog, QStringList{"Near"});
  EXPECT_EQ(diagram->LastPaintedCount(), 1);
}

TEST_F(Painting, BitmapPassFillsWithTheExportColourAndRestoresTheScreenStyle) {
  diagram->SetExportBackgroundColor(clRed);
  image.fill(Qt::black);
  Paint(psBitmap);
  EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::red));
  EXPECT_EQ(diagram->PaintStyle(), psScreen);
}

TEST_F(Painting, AFailingElementLeavesThePassCleanlyEnded) {
  struct TThrowing : TTestBlock {
    explicit TThrowing(QObject* owner) : TTestBlock(owner) {}
    void DrawControl(const TDiagramDrawInfo&) override { throw std::runtime_error("broken element"); }
  };
  Add<TThrowing>(QStringLiteral("T"));
  diagram->SetGraphicLib(dglGDIPlus);
  diagram->SetZoom(200);
  EXPECT_THROW(Paint(psBitmap), std::runtime_error);
  EXPECT_EQ(diagram->PaintStyle(), psScreen);
  const int before = diagram->InvalidationCount();
  diagram->Redraw();
  EXPECT_EQ(diagram->InvalidationCount(), before + 1) << "the painting flag was cleared";
}

}  // namespace
