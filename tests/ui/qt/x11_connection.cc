#include "tests/ui/qt/x11_connection.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

namespace tarnel {

namespace {

// Replies are malloc'ed by xcb and freed by the caller.
template <class Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <class Reply>
ReplyPtr<Reply> Owned(Reply* reply) {
  return ReplyPtr<Reply>(reply, &std::free);
}

// WM_NORMAL_HINTS: flags, then x, y, width, height, then the limits.
constexpr std::uint32_t kMinSizeFlag = 1u << 4;
constexpr std::uint32_t kMaxSizeFlag = 1u << 5;
constexpr std::size_t kMinWidthWord = 5;
constexpr std::size_t kMaxWidthWord = 7;
// _MOTIF_WM_HINTS: flags, functions, decorations, ...
constexpr std::uint32_t kMotifFunctionsFlag = 1u << 0;
constexpr std::uint32_t kMotifDecorationsFlag = 1u << 1;
constexpr std::uint32_t kMotifFunctionAll = 1u << 0;
constexpr std::uint32_t kMotifFunctionMaximize = 1u << 4;
constexpr std::uint32_t kMotifDecorationAll = 1u << 0;
constexpr std::uint32_t kMotifDecorationMaximize = 1u << 5;

}  // namespace

X11Connection::X11Connection() {
  int screen_number = 0;
  connection_ = xcb_connect(nullptr, &screen_number);
  if (xcb_connection_has_error(connection_)) return;
  xcb_screen_iterator_t screens =
      xcb_setup_roots_iterator(xcb_get_setup(connection_));
  for (int i = 0; i < screen_number && screens.rem; ++i) {
    xcb_screen_next(&screens);
  }
  if (!screens.rem) return;
  screen_ = screens.data;
  // Top-level windows are the root's children: their creation and mapping
  // are told to whoever listens on the root.
  const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(connection_, screen_->root, XCB_CW_EVENT_MASK,
                               &mask);
  xcb_flush(connection_);
}

X11Connection::~X11Connection() { xcb_disconnect(connection_); }

QSize X11Connection::ScreenSize() const {
  return QSize(screen_->width_in_pixels, screen_->height_in_pixels);
}

xcb_atom_t X11Connection::Atom(const char* name) {
  const auto length = static_cast<std::uint16_t>(std::strlen(name));
  auto reply = Owned(xcb_intern_atom_reply(
      connection_, xcb_intern_atom(connection_, 0, length, name), nullptr));
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::vector<std::uint32_t> X11Connection::Words(xcb_window_t window,
                                                const char* property) {
  auto reply = Owned(xcb_get_property_reply(
      connection_,
      xcb_get_property(connection_, 0, window, Atom(property), XCB_ATOM_ANY, 0,
                       64),
      nullptr));
  if (!reply || reply->format != 32) return {};
  const auto* words =
      static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
  return std::vector<std::uint32_t>(
      words, words + xcb_get_property_value_length(reply.get()) / 4);
}

std::string X11Connection::Text(xcb_window_t window, const char* property) {
  auto reply = Owned(xcb_get_property_reply(
      connection_,
      xcb_get_property(connection_, 0, window, Atom(property), XCB_ATOM_ANY, 0,
                       256),
      nullptr));
  if (!reply || reply->format != 8) return {};
  return std::string(
      static_cast<const char*>(xcb_get_property_value(reply.get())),
      static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

std::vector<xcb_window_t> X11Connection::MappedWindowsTitled(
    const std::string& title) {
  std::vector<xcb_window_t> found;
  auto tree = Owned(xcb_query_tree_reply(
      connection_, xcb_query_tree(connection_, screen_->root), nullptr));
  if (!tree) return found;
  // The root's children, and under a window manager the windows it put
  // into frames of its own.
  std::vector<xcb_window_t> children(
      xcb_query_tree_children(tree.get()),
      xcb_query_tree_children(tree.get()) +
          xcb_query_tree_children_length(tree.get()));
  for (const std::uint32_t managed : Words(screen_->root, "_NET_CLIENT_LIST")) {
    children.push_back(managed);
  }
  const auto count = children.size();
  for (std::size_t i = 0; i < count; ++i) {
    auto attributes = Owned(xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, children[i]),
        nullptr));
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) {
      continue;
    }
    if (Text(children[i], "_NET_WM_NAME") == title ||
        Text(children[i], "WM_NAME") == title) {
      found.push_back(children[i]);
    }
  }
  return found;
}

QRect X11Connection::Geometry(xcb_window_t window) {
  auto geometry = Owned(xcb_get_geometry_reply(
      connection_, xcb_get_geometry(connection_, window), nullptr));
  if (!geometry) return QRect();
  auto origin = Owned(xcb_translate_coordinates_reply(
      connection_,
      xcb_translate_coordinates(connection_, window, screen_->root, 0, 0),
      nullptr));
  if (!origin) return QRect();
  return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

X11Connection::SizeLimits X11Connection::Limits(xcb_window_t window) {
  SizeLimits limits;
  const std::vector<std::uint32_t> hints = Words(window, "WM_NORMAL_HINTS");
  if (hints.size() <= kMaxWidthWord + 1) return limits;
  const auto size_at = [&hints](std::size_t word) {
    return QSize(static_cast<int>(hints[word]),
                 static_cast<int>(hints[word + 1]));
  };
  if (hints[0] & kMinSizeFlag) limits.minimum = size_at(kMinWidthWord);
  if (hints[0] & kMaxSizeFlag) limits.maximum = size_at(kMaxWidthWord);
  return limits;
}

bool X11Connection::MaximizeAllowed(xcb_window_t window) {
  const std::vector<std::uint32_t> hints = Words(window, "_MOTIF_WM_HINTS");
  if (hints.size() < 3) return true;
  // "All" turns the meaning of the other bits around: all but those.
  if (hints[0] & kMotifFunctionsFlag) {
    const bool listed = hints[1] & kMotifFunctionMaximize;
    if ((hints[1] & kMotifFunctionAll) ? listed : !listed) return false;
  }
  if (hints[0] & kMotifDecorationsFlag) {
    const bool listed = hints[2] & kMotifDecorationMaximize;
    if ((hints[2] & kMotifDecorationAll) ? listed : !listed) return false;
  }
  return true;
}

void X11Connection::Focus(xcb_window_t window) {
  xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, window,
                      XCB_CURRENT_TIME);
  xcb_flush(connection_);
}

std::optional<std::uint8_t> X11Connection::KeyCode(std::uint32_t keysym) {
  const xcb_setup_t* setup = xcb_get_setup(connection_);
  const int first = setup->min_keycode;
  const int count = setup->max_keycode - first + 1;
  auto mapping = Owned(xcb_get_keyboard_mapping_reply(
      connection_,
      xcb_get_keyboard_mapping(connection_, setup->min_keycode,
                               static_cast<std::uint8_t>(count)),
      nullptr));
  if (!mapping) return std::nullopt;
  const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping.get());
  const int per_code = mapping->keysyms_per_keycode;
  for (int code = 0; code < count; ++code) {
    if (symbols[code * per_code] == keysym) {
      return static_cast<std::uint8_t>(first + code);
    }
  }
  return std::nullopt;
}

