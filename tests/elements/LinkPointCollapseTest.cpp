#include "document/vxDiagram.h"
#include "elements/LinkPoints.h"
#include "elements/StretchHandles.h"
#include "support/TestElements.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A line whose first and last handles carry its two end link points.
class TEndedLine : public TTestLine {
public:
  using TTestLine::TTestLine;
  TLinkPoint* HandleLinkPoint(TStretchHandle* handle) override {
    const int index = Handles()->IndexOf(handle);
    if (index == 0) return LinkPoints()->Point(0);
    if (index >= 0 && index == Handles()->Count() - 1) return LinkPoints()->Point(1);
    return nullptr;
  }
};

struct Branches : ::testing::Test {
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);

  TTestBlock* NewBlock() {
    auto* block = Create<TTestBlock>(&form);
    block->SetDiagram(diagram);
    block->LinkPoints()->Add(0, 0, aoNone);
    block->LinkPoints()->Add(100, 0, aoNone);
    return block;
  }
  // A line from link point i of a to link point j of b.
  TTestLine* Connect(TDiagramControl* a, int i, TDiagramControl* b, int j) {
    auto* line = Create<TTestLine>(&form);
    line->SetDiagram(diagram);
    line->LinkPoints()->Point(0)->SetAnchorLink(a->LinkPoints()->Point(i));
    line->LinkPoints()->Point(1)->SetAnchorLink(b->LinkPoints()->Point(j));
    return line;
  }
  static std::vector<bool> Visibility(std::initializer_list<TDiagramControl*> controls) {
    std::vector<bool> result;
    for (TDiagramControl* c : controls) result.push_back(c->IsVisible());
    return result;
  }

  // a -l1-> b -l2-> c
  TTestBlock* a = NewBlock();
  TTestBlock* b = NewBlock();
  TTestBlock* c = NewBlock();
  TTestLine* l1 = Connect(a, 0, b, 0);
  TTestLine* l2 = Connect(b, 1, c, 0);
  TLinkPoint* root = a->LinkPoints()->Point(0);
};

TEST_F(Branches, CollapsingHidesTheBranchAndExpandingShowsIt) {
  root->SetCollapsable(true);
  root->Collapse();
  EXPECT_TRUE(root->Collapsed());
  EXPECT_EQ(Visibility({a, l1, b, l2, c}), (std::vector<bool>{true, false, false, false, false}));
  root->Expand();
  EXPECT_FALSE(root->Collapsed());
  EXPECT_EQ(Visibility({a, l1, b, l2, c}), (std::vector<bool>{true, true, true, true, true}));
}

TEST_F(Branches, ABranchThatLoopsBackIsNotCollapsed) {
  Connect(c, 1, a, 1);
  root->SetCollapsable(true);
  root->Collapse();
  EXPECT_FALSE(root->Collapsed());
  EXPECT_EQ(Visibility({a, l1, b, l2, c}), (std::vector<bool>{true, true, true, true, true}));
}

TEST_F(Branches, OnlyNodesCollapse) {
  root->Collapse();
  EXPECT_FALSE(root->Collapsed()) << "not collapsable and no automatic nodes";
  EXPECT_TRUE(b->IsVisible());

  TLinkPoint* unlinked = c->LinkPoints()->Point(1);
  unlinked->SetCollapsable(true);
  unlinked->Collapse();
  EXPECT_FALSE(unlinked->Collapsed()) << "nothing is anchored there";

  diagram->SetAutomaticNodes(true);
  EXPECT_TRUE(root->IsNode());
  root->Collapse();
  EXPECT_TRUE(root->Collapsed());
  EXPECT_FALSE(b->IsVisible());
}

TEST_F(Branches, ACollapsedInnerNodeKeepsItsPartHiddenWhenTheOuterOneExpands) {
  diagram->SetAutomaticNodes(true);
  TLinkPoint* inner = b->LinkPoints()->Point(1);
  inner->Collapse();
  EXPECT_EQ(Visibility({l1, b, l2, c}), (std::vector<bool>{true, true, false, false}));
  root->Collapse();
  EXPECT_EQ(Visibility({l1, b, l2, c}), (std::vector<bool>{false, false, false, false}));
  root->Expand();
  EXPECT_EQ(Visibility({l1, b, l2, c}), (std::vector<bool>{true, true, false, false}));
}

