#include "tests/platform/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace tarnel {

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

// Forks and execs |argv| with the given descriptors as 0, 1 and 2. Only
// async-signal-safe calls after fork: the test process has Qt's threads.
pid_t Spawn(std::vector<std::string> argv, std::vector<std::string> env, int in,
            int out, int err) {
  std::vector<char*> args = Pointers(argv);
  std::vector<char*> envp = Pointers(env);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(in, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    ::execvpe(args[0], args.data(), envp.data());
    ::_exit(127);
  }
  return pid;
}

void Kill(pid_t pid) {
  ::kill(pid, SIGKILL);
  int status;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& argv,
                     std::string_view input, std::chrono::milliseconds timeout,
                     const EnvChanges& env) {
  ChildResult result;
  int in[2], out[2], err[2];
  if (::pipe2(in, O_CLOEXEC) != 0) return result;
  if (::pipe2(out, O_CLOEXEC) != 0) return result;
  if (::pipe2(err, O_CLOEXEC) != 0) return result;
  const pid_t pid = Spawn(argv, MergedEnvironment(env), in[0], out[1], err[1]);
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  if (pid < 0) {
    ::close(in[1]);
    ::close(out[0]);
    ::close(err[0]);
    return result;
  }

  const Clock::time_point deadline = Clock::now() + timeout;
  int to_child = in[1];
  if (input.empty()) {
    ::close(to_child);
    to_child = -1;
  }
  int from_child[2] = {out[0], err[0]};
  std::string* sinks[2] = {&result.out, &result.err};
  ::signal(SIGPIPE, SIG_IGN);
  while (to_child >= 0 || from_child[0] >= 0 || from_child[1] >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - Clock::now());
    if (left.count() <= 0) break;
    pollfd fds[3] = {{to_child, POLLOUT, 0},
                     {from_child[0], POLLIN, 0},
                     {from_child[1], POLLIN, 0}};
    if (::poll(fds, 3, static_cast<int>(left.count())) < 0 && errno != EINTR) {
      break;
    }
    if (to_child >= 0 && fds[0].revents) {
      const ssize_t put = ::write(to_child, input.data(), input.size());
      if (put > 0) input.remove_prefix(static_cast<std::size_t>(put));
      if (put < 0 || input.empty()) {
        ::close(to_child);
        to_child = -1;
      }
    }
    for (int i = 0; i < 2; ++i) {
      if (from_child[i] < 0 || !fds[i + 1].revents) continue;
      char chunk[65536];
      const ssize_t got = ::read(from_child[i], chunk, sizeof chunk);
      if (got > 0) {
        sinks[i]->append(chunk, static_cast<std::size_t>(got));
      } else {
        ::close(from_child[i]);
        from_child[i] = -1;
      }
    }
  }
  for (int fd : {to_child, from_child[0], from_child[1]}) {
    if (fd >= 0) ::close(fd);
  }

  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - Clock::now());
  const std::optional<int> status =
      WaitForExit(pid, std::max(left, std::chrono::milliseconds(0)));
  if (!status) {
    Kill(pid);
    return result;
  }
  result.finished = true;
  if (WIFEXITED(*status)) result.exit_code = WEXITSTATUS(*status);
  return result;
}

BackgroundChild::BackgroundChild(const std::vector<std::string>& argv,
                                 std::string_view input) {
  int in[2];
  if (::pipe2(in, O_CLOEXEC) != 0) return;
  const int null_fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  pid_ = Spawn(argv, MergedEnvironment({}), in[0], null_fd, null_fd);
  ::close(in[0]);
  ::close(null_fd);
  ::signal(SIGPIPE, SIG_IGN);
  while (pid_ > 0 && !input.empty()) {
    const ssize_t put = ::write(in[1], input.data(), input.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    input.remove_prefix(static_cast<std::size_t>(put));
  }
  ::close(in[1]);
}

std::optional<int> BackgroundChild::Wait(std::chrono::milliseconds timeout) {
  if (pid_ <= 0) return -1;
  const std::optional<int> status = WaitForExit(pid_, timeout);
  if (status) pid_ = -1;
  return status;
}

BackgroundChild::~BackgroundChild() {
  if (pid_ > 0) Kill(pid_);
}

std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) return status;
    if (done < 0 && errno != EINTR) return -1;
    if (Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
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

}  // namespace tarnel
