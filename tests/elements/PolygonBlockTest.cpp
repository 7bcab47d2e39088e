// Polygon and text blocks: point collections, creation values, published lists, the
// rebuild that keeps points, reference rectangle and bounds together, moving, resizing,
// rotating and point-handle drags, drawing a polygon point by point, and streaming.

#include "document/vxDiagram.h"
#include "elements/PolygonBlocks.h"
#include "elements/StretchHandles.h"
#include "geometry/PolygonGeometry.h"
#include "platform/Published.h"
#include "streaming/ComponentStream.h"
#include "streaming/ObjectText.h"
#include "support/DiagramStreaming.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <cmath>
#include <numbers>

namespace {

QStringList PublishedNames(const QMetaObject* meta) {
  QStringList names;
  for (const TPublishedProperty& p : PublishedProperties(meta)) names << p.Name;
  return names;
}

void ExpectDotNear(const TDot& actual, const TDot& expected, double tolerance = 1e-9) {
  EXPECT_NEAR(actual.X, expected.X, tolerance);
  EXPECT_NEAR(actual.Y, expected.Y, tolerance);
}

void ExpectSquareNear(const TSquare& actual, const TSquare& expected, double tolerance = 1e-9) {
  EXPECT_NEAR(actual.Left, expected.Left, tolerance);
  EXPECT_NEAR(actual.Top, expected.Top, tolerance);
  EXPECT_NEAR(actual.Right, expected.Right, tolerance);
  EXPECT_NEAR(actual.Bottom, expected.Bottom, tolerance);
}

TDot Turned(const TDot& p, const TDot& centre, double degrees) {
  const double r = degrees * std::numbers::pi / 180;
  const double dx = p.X - centre.X, dy = p.Y - centre.Y;
  return {centre.X + dx * std::cos(r) - dy * std::sin(r), centre.Y + dx * std::sin(r) + dy * std::cos(r)};
}

int PointHandleCount(const TDiagramControl* control) {
  int count = 0;
  for (int i = 0; i < control->Handles()->Count(); ++i)
    if (control->Handles()->Handle(i)->Data() == -1) ++count;
  return count;
}

struct PolygonFixture : ::testing::Test {
  PolygonFixture() {
    RegisterBlockClasses();
    diagram->SetGraphicLib(dglGDI);
  }

  // Draws the polygon through the drawing protocol: press at the first point, a release
  // at every further point, then the end of drawing.
  void Draw(TCustomPolygonBlock* target, const TDotArray& points) {
    TControlDrawInfo info;
    info.Diagram = diagram;
    info.Action = daStart;
    info.P1 = points.front();
    target->ControlDrawing(info);
    for (size_t i = 1; i < points.size(); ++i) {
      info.Action = daStep;
      info.P1 = points[i - 1];
      info.P2 = points[i];
      target->ControlDrawing(info);
    }
    info.Action = daInserted;
    target->ControlDrawing(info);
  }

  // The data model's invariant: points' box = reference rectangle = bounds.
  void ExpectFitted(const TCustomPolygonBlock* target) {
    const TSquare box = PolygonBounds(*target->Polygon());
    ExpectSquareNear(box, target->BoundsRect());
    EXPECT_EQ(target->OrRect(), box);
  }

  QWidget form;
  QWidget other;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);
  TPolygonBlock* polygon = Create<TPolygonBlock>(&form);
};

// --- Point collections ------------------------------------------------------------------

TEST(PolygonPoints, AddAppendAndClosedPoints) {
  TDrawPoints draw(nullptr);
  draw.Add(1, 2);
  draw.Add(3, 4);
  EXPECT_EQ(draw.Add()->P(), (TDot{0, 0}));
  draw.Append(&draw);
  ASSERT_EQ(draw.Count(), 6) << "appending a collection to itself copies each point once";
  EXPECT_EQ(draw.Point(4)->P(), (TDot{3, 4}));

  TPolygonPoints points(nullptr, false);
  EXPECT_TRUE(points.ClosedPoints().empty()) << "no points: nothing to close, no crash";
  points.Add(10, 20);
  EXPECT_EQ(points.ClosedPoints(), (TDotArray{{10, 20}, {10, 20}}));
  points.Add(30, 40);
  points.Add(5, 60);
  EXPECT_EQ(points.ClosedPoints(), (TDotArray{{10, 20}, {30, 40}, {5, 60}, {10, 20}}));
  EXPECT_EQ(PolygonBounds(points), (TSquare{5, 20, 30, 60}));
  EXPECT_EQ(PolygonBounds(TPolygonPoints(nullptr, false)), (TSquare{0, 0, 0, 0}));
}

