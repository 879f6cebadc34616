// The control interfaces of controls.h on Qt widgets, for the Qt window.
// Texts cross as bytes in the locale's encoding, which Qt takes to be UTF-8
// on Linux; the path edits keep a file name's exact bytes beside the text
// they show, so that a name not valid in that encoding survives.
#ifndef TARNEL_UI_QT_QT_CONTROLS_H_
#define TARNEL_UI_QT_QT_CONTROLS_H_

#include <QAbstractButton>
#include <QLineEdit>
#include <QStatusBar>
#include <QWidget>
#include <functional>
#include <string>

#include "ui/logic/controls.h"

namespace tarnel {

class TAboutBox;
class TarnelApplication;
class UpDown;

/// Keeps |bytes| as a file name in |edit|: the text shows it decoded, the
/// exact bytes stay with the edit.
void SetPathText(QLineEdit* edit, const std::string& bytes);
/// The file name in |edit|: the exact bytes it was given while the text is
/// unchanged, else the text encoded as a file name.
std::string PathBytes(const QLineEdit* edit);

class QtVisibleControl : public VisibleControl {
 public:
  explicit QtVisibleControl(QWidget* widget) : widget_(widget) {}
  bool IsVisible() const override { return !widget_->isHidden(); }
  void SetVisible(bool visible) override { widget_->setVisible(visible); }

 private:
  QWidget* widget_;
};

/// A check box or radio button; Qt reports every real change of its state
/// through toggled, the user's and the program's alike.
class QtCheckControl : public CheckControl {
 public:
  explicit QtCheckControl(QAbstractButton* button) : button_(button) {}
  bool IsChecked() const override { return button_->isChecked(); }
  void SetChecked(bool checked) override { button_->setChecked(checked); }
  void OnChange(std::function<void()> handler) override;
  void SetTabStop(bool tab_stop) override {
    button_->setFocusPolicy(tab_stop ? Qt::StrongFocus : Qt::ClickFocus);
  }

 private:
  QAbstractButton* button_;
};

/// A line edit. Qt's own modified flag also clears when the user undoes
/// back to the program's text, which is still the user's change, so the
/// flag is kept here: textEdited comes just before textChanged, and only
/// for the user's changes.
class QtEditControl : public EditControl {
 public:
  enum class Bytes { kLocalText, kFileName };
  QtEditControl(QLineEdit* edit, Bytes bytes);

  bool IsVisible() const override { return !edit_->isHidden(); }
  void SetVisible(bool visible) override { edit_->setVisible(visible); }
  std::string Text() const override;
  void SetText(const std::string& text) override;
  bool IsModified() const override { return modified_; }
  void SetCaret(std::size_t position) override;
  void SetFocus() override { edit_->setFocus(); }
  void OnChange(std::function<void()> handler) override;

 private:
  QLineEdit* edit_;
  Bytes bytes_;
  bool edited_ = false;
  bool modified_ = false;
};

class QtStatusControl : public StatusControl {
 public:
  explicit QtStatusControl(QStatusBar* status_line)
      : status_line_(status_line) {}
  std::string Text() const override;
  void SetText(const std::string& text) override;

 private:
  QStatusBar* status_line_;
};

class QtSpinControl : public SpinControl {
 public:
  explicit QtSpinControl(UpDown* spin) : spin_(spin) {}
  int Position() const override;
  void SetPosition(int position) override;
  void OnStep(std::function<void()> handler) override;

 private:
  UpDown* spin_;
};

/// The window itself, given how to close it and whether it is active.
class QtFormControl : public FormControl {
 public:
  explicit QtFormControl(QWidget* window) : window_(window) {}
  WindowHandle Handle() const override { return window_; }
  bool IsActive() const override { return window_->isActiveWindow(); }
  void Activate() override { window_->activateWindow(); }
  void Close() override { window_->close(); }
  void CloseLater() override;
  void RunLater(std::function<void()> work) override;
  void SetWaitCursor(bool wait) override;

 private:
  QWidget* window_;
};

/// The application object; its hint handler ends with |receiver|.
class QtApplicationControl : public ApplicationControl {
 public:
  QtApplicationControl(TarnelApplication& application, QObject* receiver)
      : application_(application), receiver_(receiver) {}
  WindowHandle Handle() const override;
  const std::string& HelpFile() const override;
  void SetWaitCursor(bool wait) override;
  std::string Hint() const override;
  void OnHint(std::function<void()> handler) override;
  void SetShowMainForm(bool show) override;
  void Terminate() override;

 private:
  TarnelApplication& application_;
  QObject* receiver_;
};

class QtAboutBoxControl : public AboutBoxControl {
 public:
  explicit QtAboutBoxControl(TAboutBox* about_box) : about_box_(about_box) {}
  void SetVersionText(const std::string& text) override;
  bool IsVisible() const override;
  void Show() override;

 private:
  TAboutBox* about_box_;
};

}  // namespace tarnel

#endif  // TARNEL_UI_QT_QT_CONTROLS_H_
