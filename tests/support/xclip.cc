#include "tests/support/xclip.h"

#include <gtest/gtest.h>

#include <thread>
#include <utility>

namespace tarnel {
namespace testing_support {

namespace {

std::vector<std::string> XclipArgv(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv = {"xclip", "-selection", "clipboard"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return argv;
}

ChildSetup WithInput(std::optional<std::string> input) {
  ChildSetup setup;
  setup.input = std::move(input);
  return setup;
}

}  // namespace

ChildResult Xclip(const std::vector<std::string>& arguments,
                  std::optional<std::string> input) {
  return RunChild(XclipArgv(arguments), WithInput(std::move(input)),
                  kXclipTimeout);
}

std::string XclipOut(const char* target) {
  return Xclip({"-o", "-t", target}).out;
}

void PutOnClipboard(const std::string& bytes, const char* target) {
  const ChildResult run = Xclip({"-i", "-t", target}, bytes);
  ASSERT_EQ(run.status, 0) << run.err;
  // Nothing tells when the background part has taken the clipboard: ask
  // until it answers.
  const auto deadline = std::chrono::steady_clock::now() + kXclipTimeout;
  while (XclipOut(target) != bytes) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline)
        << "xclip never served " << target;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

XclipOwner::XclipOwner(const std::string& bytes, const char* target)
    : child_(XclipArgv({"-quiet", "-i", "-t", target}), WithInput(bytes)) {}

}  // namespace testing_support
}  // namespace tarnel
