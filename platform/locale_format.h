// Numbers, dates and times in the user's locale, for texts that people read.
//
// The user's locale comes from the environment (LC_ALL, LC_NUMERIC / LC_TIME,
// LANG), read by the host into LocaleFacts (platform/locale_facts.h) through a
// private locale object: the process-wide C locale is never changed, so
// nothing else in the program is affected.
// Under the C/POSIX locale (no thousands separator of its own) the forms are
// the US English ones the records were designed with:
//   WholeNumber(1234567.4)   -> "1,234,567"
//   Fixed(0.9765625, 2)      -> "0.98"
//   LongDate(...)            -> "Monday, December 7, 2026"
//   LongTime(...)            -> "6:38:31 AM"
//   ShortDate(...)           -> "12/7/2026"
// The C/POSIX forms apply when the locale names a C/POSIX variant (C.UTF-8
// included) for both numbers and times and has no thousands separator.
// Under any other locale:
//   - numbers use its thousands separator and decimal sign, grouped in threes;
//     a separator that is not one ASCII byte is shown as its nearest ASCII
//     look-alike (no-break and thin spaces as ' ', right quote as '\''),
//     otherwise as ','; a decimal sign that is not one ASCII byte as '.';
//   - LongDate reads "<day name>, <day> <month name> <year>" with the
//     locale's names, e.g. "Montag, 7 Dezember 2026";
//   - LongTime and ShortDate are the locale's own time (T_FMT) and date
//     (D_FMT) forms.
// Dates are taken from tm_year, tm_mon and tm_mday (normalised as mktime does,
// so 32 January reads 1 February); the day name is worked out from the date,
// tm_wday is not consulted.
#pragma once

#include <ctime>
#include <string>

#include "platform/locale_facts.h"

namespace tidewell::platform {

class LocaleFormat {
 public:
  // The locale named by the environment, read once and shared.
  static const LocaleFormat& User();
  // The C locale's forms, whatever the environment says (for tests).
  static const LocaleFormat& Classic();

  // The forms of a locale whose facts are known (the host reads the user's
  // with ReadUserLocaleFacts()).
  explicit LocaleFormat(LocaleFacts facts);

  // "#,##0": rounded half away from zero to a whole number, thousands grouped
  // with the locale's separator ("," when the locale has none), no decimals.
  // A value beyond what a double can show as a whole number is still printed
  // in full digits; NaN and infinities read "0". A value that rounds to zero
  // never shows a minus sign.
  std::string WholeNumber(double value) const;

  // "0", "0.0", "0.00": rounded half away from zero to `decimals` places
  // (0 to 6; others are clamped), with the locale's decimal sign and no
  // grouping. NaN and infinities read as zero; no "-0.00".
  std::string Fixed(double value, int decimals) const;

  // The long date and long time forms, and the short date.
  std::string LongDate(const std::tm& when) const;
  std::string LongTime(const std::tm& when) const;
  std::string ShortDate(const std::tm& when) const;

  char ThousandsSeparator() const { return thousands_; }
  char DecimalSign() const { return decimal_; }

 private:
  LocaleFacts facts_;
  char thousands_ = ',';  // facts_'s separators as the one byte texts show
  char decimal_ = '.';
};

}  // namespace tidewell::platform
