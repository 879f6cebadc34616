#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "transfer/file_io.h"

namespace tarnel {

namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
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

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
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
  outcome.text = ZeroedBuffer::Allocate(bytes.size() + 1,
                                        AllocationSite::kReadBuffer);
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

WriteOutcome WriteDirectly(HANDLE device, const char* data,
                           std::uint64_t length) {
  WriteOutcome outcome;
  outcome.written = WriteFully(device, data, length);
  if (outcome.written != length) outcome.status = WriteOutcome::kWriteFailed;
  return outcome;
}

// Writes a new file in |directory|, flushed to disk, and puts it in place of
// |target|: ReplaceFileA keeps an old file's attributes and security, and a
// plain rename takes over where it is refused (a new target, some network
// shares). On failure the target is untouched and the new file is deleted.
WriteOutcome WriteReplacing(const std::string& target, bool exists,
                            const char* data, std::uint64_t length) {
  WriteOutcome outcome;
  const std::string directory = DirectoryOf(target);
  if (target.size() == directory.size()) {
    outcome.status = WriteOutcome::kOpenFailed;
    return outcome;
  }
  char temporary[MAX_PATH];
  if (::GetTempFileNameA(directory.c_str(), "trn", 0, temporary) == 0) {
    outcome.status = WriteOutcome::kOpenFailed;
    return outcome;
  }
  FileHandle file(::CreateFileA(temporary, GENERIC_WRITE, 0, nullptr,
                                TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
  if (!file.valid()) {
    ::DeleteFileA(temporary);
    outcome.status = WriteOutcome::kOpenFailed;
    return outcome;
  }

  outcome.written = WriteFully(file.get(), data, length);
  const bool complete = outcome.written == length;
  // Only bytes that reached the disk count as written.
  const bool flushed = complete && ::FlushFileBuffers(file.get()) != 0;
  const bool durable = file.Close() && flushed;
  const bool placed =
      durable &&
      ((exists && ::ReplaceFileA(target.c_str(), temporary, nullptr,
                                 REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                                 nullptr) != 0) ||
       ::MoveFileExA(temporary, target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0);
  if (!placed) {
    if (complete) outcome.written = 0;
    ::DeleteFileA(temporary);
    outcome.status = WriteOutcome::kWriteFailed;
  }
  return outcome;
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
  outcome.text = ZeroedBuffer::Allocate(
      static_cast<std::size_t>(outcome.expected) + 1,
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

WriteOutcome WriteWholeFile(const char* path, const char* data,
                            std::uint64_t length) {
  WriteOutcome outcome;
  const DWORD attributes = *path ? ::GetFileAttributesA(path)
                                 : INVALID_FILE_ATTRIBUTES;
  if (*path == '\0' || (attributes != INVALID_FILE_ATTRIBUTES &&
                        (attributes & FILE_ATTRIBUTE_DIRECTORY))) {
    outcome.status = WriteOutcome::kOpenFailed;
    return outcome;
  }

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
      outcome.status = WriteOutcome::kOpenFailed;
      return outcome;
    }
    return WriteReplacing(path, false, data, length);
  }
  if (::GetFileType(existing.get()) != FILE_TYPE_DISK) {
    outcome = WriteDirectly(existing.get(), data, length);
    if (!existing.Close()) outcome.status = WriteOutcome::kWriteFailed;
    return outcome;
  }
  const std::string target = FinalPathOf(existing.get());
  existing.Close();
  if (target.empty()) {
    outcome.status = WriteOutcome::kOpenFailed;
    return outcome;
  }
  return WriteReplacing(target, true, data, length);
}

}  // namespace tarnel
