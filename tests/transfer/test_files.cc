#include "tests/transfer/test_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "core/result_block.h"
#include "core/show_error.h"
#include "engine/run_sort.h"
#include "platform/recording_message_boxes.h"

namespace tarnel {

void PrintTo(const RecordedBox& box, std::ostream* out) {
  *out << "{owner " << box.owner << ", \"" << box.caption << "\", flags "
       << box.flags << ", \"" << box.text << "\"}";
}

int ModeOf(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return -1;
  return static_cast<int>(info.st_mode & 07777);
}

std::string PathOfLength(const std::string& base, std::size_t length) {
  std::string path = base + "/none";
  while (path.size() < length) {
    path += (path.size() % 100 == 0) ? '/' : 'x';
  }
  if (path.back() == '/') path.back() = 'x';
  return path;
}

bool IsSymlink(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

ScopedUmask::ScopedUmask(mode_t mask) : previous_(::umask(mask)) {}
ScopedUmask::~ScopedUmask() { ::umask(previous_); }

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

}  // namespace tarnel
