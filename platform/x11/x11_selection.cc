#include "platform/x11/x11_selection.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tarnel {

namespace {

using Clock = std::chrono::steady_clock;

// The most that one increment of an outgoing text carries.
constexpr std::size_t kIncrementBytes = std::size_t{1} << 20;
// Room in a request beside its data.
constexpr std::size_t kRequestOverhead = 1024;
// A requestor that takes no increment for this long has gone away.
constexpr std::chrono::seconds kIncrementTimeout{30};
// The longest text an owner's INCR announcement is believed for, when room
// is made for it in advance.
constexpr std::uint64_t kSizeHintLimit = std::uint64_t{1} << 32;

template <typename T>
struct FreeDeleter {
  void operator()(T* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter<T>>;
using Event = Reply<xcb_generic_event_t>;

std::uint8_t TypeOf(const xcb_generic_event_t* event) {
  return event->response_type & 0x7F;
}

xcb_atom_t Intern(xcb_connection_t* c, xcb_intern_atom_cookie_t cookie) {
  Reply<xcb_intern_atom_reply_t> reply(
      xcb_intern_atom_reply(c, cookie, nullptr));
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

xcb_intern_atom_cookie_t Ask(xcb_connection_t* c, const char* name) {
  return xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)),
                         name);
}

Clock::time_point After(std::chrono::milliseconds timeout) {
  return Clock::now() + timeout;
}

}  // namespace

std::unique_ptr<X11Session> X11Session::Connect() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return nullptr;
  int screen_number = 0;
  xcb_connection_t* c = xcb_connect(display, &screen_number);
  if (!c || xcb_connection_has_error(c)) {
    if (c) xcb_disconnect(c);
    return nullptr;
  }
  std::unique_ptr<X11Session> session(new X11Session);
  session->connection_ = c;

  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < screen_number && screens.rem > 0; ++i) {
    xcb_screen_next(&screens);
  }
  if (screens.rem == 0) return nullptr;
  session->window_ = xcb_generate_id(c);
  const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_create_window(c, XCB_COPY_FROM_PARENT, session->window_,
                    screens.data->root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                    XCB_CW_EVENT_MASK, &events);

  SelectionAtoms& a = session->atoms_;
  const xcb_intern_atom_cookie_t cookies[] = {
      Ask(c, "CLIPBOARD"),
      Ask(c, "TARGETS"),
      Ask(c, "TIMESTAMP"),
      Ask(c, "UTF8_STRING"),
      Ask(c, "text/plain;charset=utf-8"),
      Ask(c, "TEXT"),
      Ask(c, "INCR"),
      Ask(c, "TARNEL_SELECTION")};
  xcb_atom_t* const slots[] = {&a.clipboard,   &a.targets,         &a.timestamp,
                               &a.utf8_string, &a.text_plain_utf8, &a.text,
                               &a.incr,        &a.transfer};
  for (std::size_t i = 0; i < std::size(cookies); ++i) {
    *slots[i] = Intern(c, cookies[i]);
    if (*slots[i] == XCB_ATOM_NONE) return nullptr;
  }
  session->max_request_bytes_ =
      std::size_t{xcb_get_maximum_request_length(c)} * 4;
  if (xcb_connection_has_error(c)) return nullptr;
  return session;
}

X11Session::~X11Session() {
  if (connection_) xcb_disconnect(connection_);
}

xcb_generic_event_t* X11Session::PollForEvent() {
  return xcb_poll_for_event(connection_);
}

xcb_generic_event_t* X11Session::WaitForEvent(Clock::time_point deadline) {
  xcb_flush(connection_);
  for (;;) {
    if (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
      return event;
    }
    if (xcb_connection_has_error(connection_)) return nullptr;
    int wait = -1;
    if (deadline != Clock::time_point::max()) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - Clock::now());
      if (left.count() <= 0) return nullptr;
      wait = static_cast<int>(std::min<std::int64_t>(left.count(), 1 << 30));
    }
    pollfd entry{xcb_get_file_descriptor(connection_), POLLIN, 0};
    const int ready = ::poll(&entry, 1, wait);
    if (ready < 0 && errno != EINTR) return nullptr;
  }
}

