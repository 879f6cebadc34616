// RunSort from file to file on arbitrary bytes (NULs, lone CRs, no final
// line feed, long lines, high bytes) with arbitrary SortMode, KeyKind, KeyPos
// and Quiet, in a temporary folder, every box recorded. A run must end, give
// back all it took and leave no temporary file. The boxes must be exactly
// the ones the program defines for the case; a run that delivers must
// write what the plain procedure gives: the lines cut as documented, sorted
// by the comparator table with the plain steps, repeats dropped, each line
// ended by CR LF.
#include <dirent.h>
#include <fcntl.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "core/result_block.h"
#include "engine/run_sort.h"
#include "engine/sort_parameters.h"
#include "engine/sort_selection.h"
#include "fuzz/fuzz_support.h"
#include "platform/testing/recording_message_boxes.h"

namespace tarnel {
namespace {

int owner_tag = 0;
WindowHandle const kOwner = &owner_tag;

// A folder of our own for the whole session, on a memory file system when
// there is one: every run flushes its output to disk. Removed at exit.
class SessionFolder {
 public:
  SessionFolder() {
    struct stat info;
    const bool shm = ::stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode) &&
                     ::access("/dev/shm", W_OK) == 0;
    path_ = std::string(shm ? "/dev/shm" : "/tmp") + "/tarnel-fuzz-XXXXXX";
    FUZZ_CHECK(::mkdtemp(path_.data()) != nullptr, "no temporary folder");
  }
  ~SessionFolder() {
    for (const char* name : {"/in.txt", "/out.txt"}) {
      ::unlink((path_ + name).c_str());
    }
    ::rmdir(path_.c_str());
  }
  SessionFolder(const SessionFolder&) = delete;
  SessionFolder& operator=(const SessionFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const std::string& Folder() {
  static const SessionFolder folder;
  return folder.path();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  FUZZ_CHECK(out.good(), "cannot write " + path);
}

// The file's bytes, or "<missing>".
std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::set<std::string> Names() {
  std::set<std::string> names;
  DIR* dir = ::opendir(Folder().c_str());
  FUZZ_CHECK(dir != nullptr, "cannot list the folder");
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.insert(name);
  }
  ::closedir(dir);
  return names;
}

// Valid modes most of the time, any 32-bit value sometimes.
std::int32_t SortMode(FuzzedDataProvider& input) {
  if (input.ConsumeIntegralInRange(0, 7) != 0) {
    return input.ConsumeIntegralInRange<std::int32_t>(0, 7);
  }
  return input.ConsumeIntegral<std::int32_t>();
}

// The four kinds that sort and a few that do not, or any value.
std::int32_t KeyKind(FuzzedDataProvider& input) {
  if (input.ConsumeIntegralInRange(0, 7) != 0) {
    return input.PickValueInArray({1, 2, 5, 6, 0, 3, 4, 7, -1});
  }
  return input.ConsumeIntegral<std::int32_t>();
}

// The text, now and then with a long run of one byte put in, so that long
// lines and fields cost no long inputs.
std::string Text(FuzzedDataProvider& input) {
  const bool stretch = input.ConsumeIntegralInRange(0, 15) == 0;
  const std::size_t run =
      stretch ? input.ConsumeIntegralInRange<std::size_t>(0, 1 << 16) : 0;
  const char byte = input.ConsumeIntegral<char>();
  const std::size_t at = input.ConsumeIntegral<std::uint16_t>();
  std::string text = input.ConsumeRemainingBytesAsString();
  if (run > 0) text.insert(std::min(at, text.size()), run, byte);
  return text;
}

// The lines of |text| as documented: it ends at its first NUL; a line feed
// ends a line, and so does the end of the text after at least one byte; a
// carriage return right before a line's end belongs to the end.
std::vector<std::string> ModelLines(std::string text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    const std::size_t next = end == std::string::npos ? text.size() : end + 1;
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = next;
  }
  return lines;
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Equality in the C locale, in which the target runs.
bool SameLine(const std::string& a, const std::string& b, bool ignore_case) {
  if (!ignore_case) return a == b;
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::string ModelOutput(std::vector<std::string> lines, std::int32_t sort_mode,
                        std::int32_t key_pos, std::int32_t key_kind) {
  std::vector<char*> order;
  for (std::string& line : lines) order.push_back(line.data());
  SortWithComparators(order.data(), order.size(), BaseModeOf(sort_mode),
                      key_pos, key_kind, {SortGuard::kNever});
  std::string output;
  const char* previous = nullptr;
  for (const char* line : order) {
    if (DropsRepeats(sort_mode) && previous &&
        SameLine(line, previous, IgnoresCase(sort_mode))) {
      previous = line;
      continue;
    }
    previous = line;
    output.append(line).append("\r\n");
  }
  return output;
}

bool EveryLineEndsInCrLf(const std::string& output) {
  if (output.empty()) return true;
  if (output.size() < 2 || output.compare(output.size() - 2, 2, "\r\n") != 0) {
    return false;
  }
  for (std::size_t i = output.find('\n'); i != std::string::npos;
       i = output.find('\n', i + 1)) {
    if (i == 0 || output[i - 1] != '\r') return false;
  }
  return true;
}

std::string Describe(const std::vector<std::string>& texts) {
  std::string text;
  for (const std::string& box : texts) text += "[" + box + "] ";
  return text;
}

}  // namespace
}  // namespace tarnel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace tarnel;
  FuzzedDataProvider input(data, size);
  const std::int32_t sort_mode = SortMode(input);
  const std::int32_t key_kind = KeyKind(input);
  const std::int32_t key_pos = FuzzedKeyPosition(input);
  const auto quiet = input.ConsumeIntegral<std::uint8_t>();
  // 0: a new file, 1: a file with old contents, 2: the input itself.
  const int target = input.ConsumeIntegralInRange(0, 2);
  const std::string text = Text(input);

