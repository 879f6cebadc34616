#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "transfer/file_io.h"

namespace tarnel {

namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  ~FileHandle() {
    if (valid()) ::CloseHandle(handle_);
  }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  /// Closes now and reports whether the close succeeded.
  bool Close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle == INVALID_HANDLE_VALUE || ::CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

constexpr DWORD kShareAll =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr std::uint64_t kChunk = 1u << 30;

// ReadFile and WriteFile take 32-bit counts: big files go in chunks.
std::uint64_t ReadFully(HANDLE file, char* data, std::uint64_t length) {
  std::uint64_t done = 0;
  while (done < length) {
    const DWORD want = static_cast<DWORD>(std::min(length - done, kChunk));
    DWORD got = 0;
    if (!::ReadFile(file, data + done, want, &got, nullptr) || got == 0) break;
    done += got;
  }
  return done;
}

std::uint64_t WriteFully(HANDLE file, const char* data, std::uint64_t length) {
  std::uint64_t done = 0;
  while (done < length) {
    const DWORD want = static_cast<DWORD>(std::min(length - done, kChunk));
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

// The folder part of |path| with its trailing separator, so that "C:\" stays
// the root and "C:" the current folder of drive C.
std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  if (slash != std::string::npos) return path.substr(0, slash + 1);
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  return ".\\";
}

// The path of the file an open handle reaches, links resolved, as a plain
// drive or UNC path (the "\\?\" form buys the ANSI calls no longer paths).
std::string FinalPathOf(HANDLE file) {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = ::GetFinalPathNameByHandleA(
        file, path.data(), static_cast<DWORD>(path.size()),
        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(n);  // n is the size needed, terminator included
  }
  if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\" + path.substr(7);
  if (path.rfind("\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

}  // namespace

ReadOutcome ReadWholeFile(const char* path) {
  ReadOutcome outcome;
  // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened.
  FileHandle file(::CreateFileA(path, GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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
// put in place of the target: ReplaceFileA keeps an old file's attributes and
// security, and a plain rename takes over where it is refused (a new target,
// some network shares).
struct FileWriter::State {
  FileHandle file{INVALID_HANDLE_VALUE};
  bool direct = false;  ///< a device or pipe, written in place
  bool exists = false;  ///< the target is an existing disk file
  std::string target;
  std::string temporary;      ///< the file written first; empty when direct
  std::uint64_t offered = 0;  ///< bytes handed to Write
  std::uint64_t written = 0;  ///< bytes that reached the file
  bool failed = false;
};

FileWriter::FileWriter() = default;

FileWriter::~FileWriter() {
  if (state_ && !state_->temporary.empty()) {
    state_->file.Close();
    ::DeleteFileA(state_->temporary.c_str());
  }
}

bool FileWriter::Open(const char* path) {
  state_.reset();
  const DWORD attributes =
      *path ? ::GetFileAttributesA(path) : INVALID_FILE_ATTRIBUTES;
  if (*path == '\0' || (attributes != INVALID_FILE_ATTRIBUTES &&
                        (attributes & FILE_ATTRIBUTE_DIRECTORY))) {
    return false;
  }
  auto state = std::make_unique<State>();

  // Opening follows links; the handle tells a disk file from a device or a
  // pipe, and where the file really is.
  FileHandle existing(::CreateFileA(path, GENERIC_WRITE, kShareAll, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
  if (!existing.valid()) {
    const DWORD error = ::GetLastError();
    // A link to a missing file would be replaced by the new file, not
    // followed: refuse rather than lose the link.
    if (error != ERROR_FILE_NOT_FOUND ||
        (attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT))) {
      return false;
    }
    state->target = path;
  } else if (::GetFileType(existing.get()) != FILE_TYPE_DISK) {
    state->file = std::move(existing);
    state->direct = true;
    state_ = std::move(state);
    return true;
  } else {
    state->target = FinalPathOf(existing.get());
    state->exists = true;
    existing.Close();
    if (state->target.empty()) return false;
  }

  const std::string directory = DirectoryOf(state->target);
  if (state->target.size() == directory.size()) return false;
  char temporary[MAX_PATH];
  if (::GetTempFileNameA(directory.c_str(), "trn", 0, temporary) == 0) {
    return false;
  }
  state->file = FileHandle(::CreateFileA(temporary, GENERIC_WRITE, 0, nullptr,
                                         TRUNCATE_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!state->file.valid()) {
    ::DeleteFileA(temporary);
    return false;
  }
  state->temporary = temporary;
  state_ = std::move(state);
  return true;
}

void FileWriter::Write(const char* data, std::uint64_t length) {
  State& state = *state_;
  state.offered += length;
  if (state.failed) return;
  const std::uint64_t done = WriteFully(state.file.get(), data, length);
  state.written += done;
  if (done != length) state.failed = true;
}

WriteOutcome FileWriter::Commit() {
  State& state = *state_;
  WriteOutcome outcome;
  outcome.written = state.written;
  const bool complete = !state.failed && state.written == state.offered;
  if (state.direct) {
    if (!state.file.Close() || !complete) {
      outcome.status = WriteOutcome::kWriteFailed;
    }
    return outcome;
  }
  // Only bytes that reached the disk count as written.
  const bool flushed = complete && ::FlushFileBuffers(state.file.get()) != 0;
  const bool durable = state.file.Close() && flushed;
  const std::string temporary = std::move(state.temporary);
  state.temporary.clear();
  const bool placed =
      durable &&
      ((state.exists && ::ReplaceFileA(state.target.c_str(), temporary.c_str(),
                                       nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                       nullptr, nullptr) != 0) ||
       ::MoveFileExA(temporary.c_str(), state.target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0);
  if (!placed) {
    if (complete) outcome.written = 0;
    ::DeleteFileA(temporary.c_str());
    outcome.status = WriteOutcome::kWriteFailed;
  }
  return outcome;
}

}  // namespace tarnel
