#include "platform/Collection.h"
#include "platform/Exceptions.h"

#include <gtest/gtest.h>

namespace {

class TNumberItem : public TCollectionItem {
public:
  using TCollectionItem::TCollectionItem;
  int Value = 0;
  void Assign(const TPersistent* source) override {
    if (auto* other = dynamic_cast<const TNumberItem*>(source)) Value = other->Value;
    else TCollectionItem::Assign(source);
  }
  void Touch() { Changed(false); }
};

class TCountingCollection : public TCollection {
public:
  TCountingCollection()
      : TCollection(nullptr, [](TCollection* c) { return new TNumberItem(c); }) {}
  int Updates = 0;
  TCollectionItem* LastItem = nullptr;

protected:
  void Update(TCollectionItem* item) override { ++Updates; LastItem = item; }
};

}  // namespace

TEST(Collection, AddDeleteAndIndexes) {
  TCountingCollection list;
  auto* a = list.Add();
  auto* b = list.Add();
  auto* c = list.Insert(0);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(c->Index(), 0);
  EXPECT_EQ(a->Index(), 1);
  b->SetIndex(0);
  EXPECT_EQ(list.Items(0), b);
  list.Delete(1);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.IndexOf(c), -1);
  EXPECT_THROW(list.Items(2), EListError);
  EXPECT_THROW(list.Items(-1), EListError);
}

TEST(Collection, UpdatesAreBatchedAndItemChangesNamed) {
  TCountingCollection list;
  list.BeginUpdate();
  list.Add();
  list.Add();
  EXPECT_EQ(list.Updates, 0);
  list.EndUpdate();
  EXPECT_EQ(list.Updates, 1);
  static_cast<TNumberItem*>(list.Items(1))->Touch();
  EXPECT_EQ(list.LastItem, list.Items(1));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.LastItem, nullptr);
}

TEST(Collection, AssignCopiesItemsIntoOwnOnes) {
  TCountingCollection source, target;
  static_cast<TNumberItem*>(source.Add())->Value = 7;
  static_cast<TNumberItem*>(source.Add())->Value = 9;
  target.Add();
  target.Assign(&source);
  ASSERT_EQ(target.Count(), 2);
  EXPECT_EQ(target.ItemAs<TNumberItem>(0)->Value, 7);
  EXPECT_EQ(target.ItemAs<TNumberItem>(1)->Value, 9);
  EXPECT_NE(target.Items(0), source.Items(0));
}
