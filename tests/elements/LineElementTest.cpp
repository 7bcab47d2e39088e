#include "LineTestSupport.h"
#include "elements/LinesText.h"
#include "elements/SideLineRouter.h"
#include "elements/TextCells.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace {

using LineTest = LineFixture;

void SetEnds(TCustomDiagramLine* line, TDot start, TDot end) {
  TStretchHandles* handles = line->Handles();
  handles->Handle(0)->SetOrPoint(start);
  handles->Handle(handles->Count() - 1)->SetOrPoint(end);
}

void ExpectOrthogonal(const TDotArray& points) {
  ASSERT_GE(points.size(), 2u);
  for (size_t i = 1; i < points.size(); ++i)
    EXPECT_NE(points[i].X == points[i - 1].X, points[i].Y == points[i - 1].Y) << "segment " << i;
}

// --- Construction -----------------------------------------------------------------------------

TEST_F(LineTest, NewStraightLine) {
  auto* line = Make<TDiagramLine>();
  EXPECT_EQ(HandlePoints(line->Handles()), (TDotArray{{0, 0}, {100, 50}}));
  EXPECT_EQ(line->Points(), (TDotArray{{0, 0}, {100, 50}}));
  EXPECT_EQ(line->LineStyle(), lsLine);
  EXPECT_EQ(line->TextCellsMode(), tmSingle);
  EXPECT_EQ(line->TextCells()->Count(), 1);
  ASSERT_EQ(line->LinkPoints()->Count(), 2);
  EXPECT_TRUE(line->SourceLinkPoint()->CanAnchor());
  for (TLineArrow* arrow : {line->SourceArrow(), line->TargetArrow()}) {
    EXPECT_EQ(arrow->Shape(), asNone);
    EXPECT_EQ(arrow->Width(), 10);
    EXPECT_EQ(arrow->Height(), 10);
    EXPECT_EQ(arrow->Brush()->Color(), clBlack);
    EXPECT_EQ(arrow->Brush()->Style(), bsSolid);
  }
  EXPECT_EQ(line->Handles()->Handle(0)->Cursor(), crSizeNWSE);
  EXPECT_EQ(line->SelPen()->Color(), line->Pen()->Color());
  EXPECT_EQ(diagram->LinkCount(), 1);
  EXPECT_EQ(diagram->Links(0), line);
}

TEST_F(LineTest, ConcreteLineClasses) {
  auto* side = Make<TDiagramSideLine>();
  EXPECT_EQ(side->LineStyle(), lsSideLine);
  EXPECT_EQ(side->TextCellsMode(), tmSegments);
  // Free ends: horizontally first along the longer axis, meeting half way.
  EXPECT_EQ(side->Points(), (TDotArray{{0, 0}, {45, 0}, {45, 50}, {100, 50}}));
  EXPECT_EQ(HandlePoints(side->Handles()), (TDotArray{{0, 0}, {45, 25}, {100, 50}}));
  EXPECT_EQ(side->TextCells()->Count(), 3) << "one cell per segment";
  EXPECT_EQ(side->Orientation1(), aoHorz);
  EXPECT_EQ(side->Orientation2(), aoHorz);

  auto* arc = Make<TDiagramArc>();
  EXPECT_EQ(arc->LineStyle(), lsParabolicArc);
  EXPECT_EQ(arc->ArcType(), atParabolic);
  EXPECT_EQ(arc->TextCellsMode(), tmSingle);
  ASSERT_EQ(arc->Handles()->Count(), 3);
  EXPECT_EQ(arc->Handles()->Handle(0)->OrPoint(), (TDot{50, 50}));
  EXPECT_NEAR(arc->Handles()->Handle(1)->OrX(), 87.5, 1e-9);
  EXPECT_NEAR(arc->Handles()->Handle(1)->OrY(), 62.5, 1e-9);
  EXPECT_EQ(arc->Points().size(), 100u);

  auto* bezier = Make<TDiagramBezier>();
  EXPECT_EQ(bezier->LineStyle(), lsBezier);
  EXPECT_EQ(bezier->Handles()->Count(), 4);
  EXPECT_EQ(bezier->TextCells()->Count(), 1);

  auto* poly = Make<TDiagramPolyLine>();
  EXPECT_EQ(poly->InsertStyle(), isDraw);
  EXPECT_EQ(diagram->LinkCount(), 4);
}

