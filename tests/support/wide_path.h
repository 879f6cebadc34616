// Paths as Windows' wide file functions take them, for the Windows suites.
// Made here on their own, so that a suite can check what the code under
// test made of a path against them.
#ifndef TARNEL_TESTS_SUPPORT_WIDE_PATH_H_
#define TARNEL_TESTS_SUPPORT_WIDE_PATH_H_

#include <string>

namespace tarnel {
namespace testing_support {

/// |path| (ANSI bytes; relative or absolute, either separator) as an
/// absolute "\\?\" path, which the wide functions take at any length.
std::wstring ExtendedPathOf(const std::string& path);

}  // namespace testing_support
}  // namespace tarnel

#endif  // TARNEL_TESTS_SUPPORT_WIDE_PATH_H_
