// The parameters of a sort run, as the front end hands them to RunSort: the
// bits of SortMode and KeyKind, and the seven values of one request.
#ifndef TARNEL_ENGINE_SORT_PARAMETERS_H_
#define TARNEL_ENGINE_SORT_PARAMETERS_H_

#include <cstdint>

#include "platform/message_boxes.h"

namespace tarnel {

/// SortMode bits.
inline constexpr std::int32_t kSortDescending = 1;
inline constexpr std::int32_t kSortIgnoreCase = 2;
inline constexpr std::int32_t kSortUnique = 4;

/// The base mode is SortMode without kSortUnique; it picks a comparator
/// within its row: 0 ascending, 1 descending, 2 and 3 the same ignoring
/// case.
constexpr std::int32_t BaseModeOf(std::int32_t sort_mode) {
  return sort_mode & ~kSortUnique;
}
inline constexpr std::int32_t kLargestBaseMode =
    kSortDescending | kSortIgnoreCase;
constexpr bool IsValidBaseMode(std::int32_t base_mode) {
  return base_mode >= 0 && base_mode <= kLargestBaseMode;
}
constexpr bool IsDescending(std::int32_t base_mode) {
  return (base_mode & kSortDescending) != 0;
}
constexpr bool IgnoresCase(std::int32_t mode) {
  return (mode & kSortIgnoreCase) != 0;
}
constexpr bool DropsRepeats(std::int32_t sort_mode) {
  return (sort_mode & kSortUnique) != 0;
}

/// KeyKind bits. The kinds that sort are 1, 5, 2 and 6: a unit (column or
/// field), optionally compared as a number.
inline constexpr std::int32_t kKeyColumn = 1;
inline constexpr std::int32_t kKeyField = 2;
inline constexpr std::int32_t kKeyNumeric = 4;

/// The key's unit: KeyKind without kKeyNumeric.
constexpr std::int32_t KeyUnitOf(std::int32_t key_kind) {
  return key_kind & ~kKeyNumeric;
}
constexpr bool IsNumericKey(std::int32_t key_kind) {
  return (key_kind & kKeyNumeric) != 0;
}

/// The seven values of one RunSort call, in the order the call takes them.
/// The paths belong to the caller for the duration of the run; null means
/// the clipboard.
struct SortRequest {
  WindowHandle owner_window = nullptr;
  std::int32_t sort_mode = 0;
  const char* input_name = nullptr;
  const char* output_name = nullptr;
  std::int32_t key_pos = 0;
  std::int32_t key_kind = kKeyColumn;
  /// 1 suppresses the closing "Finish!" / "Error-Finish!" box.
  std::uint8_t quiet = 0;
};

}  // namespace tarnel

#endif  // TARNEL_ENGINE_SORT_PARAMETERS_H_
