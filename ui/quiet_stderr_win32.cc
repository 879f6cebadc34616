#include "ui/quiet_stderr.h"

namespace tarnel {

// Nothing on Windows starts up noisily: Qt's messages go through its
// handler, and there is no fontconfig.
QuietStandardError::QuietStandardError() = default;
QuietStandardError::~QuietStandardError() = default;

}  // namespace tarnel
