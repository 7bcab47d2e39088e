// Records the diagram's writer keeps per element: every change of what an element writes
// must make the element forget its record. The suite runs in checking mode (tests/support),
// where a reused record that differs from a fresh write raises std::logic_error.
#include "document/DiagramLibrary.h"
#include "document/vxDiagram.h"
#include "elements/Blocks.h"
#include "elements/DiagramLayers.h"
#include "elements/GroupBlocks.h"
#include "elements/Lines.h"
#include "elements/LinkPoints.h"
#include "platform/Collection.h"
#include "platform/Published.h"
#include "platform/StreamRecordCache.h"

#include <QMetaEnum>
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// A block with a setting whose setter forgets to tell anyone: the checking mode must catch it.
class TCarelessBlock : public TDiagramBlock {
  Q_OBJECT
  Q_PROPERTY(int Careless READ Careless WRITE SetCareless)
public:
  using TDiagramBlock::TDiagramBlock;
  int Careless() const { return FCareless; }
  void SetCareless(int value) { FCareless = value; }

private:
  int FCareless = 0;
};

class StreamRecordTest : public ::testing::Test {
protected:
  void SetUp() override {
    InitializeDiagramLibrary();
    FDiagram = Create<TvxDiagram>(&FOwner);
  }

  template <typename T = TDiagramBlock>
  T* AddBlock(double left, double top) {
    auto* block = Create<T>(&FOwner);
    block->SetBoundsRect({left, top, left + 80, top + 50});
    block->LinkPoints()->Add(50, 0, aoUp);
    block->LinkPoints()->Add(100, 50, aoRight);
    block->SetDiagram(FDiagram);
    return block;
  }

  TDiagramLine* Link(TDiagramBlock* from, TDiagramBlock* to) {
    auto* line = Create<TDiagramLine>(&FOwner);
    line->SetDiagram(FDiagram);
    Anchor(line, from, to);
    return line;
  }

  static void Anchor(TCustomDiagramLine* line, TDiagramControl* from, TDiagramControl* to) {
    line->SourceLinkPoint()->SetAnchor(from);
    line->SourceLinkPoint()->SetAnchorIndex(1);
    line->TargetLinkPoint()->SetAnchor(to);
    line->TargetLinkPoint()->SetAnchorIndex(0);
  }

  // Saves twice around change; the second save reuses every record still kept.
  void ExpectSavedAfter(const std::function<void()>& change, const std::string& what) {
    FDiagram->SaveToBytes(false);
    change();
    try {
      FDiagram->SaveToBytes(false);
    } catch (const std::logic_error& error) {
      ADD_FAILURE() << what << ": " << error.what();
      FDiagram->StreamRecordsChanged();  // start afresh for the next case
    }
  }

  bool Kept(TDiagramControl* control) const { return !control->KeptStreamRecord(&FOwner).isEmpty(); }

  QWidget FOwner;
  TvxDiagram* FDiagram = nullptr;
};

// --- Every published setting of every element class ---------------------------------------

// A value different from value for a property of this kind (clamping setters may still keep
// the old one, which is fine: the record then stays right as it is).
QVariant OtherValue(const TPublishedProperty& p, const QVariant& value) {
  switch (p.Kind) {
    case TPropertyKind::Boolean: return !value.toBool();
    case TPropertyKind::Integer:
    case TPropertyKind::Char:
    case TPropertyKind::Int64: {
      QVariant bumped = value.toLongLong() + 3;
      return bumped.convert(value.metaType()) ? bumped : QVariant();
    }
    case TPropertyKind::Float: return value.toDouble() + 7.25;
    case TPropertyKind::String: return value.toString() + QStringLiteral("x");
    case TPropertyKind::Enumeration: {
      const QMetaEnum e = p.Meta.enumerator();
      for (int i = 0; i < e.keyCount(); ++i)
        if (e.value(i) == value.toInt()) return e.value((i + 1) % e.keyCount());
      return e.value(0);
    }
    case TPropertyKind::Set: {
      const QMetaEnum e = p.Meta.enumerator();
      return value.toInt() ^ (e.keyCount() > 0 ? e.value(0) : 1);
    }
    default: return {};
  }
}

