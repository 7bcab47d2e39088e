#include "platform/Component.h"
#include "platform/Exceptions.h"
#include "platform/Graphics.h"
#include "platform/Published.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace TestEnums {
Q_NAMESPACE
enum TShade { shLight, shDark };
Q_ENUM_NS(TShade)
enum TOption { opA = 0x1, opB = 0x2, opC = 0x4 };
Q_DECLARE_FLAGS(TOptions, TOption)
Q_FLAG_NS(TOptions)
}  // namespace TestEnums

class TBaseThing : public TComponent {
  Q_OBJECT
  Q_PROPERTY(int Count READ Count WRITE SetCount)
  Q_PROPERTY(bool Flag READ Flag WRITE SetFlag)
  DGR_DEFAULT(Flag, true)
public:
  explicit TBaseThing(QObject* owner = nullptr) : TComponent(owner) {}
  int Count() const { return FCount; }
  void SetCount(int v) { FCount = v; }
  bool Flag() const { return FFlag; }
  void SetFlag(bool v) { FFlag = v; }
  void AfterConstruction() override { Initialised = Describe(); }
  virtual QString Describe() const { return QStringLiteral("base"); }
  QString Initialised;

private:
  int FCount = 0;
  bool FFlag = true;
};

class TDerivedThing : public TBaseThing {
  Q_OBJECT
  Q_PROPERTY(TestEnums::TShade Shade READ Shade WRITE SetShade)
  Q_PROPERTY(TestEnums::TOptions Options READ Options WRITE SetOptions)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  DGR_DEFAULT(Shade, shDark)
  DGR_DEFAULT(Options, [opA, opC])
  DGR_STORED(Caption, IsCaptionStored)
public:
  explicit TDerivedThing(QObject* owner = nullptr) : TBaseThing(owner) {}
  TestEnums::TShade Shade() const { return FShade; }
  void SetShade(TestEnums::TShade v) { FShade = v; }
  TestEnums::TOptions Options() const { return FOptions; }
  void SetOptions(TestEnums::TOptions v) { FOptions = v; }
  QString Caption() const { return FCaption; }
  void SetCaption(const QString& v) { FCaption = v; }
  Q_INVOKABLE bool IsCaptionStored() const { return FCaption != QStringLiteral("hidden"); }
  QString Describe() const override { return QStringLiteral("derived"); }

private:
  TestEnums::TShade FShade = TestEnums::shDark;
  TestEnums::TOptions FOptions = TestEnums::TOptions(TestEnums::opA) | TestEnums::opC;
  QString FCaption;
};

// An owner whose brush starts unlike a brush's own declared defaults (white, solid).
class TBrushOwner : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(TBrush* Brush READ Brush)
  DGR_DEFAULT(Brush.Color, 0)
  DGR_DEFAULT(Brush.Style, bsClear)
public:
  TBrushOwner() {
    FBrush.SetColor(clBlack);
    FBrush.SetStyle(bsClear);
  }
  TBrush* Brush() const { return const_cast<TBrush*>(&FBrush); }

private:
  TBrush FBrush;
};

TEST(Published, OwnerPathDefaultsOverrideTheSubObjectTypeDefaults) {
  TBrushOwner owner;
  const auto& props = PublishedProperties(owner.Brush()->metaObject());
  const TPublishedProperty* color = FindPublishedProperty(owner.Brush()->metaObject(), QStringLiteral("Color"));
  const TPublishedProperty* style = FindPublishedProperty(owner.Brush()->metaObject(), QStringLiteral("Style"));
  ASSERT_TRUE(color && style && !props.empty());
  const QMetaObject* meta = owner.metaObject();
  EXPECT_TRUE(IsDefaultValueAt(meta, QStringLiteral("Brush.Color"), owner.Brush(), *color));
  EXPECT_TRUE(IsDefaultValueAt(meta, QStringLiteral("Brush.Style"), owner.Brush(), *style));
  owner.Brush()->SetColor(clWhite);
  owner.Brush()->SetStyle(bsSolid);
  // The type's defaults, but not what this owner starts with: written, so they survive.
  EXPECT_FALSE(IsDefaultValueAt(meta, QStringLiteral("Brush.Color"), owner.Brush(), *color));
  EXPECT_FALSE(IsDefaultValueAt(meta, QStringLiteral("Brush.Style"), owner.Brush(), *style));
  EXPECT_TRUE(IsDefaultValue(owner.Brush(), *color));
  TBrush plain;
  EXPECT_TRUE(IsDefaultValueAt(plain.metaObject(), QStringLiteral("Color"), &plain, *color))
      << "without a path default the type's own rule holds";
}