TEST_F(Branches, CollapsingUnselectsWhatItHides) {
  diagram->SetAutomaticNodes(true);
  b->SetSelected(true);
  ASSERT_TRUE(b->Selected());
  root->Collapse();
  EXPECT_FALSE(b->Selected());
}

TEST_F(Branches, WhileTheOwnerLoadsTheFlagIsStoredAsGiven) {
  a->SetComponentState(csLoading);
  root->SetCollapsed(true);
  EXPECT_TRUE(root->Collapsed());
  EXPECT_TRUE(b->IsVisible()) << "no walk while loading";
}

TEST_F(Branches, CollapsedNodesMaskIgnoresPointsTheBlockDoesNotHave) {
  ApplyCollapsedNodesMask(a->LinkPoints(), (qint64(1) << 0) | (qint64(1) << 5) | (qint64(1) << 31) | (qint64(1) << 40));
  EXPECT_TRUE(a->LinkPoints()->Point(0)->Collapsed());
  EXPECT_FALSE(a->LinkPoints()->Point(1)->Collapsed());
  EXPECT_EQ(CollapsedNodesMask(a->LinkPoints()), 1u);

  for (int i = 2; i < 40; ++i) a->LinkPoints()->Add(i, i, aoNone);
  a->LinkPoints()->Point(31)->SetCollapsedFlag(true);
  a->LinkPoints()->Point(35)->SetCollapsedFlag(true);
  EXPECT_EQ(CollapsedNodesMask(a->LinkPoints()), 1u | (1u << 31)) << "points above 31 are not in the mask";
  EXPECT_EQ(CollapsedNodesMask(nullptr), 0u);
}

// --- Linking rules ----------------------------------------------------------------------------

struct Rules : Branches {
  TTestLine* line = [this] {
    auto* l = Create<TTestLine>(&form);
    l->SetDiagram(diagram);
    return l;
  }();
  TLinkPoint* Source() { return line->LinkPoints()->Point(0); }
  TLinkPoint* Target() { return line->LinkPoints()->Point(1); }
  TLinkPoint* point = c->LinkPoints()->Point(1);
};

TEST_F(Rules, ConstraintsAdmitTheMatchingEnd) {
  struct Case { TLinkConstraint constraint; bool source, target; };
  const Case cases[] = {
      {lcAll, true, true}, {lcSourceOnly, true, false}, {lcTargetOnly, false, true}, {lcNone, false, false}};
  for (const Case& k : cases) {
    point->SetLinkConstraint(k.constraint);
    EXPECT_EQ(CanAnchorTo(Source(), point), k.source) << k.constraint;
    EXPECT_EQ(CanAnchorTo(Target(), point), k.target) << k.constraint;
  }
}

TEST_F(Rules, PointsThatMayNotTakeALinkRefuseIt) {
  ASSERT_TRUE(CanAnchorTo(Source(), point));
  point->SetAcceptAnchoreds(false);
  EXPECT_FALSE(CanAnchorTo(Source(), point));
  point->SetAcceptAnchoreds(true);
  point->SetVisible(false);
  EXPECT_FALSE(CanAnchorTo(Source(), point));
  point->SetVisible(true);
  c->SetLinkPointStyle(ptImplicit);
  EXPECT_FALSE(CanAnchorTo(Source(), point));
  c->SetLinkPointStyle(ptCross);
  c->SetRestrictions(crNoLink);
  EXPECT_FALSE(CanAnchorTo(Source(), point));
  c->SetRestrictions({});
  line->SetRestrictions(crNoLink);
  EXPECT_FALSE(CanAnchorTo(Source(), point));
  line->SetRestrictions({});
  EXPECT_FALSE(CanAnchorTo(Source(), Target())) << "a line end does not anchor to its own line";
  EXPECT_FALSE(CanAnchorTo(a->LinkPoints()->Point(1), point)) << "a block's point cannot anchor";
  EXPECT_FALSE(CanAnchorTo(Source(), nullptr));
}

