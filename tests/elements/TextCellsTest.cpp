// Text cells: their ties to the owner, and their text drawn on the raster canvas with
// "DejaVu Sans" (checked by where the ink lands).

#include "document/vxDiagram.h"
#include "elements/TextCells.h"
#include "elements/TextLayout.h"
#include "platform/Canvas.h"
#include "platform/ColorMaps.h"
#include "support/TestElements.h"

#include <QFontMetrics>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class TAngledBlock : public TTestBlock {
public:
  using TTestBlock::TTestBlock;
  void Turn(double angle) {
    const double old = Angle();
    SetAngleField(angle);
    AngleChanged(old);
  }
};

struct Cells : ::testing::Test {
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  TAngledBlock* block = Create<TAngledBlock>(&form);
  TTextCell* cell = nullptr;
  void SetUp() override {
    block->SetDiagram(diagram);
    block->Rect = {0, 0, 200, 120};
    block->Font()->SetName(QStringLiteral("DejaVu Sans"));
    block->Font()->SetHeight(-14);
    block->Font()->SetColor(clBlack);
    cell = block->DefaultTextCell();
    cell->SetBounds(10, 10, 180, 100);
  }
};

// --- Ties to the owner ------------------------------------------------------------------

TEST_F(Cells, AnOwnAngleStaysWhenTheOwnerTurns) {
  block->Turn(30);
  EXPECT_EQ(cell->Angle(), 30);
  cell->SetAngle(10);
  EXPECT_FALSE(cell->DControlAngle());
  block->Turn(60);
  EXPECT_EQ(cell->Angle(), 10);
  cell->SetDControlAngle(true);
  EXPECT_EQ(cell->Angle(), 60);
}

TEST_F(Cells, WhileLoadingAnOwnAngleStartsFromZero) {
  block->Turn(45);
  block->SetComponentState(csLoading);
  cell->SetDControlAngle(false);
  EXPECT_EQ(cell->Angle(), 0) << "the stream supplies the angle when it is not 0";
}

TEST_F(Cells, AssignCopiesTextAndLayoutButNotFrameOrTransparency) {
  TTextCell* other = block->TextCells()->Add();
  other->SetBounds(1, 2, 3, 4);
  other->SetText(QStringLiteral("copied"));
  other->SetAlignment(taRightJustify);
  other->SetVertAlign(ElementEnums::vaBottom);
  other->SetWordWrap(false);
  other->SetClip(true);
  other->SetRotateFont(false);
  other->CellFrame()->SetVisible(true);
  other->CellFrame()->SetColor(clRed);
  other->SetParentTransparency(false);
  other->SetTransparency(40);
  other->SetAngle(15);

  cell->Assign(other);
  EXPECT_EQ(cell->BoundsRect(), (TSquare{1, 2, 4, 6}));
  EXPECT_EQ(cell->Text(), "copied");
  EXPECT_EQ(cell->Alignment(), taRightJustify);
  EXPECT_EQ(cell->VertAlign(), ElementEnums::vaBottom);
  EXPECT_FALSE(cell->WordWrap());
  EXPECT_TRUE(cell->Clip());
  EXPECT_FALSE(cell->RotateFont());
  EXPECT_EQ(cell->Angle(), 15);
  EXPECT_FALSE(cell->DControlAngle());
  EXPECT_FALSE(cell->CellFrame()->Visible());
  EXPECT_EQ(cell->CellFrame()->Color(), clWhite);
  EXPECT_TRUE(cell->ParentTransparency());
  EXPECT_EQ(cell->Transparency(), 0);
  EXPECT_TRUE(cell->DControlFont()) << "the same font stays the owner's";

  other->Font()->SetHeight(-30);
  cell->Assign(other);
  EXPECT_EQ(cell->Font()->Height(), -30);
  EXPECT_FALSE(cell->DControlFont()) << "a different font becomes the cell's own";
}

TEST_F(Cells, TransparencyIsKeptWithinZeroToHundred) {
  const std::pair<int, int> cases[] = {{-5, 0}, {150, 100}, {40, 40}, {100, 100}};
  cell->SetParentTransparency(false);
  for (const auto& [given, kept] : cases) {
    cell->SetTransparency(given);
    EXPECT_EQ(cell->Transparency(), kept) << given;
    EXPECT_EQ(cell->EffectiveTransparency(), kept) << given;
  }
  cell->SetParentTransparency(true);
  block->SetTransparency(250);
  EXPECT_EQ(cell->EffectiveTransparency(), 100);
}

// --- Drawing --------------------------------------------------------------------------------

bool IsInk(QRgb pixel) { return qGray(pixel) < 160; }

QRect InkBox(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (IsInk(image.pixel(x, y))) box |= QRect(x, y, 1, 1);
  return box;
}

// Runs of rows that hold ink: the number of text lines.
int InkBands(const QImage& image) {
  int bands = 0;
  bool inBand = false;
  for (int y = 0; y < image.height(); ++y) {
    bool ink = false;
    for (int x = 0; x < image.width() && !ink; ++x) ink = IsInk(image.pixel(x, y));
    if (ink && !inBand) ++bands;
    inBand = ink;
  }
  return bands;
}

