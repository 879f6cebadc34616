#include "engine/run_sort.h"

#include <algorithm>
#include <array>
#include <bit>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/result_block.h"
#include "core/show_error.h"
#include "engine/line_scan.h"
#include "engine/radix_sort.h"
#include "engine/sort_selection.h"
#include "engine/text_length.h"
#include "platform/helper_thread.h"
#include "platform/locale_equality.h"
#include "platform/service.h"
#include "transfer/clipboard_transfer.h"
#include "transfer/file_transfer.h"

namespace tarnel {

namespace {

constexpr char kSortModeOutOfRange[] = "SortMode is out of Range!";
constexpr char kNoLine[] = "No Line!";
constexpr char kBaseAllocError[] = "Memory Allocate Error!(Base)";
constexpr char kOutputAllocError[] = "Memory Allocate Error![hMem]";
constexpr char kFinish[] = "Finish!";
constexpr char kErrorFinish[] = "Error-Finish!";

ZeroedBuffer base_memory;

// While the result is built the line table is read once, from both ends
// inwards; the parts already read are given back every kDiscardStep entries
// so that the table and the whole result are not both held at the end.
void DiscardLineTable(std::size_t first, std::size_t last) {
  DiscardTableEntries(&base_memory, Base, first, last, sizeof(char*));
}

// Lays lines down, each followed by CR LF, whatever ended it in the source.
class LineWriter {
 public:
  explicit LineWriter(char* cursor) : cursor_(cursor) {}
  /// Writes |line| and CR LF at |at|; returns the end of what it wrote.
  static char* Put(char* at, const char* line, std::size_t length) {
    std::memcpy(at, line, length);
    at[length] = '\r';
    at[length + 1] = '\n';
    return at + length + 2;
  }
  /// Bytes a line of |length| bytes takes.
  static constexpr std::size_t Size(std::size_t length) { return length + 2; }
  void Append(const char* line, std::size_t length) {
    cursor_ = Put(cursor_, line, length);
  }
  char* cursor() const { return cursor_; }

 private:
  char* cursor_;
};

// Releases whatever the run still holds when it leaves early.
struct RunResources {
  ZeroedBuffer source;
  ~RunResources() {
    source.Reset();
    FreeBase();
    FreeOutput();
  }
};

// The run from the source on with the line sort, the lines cut in the
// source. False after showing why the run failed before its delivery.
bool RunWithLineSort(const SortRequest& request, RunResources& run);

// A file destination takes the result in pieces as they are built, so the
// whole result is never held at once. Each piece covers a run of lines of
// about this many bytes; two are built at a time.
constexpr std::size_t kPieceBytes = std::size_t{2} << 20;

// A short line is copied in blocks of sixteen bytes, its end found in them
// as they go: at most this many bytes, all read whatever the line's length.
constexpr std::size_t kShortLineBytes = 64;

// A piece of the result being built; grows when its lines run long.
class Piece {
 public:
  static constexpr std::size_t kNotLaid = SIZE_MAX;
  bool Allocate(std::size_t capacity) {
    memory_ = ZeroedBuffer::Allocate(capacity, AllocationSite::kResultBlock);
    used_ = 0;
    return memory_.valid();
  }
  const char* data() const { return memory_.data(); }
  std::size_t size() const { return used_; }
  void Clear() { used_ = 0; }
  /// Lays the line at |line| and CR LF after the piece's bytes, not yet
  /// counted in (Take does that), when the line is shorter than
  /// kShortLineBytes and the piece has room for that many and more. The
  /// line ends at a NUL or, when |feed_ends|, at a line feed too, a carriage
  /// return right before either belonging to its end then. Reads
  /// kShortLineBytes bytes from |line| on, which the caller makes sure are
  /// there. Returns the line's length, or kNotLaid.
  std::size_t LayShortLine(const char* line, bool feed_ends) {
#if defined(__SSE2__)
    if (memory_.size() - used_ < kShortLineBytes + 2) return kNotLaid;
    char* const out = memory_.data() + used_;
    const __m128i feed = _mm_set1_epi8(feed_ends ? '\n' : '\0');
    const __m128i zero = _mm_setzero_si128();
    for (std::size_t k = 0; k < kShortLineBytes; k += 16) {
      const __m128i bytes =
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + k));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), bytes);
      const int ends = _mm_movemask_epi8(_mm_or_si128(
          _mm_cmpeq_epi8(bytes, feed), _mm_cmpeq_epi8(bytes, zero)));
      if (ends != 0) {
        std::size_t length = k + static_cast<std::size_t>(std::countr_zero(
                                     static_cast<unsigned>(ends)));
        if (feed_ends && length > 0 && line[length - 1] == '\r') --length;
        out[length] = '\r';
        out[length + 1] = '\n';
        return length;
      }
    }
