#include <gtest/gtest.h>

#include <functional>

#include "archive/Lzh_btch.h"

namespace kavrix {
namespace {

// Counts its destructions, to see that the list owns its objects.
struct Tracked : TObject {
  explicit Tracked(int& destroyed) : destroyed_(destroyed) {}
  ~Tracked() override { ++destroyed_; }
  int& destroyed_;
};

TEST(StringList, LinesAndOwnedObjects) {
  int destroyed = 0;
  {
    TStringList list;
    list.SetText("b\r\nA\nc\rlast\r\n");
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Text(), "b\r\nA\r\nc\r\nlast\r\n");
    list.Sort();
    EXPECT_EQ(list.Text(), "A\r\nb\r\nc\r\nlast\r\n") << "letter case is ignored";
    list.AddObject("obj", std::make_unique<Tracked>(destroyed));
    list.PutObject(0, std::make_unique<Tracked>(destroyed));
    list.Exchange(0, 4);
    EXPECT_EQ(list.Strings(0), "obj");
    EXPECT_NE(list.Objects(4), nullptr);
    list.Insert(1, "ins");
    list.Delete(0);
    EXPECT_EQ(destroyed, 1);
    list.Put(0, "put");
    EXPECT_EQ(list.Strings(0), "put");
    EXPECT_THROW(list.Strings(list.Count()), EListIndexError);
    EXPECT_THROW(list.Insert(-1, "x"), EListIndexError);
    try {
      list.Delete(9);
      ADD_FAILURE() << "no exception";
    } catch (const EListIndexError& e) {
      EXPECT_EQ(e.Message(), "List index out of bounds (9)");
    }
  }
  EXPECT_EQ(destroyed, 2);
}

TEST(ReadOnlyStringList, EveryChangeIsRefusedAndChangesNothing) {
  TReadOnlyStringList list;
  EXPECT_FALSE(list.ReadOnly());
  list.SetText("one\r\ntwo\r\n");
  list.SetReadOnly(true);

  const std::vector<std::pair<const char*, std::function<void()>>> changes = {
      {"Put", [&] { list.Put(0, "x"); }},
      {"PutObject", [&] { list.PutObject(0, std::make_unique<TObject>()); }},
      {"Add", [&] { list.Add("x"); }},
      {"AddObject", [&] { list.AddObject("x", std::make_unique<TObject>()); }},
      {"Insert", [&] { list.Insert(0, "x"); }},
      {"Delete", [&] { list.Delete(0); }},
      {"Exchange", [&] { list.Exchange(0, 1); }},
      {"Clear", [&] { list.Clear(); }},
      {"SetText", [&] { list.SetText("x"); }},
      {"Sort", [&] { list.Sort(); }},
      {"Assign", [&] { list.Assign(TStringList()); }},
  };
  for (const auto& [name, change] : changes) {
    try {
      change();
      ADD_FAILURE() << name << " was allowed";
    } catch (const EListReadOnly& e) {
      EXPECT_EQ(e.Message(), "This stringlist is read-only. Changes are ignored") << name;
    }
    EXPECT_EQ(list.Text(), "one\r\ntwo\r\n") << name;
    EXPECT_EQ(list.Objects(0), nullptr) << name;
  }

  list.SetReadOnly(false);
  list.Sort();
  list.Add("three");
  EXPECT_EQ(list.Count(), 3);
}

TEST(ReadOnlyStringList, TheBatchContentsRefuseCallers) {
  TLZHBatch batch;
  EXPECT_TRUE(batch.Contents().ReadOnly());
  EXPECT_THROW(batch.Contents().Add("name\t1\t1\t128\t0"), EListReadOnly);
  EXPECT_THROW(batch.Contents().Clear(), EListReadOnly);
  EXPECT_EQ(batch.Contents().Count(), 0);
}

}  // namespace
}  // namespace kavrix
