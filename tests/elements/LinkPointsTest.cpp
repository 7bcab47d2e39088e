#include "document/vxDiagram.h"
#include "elements/LinkPoints.h"
#include "support/TestElements.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct Linking : ::testing::Test {
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  TTestBlock* block = Create<TTestBlock>(&form);
  TTestLine* line = Create<TTestLine>(&form);
  void SetUp() override {
    block->SetDiagram(diagram);
    line->SetDiagram(diagram);
    block->LinkPoints()->Add(50, 0, aoUp);
    block->LinkPoints()->Add(50, 100, aoDown);
  }
  TLinkPoint* End(int i) { return line->LinkPoints()->Point(i); }
};

TEST_F(Linking, AnchoringKeepsTheAnchoredListOnTheOtherSide) {
  QStringList events;
  diagram->OnLinkAdded = [&](TvxDiagram*, TDiagramControl*, TDiagramControl*, TLinkPoint*) { events << "added"; };
  diagram->OnLinkRemoved = [&](TvxDiagram*, TDiagramControl*, TDiagramControl*, TLinkPoint*) { events << "removed"; };
  End(0)->SetAnchorLink(block->LinkPoints()->Point(1));
  EXPECT_EQ(End(0)->Anchor(), block);
  EXPECT_EQ(End(0)->AnchorIndex(), 1);
  EXPECT_EQ(block->LinkPoints()->Point(1)->AnchoredCount(), 1);
  End(0)->SetAnchor(block);  // same anchor again: listed once
  EXPECT_EQ(block->LinkPoints()->Point(1)->AnchoredCount(), 1);
  End(0)->SetAnchorLink(nullptr);
  EXPECT_EQ(block->LinkPoints()->Point(1)->AnchoredCount(), 0);
  EXPECT_EQ(events, (QStringList{"added", "removed"}));
}

TEST_F(Linking, ALoadedEndGetsItsIndexBeforeItsAnchor) {
  End(1)->SetAnchorIndex(0);
  EXPECT_EQ(End(1)->AnchorLink(), nullptr);
  End(1)->SetAnchor(block);
  EXPECT_EQ(End(1)->AnchorLink(), block->LinkPoints()->Point(0));
  EXPECT_EQ(block->LinkPoints()->Point(0)->AnchoredCount(), 1);
}

TEST_F(Linking, AnIndexTheBlockNoLongerHasLeavesTheEndUnanchored) {
  End(1)->SetAnchorIndex(7);
  End(1)->SetAnchor(block);
  EXPECT_EQ(End(1)->AnchorIndex(), -1);
  EXPECT_EQ(End(1)->AnchorLink(), nullptr);
}

TEST_F(Linking, DestroyingALinkPointReleasesTheEndsAnchoredToIt) {
  End(0)->SetAnchorLink(block->LinkPoints()->Point(1));
  block->LinkPoints()->Delete(1);
  EXPECT_EQ(End(0)->Anchor(), nullptr);
  EXPECT_EQ(End(0)->AnchorIndex(), -1);
  EXPECT_EQ(line->LastChange, acRemoval);
}

TEST_F(Linking, NotifyAnchoredsReachesEveryAnchoredEndOnce) {
  End(0)->SetAnchorLink(block->LinkPoints()->Point(0));
  End(1)->SetAnchorLink(block->LinkPoints()->Point(1));
  line->LinkedChanges = 0;
  block->NotifyAnchoreds(acPosition);
  EXPECT_EQ(line->LinkedChanges, 2);
  EXPECT_EQ(line->LastChange, acPosition);
}

TEST(RealOrientation, TurnsWithTheOwnersAngle) {
  struct Case { double angle; TAnchorOrientation from, expected; };
  const Case cases[] = {
      {0, aoUp, aoUp},         {44.9, aoUp, aoUp},     {45, aoUp, aoRight},   {90, aoLeft, aoUp},
      {180, aoUp, aoDown},     {270, aoRight, aoUp},   {315, aoUp, aoUp},     {90, aoHorz, aoVert},
      {180, aoVert, aoVert},   {135, aoDown, aoUp},    {225, aoDown, aoRight}, {100, aoNone, aoNone},
  };
  class TAngled : public TTestBlock {
  public:
    using TTestBlock::TTestBlock;
    void SetAngle(double a) { SetAngleField(a); }
  };
  QObject owner;
  for (const Case& c : cases) {
    auto* element = Create<TAngled>(&owner);
    element->SetAngle(c.angle);
    TLinkPoint* p = element->LinkPoints()->Add(0, 0, c.from);
    EXPECT_EQ(p->RealOrientation(), c.expected) << c.angle << " " << c.from;
  }
}

}  // namespace
