// Work split between the calling thread and one helper thread. Where no
// thread can be had, the helper's share simply runs on the caller first; the
// shares never touch the same data, so the result is the same either way.
#ifndef TARNEL_PLATFORM_HELPER_THREAD_H_
#define TARNEL_PLATFORM_HELPER_THREAD_H_

#include <cstddef>
#include <system_error>
#include <thread>

namespace tarnel {

/// How many threads the machine runs at once; asked once per process, as
/// the answer costs a read of a system file.
inline unsigned HardwareThreads() {
  static const unsigned threads = std::thread::hardware_concurrency();
  return threads;
}

/// Fewer items than this (lines, keys) are handled on one thread: below it
/// a thread costs more than it saves.
inline constexpr std::size_t kParallelCutoff = std::size_t{1} << 15;

/// True when |items| items are worth sharing between two threads here.
inline bool WorthSplitting(std::size_t items) {
  return items >= kParallelCutoff && HardwareThreads() > 1;
}

/// Runs |task| on a thread of its own when |beside| is true and a thread can
/// be had, and at once on the caller otherwise. The thread is joined by
/// Join() or, at the latest, on destruction.
class HelperThread {
 public:
  template <typename Task>
  explicit HelperThread(const Task& task, bool beside = true) {
    if (beside) {
      try {
        thread_ = std::thread(task);
        return;
      } catch (const std::system_error&) {
      }
    }
    task();
  }
  HelperThread(const HelperThread&) = delete;
  HelperThread& operator=(const HelperThread&) = delete;
  ~HelperThread() { Join(); }

  void Join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_HELPER_THREAD_H_
