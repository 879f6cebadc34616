#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>

#include "platform/clipboard_holder_launcher.h"
#include "platform/clipboard_holder_protocol.h"
#include "platform/file_descriptor.h"

namespace tarnel {

namespace {

using Clock = std::chrono::steady_clock;

// Longest wait for the holder to make progress: reading its text, or taking
// the clipboard once it has the text.
constexpr std::chrono::seconds kProgressTimeout{5};

// False when |fd| did not become ready for |events| within kProgressTimeout.
bool WaitFor(int fd, short events) {
  const Clock::time_point deadline = Clock::now() + kProgressTimeout;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd entry{fd, events, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
}

// How one exchange with the holder ended.
enum class Step { kDone, kFailed, kLate };

Step Send(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    // MSG_NOSIGNAL: a holder that died early must not take us with it.
    const ssize_t sent =
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    } else if (sent < 0 && errno == EINTR) {
      continue;
    } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!WaitFor(fd, POLLOUT)) return Step::kLate;
    } else {
      return Step::kFailed;
    }
  }
  return Step::kDone;
}

// Sends the message that carries |text|, then ends the channel.
Step SendMessage(int fd, std::string_view text) {
  Step step = Send(fd, HolderMessageHeader(text.size()));
  if (step == Step::kDone) step = Send(fd, text);
  if (step != Step::kDone) return step;
  return ::shutdown(fd, SHUT_WR) == 0 ? Step::kDone : Step::kFailed;
}

// kDone once the holder reports that it owns the clipboard.
Step ReceiveReport(int fd) {
  const std::string_view expected = kHolderOwnedReport;
  std::string received;
  while (received.size() < expected.size()) {
    if (!WaitFor(fd, POLLIN)) return Step::kLate;
    char chunk[64];
    const ssize_t got = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
    if (got > 0) {
      received.append(chunk, static_cast<std::size_t>(got));
    } else if (got == 0) {
      return Step::kFailed;  // gone without taking the clipboard
    } else if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
      return Step::kFailed;
    }
  }
  return received == expected ? Step::kDone : Step::kFailed;
}

// Runs the holder as a grandchild in a new session, so that it outlives us,
// is not hung up with our terminal, and is reaped by init when it exits. The
// middle child is reaped here at once, so no zombie of ours is left either.
// Returns the holder's pid, or 0.
pid_t SpawnDetached(const std::string& path, int channel) {
  // Everything the children need is prepared now: after fork only
  // async-signal-safe calls are allowed, since this process has threads.
  char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
  rlimit files{};
  const int highest_fd = ::getrlimit(RLIMIT_NOFILE, &files) == 0 &&
                                 files.rlim_cur != RLIM_INFINITY &&
                                 files.rlim_cur < 65536
                             ? static_cast<int>(files.rlim_cur)
                             : 65536;
  int pid_pipe[2];
  if (::pipe2(pid_pipe, O_CLOEXEC) != 0) return 0;
  FileDescriptor pid_reader(pid_pipe[0]);
  FileDescriptor pid_writer(pid_pipe[1]);

  const pid_t middle = ::fork();
  if (middle < 0) return 0;
  if (middle == 0) {
    ::setsid();
    const pid_t holder = ::fork();
    if (holder == 0) {
      sigset_t none;
      sigemptyset(&none);
      ::sigprocmask(SIG_SETMASK, &none, nullptr);
      ::dup2(channel, STDIN_FILENO);
      ::dup2(channel, STDOUT_FILENO);
      // Nothing the holder says may land in the terminal of a program that
      // has long finished.
      const int null_fd = ::open("/dev/null", O_WRONLY);
      if (null_fd >= 0) ::dup2(null_fd, STDERR_FILENO);
      // Keep no directory busy and no descriptor of ours open.
      if (::chdir("/") != 0) ::_exit(127);
      if (::close_range(3, ~0U, 0) != 0) {
        for (int fd = 3; fd < highest_fd; ++fd) ::close(fd);
      }
      ::execv(argv[0], argv);
      ::_exit(127);
    }
    const ssize_t written = ::write(pid_writer.get(), &holder, sizeof holder);
    ::_exit(holder > 0 && written == sizeof holder ? 0 : 1);
  }

  pid_writer.Close();
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  pid_t holder = 0;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      ::read(pid_reader.get(), &holder, sizeof holder) != sizeof holder) {
    return 0;
  }
  return holder;
}

}  // namespace

long StartClipboardHolder(const std::string& holder_path,
                          std::string_view utf8_text) {
  if (utf8_text.size() > kHolderTextLimit) return 0;
  if (::access(holder_path.c_str(), X_OK) != 0) return 0;
  int channel[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, channel) != 0) {
    return 0;
  }
  FileDescriptor ours(channel[0]);
  FileDescriptor theirs(channel[1]);
  const pid_t holder = SpawnDetached(holder_path, theirs.get());
  theirs.Close();
  if (holder <= 0) return 0;

  Step step = SendMessage(ours.get(), utf8_text);
  if (step == Step::kDone) step = ReceiveReport(ours.get());
  if (step == Step::kDone) return holder;
  // A holder that went quiet may still take the clipboard later and would
  // then hold text we reported as not delivered.
  if (step == Step::kLate) ::kill(holder, SIGKILL);
  return 0;
}

std::optional<std::string> ReadHolderText(const char* program) {
  HolderMessage message = ReadHolderMessage(STDIN_FILENO, kHolderReadTimeout);
  if (message.status != HolderMessageStatus::kComplete) {
    std::fprintf(stderr, "%s: message refused: %s\n", program,
                 HolderMessageStatusText(message.status));
    return std::nullopt;
  }
  return std::move(message.text);
}

bool ReportHolderOwnership() {
  std::string_view report = kHolderOwnedReport;
  while (!report.empty()) {
    const ssize_t put = ::write(STDOUT_FILENO, report.data(), report.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    report.remove_prefix(static_cast<std::size_t>(put));
  }
  const int null_fd = ::open("/dev/null", O_RDWR);
  if (null_fd < 0) return false;
  ::dup2(null_fd, STDIN_FILENO);
  ::dup2(null_fd, STDOUT_FILENO);
  if (null_fd > STDERR_FILENO) ::close(null_fd);
  return true;
}

}  // namespace tarnel
