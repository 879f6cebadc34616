// The text of the application's exception box, the same on every toolkit.
#ifndef TARNEL_UI_LOGIC_EXCEPTION_TEXT_H_
#define TARNEL_UI_LOGIC_EXCEPTION_TEXT_H_

#include <string>
#include <string_view>

namespace tarnel {

/// The exception box's text: |message|, with a full stop appended when it
/// is not empty and its last byte sorts after ".".
std::string ExceptionBoxText(std::string_view message);

}  // namespace tarnel

#endif  // TARNEL_UI_LOGIC_EXCEPTION_TEXT_H_
