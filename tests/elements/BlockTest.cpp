// Blocks: construction, geometry and angle rules, published list, stored conditions,
// owner-level defaults, the default text cell's view, anchoring and diagram membership.

#include "document/vxDiagram.h"
#include "elements/Blocks.h"
#include "elements/StretchHandles.h"
#include "platform/Published.h"
#include "support/TestElements.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace {

struct BlockFixture : ::testing::Test {
  BlockFixture() { RegisterBlockClasses(); }
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  TDiagramBlock* block = Create<TDiagramBlock>(&form);
};

QStringList PublishedNames(const QMetaObject* meta) {
  QStringList names;
  for (const TPublishedProperty& p : PublishedProperties(meta)) names << p.Name;
  return names;
}

const TPublishedProperty& Property(const QObject* object, const char* name) {
  const TPublishedProperty* p = FindPublishedProperty(object->metaObject(), QString::fromLatin1(name));
  EXPECT_NE(p, nullptr) << name;
  return *p;
}

TEST_F(BlockFixture, ConstructorDefaults) {
  EXPECT_EQ(block->BoundsRect(), (TSquare{0, 0, 50, 50}));
  EXPECT_EQ(block->Angle(), 0);
  EXPECT_EQ(block->RotationCenter(), (TDot{50, 50}));
  EXPECT_EQ(block->Shape(), ElementEnums::bsRectangle);
  EXPECT_EQ(block->Color(), clWhite);
  EXPECT_EQ(block->SelColor(), clWhite);
  EXPECT_EQ(block->Brush()->Color(), clBlack);
  EXPECT_EQ(block->Brush()->Style(), bsClear);
  EXPECT_EQ(block->SelBrush()->Color(), clBlack);
  EXPECT_EQ(block->SelBrush()->Style(), bsClear);
  EXPECT_EQ(block->Pen()->Color(), clBlack);
  EXPECT_EQ(block->Pen()->Style(), psSolid);
  EXPECT_EQ(block->Pen()->Width(), 1);
  EXPECT_FALSE(block->Transparent());
  EXPECT_FALSE(block->ClipText());
  EXPECT_EQ(block->Restrictions(), TControlRestrictions());
  EXPECT_EQ(block->RotationStep(), 5);
  EXPECT_EQ(block->MinWidth(), 40);
  EXPECT_EQ(block->MinHeight(), 40);
  EXPECT_FALSE(block->Shadow()->Visible());
  EXPECT_EQ(block->Shadow()->Color(), clGray);
  EXPECT_EQ(block->Shadow()->HOffset(), 2);
  EXPECT_EQ(block->Shadow()->VOffset(), 2);
  EXPECT_FALSE(block->Gradient()->Visible());
  EXPECT_EQ(block->Gradient()->StartColor(), clWhite);
  EXPECT_EQ(block->Gradient()->EndColor(), clYellow);
  EXPECT_TRUE(block->Bitmap()->Empty());
  EXPECT_TRUE(block->Metafile()->Empty());
  EXPECT_TRUE(block->Picture()->Empty());
  EXPECT_EQ(block->BitmapMode(), bmStretch);
  EXPECT_EQ(block->PictureMode(), pmStretch);
  EXPECT_FALSE(block->ShapeCursor());
  ASSERT_EQ(block->TextCells()->Count(), 1);
  EXPECT_EQ(block->TextCells()->Cell(0)->BoundsRect(), (TSquare{0, 0, 100, 100}));
  EXPECT_EQ(block->Handles()->Count(), 9);
  EXPECT_EQ(block->LinkPoints()->Count(), 0);
  EXPECT_TRUE(block->IsBlock());
}

TEST_F(BlockFixture, AngleIsKeptInRange) {
  struct Case {
    double In;
    double Out;
  };
  const Case cases[] = {{-90, 270}, {720, 0}, {359.5, 359.5}, {360, 0}, {-360, 0}, {725, 5},
                        {-1e-20, 0}, {3.6e12 + 10, 10}, {-3.6e12 - 10, 350}, {1e300, std::fmod(1e300, 360.0)}};
  for (const Case& c : cases) {
    block->SetAngle(0);
    block->SetAngle(c.In);
    EXPECT_GE(block->Angle(), 0) << c.In;
    EXPECT_LT(block->Angle(), 360) << c.In;
    EXPECT_DOUBLE_EQ(block->Angle(), c.Out) << c.In;
  }
}