TEST_F(LineTest, ChangingTheStyleChangesTheBehaviourAtOnce) {
  auto* line = Make<TDiagramLine>();
  line->SetLineStyle(lsSideLine);
  EXPECT_EQ(line->Points(), (TDotArray{{0, 0}, {45, 0}, {45, 50}, {100, 50}}));
  EXPECT_EQ(line->Orientation1(), aoHorz);
  line->SetLineStyle(lsBezier);
  EXPECT_EQ(line->Handles()->Count(), 4);
  EXPECT_GT(line->Points().size(), 10u);
  line->SetLineStyle(lsCircularArc);
  EXPECT_EQ(line->Handles()->Count(), 3);
  EXPECT_GT(line->Points().size(), 10u);
  line->SetLineStyle(lsLine);
  EXPECT_EQ(HandlePoints(line->Handles()), (TDotArray{{0, 0}, {100, 50}})) << "the ends stay where they were";

  auto* arc = Make<TDiagramArc>();
  arc->SetArcType(atCircular);
  EXPECT_EQ(arc->LineStyle(), lsCircularArc);
  arc->SetLineStyle(lsParabolicArc);
  EXPECT_EQ(arc->ArcType(), atParabolic);
}

TEST_F(LineTest, StraightPointsAreRoundedToWholeUnits) {
  auto* line = Make<TDiagramLine>();
  SetEnds(line, {10.4, 20.6}, {30.5, 40.5});
  EXPECT_EQ(line->Points(), (TDotArray{{10, 21}, {30, 40}}));
}

// --- Text cells ---------------------------------------------------------------------------------

TEST(LineText, MiddlePointIsTheTrueMiddleOfThePolyline) {
  // Segments of 60 and 40: half of 100 lies 50 along the first one, then 10 to its left.
  EXPECT_EQ(MiddleTextPoint({{0, 0}, {60, 0}, {60, 40}}), (TDot{50, -10}));
  EXPECT_EQ(MiddleTextPoint({{0, 0}, {40, 0}, {40, 60}}), (TDot{50, 10})) << "on the second segment, going down";
  EXPECT_EQ(MiddleTextPoint({{0, 0}, {0, 100}}), (TDot{10, 50}));
  EXPECT_EQ(MiddleTextPoint({{0, 0}, {1, 0}}), (TDot{0, -10})) << "0.5 rounds to even";
  EXPECT_FALSE(MiddleTextPoint({{0, 0}}));
  EXPECT_EQ(MiddleTextPoint({{7, 7}, {7, 7}}), (TDot{7, -3}));
}

TEST(LineText, CellRectangles) {
  EXPECT_EQ(SegmentCellRect({0, 0}, {100, 0}), (TSquare{-50, -15, 150, 15}));
  EXPECT_EQ(SegmentCellRect({100, 50}, {100, 0}), (TSquare{0, 0, 200, 50}));
  EXPECT_EQ(SegmentCellRect({0, 0}, {300, 40}), (TSquare{0, 0, 300, 40}));
  EXPECT_EQ(MiddleCellRect({50, -10}, taCenter, ElementEnums::vaCenter), (TSquare{-100, -60, 200, 40}));
  EXPECT_EQ(MiddleCellRect({50, -10}, taLeftJustify, ElementEnums::vaTop), (TSquare{40, -20, 340, 80}));
  EXPECT_EQ(MiddleCellRect({50, -10}, taRightJustify, ElementEnums::vaBottom), (TSquare{-240, -100, 60, 0}));
}

