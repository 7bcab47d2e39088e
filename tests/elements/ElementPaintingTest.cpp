// Grips and link point markers drawn on the raster canvas, checked pixel by pixel.

#include "document/vxDiagram.h"
#include "elements/LinkPoints.h"
#include "elements/StretchHandles.h"
#include "platform/Canvas.h"
#include "platform/ColorMaps.h"
#include "support/TestElements.h"

#include <QImage>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr int kX = 20;
constexpr int kY = 20;

QImage Render(const std::function<void(TCanvas&)>& draw) {
  QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  TCanvas canvas(&image);
  draw(canvas);
  canvas.Unbind();
  return image;
}

// Offsets from the centre and the colour expected there.
struct Sample {
  int dx, dy;
  TColor color;
};

void ExpectSamples(const QImage& image, const std::vector<Sample>& samples, const std::string& what) {
  for (const Sample& s : samples) {
    const QRgb expected = ColorToQColor(s.color).rgb();
    const QRgb actual = image.pixel(kX + s.dx, kY + s.dy);
    EXPECT_EQ(QColor(actual).name(), QColor(expected).name()) << what << " at (" << s.dx << ", " << s.dy << ")";
  }
}

bool Blank(const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != qRgb(255, 255, 255)) return false;
  return true;
}

struct Painting : ::testing::Test {
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  TTestBlock* block = Create<TTestBlock>(&form);
  void SetUp() override {
    block->SetDiagram(diagram);
    ASSERT_EQ(diagram->ClientToCanvas(TDot{kX, kY}), (TDot{kX, kY})) << "samples assume an unscrolled view";
  }
  QImage Grip(THandleStyle style) {
    TStretchHandle* handle = block->Handles()->Add(kX, kY, crSizeNWSE, 1, style);
    return Render([&](TCanvas& canvas) { block->DrawHandle({&canvas}, handle); });
  }
  QImage Markers(bool collapseOnly = false) {
    return Render([&](TCanvas& canvas) { block->DrawLinkPoints({&canvas}, nullptr, collapseOnly); });
  }
};

// --- Grips ------------------------------------------------------------------------------

TEST_F(Painting, ClassicSizeGripsAreBlackSquaresOrGreyWhenDisabled) {
  ExpectSamples(Grip(hsSize), {{0, 0, clBlack}, {-2, -2, clBlack}, {2, 2, clBlack}, {3, 0, clWhite}, {-3, 0, clWhite}},
                "enabled");
  block->SetRestrictions(crNoResize);
  ExpectSamples(Grip(hsSize), {{0, 0, clGray}, {-2, 2, clGray}, {3, 3, clWhite}}, "disabled");
}

TEST_F(Painting, ClassicRotationGripIsAHollowCircleShownOnlyWhenRotating) {
  ExpectSamples(Grip(hsRotate), {{0, 0, clWhite}, {-2, 0, clBlack}, {0, 2, clBlack}, {3, 0, clWhite}}, "rotate");
  block->SetRestrictions(crNoRotation);
  EXPECT_TRUE(Blank(Grip(hsRotate)));
  EXPECT_TRUE(Blank(Grip(hsRotCenter))) << "the classic rotation centre is never drawn";
}

TEST_F(Painting, VisioGrips) {
  diagram->SetHandlesStyle(hsVisio);
  ExpectSamples(Grip(hsSize), {{0, 0, clLime}, {-3, 0, clBlack}, {3, -3, clBlack}, {4, 0, clWhite}}, "size");
  ExpectSamples(Grip(hsRotate), {{0, 0, clLime}, {-4, 0, clBlack}, {5, 0, clWhite}}, "rotate");
  ExpectSamples(Grip(hsRotCenter), {{0, 0, clBlack}, {0, -1, clBlack}, {-1, 0, clBlack}, {0, 2, clLime}, {-3, 0, clBlack}},
                "rotation centre");
  block->SetRestrictions(crNoResize | crNoRotCenterMove);
  ExpectSamples(Grip(hsSize), {{0, 0, clSilver}, {-3, 0, clBlack}}, "disabled size");
  ExpectSamples(Grip(hsRotCenter), {{1, 1, clSilver}}, "disabled rotation centre");
}

