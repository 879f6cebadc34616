#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "transfer/file_io.h"
#include "transfer/wide_path.h"
#include "transfer/write_limit.h"

namespace tarnel {

namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  FileHandle(FileHandle&& other) noexcept
      : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  ~FileHandle() { Close(); }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  /// Closes now and reports whether the close succeeded.
  bool Close() {
    const HANDLE handle = std::exchange(handle_, INVALID_HANDLE_VALUE);
    return handle == INVALID_HANDLE_VALUE || ::CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

constexpr DWORD kShareAll =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr std::uint64_t kChunk = 1u << 30;
// What a replacement carries over from the file it replaces. Read-only is
// not among them: such a file is refused before anything is written.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
    FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

std::atomic<std::uint64_t> write_limit{kNoWriteLimit};

// ReadFile and WriteFile take 32-bit counts: big files go in chunks.
std::uint64_t ReadFully(HANDLE file, char* data, std::uint64_t length) {
  std::uint64_t done = 0;
  while (done < length) {
    const auto want = static_cast<DWORD>(std::min(length - done, kChunk));
    DWORD got = 0;
    if (!::ReadFile(file, data + done, want, &got, nullptr) || got == 0) break;
    done += got;
  }
  return done;
}

// |offset| is where in the file the bytes land, for the write limit.
std::uint64_t WriteFully(HANDLE file, const char* data, std::uint64_t length,
                         std::uint64_t offset) {
  const std::uint64_t limit = write_limit.load();
  if (limit != kNoWriteLimit) {
    length = offset >= limit ? 0 : std::min(length, limit - offset);
  }
  std::uint64_t done = 0;
  while (done < length) {
    const auto want = static_cast<DWORD>(std::min(length - done, kChunk));
    DWORD put = 0;
    if (!::WriteFile(file, data + done, want, &put, nullptr) || put == 0) break;
    done += put;
  }
  return done;
}

// A pipe, console or device says nothing useful about its size: read it to
// its end. A pipe whose writer has gone reports that as ERROR_BROKEN_PIPE.
ReadOutcome ReadStream(HANDLE file) {
  ReadOutcome outcome;
  std::string bytes;
  char chunk[1 << 16];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
      if (::GetLastError() == ERROR_BROKEN_PIPE) break;
      outcome.status = ReadOutcome::kShortRead;
      outcome.read = bytes.size();
      return outcome;
    }
    if (got == 0) break;
    bytes.append(chunk, got);
  }
  outcome.text =
      ZeroedBuffer::Allocate(bytes.size() + 1, AllocationSite::kReadBuffer);
  if (!outcome.text.valid()) {
    outcome.status = ReadOutcome::kNoMemory;
    return outcome;
  }
  std::memcpy(outcome.text.data(), bytes.data(), bytes.size());
  outcome.expected = outcome.read = bytes.size();
  return outcome;
}

// The path of the file an open handle reaches, links resolved, in the
// "\\?\" form, which the wide functions take at any length. Empty when the
// system cannot tell (Wine cannot for paths past MAX_PATH).
std::wstring FinalPathOf(HANDLE file) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetFinalPathNameByHandleW(
        file, path.data(), static_cast<DWORD>(path.size()),
        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(n);  // n is the size needed, terminator included
  }
}

// A name no other file in |folder| has yet, for the file written first.
// Made beside the target, so that putting it in place is a rename within
// one volume.
FileHandle CreateTemporary(const std::wstring& folder, const std::wstring& name,
                           DWORD attributes, std::wstring& temporary) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    const std::wstring candidate =
        WidePath(folder + L"." + name + L".tarnel-" +
                 std::to_wstring(::GetCurrentProcessId()) + L"-" +
                 std::to_wstring(++counter) + L"-" +
                 std::to_wstring(now.QuadPart % 1000000));
    FileHandle file(::CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, attributes, nullptr));
    if (file.valid()) {
      temporary = candidate;
      return file;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return FileHandle();
}

}  // namespace

std::uint64_t SetWriteLimitForTesting(std::uint64_t bytes) {
  return write_limit.exchange(bytes);
}

