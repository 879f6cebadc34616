// The clipboard holder's reading of its message, on a real socket pair as
// the holder has it. The bytes are raw, or a header around a body whose
// length is told right, short or long. The sender then ends the channel or
// stays silent with it open. Whatever arrives, the reading must end (every
// wait is bounded) with the outcome a model written here from the format
// gives: the text of a well-formed message, else the right refusal.
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "platform/clipboard_holder_protocol.h"

namespace tarnel {
namespace {

using Status = HolderMessageStatus;

constexpr std::size_t kLargestMessage = 100000;

// Well-formed UTF-8 by the table of the Unicode Standard (3.9, table 3-7):
// each lead byte allows its own range for the byte after it.
bool WellFormed(std::string_view text) {
  std::size_t i = 0;
  const auto at = [&](std::size_t k) -> int {
    return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : -1;
  };
  const auto in = [](int byte, int low, int high) {
    return byte >= low && byte <= high;
  };
  while (i < text.size()) {
    const int lead = at(0);
    int length;
    int low = 0x80;
    int high = 0xBF;
    if (lead <= 0x7F) {
      length = 1;
    } else if (in(lead, 0xC2, 0xDF)) {
      length = 2;
    } else if (in(lead, 0xE0, 0xEF)) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (in(lead, 0xF0, 0xF4)) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (length > 1 && !in(at(1), low, high)) return false;
    for (int k = 2; k < length; ++k) {
      if (!in(at(static_cast<std::size_t>(k)), 0x80, 0xBF)) return false;
    }
    i += static_cast<std::size_t>(length);
  }
  return true;
}

struct Expected {
  Status status;
  std::string text;
};

// What reading |bytes| must give; |ended| tells whether the channel ends
// after them.
Expected Model(std::string_view bytes, bool ended) {
  const Status cut = ended ? Status::kTruncated : Status::kTimedOut;
  std::uint64_t length = 0;
  std::size_t i = 0;
  for (;; ++i) {
    if (i == bytes.size()) return {cut, {}};
    const char c = bytes[i];
    if (c == '\n') break;
    if (c < '0' || c > '9') return {Status::kBadHeader, {}};
    if (i == 1 && bytes[0] == '0') return {Status::kBadHeader, {}};
    length = length * 10 + static_cast<std::uint64_t>(c - '0');
    if (length > (std::uint64_t{1} << 32)) return {Status::kTooLong, {}};
  }
  if (i == 0) return {Status::kBadHeader, {}};
  const std::string_view body = bytes.substr(i + 1);
  if (body.size() > length) return {Status::kTrailingBytes, {}};
  if (body.size() < length || !ended) return {cut, {}};
  if (!WellFormed(body)) return {Status::kNotUtf8, {}};
  return {Status::kComplete, std::string(body)};
}

std::string Message(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return input.ConsumeRemainingBytesAsString();
    case 1: {
      const std::string body = input.ConsumeRemainingBytesAsString();
      return HolderMessageHeader(body.size()) + body;
    }
    case 2: {
      const auto delta = input.ConsumeIntegralInRange<int>(-3, 3);
      const std::string body = input.ConsumeRemainingBytesAsString();
      const auto length = static_cast<std::int64_t>(body.size()) +
                          static_cast<std::int64_t>(delta);
      return std::to_string(length < 0 ? 0 : length) + "\n" + body;
    }
    default: {
      const std::uint64_t length = input.PickValueInArray<std::uint64_t>(
          {(std::uint64_t{1} << 32) - 1, std::uint64_t{1} << 32,
           (std::uint64_t{1} << 32) + 1, 99999999999u, ~std::uint64_t{0}});
      return std::to_string(length) + "\n" +
             input.ConsumeRemainingBytesAsString();
    }
  }
}

const char* Name(Status status) { return HolderMessageStatusText(status); }

}  // namespace
}  // namespace tarnel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace tarnel;
  FuzzedDataProvider input(data, size);
  const bool ended = input.ConsumeIntegralInRange(0, 7) != 0;
  const std::string bytes = Message(input);
  // Within what a socket pair buffers, so that one thread can send it all.
  if (bytes.size() > kLargestMessage) return 0;

  int channel[2];
  FUZZ_CHECK(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, channel) == 0,
             "no socket pair");
  // All bytes are in the socket before the reading starts, so that a sender
  // that stays silent is told apart from one that is slow.
  std::string_view rest = bytes;
  while (!rest.empty()) {
    const ssize_t sent = ::send(channel[1], rest.data(), rest.size(),
                                MSG_NOSIGNAL | MSG_DONTWAIT);
    FUZZ_CHECK(sent > 0, "the socket took " +
                             std::to_string(bytes.size() - rest.size()) +
                             " bytes only");
    rest.remove_prefix(static_cast<std::size_t>(sent));
  }
  if (ended) ::shutdown(channel[1], SHUT_WR);
  const HolderMessage message =
      ReadHolderMessage(channel[0], std::chrono::milliseconds(1));
  ::close(channel[0]);
  ::close(channel[1]);

  const Expected expected = Model(bytes, ended);
  FUZZ_CHECK(message.status == expected.status,
             std::string("read ") + Name(message.status) + ", the model " +
                 Name(expected.status));
  FUZZ_CHECK(message.text == expected.text, "the text differs");
  return 0;
}