TEST(LineText, EndCellsSitBesideTheEnds) {
  // A left-to-right line from (0, 0) to (100, 0): the base corners of a 20 x 20 head at
  // the start are (20, -10) and (20, 10).
  const TEndCellPlacement above = EndCellPlacement({0, 0}, {100, 0}, true);
  EXPECT_EQ(above.Rect, (TSquare{20, -110, 420, -10}));
  EXPECT_EQ(above.Alignment, taLeftJustify);
  EXPECT_EQ(above.VertAlign, ElementEnums::vaBottom);
  const TEndCellPlacement below = EndCellPlacement({0, 0}, {100, 0}, false);
  EXPECT_EQ(below.Rect, (TSquare{20, 10, 420, 110}));
  EXPECT_EQ(below.VertAlign, ElementEnums::vaTop);
  const TEndCellPlacement atEnd = EndCellPlacement({100, 0}, {0, 0}, false);
  EXPECT_EQ(atEnd.Rect, (TSquare{-320, -110, 80, -10}));
  EXPECT_EQ(atEnd.Alignment, taRightJustify);
}

TEST_F(LineTest, SingleCellSitsAtTheMiddle) {
  auto* poly = Make<TDiagramPolyLine>();
  poly->Handles()->Insert(1);
  poly->Handles()->Handle(1)->SetOrPoint({60, 0});
  SetEnds(poly, {0, 0}, {60, 40});
  ASSERT_EQ(poly->Points(), (TDotArray{{0, 0}, {60, 0}, {60, 40}}));
  ASSERT_EQ(poly->TextCells()->Count(), 1);
  TTextCell* cell = poly->TextCells()->Cell(0);
  EXPECT_EQ(cell->BoundsRect(), (TSquare{-100, -60, 200, 40}));
  EXPECT_EQ(cell->VertAlign(), ElementEnums::vaCenter);
  EXPECT_FALSE(cell->Clip());
}

TEST_F(LineTest, SegmentCellsFollowTheSegments) {
  auto* side = Make<TDiagramSideLine>();  // (0, 0) (45, 0) (45, 50) (100, 50)
  ASSERT_EQ(side->TextCells()->Count(), 3);
  EXPECT_EQ(side->TextCells()->Cell(0)->BoundsRect(), (TSquare{-77.5, -15, 122.5, 15}));
  EXPECT_EQ(side->TextCells()->Cell(1)->BoundsRect(), (TSquare{-55, 0, 145, 50}));
  EXPECT_EQ(side->TextCells()->Cell(2)->BoundsRect(), (TSquare{-27.5, 35, 172.5, 65}));
  EXPECT_EQ(side->TextCells()->Cell(1)->VertAlign(), ElementEnums::vaCenter);
  EXPECT_TRUE(side->TextCells()->Cell(2)->WordWrap());
  TLineTestBlock* a = MakeBlock({0, 0, 100, 100});
  TLineTestBlock* b = MakeBlock({300, 0, 400, 100});
  Connect(side, a->LinkPoints()->Point(sdRight), b->LinkPoints()->Point(sdLeft));
  EXPECT_EQ(side->Points(), (TDotArray{{100, 50}, {300, 50}}));
  EXPECT_EQ(side->TextCells()->Count(), 1) << "aligned ends: one segment";
  b->MoveBy(0, 100);
  EXPECT_EQ(side->TextCells()->Count(), 3);
  EXPECT_EQ(side->TextCells()->Cell(1)->BoundsRect(), (TSquare{95, 50, 295, 150}));
}

