// The display list's order by depth: entries added in the middle, at either
// end, at negative and huge depths, taken and added again at the same depth,
// swapped with an entry or moved to an empty depth, many taken in one pass;
// entries stay where they are in memory while they stand, and positions
// stay safe while the list changes. Then the same through the player's own
// script calls (attachMovie-like depths, swapDepths, removal, a go-to back
// that keeps a script's clips).
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "FlashTestSupport.h"
#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/play/DepthList.h"
#include "platform/flash/play/MoviePlayer.h"

using namespace flashtest;

namespace {

std::unique_ptr<flash::MovieDefinition> Read(const std::vector<Bytes>& tags, uint16_t frames) {
  moviebytes::Movie m = Frames(0);
  m.frames = frames;
  m.tags.pop_back();  // the end tag
  for (const Bytes& t : tags) m.tags.push_back(t);
  m.tags.push_back(moviebytes::EndTag());
  std::unique_ptr<flash::MovieDefinition> def;
  EXPECT_EQ(flash::ReadMovieDefinition(m.Plain(), def), flash::MovieError::None);
  return def;
}

struct Item {
  int32_t depth = 0;
  std::string name;
};

std::vector<int32_t> Depths(const flash::DepthList<Item>& list) {
  std::vector<int32_t> out;
  for (const auto& [depth, item] : list) {
    EXPECT_EQ(depth, item.depth);
    out.push_back(depth);
  }
  return out;
}

Item& Add(flash::DepthList<Item>& list, int32_t depth, std::string name = {}) {
  Item& item = list[depth];
  item.depth = depth;
  item.name = std::move(name);
  return item;
}

TEST(DepthListTest, KeepsDepthOrderWhereverEntriesCome) {
  flash::DepthList<Item> list;
  for (int32_t d : {50, 10, 30, INT32_MAX, -16384, 20, INT32_MIN, 40, 0}) Add(list, d);
  EXPECT_EQ(Depths(list), (std::vector<int32_t>{INT32_MIN, -16384, 0, 10, 20, 30, 40, 50, INT32_MAX}));
  EXPECT_EQ(list.begin()->first, INT32_MIN);
  EXPECT_EQ(list.rbegin()->first, INT32_MAX);
  EXPECT_EQ(list.lower_bound(25)->first, 30);
  EXPECT_EQ(list.upper_bound(30)->first, 40);
  EXPECT_TRUE(list.upper_bound(INT32_MAX) == list.end());
  EXPECT_TRUE(list.find(25) == list.end());
  EXPECT_EQ(list.count(-16384), 1u);
  EXPECT_THROW(list.at(25), std::out_of_range);
  // Reverse walks see the same order backwards.
  std::vector<int32_t> back;
  for (auto it = list.rbegin(); it != list.rend(); ++it) back.push_back(it->first);
  EXPECT_EQ(back, (std::vector<int32_t>{INT32_MAX, 50, 40, 30, 20, 10, 0, -16384, INT32_MIN}));
  // Taking one from the middle, then one at an end, and adding them back.
  list.erase(30);
  list.erase(list.begin());
  EXPECT_EQ(Depths(list), (std::vector<int32_t>{-16384, 0, 10, 20, 40, 50, INT32_MAX}));
  Add(list, 30, "again");
  Add(list, INT32_MIN, "first");
  EXPECT_EQ(Depths(list), (std::vector<int32_t>{INT32_MIN, -16384, 0, 10, 20, 30, 40, 50, INT32_MAX}));
  EXPECT_EQ(list.at(30).name, "again");
  // Asking for a depth that stands gives that entry, not a new one.
  EXPECT_EQ(&list[30], &list.at(30));
  EXPECT_EQ(list.size(), 9u);
}

TEST(DepthListTest, MatchesAnOrderedMapThroughManyChanges) {
  flash::DepthList<Item> list;
  std::map<int32_t, const Item*> model;
  std::mt19937 random(7);
  for (int step = 0; step < 20000; ++step) {
    const int32_t depth = static_cast<int32_t>(random() % 600) - 300;
    switch (random() % 4) {
      case 0:
      case 1:
        model[depth] = &Add(list, depth);
        break;
      case 2:
        EXPECT_EQ(list.erase(depth), model.erase(depth));
        break;
      default: {
        const int32_t other = static_cast<int32_t>(random() % 600) - 300;
        const bool had = model.count(depth);
        EXPECT_EQ(list.Swap(depth, other), had);
        if (had && depth != other) {
          auto a = model.extract(depth);
          auto b = model.extract(other);
          a.key() = other;
          model.insert(std::move(a));
          if (!b.empty()) b.key() = depth, model.insert(std::move(b));
        }
        for (int32_t d : {depth, other})
          if (model.count(d)) list.at(d).depth = d;
      }
    }
  }
  ASSERT_EQ(list.size(), model.size());
  auto it = list.begin();
  for (const auto& [depth, item] : model) {
    EXPECT_EQ(it->first, depth);
    EXPECT_EQ(&it->second, item);  // the same entry in memory all along
    ++it;
  }
}

TEST(DepthListTest, SwapMovesEntriesWithoutMovingThemInMemory) {
  flash::DepthList<Item> list;
  Item* a = &Add(list, 1, "a");
  Item* b = &Add(list, 2, "b");
  EXPECT_FALSE(list.Swap(3, 1));
  ASSERT_TRUE(list.Swap(1, 2));
  EXPECT_EQ(&list.at(2), a);
  EXPECT_EQ(&list.at(1), b);
  ASSERT_TRUE(list.Swap(2, -5));  // to an empty depth below all
  EXPECT_EQ(&list.at(-5), a);
  EXPECT_EQ(list.find(2), list.end());
  EXPECT_EQ(list.begin()->first, -5);
  ASSERT_TRUE(list.Swap(-5, 1 << 30));  // and above all
  EXPECT_EQ(list.rbegin()->first, 1 << 30);
  EXPECT_EQ(&list.rbegin()->second, a);
}

TEST(DepthListTest, TakesManyInOnePassAndPositionsStaySafe) {
  flash::DepthList<Item> list;
  for (int32_t d = 0; d < 1000; ++d) Add(list, d);
  std::vector<int32_t> seen;
  const size_t taken = list.EraseIf([&](flash::DepthList<Item>::value_type& e) {
    seen.push_back(e.first);
    EXPECT_EQ(list.size(), 1000u);  // the list reads whole while it is asked
    return e.first % 3 != 0;
  });
  EXPECT_EQ(taken, 666u);
  ASSERT_EQ(seen.size(), 1000u);
  EXPECT_EQ(seen.back(), 999);
  ASSERT_EQ(list.size(), 334u);
  for (const auto& [depth, item] : list) EXPECT_EQ(depth % 3, 0);
  // Taken depths are added back in the rooms left.
  for (int32_t d = 1; d < 1000; d += 3) Add(list, d);
  EXPECT_EQ(list.find(499)->first, 499);
  EXPECT_EQ(list.size(), 667u);
  // A walk whose entries go meanwhile ends at the end.
  auto end = list.end();
  int steps = 0;
  for (auto it = list.begin(); it != end && steps < 2000; ++it, ++steps) list.erase(list.rbegin()->first);
  EXPECT_LT(steps, 667);
  EXPECT_TRUE(list.begin() == list.begin());
  list.clear();
  EXPECT_TRUE(list.empty());
  EXPECT_TRUE(list.begin() == list.end());
  Add(list, 4);
  EXPECT_EQ(Depths(list), std::vector<int32_t>{4});
}

// The player's script depths (kDepthOffset added) and the timeline's
// together, changed by the calls that scripts make.
TEST(DepthListTest, ScriptCallsKeepThePlayersOrder) {
  const auto def = Read({Shape(1), Place(1, 1, 0, 0), Place(5, 1, 0, 0), moviebytes::ShowFrame(), Move(1, 10, 10),
                         moviebytes::ShowFrame()},
                        2);
  ASSERT_TRUE(def);
  flash::MoviePlayer player(*def, flash::MovieScripts::Factory());
  player.Start();
  flash::Clip& root = player.Root();
  auto depths = [&] {
    std::vector<int32_t> out;
    for (const auto& [depth, entry] : root.objects) {
      EXPECT_EQ(depth, entry.depth);
      out.push_back(depth - flash::kDepthOffset);
    }
    return out;
  };
  const int32_t top = flash::kMaxScriptDepth - flash::kDepthOffset;
  ASSERT_TRUE(player.CreateEmpty(root, L"high", 1000));
  ASSERT_TRUE(player.CreateEmpty(root, L"low", -16384));
  ASSERT_TRUE(player.CreateEmpty(root, L"top", top));
  ASSERT_TRUE(player.CreateEmpty(root, L"mid", 10));
  EXPECT_FALSE(player.CreateEmpty(root, L"beyond", top + 1));
  const int32_t t1 = 1 - flash::kDepthOffset, t5 = 5 - flash::kDepthOffset;
  EXPECT_EQ(depths(), (std::vector<int32_t>{-16384, t1, t5, 10, 1000, top}));
  // Removed and made again at the same depth: a new entry there.
  flash::DisplayObject* mid = &root.objects.at(10 + flash::kDepthOffset);
  mid->matrix.tx = 77;
  player.RemoveEntry(root, 10 + flash::kDepthOffset);
  ASSERT_TRUE(player.CreateEmpty(root, L"mid2", 10));
  EXPECT_EQ(root.objects.at(10 + flash::kDepthOffset).name, L"mid2");
  EXPECT_EQ(root.objects.at(10 + flash::kDepthOffset).matrix.tx, 0);
  // Swapped with a full depth and moved to an empty one; each clip still knows its entry.
  ASSERT_TRUE(player.SwapDepths(root, -16384 + flash::kDepthOffset, top + flash::kDepthOffset));
  ASSERT_TRUE(player.SwapDepths(root, 1000 + flash::kDepthOffset, 3 + flash::kDepthOffset));
  EXPECT_EQ(depths(), (std::vector<int32_t>{-16384, t1, t5, 3, 10, top}));
  EXPECT_EQ(root.objects.at(top + flash::kDepthOffset).name, L"low");
  EXPECT_EQ(root.objects.at(flash::kDepthOffset - 16384).name, L"top");
  for (const auto& [depth, entry] : root.objects) {
    if (entry.clip) EXPECT_EQ(entry.clip->entry, &entry);
  }
  // Going back to the first frame keeps the script's clips and the timeline's
  // shapes; the lowest script depth lies among the timeline's and goes.
  player.Advance();
  player.Advance();
  ASSERT_EQ(player.CurrentFrame(), 0);
  EXPECT_EQ(depths(), (std::vector<int32_t>{t1, t5, 3, 10, top}));
  EXPECT_EQ(root.objects.at(1).matrix.tx, 0);
  EXPECT_EQ(root.objects.at(flash::kDepthOffset + 3).name, L"high");
}

}  // namespace
