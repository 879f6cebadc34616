// The keyed sort against the plain comparator-table sort. The first bytes
// choose the key kind (and with the position the row), the base mode and the
// key position, negative ones included; the rest is the text, cut into lines
// at line feeds and NULs. The keyed sort, as the program runs it, with the
// worst-case fallback forced on every range and in its other item layouts,
// must leave the very permutation the table's comparators give with the
// plain steps.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/keyed_sort.h"
#include "engine/sort_parameters.h"
#include "engine/sort_selection.h"
#include "fuzz/fuzz_support.h"

namespace tarnel {
namespace {

constexpr std::int32_t kKinds[] = {
    kKeyColumn, kKeyField, kKeyColumn | kKeyNumeric, kKeyField | kKeyNumeric};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (const char c : text) {
    if (c == '\n' || c == '\0') {
      lines.emplace_back();
    } else {
      lines.back().push_back(c);
    }
  }
  return lines;
}

std::string Describe(const std::vector<char*>& order,
                     const std::vector<char*>& lines) {
  std::string text;
  for (char* line : order) {
    std::size_t index = 0;
    while (index < lines.size() && lines[index] != line) ++index;
    text += std::to_string(index) + " ";
  }
  return text;
}

}  // namespace
}  // namespace tarnel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace tarnel;
  FuzzedDataProvider input(data, size);
  const std::int32_t key_kind = input.PickValueInArray(kKinds);
  const int base_mode = input.ConsumeIntegralInRange(0, kLargestBaseMode);
  const std::int32_t key_pos = FuzzedKeyPosition(input);
  std::vector<std::string> texts = Lines(input.ConsumeRemainingBytesAsString());
  std::vector<char*> lines;
  for (std::string& text : texts) lines.push_back(text.data());

  const ComparatorRow row = SelectRow(key_pos, key_kind);
  FUZZ_CHECK(row != kNoRow, "every kind chosen here sorts");

  std::vector<char*> plain = lines;
  SortWithComparators(plain.data(), plain.size(), base_mode, key_pos, key_kind,
                      {SortGuard::kNever});
  const auto context = [&] {
    return "row " + std::to_string(row) + ", mode " +
           std::to_string(base_mode) + ", key position " +
           std::to_string(key_pos) + "\nplain " + Describe(plain, lines);
  };

  std::vector<char*> keyed = lines;
  FUZZ_CHECK(SortWithKeys(keyed.data(), keyed.size(), row, base_mode, key_pos),
             "no memory for the keys of a few lines");
  FUZZ_CHECK(keyed == plain, context() + "\nkeyed " + Describe(keyed, lines));

  // Budget 0: every range goes to the skipping form at once.
  SortSteps steps;
  std::vector<char*> forced = lines;
  FUZZ_CHECK(SortWithKeys(forced.data(), forced.size(), row, base_mode, key_pos,
                          nullptr, {0, &steps}),
             "no memory for the keys of a few lines");
  FUZZ_CHECK(forced == plain,
             context() + "\nforced " + Describe(forced, lines));
  FUZZ_CHECK(lines.size() < 2 || steps.switches + steps.refused > 0,
             "the forced sort kept the plain steps");

  // The 16-byte items with their most key bits and
  // their fewest, as for lines 4 GiB apart, and the 24-byte items, for lines
  // further apart; each with the key bytes as they are and as codes.
  for (const KeyItemLayout layout :
       {KeyItemLayout{kCompactSpan, 0},
        KeyItemLayout{kCompactSpan, kMostOffsetBits}, KeyItemLayout{0},
        KeyItemLayout{kCompactSpan, 0, true},
        KeyItemLayout{kCompactSpan, kMostOffsetBits, true},
        KeyItemLayout{0, 0, true}}) {
    std::vector<char*> laid_out = lines;
    FUZZ_CHECK(SortWithKeys(laid_out.data(), laid_out.size(), row, base_mode,
                            key_pos, nullptr, {}, layout),
               "no memory for the keys of a few lines");
    FUZZ_CHECK(laid_out == plain, context() + "\nlayout " +
                                      std::to_string(layout.offset_bits) + "/" +
                                      std::to_string(layout.compact_span) +
                                      (layout.always_code ? " coded" : "") +
                                      " " + Describe(laid_out, lines));
  }

  // The comparators themselves through the fallback, as the program sorts
  // when there is no memory for the keys.
  std::vector<char*> table = lines;
  SortWithComparators(table.data(), table.size(), base_mode, key_pos, key_kind,
                      {0});
  FUZZ_CHECK(table == plain, context() + "\ntable " + Describe(table, lines));

  std::vector<char*> selected = lines;
  SelectComparator(selected.data(), selected.size(), base_mode, key_pos,
                   key_kind);
  FUZZ_CHECK(selected == plain,
             context() + "\nselected " + Describe(selected, lines));
  return 0;
}
