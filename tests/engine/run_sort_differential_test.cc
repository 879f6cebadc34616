// RunSort against the system's byte-order sort: on lines whose whole-line
// keys are all different, the order of ties cannot differ, so both must give
// the same text (ours with CR LF).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/run_sort.h"
#include "platform/testing/recording_message_boxes.h"
#include "tests/support/temp_dir.h"

namespace tarnel {
namespace {

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

constexpr char kSystemSort[] = "/usr/bin/sort";

/// Runs the system sort under LC_ALL=C on |input| with |options|, its
/// standard output going to |output|. Returns its exit status, or -1.
int RunSystemSort(const std::vector<std::string>& options,
                  const std::string& input, const std::string& output) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<std::string> words = {"sort"};
  words.insert(words.end(), options.begin(), options.end());
  words.push_back(input);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::string locale = "LC_ALL=C";
  char* envp[] = {locale.data(), nullptr};
  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, kSystemSort, &actions, nullptr, argv.data(), envp);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string FoldUpper(std::string line) {
  for (char& c : line) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return line;
}

/// Distinct lines of printable ASCII and bytes from 128 up, no CR; with
/// |fold_distinct| they also differ once a to z are folded.
std::vector<std::string> DistinctLines(std::mt19937& rng, std::size_t n,
                                       bool fold_distinct) {
  std::set<std::string> seen;
  std::vector<std::string> lines;
  while (lines.size() < n) {
    std::string line;
    if (!lines.empty() && rng() % 3 == 0) {
      // Share a long prefix with an earlier line.
      const std::string& other = lines[rng() % lines.size()];
      line = other.substr(0, rng() % (other.size() + 1));
    }
    const std::size_t extra = rng() % 30;
    for (std::size_t i = 0; i < extra; ++i) {
      const auto r = static_cast<unsigned>(rng() % 100);
      line +=
          static_cast<char>(r < 85 ? 0x20 + rng() % 95 : 0x80 + rng() % 128);
    }
    const std::string key = fold_distinct ? FoldUpper(line) : line;
    if (seen.insert(key).second) lines.push_back(line);
  }
  return lines;
}

std::string Joined(const std::vector<std::string>& lines, const char* end) {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

/// |n| lines drawn from |pool|, so that most lines repeat.
std::vector<std::string> Sampled(std::mt19937& rng,
                                 const std::vector<std::string>& pool,
                                 std::size_t n) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < n; ++i)
    lines.push_back(pool[rng() % pool.size()]);
  return lines;
}

struct ModeCase {
  std::int32_t mode;
  std::vector<std::string> options;
};

// Identical lines cannot show in which order they were sorted, and lines
// that differ are all told apart by both sorts (ignoring case, the lines
// differ even when folded), so the outputs must be equal byte for byte. The
// repeat filter then matches the system sort's -u.
TEST(RunSortDifferentialTest, WholeLineOrderMatchesTheSystemByteOrderSort) {
  if (access(kSystemSort, X_OK) != 0) GTEST_SKIP() << "no " << kSystemSort;
  const ModeCase modes[] = {
      {0, {}},           {1, {"-r"}},
      {2, {"-f"}},       {3, {"-f", "-r"}},
      {4, {"-u"}},       {5, {"-r", "-u"}},
      {6, {"-f", "-u"}}, {7, {"-f", "-r", "-u"}},
  };
  TempDir folder;
  const std::string lf_path = folder / "lf.txt";
  const std::string input_path = folder / "in.txt";
  const std::string ours_path = folder / "ours.txt";
  const std::string theirs_path = folder / "theirs.txt";
  std::mt19937 rng(314159);
  for (int trial = 0; trial < 7; ++trial) {
    for (const ModeCase& m : modes) {
      SCOPED_TRACE(testing::Message()
                   << "trial " << trial << ", mode " << m.mode);
      const bool fold_distinct = (m.mode & kSortIgnoreCase) != 0;
      std::vector<std::string> lines;
      if (trial < 3) {
        lines = DistinctLines(rng, 1 + rng() % 1500, fold_distinct);
      } else if (trial < 6) {
        const std::vector<std::string> pool =
            DistinctLines(rng, 1 + rng() % 300, fold_distinct);
        lines = Sampled(rng, pool, 1 + rng() % 1500);
      } else {
        // Large enough to be sorted and written on several threads, with
        // the line table given back in steps from both ends.
        const std::vector<std::string> pool =
            DistinctLines(rng, 30000, fold_distinct);
        lines = Sampled(rng, pool, 300000);
      }
      const std::string lf = Joined(lines, "\n");
      WriteBytes(lf_path, lf);
      // Our input varies its line ends; the system sort always gets LF.
      std::string ours_input = trial % 2 ? WithCrLf(lf) : lf;
      // Every other pair of trials drops the last LF; after CR LF the CR
      // left at the end still ends the line. An empty last line needs its LF
      // to exist at all.
      if (trial % 4 >= 2 && (trial % 2 == 1 || !lines.back().empty())) {
        ours_input.pop_back();
      }
      WriteBytes(input_path, ours_input);

      ASSERT_EQ(RunSystemSort(m.options, lf_path, theirs_path), 0);
      RecordingMessageBoxes boxes;
      const std::int32_t kind = trial % 3 == 0 ? 2 : 1;  // both whole-line
      RunSort(nullptr, m.mode, input_path.c_str(), ours_path.c_str(), 0, kind,
              1);
      ASSERT_EQ(LastResult, 0);
      EXPECT_TRUE(boxes.boxes.empty());
      const std::string theirs = ReadBytes(theirs_path);
      const std::string ours = ReadBytes(ours_path);
      if (ours == WithCrLf(theirs)) continue;
      std::size_t at = 0;
      const std::string expected = WithCrLf(theirs);
      while (at < ours.size() && at < expected.size() &&
             ours[at] == expected[at]) {
        ++at;
      }
      ADD_FAILURE() << "outputs of " << lines.size() << " lines differ from "
                    << "byte " << at << " (ours " << ours.size()
                    << " bytes, expected " << expected.size() << ")";
    }
  }
}

// The comparison with the system sort only means something if it can fail.
TEST(RunSortDifferentialTest, SystemSortIsByteOrderUnderCLocale) {
  if (access(kSystemSort, X_OK) != 0) GTEST_SKIP() << "no " << kSystemSort;
  TempDir folder;
  WriteBytes(folder / "in.txt", "b\n\x82\xa0\nB\n_\na\n");
  ASSERT_EQ(RunSystemSort({}, folder / "in.txt", folder / "out.txt"), 0);
  EXPECT_EQ(ReadBytes(folder / "out.txt"), "B\n_\na\nb\n\x82\xa0\n");
  ASSERT_EQ(RunSystemSort({"-f"}, folder / "in.txt", folder / "out.txt"), 0);
  EXPECT_EQ(ReadBytes(folder / "out.txt"), "a\nB\nb\n_\n\x82\xa0\n");
}

}  // namespace
}  // namespace tarnel