TEST_F(Painting, VisioMemberGripsCarryGreenCrosses) {
  diagram->SetHandlesStyle(hsVisio);
  auto* group = Create<TTestBlock>(&form);
  block->SetGroupBlock(group);
  ExpectSamples(Grip(hsSize), {{-3, 0, clGray}, {0, 0, clGreen}, {-2, -2, clGreen}, {2, -2, clGreen}, {1, 0, clLime}},
                "member size");
  block->SetGroupBlock(nullptr);
}

TEST_F(Painting, CustomGripsAreYellowDiamonds) {
  ExpectSamples(Grip(hsCustom), {{0, 0, clYellow}, {0, -3, clBlack}, {3, 0, clBlack}, {-2, -2, clWhite}}, "custom");
}

TEST_F(Painting, NoGripWithoutADiagram) {
  block->SetDiagram(nullptr);
  EXPECT_TRUE(Blank(Grip(hsSize)));
}

// --- Link point markers -------------------------------------------------------------------

struct MarkerCase {
  TLinkPointStyle style;
  std::vector<Sample> samples;
};

TEST_F(Painting, EachMarkerStyleHasItsShape) {
  block->LinkPoints()->Add(kX, kY, aoNone);
  const MarkerCase cases[] = {
      {ptCross, {{0, 0, clBlue}, {-2, -2, clBlue}, {2, 2, clBlue}, {2, -2, clBlue}, {-2, 2, clBlue}, {3, 3, clWhite},
                 {0, -2, clWhite}}},
      {ptRectangle, {{0, 0, clBlack}, {-2, -2, clBlue}, {2, 2, clBlue}, {3, 0, clWhite}, {1, 1, clBlack}}},
      {ptEllipse, {{0, 0, clBlack}, {-2, 0, clBlue}, {3, 0, clWhite}, {-2, -2, clWhite}}},
      {ptDiamond, {{0, 0, clBlack}, {0, -3, clBlue}, {3, 0, clBlue}, {-2, -2, clWhite}}},
  };
  for (const MarkerCase& c : cases) {
    block->SetLinkPointStyle(c.style);
    ExpectSamples(Markers(), c.samples, std::to_string(c.style));
  }
  for (TLinkPointStyle none : {ptNone, ptImplicit}) {
    block->SetLinkPointStyle(none);
    EXPECT_TRUE(Blank(Markers())) << none;
  }
}

TEST_F(Painting, MarkersFollowTheElementsPenAndBrush) {
  block->LinkPoints()->Add(kX, kY, aoNone);
  block->SetLinkPointStyle(ptRectangle);
  block->LinkPointPen()->SetColor(clRed);
  block->LinkPointBrush()->SetColor(clYellow);
  ExpectSamples(Markers(), {{0, 0, clYellow}, {-2, 0, clRed}}, "own colours");
}

TEST_F(Painting, NodesShowCollapseMarkers) {
  TLinkPoint* point = block->LinkPoints()->Add(kX, kY, aoNone);
  auto* line = Create<TTestLine>(&form);
  line->SetDiagram(diagram);
  line->LinkPoints()->Point(0)->SetAnchorLink(point);
  ExpectSamples(Markers(), {{0, 0, clBlue}}, "not yet a node: a cross");
  diagram->SetAutomaticNodes(true);
  const std::vector<Sample> expanded{{-4, -4, clGray}, {4, 4, clGray}, {5, 0, clWhite}, {-3, -3, clWhite},
                                     {-2, 0, clBlack}, {2, 0, clBlack}, {3, 0, clWhite}, {0, -2, clWhite}};
  ExpectSamples(Markers(), expanded, "expanded node");
  point->Collapse();
  ASSERT_TRUE(point->Collapsed());
  ExpectSamples(Markers(), {{0, -2, clBlack}, {0, 2, clBlack}, {0, 3, clWhite}, {-2, 0, clBlack}}, "collapsed node");
}

