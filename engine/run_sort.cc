#include "engine/run_sort.h"

#include <algorithm>
#include <cstring>

#include "core/result_block.h"
#include "core/show_error.h"
#include "engine/sort_selection.h"
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

// A file destination takes the result in pieces as they are built, so the
// whole result is never held at once. Each piece covers a run of lines of
// about this many bytes; two are built at a time.
constexpr std::size_t kPieceBytes = std::size_t{2} << 20;

// A piece of the result being built; grows when its lines run long.
class Piece {
 public:
  bool Allocate(std::size_t capacity) {
    memory_ = ZeroedBuffer::Allocate(capacity, AllocationSite::kResultBlock);
    used_ = 0;
    return memory_.valid();
  }
  const char* data() const { return memory_.data(); }
  std::size_t size() const { return used_; }
  void Clear() { used_ = 0; }
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

constexpr std::size_t kPrefetchDistance = 16;

inline void Prefetch(const char* line) {
#if defined(__GNUC__)
  __builtin_prefetch(line);
#else
  (void)line;
#endif
}

// Lays lines [first, last) into |piece|; false when it ran out of memory.
bool BuildPiece(const LineFilter& filter, std::size_t first, std::size_t last,
                Piece& piece) {
  piece.Clear();
  for (std::size_t i = first; i < last; ++i) {
    // Sorted lines lie all over the source: ask for the ones a little ahead
    // while this one is copied.
    if (i + kPrefetchDistance < last) Prefetch(Base[i + kPrefetchDistance]);
    if (filter.Written(i) && !piece.AppendLine(Base[i], std::strlen(Base[i]))) {
      return false;
    }
  }
  return true;
}

// Builds the result into |sink| piece by piece, two pieces at a time, and
// gives the line table back behind it. False after showing the failure when
// memory ran out.
bool StreamOutput(std::int32_t sort_mode, TextFileSink& sink, Piece pieces[2]) {
  const LineFilter filter(sort_mode);
  const std::uint64_t average = std::max<std::uint64_t>(
      OutputSize / std::max<std::size_t>(LineCount, 1), 1);
  const std::size_t lines_per_piece = static_cast<std::size_t>(
      std::max<std::uint64_t>(kPieceBytes / average, 1));
  const bool parallel = WorthSplitting(LineCount);
  for (std::size_t first = 0; first < LineCount;) {
    // Entry first - 1 is still read as the line before |first|.
    if (first > 1) DiscardLineTable(0, first - 1);
    const std::size_t middle = std::min(LineCount - first, lines_per_piece);
    const std::size_t last =
        first + std::min(LineCount - first, 2 * lines_per_piece);
    const std::size_t split = first + middle;
    bool upper_ok = true;
    HelperThread helper(
        [&] { upper_ok = BuildPiece(filter, split, last, pieces[1]); },
        parallel && split < last);
    const bool lower_ok = BuildPiece(filter, first, split, pieces[0]);
    helper.Join();
    if (!lower_ok || !upper_ok) {
      ShowError(kOutputAllocError);
      return false;
    }
    sink.Append(pieces[0].data(), pieces[0].size());
    sink.Append(pieces[1].data(), pieces[1].size());
    first = last;
  }
  return true;
}

// The last steps of a run, once the lines are in order. Each sets
// LastResult to the delivery's outcome and returns true, or returns false
// after showing that memory ran out, which ends the run without its closing
// box.
bool DeliverToFile(std::int32_t sort_mode, const char* path,
                   RunResources& run) {
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
  if (!StreamOutput(sort_mode, sink, pieces)) return false;
  run.source.Reset();
  FreeBase();
  LastResult = sink.Finish();
  return true;
}

bool DeliverToClipboard(std::int32_t sort_mode, RunResources& run) {
  if (AllocOutput() != 0) return false;
  BuildOutput(sort_mode);
  run.source.Reset();
  FreeBase();
  LastResult = WriteClipboardText();
  FreeOutput();
  return true;
}

}  // namespace