TEST(PolygonPoints, AssignCopiesCoordinatesOnlyAndCopiesCarryHandlesByIndex) {
  QWidget form;
  auto* block = Create<TPolygonBlock>(&form);
  block->Polygon()->Add(0, 0);
  block->Polygon()->Add(10, 0);
  block->ChangePolygon();
  TStretchHandle* second = block->Polygon()->Point(1)->Handle();
  ASSERT_NE(second, nullptr);

  TPolygonPoints plain(nullptr, false);
  plain.Assign(block->Polygon());
  ASSERT_EQ(plain.Count(), 2);
  EXPECT_EQ(plain.Point(1)->P(), (TDot{10, 0}));
  EXPECT_EQ(plain.Point(1)->Handle(), nullptr) << "Assign copies X and Y only";

  TPolygonPoints copy(nullptr, false);
  copy.CopyFrom(*block->Polygon());
  EXPECT_EQ(copy.FindByHandle(second), copy.Point(1));
  EXPECT_EQ(copy.FindByHandle(nullptr), nullptr);
  copy.Clear();
  EXPECT_EQ(block->Polygon()->Point(1)->Handle(), second) << "a working copy frees no handle";
  EXPECT_EQ(PointHandleCount(block), 2);
}

// --- Geometry helpers -------------------------------------------------------------------

TEST(PolygonGeometry, FitRoundsVerticalOffsetsOnly) {
  TDotArray points{{0, 0}, {10.4, 3.4}, {20, 10}};
  FitPolygon(points, {100, 200, 140, 220});
  // Offsets from the box (0, 0, 20, 10): x scales by 2, y offset rounded (3.4 -> 3) then by 2.
  ExpectDotNear(points[0], {100, 200});
  ExpectDotNear(points[1], {120.8, 206});
  ExpectDotNear(points[2], {140, 220});
}

TEST(PolygonGeometry, FittingOntoOrFromEmptyRectanglesIsFinite) {
  struct Case {
    TDotArray Points;
    TSquare Rect;
    TDotArray Expected;
  };
  const Case cases[] = {
      {{{0, 0}, {10, 10}}, {5, 5, 5, 5}, {{5, 5}, {5, 5}}},             // onto a point
      {{{0, 0}, {10, 10}}, {0, 0, 0, 30}, {{0, 0}, {0, 30}}},           // onto a vertical line
      {{{0, 7}, {10, 7}}, {0, 0, 40, 20}, {{0, 0}, {40, 0}}},           // a flat polygon
      {{{3, 3}, {3, 3}, {3, 3}}, {10, 10, 20, 20}, {{10, 10}, {10, 10}, {10, 10}}},
  };
  for (const Case& c : cases) {
    TDotArray points = c.Points;
    FitPolygon(points, c.Rect);
    ASSERT_EQ(points.size(), c.Expected.size());
    for (size_t i = 0; i < points.size(); ++i) {
      EXPECT_TRUE(std::isfinite(points[i].X) && std::isfinite(points[i].Y));
      ExpectDotNear(points[i], c.Expected[i]);
    }
  }
  TDotArray none;
  FitPolygon(none, {0, 0, 10, 10});
  RotatePolygon(none, 30);
  EXPECT_TRUE(none.empty());
}

TEST(PolygonGeometry, RotateTurnsClockwiseAboutTheBoxCentre) {
  TDotArray points{{0, 0}, {20, 0}, {20, 10}};
  RotatePolygon(points, 90);
  // Box centre (10, 5); a quarter turn clockwise on screen maps (dx, dy) to (-dy, dx).
  ExpectDotNear(points[0], {15, -5});
  ExpectDotNear(points[1], {15, 15});
  ExpectDotNear(points[2], {5, 15});
}

// --- Creation and published lists ------------------------------------------------------

