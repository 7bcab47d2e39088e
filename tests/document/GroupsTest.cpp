// Selection, groups, paint order and deleting the selection.
#include "document/DiagramLibrary.h"
#include "document/SelectionBlock.h"
#include "document/UndoStack.h"
#include "document/vxDiagram.h"
#include "elements/Blocks.h"
#include "elements/GroupBlocks.h"
#include "elements/Lines.h"
#include "platform/Canvas.h"
#include "platform/Exceptions.h"
#include "streaming/ObjectText.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>
#include <cmath>
#include <optional>

namespace {

class GroupsTest : public ::testing::Test {
protected:
  void SetUp() override {
    InitializeDiagramLibrary();
    diagram = Create<TvxDiagram>(&form);
    diagram->SetName(QStringLiteral("Diagram1"));
  }
  TDiagramBlock* AddBlock(double left, double top, double width = 40, double height = 40) {
    auto* block = Create<TDiagramBlock>(&form);
    block->SetBoundsRect({left, top, left + width, top + height});
    block->SetDiagram(diagram);
    return block;
  }
  TGroupBlock* Group(std::initializer_list<TDiagramControl*> members) {
    diagram->UnselectAll();
    for (TDiagramControl* member : members) member->SetSelected(true);
    return diagram->GroupSelectedBlocks();
  }
  std::vector<QString> Order() const {
    std::vector<QString> names;
    for (int i = 0; i < diagram->DControlCount(); ++i) names.push_back(diagram->DControls(i)->Name());
    return names;
  }
  QWidget form;
  TvxDiagram* diagram = nullptr;
};

TDot CentreOf(const TCustomDiagramBlock* block) {
  const TSquare r = block->BoundsRect();
  return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

// --- Selection ---------------------------------------------------------------------------------

TEST_F(GroupsTest, SelectingAGroupSelectsItsMembersBetweenOneChangingAndChangedPair) {
  auto* a = AddBlock(0, 0);
  auto* b = AddBlock(100, 0);
  TGroupBlock* group = Group({a, b});
  ASSERT_NE(group, nullptr);
  diagram->UnselectAll();

  std::vector<QString> events;
  diagram->OnSelectionChanging = [&](TvxDiagram*) { events.push_back("changing"); };
  diagram->OnSelectionChanged = [&](TvxDiagram*) {
    events.push_back(QStringLiteral("changed a=%1 b=%2").arg(a->Selected()).arg(b->Selected()));
  };
  diagram->OnSelectDControl = [&](TvxDiagram*, TDiagramControl* c) { events.push_back("select " + c->Name()); };
  group->SetSelected(true);

  const std::vector<QString> expected{"changing", "select " + group->Name(), "select " + a->Name(),
                                      "select " + b->Name(), "changed a=1 b=1"};
  EXPECT_EQ(events, expected);
  EXPECT_TRUE(a->AsMember());
  EXPECT_EQ(diagram->SelectedCount(cfIgnoreAsMembers), 1);
}

TEST_F(GroupsTest, SelectAllReachesMembersOnlyThroughTheirGroup) {
  auto* a = AddBlock(0, 0);
  auto* b = AddBlock(100, 0);
  auto* loose = AddBlock(200, 0);
  TGroupBlock* group = Group({a, b});
  diagram->UnselectAll();
  std::vector<TDiagramControl*> announced;
  diagram->OnSelectDControl = [&](TvxDiagram*, TDiagramControl* c) { announced.push_back(c); };
  diagram->SelectAll();
  // Members come right after their group, never on their own before it.
  const std::vector<TDiagramControl*> expected{loose, group, a, b};
  std::vector<TDiagramControl*> sorted = announced;
  EXPECT_EQ(announced.size(), 4u);
  EXPECT_EQ(std::find(announced.begin(), announced.end(), a) - std::find(announced.begin(), announced.end(), group), 1);
  EXPECT_EQ(diagram->SelectedCount(), 4);
  diagram->UnselectAll();
  EXPECT_EQ(diagram->SelectedCount(), 0);
  EXPECT_FALSE(a->Selected());
}

TEST_F(GroupsTest, GroupModeShowsOneFrameForSeveralAndTheBlocksOwnGripsForOne) {
  diagram->SetSelectionMode(slmGroup);
  auto* a = AddBlock(0, 0);
  auto* b = AddBlock(100, 50);
  a->SetSelected(true);
  EXPECT_FALSE(diagram->UsesSelectionBlock());
  EXPECT_TRUE(a->Handles()->Handle(0)->Visible());

  b->SetSelected(true);
  ASSERT_TRUE(diagram->UsesSelectionBlock());
  EXPECT_FALSE(a->Handles()->Handle(0)->Visible());
  EXPECT_FALSE(b->Handles()->Handle(0)->Visible());
  TSelectionBlock* frame = diagram->SelectionBlock();
  EXPECT_TRUE(frame->Handles()->Handle(0)->Visible());
  EXPECT_EQ(frame->BoundsRect(), (TSquare{0, 0, 140, 90}));
  EXPECT_EQ(diagram->DControlCount(), 2) << "the frame is never listed";
  EXPECT_FALSE(a->IsMember()) << "members of the frame do not take it as their group";
}

TEST_F(GroupsTest, TheFrameTakesTheAngleOfTheOneSelectedBlock) {
  auto* a = AddBlock(0, 0);
  a->SetAngle(30);
  a->SetSelected(true);
  EXPECT_EQ(diagram->SelectionBlock()->Angle(), 30);
  diagram->UnselectAll();
  EXPECT_EQ(diagram->SelectionBlock()->Angle(), 0);
  EXPECT_EQ(diagram->SelectionBlock()->RotationCenter(), (TDot{50, 50}));
}

// --- Grouping ---------------------------------------------------------------------------------

TEST_F(GroupsTest, GroupingOneElementLeavesNoGroupAndPushesNothing) {
  auto* a = AddBlock(0, 0);
  const int snapshots = diagram->UndoStack()->Count();
  EXPECT_EQ(Group({a}), nullptr);
  EXPECT_EQ(diagram->DControlCount(), 1);
  EXPECT_FALSE(a->IsMember());
  EXPECT_EQ(diagram->UndoStack()->Count(), snapshots);
}

TEST_F(GroupsTest, GroupAndUngroupPushTheirStepsAndKeepTheMembers) {
  auto* a = AddBlock(0, 0);
  auto* b = AddBlock(100, 0);
  TGroupBlock* group = Group({a, b});
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->Name(), "___dgrGroup___1");
  EXPECT_EQ(diagram->NextUndoAction(), "group");
  EXPECT_EQ(a->GroupBlock(), group);
  EXPECT_EQ(group->BoundsRect(), (TSquare{0, 0, 140, 40}));

  const int snapshots = diagram->UndoStack()->Count();
  diagram->UnselectAll();
  a->SetSelected(true);  // a member, not a group: nothing to ungroup
  diagram->UngroupSelectedBlocks();
  EXPECT_EQ(diagram->UndoStack()->Count(), snapshots);

  diagram->UnselectAll();
  group->SetSelected(true);
  diagram->UngroupSelectedBlocks();
  EXPECT_EQ(diagram->NextUndoAction(), "ungroup");
  EXPECT_EQ(diagram->DControlCount(), 2);
  EXPECT_FALSE(a->IsMember());
  EXPECT_EQ(a->Diagram(), static_cast<TCustomDiagram*>(diagram)) << "members stay in the diagram";
}

TEST_F(GroupsTest, GroupRectangleCountsNegativePositionsAndAnEmptyGroupKeepsItsRectangle) {
  // Outside a diagram nothing shifts the blocks into the positive area.
  auto* a = Create<TDiagramBlock>(&form);
  a->SetBoundsRect({-100, -50, -60, -10});
  auto* b = Create<TDiagramBlock>(&form);
  b->SetBoundsRect({-30, -20, -20, -10});
  EXPECT_EQ(TBaseGroupBlock::GroupRect({a, b}, 0, false), (TSquare{-100, -50, -20, -10}));
  b->SetAngle(90);  // a 10 x 10 square turned about its centre covers the same box
  const TSquare box = *TBaseGroupBlock::GroupRect({b}, 0, false);
  EXPECT_NEAR(box.Left, -30, 1e-9);
  EXPECT_NEAR(box.Bottom, -10, 1e-9);
  EXPECT_EQ(TBaseGroupBlock::GroupRect({}, 0, false), std::nullopt);

  TGroupBlock* empty = diagram->AddGroup();
  const TSquare before = empty->BoundsRect();
  empty->RecalculateRect();
  EXPECT_EQ(empty->BoundsRect(), before);
}

TEST_F(GroupsTest, AGroupAtAnAngleFitsItsMembersInItsOwnFrame) {
  // Two blocks turned with the group: in the group's frame they sit side by side.
  auto* a = Create<TDiagramBlock>(&form);
  a->SetBoundsRect({0, 0, 40, 40});
  const double step = 100 / std::sqrt(2.0);  // 100 along the axis turned by 45 degrees
  auto* b = Create<TDiagramBlock>(&form);
  b->SetBoundsRect({step, step, step + 40, step + 40});
  a->SetAngle(45);
  b->SetAngle(45);
  const TSquare box = *TBaseGroupBlock::GroupRect({a, b}, 45, false);
  EXPECT_NEAR(box.Width(), 140, 1e-9);
  EXPECT_NEAR(box.Height(), 40, 1e-9);
  // The box is centred on the pair.
  EXPECT_NEAR((box.Left + box.Right) / 2, 20 + step / 2, 1e-9);
  EXPECT_NEAR((box.Top + box.Bottom) / 2, 20 + step / 2, 1e-9);
}

TEST_F(GroupsTest, NestedGroupRectanglesFollowTheirMembers) {
  auto* a = AddBlock(0, 0);
  auto* b = AddBlock(100, 0);
  auto* c = AddBlock(0, 200);
  TGroupBlock* inner = Group({a, b});
  TGroupBlock* outer = Group({inner, c});
  ASSERT_NE(outer, nullptr);
  EXPECT_EQ(inner->GroupBlock(), outer);
  EXPECT_EQ(a->MasterGroup(), outer);
  b->SetLeft(300);  // a member moved on its own: both rectangles refit, nothing else moves
  EXPECT_EQ(inner->BoundsRect(), (TSquare{0, 0, 340, 40}));
  EXPECT_EQ(outer->BoundsRect(), (TSquare{0, 0, 340, 240}));
  EXPECT_EQ(a->BoundsRect(), (TSquare{0, 0, 40, 40}));
  EXPECT_EQ(c->BoundsRect(), (TSquare{0, 200, 40, 240}));
}

// --- Members follow their group -----------------------------------------------------------------

struct TResizeCase {
  const char* Name;
  TControlRestrictions Restrictions;
  TSquare Expected;  // member b after the group doubles its width
};

class GroupResizeTest : public GroupsTest, public ::testing::WithParamInterface<TResizeCase> {};

TEST_P(GroupResizeTest, DoublingTheGroupWidthMapsTheMember) {
  auto* a = AddBlock(0, 0, 40, 40);
  auto* b = AddBlock(60, 0, 40, 20);
  b->SetRestrictions(GetParam().Restrictions);
  TGroupBlock* group = Group({a, b});
  ASSERT_EQ(group->BoundsRect(), (TSquare{0, 0, 100, 40}));
  group->SetWidth(200);
  EXPECT_EQ(a->BoundsRect(), (TSquare{0, 0, 80, 40}));
  EXPECT_EQ(b->BoundsRect(), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Restrictions, GroupResizeTest,
    ::testing::Values(TResizeCase{"Free", {}, {120, 0, 200, 20}},
                      // Keeps its size, centred on the mapped centre (160, 10).
                      TResizeCase{"NoResize", crNoResize, {140, 0, 180, 20}},
                      // Keeps 2:1 inside the mapped 80 x 20.
                      TResizeCase{"KeepRatio", crKeepRatio, {140, 0, 180, 20}},
                      TResizeCase{"NoMove", crNoMove, {40, 0, 120, 20}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(GroupsTest, RotatingAGroupTurnsMembersAboutItsCentreAndTheirOwnAngles) {
  auto* a = AddBlock(0, 0, 40, 40);
  auto* b = AddBlock(160, 0, 40, 40);
  TGroupBlock* group = Group({a, b});
  ASSERT_EQ(CentreOf(group), (TDot{100, 20}));
  group->SetAngle(90);
  EXPECT_EQ(a->Angle(), 90);
  EXPECT_EQ(b->Angle(), 90);
  // Clockwise on screen: the left member goes up, the right one down.
  EXPECT_NEAR(CentreOf(a).X, 100, 1e-9);
  EXPECT_NEAR(CentreOf(a).Y, -60, 1e-9);
  EXPECT_NEAR(CentreOf(b).X, 100, 1e-9);
  EXPECT_NEAR(CentreOf(b).Y, 100, 1e-9);
}

TEST_F(GroupsTest, AGroupOfZeroWidthIsMovedNotScaled) {
  auto* line = qobject_cast<TCustomDiagramLine*>(FindClass(QStringLiteral("TDiagramLine"))->Factory(&form));
  line->SetDiagram(diagram);
  line->Handles()->Handle(0)->SetOrPoint({50, 0});
  line->Handles()->Handle(line->Handles()->Count() - 1)->SetOrPoint({50, 100});
  TGroupBlock* group = diagram->AddGroup();
  group->Members()->Add(line);
  ASSERT_EQ(group->BoundsRect().Width(), 0);
  group->SetBoundsRect({60, 0, 80, 100});
  for (const TDot& p : line->Points()) {
    EXPECT_TRUE(std::isfinite(p.X));
    EXPECT_EQ(p.X, 60);
  }
}

// --- Membership rules and files ------------------------------------------------------------------

TEST_F(GroupsTest, AnElementJoinsOneGroupAndNoGroupJoinsItself) {
  auto* a = AddBlock(0, 0);
  TGroupBlock* first = diagram->AddGroup();
  TGroupBlock* second = diagram->AddGroup();
  first->Members()->Add(a);
  second->Members()->Add(a);
  EXPECT_EQ(a->GroupBlock(), first);
  EXPECT_EQ(second->Members()->Controls().size(), 0u);
  second->Members()->Add(first);
  first->Members()->Add(second);  // would close a cycle
  first->Members()->Add(first);
  EXPECT_EQ(first->GroupBlock(), second);
  EXPECT_EQ(second->GroupBlock(), nullptr);
  EXPECT_EQ(first->Members()->Controls(), std::vector<TDiagramControl*>{a});
}

TEST_F(GroupsTest, GroupsSurviveSaveAndLoadByteForByte) {
  auto* a = AddBlock(100, 100);
  auto* b = AddBlock(200, 130);
  TGroupBlock* group = Group({a, b});
  group->SetAngle(20);
  const QByteArray saved = diagram->SaveToBytes(true);
  diagram->LoadFromBytes(saved, true);
  ASSERT_EQ(diagram->DControlCount(), 3);
  auto* loaded = qobject_cast<TGroupBlock*>(diagram->DControls(2));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->Members()->Controls().size(), 2u);
  EXPECT_EQ(diagram->DControls(0)->GroupBlock(), loaded);
  EXPECT_EQ(diagram->SaveToBytes(true), saved);
}

TEST_F(GroupsTest, MembershipFromAFileNeverMakesCyclesOrSharedMembers) {
  auto* a = AddBlock(0, 0);
  auto* b = AddBlock(100, 0);
  TGroupBlock* first = Group({a, b});
  TGroupBlock* second = diagram->AddGroup();
  QString text = QString::fromUtf8(diagram->SaveToBytes(true));
  // Hand-edit: the second group claims a block of the first, the first group and the
  // diagram itself (not an element).
  const QString secondHeader = QStringLiteral("object %1: TGroupBlock").arg(second->Name());
  ASSERT_TRUE(text.contains(secondHeader)) << text.toStdString();
  const QString members = QStringLiteral("Members = <\r\n      item\r\n        DControl = %1\r\n      end\r\n      item\r\n        DControl = %2\r\n      end\r\n      item\r\n        DControl = Diagram1\r\n      end>")
                              .arg(a->Name(), first->Name());
  const QString emptyList = QStringLiteral("Members = <>");
  const int at = text.indexOf(emptyList, text.indexOf(secondHeader));
  ASSERT_GT(at, 0);
  text.replace(at, emptyList.size(), members);
  const QString firstName = first->Name();
  diagram->LoadFromBytes(text.toUtf8(), true);

  auto* loadedFirst = qobject_cast<TGroupBlock*>(diagram->FindDControl(firstName));
  auto* loadedSecond = qobject_cast<TGroupBlock*>(diagram->FindDControl(QStringLiteral("___dgrGroup___2")));
  ASSERT_NE(loadedFirst, nullptr);
  ASSERT_NE(loadedSecond, nullptr);
  EXPECT_EQ(loadedFirst->Members()->Controls().size(), 2u);
  // The block stays with its first group; the group may nest; the diagram is refused.
  const std::vector<TDiagramControl*> expected{loadedFirst};
  EXPECT_EQ(loadedSecond->Members()->Controls(), expected);
  EXPECT_EQ(loadedSecond->Members()->Count(), 1) << "refused entries are dropped";
}

// --- Painting ----------------------------------------------------------------------------------

TEST_F(GroupsTest, AGroupPaintsItsMembersAndShowsADottedFrameWhileAMemberIsSelected) {
  diagram->resize(400, 300);
  diagram->SetGraphicLib(dglGDI);
  auto* a = AddBlock(100, 100);
  auto* b = AddBlock(200, 100);
  for (TDiagramBlock* block : {a, b}) {
    block->SetShape(ElementEnums::bsRectangle);
    block->SetColor(TColor(0x0000FF));
  }
  TGroupBlock* group = Group({a, b});
  ASSERT_EQ(group->BoundsRect(), (TSquare{100, 100, 240, 140}));
  diagram->UnselectAll();
  b->SetSelected(true);  // a member on its own: the group is not selected

  QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  {
    TCanvas canvas(&image);
    diagram->PaintTo(&canvas, psScreen, {0, 0});
  }
  EXPECT_EQ(image.pixelColor(120, 120), QColor(Qt::red)) << "members are painted";
  int grey = 0;
  for (int x = 150; x < 190; ++x)
    if (image.pixelColor(x, 100) == QColor(0x80, 0x80, 0x80)) ++grey;
  EXPECT_GT(grey, 5) << "the dotted grey frame between the members";
  EXPECT_LT(grey, 40) << "dotted, not solid";
  EXPECT_EQ(image.pixelColor(170, 120), QColor(Qt::white)) << "the group itself has no fill";
}

// --- Paint order ----------------------------------------------------------------------------------

TEST_F(GroupsTest, PaintOrderOperations) {
  auto* a = AddBlock(0, 0);
  auto* b = AddBlock(50, 0);
  auto* c = AddBlock(100, 0);
  a->SetName("A");
  b->SetName("B");
  c->SetName("C");
  const int snapshots = diagram->UndoStack()->Count();
  a->SetSelected(true);
  b->SetSelected(true);
  diagram->SendToBack();  // in selection order: a, then b before it
  EXPECT_EQ(Order(), (std::vector<QString>{"B", "A", "C"}));
  diagram->BringToFront();
  EXPECT_EQ(Order(), (std::vector<QString>{"C", "A", "B"}));
  diagram->MoveControlIndex(b, 0);
  EXPECT_EQ(Order(), (std::vector<QString>{"B", "C", "A"}));
  EXPECT_THROW(diagram->MoveControlIndex(b, 3), EListError);
  EXPECT_THROW(diagram->MoveControlIndex(b, -1), EListError);
  EXPECT_EQ(Order(), (std::vector<QString>{"B", "C", "A"}));
  EXPECT_EQ(diagram->UndoStack()->Count(), snapshots) << "paint order pushes no undo step";

  TGroupBlock* group = Group({a, b});
  ASSERT_EQ(group->Members()->Controls(), (std::vector<TDiagramControl*>{b, a}));
  diagram->BringToFront(b);  // a member moves inside its group
  EXPECT_EQ(group->Members()->Controls(), (std::vector<TDiagramControl*>{a, b}));
  EXPECT_EQ(diagram->DControls(0), b) << "the diagram's own order is untouched";
}

// --- Deleting --------------------------------------------------------------------------------------

TEST_F(GroupsTest, DeleteSkipsRestrictedElementsAndAlwaysPushesItsStep) {
  auto* a = AddBlock(0, 0);
  auto* kept = AddBlock(50, 0);
  kept->SetRestrictions(crNoDelete);
  diagram->PushUndoStack(QStringLiteral("setup"));
  a->SetSelected(true);
  kept->SetSelected(true);
  diagram->DeleteSelecteds();
  ASSERT_EQ(diagram->DControlCount(), 1);
  EXPECT_EQ(diagram->DControls(0), kept);
  EXPECT_TRUE(kept->Selected());
  EXPECT_EQ(diagram->NextUndoAction(), "delete");

  diagram->UnselectAll();
  diagram->PushUndoStack(QStringLiteral("other"));
  diagram->DeleteSelecteds();
  EXPECT_EQ(diagram->NextUndoAction(), "delete") << "pushed even with nothing selected";

  diagram->SetDesignMode(ddmNonEditable);
  diagram->PushUndoStack(QStringLiteral("locked"));
  diagram->DeleteSelecteds();
  EXPECT_EQ(diagram->NextUndoAction(), "locked");
}

TEST_F(GroupsTest, DeletingASelectedGroupDeletesItsMembersAndUndoBringsThemBack) {
  auto* a = AddBlock(0, 0);
  auto* b = AddBlock(100, 0);
  AddBlock(300, 0);
  TGroupBlock* group = Group({a, b});
  const QByteArray before = diagram->SaveToBytes(false);
  diagram->UnselectAll();
  group->SetSelected(true);
  diagram->DeleteSelecteds();
  EXPECT_EQ(diagram->DControlCount(), 1);
  diagram->Undo();
  EXPECT_EQ(diagram->DControlCount(), 4);
  EXPECT_EQ(diagram->SaveToBytes(false), before);
}

}  // namespace
