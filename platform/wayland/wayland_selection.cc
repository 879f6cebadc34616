#include "platform/wayland/wayland_selection.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/file_descriptor.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace tarnel {

namespace {

using Clock = std::chrono::steady_clock;

// What a text of ours is offered as: the names Wayland clients and
// Xwayland's bridge ask for.
constexpr const char* kOfferedTypes[] = {"text/plain;charset=utf-8",
                                         "text/plain", "UTF8_STRING", "TEXT"};
// What is read, best first; each is taken to be UTF-8.
constexpr const char* kReadTypes[] = {"text/plain;charset=utf-8", "UTF8_STRING",
                                      "text/plain", "TEXT"};

// Side of the window that waits for the focus: small, and transparent.
constexpr int kSurfaceSide = 16;

// A reader that takes no part of our text for this long has gone away.
constexpr std::chrono::seconds kSendTimeout{30};

Clock::time_point After(std::chrono::milliseconds timeout) {
  return Clock::now() + timeout;
}

// Milliseconds to |deadline| for poll(): -1 without one, 0 once past.
int PollWait(Clock::time_point deadline) {
  if (deadline == Clock::time_point::max()) return -1;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - Clock::now());
  return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 1 << 30));
}

// Another client's offer, with the types it lists.
struct Offer {
  void* proxy = nullptr;  // a zwlr_data_control_offer_v1 or a wl_data_offer
  bool control = false;
  std::vector<std::string> types;

  ~Offer() {
    if (!proxy) return;
    if (control) {
      zwlr_data_control_offer_v1_destroy(
          static_cast<zwlr_data_control_offer_v1*>(proxy));
    } else {
      wl_data_offer_destroy(static_cast<wl_data_offer*>(proxy));
    }
  }
  void Receive(const char* type, int fd) const {
    if (control) {
      zwlr_data_control_offer_v1_receive(
          static_cast<zwlr_data_control_offer_v1*>(proxy), type, fd);
    } else {
      wl_data_offer_receive(static_cast<wl_data_offer*>(proxy), type, fd);
    }
  }
};

// Writes all of |data| to |fd|, then closes it. Gives up on a reader that
// stalls or has gone.
void SendAll(int fd, std::string_view data) {
  FileDescriptor out(fd);
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  while (!data.empty()) {
    const ssize_t put = ::write(fd, data.data(), data.size());
    if (put > 0) {
      data.remove_prefix(static_cast<std::size_t>(put));
      continue;
    }
    if (put < 0 && errno == EINTR) continue;
    if (put < 0 && errno != EAGAIN) return;
    pollfd entry{fd, POLLOUT, 0};
    if (::poll(&entry, 1, PollWait(After(kSendTimeout))) <= 0) return;
  }
}

}  // namespace

struct WaylandSession::State {
  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_seat* seat = nullptr;
  std::uint32_t seat_capabilities = 0;
  wl_keyboard* keyboard = nullptr;
  zwlr_data_control_manager_v1* control = nullptr;
  wl_data_device_manager* data_devices = nullptr;
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  xdg_wm_base* wm_base = nullptr;

  // The seat's selection as the compositor last told it.
  zwlr_data_control_device_v1* control_device = nullptr;
  wl_data_device* data_device = nullptr;
  bool device_finished = false;
  std::vector<std::unique_ptr<Offer>> offers;
  Offer* selection = nullptr;
  int selection_events = 0;

  // The window that waits for the focus.
  wl_surface* surface = nullptr;
  xdg_surface* shell_surface = nullptr;
  xdg_toplevel* toplevel = nullptr;
  wl_buffer* buffer = nullptr;
  bool configured = false;
  bool focused = false;
  std::uint32_t focus_serial = 0;

  // Our own text, once offered.
  zwlr_data_control_source_v1* control_source = nullptr;
  wl_data_source* data_source = nullptr;
  bool cancelled = false;
  std::string_view text;

  ~State() {
    DropSource();
    DropWindow();
    offers.clear();
    if (control_device) zwlr_data_control_device_v1_destroy(control_device);
    if (data_device) wl_data_device_destroy(data_device);
    if (keyboard) wl_keyboard_destroy(keyboard);
    if (control) zwlr_data_control_manager_v1_destroy(control);
    if (data_devices) wl_data_device_manager_destroy(data_devices);
    if (wm_base) xdg_wm_base_destroy(wm_base);
    if (shm) wl_shm_destroy(shm);
    if (compositor) wl_compositor_destroy(compositor);
    if (seat) wl_seat_destroy(seat);
    if (registry) wl_registry_destroy(registry);
    if (display) wl_display_disconnect(display);
  }

