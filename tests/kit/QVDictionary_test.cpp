// Dictionaries: key paths, the three refusal codes, order, merge and equality.
#include "kit/QVDictionary.h"

#include <gtest/gtest.h>

#include <string>

#include "kit/QVErrors.h"
#include "kit/QVValue.h"

namespace {

QVValue Int(int64_t i) { return QVValueSetasSInt64(i); }

int64_t IntAt(const QVDictionary& d, const char* key) {
  return QVValueGetasSInt64(d.GetValue(key), false);
}

std::string Keys(const QVDictionary& d) {
  std::string keys;
  for (const QVDictionary::Entry& entry : d) keys += std::string(entry.first.c_str()) + ",";
  return keys;
}

TEST(QVDictionaryPaths, SetValueCreatesTheIntermediateDictionaries) {
  QVDictionary d;
  ASSERT_EQ(d.SetValue("a.b.c", Int(1)), 0);
  const QVDictionary* ab = d.GetValue("a.b").GetasQVDictionary();
  ASSERT_NE(ab, nullptr);
  EXPECT_EQ(ab->Count(), 1u);
  EXPECT_EQ(IntAt(*ab, "c"), 1);
  EXPECT_TRUE(d.GetValue("a").GetasQVDictionary() != nullptr);
  EXPECT_EQ(d.Count(), 1u);

  // A second leaf reuses the dictionaries on the way.
  ASSERT_EQ(d.SetValue("a.b.d", Int(2)), 0);
  ASSERT_EQ(d.AddValue("a.e", Int(3)), 0);
  EXPECT_EQ(Keys(*d.GetValue("a.b").GetasQVDictionary()), "c,d,");
  EXPECT_EQ(Keys(*d.GetValue("a").GetasQVDictionary()), "b,e,");
  EXPECT_TRUE(d.ContainsKey("a.b.d"));
  EXPECT_FALSE(d.ContainsKey("a.b.x"));
}

TEST(QVDictionaryPaths, InvalidKeysAreRefusedByEveryOperation) {
  QVDictionary d;
  EXPECT_EQ(d.SetValue("a", Int(1)), 0);
  EXPECT_EQ(d.SetValue("b.c", Int(2)), 0);
  const QVDictionary before = d;
  for (const char* key : {"", ".a", "a.", "a..b", "a-b", "a b", "b.c ", "caf\x8E", "."}) {
    SCOPED_TRACE(key);
    EXPECT_EQ(d.SetValue(key, Int(9)), kQVErrKeyInvalid);
    EXPECT_EQ(d.AddValue(key, Int(9)), kQVErrKeyInvalid);
    EXPECT_EQ(d.ReplaceValue(key, Int(9)), kQVErrKeyInvalid);
    EXPECT_EQ(d.RemoveValue(key), kQVErrKeyInvalid);
    QVValue out = Int(5);
    EXPECT_EQ(d.GetValue(key, out), kQVErrKeyInvalid);
    EXPECT_TRUE(out.IsEmpty());
    EXPECT_EQ(&d.GetValue(key), &kQVNullValue);
    EXPECT_FALSE(d.ContainsKey(key));
  }
  EXPECT_TRUE(d.IsEqual(before));
  for (const char* key : {"A_1", "_", "x.y_z.Q9"}) {
    EXPECT_EQ(d.SetValue(key, Int(1)), 0) << key;
  }
}

TEST(QVDictionaryPaths, AddReplaceAndRemoveRefuseWithTheirCodes) {
  QVDictionary d;
  EXPECT_EQ(d.SetValue("a", Int(1)), 0);
  EXPECT_EQ(d.SetValue("s.x", Int(2)), 0);

  EXPECT_EQ(d.AddValue("a", Int(7)), kQVErrKeyExists);
  EXPECT_EQ(IntAt(d, "a"), 1);
  EXPECT_EQ(d.AddValue("s.x", Int(7)), kQVErrKeyExists);
  EXPECT_EQ(IntAt(d, "s.x"), 2);

  EXPECT_EQ(d.ReplaceValue("missing", Int(7)), kQVErrKeyNotFound);
  EXPECT_EQ(d.ReplaceValue("nope.x", Int(7)), kQVErrKeyNotFound);
  EXPECT_EQ(d.ReplaceValue("s.y", Int(7)), kQVErrKeyNotFound);
  EXPECT_EQ(Keys(d), "a,s,");
  EXPECT_EQ(d.GetValue("s").GetasQVDictionary()->Count(), 1u);
  EXPECT_EQ(d.ReplaceValue("s.x", Int(8)), 0);
  EXPECT_EQ(IntAt(d, "s.x"), 8);

  EXPECT_EQ(d.RemoveValue("s.y"), kQVErrKeyNotFound);
  EXPECT_EQ(d.RemoveValue("t.x"), kQVErrKeyNotFound);
  EXPECT_EQ(d.RemoveValue("a.x"), kQVErrKeyInvalid);
  EXPECT_EQ(d.RemoveValue("s.x"), 0);
  EXPECT_TRUE(d.ContainsKey("s"));  // only the entry the path names goes
  EXPECT_FALSE(d.ContainsKey("s.x"));
  EXPECT_EQ(d.RemoveValue("a"), 0);
  EXPECT_EQ(Keys(d), "s,");
}

TEST(QVDictionaryPaths, PathsThroughANonDictionaryChangeNothing) {
  QVDictionary d;
  EXPECT_EQ(d.SetValue("a", Int(1)), 0);
  const QVDictionary before = d;

  QVValue out = Int(5);
  EXPECT_EQ(d.GetValue("a.b", out), kQVErrKeyInvalid);
  EXPECT_TRUE(out.IsEmpty());
  EXPECT_EQ(d.GetValue("x.b", out), kQVErrKeyNotFound);
  EXPECT_EQ(d.GetValue("x", out), kQVErrKeyNotFound);

  // The integer under "a" is never replaced by a dictionary behind the caller's back.
  EXPECT_EQ(d.SetValue("a.b", Int(2)), kQVErrKeyInvalid);
  EXPECT_EQ(d.ReplaceValue("a.b", Int(2)), kQVErrKeyInvalid);
  EXPECT_EQ(d.AddValue("a.b", Int(2)), kQVErrKeyExists);
  EXPECT_EQ(d.AddValue("a.b.c", Int(2)), kQVErrKeyExists);
  EXPECT_TRUE(d.IsEqual(before));
}

TEST(QVDictionaryPaths, AValueTakenFromTheDictionaryItselfCanBeStored) {
  QVDictionary d;
  for (const char* key : {"m", "n", "o", "p"}) EXPECT_EQ(d.SetValue(key, QVValueSetasQVString(key)), 0);
  EXPECT_EQ(d.SetValue("sub.deep", Int(4)), 0);
  // Inserting moves the entries the argument lives in.
  ASSERT_EQ(d.SetValue("a", d.GetValue("p")), 0);
  ASSERT_EQ(d.SetValue("sub", d.GetValue("sub.deep")), 0);
  EXPECT_EQ(QVValueGetasQVString(d.GetValue("a")), "p");
  EXPECT_EQ(IntAt(d, "sub"), 4);

  // Assigning a dictionary held in this one's first entry.
  EXPECT_EQ(d.SetValue("A.x", Int(1)), 0);
  EXPECT_EQ(d.SetValue("A.y", Int(2)), 0);
  d.Assign(*d.GetValue("A").GetasQVDictionary());
  EXPECT_EQ(Keys(d), "x,y,");
  EXPECT_EQ(IntAt(d, "y"), 2);
  EXPECT_EQ(d.SetValue("a", QVValueSetasQVString("p")), 0);

  QVValue holder = QVValueSetasQVDictionary(d);
  ASSERT_EQ(holder.GetasQVDictionary()->GetValue("a", holder), 0);
  EXPECT_EQ(QVValueGetasQVString(holder), "p");
}

TEST(QVDictionaryOrder, EntriesFollowByteOrderOfTheKeys) {
  QVDictionary d;
  for (const char* key : {"b", "a_1", "B", "a", "_z", "a1"})
    EXPECT_EQ(d.SetValue(key, QVValueSetasQVString(key)), 0);
  EXPECT_EQ(Keys(d), "B,_z,a,a1,a_1,b,");

  QVString key;
  QVValue value;
  ASSERT_TRUE(d.GetKeyAndValueByIndex(2, &key, &value));
  EXPECT_EQ(key, "a");
  EXPECT_EQ(QVValueGetasQVString(value), "a");
  EXPECT_TRUE(d.GetKeyAndValueByIndex(5, nullptr, &value));
  EXPECT_FALSE(d.GetKeyAndValueByIndex(6, &key, &value));
  EXPECT_TRUE(key.IsEmpty());
  EXPECT_TRUE(value.IsEmpty());
  EXPECT_FALSE(d.GetKeyAndValueByIndex(6, nullptr, nullptr));
}

TEST(QVDictionaryMerge, OtherWinsOrYieldsAndNestedDictionariesAreReplacedWhole) {
  QVDictionary mine;
  EXPECT_EQ(mine.SetValue("a", Int(1)), 0);
  EXPECT_EQ(mine.SetValue("n.keep", Int(1)), 0);
  QVDictionary other;
  EXPECT_EQ(other.SetValue("a", Int(2)), 0);
  EXPECT_EQ(other.SetValue("b", Int(3)), 0);
  EXPECT_EQ(other.SetValue("n.new", Int(4)), 0);

  QVDictionary yielding = mine;
  yielding.Merge(other, false);
  EXPECT_EQ(IntAt(yielding, "a"), 1);
  EXPECT_EQ(IntAt(yielding, "b"), 3);
  EXPECT_TRUE(yielding.ContainsKey("n.keep"));
  EXPECT_FALSE(yielding.ContainsKey("n.new"));

  QVDictionary winning = mine;
  winning.Merge(other, true);
  EXPECT_EQ(IntAt(winning, "a"), 2);
  EXPECT_EQ(IntAt(winning, "b"), 3);
  EXPECT_FALSE(winning.ContainsKey("n.keep"));
  EXPECT_TRUE(winning.ContainsKey("n.new"));

  winning.Merge(winning, true);
  EXPECT_EQ(winning.Count(), 3u);

  // Merging a dictionary held inside this one, which the merge replaces.
  QVDictionary host;
  EXPECT_EQ(host.SetValue("n.n", Int(5)), 0);
  EXPECT_EQ(host.SetValue("n.z", Int(6)), 0);
  host.Merge(*host.GetValue("n").GetasQVDictionary(), true);
  EXPECT_EQ(IntAt(host, "n"), 5);
  EXPECT_EQ(IntAt(host, "z"), 6);
}

TEST(QVDictionaryEquality, ComparesKeysAndValuesInOrderAndCopiesAreDeep) {
  QVDictionary a;
  EXPECT_EQ(a.SetValue("x", Int(1)), 0);
  EXPECT_EQ(a.SetValue("y.z", QVValueSetasQVString("t")), 0);
  QVDictionary b;
  EXPECT_EQ(b.SetValue("y.z", QVValueSetasQVString("t")), 0);
  EXPECT_EQ(b.SetValue("x", Int(1)), 0);
  EXPECT_TRUE(a.IsEqual(b));
  EXPECT_TRUE(a.IsEqual(a));

  QVDictionary copy = a;
  EXPECT_EQ(copy.SetValue("y.z", QVValueSetasQVString("T")), 0);
  EXPECT_FALSE(copy.IsEqual(a));
  EXPECT_EQ(QVValueGetasQVString(a.GetValue("y.z")), "t");

  EXPECT_EQ(b.SetValue("x", QVValueSetasFloat64(1.0)), 0);  // same number, other type
  EXPECT_FALSE(a.IsEqual(b));
  EXPECT_EQ(b.SetValue("x", Int(1)), 0);
  EXPECT_EQ(b.SetValue("w", Int(1)), 0);
  EXPECT_FALSE(a.IsEqual(b));
  b.Clear();
  EXPECT_TRUE(b.IsEqual(kQVNullDictionary));
}

}  // namespace