#else
    (void)line, (void)feed_ends;
#endif
    return kNotLaid;
  }
  /// Counts in a line LayShortLine laid.
  void Take(std::size_t length) { used_ += LineWriter::Size(length); }
  // Appends |line| and CR LF; false when the piece cannot grow to take them.
  bool AppendLine(const char* line, std::size_t length) {
    const std::size_t need = LineWriter::Size(length);
    if (memory_.size() - used_ < need && !Grow(need)) return false;
    LineWriter::Put(memory_.data() + used_, line, length);
    used_ += need;
    return true;
  }

 private:
  bool Grow(std::size_t need) {
    if (need > SIZE_MAX / 2 - used_) return false;
    const std::size_t capacity = std::max(memory_.size() * 2, used_ + need);
    ZeroedBuffer bigger =
        ZeroedBuffer::Allocate(capacity, AllocationSite::kResultBlock);
    if (!bigger.valid()) return false;
    std::memcpy(bigger.data(), memory_.data(), used_);
    memory_ = std::move(bigger);
    return true;
  }

  ZeroedBuffer memory_;
  std::size_t used_ = 0;
};

// One line of the result: its bytes without the line end.
struct LineBytes {
  const char* data;
  std::size_t length;
};
// Room for a line that the radix sort's items hold whole.
using HeldBytes = std::array<char, 16>;

// Tells whether line |i| is written: unless it repeats the line before it
// when repeats are dropped. The line before is always the previous entry,
// whether that one was written or not.
class LineFilter {
 public:
  explicit LineFilter(std::int32_t sort_mode)
      : unique_(DropsRepeats(sort_mode)), equal_(IgnoresCase(sort_mode)) {}
  bool Written(std::size_t i) const {
    return !unique_ || i == 0 || !equal_(Base[i], Base[i - 1]);
  }

 private:
  bool unique_;
  LocaleEquality equal_;
};

// The sorted lines as the result is built from them: the line table, its
// lines cut with NULs.
class TableLines {
 public:
  /// |source| holds the text the lines were cut in.
  TableLines(std::int32_t sort_mode, const ZeroedBuffer& source)
      : filter_(sort_mode), source_end_(source.data() + source.size()) {}
  std::size_t count() const { return LineCount; }
  /// Where a line's bytes may be read up to, past its end.
  const char* ReadableEnd() const { return source_end_; }
  /// Cut lines end at their NUL alone.
  static constexpr bool kFeedEnds = false;
  LineBytes Get(std::size_t i, HeldBytes&) const {
    return {Base[i], std::strlen(Base[i])};
  }
  const char* Where(std::size_t i) const { return Base[i]; }
  bool Written(std::size_t i) const { return filter_.Written(i); }
  void Discard(std::size_t first, std::size_t last) const {
    DiscardLineTable(first, last);
  }

 private:
  LineFilter filter_;
  const char* source_end_;
};

