// What each part of the rule table chose on a drive: files and bytes per
// category, beside the drive's RunTotals.
//
// A file is counted into the bucket of the rows that chose it, at the moment
// DeleteOneFile counts it into the drive's totals, so the buckets always add
// up to the totals. A file is counted once, by the first row that chose it:
// a destructive run deleted it, and a test run treats it as gone from then on
// (test_run_choices.h). The buckets are the catalogue's entries whose rows can choose files
// (the category sections, aggressive scrubbing's rows, and the wallpaper step
// under "Wallpaper", the category that switches it on), plus two of their
// own: "Base" for the always-on base rows and "Sweep" for the sweep of stale
// start-up and system file copies.
//
// Bucket figures are exact whole numbers; the drive's byte total is kept in
// single precision (run_context.h), so above 16,777,216 bytes the total may
// differ from the buckets' exact sum in its lowest bits, as the records show
// it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/category_catalogue.h"

namespace tidewell {

// One bucket: a catalogue entry, the base rows or the sweep.
class TotalsBucket {
 public:
  static constexpr std::size_t kCount = kEntryCount + 2;

  static constexpr TotalsBucket Of(CategoryId id) { return TotalsBucket(static_cast<std::size_t>(id)); }
  static constexpr TotalsBucket BaseRows() { return TotalsBucket(kEntryCount); }
  static constexpr TotalsBucket Sweep() { return TotalsBucket(kEntryCount + 1); }
  // Every bucket in table order: the catalogue's, then base rows, then sweep.
  static constexpr TotalsBucket At(std::size_t index) { return TotalsBucket(index); }

  std::size_t Index() const { return index_; }
  // The entry's settings name ("Temp"), or "Base" / "Sweep".
  std::string_view Name() const;
  // The entry's caption as text ("Temp folder contents"), or a caption of
  // the bucket's own.
  std::string Caption() const;

  friend bool operator==(TotalsBucket, TotalsBucket) = default;

 private:
  constexpr explicit TotalsBucket(std::size_t index) : index_(index) {}
  std::size_t index_;
};

struct BucketFigures {
  std::int64_t files = 0;
  std::int64_t bytes = 0;
};

class CategoryTotals {
 public:
  void Add(TotalsBucket bucket, std::int64_t files, std::int64_t bytes) {
    BucketFigures& figures = figures_[bucket.Index()];
    figures.files += files;
    figures.bytes += bytes;
  }
  const BucketFigures& Of(TotalsBucket bucket) const { return figures_[bucket.Index()]; }
  void Reset() { figures_ = {}; }

  // The sums over every bucket.
  BucketFigures Sum() const;

  struct Row {
    TotalsBucket bucket;
    BucketFigures figures;
  };
  // The buckets that chose at least one file, most bytes first, then most
  // files, then in table order.
  std::vector<Row> Biggest() const;

 private:
  std::array<BucketFigures, TotalsBucket::kCount> figures_{};
};

}  // namespace tidewell
