// What the host knows about the user's locale, as plain data: the raw
// separators, the day and month names, and the locale's own time and short
// date forms. LocaleFormat (platform/locale_format.h) turns these into the
// texts people read; only ReadUserLocaleFacts() asks the host's locale API.
#pragma once

#include <array>
#include <ctime>
#include <functional>
#include <string>

namespace tidewell::platform {

struct LocaleFacts {
  // True for the C/POSIX locale: the fixed US English forms apply and every
  // other member is unused.
  bool classic = true;
  // As the locale spells them, possibly several bytes ("\xE2\x80\xAF");
  // empty when the locale has none.
  std::string thousandsSeparator;
  std::string decimalSign;
  std::array<std::string, 7> dayNames;     // Sunday first
  std::array<std::string, 12> monthNames;  // January first
  // The locale's own time and short date of a std::tm whose date fields are
  // in range and whose tm_wday and tm_yday are filled in. Set whenever
  // `classic` is false.
  std::function<std::string(const std::tm&)> timeOf;
  std::function<std::string(const std::tm&)> shortDateOf;
};

// The facts of the locale the environment names for the user. A locale that
// cannot be read gives the classic facts.
LocaleFacts ReadUserLocaleFacts();

// What a category whose locale the environment does not name stands for:
// on POSIX the C library's own default, the classic locale; on Windows the
// user's regional settings.
enum class UnnamedLocale { IsClassic, IsTheUsers };

// True when the environment names the classic locale ("C" or "POSIX", with
// any codeset or modifier: "C.UTF-8") for numbers and for times alike, each
// looked up as the C library does: LC_ALL, then LC_NUMERIC or LC_TIME, then
// LANG, an empty value counting as unset. Tests and scripts set LC_ALL=C to
// get the fixed US English forms on every host.
bool EnvironmentNamesClassicLocale(UnnamedLocale unnamed);

}  // namespace tidewell::platform