TEST(Published, ListsBaseFirstInDeclarationOrderWithoutQtProperties) {
  const auto& props = PublishedProperties(&TDerivedThing::staticMetaObject);
  QStringList names;
  for (const auto& p : props) names << p.Name;
  EXPECT_EQ(names, (QStringList{"Name", "Count", "Flag", "Shade", "Options", "Caption"}));
  EXPECT_EQ(props[0].Kind, TPropertyKind::String);
  EXPECT_FALSE(props[0].Meta.isStored());
  EXPECT_EQ(props[1].Kind, TPropertyKind::Integer);
  EXPECT_EQ(props[2].Kind, TPropertyKind::Boolean);
  EXPECT_EQ(props[3].Kind, TPropertyKind::Enumeration);
  EXPECT_EQ(props[4].Kind, TPropertyKind::Set);
  EXPECT_EQ(props[5].Kind, TPropertyKind::String);
}

TEST(Published, DeclaredDefaultsAndStoredPredicates) {
  QObject owner;
  auto* thing = Create<TDerivedThing>(&owner);
  const auto& all = PublishedProperties(thing->metaObject());
  const std::vector<TPublishedProperty> props(all.begin() + 1, all.end());  // past Name
  EXPECT_FALSE(DeclaredDefaultValue(props[0]).has_value());  // no default: always written
  EXPECT_FALSE(IsDefaultValue(thing, props[0]));
  EXPECT_TRUE(IsDefaultValue(thing, props[1]));
  EXPECT_TRUE(IsDefaultValue(thing, props[2]));
  EXPECT_TRUE(IsDefaultValue(thing, props[3]));
  thing->SetShade(TestEnums::shLight);
  thing->SetOptions(TestEnums::opB);
  EXPECT_FALSE(IsDefaultValue(thing, props[2]));
  EXPECT_FALSE(IsDefaultValue(thing, props[3]));
  EXPECT_TRUE(IsPropertyStored(thing, props[4]));
  thing->SetCaption(QStringLiteral("hidden"));
  EXPECT_FALSE(IsPropertyStored(thing, props[4]));
}

TEST(Component, TwoPhaseConstructionSeesTheDerivedClass) {
  QObject owner;
  EXPECT_EQ(Create<TDerivedThing>(&owner)->Initialised, "derived");
  EXPECT_EQ(Create<TBaseThing>(&owner)->Initialised, "base");
}

TEST(Component, NamesAreUniqueAndValidUnderOneOwner) {
  QObject owner;
  auto* a = Create<TBaseThing>(&owner);
  auto* b = Create<TBaseThing>(&owner);
  a->SetName(QStringLiteral("Block1"));
  EXPECT_THROW(b->SetName(QStringLiteral("block1")), EComponentError);
  EXPECT_THROW(b->SetName(QStringLiteral("1abc")), EComponentError);
  b->SetName(QStringLiteral("Block2"));
  EXPECT_EQ(FindOwnedComponent(&owner, QStringLiteral("BLOCK2")), b);
}