bool X11Connection::TypeKey(xcb_window_t window, std::uint32_t keysym,
                            std::uint16_t modifiers) {
  const std::optional<std::uint8_t> code = KeyCode(keysym);
  if (!code) return false;
  for (const std::uint8_t type :
       {std::uint8_t{XCB_KEY_PRESS}, std::uint8_t{XCB_KEY_RELEASE}}) {
    xcb_key_press_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = type;
    event.detail = *code;
    event.time = XCB_CURRENT_TIME;
    event.root = screen_->root;
    event.event = window;
    event.child = XCB_NONE;
    event.same_screen = 1;
    event.state = modifiers;
    xcb_send_event(connection_, 0, window,
                   type == XCB_KEY_PRESS ? XCB_EVENT_MASK_KEY_PRESS
                                         : XCB_EVENT_MASK_KEY_RELEASE,
                   reinterpret_cast<const char*>(&event));
  }
  xcb_flush(connection_);
  return true;
}

QImage X11Connection::Grab(const QRect& area) {
  auto image = Owned(xcb_get_image_reply(
      connection_,
      xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, screen_->root,
                    static_cast<std::int16_t>(area.x()),
                    static_cast<std::int16_t>(area.y()),
                    static_cast<std::uint16_t>(area.width()),
                    static_cast<std::uint16_t>(area.height()), ~0u),
      nullptr));
  // A true-colour screen keeps 32 bits per pixel: blue, green, red, unused.
  const int bytes = area.width() * area.height() * 4;
  if (!image || image->depth != 24 ||
      xcb_get_image_data_length(image.get()) != bytes) {
    return QImage();
  }
  QImage picture(area.size(), QImage::Format_RGB32);
  const std::uint8_t* data = xcb_get_image_data(image.get());
  for (int y = 0; y < area.height(); ++y) {
    std::memcpy(picture.scanLine(y), data + y * area.width() * 4,
                static_cast<std::size_t>(area.width()) * 4);
  }
  return picture;
}

