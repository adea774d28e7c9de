#include "engine/folder_list.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tidewell {
namespace {

std::string FolderName(int n) { return "c:\\F" + std::to_string(n) + "\\"; }

void FillFolders(PathList& list, int from, int to) {
  for (int n = from; n <= to; ++n) list.Add(FolderName(n));
}

TEST(FolderListEntries, AreIndexedFromOneInTheOrderAdded) {
  FolderList list;
  list.Add("c:\\");
  list.Add("c:\\WINDOWS\\");
  list.Add("c:\\DATA\\");
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list[1], "c:\\");
  EXPECT_EQ(list[2], "c:\\WINDOWS\\");
  EXPECT_EQ(list[3], "c:\\DATA\\");
}

TEST(FolderListEntries, StoreLongPathsIntact) {
  FolderList list;
  std::string longPath = "c:\\";
  while (longPath.size() < 10 * 1024) longPath += "Folder" + std::to_string(longPath.size()) + "\\";
  list.Add("c:\\A\\");
  list.Add(longPath);
  list.Add("c:\\B\\");
  list.Add(longPath + "X\\");
  EXPECT_EQ(list[1], "c:\\A\\");
  EXPECT_EQ(list[2], longPath);
  EXPECT_EQ(list[3], "c:\\B\\");
  EXPECT_EQ(list[4], longPath + "X\\");
}

// Around the length at which a path leaves the shared pages for one of its
// own (a quarter of a 64 KiB page), and an empty one, between short paths.
TEST(FolderListEntries, KeepPathsOfEveryLengthAroundTheirOwnPage) {
  FileList list;
  std::vector<std::string> added;
  for (const std::size_t length : {std::size_t{0}, std::size_t{16383}, std::size_t{16384}, std::size_t{16385},
                                   std::size_t{40000}, std::size_t{65536}, std::size_t{70000}}) {
    std::string path = "c:\\";
    for (std::size_t i = 0; path.size() < length; ++i) path += static_cast<char>('A' + (i + length) % 26);
    path.resize(length);
    added.push_back(path);
    added.push_back("c:\\short" + std::to_string(length));
  }
  for (const std::string& path : added) list.Add(path);
  ASSERT_EQ(list.Count(), static_cast<std::int32_t>(added.size()));
  for (std::size_t n = 0; n < added.size(); ++n) EXPECT_EQ(list[static_cast<std::int32_t>(n + 1)], added[n]) << n;
}

TEST(FolderListEntries, FillManyPagesWithoutMixingThemUp) {
  FileList list;
  std::vector<std::string> added;
  for (int n = 0; n < 5000; ++n) {
    // Sizes vary so that page ends fall in the middle of would-be entries.
    added.push_back("c:\\F" + std::string(static_cast<std::size_t>(n % 97), 'x') + std::to_string(n));
    list.Add(added.back());
  }
  ASSERT_EQ(list.Count(), 5000);
  for (int n = 0; n < 5000; ++n) ASSERT_EQ(list[n + 1], added[static_cast<std::size_t>(n)]) << n;
}

TEST(FolderListEntries, SurviveAMove) {
  FolderList list;
  FillFolders(list, 1, 3);
  const std::string_view view = list[2];
  FolderList moved = std::move(list);
  EXPECT_EQ(moved.Count(), 3);
  EXPECT_EQ(moved[2], FolderName(2));
  EXPECT_EQ(view, FolderName(2));
}

// Adding never moves an entry: views taken in a list of a hundred thousand
// folders still read their paths, at the same addresses, after more come.
TEST(FolderListEntries, KeepTheirViewsAndPlacesAsTheListGrows) {
  FolderList list;
  FillFolders(list, 1, 100000);
  std::vector<std::string_view> views;
  for (int n = 1; n <= 100000; n += 999) views.push_back(list[n]);
  FillFolders(list, 100001, 100500);
  std::size_t at = 0;
  for (int n = 1; n <= 100000; n += 999, ++at) {
    ASSERT_EQ(list[n], FolderName(n));
    ASSERT_EQ(views[at], FolderName(n));           // the view taken before growth
    ASSERT_EQ(views[at].data(), list[n].data());  // the entry did not move
  }
  EXPECT_EQ(list[100500], FolderName(100500));
}

