#include "engine/sort_keys.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "engine/line_sort.h"

namespace tarnel {

namespace {

struct SortItem {
  // Text keys: the first 8 key bytes, folded when case is ignored, as a
  // big-endian number (zero-padded; key bytes are never 0). Number keys: the
  // value shifted into unsigned order, or the lowest / highest value for a
  // number too long to hold, which then marks a tie to settle exactly.
  std::uint64_t prefix;
  // The key's first byte; null when the line has no key, which makes it
  // compare equal to every line.
  const char* key;
  // Text keys: the key's length. Number keys: 1 when too long to hold.
  std::size_t length;
  char* line;
};

constexpr unsigned char Fold(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

template <bool kFoldCase>
std::uint64_t PrefixOf(const char* key, std::size_t length) {
  std::uint64_t prefix = 0;
  const std::size_t n = std::min<std::size_t>(length, 8);
  for (std::size_t i = 0; i < 8; ++i) {
    unsigned char c = i < n ? static_cast<unsigned char>(key[i]) : 0;
    if constexpr (kFoldCase) c = Fold(c);
    prefix = (prefix << 8) | c;
  }
  return prefix;
}

// Numbers of up to 18 digits fit an int64 exactly.
constexpr std::size_t kExactDigits = 18;

void SetNumberKey(SortItem& item, const char* text) {
  item.key = text;
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

template <bool kFoldCase>
void SetTextKey(SortItem& item, const char* key, std::size_t length) {
  item.key = key;
  item.length = length;
  item.prefix = key ? PrefixOf<kFoldCase>(key, length) : 0;
}

template <bool kFoldCase>
void BuildKeys(SortItem* items, char** base, std::size_t count,
               ComparatorRow row, std::int32_t key_index) {
  const std::size_t column = static_cast<std::uint32_t>(key_index);
  for (std::size_t i = 0; i < count; ++i) {
    SortItem& item = items[i];
    char* line = base[i];
    item.line = line;
    switch (row) {
      case kWholeLineText:
        SetTextKey<kFoldCase>(item, line, std::strlen(line));
        break;
      case kColumnText: {
        const std::size_t length = std::strlen(line);
        if (length > column) {
          SetTextKey<kFoldCase>(item, line + column, length - column);
        } else {
          SetTextKey<kFoldCase>(item, nullptr, 0);
        }
        break;
      }
      case kFieldText: {
        const char* field = FindField(line);
        if (field) {
          const std::size_t length =
              std::min(std::strcspn(field, ","), kFieldCap);
          SetTextKey<kFoldCase>(item, field, length);
        } else {
          SetTextKey<kFoldCase>(item, nullptr, 0);
        }
        break;
      }
      case kWholeLineNumber:
        SetNumberKey(item, line);
        break;
      case kColumnNumber:
        if (strnlen(line, column + 1) > column) {
          SetNumberKey(item, line + column);
        } else {
          item = SortItem{0, nullptr, 0, line};
        }
        break;
      case kFieldNumber: {
        const char* field = FindField(line);
        if (!field) field = "";
        if (*field == '"') ++field;
        SetNumberKey(item, field);
        break;
      }
      case kNoRow:
        break;
    }
  }
}

template <bool kFoldCase>
int CompareTextItems(const SortItem& a, const SortItem& b) {
  if (!a.key || !b.key) return 0;
  if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
  // Equal prefixes: keys shorter than 8 bytes are then equal outright (a
  // padding zero matches only a padding zero), longer ones go on from byte 8.
  const std::size_t common = std::min(a.length, b.length);
  if (common > 8) {
    const auto* x = reinterpret_cast<const unsigned char*>(a.key);
    const auto* y = reinterpret_cast<const unsigned char*>(b.key);
    if constexpr (kFoldCase) {
      for (std::size_t i = 8; i < common; ++i) {
        if (Fold(x[i]) != Fold(y[i])) return Fold(x[i]) < Fold(y[i]) ? -1 : 1;
      }
    } else {
      const int c = std::memcmp(x + 8, y + 8, common - 8);
      if (c != 0) return c < 0 ? -1 : 1;
    }
  }
  return (a.length > b.length) - (a.length < b.length);
}

int CompareNumberItems(const SortItem& a, const SortItem& b) {
  if (!a.key || !b.key) return 0;
  if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
  if (a.length == 0 && b.length == 0) return 0;
  return CompareNumbers(NumberOf(a.key), NumberOf(b.key));
}

// Sorting in parallel pays only for large tables; below this size a side is
// sorted on the thread that partitioned it.
constexpr std::size_t kParallelCutoff = std::size_t{1} << 15;

int ParallelLevels() {
  const unsigned cores = std::thread::hardware_concurrency();
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
// the same time.
template <bool kFoldCase>
void BuildKeysInParallel(SortItem* items, char** base, std::size_t count,
                         ComparatorRow row, std::int32_t key_index) {
  const std::size_t half = count / 2;
  if (count < kParallelCutoff || std::thread::hardware_concurrency() <= 1) {
    BuildKeys<kFoldCase>(items, base, count, row, key_index);
    return;
  }
  std::thread helper;
  try {
    helper = std::thread([=] {
      BuildKeys<kFoldCase>(items + half, base + half, count - half, row,
                           key_index);
    });
  } catch (const std::system_error&) {
    BuildKeys<kFoldCase>(items + half, base + half, count - half, row,
                         key_index);
  }
  BuildKeys<kFoldCase>(items, base, half, row, key_index);
  if (helper.joinable()) helper.join();
}

bool IsNumberRow(ComparatorRow row) {
  return row == kWholeLineNumber || row == kColumnNumber ||
         row == kFieldNumber;
}

}  // namespace

void SortWithKeys(char** base, std::size_t count, ComparatorRow row,
                  int base_mode, std::int32_t key_index) {
  if (count < 2 || row == kNoRow) return;
  std::unique_ptr<SortItem[]> items(new (std::nothrow) SortItem[count]);
  if (!items) {
    // No room for the keys: the plain comparators give the same order.
    const LineComparator compare = ComparatorTable[row][base_mode];
    LineSort(base, count,
             [compare](char*& a, char*& b) { return compare(&a, &b); });
    return;
  }
  const bool numeric = IsNumberRow(row);
  const bool fold = !numeric && (base_mode & 2) != 0;
  const bool descending = (base_mode & 1) != 0;
  if (fold) {
    BuildKeysInParallel<true>(items.get(), base, count, row, key_index);
  } else {
    BuildKeysInParallel<false>(items.get(), base, count, row, key_index);
  }

  SortItem* const first = items.get();
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
