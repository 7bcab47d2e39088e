#include "streaming/IdentMaps.h"

#include "platform/IdentMaps.h"

#include <QHash>
#include <memory>

namespace {

struct TRegistry {
  QHash<QByteArray, std::shared_ptr<TIdentMapFunctions>> Maps;
  QHash<QByteArray, std::shared_ptr<TIdentMapFunctions>> PlatformAdapters;
  int Generation = 0;
};

TRegistry& Registry() {
  static TRegistry registry;
  return registry;
}

}  // namespace

void RegisterIntIdentMap(const QByteArray& typeName, TIdentMapFunctions map) {
  auto& registry = Registry();
  registry.Maps.insert(typeName, std::make_shared<TIdentMapFunctions>(std::move(map)));
  ++registry.Generation;
}

void UnregisterIntIdentMap(const QByteArray& typeName) {
  auto& registry = Registry();
  registry.Maps.remove(typeName);
  ++registry.Generation;
}

const TIdentMapFunctions* FindIntIdentMap(const QByteArray& typeName) {
  auto& registry = Registry();
  auto it = registry.Maps.constFind(typeName);
  if (it != registry.Maps.constEnd()) return it.value().get();
  auto adapter = registry.PlatformAdapters.constFind(typeName);
  if (adapter != registry.PlatformAdapters.constEnd()) return adapter.value().get();
  const TIntIdentMap* platform = IntIdentMapFor(typeName.constData());
  std::shared_ptr<TIdentMapFunctions> wrapped;
  if (platform) {
    wrapped = std::make_shared<TIdentMapFunctions>();
    if (const TIntToIdent toIdent = platform->ToIdent) {
      wrapped->ToIdent = [toIdent](int32_t value) -> std::optional<QString> {
        QString ident;
        if (toIdent(value, ident)) return ident;
        return std::nullopt;
      };
    }
    if (const TIdentToInt toInt = platform->ToInt) {
      wrapped->FromIdent = [toInt](const QString& ident) -> std::optional<int32_t> {
        int32_t value = 0;
        if (toInt(ident, value)) return value;
        return std::nullopt;
      };
    }
  }
  registry.PlatformAdapters.insert(typeName, wrapped);
  return wrapped.get();
}

int IntIdentMapsGeneration() { return Registry().Generation; }

TIdentMapFunctions MakeTableIdentMap(const TIdentMapEntry* entries, size_t count) {
  std::vector<TIdentMapEntry> table(entries, entries + count);
  TIdentMapFunctions map;
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