// The same from the radix sort's items, whose lines lie uncut in the text,
// or are held whole by the items themselves. Repeats are dropped only where
// the same bytes alone are equal.
class ItemLines {
 public:
  ItemLines(const char* text, RadixTable& table, bool unique)
      : text_(text), table_(table), unique_(unique) {}
  std::size_t count() const { return table_.count; }
  const char* ReadableEnd() const { return text_ + table_.text_bytes; }
  static constexpr bool kFeedEnds = true;
  LineBytes Get(std::size_t i, HeldBytes& held) const {
    const RadixItem& item = table_.items[i];
    if (table_.held_whole) {
      const std::size_t length = HeldLine(item, held.data());
      return {held.data(), length};
    }
    const char* line = RadixLine(text_, item);
    return {line, static_cast<std::size_t>(LineContentEnd(line) - line)};
  }
  const char* Where(std::size_t i) const {
    return table_.held_whole ? nullptr : RadixLine(text_, table_.items[i]);
  }
  bool Written(std::size_t i) const {
    if (!unique_ || i == 0) return true;
    HeldBytes a, b;
    const LineBytes x = Get(i, a);
    const LineBytes y = Get(i - 1, b);
    return x.length != y.length || std::memcmp(x.data, y.data, x.length) != 0;
  }
  void Discard(std::size_t first, std::size_t last) const {
    DiscardTableEntries(&table_.memory, table_.items, first, last,
                        sizeof(RadixItem));
  }

 private:
  const char* text_;
  RadixTable& table_;
  bool unique_;
};

constexpr std::size_t kPrefetchDistance = 16;

inline void Prefetch(const char* line) {
#if defined(__GNUC__)
  if (line) {
    __builtin_prefetch(line);
    __builtin_prefetch(line + 63);
  }
#else
  (void)line;
#endif
}

enum class PieceOutcome {
  kBuilt,
  kNoMemory,
  // More bytes than the result has left: the lines are longer than when
  // they were counted, which only a mapped file changed under the run can
  // make them.
  kTooLong,
};

// Lays lines [first, last) into |piece|, at most |budget| bytes of them.
template <typename Lines>
PieceOutcome BuildPiece(const Lines& lines, std::size_t first, std::size_t last,
                        std::uint64_t budget, Piece& piece) {
  piece.Clear();
  for (std::size_t i = first; i < last; ++i) {
    // Sorted lines lie all over the source: ask for the ones a little ahead
    // while this one is copied.
    if (i + kPrefetchDistance < last)
      Prefetch(lines.Where(i + kPrefetchDistance));
    if (!lines.Written(i)) continue;
    // Most lines are short, and copied on the way to their end.
    const char* const where = lines.Where(i);
    if (where && lines.ReadableEnd() - where >=
                     static_cast<std::ptrdiff_t>(kShortLineBytes)) {
      const std::size_t length = piece.LayShortLine(where, Lines::kFeedEnds);
      if (length != Piece::kNotLaid) {
        if (LineWriter::Size(length) > budget - piece.size()) {
          return PieceOutcome::kTooLong;
        }
        piece.Take(length);
        continue;
      }
    }
    HeldBytes held;
    const LineBytes line = lines.Get(i, held);
    if (LineWriter::Size(line.length) > budget - piece.size()) {
      return PieceOutcome::kTooLong;
    }
    if (!piece.AppendLine(line.data, line.length)) {
      return PieceOutcome::kNoMemory;
    }
  }
  return PieceOutcome::kBuilt;
}

