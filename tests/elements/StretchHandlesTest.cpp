#include "document/vxDiagram.h"
#include "elements/HandlesAppearance.h"
#include "elements/StretchHandles.h"
#include "platform/Exceptions.h"
#include "support/TestElements.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct HandleCollections : ::testing::Test {
  QObject owner;
  TTestLine* target = Create<TTestLine>(&owner);
  TTestLine* source = Create<TTestLine>(&owner);

  static void Fill(TStretchHandles* handles, int count, int dataBase) {
    handles->Clear();
    for (int i = 0; i < count; ++i) handles->Add(i * 10, i, crSizeNWSE, dataBase + i, hsSize);
  }
  static std::vector<int> Data(const TStretchHandles* handles) {
    std::vector<int> data;
    for (int i = 0; i < handles->Count(); ++i) data.push_back(handles->Handle(i)->Data());
    return data;
  }
};

TEST_F(HandleCollections, FewerHandlesKeepTheEndObjectsAndDropTheSecondToLast) {
  Fill(target->Handles(), 5, 0);
  Fill(source->Handles(), 2, 100);
  TStretchHandle* first = target->Handles()->Handle(0);
  TStretchHandle* last = target->Handles()->Handle(4);
  std::vector<int> deletedData;
  for (int i = 1; i <= 3; ++i)
    QObject::connect(target->Handles()->Handle(i), &QObject::destroyed, [&deletedData, i] { deletedData.push_back(i); });
  target->Handles()->Assign(source->Handles());
  EXPECT_EQ(deletedData, (std::vector<int>{3, 2, 1})) << "always the second-to-last goes";
  ASSERT_EQ(target->Handles()->Count(), 2);
  EXPECT_EQ(target->Handles()->Handle(0), first);
  EXPECT_EQ(target->Handles()->Handle(1), last);
  EXPECT_EQ(Data(target->Handles()), (std::vector<int>{100, 101}));
  EXPECT_EQ(last->OrPoint(), (TDot{10, 1}));
}

TEST_F(HandleCollections, MoreHandlesAreAddedBeforeTheLast) {
  Fill(target->Handles(), 2, 0);
  Fill(source->Handles(), 5, 100);
  source->Handles()->Handle(2)->SetStyle(hsCustom);
  TStretchHandle* first = target->Handles()->Handle(0);
  TStretchHandle* last = target->Handles()->Handle(1);
  target->Handles()->Assign(source->Handles());
  ASSERT_EQ(target->Handles()->Count(), 5);
  EXPECT_EQ(target->Handles()->Handle(0), first);
  EXPECT_EQ(target->Handles()->Handle(4), last);
  EXPECT_EQ(Data(target->Handles()), (std::vector<int>{100, 101, 102, 103, 104}));
  EXPECT_EQ(target->Handles()->Handle(2)->OrPoint(), (TDot{20, 2}));
  EXPECT_EQ(target->Handles()->Handle(2)->Style(), hsSize) << "a handle's Assign does not copy the style";
}

TEST_F(HandleCollections, EqualCountsAssignInPlace) {
  Fill(target->Handles(), 4, 0);
  Fill(source->Handles(), 4, 100);
  std::vector<TStretchHandle*> before;
  for (int i = 0; i < 4; ++i) before.push_back(target->Handles()->Handle(i));
  target->Handles()->Assign(source->Handles());
  for (int i = 0; i < 4; ++i) EXPECT_EQ(target->Handles()->Handle(i), before[static_cast<size_t>(i)]);
  EXPECT_EQ(Data(target->Handles()), (std::vector<int>{100, 101, 102, 103}));
}

TEST_F(HandleCollections, SmallCollectionsAreCopiedPlainly) {
  Fill(target->Handles(), 1, 0);
  Fill(source->Handles(), 3, 100);
  target->Handles()->Assign(source->Handles());
  EXPECT_EQ(Data(target->Handles()), (std::vector<int>{100, 101, 102}));
  Fill(source->Handles(), 0, 0);
  target->Handles()->Assign(source->Handles());
  EXPECT_EQ(target->Handles()->Count(), 0);
}

TEST_F(HandleCollections, AssigningToItselfKeepsEverything) {
  Fill(target->Handles(), 3, 7);
  target->Handles()->Assign(target->Handles());
  EXPECT_EQ(Data(target->Handles()), (std::vector<int>{7, 8, 9}));
}