TEST_F(BlockFixture, NonFiniteAnglesAndBoundsAreRefused) {
  block->SetAngle(30);
  block->SetAngle(std::numeric_limits<double>::quiet_NaN());
  block->SetAngle(std::numeric_limits<double>::infinity());
  block->SetAngle(-std::numeric_limits<double>::infinity());
  EXPECT_EQ(block->Angle(), 30);
  block->SetLeft(std::numeric_limits<double>::quiet_NaN());
  block->SetWidth(std::numeric_limits<double>::infinity());
  EXPECT_EQ(block->BoundsRect(), (TSquare{0, 0, 50, 50}));
  block->SetRotationCenter({std::numeric_limits<double>::quiet_NaN(), 0});
  EXPECT_EQ(block->RotationCenter(), (TDot{50, 50}));
}

TEST_F(BlockFixture, SettingTheSameAngleDoesNothing) {
  block->SetDiagram(diagram);
  block->SetAngle(45);
  const int before = diagram->InvalidationCount();
  block->SetAngle(45);
  block->SetAngle(405);
  EXPECT_EQ(diagram->InvalidationCount(), before);
  block->SetAngle(46);
  EXPECT_GT(diagram->InvalidationCount(), before);
}

TEST_F(BlockFixture, BoundsSettersKeepTheOtherSides) {
  block->SetBoundsRect({10, 20, 110, 70});
  block->SetLeft(0);
  EXPECT_EQ(block->BoundsRect(), (TSquare{0, 20, 100, 70}));
  block->SetTop(5);
  EXPECT_EQ(block->BoundsRect(), (TSquare{0, 5, 100, 55}));
  block->SetWidth(30);
  block->SetHeight(40);
  EXPECT_EQ(block->BoundsRect(), (TSquare{0, 5, 30, 45}));
  EXPECT_EQ(block->Right(), 30);
  EXPECT_EQ(block->Bottom(), 45);
  block->SetBoundsRect({50, 50, 10, 10});
  EXPECT_EQ(block->Width(), -40) << "bounds are stored as given";
}

TEST_F(BlockFixture, ClampedSetters) {
  block->SetRotationStep(0);
  EXPECT_EQ(block->RotationStep(), 1);
  block->SetRotationStep(500);
  EXPECT_EQ(block->RotationStep(), 180);
  block->SetMinWidth(3);
  block->SetMinHeight(-10);
  EXPECT_EQ(block->MinWidth(), 5);
  EXPECT_EQ(block->MinHeight(), 5);
  block->SetTransparency(150);
  EXPECT_EQ(block->Transparency(), 100);
  block->SetTransparency(-3);
  EXPECT_EQ(block->Transparency(), 0);
  block->Shadow()->SetTransparency(101);
  EXPECT_EQ(block->Shadow()->Transparency(), 100);
  block->Shadow()->SetTransparency(-1);
  EXPECT_EQ(block->Shadow()->Transparency(), 0);
}

TEST_F(BlockFixture, RotationCenterPointFollowsBoundsAndAngle) {
  block->SetBoundsRect({0, 0, 100, 50});
  EXPECT_EQ(block->RotationCenterPoint(), (TDot{50, 25}));
  block->SetRotationCenter({0, 0});
  EXPECT_EQ(block->RotationCenterPoint(), (TDot{0, 0}));
  block->SetAngle(90);
  const TDot p = block->RotationCenterPoint();
  EXPECT_NEAR(p.X, 75, 1e-9);
  EXPECT_NEAR(p.Y, -25, 1e-9);
}

TEST_F(BlockFixture, SurroundRectCoversTheTurnedBlock) {
  block->SetBoundsRect({0, 0, 100, 50});
  EXPECT_EQ(block->SurroundRect(), (TSquare{0, 0, 100, 50}));
  block->SetAngle(90);
  const TSquare r = block->SurroundRect();
  EXPECT_NEAR(r.Left, 25, 1e-9);
  EXPECT_NEAR(r.Top, -25, 1e-9);
  EXPECT_NEAR(r.Right, 75, 1e-9);
  EXPECT_NEAR(r.Bottom, 75, 1e-9);
  EXPECT_EQ(block->SourceRectToClient({0, 0, 50, 50}), (TSquare{0, 0, 50, 25})) << "not rotated";
}

TEST_F(BlockFixture, PublishedListInStreamOrder) {
  const QStringList expected = {
      "Name", "Left", "Top", "Width", "Height", "Angle", "Brush", "SelBrush", "Color", "SelColor", "Pen", "Shape",
      "LinkPoints", "Strings", "Alignment", "VertAlign", "ClipText", "WordWrap", "TextCells", "Restrictions", "Font",
      "DiagramFont", "MinWidth", "MinHeight", "Shadow", "ShowHint", "ParentShowHint", "Hint", "Gradient", "Bitmap",
      "BitmapMode", "BitmapTransparent", "Metafile", "Picture", "PictureMode", "Transparent", "Cursor", "StringData",
      "Visible", "Layer", "LayerName", "Transparency"};
  EXPECT_EQ(PublishedNames(&TDiagramBlock::staticMetaObject), expected);
}