// Markers are worked out once and kept; every change that moves one or makes it a node
// shows on the next pass.
TEST_F(Painting, MarkersFollowAnchoringAndMoves) {
  TLinkPoint* point = block->LinkPoints()->Add(kX, kY, aoNone);
  diagram->SetAutomaticNodes(true);
  const std::vector<Sample> cross{{-2, -2, clBlue}, {2, 2, clBlue}, {-4, -4, clWhite}};
  const std::vector<Sample> node{{-4, -4, clGray}, {4, 4, clGray}, {-2, 0, clBlack}};
  ExpectSamples(Markers(), cross, "no line yet");
  auto* line = Create<TTestLine>(&form);
  line->SetDiagram(diagram);
  line->LinkPoints()->Point(0)->SetAnchorLink(point);
  ExpectSamples(Markers(), node, "a line anchored: a node");
  line->LinkPoints()->Point(0)->SetAnchorLink(nullptr);
  ExpectSamples(Markers(), cross, "the line let go");
  point->SetOrPoint({kX + 10, kY});
  ExpectSamples(Markers(), {{8, -2, clBlue}, {-2, -2, clWhite}}, "the point moved");
  diagram->SetAutoScroll(false);
  diagram->HorzScrollBar()->SetRange(1000);
  diagram->HorzScrollBar()->SetPosition(10);
  ASSERT_EQ(diagram->ClientToCanvas(TDot{kX + 10, kY}), (TDot{kX, kY}));
  ExpectSamples(Markers(), cross, "the view scrolled back onto it");
}

TEST_F(Painting, CollapseMarkersOnlyAskForNodes) {
  block->LinkPoints()->Add(kX, kY, aoNone);
  diagram->SetShowLinkPoints(false);
  EXPECT_TRUE(Blank(Markers())) << "link points hidden";
  EXPECT_TRUE(Blank(Markers(true))) << "not a node";
  diagram->SetShowLinkPoints(true);
  EXPECT_FALSE(Blank(Markers()));
  EXPECT_TRUE(Blank(Markers(true)));
}

TEST_F(Painting, TheDiagramsHandlerMayDrawTheMarker) {
  TLinkPoint* point = block->LinkPoints()->Add(kX + 0.4, kY - 0.4, aoNone);
  TLinkPoint* offered = nullptr;
  TPoint offeredAt;
  diagram->OnDrawLinkPoint = [&](TvxDiagram*, TCanvas*, TLinkPoint* p, TPoint at, bool& done) {
    offered = p;
    offeredAt = at;
    done = true;
  };
  EXPECT_TRUE(Blank(Markers()));
  EXPECT_EQ(offered, point);
  EXPECT_EQ(offeredAt, (TPoint{kX, kY}));
}

// Without a handler, cross markers go out together; a handler that draws nothing makes
// them go one by one. Overlapping crosses in the element's own pen, hidden points and a node
// between them look the same either way.
TEST_F(Painting, CrossMarkersLookTheSameDrawnTogether) {
  AddMarkersAroundANode(block, &form, {TDot{kX, kY}, TDot{kX + 2, kY + 1}, TDot{kX - 9, kY + 6}, TDot{kX + 8, kY - 8}});
  diagram->SetAutomaticNodes(true);
  const QImage together = Markers();
  int offered = 0;
  diagram->OnDrawLinkPoint = [&](TvxDiagram*, TCanvas*, TLinkPoint*, TPoint, bool&) { ++offered; };
  const QImage oneByOne = Markers();
  EXPECT_EQ(offered, 4);
  EXPECT_EQ(together, oneByOne);
  // The node's box covers the first cross: it is drawn after it.
  ExpectSamples(together, {{8, -8, clRed}, {10, -6, clRed}, {-9, 6, clWhite}, {0, 0, clWhite}},
                "crosses in the element's pen, the node over the first");
}

TEST_F(Painting, InvisiblePointsAndLinesDrawNoMarkers) {
  TLinkPoint* point = block->LinkPoints()->Add(kX, kY, aoNone);
  point->SetVisible(false);
  EXPECT_TRUE(Blank(Markers()));
  auto* line = Create<TTestLine>(&form);
  line->SetDiagram(diagram);
  line->LinkPoints()->Point(0)->SetOrPoint({kX, kY});
  EXPECT_TRUE(Blank(Render([&](TCanvas& canvas) { line->DrawLinkPoints({&canvas}, nullptr, false); })));
}

}  // namespace