TEST_F(PolygonFixture, CreationValues) {
  EXPECT_EQ(polygon->Polygon()->Count(), 0);
  EXPECT_TRUE(polygon->Polygon()->DestroyObjects());
  EXPECT_EQ(polygon->OrRect(), (TSquare{0, 0, 100, 100}));
  EXPECT_EQ(polygon->BoundsRect(), (TSquare{0, 0, 50, 50}));
  EXPECT_EQ(polygon->RotationCenter(), (TDot{50, 50}));
  EXPECT_EQ(polygon->PointColor(), static_cast<TColor>(0x00FF00));
  EXPECT_EQ(polygon->Shape(), ElementEnums::bsNoShape);
  EXPECT_EQ(polygon->Alignment(), taCenter);
  EXPECT_EQ(polygon->VertAlign(), ElementEnums::vaCenter);
  EXPECT_EQ(polygon->InsertStyle(), isDraw);
  EXPECT_TRUE(polygon->ShapeCursor());
  EXPECT_EQ(PointHandleCount(polygon), 0);
  EXPECT_EQ(polygon->Handles()->Count(), 9);

  auto* text = Create<TTextBlock>(&form);
  EXPECT_EQ(text->Shape(), ElementEnums::bsNoShape);
  EXPECT_EQ(text->Restrictions(), TControlRestrictions(crNoRotation));
  EXPECT_EQ(text->TextCells()->Cell(0)->Text(), QStringLiteral("Text block"));
  EXPECT_EQ(text->Strings()->Text().trimmed(), QStringLiteral("Text block"));
  text->SetDiagram(diagram);
  EXPECT_FALSE(text->CanRotate());
  EXPECT_EQ(text->HandleClientPoint(text->Handles()->RotateHandle()), NullDot) << "no rotation grip";
}

TEST_F(PolygonFixture, PublishedListsInStreamOrder) {
  const QStringList polygonList = {
      "Name", "Left", "Top", "Width", "Height", "Angle", "Brush", "SelBrush", "Color", "SelColor", "Pen",
      "LinkPoints", "Strings", "Alignment", "VertAlign", "ClipText", "WordWrap", "TextCells", "Restrictions", "Font",
      "DiagramFont", "MinWidth", "MinHeight", "Shadow", "ShowHint", "ParentShowHint", "Hint", "Gradient", "Bitmap",
      "BitmapMode", "BitmapTransparent", "Metafile", "Picture", "PictureMode", "Transparent", "Cursor", "StringData",
      "Transparency", "PointColor", "LayerName"};
  EXPECT_EQ(PublishedNames(&TPolygonBlock::staticMetaObject), polygonList)
      << "no Shape, Visible or Layer: the file format has none for polygons";
  EXPECT_EQ(PublishedNames(&TTextBlock::staticMetaObject), PublishedNames(&TDiagramBlock::staticMetaObject));

  const TPublishedProperty* pointColor =
      FindPublishedProperty(&TPolygonBlock::staticMetaObject, QStringLiteral("PointColor"));
  ASSERT_NE(pointColor, nullptr);
  EXPECT_EQ(DeclaredDefaultValue(*pointColor), std::optional<qint64>(0x00FF00));
  EXPECT_TRUE(IsDefaultValue(polygon, *pointColor));
  polygon->SetPointColor(clRed);
  EXPECT_FALSE(IsDefaultValue(polygon, *pointColor));
  for (const char* name : {"Strings", "Alignment", "VertAlign", "WordWrap"}) {
    const TPublishedProperty* p = FindPublishedProperty(&TPolygonBlock::staticMetaObject, QString::fromLatin1(name));
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(IsPropertyStored(polygon, *p)) << name << " is kept in the text cells";
  }
  EXPECT_EQ(PublishedNames(&TDrawPoint::staticMetaObject), (QStringList{"X", "Y"}));
  EXPECT_EQ(PublishedNames(&TPolygonPoint::staticMetaObject), (QStringList{"X", "Y"}));
}

TEST_F(PolygonFixture, ClassesAreRegisteredForStreams) {
  EXPECT_TRUE(IsClassRegistered(QStringLiteral("TPolygonBlock")));
  EXPECT_TRUE(IsClassRegistered(QStringLiteral("TTextBlock")));
  RegisterBlockClasses();  // a second call is harmless
  EXPECT_TRUE(IsClassRegistered(QStringLiteral("TPolygonBlock")));
}

