// Byte strings made printable, for failure messages about texts of any
// bytes.
#ifndef TARNEL_TESTS_SUPPORT_ESCAPED_H_
#define TARNEL_TESTS_SUPPORT_ESCAPED_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnel {
namespace testing_support {

/// |text| in double quotes with every byte outside printable ASCII (and the
/// quote and backslash) as \xNN, cut after about |limit| bytes.
std::string Escaped(std::string_view text, std::size_t limit = 80);

}  // namespace testing_support
}  // namespace tarnel

#endif  // TARNEL_TESTS_SUPPORT_ESCAPED_H_