TEST_F(LineTest, SpecificCells) {
  auto* line = Make<TDiagramLine>();
  SetEnds(line, {0, 0}, {100, 0});
  line->SetTextCellsMode(tmSpecific);
  ASSERT_EQ(line->TextCells()->Count(), 5);
  TTextCells* cells = line->TextCells();
  EXPECT_EQ(line->CenterTextCell(), cells->Cell(0));
  EXPECT_EQ(line->SourceTextCell(), cells->Cell(1));
  EXPECT_EQ(line->TargetTextCell(), cells->Cell(2));
  EXPECT_EQ(line->AltSourceTextCell(), cells->Cell(3));
  EXPECT_EQ(line->AltTargetTextCell(), cells->Cell(4));
  EXPECT_EQ(line->SourceTextCell()->BoundsRect(), (TSquare{20, -110, 420, -10}));
  EXPECT_EQ(line->AltSourceTextCell()->BoundsRect(), (TSquare{20, 10, 420, 110}));
  EXPECT_EQ(line->TargetTextCell()->BoundsRect(), (TSquare{-320, -110, 80, -10}));
  EXPECT_EQ(line->AltTargetTextCell()->BoundsRect(), (TSquare{-320, 10, 80, 110}));
  EXPECT_EQ(line->TargetTextCell()->Alignment(), taRightJustify);

  cells->Delete(cells->IndexOf(line->TargetTextCell()));
  EXPECT_EQ(line->TargetTextCell(), nullptr) << "a freed cell is forgotten";
  line->UpdateLine();
  EXPECT_NE(line->TargetTextCell(), nullptr) << "the five cells are made sure of";
  EXPECT_EQ(cells->Count(), 5);

  line->SetTextCellsMode(tmSingle);
  EXPECT_EQ(line->CenterTextCell(), nullptr);
  EXPECT_EQ(cells->Count(), 1);
}

TEST_F(LineTest, EnteringSpecificModeWithFiveCellsKeepsTheirTexts) {
  auto* line = Make<TDiagramLine>();
  line->SetTextCellsMode(tmManual);
  while (line->TextCells()->Count() < 5) line->TextCells()->Add();
  const QStringList texts{"centre", "source", "target", "alt source", "alt target"};
  for (int i = 0; i < 5; ++i) line->TextCells()->Cell(i)->SetText(texts[i]);
  line->SetTextCellsMode(tmSpecific);
  ASSERT_EQ(line->TextCells()->Count(), 5);
  EXPECT_EQ(line->CenterTextCell()->Text(), "centre");
  EXPECT_EQ(line->SourceTextCell()->Text(), "source");
  EXPECT_EQ(line->AltTargetTextCell()->Text(), "alt target");
}

TEST_F(LineTest, ManualModeLeavesPointsUntilRecomputed) {
  auto* line = Make<TDiagramLine>();
  line->SetTextCellsMode(tmManual);
  line->Handles()->Handle(1)->SetOrPoint({200, 200});
  EXPECT_EQ(line->Points(), (TDotArray{{0, 0}, {100, 50}}));
  EXPECT_TRUE(line->PointInControl({150, 150})) << "hit testing recomputes";
  EXPECT_EQ(line->Points(), (TDotArray{{0, 0}, {200, 200}}));
}

// --- Geometry ---------------------------------------------------------------------------------

TEST_F(LineTest, HitTesting) {
  auto* slanted = Make<TDiagramLine>();
  EXPECT_TRUE(slanted->PointInControl({50, 25}));
  EXPECT_TRUE(slanted->PointInControl({50, 30}));
  EXPECT_FALSE(slanted->PointInControl({50, 31}));
  EXPECT_FALSE(slanted->PointInControl({106, 50}));
  auto* side = Make<TDiagramSideLine>();  // (0, 0) (45, 0) (45, 50) (100, 50)
  EXPECT_TRUE(side->PointInControl({20, -5}));
  EXPECT_FALSE(side->PointInControl({20, 6}));
  EXPECT_TRUE(side->PointInControl({40, 25}));
  EXPECT_FALSE(side->PointInControl({39, 25}));
  EXPECT_TRUE(side->PointInControl({100, 55}));
  EXPECT_FALSE(side->PointInControl({100, 56}));
  EXPECT_FALSE(side->PointInControl({106, 50}));
}

