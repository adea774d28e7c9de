#include "records/byte_count.h"

namespace tidewell {
namespace {

constexpr double kKilobyte = 1024.0;
constexpr double kMegabyte = kKilobyte * 1024.0;
constexpr double kGigabyte = kMegabyte * 1024.0;
constexpr double kTerabyte = kGigabyte * 1024.0;

// One row per decade of the kilobyte value: the first row whose limit the
// kilobyte value is below decides the unit and the number of decimals.
struct UnitRow {
  double kilobyteLimit;
  double unitSize;
  int decimals;
  const char* unitText;
};

constexpr UnitRow kRows[] = {
    {1e1, kKilobyte, 2, " Kilobytes"},  {1e2, kKilobyte, 1, " Kilobytes"},
    {1e3, kKilobyte, 0, " Kilobytes"},  {1e4, kMegabyte, 2, " Megabytes"},
    {1e5, kMegabyte, 1, " Megabytes"},  {1e6, kMegabyte, 0, " Megabytes"},
    {1e7, kGigabyte, 2, " Gigabytes"},  {1e8, kGigabyte, 1, " Gigabytes"},
    {1e9, kGigabyte, 0, " Gigabytes"},  {1e10, kTerabyte, 2, " Terabytes"},
    {1e11, kTerabyte, 1, " Terabytes"},
};
constexpr UnitRow kLastRow = {0.0, kTerabyte, 0, " Terabytes"};

std::string WithUnit(double count, const platform::LocaleFormat& locale) {
  // Written as "not at least" so that NaN and negative counts read as bytes.
  if (!(count >= kKilobyte)) return locale.WholeNumber(count) + " bytes";
  const double kilobytes = count / kKilobyte;
  const UnitRow* chosen = &kLastRow;
  for (const UnitRow& row : kRows) {
    if (kilobytes < row.kilobyteLimit) {
      chosen = &row;
      break;
    }
  }
  return locale.Fixed(count / chosen->unitSize, chosen->decimals) + chosen->unitText;
}

}  // namespace

std::string FormatByteCount(double count, ExactBytes exact, const platform::LocaleFormat& locale) {
  std::string text = WithUnit(count, locale);
  if (exact == ExactBytes::Append) text += "(" + locale.WholeNumber(count) + " bytes)";
  return text;
}

}  // namespace tidewell