// Owners with many children answer look-ups from a name index; it must follow every way a
// child's name or membership changes, for plain and for widget owners.
template <class TOwner>
void CheckNameIndexFollowsChildren() {
  TOwner owner;
  std::vector<TBaseThing*> things;
  for (int i = 0; i < 100; ++i) {
    things.push_back(Create<TBaseThing>(&owner));
    things.back()->SetName(QStringLiteral("Thing%1").arg(i));
  }
  EXPECT_EQ(FindOwnedComponent(&owner, QStringLiteral("THING42")), things[42]);
  EXPECT_THROW(things[1]->SetName(QStringLiteral("thing42")), EComponentError);

  things[42]->SetName(QStringLiteral("Renamed"));
  EXPECT_EQ(FindOwnedComponent(&owner, QStringLiteral("Thing42")), nullptr);
  EXPECT_EQ(FindOwnedComponent(&owner, QStringLiteral("renamed")), things[42]);

  things[43]->setObjectName(QStringLiteral("Raw"));  // bypasses SetName
  EXPECT_EQ(FindOwnedComponent(&owner, QStringLiteral("RAW")), things[43]);
  EXPECT_EQ(FindOwnedComponent(&owner, QStringLiteral("Thing43")), nullptr);

  Free(things[44]);
  EXPECT_EQ(FindOwnedComponent(&owner, QStringLiteral("Thing44")), nullptr);
  auto* successor = Create<TBaseThing>(&owner);
  successor->SetName(QStringLiteral("Thing44"));
  EXPECT_EQ(FindOwnedComponent(&owner, QStringLiteral("thing44")), successor);

  QObject elsewhere;
  things[45]->setParent(&elsewhere);
  EXPECT_EQ(FindOwnedComponent(&owner, QStringLiteral("Thing45")), nullptr);
  EXPECT_EQ(FindOwnedComponent(&elsewhere, QStringLiteral("Thing45")), things[45]);
  things[45]->setParent(&owner);
  EXPECT_EQ(FindOwnedComponent(&owner, QStringLiteral("Thing45")), things[45]);

  // Equal names can only come from setObjectName; the first child in order is found.
  things[47]->setObjectName(QStringLiteral("Twin"));
  things[46]->setObjectName(QStringLiteral("twin"));
  EXPECT_EQ(FindOwnedComponent(&owner, QStringLiteral("TWIN")), things[46]);
}

TEST(Component, NameIndexOfPlainOwnerFollowsRenamesRemovalsAndMoves) { CheckNameIndexFollowsChildren<QObject>(); }

TEST(Component, NameIndexOfWidgetOwnerFollowsRenamesRemovalsAndMoves) { CheckNameIndexFollowsChildren<QWidget>(); }

TEST(Component, NameIndexOfWidgetOwnerSeesWidgetChildren) {
  QWidget owner;
  std::vector<QWidget*> widgets;
  for (int i = 0; i < 50; ++i) {
    widgets.push_back(new QWidget(&owner));
    widgets.back()->setObjectName(QStringLiteral("Pane%1").arg(i));
  }
  EXPECT_EQ(FindOwnedComponent(&owner, QStringLiteral("pane7")), widgets[7]);
  delete widgets[7];
  auto* late = new QWidget();
  late->setObjectName(QStringLiteral("Pane7"));
  late->setParent(&owner);
  EXPECT_EQ(FindOwnedComponent(&owner, QStringLiteral("PANE7")), late);
}

TEST(Component, NameIndexOfOwnerDestroyedAndReplacedStartsAfresh) {
  for (int round = 0; round < 3; ++round) {
    auto owner = std::make_unique<QObject>();
    for (int i = 0; i < 40; ++i) Create<TBaseThing>(owner.get())->SetName(QStringLiteral("R%1x%2").arg(round).arg(i));
    EXPECT_NE(FindOwnedComponent(owner.get(), QStringLiteral("r%1x39").arg(round)), nullptr);
    EXPECT_EQ(FindOwnedComponent(owner.get(), QStringLiteral("r%1x39").arg(round - 1)), nullptr);
  }
}

TEST(Component, AssignBetweenUnrelatedClassesIsAConversionError) {
  TPersistent a, b;
  try {
    a.Assign(&b);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TPersistent to a TPersistent.");
  }
}

TEST(Component, RegistryFindsClassesByName) {
  RegisterClass<TDerivedThing>();
  const TRegisteredClass* entry = FindClass(QStringLiteral("TDerivedThing"));
  ASSERT_NE(entry, nullptr);
  QObject owner;
  QObject* made = entry->Factory(&owner);
  EXPECT_EQ(static_cast<TDerivedThing*>(made)->Initialised, "derived");
  EXPECT_EQ(FindClass(QStringLiteral("TNoSuchThing")), nullptr);
}

#include "ComponentTest.moc"