// Pieces of the result, built on two threads and handed to the sink in
// their order. A thread takes the next piece, builds it, and waits for its
// turn to hand it over, so that one thread's writing goes on while the
// other builds. The turns never wait on a piece nobody holds: the pieces
// are taken in order, and each is held until it is handed over.
class PieceTurns {
 public:
  /// The next piece to build; false when all have been taken or the run
  /// has stopped.
  bool Take(std::size_t pieces, std::size_t* piece) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopped_ || taken_ == pieces) return false;
    *piece = taken_++;
    return true;
  }
  /// Waits until every piece before |piece| has been handed over; false
  /// when the run stopped instead.
  bool AwaitTurn(std::size_t piece) {
    std::unique_lock<std::mutex> lock(mutex_);
    turn_changed_.wait(lock, [&] { return stopped_ || handed_ == piece; });
    return !stopped_;
  }
  /// Called by the turn's holder once its piece is handed over.
  void Pass() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++handed_;
    }
    turn_changed_.notify_all();
  }
  /// Called by the turn's holder instead, when its piece ends the run.
  void Stop(PieceOutcome why) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopped_ = true;
      why_ = why;
    }
    turn_changed_.notify_all();
  }
  /// kBuilt unless the run stopped, and then why.
  PieceOutcome outcome() const { return why_; }

 private:
  std::mutex mutex_;
  std::condition_variable turn_changed_;
  std::size_t taken_ = 0;
  std::size_t handed_ = 0;
  bool stopped_ = false;
  PieceOutcome why_ = PieceOutcome::kBuilt;
};

// Builds the result into |sink| piece by piece, on two threads, and gives
// the line table back behind it; never more than the OutputSize bytes
// counted. False after showing the failure when memory ran out, or when the
// lines no longer fit those bytes (see CheckSourceIntact).
template <typename Lines>
bool StreamOutput(const Lines& lines, const ZeroedBuffer& source,
                  TextFileSink& sink, Piece pieces[2]) {
  const std::size_t count = lines.count();
  const std::uint64_t average =
      std::max<std::uint64_t>(OutputSize / std::max<std::size_t>(count, 1), 1);
  const std::size_t lines_per_piece = static_cast<std::size_t>(
      std::max<std::uint64_t>(kPieceBytes / average, 1));
  const std::size_t piece_count =
      (count + lines_per_piece - 1) / lines_per_piece;
  PieceTurns turns;
  std::uint64_t budget = OutputSize;  // only the turn's holder touches it
  auto work = [&](Piece& piece) {
    std::size_t j;
    while (turns.Take(piece_count, &j)) {
      const std::size_t first = j * lines_per_piece;
      const std::size_t last = std::min(count, first + lines_per_piece);
      // No piece alone is longer than the whole; the turn checks the sum.
      const PieceOutcome built =
          BuildPiece(lines, first, last, OutputSize, piece);
      if (!turns.AwaitTurn(j)) return;
      if (built != PieceOutcome::kBuilt) {
        turns.Stop(built);
        return;
      }
      if (piece.size() > budget) {
        turns.Stop(PieceOutcome::kTooLong);
        return;
      }
      budget -= piece.size();
      sink.Append(piece.data(), piece.size());
      // Only the next piece is still being built, and it reads the line
      // before its first, the last of this one, as well.
      lines.Discard(0, last - 1);
      turns.Pass();
    }
  };
  {
    HelperThread helper([&] { work(pieces[1]); }, WorthSplitting(count));
    work(pieces[0]);
  }
  switch (turns.outcome()) {
    case PieceOutcome::kBuilt:
      return true;
    case PieceOutcome::kNoMemory:
      ShowError(kOutputAllocError);
      return false;
    case PieceOutcome::kTooLong:
      CheckSourceIntact(source, true);
      return false;
  }
  return false;
}

