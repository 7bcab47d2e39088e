#pragma once
// What the component writer and reader need to know about a class's published properties,
// computed once per class: UTF-8 names, parsed defaults, set members, name lookup.

#include "platform/Published.h"
#include "streaming/IdentMaps.h"

#include <QByteArray>
#include <QHash>
#include <QMetaProperty>
#include <QVariant>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

struct TSetMember {
  int64_t Bit;
  QByteArray Name;
};

struct TStreamProperty {
  QMetaProperty Meta;
  TPropertyKind Kind = TPropertyKind::Other;
  QByteArray Name;      // UTF-8, as written
  QByteArray TypeName;  // selects the int-to-identifier map
  std::optional<int64_t> OrdinalDefault;
  int StoredMethod = -1;
  const TPublishedProperty* Published = nullptr;
  std::vector<TSetMember> SetMembers;  // ascending member order
  // The meta property's flags, read once: the writer asks them for every object.
  bool Readable = false;
  bool Writable = false;
  bool StoredFlag = false;
  // For reads and writes through the declaring class's static metacall.
  QMetaType Type;
  const QMetaObject* Declaring = nullptr;
  int RelativeIndex = -1;

  // The identifier map of this property's type, or nullptr (integer properties only).
  const TIdentMapFunctions* IdentMap() const;

private:
  mutable const TIdentMapFunctions* FMap = nullptr;
  mutable int FMapGeneration = -1;
};

struct TStreamClass {
  std::vector<TStreamProperty> Properties;
  QHash<QByteArray, int> IndexByName;
  // A persistent that is not a component: its owner writes its properties under a path.
  bool OwnedSubObject = false;
  bool Collection = false;
  // Exact name first, then without regard to case. Streams list properties in this order,
  // so the last entry found and a few after it are tried before the hash.
  const TStreamProperty* Find(std::string_view name) const;

private:
  mutable size_t FNextGuess = 0;
};

const TStreamClass& StreamClassOf(const QMetaObject* meta);

// A default declared by an owner class for a sub-object property reached by path
// ("Brush.Color"), parsed for the property's kind.
struct TDefaultOverride {
  bool Declared = false;
  int64_t Ordinal = 0;
  double Float = 0;
  QString Text;
};
// Overrides for each property of subMeta (aligned with StreamClassOf(subMeta).Properties) as
// declared by ownerMeta for the paths prefix + name. Cached.
const std::vector<TDefaultOverride>& PathDefaultsFor(const QMetaObject* ownerMeta, const QMetaObject* subMeta,
                                                      const QByteArray& prefix);

// A property's value, read through the static metacall of the class that declares it:
// QMetaProperty::read goes up the chain of qt_metacall overrides for every read.
QVariant ReadPropertyValue(QObject* instance, const TStreamProperty& property);
// The object a property of a QObject pointer type holds, read without a variant.
QObject* ReadObjectProperty(QObject* instance, const TStreamProperty& property);
// Hands value, which must be of exactly the property's type, to its setter the same way.
void WritePropertyValue(QObject* instance, const TStreamProperty& property, void* value);

// Integer value of an integral or enum-typed variant, by its storage type.
int64_t VariantToInt64(const QVariant& value);
// A variant of the property's integral or enum type holding value; nullopt when the value
// does not fit that type (32-bit enum-like types such as colours take the 32-bit pattern of
// any value from INT32_MIN to UINT32_MAX).
std::optional<QVariant> Int64ToVariant(QMetaType type, int64_t value);
