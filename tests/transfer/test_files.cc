#include "tests/transfer/test_files.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/result_block.h"
#include "core/show_error.h"
#include "engine/run_sort.h"
#include "platform/testing/recording_message_boxes.h"

namespace tarnel {

void PrintTo(const RecordedBox& box, std::ostream* out) {
  *out << "{owner " << box.owner << ", \"" << box.caption << "\", flags "
       << box.flags << ", \"" << box.text << "\"}";
}

std::string PathOfLength(const std::string& base, std::size_t length) {
  std::string path = base + "/none";
  while (path.size() < length) {
    path += (path.size() % 100 == 0) ? '/' : 'x';
  }
  if (path.back() == '/') path.back() = 'x';
  return path;
}

std::string BytesOf(const ZeroedBuffer& buffer) {
  EXPECT_TRUE(buffer.valid());
  if (!buffer.valid() || buffer.size() == 0) return {};
  EXPECT_EQ(buffer.data()[buffer.size() - 1], '\0');
  return std::string(buffer.data(), buffer.size() - 1);
}

std::string HundredNumberedLines() {
  std::string lines;
  for (int i = 99; i >= 0; --i) {
    lines +=
        "line " + std::string(i < 10 ? "0" : "") + std::to_string(i) + "\n";
  }
  return lines;
}

std::string MoreThanAPipeHolds() {
  std::string text;
  for (int i = 0; text.size() < 300000; ++i) {
    text += "line " + std::to_string(i * 7919 % 100003) + "\r\n";
  }
  return text;
}

ScopedResultText::ScopedResultText(std::string_view text) {
  hMem = GlobalBlock::Allocate(text.size() + 1, AllocationSite::kResultBlock);
  lpMem = hMem.Lock();
  std::memcpy(lpMem, text.data(), text.size());
}

ScopedResultText::~ScopedResultText() {
  hMem.Unlock();
  hMem.Free();
  lpMem = nullptr;
}

void FileTransferTest::SetUp() { OwnerWindow = &owner_tag_; }

void FileTransferTest::TearDown() { OwnerWindow = nullptr; }

RecordedBox FileTransferTest::ErrorBox(const std::string& text) {
  return {&owner_tag_, text, kErrorCaption, kBoxIconError};
}

RecordedBox FileTransferTest::FinishBox(const std::string& text) {
  return {&owner_tag_, text, kFinishCaption, kBoxPlain};
}

void FileSortRunTest::SortWholeLines(const std::string& in,
                                     const std::string& out,
                                     std::uint8_t quiet) {
  constexpr std::int32_t kAscending = 0;
  constexpr std::int32_t kWholeLine = 1;
  RunSort(&owner_tag_, kAscending, in.c_str(), out.c_str(), 0, kWholeLine,
          quiet);
}

}  // namespace tarnel
