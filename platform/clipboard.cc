#include "platform/clipboard.h"

namespace tarnel {

namespace {
NoClipboard no_clipboard;
Clipboard* installed_clipboard = nullptr;
}  // namespace

Clipboard& CurrentClipboard() {
  return installed_clipboard ? *installed_clipboard : no_clipboard;
}

Clipboard* InstallClipboard(Clipboard* clipboard) {
  Clipboard* previous = installed_clipboard;
  installed_clipboard = clipboard;
  return previous ? previous : &no_clipboard;
}

}  // namespace tarnel
