#include "engine/folder_list_records.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/folder_list.h"

namespace tidewell {
namespace {

using namespace file_records;

constexpr char kSentinel = static_cast<char>(0xA5);
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

// Names a file system may hand over: every byte but "/" and NUL can occur
// in a host name, and a record must not care which, nor how long (1 to 255).
std::vector<std::string> OddNames() {
  std::vector<std::string> names{"a", "\xFF", std::string("\x01\x7F\x80\xFE", 4), "\\", "tr\xC3\xA9s.tmp"};
  std::string everyByte;
  for (int byte = 1; byte < 256; ++byte) everyByte.push_back(static_cast<char>(byte));
  names.push_back(everyByte);  // 255 bytes, the longest
  names.push_back(std::string(255, '\0').replace(0, 1, "x"));  // NUL bytes after the first
  return names;
}

// Writes a record into a buffer with sentinel bytes after it, checks that
// nothing beyond its size was touched, and reads it back.
Decoded RoundTrip(std::vector<char>& buffer, std::string_view name, bool keepsFacts, const WalkFacts* facts) {
  const std::size_t size = Size(name, keepsFacts, facts);
  buffer.assign(size + 16, kSentinel);
  Write(buffer.data(), name, keepsFacts, facts);
  for (std::size_t i = size; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], kSentinel) << "wrote past the record";
  const Decoded decoded = Read(buffer.data(), keepsFacts);
  EXPECT_EQ(decoded.size, size);
  return decoded;
}

TEST(FileRecords, OddNamesComeBackWholeWithAndWithoutFacts) {
  const WalkFacts lengthOnly{12345, std::nullopt};
  const WalkFacts withTime{7, -86400};
  std::vector<char> buffer;
  for (const std::string& name : OddNames()) {
    ASSERT_TRUE(Recordable(name));
    for (const bool keepsFacts : {false, true}) {
      for (const WalkFacts* facts : {static_cast<const WalkFacts*>(nullptr), &lengthOnly, &withTime}) {
        SCOPED_TRACE(::testing::Message() << "name of " << name.size() << " bytes, keeps facts " << keepsFacts
                                          << ", facts " << (facts == nullptr ? "none" : "given"));
        const Decoded decoded = RoundTrip(buffer, name, keepsFacts, facts);
        EXPECT_EQ(decoded.name, name);
        EXPECT_EQ(NameOf(buffer.data()), name);
        if (keepsFacts && facts != nullptr) {
          EXPECT_EQ(decoded.facts, *facts);
        } else {
          EXPECT_EQ(decoded.facts, std::nullopt);
        }
      }
    }
  }
}

TEST(FileRecords, NumbersOfEveryWidthComeBackExactly) {
  const std::vector<std::int64_t> lengths{0, 1, 255, 256, 65535, std::int64_t{1} << 32, (std::int64_t{1} << 40) + 1, kMax};
  const std::vector<std::optional<std::int64_t>> times{std::nullopt, 0, -1, 1, 1'796'000'000, -2'208'988'800,
                                                       kMin, kMax};
  std::vector<char> buffer;
  for (const std::int64_t length : lengths) {
    for (const std::optional<std::int64_t>& time : times) {
      const WalkFacts facts{length, time};
      const Decoded decoded = RoundTrip(buffer, "file.tmp", true, &facts);
      EXPECT_EQ(decoded.facts, facts) << length << " bytes, time " << time.value_or(-42);
    }
  }
}

// Small numbers take few bytes: a list of a million files holds its facts
// in a few bytes each, not sixteen.
TEST(FileRecords, TakeOnlyTheBytesTheirNumbersNeed) {
  const WalkFacts empty{0, 0};  // each number takes at least one byte
  EXPECT_EQ(Size("ab", true, &empty), 1 + 2 + 1 + 1 + 1);
  const WalkFacts small{300, -1};  // two bytes, and one for zigzagged -1
  EXPECT_EQ(Size("ab", true, &small), 1 + 2 + 1 + 2 + 1);
  EXPECT_EQ(Size("ab", true, nullptr), 1 + 2 + 1);
  EXPECT_EQ(Size("ab", false, &small), 1 + 2) << "a list without facts spends no byte on them";
}

TEST(FileRecords, ANegativeLengthIsNotKept) {
  const WalkFacts negative{-1, 100};
  std::vector<char> buffer;
  const Decoded decoded = RoundTrip(buffer, "x", true, &negative);
  EXPECT_EQ(decoded.facts, std::nullopt);
  EXPECT_EQ(decoded.size, Size("x", true, nullptr));
}

// A record written to be learnt reads as one without facts until its facts
// are filled in, then with them; numbers too large for its room, or a
// missing time where it has room for one, leave it without facts.
TEST(FileRecords, FactsLearntLaterFillTheRoomOrLeaveTheRecordWithout) {
  constexpr std::int64_t kRoom = std::int64_t{1} << 40;
  struct Case {
    bool withTime;
    WalkFacts learnt;
    std::optional<WalkFacts> read;
  };
  const std::vector<Case> cases{
      {false, {0, std::nullopt}, WalkFacts{0, std::nullopt}},
      {false, {kRoom - 1, std::nullopt}, WalkFacts{kRoom - 1, std::nullopt}},
      {false, {kRoom, std::nullopt}, std::nullopt},
      {false, {-5, std::nullopt}, std::nullopt},
      {false, {10, 1'796'000'000}, WalkFacts{10, std::nullopt}},  // no room for the time: the length alone
      {true, {10, 1'796'000'000}, WalkFacts{10, 1'796'000'000}},
      {true, {10, -(kRoom / 2)}, WalkFacts{10, -(kRoom / 2)}},  // zigzagged, the largest that fits
      {true, {10, kRoom / 2}, std::nullopt},
      {true, {10, std::nullopt}, std::nullopt},
      {true, {kRoom, 0}, std::nullopt},
  };
  std::vector<char> buffer;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "room for a time " << c.withTime << ", length " << c.learnt.length
                                      << ", time " << c.learnt.modified.value_or(-42));
    const std::string name(200, 'n');
    const std::size_t size = SizeToLearn(name, c.withTime);
    EXPECT_EQ(size, 1 + 200 + 1 + kLearntBytes * (c.withTime ? 2 : 1));
    buffer.assign(size + 16, kSentinel);
    WriteToLearn(buffer.data(), name, c.withTime);
    Decoded decoded = Read(buffer.data(), true);
    EXPECT_EQ(decoded.facts, std::nullopt) << "not learnt yet";
    EXPECT_EQ(decoded.size, size);
    LearnInto(buffer.data(), c.learnt);
    decoded = Read(buffer.data(), true);
    EXPECT_EQ(decoded.name, name);
    EXPECT_EQ(decoded.facts, c.read);
    EXPECT_EQ(decoded.size, size) << "learning never changes a record's size";
    for (std::size_t i = size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], kSentinel) << "learnt past the record";
  }
}

// The list records only what a record can hold: no empty name and none
// longer than 255 bytes; the names around them are unharmed.
TEST(FileRecords, TheListLeavesOutEmptyAndOverlongNames) {
  for (const bool keepFacts : {false, true}) {
    FolderList list;
    if (keepFacts) list.KeepFacts();
    list.Add("c:\\");
    list.BeginFiles(1);
    const WalkFacts facts{1, 2};
    list.AddFile("first", &facts);
    list.AddFile("", &facts);
    list.AddFile(std::string(256, 'x'), &facts);
    EXPECT_TRUE(list.AddFileToLearn("", true).Empty());
    EXPECT_TRUE(list.AddFileToLearn(std::string(256, 'x'), true).Empty());
    list.AddFile(std::string(255, 'y'));
    std::vector<std::string> names;
    list.ForEachFile(1, [&](std::string_view name, const WalkFacts*) { names.emplace_back(name); });
    EXPECT_EQ(names, (std::vector<std::string>{"first", std::string(255, 'y')})) << "keeps facts " << keepFacts;
  }
}

}  // namespace
}  // namespace tidewell
