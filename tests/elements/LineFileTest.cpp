// Lines in diagram files: every line style written with its diagram and read back.

#include "LineTestSupport.h"
#include "elements/Blocks.h"
#include "elements/LineJoin.h"
#include "elements/SideLineRouter.h"
#include "streaming/ComponentStream.h"
#include "support/DiagramStreaming.h"
#include "streaming/ObjectText.h"

#include <gtest/gtest.h>

namespace {

struct LineFileTest : LineFixture {
  LineFileTest() {
    RegisterBlockClasses();
    RegisterLineClasses();
    diagram->SetName(QStringLiteral("Diagram1"));
  }
  TDiagramBlock* MakeDiagramBlock(const TSquare& rect) {
    auto* block = Make<TDiagramBlock>();
    block->SetBoundsRect(rect);
    block->LinkPoints()->Add(0, 50, aoLeft);
    block->LinkPoints()->Add(50, 0, aoUp);
    block->LinkPoints()->Add(100, 50, aoRight);
    block->LinkPoints()->Add(50, 100, aoDown);
    return block;
  }
  TvxDiagram* Reloaded(const QByteArray& saved) {
    auto* second = Create<TvxDiagram>(&otherForm);
    second->SetName(QStringLiteral("Diagram1"));
    // Elements are made with their constructors' geometry before the stream gives them
    // theirs; the extent is computed once everything is in place.
    second->BeginUpdate();
    LoadDiagram(second, saved);
    second->EndUpdate();
    return second;
  }
  QWidget otherForm;
};

TCustomDiagramLine* LineNamed(TvxDiagram* diagram, const QString& name) {
  return qobject_cast<TCustomDiagramLine*>(diagram->FindDControl(name));
}

TEST_F(LineFileTest, EveryLineStyleSurvivesSaveAndLoad) {
  TDiagramBlock* a = MakeDiagramBlock({320, 320, 420, 400});
  TDiagramBlock* b = MakeDiagramBlock({700, 550, 800, 630});
  auto* straight = Make<TDiagramLine>();
  Connect(straight, a->LinkPoints()->Point(sdBottom), b->LinkPoints()->Point(sdLeft));
  straight->TargetArrow()->SetShape(asSolidArrow);
  straight->SourceArrow()->SetShape(asAngledDiamond);
  straight->SourceArrow()->SetWidth(16);
  straight->Pen()->SetWidth(2);
  auto* side = Make<TDiagramSideLine>();
  Connect(side, a->LinkPoints()->Point(sdRight), b->LinkPoints()->Point(sdTop));
  auto* parabolic = Make<TDiagramArc>();
  Connect(parabolic, a->LinkPoints()->Point(sdTop), b->LinkPoints()->Point(sdTop));
  auto* circular = Make<TDiagramArc>();
  circular->SetArcType(atCircular);
  Connect(circular, a->LinkPoints()->Point(sdLeft), nullptr, {}, {310, 600});
  // A new curve bulges above y = 0; it joins the diagram once it lies where it belongs, so
  // the diagram has no reason to shift its elements into view.
  auto* bezier = Create<TDiagramBezier>(&form);
  Connect(bezier, nullptr, b->LinkPoints()->Point(sdRight), {600, 330});
  bezier->SetDiagram(diagram);
  auto* poly = Make<TDiagramPolyLine>();
  static_cast<TStretchHandle*>(poly->Handles()->Insert(1))->SetOrPoint({550, 750});
  Connect(poly, nullptr, nullptr, {500, 700}, {600, 720});
  auto* shaped = Make<TDiagramSideLine>();
  Connect(shaped, b->LinkPoints()->Point(sdBottom), a->LinkPoints()->Point(sdBottom));
  for (int i = 0; i < shaped->TextCells()->Count(); ++i) shaped->TextCells()->Cell(i)->SetText(QString("part %1").arg(i));
  auto* join = Make<TDiagramLineJoin>();
  join->SetBoundsRect({790, 580, 810, 600});
  join->SetAnchorIndex(sdRight);
  join->SetAnchor(b);

  const QByteArray saved = SaveDiagram(diagram);
  const QByteArray text = ObjectBinaryToText(saved);
  if (qEnvironmentVariableIsSet("DUMP_STREAM")) fprintf(stderr, "%s\n", text.constData());
  EXPECT_TRUE(text.contains("LineStyle = lsSideLine\r\n"));
  EXPECT_TRUE(text.contains("Orientation1 = aoHorz\r\n"));
  EXPECT_TRUE(text.contains("ArcType = atCircular\r\n"));
  EXPECT_TRUE(text.contains("TargetArrow.Shape = asSolidArrow\r\n"));
  EXPECT_TRUE(text.contains("Handles = <"));
  EXPECT_TRUE(text.contains("LinkPoints = <"));

  TvxDiagram* second = Reloaded(saved);
  ASSERT_EQ(second->LinkCount(), 7);
  for (TCustomDiagramLine* line :
       std::vector<TCustomDiagramLine*>{straight, side, parabolic, circular, bezier, poly, shaped}) {
    TCustomDiagramLine* copy = LineNamed(second, line->Name());
    ASSERT_NE(copy, nullptr) << line->Name().toStdString();
    const std::string name = line->Name().toStdString();
    EXPECT_EQ(copy->metaObject(), line->metaObject()) << name;
    EXPECT_EQ(copy->LineStyle(), line->LineStyle()) << name;
    EXPECT_EQ(HandlePoints(copy->Handles()), HandlePoints(line->Handles())) << name;
    EXPECT_EQ(copy->Points(), line->Points()) << name;
    EXPECT_EQ(copy->Orientation1(), line->Orientation1()) << name;
    EXPECT_EQ(copy->Orientation2(), line->Orientation2()) << name;
    for (int end : {0, 1}) {
      TLinkPoint* original = line->LinkPoints()->Point(end)->AnchorLink();
      TLinkPoint* loaded = copy->LinkPoints()->Point(end)->AnchorLink();
      ASSERT_EQ(original == nullptr, loaded == nullptr) << name << " end " << end;
      if (original) {
        EXPECT_EQ(loaded->DControl()->Name(), original->DControl()->Name()) << name;
        EXPECT_EQ(loaded->Index(), original->Index()) << name;
      }
    }
  }
  auto* straightCopy = LineNamed(second, straight->Name());
  EXPECT_EQ(straightCopy->SourceArrow()->Shape(), asAngledDiamond);
  EXPECT_EQ(straightCopy->SourceArrow()->Width(), 16);
  EXPECT_EQ(straightCopy->Pen()->Width(), 2);
  EXPECT_EQ(qobject_cast<TDiagramArc*>(LineNamed(second, circular->Name()))->ArcType(), atCircular);
  auto* shapedCopy = LineNamed(second, shaped->Name());
  ASSERT_EQ(shapedCopy->TextCells()->Count(), shaped->TextCells()->Count());
  for (int i = 0; i < shaped->TextCells()->Count(); ++i)
    EXPECT_EQ(shapedCopy->TextCells()->Cell(i)->Text(), QString("part %1").arg(i));
  auto* joinCopy = qobject_cast<TDiagramLineJoin*>(second->FindDControl(join->Name()));
  ASSERT_NE(joinCopy, nullptr);
  EXPECT_EQ(joinCopy->BoundsRect(), (TSquare{790, 580, 810, 600})) << "sits on its anchor";
  EXPECT_EQ(SaveDiagram(second), saved) << "save, load and save again give the same bytes";
}

TEST_F(LineFileTest, SpecificCellsComeBackInTheirRoles) {
  RegisterClass<TSpecificTestLine>();
  auto* line = Make<TSpecificTestLine>();
  line->SourceTextCell()->SetText(QStringLiteral("1..*"));
  line->TargetTextCell()->SetText(QStringLiteral("0..1"));
  line->CenterTextCell()->SetText(QStringLiteral("owns"));
  line->AltTargetTextCell()->SetText(QStringLiteral("end"));
  const QByteArray saved = SaveDiagram(diagram);
  TvxDiagram* second = Reloaded(saved);
  auto* copy = LineNamed(second, line->Name());
  ASSERT_NE(copy, nullptr);
  ASSERT_EQ(copy->TextCells()->Count(), 5);
  EXPECT_EQ(copy->CenterTextCell()->Text(), "owns");
  EXPECT_EQ(copy->SourceTextCell()->Text(), "1..*");
  EXPECT_EQ(copy->TargetTextCell()->Text(), "0..1");
  EXPECT_EQ(copy->AltSourceTextCell()->Text(), "");
  EXPECT_EQ(copy->AltTargetTextCell()->Text(), "end");
  EXPECT_EQ(SaveDiagram(second), saved);
}

TEST_F(LineFileTest, SegmentTextsSurviveUndoAndPaste) {
  TDiagramBlock* a = MakeDiagramBlock({320, 320, 420, 400});
  TDiagramBlock* b = MakeDiagramBlock({700, 550, 800, 630});
  auto* line = Make<TDiagramSideLine>();
  Connect(line, a->LinkPoints()->Point(sdRight), b->LinkPoints()->Point(sdLeft));
  const int segments = line->TextCells()->Count();
  ASSERT_EQ(segments, 3);
  for (int i = 0; i < segments; ++i) line->TextCells()->Cell(i)->SetText(QString("segment %1").arg(i));
  const QString name = line->Name();
  const TDotArray points = line->Points();
  diagram->PushUndoStack(QStringLiteral("text edit"));
  b->MoveBy(0, -230);  // aligned ends: one segment, two texts gone
  ASSERT_EQ(line->TextCells()->Count(), 1);
  diagram->PushUndoStack(QStringLiteral("move"));
  diagram->Undo();
  auto* restored = LineNamed(diagram, name);
  ASSERT_NE(restored, nullptr);
  EXPECT_EQ(restored->Points(), points);
  ASSERT_EQ(restored->TextCells()->Count(), segments);
  for (int i = 0; i < segments; ++i) EXPECT_EQ(restored->TextCells()->Cell(i)->Text(), QString("segment %1").arg(i));

  // A copy of the line alone: free ends that keep the shape and the texts.
  const QString text = diagram->GetControlAsText(restored);
  const int before = diagram->LinkCount();
  diagram->MergeFromText(text);
  ASSERT_EQ(diagram->LinkCount(), before + 1);
  auto* pasted = qobject_cast<TCustomDiagramLine*>(diagram->Links(before));
  ASSERT_NE(pasted, nullptr);
  ASSERT_EQ(pasted->TextCells()->Count(), segments);
  for (int i = 0; i < segments; ++i) EXPECT_EQ(pasted->TextCells()->Cell(i)->Text(), QString("segment %1").arg(i));
  EXPECT_EQ(pasted->Points().size(), points.size());
}

TEST_F(LineFileTest, AStreamWithTooFewHandlesIsRepaired) {
  auto* line = Make<TDiagramArc>();
  QByteArray text = ObjectBinaryToText(SaveDiagram(diagram));
  // Keep only the first handle of the arc.
  const int start = text.indexOf("Handles = <");
  ASSERT_GE(start, 0);
  const int firstEnd = text.indexOf("end", start);
  const int close = text.indexOf(">", firstEnd);
  text.remove(firstEnd + 3, close - firstEnd - 3);
  TvxDiagram* second = Reloaded(ObjectTextToBinary(text));
  auto* copy = LineNamed(second, line->Name());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Handles()->Count(), 3);
  EXPECT_FALSE(copy->Points().empty());
}

}  // namespace
