// The clipboard source and sink of a run. The clipboard is held open only
// for one read or one write, and an error box raised while it is open is
// closed before the clipboard is.
#ifndef TARNEL_TRANSFER_CLIPBOARD_TRANSFER_H_
#define TARNEL_TRANSFER_CLIPBOARD_TRANSFER_H_

#include "platform/memory.h"

namespace tarnel {

/// A new NUL-terminated copy of the clipboard's text, owned by the caller;
/// an empty buffer after showing the failure.
ZeroedBuffer ReadClipboardText();

/// Puts a copy of the result text (the whole result block) on the clipboard.
/// The result block itself stays with the run. Returns 0, or -1 after
/// showing the failure.
int WriteClipboardText();

}  // namespace tarnel

#endif  // TARNEL_TRANSFER_CLIPBOARD_TRANSFER_H_
