// TAboutBox: names the program, its version and its purpose. Created hidden
// at start-up and kept for the program's life; shown without being modal,
// hidden again by its OK button.
#ifndef TARNEL_UI_QT_ABOUT_BOX_H_
#define TARNEL_UI_QT_ABOUT_BOX_H_

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace tarnel {

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  /// Builds the box, hidden. |owner| null makes it a window of its own.
  explicit TAboutBox(QWidget* owner = nullptr);
  ~TAboutBox() override;

  /// The OK button: closes the box, which only hides it.
  void OKButtonClick();
  /// Sets the Version label's text; the label widens to fit it.
  void SetVersionText(const QString& text);

  QFrame* Panel1 = nullptr;
  QLabel* ProgramIcon = nullptr;
  QLabel* ProductName = nullptr;
  QLabel* Version = nullptr;
  QLabel* Copyright = nullptr;
  QLabel* Comments = nullptr;
  QPushButton* OKButton = nullptr;

 protected:
  /// Escape does nothing: the box has no cancel button.
  void keyPressEvent(QKeyEvent* event) override;
  /// The labels that size themselves to their text do so again.
  void showEvent(QShowEvent* event) override;
};

}  // namespace tarnel

#endif  // TARNEL_UI_QT_ABOUT_BOX_H_
