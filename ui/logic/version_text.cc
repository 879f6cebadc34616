#include "ui/logic/version_text.h"

namespace tarnel {

namespace {
constexpr char kVersionWord[] = "Version";
}  // namespace

std::string VersionText(int app_version) {
  return kVersionWord + std::to_string(app_version / 100) + "." +
         std::to_string(app_version % 100);
}

}  // namespace tarnel