// --- Drawing and the rebuild ------------------------------------------------------------

TEST_F(PolygonFixture, DrawingATriangle) {
  polygon->SetDiagram(diagram);
  const TDot a{40, 30}, b{140, 50}, c{60, 130};
  Draw(polygon, {a, b, c});
  ASSERT_EQ(polygon->Polygon()->Count(), 3);
  EXPECT_EQ(polygon->Polygon()->Dots(), (TDotArray{a, b, c}));
  EXPECT_EQ(polygon->BoundsRect(), (TSquare{40, 30, 140, 130}));
  ExpectFitted(polygon);
  EXPECT_EQ(polygon->RotationCenter(), (TDot{50, 50}));
  EXPECT_EQ(polygon->RotationCenterPoint(), (TDot{90, 80}));
  for (int data = 1; data <= 9; ++data) EXPECT_NE(polygon->Handles()->FindByData(data), nullptr) << data;
  ASSERT_EQ(PointHandleCount(polygon), 3);
  for (int i = 0; i < 3; ++i) {
    TStretchHandle* handle = polygon->Polygon()->Point(i)->Handle();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->Data(), -1);
    EXPECT_EQ(handle->Style(), hsSize);
    EXPECT_EQ(handle->DiagramPoint(), polygon->Polygon()->Point(i)->P());
  }
  EXPECT_EQ(polygon->Handles()->FindByData(1)->DiagramPoint(), (TDot{40, 30}));
  EXPECT_EQ(polygon->Handles()->FindByData(5)->DiagramPoint(), (TDot{140, 130}));
}

TEST_F(PolygonFixture, ChangePolygonRebuildsHandlesButKeepsTheBounds) {
  polygon->SetBoundsRect({0, 0, 50, 50});
  polygon->Polygon()->Add(100, 100);
  polygon->Polygon()->Add(200, 100);
  polygon->Polygon()->Add(150, 180);
  polygon->ChangePolygon(polygon->Polygon());
  EXPECT_EQ(polygon->OrRect(), (TSquare{100, 100, 200, 180}));
  EXPECT_EQ(polygon->BoundsRect(), (TSquare{0, 0, 50, 50}));
  EXPECT_EQ(PointHandleCount(polygon), 3);
  polygon->ChangePolygon();
  EXPECT_EQ(PointHandleCount(polygon), 3) << "a second rebuild adds no handles";
  polygon->SetBoundsRect({10, 20, 110, 100});
  ExpectFitted(polygon);
  EXPECT_EQ(polygon->Polygon()->Point(2)->P(), (TDot{60, 100}));
}

TEST_F(PolygonFixture, MovedResizedAndRotatedPolygonsStayFitted) {
  polygon->SetDiagram(diagram);
  Draw(polygon, {{0, 0}, {100, 0}, {100, 50}, {50, 20}, {0, 50}});
  const TDotArray before = polygon->Polygon()->Dots();

  polygon->MoveBy(15.5, 7);
  ExpectFitted(polygon);
  for (size_t i = 0; i < before.size(); ++i) ExpectDotNear(polygon->Polygon()->Point(int(i))->P(), AddDots(before[i], {15.5, 7}));

  polygon->SetBoundsRect({0, 0, 200, 100});
  ExpectFitted(polygon);
  ExpectDotNear(polygon->Polygon()->Point(3)->P(), {100, 40});

  TControlMoveInfo move;
  move.Action = caMoved;
  move.Delta = {10, 10};
  polygon->ControlMoving(move);
  ExpectFitted(polygon);
  ExpectDotNear(polygon->Polygon()->Point(3)->P(), {110, 50});

  // Rotating by the rotation handle turns the block, not the stored points.
  THandleMoveInfo rotate;
  rotate.AHandle = polygon->Handles()->RotateHandle();
  rotate.Action = haMoved;
  const TDot grip = polygon->HandleClientPoint(rotate.AHandle);
  const TDot centre = polygon->RotationCenterPoint();
  rotate.Delta = SubDots(Turned(grip, centre, 90), grip);
  polygon->HandleMoving(rotate);
  EXPECT_EQ(polygon->Angle(), 90);
  ExpectFitted(polygon);
  ExpectDotNear(polygon->Polygon()->Point(3)->P(), {110, 50});

  // A size handle of the turned block stretches the points onto the new bounds.
  THandleMoveInfo size;
  size.AHandle = polygon->Handles()->FindByData(5);
  size.Action = haMoved;
  size.Delta = {-20, 30};
  const TSquare expected = polygon->HandleDragResult(size.AHandle, size.Delta).Rect;
  polygon->HandleMoving(size);
  EXPECT_EQ(polygon->BoundsRect(), expected);
  ExpectFitted(polygon);
}

