// The user's locale read through a private locale_t (newlocale /
// nl_langinfo_l / strftime_l). setlocale is never called: the process-wide
// locale belongs to whoever else runs in the process.
#include "platform/locale_facts.h"

#include <langinfo.h>
#include <locale.h>

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace tidewell::platform {
namespace {

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

// A strftime form of the locale, applied through the locale it came from
// (which the returned function keeps alive).
std::function<std::string(const std::tm&)> FormatWith(std::string format,
                                                      std::shared_ptr<void> locale) {
  return [format = std::move(format), locale = std::move(locale)](const std::tm& when) {
    return FormatTime(format.c_str(), when, static_cast<locale_t>(locale.get()));
  };
}

}  // namespace

LocaleFacts ReadUserLocaleFacts() {
  LocaleFacts facts;  // the C facts, kept when the locale cannot be read
  const locale_t locale = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) return facts;
  const std::shared_ptr<void> holder(locale, [](void* held) { freelocale(static_cast<locale_t>(held)); });

  const std::string_view separator = nl_langinfo_l(THOUSEP, locale);
  if (separator.empty() && EnvironmentNamesClassicLocale(UnnamedLocale::IsClassic)) return facts;

  facts.classic = false;
  facts.thousandsSeparator = separator;
  facts.decimalSign = nl_langinfo_l(RADIXCHAR, locale);
  static constexpr nl_item kDays[7] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
  static constexpr nl_item kMonths[12] = {MON_1, MON_2, MON_3, MON_4,  MON_5,  MON_6,
                                          MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
  for (int i = 0; i < 7; ++i) facts.dayNames[i] = nl_langinfo_l(kDays[i], locale);
  for (int i = 0; i < 12; ++i) facts.monthNames[i] = nl_langinfo_l(kMonths[i], locale);
  std::string timeFormat = nl_langinfo_l(T_FMT, locale);
  std::string dateFormat = nl_langinfo_l(D_FMT, locale);
  if (timeFormat.empty()) timeFormat = "%H:%M:%S";
  if (dateFormat.empty()) dateFormat = "%Y-%m-%d";
  facts.timeOf = FormatWith(std::move(timeFormat), holder);
  facts.shortDateOf = FormatWith(std::move(dateFormat), holder);
  return facts;
}

}  // namespace tidewell::platform
