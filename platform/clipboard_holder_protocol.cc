#include "platform/clipboard_holder_protocol.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace tarnel {

namespace {

using Clock = std::chrono::steady_clock;

// The message as it arrives, piece by piece.
class MessageParser {
 public:
  // Takes the next bytes of the channel; false once the message is refused.
  bool Feed(std::string_view bytes) {
    while (!bytes.empty()) {
      switch (phase_) {
        case Phase::kHeader:
          if (!HeaderByte(bytes.front())) return false;
          bytes.remove_prefix(1);
          break;
        case Phase::kText: {
          const auto take = static_cast<std::size_t>(
              std::min<std::uint64_t>(bytes.size(), length_ - text_.size()));
          text_.append(bytes.substr(0, take));
          bytes.remove_prefix(take);
          if (text_.size() == length_) phase_ = Phase::kEnd;
          break;
        }
        case Phase::kEnd:
          return Refuse(HolderMessageStatus::kTrailingBytes);
      }
    }
    return true;
  }

  // The channel has ended.
  HolderMessage End() {
    if (phase_ != Phase::kEnd) return {HolderMessageStatus::kTruncated, {}};
    if (!IsValidUtf8(text_)) return {HolderMessageStatus::kNotUtf8, {}};
    return {HolderMessageStatus::kComplete, std::move(text_)};
  }

  HolderMessageStatus refusal() const { return refusal_; }

 private:
  enum class Phase { kHeader, kText, kEnd };

  bool HeaderByte(char c) {
    if (c == '\n') {
      if (digits_ == 0) return Refuse(HolderMessageStatus::kBadHeader);
      phase_ = length_ == 0 ? Phase::kEnd : Phase::kText;
      return true;
    }
    // One way to write each length: no leading zero.
    if (c < '0' || c > '9' || (digits_ == 1 && length_ == 0)) {
      return Refuse(HolderMessageStatus::kBadHeader);
    }
    length_ = length_ * 10 + static_cast<std::uint64_t>(c - '0');
    ++digits_;
    if (length_ > kHolderTextLimit)
      return Refuse(HolderMessageStatus::kTooLong);
    return true;
  }

  bool Refuse(HolderMessageStatus status) {
    refusal_ = status;
    text_.clear();
    return false;
  }

  Phase phase_ = Phase::kHeader;
  std::uint64_t length_ = 0;
  int digits_ = 0;
  std::string text_;
  HolderMessageStatus refusal_ = HolderMessageStatus::kComplete;
};

// Waits until |fd| is readable or |timeout| has passed, interruptions
// included; true when it is readable (or at its end, or broken). It looks
// at least once, however late it starts: a reader that was kept from
// running must not take bytes that are waiting for a silent sender.
bool WaitReadable(int fd, std::chrono::milliseconds timeout, bool* failed) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    const auto left =
        std::max(std::chrono::milliseconds(0),
                 std::chrono::duration_cast<std::chrono::milliseconds>(
                     deadline - Clock::now()));
    pollfd entry{fd, POLLIN, 0};
    const int ready =
        ::poll(&entry, 1,
               static_cast<int>(std::min<long long>(left.count(), INT_MAX)));
    if (ready > 0) return true;
    if (ready == 0) return false;
    if (errno != EINTR) {
      *failed = true;
      return false;
    }
  }
}

}  // namespace

std::string HolderMessageHeader(std::uint64_t length) {
  return std::to_string(length) + "\n";
}

const char* HolderMessageStatusText(HolderMessageStatus status) {
  switch (status) {
    case HolderMessageStatus::kComplete:
      return "complete";
    case HolderMessageStatus::kTimedOut:
      return "the sender went quiet";
    case HolderMessageStatus::kReadFailed:
      return "the channel broke";
    case HolderMessageStatus::kBadHeader:
      return "no length line at the start";
    case HolderMessageStatus::kTooLong:
      return "the text is too long";
    case HolderMessageStatus::kTruncated:
      return "the text is cut short";
    case HolderMessageStatus::kTrailingBytes:
      return "bytes follow the text";
    case HolderMessageStatus::kNotUtf8:
      return "the text is not UTF-8";
  }
  return "unknown";
}

HolderMessage ReadHolderMessage(int fd, std::chrono::milliseconds timeout) {
  MessageParser parser;
  char chunk[1 << 16];
  for (;;) {
    bool failed = false;
    if (!WaitReadable(fd, timeout, &failed)) {
      return {failed ? HolderMessageStatus::kReadFailed
                     : HolderMessageStatus::kTimedOut,
              {}};
    }
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
      return {HolderMessageStatus::kReadFailed, {}};
    }
    if (got == 0) return parser.End();
    if (!parser.Feed(std::string_view(chunk, static_cast<std::size_t>(got)))) {
      return {parser.refusal(), {}};
    }
  }
}

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t trail;
    std::uint32_t code;
    std::uint32_t smallest;
    if ((lead & 0xE0) == 0xC0) {
      trail = 1;
      code = lead & 0x1Fu;
      smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      trail = 2;
      code = lead & 0x0Fu;
      smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      trail = 3;
      code = lead & 0x07u;
      smallest = 0x10000;
    } else {
      return false;
    }
    if (text.size() - i - 1 < trail) return false;
    for (std::size_t k = 1; k <= trail; ++k) {
      const auto byte = static_cast<unsigned char>(text[i + k]);
      if ((byte & 0xC0) != 0x80) return false;
      code = (code << 6) | (byte & 0x3Fu);
    }
    if (code < smallest || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    i += trail + 1;
  }
  return true;
}

}  // namespace tarnel