  const std::string in = Folder() + "/in.txt";
  const std::string out = target == 2 ? in : Folder() + "/out.txt";
  ::unlink((Folder() + "/out.txt").c_str());
  WriteFile(in, text);
  const std::string old = target == 1 ? std::string("old\n") : text;
  if (target == 1) WriteFile(out, old);

  RecordingMessageBoxes boxes;
  LastResult = 12345;
  RunSort(kOwner, sort_mode, in.c_str(), out.c_str(), key_pos, key_kind, quiet);

  FUZZ_CHECK(Base == nullptr && lpMem == nullptr && !hMem.valid(),
             "the run kept memory of its own");

  const std::vector<std::string> lines = ModelLines(text);
  const bool valid_mode = IsValidBaseMode(BaseModeOf(sort_mode));
  const bool delivers = valid_mode && !lines.empty();
  std::set<std::string> expected_names{"in.txt"};
  if (target == 1 || (target == 0 && delivers))
    expected_names.insert("out.txt");
  FUZZ_CHECK(Names() == expected_names, "a temporary file was left behind");

  std::vector<RecordedBox> expected;
  if (!valid_mode) {
    expected.push_back(
        {kOwner, "SortMode is out of Range!", "TARNEL-ERROR", kBoxIconError});
  } else if (lines.empty()) {
    expected.push_back({kOwner, "No Line!", "TARNEL-ERROR", kBoxIconError});
  } else if (quiet != 1) {
    expected.push_back({kOwner, "Finish!", "TARNEL", kBoxPlain});
  }
  FUZZ_CHECK(boxes.boxes == expected, "boxes " + Describe(boxes.Texts()));
  FUZZ_CHECK(LastResult == (delivers ? 0 : -1),
             "LastResult " + std::to_string(LastResult));
  const std::string written = ReadFile(out);
  if (!delivers) {
    FUZZ_CHECK(written == (target == 0 ? "<missing>" : old),
               "an undelivered run changed its output");
    return 0;
  }
  FUZZ_CHECK(EveryLineEndsInCrLf(written), "a line without CR LF");
  const std::string model = ModelOutput(lines, sort_mode, key_pos, key_kind);
  FUZZ_CHECK(written == model, "mode " + std::to_string(sort_mode) + ", kind " +
                                   std::to_string(key_kind) + ", position " +
                                   std::to_string(key_pos) + "\nwritten " +
                                   written + "\nmodel " + model);
  return 0;
}
