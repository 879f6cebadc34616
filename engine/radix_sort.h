// The radix sort of whole lines: an MSD radix sort on the line bytes, for a
// text read in place, its lines never cut with NULs.
//
// The line sort's order of lines that compare equal is what users see, and
// only its own steps give it. But where no two lines that compare equal
// differ in any byte, the sorted text is the same whatever that order, and
// any correct sort may produce it. That always holds for the whole line
// compared byte by byte; when case is ignored, "Apple" and "APPLE" break
// it, and the sort says so, for the caller to take the line sort instead.
#ifndef TARNEL_ENGINE_RADIX_SORT_H_
#define TARNEL_ENGINE_RADIX_SORT_H_

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/memory.h"

namespace tarnel {

/// One line of the text in 16 bytes: eight of its bytes from where the sort
/// has got to, in a big-endian number, and in |rest| four more above the
/// line's offset in the text. Bytes past the line's end are 0 (its own
/// bytes never are). Most ties are settled by the twelve bytes held, which
/// spares reading the lines themselves all over the text.
struct RadixItem {
  std::uint64_t key;
  std::uint64_t rest;
};

/// Texts up to this long can be sorted by RadixSortLines.
inline constexpr std::uint64_t kRadixTextLimit = std::uint64_t{1} << 32;

/// Where the bytes of the line that starts at |line| end: at its line feed
/// or the NUL that ends the text, less a carriage return right before
/// either. The bytes are the ones the line sort compares and the result
/// holds.
const char* LineContentEnd(const char* line);

/// |item| for the line at |line| of the text at |text| (less than
/// kRadixTextLimit bytes in), a to z folded to upper case when |fold_case|.
void SetRadixItem(RadixItem& item, const char* text, const char* line,
                  bool fold_case);

/// The line of |item| in the text at |text|.
inline const char* RadixLine(const char* text, const RadixItem& item) {
  return text + (item.rest & (kRadixTextLimit - 1));
}

/// Sorts |count| items of the text at |text| ascending by their lines'
/// bytes (folded when |fold_case|), on two threads when |parallel| and the
/// input is large enough. Returns false when two lines that compare equal
/// differ in some byte: then the order of equal lines would be visible, and
/// the items are left in an order of no use.
bool RadixSortLines(const char* text, RadixItem* items, std::size_t count,
                    bool fold_case, bool parallel);

/// The lines of a whole text as items, already placed by their first byte.
struct RadixTable {
  ZeroedBuffer memory;  ///< holds the items
  RadixItem* items = nullptr;
  std::size_t count = 0;
  /// The result's length: every line's bytes and CR LF.
  std::uint64_t result_bytes = 0;
  /// The text's length, up to the NUL that ends it.
  std::size_t text_bytes = 0;
  /// The items of lines whose first byte (folded; 0 for an empty line) is
  /// b lie in [first[b], first[b + 1]).
  std::array<std::size_t, 257> first{};
  /// Every line is short enough for its item to hold it whole, case kept
  /// (see HeldLine): the sort never reads the text, and the text's pages
  /// were given back as the items were filled.
  bool held_whole = false;
};

/// Lines of at most this many bytes are held whole by their items.
inline constexpr std::size_t kHeldLineBytes = 11;

/// Writes the bytes of the line that |item| holds whole to |out| (room for
/// kHeldLineBytes + 1) and returns their count.
std::size_t HeldLine(const RadixItem& item, char* out);

/// Cuts the text at |text|, which ends at its first NUL, into |table|: the
/// same lines as CountLines and SplitLines find. Two threads share the work
/// when |parallel|. When the items hold every line whole and |source| (the
/// memory that holds the text, or null) is given, the text's pages are
/// given back behind the fill. False, with |table| empty and the text
/// untouched, when the text has no line, is too long for the items, or
/// there is no memory for them (asked for at |site|); and when the fill
/// does not find the lines the count before it found, as a mapped file
/// changed in between gives. No item is then written outside its bucket;
/// pages given back are a mapped file's, which it reads again.
bool BuildRadixTable(const char* text, bool fold_case, bool parallel,
                     AllocationSite site, RadixTable* table,
                     ZeroedBuffer* source = nullptr);

/// Sorts |table| as RadixSortLines does, with the same answer.
bool SortRadixTable(const char* text, RadixTable& table, bool fold_case,
                    bool parallel);

}  // namespace tarnel

#endif  // TARNEL_ENGINE_RADIX_SORT_H_
