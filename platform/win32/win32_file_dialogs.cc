#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "platform/win32/win32_file_dialogs.h"

namespace tarnel {

namespace {

// Room for the longest name the dialog hands back, long paths included.
constexpr std::size_t kNameBuffer = 32768;

constexpr unsigned kKnownOptions =
    kDialogOverwritePrompt | kDialogHideReadOnly | kDialogPathMustExist |
    kDialogFileMustExist | kDialogNoReadOnlyReturn;

static_assert(kDialogOverwritePrompt == OFN_OVERWRITEPROMPT &&
              kDialogHideReadOnly == OFN_HIDEREADONLY &&
              kDialogPathMustExist == OFN_PATHMUSTEXIST &&
              kDialogFileMustExist == OFN_FILEMUSTEXIST &&
              kDialogNoReadOnlyReturn == OFN_NOREADONLYRETURN);

}  // namespace

std::string NulSeparatedFilter(std::string_view filter) {
  std::string result;
  result.reserve(filter.size() + 2);
  for (std::size_t i = 0; i < filter.size(); ++i) {
    const char byte = filter[i];
    if (::IsDBCSLeadByte(static_cast<BYTE>(byte)) && i + 1 < filter.size()) {
      result.push_back(byte);
      result.push_back(filter[++i]);
    } else {
      result.push_back(byte == '|' ? '\0' : byte);
    }
  }
  result.append(2, '\0');
  return result;
}

unsigned Win32DialogFlags(unsigned options) { return options & kKnownOptions; }

std::optional<std::string> Win32FileDialogs::Run(
    WindowHandle owner, const FileDialogRequest& request) {
  const std::string filter = NulSeparatedFilter(request.filter);
  std::vector<char> name(kNameBuffer, '\0');
  request.file_name.copy(name.data(),
                         std::min(request.file_name.size(), name.size() - 1));
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = static_cast<HWND>(owner);
  dialog.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.Flags = Win32DialogFlags(request.options);
  const BOOL confirmed = request.kind == FileDialogKind::kOpen
                             ? ::GetOpenFileNameA(&dialog)
                             : ::GetSaveFileNameA(&dialog);
  if (!confirmed) return std::nullopt;
  return std::string(name.data());
}

}  // namespace tarnel
