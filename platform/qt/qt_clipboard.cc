#include "platform/qt/qt_clipboard.h"

#include <QByteArray>
#include <QClipboard>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/clipboard_holder_launcher.h"
#include "platform/program_folder.h"
#include "platform/utf8_round_trip.h"

namespace tarnel {

namespace {

// How long SetText waits to hear from the X server that the holder took
// over; only a wait, the holder has already confirmed.
constexpr int kOwnerChangeWaitMs = 1000;

bool IsX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

bool IsWayland() {
  return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// A clipboard shared with other programs exists only on these platforms;
// offscreen, minimal and the framebuffer ones keep a private one at most.
bool HasSharedClipboard() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    return false;
  }
  const QString platform = QGuiApplication::platformName();
  const bool x11 = platform == QLatin1String("xcb");
  const bool wayland = platform.startsWith(QLatin1String("wayland"));
  if (x11 || wayland) {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  }
  return platform == QLatin1String("windows") ||
         platform == QLatin1String("direct2d") ||
         platform == QLatin1String("cocoa");
}

QClipboard& SystemClipboard() { return *QGuiApplication::clipboard(); }

// Whether |data| is what the clipboard holds now. On X11 this asks the
// server: Qt's own flag stays set when another program clears the clipboard.
bool HoldsOwnData(const QPointer<QMimeData>& data) {
  if (data.isNull()) return false;
  if (IsX11()) {
    return SystemClipboard().mimeData(QClipboard::Clipboard) == data.data();
  }
  return SystemClipboard().ownsClipboard();
}

// Processes what the window system has sent so far. Notifications of a new
// owner carry the server time that our next request must not fall behind
// (the owner refuses older requests) and invalidate Qt's list of formats.
void CatchUpWithWindowSystem() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// Waits, boundedly, until this process has heard of the holder taking over,
// so that a read right after sees the new text.
void WaitForOwnerChangeNotice() {
  QEventLoop loop;
  QObject::connect(&SystemClipboard(), &QClipboard::changed, &loop,
                   [&loop](QClipboard::Mode mode) {
                     if (mode == QClipboard::Clipboard) loop.quit();
                   });
  QTimer::singleShot(kOwnerChangeWaitMs, &loop, &QEventLoop::quit);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  CatchUpWithWindowSystem();
}

// Hands the text, in UTF-8, to a new holder named |holder|; returns its
// pid, or 0.
long HandToHolder(const char* holder, std::string_view utf8) {
  const long pid = StartClipboardHolder(ProgramFolder() + "/" + holder, utf8);
  if (pid != 0) WaitForOwnerChangeNotice();
  return pid;
}

// The holder's UTF-8 for the locale's |bytes|: the bytes themselves where
// the trip through UTF-16 would give them back unchanged, which spares two
// conversions and two copies of a large text; else the trip's result, kept
// in |converted|.
std::string_view HolderText(std::string_view bytes, QByteArray& converted) {
  if (SurvivesUtf16RoundTrip(bytes)) return bytes;
  converted =
      QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()))
          .toUtf8();
  return std::string_view(converted.constData(),
                          static_cast<std::size_t>(converted.size()));
}

}  // namespace

bool QtClipboard::Open(WindowHandle) {
  if (open_ || !HasSharedClipboard()) return false;
  CatchUpWithWindowSystem();
  open_ = true;
  return true;
}

bool QtClipboard::IsTextAvailable() {
  if (!open_) return false;
  const QMimeData* data = SystemClipboard().mimeData(QClipboard::Clipboard);
  return data && data->hasText();
}

GlobalBlock* QtClipboard::GetText() {
  if (!IsTextAvailable()) return nullptr;
  const QByteArray bytes =
      SystemClipboard().text(QClipboard::Clipboard).toLocal8Bit();
  text_ = GlobalBlock::Holding(
      std::string_view(bytes.constData(),
                       static_cast<std::size_t>(bytes.size())),
      AllocationSite::kClipboardData);
  return text_.valid() ? &text_ : nullptr;
}

bool QtClipboard::Empty() {
  if (!open_) return false;
  // On Wayland each selection we set needs a serial of its own, and the
  // compositor drops the second of two that share one: the text that
  // SetText brings replaces everything in one step instead.
  if (IsWayland()) return true;
  // Taking the clipboard with nothing on it empties it for everyone,
  // whichever program owned it, as emptying does on Windows.
  auto nothing = std::make_unique<QMimeData>();
  const QPointer<QMimeData> ours(nothing.get());
  SystemClipboard().setMimeData(nothing.release(), QClipboard::Clipboard);
  return HoldsOwnData(ours);
}

bool QtClipboard::SetText(GlobalBlock& block) {
  if (!open_) return false;
  const char* bytes = block.Lock();
  if (!bytes) return false;
  const std::string_view text(bytes, strnlen(bytes, block.Size()));

  bool delivered;
  if (IsX11() || IsWayland()) {
    // The holder reports only a selection that the X server or the
    // compositor confirmed, and keeps it after this program has ended.
    QByteArray converted;
    const long pid = HandToHolder(
        IsX11() ? kHolderExecutableName : kWaylandHolderExecutableName,
        HolderText(text, converted));
    if (pid != 0) holder_pid_ = pid;
    delivered = pid != 0;
  } else {
    // The system keeps the data once it is set (Windows).
    SystemClipboard().setText(
        QString::fromLocal8Bit(text.data(),
                               static_cast<qsizetype>(text.size())),
        QClipboard::Clipboard);
    delivered = SystemClipboard().ownsClipboard();
  }
  block.Unlock();
  if (delivered) block.Free();
  return delivered;
}

void QtClipboard::Close() {
  open_ = false;
  text_.Free();
}

}  // namespace tarnel
