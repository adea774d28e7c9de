// Numbers and dates worded from a locale's facts. printf-style conversions
// are avoided here (std::to_chars instead) so that the process-wide locale,
// which belongs to whoever else runs in the process, cannot leak into the
// texts.
#include "platform/locale_format.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <string_view>
#include <utility>

namespace tidewell::platform {
namespace {

constexpr const char* kEnglishDays[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                         "Thursday", "Friday", "Saturday"};
constexpr const char* kEnglishMonths[12] = {"January", "February", "March",     "April",
                                            "May",     "June",     "July",      "August",
                                            "September", "October", "November", "December"};

// Texts are single-byte, so a separator the locale spells with several bytes
// is shown as the ASCII character it looks like.
char SeparatorChar(std::string_view text) {
  if (text.empty()) return ',';
  if (text.size() == 1 && static_cast<unsigned char>(text[0]) < 0x80) return text[0];
  // No-break space (Latin-1 and UTF-8), narrow no-break space, thin space.
  if (text == "\xA0" || text == "\xC2\xA0" || text == "\xE2\x80\xAF" || text == "\xE2\x80\x89") {
    return ' ';
  }
  // Right single quotation mark, modifier letter apostrophe.
  if (text == "\xE2\x80\x99" || text == "\xCA\xBC") return '\'';
  return ',';
}

char DecimalChar(std::string_view text) {
  if (text.size() == 1 && static_cast<unsigned char>(text[0]) < 0x80) return text[0];
  return '.';
}

// A number rounded half away from zero, as its digits.
struct RoundedNumber {
  bool negative = false;
  std::string whole;     // at least one digit
  std::string fraction;  // exactly the requested number of digits
};

RoundedNumber Round(double value, int decimals) {
  if (!std::isfinite(value)) value = 0.0;
  // Round the shortest decimal that reads back as this double, so values
  // round as they are written: 0.015 gives 0.02 although the double stored
  // for 0.015 lies a hair below it. Byte counts divided by powers of two are
  // exact in binary and unaffected. From 2^53 on every double is a whole
  // number; those are written with their exact digits rather than the
  // shortest spelling padded with zeros.
  constexpr double kAllWhole = 9007199254740992.0;  // 2^53
  char buffer[400];  // fixed notation of any double: at most 309 whole digits
                     // or 324 places after the point
  const double magnitude = std::fabs(value);
  const auto converted =
      magnitude >= kAllWhole
          ? std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed, 0)
          : std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed);
  const std::string_view shortest(buffer, static_cast<std::size_t>(converted.ptr - buffer));
  const std::size_t point = std::min(shortest.find('.'), shortest.size());
  const std::string_view places =
      point < shortest.size() ? shortest.substr(point + 1) : std::string_view();
  const auto wanted = static_cast<std::size_t>(decimals);

  std::string digits(shortest.substr(0, point));
  digits += places.substr(0, wanted);
  digits.append(wanted - std::min(wanted, places.size()), '0');
  if (places.size() > wanted && places[wanted] >= '5') {
    std::size_t i = digits.size();
    for (; i > 0 && digits[i - 1] == '9'; --i) digits[i - 1] = '0';
    if (i == 0) {
      digits.insert(digits.begin(), '1');
    } else {
      ++digits[i - 1];
    }
  }

  RoundedNumber rounded;
  const std::size_t wholeDigits = digits.size() - static_cast<std::size_t>(decimals);
  rounded.whole = digits.substr(0, wholeDigits);
  rounded.fraction = digits.substr(wholeDigits);
  rounded.negative = std::signbit(value) && digits.find_first_not_of('0') != std::string::npos;
  return rounded;
}

// The calendar date a std::tm names, normalised the way mktime does it.
struct CivilDate {
  int year = 1970;
  unsigned month = 1;    // 1..12
  unsigned day = 1;      // 1..31
  unsigned weekday = 4;  // 0 = Sunday
  int dayOfYear = 0;     // 0 = 1 January
};

