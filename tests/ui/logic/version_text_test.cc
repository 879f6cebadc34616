#include "ui/logic/version_text.h"

#include <gtest/gtest.h>

#include "ui/logic/tarnel_version.h"

namespace tarnel {
namespace {

TEST(VersionTextTest, AppVersionComesFromTheProjectVersion) {
  // The project is version 1.34.0.0.
  EXPECT_EQ(AppVersion, 134);
  EXPECT_STREQ(TARNEL_FILE_VERSION_STRING, "1.34.0.0");
  EXPECT_STREQ(TARNEL_PRODUCT_VERSION_STRING, "1.34");
  EXPECT_STREQ(TARNEL_PRODUCT_NAME_STRING, "TARNEL 1.34");
}

TEST(VersionTextTest, ReadsVersionMajorDotMinorWithoutBlanks) {
  EXPECT_EQ(VersionText(AppVersion), "Version1.34");
}

TEST(VersionTextTest, MinorHasNoLeadingZero) {
  EXPECT_EQ(VersionText(105), "Version1.5");
  EXPECT_EQ(VersionText(200), "Version2.0");
  EXPECT_EQ(VersionText(1234), "Version12.34");
}

}  // namespace
}  // namespace tarnel
