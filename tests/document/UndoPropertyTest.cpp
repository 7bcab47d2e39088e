// A random sequence of editing operations, each one undo step, undone step by step: every
// undo gives back the stream of the step before, byte for byte, down to the first one; redo
// goes all the way forward again.
#include "document/DiagramLibrary.h"
#include "document/UndoStack.h"
#include "document/vxDiagram.h"
#include "elements/Blocks.h"
#include "elements/GroupBlocks.h"
#include "elements/Lines.h"
#include "elements/LinkPoints.h"
#include "streaming/ObjectText.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <functional>
#include <random>

namespace {

// Text form, so a failure shows which properties differ.
std::string AsText(const QByteArray& binary) { return ObjectBinaryToText(binary).toStdString(); }

class TRandomEditor {
public:
  TRandomEditor(TvxDiagram* diagram, QObject* owner, unsigned seed) : FDiagram(diagram), FOwner(owner), FRandom(seed) {}

  // Applies one random operation; answers its label.
  QString Step() {
    const std::vector<std::pair<const char*, std::function<void()>>> operations{
        {"add block", [this] { AddBlock(); }},
        {"move", [this] { if (auto* b = AnyBlock()) b->MoveBy(Below(80) - 40, Below(80) - 40); }},
        {"resize", [this] { if (auto* b = AnyBlock()) b->SetWidth(40 + Below(100)); }},
        {"rotate", [this] { if (auto* b = AnyBlock()) b->SetAngle(Below(360)); }},
        {"text", [this] { if (auto* b = AnyBlock()) b->Strings()->SetText(QStringLiteral("T%1").arg(Below(1000))); }},
        {"link", [this] { AddLine(); }},
        {"group", [this] { SelectSome(); FDiagram->GroupSelectedBlocks(); }},
        {"ungroup", [this] { SelectSome(); FDiagram->UngroupSelectedBlocks(); }},
        {"delete", [this] { SelectSome(); FDiagram->DeleteSelecteds(); }},
        {"front", [this] { SelectSome(); FDiagram->BringToFront(); }},
        {"back", [this] { SelectSome(); FDiagram->SendToBack(); }},
        {"zoom", [this] { FDiagram->SetZoom(50 + Below(200)); }},
    };
    const auto& [label, operation] = operations[static_cast<size_t>(Below(static_cast<int>(operations.size())))];
    operation();
    return QString::fromLatin1(label);
  }

  void AddBlock() {
    auto* block = Create<TDiagramBlock>(FOwner);
    const double left = 200 + Below(600);
    const double top = 200 + Below(400);
    block->SetBoundsRect({left, top, left + 40 + Below(60), top + 40 + Below(40)});
    block->LinkPoints()->Add(50, 0, aoUp);
    block->LinkPoints()->Add(100, 50, aoRight);
    block->SetDiagram(FDiagram);
  }

private:
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(FRandom); }

  std::vector<TCustomDiagramBlock*> Blocks() const {
    std::vector<TCustomDiagramBlock*> blocks;
    for (int i = 0; i < FDiagram->DControlCount(); ++i)
      if (auto* block = qobject_cast<TDiagramBlock*>(FDiagram->DControls(i))) blocks.push_back(block);
    return blocks;
  }

  TCustomDiagramBlock* AnyBlock() {
    const auto blocks = Blocks();
    return blocks.empty() ? nullptr : blocks[static_cast<size_t>(Below(static_cast<int>(blocks.size())))];
  }

  void AddLine() {
    const auto blocks = Blocks();
    if (blocks.size() < 2) return;
    const char* classes[] = {"TDiagramLine", "TDiagramSideLine"};
    auto* line = qobject_cast<TDiagramControl*>(FindClass(QString::fromLatin1(classes[Below(2)]))->Factory(FOwner));
    line->SetDiagram(FDiagram);
    TLinkPoints* ends = line->LinkPoints();
    ends->Point(0)->SetAnchor(blocks[static_cast<size_t>(Below(static_cast<int>(blocks.size())))]);
    ends->Point(0)->SetAnchorIndex(0);
    ends->Point(ends->Count() - 1)->SetAnchor(blocks[static_cast<size_t>(Below(static_cast<int>(blocks.size())))]);
    ends->Point(ends->Count() - 1)->SetAnchorIndex(1);
  }

  void SelectSome() {
    FDiagram->UnselectAll();
    for (int i = 0; i < FDiagram->DControlCount(); ++i) {
      TDiagramControl* control = FDiagram->DControls(i);
      if (!control->IsMember() && Below(2) == 0) control->SetSelected(true);
    }
  }

  TvxDiagram* FDiagram;
  QObject* FOwner;
  std::mt19937 FRandom;
};

class UndoPropertyTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(UndoPropertyTest, UndoingEveryStepGivesBackEachEarlierStreamByteForByte) {
  InitializeDiagramLibrary();
  QWidget form;
  auto* diagram = Create<TvxDiagram>(&form);
  TRandomEditor editor(diagram, &form, GetParam());
  for (int i = 0; i < 4; ++i) editor.AddBlock();
  diagram->ClearUndoStack();

  // The stack keeps ten snapshots: the first one and nine steps.
  std::vector<QByteArray> states{diagram->SaveToBytes(false)};
  std::vector<QString> labels;
  for (int step = 0; step < 9; ++step) {
    const int before = diagram->UndoStack()->Current();
    const QString label = editor.Step();
    // Operations that record no step of their own (or record none this time) get one.
    if (diagram->UndoStack()->Current() == before) diagram->PushUndoStack(label);
    labels.push_back(label);
    states.push_back(diagram->SaveToBytes(false));
  }
  ASSERT_EQ(diagram->UndoStack()->Count(), 10);

  for (int step = 9; step > 0; --step) {
    diagram->Undo();
    ASSERT_EQ(AsText(diagram->SaveToBytes(false)), AsText(states[static_cast<size_t>(step - 1)]))
        << "undo of step " << step << " (" << labels[static_cast<size_t>(step - 1)].toStdString() << ")";
  }
  EXPECT_EQ(diagram->NextUndoAction(), "");
  for (int step = 1; step <= 9; ++step) {
    diagram->Redo();
    ASSERT_EQ(AsText(diagram->SaveToBytes(false)), AsText(states[static_cast<size_t>(step)])) << "redo of step " << step;
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, UndoPropertyTest, ::testing::Range(1u, 41u));

}  // namespace
