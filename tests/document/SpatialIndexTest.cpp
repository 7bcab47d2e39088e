#include "document/DiagramGenerator.h"
#include "document/DiagramLibrary.h"
#include "document/SpatialIndex.h"
#include "document/vxDiagram.h"
#include "elements/Blocks.h"
#include "elements/LinkPoints.h"
#include "elements/Lines.h"
#include "elements/StretchHandles.h"
#include "platform/Canvas.h"
#include "support/TestElements.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>
#include <random>

namespace {

// What the index must agree with: a walk over the whole list in paint order.
std::vector<TDiagramControl*> LinearIntersecting(TvxDiagram* diagram, const TSquare& rect) {
  const TSquare area{std::min(rect.Left, rect.Right), std::min(rect.Top, rect.Bottom), std::max(rect.Left, rect.Right),
                     std::max(rect.Top, rect.Bottom)};
  std::vector<TDiagramControl*> found;
  for (int i = 0; i < diagram->DControlCount(); ++i)
    if (TSpatialIndex::Overlap(TSpatialIndex::PaintBounds(diagram->DControls(i)), area))
      found.push_back(diagram->DControls(i));
  return found;
}

std::vector<TDiagramControl*> LinearContaining(TvxDiagram* diagram, const TSquare& rect) {
  std::vector<TDiagramControl*> found;
  for (int i = 0; i < diagram->DControlCount(); ++i)
    if (TSpatialIndex::Contains(TSpatialIndex::PaintBounds(diagram->DControls(i)), rect))
      found.push_back(diagram->DControls(i));
  return found;
}

QStringList Names(const std::vector<TDiagramControl*>& controls) {
  QStringList names;
  for (const TDiagramControl* c : controls) names << c->Name();
  return names;
}

struct SpatialIndex : ::testing::Test {
  static void SetUpTestSuite() { InitializeDiagramLibrary(); }
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  std::mt19937 random{12345};
  int made = 0;

  double Uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); }
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
  TSquare RandomRect(double extent, double maxSize) {
    const double left = Uniform(-200, extent);
    const double top = Uniform(-200, extent);
    return {left, top, left + Uniform(0, maxSize), top + Uniform(0, maxSize)};
  }

  TDiagramBlock* AddBlock() {
    auto* block = Create<TDiagramBlock>(&form);
    block->SetName(QStringLiteral("B%1").arg(++made));
    block->SetBoundsRect(RandomRect(3000, 200));
    block->SetDiagram(diagram);
    return block;
  }
  TDiagramLine* AddLine() {
    auto* line = Create<TDiagramLine>(&form);
    line->SetName(QStringLiteral("L%1").arg(++made));
    line->SetDiagram(diagram);
    PlaceLine(line);
    return line;
  }
  void PlaceLine(TDiagramLine* line) {
    TStretchHandles* handles = line->Handles();
    handles->BeginUpdate();
    for (int i = 0; i < handles->Count(); ++i)
      handles->Handle(i)->SetOrPoint({Uniform(-100, 3000), Uniform(-100, 3000)});
    handles->EndUpdate();
  }
  // An element class that does not report its bounds changes: kept aside, measured per query.
  TTestBlock* AddUnreported() {
    auto* block = Create<TTestBlock>(&form);
    block->SetName(QStringLiteral("T%1").arg(++made));
    block->Rect = RandomRect(3000, 300);
    block->SetDiagram(diagram);
    return block;
  }

  void Mutate() {
    if (diagram->DControlCount() == 0) {
      AddBlock();
      return;
    }
    TDiagramControl* target = diagram->DControls(Below(diagram->DControlCount()));
    auto* block = qobject_cast<TDiagramBlock*>(target);
    auto* line = qobject_cast<TDiagramLine*>(target);
    auto* unreported = dynamic_cast<TTestBlock*>(target);
    switch (Below(9)) {
      case 0: target->MoveBy(Uniform(-500, 500), Uniform(-500, 500)); break;
      case 1:
        if (block) block->SetBoundsRect(RandomRect(3000, 400));
        if (line) PlaceLine(line);
        if (unreported) unreported->Rect = RandomRect(3000, 300);  // unannounced
        break;
      case 2:
        if (block) block->SetAngle(Uniform(0, 360));
        if (line) line->SetLineStyle(Below(2) ? lsBezier : lsLine);
        break;
      case 3: Free(target); break;
      case 4: Below(2) ? target->BringToFront() : target->SendToBack(); break;
      case 5: AddBlock(); break;
      case 6: AddLine(); break;
      case 7: AddUnreported(); break;
      case 8: target->SetDiagram(nullptr); Free(target); break;
    }
  }
};