TEST_F(PolygonFixture, DraggingAPointHandleReshapes) {
  polygon->SetDiagram(diagram);
  Draw(polygon, {{0, 0}, {100, 0}, {100, 100}, {0, 100}});
  THandleMoveInfo info;
  info.AHandle = polygon->Polygon()->Point(2)->Handle();
  info.Delta = {50, 20};
  info.Action = haPositionCursor;
  polygon->HandleMoving(info);
  EXPECT_EQ(polygon->CursorPolygon()->Point(2)->P(), (TDot{150, 120}));
  EXPECT_EQ(polygon->Polygon()->Point(2)->P(), (TDot{100, 100})) << "the cursor leaves the block alone";

  info.Action = haMoved;
  polygon->HandleMoving(info);
  EXPECT_EQ(polygon->Polygon()->Dots(), (TDotArray{{0, 0}, {100, 0}, {150, 120}, {0, 100}}));
  EXPECT_EQ(polygon->BoundsRect(), (TSquare{0, 0, 150, 120}));
  ExpectFitted(polygon);
  EXPECT_EQ(PointHandleCount(polygon), 4);
  EXPECT_EQ(polygon->Polygon()->Point(2)->Handle(), info.AHandle) << "the dragged handle stays the point's";
  EXPECT_EQ(info.AHandle->DiagramPoint(), (TDot{150, 120}));
}

TEST_F(PolygonFixture, DraggingAPointOfARotatedPolygonFollowsTheScreen) {
  polygon->SetDiagram(diagram);
  Draw(polygon, {{0, 0}, {100, 0}, {100, 60}, {0, 60}});
  polygon->SetAngle(90);
  TStretchHandle* handle = polygon->Polygon()->Point(1)->Handle();
  const TDot onScreen = handle->DiagramPoint();
  ExpectDotNear(onScreen, Turned({100, 0}, {50, 30}, 90));
  THandleMoveInfo info;
  info.AHandle = handle;
  info.Delta = {12, -8};
  info.Action = haMoved;
  polygon->HandleMoving(info);
  ExpectFitted(polygon);
  EXPECT_EQ(polygon->Angle(), 90);
  // Turning the stored points back on screen puts the moved one where the mouse left it
  // (up to the whole-unit rounding of vertical offsets that fitting applies).
  ExpectDotNear(handle->DiagramPoint(), AddDots(onScreen, info.Delta), 1.0);
  const TDot otherOnScreen = polygon->Polygon()->Point(3)->Handle()->DiagramPoint();
  ExpectDotNear(otherOnScreen, Turned({0, 60}, {50, 30}, 90), 1.0);
}

TEST_F(PolygonFixture, DragCursorGeometryIsAppliedAndRestored) {
  polygon->SetDiagram(diagram);
  Draw(polygon, {{0, 0}, {100, 0}, {50, 80}});
  TControlMoveInfo move;
  move.Action = caPositionCursor;
  move.Delta = {30, 40};
  polygon->ControlMoving(move);
  polygon->ApplyCursorGeometry();
  EXPECT_EQ(polygon->BoundsRect(), (TSquare{30, 40, 130, 120}));
  EXPECT_EQ(polygon->Polygon()->Point(2)->P(), (TDot{80, 120}));
  EXPECT_TRUE(polygon->PointInControl({80, 100}));
  EXPECT_NE(polygon->Polygon()->Point(0)->Handle(), nullptr) << "handles carried over by index";
  polygon->RestoreSavedGeometry();
  EXPECT_EQ(polygon->BoundsRect(), (TSquare{0, 0, 100, 80}));
  EXPECT_EQ(polygon->Polygon()->Point(2)->P(), (TDot{50, 80}));
  EXPECT_FALSE(polygon->PointInControl({80, 100}));
}

