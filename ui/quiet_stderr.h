// Keeps libraries quiet while they start: fontconfig, for one, writes its
// complaints straight to standard error, where a run without a display
// must show nothing but its own boxes.
#ifndef TARNEL_UI_QUIET_STDERR_H_
#define TARNEL_UI_QUIET_STDERR_H_

namespace tarnel {

class QuietStandardError {
 public:
  /// Sends standard error to the null device from here on...
  QuietStandardError();
  /// ...and back to where it went before.
  ~QuietStandardError();
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;

 private:
  int saved_ = -1;
};

}  // namespace tarnel

#endif  // TARNEL_UI_QUIET_STDERR_H_
