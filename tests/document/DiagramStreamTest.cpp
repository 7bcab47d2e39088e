#include "document/vxDiagram.h"
#include "elements/TextCells.h"
#include "streaming/ComponentStream.h"
#include "support/DiagramStreaming.h"
#include "support/TestElements.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

TEST(DiagramStream, SettingsAndElementsSurviveASaveLoadSaveCycle) {
  RegisterClass<TTestBlock>();
  RegisterClass<TTestLine>();
  QWidget form1, form2;
  auto* first = Create<TvxDiagram>(&form1);
  first->SetName(QStringLiteral("Diagram1"));
  first->SetZoom(150);
  first->SnapGrid()->SetActive(true);
  first->Layers()->Add(QStringLiteral("Back"));
  first->SetActiveLayers(6);
  first->PageLines()->Pen()->SetStyle(psSolid);  // the pen's type default, not the page lines' own
  auto* block = Create<TTestBlock>(&form1);
  block->SetDiagram(first);
  block->SetDControlID(QStringLiteral("custom"));
  block->SetCollapsed(true);
  auto* line = Create<TTestLine>(&form1);
  line->SetDiagram(first);

  const QByteArray saved = SaveDiagram(first);
  const QByteArray text = ObjectBinaryToText(saved);
  if (qEnvironmentVariableIsSet("DUMP_STREAM")) fprintf(stderr, "%s\n", text.constData());
  EXPECT_TRUE(text.contains("object Diagram1: TvxDiagram\r\n"));
  EXPECT_TRUE(text.contains("  Zoom = 150\r\n"));
  EXPECT_TRUE(text.contains("  object TestBlock1: TTestBlock\r\n"));
  EXPECT_TRUE(text.contains("    DControlID = 'custom'\r\n"));
  EXPECT_TRUE(text.contains("    Collapsed = True\r\n"));
  EXPECT_FALSE(text.contains("PaintLinesFirst")) << "a declared default is left out";

  auto* second = Create<TvxDiagram>(&form2);
  second->SetName(QStringLiteral("Diagram1"));
  LoadDiagram(second, saved);
  EXPECT_EQ(second->Zoom(), 150);
  EXPECT_TRUE(second->SnapGrid()->Active());
  EXPECT_EQ(second->ActiveLayers(), 6);
  EXPECT_EQ(second->PageLines()->Pen()->Style(), psSolid);
  ASSERT_EQ(second->DControlCount(), 2);
  EXPECT_EQ(second->BlockCount(), 1);
  EXPECT_EQ(second->LinkCount(), 1);
  EXPECT_EQ(second->DControls(0)->DControlID(), "custom");
  EXPECT_TRUE(second->DControls(0)->Collapsed());
  EXPECT_EQ(second->DControls(0)->parent(), &form2) << "elements belong to the diagram's owner";
  EXPECT_EQ(SaveDiagram(second), saved) << "save, load and save again give the same bytes";
}

}  // namespace