xcb_timestamp_t X11Session::ServerTime() {
  // Appending nothing changes nothing but still earns a notice with the
  // server's time in it.
  xcb_change_property(connection_, XCB_PROP_MODE_APPEND, window_,
                      atoms_.transfer, XCB_ATOM_STRING, 8, 0, nullptr);
  const Clock::time_point deadline = After(std::chrono::seconds(5));
  while (Event event{WaitForEvent(deadline)}) {
    if (TypeOf(event.get()) != XCB_PROPERTY_NOTIFY) continue;
    const auto* notice =
        reinterpret_cast<const xcb_property_notify_event_t*>(event.get());
    if (notice->window == window_ && notice->atom == atoms_.transfer) {
      return notice->time;
    }
  }
  return XCB_CURRENT_TIME;
}

xcb_window_t X11Session::SelectionOwner() {
  Reply<xcb_get_selection_owner_reply_t> reply(xcb_get_selection_owner_reply(
      connection_, xcb_get_selection_owner(connection_, atoms_.clipboard),
      nullptr));
  return reply ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
}

bool TakeSelection(X11Session& session, xcb_timestamp_t time) {
  xcb_set_selection_owner(session.connection(), session.window(),
                          session.atoms().clipboard, time);
  return session.SelectionOwner() == session.window();
}

void ReleaseSelection(X11Session& session, xcb_timestamp_t since) {
  if (session.SelectionOwner() != session.window()) return;
  xcb_set_selection_owner(session.connection(), XCB_WINDOW_NONE,
                          session.atoms().clipboard, since);
  xcb_flush(session.connection());
}

