#include "streaming/StreamClass.h"

#include "platform/Collection.h"
#include "platform/Component.h"

#include <QMetaEnum>
#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <tuple>

namespace {

bool SameNameIgnoringCase(std::string_view a, const QByteArray& b) {
  if (a.size() != static_cast<size_t>(b.size())) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[static_cast<qsizetype>(i)];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

std::vector<TSetMember> SetMembersOf(const QMetaProperty& meta) {
  std::vector<TSetMember> members;
  const QMetaEnum e = meta.enumerator();
  for (int i = 0; i < e.keyCount(); ++i) {
    const int64_t bit = static_cast<uint32_t>(e.value(i));
    if (bit == 0 || (bit & (bit - 1)) != 0) continue;  // only single members
    members.push_back({bit, QByteArray(e.key(i))});
  }
  std::sort(members.begin(), members.end(), [](const TSetMember& a, const TSetMember& b) { return a.Bit < b.Bit; });
  return members;
}

TStreamClass Build(const QMetaObject* meta) {
  TStreamClass result;
  for (const TPublishedProperty& p : PublishedProperties(meta)) {
    TStreamProperty s;
    s.Meta = p.Meta;
    s.Kind = p.Kind;
    s.Name = p.Name.toUtf8();
    s.TypeName = QByteArray(p.Meta.typeName());
    s.OrdinalDefault = DeclaredDefaultValue(p);
    s.StoredMethod = p.StoredMethod;
    s.Published = &p;
    if (p.Kind == TPropertyKind::Set) s.SetMembers = SetMembersOf(p.Meta);
    s.Readable = p.Meta.isReadable();
    s.Writable = p.Meta.isWritable();
    s.StoredFlag = p.Meta.isStored();
    s.Type = p.Meta.metaType();
    s.Declaring = p.Meta.enclosingMetaObject();
    s.RelativeIndex = p.Meta.relativePropertyIndex();
    result.IndexByName.insert(s.Name, static_cast<int>(result.Properties.size()));
    result.Properties.push_back(std::move(s));
  }
  result.OwnedSubObject = meta->inherits(&TPersistent::staticMetaObject) && !meta->inherits(&TComponent::staticMetaObject);
  result.Collection = meta->inherits(&TCollection::staticMetaObject);
  return result;
}

TDefaultOverride ParseOverride(const TStreamProperty& property, const QString& declared) {
  TDefaultOverride result;
  if (declared.isEmpty()) return result;
  switch (property.Kind) {
    case TPropertyKind::Float: {
      bool ok = false;
      result.Float = declared.toDouble(&ok);
      result.Declared = ok;
      return result;
    }
    case TPropertyKind::String:
      result.Text = declared;
      result.Declared = true;
      return result;
    default: {
      TPublishedProperty copy = *property.Published;
      copy.DeclaredDefault = declared;
      const auto value = DeclaredDefaultValue(copy);
      result.Declared = value.has_value();
      result.Ordinal = value.value_or(0);
      return result;
    }
  }
}

}  // namespace

const TIdentMapFunctions* TStreamProperty::IdentMap() const {
  const int generation = IntIdentMapsGeneration();
  if (generation != FMapGeneration) {
    FMap = FindIntIdentMap(TypeName);
    FMapGeneration = generation;
  }
  return FMap;
}

const TStreamProperty* TStreamClass::Find(std::string_view name) const {
  // Streams name properties in declaration order, and the parts of dotted names ask for
  // the same sub-object several times in a row: try the last one found, then the next ones.
  constexpr size_t kGuesses = 32;
  const size_t count = Properties.size();
  for (size_t i = 0; i < kGuesses && i < count; ++i) {
    const size_t at = (FNextGuess + count - 1 + i) % count;
    const QByteArray& candidate = Properties[at].Name;
    if (static_cast<size_t>(candidate.size()) == name.size() && std::memcmp(candidate.constData(), name.data(), name.size()) == 0) {
      FNextGuess = at + 1;
      return &Properties[at];
    }
  }
  auto it = IndexByName.constFind(QByteArray::fromRawData(name.data(), static_cast<qsizetype>(name.size())));
  if (it != IndexByName.constEnd()) {
    FNextGuess = static_cast<size_t>(it.value()) + 1;
    return &Properties[static_cast<size_t>(it.value())];
  }
  for (const auto& p : Properties)
    if (SameNameIgnoringCase(name, p.Name)) return &p;
  return nullptr;
}

const TStreamClass& StreamClassOf(const QMetaObject* meta) {
  static QHash<const QMetaObject*, std::shared_ptr<TStreamClass>> cache;
  // Streams ask for the same few classes over and over (an element, its font, its pen...):
  // a small direct-mapped table in front of the hash answers most of them.
  struct TRecent {
    const QMetaObject* Meta = nullptr;
    const TStreamClass* Class = nullptr;
  };
  static std::array<TRecent, 64> recent;
  TRecent& slot = recent[(reinterpret_cast<quintptr>(meta) >> 4) % recent.size()];
  if (slot.Meta == meta) return *slot.Class;
  auto it = cache.constFind(meta);
  if (it == cache.constEnd()) it = cache.insert(meta, std::make_shared<TStreamClass>(Build(meta)));
  slot = {meta, it.value().get()};
  return *slot.Class;
}

const std::vector<TDefaultOverride>& PathDefaultsFor(const QMetaObject* ownerMeta, const QMetaObject* subMeta,
                                                      const QByteArray& prefix) {
  using TKey = std::tuple<const QMetaObject*, const QMetaObject*, QByteArray>;
  static std::map<TKey, std::vector<TDefaultOverride>> cache;
  TKey key{ownerMeta, subMeta, prefix};
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  std::vector<TDefaultOverride> overrides;
  for (const TStreamProperty& p : StreamClassOf(subMeta).Properties)
    overrides.push_back(ParseOverride(p, PathDefault(ownerMeta, QString::fromUtf8(prefix + p.Name))));
  return cache.emplace(std::move(key), std::move(overrides)).first->second;
}

namespace {

// A property call through its declaring class's static metacall; false when the class has none.
bool CallStaticMetacall(QObject* instance, const TStreamProperty& property, QMetaObject::Call call, void** argv) {
  if (!property.Declaring || !property.Declaring->d.static_metacall) return false;
  property.Declaring->d.static_metacall(instance, call, property.RelativeIndex, argv);
  return true;
}

// Reads a property into storage of its type; false when the class has no static metacall.
bool ReadThroughStaticMetacall(QObject* instance, const TStreamProperty& property, void* storage, QVariant* variant) {
  int status = -1;
  void* argv[] = {storage, variant, &status};
  return CallStaticMetacall(instance, property, QMetaObject::ReadProperty, argv);
}

}  // namespace

QVariant ReadPropertyValue(QObject* instance, const TStreamProperty& property) {
  if (property.Type == QMetaType::fromType<QVariant>()) return property.Meta.read(instance);
  QVariant value(property.Type);
  if (!ReadThroughStaticMetacall(instance, property, value.data(), &value)) return property.Meta.read(instance);
  return value;
}

QObject* ReadObjectProperty(QObject* instance, const TStreamProperty& property) {
  // moc needs QObject as the first base of every class it knows, so the getter's pointer
  // is the QObject's.
  QObject* value = nullptr;
  if (!(property.Type.flags() & QMetaType::PointerToQObject) ||
      !ReadThroughStaticMetacall(instance, property, &value, nullptr))
    return property.Meta.read(instance).value<QObject*>();
  return value;
}

void WritePropertyValue(QObject* instance, const TStreamProperty& property, void* value) {
  int status = -1;
  int flags = 0;
  void* argv[] = {value, nullptr, &status, &flags};
  if (!CallStaticMetacall(instance, property, QMetaObject::WriteProperty, argv))
    QMetaObject::metacall(instance, QMetaObject::WriteProperty, property.Meta.propertyIndex(), argv);
}

int64_t VariantToInt64(const QVariant& value) {
  const QMetaType type = value.metaType();
  const void* data = value.constData();
  switch (type.id()) {
    case QMetaType::Bool: return *static_cast<const bool*>(data) ? 1 : 0;
    case QMetaType::Int: return *static_cast<const int*>(data);
    case QMetaType::UInt: return *static_cast<const unsigned*>(data);
    case QMetaType::Short: return *static_cast<const short*>(data);
    case QMetaType::UShort: return *static_cast<const unsigned short*>(data);
    case QMetaType::SChar: return *static_cast<const signed char*>(data);
    case QMetaType::UChar: return *static_cast<const unsigned char*>(data);
    case QMetaType::Char: return *static_cast<const char*>(data);
    case QMetaType::LongLong: return *static_cast<const qlonglong*>(data);
    case QMetaType::ULongLong: return static_cast<int64_t>(*static_cast<const qulonglong*>(data));
    case QMetaType::QChar: return static_cast<const QChar*>(data)->unicode();
    default: break;
  }
  switch (type.sizeOf()) {  // enum types and flags
    case 1: return *static_cast<const int8_t*>(data);
    case 2: return *static_cast<const int16_t*>(data);
    case 4: return *static_cast<const int32_t*>(data);
    case 8: return *static_cast<const int64_t*>(data);
    default: return value.toLongLong();
  }
}

namespace {
template <class T>
std::optional<QVariant> Fitting(QMetaType type, int64_t value, int64_t low, int64_t high) {
  if (value < low || value > high) return std::nullopt;
  const T stored = static_cast<T>(value);
  return QVariant(type, &stored);
}
}  // namespace

std::optional<QVariant> Int64ToVariant(QMetaType type, int64_t value) {
  using L = std::numeric_limits<int64_t>;
  switch (type.id()) {
    case QMetaType::Int: return Fitting<int32_t>(type, value, INT32_MIN, INT32_MAX);
    case QMetaType::UInt: return Fitting<uint32_t>(type, value, 0, UINT32_MAX);
    case QMetaType::Short: return Fitting<int16_t>(type, value, INT16_MIN, INT16_MAX);
    case QMetaType::UShort: return Fitting<uint16_t>(type, value, 0, UINT16_MAX);
    case QMetaType::SChar: return Fitting<int8_t>(type, value, INT8_MIN, INT8_MAX);
    case QMetaType::UChar: return Fitting<uint8_t>(type, value, 0, UINT8_MAX);
    case QMetaType::Char: return Fitting<char>(type, value, CHAR_MIN, CHAR_MAX);
    case QMetaType::LongLong: return Fitting<int64_t>(type, value, L::min(), L::max());
    case QMetaType::ULongLong: return Fitting<uint64_t>(type, value, 0, L::max());
    case QMetaType::Bool: return Fitting<bool>(type, value, 0, 1);
    default: break;
  }
  if (!(type.flags() & QMetaType::IsEnumeration)) return std::nullopt;
  switch (type.sizeOf()) {
    case 1: return Fitting<int8_t>(type, value, INT8_MIN, UINT8_MAX);
    case 2: return Fitting<int16_t>(type, value, INT16_MIN, UINT16_MAX);
    case 4: return Fitting<int32_t>(type, value, INT32_MIN, UINT32_MAX);
    case 8: return Fitting<int64_t>(type, value, L::min(), L::max());
    default: return std::nullopt;
  }
}
