#include "document/vxDiagram.h"
#include "elements/DiagramLayers.h"
#include "platform/Exceptions.h"
#include "support/TestElements.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct DiagramFixture : ::testing::Test {
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);

  template <class T>
  T* Add(const QString& name = QString()) {
    T* element = Create<T>(&form);
    if (!name.isEmpty()) element->SetName(name);
    element->SetDiagram(diagram);
    return element;
  }
};

using DiagramNaming = DiagramFixture;

TEST_F(DiagramNaming, NewElementsTakeTheFirstFreeCounter) {
  auto* b1 = Add<TTestBlock>();
  auto* b2 = Add<TTestBlock>();
  EXPECT_EQ(b1->Name(), "TestBlock1");
  EXPECT_EQ(b2->Name(), "TestBlock2");
  Free(b1);
  EXPECT_EQ(Add<TTestBlock>()->Name(), "TestBlock1");
  EXPECT_EQ(Add<TTestLine>()->Name(), "TestLine1");
}

TEST_F(DiagramNaming, ComponentsOfTheFormCountAsTaken) {
  QObject other(&form);
  other.setObjectName(QStringLiteral("TestBlock1"));
  EXPECT_EQ(Add<TTestBlock>()->Name(), "TestBlock2");
  EXPECT_EQ(diagram->FindCompName(diagram->DControls(0), QStringLiteral("Shape")), "Shape1");
}

TEST_F(DiagramNaming, LookupIgnoresCase) {
  auto* block = Add<TTestBlock>();
  auto* line = Add<TTestLine>();
  EXPECT_EQ(diagram->FindDControl(QStringLiteral("testblock1")), block);
  EXPECT_EQ(diagram->FindBlock(QStringLiteral("TESTBLOCK1")), block);
  EXPECT_EQ(diagram->FindBlock(QStringLiteral("TestLine1")), nullptr);
  EXPECT_EQ(diagram->FindDControl(QStringLiteral("testline1")), line);
  EXPECT_EQ(diagram->FindDControl(QStringLiteral("nothing")), nullptr);
}

TEST_F(DiagramNaming, CreateControlNamesButDoesNotInsert) {
  RegisterClass<TTestBlock>();
  QString askedFor;
  diagram->OnBeforeCreateControl = [&](TvxDiagram*, const QString& id, QString& base) {
    askedFor = id;
    base = QStringLiteral("Decision");
  };
  TDiagramControl* made = diagram->CreateControl(&TTestBlock::staticMetaObject, QStringLiteral("flowDecision"));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(askedFor, "flowDecision");
  EXPECT_EQ(made->Name(), "Decision1");
  EXPECT_EQ(made->DControlID(), "flowDecision");
  EXPECT_EQ(made->Diagram(), nullptr);
  EXPECT_EQ(made->parent(), &form);
  EXPECT_EQ(diagram->CreateControl(nullptr, QString()), nullptr);
}

using DiagramLists = DiagramFixture;

TEST_F(DiagramLists, PaintOrderAndKinds) {
  auto* a = Add<TTestBlock>();
  auto* line = Add<TTestLine>();
  auto* b = Add<TTestBlock>();
  ASSERT_EQ(diagram->DControlCount(), 3);
  EXPECT_EQ(diagram->DControls(0), a);
  EXPECT_EQ(diagram->DControls(2), b);
  EXPECT_EQ(diagram->BlockCount(), 2);
  EXPECT_EQ(diagram->LinkCount(), 1);
  EXPECT_EQ(diagram->Links(0), line);
  a->BringToFront();
  EXPECT_EQ(diagram->DControls(2), a);
  b->SendToBack();
  EXPECT_EQ(diagram->DControls(0), b);
  line->SetDiagram(nullptr);
  EXPECT_EQ(diagram->LinkCount(), 0);
  EXPECT_EQ(diagram->DControlCount(), 2);
}

TEST_F(DiagramLists, IndexedAccessIsRangeChecked) {
  Add<TTestBlock>();
  EXPECT_THROW(diagram->DControls(1), EListError);
  EXPECT_THROW(diagram->DControls(-1), EListError);
  EXPECT_THROW(diagram->Blocks(5), EListError);
  EXPECT_THROW(diagram->Links(0), EListError);
  EXPECT_THROW(diagram->Selecteds(0), EListError);
}