  void DropSource() {
    if (control_source) zwlr_data_control_source_v1_destroy(control_source);
    if (data_source) wl_data_source_destroy(data_source);
    control_source = nullptr;
    data_source = nullptr;
  }

  void DropWindow() {
    if (toplevel) xdg_toplevel_destroy(toplevel);
    if (shell_surface) xdg_surface_destroy(shell_surface);
    if (surface) wl_surface_destroy(surface);
    if (buffer) wl_buffer_destroy(buffer);
    toplevel = nullptr;
    shell_surface = nullptr;
    surface = nullptr;
    buffer = nullptr;
    configured = false;
    focused = false;
    if (display) wl_display_flush(display);
  }

  // Dispatches events until |done| holds. False once |deadline| has passed
  // or the connection broke.
  template <typename Done>
  bool DispatchUntil(Clock::time_point deadline, Done done) {
    while (!done()) {
      if (wl_display_get_error(display) != 0) return false;
      if (wl_display_prepare_read(display) != 0) {
        if (wl_display_dispatch_pending(display) < 0) return false;
        continue;
      }
      if (wl_display_flush(display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display);
        return false;
      }
      pollfd entry{wl_display_get_fd(display), POLLIN, 0};
      const int wait = PollWait(deadline);
      const int ready = wait == 0 ? 0 : ::poll(&entry, 1, wait);
      if (ready > 0) {
        if (wl_display_read_events(display) < 0) return false;
      } else {
        wl_display_cancel_read(display);
        if (ready == 0) return false;
        if (errno != EINTR) return false;
      }
      if (wl_display_dispatch_pending(display) < 0) return false;
    }
    return true;
  }

  // Waits until the compositor has handled everything sent so far.
  bool Roundtrip(Clock::time_point deadline) {
    bool done = false;
    static const wl_callback_listener listener = {
        [](void* data, wl_callback*, std::uint32_t) {
          *static_cast<bool*>(data) = true;
        }};
    wl_callback* callback = wl_display_sync(display);
    wl_callback_add_listener(callback, &listener, &done);
    const bool ok = DispatchUntil(deadline, [&done] { return done; });
    wl_callback_destroy(callback);
    return ok;
  }

  void Introduce(void* proxy, bool is_control);
  void Select(void* proxy);
  bool OpenDevice(Clock::time_point deadline);
  bool GainFocus(Clock::time_point deadline);
  bool AttachBuffer();
};

