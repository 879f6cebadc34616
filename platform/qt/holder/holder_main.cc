// tarnel-clipboard-holder: keeps a result on the X11 clipboard after the
// program that produced it has exited, the way xclip does. It reads one
// message (clipboard_holder_protocol.h) on standard input, takes the
// CLIPBOARD selection, reports on standard output, and serves the text until
// another program takes the selection over; then it exits. A message it
// refuses ends it with status 1 and a line on standard error, before it
// needs a display.
#include <fcntl.h>
#include <unistd.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/clipboard_holder_protocol.h"
#include "platform/qt/clipboard_holder_launcher.h"

namespace tarnel {
namespace {

// Without the XFixes extension no change of owner is announced; a slow look
// every few seconds still ends a holder that was replaced.
constexpr int kOwnerCheckIntervalMs = 3000;

// Tells the launcher that the clipboard is ours, then lets go of the
// channel so that nothing of the launcher stays attached to us.
bool ReportOwnership() {
  std::string_view report = kHolderOwnedReport;
  while (!report.empty()) {
    const ssize_t put = ::write(STDOUT_FILENO, report.data(), report.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    report.remove_prefix(static_cast<std::size_t>(put));
  }
  const int null_fd = ::open("/dev/null", O_RDWR);
  if (null_fd < 0) return false;
  ::dup2(null_fd, STDIN_FILENO);
  ::dup2(null_fd, STDOUT_FILENO);
  if (null_fd > STDERR_FILENO) ::close(null_fd);
  return true;
}

}  // namespace
}  // namespace tarnel

int main(int argc, char** argv) {
  // The launcher runs us for an X11 session only; under XWayland the
  // Wayland plugin would otherwise be picked.
  qputenv("QT_QPA_PLATFORM", "xcb");
  // A helper that lives on after its program must not join the desktop
  // session: it would be restarted at the next login.
  qunsetenv("SESSION_MANAGER");

  tarnel::HolderMessage message =
      tarnel::ReadHolderMessage(STDIN_FILENO, tarnel::kHolderReadTimeout);
  if (message.status != tarnel::HolderMessageStatus::kComplete) {
    std::fprintf(stderr, "%s: message refused: %s\n", argv[0],
                 tarnel::HolderMessageStatusText(message.status));
    return 1;
  }
  std::string text = std::move(message.text);

  QGuiApplication app(argc, argv);
  QClipboard* clipboard = QGuiApplication::clipboard();
  auto data = std::make_unique<QMimeData>();
  data->setText(
      QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  std::string().swap(text);
  // Qt deletes our data when another program takes the selection.
  const QPointer<QMimeData> ours(data.get());
  clipboard->setMimeData(data.release(), QClipboard::Clipboard);

  // Asks the X server, not Qt's memory: Qt still believes it owns a
  // selection that another program has cleared.
  const auto still_owner = [clipboard, &ours] {
    return !ours.isNull() &&
           clipboard->mimeData(QClipboard::Clipboard) == ours.data();
  };
  if (!still_owner() || !tarnel::ReportOwnership()) return 1;

  // Leave without Qt's teardown: it would offer the text to a clipboard
  // manager although the clipboard now holds something else.
  const auto leave_once_replaced = [&still_owner] {
    if (!still_owner()) std::_Exit(0);
  };
  QObject::connect(clipboard, &QClipboard::changed, &app,
                   [&leave_once_replaced](QClipboard::Mode mode) {
                     if (mode == QClipboard::Clipboard) leave_once_replaced();
                   });
  QTimer owner_check;
  QObject::connect(&owner_check, &QTimer::timeout, &app, leave_once_replaced);
  owner_check.start(tarnel::kOwnerCheckIntervalMs);
  return app.exec();
}
