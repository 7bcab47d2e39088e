#include "platform/Collection.h"
#include "platform/Exceptions.h"

#include <algorithm>

TCollectionItem::TCollectionItem(TCollection* collection) : FCollection(collection) {}

TCollectionItem::~TCollectionItem() = default;

int TCollectionItem::Index() const { return FCollection ? FCollection->IndexOf(this) : -1; }

void TCollectionItem::SetIndex(int index) {
  const int current = Index();
  if (current >= 0 && current != index) FCollection->MoveItem(current, index);
}

QObject* TCollectionItem::GetOwner() const { return FCollection; }

QString TCollectionItem::GetDisplayName() const { return ClassName(); }

void TCollectionItem::Changed(bool allItems) {
  if (FCollection && FCollection->UpdateCount() == 0) FCollection->ItemChanged(allItems ? nullptr : this);
}

TCollection::TCollection(QObject* owner, TItemFactory itemFactory)
    : FOwner(owner), FItemFactory(std::move(itemFactory)) {}

TCollection::~TCollection() {
  // Items are destroyed without notifications: the owner is going away too.
  FClearing = true;
  FItems.clear();
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count())
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
  return FItems[static_cast<size_t>(index)].get();
}

TCollectionItem* TCollection::Add() { return Insert(Count()); }

TCollectionItem* TCollection::Insert(int index) {
  if (index < 0 || index > Count())
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
  TCollectionItem* item = FItemFactory(this);
  item->AfterConstruction();
  InsertItem(item, index);
  return item;
}

void TCollection::InsertItem(TCollectionItem* item, int index) {
  item->FCollection = this;
  item->FID = FNextID++;
  FItems.insert(FItems.begin() + index, std::unique_ptr<TCollectionItem>(item));
  Notify(item, TCollectionNotification::Added);
  Changed();
}

void TCollection::Delete(int index) {
  TCollectionItem* item = Items(index);
  Notify(item, TCollectionNotification::Deleting);
  DetachItem(item);
  Changed();
}

void TCollection::DetachItem(TCollectionItem* item) {
  const int index = IndexOf(item);
  if (index < 0) return;
  std::unique_ptr<TCollectionItem> owned = std::move(FItems[static_cast<size_t>(index)]);
  FItems.erase(FItems.begin() + index);
  owned.reset();
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  FClearing = true;
  try {
    while (!FItems.empty()) Delete(Count() - 1);
  } catch (...) {
    FClearing = false;
    EndUpdate();
    throw;
  }
  FClearing = false;
  EndUpdate();
}

int TCollection::IndexOf(const TCollectionItem* item) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == item) return static_cast<int>(i);
  return -1;
}

TCollectionItem* TCollection::FindItemID(int id) const {
  for (const auto& item : FItems)
    if (item->ID() == id) return item.get();
  return nullptr;
}

void TCollection::MoveItem(int from, int to) {
  to = std::clamp(to, 0, Count() - 1);
  std::unique_ptr<TCollectionItem> moving = std::move(FItems[static_cast<size_t>(from)]);
  FItems.erase(FItems.begin() + from);
  FItems.insert(FItems.begin() + to, std::move(moving));
  Changed();
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::ItemChanged(TCollectionItem* item) { Update(item); }

void TCollection::Assign(const TPersistent* source) {
  const auto* other = qobject_cast<const TCollection*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  BeginUpdate();
  try {
    Clear();
    for (const auto& item : other->FItems) Add()->Assign(item.get());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}
