// How a file name reaches Windows' wide file functions. TARNEL takes names
// as bytes in the ANSI code page (Shift-JIS on Japanese Windows), as the
// window and the command line give them; the -A functions would take them
// as they are, but only up to MAX_PATH characters.
#ifndef TARNEL_TRANSFER_WIDE_PATH_H_
#define TARNEL_TRANSFER_WIDE_PATH_H_

#include <string>
#include <string_view>

namespace tarnel {

/// |path| (bytes in the ANSI code page) in UTF-16, made absolute against
/// the current folder (either separator), and, once it is long enough for
/// some call to refuse it, in the "\\?\" form that lifts that limit.
/// Devices ("NUL", "\\.\pipe\...") stay as they are. Empty when |path| is
/// empty or cannot be made absolute.
std::wstring WidePath(const char* path);

/// The same for a path that is in UTF-16 already; one in the "\\?\" form
/// is kept as it is.
std::wstring WidePath(std::wstring_view path);

}  // namespace tarnel

#endif  // TARNEL_TRANSFER_WIDE_PATH_H_
