// What the engine and the transfer code share during one run: the window
// that owns the run's boxes, the error box itself, and the result block.
//
// Ownership: RunSort allocates the result block (hMem) and locks it into
// lpMem; the writers only read it; RunSort frees it after delivery on every
// path. Nothing here outlives a run except OwnerWindow.
#ifndef TARNEL_CORE_RUN_CONTEXT_H_
#define TARNEL_CORE_RUN_CONTEXT_H_

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

#include "platform/memory.h"
#include "platform/message_boxes.h"

namespace tarnel {

inline constexpr char kErrorCaption[] = "TARNEL-ERROR";

/// Owner of every box a run shows, and the window that opens the clipboard.
extern WindowHandle OwnerWindow;

/// The result text of the current run: a zero-filled block of
/// OutputSize + 1 bytes, so the text is NUL-terminated.
extern GlobalBlock hMem;
extern char* lpMem;

/// Length of the result text (bytes before its terminating NUL).
std::uint64_t ResultTextLength();

/// The engine's error box: caption "TARNEL-ERROR", error icon, owned by
/// OwnerWindow. Returns once the box is closed.
void ShowError(const std::string& text);

/// Formats a box text the way the platform's wsprintfA does into a 256-byte
/// buffer: "%s" takes a text, "%u" an unsigned number (printed in full), and
/// the result is cut to 255 bytes.
using FormatArg = std::variant<std::string_view, std::uint64_t>;
std::string FormatBoxText(std::string_view pattern,
                          std::initializer_list<FormatArg> args);

}  // namespace tarnel

#endif  // TARNEL_CORE_RUN_CONTEXT_H_
