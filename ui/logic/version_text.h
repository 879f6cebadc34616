// The version as the About box shows it.
#ifndef TARNEL_UI_LOGIC_VERSION_TEXT_H_
#define TARNEL_UI_LOGIC_VERSION_TEXT_H_

#include <string>

namespace tarnel {

/// "Version", then |app_version| / 100, ".", |app_version| % 100, in plain
/// decimal without blanks or leading zeros: VersionText(134) is
/// "Version1.34".
std::string VersionText(int app_version);

}  // namespace tarnel

#endif  // TARNEL_UI_LOGIC_VERSION_TEXT_H_
