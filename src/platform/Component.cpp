#include "platform/Component.h"
#include "platform/Exceptions.h"

#include <QHash>

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

QObject* FindOwnedComponent(const QObject* owner, const QString& name) {
  if (!owner || name.isEmpty()) return nullptr;
  for (QObject* child : owner->children())
    if (child->objectName().compare(name, Qt::CaseInsensitive) == 0) return child;
  return nullptr;
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
