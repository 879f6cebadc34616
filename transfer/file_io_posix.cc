#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#include <random>
#include <string>
#include <utility>

#include "platform/file_descriptor.h"
#include "platform/helper_thread.h"
#include "transfer/file_io.h"

namespace tarnel {

namespace {

// The temporary file a writer fills, removed if the user interrupts the
// program (Ctrl+C, SIGTERM, a closed terminal) before it is put in place:
// the target keeps its old contents, and no half-written copy stays
// beside it. Nothing can clean up after SIGKILL.
constexpr std::array<int, 3> kInterruptions = {SIGINT, SIGHUP, SIGTERM};
char interrupted_temporary[PATH_MAX];
volatile sig_atomic_t temporary_armed = 0;
std::array<struct sigaction, kInterruptions.size()> previous_actions;

extern "C" void RemoveTemporaryAndExit(int signal_number) {
  if (temporary_armed) ::unlink(interrupted_temporary);
  ::_exit(128 + signal_number);
}

// Sets the handlers up, to remove the file that NoteTemporary names; a
// signal the program was started to ignore (nohup) stays ignored.
void ArmInterruptCleanup() {
  temporary_armed = 0;
  struct sigaction action {};
  action.sa_handler = RemoveTemporaryAndExit;
  sigfillset(&action.sa_mask);
  for (std::size_t i = 0; i < kInterruptions.size(); ++i) {
    ::sigaction(kInterruptions[i], nullptr, &previous_actions[i]);
    if (previous_actions[i].sa_handler != SIG_IGN) {
      ::sigaction(kInterruptions[i], &action, nullptr);
    }
  }
}

// The file an interruption removes from now on; none when |temporary| is
// too long to keep.
void NoteTemporary(const std::string& temporary) {
  if (temporary.size() >= sizeof interrupted_temporary) return;
  std::memcpy(interrupted_temporary, temporary.c_str(), temporary.size() + 1);
  temporary_armed = 1;
}

// Creates a new file named |prefix| and six random letters or digits, as
// mkostemp does, and names it to the handlers before it exists. |path|
// receives its name; -1 when none could be made.
FileDescriptor CreateTemporary(const std::string& prefix, std::string& path) {
  static constexpr char kLetters[] =
      "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  std::random_device seed;
  std::mt19937_64 random((std::uint64_t{seed()} << 32) ^ seed() ^
                         static_cast<std::uint64_t>(::getpid()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = prefix;
    for (int i = 0; i < 6; ++i) path += kLetters[random() % 62];
    NoteTemporary(path);
    FileDescriptor fd(
        ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (fd.get() >= 0) return fd;
    temporary_armed = 0;
    if (errno != EEXIST) break;
  }
  path.clear();
  return FileDescriptor();
}

void DisarmInterruptCleanup() {
  for (std::size_t i = 0; i < kInterruptions.size(); ++i) {
    ::sigaction(kInterruptions[i], &previous_actions[i], nullptr);
  }
  temporary_armed = 0;
}

// Reads up to |length| bytes from |offset| on, retrying after interruptions
// and partial reads. Returns the count read; stops early at the end of the
// file or an error.
std::uint64_t ReadFullyAt(int fd, char* data, std::uint64_t length,
                          std::uint64_t offset) {
  std::uint64_t done = 0;
  while (done < length) {
    const std::size_t chunk = static_cast<std::size_t>(
        std::min<std::uint64_t>(length - done, 1u << 30));
    const ssize_t n =
        ::pread(fd, data + done, chunk, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::uint64_t>(n);
  }
  return done;
}

// From this size on a file is mapped instead of read.
constexpr std::uint64_t kMappedFile = std::uint64_t{1} << 20;

// Below this a file is read on one thread.
constexpr std::uint64_t kParallelRead = std::uint64_t{16} << 20;

// Reads |length| bytes from the start of the file. The buffer's fresh pages
// are zeroed by the system as the read first touches them, which for a big
// file costs as much as the copy: two threads share both by reading a half
// each.
std::uint64_t ReadWhole(int fd, char* data, std::uint64_t length) {
  if (length < kParallelRead || HardwareThreads() < 2) {
    return ReadFullyAt(fd, data, length, 0);
  }
  const std::uint64_t half = length / 2;
  std::uint64_t upper = 0;
  HelperThread helper(
      [&] { upper = ReadFullyAt(fd, data + half, length - half, half); });
  const std::uint64_t lower = ReadFullyAt(fd, data, half, 0);
  helper.Join();
  // A file that shrank meanwhile ends within the lower half.
  return lower < half ? lower : lower + upper;
}

// Writes in pieces and, where the system allows, starts each piece on its way
// to the disk at once, so that the final flush has little left to wait for.
// |offset| is where in the file the bytes land.
std::uint64_t WriteFully(int fd, const char* data, std::uint64_t length,
                         std::uint64_t offset) {
  constexpr std::uint64_t kPiece = std::uint64_t{8} << 20;
  std::uint64_t done = 0;
  while (done < length) {
    const std::size_t chunk = static_cast<std::size_t>(
        std::min<std::uint64_t>(length - done, kPiece));
    const ssize_t n = ::write(fd, data + done, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
#ifdef SYNC_FILE_RANGE_WRITE
    ::sync_file_range(fd, static_cast<off_t>(offset + done), n,
                      SYNC_FILE_RANGE_WRITE);
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
    // A stream has no size to allocate for at once: memory runs out here,
    // and must end in the same box as a file too large for memory.
    try {
      bytes.append(chunk, static_cast<std::size_t>(n));
    } catch (const std::bad_alloc&) {
      outcome.status = ReadOutcome::kNoMemory;
      return outcome;
    }
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

}  // namespace

ReadOutcome ReadWholeFile(const char* path, TextUse use) {
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
  // A big file is mapped rather than read: its pages are used where they
  // lie, and no fresh memory has to be zeroed for a copy of them.
  if (use == TextUse::kInPlace && outcome.expected >= kMappedFile &&
      outcome.expected < SIZE_MAX) {
    outcome.text = ZeroedBuffer::MapFile(
        fd.get(), static_cast<std::size_t>(outcome.expected),
        AllocationSite::kReadBuffer);
    if (outcome.text.valid()) {
      // A file cut short since its size was taken is a short read, as
      // reading it would have been. One cut short later, while the run
      // uses its pages, is caught before the result is delivered.
      outcome.read = outcome.text.IntactFileBytes();
      if (outcome.read == outcome.expected) return outcome;
      outcome.status = ReadOutcome::kShortRead;
      outcome.text.Reset();
      return outcome;
    }
  }
  outcome.text =
      ZeroedBuffer::Allocate(static_cast<std::size_t>(outcome.expected) + 1,
                             AllocationSite::kReadBuffer);
  if (!outcome.text.valid()) {
    outcome.status = ReadOutcome::kNoMemory;
    return outcome;
  }
  outcome.read = ReadWhole(fd.get(), outcome.text.data(), outcome.expected);
  if (outcome.read != outcome.expected) {
    outcome.status = ReadOutcome::kShortRead;
    outcome.text.Reset();
  }
  return outcome;
}

struct FileWriter::State {
  FileDescriptor fd;
  bool direct = false;    ///< a device or pipe, written in place
  std::string target;     ///< the file that receives the text
  std::string temporary;  ///< the file written first; empty when direct
  std::string directory;
  mode_t mode = 0;
  bool armed = false;  ///< an interruption removes |temporary|
};

FileWriter::FileWriter() = default;

FileWriter::~FileWriter() {
  if (state_ && !state_->temporary.empty()) {
    state_->fd.Close();
    ::unlink(state_->temporary.c_str());
  }
  if (state_ && state_->armed) DisarmInterruptCleanup();
}

bool FileWriter::Open(const char* path) {
  if (state_ && state_->armed) DisarmInterruptCleanup();
  state_.reset();
  progress_ = Progress();
  if (*path == '\0') return false;
  auto state = std::make_unique<State>();
  // Asked of the path as given, so that the system follows the links: one
  // into /proc/self/fd (/dev/stdout, /dev/fd/N) ends in a pipe or terminal
  // whose link text ("pipe:[N]") is no path, and only the path as given
  // opens it.
  struct stat info;
  const bool exists = ::stat(path, &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) return false;
  if (exists && !S_ISREG(info.st_mode)) {
    state->fd = FileDescriptor(
        ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (state->fd.get() < 0) return false;
    state->direct = true;
    state_ = std::move(state);
    return true;
  }
  state->target = ResolveLinks(path);

  state->directory = DirectoryOf(state->target);
  const std::string name = state->target.substr(state->target.rfind('/') + 1);
  struct stat directory_info;
  if (name.empty() || ::stat(state->directory.c_str(), &directory_info) != 0 ||
      !S_ISDIR(directory_info.st_mode)) {
    return false;
  }
  // The handlers are set up, and told the name, before the file exists, so
  // that no signal falls between its creation and them. Only one writer at
  // a time keeps a temporary file.
  ArmInterruptCleanup();
  state->armed = true;
  std::string temporary;
  state->fd =
      CreateTemporary(state->directory + "/." + name + ".tarnel-", temporary);
  if (state->fd.get() < 0) {
    DisarmInterruptCleanup();
    return false;
  }
  state->temporary = std::move(temporary);
  if (exists) {
    state->mode = info.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    state->mode = 0666 & ~mask;
  }
  state_ = std::move(state);
  return true;
}

std::uint64_t FileWriter::WritePiece(const char* data, std::uint64_t length,
                                     std::uint64_t offset) {
  return WriteFully(state_->fd.get(), data, length, offset);
}

WriteOutcome FileWriter::Commit() {
  State& state = *state_;
  WriteOutcome outcome;
  outcome.written = progress_.written;
  const bool complete =
      !progress_.failed && progress_.written == progress_.offered;
  if (state.direct) {
    if (!state.fd.Close() || !complete) {
      outcome.status = WriteOutcome::kWriteFailed;
    }
    return outcome;
  }
  // Only bytes that reached the disk count as written.
  const bool durable = complete && ::fchmod(state.fd.get(), state.mode) == 0 &&
                       ::fsync(state.fd.get()) == 0 && state.fd.Close();
  const std::string temporary = std::move(state.temporary);
  state.temporary.clear();
  if (!durable || ::rename(temporary.c_str(), state.target.c_str()) != 0) {
    if (complete) outcome.written = 0;
    state.fd.Close();
    ::unlink(temporary.c_str());
    outcome.status = WriteOutcome::kWriteFailed;
    return outcome;
  }
  if (state.armed) {
    DisarmInterruptCleanup();
    state.armed = false;
  }
  FileDescriptor folder(::open(state.directory.c_str(), O_RDONLY | O_CLOEXEC));
  if (folder.get() >= 0) ::fsync(folder.get());
  return outcome;
}

}  // namespace tarnel
