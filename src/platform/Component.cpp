#include "platform/Component.h"
#include "platform/Exceptions.h"

#include <QChildEvent>
#include <QHash>
#include <QMultiHash>
#include <QPointer>
#include <QThread>

void TPersistent::Assign(const TPersistent* source) {
  if (source) {
    source->AssignTo(this);
    return;
  }
  throw EConvertError(QStringLiteral("Cannot assign a nil to a %1.").arg(ClassName()));
}

void TPersistent::AssignTo(TPersistent* dest) const {
  throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2.").arg(ClassName(), dest->ClassName()));
}

QString TPersistent::ClassName() const { return QString::fromLatin1(metaObject()->className()); }

TComponent::TComponent(QObject* owner) : TPersistent(owner) {}

TComponent::~TComponent() { DestroyComponents(); }

void TComponent::SetName(const QString& name) {
  if (name == objectName()) return;
  if (!name.isEmpty() && !IsValidIdent(name))
    throw EComponentError(QStringLiteral("''%1'' is not a valid component name").arg(name));
  if (!name.isEmpty() && Owner()) {
    QObject* other = FindOwnedComponent(Owner(), name);
    if (other && other != this)
      throw EComponentError(QStringLiteral("A component named %1 already exists").arg(name));
  }
  setObjectName(name);
}

void TComponent::DestroyComponents() {
  // Children may remove siblings while they are destroyed: take one at a time.
  for (;;) {
    QObject* victim = nullptr;
    for (QObject* child : children()) {
      if (dynamic_cast<TStreamHooks*>(child)) { victim = child; break; }
    }
    if (!victim) break;
    Free(victim);
  }
}

// --- Name index of an owner's children --------------------------------------------------
//
// Owners with many children (a form holding thousands of diagram elements) answer name
// look-ups from a hash of case-folded names. The index follows the owner's children through
// the ChildAdded/ChildRemoved events and each child's objectNameChanged signal, so renames
// that bypass SetName (setObjectName) are seen too. Entries are weak pointers and every hit
// is checked against the live child, so a stale entry can never be returned.

namespace {

constexpr qsizetype kIndexedChildCount = 32;

bool IsAscii(const QString& text) {
  for (QChar c : text)
    if (c.unicode() >= 0x80) return false;
  return true;
}

QString NameKey(const QString& name) { return name.toCaseFolded(); }

QObject* ScanOwnedComponent(const QObject* owner, const QString& name) {
  for (QObject* child : owner->children())
    if (child && child->objectName().compare(name, Qt::CaseInsensitive) == 0) return child;
  return nullptr;
}

class TOwnerNameIndex : public QObject {
public:
  explicit TOwnerNameIndex(QObject* owner) : FOwner(owner) {
    Rebuild();
    owner->installEventFilter(this);
  }

  QObject* Find(const QString& name) {
    if (FChildren.size() != FOwner->children().size()) Rebuild();
    QObject* found = nullptr;
    qsizetype foundAt = -1;
    const QString key = NameKey(name);
    for (auto it = FByName.constFind(key); it != FByName.cend() && it.key() == key; ++it) {
      QObject* child = it.value().data();
      if (!child || child->parent() != FOwner || child->objectName().compare(name, Qt::CaseInsensitive) != 0)
        continue;
      if (!found) {
        found = child;
        continue;
      }
      // Duplicate names only arise through setObjectName; the first child in order wins.
      if (foundAt < 0) foundAt = FOwner->children().indexOf(found);
      const qsizetype at = FOwner->children().indexOf(child);
      if (at >= 0 && at < foundAt) {
        found = child;
        foundAt = at;
      }
    }
    return found;
  }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == FOwner) {
      if (event->type() == QEvent::ChildAdded)
        Track(static_cast<QChildEvent*>(event)->child());
      else if (event->type() == QEvent::ChildRemoved)
        Untrack(static_cast<QChildEvent*>(event)->child());
    }
    return false;
  }