TEST_F(SpatialIndex, QueriesAgreeWithALinearScanThroughRandomChanges) {
  for (int i = 0; i < 150; ++i) AddBlock();
  for (int i = 0; i < 60; ++i) AddLine();
  for (int i = 0; i < 10; ++i) AddUnreported();
  TSpatialIndex& index = diagram->SpatialIndex();
  for (int round = 0; round < 60; ++round) {
    const int changes = Below(12);
    for (int i = 0; i < changes; ++i) Mutate();
    for (int q = 0; q < 8; ++q) {
      const TSquare rect = RandomRect(3000, q % 2 ? 2000 : 300);
      ASSERT_EQ(Names(index.Intersecting(rect)), Names(LinearIntersecting(diagram, rect))) << "round " << round;
      const TSquare point{rect.Left, rect.Top, rect.Left, rect.Top};
      ASSERT_EQ(Names(index.Containing(point)), Names(LinearContaining(diagram, point))) << "round " << round;
    }
  }
  EXPECT_GT(index.IndexedCount(), 100) << "the tracked elements live in the grid, not aside";
}

TEST_F(SpatialIndex, CandidatesHoldEveryHitAndEveryElementKeptAside) {
  TDiagramBlock* near = AddBlock();
  near->SetBoundsRect({10, 10, 60, 60});
  TDiagramBlock* far = AddBlock();
  far->SetBoundsRect({5000, 5000, 5050, 5050});
  TTestBlock* unreported = AddUnreported();
  unreported->Rect = {9000, 9000, 9010, 9010};
  const std::vector<TDiagramControl*> expected{near, unreported};
  EXPECT_EQ(diagram->SpatialIndex().Candidates({0, 0, 100, 100}), expected);
  EXPECT_TRUE(diagram->SpatialIndex().Intersecting({0, 0, 100, 100}) == std::vector<TDiagramControl*>{near});
}

TEST_F(SpatialIndex, BordersFollowThePaintTest) {
  TDiagramBlock* block = AddBlock();
  block->SetBoundsRect({100, 100, 200, 200});
  struct TCase {
    TSquare Rect;
    bool Intersects;
    bool Contained;
  };
  const TCase cases[] = {
      {{200, 100, 300, 200}, false, false},  // touching on the right edge: open intervals
      {{199, 150, 300, 160}, true, false},
      {{100, 100, 100, 100}, false, true},   // the corner lies on the closed bounds, not inside the open ones
      {{150, 150, 150, 150}, true, true},    // a point strictly inside meets both
      {{250, 150, 250, 150}, false, false},
      {{120, 120, 180, 180}, true, true},
      {{180, 180, 120, 120}, true, true},    // corners given the other way round
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(diagram->SpatialIndex().Intersecting(c.Rect).size(), c.Intersects ? 1u : 0u)
        << c.Rect.Left << "," << c.Rect.Top << "," << c.Rect.Right << "," << c.Rect.Bottom;
    EXPECT_EQ(diagram->SpatialIndex().Containing(c.Rect).size(), c.Contained ? 1u : 0u)
        << c.Rect.Left << "," << c.Rect.Top << "," << c.Rect.Right << "," << c.Rect.Bottom;
  }
}

