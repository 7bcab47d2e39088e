#pragma once
// What the line tests need around a line: a block whose link points follow its rectangle
// and angle and that tells anchored lines when it moves, and a filer that carries the
// custom collection properties of a line into another line the way a stream read does.

#include "LineTestPrinters.h"
#include "document/vxDiagram.h"
#include "elements/CustomDiagram.h"
#include "elements/DiagramControl.h"
#include "elements/Lines.h"
#include "elements/LinkPoints.h"
#include "elements/StretchHandles.h"
#include "geometry/Curves.h"
#include "platform/Collection.h"
#include "platform/Filer.h"
#include "platform/Published.h"

#include <QObject>
#include <QWidget>
#include <gtest/gtest.h>
#include <map>
#include <numbers>
#include <stdexcept>
#include <vector>

// A rectangle with link points in 0..100 of its bounds, rotated clockwise by its angle.
class TLineTestBlock : public TDiagramControl {
  Q_OBJECT
public:
  explicit TLineTestBlock(QObject* owner = nullptr) : TDiagramControl(owner) {}
  bool IsBlock() const override { return true; }

  void SetRect(const TSquare& rect) {
    Rect = rect;
    NotifyAnchoreds(acPosition);
  }
  void SetBlockAngle(double angle) {
    SetAngleField(angle);
    NotifyAnchoreds(acPosition);
  }

  TDot LinkPointClientPoint(const TLinkPoint* point) const override {
    const TDot mapped{Rect.Left + point->OrX() * Rect.Width() / 100, Rect.Top + point->OrY() * Rect.Height() / 100};
    const TDot centre{(Rect.Left + Rect.Right) / 2, (Rect.Top + Rect.Bottom) / 2};
    return RotateAbout(mapped, centre, -Angle() * std::numbers::pi / 180);
  }
  void DiagramChanged(TCustomDiagram* oldDiagram, TCustomDiagram* newDiagram) override {
    if (oldDiagram) {
      NotifyAnchoreds(acRemoval);
      oldDiagram->UnregisterBlock(this);
    }
    if (newDiagram) newDiagram->RegisterBlock(this);
    TDiagramControl::DiagramChanged(oldDiagram, newDiagram);
  }

  void AnchorLinkChanged(TLinkPoint*) override {}
  void LinkedAnchorChanged(TLinkPoint*, TAnchorChange) override {}
  void DrawControl(const TDiagramDrawInfo&) override {}
  bool PointInControl(const TPoint&) override { return false; }
  void MoveBy(double dx, double dy) override { SetRect({Rect.Left + dx, Rect.Top + dy, Rect.Right + dx, Rect.Bottom + dy}); }
  TSquare ControlRect() const override { return Rect; }
  TSquare SurroundRect() const override { return Rect; }
  void StartMoving() override {}
  void ControlMoving(TControlMoveInfo&) override {}
  void ControlInserting(TControlInsertInfo&) override {}
  void ControlDrawing(TControlDrawInfo&) override {}
  void StartHandleMoving() override {}
  void HandleMoving(THandleMoveInfo&) override {}

  TSquare Rect{0, 0, 100, 100};
};

// A line kind whose constructor asks for the five cells of tmSpecific (as association
// lines do), so a stream gives them back in that mode.
class TSpecificTestLine : public TDiagramLine {
  Q_OBJECT
public:
  explicit TSpecificTestLine(QObject* owner = nullptr) : TDiagramLine(owner) {}
  void AfterConstruction() override {
    TDiagramLine::AfterConstruction();
    SetTextCellsMode(tmSpecific);
  }
};

// Link points of the test block: left, top, right, bottom middles with their orientations.
inline void AddSidePoints(TLineTestBlock* block) {
  block->LinkPoints()->Add(0, 50, aoLeft);
  block->LinkPoints()->Add(50, 0, aoUp);
  block->LinkPoints()->Add(100, 50, aoRight);
  block->LinkPoints()->Add(50, 100, aoDown);
}
enum TSide { sdLeft, sdTop, sdRight, sdBottom };

// One collection as a stream holds it: per item, its published properties by name
// (component references by the component's name).
struct TStoredCollection {
  std::vector<std::vector<std::pair<QString, QVariant>>> Items;
};

class TCollectionWriter : public TWriter {
public:
  void WriteInteger(int64_t) override { throw std::logic_error("not used"); }
  void WriteFloat(double) override { throw std::logic_error("not used"); }
  void WriteString(const QString&) override { throw std::logic_error("not used"); }
  void WriteBoolean(bool) override { throw std::logic_error("not used"); }
  void WriteIdent(const QString&) override { throw std::logic_error("not used"); }
  void WriteListBegin() override { throw std::logic_error("not used"); }
  void WriteListEnd() override { throw std::logic_error("not used"); }
  void WriteCollection(const TCollection* collection) override {
    TStoredCollection stored;
    for (int i = 0; i < collection->Count(); ++i) {
      const TCollectionItem* item = collection->Items(i);
      std::vector<std::pair<QString, QVariant>> properties;
      for (const TPublishedProperty& property : PublishedProperties(item->metaObject())) {
        if (!IsPropertyStored(item, property) || IsDefaultValue(item, property)) continue;
        QVariant value = property.Meta.read(item);
        if (property.Kind == TPropertyKind::Object) {
          auto* component = value.value<QObject*>();
          if (!component) continue;
          value = component->objectName();
        }
        properties.emplace_back(property.Name, value);
      }
      stored.Items.push_back(std::move(properties));
    }
    Written.push_back(std::move(stored));
  }
  std::vector<TStoredCollection> Written;
};