TEST_F(Rules, TheDiagramHasTheLastWord) {
  TLinkPoint* asked[2] = {};
  diagram->OnAcceptAnchor = [&](TvxDiagram*, TLinkPoint* link, TLinkPoint* anchor, bool& accept) {
    asked[0] = link;
    asked[1] = anchor;
    accept = false;
  };
  EXPECT_FALSE(CanAnchorTo(Source(), point));
  EXPECT_EQ(asked[0], Source());
  EXPECT_EQ(asked[1], point);
}

// --- Position search -----------------------------------------------------------------------

TEST_F(Rules, APointIsFoundWithinFiveUnitsInBothAxes) {
  // Test elements place link points at their OrPoint in client units.
  TLinkPoint* p = c->LinkPoints()->Point(1);  // (100, 0)
  const std::pair<TDot, bool> cases[] = {
      {{100, 0}, true}, {{105, 5}, true}, {{95, -5}, true}, {{105.01, 0}, false}, {{100, -5.01}, false}};
  for (const auto& [pos, found] : cases)
    EXPECT_EQ(LinkPointNear(c, pos) == p, found) << pos.X << "," << pos.Y;
  p->SetVisible(false);
  EXPECT_EQ(LinkPointNear(c, {100, 0}), nullptr);
  p->SetVisible(true);
  c->SetLinkPointStyle(ptImplicit);
  EXPECT_EQ(LinkPointNear(c, {100, 0}), nullptr) << "implicit points are never found";
}

TEST_F(Rules, TheSearchFiltersPoints) {
  TLinkPointSearch nodes;
  nodes.OnlyNodes = true;
  EXPECT_EQ(LinkPointNear(a, {0, 0}, nodes), nullptr);
  root->SetCollapsable(true);
  EXPECT_EQ(LinkPointNear(a, {0, 0}, nodes), root);
  TLinkPointSearch accepting;
  accepting.OnlyAcceptAnchoreds = true;
  root->SetAcceptAnchoreds(false);
  EXPECT_EQ(LinkPointNear(a, {0, 0}, accepting), nullptr);
}

TEST_F(Rules, BlocksAreSearchedFirstFromTheTopmostDown) {
  // Every block has a point at (0, 0); the lines' ends have their points at (0, 0) too.
  EXPECT_EQ(LinkPointAtPos(diagram, {0, 0}), c->LinkPoints()->Point(0)) << "the last block is on top";
  TLinkPointSearch search;
  search.Exclude = c;
  EXPECT_EQ(LinkPointAtPos(diagram, {0, 0}, search), b->LinkPoints()->Point(0));
  b->SetSelected(true);
  search.OnlyUnselected = true;
  EXPECT_EQ(LinkPointAtPos(diagram, {0, 0}, search), a->LinkPoints()->Point(0));
  c->SetVisible(false);
  b->SetVisible(false);
  a->SetVisible(false);
  EXPECT_EQ(LinkPointAtPos(diagram, {0, 0}), line->LinkPoints()->Point(0)) << "then every element, topmost first";
}

// --- Anchoring through handles -----------------------------------------------------------------

TEST_F(Branches, AnInnerHandleWithoutALinkPointAnchorsNothing) {
  auto* line = Create<TEndedLine>(&form);
  line->SetDiagram(diagram);
  for (int i = 0; i < 3; ++i) line->Handles()->Add(i * 10, 0, crSizeNWSE, 0, hsSize);
  TLinkPoint* target = c->LinkPoints()->Point(1);
  EXPECT_FALSE(AnchorHandleLinkPoint(line, line->Handles()->Handle(1), target));
  EXPECT_EQ(target->AnchoredCount(), 0);
  EXPECT_TRUE(AnchorHandleLinkPoint(line, line->Handles()->Handle(2), target));
  EXPECT_EQ(line->LinkPoints()->Point(1)->AnchorLink(), target);
  EXPECT_FALSE(AnchorHandleLinkPoint(line, nullptr, target));
}

}  // namespace
