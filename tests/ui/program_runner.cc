#include "program_runner.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace tarnel {

namespace {

std::vector<std::string> ChildEnvironment(const ChildSetup& setup) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry; ++entry) {
    const std::string variable(*entry);
    const std::string name = variable.substr(0, variable.find('='));
    const bool display_variable = name == "DISPLAY" ||
                                  name == "WAYLAND_DISPLAY" ||
                                  name == "QT_QPA_PLATFORM";
    if ((display_variable && !setup.keep_display) || setup.set.count(name)) {
      continue;
    }
    result.push_back(variable);
  }
  for (const auto& [name, value] : setup.set) {
    result.push_back(name + "=" + value);
  }
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

Folder::Folder() {
  std::string pattern = "/tmp/tarnel-program-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

Folder::~Folder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string Folder::Path(const std::string& name) const {
  return path_ + "/" + name;
}

void Folder::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream(Path(name), std::ios::binary) << bytes;
}

std::string Folder::Read(const std::string& name) const {
  std::ifstream in(Path(name), std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), {});
}

Outcome RunIn(const Folder& folder, const std::string& program,
              const std::vector<std::string>& arguments,
              const ChildSetup& setup) {
  std::vector<std::string> argv_texts{program};
  argv_texts.insert(argv_texts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv = Pointers(argv_texts);
  std::vector<std::string> env_texts = ChildEnvironment(setup);
  std::vector<char*> envp = Pointers(env_texts);

  const std::string out_path = folder.Path(".stdout");
  const std::string err_path = folder.Path(".stderr");
  int input_pipe[2] = {-1, -1};
  if (setup.input && pipe(input_pipe) != 0) {
    throw std::runtime_error("pipe failed");
  }

  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    if (setup.input) {
      dup2(input_pipe[0], STDIN_FILENO);
      close(input_pipe[0]);
      close(input_pipe[1]);
    } else {
      dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
    }
    dup2(open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
         STDOUT_FILENO);
    dup2(open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
         STDERR_FILENO);
    if (chdir(folder.path().c_str()) != 0) _exit(126);
    execvpe(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  if (setup.input) {
    close(input_pipe[0]);
    const std::string& bytes = *setup.input;
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n =
          write(input_pipe[1], bytes.data() + done, bytes.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    close(input_pipe[1]);
  }

  int wait_status = 0;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (waitpid(child, &wait_status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &wait_status, 0);
      ADD_FAILURE() << program << " did not end";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Outcome outcome;
  outcome.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status)
                                          : 128 + WTERMSIG(wait_status);
  outcome.out = folder.Read(".stdout");
  outcome.err = folder.Read(".stderr");
  return outcome;
}

}  // namespace tarnel
