#include "engine/run_sort.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <thread>

#include "core/run_context.h"
#include "engine/comparators.h"
#include "engine/line_sort.h"
#include "platform/locale_equality.h"
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
// inwards; the parts already read are given back every so many entries so
// that the table and the whole result are not both held at the end.
constexpr std::size_t kDiscardStep = std::size_t{1} << 16;

void DiscardLineTable(std::size_t first, std::size_t last) {
  if (last > first) {
    base_memory.DiscardPages(first * sizeof(char*),
                             (last - first) * sizeof(char*));
  }
}

// Below this many lines the result is built on one thread.
constexpr std::size_t kParallelOutputLines = std::size_t{1} << 15;

// Releases whatever the run still holds when it leaves early.
struct RunResources {
  ZeroedBuffer source;
  ~RunResources() {
    source.Reset();
    FreeBase();
    FreeOutput();
  }
};

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
  base_memory = ZeroedBuffer::Allocate(n * sizeof(char*),
                                       AllocationSite::kLineTable);
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
  const bool unique = (sort_mode & kSortUnique) != 0;
  const LocaleEquality equal((sort_mode & kSortIgnoreCase) != 0);
  // A line is written unless it repeats the line before it; the line before
  // is always the previous entry, whether that one was written or not.
  auto written = [&](std::size_t i) {
    return !unique || i == 0 || !equal(Base[i], Base[i - 1]);
  };

  char* const end = lpMem + OutputSize;
  std::size_t half = LineCount;
  if (LineCount >= kParallelOutputLines && HardwareThreads() > 1) {
    half = LineCount / 2;
  }

  // The upper half is laid down backwards from the end of the block while
  // the lower half is laid down forwards from its start.
  char* upper = end;
  auto build_upper = [&] {
    for (std::size_t i = LineCount; i-- > half;) {
      if (i % kDiscardStep == 0) DiscardLineTable(i + 1, LineCount);
      if (!written(i)) continue;
      const std::size_t length = std::strlen(Base[i]);
      upper -= length + 2;
      std::memcpy(upper, Base[i], length);
      upper[length] = '\r';
      upper[length + 1] = '\n';
    }
  };
  std::thread helper;
  if (half < LineCount) {
    try {
      helper = std::thread(build_upper);
    } catch (const std::system_error&) {
      build_upper();
    }
  }
  char* cursor = lpMem;
  for (std::size_t i = 0; i < half; ++i) {
    // Entry i - 1 is still read as the line before i, and the upper half
    // reads the last entry of this one.
    if (i % kDiscardStep == 0 && i > 0) {
      DiscardLineTable(0, std::min(i - 1, half - 1));
    }
    if (!written(i)) continue;
    const std::size_t length = std::strlen(Base[i]);
    std::memcpy(cursor, Base[i], length);
    cursor += length;
    *cursor++ = '\r';
    *cursor++ = '\n';
  }
  if (helper.joinable()) helper.join();

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
  LastResult = 0;
  OwnerWindow = owner_window;

  const std::int32_t base_mode = sort_mode & ~kSortUnique;
  if (base_mode < 0 || base_mode > 3) {
    ShowError(kSortModeOutOfRange);
    LastResult = -1;
    return;
  }

  RunResources run;
  run.source = input_name ? ReadTextFile(input_name) : ReadClipboardText();
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

  SelectComparator(Base, LineCount, base_mode, key_pos, key_kind);

  if (AllocOutput() != 0) {
    LastResult = -1;
    return;
  }
  BuildOutput(sort_mode);
  run.source.Reset();
  FreeBase();

  LastResult = output_name ? WriteTextFile(output_name) : WriteClipboardText();
  FreeOutput();

  if (quiet == 1) return;
  CurrentMessageBoxes().Show(OwnerWindow,
                             LastResult == 0 ? kFinish : kErrorFinish,
                             kFinishCaption, kBoxPlain);
}

}  // namespace tarnel
