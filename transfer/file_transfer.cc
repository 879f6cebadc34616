#include "transfer/file_transfer.h"

#include "core/run_context.h"
#include "transfer/file_io.h"

#include <utility>

namespace tarnel {

namespace {
constexpr char kReadOpenError[] = "File Open Error![%s]";
constexpr char kReadBufferError[] = "Memory Allocate Error![readbuf]";
constexpr char kReadError[] = "Read Error!(statbuf.st_size=[%u], readsize=[%u])";
constexpr char kWriteOpenError[] = "File Open Error!\n[%s]";
constexpr char kWriteError[] =
    "Write Error!(lstrlen(lpMem)=[%u], writesize=[%u])";
}  // namespace

ZeroedBuffer ReadTextFile(const char* path) {
  ReadOutcome outcome = ReadWholeFile(path);
  switch (outcome.status) {
    case ReadOutcome::kOk:
      return std::move(outcome.text);
    case ReadOutcome::kOpenFailed:
      ShowError(FormatBoxText(kReadOpenError, {path}));
      break;
    case ReadOutcome::kNoMemory:
      ShowError(kReadBufferError);
      break;
    case ReadOutcome::kShortRead:
      ShowError(FormatBoxText(kReadError, {outcome.expected, outcome.read}));
      break;
  }
  return ZeroedBuffer();
}

int WriteTextFile(const char* path) {
  const std::uint64_t length = ResultTextLength();
  const WriteOutcome outcome = WriteWholeFile(path, lpMem, length);
  switch (outcome.status) {
    case WriteOutcome::kOk:
      return 0;
    case WriteOutcome::kOpenFailed:
      ShowError(FormatBoxText(kWriteOpenError, {path}));
      return -1;
    case WriteOutcome::kWriteFailed:
      ShowError(FormatBoxText(kWriteError, {length, outcome.written}));
      return -1;
  }
  return -1;
}

}  // namespace tarnel
