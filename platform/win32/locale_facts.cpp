// The user's locale on Windows: GetLocaleInfoEx for separators and names,
// GetDateFormatEx and GetTimeFormatEx for the short date and the time. As
// on POSIX, LC_ALL, LC_NUMERIC/LC_TIME or LANG naming "C" or "POSIX" selects
// the classic forms (tests and scripts rely on that).
#include "platform/locale_facts.h"

#include <windows.h>

#include <string_view>

#include "platform/win32/wide_text.h"

namespace tidewell::platform {
namespace {

std::string LocaleText(LCTYPE item) {
  wchar_t buffer[128];
  const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, buffer, 128);
  return length > 1 ? win32::Narrow(std::wstring_view(buffer, static_cast<std::size_t>(length - 1))) : std::string();
}

SYSTEMTIME SystemTimeOf(const std::tm& when) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(when.tm_year + 1900);
  time.wMonth = static_cast<WORD>(when.tm_mon + 1);
  time.wDay = static_cast<WORD>(when.tm_mday);
  time.wDayOfWeek = static_cast<WORD>(when.tm_wday);
  time.wHour = static_cast<WORD>(when.tm_hour);
  time.wMinute = static_cast<WORD>(when.tm_min);
  time.wSecond = static_cast<WORD>(when.tm_sec);
  return time;
}

std::string TimeOf(const std::tm& when) {
  const SYSTEMTIME time = SystemTimeOf(when);
  wchar_t buffer[128];
  const int length = GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &time, nullptr, buffer, 128);
  return length > 1 ? win32::Narrow(std::wstring_view(buffer, static_cast<std::size_t>(length - 1))) : std::string();
}

std::string ShortDateOf(const std::tm& when) {
  const SYSTEMTIME time = SystemTimeOf(when);
  wchar_t buffer[128];
  const int length = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, buffer, 128, nullptr);
  return length > 1 ? win32::Narrow(std::wstring_view(buffer, static_cast<std::size_t>(length - 1))) : std::string();
}

}  // namespace

LocaleFacts ReadUserLocaleFacts() {
  LocaleFacts facts;
  if (EnvironmentNamesClassicLocale(UnnamedLocale::IsTheUsers)) return facts;

  facts.classic = false;
  facts.thousandsSeparator = LocaleText(LOCALE_STHOUSAND);
  facts.decimalSign = LocaleText(LOCALE_SDECIMAL);
  // Windows counts days from Monday (LOCALE_SDAYNAME1); the facts from Sunday.
  static constexpr LCTYPE kDays[7] = {LOCALE_SDAYNAME7, LOCALE_SDAYNAME1, LOCALE_SDAYNAME2, LOCALE_SDAYNAME3,
                                      LOCALE_SDAYNAME4, LOCALE_SDAYNAME5, LOCALE_SDAYNAME6};
  static constexpr LCTYPE kMonths[12] = {LOCALE_SMONTHNAME1,  LOCALE_SMONTHNAME2,  LOCALE_SMONTHNAME3,
                                         LOCALE_SMONTHNAME4,  LOCALE_SMONTHNAME5,  LOCALE_SMONTHNAME6,
                                         LOCALE_SMONTHNAME7,  LOCALE_SMONTHNAME8,  LOCALE_SMONTHNAME9,
                                         LOCALE_SMONTHNAME10, LOCALE_SMONTHNAME11, LOCALE_SMONTHNAME12};
  for (int i = 0; i < 7; ++i) facts.dayNames[i] = LocaleText(kDays[i]);
  for (int i = 0; i < 12; ++i) facts.monthNames[i] = LocaleText(kMonths[i]);
  facts.timeOf = TimeOf;
  facts.shortDateOf = ShortDateOf;
  return facts;
}

}  // namespace tidewell::platform