namespace {

using State = WaylandSession::State;

State& Of(void* data) { return *static_cast<State*>(data); }

void AddType(void* data, const char* type) {
  static_cast<Offer*>(data)->types.emplace_back(type);
}

const zwlr_data_control_offer_v1_listener kControlOfferListener = {
    [](void* data, zwlr_data_control_offer_v1*, const char* type) {
      AddType(data, type);
    }};

const wl_data_offer_listener kDataOfferListener = {
    [](void* data, wl_data_offer*, const char* type) { AddType(data, type); },
    [](void*, wl_data_offer*, std::uint32_t) {},
    [](void*, wl_data_offer*, std::uint32_t) {}};

const zwlr_data_control_device_v1_listener kControlDeviceListener = {
    [](void* data, zwlr_data_control_device_v1*,
       zwlr_data_control_offer_v1* offer) { Of(data).Introduce(offer, true); },
    [](void* data, zwlr_data_control_device_v1*,
       zwlr_data_control_offer_v1* offer) { Of(data).Select(offer); },
    [](void* data, zwlr_data_control_device_v1*) {
      Of(data).device_finished = true;
    }};

const wl_data_device_listener kDataDeviceListener = {
    [](void* data, wl_data_device*, wl_data_offer* offer) {
      Of(data).Introduce(offer, false);
    },
    [](void*, wl_data_device*, std::uint32_t, wl_surface*, wl_fixed_t,
       wl_fixed_t, wl_data_offer*) {},
    [](void*, wl_data_device*) {},
    [](void*, wl_data_device*, std::uint32_t, wl_fixed_t, wl_fixed_t) {},
    [](void*, wl_data_device*) {},
    [](void* data, wl_data_device*, wl_data_offer* offer) {
      Of(data).Select(offer);
    }};

void SendOurText(void* data, const char*, std::int32_t fd) {
  SendAll(fd, Of(data).text);
}

const zwlr_data_control_source_v1_listener kControlSourceListener = {
    [](void* data, zwlr_data_control_source_v1*, const char* type,
       std::int32_t fd) { SendOurText(data, type, fd); },
    [](void* data, zwlr_data_control_source_v1*) {
      Of(data).cancelled = true;
    }};

const wl_data_source_listener kDataSourceListener = {
    [](void*, wl_data_source*, const char*) {},
    [](void* data, wl_data_source*, const char* type, std::int32_t fd) {
      SendOurText(data, type, fd);
    },
    [](void* data, wl_data_source*) { Of(data).cancelled = true; },
    [](void*, wl_data_source*) {},
    [](void*, wl_data_source*) {},
    [](void*, wl_data_source*, std::uint32_t) {}};

const wl_seat_listener kSeatListener = {
    [](void* data, wl_seat*, std::uint32_t capabilities) {
      Of(data).seat_capabilities = capabilities;
    },
    [](void*, wl_seat*, const char*) {}};

const wl_keyboard_listener kKeyboardListener = {
    [](void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) {
      ::close(fd);
    },
    [](void* data, wl_keyboard*, std::uint32_t serial, wl_surface* surface,
       wl_array*) {
      State& s = Of(data);
      if (surface == nullptr || surface != s.surface) return;
      s.focused = true;
      s.focus_serial = serial;
    },
    [](void* data, wl_keyboard*, std::uint32_t, wl_surface* surface) {
      State& s = Of(data);
      if (surface != nullptr && surface == s.surface) s.focused = false;
    },
    [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
       std::uint32_t) {},
    [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
       std::uint32_t, std::uint32_t) {},
    [](void*, wl_keyboard*, std::int32_t, std::int32_t) {}};

const xdg_wm_base_listener kWmBaseListener = {
    [](void*, xdg_wm_base* base, std::uint32_t serial) {
      xdg_wm_base_pong(base, serial);
    }};

const xdg_surface_listener kShellSurfaceListener = {
    [](void* data, xdg_surface* surface, std::uint32_t serial) {
      State& s = Of(data);
      xdg_surface_ack_configure(surface, serial);
      if (!s.configured && s.AttachBuffer()) s.configured = true;
    }};

// Bound at version 1: the events of later versions never come.
const xdg_toplevel_listener kToplevelListener = {
    [](void*, xdg_toplevel*, std::int32_t, std::int32_t, wl_array*) {},
    [](void*, xdg_toplevel*) {}, nullptr, nullptr};

void Bind(void* data, wl_registry* registry, std::uint32_t name,
          const char* interface, std::uint32_t version) {
  State& s = Of(data);
  const auto is = [interface](const wl_interface& wanted) {
    return std::strcmp(interface, wanted.name) == 0;
  };
  const auto bind = [&](const wl_interface& wanted, std::uint32_t highest) {
    return wl_registry_bind(registry, name, &wanted,
                            std::min(version, highest));
  };
  if (is(wl_seat_interface) && !s.seat) {
    s.seat = static_cast<wl_seat*>(bind(wl_seat_interface, 5));
    wl_seat_add_listener(s.seat, &kSeatListener, &s);
  } else if (is(zwlr_data_control_manager_v1_interface)) {
    s.control = static_cast<zwlr_data_control_manager_v1*>(
        bind(zwlr_data_control_manager_v1_interface, 1));
  } else if (is(wl_data_device_manager_interface)) {
    s.data_devices = static_cast<wl_data_device_manager*>(
        bind(wl_data_device_manager_interface, 3));
  } else if (is(wl_compositor_interface)) {
    s.compositor =
        static_cast<wl_compositor*>(bind(wl_compositor_interface, 4));
  } else if (is(wl_shm_interface)) {
    s.shm = static_cast<wl_shm*>(bind(wl_shm_interface, 1));
  } else if (is(xdg_wm_base_interface)) {
    s.wm_base = static_cast<xdg_wm_base*>(bind(xdg_wm_base_interface, 1));
    xdg_wm_base_add_listener(s.wm_base, &kWmBaseListener, &s);
  }
}

const wl_registry_listener kRegistryListener = {
    Bind, [](void*, wl_registry*, std::uint32_t) {}};

// Longest wait for the compositor while connecting.
constexpr std::chrono::seconds kConnectTimeout{5};

}  // namespace

