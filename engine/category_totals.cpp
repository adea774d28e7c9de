#include "engine/category_totals.h"

#include <algorithm>

#include "settings/caption_text.h"

namespace tidewell {

std::string_view TotalsBucket::Name() const {
  if (*this == BaseRows()) return "Base";
  if (*this == Sweep()) return "Sweep";
  return CatalogueEntries()[index_].settingsName;
}

std::string TotalsBucket::Caption() const {
  if (*this == BaseRows()) return "Always-on rows (*.TMP, *.---, File*.CHK, spool files, ...)";
  if (*this == Sweep()) return "Stale start-up and system file copies";
  return PlainCaption(CatalogueEntries()[index_].caption);
}

BucketFigures CategoryTotals::Sum() const {
  BucketFigures sum;
  for (const BucketFigures& figures : figures_) {
    sum.files += figures.files;
    sum.bytes += figures.bytes;
  }
  return sum;
}

std::vector<CategoryTotals::Row> CategoryTotals::Biggest() const {
  std::vector<Row> rows;
  for (std::size_t i = 0; i < figures_.size(); ++i) {
    if (figures_[i].files != 0) rows.push_back({TotalsBucket::At(i), figures_[i]});
  }
  std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
    if (a.figures.bytes != b.figures.bytes) return a.figures.bytes > b.figures.bytes;
    return a.figures.files > b.figures.files;
  });
  return rows;
}

}  // namespace tidewell