// Reads collections back; references wait until Resolve, as they do in a stream.
class TCollectionReader : public TReader {
public:
  explicit TCollectionReader(std::vector<TStoredCollection> stored) : Stored(std::move(stored)) {}
  TValueType NextValue() override { return vaCollection; }
  int32_t ReadInteger() override { throw std::logic_error("not used"); }
  int64_t ReadInt64() override { throw std::logic_error("not used"); }
  double ReadFloat() override { throw std::logic_error("not used"); }
  QString ReadString() override { throw std::logic_error("not used"); }
  bool ReadBoolean() override { throw std::logic_error("not used"); }
  QString ReadIdent() override { throw std::logic_error("not used"); }
  void ReadListBegin() override { throw std::logic_error("not used"); }
  bool EndOfList() override { throw std::logic_error("not used"); }
  void ReadListEnd() override { throw std::logic_error("not used"); }
  void ReadCollection(TCollection* collection) override {
    const TStoredCollection& stored = Stored.at(Next++);
    collection->Clear();
    for (const auto& properties : stored.Items) {
      TCollectionItem* item = collection->Add();
      for (const auto& [name, value] : properties) {
        const TPublishedProperty* property = FindPublishedProperty(item->metaObject(), name);
        if (property->Kind == TPropertyKind::Object)
          Pending.push_back({item, property, value.toString()});
        else
          property->Meta.write(item, value);
      }
    }
  }
  void Resolve(const QObject* owner) {
    for (const auto& reference : Pending)
      reference.Property->Meta.write(reference.Item,
                                     QVariant::fromValue(FindOwnedComponent(owner, reference.Name)));
    Pending.clear();
  }

private:
  struct TReference {
    TCollectionItem* Item;
    const TPublishedProperty* Property;
    QString Name;
  };
  std::vector<TStoredCollection> Stored;
  size_t Next = 0;
  std::vector<TReference> Pending;
};

// Collects the custom properties an object defines.
class TCustomPropertyFiler : public TFiler {
public:
  struct TDefined {
    QString Name;
    std::function<void(TReader&)> Read;
    std::function<void(TWriter&)> Write;
    bool HasData;
  };
  void DefineProperty(const QString& name, const std::function<void(TReader&)>& readData,
                      const std::function<void(TWriter&)>& writeData, bool hasData) override {
    Defined.push_back({name, readData, writeData, hasData});
  }
  void DefineBinaryProperty(const QString&, const std::function<void(const QByteArray&)>&,
                            const std::function<QByteArray()>&, bool) override {}
  const TDefined* Find(const QString& name) const {
    for (const TDefined& defined : Defined)
      if (defined.Name == name) return &defined;
    return nullptr;
  }
  std::vector<TDefined> Defined;
};

// The custom Handles and LinkPoints of a line, as a stream stores them.
inline std::vector<TStoredCollection> StoreLineCollections(TCustomDiagramLine* line) {
  TCustomPropertyFiler filer;
  line->DefineProperties(filer);
  TCollectionWriter writer;
  filer.Find(QStringLiteral("Handles"))->Write(writer);
  filer.Find(QStringLiteral("LinkPoints"))->Write(writer);
  return writer.Written;
}

// Reads a line the way the object stream does: the published settings first, then the
// custom collections, references resolved after everything was read, then Loaded.
inline void LoadLine(TCustomDiagramLine* target, const TCustomDiagramLine* source,
                     std::vector<TStoredCollection> collections, const QObject* owner) {
  target->SetComponentState(TComponentState(csLoading) | csReading);
  for (const char* name : {"LineStyle", "Orientation1", "Orientation2"}) {
    const int index = source->metaObject()->indexOfProperty(name);
    target->metaObject()->property(index).write(target, source->metaObject()->property(index).read(source));
  }
  target->TextCells()->Assign(source->TextCells());
  TCustomPropertyFiler filer;
  target->DefineProperties(filer);
  TCollectionReader reader(std::move(collections));
  filer.Find(QStringLiteral("Handles"))->Read(reader);
  filer.Find(QStringLiteral("LinkPoints"))->Read(reader);
  target->ClearComponentState(csReading);
  reader.Resolve(owner);
  target->Loaded();
}

inline TDotArray HandlePoints(const TStretchHandles* handles) {
  TDotArray points;
  for (int i = 0; i < handles->Count(); ++i) points.push_back(handles->Handle(i)->OrPoint());
  return points;
}

// A diagram on a form, with elements created on the form.
struct LineFixture : ::testing::Test {
  QWidget form;
  TvxDiagram* diagram = Create<TvxDiagram>(&form);

  template <class T>
  T* Make() {
    T* element = Create<T>(&form);
    element->SetDiagram(diagram);
    return element;
  }
  TLineTestBlock* MakeBlock(const TSquare& rect) {
    auto* block = Make<TLineTestBlock>();
    AddSidePoints(block);
    block->SetRect(rect);
    return block;
  }
  static void Anchor(TCustomDiagramLine* line, TLinkPoint* source, TLinkPoint* target) {
    line->SourceLinkPoint()->SetAnchorLink(source);
    line->TargetLinkPoint()->SetAnchorLink(target);
  }
  // Inserts the line between two link points (or free ends at from / to), as linking does.
  static void Connect(TCustomDiagramLine* line, TLinkPoint* source, TLinkPoint* target, TDot from = {}, TDot to = {}) {
    TControlInsertInfo info;
    info.Action = iaInserted;
    info.AnchorPoint1 = source;
    info.AnchorPoint2 = target;
    info.P1 = source ? source->DiagramPoint() : from;
    info.P2 = target ? target->DiagramPoint() : to;
    line->ControlInserting(info);
  }
};
