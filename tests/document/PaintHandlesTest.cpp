// The handle step of the screen pass visits the selection and the outermost groups of
// selected members instead of every element. Drawing handles again over a finished pass,
// walking the whole list as the pass used to, must change no pixel: whatever the walk over
// the list would draw, the pass drew, in the same order.
#include "document/DiagramLibrary.h"
#include "document/SelectionBlock.h"
#include "document/vxDiagram.h"
#include "elements/Blocks.h"
#include "elements/GroupBlocks.h"
#include "elements/LinkPoints.h"
#include "elements/Lines.h"
#include "platform/Canvas.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include <random>

namespace {

void DrawHandlesOf(TCanvas* canvas, TDiagramControl* control) {
  if (!control->IsVisible() && !control->IsSelectionBlock()) return;
  TDiagramDrawInfo info{canvas, control->Drawer(), control->DgrDrawer()};
  control->DrawHandles(info);
  if (!control->IsGroup()) return;
  std::vector<TDiagramControl*> members;
  control->CollectLeafMembers(members);
  for (TDiagramControl* member : members)
    if (member && member != control) DrawHandlesOf(canvas, member);
}

// Every element of the list that is selected or a group, is no member and is visible, then
// the selection frame when it is in use.
void DrawHandlesOverTheWholeList(TvxDiagram* diagram, QImage& image) {
  TCanvas canvas(&image);
  for (int i = 0; i < diagram->DControlCount(); ++i) {
    TDiagramControl* c = diagram->DControls(i);
    if ((c->Selected() || c->IsGroup()) && !c->IsMember() && c->IsVisible()) DrawHandlesOf(&canvas, c);
  }
  // The selection frame's grips come last, over the elements' frames.
  if (diagram->UsesSelectionBlock()) DrawHandlesOf(&canvas, diagram->SelectionBlock());
}

struct PaintHandles : ::testing::Test {
  QWidget form;
  TvxDiagram* diagram = nullptr;
  std::mt19937 random{4242};

  void SetUp() override {
    InitializeDiagramLibrary();
    diagram = Create<TvxDiagram>(&form);
    diagram->resize(420, 320);
    diagram->SetGraphicLib(dglGDI);
  }
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }

  TDiagramBlock* AddBlock(double left, double top) {
    auto* block = Create<TDiagramBlock>(&form);
    block->SetBoundsRect({left, top, left + 44, top + 30});
    block->SetDiagram(diagram);
    return block;
  }
  TGroupBlock* Group(const std::vector<TDiagramControl*>& members) {
    diagram->UnselectAll();
    for (TDiagramControl* member : members) member->SetSelected(true);
    return diagram->GroupSelectedBlocks();
  }
  QImage Paint() {
    QImage image(420, 320, QImage::Format_ARGB32_Premultiplied);
    TCanvas canvas(&image);
    diagram->PaintTo(&canvas, psScreen, {0, 0});
    return image;
  }
};

TEST_F(PaintHandles, SelectionAndGroupsShowTheHandlesOfAWalkOverTheWholeList) {
  std::vector<TDiagramBlock*> blocks;
  for (int row = 0; row < 5; ++row)
    for (int column = 0; column < 6; ++column) blocks.push_back(AddBlock(10 + column * 66, 10 + row * 60));
  for (int i = 0; i + 1 < 12; i += 2) {
    auto* line = Create<TDiagramLine>(&form);
    line->SetDiagram(diagram);
    line->SourceLinkPoint()->SetAnchor(blocks[static_cast<size_t>(i)]);
    line->SourceLinkPoint()->SetAnchorIndex(1);
    line->TargetLinkPoint()->SetAnchor(blocks[static_cast<size_t>(i + 7)]);
    line->TargetLinkPoint()->SetAnchorIndex(0);
  }
  // Pairs, a group of groups, a group of a group and a block; some blocks stay single.
  TGroupBlock* a = Group({blocks[0], blocks[1]});
  TGroupBlock* b = Group({blocks[6], blocks[7]});
  TGroupBlock* outer = Group({a, b});
  TGroupBlock* c = Group({blocks[14], blocks[15]});
  TGroupBlock* mixed = Group({c, blocks[20]});
  TGroupBlock* d = Group({blocks[27], blocks[28]});
  ASSERT_TRUE(a && b && outer && c && mixed && d);
  std::vector<TDiagramControl*> all;
  for (int i = 0; i < diagram->DControlCount(); ++i) all.push_back(diagram->DControls(i));

  int roundsWithHandles = 0;
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    diagram->UnselectAll();
    diagram->SetSelectionMode(round % 3 == 2 ? slmGroup : slmMultiple);
    const QImage unselected = Paint();
    const int picks = 1 + Below(4);
    for (int k = 0; k < picks; ++k) all[static_cast<size_t>(Below(static_cast<int>(all.size())))]->SetSelected(true);
    QImage image = Paint();
    roundsWithHandles += image != unselected;
    QImage again = image;
    DrawHandlesOverTheWholeList(diagram, again);
    ASSERT_TRUE(image == again) << "the walk over the whole list drew handles the pass left out";
  }
  EXPECT_GT(roundsWithHandles, 30);
}

}  // namespace