private:
  struct TEntry {
    QString Key;
    QMetaObject::Connection Renamed;
  };

  void Rebuild() {
    for (TEntry& entry : FChildren) QObject::disconnect(entry.Renamed);
    FChildren.clear();
    FByName.clear();
    for (QObject* child : FOwner->children())
      if (child) Track(child);
  }

  void Track(QObject* child) {
    if (FChildren.contains(child)) return;
    TEntry entry;
    entry.Renamed = connect(child, &QObject::objectNameChanged, this,
                            [this, child](const QString& name) { Rename(child, name); });
    FChildren.insert(child, entry);
    Rename(child, child->objectName());
  }

  void Untrack(QObject* child) {
    auto it = FChildren.find(child);
    if (it == FChildren.end()) return;
    QObject::disconnect(it->Renamed);
    if (!it->Key.isEmpty()) FByName.remove(it->Key, QPointer<QObject>(child));
    FChildren.erase(it);
  }

  void Rename(QObject* child, const QString& name) {
    auto it = FChildren.find(child);
    if (it == FChildren.end()) return;
    if (!it->Key.isEmpty()) FByName.remove(it->Key, QPointer<QObject>(child));
    it->Key = name.isEmpty() ? QString() : NameKey(name);
    if (!it->Key.isEmpty()) FByName.insert(it->Key, QPointer<QObject>(child));
  }

  QObject* FOwner;
  QHash<QObject*, TEntry> FChildren;
  QMultiHash<QString, QPointer<QObject>> FByName;
};

QHash<const QObject*, TOwnerNameIndex*>& NameIndexes() {
  static QHash<const QObject*, TOwnerNameIndex*> indexes;
  return indexes;
}

TOwnerNameIndex* NameIndexOf(const QObject* owner) {
  auto& indexes = NameIndexes();
  auto it = indexes.constFind(owner);
  if (it != indexes.constEnd()) return it.value();
  if (owner->children().size() < kIndexedChildCount) return nullptr;
  auto* mutableOwner = const_cast<QObject*>(owner);
  auto* index = new TOwnerNameIndex(mutableOwner);
  indexes.insert(owner, index);
  QObject::connect(mutableOwner, &QObject::destroyed, mutableOwner, [owner] {
    if (TOwnerNameIndex* dying = NameIndexes().take(owner)) delete dying;
  });
  return index;
}

}  // namespace

QObject* FindOwnedComponent(const QObject* owner, const QString& name) {
  if (!owner || name.isEmpty()) return nullptr;
  if (!IsAscii(name) || owner->thread() != QThread::currentThread()) return ScanOwnedComponent(owner, name);
  TOwnerNameIndex* index = NameIndexOf(owner);
  return index ? index->Find(name) : ScanOwnedComponent(owner, name);
}

bool IsValidIdent(const QString& name) {
  if (name.isEmpty()) return false;
  auto isAlpha = [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_'; };
  if (!isAlpha(name[0])) return false;
  for (QChar c : name)
    if (!isAlpha(c) && !(c >= u'0' && c <= u'9')) return false;
  return true;
}

void Free(QObject* object) {
  if (!object) return;
  if (auto* hooks = dynamic_cast<TStreamHooks*>(object)) hooks->BeforeDestruction();
  delete object;
}

namespace {
QHash<QString, TRegisteredClass>& Registry() {
  static QHash<QString, TRegisteredClass> registry;
  return registry;
}
}  // namespace

void RegisterClass(const QMetaObject* metaObject, TComponentFactory factory) {
  const QString name = QString::fromLatin1(metaObject->className());
  Registry().insert(name.toLower(), TRegisteredClass{metaObject, std::move(factory)});
}

const TRegisteredClass* FindClass(const QString& className) {
  auto& registry = Registry();
  auto it = registry.constFind(className.toLower());
  return it == registry.constEnd() ? nullptr : &it.value();
}

bool IsClassRegistered(const QString& className) { return FindClass(className) != nullptr; }

bool InheritsFrom(const QMetaObject* meta, const QMetaObject* base) {
  for (; meta; meta = meta->superClass())
    if (meta == base) return true;
  return false;
}
