#include "document/DiagramLibrary.h"
#include "document/UndoStack.h"
#include "document/vxDiagram.h"
#include "elements/Blocks.h"
#include "platform/Exceptions.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class ClipboardTest : public ::testing::Test {
protected:
  void SetUp() override {
    InitializeDiagramLibrary();
    QApplication::clipboard()->clear();
    diagram = Create<TvxDiagram>(&form);
    diagram->SetName(QStringLiteral("Diagram1"));
  }
  TDiagramBlock* AddBlock(TvxDiagram* target, QWidget& owner, const char* name, double left, double top) {
    auto* block = Create<TDiagramBlock>(&owner);
    block->SetName(QString::fromLatin1(name));
    block->SetLeft(left);
    block->SetTop(top);
    block->SetDiagram(target);
    return block;
  }
  QWidget form, otherForm;
  TvxDiagram* diagram = nullptr;
};

TEST_F(ClipboardTest, CopyPutsTheMarkerAndTheTextAndLeavesNamesAlone) {
  TDiagramBlock* block = AddBlock(diagram, form, "Block1", 10, 10);
  AddBlock(diagram, form, "Block2", 100, 10);
  block->SetSelected(true);
  EXPECT_TRUE(diagram->CanCopy());
  diagram->CopyToClipboard();
  const QMimeData* data = QApplication::clipboard()->mimeData();
  ASSERT_TRUE(data);
  EXPECT_TRUE(data->hasFormat(TvxDiagram::ClipboardFormat()));
  EXPECT_EQ(data->data(TvxDiagram::ClipboardFormat()).size(), 1);
  const QString text = data->text();
  EXPECT_TRUE(text.contains(QStringLiteral("object ___clip___Block1: TDiagramBlock")));
  EXPECT_FALSE(text.contains(QStringLiteral("Block2")));
  EXPECT_EQ(block->Name(), "Block1");
  EXPECT_TRUE(diagram->CanPaste());
}

TEST_F(ClipboardTest, PastesCascadeWithFreshNamesAndKeepTheDiagramSettings) {
  TDiagramBlock* block = AddBlock(diagram, form, "Block1", 10, 10);
  block->SetSelected(true);
  diagram->CopyToClipboard();
  diagram->SetZoom(250);
  int inserted = 0;
  diagram->OnInsertBlock = [&](TvxDiagram*, TDiagramControl*) { ++inserted; };

  diagram->PasteFromClipboard();
  ASSERT_EQ(diagram->DControlCount(), 2);
  auto* first = qobject_cast<TDiagramBlock*>(diagram->DControls(1));
  ASSERT_TRUE(first);
  EXPECT_EQ(first->Name(), "Block2");
  EXPECT_DOUBLE_EQ(first->Left(), 30);
  EXPECT_DOUBLE_EQ(first->Top(), 30);
  EXPECT_TRUE(first->Selected());
  EXPECT_FALSE(block->Selected());
  EXPECT_EQ(inserted, 1) << "insert events come once, after reading";
  EXPECT_EQ(diagram->Zoom(), 250) << "the copied text does not change the diagram's settings";
  EXPECT_EQ(diagram->NextUndoAction(), "paste");

  diagram->PasteFromClipboard();
  ASSERT_EQ(diagram->DControlCount(), 3);
  auto* second = qobject_cast<TDiagramBlock*>(diagram->DControls(2));
  EXPECT_EQ(second->Name(), "Block3");
  EXPECT_DOUBLE_EQ(second->Left(), 50);
  EXPECT_DOUBLE_EQ(second->Top(), 50);
}

// Each pasted block steps on by 20 until no other visible block has its corner there; pasted
// blocks already placed count, blocks still waiting and hidden blocks do not.
TEST_F(ClipboardTest, PastedBlocksStepPastEveryVisibleCornerIncludingEarlierCopies) {
  TDiagramBlock* a = AddBlock(diagram, form, "Block1", 10, 10);
  TDiagramBlock* b = AddBlock(diagram, form, "Block2", 30, 30);
  TDiagramBlock* hidden = AddBlock(diagram, form, "Block3", 70, 70);
  hidden->SetVisible(false);
  a->SetSelected(true);
  b->SetSelected(true);
  diagram->CopyToClipboard();
  diagram->PasteFromClipboard();
  ASSERT_EQ(diagram->DControlCount(), 5);
  auto* copyOfA = qobject_cast<TDiagramBlock*>(diagram->DControls(3));
  auto* copyOfB = qobject_cast<TDiagramBlock*>(diagram->DControls(4));
  ASSERT_TRUE(copyOfA && copyOfB);
  EXPECT_EQ(copyOfA->Name(), "Block4");
  EXPECT_EQ(copyOfB->Name(), "Block5");
  EXPECT_DOUBLE_EQ(copyOfA->Left(), 50);
  EXPECT_DOUBLE_EQ(copyOfA->Top(), 50);
  EXPECT_DOUBLE_EQ(copyOfB->Left(), 70);
  EXPECT_DOUBLE_EQ(copyOfB->Top(), 70);
}

