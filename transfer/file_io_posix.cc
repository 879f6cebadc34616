#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "transfer/file_io.h"

namespace tarnel {

namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  /// Closes now and reports whether the close succeeded.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Reads up to |length| bytes, retrying after interruptions and partial reads.
// Returns the count read; stops early at the end of the file or an error.
std::uint64_t ReadFully(int fd, char* data, std::uint64_t length, bool* error) {
  std::uint64_t done = 0;
  while (done < length) {
    const std::size_t chunk =
        static_cast<std::size_t>(std::min<std::uint64_t>(length - done, 1u << 30));
    const ssize_t n = ::read(fd, data + done, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *error = true;
      break;
    }
    if (n == 0) break;
    done += static_cast<std::uint64_t>(n);
  }
  return done;
}

// Writes in pieces and, where the system allows, starts each piece on its way
// to the disk at once, so that the final flush has little left to wait for.
std::uint64_t WriteFully(int fd, const char* data, std::uint64_t length) {
  constexpr std::uint64_t kPiece = std::uint64_t{8} << 20;
  std::uint64_t done = 0;
  while (done < length) {
    const std::size_t chunk =
        static_cast<std::size_t>(std::min<std::uint64_t>(length - done, kPiece));
    const ssize_t n = ::write(fd, data + done, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
#ifdef SYNC_FILE_RANGE_WRITE
    ::sync_file_range(fd, static_cast<off_t>(done), n, SYNC_FILE_RANGE_WRITE);
#endif
    done += static_cast<std::uint64_t>(n);
  }
  return done;
}

// A pipe or device says nothing useful about its size: read it to its end.
ReadOutcome ReadStream(int fd) {
  ReadOutcome outcome;
  std::string bytes;
  char chunk[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      outcome.status = ReadOutcome::kShortRead;
      outcome.read = bytes.size();
      return outcome;
    }
    if (n == 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
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

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Follows symbolic links to the file they name, which need not exist yet.
std::string ResolveLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
    std::string target(static_cast<std::size_t>(info.st_size) + PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) break;
    target.resize(static_cast<std::size_t>(n));
    path = (target.front() == '/') ? target : DirectoryOf(path) + "/" + target;
  }
  return path;
}

WriteOutcome WriteDirectly(const char* path, const char* data,
                           std::uint64_t length) {
  WriteOutcome outcome;
  FileDescriptor fd(::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (fd.get() < 0) {
    outcome.status = WriteOutcome::kOpenFailed;
    return outcome;
  }
  outcome.written = WriteFully(fd.get(), data, length);
  if (outcome.written != length || !fd.Close()) {
    outcome.status = WriteOutcome::kWriteFailed;
  }
  return outcome;
}

}  // namespace

ReadOutcome ReadWholeFile(const char* path) {
  ReadOutcome outcome;
  FileDescriptor fd(::open(path, O_RDONLY | O_CLOEXEC));
  struct stat info;
  if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || S_ISDIR(info.st_mode)) {
    outcome.status = ReadOutcome::kOpenFailed;
    return outcome;
  }
  // Files under /proc report a size of 0 whatever they hold: a size of 0
  // proves nothing, so such a file is read to its end as well.
  if (!S_ISREG(info.st_mode) || info.st_size == 0) return ReadStream(fd.get());

  outcome.expected = static_cast<std::uint64_t>(info.st_size);
  outcome.text = ZeroedBuffer::Allocate(
      static_cast<std::size_t>(outcome.expected) + 1,
      AllocationSite::kReadBuffer);
  if (!outcome.text.valid()) {
    outcome.status = ReadOutcome::kNoMemory;
    return outcome;
  }
  bool error = false;
  outcome.read =
      ReadFully(fd.get(), outcome.text.data(), outcome.expected, &error);
  if (outcome.read != outcome.expected) {
    outcome.status = ReadOutcome::kShortRead;
    outcome.text.Reset();
  }
  return outcome;
}

WriteOutcome WriteWholeFile(const char* path, const char* data,
                            std::uint64_t length) {
  WriteOutcome outcome;
  if (*path == '\0') {
    outcome.status = WriteOutcome::kOpenFailed;
    return outcome;
  }
  const std::string target = ResolveLinks(path);
  struct stat info;
  const bool exists = ::stat(target.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) {
    outcome.status = WriteOutcome::kOpenFailed;
    return outcome;
  }
  if (exists && !S_ISREG(info.st_mode)) {
    return WriteDirectly(target.c_str(), data, length);
  }

  const std::string directory = DirectoryOf(target);
  const std::string name = target.substr(target.rfind('/') + 1);
  struct stat directory_info;
  if (name.empty() || ::stat(directory.c_str(), &directory_info) != 0 ||
      !S_ISDIR(directory_info.st_mode)) {
    outcome.status = WriteOutcome::kOpenFailed;
    return outcome;
  }

  std::string temporary = directory + "/." + name + ".tarnel-XXXXXX";
  FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (fd.get() < 0) {
    outcome.status = WriteOutcome::kOpenFailed;
    return outcome;
  }
  mode_t mode;
  if (exists) {
    mode = info.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }

  outcome.written = WriteFully(fd.get(), data, length);
  const bool complete = outcome.written == length;
  // Only bytes that reached the disk count as written.
  const bool durable = complete && ::fchmod(fd.get(), mode) == 0 &&
                       ::fsync(fd.get()) == 0 && fd.Close();
  if (!durable || ::rename(temporary.c_str(), target.c_str()) != 0) {
    if (complete) outcome.written = 0;
    ::unlink(temporary.c_str());
    outcome.status = WriteOutcome::kWriteFailed;
    return outcome;
  }
  FileDescriptor folder(::open(directory.c_str(), O_RDONLY | O_CLOEXEC));
  if (folder.get() >= 0) ::fsync(folder.get());
  return outcome;
}

}  // namespace tarnel
