#include "engine/keyed_sort.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "engine/line_sort.h"
#include "engine/sort_parameters.h"
#include "platform/ascii_fold.h"
#include "platform/helper_thread.h"

namespace tarnel {

namespace {

// Every item holds its line's key in two words.
//
// Text keys: |prefix| holds the first 8 key bytes, folded when case is
// ignored, as a big-endian number (zero-padded; key bytes are never 0).
// |word| holds from its top down the key bytes from byte 8 on, as many bits
// of them as the item has room for, then one bit that says whether the key
// goes on beyond the bytes held whole. A tie on all that goes on in the line.
// Where many keys tie on those bytes and the keys use few byte values, the
// two words hold the values' codes instead (KeyCode), and so more bytes.
//
// Number keys: |prefix| holds the value shifted into unsigned order, or the
// lowest / highest value for a number too long to hold; |word| the flags
// below and, for such a long number, its digit count and first digits in
// the bits above the line's distance, in the order of the numbers' values
// (LongNumberBits). Only a tie on all of that is settled from the digits.
//
// A line without a key has |prefix| 0 and the top bit of |word| set, which no
// key gives: it compares equal to every line.

// An item for a line anywhere in memory: 15 text key bytes held whole, and
// 7 bits of the next.
struct WideItem {
  std::uint64_t prefix;
  std::uint64_t word;
  char* line;
};

// An item for a line that starts less than 4 GiB above the lowest line of the
// run, as the lines of one mapped file or read buffer do: the lowest bits of
// |word| hold the distance, as many as the run's span needs, which leaves
// at least 13 text key bytes held whole in a span of less than 8 MiB, 12 in
// one of less than 2 GiB and 11 beyond.
struct CompactItem {
  std::uint64_t prefix;
  std::uint64_t word;
};

constexpr std::uint64_t kNoKey = std::uint64_t{1} << 63;
// The number is too long for |prefix|.
constexpr std::uint64_t kLongNumber = std::uint64_t{1} << 62;

bool Keyless(std::uint64_t prefix, std::uint64_t word) {
  return prefix == 0 && (word & kNoKey) != 0;
}

// How the items of a run find their lines again.
class WideLines {
 public:
  using Item = WideItem;
  int offset_bits() const { return 0; }
  char* Line(const Item& item) const { return item.line; }
  void Hold(Item& item, char* line) const { item.line = line; }
};

class CompactLines {
 public:
  using Item = CompactItem;
  // The lines may lie in separate allocations (tests), so their distances
  // are taken between addresses, not pointers.
  CompactLines(std::uintptr_t origin, int offset_bits)
      : origin_(origin),
        offset_mask_((std::uint64_t{1} << offset_bits) - 1),
        offset_bits_(offset_bits) {}
  int offset_bits() const { return offset_bits_; }
  char* Line(const Item& item) const {
    return reinterpret_cast<char*>(origin_ + (item.word & offset_mask_));
  }
  // After the key, whose bits leave the lowest |offset_bits_| clear.
  void Hold(Item& item, char* line) const {
    item.word |= reinterpret_cast<std::uintptr_t>(line) - origin_;
  }