// Paths to every writable scalar setting below object: "Font.Size", "LinkPoints.1.X".
void CollectSettings(QObject* object, const QString& prefix, std::vector<QString>& into, int depth = 0) {
  if (depth > 4) return;
  for (const TPublishedProperty& p : PublishedProperties(object->metaObject())) {
    if (!p.Meta.isReadable() || p.Name == QLatin1String("Name")) continue;
    if (p.Kind == TPropertyKind::Object) {
      auto* sub = p.Meta.read(object).value<QObject*>();
      if (!sub || qobject_cast<TComponent*>(sub) || !qobject_cast<TPersistent*>(sub)) continue;
      CollectSettings(sub, prefix + p.Name + u'.', into, depth + 1);
      if (auto* collection = qobject_cast<TCollection*>(sub))
        for (int i = 0; i < collection->Count(); ++i)
          CollectSettings(collection->Items(i), prefix + p.Name + u'.' + QString::number(i) + u'.', into, depth + 1);
      continue;
    }
    if (p.Meta.isWritable() && OtherValue(p, p.Meta.read(object)).isValid()) into.push_back(prefix + p.Name);
  }
}

// Walks a path to the object holding its last name.
QObject* Resolve(QObject* root, const QStringList& parts) {
  QObject* object = root;
  for (qsizetype i = 0; i + 1 < parts.size() && object; ++i) {
    bool isIndex = false;
    const int index = parts[i].toInt(&isIndex);
    if (isIndex) {
      auto* collection = qobject_cast<TCollection*>(object);
      object = collection && index < collection->Count() ? collection->Items(index) : nullptr;
    } else {
      object = object->property(parts[i].toLatin1().constData()).value<QObject*>();
    }
  }
  return object;
}

TEST_F(StreamRecordTest, EverySettingOfEveryElementClassReachesItsKeptRecord) {
  const char* classes[] = {"TDiagramBlock", "TTextBlock",       "TPolygonBlock", "TDiagramLine",
                           "TDiagramPolyLine", "TDiagramSideLine", "TDiagramArc",   "TDiagramBezier", "TGroupBlock"};
  for (const char* className : classes) {
    SCOPED_TRACE(className);
    auto* block = AddBlock(40, 40);
    auto* other = AddBlock(300, 200);
    const TRegisteredClass* registered = FindClass(QString::fromLatin1(className));
    ASSERT_NE(registered, nullptr);
    auto* control = qobject_cast<TDiagramControl*>(registered->Factory(&FOwner));
    ASSERT_NE(control, nullptr);
    control->SetDiagram(FDiagram);
    if (auto* line = qobject_cast<TCustomDiagramLine*>(control)) {
      Anchor(line, block, other);
    } else if (auto* group = qobject_cast<TGroupBlock*>(control)) {
      group->Members()->Add(block);
      group->Members()->Add(other);
    } else if (auto* b = qobject_cast<TCustomDiagramBlock*>(control)) {
      b->SetBoundsRect({100, 300, 180, 360});
      b->Strings()->SetText(QStringLiteral("text"));
      b->LinkPoints()->Add(0, 50, aoLeft);
    }
    control->TextCells()->Add();
    std::vector<QString> settings;
    CollectSettings(control, QString(), settings);
    EXPECT_GE(settings.size(), qobject_cast<TGroupBlock*>(control) ? 4u : 30u);  // the walk reached them
    for (const QString& path : settings) {
      const QStringList parts = path.split(u'.');
      ExpectSavedAfter(
          [&] {
            QObject* holder = Resolve(control, parts);
            if (!holder) return;
            const TPublishedProperty* p = FindPublishedProperty(holder->metaObject(), parts.last());
            if (p) p->Meta.write(holder, OtherValue(*p, p->Meta.read(holder)));
          },
          std::string(className) + "." + path.toStdString());
    }
    FDiagram->Clear();
  }
}

// --- Changes that reach a record from outside its element ---------------------------------

