#include "platform/Published.h"

#include <QHash>
#include <QMetaClassInfo>
#include <QObject>

namespace {

const QMetaObject* PublishedRoot(const QMetaObject* meta) {
  const QMetaObject* root = nullptr;
  for (const QMetaObject* m = meta; m; m = m->superClass()) {
    const int idx = m->indexOfClassInfo("PublishedRoot");
    if (idx >= 0 && idx >= m->classInfoOffset()) root = m;
  }
  return root;
}

TPropertyKind KindOf(const QMetaProperty& prop) {
  if (prop.isFlagType()) return TPropertyKind::Set;
  if (prop.isEnumType()) return TPropertyKind::Enumeration;
  const QMetaType type = prop.metaType();
  if (type.flags() & QMetaType::PointerToQObject) return TPropertyKind::Object;
  // Plain enums that are not Q_ENUMs (TColor, TCursor, TFontCharset) are integers whose
  // type name selects an identifier map.
  if (type.flags() & QMetaType::IsEnumeration) return TPropertyKind::Integer;
  switch (type.id()) {
    case QMetaType::Bool: return TPropertyKind::Boolean;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar: return TPropertyKind::Integer;
    case QMetaType::QChar:
    case QMetaType::Char: return TPropertyKind::Char;
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return TPropertyKind::Int64;
    case QMetaType::Double:
    case QMetaType::Float: return TPropertyKind::Float;
    case QMetaType::QString: return TPropertyKind::String;
    default: return TPropertyKind::Other;
  }
}

QString ClassInfo(const QMetaObject* meta, const QByteArray& key) {
  const int idx = meta->indexOfClassInfo(key.constData());
  return idx < 0 ? QString() : QString::fromLatin1(meta->classInfo(idx).value());
}

std::vector<TPublishedProperty> BuildList(const QMetaObject* meta) {
  std::vector<TPublishedProperty> list;
  const QMetaObject* root = PublishedRoot(meta);
  if (!root) return list;
  for (int i = root->propertyOffset(); i < meta->propertyCount(); ++i) {
    TPublishedProperty p;
    p.Meta = meta->property(i);
    p.Name = QString::fromLatin1(p.Meta.name());
    p.Kind = KindOf(p.Meta);
    p.DeclaredDefault = ClassInfo(meta, "default:" + QByteArray(p.Meta.name()));
    const QString stored = ClassInfo(meta, "stored:" + QByteArray(p.Meta.name()));
    if (!stored.isEmpty()) p.StoredMethod = meta->indexOfMethod((stored + QStringLiteral("()")).toLatin1().constData());
    list.push_back(std::move(p));
  }
  return list;
}

}  // namespace

const std::vector<TPublishedProperty>& PublishedProperties(const QMetaObject* meta) {
  static QHash<const QMetaObject*, std::vector<TPublishedProperty>> cache;
  auto it = cache.find(meta);
  if (it == cache.end()) it = cache.insert(meta, BuildList(meta));
  return it.value();
}

const TPublishedProperty* FindPublishedProperty(const QMetaObject* meta, const QString& name) {
  for (const auto& p : PublishedProperties(meta))
    if (p.Name.compare(name, Qt::CaseInsensitive) == 0) return &p;
  return nullptr;
}

bool IsPropertyStored(const QObject* object, const TPublishedProperty& property) {
  if (!property.Meta.isStored()) return false;
  if (property.StoredMethod < 0) return true;
  bool stored = true;
  const QMetaMethod method = object->metaObject()->method(property.StoredMethod);
  method.invoke(const_cast<QObject*>(object), Qt::DirectConnection, Q_RETURN_ARG(bool, stored));
  return stored;
}

namespace {
std::optional<qint64> ParseDefault(const TPublishedProperty& property, const QString& declared) {
  const QString text = declared.trimmed();
  if (text.isEmpty()) return std::nullopt;
  if (text == QStringLiteral("true")) return 1;
  if (text == QStringLiteral("false")) return 0;
  if (property.Kind == TPropertyKind::Enumeration || property.Kind == TPropertyKind::Set) {
    const QMetaEnum e = property.Meta.enumerator();
    QString keys = text;
    if (keys.startsWith(u'[')) keys = keys.mid(1, keys.size() - 2).replace(u',', u'|');
    if (keys.isEmpty()) return 0;
    bool ok = false;
    const int v = property.Kind == TPropertyKind::Set ? e.keysToValue(keys.toLatin1().constData(), &ok)
                                                      : e.keyToValue(keys.toLatin1().constData(), &ok);
    if (ok) return v;
  }
  bool ok = false;
  qint64 v = text.toLongLong(&ok, 0);
  if (!ok) return std::nullopt;
  // A 32-bit property written in hex (0xFF000014) means the same bits.
  if (property.Kind != TPropertyKind::Int64 && v > 0x7FFFFFFFLL && v <= 0xFFFFFFFFLL)
    v = static_cast<int32_t>(static_cast<uint32_t>(v));
  return v;
}
}  // namespace

std::optional<qint64> DeclaredDefaultValue(const TPublishedProperty& property) {
  return ParseDefault(property, property.DeclaredDefault);
}

namespace {
qint64 OrdinalValue(const QVariant& value, TPropertyKind kind) {
  if (kind == TPropertyKind::Char) return value.toChar().unicode();
  // Enum-typed variants do not convert through toLongLong() for every type; read the raw int.
  if (kind == TPropertyKind::Enumeration || kind == TPropertyKind::Set) return *static_cast<const int*>(value.constData());
  return value.toLongLong();
}
}  // namespace

QString PathDefault(const QMetaObject* owner, const QString& path) {
  if (!owner) return {};
  return ClassInfo(owner, "default:" + path.toLatin1());
}

bool IsDefaultValueAt(const QMetaObject* owner, const QString& path, const QObject* object,
                      const TPublishedProperty& property) {
  const QString declared = PathDefault(owner, path);
  if (declared.isEmpty()) return IsDefaultValue(object, property);
  const QVariant value = property.Meta.read(object);
  switch (property.Kind) {
    case TPropertyKind::Float: return value.toDouble() == declared.toDouble();
    case TPropertyKind::String: return value.toString() == declared;
    default: {
      const auto def = ParseDefault(property, declared);
      return def && OrdinalValue(value, property.Kind) == *def;
    }
  }
}

bool IsDefaultValue(const QObject* object, const TPublishedProperty& property) {
  const QVariant value = property.Meta.read(object);
  switch (property.Kind) {
    case TPropertyKind::Integer:
    case TPropertyKind::Char:
    case TPropertyKind::Enumeration:
    case TPropertyKind::Set:
    case TPropertyKind::Boolean: {
      const auto def = DeclaredDefaultValue(property);
      return def && OrdinalValue(value, property.Kind) == *def;
    }
    case TPropertyKind::Float: return value.toDouble() == 0.0;
    case TPropertyKind::String: return value.toString().isEmpty();
    case TPropertyKind::Int64: return value.toLongLong() == 0;
    case TPropertyKind::Object: return value.value<QObject*>() == nullptr;
    default: return false;
  }
}
