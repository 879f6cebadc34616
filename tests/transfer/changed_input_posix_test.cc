// Whole runs, each in a forked child, whose mapped input another program
// changes between two steps: the moment the run asks for memory at a site.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/run_sort.h"
#include "platform/testing/fake_clipboard.h"
#include "tests/support/process.h"
#include "tests/transfer/test_files.h"

namespace tarnel {
namespace {

using testing_support::ReadBytes;

constexpr std::int32_t kAscending = 0;
constexpr std::int32_t kColumn = 1;
// The whole line goes to the radix sort, a column to the line sort.
constexpr std::int32_t kWholeLine = 0;
constexpr std::int32_t kFromColumn5 = 5;
constexpr char kPrevious[] = "previous\r\n";

AllocationSite meddle_site;
std::function<void()> meddling;

bool MeddleOnce(AllocationSite site, std::size_t) {
  if (meddling && site == meddle_site) std::exchange(meddling, nullptr)();
  return true;
}

// 100,000 lines of letters and digits in no order, over the 1 MiB from
// which a file is mapped. Short ones the radix sort's items hold whole.
std::string MappedInput(bool long_lines = true) {
  std::string text;
  for (std::size_t i = 0; i < 100000; ++i) {
    char line[32];
    std::snprintf(line, sizeof line,
                  long_lines ? "line%06zuabcdefghijkl\n" : "line%06zu\n",
                  i * 7919 % 100000);
    text += line;
  }
  return text;
}

std::string SortedResult(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  std::string result;
  for (const std::string& line : lines) result += line + "\r\n";
  return result;
}

class ChangedInputTest : public FileSortRunTest {
 protected:
  // Sorts in.txt into out.txt, or to the clipboard, while |act| happens at
  // |site|; reports LastResult, the boxes ("error: " for the error box on
  // the run's window) and whether the clipboard kept its text.
  std::string RunWhile(std::int32_t key_pos, bool to_clipboard,
                       AllocationSite site, std::function<void()> act) {
    testing_support::WriteBytes(out_, kPrevious);
    return testing_support::RunInChild([&] {
      RecordingMessageBoxes boxes;
      FakeClipboard clipboard;
      clipboard.HoldText(kPrevious);
      meddle_site = site;
      meddling = act;
      SetAllocationFilter(MeddleOnce);
      RunSort(&owner_tag_, kAscending, in_.c_str(),
              to_clipboard ? nullptr : out_.c_str(), key_pos, kColumn,
              kShowFinish);
      std::string report = std::to_string(LastResult);
      if (meddling) report += "|never meddled";
      for (const RecordedBox& box : boxes.boxes) {
        report += box == ErrorBox(box.text) ? "|error: " : "|";
        report += box.text;
      }
      return report + (clipboard.text() == kPrevious ? "|clipboard kept"
                                                     : "|clipboard changed");
    });
  }

  // Writes |text| over the input's bytes in place.
  std::function<void()> Overwrite(const std::string& text) {
    return [this, text] {
      const int fd = ::open(in_.c_str(), O_WRONLY | O_CLOEXEC);
      if (::pwrite(fd, text.data(), text.size(), 0) < 0) ::_exit(5);
      ::close(fd);
    };
  }

  const std::string in_ = dir_ / "in.txt";
  const std::string out_ = dir_ / "out.txt";
};

enum class Change {
  kCutShort,
  kFirstBytes,  ///< lines moved to other first bytes, as many bytes
  kLineFeeds,   ///< line feeds gone: lines longer than counted
};

TEST_F(ChangedInputTest, DeliversACorrectSortOrNothingWithTheShortRead) {
  struct Case {
    const char* name;
    Change change;
    AllocationSite site;
    std::int32_t key_pos;
    bool to_clipboard;
    bool long_lines;
  };
  const Case cases[] = {
      {"cut, radix sort between count and fill", Change::kCutShort,
       AllocationSite::kLineTable, kWholeLine, false, true},
      {"cut, radix sort of lines held whole", Change::kCutShort,
       AllocationSite::kResultBlock, kWholeLine, false, false},
      {"cut, radix sort for the clipboard", Change::kCutShort,
       AllocationSite::kResultBlock, kWholeLine, true, true},
      // The line sort takes over from a fill that no longer matches.
      {"first bytes, between radix count and fill", Change::kFirstBytes,
       AllocationSite::kLineTable, kWholeLine, false, true},
      {"line feeds, before the result", Change::kLineFeeds,
       AllocationSite::kResultBlock, kWholeLine, false, true},
      {"line feeds, before the clipboard's result", Change::kLineFeeds,
       AllocationSite::kResultBlock, kWholeLine, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string input = MappedInput(c.long_lines);
    testing_support::WriteBytes(in_, input);
    std::string changed = input;
    if (c.change == Change::kFirstBytes) {
      for (std::size_t at = 0; at < changed.size(); at += 3 * 23) {
        changed[at] = 'm';
      }
    } else {
      std::replace(changed.begin(), changed.end() - 1, '\n', 'x');
    }

    const std::string report =
        RunWhile(c.key_pos, c.to_clipboard, c.site,
                 c.change == Change::kCutShort
                     ? [this] { ::truncate(in_.c_str(), 5000); }
                     : Overwrite(changed));

    if (c.change == Change::kFirstBytes) {
      EXPECT_EQ(report, "0|Finish!|clipboard kept");
      EXPECT_TRUE(ReadBytes(out_) == SortedResult(changed));
      continue;
    }
    const std::string size = std::to_string(input.size());
    const std::string intact = c.change == Change::kCutShort ? "5000" : size;
    EXPECT_EQ(report, "-1|error: Read Error!(statbuf.st_size=[" + size +
                          "], readsize=[" + intact + "])|clipboard kept");
    EXPECT_EQ(ReadBytes(out_), kPrevious);
    EXPECT_EQ(dir_.Names().size(), 2u);  // no temporary left behind
  }
}

// The line sort reads the file into memory of its own before it counts the
// lines: a change to the file after that, before the lines are cut or
// while they are sorted, is no change to the run, which sorts the text as
// it was read.
TEST_F(ChangedInputTest, LineSortSortsTheTextAsItWasWhenCopied) {
  const std::string input = MappedInput();
  std::string changed = input;
  std::replace(changed.begin(), changed.end() - 1, '\n', 'x');
  struct Case {
    const char* name;
    std::function<void()> act;
  };
  const Case cases[] = {
      {"cut short", [this] { ::truncate(in_.c_str(), 5000); }},
      {"line feeds gone", Overwrite(changed)},
  };
  testing_support::WriteBytes(in_, input);
  ASSERT_EQ(RunWhile(kFromColumn5, false, AllocationSite::kSortKeys, [] {}),
            "0|Finish!|clipboard kept");
  const std::string expected = ReadBytes(out_);
  for (const AllocationSite site :
       {AllocationSite::kLineTable, AllocationSite::kSortKeys}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      SCOPED_TRACE(site == AllocationSite::kLineTable ? "before the cut"
                                                      : "while sorted");
      testing_support::WriteBytes(in_, input);
      EXPECT_EQ(RunWhile(kFromColumn5, false, site, c.act),
                "0|Finish!|clipboard kept");
      EXPECT_TRUE(ReadBytes(out_) == expected);
    }
  }
}

}  // namespace
}  // namespace tarnel