TEST_F(DiagramLists, LinkBetweenBlocksInEitherDirection) {
  auto* a = Add<TTestBlock>();
  auto* b = Add<TTestBlock>();
  a->LinkPoints()->Add(0, 50, aoLeft);
  b->LinkPoints()->Add(100, 50, aoRight);
  auto* line = Add<TTestLine>();
  line->LinkPoints()->Point(0)->SetAnchorLink(a->LinkPoints()->Point(0));
  line->LinkPoints()->Point(1)->SetAnchorLink(b->LinkPoints()->Point(0));
  EXPECT_EQ(diagram->LinkBetweenBlocks(a, b), line);
  EXPECT_EQ(diagram->LinkBetweenBlocks(b, a), line);
  EXPECT_TRUE(diagram->AreBlocksLinked(b, a));
  EXPECT_EQ(diagram->LinkBetweenBlocks(a, nullptr), nullptr);
  EXPECT_EQ(a->LinkPoints()->Point(0)->AnchoredCount(), 1);
}

TEST_F(DiagramLists, RemovingABlockDetachesTheLinesAnchoredToIt) {
  auto* a = Add<TTestBlock>();
  a->LinkPoints()->Add(0, 50, aoLeft);
  auto* line = Add<TTestLine>();
  line->LinkPoints()->Point(0)->SetAnchorLink(a->LinkPoints()->Point(0));
  Free(a);
  EXPECT_EQ(line->LinkPoints()->Point(0)->Anchor(), nullptr);
  EXPECT_EQ(line->LinkPoints()->Point(0)->AnchorIndex(), -1);
  EXPECT_EQ(line->LastChange, acRemoval);
}

struct EventLog : DiagramFixture {
  QStringList log;
  void Hook() {
    diagram->OnInsertDControl = [&](TvxDiagram*, TDiagramControl* c) { log << "insert " + c->Name(); };
    diagram->OnInsertBlock = [&](TvxDiagram*, TDiagramControl* c) { log << "block " + c->Name(); };
    diagram->OnInsertLink = [&](TvxDiagram*, TDiagramControl* c) { log << "line " + c->Name(); };
    diagram->OnRemoveDControl = [&](TvxDiagram*, TDiagramControl* c) { log << "remove " + c->Name(); };
    diagram->OnModified = [&](TvxDiagram*) { log << "modified"; };
  }
};

TEST_F(EventLog, InsertEventsFireKindFirstThenElement) {
  Hook();
  Add<TTestBlock>(QStringLiteral("B"));
  Add<TTestLine>(QStringLiteral("L"));
  EXPECT_EQ(log, (QStringList{"block B", "modified", "insert B", "modified", "line L", "modified", "insert L",
                              "modified"}));
}

TEST_F(EventLog, NothingFiresWhileLoadingAndNoRemovalWhileDestroying) {
  Hook();
  diagram->SetComponentState(csLoading);
  auto* quiet = Add<TTestBlock>();
  EXPECT_TRUE(log.isEmpty());
  EXPECT_TRUE(quiet->Name().isEmpty()) << "names are given after loading";
  diagram->Loaded();
  EXPECT_EQ(quiet->Name(), "TestBlock1");
  diagram->BeginInternalUpdate();
  Add<TTestBlock>(QStringLiteral("B2"));
  diagram->EndInternalUpdate();
  EXPECT_EQ(log, (QStringList{"block B2", "insert B2"})) << "internal updates keep Modified silent";
  log.clear();
  Free(diagram);
  diagram = nullptr;
  EXPECT_TRUE(log.isEmpty());
}

TEST_F(EventLog, RemovalFiresRemoveThenModified) {
  auto* b = Add<TTestBlock>(QStringLiteral("B"));
  Hook();
  Free(b);
  EXPECT_EQ(log, (QStringList{"remove B", "modified"}));
}

using UpdateBatching = DiagramFixture;

TEST_F(UpdateBatching, OptimizedEndUpdateCountsRequestsAndRepaintsOnce) {
  auto* b = Add<TTestBlock>();
  const int before = diagram->InvalidationCount();
  diagram->BeginUpdate();
  b->SetVisible(false);
  b->SetVisible(true);
  b->SetTransparency(40);
  EXPECT_EQ(diagram->InvalidationCount(), before);
  EXPECT_EQ(diagram->EndUpdate(true), 3);
  EXPECT_EQ(diagram->InvalidationCount(), before + 1);

  diagram->BeginUpdate();
  EXPECT_EQ(diagram->EndUpdate(true), 0);
  EXPECT_EQ(diagram->InvalidationCount(), before + 1);

  diagram->BeginUpdate();
  EXPECT_EQ(diagram->EndUpdate(false), -1);
  EXPECT_EQ(diagram->InvalidationCount(), before + 2);
}

