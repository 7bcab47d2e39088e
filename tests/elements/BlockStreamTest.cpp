// Blocks in the object stream: what is written, and save-load-save byte identity with every
// property set.

#include "document/vxDiagram.h"
#include "elements/Blocks.h"
#include "elements/StretchHandles.h"
#include "streaming/ComponentStream.h"
#include "streaming/ObjectText.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>
#include <algorithm>

namespace {

struct StreamFixture : ::testing::Test {
  StreamFixture() { RegisterBlockClasses(); }

  QString Text(QObject* root) { return QString::fromUtf8(ObjectBinaryToText(WriteComponent(root))); }

  // A new block read from the stream of source.
  TDiagramBlock* ReadBack(TDiagramBlock* source) {
    auto* copy = Create<TDiagramBlock>(&other);
    ReadComponent(WriteComponent(source), copy);
    return copy;
  }

  QWidget form;
  QWidget other;
  TDiagramBlock* block = Create<TDiagramBlock>(&form);
};

QByteArray EmfBytes() {
  QByteArray bytes(88, '\0');
  auto put = [&bytes](int offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  put(0, 1);
  put(4, 88);
  put(32, 5080);
  put(36, 2540);
  put(40, 0x464D4520);
  bytes[60] = 0x5A;  // a byte the header reader does not look at must survive too
  return bytes;
}

void SetEveryProperty(TDiagramBlock* block) {
  block->SetBoundsRect({12.5, -7.25, 212.5, 92.75});
  block->SetAngle(33.5);
  block->Brush()->SetColor(clWhite);
  block->Brush()->SetStyle(bsSolid);
  block->SelBrush()->SetColor(RGBColor(1, 2, 3));
  block->SelBrush()->SetStyle(bsDiagCross);
  block->SetColor(clCream);
  block->SetSelColor(RGBColor(10, 20, 30));
  block->Pen()->SetColor(clRed);
  block->Pen()->SetWidth(3);
  block->Pen()->SetStyle(psDash);
  block->SetShape(ElementEnums::bsRoundRect);
  block->LinkPoints()->Add(0, 50, aoLeft);
  block->LinkPoints()->Add(100, 50, aoRight)->SetCollapsable(true);
  block->LinkPoints()->Point(1)->SetCollapsedFlag(true);
  block->SetClipText(true);
  block->DefaultTextCell()->SetText(QStringLiteral("Héllo\nwörld"));
  block->TextCells()->Add()->SetBounds(10, 10, 30, 20);
  block->SetRestrictions(TControlRestrictions(crNoMove) | crKeepRatio);
  block->Font()->SetName(QStringLiteral("DejaVu Sans"));
  block->Font()->SetHeight(-17);
  block->SetMinWidth(12);
  block->SetMinHeight(14);
  block->Shadow()->SetVisible(true);
  block->Shadow()->SetColor(clNavy);
  block->Shadow()->SetHOffset(-3);
  block->Shadow()->SetVOffset(5);
  block->Shadow()->SetTransparency(40);
  block->SetShowHint(true);
  block->SetHint(QStringLiteral("a hint"));
  block->Gradient()->SetVisible(true);
  block->Gradient()->SetDirection(grVertOutIn);
  block->Gradient()->SetStartColor(clMoneyGreen);
  block->Gradient()->SetEndColor(clSkyBlue);
  QImage pixels(3, 2, QImage::Format_RGB32);
  pixels.fill(QColor(200, 100, 50));
  pixels.setPixelColor(0, 1, QColor(1, 2, 3));
  block->Bitmap()->SetImage(pixels);
  block->SetBitmapMode(bmTile);
  block->SetBitmapTransparent(true);
  block->Metafile()->LoadFromStream(EmfBytes());
  TBitmap pictureBitmap(4, 4);
  block->Picture()->SetGraphic(&pictureBitmap);
  block->SetPictureMode(pmCenter);
  block->SetTransparent(true);
  block->SetCursor(crHandPoint);
  block->SetStringData(QStringLiteral("user data"));
  block->SetVisible(false);
  block->SetLayer(3);
  block->SetTransparency(25);
  block->SetDControlID(QStringLiteral("MyBlock"));
}

// The block's own lines of a text stream ("Name = value" at the first indentation).
QStringList TopLevelLines(const QString& text) {
  QStringList lines;
  for (const QString& line : text.split(u'\n'))
    if (line.startsWith(QStringLiteral("  ")) && !line.startsWith(QStringLiteral("   "))) lines << line.trimmed();
  return lines;
}

bool HasProperty(const QStringList& lines, const QString& name) {
  for (const QString& line : lines)
    if (line.startsWith(name + QStringLiteral(" = "))) return true;
  return false;
}

TEST_F(StreamFixture, NewBlockWritesOnlyWhatItMust) {
  const QString text = Text(block);
  const QStringList lines = TopLevelLines(text);
  for (const char* absent : {"Left", "Top", "Angle", "Brush.Color", "Brush.Style", "SelBrush.Color", "SelBrush.Style",
                             "Pen.Color", "Strings", "Alignment", "VertAlign", "WordWrap", "Font.Height", "ShowHint",
                             "Hint", "CollapsedNodes", "DControlID", "Bitmap.Data", "Metafile.Data", "Picture.Data",
                             "LayerName", "StringData"})
    EXPECT_FALSE(HasProperty(lines, QString::fromLatin1(absent))) << absent << "\n" << text.toStdString();
  for (const char* present : {"Width = 50.0", "Height = 50.0", "Color = clWhite", "SelColor = clWhite",
                              "Shape = bsRectangle", "LinkPoints = <>", "TextCells = <", "Restrictions = []",
                              "ClipText = False", "DiagramFont = True", "MinWidth = 40", "ParentShowHint = True",
                              "Shadow.Visible = False", "Shadow.Color = clGray", "Shadow.HOffset = 2",
                              "Gradient.Direction = grTopBottom", "Gradient.EndColor = clYellow",
                              "BitmapMode = bmStretch", "BitmapTransparent = False", "PictureMode = pmStretch",
                              "Transparent = False", "Cursor = crDefault", "Visible = True", "Layer = 0",
                              "Transparency = 0", "Collapsed = False"}) {
    const QString wanted = QString::fromLatin1(present);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(wanted); }))
        << present << "\n" << text.toStdString();
  }
}

