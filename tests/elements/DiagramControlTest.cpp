#include "document/vxDiagram.h"
#include "elements/DiagramControl.h"
#include "elements/DiagramLayers.h"
#include "elements/StretchHandles.h"
#include "elements/TextCells.h"
#include "geometry/BlockDrawer.h"
#include "support/TestElements.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct ElementFixture : ::testing::Test {
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  TTestBlock* block = Create<TTestBlock>(&form);
};

TEST_F(ElementFixture, ConstructionDefaults) {
  EXPECT_TRUE(block->Visible());
  EXPECT_TRUE(block->DiagramFont());
  EXPECT_TRUE(block->ParentShowHint());
  EXPECT_EQ(block->Cursor(), crDefault);
  EXPECT_EQ(block->InsertStyle(), isInsert);
  EXPECT_EQ(block->LinkPointStyle(), ptCross);
  EXPECT_EQ(block->LinkPointPen()->Color(), clBlue);
  EXPECT_EQ(block->LinkPointBrush()->Color(), clBlack);
  EXPECT_EQ(block->LinkPointBrush()->Style(), bsSolid);
  EXPECT_EQ(block->Drawer()->OriginalRect(), (TSquare{0, 0, 100, 100}));
  EXPECT_EQ(block->DControlID(), "TTestBlock") << "an empty identifier reads as the class name";
  EXPECT_EQ(block->EffectiveGraphicLib(), dglGDIPlus);
  EXPECT_FALSE(block->IsVisible()) << "not in a diagram";
}

TEST_F(ElementFixture, FontFollowsTheDiagramUntilChanged) {
  diagram->Font()->SetName(QStringLiteral("DejaVu Sans"));
  diagram->Font()->SetHeight(-20);
  block->SetDiagram(diagram);
  EXPECT_EQ(block->Font()->Height(), -20);
  EXPECT_TRUE(block->DiagramFont());
  diagram->Font()->SetHeight(-30);
  EXPECT_EQ(block->Font()->Height(), -30) << "a diagram font change reaches following elements";
  block->Font()->SetHeight(-12);
  EXPECT_FALSE(block->DiagramFont()) << "an own font change stops following";
  diagram->Font()->SetHeight(-40);
  EXPECT_EQ(block->Font()->Height(), -12);
  block->SetDiagramFont(true);
  EXPECT_EQ(block->Font()->Height(), -40);
}

TEST_F(ElementFixture, TextCellsTakeTheOwnersFontAndAngle) {
  block->SetDiagram(diagram);
  TTextCell* cell = block->DefaultTextCell();
  ASSERT_TRUE(block->HasDefaultTextCell());
  block->Font()->SetHeight(-17);
  EXPECT_EQ(cell->Font()->Height(), -17);
  cell->Font()->SetHeight(-9);
  EXPECT_FALSE(cell->DControlFont());
  block->Font()->SetHeight(-25);
  EXPECT_EQ(cell->Font()->Height(), -9);
}

TEST_F(ElementFixture, HintsFollowTheDiagramUntilSetOwn) {
  diagram->SetShowHint(true);
  block->SetDiagram(diagram);
  EXPECT_TRUE(block->ShowHint());
  EXPECT_TRUE(block->ParentShowHint());
  block->SetShowHint(false);
  EXPECT_FALSE(block->ParentShowHint());
  diagram->SetShowHint(false);
  diagram->SetShowHint(true);
  EXPECT_FALSE(block->ShowHint());
}

TEST_F(ElementFixture, TransparencyIsClamped) {
  block->SetTransparency(150);
  EXPECT_EQ(block->Transparency(), 100);
  block->SetTransparency(-3);
  EXPECT_EQ(block->Transparency(), 0);
}

TEST_F(ElementFixture, LayerNamesWaitForTheDiagramWhileLoading) {
  diagram->Layers()->Add(QStringLiteral("Front"));
  block->SetComponentState(csLoading);
  block->SetLayerName(QStringLiteral("front"));
  EXPECT_EQ(block->PendingLayerName(), "front");
  block->SetDiagram(diagram);
  EXPECT_EQ(block->LayerName(), "Front");
  EXPECT_TRUE(block->PendingLayerName().isEmpty());
}

TEST_F(ElementFixture, ALayerOfAnotherDiagramIsRefused) {
  auto* other = Create<TvxDiagram>(&form);
  TDiagramLayer* foreign = other->Layers()->Add(QStringLiteral("L"));
  block->SetDiagram(diagram);
  block->SetLayerObj(foreign);
  EXPECT_EQ(block->LayerObj(), nullptr);
}

TEST_F(ElementFixture, HandlesShowOnlyOnASelectedElement) {
  block->SetDiagram(diagram);
  TStretchHandle* grip = block->Handles()->Add(0, 0, crSizeNWSE, 1, hsSize);
  EXPECT_FALSE(grip->Visible());
  block->SetSelected(true);
  EXPECT_TRUE(grip->Visible());
  grip->SetVisible(false);
  EXPECT_FALSE(grip->Visible());
  grip->SetVisible(true);
  block->SetRestrictions(crNoResize);
  EXPECT_FALSE(grip->IsMovable());
  grip->SetAlwaysMovable(true);
  EXPECT_TRUE(grip->IsMovable());
  EXPECT_EQ(block->Handles()->FindByData(1), grip);
  EXPECT_EQ(block->Handles()->RotateHandle(), nullptr);
}

TEST_F(ElementFixture, SelectNextCellCyclesThroughVisibleCells) {
  block->SetDiagram(diagram);
  TTextCell* a = block->TextCells()->Add();
  TTextCell* b = block->TextCells()->Add();
  TTextCell* c = block->TextCells()->Add();
  b->SetVisible(false);
  EXPECT_EQ(block->SelectNextCell(a, true), c);
  EXPECT_EQ(block->SelectNextCell(c, true), a);
  EXPECT_EQ(block->SelectNextCell(a, false), c);
  auto* other = Create<TTestBlock>(&form);
  EXPECT_EQ(block->SelectNextCell(other->DefaultTextCell(), true), nullptr);
  c->SetVisible(false);
  EXPECT_EQ(block->SelectNextCell(a, true), a) << "a single visible cell returns itself";
}

TEST_F(ElementFixture, EngineChoiceFollowsTheDiagramUnlessSetOwn) {
  block->SetDiagram(diagram);
  diagram->SetGraphicLib(dglGDI);
  EXPECT_EQ(block->EffectiveGraphicLib(), dglGDI);
  block->SetGraphicLib(dglGDIPlus);
  diagram->SetGraphicLib(dglDirect2D);
  EXPECT_EQ(block->EffectiveGraphicLib(), dglGDIPlus);
}

}  // namespace