TEST_F(PolygonFixture, RotationCentreIsAnOffsetFromTheTopLeftCorner) {
  polygon->SetDiagram(diagram);
  Draw(polygon, {{100, 100}, {300, 100}, {300, 200}});
  EXPECT_EQ(polygon->RotationCenter(), (TDot{100, 50}));
  polygon->SetAngle(90);
  ExpectDotNear(polygon->RotationCenterPoint(), {200, 150});
  diagram->SetHandlesStyle(hsVisio);
  polygon->UpdateBlockHandles();
  THandleMoveInfo info;
  info.AHandle = polygon->Handles()->RotCenterHandle();
  ASSERT_NE(info.AHandle, nullptr);
  ExpectDotNear(polygon->HandleClientPoint(info.AHandle), {200, 150});
  info.Delta = {10, 0};
  info.Action = haMoved;
  polygon->HandleMoving(info);
  // Moving right on screen under a quarter turn moves the centre up in the block's frame.
  ExpectDotNear(polygon->RotationCenter(), {100, 40});
  ExpectDotNear(polygon->RotationCenterPoint(), {210, 150});
  // Stretching the block carries the centre along.
  polygon->SetAngle(0);
  polygon->SetBoundsRect({100, 100, 500, 300});
  ExpectDotNear(polygon->RotationCenter(), {200, 80});
}

TEST_F(PolygonFixture, TextCellsAndLinkPointsKeepTheirHundredSpace) {
  polygon->SetDiagram(diagram);
  Draw(polygon, {{200, 100}, {400, 100}, {300, 300}});
  EXPECT_EQ(polygon->SourceRectToClient({0, 0, 100, 100}), (TSquare{200, 100, 400, 300}));
  EXPECT_EQ(polygon->SourceRectToClient({50, 50, 100, 100}), (TSquare{300, 200, 400, 300}));
  EXPECT_EQ(polygon->OrRect(), (TSquare{200, 100, 400, 300})) << "the reference rectangle is put back";
  TLinkPoint* right = polygon->LinkPoints()->Add(100, 50, aoRight);
  EXPECT_EQ(polygon->LinkPointClientPoint(right), (TDot{400, 200}));
}

// --- Empty polygons ---------------------------------------------------------------------

TEST_F(PolygonFixture, AnEmptyPolygonIsSafeEverywhere) {
  polygon->SetDiagram(diagram);
  polygon->SetBoundsRect({10, 10, 90, 90});
  polygon->ChangePolygon();
  EXPECT_TRUE(polygon->Polygon()->ClosedPoints().empty());
  EXPECT_TRUE(polygon->SurroundPoints().empty());
  EXPECT_FALSE(polygon->PointInControl({50, 50}));
  EXPECT_EQ(diagram->DControlAtPos({50, 50}, csmAll, cfAll), nullptr);
  for (const double angle : {0.0, 45.0}) {
    polygon->SetAngle(angle);
    TControlMoveInfo move;
    move.Action = caPositionCursor;
    polygon->ControlMoving(move);
    polygon->ApplyCursorGeometry();
    polygon->RestoreSavedGeometry();
  }
  polygon->SetBoundsRect({0, 0, 0, 0});
  EXPECT_TRUE(std::isfinite(polygon->RotationCenter().X) && std::isfinite(polygon->RotationCenter().Y));
  EXPECT_EQ(PointHandleCount(polygon), 0);
}

TEST_F(PolygonFixture, PointsAddedAfterBoundsWereSetOnAnEmptyPolygonTurnAboutTheMiddle) {
  polygon->SetDiagram(diagram);
  polygon->SetBoundsRect({10, 10, 90, 90});  // reframes onto the empty box (0, 0, 0, 0)
  polygon->Polygon()->Add(100, 100);
  polygon->Polygon()->Add(300, 100);
  polygon->Polygon()->Add(200, 200);
  polygon->ChangePolygon();
  polygon->SetBoundsRect({100, 100, 300, 200});
  ExpectFitted(polygon);
  EXPECT_EQ(polygon->RotationCenter(), (TDot{100, 50})) << "not the corner of the box";
  polygon->SetAngle(90);
  ExpectDotNear(polygon->RotationCenterPoint(), {200, 150});
}

