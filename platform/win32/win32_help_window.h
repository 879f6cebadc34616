// The Windows help engine's window: the contents (the list of topics) and
// the keyword index on the left, the topic's text on the right. One window
// serves every command; it is independent of the program's windows, and
// Escape hides it.
#ifndef TARNEL_PLATFORM_WIN32_WIN32_HELP_WINDOW_H_
#define TARNEL_PLATFORM_WIN32_WIN32_HELP_WINDOW_H_

#include <string>
#include <vector>

#include "platform/help_file.h"
#include "platform/message_boxes.h"

namespace tarnel {

class Win32HelpWindow {
 public:
  /// Creates the window, hidden.
  Win32HelpWindow();
  ~Win32HelpWindow();
  Win32HelpWindow(const Win32HelpWindow&) = delete;
  Win32HelpWindow& operator=(const Win32HelpWindow&) = delete;

  /// Replaces what the window shows by |document|.
  void SetDocument(HelpDocument document);
  /// Shows the contents page with the first topic.
  void ShowContents();
  /// Shows the index page with |keyword| (ANSI code page) in its search
  /// field, which gets the focus; the list starts at the first keyword that
  /// begins with it.
  void ShowIndex(const std::string& keyword);
  /// Shows topic |index| (in file order).
  void ShowTopic(int index);
  /// The topic shown, -1 before any.
  int CurrentTopic() const { return current_topic_; }
  /// Until the window is first shown: centres it on |owner| when that is
  /// visible, else on the screen.
  void CentreOn(WindowHandle owner);
  /// Selects the first index entry whose keyword begins with |prefix|
  /// (UTF-8), ignoring case, as typing into the search field does.
  void FilterIndex(const std::string& prefix);
  /// Shows the topic of the selected index entry, as the Display button.
  void ShowSelectedKeyword();

  // The window and its controls (HWNDs).
  WindowHandle Window = nullptr;
  WindowHandle Pages = nullptr;
  WindowHandle ContentsList = nullptr;
  WindowHandle SearchPrompt = nullptr;
  WindowHandle SearchEdit = nullptr;
  WindowHandle IndexList = nullptr;
  WindowHandle DisplayButton = nullptr;
  WindowHandle TopicView = nullptr;

  /// The window procedure's share.
  long long Handle(unsigned message, unsigned long long wparam,
                   long long lparam);

 private:
  struct IndexEntry {
    std::wstring keyword;
    int topic;
  };
  void FillIndex();
  void SelectFirstKeyword(const std::wstring& prefix);
  void ShowPage(int page);
  void BringToFront();

  HelpDocument document_;
  std::vector<IndexEntry> index_;
  int current_topic_ = -1;
  bool placed_ = false;
  void* font_ = nullptr;
};

/// A topic as the plain text the window shows: its title, then its blocks,
/// lines ending in CR LF. UTF-8.
std::string TopicText(const HelpTopic& topic);

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_WIN32_WIN32_HELP_WINDOW_H_