CivilDate DateOf(const std::tm& when) {
  using namespace std::chrono;
  const long long months = static_cast<long long>(when.tm_year) * 12 + when.tm_mon;
  long long yearsSince1900 = months / 12;
  long long monthIndex = months % 12;
  if (monthIndex < 0) {
    monthIndex += 12;
    --yearsSince1900;
  }
  const year firstYear{static_cast<int>(1900 + yearsSince1900)};
  const sys_days date = sys_days{firstYear / month{static_cast<unsigned>(monthIndex + 1)} / 1} +
                        days{when.tm_mday - 1};
  const year_month_day ymd{date};

  CivilDate civil;
  civil.year = static_cast<int>(ymd.year());
  civil.month = static_cast<unsigned>(ymd.month());
  civil.day = static_cast<unsigned>(ymd.day());
  civil.weekday = weekday{date}.c_encoding();
  civil.dayOfYear = static_cast<int>((date - sys_days{ymd.year() / January / 1}).count());
  return civil;
}

std::string TwoDigits(int value) {
  std::string text = std::to_string(value);
  if (value >= 0 && value < 10) text.insert(text.begin(), '0');
  return text;
}

// The tm with its date fields normalised and weekday / day of year filled in,
// as the locale's own forms expect them.
std::tm NormalisedTm(const std::tm& when) {
  const CivilDate date = DateOf(when);
  std::tm normal = when;
  normal.tm_year = date.year - 1900;
  normal.tm_mon = static_cast<int>(date.month) - 1;
  normal.tm_mday = static_cast<int>(date.day);
  normal.tm_wday = static_cast<int>(date.weekday);
  normal.tm_yday = date.dayOfYear;
  return normal;
}

}  // namespace

const LocaleFormat& LocaleFormat::User() {
  static const LocaleFormat user(ReadUserLocaleFacts());
  return user;
}

const LocaleFormat& LocaleFormat::Classic() {
  static const LocaleFormat classic(LocaleFacts{});
  return classic;
}

LocaleFormat::LocaleFormat(LocaleFacts facts) : facts_(std::move(facts)) {
  if (facts_.classic) return;
  thousands_ = SeparatorChar(facts_.thousandsSeparator);
  decimal_ = DecimalChar(facts_.decimalSign);
}

std::string LocaleFormat::WholeNumber(double value) const {
  const RoundedNumber rounded = Round(value, 0);
  std::string text;
  if (rounded.negative) text += '-';
  const std::size_t count = rounded.whole.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0 && (count - i) % 3 == 0) text += thousands_;
    text += rounded.whole[i];
  }
  return text;
}

std::string LocaleFormat::Fixed(double value, int decimals) const {
  const RoundedNumber rounded = Round(value, std::clamp(decimals, 0, 6));
  std::string text;
  if (rounded.negative) text += '-';
  text += rounded.whole;
  if (!rounded.fraction.empty()) {
    text += decimal_;
    text += rounded.fraction;
  }
  return text;
}

std::string LocaleFormat::LongDate(const std::tm& when) const {
  const CivilDate date = DateOf(when);
  if (facts_.classic) {
    return std::string(kEnglishDays[date.weekday]) + ", " + kEnglishMonths[date.month - 1] + " " +
           std::to_string(date.day) + ", " + std::to_string(date.year);
  }
  return facts_.dayNames[date.weekday] + ", " + std::to_string(date.day) + " " +
         facts_.monthNames[date.month - 1] + " " + std::to_string(date.year);
}

std::string LocaleFormat::LongTime(const std::tm& when) const {
  if (facts_.classic) {
    const int hour = ((when.tm_hour % 24) + 24) % 24;
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    return std::to_string(hour12) + ":" + TwoDigits(when.tm_min) + ":" + TwoDigits(when.tm_sec) +
           (hour < 12 ? " AM" : " PM");
  }
  return facts_.timeOf(NormalisedTm(when));
}

std::string LocaleFormat::ShortDate(const std::tm& when) const {
  if (facts_.classic) {
    const CivilDate date = DateOf(when);
    return std::to_string(date.month) + "/" + std::to_string(date.day) + "/" +
           std::to_string(date.year);
  }
  return facts_.shortDateOf(NormalisedTm(when));
}

}  // namespace tidewell::platform