// The walk's file names are packed into pages; names of every length, runs
// that cross page ends and folders without files or without a reading must
// all come back exactly as recorded, and in a list that keeps facts, each
// file's facts (or their absence) with its name.
TEST(FolderListFiles, EveryRecordedNameComesBackInOrderAcrossPageEnds) {
  struct Recorded {
    std::string name;
    std::optional<WalkFacts> facts;
    bool operator==(const Recorded&) const = default;
  };
  for (const bool keepFacts : {false, true}) {
    SCOPED_TRACE(keepFacts ? "with facts" : "names only");
    FolderList list;
    if (keepFacts) list.KeepFacts();
    std::vector<std::vector<Recorded>> expected;
    for (int folder = 1; folder <= 3000; ++folder) {
      list.Add("c:\\F" + std::to_string(folder) + "\\");
      expected.emplace_back();
      if (folder % 7 == 0) continue;  // never read: no files recorded
      list.BeginFiles(folder);
      const int files = folder % 11;  // some read folders hold no files
      for (int i = 0; i < files; ++i) {
        const std::size_t length = 1 + static_cast<std::size_t>((folder * 31 + i * 17) % 255);
        std::string name(length, static_cast<char>('a' + (folder + i) % 26));
        name += std::to_string(i);
        name.resize(std::min<std::size_t>(name.size(), 255));
        // Lengths from 0 to beyond 4 GiB, times before 1970 and far after,
        // and no time at all must come back whole.
        WalkFacts facts{(std::int64_t{folder} << (i * 7 % 50)) - 1 + (i % 2), std::nullopt};
        if (i % 4 != 0) facts.modified = (i % 2 == 0 ? -1 : 1) * (std::int64_t{folder} << (i * 5 % 40)) - i;
        const bool withFacts = (folder + i) % 3 != 0;
        list.AddFile(name, withFacts ? &facts : nullptr);
        Recorded recorded{name, std::nullopt};
        if (withFacts && keepFacts) recorded.facts = facts;
        expected.back().push_back(recorded);
      }
    }
    for (int folder = 1; folder <= 3000; ++folder) {
      EXPECT_EQ(list.HasFiles(folder), folder % 7 != 0) << folder;
      std::vector<Recorded> seen;
      list.ForEachFile(folder, [&](std::string_view name, const WalkFacts* facts) {
        seen.push_back({std::string(name), std::nullopt});
        if (facts != nullptr) seen.back().facts = *facts;
      });
      ASSERT_TRUE(seen == expected[static_cast<std::size_t>(folder - 1)]) << folder;
    }
  }
}

// Facts learnt after their names were added (on another thread during a
// walk) come back with their names once learnt, wherever the names lie
// among those added with their facts at once; a place never filled, or
// given numbers too large for its room, lists its file without facts, so
// that whoever needs them looks the file up; the names stay intact.
TEST(FolderListFiles, FactsLearntLaterComeBackWithTheirNames) {
  struct Recorded {
    std::string name;
    std::optional<WalkFacts> facts;
    bool operator==(const Recorded&) const = default;
  };
  constexpr std::int64_t kTerabyte = std::int64_t{1} << 40;
  for (const bool withTime : {false, true}) {
    SCOPED_TRACE(withTime ? "with times" : "lengths only");
    FolderList list;
    list.KeepFacts();
    std::vector<std::vector<Recorded>> expected;
    struct ToLearn {
      FolderList::FactsPlace place;
      std::string name;
      WalkFacts facts;
    };
    std::vector<ToLearn> toLearn;
    for (int folder = 1; folder <= 2000; ++folder) {
      list.Add("c:\\F" + std::to_string(folder) + "\\");
      expected.emplace_back();
      list.BeginFiles(folder);
      for (int i = 0; i < folder % 9; ++i) {
        std::string name(1 + static_cast<std::size_t>((folder * 13 + i * 7) % 250), 'n');
        name += std::to_string(i);
        WalkFacts facts{(std::int64_t{folder} << (i * 5 % 28)) + i, std::nullopt};  // below 2^40
        if (withTime) facts.modified = (i % 2 == 0 ? -1 : 1) * (std::int64_t{folder} << (i * 3 % 30));
        Recorded recorded{name, std::nullopt};
        switch ((folder + i) % 5) {
          case 0:  // facts at once, between the places to fill
            list.AddFile(name, &facts);
            recorded.facts = facts;
            break;
          case 1:  // a place never filled
            EXPECT_FALSE(list.AddFileToLearn(name, withTime).Empty());
            break;
          case 2: {  // a length a place has no room for
            WalkFacts huge = facts;
            huge.length = kTerabyte + i;
            toLearn.push_back({list.AddFileToLearn(name, withTime), name, huge});
            break;
          }
          default:
            toLearn.push_back({list.AddFileToLearn(name, withTime), name, facts});
            recorded.facts = facts;
            break;
        }
        expected.back().push_back(recorded);
      }
    }
    for (const ToLearn& learn : toLearn) {
      ASSERT_EQ(learn.place.Name(), learn.name);
      FolderList::LearnFacts(learn.place, &learn.facts);
    }
    for (int folder = 1; folder <= 2000; ++folder) {
      std::vector<Recorded> seen;
      list.ForEachFile(folder, [&](std::string_view name, const WalkFacts* facts) {
        seen.push_back({std::string(name), std::nullopt});
        if (facts != nullptr) seen.back().facts = *facts;
      });
      ASSERT_TRUE(seen == expected[static_cast<std::size_t>(folder - 1)]) << folder;
    }
  }
}

}  // namespace
}  // namespace tidewell