int DarkestGray(const QImage& image) {
  int darkest = 255;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) darkest = std::min(darkest, qGray(image.pixel(x, y)));
  return darkest;
}

struct CellDrawing : Cells {
  QImage Draw() {
    QImage image(260, 160, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    TCanvas canvas(&image);
    block->DrawCells({&canvas});
    canvas.Unbind();
    return image;
  }
  QFont Font(int pixels) const {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    return font;
  }
};

TEST_F(CellDrawing, HorizontalAlignmentPlacesTheInk) {
  cell->SetText(QStringLiteral("Hello"));
  cell->SetAlignment(taLeftJustify);
  const QRect left = InkBox(Draw());
  EXPECT_GE(left.left(), 10);
  EXPECT_LE(left.left(), 13);
  cell->SetAlignment(taRightJustify);
  const QRect right = InkBox(Draw());
  EXPECT_LE(right.right(), 190);
  EXPECT_GE(right.right(), 186);
  cell->SetAlignment(taCenter);
  const QRect centre = InkBox(Draw());
  EXPECT_NEAR(centre.center().x(), 100, 3);
}

TEST_F(CellDrawing, VerticalAlignmentPlacesTheInk) {
  cell->SetText(QStringLiteral("Hello"));
  cell->SetVertAlign(ElementEnums::vaTop);
  const QRect top = InkBox(Draw());
  EXPECT_GE(top.top(), 10);
  EXPECT_LE(top.top(), 16);
  cell->SetVertAlign(ElementEnums::vaBottom);
  const QRect bottom = InkBox(Draw());
  EXPECT_LE(bottom.bottom(), 110);
  EXPECT_GE(bottom.bottom(), 102);
  cell->SetVertAlign(ElementEnums::vaCenter);
  const QRect middle = InkBox(Draw());
  EXPECT_NEAR(middle.center().y(), 60, 4);
}

TEST_F(CellDrawing, WordWrapBreaksAtTheCellWidth) {
  cell->SetBounds(10, 10, 60, 100);
  cell->SetText(QStringLiteral("aaaa bbbb cccc dddd"));
  cell->SetAlignment(taLeftJustify);
  const QImage wrapped = Draw();
  EXPECT_EQ(InkBands(wrapped), 4);
  EXPECT_LE(InkBox(wrapped).right(), 70);
  cell->SetWordWrap(false);
  const QImage single = Draw();
  EXPECT_EQ(InkBands(single), 1);
  EXPECT_GT(InkBox(single).right(), 100);
}

TEST_F(CellDrawing, LineBreaksStartNewLines) {
  cell->SetText(QStringLiteral("one\ntwo\r\nthree"));
  EXPECT_EQ(InkBands(Draw()), 3);
}

TEST_F(CellDrawing, TurnedTextRunsDownwardAboutTheBlockCentre) {
  cell->SetBounds(10, 40, 180, 40);  // centred on the block centre (100, 60)
  cell->SetText(QStringLiteral("HELLO"));
  cell->SetAngle(90);
  const QRect box = InkBox(Draw());
  EXPECT_GT(box.height(), 2 * box.width()) << "glyphs turned a quarter";
  EXPECT_NEAR(box.center().y(), 60, 3);
  // The top of the cell turns to its right side: the line's top edge is at x = 120.
  EXPECT_LE(box.right(), 121);
  EXPECT_GE(box.right(), 114);
}

TEST_F(CellDrawing, WithoutRotateFontTheTextStaysUprightWhereTheCellCentreTurns) {
  cell->SetBounds(10, 10, 180, 20);  // centre (100, 20); turned 90 degrees about (100, 60): (140, 60)
  cell->SetText(QStringLiteral("HELLO"));
  cell->SetRotateFont(false);
  cell->SetAngle(90);
  const QRect box = InkBox(Draw());
  EXPECT_GT(box.width(), box.height());
  EXPECT_NEAR(box.center().x(), 140, 3);
  EXPECT_GE(box.top(), 50);
  EXPECT_LE(box.top(), 56);
}

TEST_F(CellDrawing, AnAutoFrameHugsTheTextWithItsMargin) {
  cell->SetText(QStringLiteral("Hi"));
  TTextCellFrame* frame = cell->CellFrame();
  frame->SetVisible(true);
  frame->Brush()->SetStyle(bsClear);
  frame->Pen()->SetColor(clBlack);
  frame->SetAutoFrame(true);
  frame->SetAutoFrameMargin(4);
  const int width = QFontMetrics(Font(14)).horizontalAdvance(QStringLiteral("Hi"));
  const int height = QFontMetrics(Font(14)).height();
  const QRect box = InkBox(Draw());
  const double lineLeft = 10 + (180.0 - width) / 2;
  EXPECT_EQ(box.left(), Round(lineLeft - 4));
  EXPECT_EQ(box.top(), 6);
  EXPECT_EQ(box.right(), Round(lineLeft + width + 4));
  EXPECT_EQ(box.bottom(), 10 + height + 4);
  cell->SetText(QString());
  EXPECT_TRUE(InkBox(Draw()).isEmpty()) << "no text, no automatic frame";
}

TEST_F(CellDrawing, AFixedFrameOutlinesTheCellAndFillsUnlessTransparent) {
  TTextCellFrame* frame = cell->CellFrame();
  frame->SetVisible(true);
  frame->Pen()->SetColor(clBlack);
  frame->Brush()->SetStyle(bsClear);
  frame->SetColor(clYellow);
  QImage image = Draw();
  EXPECT_TRUE(IsInk(image.pixel(10, 60)));
  EXPECT_TRUE(IsInk(image.pixel(190, 60)));
  EXPECT_FALSE(IsInk(image.pixel(191, 60)));
  EXPECT_EQ(image.pixel(100, 60), qRgb(255, 255, 255)) << "transparent frame";
  frame->SetTransparent(false);
  image = Draw();
  EXPECT_EQ(QColor(image.pixel(100, 60)), ColorToQColor(clYellow));
}

TEST_F(CellDrawing, ClipKeepsTheTextInsideTheCell) {
  cell->SetBounds(10, 10, 50, 20);
  cell->SetText(QStringLiteral("WWWWWWWWWW"));
  cell->SetAlignment(taLeftJustify);
  cell->SetWordWrap(false);
  EXPECT_GT(InkBox(Draw()).right(), 60);
  cell->SetClip(true);
  QImage image(260, 160, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  TCanvas canvas(&image);
  block->DrawCells({&canvas});
  EXPECT_FALSE(canvas.ClipRegion().has_value()) << "the clip is given back";
  canvas.Brush()->SetColor(clBlack);
  canvas.Rectangle(200, 100, 210, 110);
  canvas.Unbind();
  EXPECT_TRUE(IsInk(image.pixel(205, 105)));
  const QRect box = InkBox(image.copy(0, 0, 150, 160));
  EXPECT_LE(box.right(), 59);
  EXPECT_GE(box.left(), 10);
}

TEST_F(CellDrawing, ATurnedClipFollowsTheTurnedCell) {
  cell->SetBounds(60, 50, 80, 20);
  cell->SetText(QStringLiteral("WWWWWWWWWWWWWWW"));
  cell->SetWordWrap(false);
  cell->SetAngle(90);
  const QRect unclipped = InkBox(Draw());
  cell->SetClip(true);
  const QRect clipped = InkBox(Draw());
  // Turned a quarter about (100, 60) the cell covers x 90..110, y 20..100.
  EXPECT_GT(unclipped.height(), 82);
  EXPECT_GE(clipped.top(), 19);
  EXPECT_LE(clipped.bottom(), 101);
}

TEST_F(CellDrawing, TransparencyFadesTheText) {
  cell->SetText(QStringLiteral("Hello"));
  EXPECT_LT(DarkestGray(Draw()), 60);
  block->SetTransparency(60);
  const int faded = DarkestGray(Draw());
  EXPECT_GT(faded, 120);
  EXPECT_LT(faded, 200);
  cell->SetParentTransparency(false);
  cell->SetTransparency(100);
  EXPECT_EQ(DarkestGray(Draw()), 255);
}

TEST_F(CellDrawing, TheFontGrowsWithTheZoom) {
  cell->SetText(QStringLiteral("Hg"));
  cell->SetAlignment(taLeftJustify);
  const QRect normal = InkBox(Draw());
  diagram->SetZoom(200);
  const QRect zoomed = InkBox(Draw());
  EXPECT_NEAR(zoomed.height(), 2 * normal.height(), 3);
  EXPECT_GE(zoomed.left(), 20) << "the cell is mapped too";
}

TEST_F(CellDrawing, ATinyZoomDoesNotFallBackToTheDefaultSize) {
  block->Font()->SetHeight(-8);  // 8 points on the image: 0.4 points at 5 %
  cell->SetText(QStringLiteral("Hg"));
  cell->SetWordWrap(false);
  diagram->SetZoom(5);
  const QRect box = InkBox(Draw());
  EXPECT_LE(box.height(), 3);
}

TEST_F(CellDrawing, TheCanvasGetsItsToolsBack) {
  cell->SetText(QStringLiteral("Hello"));
  cell->CellFrame()->SetVisible(true);
  QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
  TCanvas canvas(&image);
  canvas.Brush()->SetStyle(bsDiagCross);
  canvas.Pen()->SetColor(clRed);
  canvas.Font()->SetName(QStringLiteral("Other"));
  block->DrawCells({&canvas});
  EXPECT_EQ(canvas.Brush()->Style(), bsDiagCross);
  EXPECT_EQ(canvas.Pen()->Color(), clRed);
  EXPECT_EQ(canvas.Font()->Name(), "Other");
  EXPECT_EQ(canvas.Font()->Orientation(), 0);
}

TEST_F(CellDrawing, InvisibleCellsAreNotDrawn) {
  cell->SetText(QStringLiteral("Hello"));
  cell->SetVisible(false);
  EXPECT_TRUE(InkBox(Draw()).isEmpty());
}

}  // namespace