TEST_F(LineTest, ControlRectBoundsThePoints) {
  auto* side = Make<TDiagramSideLine>();
  EXPECT_EQ(side->ControlRect(), (TSquare{0, 0, 100, 50}));
  side->Handles()->Handle(1)->SetOrPoint({120, 25});
  EXPECT_EQ(side->ControlRect(), (TSquare{0, 0, 120, 50}));
  EXPECT_EQ(side->SurroundRect(), side->ControlRect());
  auto* arc = Make<TDiagramArc>();
  const TSquare r = arc->ControlRect();
  EXPECT_NEAR(r.Left, 50, 1e-9);
  EXPECT_NEAR(r.Bottom, 100, 1e-9);
  EXPECT_NEAR(r.Top, 50, 1e-6) << "the curve leaves its start horizontally";
  auto* bezier = Make<TDiagramBezier>();
  bezier->Handles()->Delete(3);
  bezier->Handles()->Delete(2);
  bezier->Handles()->Delete(1);
  bezier->Handles()->Delete(0);
  EXPECT_EQ(bezier->ControlRect(), (TSquare{2147483647, 2147483647, -2147483647, -2147483647}));
}

TEST_F(LineTest, MoveByMovesEveryHandle) {
  auto* arc = Make<TDiagramArc>();
  const TDotArray before = HandlePoints(arc->Handles());
  arc->MoveBy(10, -5);
  const TDotArray after = HandlePoints(arc->Handles());
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(after[i], (TDot{before[i].X + 10, before[i].Y - 5}));
}

// --- Lines follow blocks ----------------------------------------------------------------------

TEST_F(LineTest, EveryLineStyleFollowsAMovedResizedOrRotatedBlock) {
  TLineTestBlock* a = MakeBlock({0, 0, 100, 100});
  TLineTestBlock* b = MakeBlock({300, 0, 400, 100});
  auto* circular = Make<TDiagramArc>();
  circular->SetArcType(atCircular);
  std::vector<TCustomDiagramLine*> lines{Make<TDiagramLine>(), Make<TDiagramSideLine>(), Make<TDiagramArc>(),
                                         circular, Make<TDiagramBezier>()};
  for (TCustomDiagramLine* line : lines) Anchor(line, a->LinkPoints()->Point(sdRight), b->LinkPoints()->Point(sdLeft));

  auto expectEndsOnTheBlocks = [&](const char* when) {
    const TDot source = a->LinkPoints()->Point(sdRight)->DiagramPoint();
    const TDot target = b->LinkPoints()->Point(sdLeft)->DiagramPoint();
    for (TCustomDiagramLine* line : lines) {
      const TDotArray handles = HandlePoints(line->Handles());
      EXPECT_NEAR(handles.front().X, source.X, 1e-9) << when << " " << line->ClassName().toStdString();
      EXPECT_NEAR(handles.front().Y, source.Y, 1e-9) << when << " " << line->ClassName().toStdString();
      EXPECT_EQ(handles.back(), target) << when << " " << line->ClassName().toStdString();
      EXPECT_FALSE(line->Points().empty());
    }
  };
  expectEndsOnTheBlocks("anchored");
  a->MoveBy(30, 170);
  expectEndsOnTheBlocks("moved");
  a->SetRect({10, 150, 180, 230});
  expectEndsOnTheBlocks("resized");
  ExpectOrthogonal(lines[1]->Points());
  EXPECT_GT(lines[1]->Points()[1].X, lines[1]->Points()[0].X) << "leaves the block to the right";
  a->SetBlockAngle(90);
  expectEndsOnTheBlocks("rotated");
  ExpectOrthogonal(lines[1]->Points());
  EXPECT_GT(lines[1]->Points()[1].Y, lines[1]->Points()[0].Y) << "a right point turned by 90 degrees leaves downwards";
}

TEST_F(LineTest, RemovingABlockLeavesTheLineWhereItWas) {
  TLineTestBlock* a = MakeBlock({0, 0, 100, 100});
  TLineTestBlock* b = MakeBlock({300, 0, 400, 100});
  auto* line = Make<TDiagramSideLine>();
  Anchor(line, a->LinkPoints()->Point(sdRight), b->LinkPoints()->Point(sdLeft));
  const TDotArray before = line->Points();
  b->SetDiagram(nullptr);
  EXPECT_EQ(line->TargetLinkPoint()->Anchor(), nullptr);
  EXPECT_EQ(line->TargetLinkPoint()->AnchorIndex(), -1);
  EXPECT_EQ(b->LinkPoints()->Point(sdLeft)->AnchoredCount(), 0);
  EXPECT_EQ(line->Points(), before);
}

