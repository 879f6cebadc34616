// Off Windows the program is split in two: a small executable that needs no
// window toolkit, and a module with the Qt front end that it loads only when
// a display is there to show something on. A run without a display then
// never pays for loading the toolkit's libraries, which costs many times
// the work of a small sort.
#ifndef TARNEL_UI_QT_WINDOW_MODULE_H_
#define TARNEL_UI_QT_WINDOW_MODULE_H_

#include <cstddef>

namespace tarnel {

/// The module's file name, beside the program in a build folder.
inline constexpr char kWindowModuleName[] = "tarnel-window.so";

/// The module's entry's name, as the program looks it up.
inline constexpr char kWindowModuleEntry[] = "TarnelRunWithDisplay";

/// The entry's type: RunWithDisplay.
using WindowModuleEntry = int (*)(int argc, char** argv);

/// The entry that shows one message box on the screen, for a batch run that
/// needs nothing else of Qt: ShowBoxOnScreen.
inline constexpr char kShowBoxEntry[] = "TarnelShowBox";
using ShowBoxEntry = int (*)(const char* text, const char* caption,
                             unsigned flags);

/// The entry that ends what ShowBoxOnScreen started: EndScreen.
inline constexpr char kEndScreenEntry[] = "TarnelEndScreen";
using EndScreenEntry = void (*)();

/// The entry that gives text as a trip through Qt's UTF-16 strings leaves
/// it, which is how Qt's clipboard hands text over: ThroughUtf16.
inline constexpr char kThroughUtf16Entry[] = "TarnelThroughUtf16";
/// Takes the converted bytes; |context| is the caller's.
using TextSink = void (*)(const char* bytes, std::size_t size, void* context);
using ThroughUtf16Entry = void (*)(const char* bytes, std::size_t size,
                                   TextSink sink, void* context);

/// The program with a display: the Qt front end for the process's
/// arguments, the locale already set. Returns the exit status.
int RunWithDisplay(int argc, char** argv);

/// Shows a box with |text| under |caption| (both in the locale's encoding)
/// on the screen, owned by the hidden application window, and returns once
/// it is closed. The first box starts Qt's application, which stays until
/// EndScreen.
int ShowBoxOnScreen(const char* text, const char* caption, unsigned flags);

/// Ends the application the boxes started, if any. Must come before the
/// process exits: Qt cannot be torn down from the exit handlers.
void EndScreen();

/// Hands |sink| the |size| bytes at |bytes| decoded from the locale's
/// encoding into UTF-16 and encoded back, as Qt does.
void ThroughUtf16(const char* bytes, std::size_t size, TextSink sink,
                  void* context);

}  // namespace tarnel

#endif  // TARNEL_UI_QT_WINDOW_MODULE_H_
