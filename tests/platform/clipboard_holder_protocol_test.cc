// The clipboard holder's message on a real socket pair: what is served, what
// is refused and why, and that a silent sender cannot keep the reader
// waiting.
#include "platform/clipboard_holder_protocol.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

namespace tarnel {
namespace {

using Status = HolderMessageStatus;

// A socket pair, as the holder's standard input is one.
class Channel {
 public:
  Channel() {
    EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds_), 0);
  }
  ~Channel() {
    ::close(fds_[0]);
    if (fds_[1] >= 0) ::close(fds_[1]);
  }
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  int reader() const { return fds_[0]; }
  void Send(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::send(fds_[1], bytes.data() + done,
                               bytes.size() - done, MSG_NOSIGNAL);
      ASSERT_GT(n, 0);
      done += static_cast<std::size_t>(n);
    }
  }
  void End() { ASSERT_EQ(::shutdown(fds_[1], SHUT_WR), 0); }
  void Close() {
    ::close(fds_[1]);
    fds_[1] = -1;
  }

 private:
  int fds_[2] = {-1, -1};
};

HolderMessage ReadEnded(const std::string& bytes) {
  Channel channel;
  channel.Send(bytes);
  channel.End();
  return ReadHolderMessage(channel.reader(), kHolderReadTimeout);
}

TEST(ClipboardHolderProtocolTest, WholeMessageGivesItsText) {
  const std::string text = "b\r\na\r\n東京\r\n";
  const HolderMessage message =
      ReadEnded(HolderMessageHeader(text.size()) + text);
  EXPECT_EQ(message.status, Status::kComplete);
  EXPECT_EQ(message.text, text);
}

TEST(ClipboardHolderProtocolTest, EmptyTextIsAMessageToo) {
  const HolderMessage message = ReadEnded("0\n");
  EXPECT_EQ(message.status, Status::kComplete);
  EXPECT_EQ(message.text, "");
}

TEST(ClipboardHolderProtocolTest, HeaderIsTheLengthAndALineFeed) {
  EXPECT_EQ(HolderMessageHeader(0), "0\n");
  EXPECT_EQ(HolderMessageHeader(4294967296u), "4294967296\n");
}

// A text far larger than the socket buffers, sent while it is read.
TEST(ClipboardHolderProtocolTest, LargeTextArrivesInPiecesAndWhole) {
  std::string text(3u << 20, 'x');
  for (std::size_t i = 0; i < text.size(); i += 4099) text[i] = '\n';
  Channel channel;
  std::thread sender([&] {
    channel.Send(HolderMessageHeader(text.size()));
    channel.Send(text);
    channel.End();
  });
  const HolderMessage message =
      ReadHolderMessage(channel.reader(), kHolderReadTimeout);
  sender.join();
  EXPECT_EQ(message.status, Status::kComplete);
  EXPECT_TRUE(message.text == text);
}

struct RefusedCase {
  const char* name;
  std::string bytes;
  Status status;
};

class ClipboardHolderRefusalTest
    : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(ClipboardHolderRefusalTest, IsRefusedWithItsReasonAndNoText) {
  const HolderMessage message = ReadEnded(GetParam().bytes);
  EXPECT_EQ(message.status, GetParam().status)
      << HolderMessageStatusText(message.status);
  EXPECT_EQ(message.text, "");
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ClipboardHolderRefusalTest,
    ::testing::Values(
        RefusedCase{"NothingAtAll", "", Status::kTruncated},
        RefusedCase{"HeaderCutShort", "12", Status::kTruncated},
        RefusedCase{"TextCutShort", "10\nabc", Status::kTruncated},
        RefusedCase{"NoDigits", "\nabc", Status::kBadHeader},
        RefusedCase{"NotANumber", "x\nabc", Status::kBadHeader},
        RefusedCase{"Signed", "+3\nabc", Status::kBadHeader},
        RefusedCase{"LeadingZero", "03\nabc", Status::kBadHeader},
        RefusedCase{"BlankInHeader", "3 \nabc", Status::kBadHeader},
        RefusedCase{"OneBeyondTheLimit", "4294967297\n", Status::kTooLong},
        RefusedCase{"ElevenDigits", "99999999999\n", Status::kTooLong},
        RefusedCase{"BytesAfterTheText", "2\nabc", Status::kTrailingBytes},
        RefusedCase{"TwoMessages", "1\na1\nb", Status::kTrailingBytes},
        RefusedCase{"OverlongNul", "2\n\xc0\x80", Status::kNotUtf8},
        RefusedCase{"Surrogate", "3\n\xed\xa0\x80", Status::kNotUtf8},
        RefusedCase{"BeyondUnicode", "4\n\xf4\x90\x80\x80", Status::kNotUtf8},
        RefusedCase{"SequenceCutAtTheEnd", "2\n\xe6\x9d", Status::kNotUtf8},
        RefusedCase{"ShiftJis", "2\n\x82\xa0", Status::kNotUtf8}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

// The sender stays connected and says nothing more: the read gives up.
TEST(ClipboardHolderProtocolTest, SilentSenderIsGivenUpOn) {
  for (const std::string& sent :
       {std::string(), std::string("5\nab"), std::string("2\nab")}) {
    SCOPED_TRACE(sent);
    Channel channel;
    channel.Send(sent);
    const HolderMessage message =
        ReadHolderMessage(channel.reader(), std::chrono::milliseconds(50));
    EXPECT_EQ(message.status, Status::kTimedOut);
    EXPECT_EQ(message.text, "");
  }
}

TEST(ClipboardHolderProtocolTest, SenderThatVanishesIsATruncation) {
  Channel channel;
  channel.Send("100\npart of it");
  channel.Close();
  EXPECT_EQ(ReadHolderMessage(channel.reader(), kHolderReadTimeout).status,
            Status::kTruncated);
}

// A folder is always "ready" and cannot be read.
TEST(ClipboardHolderProtocolTest, UnreadableChannelIsABrokenOne) {
  const int folder = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(folder, 0);
  EXPECT_EQ(ReadHolderMessage(folder, kHolderReadTimeout).status,
            Status::kReadFailed);
  ::close(folder);
}

TEST(ClipboardHolderProtocolTest, Utf8IsCheckedToTheLetter) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("plain ASCII\r\n"));
  EXPECT_TRUE(IsValidUtf8("\xc2\x80\xdf\xbf"));          // U+0080, U+07FF
  EXPECT_TRUE(IsValidUtf8("\xe0\xa0\x80\xef\xbf\xbf"));  // U+0800, U+FFFF
  EXPECT_TRUE(IsValidUtf8("\xed\x9f\xbf\xee\x80\x80"));  // around surrogates
  EXPECT_TRUE(
      IsValidUtf8("\xf0\x90\x80\x80\xf4\x8f\xbf\xbf"));  // U+10000, U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\x80"));
  EXPECT_FALSE(IsValidUtf8("\xc1\xbf"));
  EXPECT_FALSE(IsValidUtf8("\xe0\x9f\xbf"));
  EXPECT_FALSE(IsValidUtf8("\xf0\x8f\xbf\xbf"));
  EXPECT_FALSE(IsValidUtf8("\xed\xbf\xbf"));
  EXPECT_FALSE(IsValidUtf8("\xf8\x88\x80\x80\x80"));
  EXPECT_FALSE(
      IsValidUtf8("\xe6\x9d"
                  "a"));
}

}  // namespace
}  // namespace tarnel
