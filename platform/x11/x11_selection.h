// The CLIPBOARD selection spoken directly with the X server, without a
// window toolkit: reading another program's text and serving our own. A
// batch run needs nothing more of the display, and starting a toolkit
// costs many times what a small sort does.
//
// Text travels as UTF-8 (UTF8_STRING). Large texts go in increments (INCR)
// both ways, as a single property may not exceed the server's largest
// request.
#ifndef TARNEL_PLATFORM_X11_X11_SELECTION_H_
#define TARNEL_PLATFORM_X11_X11_SELECTION_H_

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tarnel {

/// The atoms the selection's conversations use.
struct SelectionAtoms {
  xcb_atom_t clipboard = XCB_ATOM_NONE;
  xcb_atom_t targets = XCB_ATOM_NONE;
  xcb_atom_t timestamp = XCB_ATOM_NONE;
  xcb_atom_t utf8_string = XCB_ATOM_NONE;
  xcb_atom_t text_plain_utf8 = XCB_ATOM_NONE;  ///< text/plain;charset=utf-8
  xcb_atom_t text = XCB_ATOM_NONE;
  xcb_atom_t incr = XCB_ATOM_NONE;
  xcb_atom_t transfer = XCB_ATOM_NONE;  ///< our own property for incoming text
};

/// One connection to the display named by DISPLAY, with a window of ours
/// that no one sees, to own the selection and to receive text on.
class X11Session {
 public:
  /// Null when the display cannot be reached.
  static std::unique_ptr<X11Session> Connect();
  ~X11Session();
  X11Session(const X11Session&) = delete;
  X11Session& operator=(const X11Session&) = delete;

  xcb_connection_t* connection() const { return connection_; }
  xcb_window_t window() const { return window_; }
  const SelectionAtoms& atoms() const { return atoms_; }
  /// The largest request the server takes, in bytes.
  std::size_t max_request_bytes() const { return max_request_bytes_; }

  /// The next event, or null once |deadline| has passed or the connection
  /// has broken. The caller frees it.
  xcb_generic_event_t* WaitForEvent(
      std::chrono::steady_clock::time_point deadline);
  /// The next event already here, without waiting; null when none.
  xcb_generic_event_t* PollForEvent();

  /// A server time to stamp requests with: the time of a change to one of
  /// our window's properties. 0 (CurrentTime) when none came.
  xcb_timestamp_t ServerTime();

  /// The CLIPBOARD's owner, XCB_WINDOW_NONE when there is none.
  xcb_window_t SelectionOwner();

 private:
  X11Session() = default;
  xcb_connection_t* connection_ = nullptr;
  xcb_window_t window_ = XCB_WINDOW_NONE;
  SelectionAtoms atoms_;
  std::size_t max_request_bytes_ = 0;
};

/// How a reading of the clipboard's text ended.
enum class SelectionText {
  kText,    ///< text arrived
  kNoText,  ///< no owner, or the owner offers no text
  kFailed,  ///< the owner did not answer in time, or the transfer broke
};

/// Asks the CLIPBOARD's owner for its text: UTF-8 if it has it, else its
/// Latin-1 STRING, which is turned into UTF-8. The text goes to |*text|.
/// No wait lasts longer than |timeout|.
SelectionText ReadSelectionText(X11Session& session,
                                std::chrono::milliseconds timeout,
                                std::string* text);

/// |latin1| as UTF-8.
std::string Utf8FromLatin1(std::string_view latin1);

/// Well-formed UTF-8 |utf8| as Latin-1, '?' for what Latin-1 lacks.
std::string Latin1FromUtf8(std::string_view utf8);

/// Serves |utf8| as the CLIPBOARD's contents from |session|'s window, which
/// must own the selection since |acquired|, until another program takes
/// the selection over. Returns when ownership is lost or the connection
/// breaks.
void ServeSelection(X11Session& session, std::string_view utf8,
                    xcb_timestamp_t acquired);

/// Answers the requests for the selection that have reached |session|'s
/// window with a refusal, so that no requestor waits on us for nothing.
void RefuseWaitingRequests(X11Session& session);

/// Makes |session|'s window the CLIPBOARD's owner at |time|. True when the
/// server agrees that it is.
bool TakeSelection(X11Session& session, xcb_timestamp_t time);

/// Gives up the CLIPBOARD selection, taken at |since|, if |session|'s window
/// still owns it: then it has no owner.
void ReleaseSelection(X11Session& session, xcb_timestamp_t since);

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_X11_X11_SELECTION_H_
