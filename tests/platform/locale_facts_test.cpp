// Which locale the environment names: the C library's order of variables,
// and what an unnamed locale stands for on each host.
#include "platform/locale_facts.h"

#include <gtest/gtest.h>

#include "tests/support/scoped_variable.h"

namespace tidewell::platform {
namespace {

using testing::ScopedVariable;

// The four variables the lookup reads, all unset for the test's life.
class EnvironmentLocaleTest : public ::testing::Test {
 protected:
  ScopedVariable all_{"LC_ALL", nullptr};
  ScopedVariable numeric_{"LC_NUMERIC", nullptr};
  ScopedVariable time_{"LC_TIME", nullptr};
  ScopedVariable lang_{"LANG", nullptr};
};

TEST_F(EnvironmentLocaleTest, AnUnnamedLocaleIsClassicOnlyWhereTheHostSaysSo) {
  EXPECT_TRUE(EnvironmentNamesClassicLocale(UnnamedLocale::IsClassic));
  EXPECT_FALSE(EnvironmentNamesClassicLocale(UnnamedLocale::IsTheUsers));
  all_.Set("");  // an empty value names nothing
  lang_.Set("");
  EXPECT_TRUE(EnvironmentNamesClassicLocale(UnnamedLocale::IsClassic));
  EXPECT_FALSE(EnvironmentNamesClassicLocale(UnnamedLocale::IsTheUsers));
  // Numbers named classic, times unnamed: the times decide.
  numeric_.Set("C");
  EXPECT_TRUE(EnvironmentNamesClassicLocale(UnnamedLocale::IsClassic));
  EXPECT_FALSE(EnvironmentNamesClassicLocale(UnnamedLocale::IsTheUsers));
}

TEST_F(EnvironmentLocaleTest, LcAllWinsOverTheCategoryWhichWinsOverLang) {
  for (const UnnamedLocale unnamed : {UnnamedLocale::IsClassic, UnnamedLocale::IsTheUsers}) {
    lang_.Set("de_DE.UTF-8");
    EXPECT_FALSE(EnvironmentNamesClassicLocale(unnamed));
    numeric_.Set("C.UTF-8");
    time_.Set("POSIX");
    EXPECT_TRUE(EnvironmentNamesClassicLocale(unnamed));
    all_.Set("de_DE");
    EXPECT_FALSE(EnvironmentNamesClassicLocale(unnamed));
    all_.Set("C.utf8@euro");
    lang_.Set("fr_FR");
    EXPECT_TRUE(EnvironmentNamesClassicLocale(unnamed));
    all_.Set(nullptr);
    time_.Set("Cornish");  // a name that only starts like "C"
    EXPECT_FALSE(EnvironmentNamesClassicLocale(unnamed));
    numeric_.Set(nullptr);
    time_.Set(nullptr);
    lang_.Set("C");
    EXPECT_TRUE(EnvironmentNamesClassicLocale(unnamed));
    lang_.Set(nullptr);
  }
}

}  // namespace
}  // namespace tidewell::platform
