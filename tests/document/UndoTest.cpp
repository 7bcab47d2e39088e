#include "document/DiagramLibrary.h"
#include "document/UndoStack.h"
#include "document/vxDiagram.h"
#include "elements/Blocks.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <vector>

namespace {

class UndoTest : public ::testing::Test {
protected:
  void SetUp() override {
    InitializeDiagramLibrary();
    diagram = Create<TvxDiagram>(&form);
    diagram->SetName(QStringLiteral("Diagram1"));
  }
  TDiagramBlock* AddBlock(double left, double top) {
    auto* block = Create<TDiagramBlock>(&form);
    block->SetLeft(left);
    block->SetTop(top);
    block->SetDiagram(diagram);
    return block;
  }
  // What a snapshot holds, written as SaveToBytes writes a diagram. (Snapshots hold every
  // setting of the diagram, defaults too, so their own bytes are longer.)
  static QByteArray ContentOf(const QByteArray& state) {
    QWidget scratchForm;
    auto* scratch = Create<TvxDiagram>(&scratchForm);
    scratch->LoadFromBytes(state, false);
    return scratch->SaveToBytes(false);
  }
  QWidget form;
  TvxDiagram* diagram = nullptr;
};

TEST_F(UndoTest, ANewDiagramHoldsOneUnlabelledSnapshotAndNothingToUndo) {
  ASSERT_EQ(diagram->UndoStack()->Count(), 1);
  EXPECT_EQ(diagram->UndoStack()->Current(), 0);
  EXPECT_EQ(diagram->NextUndoAction(), "");
  EXPECT_EQ(diagram->NextRedoAction(), "");
}

TEST_F(UndoTest, UndoThenRedoGivesTheSameStreamAndRestoresZoom) {
  AddBlock(10, 10);
  diagram->PushUndoStack(QStringLiteral("insert"));
  const QByteArray before = diagram->SaveToBytes(false);
  AddBlock(100, 100);
  diagram->SetZoom(200);
  diagram->PushUndoStack(QStringLiteral("zoom"));
  const QByteArray after = diagram->SaveToBytes(false);
  EXPECT_EQ(diagram->NextUndoAction(), "zoom");

  diagram->Undo();
  EXPECT_EQ(diagram->Zoom(), 100);
  EXPECT_EQ(diagram->DControlCount(), 1);
  EXPECT_EQ(diagram->SaveToBytes(false), before);
  EXPECT_EQ(diagram->NextUndoAction(), "insert");
  EXPECT_EQ(diagram->NextRedoAction(), "zoom");

  diagram->Redo();
  EXPECT_EQ(diagram->Zoom(), 200);
  EXPECT_EQ(diagram->SaveToBytes(false), after);
  EXPECT_EQ(diagram->NextRedoAction(), "");
}

// A snapshot taken while a setting held its default brings that default back.
TEST_F(UndoTest, UndoRestoresSettingsThatHeldTheirDefaults) {
  AddBlock(10, 10);
  diagram->PushUndoStack(QStringLiteral("insert"));
  const QByteArray before = diagram->SaveToBytes(false);
  diagram->SetActiveLayers(6);
  diagram->SetHandlesStyle(ElementEnums::hsVisio);
  diagram->SnapGrid()->SetVisible(!diagram->SnapGrid()->Visible());
  diagram->SnapGrid()->SetSizeX(diagram->SnapGrid()->SizeX() + 3);
  diagram->PushUndoStack(QStringLiteral("settings"));
  const QByteArray after = diagram->SaveToBytes(false);
  ASSERT_NE(after, before);

  diagram->Undo();
  EXPECT_EQ(diagram->ActiveLayers(), 0);
  EXPECT_EQ(diagram->SaveToBytes(false), before);
  diagram->Redo();
  EXPECT_EQ(diagram->SaveToBytes(false), after);
}

TEST_F(UndoTest, ElevenPushesKeepTheNewestTenAndUndoStopsAtTheOldest) {
  for (int i = 1; i <= 11; ++i) {
    diagram->SetZoom(100 + i);
    diagram->PushUndoStack(QStringLiteral("p%1").arg(i));
  }
  ASSERT_EQ(diagram->UndoStack()->Count(), 10);
  EXPECT_EQ(diagram->UndoStack()->Item(0)->ActionName, "p2");
  EXPECT_EQ(diagram->UndoStack()->Item(9)->ActionName, "p11");
  int undone = 0;
  while (!diagram->NextUndoAction().isEmpty()) {
    diagram->Undo();
    ++undone;
    ASSERT_LE(undone, 10);
  }
  EXPECT_EQ(undone, 9);
  EXPECT_EQ(diagram->Zoom(), 102);
  diagram->Undo();  // nothing left: the oldest snapshot stays
  EXPECT_EQ(diagram->Zoom(), 102);
  EXPECT_EQ(diagram->UndoStack()->Current(), 0);
}

TEST_F(UndoTest, APushAfterUndoDropsTheRedoTail) {
  for (const char* label : {"a", "b", "c"}) diagram->PushUndoStack(QString::fromLatin1(label));
  diagram->Undo();
  diagram->Undo();
  EXPECT_EQ(diagram->NextRedoAction(), "b");
  diagram->PushUndoStack(QStringLiteral("d"));
  EXPECT_EQ(diagram->UndoStack()->Count(), 3);
  EXPECT_EQ(diagram->NextRedoAction(), "");
  EXPECT_EQ(diagram->NextUndoAction(), "d");
  const QByteArray now = diagram->SaveToBytes(false);
  diagram->Redo();
  EXPECT_EQ(diagram->SaveToBytes(false), now) << "nothing to redo";
}

TEST_F(UndoTest, UndoFiresNoModifiedOrRemovalEventsPerElement) {
  for (int i = 0; i < 3; ++i) AddBlock(10 * i, 0);
  diagram->PushUndoStack(QStringLiteral("insert"));
  AddBlock(300, 300);
  diagram->PushUndoStack(QStringLiteral("insert"));
  int modified = 0, removed = 0, inserted = 0;
  diagram->OnModified = [&](TvxDiagram*) { ++modified; };
  diagram->OnRemoveDControl = [&](TvxDiagram*, TDiagramControl*) { ++removed; };
  diagram->OnInsertDControl = [&](TvxDiagram*, TDiagramControl*) { ++inserted; };
  diagram->Undo();
  EXPECT_EQ(diagram->DControlCount(), 3);
  EXPECT_EQ(modified, 0);
  EXPECT_EQ(removed, 0);
  EXPECT_EQ(inserted, 0);
  ASSERT_TRUE(diagram->OnRemoveDControl) << "the removal handler is back after undo";
}

TEST_F(UndoTest, ClearUndoStackKeepsOneUnlabelledSnapshotOfThePresent) {
  diagram->PushUndoStack(QStringLiteral("x"));
  diagram->PushUndoStack(QStringLiteral("y"));
  AddBlock(5, 5);
  diagram->ClearUndoStack();
  ASSERT_EQ(diagram->UndoStack()->Count(), 1);
  EXPECT_EQ(diagram->UndoStack()->Item(0)->ActionName, "");
  EXPECT_EQ(ContentOf(diagram->UndoStack()->Item(0)->State), diagram->SaveToBytes(false));
  diagram->Undo();
  EXPECT_EQ(diagram->DControlCount(), 1);
}

// Snapshots are kept as content-defined chunks: a history of a large diagram that changes a
// little between steps stores the unchanged parts once, and every step still comes back
// byte for byte.
TEST_F(UndoTest, SnapshotsOfALargeDiagramShareUnchangedChunksAndRestoreExactly) {
  std::vector<TDiagramBlock*> blocks;
  for (int i = 0; i < 300; ++i) blocks.push_back(AddBlock(20 + (i % 20) * 120, 20 + (i / 20) * 90));
  diagram->ClearUndoStack();
  std::vector<QByteArray> states{diagram->SaveToBytes(false)};
  for (int step = 1; step < TDiagramUndoStack::MaxItems; ++step) {
    blocks[static_cast<size_t>(step * 37 % 300)]->SetLeft(5000 + step);  // one block moves per step
    if (step == 4) AddBlock(1, 1);                                     // and one arrives early on
    diagram->PushUndoStack(QStringLiteral("move"));
    states.push_back(diagram->SaveToBytes(false));
  }
  const TDiagramUndoStack* stack = diagram->UndoStack();
  ASSERT_EQ(stack->Count(), TDiagramUndoStack::MaxItems);
  qsizetype logical = 0;
  for (int i = 0; i < stack->Count(); ++i) {
    EXPECT_EQ(ContentOf(stack->Item(i)->State), states[static_cast<size_t>(i)]) << "snapshot " << i;
    EXPECT_GT(stack->Item(i)->State.Chunks().size(), 4u) << "a large snapshot is cut into chunks";
    logical += stack->Item(i)->State.size();
  }
  EXPECT_LT(stack->StoredBytes(), logical / 3);

  for (int i = stack->Count() - 2; i >= 0; --i) {
    diagram->Undo();
    EXPECT_EQ(diagram->SaveToBytes(false), states[static_cast<size_t>(i)]) << "after undo to " << i;
  }
}

}  // namespace
