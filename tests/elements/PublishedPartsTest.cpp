// The published lists of link points, handles, handle looks and text cells are their stream
// form: names in stream order, which have declared defaults, and when they are stored.

#include "document/vxDiagram.h"
#include "elements/HandlesAppearance.h"
#include "elements/LinkPoints.h"
#include "elements/StretchHandles.h"
#include "elements/TextCells.h"
#include "platform/Published.h"
#include "support/TestElements.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct Row {
  const char* name;
  bool hasDefault;
};

void ExpectList(const QMetaObject* meta, const std::vector<Row>& rows) {
  const auto& props = PublishedProperties(meta);
  ASSERT_EQ(props.size(), rows.size()) << meta->className();
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(props[i].Name, QLatin1String(rows[i].name));
    EXPECT_EQ(DeclaredDefaultValue(props[i]).has_value(), rows[i].hasDefault);
  }
}

bool Stored(const QObject* object, const char* name) {
  const TPublishedProperty* p = FindPublishedProperty(object->metaObject(), QString::fromLatin1(name));
  return p && IsPropertyStored(object, *p);
}

TEST(PublishedParts, LinkPointsInStreamOrder) {
  ExpectList(&TLinkPoint::staticMetaObject, {{"Anchor", false}, {"AnchorIndex", true}, {"OrX", false}, {"OrY", false},
                                             {"Orientation", true}, {"Collapsable", false}, {"Collapsed", false},
                                             {"LinkConstraint", false}, {"Visible", false}});
}

TEST(PublishedParts, HandlesAndTheirLooksInStreamOrder) {
  ExpectList(&TStretchHandle::staticMetaObject, {{"OrX", false}, {"OrY", false}, {"Style", false}});
  ExpectList(&THandleAppearance::staticMetaObject, {{"Pen", false}, {"Brush", false}, {"DisabledPen", false},
                                                    {"DisabledBrush", false}, {"Size", false}, {"Style", false},
                                                    {"Visible", true}});
  ExpectList(&THandlesAppearance::staticMetaObject,
             {{"Size", false}, {"Rotate", false}, {"Custom", false}, {"RotCenter", false}});
}

TEST(PublishedParts, TextCellsInStreamOrder) {
  ExpectList(&TTextCell::staticMetaObject,
             {{"Font", false}, {"DControlAngle", false}, {"Angle", false}, {"Left", false}, {"Top", false},
              {"Width", false}, {"Height", false}, {"Text", false}, {"Clip", false}, {"WordWrap", false},
              {"DControlFont", false}, {"Alignment", false}, {"VertAlign", false}, {"RotateFont", false},
              {"CellFrame", false}, {"Visible", false}, {"ParentTransparency", true}, {"Transparency", false}});
  ExpectList(&TTextCellFrame::staticMetaObject, {{"Color", false}, {"Brush", false}, {"Pen", false},
                                                 {"Transparent", false}, {"AutoFrame", false},
                                                 {"AutoFrameMargin", false}, {"Visible", false}});
}

TEST(PublishedParts, ACellStoresFontAndAngleOnlyWhenItsOwn) {
  QWidget form;
  auto* diagram = Create<TvxDiagram>(&form);
  auto* block = Create<TTestBlock>(&form);
  block->SetDiagram(diagram);
  TTextCell* cell = block->DefaultTextCell();
  EXPECT_FALSE(Stored(cell, "Font"));
  EXPECT_FALSE(Stored(cell, "Angle"));
  cell->Font()->SetHeight(-20);
  cell->SetAngle(30);
  EXPECT_TRUE(Stored(cell, "Font"));
  EXPECT_TRUE(Stored(cell, "Angle"));
  EXPECT_TRUE(IsDefaultValue(cell, *FindPublishedProperty(cell->metaObject(), QStringLiteral("ParentTransparency"))));
  cell->SetParentTransparency(false);
  EXPECT_FALSE(IsDefaultValue(cell, *FindPublishedProperty(cell->metaObject(), QStringLiteral("ParentTransparency"))));
}

}  // namespace
