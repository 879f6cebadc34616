#include "ui/logic/version_text.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/logic/tarnel_version.h"

namespace tarnel {
namespace {

// The project's version as the build gives it, major.minor.patch.tweak.
struct ProjectVersion {
  int major = 0;
  int minor = 0;
  std::string major_minor;
};

ProjectVersion ReadProjectVersion() {
  const std::string full = TARNEL_PROJECT_VERSION;
  const std::size_t first = full.find('.');
  const std::size_t second = full.find('.', first + 1);
  ProjectVersion version;
  version.major = std::stoi(full.substr(0, first));
  version.minor = std::stoi(full.substr(first + 1, second - first - 1));
  version.major_minor = full.substr(0, second);
  return version;
}

TEST(VersionTextTest, AppVersionComesFromTheProjectVersion) {
  const ProjectVersion project = ReadProjectVersion();
  EXPECT_EQ(AppVersion, project.major * 100 + project.minor);
  EXPECT_EQ(std::string(TARNEL_FILE_VERSION_STRING), TARNEL_PROJECT_VERSION);
  EXPECT_EQ(std::string(TARNEL_PRODUCT_VERSION_STRING), project.major_minor);
  EXPECT_EQ(std::string(TARNEL_PRODUCT_NAME_STRING),
            "TARNEL " + project.major_minor);
  EXPECT_EQ(VersionText(AppVersion), "Version" + project.major_minor);
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