// Lays the result into the result block, OutputSize bytes long. False,
// the block's bytes then of no use, when the lines no longer fit in it:
// they are longer than when they were counted, which only a mapped file
// changed under the run can make them. Neither half writes outside the
// block even then.
template <typename Lines>
bool BuildOutputFrom(const Lines& lines) {
  auto written = [&lines](std::size_t i) { return lines.Written(i); };
  const std::size_t count = lines.count();

  char* const end = lpMem + OutputSize;
  const std::size_t half = WorthSplitting(count) ? count / 2 : count;

  // The upper half is laid down backwards from the end of the block while
  // the lower half is laid down forwards from its start.
  char* upper = end;
  bool upper_fits = true;
  auto build_upper = [&] {
    for (std::size_t i = count; i-- > half;) {
      if (i % kDiscardStep == 0) lines.Discard(i + 1, count);
      if (!written(i)) continue;
      HeldBytes held;
      const LineBytes line = lines.Get(i, held);
      const std::size_t size = LineWriter::Size(line.length);
      if (size > static_cast<std::size_t>(upper - lpMem)) {
        upper_fits = false;
        return;
      }
      upper -= size;
      LineWriter::Put(upper, line.data, line.length);
    }
  };
  HelperThread helper(build_upper, half < count);
  LineWriter lower(lpMem);
  bool lower_fits = true;
  for (std::size_t i = 0; i < half; ++i) {
    // Entry i - 1 is still read as the line before i, and the upper half
    // reads the last entry of this one.
    if (i % kDiscardStep == 0 && i > 0) {
      lines.Discard(0, std::min(i - 1, half - 1));
    }
    if (!written(i)) continue;
    HeldBytes held;
    const LineBytes line = lines.Get(i, held);
    if (LineWriter::Size(line.length) >
        static_cast<std::size_t>(end - lower.cursor())) {
      lower_fits = false;
      break;
    }
    lower.Append(line.data, line.length);
  }
  helper.Join();
  char* const cursor = lower.cursor();
  if (!lower_fits || !upper_fits || cursor > upper) return false;

  // Dropped lines leave a gap between the halves: close it, and keep the
  // text NUL-terminated.
  if (cursor != upper) {
    const std::size_t upper_length = static_cast<std::size_t>(end - upper);
    std::memmove(cursor, upper, upper_length);
    std::memset(cursor + upper_length, 0,
                static_cast<std::size_t>(end - (cursor + upper_length)));
  }
  return true;
}

// The last steps of a run, once the lines are in order. Each sets
// LastResult to the delivery's outcome and returns true, or returns false
// after showing that memory ran out or that the file |source| was mapped
// from was cut short or changed while the run read it, which ends the run
// without its closing box and delivers nothing. |release| gives back the
// source and the table once the result no longer needs them.
template <typename Lines, typename Release>
bool DeliverToFile(const Lines& lines, const ZeroedBuffer& source,
                   const char* path, const Release& release) {
  Piece pieces[2];
  if (!pieces[0].Allocate(2 * kPieceBytes) ||
      !pieces[1].Allocate(2 * kPieceBytes)) {
    ShowError(kOutputAllocError);
    return false;
  }
  TextFileSink sink;
  if (!sink.Open(path)) {
    LastResult = -1;
    return true;
  }
  if (!StreamOutput(lines, source, sink, pieces)) return false;
  // Every line has been read from the source by now. Some may have been
  // zeros in place of a lost file's bytes: the sink is then dropped
  // unfinished, and the target keeps what it held.
  if (CheckSourceIntact(source) != 0) return false;
  release();
  LastResult = sink.Finish();
  return true;
}

template <typename Lines, typename Release>
bool DeliverToClipboard(const Lines& lines, const ZeroedBuffer& source,
                        const Release& release) {
  if (AllocOutput() != 0) return false;
  const bool built = BuildOutputFrom(lines);
  if (CheckSourceIntact(source, !built) != 0) {
    FreeOutput();
    return false;
  }
  release();
  LastResult = WriteClipboardText();
  FreeOutput();
  return true;
}

// The radix sort (radix_sort.h) serves the whole line as the key, where
// the repeat filter, when on, needs nothing but the bytes.
bool RadixSortServes(const SortRequest& request) {
  if (SelectRow(request.key_pos, request.key_kind) != kWholeLineText) {
    return false;
  }
  return !DropsRepeats(request.sort_mode) ||
         LocaleEquality(IgnoresCase(request.sort_mode)).SameBytesOnly();
}

