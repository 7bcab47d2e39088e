#include "GraphicsFakeFiler.h"
#include "platform/Exceptions.h"
#include "platform/Strings.h"

#include <gtest/gtest.h>

TEST(StringList, EditsAndBoundsChecks) {
  TStringList list;
  list.Add(QStringLiteral("one"));
  list.Add(QStringLiteral("three"));
  list.Insert(1, QStringLiteral("two"));
  EXPECT_EQ(list.ToStringList(), (QStringList{"one", "two", "three"}));
  list.Move(0, 2);
  EXPECT_EQ(list.ToStringList(), (QStringList{"two", "three", "one"}));
  list.Exchange(0, 1);
  EXPECT_EQ(list.ToStringList(), (QStringList{"three", "two", "one"}));
  EXPECT_EQ(list.IndexOf(QStringLiteral("TWO")), 1);
  EXPECT_EQ(list.IndexOf(QStringLiteral("four")), -1);
  for (int bad : {-1, 3}) {
    EXPECT_THROW(list.Get(bad), EListError) << bad;
    EXPECT_THROW(list.Delete(bad), EListError) << bad;
    EXPECT_THROW(list.Put(bad, QString()), EListError) << bad;
  }
  EXPECT_THROW(list.Insert(4, QString()), EListError);
  try {
    list.Get(7);
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (7)");
  }
  EXPECT_THROW(list.Move(0, 3), EListError);
  EXPECT_EQ(list.Count(), 3);
}

TEST(StringList, TextSplitsAtEveryLineBreakForm) {
  struct Case { const char* text; QStringList lines; };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
      {"a\n\nb\n", {"a", "", "b"}},
      {"\n", {""}},
      {"a\r\n\r\n", {"a", ""}},
  };
  TStringList list;
  for (const Case& c : cases) {
    list.SetText(QString::fromLatin1(c.text));
    EXPECT_EQ(list.ToStringList(), c.lines) << c.text;
  }
  list.SetStrings({"x", "y"});
  EXPECT_EQ(list.Text(), "x\ny\n");
}

TEST(StringList, SortedListsKeepOrderAndRefusePlacedEdits) {
  TStringList list;
  list.SetStrings({"pear", "Apple", "fig"});
  list.SetSorted(true);
  EXPECT_EQ(list.ToStringList(), (QStringList{"Apple", "fig", "pear"}));
  EXPECT_EQ(list.Add(QStringLiteral("banana")), 1);
  EXPECT_EQ(list.IndexOf(QStringLiteral("PEAR")), 3);
  EXPECT_EQ(list.IndexOf(QStringLiteral("kiwi")), -1);
  EXPECT_THROW(list.Insert(0, QStringLiteral("z")), EListError);
  EXPECT_THROW(list.Put(0, QStringLiteral("z")), EListError);
}

TEST(StringList, NotifiesAroundChangesAndOnceInsideAnUpdate) {
  TStringList list;
  int changing = 0, changed = 0;
  list.OnChanging = [&](TPersistent*) { ++changing; };
  list.OnChange = [&](TPersistent* sender) {
    EXPECT_EQ(sender, &list);
    ++changed;
  };
  list.Add(QStringLiteral("a"));
  list.Put(0, QStringLiteral("a"));  // same text: no change
  EXPECT_EQ(changing, 1);
  EXPECT_EQ(changed, 1);
  list.BeginUpdate();
  list.Add(QStringLiteral("b"));
  list.Add(QStringLiteral("c"));
  list.Delete(0);
  EXPECT_EQ(changed, 1);
  list.EndUpdate();
  EXPECT_EQ(changing, 2);
  EXPECT_EQ(changed, 2);
  list.SetText(QStringLiteral("x\ny\nz"));
  EXPECT_EQ(changed, 3);
}

TEST(StringList, AssignCopiesLinesAndRefusesOtherTypes) {
  TStringList source, target;
  source.SetStrings({"1", "2"});
  target.Add(QStringLiteral("old"));
  target.Assign(&source);
  EXPECT_TRUE(target.Equals(source));
  target.AddStrings(target);
  EXPECT_EQ(target.ToStringList(), (QStringList{"1", "2", "1", "2"}));
  TPen pen;
  EXPECT_THROW(target.Assign(&pen), EConvertError);
}

TEST(StringList, StreamsLinesAsTheStringsCustomProperty) {
  TStringList list;
  {
    TRecordingFiler filer;
    list.DefineProperties(filer);
    ASSERT_EQ(filer.Properties.count("Strings"), 1u);
    EXPECT_FALSE(filer.Properties["Strings"].HasData);  // empty: not written
    EXPECT_FALSE(filer.Properties["Strings"].Binary);
  }
  list.SetStrings({"first", "", "third"});
  TRecordingFiler filer;
  list.DefineProperties(filer);
  TRecordedProperty& strings = filer.Properties["Strings"];
  ASSERT_TRUE(strings.HasData);
  TTokenWriter writer;
  strings.Write(writer);
  const std::vector<QVariant> expected{"(", "'first", "'", "'third", ")"};
  EXPECT_EQ(writer.Tokens, expected);

  TStringList copy;
  copy.Add(QStringLiteral("stale"));
  TRecordingFiler readFiler;
  copy.DefineProperties(readFiler);
  TTokenReader reader(writer.Tokens);
  readFiler.Properties["Strings"].Read(reader);
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_TRUE(copy.Equals(list));
}
