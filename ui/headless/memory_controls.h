// Controls in memory, for fast tests of the window logic on every platform:
// each keeps its state, reports real changes as a toolkit's control does,
// lets a test act as the user (click, type, step), and records what the
// logic asked of it.
#ifndef TARNEL_UI_HEADLESS_MEMORY_CONTROLS_H_
#define TARNEL_UI_HEADLESS_MEMORY_CONTROLS_H_

#include <functional>
#include <string>
#include <vector>

#include "ui/logic/controls.h"
#include "ui/logic/main_form_layout.h"
#include "ui/logic/main_form_logic.h"
#include "ui/logic/window_texts.h"

namespace tarnel {

class MemoryVisible : public VisibleControl {
 public:
  bool IsVisible() const override { return visible; }
  void SetVisible(bool value) override { visible = value; }
  bool visible = false;
};

class MemoryCheck : public CheckControl {
 public:
  bool IsChecked() const override { return checked_; }
  void SetChecked(bool checked) override;
  void OnChange(std::function<void()> handler) override {
    handler_ = std::move(handler);
  }
  void SetTabStop(bool value) override { tab_stop = value; }
  /// The user's click: toggles a check box.
  void Click() { SetChecked(!checked_); }
  /// Sets the state without a report, as the window's initial state is.
  void Load(bool checked) { checked_ = checked; }
  int changes = 0;  ///< real changes reported
  bool tab_stop = true;

 private:
  bool checked_ = false;
  std::function<void()> handler_;
};

class MemoryEdit : public EditControl {
 public:
  bool IsVisible() const override { return visible; }
  void SetVisible(bool value) override { visible = value; }
  std::string Text() const override { return text_; }
  void SetText(const std::string& text) override;
  bool IsModified() const override { return modified_; }
  void SetCaret(std::size_t position) override { caret = position; }
  void SetFocus() override { ++focus_count; }
  void OnChange(std::function<void()> handler) override {
    handler_ = std::move(handler);
  }
  /// The user replaces the whole text with |text|, caret at its end.
  void Type(const std::string& text);
  /// The same with the caret at byte |new_caret|.
  void Type(const std::string& text, std::size_t new_caret);
  void Load(const std::string& text) { text_ = text; }

  bool visible = false;
  std::size_t caret = 0;
  int focus_count = 0;

 private:
  void Change(const std::string& text, bool modified);
  std::string text_;
  bool modified_ = false;
  std::function<void()> handler_;
};

class MemoryStatus : public StatusControl {
 public:
  std::string Text() const override { return text; }
  void SetText(const std::string& value) override {
    text = value;
    shown.push_back(value);
  }
  std::string text;
  std::vector<std::string> shown;  ///< every text set, in order
};

class MemorySpin : public SpinControl {
 public:
  MemorySpin(int minimum, int maximum) : minimum_(minimum), maximum_(maximum) {}
  int Position() const override { return position_; }
  void SetPosition(int position) override;
  void OnStep(std::function<void()> handler) override {
    handler_ = std::move(handler);
  }
  /// The user's press of an arrow, moving by |delta| within the range.
  void Step(int delta);

 private:
  int minimum_;
  int maximum_;
  int position_ = 0;
  std::function<void()> handler_;
};

class MemoryForm : public FormControl {
 public:
  WindowHandle Handle() const override { return handle; }
  bool IsActive() const override { return active; }
  void Activate() override {
    active = true;
    ++activations;
  }
  void Close() override { ++closes; }
  void CloseLater() override { ++later_closes; }
  void RunLater(std::function<void()> work) override {
    later.push_back(std::move(work));
  }
  /// Runs what RunLater put off, as the toolkit's event loop would.
  void RunPending();
  void SetWaitCursor(bool wait) override { wait_cursor = wait; }

  WindowHandle handle = &handle;
  bool active = false;
  int activations = 0;
  int closes = 0;
  int later_closes = 0;
  bool wait_cursor = false;
  std::vector<std::function<void()>> later;
};

class MemoryApplication : public ApplicationControl {
 public:
  WindowHandle Handle() const override { return handle; }
  const std::string& HelpFile() const override { return help_file; }
  void SetWaitCursor(bool wait) override { wait_cursor = wait; }
  std::string Hint() const override { return hint; }
  void OnHint(std::function<void()> handler) override {
    on_hint = std::move(handler);
  }
  void SetShowMainForm(bool show) override { show_main_form = show; }
  void Terminate() override { ++terminations; }

  WindowHandle handle = &handle;
  std::string help_file = kHelpFileName;
  bool wait_cursor = false;
  std::string hint;
  std::function<void()> on_hint;
  bool show_main_form = true;
  int terminations = 0;
};

class MemoryAboutBox : public AboutBoxControl {
 public:
  void SetVersionText(const std::string& text) override { version = text; }
  bool IsVisible() const override { return visible; }
  void Show() override {
    visible = true;
    ++shows;
  }
  std::string version;
  bool visible = false;
  int shows = 0;
};

/// Every control of the main window, in the states the window starts with,
/// and the MainFormControls that name them.
struct MemoryMainFormControls {
  MemoryMainFormControls();
  MemoryMainFormControls(const MemoryMainFormControls&) = delete;
  MemoryMainFormControls& operator=(const MemoryMainFormControls&) = delete;

  MemoryCheck Sort_F_RadioButton, Sort_R_RadioButton, NotCaseSensitiveCheckBox,
      UniqCheckBox, ClipBoardCheckBox1, FileOpenCheckBox, ClipBoardCheckBox2,
      FileSaveCheckBox, ColumCheckBox, FieldCheckBox, StringCompCheckBox,
      NumCompCheckBox;
  MemoryVisible FileOpenPanel, FileSavePanel;
  MemoryEdit FileOpenEdit, FileSaveEdit, SortPosEdit;
  MemorySpin UpDown1{kKeyPositionMinimum, kKeyPositionMaximum};
  MemorySpin UpDown2{kKeyPositionMinimum, kKeyPositionMaximum};
  MemoryStatus StatusLine;
  MainFormControls controls;
};

}  // namespace tarnel

#endif  // TARNEL_UI_HEADLESS_MEMORY_CONTROLS_H_
