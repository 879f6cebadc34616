#include "transfer/file_transfer.h"

#include <utility>

#include "core/box_text.h"
#include "core/result_block.h"
#include "core/show_error.h"
#include "transfer/file_io.h"

namespace tarnel {

namespace {
constexpr char kReadOpenError[] = "File Open Error![%s]";
constexpr char kReadBufferError[] = "Memory Allocate Error![readbuf]";
constexpr char kReadError[] =
    "Read Error!(statbuf.st_size=[%u], readsize=[%u])";
constexpr char kWriteOpenError[] = "File Open Error!\n[%s]";
constexpr char kWriteError[] =
    "Write Error!(lstrlen(lpMem)=[%u], writesize=[%u])";
}  // namespace

ZeroedBuffer ReadTextFile(const char* path, TextUse use) {
  ReadOutcome outcome = ReadWholeFile(path, use);
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

int CheckSourceIntact(const ZeroedBuffer& source, bool changed) {
  if (!changed && !source.CutShort()) return 0;
  ShowError(
      FormatBoxText(kReadError, {std::uint64_t{source.mapped_file_bytes()},
                                 std::uint64_t{source.IntactFileBytes()}}));
  return -1;
}

int WriteTextFile(const char* path) {
  TextFileSink sink;
  if (!sink.Open(path)) return -1;
  sink.Append(lpMem, static_cast<std::size_t>(ResultTextLength()));
  return sink.Finish();
}

bool TextFileSink::Open(const char* path) {
  length_ = 0;
  if (writer_.Open(path)) return true;
  ShowError(FormatBoxText(kWriteOpenError, {path}));
  return false;
}

void TextFileSink::Append(const char* data, std::size_t length) {
  length_ += length;
  writer_.Write(data, length);
}

int TextFileSink::Finish() {
  const WriteOutcome outcome = writer_.Commit();
  if (outcome.status == WriteOutcome::kOk) return 0;
  ShowError(FormatBoxText(kWriteError, {length_, outcome.written}));
  return -1;
}

}  // namespace tarnel
