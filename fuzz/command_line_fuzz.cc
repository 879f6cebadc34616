// The command line, without the window or Qt: the window's logic over
// controls in memory. Either the bytes, cut at NULs, are an argument list,
// or they are a whole Windows command line for the splitter. The settings
// ParseCommandLine leaves (which boxes are checked, the key position's
// text, the paths, AutoRun and Quiet), the batch run it asks for and the
// splitter's arguments must be what a small model written here gives.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sort_parameters.h"
#include "fuzz/fuzz_support.h"
#include "platform/testing/recording_message_boxes.h"
#include "ui/headless/memory_controls.h"
#include "ui/logic/command_line_split.h"
#include "ui/logic/main_form_logic.h"
#include "ui/logic/program_arguments.h"

namespace tarnel {
namespace {

// --- The splitter, from its contract.

bool Separates(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 1 && byte <= 32;
}

std::vector<std::string> ModelSplit(std::string_view line) {
  line = line.substr(0, line.find('\0'));
  std::size_t p = 0;
  std::vector<std::string> arguments;
  for (bool program = true;; program = false) {
    // Between arguments: separators, and pairs of quotes.
    while (p < line.size()) {
      if (Separates(line[p])) {
        ++p;
      } else if (line.substr(p, 2) == "\"\"") {
        p += 2;
      } else {
        break;
      }
    }
    std::string argument;
    bool quoted = false;
    while (p < line.size()) {
      const char c = line[p];
      if (quoted) {
        ++p;
        if (c == '"') {
          quoted = false;
        } else if (argument.size() < kArgumentBufferSize) {
          argument += c;
        }
        continue;
      }
      if (Separates(c) || argument.size() >= kArgumentBufferSize) break;
      ++p;
      if (c == '"') {
        quoted = true;
      } else {
        argument += c;
      }
    }
    if (program) continue;
    if (argument.empty()) return arguments;
    arguments.push_back(argument);
  }
}

// --- ParseCommandLine, from the options' table.

struct Settings {
  bool descending = false;
  bool ignore_case = false;
  bool unique = false;
  std::optional<std::string> input;
  std::optional<std::string> output;
  std::string key_text = kInitialKeyPosition;
  bool numeric = false;
  bool field = false;
  bool auto_run = false;
  bool quiet = false;
};

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

Settings ModelSettings(const std::vector<std::string>& arguments) {
  Settings s;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string option = Upper(arguments[i]);
    if (option == "-A") {
      s.auto_run = true;
    } else if (option == "-A+") {
      s.auto_run = s.quiet = true;
    } else if (option == "-R") {
      s.descending = true;
    } else if (option == "-I") {
      s.ignore_case = true;
    } else if (option == "-U") {
      s.unique = true;
    } else if (option == "-F" || option == "-O") {
      // With nothing after it the option is dropped.
      if (i + 1 < arguments.size()) {
        (option == "-F" ? s.input : s.output) = arguments[++i];
      }
    } else if (option.size() >= 2 && option[0] == '-' && option[1] >= '1' &&
               option[1] <= '9') {
      std::size_t end = 1;
      while (end < option.size() && IsDigit(option[end])) ++end;
      s.key_text = option.substr(1, std::min<std::size_t>(end - 1, 127));
      std::string_view tail = std::string_view(option).substr(end);
      if (tail.starts_with('N')) {
        s.numeric = true;
        tail.remove_prefix(1);
      }
      if (tail.starts_with('F')) s.field = true;
    } else {
      s.input = arguments[i];
    }
  }
  return s;
}

// The key position a run takes from the key text: the number, or 1 when it
// is beyond 32 bits, less one.
std::int32_t ModelKeyPosition(const std::string& digits) {
  std::int64_t value = 0;
  for (const char c : digits) {
    value = value * 10 + (c - '0');
    if (value > INT32_MAX) return 0;
  }
  return static_cast<std::int32_t>(value - 1);
}

std::string Quoted(const std::vector<std::string>& arguments) {
  std::string text;
  for (const std::string& argument : arguments) text += "[" + argument + "] ";
  return text;
}

// Runs the logic on |arguments| as the window does at its creation and
// holds it to the model.
void CheckParsed(const std::vector<std::string>& arguments) {
  MemoryMainFormControls c;
  MemoryForm form;
  MemoryApplication application;
  RecordingMessageBoxes boxes;
  std::vector<SortRequest> runs;
  std::vector<std::optional<std::string>> paths;
  MainFormLogic logic(
      c.controls, form, application, arguments,
      [&](const SortRequest& request) {
        runs.push_back(request);
        paths.push_back(request.input_name
                            ? std::optional<std::string>(request.input_name)
                            : std::nullopt);
        paths.push_back(request.output_name
                            ? std::optional<std::string>(request.output_name)
                            : std::nullopt);
        return 0;
      });
  logic.Connect();
  logic.FormCreate();

  const Settings s = ModelSettings(arguments);
  const std::string where = Quoted(arguments);
  FUZZ_CHECK(c.Sort_F_RadioButton.IsChecked() == !s.descending &&
                 c.Sort_R_RadioButton.IsChecked() == s.descending,
             where);
  FUZZ_CHECK(c.NotCaseSensitiveCheckBox.IsChecked() == s.ignore_case, where);
  FUZZ_CHECK(c.UniqCheckBox.IsChecked() == s.unique, where);
  FUZZ_CHECK(c.ClipBoardCheckBox1.IsChecked() == !s.input &&
                 c.FileOpenCheckBox.IsChecked() == s.input.has_value() &&
                 c.FileOpenPanel.visible == s.input.has_value() &&
                 c.FileOpenEdit.Text() == s.input.value_or(""),
             where + "input [" + c.FileOpenEdit.Text() + "]");
  FUZZ_CHECK(c.ClipBoardCheckBox2.IsChecked() == !s.output &&
                 c.FileSaveCheckBox.IsChecked() == s.output.has_value() &&
                 c.FileSavePanel.visible == s.output.has_value() &&
                 c.FileSaveEdit.Text() == s.output.value_or(""),
             where + "output [" + c.FileSaveEdit.Text() + "]");
  FUZZ_CHECK(c.SortPosEdit.Text() == s.key_text,
             where + "key [" + c.SortPosEdit.Text() + "]");
  FUZZ_CHECK(c.ColumCheckBox.IsChecked() == !s.field &&
                 c.FieldCheckBox.IsChecked() == s.field,
             where);
  FUZZ_CHECK(c.StringCompCheckBox.IsChecked() == !s.numeric &&
                 c.NumCompCheckBox.IsChecked() == s.numeric,
             where);
  FUZZ_CHECK(logic.AutoRun == s.auto_run && logic.Quiet == s.quiet, where);

  // The batch run: refused with a box for an empty path, else asked for
  // once with exactly these settings.
  if (!s.auto_run) {
    FUZZ_CHECK(
        runs.empty() && boxes.boxes.empty() && application.terminations == 0,
        where);
    return;
  }
  FUZZ_CHECK(application.terminations == 1 && !application.show_main_form,
             where);
  const bool no_input = s.input && s.input->empty();
  const bool no_output = !no_input && s.output && s.output->empty();
  if (no_input || no_output) {
    const std::string text = no_input ? "読み込み元ファイルが未指定です"
                                      : "書き出し先ファイルが未指定です";
    FUZZ_CHECK(runs.empty() && boxes.Texts() == std::vector<std::string>{text},
               where);
    return;
  }
  FUZZ_CHECK(runs.size() == 1 && boxes.boxes.empty(), where);
  const SortRequest& run = runs.front();
  const std::int32_t mode = (s.descending ? kSortDescending : 0) |
                            (s.ignore_case ? kSortIgnoreCase : 0) |
                            (s.unique ? kSortUnique : 0);
  const std::int32_t kind =
      (s.field ? kKeyField : kKeyColumn) | (s.numeric ? kKeyNumeric : 0);
  FUZZ_CHECK(run.owner_window == application.Handle() &&
                 run.sort_mode == mode && run.key_kind == kind &&
                 run.key_pos == ModelKeyPosition(s.key_text) &&
                 run.quiet == (s.quiet ? 1 : 0) && paths[0] == s.input &&
                 paths[1] == s.output,
             where + "mode " + std::to_string(run.sort_mode) + " kind " +
                 std::to_string(run.key_kind) + " position " +
                 std::to_string(run.key_pos));
}

}  // namespace
}  // namespace tarnel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace tarnel;
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1,
                               size - 1);
  std::vector<std::string> arguments;
  if (data[0] & 1) {
    const std::vector<std::string> split = SplitCommandLine(bytes);
    arguments = ModelSplit(bytes);
    FUZZ_CHECK(split == arguments,
               "split " + Quoted(split) + "\nmodel " + Quoted(arguments));
  } else {
    // A list as the shell hands it over; an empty argument ends it for
    // the program, but the logic takes any list.
    std::string_view rest = bytes;
    for (;;) {
      const std::size_t end = rest.find('\0');
      arguments.emplace_back(rest.substr(0, end));
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
    }
    std::vector<char*> argv{const_cast<char*>("tarnel")};
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<std::string> until_empty;
    for (const std::string& argument : arguments) {
      if (argument.empty()) break;
      until_empty.push_back(argument);
    }
    FUZZ_CHECK(ProgramArguments(static_cast<int>(argv.size() - 1),
                                argv.data()) == until_empty,
               Quoted(arguments));
  }
  CheckParsed(arguments);
  return 0;
}
