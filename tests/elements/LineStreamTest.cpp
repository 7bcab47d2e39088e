#include "LineTestSupport.h"
#include "elements/SideLineRouter.h"
#include "elements/TextCells.h"
#include "platform/Published.h"

#include <gtest/gtest.h>

namespace {

using LineStreamTest = LineFixture;

QStringList PublishedNames(const QMetaObject* meta) {
  QStringList names;
  for (const TPublishedProperty& property : PublishedProperties(meta)) names << property.Name;
  return names;
}

bool Stored(const QObject* object, const char* name) {
  const TPublishedProperty* property = FindPublishedProperty(object->metaObject(), QString::fromLatin1(name));
  return property && IsPropertyStored(object, *property);
}

TEST_F(LineStreamTest, PublishedPropertiesInStreamOrder) {
  const QStringList line{"Name", "Pen", "SelPen", "SourceArrow", "TargetArrow", "Cursor", "TextCells", "Font",
                         "StringData", "Visible", "Layer", "LayerName", "Transparency", "LineStyle",
                         "Orientation1", "Orientation2"};
  for (const QMetaObject* meta : {&TDiagramLine::staticMetaObject, &TDiagramSideLine::staticMetaObject,
                                  &TDiagramBezier::staticMetaObject, &TDiagramPolyLine::staticMetaObject})
    EXPECT_EQ(PublishedNames(meta), line) << meta->className();
  EXPECT_EQ(PublishedNames(&TDiagramArc::staticMetaObject), QStringList(line) << "ArcType");
  EXPECT_EQ(PublishedNames(&TLineArrow::staticMetaObject), (QStringList{"Shape", "Width", "Height", "Brush"}));
}

TEST_F(LineStreamTest, StoredConditions) {
  auto* line = Make<TDiagramLine>();
  line->SetOrientation1(aoUp);
  EXPECT_FALSE(Stored(line, "Orientation1")) << "a straight line never writes its orientations";
  EXPECT_FALSE(Stored(line, "Orientation2"));
  EXPECT_FALSE(Stored(line, "Font")) << "follows the diagram's font";
  line->Font()->SetHeight(-30);
  EXPECT_TRUE(Stored(line, "Font"));
  line->SetLineStyle(lsSideLine);
  EXPECT_TRUE(Stored(line, "Orientation1"));
  EXPECT_TRUE(Stored(line, "Orientation2"));
  // Ordinal settings without a declared default are always written.
  for (const char* name : {"LineStyle", "Visible", "Layer", "Transparency", "Cursor"}) {
    const TPublishedProperty* property = FindPublishedProperty(line->metaObject(), QString::fromLatin1(name));
    ASSERT_NE(property, nullptr) << name;
    EXPECT_FALSE(IsDefaultValue(line, *property)) << name;
  }
  for (const char* name : {"Shape", "Width", "Height"}) {
    const TPublishedProperty* property = FindPublishedProperty(line->SourceArrow()->metaObject(), QString::fromLatin1(name));
    EXPECT_FALSE(IsDefaultValue(line->SourceArrow(), *property)) << name;
  }
}

TEST_F(LineStreamTest, CustomPropertiesFollowTheElementOnes) {
  auto* line = Make<TDiagramSideLine>();
  TCustomPropertyFiler filer;
  line->DefineProperties(filer);
  QStringList names;
  for (const auto& defined : filer.Defined) names << defined.Name;
  EXPECT_EQ(names, (QStringList{"DControlID", "Collapsed", "Handles", "LinkPoints"}));
  EXPECT_TRUE(filer.Find("Handles")->HasData);
  EXPECT_TRUE(filer.Find("LinkPoints")->HasData);
  const auto stored = StoreLineCollections(line);
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].Items.size(), 3u) << "one item per handle";
  EXPECT_EQ(stored[1].Items.size(), 2u) << "one item per link point";
}