// Files are always read here, never mapped, whatever the use.
ReadOutcome ReadWholeFile(const char* path, TextUse /*use*/) {
  ReadOutcome outcome;
  const std::wstring wide = WidePath(path);
  // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened.
  FileHandle file(wide.empty()
                      ? INVALID_HANDLE_VALUE
                      : ::CreateFileW(wide.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    outcome.status = ReadOutcome::kOpenFailed;
    return outcome;
  }
  if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
    return ReadStream(file.get());
  }

  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file.get(), &size)) {
    outcome.status = ReadOutcome::kOpenFailed;
    return outcome;
  }
  outcome.expected = static_cast<std::uint64_t>(size.QuadPart);
  if (outcome.expected >= SIZE_MAX) {
    outcome.status = ReadOutcome::kNoMemory;
    return outcome;
  }
  outcome.text =
      ZeroedBuffer::Allocate(static_cast<std::size_t>(outcome.expected) + 1,
                             AllocationSite::kReadBuffer);
  if (!outcome.text.valid()) {
    outcome.status = ReadOutcome::kNoMemory;
    return outcome;
  }
  outcome.read = ReadFully(file.get(), outcome.text.data(), outcome.expected);
  if (outcome.read != outcome.expected) {
    outcome.status = ReadOutcome::kShortRead;
    outcome.text.Reset();
  }
  return outcome;
}

// A new file is written in the target's folder and, once flushed to disk,
// renamed over the target in one step. ReplaceFileW would carry over more
// of the old file (its security, its streams), but some of its failures
// leave the old file renamed away or gone; the rename leaves it untouched
// on every failure. The old file's attributes are given to the new one.
struct FileWriter::State {
  FileHandle file;
  bool direct = false;     ///< a device or pipe, written in place
  std::wstring target;     ///< the file that receives the text
  std::wstring temporary;  ///< the file written first; empty when direct
};

FileWriter::FileWriter() = default;

FileWriter::~FileWriter() {
  if (state_ && !state_->temporary.empty()) {
    state_->file.Close();
    ::DeleteFileW(state_->temporary.c_str());
  }
}

bool FileWriter::Open(const char* path) {
  state_.reset();
  progress_ = Progress();
  auto state = std::make_unique<State>();
  state->target = WidePath(path);
  if (state->target.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(state->target.c_str());
  // A read-only file is refused as opening it to write would be, which
  // Wine does not do for the superuser.
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) {
    return false;
  }

  // Opening follows links; the handle tells a disk file from a device or a
  // pipe, and where the file really is.
  FileHandle existing(::CreateFileW(state->target.c_str(), GENERIC_WRITE,
                                    kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD new_attributes = FILE_ATTRIBUTE_NORMAL;
  if (!existing.valid()) {
    // A link to a missing file would be replaced by the new file, not
    // followed: refuse rather than lose the link.
    if (::GetLastError() != ERROR_FILE_NOT_FOUND ||
        (attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT))) {
      return false;
    }
  } else if (::GetFileType(existing.get()) != FILE_TYPE_DISK) {
    state->file = std::move(existing);
    state->direct = true;
    state_ = std::move(state);
    return true;
  } else {
    // Without a final path the file is replaced where it was named.
    std::wstring final_path = FinalPathOf(existing.get());
    if (!final_path.empty()) state->target = std::move(final_path);
    existing.Close();
    if (attributes & kKeptAttributes) {
      new_attributes = attributes & kKeptAttributes;
    }
  }

  const std::size_t slash = state->target.find_last_of(L'\\');
  if (slash == std::wstring::npos || slash + 1 == state->target.size()) {
    return false;
  }
  state->file = CreateTemporary(state->target.substr(0, slash + 1),
                                state->target.substr(slash + 1), new_attributes,
                                state->temporary);
  if (!state->file.valid()) return false;
  state_ = std::move(state);
  return true;
}

std::uint64_t FileWriter::WritePiece(const char* data, std::uint64_t length,
                                     std::uint64_t offset) {
  return WriteFully(state_->file.get(), data, length, offset);
}

WriteOutcome FileWriter::Commit() {
  State& state = *state_;
  WriteOutcome outcome;
  outcome.written = progress_.written;
  const bool complete =
      !progress_.failed && progress_.written == progress_.offered;
  if (state.direct) {
    if (!state.file.Close() || !complete) {
      outcome.status = WriteOutcome::kWriteFailed;
    }
    return outcome;
  }
  // Only bytes that reached the disk count as written.
  const bool flushed = complete && ::FlushFileBuffers(state.file.get()) != 0;
  const bool durable = state.file.Close() && flushed;
  const std::wstring temporary = std::move(state.temporary);
  state.temporary.clear();
  if (!durable ||
      !::MoveFileExW(temporary.c_str(), state.target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    if (complete) outcome.written = 0;
    ::DeleteFileW(temporary.c_str());
    outcome.status = WriteOutcome::kWriteFailed;
  }
  return outcome;
}

}  // namespace tarnel
