// The message the program hands the X11 clipboard holder over their channel,
// and the holder's reading of it. Qt-free, so that it can be tested and
// fuzzed without a display.
//
// A message is a header line, the text's length in decimal digits (no sign,
// no leading zero) and a line feed, then exactly that many bytes of UTF-8
// text, then the end of the channel: the sender shuts its side down. A
// sender that dies part way leaves a message shorter than its header says,
// which is refused instead of being served as a cut-off text.
#ifndef TARNEL_PLATFORM_CLIPBOARD_HOLDER_PROTOCOL_H_
#define TARNEL_PLATFORM_CLIPBOARD_HOLDER_PROTOCOL_H_

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnel {

/// Longest text a message may carry: far beyond any clipboard, but a bound
/// on what garbage can make the holder collect.
inline constexpr std::uint64_t kHolderTextLimit = std::uint64_t{1} << 32;

/// How long the holder waits for the next bytes, or for the end, at most.
inline constexpr std::chrono::milliseconds kHolderReadTimeout{5000};

/// The header line of a message carrying |length| bytes of text.
std::string HolderMessageHeader(std::uint64_t length);

enum class HolderMessageStatus {
  kComplete,       ///< the whole text arrived, then the end
  kTimedOut,       ///< the sender went quiet before the end
  kReadFailed,     ///< the channel broke
  kBadHeader,      ///< the first line is not a length
  kTooLong,        ///< the length is beyond kHolderTextLimit
  kTruncated,      ///< the channel ended before the text did
  kTrailingBytes,  ///< bytes followed the text
  kNotUtf8,        ///< the text is not valid UTF-8
};

/// A short English description of |status|, for the holder's diagnostics.
const char* HolderMessageStatusText(HolderMessageStatus status);

struct HolderMessage {
  HolderMessageStatus status = HolderMessageStatus::kTruncated;
  std::string text;  ///< the text; empty unless kComplete
};

/// Reads one message from |fd| to the end of the channel. No wait for the
/// sender lasts longer than |timeout|, so a silent sender cannot keep the
/// holder waiting for ever.
HolderMessage ReadHolderMessage(int fd, std::chrono::milliseconds timeout);

/// Whether |text| is well-formed UTF-8: no overlong forms, no surrogates,
/// nothing beyond U+10FFFF, no sequence cut short.
bool IsValidUtf8(std::string_view text);

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_CLIPBOARD_HOLDER_PROTOCOL_H_