TEST_F(LineStreamTest, SideLineSegmentTextsSurviveLoading) {
  TLineTestBlock* a = MakeBlock({0, 0, 100, 100});
  TLineTestBlock* b = MakeBlock({300, 100, 400, 200});
  auto* line = Make<TDiagramSideLine>();
  Connect(line, a->LinkPoints()->Point(sdRight), b->LinkPoints()->Point(sdLeft));
  ASSERT_EQ(line->TextCells()->Count(), 3);
  for (int i = 0; i < 3; ++i) line->TextCells()->Cell(i)->SetText(QString("text %1").arg(i));

  auto* loaded = Make<TDiagramSideLine>();
  LoadLine(loaded, line, StoreLineCollections(line), &form);
  EXPECT_EQ(loaded->SourceLinkPoint()->AnchorLink(), a->LinkPoints()->Point(sdRight));
  EXPECT_EQ(loaded->TargetLinkPoint()->AnchorLink(), b->LinkPoints()->Point(sdLeft));
  EXPECT_EQ(loaded->Points(), line->Points());
  ASSERT_EQ(loaded->TextCells()->Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(loaded->TextCells()->Cell(i)->Text(), QString("text %1").arg(i));
  EXPECT_EQ(loaded->TextCells()->Cell(1)->BoundsRect(), line->TextCells()->Cell(1)->BoundsRect());
}

TEST_F(LineStreamTest, FreeSideLineKeepsItsEndOrientations) {
  // Shape a line between two blocks, then let go of them: its route starts vertically.
  TLineTestBlock* a = MakeBlock({0, 0, 100, 100});
  TLineTestBlock* b = MakeBlock({300, 200, 400, 300});
  auto* line = Make<TDiagramSideLine>();
  Connect(line, a->LinkPoints()->Point(sdBottom), b->LinkPoints()->Point(sdLeft));
  Anchor(line, nullptr, nullptr);
  ASSERT_EQ(line->Orientation1(), aoVert);
  ASSERT_EQ(line->Orientation2(), aoHorz);
  const TDotArray shaped = line->Points();
  ASSERT_EQ(shaped, (TDotArray{{50, 100}, {50, 250}, {300, 250}}));

  auto* loaded = Make<TDiagramSideLine>();  // routed horizontally first when made
  LoadLine(loaded, line, StoreLineCollections(line), &form);
  EXPECT_EQ(loaded->Orientation1(), aoVert);
  EXPECT_EQ(loaded->Orientation2(), aoHorz);
  EXPECT_EQ(loaded->Handles()->Handle(0)->Data(), SideLine::VerticalData);
  EXPECT_EQ(loaded->Handles()->Handle(loaded->Handles()->Count() - 1)->Data(), SideLine::HorizontalData);
  EXPECT_EQ(loaded->Points(), shaped);
}

TEST_F(LineStreamTest, SpecificCellsComeBackInTheirRoles) {
  auto* line = Make<TDiagramLine>();
  line->SetTextCellsMode(tmSpecific);
  line->CenterTextCell()->SetText("centre");
  line->SourceTextCell()->SetText("source");
  line->TargetTextCell()->SetText("target");
  line->AltSourceTextCell()->SetText("alt source");
  line->AltTargetTextCell()->SetText("alt target");

  auto* loaded = Make<TDiagramLine>();
  loaded->SetTextCellsMode(tmSpecific);  // as the constructor of a line kind with five cells does
  LoadLine(loaded, line, StoreLineCollections(line), &form);
  ASSERT_EQ(loaded->TextCells()->Count(), 5);
  ASSERT_NE(loaded->CenterTextCell(), nullptr);
  EXPECT_EQ(loaded->CenterTextCell()->Text(), "centre");
  EXPECT_EQ(loaded->SourceTextCell()->Text(), "source");
  EXPECT_EQ(loaded->TargetTextCell()->Text(), "target");
  EXPECT_EQ(loaded->AltSourceTextCell()->Text(), "alt source");
  EXPECT_EQ(loaded->AltTargetTextCell()->Text(), "alt target");
  EXPECT_EQ(loaded->SourceTextCell()->BoundsRect(), line->SourceTextCell()->BoundsRect());
}

TEST_F(LineStreamTest, EveryLineStyleRoundTrips) {
  RegisterLineClasses();
  auto* circular = Make<TDiagramArc>();
  circular->SetArcType(atCircular);
  std::vector<TCustomDiagramLine*> lines{Make<TDiagramLine>(), Make<TDiagramSideLine>(), Make<TDiagramArc>(),
                                         circular, Make<TDiagramBezier>(), Make<TDiagramPolyLine>()};
  TLineTestBlock* a = MakeBlock({0, 0, 100, 100});
  for (TCustomDiagramLine* line : lines) {
    line->SourceLinkPoint()->SetAnchorLink(a->LinkPoints()->Point(sdTop));
    line->Handles()->Handle(line->Handles()->Count() - 1)->SetOrPoint({250, 170});
    line->Reroute();
  }
  for (TCustomDiagramLine* line : lines) {
    auto* loaded = static_cast<TCustomDiagramLine*>(FindClass(line->ClassName())->Factory(&form));
    loaded->SetDiagram(diagram);
    LoadLine(loaded, line, StoreLineCollections(line), &form);
    const std::string name = line->ClassName().toStdString();
    EXPECT_EQ(loaded->LineStyle(), line->LineStyle()) << name;
    EXPECT_EQ(HandlePoints(loaded->Handles()), HandlePoints(line->Handles())) << name;
    EXPECT_EQ(loaded->Points(), line->Points()) << name;
    EXPECT_EQ(loaded->SourceLinkPoint()->AnchorLink(), a->LinkPoints()->Point(sdTop)) << name;
    if (auto* arc = qobject_cast<TDiagramArc*>(loaded)) {
      EXPECT_EQ(arc->ArcType(), qobject_cast<TDiagramArc*>(line)->ArcType()) << name;
    }
  }
}

TEST_F(LineStreamTest, TooFewStreamedHandlesAreRepaired) {
  auto* source = Make<TDiagramArc>();
  auto stored = StoreLineCollections(source);
  stored[0].Items.resize(1);  // one handle survived
  auto* arc = Make<TDiagramArc>();
  LoadLine(arc, source, stored, &form);
  EXPECT_EQ(arc->Handles()->Count(), 3);
  EXPECT_EQ(arc->Points().size(), 100u);

  stored[0].Items.clear();
  stored[1].Items.clear();  // and no link points
  auto* side = Make<TDiagramSideLine>();
  LoadLine(side, Make<TDiagramSideLine>(), stored, &form);
  EXPECT_EQ(side->Handles()->Count(), 3) << "two ends and the middle of the inner segment";
  EXPECT_EQ(side->LinkPoints()->Count(), 2);
  EXPECT_EQ(side->Points(), (TDotArray{{0, 0}, {45, 0}, {45, 50}, {100, 50}}));
}

TEST_F(LineStreamTest, ReadingDoesNotRebuildCellsFromHalfReadHandles) {
  auto* line = Make<TDiagramSideLine>();
  const int cells = line->TextCells()->Count();
  line->SetComponentState(TComponentState(csLoading) | csReading);
  line->TextCells()->Cell(0)->SetText("kept");
  line->Handles()->Clear();
  EXPECT_EQ(line->TextCells()->Count(), cells) << "no handles yet, but the cells stay";
  EXPECT_EQ(line->TextCells()->Cell(0)->Text(), "kept");
  line->ClearComponentState(csReading);
  line->Loaded();
  EXPECT_GE(line->Handles()->Count(), 2);
  EXPECT_EQ(line->TextCells()->Cell(0)->Text(), "kept");
}

TEST_F(LineStreamTest, LineClassesAreRegistered) {
  RegisterLineClasses();
  for (const char* name : {"TDiagramLine", "TDiagramPolyLine", "TDiagramSideLine", "TDiagramArc", "TDiagramBezier"}) {
    const TRegisteredClass* registered = FindClass(QString::fromLatin1(name));
    ASSERT_NE(registered, nullptr) << name;
    QObject* made = registered->Factory(&form);
    EXPECT_EQ(QString::fromLatin1(made->metaObject()->className()), QString::fromLatin1(name));
  }
}

TEST_F(LineStreamTest, ArrowAssignCopiesItsSettings) {
  auto* line = Make<TDiagramLine>();
  line->SourceArrow()->SetShape(asDiamond);
  line->SourceArrow()->SetWidth(14);
  line->SourceArrow()->SetHeight(7);
  line->SourceArrow()->Brush()->SetColor(clRed);
  line->TargetArrow()->Assign(line->SourceArrow());
  EXPECT_EQ(line->TargetArrow()->Shape(), asDiamond);
  EXPECT_EQ(line->TargetArrow()->Width(), 14);
  EXPECT_EQ(line->TargetArrow()->Height(), 7);
  EXPECT_EQ(line->TargetArrow()->Brush()->Color(), clRed);
  line->Pen()->SetColor(clGreen);
  line->TargetArrow()->RestoreDefaults();
  EXPECT_EQ(line->TargetArrow()->Shape(), asNone);
  EXPECT_EQ(line->TargetArrow()->Brush()->Color(), clGreen) << "a line in a diagram gives its pen colour";
}

}  // namespace
