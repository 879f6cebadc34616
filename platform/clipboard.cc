#include "platform/clipboard.h"

namespace tarnel {

Clipboard& Clipboard::Fallback() {
  static NoClipboard no_clipboard;
  return no_clipboard;
}

}  // namespace tarnel
