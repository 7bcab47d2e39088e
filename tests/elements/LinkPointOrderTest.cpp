// Line ends stay on the link point they were attached to when the points of the element
// they are attached to are deleted, inserted or reordered.

#include "document/vxDiagram.h"
#include "elements/LinkPoints.h"
#include "support/TestElements.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct PointOrder : ::testing::Test {
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  TTestBlock* block = Create<TTestBlock>(&form);
  TTestLine* line = Create<TTestLine>(&form);
  TLinkPoint* target = nullptr;

  void SetUp() override {
    block->SetDiagram(diagram);
    line->SetDiagram(diagram);
    for (int i = 0; i < 4; ++i) block->LinkPoints()->Add(i * 10, 0, aoNone);
    target = block->LinkPoints()->Point(2);
    End()->SetAnchorLink(target);
  }
  TLinkPoint* End() { return line->LinkPoints()->Point(1); }
};

TEST_F(PointOrder, DeletingAnEarlierPointKeepsTheEndOnItsPoint) {
  block->LinkPoints()->Delete(0);
  EXPECT_EQ(End()->AnchorIndex(), 1);
  EXPECT_EQ(End()->AnchorLink(), target);
  End()->SetAnchorLink(nullptr);
  EXPECT_EQ(target->AnchoredCount(), 0) << "the end left the list it was in";
}

TEST_F(PointOrder, InsertingAndMovingPointsKeepTheEndOnItsPoint) {
  block->LinkPoints()->Insert(0);
  EXPECT_EQ(End()->AnchorLink(), target);
  EXPECT_EQ(End()->AnchorIndex(), 3);
  target->SetIndex(0);
  EXPECT_EQ(End()->AnchorIndex(), 0);
  EXPECT_EQ(End()->AnchorLink(), target);
}

TEST_F(PointOrder, DeletingTheAnchorPointReleasesTheEndOnce) {
  int removed = 0;
  block->OnLinkRemoved = [&](TDiagramControl*, TDiagramControl*, TLinkPoint*) { ++removed; };
  block->LinkPoints()->Delete(2);
  EXPECT_EQ(End()->Anchor(), nullptr);
  EXPECT_EQ(End()->AnchorIndex(), -1);
  EXPECT_EQ(line->LastChange, acRemoval);
  EXPECT_EQ(removed, 1);
  for (int i = 0; i < block->LinkPoints()->Count(); ++i) EXPECT_EQ(block->LinkPoints()->Point(i)->AnchoredCount(), 0);
}

TEST_F(PointOrder, AFreedLineIsNotLeftInTheAnchoredListAfterAReorder) {
  block->LinkPoints()->Delete(0);
  delete line;  // a line that goes away leaves its anchor's list
  line = nullptr;
  EXPECT_EQ(target->AnchoredCount(), 0);
  block->NotifyAnchoreds(acPosition);  // must not reach the freed line
}

}  // namespace