TEST_F(StreamFixture, AWhiteSolidBrushSurvivesTheRoundTrip) {
  // The block's brushes start clear and black; a brush set to the brush type's own
  // defaults must still be written, or it would read back clear.
  block->Brush()->SetColor(clWhite);
  block->Brush()->SetStyle(bsSolid);
  const QString text = Text(block);
  EXPECT_TRUE(text.contains(QStringLiteral("Brush.Color = clWhite"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("Brush.Style = bsSolid"))) << text.toStdString();
  TDiagramBlock* copy = ReadBack(block);
  EXPECT_EQ(copy->Brush()->Color(), clWhite);
  EXPECT_EQ(copy->Brush()->Style(), bsSolid);
  EXPECT_EQ(copy->SelBrush()->Style(), bsClear);
}

TEST_F(StreamFixture, CollapsedNodesMaskReadsBackOntoTheLinkPoints) {
  for (int i = 0; i < 3; ++i) block->LinkPoints()->Add(i * 10, 0, aoNone);
  block->LinkPoints()->Point(0)->SetCollapsedFlag(true);
  block->LinkPoints()->Point(2)->SetCollapsedFlag(true);
  EXPECT_TRUE(Text(block).contains(QStringLiteral("CollapsedNodes = 5")));
  TDiagramBlock* copy = ReadBack(block);
  ASSERT_EQ(copy->LinkPoints()->Count(), 3);
  EXPECT_TRUE(copy->LinkPoints()->Point(0)->Collapsed());
  EXPECT_FALSE(copy->LinkPoints()->Point(1)->Collapsed());
  EXPECT_TRUE(copy->LinkPoints()->Point(2)->Collapsed());
}

TEST_F(StreamFixture, SaveLoadSaveIsByteIdenticalWithEveryPropertySet) {
  SetEveryProperty(block);
  const QByteArray first = WriteComponent(block);
  TDiagramBlock* copy = ReadBack(block);
  const QByteArray second = WriteComponent(copy);
  EXPECT_EQ(first, second) << ObjectBinaryToText(first).toStdString() << "\n---\n"
                           << ObjectBinaryToText(second).toStdString();
  EXPECT_EQ(copy->BoundsRect(), block->BoundsRect());
  EXPECT_EQ(copy->Angle(), 33.5);
  EXPECT_EQ(copy->SelBrush()->Style(), bsDiagCross);
  EXPECT_EQ(copy->Pen()->Style(), psDash);
  EXPECT_EQ(copy->Shape(), ElementEnums::bsRoundRect);
  EXPECT_EQ(copy->TextCells()->Count(), 2);
  EXPECT_EQ(copy->TextCells()->Cell(0)->Text(), QStringLiteral("Héllo\nwörld"));
  EXPECT_FALSE(copy->DiagramFont());
  EXPECT_EQ(copy->Font()->Height(), -17);
  EXPECT_EQ(copy->Shadow()->Transparency(), 40);
  EXPECT_EQ(copy->Gradient()->Direction(), grVertOutIn);
  EXPECT_EQ(copy->Bitmap()->Image().pixelColor(0, 1), QColor(1, 2, 3));
  EXPECT_TRUE(copy->BitmapTransparent());
  EXPECT_EQ(copy->Metafile()->Bytes(), EmfBytes()) << "metafile bytes are kept intact";
  EXPECT_FALSE(copy->Picture()->Empty());
  EXPECT_EQ(copy->Cursor(), crHandPoint);
  EXPECT_FALSE(copy->Visible());
  EXPECT_EQ(copy->Layer(), 3);
  EXPECT_EQ(copy->Transparency(), 25);
  EXPECT_EQ(copy->DControlID(), QStringLiteral("MyBlock"));
  EXPECT_TRUE(copy->LinkPoints()->Point(1)->Collapsed());
  EXPECT_TRUE(copy->ShowHint());
  EXPECT_FALSE(copy->ParentShowHint());
}

TEST_F(StreamFixture, BlocksTravelAsChildrenOfTheirDiagram) {
  auto* diagram = Create<TvxDiagram>(&form);
  diagram->SetGraphicLib(dglGDI);
  block->SetDiagram(diagram);
  SetEveryProperty(block);
  diagram->SetInternalStreaming(true);
  const QByteArray first = WriteComponent(diagram);
  auto* target = Create<TvxDiagram>(&other);
  target->SetInternalStreaming(true);
  ReadComponent(first, target);
  ASSERT_EQ(target->BlockCount(), 1);
  auto* copy = qobject_cast<TDiagramBlock*>(target->Blocks(0));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Name(), block->Name());
  EXPECT_EQ(copy->BoundsRect(), block->BoundsRect());
  EXPECT_EQ(copy->Handles()->Count(), 9);
  EXPECT_EQ(WriteComponent(target), first);
}

}  // namespace