TEST_F(LineTest, NoReroutingInsideAnInternalUpdate) {
  TLineTestBlock* a = MakeBlock({0, 0, 100, 100});
  TLineTestBlock* b = MakeBlock({300, 0, 400, 100});
  auto* line = Make<TDiagramLine>();
  Anchor(line, a->LinkPoints()->Point(sdRight), b->LinkPoints()->Point(sdLeft));
  diagram->BeginInternalUpdate();
  a->MoveBy(0, 100);
  EXPECT_EQ(line->Handles()->Handle(0)->OrPoint(), (TDot{100, 50}));
  diagram->EndInternalUpdate();
  line->Reroute();
  EXPECT_EQ(line->Handles()->Handle(0)->OrPoint(), (TDot{100, 150}));
}

TEST_F(LineTest, UserShapedSideLineKeepsItsShape) {
  TLineTestBlock* a = MakeBlock({0, 0, 100, 100});
  TLineTestBlock* b = MakeBlock({300, 100, 400, 200});
  auto* line = Make<TDiagramSideLine>();
  Connect(line, a->LinkPoints()->Point(sdRight), b->LinkPoints()->Point(sdLeft));
  ASSERT_EQ(line->Points(), (TDotArray{{100, 50}, {195, 50}, {195, 150}, {300, 150}}));

  // Drag the inner handle 20 to the right: its segment follows along its normal.
  line->StartHandleMoving();
  THandleMoveInfo info;
  info.AHandle = line->Handles()->Handle(1);
  info.Delta = {20, 5};
  info.Action = haMoved;
  line->HandleMoving(info);
  EXPECT_EQ(line->Points(), (TDotArray{{100, 50}, {215, 50}, {215, 150}, {300, 150}}));
  EXPECT_EQ(line->TargetLinkPoint()->AnchorLink(), b->LinkPoints()->Point(sdLeft)) << "ends stay anchored";

  b->MoveBy(0, 30);
  EXPECT_EQ(line->Points(), (TDotArray{{100, 50}, {215, 50}, {215, 180}, {300, 180}}));
  a->MoveBy(10, 0);
  EXPECT_EQ(line->Points()[1].X, 225) << "keeps its spacing from the start";
  diagram->SetFixedSideLines(true);
  a->MoveBy(10, 0);
  EXPECT_EQ(line->Points()[1].X, 225) << "fixed: the segment stays where it is";
}

// --- Moving, inserting, dragging ----------------------------------------------------------------

TEST_F(LineTest, InsertedByAClick) {
  auto* line = Make<TDiagramLine>();
  TControlInsertInfo info;
  info.Action = iaInserted;
  info.P1 = {200, 100};
  info.P2 = {200, 100};
  info.Clicked = true;
  line->ControlInserting(info);
  EXPECT_EQ(HandlePoints(line->Handles()), (TDotArray{{200, 100}, {300, 150}}));
}

TEST_F(LineTest, InsertedBetweenTwoBlocks) {
  TLineTestBlock* a = MakeBlock({0, 0, 100, 100});
  TLineTestBlock* b = MakeBlock({200, 200, 300, 300});
  auto* line = Make<TDiagramSideLine>();
  TControlInsertInfo info;
  info.Action = iaDrawCursor;
  info.P1 = {100, 50};
  info.P2 = {250, 200};
  info.AnchorPoint1 = a->LinkPoints()->Point(sdRight);
  info.AnchorPoint2 = b->LinkPoints()->Point(sdTop);
  line->ControlInserting(info);
  EXPECT_EQ(HandlePoints(line->TempHandles()), (TDotArray{{100, 50}, {250, 200}}));
  EXPECT_EQ(line->Points(), (TDotArray{{0, 0}, {45, 0}, {45, 50}, {100, 50}})) << "feedback leaves the line alone";
  info.Action = iaInserted;
  line->ControlInserting(info);
  EXPECT_EQ(line->SourceLinkPoint()->AnchorLink(), a->LinkPoints()->Point(sdRight));
  EXPECT_EQ(line->TargetLinkPoint()->AnchorLink(), b->LinkPoints()->Point(sdTop));
  EXPECT_EQ(line->Points(), (TDotArray{{100, 50}, {250, 50}, {250, 200}}));
  EXPECT_EQ(line->Orientation1(), aoHorz);
  EXPECT_EQ(line->Orientation2(), aoVert);
}

