#include "platform/locale_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>

namespace tidewell::platform {
namespace {

const LocaleFormat& C() { return LocaleFormat::Classic(); }

std::tm At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  std::tm when{};
  when.tm_year = year - 1900;
  when.tm_mon = month - 1;
  when.tm_mday = day;
  when.tm_hour = hour;
  when.tm_min = minute;
  when.tm_sec = second;
  when.tm_wday = 6;  // deliberately wrong: the day name comes from the date
  return when;
}

TEST(LocaleFormatNumbers, WholeNumberGroupsThousandsInFullDigits) {
  EXPECT_EQ(C().WholeNumber(999), "999");
  EXPECT_EQ(C().WholeNumber(1234567.4), "1,234,567");
  EXPECT_EQ(C().WholeNumber(1e20), "100,000,000,000,000,000,000");
  EXPECT_EQ(C().WholeNumber(std::ldexp(1.0, 64)), "18,446,744,073,709,551,616");
}

TEST(LocaleFormatNumbers, NegativeNumbersCarryOneLeadingMinus) {
  EXPECT_EQ(C().WholeNumber(-100000), "-100,000");
  EXPECT_EQ(C().WholeNumber(-1234.5), "-1,235");
  EXPECT_EQ(C().WholeNumber(-0.4), "0");  // rounding to zero leaves no sign
  EXPECT_EQ(C().Fixed(-0.001, 2), "0.00");
}

TEST(LocaleFormatNumbers, RoundsHalfAwayFromZero) {
  EXPECT_EQ(C().WholeNumber(2.5), "3");  // not to even
  EXPECT_EQ(C().WholeNumber(-2.5), "-3");
  EXPECT_EQ(C().WholeNumber(0.49999999999999994), "0");  // just below a half
  EXPECT_EQ(C().Fixed(0.125, 2), "0.13");
  EXPECT_EQ(C().Fixed(-0.125, 2), "-0.13");
  EXPECT_EQ(C().Fixed(0.9765625, 2), "0.98");
  // The doubles for these lie a hair below the written half.
  EXPECT_EQ(C().Fixed(0.015, 2), "0.02");
  EXPECT_EQ(C().Fixed(2.675, 2), "2.68");
}

TEST(LocaleFormatNumbers, FixedCarriesPadsAndNeverGroups) {
  EXPECT_EQ(C().Fixed(9.9990234375, 2), "10.00");
  EXPECT_EQ(C().Fixed(99.95, 1), "100.0");
  EXPECT_EQ(C().Fixed(5, 2), "5.00");
  EXPECT_EQ(C().Fixed(1234567.891, 2), "1234567.89");
  EXPECT_EQ(C().Fixed(1.5, 9), "1.500000");  // places are clamped to six
}

TEST(LocaleFormatNumbers, NonFiniteValuesReadAsZero) {
  EXPECT_EQ(C().WholeNumber(std::numeric_limits<double>::quiet_NaN()), "0");
  EXPECT_EQ(C().Fixed(-std::numeric_limits<double>::infinity(), 2), "0.00");
}

TEST(LocaleFormatNumbers, UserLocaleUsesItsOwnSeparators) {
  const LocaleFormat& user = LocaleFormat::User();
  const std::string sep(1, user.ThousandsSeparator());
  EXPECT_EQ(user.WholeNumber(1234567), "1" + sep + "234" + sep + "567");
  EXPECT_EQ(user.Fixed(0.25, 1), std::string("0") + user.DecimalSign() + "3");
}

TEST(LocaleFormatDates, ClassicForms) {
  const std::tm when = At(2026, 12, 7, 6, 38, 31);
  EXPECT_EQ(C().LongDate(when), "Monday, December 7, 2026");
  EXPECT_EQ(C().LongTime(when), "6:38:31 AM");
  EXPECT_EQ(C().ShortDate(when), "12/7/2026");
}

TEST(LocaleFormatDates, LongTimeUsesTwelveHourClock) {
  EXPECT_EQ(C().LongTime(At(2026, 1, 1, 0, 5, 9)), "12:05:09 AM");  // midnight
  EXPECT_EQ(C().LongTime(At(2026, 1, 1, 11, 59, 59)), "11:59:59 AM");
  EXPECT_EQ(C().LongTime(At(2026, 1, 1, 12, 0, 0)), "12:00:00 PM");  // noon
  EXPECT_EQ(C().LongTime(At(2026, 1, 1, 13, 4, 5)), "1:04:05 PM");
}

TEST(LocaleFormatDates, DayNameComesFromTheNormalisedDate) {
  EXPECT_EQ(C().LongDate(At(2024, 2, 29)), "Thursday, February 29, 2024");
  EXPECT_EQ(C().LongDate(At(1969, 7, 20)), "Sunday, July 20, 1969");
  EXPECT_EQ(C().LongDate(At(2026, 1, 32)), "Sunday, February 1, 2026");
  EXPECT_EQ(C().ShortDate(At(2026, 13, 1)), "1/1/2027");
  EXPECT_EQ(C().ShortDate(At(2026, 3, 0)), "2/28/2026");
}

// A locale given as facts, as the host would read it: German names, and
// forms that show which normalised date they were handed.
LocaleFacts GermanFacts() {
  LocaleFacts facts;
  facts.classic = false;
  facts.thousandsSeparator = ".";
  facts.decimalSign = ",";
  facts.dayNames = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
  facts.monthNames = {"Januar", "Februar", "M\xC3\xA4rz",  "April",   "Mai",      "Juni",
                      "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
  const auto fields = [](const std::tm& when) {
    return std::to_string(when.tm_year + 1900) + "-" + std::to_string(when.tm_mon + 1) + "-" +
           std::to_string(when.tm_mday) + " wday " + std::to_string(when.tm_wday) + " yday " +
           std::to_string(when.tm_yday) + " " + std::to_string(when.tm_hour) + ":" +
           std::to_string(when.tm_min);
  };
  facts.timeOf = [fields](const std::tm& when) { return "time " + fields(when); };
  facts.shortDateOf = [fields](const std::tm& when) { return "date " + fields(when); };
  return facts;
}

LocaleFormat WithSeparators(std::string thousands, std::string decimal) {
  LocaleFacts facts = GermanFacts();
  facts.thousandsSeparator = std::move(thousands);
  facts.decimalSign = std::move(decimal);
  return LocaleFormat(std::move(facts));
}

TEST(LocaleFormatFromFacts, SeparatorsShowAsOneAsciiByte) {
  const LocaleFormat german(GermanFacts());
  EXPECT_EQ(german.WholeNumber(1234567.4), "1.234.567");
  EXPECT_EQ(german.Fixed(-1234.567, 2), "-1234,57");
  // Spaces of every width read as a blank, apostrophe-like marks as '\''.
  EXPECT_EQ(WithSeparators("\xC2\xA0", ",").WholeNumber(1234567), "1 234 567");
  EXPECT_EQ(WithSeparators("\xE2\x80\xAF", ",").WholeNumber(1234567), "1 234 567");
  EXPECT_EQ(WithSeparators("\xE2\x80\x89", ",").WholeNumber(1234567), "1 234 567");
  EXPECT_EQ(WithSeparators("\xE2\x80\x99", ".").WholeNumber(1234567), "1'234'567");
  // None, or one with no look-alike: a comma; a decimal sign of several bytes: a point.
  EXPECT_EQ(WithSeparators("", ",").WholeNumber(1234567), "1,234,567");
  EXPECT_EQ(WithSeparators("\xD9\xAC", "\xD9\xAB").WholeNumber(1234567), "1,234,567");
  EXPECT_EQ(WithSeparators("\xD9\xAC", "\xD9\xAB").Fixed(0.25, 1), "0.3");
  EXPECT_EQ(WithSeparators("\xD9\xAC", "\xD9\xAB").DecimalSign(), '.');
  // Classic facts keep the fixed forms whatever else they hold.
  LocaleFacts classic = GermanFacts();
  classic.classic = true;
  const LocaleFormat fixed(std::move(classic));
  EXPECT_EQ(fixed.WholeNumber(1234567), "1,234,567");
  EXPECT_EQ(fixed.LongDate(At(2026, 12, 7)), "Monday, December 7, 2026");
}

TEST(LocaleFormatFromFacts, DatesUseTheLocalesNamesAndFormsOfTheNormalisedDate) {
  const LocaleFormat german(GermanFacts());
  EXPECT_EQ(german.LongDate(At(2026, 12, 7)), "Montag, 7 Dezember 2026");
  EXPECT_EQ(german.LongDate(At(2026, 1, 32)), "Sonntag, 1 Februar 2026");
  EXPECT_EQ(german.LongDate(At(2026, 3, 0)), "Samstag, 28 Februar 2026");
  // The locale's own forms get the date normalised, with its weekday and
  // day of the year worked out (At() sets a wrong tm_wday).
  EXPECT_EQ(german.LongTime(At(2026, 1, 32, 14, 5)), "time 2026-2-1 wday 0 yday 31 14:5");
  EXPECT_EQ(german.ShortDate(At(2026, 13, 1)), "date 2027-1-1 wday 5 yday 0 0:0");
  EXPECT_EQ(german.ShortDate(At(2024, 12, 31)), "date 2024-12-31 wday 2 yday 365 0:0");
}

}  // namespace
}  // namespace tidewell::platform