TEST_F(StreamRecordTest, RenamesRemovalsGroupsAndLayersReachTheRecordsThatNameThem) {
  auto* a = AddBlock(40, 40);
  auto* b = AddBlock(300, 40);
  auto* c = AddBlock(40, 300);
  TDiagramLine* line = Link(a, b);
  TDiagramLayer* layer = FDiagram->Layers()->Add(QStringLiteral("Top"));
  c->SetLayerName(QStringLiteral("Top"));

  ExpectSavedAfter([&] { b->SetName(QStringLiteral("Renamed")); }, "rename of a linked block");
  ExpectSavedAfter([&] { layer->SetLayerName(QStringLiteral("Front")); }, "layer rename");
  ExpectSavedAfter(
      [&] {
        FDiagram->UnselectAll();
        a->SetSelected(true);
        c->SetSelected(true);
        FDiagram->GroupSelectedBlocks();
      },
      "grouping");
  ExpectSavedAfter([&] { c->SetName(QStringLiteral("Member")); }, "rename of a group member");
  ExpectSavedAfter([&] { FDiagram->UngroupSelectedBlocks(); }, "ungrouping");
  ExpectSavedAfter([&] { Free(b); }, "removal of a linked block");
  ExpectSavedAfter([&] { FDiagram->Layers()->Clear(); }, "removal of a layer");
  ExpectSavedAfter([&] { line->SetName(QStringLiteral("Line9")); }, "rename of the line");
  ExpectSavedAfter([&] { FDiagram->SetZoom(150); }, "zoom");
  ExpectSavedAfter([&] { a->LinkPoints()->Add(0, 50, aoLeft); }, "link point added");
  ExpectSavedAfter([&] { a->LinkPoints()->Delete(0); }, "link point deleted");
  ExpectSavedAfter([&] { a->TextCells()->Add(); }, "text cell added");
  ExpectSavedAfter([&] { a->TextCells()->Delete(0); }, "text cell deleted");
  ExpectSavedAfter([&] { line->Handles()->Delete(line->Handles()->Count() - 1); }, "line handle deleted");
  ExpectSavedAfter([&] { FDiagram->DiagramFont()->SetSize(17); }, "diagram font");
}

TEST_F(StreamRecordTest, OnlyChangedElementsWriteAgain) {
  auto* a = AddBlock(40, 40);
  auto* b = AddBlock(300, 40);
  auto* far = AddBlock(40, 400);
  TDiagramLine* line = Link(a, b);
  const QByteArray first = FDiagram->SaveToBytes(false);
  for (TDiagramControl* control : {static_cast<TDiagramControl*>(a), static_cast<TDiagramControl*>(b),
                                   static_cast<TDiagramControl*>(far), static_cast<TDiagramControl*>(line)})
    EXPECT_TRUE(Kept(control)) << control->objectName().toStdString();

  a->MoveBy(10, 0);  // the line follows its anchor
  EXPECT_FALSE(Kept(a));
  EXPECT_FALSE(Kept(line));
  EXPECT_TRUE(Kept(b));
  EXPECT_TRUE(Kept(far));
  const QByteArray second = FDiagram->SaveToBytes(false);
  EXPECT_NE(first, second);
  a->MoveBy(-10, 0);
  EXPECT_EQ(FDiagram->SaveToBytes(false), first);
}

TEST_F(StreamRecordTest, ElementsReadBackFromAnUndoSnapshotKeepTheirRecords) {
  auto* a = AddBlock(40, 40);
  auto* b = AddBlock(300, 40);
  Link(a, b);
  FDiagram->ClearUndoStack();
  const QByteArray before = FDiagram->SaveToBytes(false);
  a->MoveBy(25, 0);
  FDiagram->PushUndoStack(QStringLiteral("move"));
  FDiagram->Undo();
  ASSERT_EQ(FDiagram->DControlCount(), 3);
  for (int i = 0; i < FDiagram->DControlCount(); ++i)
    EXPECT_TRUE(Kept(FDiagram->DControls(i))) << FDiagram->DControls(i)->objectName().toStdString();
  EXPECT_EQ(FDiagram->SaveToBytes(false), before);
  FDiagram->Redo();
  FDiagram->DControls(0)->MoveBy(0, 5);
  ExpectSavedAfter([&] { FDiagram->DControls(1)->SetName(QStringLiteral("Other")); }, "rename after redo");
}

TEST_F(StreamRecordTest, CheckingModeCatchesASetterThatTellsNobody) {
  auto* careless = AddBlock<TCarelessBlock>(40, 40);
  FDiagram->SaveToBytes(false);
  careless->SetCareless(5);
  EXPECT_THROW(FDiagram->SaveToBytes(false), std::logic_error);
}

}  // namespace

#include "StreamRecordTest.moc"
