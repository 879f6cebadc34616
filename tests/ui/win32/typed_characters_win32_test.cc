// Double-byte characters typed into the program's edits, as the system
// queues them: one WM_IME_CHAR per character, or WM_CHAR's lead and trail
// bytes one after the other. Each of the program's message loops must hand
// them to the path edit and to the help index's search field whole.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/testing/recording_message_boxes.h"
#include "platform/win32/win32_help_window.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/win32/win32_window_support.h"
#include "ui/logic/off_thread_run.h"
#include "ui/win32/application_win32.h"
#include "ui/win32/controls_win32.h"
#include "ui/win32/main_form_win32.h"

namespace tarnel {
namespace {

using testing_support::TempDir;

// ファイル名.txt, in code page 932 and in UTF-8.
constexpr char kTyped[] = "\x83\x74\x83\x40\x83\x43\x83\x8B\x96\xBC.txt";
constexpr char kTypedUtf8[] =
    "\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB\xE5\x90\x8D.txt";

// Queues |bytes| (code page 932) for |edit| as typed characters: all of
// them from an input method, or each byte a WM_CHAR.
void QueueTyped(HWND edit, const std::string& bytes, bool as_ime_chars) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (!::IsDBCSLeadByte(lead) || i + 1 == bytes.size()) {
      ::PostMessageA(edit, as_ime_chars ? WM_IME_CHAR : WM_CHAR, lead, 1);
      continue;
    }
    const auto trail = static_cast<unsigned char>(bytes[++i]);
    if (as_ime_chars) {
      ::PostMessageA(edit, WM_IME_CHAR, (lead << 8) | trail, 1);
    } else {
      ::PostMessageA(edit, WM_CHAR, lead, 1);
      ::PostMessageA(edit, WM_CHAR, trail, 1);
    }
  }
}

struct Loop {
  const char* name;
  // Serves what is queued, as the program does.
  void (*serve)(Win32Application& application);
};

const Loop kLoops[] = {
    {"the application's loop",
     [](Win32Application& application) {
       ::PostQuitMessage(0);  // comes after every message queued before it
       application.Run();
     }},
    {"the loop that waits for a run",
     [](Win32Application&) {
       // The run's error box is made on the window thread, so the loop
       // serves the queue before the run can end.
       const TempDir folder;
       const std::string in = folder / "missing.txt";
       const std::string out = folder / "out.txt";
       RunSortOffThread(
           {nullptr, 0, in.c_str(), out.c_str(), 0, kKeyColumn, 1});
     }},
};

struct Field {
  const char* name;
  // The edit's handle, after what the user does to reach it.
  HWND (*reach)(Win32MainForm& form, Win32HelpWindow& help);
};

const Field kFields[] = {
    {"the input path edit",
     [](Win32MainForm& form, Win32HelpWindow&) {
       ::SendMessageA(form.Control("FileOpenCheckBox"), BM_CLICK, 0, 0);
       Pump();
       return form.Control("FileOpenEdit");
     }},
    {"Help > Search's field",
     [](Win32MainForm&, Win32HelpWindow& help) {
       help.ShowIndex("");
       return static_cast<HWND>(help.SearchEdit);
     }},
};

// The help index's chosen entry, in code page 932.
std::string ChosenKeyword(const Win32HelpWindow& help) {
  const HWND index = static_cast<HWND>(help.IndexList);
  const LRESULT row = ::SendMessageA(index, LB_GETCURSEL, 0, 0);
  char text[128] = {};
  if (row >= 0) {
    ::SendMessageA(index, LB_GETTEXT, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(text));
  }
  return text;
}

TEST(TypedCharactersWin32Test, DoubleByteCharactersReachTheEditsWhole) {
  for (const Loop& loop : kLoops) {
    for (const Field& field : kFields) {
      for (const bool as_ime_chars : {true, false}) {
        SCOPED_TRACE(std::string(loop.name) + ", " + field.name +
                     (as_ime_chars ? ", WM_IME_CHAR" : ", WM_CHAR pairs"));
        RecordingMessageBoxes boxes;
        Win32Application application;
        Win32MainForm form(application, {},
                           [](const SortRequest&) { return std::int32_t{0}; });
        Win32HelpWindow help;
        // "-a" comes first, where the index starts.
        help.SetDocument(
            {"Help", {{"Files", {kTypedUtf8}, {}}, {"Batch", {"-a"}, {}}}});
        const HWND edit = field.reach(form, help);
        ASSERT_NE(edit, nullptr);
        QueueTyped(edit, kTyped, as_ime_chars);
        loop.serve(application);
        EXPECT_EQ(WindowTextOf(edit), kTyped);
        if (edit == help.SearchEdit) {
          EXPECT_EQ(ChosenKeyword(help), kTyped);
        }
      }
    }
  }
}

}  // namespace
}  // namespace tarnel
