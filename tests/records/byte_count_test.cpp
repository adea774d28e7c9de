#include "records/byte_count.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

std::string Text(double count, ExactBytes exact = ExactBytes::Omit) {
  return FormatByteCount(count, exact, platform::LocaleFormat::Classic());
}

TEST(ByteCount, CountsBelowOneKilobyteReadAsBytes) {
  EXPECT_EQ(Text(0), "0 bytes");
  EXPECT_EQ(Text(1023), "1,023 bytes");
}

TEST(ByteCount, KilobytesLoseAPlacePerDecade) {
  EXPECT_EQ(Text(1024), "1.00 Kilobytes");
  EXPECT_EQ(Text(10239), "10.00 Kilobytes");  // K just under 10, rounded up
  EXPECT_EQ(Text(10240), "10.0 Kilobytes");
  EXPECT_EQ(Text(1023999), "1000 Kilobytes");  // "0" never groups
}

TEST(ByteCount, UnitSwitchesOnDecimalKilobyteThresholds) {
  EXPECT_EQ(Text(1024000), "0.98 Megabytes");
  EXPECT_EQ(Text(10240000), "9.8 Megabytes");
  EXPECT_EQ(Text(1e9), "954 Megabytes");
  EXPECT_EQ(Text(1073741824), "1.00 Gigabytes");
  EXPECT_EQ(Text(10239999999.0), "9.54 Gigabytes");
}

TEST(ByteCount, VeryLargeCountsKeepAUnit) {
  EXPECT_EQ(Text(10240000000.0), "9.5 Gigabytes");  // K = 10^7
  EXPECT_EQ(Text(102400000000.0), "95 Gigabytes");  // K = 10^8
  EXPECT_EQ(Text(1024000000000.0), "0.93 Terabytes");  // K = 10^9
  EXPECT_EQ(Text(10240000000000.0), "9.3 Terabytes");  // K = 10^10
  EXPECT_EQ(Text(1024e15), "931323 Terabytes");
}

TEST(ByteCount, ExactCountFollowsWithoutABlank) {
  EXPECT_EQ(Text(5242880, ExactBytes::Append), "5.00 Megabytes(5,242,880 bytes)");
  EXPECT_EQ(Text(10240000000.0, ExactBytes::Append), "9.5 Gigabytes(10,240,000,000 bytes)");
}

TEST(ByteCount, UsesTheGivenLocale) {
  const platform::LocaleFormat& user = platform::LocaleFormat::User();
  EXPECT_EQ(FormatByteCount(1536, ExactBytes::Append, user),
            std::string("1") + user.DecimalSign() + "50 Kilobytes(1" + user.ThousandsSeparator() +
                "536 bytes)");
}

}  // namespace
}  // namespace tidewell