namespace {

// Takes our transfer property off our window, with its contents.
Reply<xcb_get_property_reply_t> TakeProperty(X11Session& session) {
  xcb_connection_t* c = session.connection();
  return Reply<xcb_get_property_reply_t>(xcb_get_property_reply(
      c,
      xcb_get_property(c, 1, session.window(), session.atoms().transfer,
                       XCB_GET_PROPERTY_TYPE_ANY, 0, UINT32_MAX / 4),
      nullptr));
}

void Append(const xcb_get_property_reply_t& reply, std::string* text) {
  const auto length =
      static_cast<std::size_t>(xcb_get_property_value_length(&reply));
  text->append(static_cast<const char*>(xcb_get_property_value(&reply)),
               length);
}

// The increments of an INCR transfer, until the empty one that ends it.
SelectionText ReceiveIncrements(X11Session& session,
                                std::chrono::milliseconds timeout,
                                std::string* text, xcb_atom_t* type) {
  Clock::time_point deadline = After(timeout);
  while (Event event{session.WaitForEvent(deadline)}) {
    if (TypeOf(event.get()) != XCB_PROPERTY_NOTIFY) continue;
    const auto* notice =
        reinterpret_cast<const xcb_property_notify_event_t*>(event.get());
    if (notice->window != session.window() ||
        notice->atom != session.atoms().transfer ||
        notice->state != XCB_PROPERTY_NEW_VALUE) {
      continue;
    }
    const Reply<xcb_get_property_reply_t> part = TakeProperty(session);
    if (!part) return SelectionText::kFailed;
    if (xcb_get_property_value_length(part.get()) == 0) {
      return SelectionText::kText;
    }
    *type = part->type;
    Append(*part, text);
    deadline = After(timeout);
  }
  return SelectionText::kFailed;
}

// One request for the selection as |target|. What arrives goes to |*text|,
// the type the owner gave it to |*type|.
SelectionText Convert(X11Session& session, xcb_atom_t target,
                      std::chrono::milliseconds timeout, std::string* text,
                      xcb_atom_t* type) {
  xcb_convert_selection(session.connection(), session.window(),
                        session.atoms().clipboard, target,
                        session.atoms().transfer, XCB_CURRENT_TIME);
  const Clock::time_point deadline = After(timeout);
  for (;;) {
    const Event event{session.WaitForEvent(deadline)};
    if (!event) return SelectionText::kFailed;
    if (TypeOf(event.get()) != XCB_SELECTION_NOTIFY) continue;
    const auto* notice =
        reinterpret_cast<const xcb_selection_notify_event_t*>(event.get());
    if (notice->requestor != session.window()) continue;
    if (notice->property == XCB_ATOM_NONE) return SelectionText::kNoText;
    break;
  }
  const Reply<xcb_get_property_reply_t> reply = TakeProperty(session);
  if (!reply) return SelectionText::kFailed;
  text->clear();
  *type = reply->type;
  if (reply->type != session.atoms().incr) {
    Append(*reply, text);
    return SelectionText::kText;
  }
  // The announcement gives a lower bound of the size.
  if (xcb_get_property_value_length(reply.get()) >= 4) {
    std::uint32_t hint;
    std::memcpy(&hint, xcb_get_property_value(reply.get()), sizeof hint);
    if (hint < kSizeHintLimit) text->reserve(hint);
  }
  *type = XCB_ATOM_NONE;
  return ReceiveIncrements(session, timeout, text, type);
}

// The targets the owner lists; empty when it lists none.
std::vector<xcb_atom_t> OfferedTargets(X11Session& session,
                                       std::chrono::milliseconds timeout,
                                       SelectionText* got) {
  std::string list;
  xcb_atom_t type = XCB_ATOM_NONE;
  *got = Convert(session, session.atoms().targets, timeout, &list, &type);
  std::vector<xcb_atom_t> targets;
  if (*got != SelectionText::kText || type != XCB_ATOM_ATOM) return targets;
  targets.resize(list.size() / sizeof(xcb_atom_t));
  std::memcpy(targets.data(), list.data(), targets.size() * sizeof(xcb_atom_t));
  return targets;
}

}  // namespace

SelectionText ReadSelectionText(X11Session& session,
                                std::chrono::milliseconds timeout,
                                std::string* text) {
  const SelectionAtoms& a = session.atoms();
  SelectionText got;
  const std::vector<xcb_atom_t> offered =
      OfferedTargets(session, timeout, &got);
  if (got == SelectionText::kFailed) return got;
  // An owner that lists nothing is asked for each kind of text in turn; what
  // it sends counts by the type it gives, since some owners send what they
  // have whatever was asked for.
  const auto offers = [&offered](xcb_atom_t target) {
    return offered.empty() ||
           std::find(offered.begin(), offered.end(), target) != offered.end();
  };
  for (const xcb_atom_t target :
       {a.utf8_string, a.text_plain_utf8, xcb_atom_t{XCB_ATOM_STRING}}) {
    if (!offers(target)) continue;
    xcb_atom_t type = XCB_ATOM_NONE;
    got = Convert(session, target, timeout, text, &type);
    if (got == SelectionText::kFailed) return got;
    if (got == SelectionText::kNoText) continue;
    if (type == a.utf8_string || type == a.text_plain_utf8) {
      return SelectionText::kText;
    }
    if (type == XCB_ATOM_STRING) {
      *text = Utf8FromLatin1(*text);
      return SelectionText::kText;
    }
  }
  text->clear();
  return SelectionText::kNoText;
}

std::string Utf8FromLatin1(std::string_view latin1) {
  std::string utf8;
  utf8.reserve(latin1.size());
  for (const char ch : latin1) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte < 0x80) {
      utf8.push_back(ch);
    } else {
      utf8.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      utf8.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return utf8;
}