void X11Connection::Activate(xcb_window_t window) {
  // As a pager asks: _NET_ACTIVE_WINDOW sent to the root, from a user's
  // tool (source 2).
  xcb_client_message_event_t message;
  std::memset(&message, 0, sizeof message);
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = Atom("_NET_ACTIVE_WINDOW");
  message.data.data32[0] = 2;
  message.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(
      connection_, 0, screen_->root,
      XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
      reinterpret_cast<const char*>(&message));
  xcb_flush(connection_);
  const auto active = [&] {
    const std::vector<std::uint32_t> words =
        Words(screen_->root, "_NET_ACTIVE_WINDOW");
    return !words.empty() && words[0] == window;
  };
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!active() && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::vector<xcb_window_t> X11Connection::Stacking() {
  const std::vector<std::uint32_t> words =
      Words(screen_->root, "_NET_CLIENT_LIST_STACKING");
  return std::vector<xcb_window_t>(words.begin(), words.end());
}

QRect X11Connection::FrameGeometry(xcb_window_t window) {
  const QRect client = Geometry(window);
  // Left, right, top, bottom.
  const std::vector<std::uint32_t> extents =
      Words(window, "_NET_FRAME_EXTENTS");
  if (extents.size() != 4) return client;
  const auto at = [&](std::size_t i) { return static_cast<int>(extents[i]); };
  return client.adjusted(-at(0), -at(2), at(1), at(3));
}

int X11Connection::CaptionWidth(xcb_window_t window) {
  const QRect client = Geometry(window);
  const QRect frame = FrameGeometry(window);
  if (frame.top() >= client.top()) return 0;
  const QImage bar = Grab(QRect(frame.left(), frame.top(), frame.width(),
                                client.top() - frame.top()));
  // The test theme draws captions in pure green on black, smoothed edges
  // included; nothing else in a title bar is green.
  const auto caption_column = [&bar](int x) {
    for (int y = 0; y < bar.height(); ++y) {
      const QRgb pixel = bar.pixel(x, y);
      if (qGreen(pixel) > 80 && qRed(pixel) < 40 && qBlue(pixel) < 40) {
        return true;
      }
    }
    return false;
  };
  int left = -1;
  int right = -1;
  for (int x = 0; x < bar.width(); ++x) {
    if (!caption_column(x)) continue;
    if (left < 0) left = x;
    right = x;
  }
  return left < 0 ? 0 : right - left + 1;
}

xcb_window_t X11Connection::MakeWindow(const std::string& title,
                                       const QSize& size) {
  const xcb_window_t window = xcb_generate_id(connection_);
  xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, screen_->root, 0,
                    0, static_cast<std::uint16_t>(size.width()),
                    static_cast<std::uint16_t>(size.height()), 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual, 0,
                    nullptr);
  for (const char* property : {"WM_NAME", "_NET_WM_NAME"}) {
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window,
                        Atom(property), Atom("UTF8_STRING"), 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
  }
  xcb_map_window(connection_, window);
  xcb_flush(connection_);
  return window;
}

void X11Connection::DestroyWindow(xcb_window_t window) {
  xcb_destroy_window(connection_, window);
  xcb_flush(connection_);
}

void X11Connection::Watch(xcb_window_t window) {
  const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(connection_);
}

testing_support::WakeUp X11Connection::Events() {
  return {xcb_get_file_descriptor(connection_), [this] {
            bool any = false;
            while (auto event = Owned(xcb_poll_for_event(connection_))) {
              any = true;
              // A window's title may come after it was created: listen to
              // its properties too.
              const std::uint8_t type = event->response_type & 0x7f;
              if (type == XCB_CREATE_NOTIFY) {
                const auto* created =
                    reinterpret_cast<xcb_create_notify_event_t*>(event.get());
                const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
                xcb_change_window_attributes(connection_, created->window,
                                             XCB_CW_EVENT_MASK, &mask);
                xcb_flush(connection_);
              }
            }
            return any;
          }};
}

}  // namespace tarnel
