#include "transfer/clipboard_transfer.h"

#include <cstring>

#include "core/result_block.h"
#include "core/show_error.h"
#include "platform/clipboard.h"
#include "platform/service.h"

namespace tarnel {

namespace {
constexpr char kOpenError[] = "ClipBoard Open Error!";
constexpr char kNoText[] = "No Text in ClipBoard!";
constexpr char kBlockError[] = "hMem Error!";
constexpr char kEmptyError[] = "ClipBoard Empty Error!";
constexpr char kWriteError[] = "ClipBoard Write Error!";
}  // namespace

ZeroedBuffer ReadClipboardText() {
  Clipboard& clipboard = Current<Clipboard>();
  if (!clipboard.Open(OwnerWindow)) {
    ShowError(kOpenError);
    return ZeroedBuffer();
  }
  ZeroedBuffer copy;
  if (clipboard.IsTextAvailable()) {
    if (GlobalBlock* block = clipboard.GetText()) {
      if (const char* text = block->Lock()) {
        const std::size_t length = strnlen(text, block->Size());
        copy =
            ZeroedBuffer::Allocate(length + 1, AllocationSite::kClipboardRead);
        if (copy.valid()) std::memcpy(copy.data(), text, length);
        block->Unlock();
      }
    }
  }
  if (!copy.valid()) ShowError(kNoText);
  clipboard.Close();
  return copy;
}

int WriteClipboardText() {
  GlobalBlock block =
      GlobalBlock::Allocate(hMem.Size(), AllocationSite::kClipboardCopy);
  char* bytes = block.Lock();
  if (!bytes) {
    // A block that cannot be reached is as good as none.
    ShowError(kBlockError);
    return -1;
  }
  std::memcpy(bytes, lpMem, hMem.Size());
  block.Unlock();

  Clipboard& clipboard = Current<Clipboard>();
  if (!clipboard.Open(OwnerWindow)) {
    ShowError(kOpenError);
    return -1;
  }
  bool delivered = false;
  if (!clipboard.Empty()) {
    ShowError(kEmptyError);
  } else if (!clipboard.SetText(block)) {
    ShowError(kWriteError);
  } else {
    delivered = true;
  }
  clipboard.Close();
  // On failure |block| is still ours and is freed on leaving.
  return delivered ? 0 : -1;
}

}  // namespace tarnel