TEST_F(UpdateBatching, NestedEndUpdateReturnsMinusOneUntilTheOutermost) {
  auto* b = Add<TTestBlock>();
  diagram->BeginUpdate();
  diagram->BeginUpdate();
  b->SetTransparency(10);
  EXPECT_EQ(diagram->EndUpdate(true), -1);
  b->SetTransparency(20);
  EXPECT_EQ(diagram->EndUpdate(true), 2);
  EXPECT_EQ(diagram->EndUpdate(true), 0) << "an unbalanced EndUpdate stays harmless";
}

using Capabilities = DiagramFixture;

TEST_F(Capabilities, RestrictionsLayersAndDesignMode) {
  auto* b = Add<TTestBlock>();
  EXPECT_TRUE(b->CanMove() && b->CanResize() && b->CanRotate() && b->CanEdit() && b->CanLink() &&
              b->CanSelect() && b->CanCopyToClipboard() && b->CanMoveRotCenter());
  struct Case {
    TControlRestriction restriction;
    bool (TDiagramControl::*test)() const;
  } cases[] = {{crNoMove, &TDiagramControl::CanMove},         {crNoResize, &TDiagramControl::CanResize},
               {crNoRotation, &TDiagramControl::CanRotate},   {crNoEdit, &TDiagramControl::CanEdit},
               {crNoRotCenterMove, &TDiagramControl::CanMoveRotCenter},
               {crNoLink, &TDiagramControl::CanLink},         {crNoSelect, &TDiagramControl::CanSelect},
               {crNoClipboard, &TDiagramControl::CanCopyToClipboard}};
  for (const Case& c : cases) {
    b->SetRestrictions(c.restriction);
    EXPECT_FALSE((b->*c.test)()) << c.restriction;
    b->SetRestrictions({});
    EXPECT_TRUE((b->*c.test)()) << c.restriction;
  }

  TDiagramLayer* locked = diagram->Layers()->Add(QStringLiteral("Locked"));
  locked->SetEditable(false);
  b->SetLayerName(QStringLiteral("locked"));
  ASSERT_EQ(b->LayerObj(), locked);
  EXPECT_FALSE(b->CanMove() || b->CanResize() || b->CanRotate() || b->CanEdit() || b->CanLink());
  EXPECT_TRUE(b->CanSelect() && b->CanCopyToClipboard()) << "locked layers still select and copy";

  diagram->SetDesignMode(ddmNonEditable);
  b->SetLayerObj(nullptr);
  EXPECT_FALSE(b->CanSelect() || b->CanCopyToClipboard() || b->CanMove());
  b->SetSelected(true);
  EXPECT_FALSE(b->Selected());
}

TEST_F(Capabilities, SelectionFollowsVisibilityAndLayers) {
  auto* b = Add<TTestBlock>();
  QStringList log;
  diagram->OnSelectDControl = [&](TvxDiagram*, TDiagramControl*) { log << "select"; };
  diagram->OnUnselectDControl = [&](TvxDiagram*, TDiagramControl*) { log << "unselect"; };
  diagram->OnSelectionChanging = [&](TvxDiagram*) { log << "changing"; };
  diagram->OnSelectionChanged = [&](TvxDiagram*) { log << "changed"; };
  b->SetSelected(true);
  b->SetSelected(true);
  EXPECT_EQ(diagram->SelectedCount(), 1);
  EXPECT_EQ(log, (QStringList{"changing", "select", "changed"}));
  log.clear();
  b->SetVisible(false);
  EXPECT_FALSE(b->Selected());
  EXPECT_EQ(diagram->SelectedCount(), 0);
  EXPECT_EQ(log, (QStringList{"changing", "unselect", "changed"}));
  b->SetSelected(true);
  EXPECT_FALSE(b->Selected()) << "an invisible element cannot be selected";

  b->SetVisible(true);
  b->SetLayer(5);
  EXPECT_FALSE(b->IsVisible());
  diagram->ActivateLayer(5);
  EXPECT_TRUE(b->IsVisible());
  b->SetSelected(true);
  diagram->SetActiveLayers(0);
  EXPECT_TRUE(b->Selected()) << "changing the mask alone keeps the selection";
  diagram->ActivateLayer(5);
  diagram->DeactivateLayer(5);
  EXPECT_FALSE(b->Selected());
}

