// Screen passes of the path engine copy unchanged elements from pictures kept from earlier
// passes. Two identical generated diagrams, one with pictures and one without, must look the
// same through every kind of change. (The suite's checking mode also compares every reused
// picture with the element drawn afresh.)
#include "document/DiagramGenerator.h"
#include "document/DiagramLibrary.h"
#include "document/ElementPictures.h"
#include "document/vxDiagram.h"
#include "elements/Arrows.h"
#include "elements/Blocks.h"
#include "elements/Lines.h"
#include "platform/Canvas.h"

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// Where two views differ by more than the rounding of a blend (a few levels of a channel).
::testing::AssertionResult LookAlike(const QImage& a, const QImage& b) {
  int differing = 0;
  QPoint first;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y);
      const QRgb q = b.pixel(x, y);
      if (std::abs(qRed(p) - qRed(q)) > 3 || std::abs(qGreen(p) - qGreen(q)) > 3 || std::abs(qBlue(p) - qBlue(q)) > 3)
        if (differing++ == 0) first = {x, y};
    }
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differing << " pixels differ, the first at (" << first.x() << ", "
                                       << first.y() << ")";
}

struct TView {
  QWidget owner;
  TvxDiagram* diagram = Create<TvxDiagram>(&owner);
  QImage image{kWidth, kHeight, QImage::Format_ARGB32_Premultiplied};

  explicit TView(bool pictures) {
    diagram->resize(kWidth, kHeight);
    diagram->SetGraphicLib(dglGDIPlus);
    diagram->ElementPictures().SetEnabled(pictures);
    TGenerateOptions options;
    options.Blocks = 40;
    options.Lines = 40;
    options.Seed = 7;
    GenerateDiagram(diagram, &owner, options);
    // Text running far out of its block cannot be kept in a picture of the block's surroundings.
    Block(1)->SetLeft(300);
    Block(1)->SetTop(200);
    Block(1)->Strings()->SetText(QStringLiteral("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n15\n16\n17\n18\n19\n20"));
    Block(2)->SetAngle(30);
    Line(0)->TargetArrow()->SetShape(asSolidArrow);
    Block(3)->SetSelected(true);
  }
  TCustomDiagramBlock* Block(int i) const { return static_cast<TCustomDiagramBlock*>(diagram->Blocks(i)); }
  TCustomDiagramLine* Line(int i) const { return static_cast<TCustomDiagramLine*>(diagram->Links(i)); }
  const QImage& Paint() {
    TCanvas canvas(&image);
    diagram->PaintTo(&canvas, psScreen, {0, 0});
    return image;
  }
};

struct ElementPictures : ::testing::Test {
  static void SetUpTestSuite() { InitializeDiagramLibrary(); }
  TView pictured{true};
  TView drawn{false};

  void Both(const std::function<void(TView&)>& change) {
    change(pictured);
    change(drawn);
  }
  // A view is pictured from its second pass on.
  void PaintTwice() {
    pictured.Paint();
    pictured.Paint();
  }
};

TEST_F(ElementPictures, CopiedElementsLookLikeDrawnOnes) {
  for (const int zoom : {30, 100, 175}) {
    SCOPED_TRACE(zoom);
    Both([&](TView& view) {
      view.diagram->SetZoom(zoom);
      view.diagram->HorzScrollBar()->SetPosition(zoom == 175 ? 120 : 0);
    });
    PaintTwice();
    EXPECT_GT(2 * pictured.diagram->ElementPictures().Count(), size_t(pictured.diagram->LastPaintedCount()))
        << "most elements painted have pictures";
    EXPECT_TRUE(LookAlike(pictured.Paint(), drawn.Paint()));
    if (zoom == 100) {
      const TElementPicture* overflowing = pictured.diagram->ElementPictures().Find(pictured.Block(1));
      ASSERT_NE(overflowing, nullptr);
      EXPECT_TRUE(overflowing->Direct) << "text reaching the edge of the picture's area is drawn directly";
    }
  }
  EXPECT_EQ(drawn.diagram->ElementPictures().Count(), 0u);
}

