#include "engine/sort_keys.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <thread>

#include "engine/line_sort.h"
#include "platform/memory.h"

namespace tarnel {

namespace {

struct SortItem {
  // Text keys: the first 16 key bytes, folded when case is ignored, as two
  // big-endian numbers (zero-padded; key bytes are never 0). Number keys:
  // |prefix| is the value shifted into unsigned order, or the lowest /
  // highest value for a number too long to hold, which then marks a tie to
  // settle from the digits.
  std::uint64_t prefix;
  std::uint64_t prefix2;
  char* line;
  // Where the key starts in the line; kNoKey when the line has no key, which
  // makes it compare equal to every line.
  std::uint32_t key_offset;
  // Text keys: the key's length. Number keys: 1 when too long to hold.
  std::uint32_t length;

  const char* key() const { return line + key_offset; }
};

constexpr std::uint32_t kNoKey = ~std::uint32_t{0};
// Offsets and lengths are kept in 32 bits; a line that needs more sends the
// whole sort to the plain comparators.
constexpr std::size_t kLongestKeyedLine = kNoKey - 1;

constexpr unsigned char Fold(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

// Upper-cases the bytes a to z of a word, all eight at once.
constexpr std::uint64_t FoldWord(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHigh = 0x8080808080808080u;
  const std::uint64_t low7 = word & ~kHigh;
  const std::uint64_t at_least_a = low7 + (0x80 - 'a') * kOnes;
  const std::uint64_t above_z = low7 + (0x80 - 'z' - 1) * kOnes;
  const std::uint64_t is_lower = at_least_a & ~above_z & ~word & kHigh;
  return word - (is_lower >> 2);
}

// The first 8 bytes of a key as a big-endian number, zero-padded.
template <bool kFoldCase>
std::uint64_t PrefixOf(const char* key, std::size_t length) {
  unsigned char bytes[8] = {};
  std::memcpy(bytes, key, std::min<std::size_t>(length, 8));
  std::uint64_t prefix = 0;
  for (unsigned char c : bytes) prefix = (prefix << 8) | c;
  if constexpr (kFoldCase) prefix = FoldWord(prefix);
  return prefix;
}

// Numbers of up to 18 digits fit an int64 exactly.
constexpr std::size_t kExactDigits = 18;

void SetNumberKey(SortItem& item, const char* text) {
  item.key_offset = static_cast<std::uint32_t>(text - item.line);
  item.prefix2 = 0;
  const NumberText number = NumberOf(text);
  if (number.count > kExactDigits) {
    item.prefix = number.negative ? 0 : ~std::uint64_t{0};
    item.length = 1;
    return;
  }
  std::int64_t value = 0;
  for (std::size_t i = 0; i < number.count; ++i) {
    value = value * 10 + (number.digits[i] - '0');
  }
  if (number.negative) value = -value;
  item.prefix = static_cast<std::uint64_t>(value) ^ (std::uint64_t{1} << 63);
  item.length = 0;
}

void SetNoKey(SortItem& item) {
  item.key_offset = kNoKey;
  item.length = 0;
  item.prefix = item.prefix2 = 0;
}

template <bool kFoldCase>
void SetTextKey(SortItem& item, const char* key, std::size_t length) {
  item.key_offset = static_cast<std::uint32_t>(key - item.line);
  item.length = static_cast<std::uint32_t>(length);
  item.prefix = PrefixOf<kFoldCase>(key, length);
  item.prefix2 =
      length > 8 ? PrefixOf<kFoldCase>(key + 8, length - 8) : 0;
}

// Fills the keys of |count| lines. False when a line is too long for the
// 32-bit offsets.
template <bool kFoldCase>
bool BuildKeys(SortItem* items, char** base, std::size_t count,
               ComparatorRow row, std::int32_t key_index) {
  const std::size_t column = static_cast<std::uint32_t>(key_index);
  for (std::size_t i = 0; i < count; ++i) {
    SortItem& item = items[i];
    char* line = base[i];
    item.line = line;
    const std::size_t length = std::strlen(line);
    if (length > kLongestKeyedLine) return false;
    switch (row) {
      case kWholeLineText:
        SetTextKey<kFoldCase>(item, line, length);
        break;
      case kColumnText:
        if (length > column) {
          SetTextKey<kFoldCase>(item, line + column, length - column);
        } else {
          SetNoKey(item);
        }
        break;
      case kFieldText: {
        const char* field = FindField(line);
        if (field) {
          SetTextKey<kFoldCase>(item, field,
                                std::min(std::strcspn(field, ","), kFieldCap));
        } else {
          SetNoKey(item);
        }
        break;
      }
      case kWholeLineNumber:
        SetNumberKey(item, line);
        break;
      case kColumnNumber:
        if (length > column) {
          SetNumberKey(item, line + column);
        } else {
          SetNoKey(item);
        }
        break;
      case kFieldNumber: {
        const char* field = FindField(line);
        if (!field) {
          // No such field: the value 0, read from the line's terminator.
          field = line + length;
        } else if (*field == '"') {
          ++field;
        }
        SetNumberKey(item, field);
        break;
      }
      case kNoRow:
        break;
    }
  }
  return true;
}

template <bool kFoldCase>
int CompareTextItems(const SortItem& a, const SortItem& b) {
  if (a.key_offset == kNoKey || b.key_offset == kNoKey) return 0;
  if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
  if (a.prefix2 != b.prefix2) return a.prefix2 < b.prefix2 ? -1 : 1;
  // Equal prefixes: keys shorter than 16 bytes are then equal outright (a
  // padding zero matches only a padding zero), longer ones go on from byte 16.
  const std::size_t common = std::min(a.length, b.length);
  if (common > 16) {
    const auto* x = reinterpret_cast<const unsigned char*>(a.key());
    const auto* y = reinterpret_cast<const unsigned char*>(b.key());
    if constexpr (kFoldCase) {
      for (std::size_t i = 16; i < common; ++i) {
        if (Fold(x[i]) != Fold(y[i])) return Fold(x[i]) < Fold(y[i]) ? -1 : 1;
      }
    } else {
      const int c = std::memcmp(x + 16, y + 16, common - 16);
      if (c != 0) return c < 0 ? -1 : 1;
    }
  }
  return (a.length > b.length) - (a.length < b.length);
}

int CompareNumberItems(const SortItem& a, const SortItem& b) {
  if (a.key_offset == kNoKey || b.key_offset == kNoKey) return 0;
  if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
  if (a.length == 0 && b.length == 0) return 0;
  return CompareNumbers(NumberOf(a.key()), NumberOf(b.key()));
}

// Sorting in parallel pays only for large tables; below this size a side is
// sorted on the thread that partitioned it.
constexpr std::size_t kParallelCutoff = std::size_t{1} << 15;

int ParallelLevels() {
  const unsigned cores = HardwareThreads();
  if (cores <= 1) return 0;
  // A few more pieces than cores, so that an uneven split still keeps every
  // core busy.
  int levels = 1;
  while ((1u << levels) < 4 * cores && levels < 6) ++levels;
  return levels;
}

template <bool kNumeric, bool kFoldCase, bool kDescending>
void SortItems(SortItem* items, std::size_t count) {
  const auto compare = [](const SortItem& a, const SortItem& b) {
    int c;
    if constexpr (kNumeric) {
      c = CompareNumberItems(a, b);
    } else {
      c = CompareTextItems<kFoldCase>(a, b);
    }
    return kDescending ? -c : c;
  };
  ParallelLineSort(items, count, compare, ParallelLevels(), kParallelCutoff);
}

// Keys are independent per line: build the two halves of a large table at
// the same time. False when a line is too long for the keys.
template <bool kFoldCase>
bool BuildKeysInParallel(SortItem* items, char** base, std::size_t count,
                         ComparatorRow row, std::int32_t key_index) {
  const std::size_t half = count / 2;
  if (count < kParallelCutoff || HardwareThreads() <= 1) {
    return BuildKeys<kFoldCase>(items, base, count, row, key_index);
  }
  bool upper_ok = true;
  auto build_upper = [=, &upper_ok] {
    upper_ok = BuildKeys<kFoldCase>(items + half, base + half, count - half,
                                    row, key_index);
  };
  std::thread helper;
  try {
    helper = std::thread(build_upper);
  } catch (const std::system_error&) {
    build_upper();
  }
  const bool lower_ok = BuildKeys<kFoldCase>(items, base, half, row, key_index);
  if (helper.joinable()) helper.join();
  return lower_ok && upper_ok;
}

void SortWithComparatorTable(char** base, std::size_t count,
                             ComparatorRow row, int base_mode) {
  const LineComparator compare = ComparatorTable[row][base_mode];
  LineSort(base, count,
           [compare](char*& a, char*& b) { return compare(&a, &b); });
}

bool IsNumberRow(ComparatorRow row) {
  return row == kWholeLineNumber || row == kColumnNumber ||
         row == kFieldNumber;
}

}  // namespace

void SortWithKeys(char** base, std::size_t count, ComparatorRow row,
                  int base_mode, std::int32_t key_index) {
  // Field keys and the plain comparators read the key position from here.
  KeyIndex = key_index;
  if (count < 2 || row == kNoRow) return;
  ZeroedBuffer key_memory;
  if (count <= SIZE_MAX / sizeof(SortItem)) {
    key_memory = ZeroedBuffer::Allocate(count * sizeof(SortItem),
                                        AllocationSite::kSortKeys);
  }
  SortItem* const items = reinterpret_cast<SortItem*>(key_memory.data());
  const bool numeric = IsNumberRow(row);
  const bool fold = !numeric && (base_mode & 2) != 0;
  const bool descending = (base_mode & 1) != 0;
  const bool keyed =
      items && (fold ? BuildKeysInParallel<true>(items, base, count, row,
                                                 key_index)
                     : BuildKeysInParallel<false>(items, base, count,
                                                  row, key_index));
  if (!keyed) {
    // No room for the keys, or a line too long for them: the plain
    // comparators give the same order, only slower.
    SortWithComparatorTable(base, count, row, base_mode);
    return;
  }

  SortItem* const first = items;
  if (numeric) {
    descending ? SortItems<true, false, true>(first, count)
               : SortItems<true, false, false>(first, count);
  } else if (fold) {
    descending ? SortItems<false, true, true>(first, count)
               : SortItems<false, true, false>(first, count);
  } else {
    descending ? SortItems<false, false, true>(first, count)
               : SortItems<false, false, false>(first, count);
  }
  for (std::size_t i = 0; i < count; ++i) base[i] = items[i].line;
}

}  // namespace tarnel
