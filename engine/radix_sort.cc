#include "engine/radix_sort.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "engine/line_scan.h"
#include "engine/text_length.h"
#include "platform/ascii_fold.h"
#include "platform/helper_thread.h"

namespace tarnel {

namespace {

// Whether byte |k| of |line| is past its end: a line feed, the text's NUL,
// or a carriage return right before either.
inline bool EndsAt(const char* line, std::size_t k) {
  const char c = line[k];
  if (c == '\n' || c == '\0') return true;
  return c == '\r' && (line[k + 1] == '\n' || line[k + 1] == '\0');
}

// Up to |width| bytes from |from| on, left-aligned in a big-endian number;
// |from| lies inside a line or at its end. |*more| tells whether the line
// goes on after them.
template <bool kFold>
std::uint64_t BytesOf(const char* from, int width, bool* more) {
  std::uint64_t key = 0;
  int k = 0;
  for (; k < width && !EndsAt(from, static_cast<std::size_t>(k)); ++k) {
    auto c = static_cast<unsigned char>(from[k]);
    if constexpr (kFold) c = FoldCase(c);
    key = (key << 8) | c;
  }
  *more = k == width && !EndsAt(from, static_cast<std::size_t>(k));
  return k == 0 ? 0 : key << (8 * (8 - k));
}

// Eight bytes from |from| on, as BytesOf(from, 8) gives them, for |from|
// at least 8 bytes before the text's end on a little-endian machine: a word
// at a time, the line's end found in it by bit tricks.
template <bool kFold>
std::uint64_t EightBytesOf(const char* from) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHigh = 0x8080808080808080u;
  std::uint64_t raw;
  std::memcpy(&raw, from, 8);
  // The high bit of each byte that is 0 or a line feed. A borrow can mark
  // bytes after the first such byte too, never one before it, and the
  // first byte of the line is the lowest.
  auto zero_bytes = [](std::uint64_t v) { return (v - kOnes) & ~v & kHigh; };
  const std::uint64_t ends = zero_bytes(raw) | zero_bytes(raw ^ ('\n' * kOnes));
  std::size_t k = 8;
  if (ends != 0) {
    k = static_cast<std::size_t>(std::countr_zero(ends)) / 8;
  } else if (from[8] != '\n' && from[8] != '\0') {
    k = 9;  // the line goes on past these eight bytes
  }
  // A carriage return right before the end belongs to it.
  if (k <= 8 && k > 0 && from[k - 1] == '\r') --k;
  if (k == 0) return 0;
  std::uint64_t word = __builtin_bswap64(raw);
  if (k < 8) word &= ~std::uint64_t{0} << (8 * (8 - k));
  return kFold ? FoldCaseInWord(word) : word;
}

template <bool kFold>
int CompareFrom(const char* a, const char* b, std::size_t depth) {
  for (std::size_t k = depth;; ++k) {
    unsigned char x = EndsAt(a, k) ? 0 : static_cast<unsigned char>(a[k]);
    unsigned char y = EndsAt(b, k) ? 0 : static_cast<unsigned char>(b[k]);
    if constexpr (kFold) {
      x = FoldCase(x);
      y = FoldCase(y);
    }
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

inline void Prefetch(const char* p) {
#if defined(__GNUC__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}

// The bytes held in the key: [0, 8) as the line's first eight, [8, 12)
// taken from |rest|, and eight at a time from the line after that.
constexpr std::size_t kSecondChunk = 8;
constexpr std::size_t kThirdChunk = 12;
constexpr int kRestBytes = 4;
constexpr int kRestShift = 32;

constexpr std::size_t ChunkStart(std::size_t depth) {
  if (depth < kSecondChunk) return 0;
  if (depth < kThirdChunk) return kSecondChunk;
  return kThirdChunk + (depth - kThirdChunk) / 8 * 8;
}

constexpr std::size_t ChunkWidth(std::size_t start) {
  return start == kSecondChunk ? kRestBytes : 8;
}

// Below this many items a range is sorted on its held bytes at once: a
// byte at a time costs a pass over 256 buckets.
constexpr std::size_t kRadixLimit = 256;
constexpr std::size_t kPrefetchDistance = 32;
// A range of up to this many items is distributed through a buffer rather
// than in place; the buffer stays within the caches.
constexpr std::size_t kScatterItems = std::size_t{1} << 16;

template <bool kFold>
class RadixSorter {
 public:
  RadixSorter(const char* text, const char* text_end,
              std::atomic<bool>& ties_differ, bool parallel,
              bool held_whole = false)
      : text_(text),
        text_end_(text_end),
        ties_differ_(ties_differ),
        parallel_(parallel),
        held_whole_(held_whole) {}

  // Sort for a range whose lines agree on their first |depth| bytes, the
  // key still holding the chunk before when |depth| starts a new one.
  void SortFrom(RadixItem* a, std::size_t n, std::size_t depth) {
    if (depth == ChunkStart(depth)) NextChunk(a, n, depth);
    Sort(a, n, depth);
  }

  // Items whose lines compare equal: with the case folded they must still
  // be the same bytes.
  void CheckEqualRun(const RadixItem* a, std::size_t n) {
    if constexpr (kFold) {
      if (n < 2) return;
      const char* first = RadixLine(text_, a[0]);
      for (std::size_t i = 1; i < n; ++i) {
        if (CompareFrom<false>(first, RadixLine(text_, a[i]), 0) != 0) {
          ties_differ_.store(true, std::memory_order_relaxed);
          return;
        }
      }
    } else {
      (void)a, (void)n;
    }
  }

  // Sorts buckets 1 to 255 of the range at |a|, as |start| parts it, all but
  // |skip|, from |depth| on: on this thread and, when |beside|, on a second
  // one, each taking the largest bucket left. The buckets' lines take
  // unlike times to sort, and a split made in advance leaves one thread
  // waiting. The order does not depend on which thread sorts a bucket.
  void SortBuckets(RadixItem* a, const std::array<std::size_t, 257>& start,
                   std::size_t depth, bool beside, std::size_t skip = 0) {
    auto size_of = [&start](std::size_t b) { return start[b + 1] - start[b]; };
    std::array<std::uint8_t, 255> order;
    std::size_t buckets = 0;
    for (std::size_t b = 1; b < 256; ++b) {
      if (b != skip && size_of(b) > 1) {
        order[buckets++] = static_cast<std::uint8_t>(b);
      }
    }
    std::stable_sort(
        order.begin(), order.begin() + buckets,
        [&](std::size_t x, std::size_t y) { return size_of(x) > size_of(y); });
    std::atomic<std::size_t> taken{0};
    auto take = [&](RadixSorter& sorter) {
      for (std::size_t k; (k = taken.fetch_add(1)) < buckets;) {
        sorter.SortFrom(a + start[order[k]], size_of(order[k]), depth);
      }
    };
    if (!beside) {
      take(*this);
      return;
    }
    RadixSorter helper_sorter(text_, text_end_, ties_differ_, false,
                              held_whole_);
    HelperThread helper([&] { take(helper_sorter); });
    take(*this);
  }

  // Sorts lines that agree on their first |depth| bytes, the key holding
  // the chunk that |depth| lies in. The largest bucket goes on in this
  // loop, the others recursively, so the recursion stays within log2 n
  // levels.
  void Sort(RadixItem* a, std::size_t n, std::size_t depth) {
    while (n > 1 && !ties_differ_.load(std::memory_order_relaxed)) {
      if (n < kRadixLimit) {
        SortOnKeys(a, n, depth);
        return;
      }
      const std::size_t chunk = ChunkStart(depth);
      const int shift = 56 - 8 * static_cast<int>(depth - chunk);
      // The two halves of the range are counted side by side, each in
      // counts of its own: a byte that many items share would otherwise
      // make each count wait on the one before.
      std::array<std::size_t, 256> count{};
      std::array<std::size_t, 256> upper{};
      const std::size_t half = n / 2;
      for (std::size_t i = 0; i < half; ++i) {
        ++count[ByteOf(a[i], shift)];
        ++upper[ByteOf(a[half + i], shift)];
      }
      if (n % 2 != 0) ++upper[ByteOf(a[n - 1], shift)];
      const std::array<std::size_t, 256> lower = count;
      for (std::size_t b = 0; b < 256; ++b) count[b] += upper[b];
      std::size_t largest = 0;
      for (std::size_t b = 1; b < 256; ++b) {
        if (count[b] > count[largest]) largest = b;
      }
      if (count[largest] < n) {
        std::array<std::size_t, 257> start{};
        for (std::size_t b = 0; b < 256; ++b) {
          start[b + 1] = start[b] + count[b];
        }
        if (!(n <= kScatterItems && Scatter(a, n, start, lower, shift))) {
          Permute(a, start, shift);
        }
        // Lines that ended here are equal to each other.
        if (largest != 0) CheckEqualRun(a, count[0]);
        if (parallel_ && n >= kParallelCutoff) {
          parallel_ = false;
          SortOnTwoThreads(a, start, count, depth);
          return;
        }
        for (std::size_t b = 1; b < 256; ++b) {
          if (b != largest && count[b] > 1) {
            SortFrom(a + start[b], count[b], depth + 1);
          }
        }
        a += start[largest];
        n = count[largest];
      }
      if (largest == 0) {
        CheckEqualRun(a, n);
        return;
      }
      if (++depth == chunk + ChunkWidth(chunk)) NextChunk(a, n, depth);
    }
  }

 private:
  static std::size_t ByteOf(const RadixItem& item, int shift) {
    return static_cast<std::size_t>((item.key >> shift) & 0xFF);
  }

  // Bytes [8, 12) become the key. An item that holds its line whole keeps
  // bytes [0, 8) in |rest| instead of the offset (see HeldLine).
  void Promote(RadixItem& item) const {
    const std::uint64_t second = item.rest >> kRestShift << kRestShift;
    if (held_whole_) item.rest = item.key;
    item.key = second;
  }

  // Puts the chunk that starts at |depth| into the keys: from |rest|, or
  // from the lines, read a little ahead of their use.
  void NextChunk(RadixItem* a, std::size_t n, std::size_t depth) const {
    if (depth == kSecondChunk) {
      for (std::size_t i = 0; i < n; ++i) {
        Promote(a[i]);
      }
      return;
    }
    bool more;
    for (std::size_t i = 0; i < std::min(n, kPrefetchDistance); ++i) {
      Prefetch(RadixLine(text_, a[i]) + depth);
    }
    for (std::size_t i = 0; i < n; ++i) {
      if (i + kPrefetchDistance < n) {
        Prefetch(RadixLine(text_, a[i + kPrefetchDistance]) + depth);
      }
      a[i].key = ChunkAt(RadixLine(text_, a[i]) + depth, &more);
    }
  }

  // In place, bucket by bucket: each item is swapped straight to the next
  // free place of its bucket.
  static void Permute(RadixItem* a, const std::array<std::size_t, 257>& start,
                      int shift) {
    std::array<std::size_t, 256> next;
    for (std::size_t b = 0; b < 256; ++b) next[b] = start[b];
    for (std::size_t b = 0; b < 256; ++b) {
      const std::size_t end = start[b + 1];
      while (next[b] < end) {
        RadixItem item = a[next[b]];
        std::size_t target = ByteOf(item, shift);
        while (target != b) {
          std::swap(item, a[next[target]++]);
          target = ByteOf(item, shift);
        }
        a[next[b]++] = item;
      }
    }
  }

  // The same through a buffer of this sorter's own, for a range that fits
  // in it: each item is stored straight to its place, no store waiting on
  // the swap before it. The items of the range's lower half, which |lower|
  // counts, come first in each bucket, and the halves are stored side by
  // side. False, nothing moved, without memory for it.
  bool Scatter(RadixItem* a, std::size_t n,
               const std::array<std::size_t, 257>& start,
               const std::array<std::size_t, 256>& lower, int shift) {
    if (!scatter_) {
      scatter_.reset(new (std::nothrow) RadixItem[kScatterItems]);
      if (!scatter_) return false;
    }
    RadixItem* const out = scatter_.get();
    std::array<std::size_t, 256> next;
    std::array<std::size_t, 256> upper_next;
    for (std::size_t b = 0; b < 256; ++b) {
      next[b] = start[b];
      upper_next[b] = start[b] + lower[b];
    }
    const std::size_t half = n / 2;
    for (std::size_t i = 0; i < half; ++i) {
      const RadixItem x = a[i];
      const RadixItem y = a[half + i];
      out[next[ByteOf(x, shift)]++] = x;
      out[upper_next[ByteOf(y, shift)]++] = y;
    }
    if (n % 2 != 0) out[upper_next[ByteOf(a[n - 1], shift)]++] = a[n - 1];
    std::memcpy(a, out, n * sizeof(RadixItem));
    return true;
  }

  // The buckets after a byte at |depth|, on two threads.
  void SortOnTwoThreads(RadixItem* a, const std::array<std::size_t, 257>& start,
                        const std::array<std::size_t, 256>& count,
                        std::size_t depth) {
    if (count[0] > 0 &&
        count[0] == *std::max_element(count.begin(), count.end())) {
      CheckEqualRun(a, count[0]);
    }
    SortBuckets(a, start, depth + 1, true);
  }

  // Sorts on the held bytes from |depth| on, then goes on to the next chunk
  // in each run of equal keys, the largest run in this loop.
  void SortOnKeys(RadixItem* a, std::size_t n, std::size_t depth) {
    while (n > 1 && !ties_differ_.load(std::memory_order_relaxed)) {
      const std::size_t chunk = ChunkStart(depth);
      const unsigned skip = 8 * static_cast<unsigned>(depth - chunk);
      std::sort(a, a + n, [skip](const RadixItem& x, const RadixItem& y) {
        return (x.key << skip) < (y.key << skip);
      });
      const std::size_t next = chunk + ChunkWidth(chunk);
      const int last_byte = 64 - 8 * static_cast<int>(ChunkWidth(chunk));
      // The runs that go on, and their items, whose next chunk is loaded
      // in one go so that the lines can be asked for well ahead.
      std::array<std::uint16_t, kRadixLimit> tied;
      std::array<std::uint16_t, kRadixLimit / 2 + 1> run_start;
      std::size_t tied_count = 0;
      std::size_t runs = 0;
      std::size_t largest = 0;
      for (std::size_t i = 0; i < n;) {
        std::size_t j = i + 1;
        while (j < n && a[j].key == a[i].key) ++j;
        if (j - i > 1) {
          // A zero in the chunk's last byte: these lines ended, all equal.
          if (((a[i].key >> last_byte) & 0xFF) == 0) {
            CheckEqualRun(a + i, j - i);
          } else {
            run_start[runs++] = static_cast<std::uint16_t>(tied_count);
            for (std::size_t k = i; k < j; ++k) {
              tied[tied_count++] = static_cast<std::uint16_t>(k);
            }
          }
        }
        i = j;
      }
      if (runs == 0) return;
      run_start[runs] = static_cast<std::uint16_t>(tied_count);
      LoadChunk(a, tied.data(), tied_count, next);
      for (std::size_t r = 1; r < runs; ++r) {
        if (run_start[r + 1] - run_start[r] >
            run_start[largest + 1] - run_start[largest]) {
          largest = r;
        }
      }
      for (std::size_t r = 0; r < runs; ++r) {
        if (r == largest) continue;
        Sort(a + tied[run_start[r]], run_start[r + 1] - run_start[r], next);
      }
      a += tied[run_start[largest]];
      n = run_start[largest + 1] - run_start[largest];
      depth = next;
    }
  }

  // NextChunk for the items a[index[0]], a[index[1]], ...
  void LoadChunk(RadixItem* a, const std::uint16_t* index, std::size_t count,
                 std::size_t depth) const {
    if (depth == kSecondChunk) {
      for (std::size_t k = 0; k < count; ++k) {
        RadixItem& item = a[index[k]];
        Promote(item);
      }
      return;
    }
    bool more;
    for (std::size_t k = 0; k < std::min(count, kPrefetchDistance); ++k) {
      Prefetch(RadixLine(text_, a[index[k]]) + depth);
    }
    for (std::size_t k = 0; k < count; ++k) {
      if (k + kPrefetchDistance < count) {
        Prefetch(RadixLine(text_, a[index[k + kPrefetchDistance]]) + depth);
      }
      RadixItem& item = a[index[k]];
      item.key = ChunkAt(RadixLine(text_, item) + depth, &more);
    }
  }

  // Eight bytes of a line from |from| on.
  std::uint64_t ChunkAt(const char* from, bool* more) const {
    if constexpr (std::endian::native == std::endian::little) {
      if (text_end_ - from >= 8) return EightBytesOf<kFold>(from);
    }
    return BytesOf<kFold>(from, 8, more);
  }

  const char* text_;
  const char* text_end_;  ///< the NUL that ends the text
  std::atomic<bool>& ties_differ_;
  bool parallel_;
  bool held_whole_;
  std::unique_ptr<RadixItem[]> scatter_;  ///< for Scatter, once needed
};

template <bool kFold>
bool SortAll(const char* text, RadixItem* items, std::size_t count,
             bool parallel) {
  std::atomic<bool> ties_differ{false};
  RadixSorter<kFold> sorter(text, text + std::strlen(text), ties_differ,
                            parallel && HardwareThreads() > 1);
  sorter.Sort(items, count, 0);
  return !ties_differ.load();
}

template <bool kFold>
void SetItem(RadixItem& item, const char* text, const char* line,
             bool held_whole = false) {
  bool more;
  item.key = BytesOf<kFold>(line, 8, &more);
  const std::uint64_t rest =
      more ? BytesOf<kFold>(line + 8, kRestBytes, &more) : 0;
  // A line held whole needs no offset; its low bits stay 0 (HeldLine).
  item.rest =
      held_whole ? rest : rest | static_cast<std::uint64_t>(line - text);
}

// The same for a line of |length| bytes (its end found already), read a
// word at a time where the text, which ends at |text_end|, goes on far
// enough.
template <bool kFold>
void SetItemOfLength(RadixItem& item, const char* text, const char* line,
                     std::size_t length, const char* text_end,
                     bool held_whole) {
  if (std::endian::native != std::endian::little || text_end - line < 12) {
    SetItem<kFold>(item, text, line, held_whole);
    return;
  }
  auto first = [](const char* from, std::size_t bytes) {
    std::uint64_t raw;
    std::memcpy(&raw, from, 8);
    std::uint64_t word = __builtin_bswap64(raw);
    if (bytes == 0) return std::uint64_t{0};
    if (bytes < 8) word &= ~std::uint64_t{0} << (8 * (8 - bytes));
    return kFold ? FoldCaseInWord(word) : word;
  };
  item.key = first(line, std::min<std::size_t>(length, 8));
  std::uint64_t rest = 0;
  if (length > 8) {
    std::uint32_t raw;
    std::memcpy(&raw, line + 8, 4);
    rest = std::uint64_t{__builtin_bswap32(raw)} << kRestShift;
    const std::size_t bytes = std::min<std::size_t>(length - 8, kRestBytes);
    rest &= ~std::uint64_t{0} << (8 * (8 - bytes));
    if constexpr (kFold) rest = FoldCaseInWord(rest);
  }
  item.rest =
      held_whole ? rest : rest | static_cast<std::uint64_t>(line - text);
}

// The first byte of a line as the table places it; 0 for an empty line.
template <bool kFold>
std::size_t FirstByte(const char* line) {
  if (EndsAt(line, 0)) return 0;
  auto c = static_cast<unsigned char>(*line);
  if constexpr (kFold) c = FoldCase(c);
  return c;
}

// The lines that start in [from, to), counted by their first byte; returns
// the length of the longest.
template <bool kFold>
std::size_t CountLines(const char* from, const char* to,
                       std::array<std::size_t, 256>& count) {
  std::size_t longest = 0;
  ForEachLine(from, to, [&](const char* line, const char* end) {
    ++count[FirstByte<kFold>(line)];
    longest = std::max(longest, static_cast<std::size_t>(end - line));
  });
  return longest;
}

// Lines are rarely shorter than this on average; it turns a text's length
// into a guess at its line count.
constexpr std::size_t kSmallLineBytes = 16;

// A fill gives the text back this many bytes at a time.
constexpr std::size_t kGiveBackStep = std::size_t{1} << 20;

// Puts the items of the lines that start in [from, to) at |next|, each in
// its first byte's place, and adds the result bytes they take to |*bytes|.
// A place never passes |stop|, the end of its bucket as counted: false when
// a line found its bucket full, no line after it placed.
template <bool kFold>
bool FillLines(const char* text, const char* from, const char* to,
               RadixItem* items, std::array<std::size_t, 256>& next,
               const std::array<std::size_t, 256>& stop, bool held_whole,
               const char* text_end, ZeroedBuffer* give_back,
               std::uint64_t* bytes) {
  const char* kept = from;
  bool fits = true;
  ForEachLine(from, to, [&](const char* line, const char* end) {
    // All the text read so far each time: only whole pages go, and a step
    // need not fill one.
    if (give_back && static_cast<std::size_t>(line - kept) >= kGiveBackStep) {
      give_back->DiscardPages(
          static_cast<std::size_t>(from - give_back->data()),
          static_cast<std::size_t>(line - from));
      kept = line;
    }
    const std::size_t b = FirstByte<kFold>(line);
    if (!fits || next[b] == stop[b]) {
      fits = false;
      return;
    }
    const char* content = end > line && end[-1] == '\r' ? end - 1 : end;
    SetItemOfLength<kFold>(items[next[b]++], text, line,
                           static_cast<std::size_t>(content - line), text_end,
                           held_whole);
    *bytes += static_cast<std::uint64_t>(content - line) + 2;
  });
  return fits;
}

template <bool kFold>
bool BuildTable(const char* text, bool parallel, AllocationSite site,
                RadixTable* table, ZeroedBuffer* source) {
  const std::size_t length = source && source->data() == text
                                 ? TextLength(*source)
                                 : std::strlen(text);
  if (length == 0 || length >= kRadixTextLimit) return false;
  // Two halves, the second from the first line that starts after the
  // middle.
  const char* const end = text + length;
  const void* feed = std::memchr(text + length / 2, '\n', length - length / 2);
  const char* const middle = feed ? static_cast<const char*>(feed) + 1 : end;
  // A thread costs more than cutting a small text: start one only for a
  // text with about as many lines as the sort would split.
  parallel = parallel && length / kSmallLineBytes >= kParallelCutoff &&
             HardwareThreads() > 1;
  std::array<std::size_t, 256> lower{};
  std::array<std::size_t, 256> upper{};
  std::size_t upper_longest = 0;
  std::size_t longest = 0;
  {
    HelperThread helper(
        [&] { upper_longest = CountLines<kFold>(middle, end, upper); },
        parallel);
    longest = CountLines<kFold>(text, middle, lower);
  }
  longest = std::max(longest, upper_longest);
  // A line end is a line feed, or a carriage return and a line feed: a line
  // counted one byte too long here only costs the holding.
  table->held_whole = !kFold && longest <= kHeldLineBytes;
  ZeroedBuffer* const give_back = table->held_whole ? source : nullptr;
  std::size_t n = 0;
  std::array<std::size_t, 256> lower_next;
  std::array<std::size_t, 256> upper_next;
  std::array<std::size_t, 256> lower_stop;
  std::array<std::size_t, 256> upper_stop;
  for (std::size_t b = 0; b < 256; ++b) {
    table->first[b] = n;
    lower_next[b] = n;
    upper_next[b] = lower_stop[b] = n + lower[b];
    n += lower[b] + upper[b];
    upper_stop[b] = n;
  }
  table->first[256] = n;
  if (n > SIZE_MAX / sizeof(RadixItem)) return false;
  table->memory = ZeroedBuffer::Allocate(n * sizeof(RadixItem), site);
  if (!table->memory.valid()) return false;
  table->items = reinterpret_cast<RadixItem*>(table->memory.data());
  table->count = n;
  std::uint64_t lower_bytes = 0;
  std::uint64_t upper_bytes = 0;
  bool upper_filled = false;
  bool lower_filled = false;
  {
    HelperThread helper(
        [&] {
          upper_filled = FillLines<kFold>(
              text, middle, end, table->items, upper_next, upper_stop,
              table->held_whole, end, give_back, &upper_bytes);
        },
        parallel);
    lower_filled = FillLines<kFold>(text, text, middle, table->items,
                                    lower_next, lower_stop, table->held_whole,
                                    end, give_back, &lower_bytes);
  }
  // The text is read twice, and a mapped file can change in between: the
  // fill must find exactly the lines the count found, in every bucket, or
  // the table is not the text's. The line sort, which needs no count, then
  // takes the run.
  if (!lower_filled || !upper_filled || lower_next != lower_stop ||
      upper_next != upper_stop) {
    return false;
  }
  table->result_bytes = lower_bytes + upper_bytes;
  table->text_bytes = length;
  return true;
}

template <bool kFold>
bool SortTable(const char* text, RadixTable& table, bool parallel) {
  std::atomic<bool> ties_differ{false};
  const auto& first = table.first;
  RadixItem* const items = table.items;
  const bool held = table.held_whole;
  const char* const end = text + table.text_bytes;
  RadixSorter<kFold> sorter(text, end, ties_differ, false, held);
  sorter.CheckEqualRun(items, first[1] - first[0]);
  // The buckets on two threads (SortBuckets). A bucket that holds most
  // lines shares its own work with a third.
  const std::size_t total = first[256] - first[1];
  std::size_t biggest = 1;
  for (std::size_t b = 1; b < 256; ++b) {
    if (first[b + 1] - first[b] > first[biggest + 1] - first[biggest]) {
      biggest = b;
    }
  }
  const bool alone = first[biggest + 1] - first[biggest] > total / 2;
  parallel = parallel && HardwareThreads() > 1 && total >= kParallelCutoff;
  if (parallel && alone) {
    HelperThread helper(
        [&] { sorter.SortBuckets(items, first, 1, false, biggest); });
    RadixSorter<kFold> big(text, end, ties_differ, true, held);
    big.SortFrom(items + first[biggest], first[biggest + 1] - first[biggest],
                 1);
  } else {
    sorter.SortBuckets(items, first, 1, parallel);
  }
  return !ties_differ.load();
}

}  // namespace

const char* LineContentEnd(const char* line) {
  // Up to the first line feed or the NUL, whichever comes first.
  const char* end = std::strchr(line, '\n');
  if (!end) end = line + std::strlen(line);
  if (end > line && end[-1] == '\r') --end;
  return end;
}

void SetRadixItem(RadixItem& item, const char* text, const char* line,
                  bool fold_case) {
  if (fold_case) {
    SetItem<true>(item, text, line);
  } else {
    SetItem<false>(item, text, line);
  }
}

bool RadixSortLines(const char* text, RadixItem* items, std::size_t count,
                    bool fold_case, bool parallel) {
  return fold_case ? SortAll<true>(text, items, count, parallel)
                   : SortAll<false>(text, items, count, parallel);
}

bool BuildRadixTable(const char* text, bool fold_case, bool parallel,
                     AllocationSite site, RadixTable* table,
                     ZeroedBuffer* source) {
  *table = RadixTable();
  const bool built =
      fold_case ? BuildTable<true>(text, parallel, site, table, source)
                : BuildTable<false>(text, parallel, site, table, source);
  if (!built) *table = RadixTable();
  return built;
}

std::size_t HeldLine(const RadixItem& item, char* out) {
  // An item that went past byte 8 of the sort holds bytes [0, 8) in |rest|,
  // whose low byte, byte 7, is then not 0; otherwise its offset bits are.
  const bool promoted = (item.rest & 0xFF) != 0;
  const std::uint64_t first = promoted ? item.rest : item.key;
  const std::uint64_t second = promoted ? item.key : item.rest;
  std::size_t n = 0;
  for (int shift = 56; shift >= 0 && (first >> shift & 0xFF) != 0; shift -= 8) {
    out[n++] = static_cast<char>(first >> shift & 0xFF);
  }
  if (n == 8) {
    for (int shift = 56; shift >= kRestShift && (second >> shift & 0xFF) != 0;
         shift -= 8) {
      out[n++] = static_cast<char>(second >> shift & 0xFF);
    }
  }
  return n;
}

bool SortRadixTable(const char* text, RadixTable& table, bool fold_case,
                    bool parallel) {
  return fold_case ? SortTable<true>(text, table, parallel)
                   : SortTable<false>(text, table, parallel);
}

}  // namespace tarnel
