// A small raised panel with a centred caption that works as a button: the
// "参照" (browse) panels beside the path edits.
#ifndef TARNEL_UI_QT_BROWSE_PANEL_H_
#define TARNEL_UI_QT_BROWSE_PANEL_H_

#include <QLabel>

namespace tarnel {

class BrowsePanel : public QLabel {
  Q_OBJECT

 public:
  BrowsePanel(const QString& caption, QWidget* parent);

 signals:
  /// The left button was pressed and released over the panel.
  void Clicked();
  /// The keyboard focus arrived, for the reason Qt gives.
  void FocusReceived(Qt::FocusReason reason);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  bool pressed_ = false;
};

}  // namespace tarnel

#endif  // TARNEL_UI_QT_BROWSE_PANEL_H_