 private:
  std::uintptr_t origin_;  // the lowest line
  std::uint64_t offset_mask_;
  int offset_bits_;
};

// The most key bytes an item holds whole.
constexpr std::size_t kMostHeldBytes = 24;

// How the items hold text key bytes. Most texts use far fewer than 256 byte
// values at the start of their keys: numbering the values that occur, in
// their order, gives codes of fewer bits that compare as the bytes do, so
// that more bytes fit an item and fewer ties go on in the lines. With 8
// bits the codes are the bytes themselves.
struct KeyCode {
  std::array<std::uint8_t, 256> of{};  // a (folded) byte's code; 0 ends a key
  int bits = 8;
};

// Where the bits of a text key lie in |prefix| and in |word| above
// |offset_bits| bits of distance: from the top down the codes of the key's
// first bytes, then one bit that says whether the key goes on beyond the
// bytes held whole.
struct TextKeyBits {
  TextKeyBits(int offset_bits, int code_bits)
      : held(std::min<std::size_t>(static_cast<std::size_t>(127 - offset_bits) /
                                       static_cast<std::size_t>(code_bits),
                                   kMostHeldBytes)),
        goes_on(std::uint64_t{1} << offset_bits),
        key(~(goes_on - 1)) {}
  std::size_t held;       // key bytes held whole
  std::uint64_t goes_on;  // set when the key is longer than |held| bytes
  std::uint64_t key;      // the key's bits, |goes_on| included
};

// The first 8 bytes of a key of |length| bytes, left-aligned in a big-endian
// number and zero-padded.
template <bool kFoldCase>
std::uint64_t WordOf(const char* key, std::size_t length) {
  unsigned char bytes[8] = {};
  std::memcpy(bytes, key, std::min<std::size_t>(length, 8));
  std::uint64_t word = 0;
  for (unsigned char c : bytes) word = (word << 8) | c;
  if constexpr (kFoldCase) word = FoldCaseInWord(word);
  return word;
}

// Numbers of up to 18 digits fit an int64 exactly.
constexpr std::size_t kExactDigits = 18;

// The bits of |word| that a long number's digits may take: those of the
// text key below the two flags.
constexpr std::uint64_t LongNumberMask(const TextKeyBits& bits) {
  return bits.key & ~(kNoKey | kLongNumber);
}

// A number of more than kExactDigits digits, in the bits of |mask| (at
// least 30 of them, ending at bit 61): its digit count, then as many of its
// first digits as fit, so that for numbers of one sign the bits are in the
// order of their values, and a tie says only that the digits must tell.
// Counts from kCountCap on all look alike, their digits left out.
std::uint64_t LongNumberBits(const NumberText& number, std::uint64_t mask) {
  constexpr std::size_t kCountCap = 255;
  constexpr int kCountBits = 8;
  const int low = std::countr_zero(mask);
  const int digit_bits = 62 - low - kCountBits;
  const std::size_t count = std::min(number.count, kCountCap);
  std::uint64_t digits = 0;
  if (count < kCountCap) {
    // The most digits whose value always fits |digit_bits|.
    std::uint64_t limit = 10;
    for (std::size_t i = 0;
         i < number.count && limit <= (std::uint64_t{1} << digit_bits);
         ++i, limit *= 10) {
      digits = digits * 10 + static_cast<std::uint64_t>(number.digits[i] - '0');
    }
  }
  std::uint64_t bits = (std::uint64_t{count} << digit_bits | digits) << low;
  // A larger magnitude is a smaller negative number.
  if (number.negative) bits = ~bits & mask;
  return bits;
}

template <typename Item>
void SetNumberKey(Item& item, const NumberText& number,
                  const TextKeyBits& bits) {
  if (number.count > kExactDigits) {
    item.prefix = number.negative ? 0 : ~std::uint64_t{0};
    item.word = kLongNumber | LongNumberBits(number, LongNumberMask(bits));
    return;
  }
  std::int64_t value = 0;
  for (std::size_t i = 0; i < number.count; ++i) {
    value = value * 10 + (number.digits[i] - '0');
  }
  if (number.negative) value = -value;
  item.prefix = static_cast<std::uint64_t>(value) ^ (std::uint64_t{1} << 63);
  item.word = 0;
}

template <typename Item>
void SetNoKey(Item& item) {
  item.prefix = 0;
  item.word = kNoKey;
}

// The bytes of |line|'s text key that an item could hold, and one more:
// its start, and their count. Null for a line without a key.
const char* FirstKeyBytes(const char* line, ComparatorRow row,
                          std::int32_t key_index, std::size_t* length) {
  constexpr std::size_t kCounted = kMostHeldBytes + 1;
  const char* key = line;
  if (row == kFieldText) {
    key = FindField(line, key_index);
    if (key) *length = std::min(FieldLength(key), kCounted);
    return key;
  }
  if (row == kColumnText) key = ColumnTail(line, key_index);
  if (key) *length = strnlen(key, kCounted);
  return key;
}

template <bool kFoldCase>
unsigned char KeyByte(const char* key, std::size_t i) {
  auto byte = static_cast<unsigned char>(key[i]);
  if constexpr (kFoldCase) byte = FoldCase(byte);
  return byte;
}

// A key held as codes of fewer than 8 bits: the codes of its first
// |bits.held| bytes, then as many top bits of the next one's as are left.
template <bool kFoldCase, typename Item>
void SetCodedKey(Item& item, const char* key, std::size_t length,
                 const TextKeyBits& bits, const KeyCode& code) {
  // The key's bits are numbered from |goes_on|, bit 0, up through the
  // word's and on through |prefix|'s.
  const int word_bits = std::popcount(bits.key);
  const int shift = 64 - word_bits;  // |goes_on|'s place in the word
  const int top = 64 + word_bits;
  std::uint64_t prefix = 0;
  std::uint64_t word = 0;
  const std::size_t codes = std::min(length, bits.held + 1);
  for (std::size_t i = 0; i < codes; ++i) {
    std::uint64_t c = code.of[KeyByte<kFoldCase>(key, i)];
    int width = code.bits;
    int at = top - static_cast<int>(i + 1) * width;  // its lowest bit
    if (at < 1) {  // the next byte's code, of which only the top fits
      c >>= 1 - at;
      width -= 1 - at;
      at = 1;
      if (width <= 0) break;
    }
    if (at >= word_bits) {
      prefix |= c << (at - word_bits);
    } else {
      word |= c << (at + shift);
      if (at + width > word_bits) prefix |= c >> (word_bits - at);
    }
  }
  item.prefix = prefix;
  item.word = length > bits.held ? word | bits.goes_on : word;
}

// |length| need not count beyond kMostHeldBytes + 1, as FirstKeyBytes
// counts. kCoded: |code| has fewer than 8 bits.
template <bool kFoldCase, bool kCoded, typename Item>
void SetTextKey(Item& item, const char* key, std::size_t length,
                const TextKeyBits& bits, const KeyCode& code) {
  if constexpr (kCoded) {
    SetCodedKey<kFoldCase>(item, key, length, bits, code);
    return;
  }
  item.prefix = WordOf<kFoldCase>(key, length);
  item.word = 0;
  if (length > 8) {
    // The bits below |goes_on| are the distance's. |goes_on| falls in the
    // first byte not held whole, which only a longer key has; the bits of
    // that byte above it still tell keys apart.
    item.word = WordOf<kFoldCase>(key + 8, length - 8) & bits.key;
    if (length > bits.held) item.word |= bits.goes_on;
  }
}

// Fills the keys of lines [first, last) of |base|, handing back to |table|
// the entries already read: all of them since |first| each time, as only
// whole pages go and a step's entries need not fill one.
template <bool kFoldCase, bool kCoded, typename Lines>
void BuildKeys(const Lines& lines, typename Lines::Item* items, char** base,
               std::size_t first, std::size_t last, ComparatorRow row,
               std::int32_t key_index, ZeroedBuffer* table,
               const KeyCode& code) {
  using Item = typename Lines::Item;
  const TextKeyBits bits(lines.offset_bits(), code.bits);
  std::size_t released = first;
  for (std::size_t i = first; i < last; ++i) {
    if (i - released == kDiscardStep) {
      DiscardTableEntries(table, base, first, i, sizeof(char*));
      released = i;
    }
    Item& item = items[i];
    char* line = base[i];
    switch (row) {
      case kWholeLineText:
      case kColumnText:
      case kFieldText: {
        std::size_t length = 0;
        if (const char* key = FirstKeyBytes(line, row, key_index, &length)) {
          SetTextKey<kFoldCase, kCoded>(item, key, length, bits, code);
        } else {
          SetNoKey(item);
        }
        break;
      }
      case kWholeLineNumber:
        SetNumberKey(item, NumberOf(line), bits);
        break;
      case kColumnNumber:
        if (const char* tail = ColumnTail(line, key_index)) {
          SetNumberKey(item, NumberOf(tail), bits);
        } else {
          SetNoKey(item);
        }
        break;
      case kFieldNumber:
        SetNumberKey(item, NumberOfField(line, key_index), bits);
        break;
      case kNoRow:
        break;
    }
    lines.Hold(item, line);
  }
  DiscardTableEntries(table, base, first, last, sizeof(char*));
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

// Compares the text keys of two lines from byte |held| on, the bytes before
// being equal. A field key ends at a comma, and only its first kFieldCap
// bytes count. Rare next to the comparisons the items settle, and kept out
// of line so that those stay small enough to inline into the sort.
template <bool kFoldCase>
[[gnu::noinline]] int CompareKeyTails(const char* a_line, const char* b_line,
                                      ComparatorRow row, std::int32_t key_index,
                                      std::size_t held) {
  const char* a = TextKeyOf(a_line, row, key_index);
  const char* b = TextKeyOf(b_line, row, key_index);
  const bool field = row == kFieldText;
  if (!field && !kFoldCase) {
    const int c = std::strcmp(a + held, b + held);
    return (c > 0) - (c < 0);
  }
  const auto* x = reinterpret_cast<const unsigned char*>(a);
  const auto* y = reinterpret_cast<const unsigned char*>(b);
  // The same bytes to the ends of the lines are the same key, whatever is
  // folded or where a field ends. Case twins mostly differ only in the
  // bytes held: where the next bytes are the same, ask strcmp first.
  if (x[held] == y[held] && std::strcmp(a + held, b + held) == 0) return 0;
  const std::size_t end = field ? kFieldCap : SIZE_MAX;
  for (std::size_t i = held; i < end; ++i) {
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

// The number keys of two lines, compared digit by digit; out of line like
// CompareKeyTails.
[[gnu::noinline]] int CompareLineNumbers(const char* a_line, const char* b_line,
                                         ComparatorRow row,
                                         std::int32_t key_index) {
  return CompareNumbers(NumberKeyOf(a_line, row, key_index),
                        NumberKeyOf(b_line, row, key_index));
}

// The comparisons the sort makes most: inlined into its loops whatever the
// compiler would think of their size.
template <bool kFoldCase, typename Lines>
[[gnu::always_inline]] inline int CompareTextItems(
    const typename Lines::Item& a, const typename Lines::Item& b,
    const Lines& lines, const TextKeyBits& bits, ComparatorRow row,
    std::int32_t key_index) {
  if (Keyless(a.prefix, a.word) || Keyless(b.prefix, b.word)) return 0;
  if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
  const std::uint64_t x = a.word & bits.key;
  const std::uint64_t y = b.word & bits.key;
  if (x != y) return x < y ? -1 : 1;
  // Every bit held is equal: keys that end within the bytes held whole are
  // then equal outright, longer ones go on in the lines.
  if ((x & bits.goes_on) == 0) return 0;
  return CompareKeyTails<kFoldCase>(lines.Line(a), lines.Line(b), row,
                                    key_index, bits.held);
}

template <typename Lines>
[[gnu::always_inline]] inline int CompareNumberItems(
    const typename Lines::Item& a, const typename Lines::Item& b,
    const Lines& lines, const TextKeyBits& bits, ComparatorRow row,
    std::int32_t key_index) {
  if (Keyless(a.prefix, a.word) || Keyless(b.prefix, b.word)) return 0;
  if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
  // Equal prefixes are both exact or both too long to hold.
  if (((a.word | b.word) & kLongNumber) == 0) return 0;
  const std::uint64_t mask = LongNumberMask(bits);
  const std::uint64_t x = a.word & mask;
  const std::uint64_t y = b.word & mask;
  if (x != y) return x < y ? -1 : 1;
  return CompareLineNumbers(lines.Line(a), lines.Line(b), row, key_index);
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

template <bool kNumeric, bool kFoldCase, bool kDescending, typename Lines>
struct ItemCompare {
  using Item = typename Lines::Item;
  Lines lines;
  TextKeyBits bits;
  ComparatorRow row;
  std::int32_t key_index;
  int operator()(const Item& a, const Item& b) const {
    int c;
    if constexpr (kNumeric) {
      c = CompareNumberItems(a, b, lines, bits, row, key_index);
    } else {
      c = CompareTextItems<kFoldCase>(a, b, lines, bits, row, key_index);
    }
    return kDescending ? -c : c;
  }
  // An item without a key equals every item; the fallback ranks the others.
  bool has_key(const Item& item) const {
    return !Keyless(item.prefix, item.word);
  }
};

template <bool kNumeric, bool kFoldCase, bool kDescending, typename Lines>
void SortItems(const Lines& lines, typename Lines::Item* items,
               std::size_t count, ComparatorRow row, std::int32_t key_index,
               const SortGuard& guard, int code_bits) {
  const ItemCompare<kNumeric, kFoldCase, kDescending, Lines> compare{
      lines, TextKeyBits(lines.offset_bits(), code_bits), row, key_index};
  ParallelLineSort(items, count, compare, ParallelLevels(), kParallelCutoff,
                   guard);
}

// Keys are independent per line: build the two halves of a large table at
// the same time.
template <bool kFoldCase, typename Lines>
void BuildKeysInParallel(const Lines& lines, typename Lines::Item* items,
                         char** base, std::size_t count, ComparatorRow row,
                         std::int32_t key_index, ZeroedBuffer* table,
                         const KeyCode& code) {
  const std::size_t half = WorthSplitting(count) ? count / 2 : count;
  auto build = [&](std::size_t first, std::size_t last) {
    if (code.bits < 8) {
      BuildKeys<kFoldCase, true>(lines, items, base, first, last, row,
                                 key_index, table, code);
    } else {
      BuildKeys<kFoldCase, false>(lines, items, base, first, last, row,
                                  key_index, table, code);
    }
  };
  HelperThread helper([&] { build(half, count); }, half < count);
  build(0, half);
}

// Marks in |seen| every (folded) byte among the first bytes of the text
// keys of lines [first, last) of |base|.
template <bool kFoldCase>
void SeeKeyBytes(char* const* base, std::size_t first, std::size_t last,
                 ComparatorRow row, std::int32_t key_index,
                 std::array<bool, 256>& seen) {
  for (std::size_t i = first; i < last; ++i) {
    std::size_t length = 0;
    const char* key = FirstKeyBytes(base[i], row, key_index, &length);
    for (std::size_t j = 0; j < length; ++j) {
      seen[KeyByte<kFoldCase>(key, j)] = true;
    }
  }
}

KeyCode BytesAsCodes() {
  KeyCode code;
  for (std::size_t b = 0; b < 256; ++b) {
    code.of[b] = static_cast<std::uint8_t>(b);
  }
  return code;
}

// Codes numbering the byte values marked in |seen| in their order; the
// bytes themselves when there are too many for fewer than 8 bits.
KeyCode CodeOf(const std::array<bool, 256>& seen) {
  KeyCode code;
  std::uint8_t next = 0;
  for (std::size_t b = 1; b < 256; ++b) {
    if (seen[b]) code.of[b] = ++next;
  }
  code.bits = std::max(1, static_cast<int>(std::bit_width(next)));
  return code.bits < 8 ? code : BytesAsCodes();
}

// Whether codes would settle, in the items, many comparisons that the
// bytes leave to the lines. Coding costs a pass over the keys and a slower
// fill, so a sample of the keys decides: in order, enough neighbours must
// agree on all the bytes an item holds and part within the bytes that
// codes would hold. Ties that go on beyond those (lines repeated from the
// key on) gain nothing.
template <bool kFoldCase>
bool CodesPay(char* const* base, std::size_t count, ComparatorRow row,
              std::int32_t key_index, int offset_bits) {
  constexpr std::size_t kSample = 4096;
  const std::size_t step = std::max<std::size_t>(1, count / kSample);
  std::vector<std::string> keys;
  std::array<bool, 256> seen{};
  try {
    keys.reserve(std::min(count, kSample + 1));
    for (std::size_t i = 0; i < count; i += step) {
      std::size_t length = 0;
      const char* key = FirstKeyBytes(base[i], row, key_index, &length);
      if (!key) continue;
      std::string& bytes = keys.emplace_back(length, '\0');
      for (std::size_t j = 0; j < length; ++j) {
        bytes[j] = static_cast<char>(KeyByte<kFoldCase>(key, j));
        seen[static_cast<unsigned char>(bytes[j])] = true;
      }
    }
  } catch (const std::bad_alloc&) {
    return false;  // the bytes as they are cost no memory
  }
  const std::size_t held = TextKeyBits(offset_bits, 8).held;
  // Every key's bytes are still to be seen: the sample's are fewer, so this
  // is the most that codes could hold.
  const std::size_t coded = TextKeyBits(offset_bits, CodeOf(seen).bits).held;
  if (coded <= held) return false;
  std::sort(keys.begin(), keys.end());
  std::size_t settled = 0;
  for (std::size_t k = 1; k < keys.size(); ++k) {
    const std::string& a = keys[k - 1];
    const std::string& b = keys[k];
    if (a.size() <= held || b.size() <= held) continue;
    const auto common = static_cast<std::size_t>(
        std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first -
        a.begin());
    if (common >= held && common < coded) ++settled;
  }
  // Below about one in thirty the two passes that codes take cost more
  // than the comparisons they spare.
  return settled * 32 >= keys.size();
}

// The codes for the text keys of |count| lines, where they pay.
template <bool kFoldCase>
KeyCode CodeFor(char* const* base, std::size_t count, ComparatorRow row,
                std::int32_t key_index, int offset_bits, bool always) {
  if (!always &&
      !CodesPay<kFoldCase>(base, count, row, key_index, offset_bits)) {
    return BytesAsCodes();
  }
  const std::size_t half = WorthSplitting(count) ? count / 2 : count;
  std::array<bool, 256> lower{};
  std::array<bool, 256> upper{};
  {
    HelperThread helper(
        [&] {
          SeeKeyBytes<kFoldCase>(base, half, count, row, key_index, upper);
        },
        half < count);
    SeeKeyBytes<kFoldCase>(base, 0, half, row, key_index, lower);
  }
  for (std::size_t b = 0; b < 256; ++b) lower[b] = lower[b] || upper[b];
  return CodeOf(lower);
}

template <typename Lines>
bool SortWithItems(const Lines& lines, char** base, std::size_t count,
                   ComparatorRow row, int base_mode, std::int32_t key_index,
                   ZeroedBuffer* table, const SortGuard& guard,
                   bool always_code) {
  using Item = typename Lines::Item;
  ZeroedBuffer key_memory;
  if (count <= SIZE_MAX / sizeof(Item)) {
    key_memory =
        ZeroedBuffer::Allocate(count * sizeof(Item), AllocationSite::kSortKeys);
  }
  Item* const items = reinterpret_cast<Item*>(key_memory.data());
  if (!items) return false;
  const bool numeric = IsNumberRow(row);
  const bool fold = !numeric && IgnoresCase(base_mode);
  const bool descending = IsDescending(base_mode);
  KeyCode code;
  if (!numeric) {
    code = fold ? CodeFor<true>(base, count, row, key_index,
                                lines.offset_bits(), always_code)
                : CodeFor<false>(base, count, row, key_index,
                                 lines.offset_bits(), always_code);
  }
  // From here until the order is written back, the keys alone hold the
  // lines: the table's pages can go.
  if (fold) {
    BuildKeysInParallel<true>(lines, items, base, count, row, key_index, table,
                              code);
  } else {
    BuildKeysInParallel<false>(lines, items, base, count, row, key_index, table,
                               code);
  }

  if (numeric) {
    descending ? SortItems<true, false, true>(lines, items, count, row,
                                              key_index, guard, code.bits)
               : SortItems<true, false, false>(lines, items, count, row,
                                               key_index, guard, code.bits);
  } else if (fold) {
    descending ? SortItems<false, true, true>(lines, items, count, row,
                                              key_index, guard, code.bits)
               : SortItems<false, true, false>(lines, items, count, row,
                                               key_index, guard, code.bits);
  } else {
    descending ? SortItems<false, false, true>(lines, items, count, row,
                                               key_index, guard, code.bits)
               : SortItems<false, false, false>(lines, items, count, row,
                                                key_index, guard, code.bits);
  }
  if (table && table->data() == reinterpret_cast<char*>(base)) {
    // The table's pages went while the keys were built; filling it again
    // would fault every one of them back in. The order is laid over the
    // items instead, which are twice its size, and that memory becomes the
    // table. Entry i lies below the end of item i, so every item is read
    // before an entry covers it.
    char* const order = key_memory.data();
    for (std::size_t i = 0; i < count; ++i) {
      char* const line = lines.Line(items[i]);
      std::memcpy(order + i * sizeof(char*), &line, sizeof line);
    }
    key_memory.DiscardPages(count * sizeof(char*), count * sizeof(char*));
    *table = std::move(key_memory);
    return true;
  }
  std::size_t released = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (i - released == kDiscardStep) {
      DiscardTableEntries(&key_memory, items, 0, i, sizeof(Item));
      released = i;
    }
    base[i] = lines.Line(items[i]);
  }
  return true;
}

// The lowest and highest address at which one of |count| lines starts.
struct LineSpan {
  std::uintptr_t lowest;
  std::uintptr_t highest;
};

LineSpan SpanOf(char* const* base, std::size_t count) {
  LineSpan span{UINTPTR_MAX, 0};
  for (std::size_t i = 0; i < count; ++i) {
    const auto address = reinterpret_cast<std::uintptr_t>(base[i]);
    span.lowest = std::min(span.lowest, address);
    span.highest = std::max(span.highest, address);
  }
  return span;
}

}  // namespace

bool SortWithKeys(char** base, std::size_t count, ComparatorRow row,
                  int base_mode, std::int32_t key_index, ZeroedBuffer* table,
                  const SortGuard& guard, const KeyItemLayout& layout) {
  if (count < 2 || row == kNoRow) return true;
  const LineSpan span = SpanOf(base, count);
  const std::uint64_t distance = span.highest - span.lowest;
  if (distance < std::min(layout.compact_span, kCompactSpan)) {
    const int offset_bits =
        std::clamp(layout.offset_bits,
                   static_cast<int>(std::bit_width(distance)), kMostOffsetBits);
    return SortWithItems(CompactLines(span.lowest, offset_bits), base, count,
                         row, base_mode, key_index, table, guard,
                         layout.always_code);
  }
  return SortWithItems(WideLines{}, base, count, row, base_mode, key_index,
                       table, guard, layout.always_code);
}

}  // namespace tarnel
