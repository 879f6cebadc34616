// The case tables' window on Qt: the real TTarnelMainForm, its widgets
// driven as the user drives them, on Qt's offscreen platform.
#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <memory>
#include <string>

#include "tests/support/qt/qt_widgets.h"
#include "tests/ui/cases/form_driver.h"
#include "tests/ui/qt/ui_test_support.h"
#include "ui/logic/main_form_layout.h"
#include "ui/qt/main_form.h"
#include "ui/qt/qt_controls.h"
#include "ui/qt/up_down.h"

namespace tarnel {
namespace {

using testing_support::Child;

QString FromLocal(const std::string& bytes) {
  return QString::fromLocal8Bit(bytes.data(),
                                static_cast<qsizetype>(bytes.size()));
}

// The number of characters of |text| in its first |bytes| bytes.
int CharactersIn(const QString& text, std::size_t bytes) {
  int characters = 0;
  while (characters < text.size() &&
         static_cast<std::size_t>(text.left(characters).toLocal8Bit().size()) <
             bytes) {
    ++characters;
  }
  return characters;
}

class QtFormDriver : public FormDriver {
 public:
  void Start(std::vector<std::string> arguments) override {
    ResetApplicationState();
    form_ = std::make_unique<TTarnelMainForm>(App(), std::move(arguments),
                                              runs.Function());
  }
  MainFormLogic& Logic() override { return form_->Logic(); }
  WindowHandle Owner() override { return App().Handle(); }

  bool Checked(std::string_view name) override {
    return Child<QAbstractButton>(*form_, Name(name))->isChecked();
  }
  bool Shown(std::string_view name) override {
    return !Child(*form_, Name(name))->isHidden();
  }
  std::string Text(std::string_view name) override {
    const char* child = Name(name);
    if (FindControl(name)->kind == ControlKind::kStatusBar) {
      return Child<QStatusBar>(*form_, child)
          ->currentMessage()
          .toLocal8Bit()
          .toStdString();
    }
    auto* edit = Child<QLineEdit>(*form_, child);
    if (FindControl(name)->kind == ControlKind::kPathEdit) {
      return PathBytes(edit);
    }
    return edit->text().toLocal8Bit().toStdString();
  }
  std::size_t Caret(std::string_view name) override {
    auto* edit = Child<QLineEdit>(*form_, Name(name));
    return static_cast<std::size_t>(
        edit->text().left(edit->cursorPosition()).toLocal8Bit().size());
  }
  int Position(std::string_view name) override {
    return Child<UpDown>(*form_, Name(name))->Position();
  }

  void Click(std::string_view name) override {
    Child<QAbstractButton>(*form_, Name(name))->click();
  }
  void SetText(std::string_view name, const std::string& text) override {
    auto* edit = Child<QLineEdit>(*form_, Name(name));
    if (FindControl(name)->kind == ControlKind::kPathEdit) {
      SetPathText(edit, text);
    } else {
      edit->setText(FromLocal(text));
    }
  }
  void SetPosition(std::string_view name, int position) override {
    Child<UpDown>(*form_, Name(name))->SetPosition(position);
  }

  void Edit(std::string_view name, const UserEdit& edit) override {
    auto* line = Child<QLineEdit>(*form_, Name(name));
    // The user reaches the edit first: the window shown, its page open.
    testing_support::ShowAndActivate(*form_);
    auto* pages = Child<QTabWidget>(*form_, "PageControl1");
    for (int page = 0; page < pages->count(); ++page) {
      if (pages->widget(page)->isAncestorOf(line)) {
        pages->setCurrentIndex(page);
      }
    }
    line->setFocus();
    const int start = CharactersIn(line->text(), edit.start);
    const int end = CharactersIn(line->text(), edit.start + edit.length);
    if (end > start) {
      line->setSelection(start, end - start);
    } else {
      line->setCursorPosition(start);
    }
    const QString text = QString::fromUtf8(edit.text.c_str());
    if (edit.pasted) {
      QGuiApplication::clipboard()->setText(text);
      QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
    } else if (text.isEmpty()) {
      QTest::keyClick(line, Qt::Key_Delete);
    } else {
      for (const QChar character : text) {
        if (character.unicode() < 0x80) {
          QTest::keyClicks(line, QString(character));
          continue;
        }
        // Beyond ASCII, text arrives through the input method.
        QInputMethodEvent typed;
        typed.setCommitString(QString(character));
        QCoreApplication::sendEvent(line, &typed);
      }
    }
  }

 private:
  static const char* Name(std::string_view name) {
    return FindControl(name)->name;
  }

  std::unique_ptr<TTarnelMainForm> form_;
};

}  // namespace

std::unique_ptr<FormDriver> MakeFormDriver() {
  return std::make_unique<QtFormDriver>();
}

}  // namespace tarnel
