#include "core/show_error.h"

#include "platform/service.h"

namespace tarnel {

WindowHandle OwnerWindow = nullptr;

void ShowError(const std::string& text) {
  Current<MessageBoxes>().Show(OwnerWindow, text, kErrorCaption, kBoxIconError);
}

}  // namespace tarnel
