// Which of a fixed set of text fragments occur in a folder's path, case
// ignored: for every fragment at once, the answer ContainsNoCase gives on the
// whole path.
//
// The folders of a walk come breadth first, so a run of folders shares one
// parent. A fragment that occurs in the parent's path occurs in the child's;
// any other occurrence in the child ends inside the child's own last
// component. So the parent's path is searched once for the whole run of its
// children, and each child only near its own component. A folder whose parent
// differs from the last one asked about has its parent searched afresh, so
// any order of folders gives exact answers, only slower.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tidewell {

class PathFragments {
 public:
  static constexpr std::size_t kMostFragments = 64;

  // Up to kMostFragments fragments; fragment i answers in bit i.
  explicit PathFragments(const std::vector<std::string>& fragments);

  // The fragments that occur in `folder`: bit i set when fragment i does.
  std::uint64_t Found(std::string_view folder);

 private:
  // The fragments that occur in `text` (upper-cased) at a position of at
  // least `from` - its length + 1 for each fragment, leaving out those of
  // `skip`: the occurrences that end at or after `from`.
  std::uint64_t FoundEndingFrom(std::string_view text, std::size_t from, std::uint64_t skip);

  std::vector<std::string> upper_;  // the fragments, upper-cased
  std::size_t longest_ = 0;
  std::string parent_;              // the last parent searched, as given
  std::uint64_t parentFound_ = 0;
  bool haveParent_ = false;
  std::string scratch_;             // an upper-cased stretch of a path
};

}  // namespace tidewell