TEST(Layers, MaskIgnoresLayersOutOfRange) {
  QWidget form;
  auto* diagram = Create<TvxDiagram>(&form);
  diagram->ActivateLayer(64);
  diagram->ActivateLayer(-1);
  EXPECT_EQ(diagram->ActiveLayers(), 0);
  diagram->ActivateLayer(63);
  EXPECT_TRUE(diagram->LayerActive(63));
  EXPECT_LT(diagram->ActiveLayers(), 0) << "bit 63 is the sign bit of the stored Int64";
  EXPECT_FALSE(diagram->LayerActive(64));
  EXPECT_FALSE(diagram->LayerActive(-5));
  EXPECT_TRUE(diagram->LayerActive(0));
}

TEST(Layers, NamesAndLookup) {
  QWidget form;
  auto* diagram = Create<TvxDiagram>(&form);
  TDiagramLayers* layers = diagram->Layers();
  layers->Add(QString());
  TDiagramLayer* second = layers->Add(QString());
  layers->Add(QString());
  EXPECT_EQ(layers->Layer(2)->LayerName(), "Layer3");
  second->SetLayerName(QStringLiteral("X"));
  EXPECT_EQ(layers->Add(QString())->LayerName(), "Layer2");
  EXPECT_EQ(layers->FindByName(QStringLiteral("layer1")), layers->Layer(0));
  EXPECT_EQ(layers->FindByName(QString()), nullptr);
}

TEST(Layers, DeletingALayerLeavesItsElementsWithoutOne) {
  QWidget form;
  auto* diagram = Create<TvxDiagram>(&form);
  auto* block = Create<TTestBlock>(&form);
  block->SetDiagram(diagram);
  diagram->Layers()->Add(QStringLiteral("Hidden"))->SetVisible(false);
  block->SetLayerName(QStringLiteral("Hidden"));
  EXPECT_FALSE(block->IsVisible());
  diagram->Layers()->Delete(0);
  EXPECT_EQ(block->LayerObj(), nullptr);
  EXPECT_TRUE(block->IsVisible());
}

TEST(Zoom, ReadsBackTruncatedInExtendedPrecision) {
  QWidget form;
  auto* diagram = Create<TvxDiagram>(&form);
  const struct { int set, read; } cases[] = {{29, 28}, {35, 34}, {100, 100}, {150, 150}, {0, 1}, {5000, 1000}};
  for (const auto& c : cases) {
    diagram->SetZoom(c.set);
    EXPECT_EQ(diagram->Zoom(), c.read) << c.set;
  }
}

TEST_F(DiagramLists, TopmostVisibleElementAtAPosition) {
  auto* below = Add<TTestBlock>();
  auto* above = Add<TTestBlock>();
  above->Rect = {20, 20, 70, 70};
  auto* line = Add<TTestLine>();
  line->Rect = {0, 0, 100, 100};
  EXPECT_EQ(diagram->DControlAtPos({30, 30}, csmAll, cfAll), line);
  EXPECT_EQ(diagram->DControlAtPos({30, 30}, csmIgnoreLines, cfAll), above);
  above->SetVisible(false);
  EXPECT_EQ(diagram->DControlAtPos({30, 30}, csmIgnoreLines, cfAll), below);
  EXPECT_EQ(diagram->DControlAtPos({90, 90}, csmIgnoreLines, cfAll), nullptr);
}

TEST_F(DiagramLists, ForcedGridSnapsNewBlocksButNotLoadedOnes) {
  diagram->SnapGrid()->SetActive(true);
  diagram->SnapGrid()->SetForce(true);
  auto* placed = Create<TTestBlock>(&form);
  placed->Rect = {13, 21, 63, 71};
  placed->SetDiagram(diagram);
  EXPECT_EQ(placed->Rect.Left, 16);
  EXPECT_EQ(placed->Rect.Top, 24);
  diagram->SetComponentState(csLoading);
  auto* loaded = Create<TTestBlock>(&form);
  loaded->Rect = {13, 21, 63, 71};
  loaded->SetDiagram(diagram);
  EXPECT_EQ(loaded->Rect.Left, 13);
}

struct HintProbe : TvxDiagram {
  explicit HintProbe(QWidget* parent) : TvxDiagram(parent) {}
  using TvxDiagram::GetHint;
};

