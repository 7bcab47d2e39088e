#include "streaming/IdentMaps.h"

#include <QHash>
#include <memory>

namespace {

struct TRegistry {
  QHash<QByteArray, std::shared_ptr<TIntIdentMap>> Maps;
  int Generation = 0;
};

TRegistry& Registry() {
  static TRegistry registry;
  return registry;
}

}  // namespace

void RegisterIntIdentMap(const QByteArray& typeName, TIntIdentMap map) {
  auto& registry = Registry();
  registry.Maps.insert(typeName, std::make_shared<TIntIdentMap>(std::move(map)));
  ++registry.Generation;
}

void UnregisterIntIdentMap(const QByteArray& typeName) {
  auto& registry = Registry();
  registry.Maps.remove(typeName);
  ++registry.Generation;
}

const TIntIdentMap* FindIntIdentMap(const QByteArray& typeName) {
  const auto& maps = Registry().Maps;
  auto it = maps.constFind(typeName);
  return it == maps.constEnd() ? nullptr : it.value().get();
}

int IntIdentMapsGeneration() { return Registry().Generation; }

TIntIdentMap MakeTableIdentMap(const TIdentMapEntry* entries, size_t count) {
  std::vector<TIdentMapEntry> table(entries, entries + count);
  TIntIdentMap map;
  map.ToIdent = [table](int32_t value) -> std::optional<QString> {
    for (const auto& e : table)
      if (e.Value == value) return QString::fromLatin1(e.Ident);
    return std::nullopt;
  };
  map.FromIdent = [table](const QString& ident) -> std::optional<int32_t> {
    for (const auto& e : table)
      if (ident.compare(QLatin1String(e.Ident), Qt::CaseInsensitive) == 0) return e.Value;
    return std::nullopt;
  };
  return map;
}
