#include "engine/keyed_sort.h"

#include <algorithm>
#include <cstring>

#include "engine/line_sort.h"
#include "engine/sort_parameters.h"
#include "platform/ascii_fold.h"
#include "platform/helper_thread.h"

namespace tarnel {

namespace {

struct SortItem {
  // Text keys: the first 8 key bytes, folded when case is ignored, as a
  // big-endian number (zero-padded; key bytes are never 0). Number keys: the
  // value shifted into unsigned order, or the lowest / highest value for a
  // number too long to hold, which then marks a tie to settle from the
  // digits.
  std::uint64_t prefix;
  // Text keys: key bytes 8 to 14 in the upper seven bytes, likewise. The low
  // byte holds the item's flags.
  std::uint64_t rest;
  char* line;
};

// The line has no key, which makes it compare equal to every line.
constexpr std::uint64_t kNoKey = 1;
// The number is too long for |prefix|.
constexpr std::uint64_t kLongNumber = 2;
// Text key bytes held in the item; a tie on them goes on in the line.
constexpr std::size_t kHeldBytes = 15;

// Up to |width| bytes of a key of at least |length| bytes, left-aligned in a
// big-endian number and zero-padded.
template <bool kFoldCase>
std::uint64_t WordOf(const char* key, std::size_t length, std::size_t width) {
  unsigned char bytes[8] = {};
  std::memcpy(bytes, key, std::min(length, width));
  std::uint64_t word = 0;
  for (unsigned char c : bytes) word = (word << 8) | c;
  if constexpr (kFoldCase) word = FoldCaseInWord(word);
  return word;
}

// Numbers of up to 18 digits fit an int64 exactly.
constexpr std::size_t kExactDigits = 18;

void SetNumberKey(SortItem& item, const NumberText& number) {
  if (number.count > kExactDigits) {
    item.prefix = number.negative ? 0 : ~std::uint64_t{0};
    item.rest = kLongNumber;
    return;
  }
  std::int64_t value = 0;
  for (std::size_t i = 0; i < number.count; ++i) {
    value = value * 10 + (number.digits[i] - '0');
  }
  if (number.negative) value = -value;
  item.prefix = static_cast<std::uint64_t>(value) ^ (std::uint64_t{1} << 63);
  item.rest = 0;
}

void SetNoKey(SortItem& item) {
  item.prefix = 0;
  item.rest = kNoKey;
}

template <bool kFoldCase>
void SetTextKey(SortItem& item, const char* key, std::size_t length) {
  item.prefix = WordOf<kFoldCase>(key, length, 8);
  item.rest = length > 8 ? WordOf<kFoldCase>(key + 8, length - 8, 7) : 0;
}

// Fills the keys of lines [first, last) of |base|, handing back to |table|
// the entries already read.
template <bool kFoldCase>
void BuildKeys(SortItem* items, char** base, std::size_t first,
               std::size_t last, ComparatorRow row, std::int32_t key_index,
               ZeroedBuffer* table) {
  std::size_t released = first;
  for (std::size_t i = first; i < last; ++i) {
    if (i - released == kDiscardStep) {
      DiscardTableEntries(table, base, released, i, sizeof(char*));
      released = i;
    }
    SortItem& item = items[i];
    char* line = base[i];
    item.line = line;
    switch (row) {
      case kWholeLineText:
        SetTextKey<kFoldCase>(item, line, strnlen(line, kHeldBytes));
        break;
      case kColumnText:
        if (const char* tail = ColumnTail(line, key_index)) {
          SetTextKey<kFoldCase>(item, tail, strnlen(tail, kHeldBytes));
        } else {
          SetNoKey(item);
        }
        break;
      case kFieldText:
        if (const char* field = FindField(line, key_index)) {
          SetTextKey<kFoldCase>(item, field, FieldLength(field));
        } else {
          SetNoKey(item);
        }
        break;
      case kWholeLineNumber:
        SetNumberKey(item, NumberOf(line));
        break;
      case kColumnNumber:
        if (const char* tail = ColumnTail(line, key_index)) {
          SetNumberKey(item, NumberOf(tail));
        } else {
          SetNoKey(item);
        }
        break;
      case kFieldNumber:
        SetNumberKey(item, NumberOfField(line, key_index));
        break;
      case kNoRow:
        break;
    }
  }
  DiscardTableEntries(table, base, released, last, sizeof(char*));
}

// Where a line's text key starts; only asked of lines that have one.
const char* TextKeyOf(const char* line, ComparatorRow row,
                      std::int32_t key_index) {
  switch (row) {
    case kColumnText:
      return line + static_cast<std::uint32_t>(key_index);
    case kFieldText:
      return FindField(line, key_index);
    default:
      return line;
  }
}

NumberText NumberKeyOf(const char* line, ComparatorRow row,
                       std::int32_t key_index) {
  switch (row) {
    case kColumnNumber:
      return NumberOf(line + static_cast<std::uint32_t>(key_index));
    case kFieldNumber:
      return NumberOfField(line, key_index);
    default:
      return NumberOf(line);
  }
}

// Compares two keys from byte |kHeldBytes| on, the bytes before being
// equal. A field key ends at a comma, and only its first kFieldCap bytes
// count.
template <bool kFoldCase>
int CompareKeyTails(const char* a, const char* b, bool field) {
  const auto* x = reinterpret_cast<const unsigned char*>(a);
  const auto* y = reinterpret_cast<const unsigned char*>(b);
  if (!field && !kFoldCase) {
    const int c = std::strcmp(a + kHeldBytes, b + kHeldBytes);
    return (c > 0) - (c < 0);
  }
  const std::size_t end = field ? kFieldCap : SIZE_MAX;
  for (std::size_t i = kHeldBytes; i < end; ++i) {
    unsigned char cx = x[i];
    unsigned char cy = y[i];
    if (field) {
      if (cx == ',') cx = 0;
      if (cy == ',') cy = 0;
    }
    if constexpr (kFoldCase) {
      cx = FoldCase(cx);
      cy = FoldCase(cy);
    }
    if (cx != cy) return cx < cy ? -1 : 1;
    if (cx == 0) return 0;
  }
  return 0;
}

template <bool kFoldCase>
int CompareTextItems(const SortItem& a, const SortItem& b, ComparatorRow row,
                     std::int32_t key_index) {
  if ((a.rest | b.rest) & kNoKey) return 0;
  if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
  if (a.rest != b.rest) return a.rest < b.rest ? -1 : 1;
  // The held bytes are equal: keys shorter than that are then equal outright
  // (a padding zero matches only a padding zero), longer ones go on in the
  // lines.
  if (((a.rest >> 8) & 0xFF) == 0) return 0;
  return CompareKeyTails<kFoldCase>(TextKeyOf(a.line, row, key_index),
                                    TextKeyOf(b.line, row, key_index),
                                    row == kFieldText);
}

int CompareNumberItems(const SortItem& a, const SortItem& b, ComparatorRow row,
                       std::int32_t key_index) {
  if ((a.rest | b.rest) & kNoKey) return 0;
  if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
  // Equal prefixes are both exact or both too long to hold.
  if (((a.rest | b.rest) & kLongNumber) == 0) return 0;
  return CompareNumbers(NumberKeyOf(a.line, row, key_index),
                        NumberKeyOf(b.line, row, key_index));
}

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
struct ItemCompare {
  ComparatorRow row;
  std::int32_t key_index;
  int operator()(const SortItem& a, const SortItem& b) const {
    int c;
    if constexpr (kNumeric) {
      c = CompareNumberItems(a, b, row, key_index);
    } else {
      c = CompareTextItems<kFoldCase>(a, b, row, key_index);
    }
    return kDescending ? -c : c;
  }
  // An item without a key equals every item; the fallback ranks the others.
  bool has_key(const SortItem& item) const { return !(item.rest & kNoKey); }
};

template <bool kNumeric, bool kFoldCase, bool kDescending>
void SortItems(SortItem* items, std::size_t count, ComparatorRow row,
               std::int32_t key_index, const SortGuard& guard) {
  ParallelLineSort(
      items, count,
      ItemCompare<kNumeric, kFoldCase, kDescending>{row, key_index},
      ParallelLevels(), kParallelCutoff, guard);
}

// Keys are independent per line: build the two halves of a large table at
// the same time.
template <bool kFoldCase>
void BuildKeysInParallel(SortItem* items, char** base, std::size_t count,
                         ComparatorRow row, std::int32_t key_index,
                         ZeroedBuffer* table) {
  if (!WorthSplitting(count)) {
    BuildKeys<kFoldCase>(items, base, 0, count, row, key_index, table);
    return;
  }
  const std::size_t half = count / 2;
  HelperThread helper([=] {
    BuildKeys<kFoldCase>(items, base, half, count, row, key_index, table);
  });
  BuildKeys<kFoldCase>(items, base, 0, half, row, key_index, table);
  helper.Join();
}

}  // namespace

bool SortWithKeys(char** base, std::size_t count, ComparatorRow row,
                  int base_mode, std::int32_t key_index, ZeroedBuffer* table,
                  const SortGuard& guard) {
  if (count < 2 || row == kNoRow) return true;
  ZeroedBuffer key_memory;
  if (count <= SIZE_MAX / sizeof(SortItem)) {
    key_memory = ZeroedBuffer::Allocate(count * sizeof(SortItem),
                                        AllocationSite::kSortKeys);
  }
  SortItem* const items = reinterpret_cast<SortItem*>(key_memory.data());
  if (!items) return false;
  const bool numeric = IsNumberRow(row);
  const bool fold = !numeric && IgnoresCase(base_mode);
  const bool descending = IsDescending(base_mode);
  // From here until the order is written back, the keys alone hold the
  // lines: the table's pages can go.
  if (fold) {
    BuildKeysInParallel<true>(items, base, count, row, key_index, table);
  } else {
    BuildKeysInParallel<false>(items, base, count, row, key_index, table);
  }

  if (numeric) {
    descending
        ? SortItems<true, false, true>(items, count, row, key_index, guard)
        : SortItems<true, false, false>(items, count, row, key_index, guard);
  } else if (fold) {
    descending
        ? SortItems<false, true, true>(items, count, row, key_index, guard)
        : SortItems<false, true, false>(items, count, row, key_index, guard);
  } else {
    descending
        ? SortItems<false, false, true>(items, count, row, key_index, guard)
        : SortItems<false, false, false>(items, count, row, key_index, guard);
  }
  std::size_t released = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (i - released == kDiscardStep) {
      DiscardTableEntries(&key_memory, items, released, i, sizeof(SortItem));
      released = i;
    }
    base[i] = items[i].line;
  }
  return true;
}

}  // namespace tarnel
