// Locale forms read through a private locale_t (newlocale / nl_langinfo_l /
// strftime_l). setlocale is never called: the process-wide locale belongs to
// whoever else runs in the process, and printf-style conversions are avoided
// here (std::to_chars instead) so that their locale cannot leak into the
// texts either.
#include "platform/locale_format.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace tidewell::platform {
namespace {

constexpr const char* kEnglishDays[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                         "Thursday", "Friday", "Saturday"};
constexpr const char* kEnglishMonths[12] = {"January", "February", "March",     "April",
                                            "May",     "June",     "July",      "August",
                                            "September", "October", "November", "December"};

// The locale name the environment gives one category, in the order the C
// library itself consults: LC_ALL, then the category, then LANG.
std::string_view EnvironmentName(const char* category) {
  for (const char* variable : {"LC_ALL", category, "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

// C and POSIX with any codeset or modifier: "C", "C.UTF-8", "C.utf8", "POSIX".
bool IsClassicName(std::string_view name) {
  const std::string_view base = name.substr(0, name.find_first_of(".@"));
  return base == "C" || base == "POSIX";
}

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

// strftime_l into a growing buffer; a result that stays empty is taken as an
// empty text (some forms, such as "%p" in a 24-hour locale, are empty).
std::string FormatTime(const char* format, const std::tm& when, locale_t locale) {
  for (std::size_t size = 128; size <= 16384; size *= 4) {
    std::vector<char> buffer(size);
    const std::size_t length = strftime_l(buffer.data(), buffer.size(), format, &when, locale);
    if (length > 0) return std::string(buffer.data(), length);
  }
  return {};
}

// The tm with its date fields normalised and weekday / day of year filled in,
// as strftime expects them.
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

locale_t LocaleOf(const std::shared_ptr<void>& holder) {
  return static_cast<locale_t>(holder.get());
}

}  // namespace

const LocaleFormat& LocaleFormat::User() {
  static const LocaleFormat user = FromName("");
  return user;
}

const LocaleFormat& LocaleFormat::Classic() {
  static const LocaleFormat classic;
  return classic;
}

LocaleFormat LocaleFormat::FromName(const char* name) {
  LocaleFormat format;  // the C forms, kept when the locale cannot be read
  const locale_t locale = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) return format;
  format.locale_ = std::shared_ptr<void>(locale, [](void* held) {
    freelocale(static_cast<locale_t>(held));
  });

  const std::string_view separator = nl_langinfo_l(THOUSEP, locale);
  const std::string_view decimal = nl_langinfo_l(RADIXCHAR, locale);
  const auto categoryName = [name](const char* category) {
    return *name != '\0' ? std::string_view(name) : EnvironmentName(category);
  };
  if (separator.empty() && IsClassicName(categoryName("LC_NUMERIC")) &&
      IsClassicName(categoryName("LC_TIME"))) {
    format.locale_.reset();
    return format;
  }

  format.classic_ = false;
  format.thousands_ = SeparatorChar(separator);
  format.decimal_ = DecimalChar(decimal);
  static constexpr nl_item kDays[7] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
  static constexpr nl_item kMonths[12] = {MON_1, MON_2, MON_3, MON_4,  MON_5,  MON_6,
                                          MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
  for (int i = 0; i < 7; ++i) format.dayNames_[i] = nl_langinfo_l(kDays[i], locale);
  for (int i = 0; i < 12; ++i) format.monthNames_[i] = nl_langinfo_l(kMonths[i], locale);
  format.timeFormat_ = nl_langinfo_l(T_FMT, locale);
  format.dateFormat_ = nl_langinfo_l(D_FMT, locale);
  if (format.timeFormat_.empty()) format.timeFormat_ = "%H:%M:%S";
  if (format.dateFormat_.empty()) format.dateFormat_ = "%Y-%m-%d";
  return format;
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
  if (classic_) {
    return std::string(kEnglishDays[date.weekday]) + ", " + kEnglishMonths[date.month - 1] + " " +
           std::to_string(date.day) + ", " + std::to_string(date.year);
  }
  return dayNames_[date.weekday] + ", " + std::to_string(date.day) + " " +
         monthNames_[date.month - 1] + " " + std::to_string(date.year);
}

std::string LocaleFormat::LongTime(const std::tm& when) const {
  if (classic_) {
    const int hour = ((when.tm_hour % 24) + 24) % 24;
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    return std::to_string(hour12) + ":" + TwoDigits(when.tm_min) + ":" + TwoDigits(when.tm_sec) +
           (hour < 12 ? " AM" : " PM");
  }
  return FormatTime(timeFormat_.c_str(), NormalisedTm(when), LocaleOf(locale_));
}

std::string LocaleFormat::ShortDate(const std::tm& when) const {
  if (classic_) {
    const CivilDate date = DateOf(when);
    return std::to_string(date.month) + "/" + std::to_string(date.day) + "/" +
           std::to_string(date.year);
  }
  return FormatTime(dateFormat_.c_str(), NormalisedTm(when), LocaleOf(locale_));
}

}  // namespace tidewell::platform
