#include "tests/transfer/test_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/result_block.h"
#include "core/show_error.h"
#include "engine/run_sort.h"
#include "platform/recording_message_boxes.h"

namespace tarnel {

void PrintTo(const RecordedBox& box, std::ostream* out) {
  *out << "{owner " << box.owner << ", \"" << box.caption << "\", flags "
       << box.flags << ", \"" << box.text << "\"}";
}

TempDir::TempDir() {
  std::string pattern = "/tmp/tarnel-transfer-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "mkdtemp failed: " << std::strerror(errno);
  }
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::operator/(std::string_view name) const {
  return path_ + "/" + std::string(name);
}

std::set<std::string> TempDir::Names() const {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) ADD_FAILURE() << "cannot write " << path;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ADD_FAILURE() << "cannot read " << path;
    return {};
  }
  return std::string(std::istreambuf_iterator<char>(in), {});
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

void FileTransferTest::SetUp() { OwnerWindow = &owner_tag_; }

void FileTransferTest::TearDown() { OwnerWindow = nullptr; }

RecordedBox FileTransferTest::ErrorBox(const std::string& text) {
  return {&owner_tag_, text, kErrorCaption, kBoxIconError};
}

RecordedBox FileTransferTest::FinishBox(const std::string& text) {
  return {&owner_tag_, text, kFinishCaption, kBoxPlain};
}

}  // namespace tarnel