TEST(Hints, RectangleIsInCanvasPixelsUnderZoomAndScroll) {
  QWidget form;
  auto* probe = Create<HintProbe>(&form);
  TvxDiagram* diagram = probe;
  auto* block = Create<TTestBlock>(&form);
  block->Rect = {100, 100, 150, 140};
  block->SetDiagram(diagram);
  block->SetHint(QStringLiteral("Start here"));
  block->SetShowHint(true);
  diagram->resize(400, 300);
  diagram->SetAutoScroll(false);
  diagram->HorzScrollBar()->SetRange(2000);
  diagram->SetZoom(200);
  diagram->HorzScrollBar()->SetPosition(50);
  QString text;
  TRect rect;
  ASSERT_TRUE(probe->GetHint({200, 250}, text, rect));
  EXPECT_EQ(text, "Start here");
  EXPECT_EQ(rect, (TRect{150, 200, 250, 280}));
  EXPECT_FALSE(probe->GetHint({5, 5}, text, rect));
  block->SetShowHint(false);
  EXPECT_FALSE(probe->GetHint({200, 250}, text, rect));
}

TEST(Subscribers, RefreshToolbarsNotifiesInSubscriptionOrder) {
  struct Recorder : IDiagramSubscriber {
    QStringList* log;
    QString name;
    void DgrNotification(const TDgrNotificationInfo& info) override {
      *log << name + (info.Event == deLibraryChanged ? " library" : " ?");
    }
  };
  QWidget form;
  auto* diagram = Create<TvxDiagram>(&form);
  QStringList log;
  Recorder a, b;
  a.log = b.log = &log;
  a.name = "a";
  b.name = "b";
  diagram->AddSubscriber(&a);
  diagram->AddSubscriber(&b);
  diagram->RefreshToolbars();
  EXPECT_EQ(log, (QStringList{"a library", "b library"}));
}

TEST(DiagramAssign, CopiesSettingsButNotElementsAndKeepsNames) {
  QWidget form;
  auto* source = Create<TvxDiagram>(&form);
  auto* target = Create<TvxDiagram>(&form);
  source->SetName(QStringLiteral("Source"));
  target->SetName(QStringLiteral("Target"));
  source->SetZoom(250);
  source->SetPaintLinesFirst(true);
  source->SnapGrid()->SetSizeX(12);
  source->SetHandlesStyle(hsVisio);
  source->Layers()->Add(QStringLiteral("Notes"));
  Create<TTestBlock>(&form)->SetDiagram(source);
  target->Assign(source);
  EXPECT_EQ(target->Zoom(), 250);
  EXPECT_TRUE(target->PaintLinesFirst());
  EXPECT_EQ(target->SnapGrid()->SizeX(), 12);
  EXPECT_EQ(target->HandlesStyle(), hsVisio);
  ASSERT_EQ(target->Layers()->Count(), 1);
  EXPECT_EQ(target->Layers()->Layer(0)->LayerName(), "Notes");
  EXPECT_EQ(target->DControlCount(), 0);
  EXPECT_EQ(source->Name(), "Source");
  EXPECT_EQ(target->Name(), "Target");
  QObject stranger;
  EXPECT_THROW(target->Assign(&stranger), EConvertError);
}

TEST(DiagramLifetime, ClearFreesElementsAndResetsTheView) {
  QWidget form;
  auto* diagram = Create<TvxDiagram>(&form);
  for (int i = 0; i < 3; ++i) Create<TTestBlock>(&form)->SetDiagram(diagram);
  diagram->SetShowLinkPoints(false);
  diagram->SetZoom(250);
  diagram->SnapGrid()->SetActive(true);
  diagram->Clear();
  EXPECT_EQ(diagram->DControlCount(), 0);
  EXPECT_EQ(diagram->BlockCount(), 0);
  EXPECT_TRUE(diagram->ShowLinkPoints());
  EXPECT_EQ(diagram->Zoom(), 100);
  EXPECT_FALSE(diagram->SnapGrid()->Active());
}

TEST(DiagramLifetime, FreeingTheFormFreesElementsBeforeTheDiagram) {
  auto* form = new QWidget;
  auto* diagram = Create<TvxDiagram>(form);
  int removals = 0;
  diagram->OnRemoveDControl = [&](TvxDiagram*, TDiagramControl*) { ++removals; };
  auto* a = Create<TTestBlock>(form);
  a->SetDiagram(diagram);
  a->LinkPoints()->Add(0, 0, aoNone);
  auto* line = Create<TTestLine>(form);
  line->SetDiagram(diagram);
  line->LinkPoints()->Point(0)->SetAnchorLink(a->LinkPoints()->Point(0));
  delete form;  // sanitizers catch any use of a freed element or setting
  SUCCEED();
}

}  // namespace
