// The main window's layout, for both views: every control with its place,
// caption and initial state, and the menu. Each view builds its window from
// these tables in a loop, and the view tests check the built windows
// against them, so moving a control or adding one is a change of one row.
// Pixels at 96 dpi with a 12-pixel font.
#ifndef TARNEL_UI_LOGIC_MAIN_FORM_LAYOUT_H_
#define TARNEL_UI_LOGIC_MAIN_FORM_LAYOUT_H_

#include <span>
#include <string_view>
#include <vector>

namespace tarnel {

/// The client area, below the menu bar.
inline constexpr int kMainClientWidth = 426;
inline constexpr int kMainClientHeight = 314;

/// The key position's text at start, and what an emptied one becomes.
inline constexpr char kInitialKeyPosition[] = "1";

/// The user types at most this many characters into the key position.
inline constexpr int kKeyPositionTypedLimit = 5;
/// The range of the spin controls on the key position, and their steps.
inline constexpr int kKeyPositionMinimum = 1;
inline constexpr int kKeyPositionMaximum = 1024;
inline constexpr int kUpDown1Increment = 10;
inline constexpr int kUpDown2Increment = 1;

/// What a control of the window is.
enum class ControlKind {
  kStatusBar,    ///< one text, across the bottom
  kGroupBox,     ///< a captioned frame; holds the controls that name it
  kRadioButton,  ///< one of an exclusive pair
  kCheckBox,
  kPageControl,  ///< tabs over pages
  kTabSheet,     ///< a page of the page control; its text is the tab's
  kEdit,         ///< a single-line edit of text in the locale's encoding
  kPathEdit,     ///< a single-line edit of a file name, kept as bytes
  kUpDown,       ///< a spin control
  kBrowsePanel,  ///< a small raised panel that works as a button
  kPushButton,
};

struct LayoutRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

/// Marks a control that Tab never reaches.
inline constexpr int kNoTabStop = -1;

/// One control of the main window.
struct ControlDef {
  const char* name;
  /// The control it sits in; null for the client area.
  const char* parent = nullptr;
  ControlKind kind;
  /// In the parent's pixels; a page fills the inside of its page control.
  LayoutRect rect = {};
  /// The caption, a page's tab caption, or an edit's or status line's
  /// first text, in UTF-8; null for none.
  const char* text = nullptr;
  bool checked = false;
  bool shown = true;
  /// The place in the window's tab order, from 0.
  int tab = kNoTabStop;
  /// Edits: the most characters the user may type; 0 for no limit.
  int typed_limit = 0;
  /// Spin controls: the edit whose number they step, or null; the step.
  const char* buddy = nullptr;
  int step = 0;
  /// Push buttons: the one Enter presses when no push button has the focus.
  bool default_button = false;
};

/// What a menu item asks the window for: the handlers FileOpen2,
/// FileExit, HelpContents, HelpSearch and HelpAbout.
enum class MenuCommand { kNone, kOpen, kExit, kContents, kSearch, kAbout };

/// One entry of the menu bar or of one of its menus.
struct MenuDef {
  const char* name;
  /// The menu it is in; null for the menu bar itself.
  const char* parent;
  /// The caption with its accelerator after '&'; null for a separator.
  const char* caption;
  MenuCommand command = MenuCommand::kNone;
};

/// The controls in the order they are made, a parent before its children.
std::span<const ControlDef> MainFormControlTable();
/// The menus and items in the order they appear.
std::span<const MenuDef> MainMenuTable();

/// The tab stops in the order Tab walks them.
std::vector<const ControlDef*> TabOrder();

/// The row of the control named |name|; null when there is none.
const ControlDef* FindControl(std::string_view name);
/// The row of the menu entry named |name|; null when there is none.
const MenuDef* FindMenuEntry(std::string_view name);

}  // namespace tarnel

#endif  // TARNEL_UI_LOGIC_MAIN_FORM_LAYOUT_H_
