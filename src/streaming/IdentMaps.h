#pragma once
// Int-to-identifier maps for integer property types whose values have names (colours,
// cursors, font character sets), looked up by the property's C++ type name as it appears in
// the meta-object ("TColor"). The platform layer's maps (platform/IdentMaps.h) answer for
// the standard types; a map registered here takes precedence for its type name, so hosts
// and tests can add or replace maps. The stream writes a mapped value as its identifier
// and accepts the identifier when reading.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

struct TIdentMapFunctions {
  std::function<std::optional<QString>(int32_t value)> ToIdent;
  std::function<std::optional<int32_t>(const QString& ident)> FromIdent;
};

// Replaces any map registered under typeName.
void RegisterIntIdentMap(const QByteArray& typeName, TIdentMapFunctions map);
void UnregisterIntIdentMap(const QByteArray& typeName);
// The registered map, else the platform's, else nullptr. The pointer stays valid until that
// name is registered again or unregistered.
const TIdentMapFunctions* FindIntIdentMap(const QByteArray& typeName);
// Changes whenever a map is registered or removed (lets caches notice).
int IntIdentMapsGeneration();

// A map from a fixed table of (value, identifier) pairs; identifiers match without regard to case.
struct TIdentMapEntry {
  int32_t Value;
  const char* Ident;
};
TIdentMapFunctions MakeTableIdentMap(const TIdentMapEntry* entries, size_t count);