TEST_F(PolygonFixture, ASinglePointPolygonIsDegenerateButSafe) {
  polygon->SetDiagram(diagram);
  polygon->Polygon()->Add(50, 60);
  polygon->ChangePolygon();
  polygon->SetBoundsRect({50, 60, 50, 60});
  EXPECT_EQ(polygon->Polygon()->ClosedPoints(), (TDotArray{{50, 60}, {50, 60}}));
  EXPECT_FALSE(polygon->PointInControl({50, 60}));
  polygon->SetBoundsRect({0, 0, 40, 40});
  EXPECT_EQ(polygon->Polygon()->Point(0)->P(), (TDot{0, 0})) << "a box without extent maps to the corner";
  // One point has no extent to stretch: the bounds stay as set, the frame is the point.
  EXPECT_EQ(polygon->BoundsRect(), (TSquare{0, 0, 40, 40}));
  EXPECT_EQ(polygon->OrRect(), (TSquare{0, 0, 0, 0}));
  EXPECT_TRUE(std::isfinite(polygon->RotationCenterPoint().X) && std::isfinite(polygon->RotationCenterPoint().Y));
}

TEST_F(PolygonFixture, FreeingTheBlockFreesItsPointHandles) {
  polygon->SetDiagram(diagram);
  Draw(polygon, {{0, 0}, {100, 0}, {50, 80}});
  TPolygonPoints copy(nullptr, false);
  copy.CopyFrom(*polygon->Polygon());
  Free(polygon);
  polygon = nullptr;
  EXPECT_EQ(copy.Point(0)->Handle(), nullptr) << "a copy never keeps a freed handle";
  EXPECT_EQ(diagram->BlockCount(), 0);
}

// --- Streaming --------------------------------------------------------------------------

TEST_F(PolygonFixture, PointsAreWrittenAsACollectionLeavingZeroCoordinatesOut) {
  const QString empty = QString::fromUtf8(ObjectBinaryToText(WriteComponent(polygon)));
  EXPECT_TRUE(empty.contains(QStringLiteral("Polygon = <>"))) << empty.toStdString();
  EXPECT_FALSE(empty.contains(QStringLiteral("PointColor"))) << "written unless 0x00FF00";
  for (const QString& line : empty.split(u'\n')) {
    // The block's own lines, not those of its sub-objects and collection items.
    if (!line.startsWith(QStringLiteral("  ")) || line.startsWith(QStringLiteral("   "))) continue;
    const QString own = line.trimmed();
    for (const char* absent : {"Shape =", "Visible =", "Layer =", "TextCellsMode ="})
      EXPECT_FALSE(own.startsWith(QString::fromLatin1(absent))) << own.toStdString();
  }

  Draw(polygon, {{0, 10}, {20.5, 0}, {20.5, 30}});
  polygon->SetPointColor(clRed);
  const QString text = QString::fromUtf8(ObjectBinaryToText(WriteComponent(polygon)));
  EXPECT_TRUE(text.contains(QStringLiteral("PointColor = clRed"))) << text.toStdString();
  const qsizetype at = text.indexOf(QStringLiteral("Polygon = <"));
  ASSERT_GE(at, 0) << text.toStdString();
  const QString items = text.mid(at, text.indexOf(u'>', at) - at);
  EXPECT_EQ(items.count(QStringLiteral("item")), 3) << items.toStdString();
  EXPECT_EQ(items.count(QStringLiteral("X =")), 2) << "the point at X = 0 leaves X out\n" << items.toStdString();
  EXPECT_EQ(items.count(QStringLiteral("Y =")), 2) << "the point at Y = 0 leaves Y out\n" << items.toStdString();
}

