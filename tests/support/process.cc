#include "tests/support/process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

extern char** environ;

namespace tarnel {
namespace testing_support {

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> MergedEnvironment(const EnvChanges& changes) {
  std::map<std::string, std::string> merged;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    const std::size_t equals = text.find('=');
    if (equals != std::string::npos) {
      merged[text.substr(0, equals)] = text.substr(equals + 1);
    }
  }
  for (const auto& [name, value] : changes) {
    if (value) {
      merged[name] = *value;
    } else {
      merged.erase(name);
    }
  }
  std::vector<std::string> result;
  for (const auto& [name, value] : merged) result.push_back(name + "=" + value);
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Forks and execs |argv| in |directory| with the given descriptors as 0, 1
// and 2. Only async-signal-safe calls after fork: test programs may have
// Qt's threads.
pid_t Spawn(std::vector<std::string> argv, const EnvChanges& env,
            const std::string& directory, int in, int out, int err) {
  std::vector<std::string> environment = MergedEnvironment(env);
  std::vector<char*> args = Pointers(argv);
  std::vector<char*> envp = Pointers(environment);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(in, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    if (!directory.empty() && ::chdir(directory.c_str()) != 0) ::_exit(126);
    ::execvpe(args[0], args.data(), envp.data());
    ::_exit(127);
  }
  return pid;
}

int StatusCode(int wait_status) {
  if (WIFEXITED(wait_status)) return WEXITSTATUS(wait_status);
  if (WIFSIGNALED(wait_status)) return 128 + WTERMSIG(wait_status);
  return -1;
}

int PollTimeout(Clock::time_point deadline) {
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now())
          .count();
  return static_cast<int>(std::clamp<decltype(left)>(left, 0, 60'000));
}

void CloseIfOpen(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Reads what |fd| has into |sink| without blocking; closes |fd| at its end.
void ReadAvailable(int& fd, std::string* sink) {
  char chunk[65536];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got > 0) {
      sink->append(chunk, static_cast<std::size_t>(got));
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got == 0 || errno != EAGAIN) CloseIfOpen(fd);
    return;
  }
}

void Kill(pid_t pid) {
  ::kill(pid, SIGKILL);
  int status;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& argv,
                     const ChildSetup& setup,
                     std::chrono::milliseconds timeout) {
  ChildResult result;
  int in[2] = {-1, -1}, out[2], err[2];
  if (setup.input) {
    if (::pipe2(in, O_CLOEXEC) != 0) return result;
  } else {
    in[0] = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  }
  if (::pipe2(out, O_CLOEXEC) != 0) return result;
  if (::pipe2(err, O_CLOEXEC) != 0) return result;
  // Only this side of each pipe must not block: a child whose input is
  // full or whose output is empty waits, as it would on a terminal.
  for (const int fd : {in[1], out[0], err[0]}) {
    if (fd >= 0) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  }
  const pid_t pid =
      Spawn(argv, setup.env, setup.directory, in[0], out[1], err[1]);
  CloseIfOpen(in[0]);
  CloseIfOpen(out[1]);
  CloseIfOpen(err[1]);
  int to_child = in[1];
  int from_child[2] = {out[0], err[0]};
  std::string* sinks[2] = {&result.out, &result.err};
  if (pid < 0) {
    for (int* fd : {&to_child, &from_child[0], &from_child[1]}) {
      CloseIfOpen(*fd);
    }
    return result;
  }
  // Opened before anything can reap the child, so it is this child's.
  int exited = OpenPidfd(pid);

  const Clock::time_point deadline = Clock::now() + timeout;
  std::string_view input = setup.input ? *setup.input : std::string_view();
  if (input.empty()) CloseIfOpen(to_child);
  ::signal(SIGPIPE, SIG_IGN);
  bool ended = false;
  while (!ended && Clock::now() < deadline) {
    pollfd fds[4] = {{to_child, POLLOUT, 0},
                     {from_child[0], POLLIN, 0},
                     {from_child[1], POLLIN, 0},
                     {exited, POLLIN, 0}};
    if (::poll(fds, 4, PollTimeout(deadline)) < 0 && errno != EINTR) break;
    if (to_child >= 0 && fds[0].revents) {
      const ssize_t put = ::write(to_child, input.data(), input.size());
      if (put > 0) input.remove_prefix(static_cast<std::size_t>(put));
      if ((put < 0 && errno != EINTR && errno != EAGAIN) || input.empty()) {
        CloseIfOpen(to_child);
      }
    }
    for (int i = 0; i < 2; ++i) {
      if (from_child[i] >= 0 && fds[i + 1].revents) {
        ReadAvailable(from_child[i], sinks[i]);
      }
    }
    // Without a pidfd the end of the output has to stand for the end.
    ended = exited >= 0 ? fds[3].revents != 0
                        : from_child[0] < 0 && from_child[1] < 0;
  }
  // What the child wrote before it ended is in the pipes still.
  for (int i = 0; i < 2; ++i) {
    if (from_child[i] >= 0) ReadAvailable(from_child[i], sinks[i]);
  }
  for (int* fd : {&to_child, &from_child[0], &from_child[1], &exited}) {
    CloseIfOpen(*fd);
  }

  const std::optional<int> status = WaitForExit(
      pid, ended ? std::chrono::seconds(5) : std::chrono::milliseconds(0));
  if (!status) {
    Kill(pid);
    return result;
  }
  result.finished = true;
  result.status = StatusCode(*status);
  return result;
}

BackgroundChild::BackgroundChild(const std::vector<std::string>& argv,
                                 const ChildSetup& setup) {
  int in[2] = {-1, -1};
  if (setup.input) {
    if (::pipe2(in, O_CLOEXEC) != 0) return;
  } else {
    in[0] = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  }
  int null_fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  pid_ = Spawn(argv, setup.env, setup.directory, in[0], null_fd, null_fd);
  CloseIfOpen(in[0]);
  CloseIfOpen(null_fd);
  if (pid_ > 0) pidfd_ = OpenPidfd(pid_);
  ::signal(SIGPIPE, SIG_IGN);
  std::string_view input = setup.input ? *setup.input : std::string_view();
  while (pid_ > 0 && in[1] >= 0 && !input.empty()) {
    const ssize_t put = ::write(in[1], input.data(), input.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    input.remove_prefix(static_cast<std::size_t>(put));
  }
  CloseIfOpen(in[1]);
}

bool BackgroundChild::Running() {
  return Started() && !status_ && !Wait(std::chrono::milliseconds(0));
}

std::optional<int> BackgroundChild::Wait(std::chrono::milliseconds timeout) {
  if (pid_ <= 0) return -1;
  if (!status_) status_ = WaitForExit(pid_, timeout);
  return status_;
}

BackgroundChild::~BackgroundChild() {
  if (Started() && !status_) {
    ::kill(pid_, SIGTERM);
    if (!Wait(std::chrono::seconds(5))) Kill(pid_);
  }
  CloseIfOpen(pidfd_);
}

std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  // Opened before the first waitpid: until this process reaps it, |pid|
  // cannot name another process.
  int exited = OpenPidfd(pid);
  std::optional<int> result;
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      result = status;
      break;
    }
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) {
      result = -1;
      break;
    }
    if (Clock::now() >= deadline) break;
    // Sleeps until the child ends; without a pidfd, until the deadline.
    pollfd fd = {exited, POLLIN, 0};
    ::poll(&fd, exited >= 0 ? 1 : 0, PollTimeout(deadline));
  }
  CloseIfOpen(exited);
  return result;
}

