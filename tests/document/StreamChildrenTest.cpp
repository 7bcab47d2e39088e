// Which children a stream may create in a diagram, what they are named, and elements made
// from library data.
#include "document/DiagramLibrary.h"
#include "document/vxDiagram.h"
#include "elements/Blocks.h"
#include "elements/GroupBlocks.h"
#include "elements/Lines.h"
#include "elements/LinkPoints.h"
#include "platform/Exceptions.h"

#include <QWidget>
#include <gtest/gtest.h>

// A component registered for streaming that is not an element.
class TNotAnElement : public TComponent {
  Q_OBJECT
public:
  explicit TNotAnElement(QObject* owner = nullptr) : TComponent(owner) {}
};

namespace {

class StreamChildrenTest : public ::testing::Test {
protected:
  void SetUp() override {
    InitializeDiagramLibrary();
    if (!IsClassRegistered(QStringLiteral("TNotAnElement"))) RegisterClass<TNotAnElement>();
    diagram = Create<TvxDiagram>(&form);
    diagram->SetName(QStringLiteral("Diagram1"));
  }
  static TDiagramBlock* AddBlock(QWidget& owner, TvxDiagram* target, double left) {
    auto* block = Create<TDiagramBlock>(&owner);
    block->SetBoundsRect({left, 100, left + 40, 140});
    block->LinkPoints()->Add(100, 50, aoRight);
    block->LinkPoints()->Add(0, 50, aoLeft);
    block->SetDiagram(target);
    return block;
  }
  static TCustomDiagramLine* AddLine(QWidget& owner, TvxDiagram* target, TDiagramControl* from, TDiagramControl* to) {
    auto* line = qobject_cast<TCustomDiagramLine*>(FindClass(QStringLiteral("TDiagramLine"))->Factory(&owner));
    line->SetDiagram(target);
    line->LinkPoints()->Point(0)->SetAnchor(from);
    line->LinkPoints()->Point(0)->SetAnchorIndex(0);
    line->LinkPoints()->Point(1)->SetAnchor(to);
    line->LinkPoints()->Point(1)->SetAnchorIndex(1);
    return line;
  }
  QWidget form, libraryForm;
  TvxDiagram* diagram = nullptr;
};

TEST_F(StreamChildrenTest, OnlyElementClassesMayBeCreatedInADiagram) {
  AddBlock(form, diagram, 100);
  const QByteArray before = diagram->SaveToBytes(true);
  QString text = QString::fromUtf8(before);
  text.insert(text.lastIndexOf(QStringLiteral("end")), QStringLiteral("  object Gadget1: TNotAnElement\r\n  end\r\n"));
  try {
    diagram->LoadFromBytes(text.toUtf8(), true);
    FAIL() << "a component that is not an element was created";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Class TNotAnElement not found");
  }
  EXPECT_EQ(diagram->SaveToBytes(true), before) << "the open diagram is kept";
}

TEST_F(StreamChildrenTest, AStoredNameTakenByAnotherComponentOfTheOwnerIsReplacedAndReferencesFollow) {
  // Two diagrams on one form: the file's names are already used by the other diagram.
  auto* first = AddBlock(form, diagram, 100);
  auto* second = AddBlock(form, diagram, 300);
  AddLine(form, diagram, first, second);
  const QByteArray file = diagram->SaveToBytes(true);

  auto* other = Create<TvxDiagram>(&form);
  other->LoadFromBytes(file, true);
  ASSERT_EQ(other->DControlCount(), 3);
  auto* loadedLine = qobject_cast<TCustomDiagramLine*>(other->DControls(2));
  ASSERT_NE(loadedLine, nullptr);
  EXPECT_NE(other->DControls(0)->Name(), first->Name());
  EXPECT_EQ(loadedLine->LinkPoints()->Point(0)->Anchor(), other->DControls(0)) << "not the first diagram's block";
  EXPECT_EQ(loadedLine->LinkPoints()->Point(1)->Anchor(), other->DControls(1));
  EXPECT_EQ(first->Diagram(), static_cast<TCustomDiagram*>(diagram));
}

TEST_F(StreamChildrenTest, AGroupedLibraryItemKeepsItsLinksAndTheRestOfTheDataIsFreed) {
  // The library item: a group of two blocks and the line between them, then a loose block.
  auto* library = Create<TvxDiagram>(&libraryForm);
  auto* a = AddBlock(libraryForm, library, 100);
  auto* b = AddBlock(libraryForm, library, 300);
  auto* line = AddLine(libraryForm, library, a, b);
  for (TDiagramControl* c : std::initializer_list<TDiagramControl*>{a, b, line}) c->SetSelected(true);
  ASSERT_NE(library->GroupSelectedBlocks(), nullptr);
  AddBlock(libraryForm, library, 500);
  const QString data = QString::fromUtf8(library->SaveToBytes(true));

  AddBlock(form, diagram, 100);  // its name clashes with the item's first block
  const int childrenBefore = static_cast<int>(form.children().size());
  TDiagramControl* made = diagram->CreateControlFromData(data, QStringLiteral("Pair"));
  ASSERT_NE(made, nullptr);
  auto* group = qobject_cast<TGroupBlock*>(made);
  ASSERT_NE(group, nullptr) << "the first element is a member: its outermost group is the result";
  EXPECT_EQ(made->Name(), "");
  EXPECT_EQ(made->Diagram(), nullptr);
  EXPECT_EQ(made->DControlID(), "Pair");
  ASSERT_EQ(group->Members()->Controls().size(), 3u);
  auto* madeLine = qobject_cast<TCustomDiagramLine*>(group->Members()->Controls()[2]);
  ASSERT_NE(madeLine, nullptr);
  EXPECT_EQ(madeLine->LinkPoints()->Point(0)->Anchor(), group->Members()->Controls()[0]);
  EXPECT_EQ(madeLine->LinkPoints()->Point(1)->Anchor(), group->Members()->Controls()[1]);
  EXPECT_EQ(static_cast<int>(form.children().size()), childrenBefore + 4) << "the loose block was freed";

  made->SetName(diagram->FindCompName(made, QString()));
  made->SetDiagram(diagram);
  EXPECT_EQ(diagram->DControlCount(), 5);
  EXPECT_EQ(madeLine->Diagram(), static_cast<TCustomDiagram*>(diagram));
}

TEST_F(StreamChildrenTest, DataWithoutElementsGivesNothing) {
  auto* empty = Create<TvxDiagram>(&libraryForm);
  EXPECT_EQ(diagram->CreateControlFromData(QString::fromUtf8(empty->SaveToBytes(true)), QStringLiteral("X")), nullptr);
}

}  // namespace

#include "StreamChildrenTest.moc"