TEST_F(LineTest, MovingALineWithItsBlocksUnselected) {
  TLineTestBlock* a = MakeBlock({0, 0, 100, 100});
  TLineTestBlock* b = MakeBlock({300, 0, 400, 100});
  auto* line = Make<TDiagramLine>();
  Anchor(line, a->LinkPoints()->Point(sdRight), b->LinkPoints()->Point(sdLeft));
  line->StartMoving();
  TControlMoveInfo info;
  info.Delta = {10, 20};
  info.Action = caDrawCursor;
  line->ControlMoving(info);
  EXPECT_EQ(HandlePoints(line->Handles()), (TDotArray{{100, 50}, {300, 50}})) << "feedback only";
  info.Action = caMoved;
  line->ControlMoving(info);
  EXPECT_EQ(HandlePoints(line->Handles()), (TDotArray{{110, 70}, {310, 70}}));
  line->UnlinkUnselectedAnchors();
  EXPECT_EQ(line->SourceLinkPoint()->Anchor(), nullptr);

  auto* kept = Make<TDiagramLine>();
  kept->SetRequiresConnections(true);
  Anchor(kept, a->LinkPoints()->Point(sdRight), b->LinkPoints()->Point(sdLeft));
  kept->UnlinkUnselectedAnchors();
  EXPECT_EQ(kept->SourceLinkPoint()->AnchorLink(), a->LinkPoints()->Point(sdRight));
}

TEST_F(LineTest, AnEndMovingAlongWithItsBlockKeepsItsOrientation) {
  TLineTestBlock* a = MakeBlock({0, 0, 100, 100});
  auto* line = Make<TDiagramSideLine>();
  Connect(line, a->LinkPoints()->Point(sdBottom), nullptr, {}, {100, 50});
  ASSERT_EQ(line->Points(), (TDotArray{{50, 100}, {50, 110}, {70, 110}, {70, 50}, {100, 50}}));
  ASSERT_EQ(line->Orientation1(), aoVert);
  TControlMoveInfo info;
  info.Delta = {10, 20};
  info.Action = caDrawCursor;
  // The block stays: the start is free and heads for the end (upwards).
  line->StartMoving();
  line->ControlMoving(info);
  line->ApplyCursorGeometry();
  EXPECT_EQ(line->Points(), (TDotArray{{60, 120}, {60, 70}, {110, 70}}));
  line->RestoreSavedGeometry();
  // The block moves along: the start keeps leaving its bottom point downwards.
  a->SetSelected(true);
  ASSERT_TRUE(a->Selected());
  info.Action = caMoved;
  line->ControlMoving(info);
  EXPECT_EQ(line->Points()[0], (TDot{60, 120}));
  EXPECT_EQ(line->Points()[1], (TDot{60, 130}));
}

TEST_F(LineTest, DraggingAnEndOntoALinkPointAnchorsIt) {
  TLineTestBlock* a = MakeBlock({200, 200, 300, 300});
  auto* line = Make<TDiagramLine>();
  line->StartHandleMoving();
  THandleMoveInfo info;
  info.AHandle = line->Handles()->Handle(1);
  info.Delta = {95, 5};
  info.AnchorPoint = a->LinkPoints()->Point(sdTop);
  info.Action = haDrawCursor;
  line->HandleMoving(info);
  EXPECT_EQ(line->TempHandles()->Handle(1)->OrPoint(), (TDot{250, 200}));
  info.Action = haMoved;
  line->HandleMoving(info);
  EXPECT_EQ(line->TargetLinkPoint()->AnchorLink(), a->LinkPoints()->Point(sdTop));
  EXPECT_EQ(line->Handles()->Handle(1)->OrPoint(), (TDot{250, 200}));

  // Dragged off again, without a point under it: unanchored, moved by the displacement.
  info.AnchorPoint = nullptr;
  info.Delta = {0, -100};
  line->HandleMoving(info);
  EXPECT_EQ(line->TargetLinkPoint()->Anchor(), nullptr);
  EXPECT_EQ(line->Handles()->Handle(1)->OrPoint(), (TDot{250, 100}));
}