void State::Introduce(void* proxy, bool is_control) {
  auto offer = std::make_unique<Offer>();
  offer->proxy = proxy;
  offer->control = is_control;
  if (is_control) {
    zwlr_data_control_offer_v1_add_listener(
        static_cast<zwlr_data_control_offer_v1*>(proxy), &kControlOfferListener,
        offer.get());
  } else {
    wl_data_offer_add_listener(static_cast<wl_data_offer*>(proxy),
                               &kDataOfferListener, offer.get());
  }
  offers.push_back(std::move(offer));
}

void State::Select(void* proxy) {
  ++selection_events;
  selection = nullptr;
  // Only the selection's offer stays of use; the others are given up.
  std::erase_if(offers, [this, proxy](const std::unique_ptr<Offer>& offer) {
    if (proxy != nullptr && offer->proxy == proxy) {
      selection = offer.get();
      return false;
    }
    return true;
  });
}

bool State::OpenDevice(Clock::time_point deadline) {
  if (control_device || data_device) return true;
  if (control) {
    control_device =
        zwlr_data_control_manager_v1_get_data_device(control, seat);
    zwlr_data_control_device_v1_add_listener(control_device,
                                             &kControlDeviceListener, this);
  } else {
    data_device = wl_data_device_manager_get_data_device(data_devices, seat);
    wl_data_device_add_listener(data_device, &kDataDeviceListener, this);
  }
  // The current selection comes at once (after the focus, without
  // data-control).
  return Roundtrip(deadline);
}

bool State::AttachBuffer() {
  const int size = kSurfaceSide * kSurfaceSide * 4;
  FileDescriptor memory(::memfd_create("tarnel-focus", MFD_CLOEXEC));
  if (!memory.valid() || ::ftruncate(memory.get(), size) != 0) return false;
  wl_shm_pool* pool = wl_shm_create_pool(shm, memory.get(), size);
  buffer = wl_shm_pool_create_buffer(pool, 0, kSurfaceSide, kSurfaceSide,
                                     kSurfaceSide * 4, WL_SHM_FORMAT_ARGB8888);
  wl_shm_pool_destroy(pool);
  wl_surface_attach(surface, buffer, 0, 0);
  wl_surface_damage(surface, 0, 0, kSurfaceSide, kSurfaceSide);
  wl_surface_commit(surface);
  return true;
}

bool State::GainFocus(Clock::time_point deadline) {
  if (focused) return true;
  if (!keyboard) {
    keyboard = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(keyboard, &kKeyboardListener, this);
  }
  surface = wl_compositor_create_surface(compositor);
  shell_surface = xdg_wm_base_get_xdg_surface(wm_base, surface);
  xdg_surface_add_listener(shell_surface, &kShellSurfaceListener, this);
  toplevel = xdg_surface_get_toplevel(shell_surface);
  xdg_toplevel_add_listener(toplevel, &kToplevelListener, this);
  xdg_toplevel_set_title(toplevel, "TARNEL");
  xdg_toplevel_set_app_id(toplevel, "tarnel");
  wl_surface_commit(surface);
  return DispatchUntil(deadline, [this] { return focused; }) &&
         Roundtrip(deadline);
}

WaylandSession::WaylandSession(std::unique_ptr<State> state)
    : state_(std::move(state)) {}

WaylandSession::~WaylandSession() = default;

std::unique_ptr<WaylandSession> WaylandSession::Connect() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  if (!name || !*name) return nullptr;
  auto state = std::make_unique<State>();
  state->display = wl_display_connect(nullptr);
  if (!state->display) return nullptr;
  state->registry = wl_display_get_registry(state->display);
  wl_registry_add_listener(state->registry, &kRegistryListener, state.get());
  // The globals, then what the seat says of itself.
  const Clock::time_point deadline = After(kConnectTimeout);
  if (!state->Roundtrip(deadline) || !state->Roundtrip(deadline)) {
    return nullptr;
  }
  return std::unique_ptr<WaylandSession>(new WaylandSession(std::move(state)));
}