// The whole run on the radix sort, the text left uncut. False, with nothing
// shown and the source as it was, when the line sort must do it instead:
// no memory for the items, no line at all, or lines that compare equal but
// differ. Otherwise the run is over up to its closing box, and |delivered|
// says whether it got that far.
bool RunWithRadixSort(const SortRequest& request, RunResources& run,
                      bool* delivered) {
  const char* const text = run.source.data();
  const bool fold = IgnoresCase(request.sort_mode);
  // The items are the run's line table, given back page by page as the
  // result is built.
  RadixTable table;
  if (!BuildRadixTable(text, fold, true, AllocationSite::kLineTable, &table,
                       &run.source)) {
    return false;
  }
  if (!SortRadixTable(text, table, fold, true)) return false;
  RadixItem* const items = table.items;
  const std::size_t n = table.count;
  // Lines that compare equal are the same bytes: descending is ascending
  // read backwards.
  if (IsDescending(request.sort_mode)) std::reverse(items, items + n);
  LineCount = n;
  OutputSize = table.result_bytes;

  const ItemLines lines(text, table, DropsRepeats(request.sort_mode));
  auto release = [&] {
    run.source.Reset();
    table.memory.Reset();
  };
  *delivered =
      request.output_name
          ? DeliverToFile(lines, run.source, request.output_name, release)
          : DeliverToClipboard(lines, run.source, release);
  return true;
}

}  // namespace

std::int32_t LastResult = 0;
char** Base = nullptr;
std::size_t LineCount = 0;
std::uint64_t OutputSize = 0;

namespace {

// The line feeds in [from, to), in one pass, not a call per line: the feeds
// of up to 255 bytes at a time are counted in a byte, which the compiler
// counts many bytes at once for.
std::size_t CountFeeds(const char* from, const char* to) {
  std::size_t feeds = 0;
  while (from < to) {
    const auto block =
        std::min<std::size_t>(static_cast<std::size_t>(to - from), 255);
    unsigned char in_block = 0;
    for (std::size_t k = 0; k < block; ++k) {
      in_block = static_cast<unsigned char>(in_block + (from[k] == '\n'));
    }
    feeds += in_block;
    from += block;
  }
  return feeds;
}

// A text shorter than this is counted and cut on one thread.
constexpr std::size_t kSplitTextBytes = kParallelCutoff * 16;

// The lines of the text at |text|, |length| bytes up to its NUL, counted
// in two halves, on two threads when the text is long enough: |middle| (in
// the text) parts the halves, and |*below| gets the line feeds before it.
std::size_t LinesInHalves(const char* text, std::size_t length,
                          const char* middle, std::size_t* below) {
  std::size_t upper = 0;
  {
    HelperThread helper([&] { upper = CountFeeds(middle, text + length); },
                        length >= kSplitTextBytes && HardwareThreads() > 1);
    *below = CountFeeds(text, middle);
  }
  // The end of the text ends a last line as a line feed would.
  return *below + upper + (length > 0 && text[length - 1] != '\n' ? 1 : 0);
}

// The lines of a text counted in two halves, the upper one from the first
// line that starts after the middle.
struct TextHalves {
  std::size_t middle = 0;  ///< where the upper half starts
  std::size_t below = 0;   ///< the lines before it
  std::size_t lines = 0;   ///< all of them
};

// The halves of the text at |text|, |length| bytes up to its NUL; a text
// too short to cut on two threads has no upper half.
TextHalves CountHalves(const char* text, std::size_t length) {
  const void* const feed =
      length >= kSplitTextBytes
          ? std::memchr(text + length / 2, '\n', length - length / 2)
          : nullptr;
  TextHalves halves;
  halves.middle =
      feed ? static_cast<std::size_t>(static_cast<const char*>(feed) + 1 - text)
           : length;
  halves.lines =
      LinesInHalves(text, length, text + halves.middle, &halves.below);
  return halves;
}

// Cuts the lines of [from, to) into Base[i], Base[i + 1], ... up to
// Base[n - 1] at most; returns the result bytes of the lines cut, and sets
// |*end_index| to the index after the last.
std::uint64_t CutLines(char* from, char* to, std::size_t i, std::size_t n,
                       std::size_t* end_index) {
  std::uint64_t bytes = 0;
  ForEachLine(from, to, [&](char* line, char* end) {
    if (i == n) return;
    // A carriage return directly before the terminator belongs to it.
    if (end > line && end[-1] == '\r') --end;
    *end = '\0';
    Base[i++] = line;
    bytes += static_cast<std::uint64_t>(end - line) + 2;
  });
  *end_index = i;
  return bytes;
}

// Cuts the text at |text|, |length| bytes up to its NUL, into at most |n|
// lines, the upper half of |halves| by a second thread, whose first index
// is the count of the lines before. The halves, counted on the text about
// to be cut, must come to |n|; otherwise one thread cuts it.
void CutHalves(char* text, std::size_t length, std::size_t n,
               const TextHalves& halves) {
  char* const end = text + length;
  char* const middle = text + halves.middle;
  if (middle < end && halves.lines == n && WorthSplitting(n)) {
    // Every line of the lower half ends with its line feed, the last one
    // right before |middle|: neither thread reads what the other cuts.
    const std::size_t below = halves.below;
    std::uint64_t upper_bytes = 0;
    std::size_t upper_end = below;
    std::size_t lower_end = 0;
    std::uint64_t lower_bytes;
    {
      HelperThread helper(
          [&] { upper_bytes = CutLines(middle, end, below, n, &upper_end); });
      lower_bytes = CutLines(text, middle, 0, below, &lower_end);
    }
    OutputSize = lower_bytes + upper_bytes;
    LineCount = upper_end;
    return;
  }
  std::size_t end_index;
  OutputSize = CutLines(text, end, 0, n, &end_index);
  LineCount = end_index;
}

}  // namespace