TEST_F(SpatialIndex, RotationWidensTheBoundsToTheTurnedCorners) {
  TDiagramBlock* block = AddBlock();
  block->SetBoundsRect({0, 0, 200, 20});
  const TSquare aboveTheCentre{95, -80, 105, -70};
  EXPECT_TRUE(diagram->SpatialIndex().Intersecting(aboveTheCentre).empty());
  block->SetAngle(90);
  EXPECT_EQ(diagram->SpatialIndex().Intersecting(aboveTheCentre).size(), 1u);
}

TEST_F(SpatialIndex, MarkerCandidatesReachOutToLinkPoints) {
  TDiagramBlock* block = AddBlock();
  block->SetBoundsRect({0, 0, 100, 100});
  TLinkPoint* point = block->LinkPoints()->Add(50, 50, aoNone);
  const TSquare away{500, 500, 520, 520};
  EXPECT_TRUE(diagram->SpatialIndex().MarkerCandidates(away).empty());
  point->SetOrPoint({510, 510});  // source units of a 100 x 100 block: client units here
  EXPECT_EQ(diagram->SpatialIndex().MarkerCandidates(away).size(), 1u) << "link point changes reach the index";
  EXPECT_TRUE(diagram->SpatialIndex().Candidates(away).empty()) << "the paint bounds stay the block's own";
  block->MoveBy(-300, 0);
  EXPECT_TRUE(diagram->SpatialIndex().MarkerCandidates(away).empty());
}

TEST_F(SpatialIndex, ResultsComeInPaintOrderAfterReordering) {
  TDiagramBlock* a = AddBlock();
  TDiagramBlock* b = AddBlock();
  TDiagramBlock* c = AddBlock();
  for (TDiagramBlock* block : {a, b, c}) block->SetBoundsRect({0, 0, 50, 50});
  const TSquare area{10, 10, 20, 20};
  EXPECT_EQ(diagram->SpatialIndex().Intersecting(area), (std::vector<TDiagramControl*>{a, b, c}));
  a->BringToFront();
  c->SendToBack();
  EXPECT_EQ(diagram->SpatialIndex().Intersecting(area), (std::vector<TDiagramControl*>{c, b, a}));
  Free(b);
  EXPECT_EQ(diagram->SpatialIndex().Intersecting(area), (std::vector<TDiagramControl*>{c, a}));
}

TEST_F(SpatialIndex, InListOrderSortsOnceEachAndLeavesOutWhatIsNotListed) {
  TDiagramBlock* a = AddBlock();
  TDiagramBlock* b = AddBlock();
  TDiagramBlock* c = AddBlock();
  auto* stranger = Create<TDiagramBlock>(&form);  // in no diagram
  EXPECT_EQ(diagram->SpatialIndex().InListOrder({c, stranger, a, c, b, a}), (std::vector<TDiagramControl*>{a, b, c}));
  a->BringToFront();
  EXPECT_EQ(diagram->SpatialIndex().InListOrder({a, c}), (std::vector<TDiagramControl*>{c, a}));
  Free(b);
  EXPECT_EQ(diagram->SpatialIndex().InListOrder({}), (std::vector<TDiagramControl*>{}));
  EXPECT_EQ(diagram->SpatialIndex().InListOrder({a, c}), (std::vector<TDiagramControl*>{c, a}));
}

// --- The paint pass -------------------------------------------------------------------------------

QStringList gLog;

class TLoggedDiagramBlock : public TDiagramBlock {
public:
  explicit TLoggedDiagramBlock(QObject* owner) : TDiagramBlock(owner) {}
  void DrawControl(const TDiagramDrawInfo& info) override {
    gLog << Name();
    TDiagramBlock::DrawControl(info);
  }
};