std::optional<char> ProcessState(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return std::nullopt;
  // "pid (name) S ppid ...": the name may hold anything, even ')'.
  const std::size_t name_end = line.rfind(')');
  if (name_end == std::string::npos || name_end + 2 >= line.size()) {
    return std::nullopt;
  }
  return line[name_end + 2];
}

std::vector<pid_t> ZombieChildren() {
  std::vector<pid_t> zombies;
  const pid_t self = ::getpid();
  std::error_code error;
  for (const auto& entry :
       std::filesystem::directory_iterator("/proc", error)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const std::size_t name_end = line.rfind(')');
    if (name_end == std::string::npos) continue;
    std::istringstream fields(line.substr(name_end + 2));
    char state = 0;
    pid_t parent = 0;
    if (fields >> state >> parent && state == 'Z' && parent == self) {
      zombies.push_back(static_cast<pid_t>(std::stol(name)));
    }
  }
  return zombies;
}

std::string RunInChild(const std::function<std::string()>& body) {
  int fds[2];
  if (::pipe(fds) != 0) {
    ADD_FAILURE() << "pipe failed";
    return {};
  }
  const pid_t child = ::fork();
  if (child < 0) {
    ADD_FAILURE() << "fork failed";
    return {};
  }
  if (child == 0) {
    ::close(fds[0]);
    const std::string report = body();
    std::size_t done = 0;
    while (done < report.size()) {
      const ssize_t n =
          ::write(fds[1], report.data() + done, report.size() - done);
      if (n <= 0) ::_exit(2);
      done += static_cast<std::size_t>(n);
    }
    // _exit: the child must not run the parent's test teardown or leak checks.
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string report;
  char chunk[4096];
  ssize_t n;
  while ((n = ::read(fds[0], chunk, sizeof chunk)) > 0) {
    report.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    ADD_FAILURE() << "child did not end normally, status " << status;
  }
  return report;
}

}  // namespace testing_support
}  // namespace tarnel