// Copies take the first free counters of their base names, one after another, filling gaps.
TEST_F(ClipboardTest, PastedCopiesFillTheFreeCountersInOrder) {
  TDiagramBlock* one = AddBlock(diagram, form, "Block1", 10, 10);
  TDiagramBlock* three = AddBlock(diagram, form, "Block3", 200, 10);
  TDiagramBlock* step = AddBlock(diagram, form, "Step7", 400, 10);
  for (TDiagramBlock* block : {one, three, step}) block->SetSelected(true);
  diagram->CopyToClipboard();
  diagram->PasteFromClipboard();
  ASSERT_EQ(diagram->DControlCount(), 6);
  EXPECT_EQ(diagram->DControls(3)->Name(), "Block2");
  EXPECT_EQ(diagram->DControls(4)->Name(), "Block4");
  EXPECT_EQ(diagram->DControls(5)->Name(), "Step1");
}

TEST_F(ClipboardTest, AnotherDiagramWithFreeNamesKeepsTheName) {
  AddBlock(diagram, form, "Block1", 10, 10)->SetSelected(true);
  diagram->CopyToClipboard();
  auto* other = Create<TvxDiagram>(&otherForm);
  other->PasteFromClipboard();
  ASSERT_EQ(other->DControlCount(), 1);
  EXPECT_EQ(other->DControls(0)->Name(), "Block1");
  EXPECT_EQ(other->DControls(0)->parent(), &otherForm);
  EXPECT_DOUBLE_EQ(qobject_cast<TDiagramBlock*>(other->DControls(0))->Left(), 10);
}

TEST_F(ClipboardTest, RestrictedElementsAreNeitherCopiedNorCut) {
  TDiagramBlock* free = AddBlock(diagram, form, "Block1", 10, 10);
  TDiagramBlock* kept = AddBlock(diagram, form, "Block2", 100, 10);
  kept->SetRestrictions(crNoClipboard);
  free->SetSelected(true);
  kept->SetSelected(true);
  diagram->CutToClipboard();
  ASSERT_EQ(diagram->DControlCount(), 1);
  EXPECT_EQ(diagram->DControls(0), kept);
  const QString text = QApplication::clipboard()->text();
  EXPECT_TRUE(text.contains(QStringLiteral("Block1")));
  EXPECT_FALSE(text.contains(QStringLiteral("Block2")));
  EXPECT_EQ(diagram->NextUndoAction(), "delete");
}

TEST_F(ClipboardTest, ANameThatIsOnlyThePrefixGetsAFreshName) {
  AddBlock(diagram, form, "Block1", 10, 10)->SetSelected(true);
  diagram->CopyToClipboard();
  QString text = QApplication::clipboard()->text();
  text.replace(QStringLiteral("___clip___Block1"), QStringLiteral("___clip___"));
  auto* data = new QMimeData;
  data->setData(TvxDiagram::ClipboardFormat(), QByteArray(1, '\0'));
  data->setText(text);
  QApplication::clipboard()->setMimeData(data);
  diagram->PasteFromClipboard();
  ASSERT_EQ(diagram->DControlCount(), 2);
  EXPECT_EQ(diagram->DControls(1)->Name(), "DiagramBlock1");
}

TEST_F(ClipboardTest, ABrokenClipboardTextKeepsTheSettingsAndRaises) {
  auto* data = new QMimeData;
  data->setData(TvxDiagram::ClipboardFormat(), QByteArray(1, '\0'));
  data->setText(QStringLiteral("object TvxDiagram\r\n  Zoom = 300\r\n  object B: TNoSuchClass\r\n  end\r\nend\r\n"));
  QApplication::clipboard()->setMimeData(data);
  diagram->SetZoom(150);
  EXPECT_THROW(diagram->PasteFromClipboard(), Exception);
  EXPECT_EQ(diagram->Zoom(), 150);
}

TEST_F(ClipboardTest, GetControlAsTextWritesOneElementAndUnmarks) {
  AddBlock(diagram, form, "Block1", 10, 10);
  TDiagramBlock* b2 = AddBlock(diagram, form, "Block2", 50, 10);
  const QString text = diagram->GetControlAsText(b2);
  EXPECT_TRUE(text.contains(QStringLiteral("___clip___Block2")));
  EXPECT_FALSE(text.contains(QStringLiteral("Block1")));
  EXPECT_EQ(b2->Name(), "Block2");
}

TEST_F(ClipboardTest, NothingToPasteInANonEditableDiagram) {
  AddBlock(diagram, form, "Block1", 10, 10)->SetSelected(true);
  diagram->CopyToClipboard();
  diagram->SetDesignMode(ddmNonEditable);
  EXPECT_FALSE(diagram->CanPaste());
  diagram->PasteFromClipboard();
  EXPECT_EQ(diagram->DControlCount(), 1);
}

TEST_F(ClipboardTest, ChangedPrefixStillRoundTripsAndNamesCarryingItLoseIt) {
  diagram->SetClipboardNamePrefix(QStringLiteral("zz_"));
  TDiagramBlock* block = AddBlock(diagram, form, "zz_Block7", 10, 10);
  TDiagramBlock* bystander = AddBlock(diagram, form, "zz_Other", 90, 10);
  block->SetSelected(true);
  diagram->CopyToClipboard();
  EXPECT_EQ(block->Name(), "Block7");
  EXPECT_EQ(bystander->Name(), "Other");
  EXPECT_FALSE(QApplication::clipboard()->text().contains(QStringLiteral("Other"))) << "only the selection is copied";
  auto* other = Create<TvxDiagram>(&otherForm);
  other->SetClipboardNamePrefix(QStringLiteral("zz_"));
  other->PasteFromClipboard();
  ASSERT_EQ(other->DControlCount(), 1);
  EXPECT_EQ(other->DControls(0)->Name(), "Block7");
}

}  // namespace