TEST_F(ElementPictures, EveryChangeShowsInTheNextPass) {
  Both([](TView& view) { view.diagram->SetZoom(100); });
  const std::pair<const char*, std::function<void(TView&)>> changes[] = {
      {"move", [](TView& v) { v.Block(4)->MoveBy(7, 5); }},
      {"colour", [](TView& v) { v.Block(5)->SetColor(clRed); }},
      {"text", [](TView& v) { v.Block(6)->Strings()->SetText(QStringLiteral("changed")); }},
      {"turn", [](TView& v) { v.Block(7)->SetAngle(15); }},
      {"shadow", [](TView& v) { v.Block(8)->Shadow()->SetVisible(!v.Block(8)->Shadow()->Visible()); }},
      {"select", [](TView& v) {
         v.Block(9)->SetSelected(true);
         v.Line(1)->SetSelected(true);
       }},
      {"unselect", [](TView& v) { v.Block(3)->SetSelected(false); }},
      {"line pen", [](TView& v) { v.Line(2)->Pen()->SetWidth(3); }},
      {"anchoring", [](TView& v) { v.Line(3)->LinkPoints()->Point(1)->SetAnchor(v.Block(10)); }},
      {"scroll by whole pixels", [](TView& v) {
         v.diagram->HorzScrollBar()->SetPosition(23);
         v.diagram->VertScrollBar()->SetPosition(11);
       }},
      {"link points hidden", [](TView& v) { v.diagram->SetShowLinkPoints(false); }},
      {"no smoothing", [](TView& v) { v.diagram->SetSmoothMode(smInactive); }},
      {"zoom", [](TView& v) { v.diagram->SetZoom(80); }},
      {"removed and added", [](TView& v) {
         Free(v.Block(11));
         auto* block = Create<TDiagramBlock>(&v.owner);
         block->SetName(QStringLiteral("Newcomer"));
         block->SetLeft(40);
         block->SetTop(40);
         block->SetDiagram(v.diagram);
       }},
  };
  for (const auto& [name, change] : changes) {
    SCOPED_TRACE(name);
    PaintTwice();
    Both(change);
    EXPECT_TRUE(LookAlike(pictured.Paint(), drawn.Paint()));
  }
}

TEST_F(ElementPictures, HandlersThatDrawTurnPicturesOff) {
  int drawnBlocks = 0;
  pictured.diagram->OnDrawBlock = [&](TvxDiagram*, TDiagramControl*, const TDiagramDrawInfo&,
                                      const TDiagramDrawBlockInfo&, bool&) { ++drawnBlocks; };
  PaintTwice();
  EXPECT_EQ(pictured.diagram->ElementPictures().Count(), 0u);
  const int perPass = drawnBlocks / 2;
  EXPECT_GT(perPass, 0);
  pictured.Paint();
  EXPECT_EQ(drawnBlocks, 3 * perPass) << "the handler sees every block in every pass";
}

// A block whose look follows something it does not report as a change: the checking mode
// finds its picture stale.
class TTintedBlock : public TDiagramBlock {
public:
  using TDiagramBlock::TDiagramBlock;
  void DrawControl(const TDiagramDrawInfo& info) override {
    TDiagramBlock::DrawControl(info);
    const TDot at = Diagram()->ClientToCanvas(TDot{ControlRect().Left, ControlRect().Top});
    info.Canvas->Brush()->SetColor(Tint);
    info.Canvas->FillRect(TRect{int(at.X), int(at.Y), int(at.X) + 6, int(at.Y) + 6});
  }
  TColor Tint = clRed;
};

TEST_F(ElementPictures, TheCheckingModeFindsAStalePicture) {
  auto* block = Create<TTintedBlock>(&pictured.owner);
  block->SetName(QStringLiteral("Tinted"));
  block->SetLeft(200);
  block->SetTop(100);
  block->SetDiagram(pictured.diagram);
  PaintTwice();
  ASSERT_NE(pictured.diagram->ElementPictures().Find(block), nullptr);
  pictured.Paint();
  block->Tint = clBlue;
  EXPECT_THROW(pictured.Paint(), std::logic_error);
}

// The pictures of one view fill at most the page budget; a view that needs more is drawn
// directly until the view changes.
TEST(ElementPictureBudget, AViewThatOverflowsIsDrawnDirectly) {
  TElementPictures pictures;
  const TPictureViewKey key{1.0, {0, 0}, {}};
  const QImage view(TElementPictures::PageSide, TElementPictures::PageSide, QImage::Format_ARGB32_Premultiplied);
  EXPECT_FALSE(pictures.BeginPass(key, view)) << "the first pass of a view keeps nothing";
  ASSERT_TRUE(pictures.BeginPass(key, view));
  const int side = TElementPictures::MaxAreaSide;
  const int perPage = (TElementPictures::PageSide / (side - 8)) * (TElementPictures::PageSide / (side - 8));
  std::vector<int> elements(static_cast<size_t>(perPage * TElementPictures::MaxPages + 1));
  bool overflowed = false;
  for (int& element : elements) {
    ASSERT_TRUE(pictures.Reserve(&element, {}, QRect(0, 0, side, side)));
    pictures.ScratchCanvas().Brush()->SetColor(clGreen);
    pictures.ScratchCanvas().FillRect(TRect{4, 4, side - 4, side - 4});
    if (!pictures.Finish(&element)) {
      overflowed = true;
      break;
    }
  }
  pictures.EndPass();
  ASSERT_TRUE(overflowed);
  EXPECT_EQ(pictures.Count(), 0u) << "every picture is dropped";
  EXPECT_FALSE(pictures.BeginPass(key, view));
  EXPECT_FALSE(pictures.Reserve(&elements[0], {}, QRect(0, 0, 10, 10)));
  const TPictureViewKey other{2.0, {0, 0}, {}};
  pictures.BeginPass(other, view);
  EXPECT_TRUE(pictures.BeginPass(other, view)) << "a new view starts afresh";
}

}  // namespace