std::string Latin1FromUtf8(std::string_view utf8) {
  std::string latin1;
  latin1.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t length = 1;
    if (lead >= 0xF0) {
      length = 4;
    } else if (lead >= 0xE0) {
      length = 3;
    } else if (lead >= 0xC0) {
      length = 2;
    }
    if (length == 1) {
      latin1.push_back(static_cast<char>(lead));
    } else if (length == 2 && lead <= 0xC3 && i + 1 < utf8.size()) {
      const auto next = static_cast<unsigned char>(utf8[i + 1]);
      latin1.push_back(static_cast<char>(((lead & 0x03) << 6) | (next & 0x3F)));
    } else {
      latin1.push_back('?');
    }
    i += length;
  }
  return latin1;
}

namespace {

void SendNotice(xcb_connection_t* c,
                const xcb_selection_request_event_t& request,
                xcb_atom_t property) {
  xcb_selection_notify_event_t notice{};
  notice.response_type = XCB_SELECTION_NOTIFY;
  notice.time = request.time;
  notice.requestor = request.requestor;
  notice.selection = request.selection;
  notice.target = request.target;
  notice.property = property;
  xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                 reinterpret_cast<const char*>(&notice));
}

}  // namespace

void RefuseWaitingRequests(X11Session& session) {
  xcb_flush(session.connection());
  while (Event event{session.PollForEvent()}) {
    if (TypeOf(event.get()) != XCB_SELECTION_REQUEST) continue;
    SendNotice(
        session.connection(),
        *reinterpret_cast<const xcb_selection_request_event_t*>(event.get()),
        XCB_ATOM_NONE);
  }
  xcb_flush(session.connection());
}

namespace {

// An outgoing text that goes in increments, and how far it has got.
struct Increments {
  xcb_window_t requestor;
  xcb_atom_t property;
  xcb_atom_t type;
  std::string_view data;
  std::size_t sent = 0;
  Clock::time_point last_progress;
};

class SelectionServer {
 public:
  SelectionServer(X11Session& session, std::string_view utf8,
                  xcb_timestamp_t acquired)
      : s_(session),
        c_(session.connection()),
        utf8_(utf8),
        acquired_(acquired),
        direct_limit_(session.max_request_bytes() > kRequestOverhead
                          ? session.max_request_bytes() - kRequestOverhead
                          : 0),
        increment_(std::min(kIncrementBytes, direct_limit_)) {}

  void Run() {
    for (;;) {
      DropStalled();
      const Clock::time_point deadline = pending_.empty()
                                             ? Clock::time_point::max()
                                             : Clock::now() + kIncrementTimeout;
      const Event event{s_.WaitForEvent(deadline)};
      if (!event) {
        if (xcb_connection_has_error(c_)) return;
        continue;
      }
      switch (TypeOf(event.get())) {
        case XCB_SELECTION_REQUEST:
          Answer(*reinterpret_cast<const xcb_selection_request_event_t*>(
              event.get()));
          break;
        case XCB_SELECTION_CLEAR: {
          const auto* clear =
              reinterpret_cast<const xcb_selection_clear_event_t*>(event.get());
          if (clear->selection == s_.atoms().clipboard) return;
          break;
        }
        case XCB_PROPERTY_NOTIFY:
          Continue(*reinterpret_cast<const xcb_property_notify_event_t*>(
              event.get()));
          break;
        case 0: {
          // An error: a requestor's window that is gone ends its transfer.
          const auto* error =
              reinterpret_cast<const xcb_generic_error_t*>(event.get());
          std::erase_if(pending_, [error](const Increments& i) {
            return i.requestor == error->resource_id;
          });
          break;
        }
        default:
          break;
      }
    }
  }

