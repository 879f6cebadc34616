// A POSIX file descriptor owned by one object and closed with it. Only the
// POSIX twins include this.
#ifndef TARNEL_PLATFORM_FILE_DESCRIPTOR_H_
#define TARNEL_PLATFORM_FILE_DESCRIPTOR_H_

#include <unistd.h>

#include <utility>

namespace tarnel {

class FileDescriptor {
 public:
  /// Takes |fd| over; -1 holds nothing.
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  FileDescriptor(FileDescriptor&& other) noexcept
      : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  ~FileDescriptor() { Close(); }

  /// The descriptor; -1 when none is held.
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  /// Closes now and reports whether the close succeeded (true when none
  /// was held).
  bool Close() {
    const int fd = std::exchange(fd_, -1);
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_FILE_DESCRIPTOR_H_
