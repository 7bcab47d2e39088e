#pragma once
// The component model every persistent object rests on.
//
// Published properties are Qt properties (Q_PROPERTY) declared by classes derived from
// TPersistent (plain QObjects) or from a windowed control (QWidget) that also mixes in
// TStreamHooks. The published list of a class is its base's list followed by its own
// properties in declaration order, starting at the first class that carries the
// PublishedRoot marker (Qt's own properties such as objectName are not published).
// Declared defaults and stored predicates are attached with DGR_DEFAULT / DGR_STORED;
// see Published.h and docs/architecture.md.
//
// Objects are created with Create<T>(...): it runs the constructor and then the virtual
// AfterConstruction, so initialisation that needs a derived class's virtual operations
// (the link point class, the handle layout, the engine drawer) runs on the finished object.

#include "platform/Filer.h"

#include <QFlags>
#include <QObject>
#include <QPointer>
#include <functional>
#include <utility>

#define DGR_PUBLISHED_ROOT Q_CLASSINFO("PublishedRoot", "true")
// Declared default of an ordinal, Boolean or set property: the writer omits the value when equal.
#define DGR_DEFAULT(prop, ...) Q_CLASSINFO("default:" #prop, #__VA_ARGS__)
// Stored predicate: an invokable `bool method() const` that decides whether prop is written.
#define DGR_STORED(prop, method) Q_CLASSINFO("stored:" #prop, #method)

enum TComponentStateFlag {
  csLoading = 0x1,     // inside a stream read, until the loaded hooks ran
  csReading = 0x2,     // its own properties are being read
  csWriting = 0x4,
  csDestroying = 0x8,  // BeforeDestruction ran; the object is on its way out
  csDesigning = 0x10,  // hosted by a form designer
  csUpdating = 0x20,
};
Q_DECLARE_FLAGS(TComponentState, TComponentStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TComponentState)

// Hooks through which the object stream drives an object. QObject-derived classes
// that take part in streaming inherit this (TPersistent does).
class TStreamHooks {
public:
  virtual ~TStreamHooks() = default;

  // Called once by Create<T>() after the constructor finished.
  virtual void AfterConstruction() {}
  // Called before the object is deleted through Free(): sets csDestroying.
  virtual void BeforeDestruction() { FComponentState |= csDestroying; }

  // Adds custom properties after the published ones.
  virtual void DefineProperties(TFiler& filer) {}
  // Runs after a whole stream was read, in creation order.
  virtual void Loaded() { FComponentState &= ~TComponentState(csLoading); }
  // Enumerates the children written after this object's properties.
  virtual void GetChildren(const std::function<void(QObject*)>& proc, QObject* root) {}
  // Owner and parent given to children created while reading this object.
  virtual QObject* GetChildOwner() { return nullptr; }
  virtual QObject* GetChildParent() { return nullptr; }
  // Whether the object belongs to a parent component (elements: their diagram).
  virtual bool HasParent() const { return false; }
  virtual QObject* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(QObject* parent) {}

  TComponentState ComponentState() const { return FComponentState; }
  void SetComponentState(TComponentState flags) { FComponentState |= flags; }
  void ClearComponentState(TComponentState flags) { FComponentState &= ~flags; }
  bool IsLoading() const { return FComponentState.testFlag(csLoading); }
  bool IsDestroying() const { return FComponentState.testFlag(csDestroying); }

private:
  TComponentState FComponentState;
};

// A persistent object: published properties plus Assign.
class TPersistent : public QObject, public TStreamHooks {
  Q_OBJECT
  DGR_PUBLISHED_ROOT
public:
  explicit TPersistent(QObject* parent = nullptr) : QObject(parent) {}

  // Copies the state of source into this object. The default raises EConvertError
  // ("Cannot assign a X to a Y.") unless source knows how to assign itself here.
  virtual void Assign(const TPersistent* source);
  // The owner that names this object in messages (a collection's owner, a sub-object's holder).
  virtual QObject* GetOwner() const { return parent(); }
  QString ClassName() const;

protected:
  virtual void AssignTo(TPersistent* dest) const;
};

// A named object owned by another object (its QObject parent). The name is the QObject
// objectName; names are unique among the components of one owner.
class TComponent : public TPersistent {
  Q_OBJECT
  // Published but never written as a property: the object record carries the name.
  Q_PROPERTY(QString Name READ Name WRITE SetName STORED false)
public:
  explicit TComponent(QObject* owner = nullptr);
  ~TComponent() override;

  QString Name() const { return objectName(); }
  // Raises EComponentError for an invalid identifier or a name taken under the same owner.
  virtual void SetName(const QString& name);
  QObject* Owner() const { return parent(); }

  // Frees the owned components, each through Free().
  void DestroyComponents();
};

// Finds a direct child of owner with this name, compared without regard to case.
QObject* FindOwnedComponent(const QObject* owner, const QString& name);
// Whether name is a valid component name: a letter or underscore, then letters, digits, underscores.
bool IsValidIdent(const QString& name);

// Creates T and runs its AfterConstruction (the two-phase construction).
template <class T, class... Args>
T* Create(Args&&... args) {
  T* object = new T(std::forward<Args>(args)...);
  object->AfterConstruction();
  return object;
}

// Deletes an object created by Create(): marks it destroying first, so the destructors
// of its whole class chain can tell (the "being destroyed" state of the original design).
void Free(QObject* object);

// The process-wide registry from class names to factories, used when a stream names a
// class. Classes are registered once, usually by the subsystem that defines them.
using TComponentFactory = std::function<QObject*(QObject* owner)>;

struct TRegisteredClass {
  const QMetaObject* MetaObject = nullptr;
  TComponentFactory Factory;
};

void RegisterClass(const QMetaObject* metaObject, TComponentFactory factory);
template <class T>
void RegisterClass() {
  RegisterClass(&T::staticMetaObject, [](QObject* owner) -> QObject* { return Create<T>(owner); });
}
// nullptr when no class of that name is registered.
const TRegisteredClass* FindClass(const QString& className);
bool IsClassRegistered(const QString& className);
// Whether meta describes the class base or a class derived from it.
bool InheritsFrom(const QMetaObject* meta, const QMetaObject* base);
