#include "ui/category_figures.h"

#include "i18n/translation.h"
#include "platform/text_case.h"
#include "records/byte_count.h"

namespace tidewell::ui {

std::vector<CategoryFiguresRow> RunFigures::Rows(const platform::LocaleFormat& locale) const {
  std::vector<CategoryFiguresRow> rows;
  for (const DriveSummary& drive : drives_) {
    const std::string letter = UpperCased(drive.drive.substr(0, 2));
    const std::vector<CategoryTotals::Row> biggest = drive.totals.byCategory.Biggest();
    if (biggest.empty()) {
      rows.push_back({letter, {}, std::string(i18n::Translated(kNoCategoryChoseAFile)), {}, {}});
      continue;
    }
    for (const CategoryTotals::Row& row : biggest) {
      // The caption as the Deepwash window shows it, in the user's language.
      rows.push_back({letter, std::string(row.bucket.Name()), std::string(i18n::Translated(row.bucket.Caption())),
                      locale.WholeNumber(static_cast<double>(row.figures.files)),
                      FormatByteCount(static_cast<double>(row.figures.bytes), ExactBytes::Omit, locale)});
    }
  }
  return rows;
}

}  // namespace tidewell::ui