TEST_F(BlockFixture, StoredConditions) {
  struct Case {
    const char* Name;
    bool Stored;
  };
  for (const Case& c : {Case{"Angle", false}, Case{"Font", false}, Case{"ShowHint", false}, Case{"Strings", false},
                        Case{"Alignment", false}, Case{"VertAlign", false}, Case{"WordWrap", false},
                        Case{"Color", true}, Case{"Shape", true}, Case{"Visible", true}, Case{"Transparency", true}})
    EXPECT_EQ(IsPropertyStored(block, Property(block, c.Name)), c.Stored) << c.Name;
  block->SetAngle(10);
  block->Font()->SetHeight(-20);
  block->SetShowHint(true);
  for (const char* name : {"Angle", "Font", "ShowHint"}) EXPECT_TRUE(IsPropertyStored(block, Property(block, name))) << name;
}

TEST_F(BlockFixture, NoPublishedPropertyDeclaresAnOwnDefault) {
  // Every ordinal block property is always written: none of them declares a default.
  for (const TPublishedProperty& p : PublishedProperties(&TDiagramBlock::staticMetaObject))
    EXPECT_TRUE(p.DeclaredDefault.isEmpty()) << p.Name.toStdString();
}

TEST_F(BlockFixture, BrushDefaultsAreTheBlocksOwn) {
  // Without the owner's path defaults a white solid brush would be left out of a file and
  // read back as the block's clear black one.
  const QMetaObject* owner = &TDiagramBlock::staticMetaObject;
  struct Case {
    TBrush* Brush;
    const char* Path;
  };
  for (const Case& c : {Case{block->Brush(), "Brush"}, Case{block->SelBrush(), "SelBrush"}}) {
    const TPublishedProperty& color = Property(c.Brush, "Color");
    const TPublishedProperty& style = Property(c.Brush, "Style");
    const QString path = QString::fromLatin1(c.Path);
    EXPECT_TRUE(IsDefaultValueAt(owner, path + ".Color", c.Brush, color));
    EXPECT_TRUE(IsDefaultValueAt(owner, path + ".Style", c.Brush, style));
    c.Brush->SetColor(clWhite);
    c.Brush->SetStyle(bsSolid);
    EXPECT_FALSE(IsDefaultValueAt(owner, path + ".Color", c.Brush, color)) << c.Path;
    EXPECT_FALSE(IsDefaultValueAt(owner, path + ".Style", c.Brush, style)) << c.Path;
  }
}

TEST_F(BlockFixture, OtherSubObjectsStartAtTheirTypesDefaults) {
  // Pen, shadow, gradient and font begin where their types' declared defaults are, so no
  // owner-level default is needed for them: a value equal to a declared default is the
  // constructor's value too.
  const QMetaObject* owner = &TDiagramBlock::staticMetaObject;
  struct Case {
    QObject* Object;
    const char* Path;
  };
  for (const Case& c : {Case{block->Pen(), "Pen"}, Case{block->Shadow(), "Shadow"}, Case{block->Gradient(), "Gradient"},
                        Case{block->Font(), "Font"}}) {
    for (const TPublishedProperty& p : PublishedProperties(c.Object->metaObject())) {
      const QString path = QString::fromLatin1(c.Path) + u'.' + p.Name;
      if (!DeclaredDefaultValue(p) && PathDefault(owner, path).isEmpty()) continue;
      EXPECT_TRUE(IsDefaultValueAt(owner, path, c.Object, p)) << path.toStdString();
    }
  }
}

TEST_F(BlockFixture, StringsViewTheDefaultCell) {
  TStringList lines;
  lines.SetStrings({"one", "two"});
  block->SetStrings(&lines);
  EXPECT_EQ(block->TextCells()->Cell(0)->Text(), "one\ntwo");
  block->TextCells()->Cell(0)->SetText(QStringLiteral("a\nb\nc"));
  EXPECT_EQ(block->Strings()->ToStringList(), (QStringList{"a", "b", "c"}));
  block->SetAlignment(taLeftJustify);
  block->SetVertAlign(ElementEnums::vaBottom);
  block->SetWordWrap(false);
  EXPECT_EQ(block->TextCells()->Cell(0)->Alignment(), taLeftJustify);
  EXPECT_EQ(block->TextCells()->Cell(0)->VertAlign(), ElementEnums::vaBottom);
  EXPECT_FALSE(block->TextCells()->Cell(0)->WordWrap());
  block->TextCells()->Clear();
  EXPECT_TRUE(block->Strings()->IsEmpty()) << "no cell reads as no lines";
  EXPECT_EQ(block->TextCells()->Count(), 0) << "reading does not create a cell";
}

