#include "platform/clipboard_holder_launcher.h"

namespace tarnel {

// Windows keeps clipboard data after its owner exits, so no holder is needed.
long StartClipboardHolder(const std::string&, std::string_view) { return 0; }

}  // namespace tarnel
