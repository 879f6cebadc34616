// A Windows program on the system clipboard, for
// win32_clipboard_xclip_test.sh, which plays xclip against it from the
// Linux side. Boxes go to standard error as "CAPTION: TEXT".
//   clipboard_probe read     prints the clipboard's text as hex bytes
//   clipboard_probe sort M   sorts the clipboard onto itself in mode M
// Exits with 0 when the step worked, 1 when it did not, 2 when misused.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/run_sort.h"
#include "platform/service.h"
#include "platform/win32/win32_clipboard.h"
#include "tests/platform/win32/test_window.h"
#include "transfer/clipboard_transfer.h"

namespace {

int Read() {
  const tarnel::ZeroedBuffer text = tarnel::ReadClipboardText();
  if (!text.valid()) return 1;
  std::string hex;
  for (const char* byte = text.data(); *byte; ++byte) {
    char two[4];
    std::snprintf(two, sizeof two, "%02x ", static_cast<unsigned char>(*byte));
    hex += two;
  }
  if (!hex.empty()) hex.pop_back();
  std::printf("%s\n", hex.c_str());
  return 0;
}

int Sort(std::int32_t mode) {
  // The program's window owns what it puts on the clipboard.
  const tarnel::TestWindow window;
  tarnel::RunSort(window.handle(), mode, nullptr, nullptr, 0, 1, 0);
  return tarnel::LastResult == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  tarnel::Win32Clipboard clipboard;
  const tarnel::Installed<tarnel::Clipboard> installed(&clipboard);
  const std::string step = argc > 1 ? argv[1] : "";
  if (step == "read" && argc == 2) return Read();
  if (step == "sort" && argc == 3) {
    return Sort(static_cast<std::int32_t>(std::atoi(argv[2])));
  }
  std::fprintf(stderr, "usage: clipboard_probe read | sort MODE\n");
  return 2;
}
