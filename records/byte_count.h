// Byte counts as text for people: "1,023 bytes", "5.00 Megabytes".
//
// The unit is chosen on the kilobyte value K = count / 1024 by decimal
// thresholds (not powers of 1,024), with a number format per decade:
//   count < 1024        "#,##0" + " bytes"
//   K < 10              K,             "0.00" Kilobytes
//   K < 100             K,             "0.0"  Kilobytes
//   K < 1000            K,             "0"    Kilobytes
//   K < 10^4 .. 10^6    count / 2^20,  "0.00" / "0.0" / "0" Megabytes
//   K < 10^7 .. 10^9    count / 2^30,  "0.00" / "0.0" / "0" Gigabytes
//   K >= 10^9           count / 2^40,  "0.00" / "0.0" / "0" Terabytes (by decade, "0" from 10^11 on)
// The Gigabyte rows above K = 10^7 and the Terabyte rows extend the table so
// that very large counts (10 GB and more) still read as a number with a unit.
// Numbers use the locale's separators (locale_format.h), rounding half away
// from zero.
#pragma once

#include <string>

#include "platform/locale_format.h"

namespace tidewell {

enum class ExactBytes { Omit, Append };

// With ExactBytes::Append the exact count follows with no blank before the
// parenthesis: "5.00 Megabytes(5,242,880 bytes)".
std::string FormatByteCount(double count, ExactBytes exact = ExactBytes::Omit,
                            const platform::LocaleFormat& locale = platform::LocaleFormat::User());

}  // namespace tidewell