TEST_F(PolygonFixture, ReadPointsReplaceTheOnesTheBlockHad) {
  Draw(polygon, {{10, 10}, {110, 10}, {60, 90}});
  const QByteArray stream = WriteComponent(polygon);

  auto* target = Create<TPolygonBlock>(&other);
  Draw(target, {{5, 5}, {60, 5}, {60, 60}, {5, 60}, {30, 30}});
  ASSERT_EQ(PointHandleCount(target), 5);
  ReadComponent(stream, target);
  EXPECT_EQ(target->Polygon()->Dots(), polygon->Polygon()->Dots()) << "replaced, not appended";
  EXPECT_EQ(PointHandleCount(target), 3) << "no handle is left over from the old points";
  for (int i = 0; i < 3; ++i) {
    ASSERT_NE(target->Polygon()->Point(i)->Handle(), nullptr);
    EXPECT_EQ(target->Polygon()->Point(i)->Handle()->DiagramPoint(), target->Polygon()->Point(i)->P());
  }
  ExpectFitted(target);
  EXPECT_EQ(WriteComponent(target), stream);
}

TEST_F(PolygonFixture, DiagramWithPolygonAndTextBlockSavesLoadsAndSavesIdentically) {
  polygon->SetDiagram(diagram);
  Draw(polygon, {{40, 30}, {140.25, 50}, {90, 90}, {60, 130}});
  polygon->SetAngle(30);
  polygon->SetColor(clYellow);
  polygon->SetPointColor(clBlue);
  polygon->DefaultTextCell()->SetText(QStringLiteral("inside"));
  auto* text = Create<TTextBlock>(&form);
  text->SetDiagram(diagram);
  text->SetBoundsRect({200, 20, 300, 60});
  text->DefaultTextCell()->SetText(QStringLiteral("a note"));

  const QByteArray first = SaveDiagram(diagram);
  auto* target = Create<TvxDiagram>(&other);
  target->SetGraphicLib(dglGDI);
  LoadDiagram(target, first);
  ASSERT_EQ(target->BlockCount(), 2);
  auto* loadedPolygon = qobject_cast<TPolygonBlock*>(target->Blocks(0));
  auto* loadedText = qobject_cast<TTextBlock*>(target->Blocks(1));
  ASSERT_NE(loadedPolygon, nullptr);
  ASSERT_NE(loadedText, nullptr);
  EXPECT_EQ(loadedPolygon->Polygon()->Dots(), polygon->Polygon()->Dots());
  EXPECT_EQ(loadedPolygon->BoundsRect(), polygon->BoundsRect());
  EXPECT_EQ(loadedPolygon->Angle(), 30);
  EXPECT_EQ(loadedPolygon->PointColor(), clBlue);
  EXPECT_EQ(PointHandleCount(loadedPolygon), 4);
  ExpectFitted(loadedPolygon);
  // A loaded polygon turns about the middle of its bounds, as the saved one did.
  ExpectDotNear(loadedPolygon->RotationCenterPoint(), polygon->RotationCenterPoint());
  EXPECT_EQ(loadedText->Shape(), ElementEnums::bsNoShape);
  EXPECT_EQ(loadedText->TextCells()->Cell(0)->Text(), QStringLiteral("a note"));
  EXPECT_EQ(SaveDiagram(target), first);

  const QString textForm = QString::fromUtf8(ObjectBinaryToText(first));
  EXPECT_TRUE(textForm.contains(QStringLiteral("Shape = bsNoShape"))) << "the text block writes its shape";
}

TEST_F(PolygonFixture, UndoBringsBackTheShapeBeforeAPointDrag) {
  polygon->SetDiagram(diagram);
  Draw(polygon, {{10, 10}, {110, 10}, {60, 90}});
  diagram->PushUndoStack(QStringLiteral("insert"));
  THandleMoveInfo info;
  info.AHandle = polygon->Polygon()->Point(2)->Handle();
  info.Action = haMoved;
  info.Delta = {40, 30};
  polygon->HandleMoving(info);
  diagram->PushUndoStack(QStringLiteral("resize"));
  diagram->Undo();
  ASSERT_EQ(diagram->BlockCount(), 1);
  auto* restored = qobject_cast<TPolygonBlock*>(diagram->Blocks(0));
  ASSERT_NE(restored, nullptr);
  EXPECT_EQ(restored->Polygon()->Dots(), (TDotArray{{10, 10}, {110, 10}, {60, 90}}));
  EXPECT_EQ(PointHandleCount(restored), 3);
  ExpectFitted(restored);
}

}  // namespace
