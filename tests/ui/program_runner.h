// Running the built program, or any other, as a child process from a test:
// in a fresh folder, with a chosen environment, its output collected.
#ifndef TARNEL_TESTS_UI_PROGRAM_RUNNER_H_
#define TARNEL_TESTS_UI_PROGRAM_RUNNER_H_

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tarnel {

/// A fresh folder under /tmp, removed with everything in it afterwards.
class Folder {
 public:
  Folder();
  ~Folder();
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  std::string Path(const std::string& name) const;
  const std::string& path() const { return path_; }
  void Write(const std::string& name, const std::string& bytes) const;
  /// The file's bytes; "<missing>" when there is no such file.
  std::string Read(const std::string& name) const;

 private:
  std::string path_;
};

struct Outcome {
  int status = -1;  ///< exit status; 128 + signal when killed
  std::string out;
  std::string err;
};

struct ChildSetup {
  /// Standard input through a pipe; the null device when none.
  std::optional<std::string> input;
  /// Variables set on top of the test's own environment.
  std::map<std::string, std::string> set;
  /// Keep DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM from the test's
  /// environment; by default they are removed.
  bool keep_display = false;
};

/// Runs |program| with |arguments| in |folder| and waits for it, a minute
/// at most (then it is killed and the test fails).
Outcome RunIn(const Folder& folder, const std::string& program,
              const std::vector<std::string>& arguments,
              const ChildSetup& setup = {});

}  // namespace tarnel

#endif  // TARNEL_TESTS_UI_PROGRAM_RUNNER_H_
