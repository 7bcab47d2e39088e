#include "LineTestSupport.h"
#include "elements/Blocks.h"
#include "elements/LineJoin.h"

#include <gtest/gtest.h>

namespace {

struct LineBlockTest : LineFixture {
  TDiagramBlock* MakeDiagramBlock(const TSquare& rect) {
    auto* block = Make<TDiagramBlock>();
    block->SetBoundsRect(rect);
    block->LinkPoints()->Add(0, 50, aoLeft);
    block->LinkPoints()->Add(50, 0, aoUp);
    block->LinkPoints()->Add(100, 50, aoRight);
    block->LinkPoints()->Add(50, 100, aoDown);
    return block;
  }
  static TDot Centre(const TCustomDiagramBlock* block) {
    const TSquare r = block->BoundsRect();
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
};

void ExpectNearDot(const TDot& actual, const TDot& expected, const std::string& what, double tolerance = 1e-9) {
  EXPECT_NEAR(actual.X, expected.X, tolerance) << what;
  EXPECT_NEAR(actual.Y, expected.Y, tolerance) << what;
}

// A side line that counts its re-routes.
class TCountingSideLine : public TDiagramSideLine {
public:
  explicit TCountingSideLine(QObject* owner = nullptr) : TDiagramSideLine(owner) {}
  void Reroute() override {
    ++Reroutes;
    TDiagramSideLine::Reroute();
  }
  int Reroutes = 0;
};

TEST_F(LineBlockTest, FiveLinesOfEveryStyleFollowTheirBlock) {
  TDiagramBlock* hub = MakeDiagramBlock({300, 300, 400, 380});
  TDiagramBlock* west = MakeDiagramBlock({50, 200, 130, 260});
  TDiagramBlock* north = MakeDiagramBlock({500, 50, 580, 110});
  TDiagramBlock* east = MakeDiagramBlock({650, 420, 730, 480});
  TDiagramBlock* south = MakeDiagramBlock({250, 600, 330, 660});
  auto* circular = Make<TDiagramArc>();
  circular->SetArcType(atCircular);
  struct TLink {
    TCustomDiagramLine* Line;
    TLinkPoint* AtHub;
    TLinkPoint* Other;
  };
  const std::vector<TLink> links{
      {Make<TDiagramLine>(), hub->LinkPoints()->Point(sdLeft), west->LinkPoints()->Point(sdRight)},
      {Make<TDiagramSideLine>(), hub->LinkPoints()->Point(sdTop), north->LinkPoints()->Point(sdLeft)},
      {Make<TDiagramArc>(), hub->LinkPoints()->Point(sdRight), east->LinkPoints()->Point(sdTop)},
      {circular, hub->LinkPoints()->Point(sdBottom), south->LinkPoints()->Point(sdTop)},
      {Make<TDiagramBezier>(), hub->LinkPoints()->Point(sdRight), north->LinkPoints()->Point(sdBottom)},
  };
  for (const TLink& link : links) Connect(link.Line, link.AtHub, link.Other);

  auto expectEnds = [&](const std::string& when) {
    for (const TLink& link : links) {
      const std::string name = when + " " + link.Line->ClassName().toStdString();
      const TStretchHandles* handles = link.Line->Handles();
      ExpectNearDot(handles->Handle(0)->OrPoint(), link.AtHub->DiagramPoint(), name + " start");
      ExpectNearDot(handles->Handle(handles->Count() - 1)->OrPoint(), link.Other->DiagramPoint(), name + " end");
      ASSERT_GE(link.Line->Points().size(), 2u) << name;
      // Straight lines draw through whole units.
      ExpectNearDot(link.Line->Points().front(), link.AtHub->DiagramPoint(), name + " first point", 0.5);
    }
  };
  expectEnds("linked");
  hub->MoveBy(35, -20);
  expectEnds("moved");
  hub->SetBoundsRect({280, 250, 450, 400});
  expectEnds("resized");
  hub->SetAngle(30);
  expectEnds("rotated");

  hub->SetDiagram(nullptr);
  for (const TLink& link : links) {
    EXPECT_EQ(link.Line->SourceLinkPoint()->Anchor(), nullptr) << link.Line->ClassName().toStdString();
    EXPECT_EQ(link.Line->TargetLinkPoint()->AnchorLink(), link.Other) << "the other end stays";
  }
}

TEST_F(LineBlockTest, NewLineJoin) {
  auto* join = Make<TDiagramLineJoin>();
  EXPECT_EQ(join->Width(), 20);
  EXPECT_EQ(join->Height(), 20);
  EXPECT_FALSE(join->CanResize());
  EXPECT_FALSE(join->CanRotate());
  EXPECT_FALSE(join->CanEdit());
  EXPECT_TRUE(join->CanMove());
  EXPECT_EQ(join->Shape(), ElementEnums::bsNoShape);
  ASSERT_EQ(join->LinkPoints()->Count(), 1);
  EXPECT_EQ(join->LinkPoints()->Point(0)->OrPoint(), (TDot{10, 10}));
  EXPECT_EQ(join->LinkPoints()->Point(0)->Orientation(), aoNone);
  join->SetBoundsRect({100, 200, 120, 220});
  EXPECT_EQ(join->LinkPoints()->Point(0)->DiagramPoint(), (TDot{110, 210})) << "the centre";
  EXPECT_EQ(join->Handles()->FindByData(5)->DiagramPoint(), (TDot{120, 220})) << "handles laid out in 0..20";
  const QStringList published{"Name", "Brush", "SelBrush", "Color", "SelColor", "Pen", "Anchor", "AnchorIndex",
                              "Orientation"};
  QStringList names;
  for (const TPublishedProperty& property : PublishedProperties(join->metaObject())) names << property.Name;
  EXPECT_EQ(names, published);
}

TEST_F(LineBlockTest, JoinFollowsItsAnchorWithoutDrift) {
  TDiagramBlock* block = MakeDiagramBlock({100, 100, 200, 160});
  auto* join = Make<TDiagramLineJoin>();
  join->SetBoundsRect({190, 120, 210, 140});  // centred on the block's right point (200, 130)
  join->SetAnchor(block);
  join->SetAnchorIndex(sdRight);
  ASSERT_EQ(join->LinkPoints()->Point(0)->AnchorLink(), block->LinkPoints()->Point(sdRight));
  EXPECT_EQ(join->OldAnchorPos(), (TDot{200, 130}));
  auto* line = Make<TDiagramLine>();
  Connect(line, join->LinkPoints()->Point(0), nullptr, {}, {400, 400});

  for (int step = 1; step <= 3; ++step) {
    block->MoveBy(10, 5);
    EXPECT_EQ(Centre(join), (TDot{200.0 + 10 * step, 130.0 + 5 * step})) << "step " << step;
    EXPECT_EQ(join->OldAnchorPos(), block->LinkPoints()->Point(sdRight)->DiagramPoint());
    EXPECT_EQ(line->Handles()->Handle(0)->OrPoint(), Centre(join)) << "the line rides on the join";
  }
  block->SetDiagram(nullptr);
  EXPECT_EQ(join->Anchor(), nullptr);
  EXPECT_EQ(Centre(join), (TDot{230, 145})) << "the join stays where it was";
}

TEST_F(LineBlockTest, LoadedJoinSitsOnItsAnchor) {
  TDiagramBlock* block = MakeDiagramBlock({100, 100, 200, 160});
  auto* join = Make<TDiagramLineJoin>();
  join->SetComponentState(TComponentState(csLoading) | csReading);
  join->SetAnchorIndex(sdBottom);
  join->SetOrientation(aoDown);
  join->ClearComponentState(csReading);
  join->SetAnchor(block);  // references are resolved after reading
  join->Loaded();
  EXPECT_EQ(Centre(join), (TDot{150, 160}));
  EXPECT_EQ(join->Orientation(), aoDown);
  block->MoveBy(0, 10);
  EXPECT_EQ(Centre(join), (TDot{150, 170}));
}

TEST_F(LineBlockTest, MovingOneBlockReroutesOnlyItsLines) {
  TDiagramBlock* a = MakeDiagramBlock({0, 0, 80, 60});
  TDiagramBlock* b = MakeDiagramBlock({200, 0, 280, 60});
  TDiagramBlock* c = MakeDiagramBlock({400, 100, 480, 160});
  auto* ab = Make<TCountingSideLine>();
  auto* bc = Make<TCountingSideLine>();
  Connect(ab, a->LinkPoints()->Point(sdRight), b->LinkPoints()->Point(sdLeft));
  Connect(bc, b->LinkPoints()->Point(sdRight), c->LinkPoints()->Point(sdLeft));
  ab->Reroutes = bc->Reroutes = 0;
  a->MoveBy(0, 50);
  EXPECT_EQ(ab->Reroutes, 1);
  EXPECT_EQ(bc->Reroutes, 0);
  EXPECT_EQ(ab->Points().front(), (TDot{80, 80}));
  b->MoveBy(0, 5);
  EXPECT_EQ(ab->Reroutes, 2);
  EXPECT_EQ(bc->Reroutes, 1);
}

}  // namespace
