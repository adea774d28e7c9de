#include "engine/path_fragments.h"

#include <algorithm>
#include <cassert>

#include "platform/text_case.h"

namespace tidewell {

PathFragments::PathFragments(const std::vector<std::string>& fragments) {
  assert(fragments.size() <= kMostFragments);
  for (const std::string& fragment : fragments) {
    upper_.push_back(UpperCased(fragment));
    longest_ = std::max(longest_, fragment.size());
  }
}

std::uint64_t PathFragments::FoundEndingFrom(std::string_view text, std::size_t from, std::uint64_t skip) {
  // Only the stretch an occurrence ending at or after `from` can start in
  // is upper-cased.
  const std::size_t stretch = from > longest_ ? from - longest_ : 0;
  scratch_.resize(text.size() - std::min(stretch, text.size()));
  for (std::size_t i = 0; i < scratch_.size(); ++i) scratch_[i] = ToUpperAscii(text[stretch + i]);
  std::uint64_t found = 0;
  for (std::size_t i = 0; i < upper_.size(); ++i) {
    const std::uint64_t bit = std::uint64_t{1} << i;
    if (skip & bit) continue;
    const std::string& fragment = upper_[i];
    // An occurrence at `start` ends at start + size, which must pass `from`
    // (an empty fragment occurs at the very start of every text).
    const std::size_t start = fragment.empty() ? 0 : (from >= fragment.size() ? from - fragment.size() + 1 : 0);
    const std::size_t at = start > stretch ? start - stretch : 0;
    if (fragment.empty() || (at <= scratch_.size() && scratch_.find(fragment, at) != std::string::npos)) {
      found |= bit;
    }
  }
  return found;
}

std::uint64_t PathFragments::Found(std::string_view folder) {
  // The parent is the path up to and including the "\" before the last
  // component (a trailing "\" belongs to the component).
  std::size_t parentLength = 0;
  if (folder.size() >= 2) {
    const std::size_t slash = folder.rfind('\\', folder.size() - 2);
    if (slash != std::string_view::npos) parentLength = slash + 1;
  }
  const std::string_view parent = folder.substr(0, parentLength);
  if (!haveParent_ || parent != parent_) {
    parent_.assign(parent);
    parentFound_ = FoundEndingFrom(parent, 0, 0);
    haveParent_ = true;
  }
  return parentFound_ | FoundEndingFrom(folder, parentLength, parentFound_);
}

}  // namespace tidewell