std::size_t CountLines(const char* text) {
  return CountHalves(text, std::strlen(text)).lines;
}

int AllocBase(std::size_t n) {
  if (n > SIZE_MAX / sizeof(char*)) {
    ShowError(kBaseAllocError);
    return -1;
  }
  base_memory =
      ZeroedBuffer::Allocate(n * sizeof(char*), AllocationSite::kLineTable);
  if (!base_memory.valid()) {
    ShowError(kBaseAllocError);
    return -1;
  }
  Base = reinterpret_cast<char**>(base_memory.data());
  LineCount = 0;
  return 0;
}

void SplitLines(char* text, std::size_t n) {
  const std::size_t length = std::strlen(text);
  // Counting the halves only pays where two threads would cut them.
  const TextHalves halves = length >= kSplitTextBytes && WorthSplitting(n)
                                ? CountHalves(text, length)
                                : TextHalves{length, 0, n};
  CutHalves(text, length, n, halves);
}

int AllocOutput() {
  if (OutputSize >= SIZE_MAX) {
    ShowError(kOutputAllocError);
    return -1;
  }
  hMem = GlobalBlock::Allocate(static_cast<std::size_t>(OutputSize) + 1,
                               AllocationSite::kResultBlock);
  lpMem = hMem.Lock();
  if (!lpMem) {
    ShowError(kOutputAllocError);
    hMem.Free();
    return -1;
  }
  return 0;
}

void FreeBase() {
  base_memory.Reset();
  Base = nullptr;
}

void FreeOutput() {
  if (lpMem) hMem.Unlock();
  lpMem = nullptr;
  hMem.Free();
}

void RunSort(WindowHandle owner_window, std::int32_t sort_mode,
             const char* input_name, const char* output_name,
             std::int32_t key_pos, std::int32_t key_kind, std::uint8_t quiet) {
  RunSort(SortRequest{owner_window, sort_mode, input_name, output_name, key_pos,
                      key_kind, quiet});
}