TEST_F(HandleCollections, AHandleTakesOnlyAnotherHandle) {
  Fill(target->Handles(), 1, 0);
  EXPECT_THROW(target->Handles()->Handle(0)->Assign(target->Handles()), EConvertError);
}

// --- Looks ------------------------------------------------------------------------------

struct LookExpectation {
  TColor brush;
  TBrushStyle brushStyle;
  TColor pen;
  int size;
  THandleAppearanceStyle style;
};

void ExpectLook(const THandleAppearance* look, const LookExpectation& e, const char* what) {
  SCOPED_TRACE(what);
  EXPECT_EQ(look->Brush()->Color(), e.brush);
  EXPECT_EQ(look->Brush()->Style(), e.brushStyle);
  EXPECT_EQ(look->Pen()->Color(), e.pen);
  EXPECT_EQ(look->Pen()->Style(), psSolid);
  EXPECT_EQ(look->Pen()->Width(), 1);
  EXPECT_EQ(look->Size(), e.size);
  EXPECT_EQ(look->Style(), e.style);
}

TEST(HandlesAppearance, ClassicLooks) {
  THandlesAppearance looks;
  looks.ResetForStyle(hsClassic, false);
  ExpectLook(looks.Size(), {clBlack, bsSolid, clBlack, 2, hhRectangle}, "size");
  EXPECT_EQ(looks.Size()->DisabledBrush()->Color(), clGray);
  EXPECT_EQ(looks.Size()->DisabledPen()->Color(), clGray);
  ExpectLook(looks.Rotate(), {clBlack, bsClear, clBlack, 2, hhEllipse}, "rotate");
  EXPECT_FALSE(looks.RotCenter()->Visible());
  ExpectLook(looks.Custom(), {clYellow, bsSolid, clBlack, 3, hhDiamond}, "custom");
}

TEST(HandlesAppearance, VisioLooks) {
  THandlesAppearance looks;
  looks.ResetForStyle(hsClassic, false);
  looks.ResetForStyle(hsVisio, false);
  ExpectLook(looks.Size(), {clLime, bsSolid, clBlack, 3, hhRectangle}, "size");
  EXPECT_EQ(looks.Size()->DisabledBrush()->Color(), clSilver);
  EXPECT_EQ(looks.Size()->DisabledPen()->Color(), clBlack);
  ExpectLook(looks.Rotate(), {clLime, bsSolid, clBlack, 4, hhEllipse}, "rotate");
  ExpectLook(looks.RotCenter(), {clLime, bsSolid, clBlack, 3, hhCrossedEllipse}, "rotation centre");
  EXPECT_TRUE(looks.RotCenter()->Visible()) << "the Visio style shows the rotation centre again";
  EXPECT_EQ(looks.RotCenter()->DisabledBrush()->Color(), clSilver);
  ExpectLook(looks.Custom(), {clYellow, bsSolid, clBlack, 3, hhDiamond}, "custom");
}

TEST(HandlesAppearance, VisioMembersAreGreyAndCrossed) {
  THandlesAppearance looks;
  looks.ResetForStyle(hsVisio, true);
  ExpectLook(looks.Size(), {clLime, bsSolid, clGray, 3, hhRectangleX}, "size");
  ExpectLook(looks.Rotate(), {clLime, bsSolid, clGray, 4, hhEllipseX}, "rotate");
  ExpectLook(looks.RotCenter(), {clLime, bsSolid, clGray, 3, hhCrossedEllipse}, "rotation centre");
  ExpectLook(looks.Custom(), {clYellow, bsSolid, clBlack, 3, hhDiamond}, "custom");
  looks.ResetForStyle(hsVisio, false);
  EXPECT_EQ(looks.Size()->Pen()->Color(), clBlack);
  EXPECT_EQ(looks.Size()->Style(), hhRectangle);
}

TEST(HandlesAppearance, TheResetKeepsWhatTheStyleDoesNotName) {
  THandlesAppearance looks;
  looks.Rotate()->DisabledBrush()->SetColor(clRed);
  looks.Custom()->SetVisible(false);
  looks.ResetForStyle(hsClassic, false);
  EXPECT_EQ(looks.Rotate()->DisabledBrush()->Color(), clRed);
  EXPECT_FALSE(looks.Custom()->Visible());
}

}  // namespace