struct CulledPainting : SpatialIndex {
  QImage image{400, 300, QImage::Format_ARGB32_Premultiplied};
  void SetUp() override {
    gLog.clear();
    diagram->resize(400, 300);
    diagram->SetGraphicLib(dglGDI);
  }
  TLoggedDiagramBlock* AddLogged(const QString& name, const TSquare& rect) {
    auto* block = Create<TLoggedDiagramBlock>(&form);
    block->SetName(name);
    block->SetBoundsRect(rect);
    block->SetDiagram(diagram);
    return block;
  }
  QStringList Paint() {
    gLog.clear();
    TCanvas canvas(&image);
    diagram->PaintTo(&canvas, psScreen, {0, 0});
    return gLog;
  }
};

TEST_F(CulledPainting, AnElementMovedOutOfViewIsNotPaintedAndMovedBackIs) {
  TLoggedDiagramBlock* a = AddLogged(QStringLiteral("A"), {10, 10, 60, 60});
  AddLogged(QStringLiteral("B"), {100, 100, 150, 150});
  EXPECT_EQ(Paint(), (QStringList{"A", "B"}));
  a->MoveBy(4000, 4000);
  EXPECT_EQ(Paint(), QStringList{"B"});
  a->SetBoundsRect({380, 280, 480, 380});  // reaches into the view at its corner
  EXPECT_EQ(Paint(), (QStringList{"A", "B"}));
  a->SetBoundsRect({500, 0, 520, 20});
  EXPECT_EQ(Paint(), QStringList{"B"});
  a->SetAngle(45);  // still out of view when turned
  EXPECT_EQ(Paint(), QStringList{"B"});
}

TEST_F(CulledPainting, ScrollingAndZoomMoveTheCulledArea) {
  AddLogged(QStringLiteral("Near"), {10, 10, 60, 60});
  AddLogged(QStringLiteral("Far"), {1000, 1000, 1050, 1050});
  EXPECT_EQ(Paint(), QStringList{"Near"});
  diagram->SetZoom(25);
  EXPECT_EQ(Paint(), (QStringList{"Near", "Far"}));
}

TEST_F(CulledPainting, OverlappingElementsKeepTheirPaintOrder) {
  TLoggedDiagramBlock* a = AddLogged(QStringLiteral("A"), {10, 10, 60, 60});
  AddLogged(QStringLiteral("B"), {20, 20, 70, 70});
  TLoggedDiagramBlock* c = AddLogged(QStringLiteral("C"), {30, 30, 80, 80});
  AddLogged(QStringLiteral("Away"), {3000, 30, 3080, 80});
  EXPECT_EQ(Paint(), (QStringList{"A", "B", "C"}));
  a->BringToFront();
  c->SendToBack();
  EXPECT_EQ(Paint(), (QStringList{"C", "B", "A"}));
}

// A generated diagram painted through the index draws exactly the elements whose bounds
// meet the view, at several scroll positions.
TEST_F(CulledPainting, GeneratedDiagramPaintsWhatALinearScanFindsVisible) {
  GenerateDiagram(diagram, &form, {300, 300, 1});
  diagram->SetZoom(50);
  for (const int scroll : {0, 300, 900}) {
    diagram->HorzScrollBar()->SetPosition(scroll);
    diagram->VertScrollBar()->SetPosition(scroll / 2);
    Paint();
    int expected = 0;
    const TSquare area = diagram->VisibleArea();
    for (int i = 0; i < diagram->DControlCount(); ++i) {
      TDiagramControl* c = diagram->DControls(i);
      const TSquare r = diagram->ClientToCanvas(TSpatialIndex::PaintBounds(c));
      // A group is drawn through its members.
      if (!c->IsGroup() && c->IsVisible() && TSpatialIndex::Overlap(r, area)) ++expected;
    }
    EXPECT_GT(expected, 0);
    EXPECT_EQ(diagram->LastPaintedCount(), expected) << "scroll " << scroll;
  }
}

}  // namespace