void RunSort(const SortRequest& request) {
  LastResult = 0;
  OwnerWindow = request.owner_window;

  const std::int32_t base_mode = BaseModeOf(request.sort_mode);
  if (!IsValidBaseMode(base_mode)) {
    ShowError(kSortModeOutOfRange);
    LastResult = -1;
    return;
  }

  RunResources run;
  // The radix sort reads the text where it lies; the line sort cuts it.
  const bool radix = RadixSortServes(request);
  run.source = request.input_name
                   ? ReadTextFile(request.input_name,
                                  radix ? TextUse::kInPlace : TextUse::kCut)
                   : ReadClipboardText();
  if (!run.source.valid()) {
    LastResult = -1;
    return;
  }

  bool delivered = false;
  if (!(radix && RunWithRadixSort(request, run, &delivered))) {
    delivered = RunWithLineSort(request, run);
  }
  if (!delivered) {
    LastResult = -1;
    return;
  }

  if (request.quiet == 1) return;
  Current<MessageBoxes>().Show(OwnerWindow,
                               LastResult == 0 ? kFinish : kErrorFinish,
                               kFinishCaption, kBoxPlain);
}

namespace {

// A mapped file's text copied into fresh memory a piece at a time, each
// piece of the file's pages given back once copied, so that the text is
// never held twice. Cutting the lines would make a private copy of every
// page anyway, a fault at a time; the sort then reads lines all over a
// text in large pages. Empty, with |source| as it was, when there is no
// memory for the copy.
ZeroedBuffer CopyOfMappedText(ZeroedBuffer& source) {
  constexpr std::size_t kCopyStep = std::size_t{2} << 20;
  ZeroedBuffer copy =
      ZeroedBuffer::Allocate(source.size(), AllocationSite::kReadBuffer);
  if (!copy.valid()) return copy;
  auto copy_steps = [&](std::size_t from, std::size_t to) {
    for (std::size_t at = from; at < to; at += kCopyStep) {
      const std::size_t bytes = std::min(kCopyStep, to - at);
      std::memcpy(copy.data() + at, source.data() + at, bytes);
      source.DiscardPages(at, bytes);
    }
  };
  // Fresh memory is slow to come by the first time a page is touched, and
  // two threads come by it faster than one. The halves part at a step.
  const std::size_t steps = (source.size() + kCopyStep - 1) / kCopyStep;
  const std::size_t middle =
      HardwareThreads() > 1 ? steps / 2 * kCopyStep : source.size();
  {
    HelperThread helper([&] { copy_steps(middle, source.size()); },
                        middle < source.size());
    copy_steps(0, middle);
  }
  return copy;
}

bool RunWithLineSort(const SortRequest& request, RunResources& run) {
  const std::size_t length = TextLength(run.source);
  const TextHalves halves = CountHalves(run.source.data(), length);
  const std::size_t n = halves.lines;
  if (n == 0) {
    ShowError(kNoLine);
    return false;
  }
  if (AllocBase(n) != 0) return false;
  // The lines are cut with NULs in the source itself. A file cut short
  // before its copy was taken is told as if the run had read it then.
  const bool mapped = run.source.file_mapped();
  if (mapped) {
    ZeroedBuffer copy = CopyOfMappedText(run.source);
    if (CheckSourceIntact(run.source) != 0) return false;
    if (copy.valid()) run.source = std::move(copy);
  }
  if (!run.source.MakeWritable()) {
    ShowError(kBaseAllocError);
    return false;
  }
  // Text of the run's own is cut as it was counted; a mapped file's may
  // have changed since, and is counted again on the bytes to be cut.
  if (mapped) {
    SplitLines(run.source.data(), n);
  } else {
    CutHalves(run.source.data(), length, n, halves);
  }

  Base = SelectComparator(Base, LineCount, BaseModeOf(request.sort_mode),
                          request.key_pos, request.key_kind, &base_memory);

  const TableLines lines(request.sort_mode, run.source);
  auto release = [&run] {
    run.source.Reset();
    FreeBase();
  };
  return request.output_name
             ? DeliverToFile(lines, run.source, request.output_name, release)
             : DeliverToClipboard(lines, run.source, release);
}

}  // namespace

}  // namespace tarnel