std::int32_t LastResult = 0;
char** Base = nullptr;
std::size_t LineCount = 0;
std::uint64_t OutputSize = 0;

std::size_t CountLines(const char* text) {
  std::size_t n = 0;
  const char* p = text;
  while (*p) {
    const char* q = std::strchr(p, '\n');
    // The end of the text ends a last line as a line feed would.
    if (!q) return n + 1;
    ++n;
    p = q + 1;
  }
  return n;
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
  OutputSize = 0;
  std::size_t i = 0;
  char* p = text;
  while (*p && i < n) {
    char* q = std::strchr(p, '\n');
    char* end;
    char* next;
    if (q) {
      end = q;
      next = q + 1;
    } else {
      end = p + std::strlen(p);
      next = end;
    }
    // A carriage return directly before the terminator belongs to it.
    if (end > p && end[-1] == '\r') --end;
    *end = '\0';
    Base[i] = p;
    OutputSize += static_cast<std::uint64_t>(end - p) + 2;
    p = next;
    ++i;
  }
  LineCount = i;
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

void BuildOutput(std::int32_t sort_mode) {
  const LineFilter filter(sort_mode);
  auto written = [&filter](std::size_t i) { return filter.Written(i); };

  char* const end = lpMem + OutputSize;
  const std::size_t half =
      WorthSplitting(LineCount) ? LineCount / 2 : LineCount;

  // The upper half is laid down backwards from the end of the block while
  // the lower half is laid down forwards from its start.
  char* upper = end;
  auto build_upper = [&] {
    for (std::size_t i = LineCount; i-- > half;) {
      if (i % kDiscardStep == 0) DiscardLineTable(i + 1, LineCount);
      if (!written(i)) continue;
      const std::size_t length = std::strlen(Base[i]);
      upper -= LineWriter::Size(length);
      LineWriter::Put(upper, Base[i], length);
    }
  };
  HelperThread helper(build_upper, half < LineCount);
  LineWriter lower(lpMem);
  for (std::size_t i = 0; i < half; ++i) {
    // Entry i - 1 is still read as the line before i, and the upper half
    // reads the last entry of this one.
    if (i % kDiscardStep == 0 && i > 0) {
      DiscardLineTable(0, std::min(i - 1, half - 1));
    }
    if (written(i)) lower.Append(Base[i], std::strlen(Base[i]));
  }
  helper.Join();
  char* const cursor = lower.cursor();

  // Dropped lines leave a gap between the halves: close it, and keep the
  // text NUL-terminated.
  if (cursor != upper) {
    const std::size_t upper_length = static_cast<std::size_t>(end - upper);
    std::memmove(cursor, upper, upper_length);
    std::memset(cursor + upper_length, 0,
                static_cast<std::size_t>(end - (cursor + upper_length)));
  }
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
  run.source = request.input_name ? ReadTextFile(request.input_name)
                                  : ReadClipboardText();
  if (!run.source.valid()) {
    LastResult = -1;
    return;
  }

  const std::size_t n = CountLines(run.source.data());
  if (n == 0) {
    ShowError(kNoLine);
    LastResult = -1;
    return;
  }
  if (AllocBase(n) != 0) {
    LastResult = -1;
    return;
  }
  SplitLines(run.source.data(), n);

  SelectComparator(Base, LineCount, base_mode, request.key_pos,
                   request.key_kind, &base_memory);

  const bool delivered =
      request.output_name
          ? DeliverToFile(request.sort_mode, request.output_name, run)
          : DeliverToClipboard(request.sort_mode, run);
  if (!delivered) {
    LastResult = -1;
    return;
  }

  if (request.quiet == 1) return;
  Current<MessageBoxes>().Show(OwnerWindow,
                               LastResult == 0 ? kFinish : kErrorFinish,
                               kFinishCaption, kBoxPlain);
}

}  // namespace tarnel