 private:
  void Answer(const xcb_selection_request_event_t& request) {
    const SelectionAtoms& a = s_.atoms();
    // Old clients name no property: the target serves as one.
    const xcb_atom_t property =
        request.property == XCB_ATOM_NONE ? request.target : request.property;
    bool served = false;
    const bool too_early = request.time != XCB_CURRENT_TIME &&
                           acquired_ != XCB_CURRENT_TIME &&
                           request.time < acquired_;
    if (request.selection == a.clipboard && !too_early) {
      if (request.target == a.targets) {
        const xcb_atom_t targets[] = {a.targets,     a.timestamp,
                                      a.utf8_string, a.text_plain_utf8,
                                      a.text,        XCB_ATOM_STRING};
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor,
                            property, XCB_ATOM_ATOM, 32,
                            static_cast<std::uint32_t>(std::size(targets)),
                            targets);
        served = true;
      } else if (request.target == a.timestamp) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor,
                            property, XCB_ATOM_INTEGER, 32, 1, &acquired_);
        served = true;
      } else if (request.target == a.utf8_string ||
                 request.target == a.text_plain_utf8) {
        served = Put(request.requestor, property, request.target, utf8_);
      } else if (request.target == a.text) {
        served = Put(request.requestor, property, a.utf8_string, utf8_);
      } else if (request.target == XCB_ATOM_STRING) {
        if (latin1_.empty() && !utf8_.empty()) latin1_ = Latin1FromUtf8(utf8_);
        served = Put(request.requestor, property, XCB_ATOM_STRING, latin1_);
      }
    }
    SendNotice(c_, request, served ? property : xcb_atom_t{XCB_ATOM_NONE});
    xcb_flush(c_);
  }

  // The whole text at once when one request can carry it, else its size
  // announced and the increments left for the requestor to fetch.
  bool Put(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t type,
           std::string_view data) {
    if (data.size() <= direct_limit_) {
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, requestor, property, type,
                          8, static_cast<std::uint32_t>(data.size()),
                          data.data());
      return true;
    }
    if (increment_ == 0) return false;
    // The requestor deleting the property asks for the next increment.
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c_, requestor, XCB_CW_EVENT_MASK, &events);
    const auto size = static_cast<std::uint32_t>(
        std::min<std::size_t>(data.size(), UINT32_MAX));
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, requestor, property,
                        s_.atoms().incr, 32, 1, &size);
    std::erase_if(pending_, [&](const Increments& i) {
      return i.requestor == requestor && i.property == property;
    });
    pending_.push_back(
        Increments{requestor, property, type, data, 0, Clock::now()});
    return true;
  }

  void Continue(const xcb_property_notify_event_t& notice) {
    if (notice.state != XCB_PROPERTY_DELETE) return;
    const auto it = std::find_if(
        pending_.begin(), pending_.end(), [&notice](const Increments& i) {
          return i.requestor == notice.window && i.property == notice.atom;
        });
    if (it == pending_.end()) return;
    const std::size_t chunk = std::min(increment_, it->data.size() - it->sent);
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, it->requestor, it->property,
                        it->type, 8, static_cast<std::uint32_t>(chunk),
                        it->data.data() + it->sent);
    xcb_flush(c_);
    // The empty increment that ends the transfer has gone out.
    if (chunk == 0) {
      pending_.erase(it);
      return;
    }
    it->sent += chunk;
    it->last_progress = Clock::now();
  }

  void DropStalled() {
    const Clock::time_point now = Clock::now();
    std::erase_if(pending_, [now](const Increments& i) {
      return now - i.last_progress > kIncrementTimeout;
    });
  }

  X11Session& s_;
  xcb_connection_t* const c_;
  const std::string_view utf8_;
  std::string latin1_;
  const xcb_timestamp_t acquired_;
  const std::size_t direct_limit_;
  const std::size_t increment_;
  std::vector<Increments> pending_;
};

}  // namespace

void ServeSelection(X11Session& session, std::string_view utf8,
                    xcb_timestamp_t acquired) {
  SelectionServer(session, utf8, acquired).Run();
}

}  // namespace tarnel
