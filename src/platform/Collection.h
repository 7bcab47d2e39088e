#pragma once
// Collections of persistent items (handles, link points, text cells, layers...).
// A collection owns its items; items know their collection and index. The stream writes
// a collection as one vaCollection value whose entries carry each item's published properties.

#include "platform/Component.h"

#include <functional>
#include <memory>
#include <vector>

class TCollection;

enum class TCollectionNotification { Added, Extracting, Deleting };

class TCollectionItem : public TPersistent {
  Q_OBJECT
public:
  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;

  TCollection* Collection() const { return FCollection; }
  int Index() const;
  void SetIndex(int index);
  int ID() const { return FID; }
  QObject* GetOwner() const override;
  virtual QString GetDisplayName() const;

protected:
  // Tells the collection that this item (or, with allItems, every item) changed.
  void Changed(bool allItems);

private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
};

class TCollection : public TPersistent {
  Q_OBJECT
public:
  using TItemFactory = std::function<TCollectionItem*(TCollection*)>;

  // owner: the object that holds the collection (names it in messages, receives changes).
  TCollection(QObject* owner, TItemFactory itemFactory);
  ~TCollection() override;

  int Count() const { return static_cast<int>(FItems.size()); }
  // Raises EListError for an index outside 0..Count-1.
  TCollectionItem* Items(int index) const;
  TCollectionItem* Add();
  TCollectionItem* Insert(int index);
  void Delete(int index);
  void Clear();
  int IndexOf(const TCollectionItem* item) const;
  TCollectionItem* FindItemID(int id) const;

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  QObject* GetOwner() const override { return FOwner; }
  void Assign(const TPersistent* source) override;

  template <class T>
  T* ItemAs(int index) const { return static_cast<T*>(Items(index)); }

protected:
  // A change of item (nullptr: of the whole collection). Called only outside BeginUpdate/EndUpdate.
  virtual void Update(TCollectionItem* item) {}
  virtual void Notify(TCollectionItem* item, TCollectionNotification action) {}
  void Changed();

private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item, int index);
  void DetachItem(TCollectionItem* item);
  void MoveItem(int from, int to);
  void ItemChanged(TCollectionItem* item);

  QObject* FOwner;
  TItemFactory FItemFactory;
  std::vector<std::unique_ptr<TCollectionItem>> FItems;
  int FNextID = 0;
  int FUpdateCount = 0;
  bool FClearing = false;
};
