// The program's own texts (captions, messages, filters) are written in
// UTF-8 in the source; the windows, boxes and dialogs take text in the
// locale's encoding, as the engine's lines are. On Linux that encoding is
// UTF-8, as Qt takes it to be; on Windows it is the ANSI code page (932 on
// the Japanese systems TARNEL is made for). Twins: local_text_posix.cc,
// local_text_win32.cc.
#ifndef TARNEL_PLATFORM_LOCAL_TEXT_H_
#define TARNEL_PLATFORM_LOCAL_TEXT_H_

#include <string>
#include <string_view>

namespace tarnel {

/// |utf8| in the locale's encoding. A character the encoding lacks
/// becomes the encoding's replacement character.
std::string LocalText(std::string_view utf8);

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_LOCAL_TEXT_H_