TEST_F(LineTest, DrawnPolyline) {
  auto* poly = Make<TDiagramPolyLine>();
  TControlDrawInfo info;
  info.Action = daStart;
  info.P1 = {10, 10};
  poly->ControlDrawing(info);
  info.Action = daStep;
  info.P2 = {50, 10};
  poly->ControlDrawing(info);
  info.P2 = {50, 80};
  poly->ControlDrawing(info);
  EXPECT_EQ(HandlePoints(poly->Handles()), (TDotArray{{10, 10}, {50, 10}, {50, 80}}));
  info.Action = daDrawCursor;
  info.P1 = {50, 80};
  info.P2 = {90, 90};
  poly->ControlDrawing(info);
  EXPECT_EQ(HandlePoints(poly->TempHandles()), (TDotArray{{50, 80}, {90, 90}}));
  // A re-route keeps the drawn inner points.
  poly->Reroute();
  EXPECT_EQ(poly->Points(), (TDotArray{{10, 10}, {50, 10}, {50, 80}}));
}

// --- Texts survive feedback and reading ---------------------------------------------------------

TEST_F(LineTest, DragFeedbackKeepsTheSegmentTexts) {
  TLineTestBlock* a = MakeBlock({0, 0, 100, 100});
  TLineTestBlock* b = MakeBlock({300, 100, 400, 200});
  auto* line = Make<TDiagramSideLine>();
  Connect(line, a->LinkPoints()->Point(sdRight), b->LinkPoints()->Point(sdLeft));
  ASSERT_EQ(line->TextCells()->Count(), 3);
  for (int i = 0; i < 3; ++i) line->TextCells()->Cell(i)->SetText(QString("segment %1").arg(i));

  line->StartMoving();
  TControlMoveInfo info;
  info.Delta = {0, 100};
  info.Action = caDrawCursor;
  line->ControlMoving(info);
  ASSERT_EQ(line->TextCells()->Count(), 3);
  // A drag shape of two segments is shown in place of the line and taken back.
  line->TempHandles()->Delete(1);
  line->ApplyCursorGeometry();
  EXPECT_EQ(line->Points().size(), 3u);
  line->RestoreSavedGeometry();
  ASSERT_EQ(line->TextCells()->Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(line->TextCells()->Cell(i)->Text(), QString("segment %1").arg(i));
  EXPECT_EQ(line->Points(), (TDotArray{{100, 50}, {195, 50}, {195, 150}, {300, 150}}));
}

TEST_F(LineTest, AnUnroutableSideLineKeepsItsPreviousRoute) {
  TLineTestBlock* a = MakeBlock({0, 0, 100, 100});
  TLineTestBlock* b = MakeBlock({300, 100, 400, 200});
  auto* line = Make<TDiagramSideLine>();
  Connect(line, a->LinkPoints()->Point(sdRight), b->LinkPoints()->Point(sdLeft));
  const TDotArray handles = HandlePoints(line->Handles());
  const double nan = std::numeric_limits<double>::quiet_NaN();
  b->SetRect({nan, 100, 400, 200});
  EXPECT_EQ(HandlePoints(line->Handles()), handles);
  b->SetRect({300, 130, 400, 230});
  EXPECT_EQ(line->Points().back(), (TDot{300, 180})) << "routes again once the end is sound";
}

TEST_F(LineTest, DeletedWithoutFreeLeavesTheDiagram) {
  auto* line = Make<TDiagramLine>();
  ASSERT_EQ(diagram->LinkCount(), 1);
  delete line;
  EXPECT_EQ(diagram->LinkCount(), 0);
  EXPECT_EQ(diagram->DControlCount(), 0);
}

}  // namespace
