#include "ui/logic/display.h"

#include <cstring>
#include <string_view>

namespace tarnel {

namespace {

constexpr char kOffscreen[] = "offscreen";
constexpr char kMinimal[] = "minimal";

bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }

// QT_QPA_PLATFORM may carry options after a colon ("offscreen:fontengine=").
std::string_view RequestedPlatform(EnvironmentLookup lookup) {
  const char* value = lookup("QT_QPA_PLATFORM");
  if (!IsSet(value)) return {};
  std::string_view platform(value);
  return platform.substr(0, platform.find(':'));
}

}  // namespace

bool HasDisplay(EnvironmentLookup lookup) {
  const std::string_view platform = RequestedPlatform(lookup);
  if (platform == kOffscreen || platform == kMinimal) return false;
#ifdef _WIN32
  return true;
#else
  return IsSet(lookup("DISPLAY")) || IsSet(lookup("WAYLAND_DISPLAY"));
#endif
}

bool UsesX11Directly(EnvironmentLookup lookup) {
#ifdef _WIN32
  (void)lookup;
  return false;
#else
  if (!IsSet(lookup("DISPLAY"))) return false;
  const std::string_view platform = RequestedPlatform(lookup);
  if (!platform.empty()) return platform == "xcb";
  const char* session = lookup("XDG_SESSION_TYPE");
  return !IsSet(lookup("WAYLAND_DISPLAY")) &&
         !(session != nullptr && std::string_view(session) == "wayland");
#endif
}

bool UsesWaylandDirectly(EnvironmentLookup lookup) {
#ifdef _WIN32
  (void)lookup;
  return false;
#else
  if (!IsSet(lookup("WAYLAND_DISPLAY"))) return false;
  const std::string_view platform = RequestedPlatform(lookup);
  return platform.empty() || platform.starts_with("wayland");
#endif
}

const char* HeadlessPlatform(EnvironmentLookup lookup) {
  const char* value = lookup("QT_QPA_PLATFORM");
  const std::string_view platform = RequestedPlatform(lookup);
  if (platform == kOffscreen || platform == kMinimal) return value;
  return kOffscreen;
}

}  // namespace tarnel