TEST_F(BlockFixture, JoiningAndLeavingTheBlockList) {
  block->SetDiagram(diagram);
  EXPECT_EQ(diagram->BlockCount(), 1);
  EXPECT_EQ(diagram->Blocks(0), block);
  EXPECT_EQ(block->Name(), "DiagramBlock1");
  block->SetDiagram(nullptr);
  EXPECT_EQ(diagram->BlockCount(), 0);
  EXPECT_EQ(diagram->DControlCount(), 0);
}

TEST_F(BlockFixture, DeletingAnAttachedBlockLeavesNoDanglingEntry) {
  block->SetDiagram(diagram);
  delete block;  // not through Free(): the block must still leave the diagram's lists
  EXPECT_EQ(diagram->BlockCount(), 0);
  EXPECT_EQ(diagram->DControlCount(), 0);
}

TEST_F(BlockFixture, SelectingTwiceListsTheBlockOnce) {
  block->SetDiagram(diagram);
  block->SetSelected(true);
  block->SetSelected(true);
  diagram->ControlSelectionChanged(block, true);  // a repeated notification as well
  EXPECT_EQ(diagram->SelectedCount(), 1);
  block->SetSelected(false);
  EXPECT_EQ(diagram->SelectedCount(), 0);
}

TEST_F(BlockFixture, RegisteredForStreams) {
  const TRegisteredClass* entry = FindClass(QStringLiteral("TDiagramBlock"));
  ASSERT_NE(entry, nullptr);
  QObject* made = entry->Factory(&form);
  auto* made_block = qobject_cast<TDiagramBlock*>(made);
  ASSERT_NE(made_block, nullptr);
  EXPECT_EQ(made_block->Handles()->Count(), 9) << "created through the two-phase construction";
  Free(made);
}

// --- Anchoring -------------------------------------------------------------------------

struct AnchorFixture : BlockFixture {
  AnchorFixture() {
    block->SetDiagram(diagram);
    block->LinkPoints()->Add(100, 50, aoRight);
    line->SetDiagram(diagram);
    line->LinkPoints()->Point(0)->SetAnchorLink(block->LinkPoints()->Point(0));
    line->LinkedChanges = 0;
  }
  TTestLine* line = Create<TTestLine>(&form);
};

TEST_F(AnchorFixture, MovingResizingAndRotatingNotifyAnchoredLines) {
  block->MoveBy(10, 0);
  EXPECT_EQ(line->LinkedChanges, 1);
  EXPECT_EQ(line->LastChange, acPosition);
  block->SetWidth(80);
  EXPECT_EQ(line->LinkedChanges, 2);
  block->SetAngle(30);
  EXPECT_EQ(line->LinkedChanges, 3);
  EXPECT_EQ(line->LastChange, acPosition);
  block->SetBoundsRect(block->BoundsRect());
  EXPECT_EQ(line->LinkedChanges, 3) << "no change, no notification";
}

TEST_F(AnchorFixture, LinkPointFollowsTheBlock) {
  block->SetBoundsRect({0, 0, 100, 100});
  const TDot before = block->LinkPoints()->Point(0)->DiagramPoint();
  EXPECT_EQ(before, (TDot{100, 50}));
  block->SetAngle(90);
  const TDot after = block->LinkPoints()->Point(0)->DiagramPoint();
  EXPECT_NEAR(after.X, 50, 1e-9);
  EXPECT_NEAR(after.Y, 100, 1e-9);
}

TEST_F(AnchorFixture, LeavingTheDiagramReleasesAnchoredLines) {
  block->SetDiagram(nullptr);
  EXPECT_EQ(line->LastChange, acRemoval);
  EXPECT_EQ(line->LinkPoints()->Point(0)->Anchor(), nullptr);
  EXPECT_EQ(block->LinkPoints()->Point(0)->AnchoredCount(), 0);
}

TEST_F(AnchorFixture, FreeingTheBlockReleasesAnchoredLines) {
  Free(block);
  EXPECT_EQ(line->LinkPoints()->Point(0)->Anchor(), nullptr);
  EXPECT_EQ(diagram->BlockCount(), 0);
}

TEST_F(AnchorFixture, InsideAPositionUpdateTheBlockDoesNotRedraw) {
  const int before = diagram->InvalidationCount();
  diagram->BeginUpdatePos();
  block->MoveBy(5, 5);
  EXPECT_EQ(diagram->InvalidationCount(), before);
  EXPECT_EQ(line->LinkedChanges, 1) << "anchored lines still follow";
  diagram->EndUpdatePos();
  EXPECT_GT(diagram->InvalidationCount(), before);
}

}  // namespace
