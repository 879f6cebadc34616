#include <windows.h>

#include "platform/native_message_boxes.h"

namespace tarnel {

unsigned NativeBoxStyle(unsigned flags) {
  unsigned style = MB_OK;
  switch (flags & kBoxIconMask) {
    case kBoxIconError:
      style |= MB_ICONERROR;
      break;
    case kBoxIconQuestion:
      style |= MB_ICONQUESTION;
      break;
    case kBoxIconWarning:
      style |= MB_ICONWARNING;
      break;
    case kBoxIconInformation:
      style |= MB_ICONINFORMATION;
      break;
  }
  if (flags & kBoxTaskModal) style |= MB_TASKMODAL;
  return style;
}

int NativeMessageBoxes::Show(WindowHandle owner, const std::string& text,
                             const std::string& caption, unsigned flags) {
  const int pressed = ::MessageBoxA(static_cast<HWND>(owner), text.c_str(),
                                    caption.c_str(), NativeBoxStyle(flags));
  return pressed == IDOK ? kBoxOk : pressed;
}

}  // namespace tarnel