WaylandRoute WaylandSession::route() const {
  const State& s = *state_;
  if (!s.seat) return WaylandRoute::kNone;
  if (s.control) return WaylandRoute::kDataControl;
  if (s.data_devices && s.compositor && s.shm && s.wm_base &&
      (s.seat_capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0) {
    return WaylandRoute::kFocusedSurface;
  }
  return WaylandRoute::kNone;
}

WaylandReading WaylandSession::ReadText(std::chrono::milliseconds timeout,
                                        std::string* text) {
  State& s = *state_;
  text->clear();
  const WaylandRoute how = route();
  if (how == WaylandRoute::kNone) return WaylandReading::kFailed;
  Clock::time_point deadline = After(timeout);
  // The device comes first, so that the focus brings it the selection.
  const bool opened =
      s.OpenDevice(deadline) &&
      (how != WaylandRoute::kFocusedSurface || s.GainFocus(deadline));
  s.DropWindow();  // the selection's offer stays valid without the focus
  if (!opened) return WaylandReading::kFailed;
  if (!s.selection) return WaylandReading::kNoText;
  const std::vector<std::string>& types = s.selection->types;
  const auto chosen = std::find_if(
      std::begin(kReadTypes), std::end(kReadTypes), [&types](const char* type) {
        return std::find(types.begin(), types.end(), type) != types.end();
      });
  if (chosen == std::end(kReadTypes)) return WaylandReading::kNoText;

  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
    return WaylandReading::kFailed;
  }
  FileDescriptor incoming(ends[0]);
  s.selection->Receive(*chosen, ends[1]);
  ::close(ends[1]);
  if (wl_display_flush(s.display) < 0 && errno != EAGAIN) {
    return WaylandReading::kFailed;
  }
  char chunk[1 << 16];
  for (;;) {
    const ssize_t got = ::read(incoming.get(), chunk, sizeof chunk);
    if (got > 0) {
      text->append(chunk, static_cast<std::size_t>(got));
      deadline = After(timeout);
      continue;
    }
    if (got == 0) return WaylandReading::kText;
    if (errno == EINTR) continue;
    if (errno != EAGAIN) return WaylandReading::kFailed;
    pollfd entry{incoming.get(), POLLIN, 0};
    if (::poll(&entry, 1, PollWait(deadline)) == 0) {
      return WaylandReading::kFailed;
    }
  }
}

bool WaylandSession::TakeSelection(std::string_view utf8,
                                   std::chrono::milliseconds timeout) {
  State& s = *state_;
  const WaylandRoute how = route();
  if (how == WaylandRoute::kNone) return false;
  const Clock::time_point deadline = After(timeout);
  if (!s.OpenDevice(deadline) ||
      (how == WaylandRoute::kFocusedSurface && !s.GainFocus(deadline))) {
    s.DropWindow();
    return false;
  }
  s.text = utf8;
  s.cancelled = false;
  if (how == WaylandRoute::kDataControl) {
    s.control_source =
        zwlr_data_control_manager_v1_create_data_source(s.control);
    zwlr_data_control_source_v1_add_listener(s.control_source,
                                             &kControlSourceListener, &s);
    for (const char* type : kOfferedTypes) {
      zwlr_data_control_source_v1_offer(s.control_source, type);
    }
    zwlr_data_control_device_v1_set_selection(s.control_device,
                                              s.control_source);
  } else {
    s.data_source = wl_data_device_manager_create_data_source(s.data_devices);
    wl_data_source_add_listener(s.data_source, &kDataSourceListener, &s);
    for (const char* type : kOfferedTypes) {
      wl_data_source_offer(s.data_source, type);
    }
    wl_data_device_set_selection(s.data_device, s.data_source, s.focus_serial);
  }
  // The compositor tells every device of the new selection, ours too: an
  // offer of exactly our types (in any order: Mutter reverses them), and
  // our source not cancelled, is ours.
  const int before = s.selection_events;
  const bool answered = s.Roundtrip(deadline) && s.Roundtrip(deadline);
  const auto is_ours = [&s] {
    if (!s.selection) return false;
    const std::vector<std::string>& types = s.selection->types;
    return types.size() == std::size(kOfferedTypes) &&
           std::all_of(std::begin(kOfferedTypes), std::end(kOfferedTypes),
                       [&types](const char* type) {
                         return std::find(types.begin(), types.end(), type) !=
                                types.end();
                       });
  };
  const bool taken =
      answered && !s.cancelled && s.selection_events > before && is_ours();
  s.DropWindow();
  if (!taken) s.DropSource();
  return taken;
}

void WaylandSession::ServeUntilReplaced() {
  State& s = *state_;
  if (!s.control_source && !s.data_source) return;
  s.DispatchUntil(Clock::time_point::max(),
                  [&s] { return s.cancelled || s.device_finished; });
}

}  // namespace tarnel
